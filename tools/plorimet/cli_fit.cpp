#include "plorimet/cli_fit.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace plorimet {

std::optional<CliFailure> FitForCli(PointsView points, const FitChoice& choice, CliFit& fit) {
    const long long count = points.count;
    const long long distinct = DistinctXCount(points, choice.throughOrigin);
    const int pairs = static_cast<int>(std::min<long long>(count, 1 << 30));
    fit.settings = FitSettings{};
    fit.settings.digitsIndex = choice.digits - 3;
    auto notOffered = [&](int degree, long long highest) {
        std::string text = "degree " + std::to_string(degree) + " is not offered for " + std::to_string(count) + " pairs";
        if (distinct < count)
            text += " with " + std::to_string(distinct) + (choice.throughOrigin ? " distinct nonzero X" : " distinct X");
        return CliFailure{std::nullopt, text + " (1 to " + std::to_string(highest) + ")"};
    };
    if (choice.throughOrigin) {
        if (distinct == 0) return CliFailure{std::nullopt, "no fit through the origin exists: every X is 0"};
        const long long highest = std::min<long long>(distinct, kMaxPairs - 1);
        int degree = static_cast<int>(std::clamp<long long>(std::min<long long>(DefaultDegree(pairs), highest), 1, highest));
        if (choice.degree) {
            if (*choice.degree < 1 || *choice.degree > highest) return notOffered(*choice.degree, highest);
            degree = *choice.degree;
        }
        fit.settings.fitMode = FitMode::LeastSquares;
        fit.settings.degree = degree;
        fit.termCount = degree + 1;
        ComputeExactSums(points, degree + 1, false, fit.sums);
        fit.model = std::make_unique<FitModel>(points, fit.sums, degree, true);
        if (!fit.model->Solved()) return CliFailure{std::nullopt, "no fit through the origin exists for these X values"};
        if (auto failure = CompleteAnalysisThroughOrigin(points, *fit.model, fit.settings.digitsIndex, choice.language, fit.result))
            return CliFailure{failure, ""};
        return std::nullopt;
    }
    // Repeated X: a least-squares fit of at most one coefficient fewer than the distinct X.
    const bool repeats = distinct < count;
    if (repeats && distinct < 2) return CliFailure{MessageId::OnlyOneDataSet, ""};
    fit.settings.fitMode = repeats ? FitMode::LeastSquares : FitModeForPairCount(pairs);
    fit.termCount = pairs;
    if (fit.settings.fitMode == FitMode::LeastSquares) {
        const long long highest = std::min<long long>(distinct - 1, kMaxPairs - 1);
        fit.settings.degree = static_cast<int>(std::min<long long>(DefaultDegree(pairs), highest));
        if (choice.degree) {
            if (*choice.degree < 1 || *choice.degree > highest) return notOffered(*choice.degree, highest);
            fit.settings.degree = *choice.degree;
        }
        fit.termCount = fit.settings.degree + 1;
    }
    if (auto failure = CompleteAnalysis(points, fit.settings, choice.language, fit.result, &fit.sums,
                                        WorkSplitFor(count), choice.rule))
        return CliFailure{failure, ""};
    if (choice.withModel) {
        fit.model = std::make_unique<FitModel>(points, fit.sums, fit.termCount - 1, false);
        if (!fit.model->Solved()) fit.model.reset();
    }
    return std::nullopt;
}

std::string JsonNumber(double value) {
    if (!std::isfinite(value)) return "null";
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 17);
    return std::string(buffer, result.ptr);
}

std::string JsonNumber(const std::optional<double>& value) { return value ? JsonNumber(*value) : "null"; }

std::string StatisticsJson(const FitStatistics& s) {
    std::string out;
    auto member = [&](const char* name, const std::string& value) { out += std::string("  \"") + name + "\": " + value + ",\n"; };
    member("through_origin", s.throughOrigin ? "true" : "false");
    member("observations", std::to_string(s.observations));
    member("degrees_of_freedom", std::to_string(s.degreesOfFreedom));
    std::string list;
    for (size_t j = 0; j < s.coefficients.size(); ++j) list += (j ? ", " : "") + JsonNumber(s.coefficients[j]);
    member("optimum_coefficients", "[" + list + "]");
    list.clear();
    for (size_t j = 0; j < s.terms.size(); ++j) list += (j ? ", " : "") + JsonNumber(s.terms[j].standardError);
    member("standard_errors", "[" + list + "]");
    list.clear();
    for (size_t j = 0; j < s.terms.size(); ++j) {
        const CoefficientStatistics& t = s.terms[j];
        list += (j ? ", " : "") + (t.lower ? "[" + JsonNumber(t.lower) + ", " + JsonNumber(t.upper) + "]" : std::string("null"));
    }
    member("confidence_level", JsonNumber(s.level));
    member("t_quantile", JsonNumber(s.tQuantile));
    member("confidence_intervals", "[" + list + "]");
    member("residual_sum_of_squares", JsonNumber(s.residualSquares));
    member("adjusted_r_squared", JsonNumber(s.adjustedRSquared));
    return out;
}

bool ParseLevel(const std::string& text, double& level) {
    const char* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, level);
    return result.ec == std::errc() && result.ptr == end && level > 0 && level < 1;
}

}  // namespace plorimet
