// The fit of a set of points that the command line and the Python module share: the degree
// offered for the points (the window's rules for pairs, and for repeated X at most one fewer
// than the distinct X), the fit with or without the constant, and the exact model its
// statistics come from.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "base/messages.h"
#include "fit/analysis.h"
#include "fit/exact_sums.h"
#include "fit/fit_settings.h"
#include "fit/fit_statistics.h"

namespace plorimet {

struct FitChoice {
    std::optional<int> degree;
    bool throughOrigin = false;
    int digits = 3;
    UiLanguage language = UiLanguage::English;
    bool withModel = false;  // statistics or intervals wanted
    FitRule rule = FitRule::RowScaling;  // ExactOptimum for every observation of a file
};

struct PointsFit {
    FitSettings settings;
    FitResult result;
    int termCount = 0;
    ExactSums sums;
    std::unique_ptr<FitModel> model;  // with FitChoice::withModel
};

// Why a fit failed: the program's message, or a plain English reason for what it has none for.
struct FitFailure {
    std::optional<MessageId> message;
    std::string reason;
};

// The degree the rules give for `count` points with `distinct` distinct X (nonzero ones through the
// origin; counted up to the degree asked for + 2 is enough), the mode, or why there is none.
struct DegreeChoice {
    FitMode mode = FitMode::LeastSquares;
    int degree = 0;
    std::optional<FitFailure> failure;
};
DegreeChoice ChooseDegree(long long count, long long distinct, const FitChoice& choice);

// The points sorted by X; repeated X count as repeated measurements. With a degree chosen,
// one the points cannot fix is refused with the range they can.
std::optional<FitFailure> FitPoints(PointsView points, const FitChoice& choice, PointsFit& fit);

}  // namespace plorimet
