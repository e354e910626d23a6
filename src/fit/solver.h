// Gaussian elimination with row scaling and partial pivoting, on the fixed-size system.
#pragma once

#include <optional>

#include "fit/analysis.h"

namespace plorimet {

struct LinearSystem {
    double a[kTextSlots][kTextSlots];
    double b[kTextSlots];
};

// The system of powers whose solution passes through every point (size pairCount).
void FillExactSystem(const DataSet& data, LinearSystem& system);

// The least-squares normal equations for `degree` (size degree + 1).
void BuildNormalEquations(const DataSet& data, int degree, LinearSystem& system);

// Solves the top-left m x m block. Coefficients are written from the highest power down;
// on failure the message is returned and what was written stays.
std::optional<MessageId> SolveLinearSystem(LinearSystem& system, int m, Coefficients& coefficients);

}  // namespace plorimet
