#!/usr/bin/env python3
"""The statistics of `plorimet fit --all --json --residuals`, `eval --all --interval` and
`degrees --all --json` against an exact reference: Python's fractions for every rational value
and mpmath at 60 digits for the transcendental ones (Student's t, the p-values, the likelihood),
each the correct rounding of its exact value, bit for bit; and one set against statsmodels'
OLS and WLS to ordinary precision.
usage: /usr/bin/python3 stats_check.py PLORIMET"""
import json, math, os, subprocess, sys, tempfile
from fractions import Fraction as Q

import mpmath

mpmath.mp.dps = 60
failures = []


def check(name, want, got):
    if want != got:
        failures.append(f"{name}: want {want!r}, got {got!r}")


def mpq(q):
    return mpmath.mpf(q.numerator) / q.denominator


def rounded(v):
    """The double nearest an exact fraction or a 60-digit value."""
    return float(v) if isinstance(v, Q) else float(mpmath.mpf(v))


def root(q):
    return rounded(mpmath.sqrt(mpq(q)))


def solve(a, b):
    """a x = b in fractions (a square, invertible)."""
    n = len(b)
    m = [row[:] + [b[i]] for i, row in enumerate(a)]
    for p in range(n):
        k = next(r for r in range(p, n) if m[r][p] != 0)
        m[p], m[k] = m[k], m[p]
        for r in range(n):
            if r != p and m[r][p] != 0:
                f = m[r][p] / m[p][p]
                m[r] = [x - f * y for x, y in zip(m[r], m[p])]
    return [m[i][n] / m[i][i] for i in range(n)]


def inverse(a):
    n = len(a)
    cols = [solve(a, [Q(int(i == j)) for i in range(n)]) for j in range(n)]
    return [[cols[j][i] for j in range(n)] for i in range(n)]


def betainc(a, b, x):
    return mpmath.betainc(a, b, 0, mpq(x), regularized=True)


class Exact:
    """The weighted least-squares fit of the doubles, exactly."""

    def __init__(self, x, y, w, degree, origin):
        self.x, self.y, self.w = x, y, w
        self.powers = list(range(1 if origin else 0, degree + 1))
        self.n, self.k = len(x), len(self.powers)
        self.df = self.n - self.k
        g = [[sum(wi * wi * xi ** (i + j) for xi, wi in zip(x, w)) for j in self.powers] for i in self.powers]
        b = [sum(wi * wi * xi ** i * yi for xi, yi, wi in zip(x, y, w)) for i in self.powers]
        self.inv = inverse(g)
        self.c = [sum(self.inv[i][j] * b[j] for j in range(self.k)) for i in range(self.k)]
        self.rss = sum(wi * wi * (yi - self.at(xi)) ** 2 for xi, yi, wi in zip(x, y, w))
        wt = sum(wi * wi for wi in w)
        yy = sum(wi * wi * yi * yi for yi, wi in zip(y, w))
        ys = sum(wi * wi * yi for yi, wi in zip(y, w))
        self.total = yy if origin else yy - ys * ys / wt

    def at(self, x):
        return sum(c * x ** p for c, p in zip(self.c, self.powers))

    def h(self, x):
        v = [x ** p for p in self.powers]
        return sum(v[i] * self.inv[i][j] * v[j] for i in range(self.k) for j in range(self.k))

    def t_quantile(self, level):
        tail = 1 - Q(level)
        f = lambda t: mpmath.betainc(mpmath.mpf(self.df) / 2, 0.5, 0, self.df / (self.df + t * t), regularized=True) - mpq(tail)
        return mpmath.findroot(f, mpmath.mpf(2))


def fit_case(tool, work, name, x, y, w, degree, origin, level):
    path = os.path.join(work, name + ".txt")
    with open(path, "w") as f:
        for k, (xi, yi) in enumerate(zip(x, y)):
            f.write(f"{xi!r} {yi!r}" + (f" {w[k]!r}" if w else "") + "\n")
    args = [tool, "fit", "--all", path, "--degree", str(degree), "--json", "--residuals", "--level", repr(level)]
    args += (["--weights"] if w else []) + (["--through-origin"] if origin else [])
    got = json.loads(subprocess.run(args, check=True, capture_output=True, text=True).stdout)
    X, Y, W = [Q(v) for v in x], [Q(v) for v in y], [Q(v) for v in (w or [1.0] * len(x))]
    e = Exact(X, Y, W, degree, origin)
    first = 1 if origin else 0
    t = e.t_quantile(level)
    check(f"{name} t", rounded(t), got["t_quantile"])
    t = Q(got["t_quantile"])
    for i, p in enumerate(e.powers):
        q = e.inv[i][i]
        c = e.c[i]
        check(f"{name} c{p}", rounded(c), got["optimum_coefficients"][p])
        check(f"{name} se{p}", root(e.rss / e.df * q), got["standard_errors"][p])
        check(f"{name} t{p}", rounded(c * mpmath.sqrt(mpq(e.df / (e.rss * q)))), got["t_values"][p])
        check(f"{name} p{p}", rounded(betainc(Q(e.df, 2), Q(1, 2), e.rss * q / (e.rss * q + c * c))), got["p_values"][p])
        check(f"{name} ci{p}", [rounded(mpq(c) - mpq(t) * mpmath.sqrt(mpq(e.rss / e.df * q))),
                                rounded(mpq(c) + mpq(t) * mpmath.sqrt(mpq(e.rss / e.df * q)))], got["confidence_intervals"][p])
        for j, r in enumerate(e.powers):
            check(f"{name} cov{p}{r}", rounded(e.rss / e.df * e.inv[i][j]), got["covariance"][p][r])
    check(f"{name} rss", rounded(e.rss), got["residual_sum_of_squares"])
    check(f"{name} r2", rounded(1 - e.rss / e.total), got["r_squared"])
    d1 = e.k if origin else e.k - 1
    check(f"{name} F", rounded((e.total - e.rss) / d1 / (e.rss / e.df)), got["f_statistic"])
    check(f"{name} p(F)", rounded(betainc(Q(e.df, 2), Q(d1, 2), e.rss / e.total)), got["f_p_value"])
    n = mpmath.mpf(e.n)
    llf = -n / 2 * (mpmath.log(2 * mpmath.pi) + 1 + mpmath.log(mpq(e.rss) / n)) + sum(mpmath.log(abs(mpq(v))) for v in W)
    check(f"{name} llf", rounded(llf), got["log_likelihood"])
    check(f"{name} aic", rounded(-2 * llf + 2 * e.k), got["aic"])
    check(f"{name} bic", rounded(-2 * llf + e.k * mpmath.log(n)), got["bic"])
    check(f"{name} aicc", rounded(-2 * llf + 2 * e.k + mpmath.mpf(2 * e.k * (e.k + 1)) / (e.n - e.k - 1)), got["aicc"])
    press = Q(0)
    for i, o in enumerate(got["observation_values"]):
        h = W[i] ** 2 * e.h(X[i])
        r = Y[i] - e.at(X[i])
        press += (W[i] * r / (1 - h)) ** 2
        check(f"{name} fitted {i}", rounded(e.at(X[i])), o["fitted"])
        check(f"{name} residual {i}", rounded(r), o["residual"])
        check(f"{name} leverage {i}", rounded(h), o["leverage"])
        check(f"{name} studentized {i}", rounded(W[i] * r * mpmath.sqrt(mpq(e.df / (e.rss * (1 - h))))), o["studentized_residual"])
        check(f"{name} cooks {i}", rounded(W[i] ** 2 * r * r * e.df * h / (e.rss * (1 - h) ** 2 * e.k)), o["cooks_distance"])
    check(f"{name} press", rounded(press), got["press"])
    # The lack-of-fit test where X repeats.
    groups = {}
    for xi, yi, wi in zip(X, Y, W):
        groups.setdefault(xi, []).append((yi, wi))
    if any(len(g) > 1 for g in groups.values()):
        pure = Q(0)
        for g in groups.values():
            mean = sum(wi * wi * yi for yi, wi in g) / sum(wi * wi for yi, wi in g)
            pure += sum(wi * wi * (yi - mean) ** 2 for yi, wi in g)
        dp, dl = e.n - len(groups), len(groups) - e.k
        lof = got["lack_of_fit"]
        check(f"{name} lack-of-fit F", rounded((e.rss - pure) / dl / (pure / dp)), lof["f"])
        check(f"{name} lack-of-fit p", rounded(betainc(Q(dp, 2), Q(dl, 2), pure / e.rss)), lof["p_value"])
    # eval: the optimum's value and its intervals between two observations.
    at = (x[0] + x[-1]) / 2 + 0.125
    out = subprocess.run([tool, "eval", "--all", path, "--degree", str(degree), "--at", repr(at), "--interval", "--level", repr(level)]
                         + (["--weights"] if w else []) + (["--through-origin"] if origin else []),
                         check=True, capture_output=True, text=True).stdout.splitlines()[1].split("\t")
    A = Q(at)
    s = mpmath.sqrt(mpq(e.rss / e.df * e.h(A)))
    check(f"{name} eval", rounded(e.at(A)), float(out[1]))
    check(f"{name} eval interval", [rounded(mpq(e.at(A)) - mpq(t) * s), rounded(mpq(e.at(A)) + mpq(t) * s)], [float(out[2]), float(out[3])])
    return path, got


def statsmodels_case(tool, path, got, x, y, w, degree):
    """The same fit by statsmodels 0.13, to ordinary precision."""
    import numpy as np
    import statsmodels.api as sm
    from statsmodels.stats.outliers_influence import OLSInfluence
    design = np.column_stack([np.asarray(x) ** p for p in range(degree + 1)])
    model = sm.WLS(y, design, weights=np.asarray(w) ** 2) if w else sm.OLS(y, design)
    r = model.fit()
    close = lambda a, b: abs(a - b) <= 1e-8 * max(1.0, abs(a))
    for name, want, have in [("llf", r.llf, got["log_likelihood"]), ("aic", r.aic, got["aic"]), ("bic", r.bic, got["bic"]),
                             ("F", r.fvalue, got["f_statistic"]), ("p(F)", r.f_pvalue, got["f_p_value"])]:
        if not close(want, have):
            failures.append(f"statsmodels {os.path.basename(path)} {name}: {want!r} against {have!r}")
    for j in range(degree + 1):
        if not close(r.pvalues[j], got["p_values"][j]) or not close(r.tvalues[j], got["t_values"][j]):
            failures.append(f"statsmodels {os.path.basename(path)} t/p {j}")
    if not w:
        influence = OLSInfluence(r)
        for i, o in enumerate(got["observation_values"]):
            if not (close(influence.hat_matrix_diag[i], o["leverage"]) and close(influence.cooks_distance[0][i], o["cooks_distance"])
                    and close(influence.resid_studentized_internal[i], o["studentized_residual"])):
                failures.append(f"statsmodels influence {i}")


def main(tool):
    work = tempfile.mkdtemp()
    wobble = lambda k, x: 3 + math.sin(0.7 * k) + 0.01 * (k % 7) + 0.5 * math.cos(x)
    # Years with replicates and weights; offsets; through the origin with weights.
    x1 = [2000 + k // 2 for k in range(20)]
    y1 = [wobble(k, x) for k, x in enumerate(x1)]
    w1 = [0.5 + 0.375 * (k % 5) for k in range(20)]
    x2 = [100.5 + k for k in range(12)]
    y2 = [wobble(k, x) for k, x in enumerate(x2)]
    x3 = [0.25 * (k + 1) for k in range(10)]
    y3 = [wobble(k, x) for k, x in enumerate(x3)]
    w3 = [1 + 0.25 * (k % 3) for k in range(10)]
    fit_case(tool, work, "weighted years", x1, y1, w1, 3, False, 0.9)
    # statsmodels solves in double: the set it is compared on is well conditioned.
    x4 = [0.25 * (k // 2) for k in range(24)]
    y4 = [wobble(k, x) for k, x in enumerate(x4)]
    w4 = [0.5 + 0.375 * (k % 5) for k in range(24)]
    path, got = fit_case(tool, work, "weighted quarters", x4, y4, w4, 3, False, 0.95)
    statsmodels_case(tool, path, got, x4, y4, w4, 3)
    path, got = fit_case(tool, work, "offsets", x2, y2, None, 2, False, 0.99)
    statsmodels_case(tool, path, got, x2, y2, None, 2)
    fit_case(tool, work, "weighted through the origin", x3, y3, w3, 2, True, 0.95)
    # degrees: each row that of its own degree's fit.
    rows = json.loads(subprocess.run([tool, "degrees", "--all", os.path.join(work, "weighted years.txt"), "--weights", "--up-to", "4",
                                      "--json"], check=True, capture_output=True, text=True).stdout)["degrees"]
    for row in rows:
        d = row["degree"]
        one = json.loads(subprocess.run([tool, "fit", "--all", os.path.join(work, "weighted years.txt"), "--weights", "--degree", str(max(d, 1)),
                                         "--json"], check=True, capture_output=True, text=True).stdout) if d else None
        if one:
            for key in ("aic", "bic", "aicc", "press", "r_squared", "residual_std_dev"):
                check(f"degrees row {d} {key}", one[key], row[key])
    print(f"{len(failures)} failures")
    for f in failures[:40]:
        print("FAIL", f)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
