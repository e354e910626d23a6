// The soft extended type of the graph's pixel arithmetic (the builds whose long double is not x87)
// against the x87 long double itself: every operation the graph plan uses, operand pairs drawn from
// the ranges the plan meets and from the edges of rounding, must give the same bits, and the
// truncation the same pixel.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstring>
#include <random>

#include "graph/pixel_real.h"
#include "graph/soft_extended.h"

#if LDBL_MANT_DIG == 64

namespace plorimet {
namespace {

struct OperandRange {
    const char* name;
    int minExponent;  // operands are m * 2^e with m in [1, 2) and e in [minExponent, maxExponent]
    int maxExponent;
    bool wholeNumbers;  // pixels and counts: integers in the double
};

constexpr OperandRange kRanges[] = {
    {"factors and pixels", -2, 11, false},
    {"whole pixels", 0, 12, true},
    {"data values", -60, 60, false},
    {"years and offsets", 10, 12, false},
    {"tiny and huge", -1000, 1000, false},
};

double Draw(std::mt19937_64& random, const OperandRange& range) {
    std::uniform_int_distribution<int> exponent(range.minExponent, range.maxExponent);
    std::uniform_real_distribution<double> mantissa(1.0, 2.0);
    // A few short mantissas make exact halves (ties) after products and quotients.
    double m = random() % 4 == 0 ? 1.0 + static_cast<double>(random() % 64) / 64.0 : mantissa(random);
    double value = std::ldexp(m, exponent(random));
    if (range.wholeNumbers) value = std::trunc(value);
    return random() % 2 ? -value : value;
}

bool SameBits(long double native, const SoftExtended& soft) {
    const long double converted = static_cast<long double>(soft);
    if (std::isnan(native)) return std::isnan(converted);
    return std::memcmp(&native, &converted, 10) == 0;
}

template <class Real>
struct Results {
    Real sum, difference, product, quotient, chain;
};

// The operations of the plan: int/double operands widened, one rounding per operation, and the
// row's chain base + (20 f - h) (v - min) / (max - min).
template <class Real>
Results<Real> Compute(double a, double b, double c, double d) {
    const Real ra = a, rb = b;
    return {ra + rb, ra - rb, ra * rb, ra / rb,
            (Real(c) - Real(10.0) * ra) + (Real(20.0) * ra - Real(d)) * (Real(b) - Real(c)) / (Real(d) - Real(c))};
}

TEST(PixelReal, SoftExtendedRoundsAsTheX87Format) {
    std::mt19937_64 random(20261208);
    for (const OperandRange& range : kRanges) {
        for (int k = 0; k < 20000; ++k) {
            const double a = Draw(random, range), b = Draw(random, range);
            const double c = Draw(random, range), d = Draw(random, range);
            const Results<long double> native = Compute<long double>(a, b, c, d);
            const Results<SoftExtended> soft = Compute<SoftExtended>(a, b, c, d);
            ASSERT_TRUE(SameBits(native.sum, soft.sum)) << range.name << ' ' << a << " + " << b;
            ASSERT_TRUE(SameBits(native.difference, soft.difference)) << range.name << ' ' << a << " - " << b;
            ASSERT_TRUE(SameBits(native.product, soft.product)) << range.name << ' ' << a << " * " << b;
            ASSERT_TRUE(SameBits(native.quotient, soft.quotient)) << range.name << ' ' << a << " / " << b;
            ASSERT_TRUE(SameBits(native.chain, soft.chain)) << range.name << " chain " << a << ' ' << b << ' ' << c << ' ' << d;
            ASSERT_EQ(SaturatingTruncOf(native.product), SaturatingTruncOf(soft.product)) << range.name;
            ASSERT_EQ(SaturatingTruncOf(native.chain), SaturatingTruncOf(soft.chain)) << range.name;
        }
    }
}

TEST(PixelReal, SoftTruncationSaturatesAsTheNative) {
    const long double cases[] = {2147483647.9L, 2147483648.0L, -2147483648.9L, -2147483649.0L, -1e30L, 3.99L, -3.99L,
                                 0.7L * 520, std::numeric_limits<long double>::infinity(),
                                 -std::numeric_limits<long double>::infinity(),
                                 std::numeric_limits<long double>::quiet_NaN()};
    for (long double value : cases) EXPECT_EQ(SaturatingTruncOf(value), SaturatingTruncOf(SoftExtended(value))) << value;
}

}  // namespace
}  // namespace plorimet

#endif
