#include "fit/distributions.h"

#include <cmath>

#include <boost/math/distributions/students_t.hpp>
#include <boost/math/special_functions/beta.hpp>

#include "fit/exact_rounding.h"

namespace plorimet {

namespace {

using namespace binary_fraction;

// Errors set errno instead of building a message with the standard streams.
namespace policies = boost::math::policies;
using Quiet = policies::policy<policies::domain_error<policies::errno_on_error>, policies::pole_error<policies::errno_on_error>,
                               policies::overflow_error<policies::errno_on_error>,
                               policies::evaluation_error<policies::errno_on_error>,
                               policies::rounding_error<policies::errno_on_error>>;

// Boost.Math's functions at these precisions are within a few units of their last place; the
// bounds below allow them 2^48 units.
template <unsigned Bits>
BinaryFloat<Bits> Slack() {
    return mp::ldexp(BinaryFloat<Bits>(1), -static_cast<int>(Bits) + 48);
}

// The probability of Student's t with nu degrees of freedom that decides a quantile at t: for
// a level of 1/2 or more the two-sided tail I_x(nu/2, 1/2), x = nu / (nu + t²), which falls
// as t grows; below it the central probability I_y(1/2, nu/2), y = t² / (nu + t²), which rises.
template <unsigned Bits>
BinaryFloat<Bits> ProbabilityAt(long long df, bool tail, const BinaryFloat<Bits>& t) {
    using F = BinaryFloat<Bits>;
    const F nu = F(df);
    const F square = t * t;
    const F half = F(1) / 2;
    if (tail) return boost::math::ibeta(nu / 2, half, nu / (nu + square), Quiet());
    return boost::math::ibeta(half, nu / 2, square / (nu + square), Quiet());
}

// Where the level's probability lies against a probability p computed at Bits, taking
// Boost's error into account: -1 below it, 1 above it, 0 too close to tell at this precision.
template <unsigned Bits>
int Side(const BinaryFloat<Bits>& p, const BinaryFloat<Bits>& target) {
    const BinaryFloat<Bits> slack = mp::abs(p) * mp::ldexp(BinaryFloat<Bits>(1), -static_cast<int>(Bits) + 48);
    if (target < p - slack) return -1;
    if (target > p + slack) return 1;
    return 0;
}

// The quantile's double d is the one whose two midpoints bracket the level's probability.
// Starting from Boost's quantile in double (within some dozens of units), each step evaluates
// the probability at both midpoints and moves by the units the two values put it away.
template <unsigned Bits>
std::optional<double> QuantileFrom(long long df, double level, double start, bool& settled) {
    using F = BinaryFloat<Bits>;
    const bool tail = level >= 0.5;
    const F target = tail ? F(1.0 - level) : F(level);  // 1 - level is exact in double here
    // As t grows the tail falls and the central probability rises: `rising` orders the sides.
    const int rising = tail ? -1 : 1;
    double d = start;
    for (int step = 0; step < 60; ++step) {
        if (!(d > 0) || !std::isfinite(d)) return std::nullopt;
        // The midpoints, exact at this precision (not in double).
        const F pb = ProbabilityAt<Bits>(df, tail, (F(d) + F(std::nextafter(d, 0.0))) / 2);
        const F pa = ProbabilityAt<Bits>(df, tail, (F(d) + F(std::nextafter(d, HUGE_VAL))) / 2);
        const int low = Side<Bits>(pb, target) * rising;   // 1: the quantile is above the lower midpoint
        const int high = Side<Bits>(pa, target) * rising;  // -1: the quantile is below the upper midpoint
        if (low == 1 && high == -1) {
            settled = true;
            return d;
        }
        if (low == 0 || high == 0) {
            settled = false;
            return d;
        }
        // Not there yet: the distance in units from the slope between the midpoints.
        const double units = static_cast<double>((target - (pa + pb) / 2) / (pa - pb));
        long long n = std::isfinite(units) ? std::llround(std::max(-1e6, std::min(1e6, units))) : 0;
        if (n == 0) n = high == 1 ? 1 : -1;
        if (std::llabs(n) <= 64) {
            for (long long k = 0; k < std::llabs(n); ++k) d = std::nextafter(d, n > 0 ? HUGE_VAL : 0.0);
        } else {
            d += static_cast<double>(n) * (std::nextafter(d, HUGE_VAL) - d);
        }
    }
    settled = false;
    return d;
}

template <unsigned Bits>
std::optional<double> BetaBetween(long long twiceA, long long twiceB, const Ratio& xLow, const Ratio& xHigh) {
    using F = BinaryFloat<Bits>;
    const F a = F(twiceA) / 2;
    const F b = F(twiceB) / 2;
    const F slack = Slack<Bits>();
    // The ends as floats, moved outward past their own rounding.
    auto at = [&](const Ratio& x, int side) -> F {
        F v = ToFloat<Bits>(x.numerator) / ToFloat<Bits>(x.denominator) * (1 + side * mp::ldexp(F(1), -static_cast<int>(Bits) + 3));
        if (v < 0) v = 0;
        if (v > 1) v = 1;
        const F p = v == 0 ? F(0) : (v == 1 ? F(1) : boost::math::ibeta(a, b, v, Quiet()));
        return p * (1 + side * slack);
    };
    const F low = at(xLow, -1);
    const F high = at(xHigh, 1);
    if (!(low >= 0) || !(high >= 0)) return std::nullopt;
    return exact_rounding::RoundRange(ToFraction<Bits>(low), ToFraction<Bits>(high));
}

}  // namespace

std::optional<double> StudentQuantile(long long degreesOfFreedom, double level) {
    if (degreesOfFreedom < 1 || !(level > 0 && level < 1)) return std::nullopt;
    const boost::math::students_t_distribution<double, Quiet> t(static_cast<double>(degreesOfFreedom));
    const double start = boost::math::quantile(boost::math::complement(t, (1 - level) / 2));
    if (!std::isfinite(start) || !(start > 0)) return std::nullopt;
    bool settled = false;
    const std::optional<double> near = QuantileFrom<128>(degreesOfFreedom, level, start, settled);
    if (!near || settled) return near;
    // Within 2^-80 of a rounding boundary at 128 bits: once more at 512. Past that (within
    // 2^-464 of a boundary, which no level tried comes near) the 512-bit nearest is taken.
    return QuantileFrom<512>(degreesOfFreedom, level, *near, settled);
}

std::optional<double> RegularizedBetaBetween(long long twiceA, long long twiceB, const Ratio& xLow, const Ratio& xHigh,
                                             int effort) {
    if (twiceA < 1 || twiceB < 1) return std::nullopt;
    return effort == 0 ? BetaBetween<128>(twiceA, twiceB, xLow, xHigh) : BetaBetween<512>(twiceA, twiceB, xLow, xHigh);
}

}  // namespace plorimet
