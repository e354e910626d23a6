// The shown fit's statistics. A file of its own: the window shows no statistics and so never
// links their solver, nor Student's t.
#include "fit/exact_sums.h"
#include "fit/fit_statistics.h"
#include "model/commands.h"
#include "model/statistics_report.h"

namespace plorimet {

std::optional<StatisticsReport> FitStatisticsReport(const ProgramState& state) {
    const FitResult& fit = state.fitResult;
    if (!fit.equationShown) return std::nullopt;
    // The pairs the Analysis fitted, with the sums its exact solve centred them by.
    const PointsView points{state.dataSet.x.data(), state.dataSet.y.data(), state.dataSet.pairCount};
    ExactSums sums;
    ComputeExactSums(points, fit.termCount, true, sums);
    const FitModel model(points, sums, fit.termCount - 1, false);
    if (!model.Solved()) return std::nullopt;
    return ReportOfFit(points, model, kDefaultConfidenceLevel, false);
}

std::string FitStatisticsText(const ProgramState& state) {
    const std::optional<StatisticsReport> report = FitStatisticsReport(state);
    return report ? StatisticsText(*report, state.language) : std::string();
}

}  // namespace plorimet
