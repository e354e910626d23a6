// The exact sums a least-squares fit is made of, for the statistics of the fit.
#pragma once

#include <cstdint>
#include <vector>

// Boost's cpp_int.hpp includes <iostream>; see exact_fit.cpp for why only the two stream
// headers it uses are included and <iostream> is marked as seen.
#include <istream>
#include <ostream>
#if defined(__GLIBCXX__) && !defined(_GLIBCXX_IOSTREAM)
#define _GLIBCXX_IOSTREAM 1
#endif
#include <boost/multiprecision/cpp_int.hpp>

namespace plorimet {

// The exact value mantissa * 2^exponent.
struct BinaryFraction {
    boost::multiprecision::cpp_int mantissa;
    int64_t exponent = 0;
};

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
