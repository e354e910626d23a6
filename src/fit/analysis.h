// The Analysis command's data collection and fit, from cell texts to the equation.
#pragma once

#include <array>
#include <optional>
#include <string>

#include "fit/data_set.h"
#include "fit/exact_fit.h"
#include "fit/work_split.h"
#include "fit/fit_settings.h"
#include "base/messages.h"

namespace plorimet {

// True when both texts hold a value: neither is empty, ".", or "-".
bool IsUsablePair(const std::string& xText, const std::string& yText);

// strtod's value of a text (0 when no number starts it), independent of the C locale.
double TextToDouble(const std::string& text);

// Usable rows in grid order, repeated X values dropped (the first survives), sorted by X.
DataSet CollectDataSet(const CellTexts& cells);

using Coefficients = std::array<double, kTextSlots>;

struct FitResult {
    Coefficients coefficients{};
    std::string equationText;
    int termCount = 0;  // coefficients the equation shows (powers 0..termCount-1)
    bool equationShown = false;
    // Of the exact optimum; empty when every Y is the same, or (deviation) when the
    // polynomial passes through every point.
    std::optional<double> rSquared;
    std::optional<double> residualDeviation;
    // The optimum in its own variable, for drawing it where the coefficients cancel; none for
    // a fit through the origin.
    CentredPolynomial curve;
};

// Coefficients in use: degree + 1 for least squares, pairCount otherwise.
int TermCount(const FitSettings& settings, const DataSet& data);

// The fit after the settings dialog closed with OK (fitMode Exact or LeastSquares).
// On success the coefficients and the equation text are set and equationShown is true;
// on failure the message that ends the command is returned, and the coefficients hold
// whatever the solver had written.
//
// The coefficients are the exact least-squares optimum of the pairs, correctly rounded: the
// double elimination runs first for the conditions its messages are about (the size checks
// and the row scaling's too large, too small and zero coefficient), then the exact solve
// gives the coefficients.
std::optional<MessageId> CompleteAnalysis(const DataSet& data, const FitSettings& settings, UiLanguage language,
                                          FitResult& result);
// The same for points held elsewhere, any number of them (distinct X in ascending order);
// the equation's method line compares the degree with their count. Split (WorkSplitFor), the
// double elimination and the exact solve run at the same time, to the same outcome.
std::optional<MessageId> CompleteAnalysis(PointsView points, const FitSettings& settings, UiLanguage language,
                                          FitResult& result, const WorkSplit& split = {});

// What, beyond the size checks and the term check, may end a fit.
enum class FitRule {
    // The grid's: the double elimination's row scaling (too large, too small or zero
    // coefficient), which the window and the pairs of a grid follow.
    RowScaling,
    // Every observation of a file (the command line's --all): the exact optimum decides, so a
    // fit ends only where it has none in doubles (a coefficient beyond the range of a double:
    // too large coefficient). No double elimination is done; it is the costlier half of a fit
    // of many points, and its roundings only ever refuse fits that exist.
    ExactOptimum,
};

// The same, also giving the exact sums of a least-squares fit (for its statistics; not to be
// read when the fit fails).
std::optional<MessageId> CompleteAnalysis(PointsView points, const FitSettings& settings, UiLanguage language,
                                          FitResult& result, ExactSums* sums, const WorkSplit& split = {},
                                          FitRule rule = FitRule::RowScaling);

}  // namespace plorimet
