// The exact sums a least-squares fit is made of, for the statistics of the fit.
#pragma once

#include <cstdint>
#include <vector>

#include "fit/binary_fraction.h"

namespace plorimet {

// Sums over the points in the variable t = (x - center) / 2^shift, |t| < 1: every value exact.
struct ExactSums {
    long long count = 0;
    BinaryFraction center;  // 0 when the sums are not centred
    int shift = 0;
    std::vector<BinaryFraction> powerSums;  // sum of t^p, p = 0..2(terms-1)
    std::vector<BinaryFraction> moments;    // sum of t^i y, i = 0..terms-1
    BinaryFraction ySquares;                // sum of y^2
    BinaryFraction ySum;
};

}  // namespace plorimet
