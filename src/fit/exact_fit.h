// The exact least-squares polynomial of a set of points, correctly rounded to double.
#pragma once

#include <optional>
#include <vector>

#include "fit/work_split.h"

namespace plorimet {

struct ExactSums;  // fit/exact_sums.h

// Points held elsewhere: x[0..count-1] distinct, y beside them.
struct PointsView {
    const double* x = nullptr;
    const double* y = nullptr;
    long long count = 0;
    // Weights beside them, each multiplying its point's residual (the fit makes the sum of
    // (w (y - p(x)))^2 smallest, so the sums are of w^2 t^p, w^2 t^i y, w^2 y^2 and w^2 y);
    // none: every weight 1.
    const double* w = nullptr;
};

// A polynomial in t = (x - center) / 2^shift, |t| < 1 over the points it was fitted to. The
// optimum's coefficients in t, each rounded to double, give its values to a few units in the
// last place of the largest term in t, also where those in powers of x cancel so that no
// rounding of them draws the curve (years on X at a high degree).
struct CentredPolynomial {
    double center = 0.0;
    int shift = 0;
    std::vector<double> coefficients;  // powers of t; empty when there is none

    double At(double x) const;
    // The sum of the terms' magnitudes at x: the scale of At's error.
    double MagnitudeAt(double x) const;
};

struct ExactFit {
    // R² and the residual sum of squares of the exact optimum (not of its rounded
    // coefficients); R² is empty when every Y is the same.
    std::optional<double> rSquared;
    double residualSquares = 0.0;
    CentredPolynomial curve;  // the optimum, in its own variable
};

// The coefficients (powers 0..terms-1) of the polynomial whose sum of squared residuals at
// the points is the smallest, as exact arithmetic on the given doubles makes it, each
// rounded to the nearest double (ties to even). With terms equal to the number of points
// this is the polynomial through every point.
//
// The work is done with the inputs as exact binary fractions: the power sums of the shifted
// X values are exact, a floating solve of the needed precision gives corrections, and each
// correction is checked against the exact residual, raising the precision while the
// corrections do not shrink, until every coefficient's rounding is settled.
//
// Needs 2 <= terms <= count, finite values and at least `terms` distinct X among the points
// of nonzero weight; returns nothing for the first two.
// Should the precision run out (beyond 4096 bits) or the corrections not settle within 400
// steps, which no data tried comes near, the closest coefficients found are given.
// The sums of many points may be split across threads (see work_split.h): the same result.
std::optional<ExactFit> SolveExactLeastSquares(PointsView points, int terms, double* coefficients,
                                               const WorkSplit& split = {});
// The same, also giving the exact sums it solved from (for the statistics of the fit).
std::optional<ExactFit> SolveExactLeastSquares(PointsView points, int terms, double* coefficients, ExactSums* sums,
                                               const WorkSplit& split = {});

// The exact sums alone: centred as the fit centres them, or (centred false) in t = x / 2^shift,
// for a fit through the origin. Repeated X are summed as any others.
void ComputeExactSums(PointsView points, int terms, bool centred, ExactSums& sums, const WorkSplit& split = {});

// The range of X and the largest |X| and |Y| of the points.
struct PointsExtent {
    double low = 0.0, high = 0.0;
    double largestX = 0.0, largestY = 0.0;
};
PointsExtent ExtentOf(PointsView points);
// Where the sums of points with X in [low, high] are taken: the center (low/2 + high/2, or 0
// when not centred) and the shift that makes |t| < 1.
void ScaleOfSums(double low, double high, bool centred, double& center, int& shift);
// The exact sums of the points in t = (x - center) / 2^shift (any center and shift, also 0 and 0:
// the sums in x itself): in machine words where that pays, else in one loop of integers.
void SumPointsExactly(PointsView points, int terms, double center, int shift, const WorkSplit& split, ExactSums& sums);

}  // namespace plorimet
