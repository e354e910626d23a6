// The exact sums a least-squares fit of many points is made of, taken in machine words.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "fit/exact_fit.h"
#include "fit/work_split.h"

#include "fit/binary_fraction.h"

namespace plorimet {

// In the variable t = (x - center) / 2^shift: every value exact (not normalized: a mantissa may be even).
struct PowerSums {
    std::vector<BinaryFraction> powers;   // sum of t^p, p = 0..2(terms-1)
    std::vector<BinaryFraction> moments;  // sum of t^i y, i = 0..terms-1
    BinaryFraction ySquares;              // sum of y^2
    BinaryFraction ySum;
};

// The sums of finite points, taken without allocation per point: the points are grouped by the
// sign and binary exponent of X, so that within a group X is one 53-bit integer times a common
// power of two; its powers, and their products with Y, are taken in fixed-width limbs for
// several points of a group at once, with the processor's vector instructions, and summed with
// the carries left in each limb until the end; the groups' sums of powers of X then give those
// of t by the binomial expansion, exactly.
// Worth it for many points (the expansion costs about terms^2 long products); nothing when the
// X values have more than kMostPowerGroups signs and exponents, or the Y values are too far
// apart in magnitude for Y to be one integer of kWidestY words over a common power of two.
constexpr int kMostPowerGroups = 128;
constexpr int kWidestY = 4;
// The points may be cut into the split's pieces, tallied at the same time; the sums are the same.
// So they are with each of the ways this processor has of taking several points at once
// (`kernel` from 0, the widest, to PowerKernelCount() - 1).
std::optional<PowerSums> SumPowersInWords(PointsView points, int terms, double center, int shift,
                                          const WorkSplit& split = {}, int kernel = 0);
int PowerKernelCount();

}  // namespace plorimet
