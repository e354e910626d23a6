// The statistics and the plot of a fit, made from its pairs and coefficients alone, so that a
// front end can make them apart from the program's state while the equation is already shown
// (the page makes them in a worker: at a high degree they take far longer than the fit). A file
// of its own: the window shows neither and so never links their solver, nor Student's t.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "fit/analysis.h"
#include "fit/exact_sums.h"
#include "fit/fit_statistics.h"
#include "graph/plot.h"
#include "model/commands.h"
#include "model/program_state.h"
#include "model/statistics_report.h"

namespace plorimet {

// What the shown equation was fitted from.
struct ShownFit {
    std::vector<double> x;  // the pairs fitted, X ascending and distinct
    std::vector<double> y;
    Coefficients coefficients{};
    int termCount = 0;
    UiLanguage language = UiLanguage::English;
};
// None when no equation is shown.
std::optional<ShownFit> ShownFitOf(const ProgramState& state);
// The fit a request would show, before it is solved (no coefficients): what a front end works
// out the statistics of ahead, while the Analysis dialog is open.
ShownFit ShownFitAhead(const AnalysisRequest& request);

// The exact model of a shown fit, made once for its statistics and its plots.
class FitDetails {
public:
    explicit FitDetails(ShownFit fit);
    ~FitDetails();
    FitDetails(const FitDetails&) = delete;
    FitDetails& operator=(const FitDetails&) = delete;

    // At the default level (95 %), as `plorimet fit --stats` gives them; none when the pairs have
    // no unique optimum at the degree.
    std::optional<StatisticsTable> Statistics() const;
    // In the fit's language, whatever options.language says.
    PlotResult Plot(PlotOptions options) const;

private:
    ShownFit fit_;
    ExactSums sums_;
    std::unique_ptr<FitModel> model_;  // none when not solved
};

}  // namespace plorimet
