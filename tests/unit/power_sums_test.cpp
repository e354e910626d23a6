// The sums of many points in machine words against the same sums in rational arithmetic, and
// a fit of many points against the exact optimum.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "fit/analysis.h"
#include "fit/power_sums.h"
#include "rational_reference.h"

namespace plorimet {
namespace {

using reference::Exact;
using reference::Rational;

Rational ValueOf(const BinaryFraction& s) {
    const Rational m(s.mantissa);
    if (s.exponent >= 0) return m * Rational(reference::Integer(1) << static_cast<unsigned>(s.exponent));
    return m / Rational(reference::Integer(1) << static_cast<unsigned>(-s.exponent));
}

struct Case {
    const char* name;
    int count;
    std::function<double(int)> x;
    std::function<double(int)> y;
    int terms;
    double center;
    int shift;
    bool fits;  // false: the words do not hold these points, the general sums are used
};

double Wave(int k) { return k % 7 == 3 ? 0.0 : std::sin(0.37 * k) * 1000.0; }

const Case kCases[] = {
    {"years, degree 44", 45, [](int k) { return 1980.0 + k; }, Wave, 45, 2002.0, 5, true},
    {"fine steps from X = 0", 700, [](int k) { return 0.001 * k; }, [](int k) { return 1.0 + 0.25 * (k % 5); }, 11,
     0.3495, 0, true},
    {"negative and positive X and Y", 300, [](int k) { return -20.0 + 0.137 * k; }, Wave, 9, 0.5, 5, true},
    {"subnormal and zero X", 7,
     [](int k) { return std::vector<double>{0.0, 4.9e-324, -1e-310, 2.2e-308, 1e-300, 1.0, 3.0}[k]; }, Wave, 3, 1.5, 1,
     true},
    {"X over the whole exponent range", 101, [](int k) { return std::ldexp(k % 2 ? -1.5 : 1.0, 20 * k - 1000); },
     [](int k) { return 3.0 - k; }, 3, 0.0, 1001, true},
    {"Y over 190 binary orders", 64, [](int k) { return 0.5 * k; }, [](int k) { return std::ldexp(1.0 + k, 3 * k - 100); },
     4, 16.0, 5, true},
    {"Y too far apart for the words", 64, [](int k) { return 0.5 * k; },
     [](int k) { return std::ldexp(1.0, 5 * k - 150); }, 4, 16.0, 5, false},
    {"X of more exponents than the groups", 200, [](int k) { return std::ldexp(1.0 + k, k - 100); }, Wave, 3, 0.0, 101,
     false},
};

// The points in one piece, and cut into pieces tallied on threads at the same time (more
// pieces than some cases have points).
std::vector<WorkSplit> Splits() {
    WorkSplit threads = WorkSplitFor(kPointsWorthThreads + 1);
    threads.pieces = 9;
    return {WorkSplit{}, threads};
}

// Each way the processor has of taking several points at once, too.
TEST(ExactPowerSums, InWordsAreTheRationalSums) {
    for (const Case& c : kCases)
    for (const WorkSplit& split : Splits())
    for (int kernel = 0; kernel < PowerKernelCount(); ++kernel) {
        SCOPED_TRACE(std::string(c.name) + ", pieces " + std::to_string(split.pieces) + ", kernel " +
                     std::to_string(kernel));
        std::vector<double> x(c.count);
        std::vector<double> y(c.count);
        for (int k = 0; k < c.count; ++k) {
            x[k] = c.x(k);
            y[k] = c.y(k);
        }
        const auto sums = SumPowersInWords(PointsView{x.data(), y.data(), c.count}, c.terms, c.center, c.shift, split, kernel);
        ASSERT_EQ(sums.has_value(), c.fits);
        if (!sums) continue;
        const Rational scale = ValueOf({1, -static_cast<int64_t>(c.shift)});
        std::vector<Rational> powers(2 * c.terms - 1);
        std::vector<Rational> moments(c.terms);
        Rational squares = 0;
        Rational ySum = 0;
        for (int k = 0; k < c.count; ++k) {
            const Rational t = (Exact(x[k]) - Exact(c.center)) * scale;
            const Rational yk = y[k] == 0.0 ? Rational(0) : Exact(y[k]);
            Rational power = 1;
            for (size_t p = 0; p < powers.size(); ++p, power *= t) {
                powers[p] += power;
                if (p < moments.size()) moments[p] += power * yk;
            }
            squares += yk * yk;
            ySum += yk;
        }
        ASSERT_EQ(sums->powers.size(), powers.size());
        ASSERT_EQ(sums->moments.size(), moments.size());
        for (size_t p = 0; p < powers.size(); ++p) EXPECT_EQ(ValueOf(sums->powers[p]), powers[p]) << "power " << p;
        for (size_t i = 0; i < moments.size(); ++i) EXPECT_EQ(ValueOf(sums->moments[i]), moments[i]) << "moment " << i;
        EXPECT_EQ(ValueOf(sums->ySquares), squares);
        EXPECT_EQ(ValueOf(sums->ySum), ySum);
    }
}

// Enough points for the fit to take its sums in words: still the exact optimum, correctly rounded.
TEST(ExactPowerSums, AFitOfManyPointsIsTheExactOptimum) {
    const int count = 400;
    const int terms = 11;
    std::vector<double> x(count);
    std::vector<double> y(count);
    for (int k = 0; k < count; ++k) {
        x[k] = 100.5 + 0.001 * k;
        y[k] = 3.0 + 0.5 * x[k] + 0.125 * ((k * 7919) % 13);
    }
    std::vector<double> coefficients(terms);
    ASSERT_TRUE(SolveExactLeastSquares(PointsView{x.data(), y.data(), count}, terms, coefficients.data()));
    EXPECT_EQ(coefficients, reference::LeastSquares(x.data(), y.data(), count, terms));
}

// A fit of many points split across threads: the outcome of the fit in one piece, messages too.
TEST(ExactPowerSums, ASplitFitIsTheFitInOnePiece) {
    const long long count = kPointsWorthThreads + 1000;
    struct SplitCase {
        const char* name;
        double x0;
        int degree;
    };
    for (const SplitCase& c : {SplitCase{"degree 10", 1900.0, 10}, SplitCase{"coefficients too large", 1e200, 3}}) {
        SCOPED_TRACE(c.name);
        std::vector<double> x(count);
        std::vector<double> y(count);
        for (long long k = 0; k < count; ++k) {
            x[k] = c.x0 + 0.001 * static_cast<double>(k) * (c.x0 / 1900.0);
            y[k] = std::sin(0.01 * static_cast<double>(k));
        }
        FitSettings settings;
        settings.fitMode = FitMode::LeastSquares;
        settings.degree = c.degree;
        const PointsView points{x.data(), y.data(), count};
        FitResult inOne;
        FitResult split;
        const auto inOneFailure = CompleteAnalysis(points, settings, UiLanguage::English, inOne);
        EXPECT_EQ(CompleteAnalysis(points, settings, UiLanguage::English, split, WorkSplitFor(count)), inOneFailure);
        EXPECT_EQ(split.coefficients, inOne.coefficients);
        EXPECT_EQ(split.equationText, inOne.equationText);
        EXPECT_EQ(split.rSquared, inOne.rSquared);
    }
}

}  // namespace
}  // namespace plorimet
