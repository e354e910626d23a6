"""The module's values against the exact rational optimum, and NIST's certified values."""
from fractions import Fraction

import mpmath
import numpy as np
import pytest

import plorimet
from conftest import ExactFit, nist_sets

# Ill-conditioned sets: (name, x, y, degree, weights, through the origin).
ILL_CONDITIONED = [
    ("far from 0", 1e8 + np.arange(12.0), np.sin(np.arange(12.0)), 3, None, False),
    ("close X", 1 + np.arange(15.0) * 2.0 ** -30, np.cos(np.arange(15.0)), 4, None, False),
    ("high degree", np.linspace(-1, 1, 30), np.exp(np.linspace(-1, 1, 30)), 12, None, False),
    ("wide weights", np.arange(1.0, 11.0), np.arange(1.0, 11.0) ** 1.5, 2, 10.0 ** np.arange(-5.0, 5.0), False),
    ("through the origin", np.arange(1.0, 9.0) * 1e5, np.arange(1.0, 9.0) ** 0.5, 3, None, True),
    ("exact data", np.arange(7.0), 3 * np.arange(7.0) ** 2 - 1.25, 2, None, False),
]


@pytest.mark.parametrize("name,x,y,degree,w,origin", ILL_CONDITIONED, ids=[c[0] for c in ILL_CONDITIONED])
def test_fit_is_the_exact_optimum_correctly_rounded(name, x, y, degree, w, origin):
    exact = ExactFit(x, y, degree, w, origin)
    f = plorimet.fit(x, y, degree, weights=w, through_origin=origin)
    assert list(f.coefficients) == exact.rounded_coefficients()
    assert f.residual_sum_of_squares == float(exact.rss)
    if exact.rss:
        with mpmath.workdps(60):
            assert f.residual_sd == float(mpmath.sqrt(mpmath.mpf(exact.rss.numerator) / exact.rss.denominator / exact.dof))
        want = exact.covariance()
        first = 1 if origin else 0
        for i in range(first, degree + 1):
            assert f.covariance[i][first:] == want[i][first:]


@pytest.mark.parametrize("name,x,y,degree,w,origin", [c for c in ILL_CONDITIONED if not c[5]],
                         ids=[c[0] for c in ILL_CONDITIONED if not c[5]])
def test_polyfit_is_the_exact_optimum_correctly_rounded(name, x, y, degree, w, origin):
    exact = ExactFit(x, y, degree, w)
    coef, cov = plorimet.polyfit(x, y, degree, w=w, cov=True)
    assert list(coef) == exact.rounded_coefficients()[::-1]
    if exact.rss:
        want = np.array(exact.covariance())[::-1, ::-1]
        assert np.array_equal(cov, want)


@pytest.mark.parametrize("name,x,y,cert", nist_sets(), ids=[s[0] for s in nist_sets()])
def test_nist_certified_values_to_13_digits(name, x, y, cert):
    origin = cert.get("through_origin", False)
    f = plorimet.fit(x, y, cert["degree"], through_origin=origin)
    exact = ExactFit(x, y, cert["degree"], through_origin=origin)
    assert list(f.coefficients) == exact.rounded_coefficients()

    def digits(value, certified):  # relative, absolute where the certified value is 0
        return 17 if value == certified else -np.log10(abs(value - certified) / (abs(certified) or 1.0))

    checks = [(f.residual_sd, cert["residual_standard_deviation"]), (f.r2, cert["r_squared"])]
    for term in cert["certified_coefficients"]:
        checks += [(f.coefficients[term["power"]], term["estimate"]), (f.standard_errors[term["power"]], term["std_dev"])]
    for value, certified in checks:
        assert digits(value, certified) >= 13, (value, certified)


@pytest.mark.parametrize("at,expected", [(0.5, 1.0), (1.5, 1 + 2 * 2.0 ** -52), (2.5, 1 + 2 * 2.0 ** -52),
                                         (-0.25, 1.0), (-0.75, 1 - 2.0 ** -52)])
def test_predict_rounds_midpoints_to_even(at, expected):
    e = 2.0 ** -52
    f = plorimet.fit([0.0, 1.0, 2.0, 3.0], [1.0, 1 + e, 1 + 2 * e, 1 + 3 * e], 1)
    assert f.predict(at) == expected
    assert Fraction(expected) - (1 + Fraction(at) * Fraction(e)) != 0  # each a true midpoint case
