// Gaussian elimination with row scaling and partial pivoting, on the fixed-size system.
#pragma once

#include <optional>

#include "fit/analysis.h"
#include "fit/exact_fit.h"

namespace plorimet {

struct LinearSystem {
    double a[kTextSlots][kTextSlots];
    double b[kTextSlots];
};

// The system of powers whose solution passes through every point (size pairCount).
void FillExactSystem(const DataSet& data, LinearSystem& system);
void FillExactSystem(PointsView points, LinearSystem& system);  // at most 45 points

// The least-squares normal equations for `degree` (size degree + 1), in double: each sum
// over the points in their order, X to the power i + j by pow.
void BuildNormalEquations(const DataSet& data, int degree, LinearSystem& system);
void BuildNormalEquations(PointsView points, int degree, LinearSystem& system);

// The size check that comes before any elimination: a system of fewer than 2 or more than 45
// coefficients is not solved.
std::optional<MessageId> SystemSizeFailure(int m);

// Solves the top-left m x m block. Coefficients are written from the highest power down;
// on failure the message is returned and what was written stays.
std::optional<MessageId> SolveLinearSystem(LinearSystem& system, int m, Coefficients& coefficients);

}  // namespace plorimet
