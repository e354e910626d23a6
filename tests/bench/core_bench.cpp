// How long the core takes for the largest data the window accepts.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <vector>

#include "data/data_file.h"
#include "fit/analysis.h"
#include "fit/exact_sums.h"
#include "fit/fit_statistics.h"
#include "fit/power_sums.h"
#include "graph/graph_export.h"
#include "graph/graph_plan.h"
#include "graph/graph_raster.h"
#include "base/window_layout.h"

namespace {

using namespace plorimet;

CellTexts FullGrid() {
    CellTexts cells;
    for (int k = 0; k < kMaxPairs; ++k) {
        cells.x[k] = std::to_string(k * 0.25).substr(0, 6);
        cells.y[k] = std::to_string(1.0 + k * 0.5 + (k % 3) * 0.125).substr(0, 8);
    }
    return cells;
}

// Analysis of a grid as the window does it: the cells read, then the whole fit and text.
void RunAnalysis(benchmark::State& state, const CellTexts& cells) {
    FitSettings settings;
    settings.fitMode = FitMode::LeastSquares;
    settings.degree = static_cast<int>(state.range(0));
    for (auto _ : state) {
        const DataSet data = CollectDataSet(cells);
        FitResult result;
        auto failure = CompleteAnalysis(data, settings, UiLanguage::English, result);
        benchmark::DoNotOptimize(failure);
        benchmark::DoNotOptimize(result.equationText.data());
    }
}

void BM_Analysis(benchmark::State& state) { RunAnalysis(state, FullGrid()); }
BENCHMARK(BM_Analysis)->Arg(1)->Arg(10)->Arg(44)->Unit(benchmark::kMicrosecond);

// The hardest grid for the exact fit: years with tenths (X = 1980.0 ... 1984.4, every X a
// full 53-bit binary fraction), a trend with noise in Y.
CellTexts YearsWithTenths() {
    CellTexts cells;
    for (int k = 0; k < kMaxPairs; ++k) {
        char text[16];
        std::snprintf(text, sizeof text, "%.1f", 1980 + 0.1 * k);
        cells.x[k] = text;
        std::snprintf(text, sizeof text, "%.6g", 40 + 2.5 * k + (k * 7919 % 13) * 0.37);
        cells.y[k] = text;
    }
    return cells;
}

void BM_AnalysisYearsWithTenths(benchmark::State& state) { RunAnalysis(state, YearsWithTenths()); }
BENCHMARK(BM_AnalysisYearsWithTenths)->Arg(10)->Arg(44)->Unit(benchmark::kMicrosecond);

// The statistics of a fit after it (standard errors, intervals, R², from the fit's own
// exact sums), and plorimet degrees: every degree 1..10 fitted and compared, PRESS included.
void BM_Statistics(benchmark::State& state) {
    const DataSet data = CollectDataSet(YearsWithTenths());
    const PointsView points{data.x.data(), data.y.data(), data.pairCount};
    const int degree = static_cast<int>(state.range(0));
    ExactSums sums;
    ComputeExactSums(points, degree + 1, true, sums);
    for (auto _ : state) {
        const FitModel model(points, sums, degree, false);
        const FitStatistics stats = model.Statistics(kDefaultConfidenceLevel);
        benchmark::DoNotOptimize(stats.terms.data());
    }
}
BENCHMARK(BM_Statistics)->Arg(10)->Unit(benchmark::kMillisecond);

// The statistics the page shows after Analysis of the full grid (X = 0 ... 11 in quarters).
void BM_PageStatistics(benchmark::State& state) {
    const DataSet data = CollectDataSet(FullGrid());
    const PointsView points{data.x.data(), data.y.data(), data.pairCount};
    const int degree = static_cast<int>(state.range(0));
    for (auto _ : state) {
        ExactSums sums;
        ComputeExactSums(points, degree + 1, true, sums);
        const FitModel model(points, sums, degree, false);
        const FitStatistics stats = model.Statistics(kDefaultConfidenceLevel);
        benchmark::DoNotOptimize(stats.terms.data());
    }
}
BENCHMARK(BM_PageStatistics)->Arg(10)->Arg(43)->Arg(44)->Unit(benchmark::kMillisecond);

void BM_Degrees(benchmark::State& state) {
    const DataSet data = CollectDataSet(YearsWithTenths());
    for (auto _ : state) {
        const auto rows = CompareDegrees({data.x.data(), data.y.data(), data.pairCount}, 10, state.range(0) != 0);
        benchmark::DoNotOptimize(rows.rows.data());
    }
}
BENCHMARK(BM_Degrees)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The exact sums of a fit of 10^6 points at degree 10 (the file of tools/measure-numpy.sh) on one
// core, with each way this processor has of taking several points at once (0 the widest).
void BM_PowerSumsOfAMillionPoints(benchmark::State& state) {
    const int count = 1000000;
    std::vector<double> x(count);
    std::vector<double> y(count);
    for (int k = 0; k < count; ++k) {
        x[k] = k * 0.001;
        y[k] = 1.0 + (k * 7919LL % 100000) * 1e-5;
    }
    const int kernel = static_cast<int>(state.range(0));
    if (kernel >= PowerKernelCount()) return state.SkipWithError("not on this processor");
    for (auto _ : state) {
        const auto sums = SumPowersInWords({x.data(), y.data(), count}, 11, 500.0, 10, {}, kernel);
        benchmark::DoNotOptimize(sums->powers.data());
    }
}
BENCHMARK(BM_PowerSumsOfAMillionPoints)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);

void BM_ReadDataFile45Lines(benchmark::State& state) {
    std::string bytes = "     X  \t     Y  \r\n";
    for (int k = 0; k < kMaxPairs; ++k) bytes += "     " + std::to_string(k) + ".5  \t     " + std::to_string(2 * k) + ".25  \r\n";
    for (auto _ : state) {
        const ReadDataResult result = ReadDataText(bytes);
        benchmark::DoNotOptimize(result.pairs.data());
    }
}
BENCHMARK(BM_ReadDataFile45Lines)->Unit(benchmark::kMicrosecond);

}  // namespace


namespace {

using namespace plorimet;

// plorimet graph's work for one picture: plan, rasterize the client area, cut out the frame
// and encode it (BMP or PNG), for the four pairs of the end-to-end graph at 100 %, pen 5,
// dots 13 and the grid. Goal: under 10 ms.
void BM_GraphPicture(benchmark::State& state) {
    CellTexts cells;
    const char* pairs[][2] = {{"1", "2"}, {"2", "5"}, {"3", "4"}, {"4", "8"}};
    for (int k = 0; k < 4; ++k) {
        cells.x[k] = pairs[k][0];
        cells.y[k] = pairs[k][1];
    }
    const DataSet data = CollectDataSet(cells);
    FitSettings fit;
    fit.fitMode = FitMode::LeastSquares;
    fit.degree = 3;
    FitResult result;
    CompleteAnalysis(data, fit, UiLanguage::English, result);
    GraphSettings settings;
    settings.thicknessIndex = 4;
    settings.dotSizeIndex = 4;
    settings.scaleMode = ScaleMode::ScaleGrid;
    InitGraphSettingsDialog(settings);
    const ClientSize client = StandardMainClientSize();
    const bool png = state.range(0) == 1;
    for (auto _ : state) {
        const GraphPlan plan = PlanGraph(client.width, client.height, data, result.coefficients, 4, settings);
        const IndexedImage image = CaptureRegionImage(RenderGraphSurface(plan, client.width, client.height), plan.frame);
        const Bytes file = png ? PngFileBytes(image) : BmpFileBytes(image);
        benchmark::DoNotOptimize(file.data());
    }
    state.SetLabel(png ? "PNG" : "BMP");
}
BENCHMARK(BM_GraphPicture)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
