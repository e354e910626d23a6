#include "fit/fit_statistics.h"

#include <gtest/gtest.h>

#include <cmath>

#include "fit/exact_sums.h"
#include "rational_reference.h"

namespace plorimet {
namespace {

namespace ref = reference;

struct Generated {
    const char* name;
    double first;
    double step;
    int count;
    int degree;
    bool throughOrigin;
    int repeats;  // each X this many times
    bool weighted = false;  // weights 0.5 .. 2 multiply the residuals, one of them 0
};

// Y: a smooth curve with a deterministic wobble, as measurements have.
std::vector<double> Wobbly(const std::vector<double>& x) {
    std::vector<double> y;
    for (size_t k = 0; k < x.size(); ++k) y.push_back(3 + std::sin(0.7 * k) + 0.01 * (k % 7) + 0.5 * std::cos(x[k]));
    return y;
}

std::vector<double> WeightsFor(size_t count) {
    std::vector<double> w;
    for (size_t k = 0; k < count; ++k) w.push_back(k == 2 ? 0.0 : 0.5 + 0.375 * (k % 5));
    return w;
}

// Coefficients, standard errors, intervals, R², PRESS and the curve's intervals, bit for bit
// against the exact rational statistics of the same doubles.
TEST(FitStatistics, GeneratedIllConditionedSetsBitForBit) {
    const Generated sets[] = {
        {"years", 1990, 1, 14, 5, false, 1},
        {"years with tenths", 2000, 0.1, 16, 4, false, 1},
        {"offsets", 100.5, 1, 12, 3, false, 1},
        {"fine steps", 1, 0.001, 12, 4, false, 1},
        {"degree n - 2", 1980, 1, 9, 7, false, 1},
        {"replicates", 2010, 0.5, 8, 3, false, 3},
        {"through the origin", 1, 1, 12, 3, true, 1},
        {"years through the origin", 2000, 1, 10, 2, true, 1},
        {"weighted years", 1990, 1, 14, 5, false, 1, true},
        {"weighted replicates", 2010, 0.5, 8, 3, false, 3, true},
        {"weighted through the origin", 1, 1, 12, 3, true, 1, true},
    };
    for (const Generated& set : sets) {
        std::vector<double> x;
        for (int k = 0; k < set.count; ++k)
            for (int r = 0; r < set.repeats; ++r) x.push_back(set.first + set.step * k);
        const std::vector<double> y = Wobbly(x);
        const std::vector<double> w = set.weighted ? WeightsFor(x.size()) : std::vector<double>();
        const PointsView points{x.data(), y.data(), static_cast<long long>(x.size()), set.weighted ? w.data() : nullptr};
        ExactSums sums;
        ComputeExactSums(points, set.degree + 1, !set.throughOrigin, sums);
        const FitModel model(points, sums, set.degree, set.throughOrigin);
        ASSERT_TRUE(model.Solved()) << set.name;
        const FitStatistics stats = model.Statistics(0.9);

        const int first = set.throughOrigin ? 1 : 0;
        const ref::ExactStatistics exact = ref::FitExactly(x, y, set.degree, first, w);
        if (!set.throughOrigin) {  // the fit's own solve, from the points
            std::vector<double> solved(set.degree + 1);
            ASSERT_TRUE(SolveExactLeastSquares(points, set.degree + 1, solved.data())) << set.name;
            for (int j = 0; j <= set.degree; ++j) EXPECT_EQ(ref::Nearest(exact.coefficients[j]), solved[j]) << set.name;
        }
        const ref::Rational df = exact.df;
        const ref::Rational t = ref::Exact(*stats.tQuantile);
        EXPECT_EQ(ref::Nearest(exact.rss), stats.residualSquares) << set.name;
        EXPECT_EQ(ref::NearestWithRoot(0, 1, exact.rss / df), *stats.residualDeviation) << set.name;
        for (int j = first; j <= set.degree; ++j) {
            const ref::Rational c = exact.coefficients[j - first];
            const ref::Rational variance = exact.rss / df * exact.covarianceOverVariance[j - first][j - first];
            const CoefficientStatistics& term = stats.terms[j];
            EXPECT_EQ(ref::Nearest(c), stats.coefficients[j]) << set.name << " power " << j;
            EXPECT_EQ(ref::NearestWithRoot(0, 1, variance), *term.standardError) << set.name << " power " << j;
            EXPECT_EQ(ref::NearestWithRoot(c, -t, variance), *term.lower) << set.name << " power " << j;
            EXPECT_EQ(ref::NearestWithRoot(c, t, variance), *term.upper) << set.name << " power " << j;
        }
        ref::Rational ySquares = 0;
        ref::Rational ySum = 0;
        ref::Rational weightTotal = 0;
        for (size_t k = 0; k < y.size(); ++k) {
            const ref::Rational w2 = ref::SquaredWeight(w, k);
            ySquares += w2 * ref::Exact(y[k]) * ref::Exact(y[k]);
            ySum += w2 * ref::Exact(y[k]);
            weightTotal += w2;
        }
        const ref::Rational n = static_cast<long long>(x.size());
        const ref::Rational total = set.throughOrigin ? ySquares : ySquares - ySum * ySum / weightTotal;
        EXPECT_EQ(ref::Nearest(1 - exact.rss / total), *stats.rSquared) << set.name;
        EXPECT_EQ(ref::Nearest(1 - exact.rss / df / (total / (set.throughOrigin ? n : n - 1))), *stats.adjustedRSquared)
            << set.name;
        EXPECT_EQ(ref::Nearest(ref::Press(exact, x, y, first, w)), *model.Press()) << set.name;

        // Between two X of the data: the curve's value, its interval and a new observation's.
        const double at = x[x.size() / 2] + set.step / 3;
        const std::vector<ref::Rational> v = exact.basis(ref::Exact(at), first);
        ref::Rational fitted = 0;
        for (size_t i = 0; i < v.size(); ++i) fitted += exact.coefficients[i] * v[i];
        const ref::Rational h = exact.quadratic(v);
        const CurveInterval interval = model.At(at, 0.9);
        EXPECT_EQ(ref::Nearest(fitted), interval.fitted) << set.name;
        EXPECT_EQ(ref::NearestWithRoot(fitted, -t, exact.rss / df * h), *interval.confidenceLow) << set.name;
        EXPECT_EQ(ref::NearestWithRoot(fitted, t, exact.rss / df * h), *interval.confidenceHigh) << set.name;
        EXPECT_EQ(ref::NearestWithRoot(fitted, -t, exact.rss / df * (1 + h)), *interval.predictionLow) << set.name;
        EXPECT_EQ(ref::NearestWithRoot(fitted, t, exact.rss / df * (1 + h)), *interval.predictionHigh) << set.name;
    }
}

// What is not available: no degrees of freedom, no fit through the origin, PRESS of a point
// whose leaving out leaves no unique fit.
TEST(FitStatistics, WhatIsNotAvailable) {
    const double x[] = {0, 0, 1, 2, 3};
    const double y[] = {1, 2, 2, 5, 9};
    auto modelOf = [&](long long count, int degree, bool origin, const double* xs) {
        ExactSums sums;
        ComputeExactSums({xs, y, count}, degree + 1, !origin, sums);
        return FitModel({xs, y, count}, sums, degree, origin);
    };
    const FitModel through = modelOf(3, 2, false, x + 2);  // the curve through three points
    const FitStatistics s = through.Statistics(0.95);
    EXPECT_EQ(0, s.degreesOfFreedom);
    EXPECT_FALSE(s.residualDeviation || s.adjustedRSquared || s.tQuantile || s.terms[1].standardError);
    EXPECT_EQ(0.0, s.residualSquares);
    EXPECT_FALSE(through.Press());
    EXPECT_FALSE(through.At(1.5, 0.95).confidenceLow);
    const double zeros[] = {0, 0, 0};
    EXPECT_FALSE(modelOf(3, 1, true, zeros).Solved());  // every X is 0
    EXPECT_FALSE(modelOf(4, 3, false, x).Solved());     // three distinct X for four coefficients
    EXPECT_FALSE(modelOf(4, 2, false, x).Press());      // leaving X = 1 out leaves two distinct X
    EXPECT_TRUE(modelOf(5, 2, false, x).Press());
}

TEST(FitStatistics, DegreesPreferred) {
    // A cubic with a little noise: AIC, BIC and PRESS prefer 3, R² always the highest degree;
    // the smallest residual SD is the largest adjusted R² (a noisy set may prefer more terms there).
    std::vector<double> x;
    std::vector<double> y;
    for (int k = 0; k < 30; ++k) {
        x.push_back(k);
        y.push_back(0.5 * k * k * k - 3 * k + 2 + 0.25 * ((k * 7919) % 13 - 6));
    }
    const auto rows = CompareDegrees({x.data(), y.data(), 30}, 6, false);
    ASSERT_EQ(6u, rows.size());
    const auto preferred = PreferredRows(rows);
    const int expected[] = {0, 6, 0, 3, 3, 3};
    for (int f = 1; f < 6; ++f) {
        if (expected[f]) {
            EXPECT_EQ(expected[f], rows[*preferred[f]].degree) << "column " << f;
        }
    }
    EXPECT_EQ(preferred[0], preferred[2]);
}

}  // namespace
}  // namespace plorimet
