// The rounding of (A + K sqrt Q) / E to the nearest double, against a reference at 3000 bits
// that settles ties by exact integer arithmetic: values near midpoints, exact midpoints (ties
// to even), cancellation of the two parts, long mantissas and the ends of the double range.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <random>

#include "fit/exact_rounding.h"

namespace plorimet {
namespace {

using namespace binary_fraction;
using exact_rounding::Form;
using Wide = BinaryFloat<3000>;

Fraction Of(double v) { return FromDouble(v); }
Fraction Big(const char* digits, int64_t exponent) { return {Int(digits), exponent}; }

// The midpoint between d and the next double up, and whether the form's value is exactly it:
// (M E - A)^2 = K^2 Q with M E - A of K's sign.
bool IsUpperMidpoint(const Form& f, double d) {
    const Fraction m = Midpoint(d, HUGE_VAL);
    const Fraction left = exact_rounding::Sub(Mul(m, f.e), f.a);
    const int sign = exact_rounding::Sign(left);
    if (sign != 0 && sign != exact_rounding::Sign(f.k)) return false;
    return exact_rounding::Compare(Mul(left, left), Mul(Mul(f.k, f.k), f.q)) == 0;
}

double Reference(const Form& f) {
    const Wide v = (ToFloat<3000>(f.a) + ToFloat<3000>(f.k) * mp::sqrt(ToFloat<3000>(f.q))) / ToFloat<3000>(f.e);
    const double d = RoundToDouble(ToFraction<3000>(v));
    // 3000 bits cannot tell a value at a midpoint from one beside it: decide exactly.
    for (double candidate : {std::nextafter(d, -HUGE_VAL), d})
        if (std::isfinite(candidate) && IsUpperMidpoint(f, candidate)) {
            const double above = std::nextafter(candidate, HUGE_VAL);
            int exponent = 0;
            const double units = std::ldexp(std::frexp(candidate, &exponent), 53);
            return std::fmod(units, 2.0) == 0 ? candidate : above;
        }
    return d;
}

TEST(ExactRounding, FormsRoundToTheNearestDoubleTiesToEven) {
    const Fraction one = Of(1);
    const Fraction zero{};
    const double tieLow = 1.0;  // even last bit: the tie above it goes down
    const double tieOdd = std::nextafter(1.0, 2.0);  // odd: the tie above it goes up
    struct Case {
        const char* what;
        Form form;
    };
    const Case cases[] = {
        {"a plain quotient", {Of(1), zero, zero, Of(3)}},
        {"a square root", {zero, one, Of(2), one}},
        {"a negative root", {Of(1), Of(-1), Of(3), Of(7)}},
        {"a tie to even below", {Midpoint(tieLow, HUGE_VAL), zero, zero, one}},
        {"a tie to even above", {Midpoint(tieOdd, HUGE_VAL), zero, zero, one}},
        {"a tie reached through the root", {zero, one, Mul(Midpoint(tieOdd, HUGE_VAL), Midpoint(tieOdd, HUGE_VAL)), one}},
        {"just above a tie", {Add(Midpoint(tieLow, HUGE_VAL), Fraction{Int(1), -400}), zero, zero, one}},
        {"just below a tie", {Add(Midpoint(tieOdd, HUGE_VAL), Fraction{Int(-1), -400}), zero, zero, one}},
        {"cancelling parts", {Of(-std::sqrt(2.0)), one, Of(2), Of(1e-10)}},
        {"cancelling to 2^-300", {Add(Of(-3), Fraction{Int(1), -300}), one, Of(9), one}},
        {"long mantissas", {Big("123456789012345678901234567890123456789012345678901234567890123", -150),
                            Big("-98765432109876543210987654321", -80), Big("3141592653589793238462643383279502884197", -100),
                            Big("2718281828459045235360287471352662497757", -120)}},
        {"beyond the largest double", {Of(DBL_MAX), Of(DBL_MAX), one, one}},
        {"near the largest double", {Of(DBL_MAX / 2), zero, zero, Of(0.75)}},
        {"subnormal", {Of(DBL_MIN), zero, zero, Of(3e10)}},
        {"below half the least subnormal", {Of(DBL_MIN), zero, zero, Of(1e300)}},
        {"exactly 0", {Of(-2), one, Of(4), one}},
    };
    for (const Case& c : cases) EXPECT_EQ(exact_rounding::RoundForm(c.form), Reference(c.form)) << c.what;

    // Random forms over many scales, with both signs and parts of every relative size.
    std::mt19937_64 random(7);
    std::uniform_real_distribution<double> unit(-1.0, 1.0);
    std::uniform_int_distribution<int> scale(-300, 300);
    for (int i = 0; i < 2000; ++i) {
        auto any = [&] { return Scale2(Of(unit(random)), scale(random) / 3); };
        const Form f{any(), any(), Scale2(Of(std::fabs(unit(random))), scale(random)), Scale2(Of(0.5 + std::fabs(unit(random))), scale(random) / 3)};
        EXPECT_EQ(exact_rounding::RoundForm(f), Reference(f)) << i;
    }
    // Quotients a little off a midpoint, by less than the approximation's own error can be.
    for (int bits = 54; bits <= 80; ++bits)
        for (int side : {-1, 1}) {
            const Fraction e = Scale2(Mul(Of(1 + std::fabs(unit(random))), Of(1 + std::fabs(unit(random)))), scale(random) / 3);
            const Fraction value = Add(Midpoint(1.5 + unit(random) / 4, HUGE_VAL), Fraction{Int(side), -bits});
            const Form f{Mul(value, e), zero, zero, e};
            EXPECT_EQ(exact_rounding::RoundForm(f), Reference(f)) << bits << " " << side;
        }
}

}  // namespace
}  // namespace plorimet
