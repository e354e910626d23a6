// The exact sums of a part of a data set's points, in x itself, so that parts cut anywhere,
// summed apart (on other machines too) and added give exactly the sums of the whole; and from
// them the sums a fit is solved from, the same as those of the points in one place.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "fit/binary_fraction.h"
#include "fit/exact_fit.h"
#include "fit/exact_sums.h"

namespace plorimet {

// Σ ln|w| is kept as logExponents ln 2 + logMantissas 2^-kLogUnitBits, within
// logError 2^-kLogUnitBits: integers, which add exactly.
constexpr int kLogUnitBits = 160;

struct PartSums {
    int terms = 0;  // coefficients the sums serve: degree + 1 at most
    bool weighted = false;
    long long count = 0;
    long long zeroWeights = 0;
    double lowX = 0.0, highX = 0.0;  // of every point; meaningless while count is 0
    double largestX = 0.0, largestY = 0.0;
    std::vector<BinaryFraction> powerSums;  // Σ w² x^p, p = 0..2(terms-1)
    std::vector<BinaryFraction> moments;    // Σ w² x^i y, i = 0..terms-1
    BinaryFraction ySquares;                // Σ w² y²
    BinaryFraction ySum;                    // Σ w² y
    // The smallest distinct X among the points of nonzero weight, ascending, at most
    // DistinctKept(terms), each with how many such points have it (counted up to 2): enough to
    // tell whether the points fix the coefficients and whether one point alone fixes a value.
    std::vector<std::pair<double, int>> smallestX;
    std::optional<double> yAtZero;  // the Y of a point with X = 0
    long long logExponents = 0;
    boost::multiprecision::cpp_int logMantissas = 0;
    long long logError = 0;
};

constexpr size_t DistinctKept(int terms) { return static_cast<size_t>(terms) + 2; }

// The sums of the points (finite values, checked by the caller) for up to `terms` coefficients.
PartSums PartSumsOf(PointsView points, int terms, const WorkSplit& split = {});

// a + b, exactly; false (and nothing changed) when they are for different numbers of terms.
bool AddPartSums(PartSums& a, const PartSums& b);

// The sums in t = (x - center) / 2^shift that ComputeExactSums(points, terms, centred) gives for
// the same points (the same center and shift), from the binomial expansion of (x - center)^p.
ExactSums CentredSums(const PartSums& sums, bool centred);

// Distinct X of nonzero weight (nonzero ones when `nonzeroOnly`), exact up to DistinctKept - 1.
long long DistinctXOf(const PartSums& sums, bool nonzeroOnly);
// Whether some point alone has its X (nonzero when `nonzeroOnly`) while the distinct X are
// exactly `coefficients`: then its leverage is 1.
bool AnyLoneX(const PartSums& sums, bool nonzeroOnly, int coefficients);

// The bytes of the sums, little-endian (see python/README or the module's documentation):
//   "PLSM", version 1, flags (1 weighted, 2 a Y at X = 0), terms (int32), count and zero
//   weights (int64), lowX, highX, largestX, largestY, yAtZero (float64), the fractions
//   powerSums, moments, ySquares, ySum, the number of smallest X (uint32) each as float64 and a
//   count byte, logExponents (int64), logMantissas as an integer, logError (int64).
// An integer is a sign byte (0 or 1 negative), a byte length (uint32) and the magnitude's
// bytes, lowest first; a fraction is an integer and its exponent (int64).
std::string SerializePartSums(const PartSums& sums);
// The sums back, or none for bytes that are not such sums (checked field by field).
std::optional<PartSums> ParsePartSums(const std::string& bytes);

}  // namespace plorimet
