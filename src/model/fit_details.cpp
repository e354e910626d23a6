#include "model/fit_details.h"

#include <cmath>
#include <cstdio>

namespace plorimet {

namespace {

// As `plorimet fit --stats` writes its numbers: 15 significant digits, "-" for none.
std::string Number(const std::optional<double>& v) {
    if (!v) return "-";
    char text[40];
    std::snprintf(text, sizeof text, "%.15g", *v == 0 ? 0.0 : *v);
    return text;
}

std::string LevelText(double level) {
    const int permille = static_cast<int>(std::lround(level * 1000));
    char text[16];
    std::snprintf(text, sizeof text, permille % 10 ? "%.1f%%" : "%.0f%%", permille / 10.0);
    return text;
}

}  // namespace

std::optional<ShownFit> ShownFitOf(const ProgramState& state) {
    const FitResult& fit = state.fitResult;
    if (!fit.equationShown) return std::nullopt;
    ShownFit shown;
    const DataSet& data = state.dataSet;
    shown.x.assign(data.x.begin(), data.x.begin() + data.pairCount);
    shown.y.assign(data.y.begin(), data.y.begin() + data.pairCount);
    shown.coefficients = fit.coefficients;
    shown.termCount = fit.termCount;
    shown.language = state.language;
    return shown;
}

StatisticsTable StatisticsTableOf(const FitStatistics& s, UiLanguage language) {
    const bool ja = language == UiLanguage::Japanese;
    StatisticsTable table;
    char heading[200];
    std::snprintf(heading, sizeof heading,
                  ja ? u8"観測数 %lld, 推定した係数 %d, 残差の自由度 %lld%s"
                     : u8"Observations %lld, coefficients estimated %d, residual degrees of freedom %lld%s",
                  s.observations, s.estimated, s.degreesOfFreedom,
                  s.throughOrigin ? (ja ? u8" (原点を通る)" : u8" (through the origin)") : u8"");
    table.heading = heading;
    const std::string level = LevelText(s.level);
    table.columns = {ja ? u8"べき" : u8"Power", ja ? u8"係数" : u8"Coefficient", ja ? u8"標準誤差" : u8"Std. error",
                     ja ? level + u8" 下限" : u8"Lower " + level, ja ? level + u8" 上限" : u8"Upper " + level};
    for (size_t j = 0; j < s.coefficients.size(); ++j) {
        const CoefficientStatistics& t = s.terms[j];
        table.rows.push_back({std::to_string(j), Number(s.coefficients[j]), Number(t.standardError), Number(t.lower),
                              Number(t.upper)});
    }
    table.summary = {
        {ja ? u8"残差平方和" : u8"Residual sum of squares", Number(s.residualSquares)},
        {ja ? u8"残差の自由度" : u8"Residual degrees of freedom", std::to_string(s.degreesOfFreedom)},
        {ja ? u8"残差標準偏差" : u8"Residual standard deviation", Number(s.residualDeviation)},
        {s.throughOrigin ? (ja ? u8"決定係数 R² (原点まわり)" : u8"R² (uncentred)") : (ja ? u8"決定係数 R²" : u8"R²"),
         Number(s.rSquared)},
        {ja ? u8"自由度調整済み R²" : u8"Adjusted R²", Number(s.adjustedRSquared)},
    };
    if (s.degreesOfFreedom == 0)
        table.note = ja ? u8"残差の自由度が 0 のため、標準誤差と区間はありません。"
                        : u8"No residual degrees of freedom: the curve passes through every point, so there are no "
                          u8"standard errors or intervals.";
    return table;
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
    return StatisticsTableOf(model_->Statistics(kDefaultConfidenceLevel), fit_.language);
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
