"""Plorimet's exact least-squares polynomials for Python.

Every coefficient and statistic is the exact least-squares optimum of the given doubles,
correctly rounded to double (or None, with its reason in ``Fit.to_dict()["unavailable"]``).

- ``polyfit(x, y, deg, rcond=None, full=False, w=None, cov=False)``: in place of numpy.polyfit.
- ``fit(x, y, degree, *, through_origin=False, weights=None, level=0.95)``: a ``Fit`` with the
  statistics of ``plorimet fit --json``.
- ``Sums``: the exact partial sums of a chunk of points, which add exactly (``plorimet.dask``).
"""
import json
import operator

import numpy as np

from . import _core

__all__ = ["polyfit", "fit", "Fit", "Sums", "sums_of"]

Sums = _core.Sums


def _vector(values, name):
    """values as a contiguous float64 vector (no copy when it is one already), every value finite."""
    a = np.asarray(values)
    if a.dtype.kind not in "fiub":
        raise TypeError(f"{name} must hold numbers, not {a.dtype}")
    a = np.ascontiguousarray(a, dtype=np.float64)
    if a.ndim != 1:
        raise TypeError(f"expected 1D vector for {name}")
    finite = np.isfinite(a)
    if not finite.all():
        bad = int(np.argmin(finite))
        raise ValueError(f"{name}[{bad}] is {a[bad]}: every value must be finite")
    return a


def _points(x, y, w):
    x = _vector(x, "x")
    y = _vector(y, "y")
    if x.size == 0:
        raise TypeError("expected non-empty vector for x")
    if y.shape != x.shape:
        raise TypeError("expected x and y to have same length")
    if w is not None:
        w = _vector(w, "w")
        if w.shape != x.shape:
            raise TypeError("expected w and y to have the same length")
    return x, y, w


def _degree(deg, name):
    d = operator.index(deg)
    if d < 0:
        raise ValueError(f"expected {name} >= 0")
    return d


def polyfit(x, y, deg, rcond=None, full=False, w=None, cov=False):
    """numpy.polyfit with the exact optimum: coefficients highest power first (one column per
    column of a 2-D y), each the exact least-squares coefficient correctly rounded.

    ``w`` multiplies each residual, as numpy's. ``cov=True`` gives numpy's scaled covariance,
    RSS / (n - deg - 1) times the inverse of the weighted normal matrix, every entry correctly
    rounded ('unscaled' is not offered). ``full=True`` gives (coef, residuals, rank,
    singular_values, rcond) as numpy: residuals the exact residual sum of squares (correctly
    rounded) of each column, rank deg + 1 (a fit that exists has full rank), singular_values
    those of numpy's column-scaled Vandermonde matrix (from numpy, for information: the fit does
    not use them) and rcond numpy's default len(x) * eps (not used: nothing is cut off).
    ``rcond`` is accepted and ignored. No warning about conditioning is given; where no unique
    fit exists (fewer distinct X than deg + 1) a ValueError says so.
    """
    deg = _degree(deg, "deg")
    y_all = np.asarray(y)
    if y_all.ndim not in (1, 2):
        raise TypeError("expected 1D or 2D array for y")
    columns = [y_all] if y_all.ndim == 1 else [y_all[:, k] for k in range(y_all.shape[1])]
    if cov and full:
        raise ValueError("full and cov cannot both be asked for (as numpy's polyfit)")
    if cov not in (False, True):
        raise ValueError("cov must be True or False ('unscaled' is not offered)")
    coefficients, residuals, covariances = [], [], []
    for column in columns:
        xs, ys, ws = _points(x, column, w)
        c, rss, v = _core.polyfit(xs, ys, ws, deg, bool(cov))
        coefficients.append(np.array(c[::-1], dtype=np.float64))
        residuals.append(np.nan if rss is None else rss)
        covariances.append(v)
    coef = coefficients[0] if y_all.ndim == 1 else np.stack(coefficients, axis=1)
    if full:
        xs = _vector(x, "x")
        lhs = np.vander(xs, deg + 1)
        if w is not None:
            lhs = lhs * _vector(w, "w")[:, np.newaxis]
        scale = np.sqrt((lhs * lhs).sum(axis=0))
        scale[scale == 0] = 1
        singular = np.linalg.svd(lhs / scale, compute_uv=False)
        return coef, np.array(residuals), deg + 1, singular, len(xs) * np.finfo(xs.dtype).eps
    if cov:
        if y_all.ndim == 1:
            return coef, covariances[0]
        return coef, np.stack(covariances, axis=2)
    return coef


_INTERVALS = {None: "", "confidence": "confidence", "prediction": "prediction"}


class Fit:
    """The exact least-squares polynomial of a data set and its statistics (coefficients
    ascending, from the constant). Missing values are None; ``to_dict()["unavailable"]`` says why."""

    def __init__(self, core, level):
        self._core = core
        self.level = level
        values = core.values()
        self.coefficients = np.array(values["coefficients"], dtype=np.float64)
        self.degree = len(self.coefficients) - 1
        for name in ("standard_errors", "t_values", "p_values", "confidence_intervals", "covariance"):
            setattr(self, name, values[name])
        for name in ("residual_sd", "residual_sum_of_squares", "dof", "r2", "adjusted_r2", "press", "aic", "bic",
                     "aicc", "log_likelihood"):
            setattr(self, name, values[name])

    def predict(self, x, interval=None):
        """The exact optimum's value at each x, correctly rounded; with interval 'confidence' or
        'prediction' also the interval's ends: (fitted, low, high), NaN where there is none."""
        if interval not in _INTERVALS:
            raise ValueError("interval must be None, 'confidence' or 'prediction'")
        scalar = np.ndim(x) == 0
        xs = _vector(np.atleast_1d(x), "x")
        fitted, low, high = self._core.predict(xs, _INTERVALS[interval])
        if scalar:
            fitted, low, high = fitted[0], low[0], high[0]
        return fitted if interval is None else (fitted, low, high)

    def equation(self, digits=3, lang="en"):
        """The window's equation text (Y = c0*X^0 + ...) with `digits` significant digits."""
        return self._core.equation(operator.index(digits), lang).decode("cp932")

    def to_dict(self):
        """The fields of ``plorimet fit --json`` (all but the pairs), by the same names. A fit of
        partial sums (plorimet.dask) has no lack-of-fit test: None, with its reason."""
        fields = json.loads(self._core.json().decode("cp932"))
        if self._core.of_sums:
            reasons = {k: v for k, v in fields["unavailable"].items() if not k.startswith("lack_of_fit")}
            reasons["lack_of_fit"] = fields["unavailable"]["lack_of_fit.f"]
            fields["lack_of_fit"] = None
            fields["unavailable"] = reasons
        return fields

    def __repr__(self):
        return f"<plorimet.Fit degree {self.degree}: {self.equation().splitlines()[0]}>"


def _sorted_points(x, y, w):
    """The points sorted by X (stably), as the fit of repeated X takes them; no copy when sorted."""
    if np.all(x[1:] >= x[:-1]):
        return x, y, w
    order = np.argsort(x, kind="stable")
    return x[order], y[order], None if w is None else w[order]


def _level(level):
    level = float(level)
    if not 0 < level < 1:
        raise ValueError("level must be between 0 and 1")
    return level


def fit(x, y, degree, *, through_origin=False, weights=None, level=0.95):
    """The exact least-squares polynomial of the given degree (the constant fixed at 0 with
    through_origin), with every statistic; ValueError with the reason where there is none."""
    degree = _degree(degree, "degree")
    level = _level(level)
    xs, ys, ws = _sorted_points(*_points(x, y, weights))
    return Fit(_core.fit_points(xs, ys, ws, degree, bool(through_origin), level), level)


def sums_of(x, y, terms, w=None):
    """The exact partial sums (Sums) of these points for fits of up to `terms` coefficients."""
    xs, ys, ws = _points(x, y, w)
    return _core.sums_of(xs, ys, ws, operator.index(terms))
