"""Plorimet's exact fits of Dask arrays and Dask DataFrame columns.

Each chunk becomes exact partial sums (plorimet.Sums) on the workers, which are added exactly in
a tree there; the client solves once from the total. PRESS takes one more map over the chunks:
each gives its terms within exact bounds, the bounds are added and settled once (where they do
not settle, the chunks are taken again the exact way). Every value is the exact optimum's,
correctly rounded, so the result is bit for bit that of plorimet.fit / plorimet.polyfit of the
same points in memory, whatever the chunking, the chunks' order or the workers. The lack-of-fit
test needs every point in one place: from sums it is unavailable, with its reason.
"""
import functools
import operator

import dask
import dask.array as da
import numpy as np

from . import Fit, _core, _degree, _level, _points

__all__ = ["polyfit", "fit", "sums"]


def _array(values):
    """A Dask array of a Dask array, a Dask DataFrame column or anything numpy takes."""
    if hasattr(values, "to_dask_array"):
        return values.to_dask_array(lengths=True)
    return da.asarray(values)


def _blocks(x, y, w):
    """The chunks of x with the matching pieces of y and w, as delayed arrays."""
    x = _array(x)
    if x.ndim != 1:
        raise TypeError("expected 1D vector for x")
    if x.shape[0] == 0:
        raise TypeError("expected non-empty vector for x")
    arrays = [x, _array(y)] + ([] if w is None else [_array(w)])
    for a, name in zip(arrays[1:], ("y", "w")):
        if a.shape != x.shape:
            raise TypeError(f"expected x and {name} to have same length")
    arrays = [a if a is x else a.rechunk(x.chunks) for a in arrays]
    delayed = [a.to_delayed().ravel() for a in arrays]
    offsets = np.concatenate([[0], np.cumsum(x.chunks[0])[:-1]])
    return list(zip(offsets, *delayed)) if w is not None else [(o, xb, yb, None) for o, xb, yb in zip(offsets, *delayed)]


def _chunk_points(offset, x, y, w):
    """A chunk checked as plorimet.fit checks its points, bad values named by their index in the whole."""
    try:
        return _points(x, y, w)
    except ValueError as error:
        name, rest = str(error).split("[", 1)
        index, rest = rest.split("]", 1)
        raise ValueError(f"{name}[{int(index) + offset}]{rest}") from None


def _chunk_sums(offset, x, y, w, terms):
    return _core.sums_of(*_chunk_points(offset, x, y, w), terms)


def _tree_sum(parts):
    """The sum of delayed values, pairwise in a tree, each addition a task on the workers."""
    while len(parts) > 1:
        pairs = [dask.delayed(operator.add)(parts[k], parts[k + 1]) for k in range(0, len(parts) - 1, 2)]
        parts = pairs + ([parts[-1]] if len(parts) % 2 else [])
    return parts[0]


def sums(x, y, terms, w=None):
    """The exact Sums of every point (for fits of up to `terms` coefficients), taken chunk by chunk."""
    terms = operator.index(terms)
    parts = [dask.delayed(_chunk_sums)(o, xb, yb, wb, terms) for o, xb, yb, wb in _blocks(x, y, w)]
    return _tree_sum(parts).compute()


@functools.lru_cache(maxsize=4)
def _model(sums_bytes, degree, through_origin, level):
    """The model of the sums on a worker: the same on every one, made once per worker."""
    return _core.fit_sums(_core.Sums.from_bytes(sums_bytes), degree, through_origin, level)


def _press_part(sums_bytes, degree, through_origin, level, offset, x, y, w, exactly):
    return _model(sums_bytes, degree, through_origin, level).press_part(*_chunk_points(offset, x, y, w), exactly)


def fit(x, y, degree, *, through_origin=False, weights=None, level=0.95):
    """plorimet.fit of Dask arrays (or Dask DataFrame columns): the same Fit, bit for bit."""
    degree = _degree(degree, "degree")
    level = _level(level)
    through_origin = bool(through_origin)
    blocks = _blocks(x, y, weights)
    parts = [dask.delayed(_chunk_sums)(o, xb, yb, wb, degree + 1) for o, xb, yb, wb in blocks]
    total = _tree_sum(parts).compute()
    core = _core.fit_sums(total, degree, through_origin, level)
    if core.press_pending:
        sums_bytes = total.to_bytes()
        for exactly in (False, True):
            tasks = [dask.delayed(_press_part)(sums_bytes, degree, through_origin, level, o, xb, yb, wb, exactly)
                     for o, xb, yb, wb in blocks]
            if core.set_press(list(dask.compute(*tasks))):
                break
    return Fit(core, level)


def polyfit(x, y, deg, w=None):
    """plorimet.polyfit of Dask arrays (or Dask DataFrame columns): the coefficients, highest
    power first, bit for bit those of the points in memory."""
    deg = _degree(deg, "deg")
    total = sums(x, y, deg + 1, w)
    coefficients, _, _ = _core.polyfit_sums(total, deg, False)
    return np.array(coefficients[::-1], dtype=np.float64)
