// Inside the exact fit model: the normal equations of the points in t = (x - center) / 2^shift,
// a floating Cholesky factor that gives corrections, the proved bound on the inverse that
// turns the exact residual into error bounds, and the exact forms the statistics are made of.
// For fit_model.cpp, fit_statistics.cpp and observation_pass.cpp only.
#pragma once

#include <cmath>
#include <map>
#include <optional>
#include <memory>
#include <utility>
#include <vector>

#include "fit/exact_rounding.h"
#include "fit/fit_statistics.h"

namespace plorimet {

using exact_rounding::Bound;

// The page's build: 45 pairs at most, and a file whose size counts. It takes every observation
// the exact way and the special functions at 128 bits only.
#if defined(__EMSCRIPTEN__)
constexpr bool kCompactStatistics = true;
#else
constexpr bool kCompactStatistics = false;
#endif
using exact_rounding::Fraction;

// Solves G x = r in a floating precision with the Cholesky factor of G.
struct FloatingSolver {
    virtual ~FloatingSolver() = default;
    virtual std::vector<Fraction> Solve(const std::vector<Fraction>& r) const = 0;
};

// A value's exact bounds as a range.
struct Range {
    Fraction low, high;
};

struct FitModel::Impl {
    PointsView points;     // none for a model of partial sums
    const PartSums* whole = nullptr;  // the sums of the whole data set, for a model of them
    bool weighted = false;
    bool anyZeroWeight = false;
    std::optional<double> yAtZero;  // the Y at X = 0 where 0 is one of the X
    bool throughOrigin = false;
    int degree = 0;
    std::vector<int> powers;  // of t, estimated
    int m = 0;
    long long n = 0;
    Fraction center;
    int shift = 0;
    std::vector<Fraction> g;  // normal matrix, m x m
    std::vector<Fraction> b;  // right side
    Fraction ySquares, ySum;
    Fraction weightTotal;  // sum of the squared weights: the count of the points without weights
    std::vector<std::vector<Fraction>> toX;  // row j: x coefficient j from the t coefficients
    long long distinct = 0;                 // distinct X (nonzero through the origin) of nonzero weight

    // From the solve at the current precision.
    int rung = -1;
    int effort = 0;  // rounds of more work asked for at this rung
    bool solved = false;
    std::unique_ptr<FloatingSolver> solver;
    Bound inverseNorm = 0;            // proved bound of ||G^-1||_2
    std::vector<Fraction> a;         // coefficients in powers of t
    std::vector<Fraction> residual;  // B - G a, exactly
    bool exact = false;              // the residual is 0: a is the optimum
    Bound aError = 0;                // ||a - a*||_2 bound
    Fraction rssLow, rssHigh;
    bool zeroResidual = false;  // the optimum's RSS is proved 0
    std::vector<Fraction> c;    // powers of x, exact from a
    std::vector<Fraction> cError;
    // Below 2^gap an exact RSS or x coefficient of these sums is 0 (FindGaps).
    double rssGap = -HUGE_VAL;
    std::vector<double> coefficientGap;

    mutable std::map<double, std::optional<double>> quantiles;  // Student's t of each level asked

    unsigned Bits() const { return rung == 0 ? 128 : (rung == 1 ? 512 : 4096); }
    // The special functions' precision: 0 for 128 bits, 1 for 512 once refinement alone did not do.
    // The page, whose size counts, keeps them at 128 bits (and says when that does not settle).
    int FunctionEffort() const { return !kCompactStatistics && (rung > 0 || effort > 2) ? 1 : 0; }
    long long DegreesOfFreedom() const { return n - m; }
    bool HasPoints() const { return whole == nullptr; }
    // The parts both constructors share, once the data's description is set.
    void Build(const ExactSums& sums);

    bool SolveAt(int r);
    // The next precision; false at the last.
    bool Escalate();
    // More refinement at this precision, for values the bounds have not settled yet; false
    // when it no longer narrows them.
    bool Tighten();
    // Asks for more work: tighter bounds, else the next precision; false when none is left.
    bool MoreWork() { return Tighten() || Escalate(); }
    template <unsigned Bits>
    bool Solve();
    void Refine(int targetBits);
    void FindGaps();
    int TargetBits() const;
    void Derive();  // the RSS bounds and the x coefficients from a

    std::vector<Fraction> Times(const std::vector<Fraction>& v) const;  // G v, exactly
    // z with G z close to u, and the exact u - G z.
    std::pair<std::vector<Fraction>, std::vector<Fraction>> Correct(const std::vector<Fraction>& u) const;
    // u^T G^-1 u lies in [low, high].
    Range QuadraticForm(const std::vector<Fraction>& u) const;
    std::vector<Fraction> BasisAt(const Fraction& t) const;
    Fraction TOf(double x) const;
    Range FittedAt(const std::vector<Fraction>& basis) const;
    std::optional<double> Quantile(double level) const;
};

// Its rounding, or why there is none: a range that does not settle gives none (and clears
// `settled`); one that settles beyond a double is so reported, as is a nonzero range below one.
Statistic SettleRange(const Range& r, bool& settled);
Statistic SettleForms(const exact_rounding::Form& low, const exact_rounding::Form& high, bool& settled,
                      bool provedNonzero = false);

}  // namespace plorimet
