#include "fit/distributions.h"

#include <algorithm>
#include <cmath>

#if !defined(__EMSCRIPTEN__)
#include <boost/math/distributions/students_t.hpp>
#include <boost/math/special_functions/beta.hpp>
#include <boost/math/special_functions/polygamma.hpp>
#include <boost/math/special_functions/zeta.hpp>
#endif

#include "fit/exact_rounding.h"

#if !defined(__EMSCRIPTEN__)
// Boost.Math fills some of its tables when the program starts, by calling the function once
// for each type it is used with, so that threads never race to fill them. For the wide floats
// here that start costs more than the program's whole work (zeta at 512 bits: about 400
// million instructions, in every run of the command line and every import of the Python
// module), and the tables are filled on first use anyway: these initializers do nothing.
namespace boost::math::detail {
struct NoStartupTables {
    struct init {
        void force_instantiate() const {}
    };
    static const init initializer;
    static void force_instantiate() {}
};
inline const NoStartupTables::init NoStartupTables::initializer{};
template <unsigned Bits, class Policy, class Tag>
struct zeta_initializer<plorimet::BinaryFloat<Bits>, Policy, Tag> : NoStartupTables {};
template <unsigned Bits, class Policy>
struct polygamma_initializer<plorimet::BinaryFloat<Bits>, Policy> : NoStartupTables {};
template <unsigned Bits, class Policy>
struct igamma_initializer<plorimet::BinaryFloat<Bits>, Policy> : NoStartupTables {};
}  // namespace boost::math::detail
#endif

namespace plorimet {

namespace {

using namespace binary_fraction;

// Up to this a + b the incomplete beta function of half-integer a and b is its power series
// here (a few hundred terms at most); beyond, where the series would take about a + b terms,
// Boost.Math's, with its asymptotic methods. The page's fits (45 pairs) never get there, and
// so the page links no Boost.Math.
constexpr long long kMostHalvesBySeries = 2000;

template <unsigned Bits>
using Float = BinaryFloat<Bits>;

template <unsigned Bits>
Float<Bits> Unit() {
    return mp::ldexp(Float<Bits>(1), -static_cast<int>(Bits) + 1);
}

// A value with a bound on its relative error.
template <unsigned Bits>
struct Bounded {
    Float<Bits> value;
    Float<Bits> relative;
};

// x^(A/2): the integer power by squaring, and the square root for odd A; relative error
// within (2 log2 A + 4) units.
template <unsigned Bits>
Bounded<Bits> HalfPower(const Float<Bits>& x, long long twice) {
    using F = Float<Bits>;
    F result = 1;
    F base = x;
    int steps = 0;
    for (long long e = twice / 2; e > 0; e >>= 1, ++steps) {
        if (e & 1) result *= base;
        base *= base;
    }
    if (twice & 1) result *= mp::sqrt(x);
    return {result, F(2 * steps + 4) * Unit<Bits>()};
}

// Gamma(z) / Gamma(z0) for z = Z/2 and z0 = 1 or 1/2 (z - z0 a whole number).
template <unsigned Bits>
Float<Bits> GammaFromBase(long long twiceZ) {
    Float<Bits> product = 1;
    for (long long k = twiceZ % 2 ? 1 : 2; k < twiceZ; k += 2) product *= Float<Bits>(k) / 2;
    return product;
}

// 1 / (a B(a, b)) = Gamma(a + b) / (Gamma(a + 1) Gamma(b)) for half-integer a, b: products of
// the recurrence Gamma(z + 1) = z Gamma(z) from Gamma(1) = 1 and Gamma(1/2) = sqrt(pi).
template <unsigned Bits>
Bounded<Bits> InverseBetaTimesA(long long twiceA, long long twiceB) {
    using F = Float<Bits>;
    F value = GammaFromBase<Bits>(twiceA + twiceB) / (GammaFromBase<Bits>(twiceA + 2) * GammaFromBase<Bits>(twiceB));
    // sqrt(pi) for each half-integer argument, above or below: a + b, a + 1 and b.
    const int roots = static_cast<int>((twiceA + twiceB) % 2) - static_cast<int>(twiceA % 2) - static_cast<int>(twiceB % 2);
    if (roots == -2) value /= Pi<Bits>();
    return {value, F(2 * (twiceA + twiceB) + 16) * Unit<Bits>()};
}

// I_x(a, b) = x^a y^b / (a B(a, b)) sum_j t_j with t_0 = 1, t_{j+1} = t_j (a + b + j) / (a + 1 + j) x,
// for x at most a / (a + b) (y = 1 - x given apart, without cancellation). Every term is
// positive; each is within 3j units, and past the last term taken the terms fall by at least
// max(r_j, x) < 1, which bounds the rest.
template <unsigned Bits>
Bounded<Bits> PowerSeries(long long twiceA, long long twiceB, const Float<Bits>& x, const Float<Bits>& y) {
    using F = Float<Bits>;
    const F a = F(twiceA) / 2;
    const F b = F(twiceB) / 2;
    F term = 1;
    F sum = 1;
    long long j = 0;
    F rest = 0;
    for (;; ++j) {
        const F ratio = (a + b + j) / (a + 1 + j) * x;
        term *= ratio;
        sum += term;
        const F falling = std::max(ratio, x);
        if (falling < 1 && term * falling / (1 - falling) < mp::ldexp(sum, -static_cast<int>(Bits) - 8)) {
            rest = term * falling / (1 - falling) / sum;
            break;
        }
        if (j > 100000) return {F(0), F(1)};  // not reached for these arguments
    }
    const Bounded<Bits> xa = HalfPower<Bits>(x, twiceA);
    const Bounded<Bits> yb = HalfPower<Bits>(y, twiceB);
    const Bounded<Bits> g = InverseBetaTimesA<Bits>(twiceA, twiceB);
    const F value = xa.value * yb.value * g.value * sum;
    return {value, xa.relative + yb.relative + g.relative + F(4 * j + 16) * Unit<Bits>() + rest};
}

// About how many terms the series in x takes: while (a + b + j) x > a + 1 + j they grow, then
// they fall by about x a term.
double SeriesTerms(double a, double b, double x, unsigned bits) {
    if (!(x < 1)) return HUGE_VAL;
    const double rising = std::max(0.0, ((a + b) * x - a - 1) / (1 - x));
    return rising + (bits + 8) / std::max(-std::log2(std::max(x, 1e-300)), 1e-12);
}

// I_x(a, b) for x + y = 1, with its relative error bound: the series in x, or 1 - I_y(b, a)
// where that series is the shorter one and the subtraction loses little.
template <unsigned Bits>
Bounded<Bits> HalfIntegerBeta(long long twiceA, long long twiceB, const Float<Bits>& x, const Float<Bits>& y) {
    using F = Float<Bits>;
    if (x <= 0) return {F(0), F(0)};
    if (y <= 0) return {F(1), F(0)};
    const double a = twiceA / 2.0;
    const double b = twiceB / 2.0;
    if (SeriesTerms(a, b, static_cast<double>(x), Bits) > SeriesTerms(b, a, static_cast<double>(y), Bits)) {
        const Bounded<Bits> other = PowerSeries<Bits>(twiceB, twiceA, y, x);
        const F value = 1 - other.value;
        const Bounded<Bits> result{value, (other.relative * other.value + Unit<Bits>()) / value};
        if (value > 0 && result.relative < mp::ldexp(F(1), -static_cast<int>(Bits) / 2)) return result;
    }
    return PowerSeries<Bits>(twiceA, twiceB, x, y);
}

// I_x(a, b) within its bound, by the series or (large a + b, not in the page) Boost.Math, which
// is allowed 2^48 units of Bits.
template <unsigned Bits>
Bounded<Bits> Beta(long long twiceA, long long twiceB, const Float<Bits>& x, const Float<Bits>& y) {
    if (twiceA + twiceB <= kMostHalvesBySeries) return HalfIntegerBeta<Bits>(twiceA, twiceB, x, y);
#if defined(__EMSCRIPTEN__)
    return {Float<Bits>(0), Float<Bits>(1)};
#else
    namespace policies = boost::math::policies;
    // Errors set errno instead of building a message with the standard streams.
    using Quiet = policies::policy<policies::domain_error<policies::errno_on_error>, policies::pole_error<policies::errno_on_error>,
                                   policies::overflow_error<policies::errno_on_error>,
                                   policies::evaluation_error<policies::errno_on_error>,
                                   policies::rounding_error<policies::errno_on_error>>;
    using F = Float<Bits>;
    if (x <= 0) return {F(0), F(0)};
    if (y <= 0) return {F(1), F(0)};
    const F a = F(twiceA) / 2;
    const F b = F(twiceB) / 2;
    // The smaller of the two tails directly: its relative error is Boost's.
    if (x * F(twiceA + twiceB) <= F(twiceA)) return {boost::math::ibeta(a, b, x, Quiet()), mp::ldexp(F(1), -static_cast<int>(Bits) + 48)};
    const F other = boost::math::ibeta(b, a, y, Quiet());
    return {1 - other, (other * mp::ldexp(F(1), -static_cast<int>(Bits) + 48) + Unit<Bits>()) / (1 - other)};
#endif
}

// ---- Student's t quantile ----------------------------------------------------------------------

// The probability of Student's t with nu degrees of freedom that decides a quantile at t: for
// a level of 1/2 or more the two-sided tail I_x(nu/2, 1/2), x = nu / (nu + t²), which falls
// as t grows; below it the central probability I_y(1/2, nu/2), y = t² / (nu + t²), which rises.
template <unsigned Bits>
Bounded<Bits> ProbabilityAt(long long df, bool tail, const Float<Bits>& t) {
    using F = Float<Bits>;
    const F nu = F(df);
    const F square = t * t;
    const F x = nu / (nu + square);
    const F y = square / (nu + square);
    Bounded<Bits> p = tail ? Beta<Bits>(df, 1, x, y) : Beta<Bits>(1, df, y, x);
    p.relative += 8 * df * Unit<Bits>();  // x and y as rounded, through x^(nu/2)
    return p;
}

// Where the level's probability lies against a probability computed with its bound: -1
// below it, 1 above it, 0 too close to tell at this precision.
template <unsigned Bits>
int Side(const Bounded<Bits>& p, const Float<Bits>& target) {
    const Float<Bits> slack = mp::abs(p.value) * p.relative;
    if (target < p.value - slack) return -1;
    if (target > p.value + slack) return 1;
    return 0;
}

// x^a y^b / B(a, b), the incomplete beta function's derivative times x y.
template <unsigned Bits>
Float<Bits> DensityTimesXY(long long twiceA, long long twiceB, const Float<Bits>& x, const Float<Bits>& y) {
    using F = Float<Bits>;
#if !defined(__EMSCRIPTEN__)
    if (twiceA + twiceB > kMostHalvesBySeries)
        return boost::math::ibeta_derivative(F(twiceA) / 2, F(twiceB) / 2, x) * x * y;
#endif
    return HalfPower<Bits>(x, twiceA).value * HalfPower<Bits>(y, twiceB).value * InverseBetaTimesA<Bits>(twiceA, twiceB).value *
           (F(twiceA) / 2);
}

// The density of the probability in ln t, d ln P / d ln t (negative for the tail): with
// dx/d ln t = -2 x y, it is -+2 x^a y^b / B(a, b) / P.
template <unsigned Bits>
Float<Bits> LogSlope(long long df, bool tail, const Float<Bits>& t, const Float<Bits>& p) {
    using F = Float<Bits>;
    const F nu = F(df);
    const F x = nu / (nu + t * t);
    const F y = t * t / (nu + t * t);
    const F density = 2 * (tail ? DensityTimesXY<Bits>(df, 1, x, y) : DensityTimesXY<Bits>(1, df, y, x));
    return (tail ? -density : density) / p;
}

// The quantile's double d is the one whose two midpoints bracket the level's probability.
// Newton's method in ln t and ln P first (the tails are nearly straight there), then the
// midpoints of the double it gives, one unit further while they do not bracket it.
template <unsigned Bits>
std::optional<double> QuantileFrom(long long df, double level, double start, bool& settled) {
    using F = Float<Bits>;
    const bool tail = level >= 0.5;
    const F target = tail ? F(1.0 - level) : F(level);  // 1 - level is exact in double here
    const F logTarget = mp::log(target);
    F t = start;
    for (int step = 0; step < 200; ++step) {
        const Bounded<Bits> p = ProbabilityAt<Bits>(df, tail, t);
        if (!(p.value > 0)) {
            t = tail ? t / 2 : t * 2;
            continue;
        }
        const F slope = LogSlope<Bits>(df, tail, t, p.value);
        F move = (logTarget - mp::log(p.value)) / slope;
        move = std::max(F(-2), std::min(F(2), move));
        t *= mp::exp(move);
        if (mp::abs(move) < mp::ldexp(F(1), -static_cast<int>(Bits) / 2 - 8) && step > 0) break;
    }
    double d = static_cast<double>(t);
    // As t grows the tail falls and the central probability rises: `rising` orders the sides.
    const int rising = tail ? -1 : 1;
    for (int step = 0; step < 8; ++step) {
        if (!(d > 0) || !std::isfinite(d)) return std::nullopt;
        // The midpoints, exact at this precision (not in double).
        const int low = Side<Bits>(ProbabilityAt<Bits>(df, tail, (F(d) + F(std::nextafter(d, 0.0))) / 2), target) * rising;
        const int high = Side<Bits>(ProbabilityAt<Bits>(df, tail, (F(d) + F(std::nextafter(d, HUGE_VAL))) / 2), target) * rising;
        if (low == 1 && high == -1) {
            settled = true;
            return d;
        }
        if (low == 0 || high == 0) break;
        d = std::nextafter(d, high == 1 ? HUGE_VAL : 0.0);
    }
    settled = false;
    return d;
}

template <unsigned Bits>
std::optional<double> BetaBetween(long long twiceA, long long twiceB, const Ratio& xLow, const Ratio& xHigh) {
    using F = Float<Bits>;
    // x and 1 - x of an end as floats from the exact ratio, and the end's probability moved
    // outward past its bound.
    auto at = [&](const Ratio& r, int side) -> F {
        const Fraction rest = exact_rounding::Sub(r.denominator, r.numerator);
        const F denominator = ToFloat<Bits>(r.denominator);
        F x = ToFloat<Bits>(r.numerator) / denominator;
        F y = ToFloat<Bits>(rest) / denominator;
        if (x < 0) x = 0, y = 1;
        if (y < 0) y = 0, x = 1;
        const Bounded<Bits> p = Beta<Bits>(twiceA, twiceB, x, y);
        // The rounding of x and y moves x^a y^b by about (a + b) units.
        const F relative = p.relative + F(2 * (twiceA + twiceB) + 8) * Unit<Bits>();
        return p.value * (1 + side * relative);
    };
    const F low = at(xLow, -1);
    const F high = at(xHigh, 1);
    if (!(low >= 0) || !(high >= 0)) return std::nullopt;
    return exact_rounding::RoundRange(ToFraction<Bits>(low), ToFraction<Bits>(high));
}

}  // namespace

template <unsigned Bits>
BinaryFloat<Bits> Pi() {
    // pi to 256 bits, from its binary expansion (3.243F6A8885A308D3...), rounded to Bits
    static const BinaryFloat<Bits> pi = [] {
        const unsigned long long words[] = {0x3243F6A8885A308DULL, 0x313198A2E0370734ULL, 0x4A4093822299F31DULL,
                                            0x0082EFA98EC4E6C8ULL};
        BinaryFloat<Bits> v = 0;
        for (int k = 0; k < 4; ++k) v += mp::ldexp(BinaryFloat<Bits>(words[k]), -60 - 64 * k);
        return v;
    }();
    return pi;
}
template BinaryFloat<128> Pi<128>();
template BinaryFloat<512> Pi<512>();

std::optional<double> StudentQuantile(long long degreesOfFreedom, double level) {
    if (degreesOfFreedom < 1 || !(level > 0 && level < 1)) return std::nullopt;
    bool settled = false;
    // Newton's method starts from Boost.Math's quantile in double where it is linked (some
    // dozens of units off), in the page from 2.
    double start = 2.0;
#if !defined(__EMSCRIPTEN__)
    namespace policies = boost::math::policies;
    using InDouble = policies::policy<policies::domain_error<policies::errno_on_error>, policies::pole_error<policies::errno_on_error>,
                                      policies::overflow_error<policies::errno_on_error>,
                                      policies::evaluation_error<policies::errno_on_error>,
                                      policies::rounding_error<policies::errno_on_error>, policies::promote_double<false>>;
    const boost::math::students_t_distribution<double, InDouble> t(static_cast<double>(degreesOfFreedom));
    const double estimate = boost::math::quantile(boost::math::complement(t, (1 - level) / 2));
    if (std::isfinite(estimate) && estimate > 0) start = estimate;
#endif
    const std::optional<double> near = QuantileFrom<128>(degreesOfFreedom, level, start, settled);
    if (!near || settled) return near;
#if defined(__EMSCRIPTEN__)
    return std::nullopt;  // the page keeps to 128 bits: not settled there
#else
    // Within 2^-80 of a rounding boundary at 128 bits: once more at 512. Past that (within
    // 2^-464 of a boundary, which no level tried comes near) the 512-bit nearest is taken.
    return QuantileFrom<512>(degreesOfFreedom, level, *near, settled);
#endif
}

std::optional<double> RegularizedBetaBetween(long long twiceA, long long twiceB, const Ratio& xLow, const Ratio& xHigh,
                                             int effort) {
    if (twiceA < 1 || twiceB < 1) return std::nullopt;
#if defined(__EMSCRIPTEN__)
    (void)effort;
    return BetaBetween<128>(twiceA, twiceB, xLow, xHigh);
#else
    return effort == 0 ? BetaBetween<128>(twiceA, twiceB, xLow, xHigh) : BetaBetween<512>(twiceA, twiceB, xLow, xHigh);
#endif
}

}  // namespace plorimet
