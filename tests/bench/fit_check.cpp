// The fit against the exact rational reference over many generated ill-conditioned data sets,
// and NIST's polynomial reference sets against their certified values: the figures of the
// README's table. Run by tools/measure-fit.sh; exits 1 on any difference.
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "fit/analysis.h"
#include "fit/exact_fit.h"
#include "nist_sets.h"
#include "rational_reference.h"

namespace {

using namespace plorimet;

struct Noise {
    unsigned long long state;
    double Next() {
        state = state * 6364136223846793005ULL + 1442695040888963407ULL;
        return static_cast<double>(state >> 11) / 9007199254740992.0;
    }
};

std::string Text(const char* format, double value) {
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, format, value);
    return std::string(buffer).substr(0, kCellTextLimit);
}

// One generated data set, through the grid's own reading of cell texts.
DataSet Generate(int family, int pairs, Noise& noise) {
    CellTexts cells;
    const double slope = (noise.Next() - 0.5) * 10;
    const double scale = std::pow(10.0, std::floor(noise.Next() * 6) - 2);
    for (int k = 0; k < pairs; ++k) {
        switch (family) {
            case 0: cells.x[k] = std::to_string(1980 + k); break;                           // years
            case 1: cells.x[k] = Text("%.1f", 1980 + 0.1 * k); break;                       // years and tenths
            case 2: cells.x[k] = Text("%.1f", 100.5 + k); break;                            // instrument offsets
            case 3: cells.x[k] = Text("%.3f", 0.001 * (k + 1)); break;                      // fine steps
            case 4: cells.x[k] = Text("%.1f", 0.1 * k); break;                              // tenths from 0
            case 5: cells.x[k] = Text("%.4g", (k + 1) * 37.0 * (1 + noise.Next())); break;  // wide random
            default: cells.x[k] = std::to_string(k);
        }
        const double trend = 40 + slope * k + 0.02 * k * k;
        cells.y[k] = Text("%.6g", scale * (trend + 5 * (noise.Next() - 0.5)));
    }
    return CollectDataSet(cells);
}

}  // namespace

int main(int argc, char** argv) {
    const int cases = argc > 1 ? std::atoi(argv[1]) : 1000;
    const std::string nist = argc > 2 ? argv[2] : PLORIMET_NIST_DIR;
    Noise noise{20261207};
    int differences = 0;
    int checked = 0;
    double slowest = 0;
    const auto start = std::chrono::steady_clock::now();
    for (int c = 0; c < cases; ++c) {
        const int family = c % 7;
        // Every fifth set is the curve through every point, up to 45 pairs; the others are
        // least-squares fits of degree 8 to 14 (lower for short sets).
        const bool through = c % 5 == 4;
        int pairs = through ? 2 + static_cast<int>(noise.Next() * 44) : 15 + static_cast<int>(noise.Next() * 31);
        // The reference is slow on long decimal X at high degree: keep those sets shorter.
        if (through && (family == 1 || family == 3 || family == 4 || family == 5)) pairs = std::min(pairs, 24);
        const DataSet data = Generate(family, pairs, noise);
        const int degree = through ? data.pairCount - 1 : std::min(data.pairCount - 1, 8 + static_cast<int>(noise.Next() * 7));
        if (degree < 1) continue;
        std::vector<double> solved(degree + 1);
        const auto before = std::chrono::steady_clock::now();
        const bool ok = SolveExactLeastSquares({data.x.data(), data.y.data(), data.pairCount}, degree + 1, solved.data())
                            .has_value();
        slowest = std::max(slowest, std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - before).count());
        const std::vector<double> expected =
            reference::LeastSquares(data.x.data(), data.y.data(), data.pairCount, degree + 1);
        ++checked;
        if (!ok || solved != expected) {
            ++differences;
            std::printf("DIFFERENCE family %d, %d pairs, degree %d\n", family, data.pairCount, degree);
        }
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("generated sets: %d checked, %d with any coefficient other than the exact optimum's rounding "
                "(slowest solve %.1f ms; %.0f s with the reference)\n",
                checked, differences, slowest, seconds);

    // NIST: certified values where every pair is kept, the exact optimum of the pairs kept otherwise.
    struct Set {
        const char* name;
        int degree;
        std::vector<double> certified;  // empty: compare with the exact optimum
    };
    const Set sets[] = {
        {"Norris", 1, {}},
        {"Pontius", 2, {}},
        {"Wampler1", 5, {1, 1, 1, 1, 1, 1}},
        {"Wampler2", 5, {1, 0.1, 0.01, 0.001, 0.0001, 0.00001}},
        {"Wampler3", 5, {1, 1, 1, 1, 1, 1}},
        {"Wampler4", 5, {1, 1, 1, 1, 1, 1}},
        {"Wampler5", 5, {1, 1, 1, 1, 1, 1}},
        {"Filip", 10, {-1467.48961422980, -2772.17959193342, -2316.37108160893, -1127.97394098372,
                       -354.478233703349, -75.1242017393757, -10.8753180355343, -1.06221498588947,
                       -0.670191154593408E-01, -0.246781078275479E-02, -0.402962525080404E-04}},
    };
    bool nistOk = true;
    for (const Set& set : sets) {
        std::vector<double> x;
        std::vector<double> y;
        for (const auto& [px, py] : nist::ReadSet(nist, set.name)) {
            // The first pair of each X is kept.
            bool repeated = false;
            for (double seen : x) repeated = repeated || seen == px;
            if (repeated) continue;
            x.push_back(px);
            y.push_back(py);
        }
        std::vector<double> c(set.degree + 1);
        SolveExactLeastSquares({x.data(), y.data(), static_cast<long long>(x.size())}, set.degree + 1, c.data());
        const std::vector<double> certified =
            set.certified.empty() ? reference::LeastSquares(x.data(), y.data(), x.size(), set.degree + 1) : set.certified;
        double fewest = 17;
        for (int j = 0; j <= set.degree; ++j) fewest = std::min(fewest, nist::CorrectDigits(c[j], certified[j]));
        std::printf("%-8s %zu pairs kept, degree %d: at least %.1f correct digits in every coefficient (against %s)\n",
                    set.name, x.size(), set.degree, fewest, set.certified.empty() ? "the exact optimum" : "NIST");
        nistOk = nistOk && fewest >= 13;
    }
    return differences == 0 && nistOk ? 0 : 1;
}
