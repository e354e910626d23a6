// The statistics of a least-squares polynomial: standard errors, intervals, tests, the
// likelihood and its criteria, R², PRESS and each observation's diagnostics, every one the
// exact value correctly rounded to double, or the reason it has none.
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
struct PartSums;   // fit/part_sums.h

constexpr double kDefaultConfidenceLevel = 0.95;

// Why a statistic has no value.
enum class Unavailable {
    None,
    NoDegreesOfFreedom,  // as many coefficients as observations: the curve passes through every point
    ZeroResidual,        // every residual is 0, so there is no spread to test against or a likelihood peak
    ConstantY,           // every Y is the same (or, through the origin, every Y is 0)
    FixedTerm,           // the constant fixed at 0 through the origin
    BeyondDouble,        // finite, but beyond the range of a double
    BelowDouble,         // not 0, but too close to 0 for a double
    FullLeverage,        // a leverage of 1: the fit passes through the point whatever its Y
    ZeroWeight,          // a weight is 0, and so is the likelihood's factor of that point
    NoReplicates,        // lack of fit: no X is repeated
    NoLackOfFitFreedom,  // lack of fit: as many coefficients as distinct X
    ZeroPureError,       // lack of fit: the repeated observations agree exactly
    TooFewObservations,  // AICc: n - k - 1 is not positive
    NoConstant,          // the overall F test of a model of the constant alone
    NotSettled,          // its rounding was not settled within the highest precision
    PointsApart,         // the fit is of partial sums: the value needs every point in one place
};

// A statistic: its correctly rounded value, or none and why.
struct Statistic {
    std::optional<double> value;
    Unavailable reason = Unavailable::None;

    Statistic() = default;
    Statistic(double v) : value(v) {}  // NOLINT: a value is a statistic
    static Statistic Missing(Unavailable why) {
        Statistic s;
        s.reason = why;
        return s;
    }
    explicit operator bool() const { return value.has_value(); }
    bool has_value() const { return value.has_value(); }
    double operator*() const { return *value; }
};

struct CoefficientStatistics {
    Statistic standardError;  // none without degrees of freedom, or for the fixed constant
    Statistic lower;          // the confidence interval
    Statistic upper;
    Statistic tValue;  // coefficient / standard error
    Statistic pValue;  // two-sided, of Student's t with the residual degrees of freedom
};

// The pure-error test of the fit with repeated X: the residual sum of squares split into the
// spread within each X (pure error) and the rest (lack of fit).
struct LackOfFit {
    Unavailable reason = Unavailable::NoReplicates;  // None when the test exists
    long long distinctX = 0;
    long long pureErrorDf = 0;  // observations (of nonzero weight) less the distinct X
    long long lackOfFitDf = 0;  // distinct X less the coefficients estimated
    Statistic pureErrorSquares;
    Statistic lackOfFitSquares;
    Statistic f;  // (lack of fit / its df) / (pure error / its df)
    Statistic p;  // upper tail of F(lackOfFitDf, pureErrorDf)
};

struct FitStatistics {
    bool throughOrigin = false;
    bool weighted = false;
    long long observations = 0;
    int estimated = 0;               // coefficients estimated (the fixed constant is not)
    long long degreesOfFreedom = 0;  // observations less the coefficients estimated
    double level = kDefaultConfidenceLevel;
    Statistic tQuantile;               // Student's t of the two-sided level
    std::vector<double> coefficients;  // powers 0..degree of the exact optimum, before any term is zeroed
    std::vector<CoefficientStatistics> terms;    // the same powers
    std::vector<std::vector<Statistic>> covariance;  // of the coefficients, powers 0..degree
    Statistic residualSquares;
    Statistic residualDeviation;  // none without degrees of freedom
    // R² (uncentred through the origin), none when it is undefined (every Y the same, or all 0)
    Statistic rSquared;
    Statistic adjustedRSquared;
    // The overall F test: every coefficient but the constant (through the origin: every one) 0.
    int fNumeratorDf = 0;
    Statistic fStatistic;
    Statistic fPValue;
    // The Gaussian log-likelihood at its maximum, -n/2 (ln 2π + 1 + ln(RSS/n)) + sum of ln |w|,
    // and the criteria from it with k the coefficients estimated: AIC = -2 ln L + 2k,
    // BIC = -2 ln L + k ln n, AICc = AIC + 2k(k + 1) / (n - k - 1).
    Statistic logLikelihood;
    Statistic aic;
    Statistic bic;
    Statistic aicc;
    LackOfFit lackOfFit;
};

// At one X: the fitted value, the confidence interval of the curve and the prediction
// interval of a new observation (none without degrees of freedom).
struct CurveInterval {
    Statistic fitted;
    Statistic confidenceLow, confidenceHigh, predictionLow, predictionHigh;
};

// One observation's place in the fit: the fitted value there, the residual y - fitted, the
// leverage (the diagonal of the hat matrix, w² v'G⁻¹v), the internally studentized residual
// w e / (s sqrt(1 - h)) and Cook's distance r² h / (k (1 - h)).
struct ObservationDiagnostics {
    Statistic fitted, residual, leverage, studentized, cooks;
};

// The exact least-squares optimum of Y = a0 + a1 X + ... + ad X^d (a0 fixed at 0 through the
// origin) and what is derived from it. Every value is the exact one correctly rounded: it is
// computed in a floating precision with a proved error bound and settled by exact comparisons
// with the rounding boundaries; where the bound does not settle a value, the work goes on,
// then the precision rises (128, 512, 4096 bits).
class FitModel {
public:
    // The points with exact sums of them, those of the fit (centred) or, through the origin,
    // ComputeExactSums(points, terms, false, sums), for at least degree + 1 terms (the sums of a
    // higher degree serve too). The points must stay.
    FitModel(PointsView points, const ExactSums& sums, int degree, bool throughOrigin);
    // The same from the sums of the whole data set alone, its points held elsewhere (in parts):
    // `sums` is CentredSums(whole, !throughOrigin). Every statistic is the one the points would
    // give, but the lack-of-fit test (PointsApart); PRESS and the observations are taken over
    // the parts (PressOfPart). `whole` must stay.
    FitModel(const PartSums& whole, const ExactSums& sums, int degree, bool throughOrigin);
    ~FitModel();
    FitModel(FitModel&&) noexcept;

    // False when no unique optimum exists (fewer distinct X than coefficients estimated).
    bool Solved() const;
    // The coefficients of the exact optimum, correctly rounded (beyond a double: infinite).
    std::vector<double> Coefficients() const;
    // Every statistic; `brief` leaves out the coefficient table's tests, the covariance and the
    // lack-of-fit test (what a comparison of degrees does not show).
    FitStatistics Statistics(double level, bool brief = false) const;
    CurveInterval At(double x, double level) const;
    // Sum of squared leave-one-out prediction errors; none when leaving some point out
    // leaves no unique fit.
    Statistic Press() const;
    // Each point's diagnostics, in the points' order.
    std::vector<ObservationDiagnostics> Observations() const;

    struct Impl;
    const Impl& Internal() const { return *impl_; }

private:
    std::unique_ptr<Impl> impl_;
};

// Distinct X values (nonzero ones when `nonzeroOnly`) among the points of nonzero weight: how
// many coefficients the points can fix.
long long DistinctXCount(PointsView points, bool nonzeroOnly);

// One row of the degree comparison.
struct DegreeRow {
    int degree = 0;
    int estimated = 0;  // k
    Statistic residualDeviation, rSquared, adjustedRSquared, aic, bic, aicc, press;
};

// The columns of the comparison, in order, and which way each prefers.
enum class DegreeColumn { ResidualDeviation, RSquared, AdjustedRSquared, Aic, Bic, Aicc, Press };
constexpr int kDegreeColumns = 7;

struct DegreeComparison {
    std::vector<DegreeRow> rows;
    // For each column the index of the row it prefers: smallest SD, AIC, BIC, AICc and PRESS,
    // largest R² and adjusted R²; ties keep the lower degree.
    std::vector<std::optional<size_t>> preferred;
    // The recommended degree: AICc's when n / k < 40 for the largest k compared (the small-sample
    // correction matters there), else AIC's.
    std::optional<size_t> recommended;
    DegreeColumn recommendedBy = DegreeColumn::Aicc;
};

// Every degree from the first (0, the mean; 1 through the origin) to upTo fitted from one set
// of exact sums, the highest degree's, and compared.
DegreeComparison CompareDegrees(PointsView points, int upTo, bool throughOrigin, const WorkSplit& split = {});

// The Analysis result of a fit through the origin (a solved model): its coefficients with the
// constant 0, the check that zeroes negligible terms, the equation (least-squares method line).
std::optional<MessageId> CompleteAnalysisThroughOrigin(PointsView points, const FitModel& model, int digitsIndex,
                                                       UiLanguage language, FitResult& result);

}  // namespace plorimet
