// The Analysis command's data collection and fit, from cell texts to the equation.
#pragma once

#include <array>
#include <optional>
#include <string>

#include "fit/data_set.h"
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
};

// Coefficients in use: degree + 1 for least squares, pairCount otherwise.
int TermCount(const FitSettings& settings, const DataSet& data);

// The fit after the settings dialog closed with OK (fitMode Exact or LeastSquares).
// On success the coefficients and the equation text are set and equationShown is true;
// on failure the message that ends the command is returned, and the coefficients hold
// whatever the solver had written.
std::optional<MessageId> CompleteAnalysis(const DataSet& data, const FitSettings& settings, UiLanguage language,
                                          FitResult& result);

}  // namespace plorimet
