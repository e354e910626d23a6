// Student's t and the F distribution at the precision a correctly rounded double needs: the
// quantile of a confidence level and the tail probabilities of the tests.
#pragma once

#include <optional>

#include "fit/binary_fraction.h"

namespace plorimet {

// Student's t quantile of a two-sided interval of this level (0 < level < 1), correctly
// rounded; none for 0 degrees of freedom. The tail probability is formed from the level's
// double without rounding: for a level of 1/2 or more the upper tail of 1 - level (exact in
// double), below it the central probability itself.
std::optional<double> StudentQuantile(long long degreesOfFreedom, double level);

// A ratio of exact binary fractions (denominator > 0).
struct Ratio {
    BinaryFraction numerator, denominator;
};

// The regularized incomplete beta function I_x(a, b), a = twiceA / 2, b = twiceB / 2, for an x
// known to lie in [xLow, xHigh] within [0, 1]: its correct rounding when every x there rounds
// alike. `effort` 0 computes at 128 bits, 1 at 512. The two-sided p-value of Student's t with
// df degrees of freedom is I_x(df / 2, 1/2) at x = df / (df + t^2); the upper tail of F(d1, d2)
// is I_x(d2 / 2, d1 / 2) at x = d2 / (d2 + d1 F).
std::optional<double> RegularizedBetaBetween(long long twiceA, long long twiceB, const Ratio& xLow, const Ratio& xHigh,
                                             int effort);

// pi correctly to the precision (128 and 512 bits), without computing it.
template <unsigned Bits>
BinaryFloat<Bits> Pi();

}  // namespace plorimet
