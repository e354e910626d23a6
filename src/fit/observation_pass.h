// The values of a fit at each observation (fitted value, residual, leverage, studentized
// residual, Cook's distance) and PRESS, the sum of squared leave-one-out errors, for any
// number of points: one pass in double-double arithmetic with a proved error bound serves
// every degree at once; what it cannot settle is done exactly.
#pragma once

#include <vector>

#include "fit/fit_statistics.h"

namespace plorimet {

// PRESS of each model, all of the same points and sums, of ascending degrees from the first.
std::vector<Statistic> PressOfModels(const std::vector<const FitModel*>& models, const WorkSplit& split = {});
std::vector<Statistic> PressOfModels(const std::vector<FitModel>& models, const WorkSplit& split = {});

// Each point's diagnostics under one model.
std::vector<ObservationDiagnostics> DiagnosticsOf(const FitModel& model, const WorkSplit& split = {});

// For tests: the same without the double-double pass, every value by the exact path.
std::vector<ObservationDiagnostics> ExactDiagnosticsOf(const FitModel& model);
Statistic ExactPressOf(const FitModel& model);

}  // namespace plorimet
