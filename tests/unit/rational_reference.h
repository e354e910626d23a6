// The exact least-squares optimum in rational arithmetic, for checking the solver: slow,
// plain and independent of the code under test.
#pragma once

#include <boost/multiprecision/cpp_int.hpp>

#include <algorithm>
#include <cmath>
#include <vector>

namespace plorimet::reference {

namespace mp = boost::multiprecision;
using Rational = mp::cpp_rational;
using Integer = mp::cpp_int;

// A double is a binary fraction: its exact value.
inline Rational Exact(double v) {
    int exponent = 0;
    const double fraction = std::frexp(v, &exponent);
    Integer mantissa = static_cast<long long>(std::ldexp(fraction, 53));
    exponent -= 53;
    if (exponent >= 0) return Rational(Integer(mantissa << exponent));
    return Rational(mantissa, Integer(Integer(1) << -exponent));
}

inline bool EvenLastBit(double v) {
    int exponent = 0;
    return (static_cast<long long>(std::ldexp(std::frexp(v, &exponent), 53)) & 1) == 0;
}

// The double nearest to q, ties to the even neighbour (normal range; infinite beyond it).
inline double Nearest(const Rational& q) {
    double best = q.convert_to<double>();
    if (q == 0) return 0.0;
    if (!std::isfinite(best)) return best;
    for (int round = 0; round < 4; ++round) {
        const double below = std::nextafter(best, -HUGE_VAL);
        const double above = std::nextafter(best, HUGE_VAL);
        const Rational here = mp::abs(q - Exact(best));
        const Rational lower = mp::abs(q - Exact(below));
        const Rational upper = mp::abs(q - Exact(above));
        double next = best;
        if (lower < here || (lower == here && EvenLastBit(below))) next = below;
        if (upper < here || (upper == here && EvenLastBit(above))) next = above;
        if (next == best) break;
        best = next;
    }
    return best;
}

// Solves G u = b for an integer matrix: fraction-free (Bareiss) elimination to a triangle of
// integers, then back substitution in rationals.
inline std::vector<Rational> SolveExactly(std::vector<std::vector<Integer>> g, std::vector<Integer> b) {
    const size_t m = b.size();
    Integer previous = 1;
    for (size_t p = 0; p + 1 < m; ++p) {
        size_t pivot = p;
        while (g[pivot][p] == 0) ++pivot;
        std::swap(g[pivot], g[p]);
        std::swap(b[pivot], b[p]);
        for (size_t r = p + 1; r < m; ++r) {
            for (size_t c = p + 1; c < m; ++c) g[r][c] = (g[r][c] * g[p][p] - g[r][p] * g[p][c]) / previous;
            b[r] = (b[r] * g[p][p] - g[r][p] * b[p]) / previous;
            g[r][p] = 0;
        }
        previous = g[p][p];
    }
    std::vector<Rational> u(m);
    for (size_t i = m; i-- > 0;) {
        Rational sum = Rational(b[i]);
        for (size_t c = i + 1; c < m; ++c) sum -= Rational(g[i][c]) * u[c];
        u[i] = sum / Rational(g[i][i]);
    }
    return u;
}

// The polynomial through every point, by divided differences, in powers of x.
inline std::vector<Rational> Interpolate(const std::vector<Rational>& x, const std::vector<Rational>& y) {
    const size_t n = x.size();
    std::vector<Rational> d = y;
    for (size_t level = 1; level < n; ++level)
        for (size_t i = n - 1; i >= level; --i) d[i] = (d[i] - d[i - 1]) / (x[i] - x[i - level]);
    // Newton form to powers of x: p = d[n-1]; p = p (x - x[i]) + d[i].
    std::vector<Rational> c(1, d[n - 1]);
    for (size_t i = n - 1; i-- > 0;) {
        std::vector<Rational> next(c.size() + 1);
        for (size_t j = 0; j < c.size(); ++j) {
            next[j + 1] += c[j];
            next[j] -= c[j] * x[i];
        }
        next[0] += d[i];
        c = std::move(next);
    }
    return c;
}

// The exact optimum with `terms` coefficients of the points, each rounded to the nearest double.
inline std::vector<double> LeastSquares(const double* xs, const double* ys, size_t n, size_t terms) {
    std::vector<Rational> x(n);
    std::vector<Rational> y(n);
    for (size_t k = 0; k < n; ++k) {
        x[k] = Exact(xs[k]);
        y[k] = Exact(ys[k]);
    }
    std::vector<Rational> c;
    if (terms == n) {
        c = Interpolate(x, y);
    } else {
        // Every X as X' 2^e and every Y as Y' 2^f with integers X', Y': the normal equations
        // of the integers give u, and c_j = u_j 2^(f - e j).
        auto commonScale = [](const std::vector<Rational>& values, std::vector<Integer>& integers) {
            Integer denominator = 1;
            for (const Rational& v : values) denominator = mp::lcm(denominator, Integer(mp::denominator(v)));
            for (const Rational& v : values) integers.push_back(Integer(mp::numerator(v) * (denominator / mp::denominator(v))));
            return Rational(1, denominator);
        };
        std::vector<Integer> xi;
        std::vector<Integer> yi;
        const Rational xUnit = commonScale(x, xi);
        const Rational yUnit = commonScale(y, yi);
        std::vector<Integer> sums(2 * terms - 1);
        std::vector<Integer> b(terms);
        for (size_t k = 0; k < n; ++k) {
            Integer power = 1;
            for (size_t p = 0; p < 2 * terms - 1; ++p) {
                sums[p] += power;
                if (p < terms) b[p] += power * yi[k];
                power *= xi[k];
            }
        }
        std::vector<std::vector<Integer>> g(terms, std::vector<Integer>(terms));
        for (size_t i = 0; i < terms; ++i)
            for (size_t j = 0; j < terms; ++j) g[i][j] = sums[i + j];
        c = SolveExactly(std::move(g), std::move(b));
        Rational scale = yUnit;
        for (size_t j = 0; j < terms; ++j) {
            c[j] *= scale;
            scale /= xUnit;
        }
    }
    std::vector<double> rounded(terms);
    for (size_t j = 0; j < terms; ++j) rounded[j] = Nearest(c[j]);
    return rounded;
}


// ---- Statistics of a fit, exactly --------------------------------------------------------

inline int SignOf(const Rational& q) { return q > 0 ? 1 : (q < 0 ? -1 : 0); }

// The sign of a + k sqrt(q), q >= 0.
inline int SignOfSum(const Rational& a, const Rational& k, const Rational& q) {
    const int s = q == 0 ? 0 : SignOf(k);
    if (s == 0 || SignOf(a) == 0 || SignOf(a) == s) return s ? s : SignOf(a);
    const Rational left = a * a;
    const Rational right = k * k * q;
    return left > right ? SignOf(a) : (left < right ? s : 0);
}

// The double nearest to c + k sqrt(q) (ties to even): a correctly rounded square root for c = 0, k = 1.
inline double NearestWithRoot(const Rational& c, const Rational& k, const Rational& q) {
    // sqrt(q) from q scaled by a power of 4 into the range of a double
    Rational scaled = q;
    int halves = 0;
    while (scaled > Rational(1e300)) scaled /= 4, ++halves;
    while (scaled != 0 && scaled < Rational(1e-300)) scaled *= 4, --halves;
    double d = c.convert_to<double>() + k.convert_to<double>() * std::ldexp(std::sqrt(scaled.convert_to<double>()), halves);
    if (!std::isfinite(d)) return d;
    for (;;) {
        const double below = std::nextafter(d, -HUGE_VAL);
        const double above = std::nextafter(d, HUGE_VAL);
        const int low = SignOfSum(c - (Exact(d) + Exact(below)) / 2, k, q);
        const int high = SignOfSum(c - (Exact(d) + Exact(above)) / 2, k, q);
        if (low < 0) d = below;
        else if (high > 0) d = above;
        else if (low == 0) return EvenLastBit(d) ? d : below;
        else if (high == 0) return EvenLastBit(d) ? d : above;
        else return d;
    }
}

inline std::vector<std::vector<Rational>> Inverse(std::vector<std::vector<Rational>> a) {
    const size_t m = a.size();
    std::vector<std::vector<Rational>> inv(m, std::vector<Rational>(m));
    for (size_t i = 0; i < m; ++i) inv[i][i] = 1;
    for (size_t p = 0; p < m; ++p) {
        size_t pivot = p;
        while (a[pivot][p] == 0) ++pivot;
        std::swap(a[pivot], a[p]);
        std::swap(inv[pivot], inv[p]);
        const Rational scale = a[p][p];
        for (size_t c = 0; c < m; ++c) {
            a[p][c] /= scale;
            inv[p][c] /= scale;
        }
        for (size_t r = 0; r < m; ++r) {
            if (r == p || a[r][p] == 0) continue;
            const Rational f = a[r][p];
            for (size_t c = 0; c < m; ++c) {
                a[r][c] -= f * a[p][c];
                inv[r][c] -= f * inv[p][c];
            }
        }
    }
    return inv;
}

// A fit in powers first..degree of x (first 1: through the origin), in plain rationals.
struct ExactStatistics {
    std::vector<Rational> coefficients;       // powers first..degree
    std::vector<std::vector<Rational>> covarianceOverVariance;  // (V^T V)^-1
    Rational rss;
    long long df = 0;
    std::vector<Rational> basis(const Rational& x, int first) const {
        std::vector<Rational> v;
        Rational power = 1;
        for (int p = 0; p < first; ++p) power *= x;
        for (size_t j = 0; j < coefficients.size(); ++j, power *= x) v.push_back(power);
        return v;
    }
    Rational quadratic(const std::vector<Rational>& v) const {
        Rational s = 0;
        for (size_t i = 0; i < v.size(); ++i)
            for (size_t j = 0; j < v.size(); ++j) s += v[i] * covarianceOverVariance[i][j] * v[j];
        return s;
    }
};

// Weights (none: every weight 1) multiply the residuals: the sums are of w^2 v v^T, w^2 v y.
inline Rational SquaredWeight(const std::vector<double>& ws, size_t k) {
    return ws.empty() ? Rational(1) : Exact(ws[k]) * Exact(ws[k]);
}

inline ExactStatistics FitExactly(const std::vector<double>& xs, const std::vector<double>& ys, int degree, int first,
                                  const std::vector<double>& ws = {}) {
    const size_t m = static_cast<size_t>(degree - first + 1);
    std::vector<std::vector<Rational>> g(m, std::vector<Rational>(m));
    std::vector<Rational> b(m);
    std::vector<Rational> x;
    std::vector<Rational> y;
    for (size_t k = 0; k < xs.size(); ++k) {
        x.push_back(Exact(xs[k]));
        y.push_back(Exact(ys[k]));
    }
    ExactStatistics s;
    s.coefficients.assign(m, 0);
    for (size_t k = 0; k < x.size(); ++k) {
        const std::vector<Rational> v = s.basis(x[k], first);
        const Rational w2 = SquaredWeight(ws, k);
        for (size_t i = 0; i < m; ++i) {
            b[i] += w2 * v[i] * y[k];
            for (size_t j = 0; j < m; ++j) g[i][j] += w2 * v[i] * v[j];
        }
    }
    s.covarianceOverVariance = Inverse(g);
    for (size_t i = 0; i < m; ++i)
        for (size_t j = 0; j < m; ++j) s.coefficients[i] += s.covarianceOverVariance[i][j] * b[j];
    for (size_t k = 0; k < x.size(); ++k) {
        Rational e = y[k];
        const std::vector<Rational> v = s.basis(x[k], first);
        for (size_t i = 0; i < m; ++i) e -= s.coefficients[i] * v[i];
        s.rss += SquaredWeight(ws, k) * e * e;
    }
    s.df = static_cast<long long>(x.size() - m);
    return s;
}

// Sum of squared leave-one-out errors, (e_i / (1 - h_i))^2.
// With weights: e_i = w_i (y_i - p(x_i)) and h_i = w_i^2 v_i^T (V^T W V)^-1 v_i.
inline Rational Press(const ExactStatistics& s, const std::vector<double>& xs, const std::vector<double>& ys, int first,
                      const std::vector<double>& ws = {}) {
    Rational press = 0;
    for (size_t k = 0; k < xs.size(); ++k) {
        const std::vector<Rational> v = s.basis(Exact(xs[k]), first);
        Rational e = Exact(ys[k]);
        for (size_t i = 0; i < v.size(); ++i) e -= s.coefficients[i] * v[i];
        const Rational w2 = SquaredWeight(ws, k);
        const Rational d = e * e * w2 / ((1 - w2 * s.quadratic(v)) * (1 - w2 * s.quadratic(v)));
        press += d;
    }
    return press;
}

// Everything a fit is asked for, exactly: per observation (in the points' order) the fitted
// value, residual y - fitted, leverage h = w² v'(V'WV)^-1 v; the pure error of repeated X.
struct ExactObservation {
    Rational fitted, residual, leverage, weight;
};

inline std::vector<ExactObservation> Observations(const ExactStatistics& s, const std::vector<double>& xs,
                                                  const std::vector<double>& ys, int first,
                                                  const std::vector<double>& ws = {}) {
    std::vector<ExactObservation> out;
    for (size_t k = 0; k < xs.size(); ++k) {
        const std::vector<Rational> v = s.basis(Exact(xs[k]), first);
        ExactObservation o;
        for (size_t i = 0; i < v.size(); ++i) o.fitted += s.coefficients[i] * v[i];
        o.residual = Exact(ys[k]) - o.fitted;
        o.weight = ws.empty() ? Rational(1) : Exact(ws[k]);
        o.leverage = o.weight * o.weight * s.quadratic(v);
        out.push_back(o);
    }
    return out;
}

// Sum over the X observed more than once (weight not 0) of sum w² (y - mean)², the weighted
// mean of that X; and the number of distinct X among the points of nonzero weight.
inline Rational PureError(const std::vector<double>& xs, const std::vector<double>& ys, const std::vector<double>& ws,
                          long long& distinct, long long& observations) {
    std::vector<size_t> order;
    for (size_t k = 0; k < xs.size(); ++k)
        if (ws.empty() || ws[k] != 0) order.push_back(k);
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return xs[a] < xs[b]; });
    Rational total = 0;
    distinct = 0;
    observations = static_cast<long long>(order.size());
    for (size_t first = 0; first < order.size();) {
        size_t last = first;
        Rational w = 0, sy = 0;
        while (last < order.size() && xs[order[last]] == xs[order[first]]) {
            w += SquaredWeight(ws, order[last]);
            sy += SquaredWeight(ws, order[last]) * Exact(ys[order[last]]);
            ++last;
        }
        const Rational mean = sy / w;
        for (size_t k = first; k < last; ++k) {
            const Rational d = Exact(ys[order[k]]) - mean;
            total += SquaredWeight(ws, order[k]) * d * d;
        }
        ++distinct;
        first = last;
    }
    return total;
}

}  // namespace plorimet::reference
