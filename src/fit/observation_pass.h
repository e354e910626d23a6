// The values of a fit at each observation (fitted value, residual, leverage, studentized
// residual, Cook's distance) and PRESS, the sum of squared leave-one-out errors, for any
// number of points: one pass in double-double arithmetic with a proved error bound serves
// every degree at once; what it cannot settle is done exactly.
#pragma once

#include <optional>
#include <vector>

#include "fit/binary_fraction.h"
#include "fit/fit_statistics.h"

namespace plorimet {

// PRESS of each model, all of the same points and sums, of ascending degrees from the first.
std::vector<Statistic> PressOfModels(const std::vector<const FitModel*>& models, const WorkSplit& split = {});
std::vector<Statistic> PressOfModels(const std::vector<FitModel>& models, const WorkSplit& split = {});

// PRESS of a model over a data set held in parts (a model of partial sums, or of points): the
// terms of each part summed within exact bounds, the bounds of all parts added, settled once.
struct PressBounds {
    BinaryFraction low, high;
};
// Its value or reason when it needs no parts (a leverage of 1, every residual 0).
std::optional<Statistic> PressWithoutParts(const FitModel& model);
// One part's bounds from the double-double pass with exact terms for the points it leaves, or
// (`exactly`) every term the exact way.
PressBounds PressOfPart(const FitModel& model, PointsView part, bool exactly);
// The bounds of every part added and settled; none (NotSettled) when they do not settle: then
// the parts are taken again `exactly`.
Statistic PressOfParts(const FitModel& model, const std::vector<PressBounds>& parts);

// Each point's diagnostics under one model.
std::vector<ObservationDiagnostics> DiagnosticsOf(const FitModel& model, const WorkSplit& split = {});

// For tests: the same without the double-double pass, every value by the exact path.
std::vector<ObservationDiagnostics> ExactDiagnosticsOf(const FitModel& model);
Statistic ExactPressOf(const FitModel& model);

}  // namespace plorimet
