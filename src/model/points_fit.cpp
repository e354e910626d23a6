#include "model/points_fit.h"

#include <algorithm>
#include <cmath>

namespace plorimet {

std::optional<FitFailure> FitPoints(PointsView points, const FitChoice& choice, PointsFit& fit) {
    const long long count = points.count;
    const long long distinct = DistinctXCount(points, choice.throughOrigin);
    const int pairs = static_cast<int>(std::min<long long>(count, 1 << 30));
    fit.settings = FitSettings{};
    fit.settings.digitsIndex = choice.digits - 3;
    auto notOffered = [&](int degree, long long highest) {
        std::string text = "degree " + std::to_string(degree) + " is not offered for " + std::to_string(count) + " pairs";
        if (distinct < count)
            text += " with " + std::to_string(distinct) + (choice.throughOrigin ? " distinct nonzero X" : " distinct X");
        return FitFailure{std::nullopt, text + " (1 to " + std::to_string(highest) + ")"};
    };
    if (choice.throughOrigin) {
        if (distinct == 0) return FitFailure{std::nullopt, "no fit through the origin exists: every X is 0"};
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
        if (!fit.model->Solved()) return FitFailure{std::nullopt, "no fit through the origin exists for these X values"};
        if (auto failure = CompleteAnalysisThroughOrigin(points, *fit.model, fit.settings.digitsIndex, choice.language, fit.result))
            return FitFailure{failure, ""};
        return std::nullopt;
    }
    // Repeated X: a least-squares fit of at most one coefficient fewer than the distinct X.
    const bool repeats = distinct < count;
    if (repeats && distinct < 2) return FitFailure{MessageId::OnlyOneDataSet, ""};
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
        return FitFailure{failure, ""};
    if (choice.withModel) {
        fit.model = std::make_unique<FitModel>(points, fit.sums, fit.termCount - 1, false);
        if (!fit.model->Solved()) fit.model.reset();
    }
    return std::nullopt;
}

}  // namespace plorimet
