// The statistics of a least-squares polynomial: standard errors, intervals, R², PRESS, each
// the exact value correctly rounded to double, and the tables that show them.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/messages.h"
#include "fit/analysis.h"
#include "fit/exact_fit.h"

namespace plorimet {

struct ExactSums;  // fit/exact_sums.h

constexpr double kDefaultConfidenceLevel = 0.95;

struct CoefficientStatistics {
    std::optional<double> standardError;  // none without degrees of freedom, or for a fixed term
    std::optional<double> lower;          // the confidence interval
    std::optional<double> upper;
};

struct FitStatistics {
    bool throughOrigin = false;
    long long observations = 0;
    int estimated = 0;              // coefficients estimated (the fixed constant is not)
    long long degreesOfFreedom = 0;  // observations less the coefficients estimated
    double level = kDefaultConfidenceLevel;
    std::optional<double> tQuantile;   // Student's t of the two-sided level
    std::vector<double> coefficients;  // powers 0..degree of the exact optimum, before any term is zeroed
    std::vector<CoefficientStatistics> terms;  // the same powers
    double residualSquares = 0.0;
    std::optional<double> residualDeviation;  // none without degrees of freedom
    // R² (uncentred through the origin), none when it is undefined (every Y the same, or all 0)
    std::optional<double> rSquared;
    std::optional<double> adjustedRSquared;
};

// At one X: the fitted value, the confidence interval of the curve and the prediction
// interval of a new observation (none without degrees of freedom).
struct CurveInterval {
    double fitted = 0.0;
    std::optional<double> confidenceLow, confidenceHigh, predictionLow, predictionHigh;
};

// The exact least-squares optimum of Y = a0 + a1 X + ... + ad X^d (a0 fixed at 0 through the
// origin) and what is derived from it. Every value is the exact one correctly rounded: it is
// computed in a floating precision with a proved error bound (an approximate inverse whose
// exact residual bounds its error, and the exact residual of the normal equations), and
// settled by exact comparisons with the rounding boundaries; where the bound does not settle
// a value, the precision rises (128, 512, 4096 bits).
class FitModel {
public:
    // The points with the exact sums of them: those of the fit (centred) or, through the
    // origin, ComputeExactSums(points, degree + 1, false, sums). The points must stay.
    FitModel(PointsView points, const ExactSums& sums, int degree, bool throughOrigin);
    ~FitModel();
    FitModel(FitModel&&) noexcept;

    // False when no unique optimum exists (fewer distinct X than coefficients estimated).
    bool Solved() const;
    FitStatistics Statistics(double level) const;
    CurveInterval At(double x, double level) const;
    // Sum of squared leave-one-out prediction errors; none when leaving some point out
    // leaves no unique fit.
    std::optional<double> Press() const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// Student's t quantile for a two-sided interval of this level; none for df 0.
std::optional<double> StudentQuantile(long long degreesOfFreedom, double level);

// Distinct X values (nonzero ones when `nonzeroOnly`): how many coefficients the points can fix.
long long DistinctXCount(PointsView points, bool nonzeroOnly);

// One row of the degree comparison.
struct DegreeRow {
    int degree = 0;
    std::optional<double> residualDeviation, rSquared, adjustedRSquared, aic, bic, press;
};

// Fits every degree from 1 to upTo and compares them; AIC = n ln(RSS/n) + 2k and
// BIC = n ln(RSS/n) + k ln n with k the coefficients estimated.
std::vector<DegreeRow> CompareDegrees(PointsView points, int upTo, bool throughOrigin);

// Column order of the comparison: residual SD, R², adjusted R², AIC, BIC, PRESS; for each the
// index of the row it prefers (smallest SD, AIC, BIC, PRESS; largest R² and adjusted R²).
std::vector<std::optional<size_t>> PreferredRows(const std::vector<DegreeRow>& rows);

// The Analysis result of a fit through the origin (a solved model): its coefficients with the
// constant 0, the check that zeroes negligible terms, the equation (least-squares method line).
std::optional<MessageId> CompleteAnalysisThroughOrigin(PointsView points, const FitModel& model, int digitsIndex,
                                                       UiLanguage language, FitResult& result);

// Short plain-text tables (code page 932 like every text of the program).
std::string FitStatisticsTable(const FitStatistics& statistics, UiLanguage language);
std::string DegreeTable(const std::vector<DegreeRow>& rows, UiLanguage language);

}  // namespace plorimet
