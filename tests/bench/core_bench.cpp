// How long the core takes for the largest data the window accepts.
#include <benchmark/benchmark.h>

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
