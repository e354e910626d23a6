// How long the core takes for the largest data the window accepts.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include "data/data_file.h"
#include "fit/analysis.h"

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

void BM_Analysis(benchmark::State& state) {
    const CellTexts cells = FullGrid();
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

void BM_AnalysisYearsWithTenths(benchmark::State& state) {
    const CellTexts cells = YearsWithTenths();
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
BENCHMARK(BM_AnalysisYearsWithTenths)->Arg(10)->Arg(44)->Unit(benchmark::kMicrosecond);

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
