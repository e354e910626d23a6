#include "model/points_fit.h"

#include <algorithm>
#include <cmath>

namespace plorimet {

DegreeChoice ChooseDegree(long long count, long long distinct, const FitChoice& choice) {
    DegreeChoice out;
    const int pairs = static_cast<int>(std::min<long long>(count, 1 << 30));
    auto notOffered = [&](int degree, long long highest) {
        std::string text = "degree " + std::to_string(degree) + " is not offered for " + std::to_string(count) + " pairs";
        if (distinct < count)
            text += " with " + std::to_string(distinct) + (choice.throughOrigin ? " distinct nonzero X" : " distinct X");
        out.failure = FitFailure{std::nullopt, text + " (1 to " + std::to_string(highest) + ")"};
        return out;
    };
    if (choice.throughOrigin) {
        if (distinct == 0) {
            out.failure = FitFailure{std::nullopt, "no fit through the origin exists: every X is 0"};
            return out;
        }
        const long long highest = std::min<long long>(distinct, kMaxPairs - 1);
        out.degree = static_cast<int>(std::clamp<long long>(std::min<long long>(DefaultDegree(pairs), highest), 1, highest));
        if (choice.degree) {
            if (*choice.degree < 1 || *choice.degree > highest) return notOffered(*choice.degree, highest);
            out.degree = *choice.degree;
        }
        out.mode = FitMode::LeastSquares;
        return out;
    }
    // Repeated X: a least-squares fit of at most one coefficient fewer than the distinct X.
    const bool repeats = distinct < count;
    if (repeats && distinct < 2) {
        out.failure = FitFailure{MessageId::OnlyOneDataSet, ""};
        return out;
    }
    out.mode = repeats ? FitMode::LeastSquares : FitModeForPairCount(pairs);
    out.degree = pairs - 1;
    if (out.mode == FitMode::LeastSquares) {
        const long long highest = std::min<long long>(distinct - 1, kMaxPairs - 1);
        out.degree = static_cast<int>(std::min<long long>(DefaultDegree(pairs), highest));
        if (choice.degree) {
            if (*choice.degree < 1 || *choice.degree > highest) return notOffered(*choice.degree, highest);
            out.degree = *choice.degree;
        }
    }
    return out;
}

std::optional<FitFailure> FitPoints(PointsView points, const FitChoice& choice, PointsFit& fit) {
    const long long count = points.count;
    const DegreeChoice degree = ChooseDegree(count, DistinctXCount(points, choice.throughOrigin), choice);
    if (degree.failure) return degree.failure;
    fit.settings = FitSettings{};
    fit.settings.digitsIndex = choice.digits - 3;
    fit.settings.fitMode = degree.mode;
    fit.settings.degree = degree.degree;
    fit.termCount = degree.degree + 1;
    if (choice.throughOrigin) {
        ComputeExactSums(points, fit.termCount, false, fit.sums);
        fit.model = std::make_unique<FitModel>(points, fit.sums, degree.degree, true);
        if (!fit.model->Solved()) return FitFailure{std::nullopt, "no fit through the origin exists for these X values"};
        if (auto failure = CompleteAnalysisThroughOrigin(points, *fit.model, fit.settings.digitsIndex, choice.language, fit.result))
            return FitFailure{failure, ""};
        return std::nullopt;
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
