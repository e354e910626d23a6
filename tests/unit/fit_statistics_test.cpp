#include <iostream>  // before the fit headers, which keep the standard streams out of the program

#include "fit/fit_statistics.h"
#include "fit/distributions.h"

#include <gtest/gtest.h>

#include <cmath>

#include <boost/math/special_functions/beta.hpp>
#include <boost/math/distributions/students_t.hpp>
#include <boost/multiprecision/cpp_dec_float.hpp>

#include "fit/exact_sums.h"
#include "fit/observation_pass.h"
#include "graph/graph_plan.h"
#include "graph/graph_settings.h"
#include "rational_reference.h"

namespace plorimet {
namespace {

namespace ref = reference;
using High = boost::multiprecision::cpp_dec_float_100;

struct Generated {
    const char* name;
    double first;
    double step;
    int count;
    int degree;
    bool throughOrigin;
    int repeats = 1;         // each X this many times
    bool weighted = false;   // weights 0.5 .. 2 multiply the residuals, one of them 0
    double yScale = 1;       // Y times this: tiny and huge scales
    bool onCurve = false;    // Y on a polynomial of the degree: every residual 0
};

// Y: a smooth curve with a deterministic wobble, as measurements have.
std::vector<double> Wobbly(const std::vector<double>& x, const Generated& set) {
    std::vector<double> y;
    for (size_t k = 0; k < x.size(); ++k) {
        const double t = x[k] - set.first;
        y.push_back(set.onCurve ? 1 + 0.5 * t - 0.25 * t * t
                                : set.yScale * (3 + std::sin(0.7 * k) + 0.01 * (k % 7) + 0.5 * std::cos(x[k])));
    }
    return y;
}

std::vector<double> WeightsFor(size_t count) {
    std::vector<double> w;
    for (size_t k = 0; k < count; ++k) w.push_back(k == 2 ? 0.0 : 0.5 + 0.375 * (k % 5));
    return w;
}

ref::Rational RationalOf(double v) { return ref::Exact(v); }

High HighOf(const ref::Rational& q) {
    return High(boost::multiprecision::numerator(q)) / High(boost::multiprecision::denominator(q));
}

// A statistic against its exact value: the correct rounding, or the reason a double cannot hold it.
void ExpectRounded(double rounded, bool nonzero, const Statistic& got, const std::string& what) {
    if (std::isinf(rounded)) {
        EXPECT_EQ(Unavailable::BeyondDouble, got.reason) << what;
    } else if (rounded == 0 && nonzero) {
        EXPECT_EQ(Unavailable::BelowDouble, got.reason) << what;
    } else {
        ASSERT_TRUE(got.value) << what << " (reason " << static_cast<int>(got.reason) << ")";
        EXPECT_EQ(rounded, *got.value) << what;
    }
}
void ExpectNearest(const ref::Rational& exact, const Statistic& got, const std::string& what) {
    ExpectRounded(ref::Nearest(exact), exact != 0, got, what);
}
void ExpectRoot(const ref::Rational& c, const ref::Rational& k, const ref::Rational& q, const Statistic& got,
                const std::string& what) {
    ExpectRounded(ref::NearestWithRoot(c, k, q), c != 0 || (k != 0 && q != 0), got, what);
}

// A value known to 100 digits against a correctly rounded statistic; values within 10^-80 of a
// rounding boundary are not decided here.
void ExpectHigh(const High& v, const Statistic& got, const std::string& what) {
    ASSERT_TRUE(got.value) << what << " (reason " << static_cast<int>(got.reason) << ")";
    double best = v.convert_to<double>();
    for (double c : {std::nextafter(best, -HUGE_VAL), std::nextafter(best, HUGE_VAL)})
        if (boost::multiprecision::abs(High(c) - v) < boost::multiprecision::abs(High(best) - v)) best = c;
    const double other = High(best) < v ? std::nextafter(best, HUGE_VAL) : std::nextafter(best, -HUGE_VAL);
    const High gap = boost::multiprecision::abs((High(best) + High(other)) / 2 - v);
    if (gap < boost::multiprecision::abs(v) * High("1e-80")) return;
    EXPECT_EQ(best, *got.value) << what;
}

High Log(const ref::Rational& q) { return boost::multiprecision::log(HighOf(q)); }

// Every statistic of a fit, bit for bit against the exact rational statistics of the same
// doubles (and, where a value is transcendental, Boost.Math in 100 decimal digits).
TEST(FitStatistics, EveryStatisticOfGeneratedSetsBitForBit) {
    const Generated sets[] = {
        {"years", 1990, 1, 14, 5, false},
        {"years with tenths", 2000, 0.1, 16, 4, false},
        {"offsets", 100.5, 1, 12, 3, false},
        {"fine steps", 1, 0.001, 12, 4, false},
        {"degree n - 2", 1980, 1, 9, 7, false},
        {"replicates", 2010, 0.5, 8, 3, false, 3},
        {"through the origin", 1, 1, 12, 3, true},
        {"years through the origin", 2000, 1, 10, 2, true},
        {"weighted years", 1990, 1, 14, 5, false, 1, true},
        {"weighted replicates", 2010, 0.5, 8, 3, false, 3, true},
        {"weighted through the origin", 1, 1, 12, 3, true, 1, true},
        {"tiny Y", 0, 0.25, 12, 3, false, 1, false, 1e-200},
        {"huge Y", 0, 0.25, 12, 3, false, 2, false, 1e200},
        {"every residual 0", 3, 1, 10, 2, false, 1, false, 1, true},
        {"through every point", 1990, 1, 6, 5, false},
        {"through every point from X = 0", 0, 0.25, 9, 8, false},
    };
    for (const Generated& set : sets) {
        std::vector<double> x;
        for (int k = 0; k < set.count; ++k)
            for (int r = 0; r < set.repeats; ++r) x.push_back(set.first + set.step * k);
        const std::vector<double> y = Wobbly(x, set);
        const std::vector<double> w = set.weighted ? WeightsFor(x.size()) : std::vector<double>();
        const PointsView points{x.data(), y.data(), static_cast<long long>(x.size()), set.weighted ? w.data() : nullptr};
        ExactSums sums;
        ComputeExactSums(points, set.degree + 1, !set.throughOrigin, sums);
        const FitModel model(points, sums, set.degree, set.throughOrigin);
        ASSERT_TRUE(model.Solved()) << set.name;
        const double level = 0.9;
        const FitStatistics stats = model.Statistics(level);

        const int first = set.throughOrigin ? 1 : 0;
        const ref::ExactStatistics exact = ref::FitExactly(x, y, set.degree, first, w);
        const long long n = static_cast<long long>(x.size());
        const int k = set.degree + 1 - first;
        const ref::Rational df = exact.df;
        auto name = [&](const char* what, int j = -1) {
            return std::string(set.name) + ": " + what + (j >= 0 ? " " + std::to_string(j) : "");
        };
        ExpectNearest(exact.rss, stats.residualSquares, name("RSS"));
        for (int j = first; j <= set.degree; ++j) EXPECT_EQ(ref::Nearest(exact.coefficients[j - first]), stats.coefficients[j]) << name("coefficient", j);

        ref::Rational ySquares = 0, ySum = 0, weightTotal = 0;
        for (size_t i = 0; i < y.size(); ++i) {
            const ref::Rational w2 = ref::SquaredWeight(w, i);
            ySquares += w2 * RationalOf(y[i]) * RationalOf(y[i]);
            ySum += w2 * RationalOf(y[i]);
            weightTotal += w2;
        }
        const ref::Rational total = set.throughOrigin ? ySquares : ySquares - ySum * ySum / weightTotal;
        ExpectNearest(1 - exact.rss / total, stats.rSquared, name("R^2"));

        if (exact.df == 0) {
            EXPECT_EQ(Unavailable::NoDegreesOfFreedom, stats.residualDeviation.reason) << set.name;
            EXPECT_EQ(Unavailable::NoDegreesOfFreedom, stats.terms[1].standardError.reason) << set.name;
            EXPECT_EQ(Unavailable::NoDegreesOfFreedom, stats.fStatistic.reason) << set.name;
            EXPECT_EQ(Unavailable::ZeroResidual, stats.logLikelihood.reason) << set.name;
            EXPECT_EQ(Unavailable::FullLeverage, model.Press().reason) << set.name;
            continue;
        }
        const ref::Rational nR = n;
        ExpectNearest(1 - exact.rss / df / (total / (set.throughOrigin ? nR : nR - 1)), stats.adjustedRSquared, name("adjusted R^2"));
        ExpectRoot(0, 1, exact.rss / df, stats.residualDeviation, name("residual SD"));
        const ref::Rational t = RationalOf(*stats.tQuantile);
        const bool zero = exact.rss == 0;
        for (int j = first; j <= set.degree; ++j) {
            const ref::Rational c = exact.coefficients[j - first];
            const ref::Rational q = exact.covarianceOverVariance[j - first][j - first];
            const CoefficientStatistics& term = stats.terms[j];
            ExpectRoot(0, 1, exact.rss / df * q, term.standardError, name("standard error", j));
            ExpectRoot(c, -t, exact.rss / df * q, term.lower, name("interval low", j));
            ExpectRoot(c, t, exact.rss / df * q, term.upper, name("interval high", j));
            if (zero) {
                EXPECT_EQ(Unavailable::ZeroResidual, term.tValue.reason) << name("t", j);
                continue;
            }
            // t = c sqrt(df / (RSS q)); p = I_x(df/2, 1/2) at x = RSS q / (RSS q + c²)
            ExpectRoot(0, c, df / (exact.rss * q), term.tValue, name("t", j));
            const High x = HighOf(exact.rss * q / (exact.rss * q + c * c));
            ExpectHigh(boost::math::ibeta(High(exact.df) / 2, High(0.5), x), term.pValue, name("p", j));
            for (int i = first; i <= set.degree; ++i)
                ExpectNearest(exact.rss / df * exact.covarianceOverVariance[i - first][j - first], stats.covariance[i][j],
                              name("covariance", i * 100 + j));
        }
        if (first == 1) {
            EXPECT_EQ(Unavailable::FixedTerm, stats.terms[0].tValue.reason) << set.name;
        }
        // The overall F test and its p-value I_x(df/2, d1/2) at x = RSS / total.
        const int d1 = set.throughOrigin ? k : k - 1;
        if (!zero) {
            ExpectNearest((total - exact.rss) / d1 / (exact.rss / df), stats.fStatistic, name("F"));
            ExpectHigh(boost::math::ibeta(High(exact.df) / 2, High(d1) / 2, HighOf(exact.rss / total)), stats.fPValue, name("p of F"));
            // ln L = -n/2 (ln 2π + 1 + ln(RSS/n)) + sum ln |w|
            bool anyZeroWeight = false;
            High logWeights = 0;
            for (double weight : w) {
                anyZeroWeight |= weight == 0;
                if (weight != 0) logWeights += boost::multiprecision::log(High(std::fabs(weight)));
            }
            if (anyZeroWeight) {
                EXPECT_EQ(Unavailable::ZeroWeight, stats.logLikelihood.reason) << set.name;
            } else {
                const High nH = High(n);
                const High llf = -nH / 2 * (boost::multiprecision::log(2 * boost::math::constants::pi<High>()) + 1 +
                                            Log(exact.rss) - boost::multiprecision::log(nH)) + logWeights;
                ExpectHigh(llf, stats.logLikelihood, name("log-likelihood"));
                ExpectHigh(-2 * llf + 2 * k, stats.aic, name("AIC"));
                ExpectHigh(-2 * llf + k * boost::multiprecision::log(nH), stats.bic, name("BIC"));
                if (n - k - 1 > 0)
                    ExpectHigh(-2 * llf + 2 * k + High(2 * k * (k + 1)) / High(n - k - 1), stats.aicc, name("AICc"));
                else
                    EXPECT_EQ(Unavailable::TooFewObservations, stats.aicc.reason) << set.name;
            }
        } else {
            EXPECT_EQ(Unavailable::ZeroResidual, stats.fStatistic.reason) << set.name;
            EXPECT_EQ(Unavailable::ZeroResidual, stats.logLikelihood.reason) << set.name;
        }
        // The lack-of-fit test against the pure error of repeated X.
        long long distinct = 0, observations = 0;
        const ref::Rational pure = ref::PureError(x, y, w, distinct, observations);
        if (set.repeats > 1) {
            ASSERT_EQ(Unavailable::None, stats.lackOfFit.reason) << set.name;
            ExpectNearest(pure, stats.lackOfFit.pureErrorSquares, name("pure error"));
            ExpectNearest(exact.rss - pure, stats.lackOfFit.lackOfFitSquares, name("lack of fit"));
            const long long dfPure = observations - distinct, dfLack = distinct - k;
            ExpectNearest((exact.rss - pure) / dfLack / (pure / dfPure), stats.lackOfFit.f, name("lack-of-fit F"));
            ExpectHigh(boost::math::ibeta(High(dfPure) / 2, High(dfLack) / 2, HighOf(pure / exact.rss)), stats.lackOfFit.p,
                       name("lack-of-fit p"));
        } else {
            EXPECT_EQ(Unavailable::NoReplicates, stats.lackOfFit.reason) << set.name;
        }

        // PRESS, and every observation's values, by the double-double pass and by the exact path.
        ExpectNearest(ref::Press(exact, x, y, first, w), model.Press(), name("PRESS"));
        const std::vector<ref::ExactObservation> o = ref::Observations(exact, x, y, first, w);
        const std::vector<ObservationDiagnostics> fast = DiagnosticsOf(model);
        const std::vector<ObservationDiagnostics> slow = ExactDiagnosticsOf(model);
        for (int pass = 0; pass < 2; ++pass) {
            const std::vector<ObservationDiagnostics>& got = pass ? slow : fast;
            ASSERT_EQ(o.size(), got.size());
            for (size_t i = 0; i < o.size(); ++i) {
                const std::string at = std::string(pass ? " (exact path)" : "") + " at " + std::to_string(i);
                if (o[i].weight != 0 || !zero) {
                    ExpectNearest(o[i].fitted, got[i].fitted, name("fitted") + at);
                    ExpectNearest(o[i].residual, got[i].residual, name("residual") + at);
                }
                ExpectNearest(o[i].leverage, got[i].leverage, name("leverage") + at);
                if (zero && o[i].weight != 0) {
                    EXPECT_EQ(Unavailable::ZeroResidual, got[i].studentized.reason) << name("studentized") + at;
                    continue;
                }
                const ref::Rational rest = 1 - o[i].leverage;
                const ref::Rational we = o[i].weight * o[i].residual;
                ExpectRoot(0, we, df / (exact.rss * rest), got[i].studentized, name("studentized") + at);
                ExpectNearest(we * we * df * o[i].leverage / (exact.rss * rest * rest * k), got[i].cooks, name("Cook's distance") + at);
            }
        }

        // Between two X of the data: the curve's value, its interval and a new observation's.
        const double between = x[x.size() / 2] + set.step / 3;
        const std::vector<ref::Rational> v = exact.basis(RationalOf(between), first);
        ref::Rational fitted = 0;
        for (size_t i = 0; i < v.size(); ++i) fitted += exact.coefficients[i] * v[i];
        const ref::Rational h = exact.quadratic(v);
        const CurveInterval interval = model.At(between, level);
        ExpectNearest(fitted, interval.fitted, name("fitted between"));
        ExpectRoot(fitted, -t, exact.rss / df * h, interval.confidenceLow, name("confidence low"));
        ExpectRoot(fitted, t, exact.rss / df * h, interval.confidenceHigh, name("confidence high"));
        ExpectRoot(fitted, -t, exact.rss / df * (1 + h), interval.predictionLow, name("prediction low"));
        ExpectRoot(fitted, t, exact.rss / df * (1 + h), interval.predictionHigh, name("prediction high"));
    }
}

// Student's t of every degree of freedom and level, correctly rounded: against Boost.Math's
// quantile in 100 decimal digits, the tail formed there from the level's double.
TEST(FitStatistics, StudentQuantileCorrectlyRounded) {
    const long long dfs[] = {1, 2, 3, 6, 10, 44, 100, 1000, 999989};
    const double levels[] = {1e-6, 0.1, 0.5, 0.9, 0.95, 0.99, 0.999, 0.999999, 1 - 0x1p-30};
    for (long long df : dfs) {
        const boost::math::students_t_distribution<High> t{High(df)};
        for (double level : levels) {
            const High tail = (1 - High(level)) / 2;
            const High exact = boost::math::quantile(boost::math::complement(t, tail));
            const std::optional<double> got = StudentQuantile(df, level);
            ExpectHigh(exact, got ? Statistic(*got) : Statistic(), "df " + std::to_string(df) + " level " + std::to_string(level));
        }
    }
    EXPECT_FALSE(StudentQuantile(0, 0.95));
    // The two-sided p-value of t = 2.5 at each df: the series for small df, Boost.Math for large.
    for (long long df : dfs) {
        const BinaryFraction nu{df, 0};
        const Ratio x{nu, binary_fraction::Add(nu, BinaryFraction{25, -2})};  // df / (df + 6.25)
        const std::optional<double> p = RegularizedBetaBetween(df, 1, x, x, 0);
        const High exact = boost::math::ibeta(High(df) / 2, High(0.5), High(df) / (High(df) + High(6.25)));
        ExpectHigh(exact, p ? Statistic(*p) : Statistic(), "p-value at df " + std::to_string(df));
    }
}

// What is not available, and why: no fit through the origin, PRESS of a point whose leaving
// out leaves no unique fit.
TEST(FitStatistics, WhatIsNotAvailable) {
    const double x[] = {0, 0, 1, 2, 3};
    const double y[] = {1, 2, 2, 5, 9};
    auto modelOf = [&](long long count, int degree, bool origin, const double* xs) {
        ExactSums sums;
        ComputeExactSums({xs, y, count}, degree + 1, !origin, sums);
        return FitModel({xs, y, count}, sums, degree, origin);
    };
    const double zeros[] = {0, 0, 0};
    EXPECT_FALSE(modelOf(3, 1, true, zeros).Solved());  // every X is 0
    EXPECT_FALSE(modelOf(4, 3, false, x).Solved());     // three distinct X for four coefficients
    EXPECT_EQ(Unavailable::FullLeverage, modelOf(4, 2, false, x).Press().reason);  // leaving X = 1 out leaves two X
    EXPECT_TRUE(modelOf(5, 2, false, x).Press());
    const double same[] = {4, 4, 4, 4};
    const FitModel flat({x + 1, same, 4}, [&] { ExactSums s; ComputeExactSums({x + 1, same, 4}, 2, true, s); return s; }(), 1, false);
    const FitStatistics s = flat.Statistics(0.95);
    EXPECT_EQ(Unavailable::ConstantY, s.rSquared.reason);
    EXPECT_EQ(Unavailable::ZeroResidual, s.terms[1].tValue.reason);
}

TEST(FitStatistics, DegreesPreferred) {
    // A cubic with a little noise: AIC, BIC, AICc and PRESS prefer 3, R² always the highest
    // degree; degree 0 comes first, and with 30 points and 7 coefficients AICc recommends.
    std::vector<double> x;
    std::vector<double> y;
    for (int k = 0; k < 30; ++k) {
        x.push_back(k);
        y.push_back(0.5 * k * k * k - 3 * k + 2 + 0.25 * ((k * 7919) % 13 - 6));
    }
    const DegreeComparison c = CompareDegrees({x.data(), y.data(), 30}, 6, false);
    ASSERT_EQ(7u, c.rows.size());
    EXPECT_EQ(0, c.rows[0].degree);
    EXPECT_EQ(0.0, *c.rows[0].rSquared);
    const int expected[kDegreeColumns] = {0, 6, 0, 3, 3, 3, 3};
    for (int f = 1; f < kDegreeColumns; ++f)
        if (expected[f]) {
            EXPECT_EQ(expected[f], c.rows[*c.preferred[f]].degree) << "column " << f;
        }
    EXPECT_EQ(c.preferred[0], c.preferred[2]);
    EXPECT_EQ(DegreeColumn::Aicc, c.recommendedBy);
    EXPECT_EQ(3, c.rows[*c.recommended].degree);
    // The rows of one set of sums are those of each degree's own fit.
    for (const DegreeRow& row : c.rows) {
        ExactSums sums;
        ComputeExactSums({x.data(), y.data(), 30}, row.degree + 1, true, sums);
        const FitModel alone({x.data(), y.data(), 30}, sums, row.degree, false);
        EXPECT_EQ(*alone.Statistics(0.95).aicc, *row.aicc) << row.degree;
        EXPECT_EQ(*alone.Press(), *row.press) << row.degree;
    }
}

}  // namespace
}  // namespace plorimet

namespace plorimet {
namespace {

// The graph draws the equation's doubles with the window's arithmetic: where those evaluate
// well (X near 0, moderate degrees) its curve is the exact optimum's, row for row; for years
// on X at degree 10 that arithmetic cancels, which only the optimum's values (eval) avoid.
TEST(FitStatistics, TheGraphsCurveIsTheOptimumWhereTheEquationEvaluatesWell) {
    struct Case {
        double first, step;
        int degree;
    };
    for (const Case& c : {Case{0, 0.25, 3}, Case{0, 0.25, 6}, Case{-2, 0.1, 9}}) {
        std::vector<double> x, y;
        for (int k = 0; k < 41; ++k) {
            x.push_back(c.first + c.step * k);
            y.push_back(1 + std::sin(x.back()) + 0.01 * (k % 3));
        }
        const PointsView points{x.data(), y.data(), static_cast<long long>(x.size())};
        ExactSums sums;
        ComputeExactSums(points, c.degree + 1, true, sums);
        const FitModel model(points, sums, c.degree, false);
        Coefficients coefficients{};
        const std::vector<double> optimum = model.Coefficients();
        std::copy(optimum.begin(), optimum.end(), coefficients.begin());
        GraphSettings settings;
        InitGraphSettingsDialog(settings);
        const PlotScale scale = MakePlotScale(PlanFrame(630, 344, settings.sizeFactor), settings.sizeFactor, points);
        for (int i = 0; i < kCurveSamples; ++i) {
            const double at = scale.xFirst + 2 * scale.step * i;
            EXPECT_EQ(CurveRowPixel(scale, *model.At(at, 0.95).fitted),
                      CurveRowPixel(scale, EvaluatePolynomial(coefficients, c.degree + 1, at))) << c.degree << " at " << at;
        }
    }
}

}  // namespace
}  // namespace plorimet
