#include "model/fit_details.h"

namespace plorimet {

namespace {

ShownFit PairsOf(const DataSet& data, int termCount, UiLanguage language) {
    ShownFit shown;
    shown.x.assign(data.x.begin(), data.x.begin() + data.pairCount);
    shown.y.assign(data.y.begin(), data.y.begin() + data.pairCount);
    shown.termCount = termCount;
    shown.language = language;
    return shown;
}

}  // namespace

std::optional<ShownFit> ShownFitOf(const ProgramState& state) {
    const FitResult& fit = state.fitResult;
    if (!fit.equationShown) return std::nullopt;
    ShownFit shown = PairsOf(state.dataSet, fit.termCount, state.language);
    shown.coefficients = fit.coefficients;
    return shown;
}

ShownFit ShownFitAhead(const AnalysisRequest& request) {
    return PairsOf(request.dataSet, TermCount(request.settings, request.dataSet), request.language);
}

FitDetails::FitDetails(ShownFit fit) : fit_(std::move(fit)) {
    const PointsView points{fit_.x.data(), fit_.y.data(), static_cast<long long>(fit_.x.size())};
    if (fit_.termCount < 1 || points.count < fit_.termCount) return;
    // The sums the Analysis's exact solve centred the pairs by.
    ComputeExactSums(points, fit_.termCount, true, sums_);
    auto model = std::make_unique<FitModel>(points, sums_, fit_.termCount - 1, false);
    if (model->Solved()) model_ = std::move(model);
}

FitDetails::~FitDetails() = default;

std::optional<StatisticsTable> FitDetails::Statistics() const {
    if (!model_) return std::nullopt;
    const PointsView points{fit_.x.data(), fit_.y.data(), static_cast<long long>(fit_.x.size())};
    return StatisticsTableOf(ReportOfFit(points, *model_, kDefaultConfidenceLevel, false), fit_.language);
}

PlotResult FitDetails::Plot(PlotOptions options) const {
    options.language = fit_.language;
    PlotInput input;
    input.points = {fit_.x.data(), fit_.y.data(), static_cast<long long>(fit_.x.size())};
    input.coefficients = &fit_.coefficients;
    input.termCount = fit_.termCount;
    input.model = model_.get();
    return PlanPlot(input, options);
}

}  // namespace plorimet
