"""Shared helpers of the module's tests: the exact rational reference, NIST's sets, generated
data and one Dask cluster for the session."""
import json
import os
import pathlib
from fractions import Fraction

import numpy as np
import pytest

ROOT = pathlib.Path(__file__).resolve().parents[2]
NIST_DIR = pathlib.Path(os.environ.get("PLORIMET_NIST_DIR", ROOT / "tests" / "data" / "nist"))


def exact_normal_equations(x, y, degree, w=None, through_origin=False):
    """The normal equations G a = b of the points in exact rationals (powers of x, from 0 or 1)."""
    powers = list(range(1 if through_origin else 0, degree + 1))
    xs = [Fraction(v) for v in x]
    ys = [Fraction(v) for v in y]
    ws = [Fraction(1)] * len(xs) if w is None else [Fraction(v) ** 2 for v in w]
    top = 2 * degree
    sums = [sum(wk * xk ** p for xk, wk in zip(xs, ws)) for p in range(top + 1)]
    moments = [sum(wk * xk ** p * yk for xk, yk, wk in zip(xs, ys, ws)) for p in range(degree + 1)]
    g = [[sums[i + j] for j in powers] for i in powers]
    b = [moments[i] for i in powers]
    return g, b, powers


def solve_exactly(g, b):
    """The solution of G a = b by Gaussian elimination in rationals."""
    n = len(b)
    a = [row[:] + [b[i]] for i, row in enumerate(g)]
    for col in range(n):
        pivot = next(r for r in range(col, n) if a[r][col] != 0)
        a[col], a[pivot] = a[pivot], a[col]
        for r in range(n):
            if r != col and a[r][col] != 0:
                f = a[r][col] / a[col][col]
                a[r] = [u - f * v for u, v in zip(a[r], a[col])]
    return [a[i][n] / a[i][i] for i in range(n)]


def inverse_exactly(g):
    n = len(g)
    columns = [solve_exactly(g, [Fraction(int(i == j)) for i in range(n)]) for j in range(n)]
    return [[columns[j][i] for j in range(n)] for i in range(n)]


class ExactFit:
    """The exact optimum of the points in rationals, with what the tests compare."""

    def __init__(self, x, y, degree, w=None, through_origin=False):
        g, b, powers = exact_normal_equations(x, y, degree, w, through_origin)
        a = solve_exactly(g, b)
        self.coefficients = [Fraction(0)] * (degree + 1)
        for p, value in zip(powers, a):
            self.coefficients[p] = value
        ws = [Fraction(1)] * len(x) if w is None else [Fraction(v) for v in w]
        residuals = [wk * (Fraction(yk) - sum(c * Fraction(xk) ** p for p, c in enumerate(self.coefficients)))
                     for xk, yk, wk in zip(x, y, ws)]
        self.rss = sum(r * r for r in residuals)
        self.dof = len(x) - len(powers)
        self.inverse = inverse_exactly(g)
        self.powers = powers

    def rounded_coefficients(self):
        """Each coefficient rounded to the nearest double (Fraction to float rounds correctly)."""
        return [float(c) for c in self.coefficients]

    def covariance(self):
        """RSS / dof times the inverse of G, in powers 0..degree (0 for the fixed constant)."""
        scale = self.rss / self.dof
        n = len(self.coefficients)
        out = [[0.0] * n for _ in range(n)]
        for i, p in enumerate(self.powers):
            for j, q in enumerate(self.powers):
                out[p][q] = float(scale * self.inverse[i][j])
        return out


def nist_sets():
    """(name, x, y, certified json) of NIST's polynomial sets."""
    out = []
    for path in sorted(NIST_DIR.glob("*.json")):
        cert = json.loads(path.read_text())
        pairs = np.loadtxt(NIST_DIR / cert["data_file"])
        out.append((cert["dataset"], pairs[:, 0], pairs[:, 1], cert))
    return out


def generated(n, degree=3, seed=7, spread=1.0):
    """n points near a polynomial, X uniform in [-spread, 3 spread], noise of 0.1."""
    rng = np.random.default_rng(seed)
    x = rng.uniform(-spread, 3 * spread, n)
    y = sum((k + 1) * (-0.5) ** k * x ** k for k in range(degree + 1)) + rng.normal(0, 0.1, n)
    return x, y


@pytest.fixture(scope="session")
def dask_client():
    """Two worker processes on 127.0.0.1, started once for the session and closed after it."""
    distributed = pytest.importorskip("distributed")
    cluster = distributed.LocalCluster(n_workers=2, threads_per_worker=1, processes=True, host="127.0.0.1",
                                       dashboard_address=None)
    client = distributed.Client(cluster)
    yield client
    client.close()
    cluster.close()
