// The fit against the exact optimum: rational arithmetic on the same doubles, rounded once.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "fit/analysis.h"
#include "fit/equation.h"
#include "fit/exact_fit.h"
#include "nist_sets.h"
#include "rational_reference.h"

namespace plorimet {
namespace {

std::string Text(const char* format, double value) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, format, value);
    return buffer;
}

// A repeatable stream of numbers in [0, 1).
struct Noise {
    unsigned long long state;
    double Next() {
        state = state * 6364136223846793005ULL + 1442695040888963407ULL;
        return static_cast<double>(state >> 11) / 9007199254740992.0;
    }
};

struct Family {
    const char* name;
    int pairs;
    std::function<std::string(int, Noise&)> x;  // cell texts of row k
    std::function<std::string(int, Noise&)> y;
    std::vector<int> degrees;
};

std::string Trend(int k, Noise& noise) { return Text("%.6g", 40.0 + 2.5 * k + 0.01 * k * k + 3.0 * noise.Next()); }

// Ill-conditioned data as users have it; degree n - 1 is the curve through every point.
const Family kFamilies[] = {
    {"years", 45, [](int k, Noise&) { return std::to_string(1980 + k); }, Trend, {3, 4, 8, 10, 44}},
    {"years, 12 of them", 12, [](int k, Noise&) { return std::to_string(2013 + k); }, Trend, {11}},
    {"counts", 45, [](int k, Noise&) { return std::to_string(k); }, Trend, {8, 44}},
    {"instrument offsets", 45, [](int k, Noise&) { return Text("%.1f", 100.5 + k); }, Trend, {8, 14, 44}},
    {"fine steps", 45, [](int k, Noise&) { return Text("%.3f", 0.001 * (k + 1)); }, Trend, {2, 5, 8}},
    {"tenths", 16, [](int k, Noise&) { return Text("%.1f", 0.1 * k); }, Trend, {15}},
    {"wide random", 30,
     [](int k, Noise& noise) { return std::to_string(static_cast<long long>((k + 1) * 1000 * (1 + noise.Next()))); },
     [](int, Noise& noise) { return Text("%.5g", (noise.Next() - 0.3) * 1e4); }, {8, 11, 14}},
    {"symmetric, odd powers exactly 0", 9, [](int k, Noise&) { return std::to_string(k - 4); },
     [](int k, Noise&) { return Text("%.4g", 1.0 / (1 + (k - 4) * (k - 4))); }, {4, 6}},
};

DataSet Collect(const Family& family, unsigned long long seed) {
    Noise noise{seed};
    CellTexts cells;
    for (int k = 0; k < family.pairs; ++k) {
        cells.x[k] = family.x(k, noise);
        cells.y[k] = family.y(k, noise);
    }
    return CollectDataSet(cells);
}

TEST(ExactFit, EveryCoefficientIsTheCorrectlyRoundedOptimumAndTheTextFollowsIt) {
    int cases = 0;
    for (const Family& family : kFamilies) {
        const DataSet data = Collect(family, 2024);
        ASSERT_EQ(data.pairCount, family.pairs) << family.name;
        const PointsView view{data.x.data(), data.y.data(), data.pairCount};
        for (int degree : family.degrees) {
            const int m = degree + 1;
            const std::vector<double> expected =
                reference::LeastSquares(data.x.data(), data.y.data(), data.pairCount, m);
            Coefficients solved{};
            ASSERT_TRUE(SolveExactLeastSquares(view, m, solved.data())) << family.name;
            for (int j = 0; j < m; ++j)
                EXPECT_EQ(solved[j], expected[j]) << family.name << " degree " << degree << " coefficient " << j;

            // Downstream: the term check and the text at every digit setting work on those values.
            Coefficients checked{};
            std::copy(expected.begin(), expected.end(), checked.begin());
            const auto termFailure = CheckTermValues(data, m, checked);
            for (int digitsIndex = 0; digitsIndex < 4; ++digitsIndex) {
                FitSettings settings;
                settings.fitMode = FitMode::LeastSquares;
                settings.degree = degree;
                settings.digitsIndex = digitsIndex;
                FitResult result;
                const auto failure = CompleteAnalysis(data, settings, UiLanguage::English, result);
                ASSERT_EQ(failure, termFailure) << family.name << " degree " << degree;
                if (failure) continue;
                EXPECT_EQ(result.equationText, BuildEquationText(checked, m, digitsIndex, FitMode::LeastSquares,
                                                                 data.pairCount, UiLanguage::English))
                    << family.name << " degree " << degree;
            }
            ++cases;
        }
    }
    EXPECT_EQ(cases, 20);
}

TEST(ExactFit, ExactPolynomialDataAndRoundingTies) {
    struct Case {
        const char* name;
        std::vector<double> x;
        std::vector<double> y;
        std::vector<double> expected;
    };
    const Case cases[] = {
        // The line through two points with constant 2^52 + 1/2, halfway between two doubles:
        // the tie goes to the even one.
        {"tie", {1, 3}, {4503599627370497.0, 4503599627370498.0}, {4503599627370496.0, 0.5}},
        {"y = x^2 exactly", {-1, 0, 1, 2, 3}, {1, 0, 1, 4, 9}, {0, 0, 1}},
        {"a line", {0, 1, 2, 3}, {1, 3, 5, 7}, {1, 2}},
    };
    for (const Case& c : cases) {
        std::vector<double> solved(c.expected.size());
        ASSERT_TRUE(SolveExactLeastSquares({c.x.data(), c.y.data(), static_cast<long long>(c.x.size())},
                                           static_cast<int>(solved.size()), solved.data()));
        EXPECT_EQ(solved, c.expected) << c.name;
        EXPECT_EQ(reference::LeastSquares(c.x.data(), c.y.data(), c.x.size(), solved.size()), c.expected) << c.name;
    }
}

TEST(ExactFit, ACoefficientBeyondADoubleIsInfinite) {
    // The line through (0, 0) and (1e-200, 1e200) has the slope 1e400; the term check then
    // reports it as too large.
    const double x[] = {0, 1e-200};
    const double y[] = {0, 1e200};
    double c[2];
    ASSERT_TRUE(SolveExactLeastSquares({x, y, 2}, 2, c));
    EXPECT_EQ(c[0], 0.0);
    EXPECT_EQ(c[1], HUGE_VAL);
}

TEST(ExactFit, EveryObservationIsDecidedByTheExactOptimumNotByTheRowScaling) {
    // Twelve X of one unit apart; the grid's double elimination refuses all three, where the
    // exact optimum exists in doubles for the first two.
    struct Case {
        const char* name;
        int unitExponent;  // X = (k + 1) 2^unitExponent
        int degree;
        std::function<double(int)> y;
        MessageId grid;
        std::optional<MessageId> everyObservation;
    };
    const Case cases[] = {
        {"X near 2^55, degree 10: X^20 overflows the double sums", 53, 10, [](int k) { return k % 3; },
         MessageId::TooLargeCoefficient, std::nullopt},
        {"X near 2^-528: X^4 underflows, the line is exact", -530, 2, [](int k) { return k; },
         MessageId::TooSmallCoefficient, std::nullopt},
        {"X near 2^-528, Y = k^2: the coefficient 2^1060 is beyond a double", -530, 2, [](int k) { return k * k; },
         MessageId::TooSmallCoefficient, MessageId::TooLargeCoefficient},
    };
    for (const Case& c : cases) {
        std::vector<double> x, y;
        for (int k = 0; k < 12; ++k) {
            x.push_back(std::ldexp(k + 1.0, c.unitExponent));
            y.push_back(c.y(k));
        }
        const PointsView points{x.data(), y.data(), 12};
        FitSettings settings;
        settings.fitMode = FitMode::LeastSquares;
        settings.degree = c.degree;
        FitResult grid, every;
        EXPECT_EQ(CompleteAnalysis(points, settings, UiLanguage::English, grid), c.grid) << c.name;
        EXPECT_EQ(CompleteAnalysis(points, settings, UiLanguage::English, every, nullptr, {}, FitRule::ExactOptimum),
                  c.everyObservation)
            << c.name;
        if (c.everyObservation) continue;
        const std::vector<double> expected = reference::LeastSquares(x.data(), y.data(), 12, c.degree + 1);
        EXPECT_EQ(std::vector<double>(every.coefficients.begin(), every.coefficients.begin() + c.degree + 1), expected)
            << c.name;
    }
}

TEST(ExactFit, RefusesWhatItCannotSolve) {
    const double x[] = {1, 2, 3};
    const double y[] = {1, HUGE_VAL, 3};
    double c[3];
    EXPECT_FALSE(SolveExactLeastSquares({x, y, 3}, 2, c));  // not finite
    EXPECT_FALSE(SolveExactLeastSquares({x, x, 3}, 4, c));  // more coefficients than points
    EXPECT_FALSE(SolveExactLeastSquares({x, x, 3}, 1, c));
}

// ---- NIST's polynomial reference sets -----------------------------------------------------

TEST(ExactFit, NistSetsToThirteenDigitsAndMore) {
    struct Set {
        const char* name;
        int degree;
        double rSquared;
        double residualDeviation;
        std::vector<double> certified;
    };
    const Set sets[] = {
        {"Wampler1", 5, 1, 0, {1, 1, 1, 1, 1, 1}},
        {"Wampler2", 5, 1, 0, {1, 0.1, 0.01, 0.001, 0.0001, 0.00001}},
        {"Wampler3", 5, 0.999995559025820, 2360.14502379268, {1, 1, 1, 1, 1, 1}},
        {"Wampler4", 5, 0.957478440825662, 236014.502379268, {1, 1, 1, 1, 1, 1}},
        {"Wampler5", 5, 0.224668921574940E-02, 23601450.2379268, {1, 1, 1, 1, 1, 1}},
        {"Filip", 10, 0.996727416185620, 0.334801051324544E-02, {-1467.48961422980, -2772.17959193342, -2316.37108160893, -1127.97394098372,
                       -354.478233703349, -75.1242017393757, -10.8753180355343, -1.06221498588947,
                       -0.670191154593408E-01, -0.246781078275479E-02, -0.402962525080404E-04}},
    };
    for (const Set& set : sets) {
        const auto pairs = nist::ReadSet(PLORIMET_NIST_DIR, set.name);
        ASSERT_FALSE(pairs.empty()) << set.name;
        std::vector<double> x;
        std::vector<double> y;
        for (const auto& [px, py] : pairs) {
            x.push_back(px);
            y.push_back(py);
        }
        std::vector<double> c(set.degree + 1);
        ASSERT_TRUE(SolveExactLeastSquares({x.data(), y.data(), static_cast<long long>(x.size())}, set.degree + 1,
                                           c.data()))
            << set.name;
        for (int j = 0; j <= set.degree; ++j)
            EXPECT_GE(nist::CorrectDigits(c[j], set.certified[j]), 13.0) << set.name << " coefficient " << j << " " << c[j];

        // R² and the residual standard deviation are those of the optimum too.
        FitSettings settings;
        settings.fitMode = FitMode::LeastSquares;
        settings.degree = set.degree;
        FitResult result;
        ASSERT_FALSE(CompleteAnalysis({x.data(), y.data(), static_cast<long long>(x.size())}, settings,
                                      UiLanguage::English, result))
            << set.name;
        ASSERT_TRUE(result.rSquared && result.residualDeviation) << set.name;
        EXPECT_GE(nist::CorrectDigits(*result.rSquared, set.rSquared), 13.0) << set.name;
        if (set.residualDeviation == 0) {
            // Zero in decimal arithmetic; the doubles of Wampler2's Y are not exactly a polynomial.
            EXPECT_LT(*result.residualDeviation, 1e-14) << set.name;
        } else {
            EXPECT_GE(nist::CorrectDigits(*result.residualDeviation, set.residualDeviation), 13.0) << set.name;
        }
    }
}

}  // namespace
}  // namespace plorimet
