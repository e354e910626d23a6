#include "fit/analysis.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cmath>
#include <charconv>
#include <utility>

#include "base/number_text.h"
#include "fit/equation.h"
#include "fit/solver.h"

namespace plorimet {

bool IsUsablePair(const std::string& xText, const std::string& yText) {
    auto holdsValue = [](const std::string& t) { return !t.empty() && t != "." && t != "-"; };
    return holdsValue(xText) && holdsValue(yText);
}

double TextToDouble(const std::string& text) {
    size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
    // from_chars takes no leading plus sign, which strtod does.
    if (i < text.size() && text[i] == '+' && i + 1 < text.size() && text[i + 1] != '-') ++i;
    double value = 0.0;
    const char* first = text.data() + i;
    const auto result = ParseDouble(first, text.data() + text.size(), value);
    if (result.ec == std::errc::invalid_argument) return 0.0;
    return value;
}

DataSet CollectDataSet(const CellTexts& cells) {
    DataSet data;
    data.ClearTexts();
    int k = 0;
    for (int row = 0; row < kMaxPairs; ++row) {
        const std::string xText = cells.x[row].substr(0, kCellReadLimit);
        const std::string yText = cells.y[row].substr(0, kCellReadLimit);
        if (!IsUsablePair(xText, yText)) continue;
        data.xText[k] = xText;
        data.yText[k] = yText;
        data.x[k] = TextToDouble(xText);
        data.y[k] = TextToDouble(yText);
        ++k;
    }
    data.pairCount = k;

    // The first of several equal X values in grid order survives with its own Y.
    if (data.pairCount >= 2) {
        for (int l = 0; l < data.pairCount - 1; ++l) {
            for (int m = l + 1; m < data.pairCount; ++m) {
                if (data.x[m] == data.x[l]) {
                    data.xText[m].clear();
                    data.yText[m].clear();
                }
            }
        }
    }

    int kept = 0;
    for (int i = 0; i < data.pairCount; ++i) {
        if (data.xText[i].empty() || data.yText[i].empty()) continue;
        if (kept != i) {
            data.x[kept] = data.x[i];
            data.y[kept] = data.y[i];
            data.xText[kept] = data.xText[i];
            data.yText[kept] = data.yText[i];
        }
        ++kept;
    }
    for (int i = kept; i < data.pairCount; ++i) {
        data.xText[i].clear();
        data.yText[i].clear();
    }
    data.pairCount = kept;

    for (int m = 0; m + 1 < data.pairCount; ++m) {
        int smallest = m;
        for (int i = m + 1; i < data.pairCount; ++i)
            if (data.x[i] < data.x[smallest]) smallest = i;
        std::swap(data.x[m], data.x[smallest]);
        std::swap(data.y[m], data.y[smallest]);
        std::swap(data.xText[m], data.xText[smallest]);
        std::swap(data.yText[m], data.yText[smallest]);
    }
    return data;
}

int TermCount(const FitSettings& settings, const DataSet& data) {
    return settings.fitMode == FitMode::LeastSquares ? settings.degree + 1 : data.pairCount;
}

std::optional<MessageId> CompleteAnalysis(const DataSet& data, const FitSettings& settings, UiLanguage language,
                                          FitResult& result) {
    return CompleteAnalysis(PointsView{data.x.data(), data.y.data(), data.pairCount}, settings, language, result);
}

std::optional<MessageId> CompleteAnalysis(PointsView points, const FitSettings& settings, UiLanguage language,
                                          FitResult& result, const WorkSplit& split) {
    return CompleteAnalysis(points, settings, language, result, nullptr, split);
}

std::optional<MessageId> CompleteAnalysis(PointsView points, const FitSettings& settings, UiLanguage language,
                                          FitResult& result, ExactSums* sums, const WorkSplit& split, FitRule rule) {
    LinearSystem system;
    int m = 0;
    if (settings.fitMode == FitMode::LeastSquares) {
        // A saturated degree text must not overflow the system size.
        m = settings.degree < kTextSlots ? settings.degree + 1 : kTextSlots;
    } else {
        m = static_cast<int>(std::min<long long>(points.count, kTextSlots));
    }
    std::optional<MessageId> elimination;
    auto eliminate = [&] {
        if (settings.fitMode == FitMode::LeastSquares) {
            // A degree beyond the data is refused by the solver's size check, before any sum.
            if (m >= 2 && m <= kMaxPairs) BuildNormalEquations(points, settings.degree, system);
        } else {
            FillExactSystem(points, system);
        }
        elimination = SolveLinearSystem(system, m, result.coefficients);
    };
    // The exact solve needs nothing of the elimination: split, both run at the same time, and
    // the outcome is taken from them in the order of one after the other.
    std::optional<std::optional<ExactFit>> exact;
    Coefficients exactCoefficients{};
    auto solveExactly = [&] { exact = SolveExactLeastSquares(points, m, exactCoefficients.data(), sums, split); };
    if (rule == FitRule::ExactOptimum && m <= points.count) {
        if (auto failure = SystemSizeFailure(m)) return failure;
        solveExactly();
        if (!*exact) eliminate();  // values the exact solve does not take (not finite) go the grid's way
        if (elimination) return elimination;
        auto finite = [](double c) { return std::isfinite(c); };
        if (*exact && !std::all_of(exactCoefficients.begin(), exactCoefficients.begin() + m, finite))
            return MessageId::TooLargeCoefficient;
    } else {
        if (split.pieces > 1 && m <= points.count) {
            split.run(2, [&](int piece) { piece == 0 ? eliminate() : solveExactly(); });
        } else {
            eliminate();
        }
        // The double elimination decides the conditions that are about the input. A zero
        // denominator is left to the exact solve: with distinct X and no more coefficients than
        // points the exact system has none, so there only rounding could have made it.
        if (elimination && *elimination != MessageId::ZeroDenominator) return elimination;
        if (m > points.count) {
            // More coefficients than points: exact elimination meets a row of zeros in the
            // scaling step, or a zero last diagonal when only one coefficient is too many.
            return points.count <= m - 2 ? MessageId::ZeroCoefficient : MessageId::ZeroDenominator;
        }
        if (!exact) solveExactly();
        if (!*exact && elimination) return elimination;  // values the exact solve does not take (not finite)
    }
    result.rSquared.reset();
    result.residualDeviation.reset();
    result.curve = {};
    if (*exact) {
        std::copy(exactCoefficients.begin(), exactCoefficients.begin() + m, result.coefficients.begin());
        result.rSquared = (*exact)->rSquared;
        result.curve = std::move((*exact)->curve);
        if (points.count > m)
            result.residualDeviation = std::sqrt((*exact)->residualSquares / static_cast<double>(points.count - m));
    }
    if (auto failure = CheckTermValues(points, m, result.coefficients)) return failure;
    const int pairCount = static_cast<int>(std::min<long long>(points.count, INT_MAX));
    result.equationText =
        BuildEquationText(result.coefficients, m, settings.digitsIndex, settings.fitMode, pairCount, language);
    result.termCount = m;
    result.equationShown = true;
    return std::nullopt;
}

}  // namespace plorimet
