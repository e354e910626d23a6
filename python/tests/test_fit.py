"""plorimet.fit: the command line's report field by field, the Fit's attributes, predict, the
equation, and input that has no fit."""
import json
import os
import pathlib
import subprocess

import numpy as np
import pytest

import plorimet
from conftest import ROOT, generated

CLI = os.environ.get("PLORIMET_CLI", str(ROOT / "build" / "native" / "tools" / "plorimet"))

# (name, n, degree, repeats, weighted, through the origin, level)
CASES = [
    ("line", 25, 1, 1, False, False, 0.95),
    ("cubic, repeated X", 60, 3, 3, False, False, 0.9),
    ("weighted", 40, 2, 1, True, False, 0.99),
    ("through the origin", 30, 2, 1, False, True, 0.95),
    ("through every point", 5, 4, 1, False, False, 0.95),
]


def case_points(n, repeats, weighted, seed=3):
    x, y = generated(n, degree=3, seed=seed)
    x = np.round(x, 2)
    if repeats > 1:
        x = np.repeat(x[: n // repeats], repeats)[:n]
    w = 0.25 + (np.arange(n) % 4) / 2.0 if weighted else None
    return x, y, w


def cli_report(tmp_path, x, y, w, degree, origin, level):
    path = tmp_path / "points.txt"
    columns = [x, y] + ([w] if w is not None else [])
    path.write_text("".join(" ".join(repr(float(v)) for v in row) + "\n" for row in zip(*columns)))
    args = [CLI, "fit", "--all", str(path), "--degree", str(degree), "--json", "--level", repr(level)]
    args += ["--weights"] if w is not None else []
    args += ["--through-origin"] if origin else []
    out = json.loads(subprocess.run(args, check=True, capture_output=True, text=True).stdout)
    del out["pairs"]
    return out


@pytest.mark.skipif(not pathlib.Path(CLI).exists(), reason="the command line is not built")
@pytest.mark.parametrize("name,n,degree,repeats,weighted,origin,level", CASES, ids=[c[0] for c in CASES])
def test_to_dict_is_the_command_lines_report(tmp_path, name, n, degree, repeats, weighted, origin, level):
    x, y, w = case_points(n, repeats, weighted)
    f = plorimet.fit(x, y, degree, weights=w, through_origin=origin, level=level)
    assert f.to_dict() == cli_report(tmp_path, x, y, w, degree, origin, level)


@pytest.mark.parametrize("name,n,degree,repeats,weighted,origin,level", CASES, ids=[c[0] for c in CASES])
def test_attributes_are_the_reports_values(name, n, degree, repeats, weighted, origin, level):
    x, y, w = case_points(n, repeats, weighted)
    f = plorimet.fit(x, y, degree, weights=w, through_origin=origin, level=level)
    d = f.to_dict()
    pairs = {"coefficients": "optimum_coefficients", "standard_errors": "standard_errors", "t_values": "t_values",
             "p_values": "p_values", "covariance": "covariance", "residual_sd": "residual_std_dev",
             "dof": "degrees_of_freedom", "r2": "r_squared", "adjusted_r2": "adjusted_r_squared", "press": "press",
             "aic": "aic", "bic": "bic", "aicc": "aicc"}
    for attribute, field in pairs.items():
        value = getattr(f, attribute)
        assert (list(value) if attribute == "coefficients" else value) == d[field], attribute
    assert [None if c is None else list(c) for c in f.confidence_intervals] == d["confidence_intervals"]


def test_predict_is_vectorised_with_its_intervals():
    x, y = generated(50)
    f = plorimet.fit(x, y, 3)
    at = np.linspace(-1, 3, 7)
    fitted = f.predict(at)
    assert fitted.shape == (7,)
    assert f.predict(at[2]) == fitted[2]
    for kind in ("confidence", "prediction"):
        value, low, high = f.predict(at, interval=kind)
        assert np.array_equal(value, fitted) and np.all(low < value) and np.all(value < high)
    _, clow, chigh = f.predict(at, "confidence")
    _, plow, phigh = f.predict(at, "prediction")
    assert np.all(plow < clow) and np.all(chigh < phigh)
    with pytest.raises(ValueError):
        f.predict(at, interval="tolerance")


def test_equation_is_the_windows_text():
    f = plorimet.fit([0, 1, 2, 3], [1, 3, 7, 13.5], 2)
    assert f.equation() == f.to_dict()["equation"]
    assert f.equation(digits=5).startswith("Y = 1.025*X^0")
    assert "最小二乗法" in f.equation(lang="ja")
    with pytest.raises(ValueError):
        f.equation(lang="fr")


BAD = [
    ("nan in y", [0, 1, 2], [1, np.nan, 2], None, ValueError, r"y\[1\] is nan"),
    ("inf in x", [0, np.inf, 2], [1, 2, 3], None, ValueError, r"x\[1\] is inf"),
    ("nan weight", [0, 1, 2], [1, 2, 3], [1, 1, np.nan], ValueError, r"w\[2\] is nan"),
    ("lengths", [0, 1, 2], [1, 2], None, TypeError, "same length"),
    ("empty", [], [], None, TypeError, "non-empty"),
    ("text", ["a", "b", "c"], [1, 2, 3], None, TypeError, "numbers"),
    ("two dimensions", [[0, 1], [2, 3]], [[1, 2], [3, 4]], None, TypeError, "1D"),
    ("too few distinct X", [1, 1, 2, 2], [1, 2, 3, 4], None, ValueError, "not offered for 4 pairs with 2 distinct X"),
]


@pytest.mark.parametrize("name,x,y,w,error,message", BAD, ids=[c[0] for c in BAD])
def test_bad_input_is_refused_with_its_reason(name, x, y, w, error, message):
    with pytest.raises(error, match=message):
        plorimet.fit(x, y, 2, weights=w)
    with pytest.raises(error, match=message.replace("not offered", "not offered")):
        plorimet.polyfit(x, y, 2, w=w)


def test_through_the_origin_needs_a_nonzero_x():
    with pytest.raises(ValueError, match="every X is 0"):
        plorimet.fit([0, 0, 0], [1, 2, 3], 1, through_origin=True)


def test_level_and_degree_are_checked():
    with pytest.raises(ValueError, match="level"):
        plorimet.fit([0, 1, 2], [1, 2, 3], 1, level=1.5)
    with pytest.raises(ValueError, match="degree >= 0"):
        plorimet.fit([0, 1, 2], [1, 2, 3], -1)


def test_the_readmes_example_gives_what_it_shows():
    import doctest
    text = (ROOT / "README.md").read_text()
    block = text.split("## In Python", 1)[1].split("```python\n", 1)[1].split("```", 1)[0]
    test = doctest.DocTestParser().get_doctest(block, {}, "README", "README.md", 0)
    runner = doctest.DocTestRunner(optionflags=doctest.NORMALIZE_WHITESPACE)
    runner.run(test)
    assert runner.failures == 0
