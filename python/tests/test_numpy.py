"""plorimet.polyfit in numpy.polyfit's place: the same shapes and order, the same values to
rounding on well-conditioned data."""
import numpy as np
import pytest

import plorimet
from conftest import generated

CLOSE = dict(rtol=1e-10, atol=1e-12)


def weights(n):
    return 0.5 + np.arange(n) % 5 / 4.0


# (name, arguments beyond x, y, deg)
CALLS = [
    ("plain", {}),
    ("weighted", {"w": "w"}),
    ("cov", {"cov": True}),
    ("weighted cov", {"w": "w", "cov": True}),
    ("full", {"full": True}),
    ("weighted full", {"w": "w", "full": True}),
]


def call(fn, x, y, deg, kwargs):
    kwargs = {k: (weights(len(x)) if v == "w" else v) for k, v in kwargs.items()}
    return fn(x, y, deg, **kwargs)


def assert_like(mine, theirs, path="result"):
    if isinstance(theirs, tuple):
        assert isinstance(mine, tuple) and len(mine) == len(theirs), path
        for k, (a, b) in enumerate(zip(mine, theirs)):
            assert_like(a, b, f"{path}[{k}]")
        return
    a, b = np.asarray(mine), np.asarray(theirs)
    assert a.shape == b.shape, path
    assert a.dtype.kind == b.dtype.kind or {a.dtype.kind, b.dtype.kind} <= {"i", "f"}, path
    np.testing.assert_allclose(a, b, err_msg=path, **CLOSE)


@pytest.mark.parametrize("deg", [0, 1, 3])
@pytest.mark.parametrize("name,kwargs", CALLS, ids=[c[0] for c in CALLS])
def test_polyfit_as_numpy(deg, name, kwargs):
    x, y = generated(40, degree=3)
    assert_like(call(plorimet.polyfit, x, y, deg, kwargs), call(np.polyfit, x, y, deg, kwargs))


@pytest.mark.parametrize("name,kwargs", [c for c in CALLS if "full" not in c[1]], ids=[c[0] for c in CALLS if "full" not in c[1]])
def test_polyfit_of_columns_as_numpy(name, kwargs):
    x, y = generated(30, degree=2)
    y2 = np.stack([y, 2 * y - x, np.cos(x)], axis=1)
    assert_like(call(plorimet.polyfit, x, y2, 2, kwargs), call(np.polyfit, x, y2, 2, kwargs))


def test_polyfit_full_of_columns_as_numpy():
    x, y = generated(30, degree=2)
    y2 = np.stack([y, np.cos(x)], axis=1)
    assert_like(plorimet.polyfit(x, y2, 2, full=True), np.polyfit(x, y2, 2, full=True))


def test_polyfit_takes_lists_ints_and_series():
    pandas = pytest.importorskip("pandas")
    x = [0, 1, 2, 3, 4]
    y = [1, 3, 7, 13, 21]  # x^2 + x + 1
    want = [1.0, 1.0, 1.0]
    assert list(plorimet.polyfit(x, y, 2)) == want
    assert list(plorimet.polyfit(np.array(x, dtype=np.int32), np.array(y, dtype=np.uint8), 2)) == want
    assert list(plorimet.polyfit(pandas.Series(x), pandas.Series(y, dtype="float32"), 2)) == want
    strided = np.zeros((5, 3))
    strided[:, 1] = x
    assert list(plorimet.polyfit(strided[:, 1], np.array(y, dtype=float)[::-1][::-1], 2)) == want


def test_polyfit_gives_no_conditioning_warning(recwarn):
    x = 1e6 + np.arange(20.0)
    plorimet.polyfit(x, np.sqrt(x), 8)
    assert not recwarn.list
