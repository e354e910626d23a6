// The equation text and the check that zeroes negligible terms.
#pragma once

#include <optional>
#include <string>

#include "fit/analysis.h"
#include "fit/exact_fit.h"

namespace plorimet {

// printf's %.<digits>g, with at least two exponent digits on every C runtime.
std::string FormatG(double value, int digits);

// Zeroes every coefficient whose term is negligible at all points; reports a term that is
// too large or too small (powers 1 and up only).
std::optional<MessageId> CheckTermValues(const DataSet& data, int m, Coefficients& coefficients);
std::optional<MessageId> CheckTermValues(PointsView points, int m, Coefficients& coefficients);

// "Y = c0*X^0  +  c1*X^1 ..." with a line break before every third power and, for a true
// least-squares fit, the "Method of least squares" line.
std::string BuildEquationText(const Coefficients& coefficients, int m, int digitsIndex, FitMode mode, int pairCount,
                              UiLanguage language);

// The equation for the clipboard: the text as shown with CR LF line ends, an empty line, then
// one row per coefficient: its power, a tab and the coefficient to 17 significant digits (the
// double exactly), every row ending in CR LF. Pasted into a spreadsheet, the coefficients
// land in a column.
std::string EquationClipboardText(const std::string& equationText, const Coefficients& coefficients, int termCount);

}  // namespace plorimet
