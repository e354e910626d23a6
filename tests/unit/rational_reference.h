// The exact least-squares optimum in rational arithmetic, for checking the solver: slow,
// plain and independent of the code under test.
#pragma once

#include <boost/multiprecision/cpp_int.hpp>

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

// The double nearest to q, ties to the even neighbour (normal range).
inline double Nearest(const Rational& q) {
    double best = q.convert_to<double>();
    if (q == 0) return 0.0;
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

}  // namespace plorimet::reference
