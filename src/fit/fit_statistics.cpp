#include "fit/fit_statistics.h"

#include <algorithm>
#include <cerrno>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "fit/equation.h"
#include "fit/exact_sums.h"

#include <boost/math/distributions/students_t.hpp>
#include <boost/multiprecision/cpp_bin_float.hpp>

namespace plorimet {

namespace {

using namespace binary_fraction;

// ---- Exact binary fractions ------------------------------------------------------------------

int Sign(const Fraction& d) { return d.mantissa.sign(); }

Fraction FromInteger(long long v) {
    Fraction d{Int(v), 0};
    Normalize(d);
    return d;
}

Fraction Sub(const Fraction& a, const Fraction& b) { return Add(a, Negate(b)); }

int Compare(const Fraction& a, const Fraction& b) { return Sign(Sub(a, b)); }

// Rounded to `bits` significant bits (any rounding: the callers only need an approximation).
Fraction Shorten(const Fraction& d, unsigned bits) {
    if (IsZero(d)) return d;
    const unsigned length = mp::msb(mp::abs(d.mantissa)) + 1;
    if (length <= bits) return d;
    const unsigned drop = length - bits;
    Fraction r{d.mantissa >> drop, d.exponent + drop};  // toward minus infinity
    Normalize(r);
    return r;
}

// Rounded to nearest with `bits` significant bits.
Fraction Nearest(const Fraction& d, unsigned bits) {
    if (IsZero(d)) return d;
    const Int magnitude = mp::abs(d.mantissa);
    const unsigned length = mp::msb(magnitude) + 1;
    if (length <= bits) return d;
    const unsigned drop = length - bits;
    Int kept = magnitude >> drop;
    if (mp::bit_test(magnitude, drop - 1)) ++kept;
    Fraction r{Sign(d) < 0 ? Int(-kept) : kept, d.exponent + drop};
    Normalize(r);
    return r;
}



bool EvenLastBit(double v) {
    if (v == 0.0 || std::isinf(v)) return true;
    int exponent = 0;
    const double fraction = std::frexp(v, &exponent);
    const int bitsBelow = std::max(exponent - 53, -1074);
    const double units = std::ldexp(std::fabs(v), -bitsBelow);
    return std::fmod(units, 2.0) == 0.0;
    (void)fraction;
}

// ---- Floating arithmetic ---------------------------------------------------------------------

using Bound = BinaryFloat<64>;  // error bounds: a wide exponent range, rounded up by hand

// Bounds are computed in 64 bits, each a few roundings away from the true value; this factor
// makes them upper bounds.
const Bound kUp = Bound(1) + mp::ldexp(Bound(1), -48);
Bound Up(const Bound& b) { return b * kUp; }
Bound Magnitude(const Fraction& d) { return Up(mp::abs(ToFloat<64>(d))); }
Fraction UpperFraction(const Bound& b) { return ToFraction<64>(Up(b)); }

Bound NormInf(const std::vector<Fraction>& v) {
    Bound m = 0;
    for (const Fraction& d : v) m = std::max(m, Magnitude(d));
    return m;
}
Bound Norm1(const std::vector<Fraction>& v) {
    Bound s = 0;
    for (const Fraction& d : v) s += Magnitude(d);
    return Up(s);
}

// ---- Correct rounding of (A + k sqrt(Q)) / E -------------------------------------------------

// A value of that form: exact A, k, Q >= 0 and E > 0.
struct Form {
    Fraction a;
    Fraction k;
    Fraction q;
    Fraction e;
};

// Sign of the form's value less m, exactly.
int CompareWith(const Form& f, const Fraction& m) {
    const Fraction a = Sub(f.a, Mul(m, f.e));
    const int s = IsZero(f.q) ? 0 : Sign(f.k);
    if (s == 0) return Sign(a);
    if (Sign(a) == 0 || Sign(a) == s) return s;
    // a and k sqrt(Q) of opposite signs: which is larger in magnitude
    const int c = Compare(Mul(a, a), Mul(Mul(f.k, f.k), f.q));
    return c > 0 ? Sign(a) : (c < 0 ? s : 0);
}

// Doubles in their order as integers (both zeros as one).
int64_t OrderKey(double d) {
    int64_t bits = 0;
    std::memcpy(&bits, &d, sizeof bits);
    return bits < 0 ? -(bits & INT64_MAX) : bits;
}

double FromOrderKey(int64_t key) {
    const int64_t bits = key < 0 ? ((-key) | INT64_MIN) : key;
    double d = 0;
    std::memcpy(&d, &bits, sizeof d);
    return d;
}

// The rounding by bisection over every double: the smallest d whose upper midpoint is not below
// the value. For values the approximation does not place within a few doubles (cancellation).
double RoundFormBySearch(const Form& f) {
    auto notBelow = [&](int64_t key) { return CompareWith(f, Midpoint(FromOrderKey(key), HUGE_VAL)) <= 0; };
    int64_t low = OrderKey(-DBL_MAX);
    int64_t high = OrderKey(DBL_MAX);
    if (!notBelow(high)) return HUGE_VAL;
    if (CompareWith(f, Midpoint(-DBL_MAX, -HUGE_VAL)) < 0) return -HUGE_VAL;
    while (low < high) {
        const int64_t middle = low + static_cast<int64_t>((static_cast<uint64_t>(high) - static_cast<uint64_t>(low)) / 2);
        if (notBelow(middle)) high = middle; else low = middle + 1;
    }
    const double d = FromOrderKey(low);
    if (CompareWith(f, Midpoint(d, HUGE_VAL)) == 0 && !EvenLastBit(d)) return std::nextafter(d, HUGE_VAL);
    return d;
}

double RoundForm(const Form& f) {
    using F = BinaryFloat<192>;
    const F approx = (ToFloat<192>(f.a) + ToFloat<192>(f.k) * mp::sqrt(ToFloat<192>(f.q))) / ToFloat<192>(f.e);
    double d = RoundToDouble(ToFraction<192>(approx));
    for (int step = 0; step < 4; ++step) {
        if (std::isinf(d)) return d;
        const double below = std::nextafter(d, -HUGE_VAL);
        const double above = std::nextafter(d, HUGE_VAL);
        const int low = CompareWith(f, Midpoint(d, -HUGE_VAL));
        if (low < 0) {
            d = below;
            continue;
        }
        const int high = CompareWith(f, Midpoint(d, HUGE_VAL));
        if (high > 0) {
            d = above;
            continue;
        }
        if (low == 0) return EvenLastBit(d) ? d : below;
        if (high == 0) return EvenLastBit(d) ? d : above;
        return d;
    }
    return RoundFormBySearch(f);
}

// A value known to lie between the forms' values: its rounding when both round alike.
std::optional<double> RoundBetween(const Form& low, const Form& high) {
    const double a = RoundForm(low);
    const double b = RoundForm(high);
    if (a == b) return a;
    return std::nullopt;
}

Fraction Max0(const Fraction& d) { return Sign(d) < 0 ? Fraction{} : d; }

}  // namespace

// ---- The model -------------------------------------------------------------------------------

struct FitModel::Impl {
    PointsView points;
    bool throughOrigin = false;
    int degree = 0;
    std::vector<int> powers;  // of t, estimated
    int m = 0;
    long long n = 0;
    Fraction center;
    int shift = 0;
    std::vector<Fraction> g;   // normal matrix, m x m
    std::vector<Fraction> b;   // right side
    Fraction ySquares, ySum;
    Fraction weightTotal;  // sum of the squared weights: the count of the points without weights
    std::vector<std::vector<Fraction>> toX;  // row j: x coefficient j from the t coefficients

    // From the solve at the current precision.
    int rung = -1;
    bool solved = false;
    std::vector<Fraction> inverse;  // approximate inverse of the normal matrix
    Bound rho = 0;            // ||I - inverse G|| (infinity norm), proved
    Bound inverseNorm = 0;    // proved bound of ||G^-1||
    std::vector<Fraction> a;        // coefficients in powers of t
    std::vector<Fraction> residual;  // B - G a, exactly
    Bound aError = 0;          // ||a - a*|| bound
    Fraction rssLow, rssHigh;
    std::vector<Fraction> c;         // powers of x, exact from a
    std::vector<Fraction> cError;

    std::vector<Fraction> Times(const std::vector<Fraction>& matrix, const std::vector<Fraction>& v, unsigned bits) const {
        std::vector<Fraction> out(m);
        for (int i = 0; i < m; ++i) {
            Fraction s;
            for (int j = 0; j < m; ++j)
                if (!IsZero(v[j]) && !IsZero(matrix[i * m + j])) s = Add(s, Mul(matrix[i * m + j], v[j]));
            out[i] = bits ? Shorten(s, bits) : s;
        }
        return out;
    }
    std::vector<Fraction> NormalResidual(const std::vector<Fraction>& rhs, const std::vector<Fraction>& z) const {
        std::vector<Fraction> r = rhs;
        const std::vector<Fraction> gz = Times(g, z, 0);
        for (int i = 0; i < m; ++i) r[i] = Sub(r[i], gz[i]);
        return r;
    }
    static Fraction Dot(const std::vector<Fraction>& u, const std::vector<Fraction>& v) {
        Fraction s;
        for (size_t i = 0; i < u.size(); ++i)
            if (!IsZero(u[i]) && !IsZero(v[i])) s = Add(s, Mul(u[i], v[i]));
        return s;
    }
    unsigned Bits() const { return rung == 0 ? 128 : (rung == 1 ? 512 : 4096); }

    template <unsigned Bits>
    bool Solve();
    bool SolveAt(int r) {
        rung = r;
        solved = r == 0 ? Solve<128>() : (r == 1 ? Solve<512>() : Solve<4096>());
        return solved;
    }
    // Next precision; false at the last.
    bool Escalate() {
        for (int r = rung + 1; r < 3; ++r)
            if (SolveAt(r)) return true;
        return false;
    }

    // u^T G^-1 u lies in [low, high].
    std::pair<Fraction, Fraction> QuadraticForm(const std::vector<Fraction>& u) const {
        const unsigned bits = Bits() + 64;
        std::vector<Fraction> z = Times(inverse, u, bits);
        std::vector<Fraction> r = NormalResidual(u, z);
        const std::vector<Fraction> dz = Times(inverse, r, bits);
        for (int i = 0; i < m; ++i) z[i] = Add(z[i], dz[i]);
        r = NormalResidual(u, z);
        // u = G z + r: u^T G^-1 u = z.(u + r) + r^T G^-1 r, the last in [0, |r|1 |r|inf ||G^-1||]
        std::vector<Fraction> sum(m);
        for (int i = 0; i < m; ++i) sum[i] = Add(u[i], r[i]);
        const Fraction low = Dot(z, sum);
        return {low, Add(low, UpperFraction(Norm1(r) * NormInf(r) * inverseNorm))};
    }
    std::vector<Fraction> BasisAt(const Fraction& t) const {
        std::vector<Fraction> v;
        for (int p : powers) {
            Fraction power = FromInteger(1);
            for (int k = 0; k < p; ++k) power = Mul(power, t);
            v.push_back(power);
        }
        return v;
    }
    Fraction TOf(double x) const { return Scale2(Sub(FromDouble(x), center), -shift); }

    template <unsigned Bits>
    std::optional<std::pair<Fraction, Fraction>> PressBounds() const;
    bool PressExists() const;
};

template <unsigned Bits>
bool FitModel::Impl::Solve() {
    using F = BinaryFloat<Bits>;
    // Cholesky factor and the inverse from it, in this precision.
    std::vector<F> l(static_cast<size_t>(m) * m, F(0));
    for (int i = 0; i < m; ++i) {
        for (int j = 0; j <= i; ++j) {
            F s = ToFloat<Bits>(g[i * m + j]);
            for (int k = 0; k < j; ++k) s -= l[i * m + k] * l[j * m + k];
            if (i == j) {
                if (!(s > 0)) return false;
                l[i * m + i] = mp::sqrt(s);
            } else {
                l[i * m + j] = s / l[j * m + j];
            }
        }
    }
    inverse.assign(static_cast<size_t>(m) * m, Fraction{});
    for (int col = 0; col < m; ++col) {
        std::vector<F> v(m, F(0));
        v[col] = 1;
        for (int i = 0; i < m; ++i) {
            for (int k = 0; k < i; ++k) v[i] -= l[i * m + k] * v[k];
            v[i] /= l[i * m + i];
        }
        for (int i = m - 1; i >= 0; --i) {
            for (int k = i + 1; k < m; ++k) v[i] -= l[k * m + i] * v[k];
            v[i] /= l[i * m + i];
        }
        for (int i = 0; i < m; ++i) inverse[i * m + col] = ToFraction<Bits>(v[i]);
    }
    // The exact residual of the inverse proves how good it is: with R = I - X G and ||R|| < 1,
    // G^-1 = (I - R)^-1 X, so ||G^-1|| <= ||X|| / (1 - ||R||).
    std::vector<Fraction> r(static_cast<size_t>(m) * m);
    rho = 0;
    for (int i = 0; i < m; ++i) {
        Bound row = 0;
        for (int j = 0; j < m; ++j) {
            Fraction s = i == j ? FromInteger(1) : Fraction{};
            for (int k = 0; k < m; ++k) s = Sub(s, Mul(inverse[i * m + k], g[k * m + j]));
            row += Magnitude(s);
            r[i * m + j] = Shorten(s, Bits + 64);
        }
        rho = std::max(rho, Up(row));
    }
    if (!(rho < Bound(1) / 16)) return false;
    // One Newton step, X' = X + R X, squares the residual: I - X'G = R^2, less what rounding R
    // to Bits + 64 bits (relative error under 2^-(Bits+63)) and X' to 2 Bits + 128 bits (under
    // 2^-(2 Bits+127), times ||G||) adds.
    std::vector<Fraction> refined(inverse.size());
    Bound xNorm = 0;
    Bound gNorm = 0;
    for (int i = 0; i < m; ++i) {
        Bound xRow = 0;
        Bound gRow = 0;
        for (int j = 0; j < m; ++j) {
            Fraction s = inverse[i * m + j];
            for (int k = 0; k < m; ++k)
                if (!IsZero(r[i * m + k])) s = Add(s, Mul(r[i * m + k], inverse[k * m + j]));
            refined[i * m + j] = Shorten(s, 2 * Bits + 128);
            xRow += Magnitude(refined[i * m + j]);
            gRow += Magnitude(g[i * m + j]);
        }
        xNorm = std::max(xNorm, Up(xRow));
        gNorm = std::max(gNorm, Up(gRow));
    }
    inverse = std::move(refined);
    const Bound rounding = mp::ldexp(Bound(1), -static_cast<int>(Bits) - 62);
    rho = Up(rho * rho + rounding * rho * (1 + rho) + Up(rounding * rounding * xNorm) * gNorm);
    inverseNorm = Up(xNorm / (1 - rho));

    // Refinement with exact residuals: the error shrinks by rho each step.
    a.assign(m, Fraction{});
    residual = b;
    const unsigned bits = Bits + 64;
    for (int step = 0; step < 200; ++step) {
        if (std::all_of(residual.begin(), residual.end(), IsZero)) break;
        const Bound aSize = NormInf(a);
        aError = Up(inverseNorm * NormInf(residual));
        if (step > 0 && aError <= mp::ldexp(aSize, -static_cast<int>(std::min(Bits, 1024u)) - 64)) break;
        const std::vector<Fraction> correction = Times(inverse, residual, bits);
        for (int i = 0; i < m; ++i) a[i] = Add(a[i], correction[i]);
        residual = NormalResidual(b, a);
    }
    bool exact = std::all_of(residual.begin(), residual.end(), IsZero);
    // Exact data often has an optimum of short binary fractions: try a rounded to fewer bits.
    for (unsigned length = 64; !exact && length <= Bits; length *= 2) {
        std::vector<Fraction> candidate(m);
        for (int i = 0; i < m; ++i) candidate[i] = Nearest(a[i], length);
        const std::vector<Fraction> r = NormalResidual(b, candidate);
        if (!std::all_of(r.begin(), r.end(), IsZero)) continue;
        a = candidate;
        residual = r;
        exact = true;
    }
    aError = exact ? Bound(0) : Up(inverseNorm * NormInf(residual));
    // |y - W a|^2 = y.y - a.B - a.g, exactly; the optimum's is less by g^T G^-1 g.
    rssHigh = Sub(Sub(ySquares, Dot(a, b)), Dot(a, residual));
    rssLow = exact ? rssHigh : Max0(Sub(rssHigh, UpperFraction(Norm1(residual) * NormInf(residual) * inverseNorm)));
    c.assign(degree + 1, Fraction{});
    cError.assign(degree + 1, Fraction{});
    for (int j = 0; j <= degree; ++j) {
        c[j] = Dot(toX[j], a);
        cError[j] = exact ? Fraction{} : UpperFraction(Norm1(toX[j]) * aError);
    }
    return true;
}

FitModel::FitModel(PointsView points, const ExactSums& sums, int degree, bool throughOrigin)
    : impl_(std::make_unique<Impl>()) {
    Impl& s = *impl_;
    s.points = points;
    s.throughOrigin = throughOrigin;
    s.degree = degree;
    s.n = points.count;
    for (int p = throughOrigin ? 1 : 0; p <= degree; ++p) s.powers.push_back(p);
    s.m = static_cast<int>(s.powers.size());
    s.center = sums.center;
    s.shift = sums.shift;
    if (s.m < 1 || static_cast<int>(sums.moments.size()) < degree + 1) return;
    if (DistinctXCount(points, throughOrigin) < s.m) return;
    s.g.resize(static_cast<size_t>(s.m) * s.m);
    for (int i = 0; i < s.m; ++i) {
        s.b.push_back(sums.moments[s.powers[i]]);
        for (int j = 0; j < s.m; ++j) s.g[i * s.m + j] = sums.powerSums[s.powers[i] + s.powers[j]];
    }
    s.ySquares = sums.ySquares;
    s.ySum = sums.ySum;
    s.weightTotal = sums.powerSums[0];
    // t^i = sum over j of C(i, j) x^j (-center)^(i-j) 2^(-shift i)
    s.toX.assign(degree + 1, std::vector<Fraction>(s.m));
    const Fraction minusCenter = Negate(s.center);
    for (int k = 0; k < s.m; ++k) {
        const int i = s.powers[k];
        Int binomial = 1;
        for (int j = i; j >= 0; --j) {
            // C(i, j) (-center)^(i - j)
            Fraction term{binomial, 0};
            for (int e = 0; e < i - j; ++e) term = Mul(term, minusCenter);
            s.toX[j][k] = Scale2(term, -static_cast<int64_t>(s.shift) * i);
            if (j > 0) binomial = binomial * j / (i - j + 1);
        }
    }
    for (int r = 0; r < 3 && !s.solved; ++r) s.SolveAt(r);
}

FitModel::~FitModel() = default;
FitModel::FitModel(FitModel&&) noexcept = default;

bool FitModel::Solved() const { return impl_->solved; }

std::optional<double> StudentQuantile(long long degreesOfFreedom, double level) {
    if (degreesOfFreedom < 1 || !(level > 0 && level < 1)) return std::nullopt;
    // Errors set errno instead of building a message with the standard streams.
    using namespace boost::math::policies;
    using Quiet = policy<domain_error<errno_on_error>, pole_error<errno_on_error>, overflow_error<errno_on_error>,
                         evaluation_error<errno_on_error>, rounding_error<errno_on_error>>;
    const boost::math::students_t_distribution<double, Quiet> t(static_cast<double>(degreesOfFreedom));
    const double value = boost::math::quantile(boost::math::complement(t, (1 - level) / 2));
    if (!std::isfinite(value)) return std::nullopt;
    return value;
}

namespace {

// The X of the points that count in a fit (those of nonzero weight), sorted: in place when
// they are (as every fit has them) and no weight is 0, else as a sorted copy.
const double* SortedWeightedX(PointsView points, std::vector<double>& copy, long long& count) {
    const bool everyWeighted = !points.w || std::none_of(points.w, points.w + points.count, [](double w) { return w == 0; });
    count = points.count;
    if (everyWeighted && std::is_sorted(points.x, points.x + points.count)) return points.x;
    copy.clear();
    for (long long k = 0; k < points.count; ++k)
        if (!points.w || points.w[k] != 0) copy.push_back(points.x[k]);
    std::sort(copy.begin(), copy.end());
    count = static_cast<long long>(copy.size());
    return copy.data();
}

}  // namespace

long long DistinctXCount(PointsView points, bool nonzeroOnly) {
    std::vector<double> copy;
    long long n = 0;
    const double* x = SortedWeightedX(points, copy, n);
    long long count = 0;
    for (long long k = 0; k < n; ++k)
        if ((k == 0 || x[k] != x[k - 1]) && !(nonzeroOnly && x[k] == 0)) ++count;
    return count;
}

FitStatistics FitModel::Statistics(double level) const {
    Impl& s = *impl_;
    FitStatistics out;
    if (!s.solved) return out;
    out.throughOrigin = s.throughOrigin;
    out.observations = s.n;
    out.estimated = s.m;
    out.degreesOfFreedom = s.n - s.m;
    out.level = level;
    const long long df = out.degreesOfFreedom;
    out.tQuantile = StudentQuantile(df, level);
    const Fraction dfD = FromInteger(std::max<long long>(df, 1));
    const Fraction one = FromInteger(1);
    for (;;) {
        bool settled = true;
        auto settle = [&](const Form& low, const Form& high) -> std::optional<double> {
            auto r = RoundBetween(low, high);
            if (!r) {
                settled = false;
                return RoundForm(low);
            }
            return r;
        };
        out.coefficients.assign(s.degree + 1, 0.0);
        out.terms.assign(s.degree + 1, {});
        std::vector<std::pair<Fraction, Fraction>> variance(s.degree + 1);
        for (int j = 0; j <= s.degree; ++j)
            out.coefficients[j] = *settle({Sub(s.c[j], s.cError[j]), {}, {}, one}, {Add(s.c[j], s.cError[j]), {}, {}, one});
        // RSS, and R² = (N - W RSS) / N with N = W yy - (sum y)^2, W the sum of the squared
        // weights (n without weights), or 1 - RSS / yy through the origin
        out.residualSquares = *settle({s.rssLow, {}, {}, one}, {s.rssHigh, {}, {}, one});
        const Fraction total = s.throughOrigin ? s.ySquares : Sub(Mul(s.weightTotal, s.ySquares), Mul(s.ySum, s.ySum));
        const Fraction perRss = s.throughOrigin ? one : s.weightTotal;
        out.rSquared.reset();
        out.adjustedRSquared.reset();
        if (Sign(total) > 0) {
            out.rSquared = settle({Sub(total, Mul(perRss, s.rssHigh)), {}, {}, total},
                                  {Sub(total, Mul(perRss, s.rssLow)), {}, {}, total});
            if (df > 0) {
                // 1 - (RSS / df) / (total / (n - 1)), with n for the uncentred one
                const Fraction scale = Mul(perRss, FromInteger(s.throughOrigin ? s.n : s.n - 1));
                const Fraction e = Mul(total, dfD);
                out.adjustedRSquared = settle({Sub(e, Mul(scale, s.rssHigh)), {}, {}, e}, {Sub(e, Mul(scale, s.rssLow)), {}, {}, e});
            }
        }
        out.residualDeviation.reset();
        if (df > 0) {
            // sqrt(RSS / df) = sqrt(RSS df) / df
            out.residualDeviation = settle({{}, one, Mul(s.rssLow, dfD), dfD}, {{}, one, Mul(s.rssHigh, dfD), dfD});
            const Fraction t = out.tQuantile ? FromDouble(*out.tQuantile) : Fraction{};
            for (int j = 0; j <= s.degree; ++j) {
                if (s.throughOrigin && j == 0) continue;
                const auto [qLow, qHigh] = s.QuadraticForm(s.toX[j]);
                const Fraction low = Mul(Mul(s.rssLow, qLow), dfD);
                const Fraction high = Mul(Mul(s.rssHigh, qHigh), dfD);
                CoefficientStatistics& term = out.terms[j];
                term.standardError = settle({{}, one, low, dfD}, {{}, one, high, dfD});
                if (!out.tQuantile) continue;
                const Fraction cLow = Mul(Sub(s.c[j], s.cError[j]), dfD);
                const Fraction cHigh = Mul(Add(s.c[j], s.cError[j]), dfD);
                term.lower = settle({cLow, Negate(t), high, dfD}, {cHigh, Negate(t), low, dfD});
                term.upper = settle({cLow, t, low, dfD}, {cHigh, t, high, dfD});
            }
        }
        if (settled || !s.Escalate()) return out;
    }
}

CurveInterval FitModel::At(double x, double level) const {
    Impl& s = *impl_;
    if (!s.solved) return {};
    const long long df = s.n - s.m;
    const auto tq = StudentQuantile(df, level);
    const Fraction dfD = FromInteger(std::max<long long>(df, 1));
    const Fraction one = FromInteger(1);
    for (;;) {
        bool settled = true;
        auto settle = [&](const Form& low, const Form& high) -> double {
            auto r = RoundBetween(low, high);
            if (!r) settled = false;
            return r ? *r : RoundForm(low);
        };
        const std::vector<Fraction> v = s.BasisAt(s.TOf(x));
        const Fraction fitted = Impl::Dot(v, s.a);
        const Fraction error = IsZero(s.residual[0]) && std::all_of(s.residual.begin(), s.residual.end(), IsZero)
                             ? Fraction{}
                             : UpperFraction(Norm1(v) * s.aError);
        CurveInterval out;
        out.fitted = settle({Sub(fitted, error), {}, {}, one}, {Add(fitted, error), {}, {}, one});
        if (tq) {
            const auto [hLow, hHigh] = s.QuadraticForm(v);
            const Fraction t = FromDouble(*tq);
            const Fraction yLow = Mul(Sub(fitted, error), dfD);
            const Fraction yHigh = Mul(Add(fitted, error), dfD);
            // fitted ± t sqrt(RSS h / df) = (fitted df ± t sqrt(RSS h df)) / df; 1 + h for a new observation
            for (int prediction = 0; prediction < 2; ++prediction) {
                const Fraction low = Mul(Mul(s.rssLow, prediction ? Add(one, hLow) : hLow), dfD);
                const Fraction high = Mul(Mul(s.rssHigh, prediction ? Add(one, hHigh) : hHigh), dfD);
                const double below = settle({yLow, Negate(t), high, dfD}, {yHigh, Negate(t), low, dfD});
                const double above = settle({yLow, t, low, dfD}, {yHigh, t, high, dfD});
                (prediction ? out.predictionLow : out.confidenceLow) = below;
                (prediction ? out.predictionHigh : out.confidenceHigh) = above;
            }
        }
        if (settled || !s.Escalate()) return out;
    }
}

// A point's leverage is 1 exactly when the others leave too few distinct X for the
// coefficients: its X is unique (and not 0 through the origin) and the distinct X are as
// many as the coefficients.
bool FitModel::Impl::PressExists() const {
    if (DistinctXCount(points, throughOrigin) > m) return true;
    std::vector<double> copy;
    long long n = 0;
    const double* x = SortedWeightedX(points, copy, n);
    for (long long k = 0; k < n; ++k) {
        const bool unique = (k == 0 || x[k] != x[k - 1]) && (k + 1 == n || x[k + 1] != x[k]);
        if (unique && !(throughOrigin && x[k] == 0)) return false;
    }
    return true;
}

// PRESS = sum (e_i / (1 - h_i))^2 in this precision, each rounding counted in the bound: the
// residual e_i = u_i (y_i - v_i.a*) and the leverage h_i = u_i^2 v_i^T G^-1 v_i, with v_i the
// powers of t_i, u_i the point's weight (1 without weights) and G^-1 from the approximate
// inverse X, whose own error is at most ||G^-1|| rho.
template <unsigned Bits>
std::optional<std::pair<Fraction, Fraction>> FitModel::Impl::PressBounds() const {
    using F = BinaryFloat<Bits>;
    const F u = mp::ldexp(F(1), -static_cast<int>(Bits) + 2);
    std::vector<F> af(m);
    std::vector<F> xf(static_cast<size_t>(m) * m);
    for (int i = 0; i < m; ++i) af[i] = ToFloat<Bits>(a[i]);
    for (size_t i = 0; i < xf.size(); ++i) xf[i] = ToFloat<Bits>(inverse[i]);
    const F aErr = F(aError);
    const F xErr = F(inverseNorm * rho);
    const F gammaE = u * (2 * m + 8);
    const F gammaH = u * (m * m + 2 * m + 8);
    F low = 0;
    F high = 0;
    std::vector<F> w(m);
    for (long long i = 0; i < n; ++i) {
        const F t = ToFloat<Bits>(TOf(points.x[i]));
        F norm1 = 0;
        F normInf = 0;
        for (int k = 0; k < m; ++k) {
            w[k] = mp::pow(t, powers[k]);
            norm1 += mp::abs(w[k]);
            normInf = std::max(normInf, mp::abs(w[k]));
        }
        norm1 *= 1 + u * (m + 2);
        F fitted = 0;
        F fittedSize = 0;
        for (int k = 0; k < m; ++k) {
            fitted += af[k] * w[k];
            fittedSize += mp::abs(af[k] * w[k]);
        }
        const F y = F(points.y[i]);
        F e = mp::abs(y - fitted);
        F eErr = gammaE * (fittedSize + mp::abs(y)) + norm1 * aErr * (1 + u * 8);
        F h = 0;
        F hSize = 0;
        for (int k = 0; k < m; ++k)
            for (int l = 0; l < m; ++l) {
                const F term = w[k] * xf[k * m + l] * w[l];
                h += term;
                hSize += mp::abs(term);
            }
        F hErr = gammaH * hSize + norm1 * normInf * xErr * (1 + u * 8);
        if (points.w) {
            // Each product by the weight (its square is exact here) adds one rounding.
            const F weight = mp::abs(F(points.w[i]));
            const F squared = weight * weight;
            e *= weight;
            eErr = (eErr * weight + e * u) * (1 + 4 * u);
            h *= squared;
            hErr = (hErr * squared + mp::abs(h) * u) * (1 + 4 * u);
        }
        const F dLow = 1 - h - hErr;
        const F dHigh = 1 - h + hErr;
        if (!(dLow > 0)) return std::nullopt;
        const F eLow = std::max(F(0), e - eErr);
        const F eHigh = e + eErr;
        low += (eLow / dHigh) * (eLow / dHigh) * (1 - 8 * u);
        high += (eHigh / dLow) * (eHigh / dLow) * (1 + 8 * u);
    }
    low *= 1 - u * (n + 8);
    high *= 1 + u * (n + 8);
    return std::make_pair(ToFraction<Bits>(low), ToFraction<Bits>(high));
}

std::optional<double> FitModel::Press() const {
    Impl& s = *impl_;
    if (!s.solved || !s.PressExists()) return std::nullopt;
    const bool exact = std::all_of(s.residual.begin(), s.residual.end(), IsZero);
    if (exact && IsZero(s.rssHigh)) return 0.0;  // every residual is 0
    for (;;) {
        const auto bounds = s.rung == 0 ? s.PressBounds<128>() : (s.rung == 1 ? s.PressBounds<512>() : s.PressBounds<4096>());
        if (bounds) {
            const double low = RoundToDouble(bounds->first);
            const double high = RoundToDouble(bounds->second);
            if (low == high || s.rung == 2) return high;
        }
        if (!s.Escalate()) return bounds ? std::optional<double>(RoundToDouble(bounds->second)) : std::nullopt;
    }
}

std::optional<MessageId> CompleteAnalysisThroughOrigin(PointsView points, const FitModel& model, int digitsIndex,
                                                       UiLanguage language, FitResult& result) {
    const FitStatistics stats = model.Statistics(kDefaultConfidenceLevel);
    const int m = static_cast<int>(stats.coefficients.size());
    result = FitResult{};
    std::copy(stats.coefficients.begin(), stats.coefficients.end(), result.coefficients.begin());
    result.rSquared = stats.rSquared;
    result.residualDeviation = stats.residualDeviation;
    if (auto failure = CheckTermValues(points, m, result.coefficients)) return failure;
    const int pairCount = static_cast<int>(std::min<long long>(points.count, INT_MAX));
    result.equationText = BuildEquationText(result.coefficients, m, digitsIndex, FitMode::LeastSquares, pairCount, language);
    result.termCount = m;
    result.equationShown = true;
    return std::nullopt;
}

// ---- Comparing degrees -----------------------------------------------------------------------

std::vector<DegreeRow> CompareDegrees(PointsView points, int upTo, bool throughOrigin) {
    std::vector<DegreeRow> rows;
    for (int degree = 1; degree <= upTo; ++degree) {
        ExactSums sums;
        ComputeExactSums(points, degree + 1, !throughOrigin, sums);
        const FitModel model(points, sums, degree, throughOrigin);
        if (!model.Solved()) break;
        const FitStatistics stats = model.Statistics(kDefaultConfidenceLevel);
        DegreeRow row;
        row.degree = degree;
        row.residualDeviation = stats.residualDeviation;
        row.rSquared = stats.rSquared;
        row.adjustedRSquared = stats.adjustedRSquared;
        const double n = static_cast<double>(points.count);
        if (stats.residualSquares > 0) {
            const double logLikelihoodPart = n * std::log(stats.residualSquares / n);
            row.aic = logLikelihoodPart + 2.0 * stats.estimated;
            row.bic = logLikelihoodPart + stats.estimated * std::log(n);
        }
        row.press = model.Press();
        rows.push_back(row);
    }
    return rows;
}

std::vector<std::optional<size_t>> PreferredRows(const std::vector<DegreeRow>& rows) {
    using Field = std::optional<double> DegreeRow::*;
    const Field fields[] = {&DegreeRow::residualDeviation, &DegreeRow::rSquared, &DegreeRow::adjustedRSquared,
                            &DegreeRow::aic, &DegreeRow::bic, &DegreeRow::press};
    const bool largest[] = {false, true, true, false, false, false};
    std::vector<std::optional<size_t>> preferred;
    for (size_t f = 0; f < std::size(fields); ++f) {
        std::optional<size_t> best;
        for (size_t r = 0; r < rows.size(); ++r) {
            const auto& v = rows[r].*fields[f];
            if (!v) continue;
            const auto& b = best ? rows[*best].*fields[f] : std::optional<double>();
            if (!best || (largest[f] ? *v > *b : *v < *b)) best = r;  // ties keep the lower degree
        }
        preferred.push_back(best);
    }
    return preferred;
}

// ---- Tables ----------------------------------------------------------------------------------

namespace {

std::string Number(const std::optional<double>& v, int width = 0) {
    char buffer[64];
    if (v)
        std::snprintf(buffer, sizeof buffer, "%*.*g", width, 15, *v == 0 ? 0.0 : *v);
    else
        std::snprintf(buffer, sizeof buffer, "%*s", width, "-");
    return buffer;
}

// Columns a text takes in a fixed-width font. Code page 932 (the window, the command line): one
// a byte, its double-byte characters being full width. UTF-8 (the page): two for a character of
// three or more bytes, but for the half-width katakana U+FF61..U+FF9F (EF BD A1 .. EF BE 9F).
size_t ColumnWidth(const std::string& text) {
    if (sizeof("ア") == 3) return text.size();
    size_t width = 0;
    for (size_t k = 0; k < text.size(); ++k) {
        const unsigned char c = static_cast<unsigned char>(text[k]);
        if ((c & 0xC0) == 0x80) continue;
        const unsigned char second = k + 1 < text.size() ? static_cast<unsigned char>(text[k + 1]) : 0;
        const unsigned char third = k + 2 < text.size() ? static_cast<unsigned char>(text[k + 2]) : 0;
        const bool halfWidth = c == 0xEF && ((second == 0xBD && third >= 0xA1) || (second == 0xBE && third <= 0x9F));
        width += c >= 0xE0 && !halfWidth ? 2 : 1;
    }
    return width;
}

std::string Pad(const std::string& text, size_t width) {
    const size_t used = ColumnWidth(text);
    return used >= width ? text + " " : text + std::string(width - used, ' ');
}

}  // namespace

std::string FitStatisticsTable(const FitStatistics& s, UiLanguage language) {
    const bool ja = language == UiLanguage::Japanese;
    char line[256];
    std::string out;
    std::snprintf(line, sizeof line, ja ? "観測数 %lld, 推定した係数 %d, 残差の自由度 %lld%s\n"
                                        : "Observations %lld, coefficients estimated %d, residual degrees of freedom %lld%s\n",
                  s.observations, s.estimated, s.degreesOfFreedom,
                  s.throughOrigin ? (ja ? " (原点を通る)" : " (through the origin)") : "");
    out += line;
    const int percent = static_cast<int>(std::lround(s.level * 1000));
    char level[32];
    std::snprintf(level, sizeof level, percent % 10 ? "%.1f%%" : "%.0f%%", percent / 10.0);
    out += Pad(ja ? "べき" : "Power", 7) + Pad(ja ? "係数" : "Coefficient", 24) + Pad(ja ? "標準誤差" : "Std. error", 24) +
           (ja ? std::string(level) + " 信頼区間" : std::string(level) + " confidence interval") + "\n";
    for (size_t j = 0; j < s.coefficients.size(); ++j) {
        const CoefficientStatistics& t = s.terms[j];
        out += Pad(std::to_string(j), 7) + Pad(Number(s.coefficients[j]), 24) + Pad(Number(t.standardError), 24);
        out += t.lower ? Number(t.lower) + " .. " + Number(t.upper) : std::string("-");
        out += "\n";
    }
    auto row = [&](const char* en, const char* jp, const std::optional<double>& v) {
        out += Pad(ja ? jp : en, 31) + Number(v) + "\n";
    };
    row("Residual sum of squares", "残差平方和", s.residualSquares);
    row("Residual standard deviation", "残差標準偏差", s.residualDeviation);
    row(s.throughOrigin ? "R^2 (uncentred)" : "R^2", s.throughOrigin ? "決定係数 R^2 (原点まわり)" : "決定係数 R^2", s.rSquared);
    row("Adjusted R^2", "自由度調整済み R^2", s.adjustedRSquared);
    if (s.degreesOfFreedom == 0)
        out += ja ? "残差の自由度が 0 のため、標準誤差と区間はありません。\n"
                  : "No residual degrees of freedom: the curve passes through every point, so there are no standard errors or intervals.\n";
    return out;
}

std::string DegreeTable(const std::vector<DegreeRow>& rows, UiLanguage language) {
    const bool ja = language == UiLanguage::Japanese;
    const auto preferred = PreferredRows(rows);
    const int width = 22;
    std::string out = Pad(ja ? "次数" : "Degree", 7);
    const char* en[] = {"Residual SD", "R^2", "Adjusted R^2", "AIC", "BIC", "PRESS"};
    const char* jp[] = {"残差標準偏差", "R^2", "調整済み R^2", "AIC", "BIC", "PRESS"};
    for (int f = 0; f < 6; ++f) {
        const std::string name = ja ? jp[f] : en[f];
        const size_t used = ColumnWidth(name), column = static_cast<size_t>(width);
        out += std::string(column > used ? column - used : 0, ' ') + name + "  ";
    }
    out += "\n";
    for (size_t r = 0; r < rows.size(); ++r) {
        const DegreeRow& d = rows[r];
        const std::optional<double> values[] = {d.residualDeviation, d.rSquared, d.adjustedRSquared, d.aic, d.bic, d.press};
        out += Pad(std::to_string(d.degree), 7);
        for (int f = 0; f < 6; ++f) out += Number(values[f], width) + (preferred[f] == r ? "* " : "  ");
        out += "\n";
    }
    out += ja ? "* 各列が選ぶ次数 (残差標準偏差・AIC・BIC・PRESS は最小、R^2 は最大)\n"
              : "* the degree each column prefers (smallest SD, AIC, BIC and PRESS; largest R^2)\n";
    return out;
}

}  // namespace plorimet
