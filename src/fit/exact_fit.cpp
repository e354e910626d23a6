#include "fit/exact_fit.h"
#include "fit/exact_sums.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include "fit/power_sums.h"

namespace plorimet {

namespace {

using namespace binary_fraction;

// From this many points per coefficient on, the sums are taken in machine words.
constexpr long long kPointsForWordSums = 32;

// ---- The problem in the shifted variable t = (x - center) / 2^shift, |t| < 1 -------------------

struct Problem {
    int terms = 0;
    long long count = 0;
    Fraction center;
    int shift = 0;
    std::vector<Fraction> powerSums;  // S[p] = sum of t^p, p = 0..2(terms-1)
    std::vector<Fraction> moments;    // B[i] = sum of t^i y, i = 0..terms-1
    Fraction ySquares;                // sum of y^2
    Fraction ySum;
    double largestY = 0.0;
    double largestX = 0.0;
};

// Every t, every y and every squared weight as an integer over one common power of two, so that
// the sums are integer sums: the least binary exponent of each.
struct CommonUnits {
    int64_t t = 0, y = 0, w = 0;
};

Fraction TOfPoint(PointsView points, long long k, const Fraction& center, int shift) {
    return Scale2(Add(FromDouble(points.x[k]), Negate(center)), -shift);
}

Fraction SquaredWeightOf(PointsView points, long long k) {
    const Fraction w = FromDouble(points.w ? points.w[k] : 1.0);
    return Mul(w, w);
}

CommonUnits CommonUnitsOf(PointsView points, const Fraction& center, int shift) {
    CommonUnits units;
    bool anyT = false;
    bool anyY = false;
    bool anyW = false;
    auto lowest = [](int64_t& exponent, bool& any, const Fraction& d) {
        if (d.mantissa.is_zero()) return;
        exponent = any ? std::min(exponent, d.exponent) : d.exponent;
        any = true;
    };
    for (long long k = 0; k < points.count; ++k) {
        lowest(units.t, anyT, TOfPoint(points, k, center, shift));
        lowest(units.y, anyY, FromDouble(points.y[k]));
        if (points.w) lowest(units.w, anyW, SquaredWeightOf(points, k));
    }
    return units;
}

// The sums in one loop of integers over the points (two passes; nothing per point is kept).
void SumInIntegers(PointsView points, int terms, const Fraction& center, int shift, ExactSums& out) {
    const CommonUnits units = CommonUnitsOf(points, center, shift);
    auto onScale = [](const Fraction& d, int64_t exponent) {
        return d.mantissa.is_zero() ? Int(0) : Int(d.mantissa << static_cast<unsigned>(d.exponent - exponent));
    };
    std::vector<Int> sums(2 * terms - 1);
    std::vector<Int> moments(terms);
    Int squares = 0;
    Int ySum = 0;
    Int power;
    Int weighted;
    Int tk;
    Int yk;
    Int wk = 1;  // the squared weight, which every sum of the point carries
    for (long long k = 0; k < points.count; ++k) {
        tk = onScale(TOfPoint(points, k, center, shift), units.t);
        yk = onScale(FromDouble(points.y[k]), units.y);
        if (points.w) wk = onScale(SquaredWeightOf(points, k), units.w);
        squares += wk * yk * yk;
        ySum += wk * yk;
        if (mp::msb(mp::abs(tk) | 1) < 64) {
            // The common case: t fits one machine word. Powers of |t| with the sign applied
            // when adding; a product by one word is the cheap one.
            const unsigned long long word = mp::abs(tk).convert_to<unsigned long long>();
            const bool negative = tk.sign() < 0;
            const bool yNegative = yk.sign() < 0;
            power = wk;
            weighted = wk * mp::abs(yk);
            for (int i = 0; i < 2 * terms - 1; ++i) {
                const bool odd = negative && (i & 1);
                if (odd) sums[i] -= power; else sums[i] += power;
                if (i < terms) {
                    if (odd != yNegative) moments[i] -= weighted; else moments[i] += weighted;
                    weighted *= word;
                }
                power *= word;
            }
            continue;
        }
        power = wk;
        weighted = wk * yk;
        for (int i = 0; i < 2 * terms - 1; ++i) {
            sums[i] += power;
            if (i < terms) {
                moments[i] += weighted;
                weighted *= tk;
            }
            power *= tk;
        }
    }
    auto normalized = [](Int value, int64_t exponent) {
        Fraction d{std::move(value), exponent};
        Normalize(d);
        return d;
    };
    out.powerSums.clear();
    out.moments.clear();
    for (int i = 0; i < 2 * terms - 1; ++i) out.powerSums.push_back(normalized(sums[i], units.t * i + units.w));
    for (int i = 0; i < terms; ++i) out.moments.push_back(normalized(moments[i], units.t * i + units.y + units.w));
    out.ySquares = normalized(squares, 2 * units.y + units.w);
    out.ySum = normalized(ySum, units.y + units.w);
}

// Many points: their sums in machine words, whose fixed costs pay from this many on.
bool SumInWords(PointsView points, int terms, double center, int shift, const WorkSplit& split, ExactSums& out) {
    if (points.count < kPointsForWordSums * terms || points.w) return false;
    std::optional<PowerSums> sums = SumPowersInWords(points, terms, center, shift, split);
    if (!sums) return false;
    auto take = [](Fraction& s) {
        Normalize(s);
        return std::move(s);
    };
    out.powerSums.clear();
    out.moments.clear();
    for (Fraction& s : sums->powers) out.powerSums.push_back(take(s));
    for (Fraction& s : sums->moments) out.moments.push_back(take(s));
    out.ySquares = take(sums->ySquares);
    out.ySum = take(sums->ySum);
    return true;
}

Problem MakeProblem(PointsView points, int terms, bool centred, const WorkSplit& split) {
    Problem p;
    p.terms = terms;
    p.count = points.count;
    const PointsExtent extent = ExtentOf(points);
    p.largestX = extent.largestX;
    p.largestY = extent.largestY;
    double center = 0.0;
    ScaleOfSums(extent.low, extent.high, centred, center, p.shift);
    p.center = FromDouble(center);
    ExactSums sums;
    SumPointsExactly(points, terms, center, p.shift, split, sums);
    p.powerSums = std::move(sums.powerSums);
    p.moments = std::move(sums.moments);
    p.ySquares = std::move(sums.ySquares);
    p.ySum = std::move(sums.ySum);
    return p;
}

// g = B - G a, exactly.
std::vector<Fraction> NormalResidual(const Problem& p, const std::vector<Fraction>& a) {
    std::vector<Fraction> g(p.terms);
    for (int i = 0; i < p.terms; ++i) {
        Fraction sum = p.moments[i];
        for (int j = 0; j < p.terms; ++j) {
            if (!a[j].mantissa.is_zero()) sum = Add(sum, Negate(Mul(p.powerSums[i + j], a[j])));
        }
        g[i] = std::move(sum);
    }
    return g;
}

// Coefficients of powers of x of the polynomial with coefficients a in powers of t.
std::vector<Fraction> ToPowersOfX(const Problem& p, const std::vector<Fraction>& a) {
    const Fraction minusCenter = Negate(p.center);
    std::vector<Fraction> c(1, a[p.terms - 1]);
    for (int i = p.terms - 2; i >= 0; --i) {
        // c(x) * (x - center) / 2^shift + a[i]
        std::vector<Fraction> next(c.size() + 1);
        for (size_t j = 0; j < c.size(); ++j) {
            next[j + 1] = Add(next[j + 1], Scale2(c[j], -p.shift));
            next[j] = Add(next[j], Scale2(Mul(c[j], minusCenter), -p.shift));
        }
        next[0] = Add(next[0], a[i]);
        c = std::move(next);
    }
    return c;
}

// The inverse: coefficients in powers of t of the polynomial with coefficients c in powers of x.
std::vector<Fraction> ToPowersOfT(const Problem& p, const std::vector<Fraction>& c) {
    std::vector<Fraction> a(1, c[p.terms - 1]);
    for (int j = p.terms - 2; j >= 0; --j) {
        // a(t) * (center + 2^shift t) + c[j]
        std::vector<Fraction> next(a.size() + 1);
        for (size_t i = 0; i < a.size(); ++i) {
            next[i + 1] = Add(next[i + 1], Scale2(a[i], p.shift));
            next[i] = Add(next[i], Mul(a[i], p.center));
        }
        next[0] = Add(next[0], c[j]);
        a = std::move(next);
    }
    return a;
}

bool AllZero(const std::vector<Fraction>& v) {
    return std::all_of(v.begin(), v.end(), [](const Fraction& d) { return d.mantissa.is_zero(); });
}

// Where the refinement stands between precisions.
struct State {
    std::vector<Fraction> a;      // current coefficients in powers of t
    bool candidateTried = false;
    int iterations = 0;
};

enum class Outcome { Done, NeedsMorePrecision, GaveUp };

// One exact binary fraction rounded to 64 significant bits: the shape an exact coefficient
// of short data has.
Fraction Shorten(const Fraction& d) {
    if (d.mantissa.is_zero()) return d;
    const Int magnitude = mp::abs(d.mantissa);
    const unsigned bits = mp::msb(magnitude) + 1;
    if (bits <= 64) return d;
    const unsigned drop = bits - 64;
    Int kept = magnitude >> drop;
    if (mp::bit_test(magnitude, drop - 1)) ++kept;
    Fraction r{d.mantissa.sign() < 0 ? Int(-kept) : kept, d.exponent + drop};
    Normalize(r);
    return r;
}

void RoundAll(const std::vector<Fraction>& c, double* coefficients) {
    for (size_t j = 0; j < c.size(); ++j) coefficients[j] = RoundToDouble(c[j]);
}

// The Cholesky factor of the normal matrix of t, rounded to Bits, and solves with it.
template <unsigned Bits>
struct Factor {
    using F = BinaryFloat<Bits>;
    int m = 0;
    std::vector<F> lower;  // row by row
    F& at(int i, int j) { return lower[static_cast<size_t>(i) * m + j]; }
    const F& at(int i, int j) const { return lower[static_cast<size_t>(i) * m + j]; }

    // False when rounding at this precision leaves the matrix not positive definite.
    bool Make(const Problem& p) {
        m = p.terms;
        lower.assign(static_cast<size_t>(m) * m, F(0));
        for (int i = 0; i < m; ++i) {
            for (int j = 0; j <= i; ++j) {
                F sum = ToFloat<Bits>(p.powerSums[i + j]);
                for (int k = 0; k < j; ++k) sum -= at(i, k) * at(j, k);
                if (i == j) {
                    if (!(sum > 0)) return false;
                    at(i, i) = mp::sqrt(sum);
                } else {
                    at(i, j) = sum / at(j, j);
                }
            }
        }
        return true;
    }
    std::vector<F> Solve(std::vector<F> v) const {
        for (int i = 0; i < m; ++i) {
            for (int k = 0; k < i; ++k) v[i] -= at(i, k) * v[k];
            v[i] /= at(i, i);
        }
        for (int i = m - 1; i >= 0; --i) {
            for (int k = i + 1; k < m; ++k) v[i] -= at(k, i) * v[k];
            v[i] /= at(i, i);
        }
        return v;
    }
};

// How far a change of the t coefficients by at most 1 can move each x coefficient, and below
// which size a coefficient counts as zero: its terms then stay under 2^-1100 of the largest |Y|
// at every point.
template <unsigned Bits>
struct Reach {
    std::vector<BinaryFloat<Bits>> reach, zeroBelow;

    explicit Reach(const Problem& p) : reach(p.terms), zeroBelow(p.terms) {
        using F = BinaryFloat<Bits>;
        const F center = mp::abs(ToFloat<Bits>(p.center));
        for (int j = 0; j < p.terms; ++j) {
            // sum over i >= j of C(i, j) |center|^(i-j) 2^(-shift i)
            F term = mp::ldexp(F(1), -p.shift * j);
            F sum = term;
            for (int i = j + 1; i < p.terms; ++i) {
                term = mp::ldexp(term * center * i / (i - j), -p.shift);
                sum += term;
            }
            reach[j] = sum;
            zeroBelow[j] = mp::ldexp(F(p.largestY), -1100) / mp::pow(F(p.largestX), j);
        }
    }
};

// Where the x coefficients stand against their rounding boundaries, each within its bound.
struct Settling {
    bool settled = true;        // every rounding decided
    bool nearlySettled = true;  // the undecided ones within 2^-200 of a boundary or of zero
    bool allResolved = true;    // ... within 2^-1100
};

template <unsigned Bits>
Settling SettlingOf(const std::vector<Fraction>& c, const Reach<Bits>& reach, const BinaryFloat<Bits>& size) {
    using F = BinaryFloat<Bits>;
    Settling out;
    for (size_t j = 0; j < c.size(); ++j) {
        const F bound = reach.reach[j] * size;
        const double d = RoundToDouble(c[j]);
        F distance;
        if (std::isinf(d)) {
            distance = mp::abs(ToFloat<Bits>(Add(c[j], Negate(Midpoint(std::copysign(DBL_MAX, d), d)))));
        } else {
            const F below = mp::abs(ToFloat<Bits>(Add(c[j], Negate(Midpoint(d, -HUGE_VAL)))));
            const F above = mp::abs(ToFloat<Bits>(Add(c[j], Negate(Midpoint(d, HUGE_VAL)))));
            distance = std::min(below, above);
        }
        if (distance > bound) continue;
        out.settled = false;
        const F magnitude = std::max<F>(mp::abs(ToFloat<Bits>(c[j])), reach.zeroBelow[j]);
        if (bound > mp::ldexp(magnitude, -200)) out.nearlySettled = false;
        if (bound > mp::ldexp(magnitude, -1100) && bound > reach.zeroBelow[j]) out.allResolved = false;
    }
    return out;
}

// The settled coefficients; when their roundings are the optimum itself (exact data), they are
// kept exactly, so that the residual comes out exactly too.
void TakeSettled(const Problem& p, const std::vector<Fraction>& c, State& state, double* coefficients) {
    RoundAll(c, coefficients);
    // A coefficient beyond a double has no exact rounding to try.
    if (!std::all_of(coefficients, coefficients + p.terms, [](double v) { return std::isfinite(v); })) return;
    std::vector<Fraction> rounded(p.terms);
    for (int j = 0; j < p.terms; ++j) rounded[j] = FromDouble(coefficients[j]);
    std::vector<Fraction> roundedA = ToPowersOfT(p, rounded);
    if (AllZero(NormalResidual(p, roundedA))) state.a = std::move(roundedA);
}

// Some coefficient sits on a rounding boundary or at zero: exact data often has an optimum of
// short binary fractions; true when it is that, tried exactly.
bool TakeShortOptimum(const Problem& p, const std::vector<Fraction>& c, State& state, double* coefficients) {
    std::vector<Fraction> shortC(p.terms);
    for (int j = 0; j < p.terms; ++j) shortC[j] = Shorten(c[j]);
    const std::vector<Fraction> shortA = ToPowersOfT(p, shortC);
    if (!AllZero(NormalResidual(p, shortA))) return false;
    state.a = shortA;
    RoundAll(shortC, coefficients);
    return true;
}

// Refinement with factorization and corrections in Bits of precision.
template <unsigned Bits>
Outcome Refine(const Problem& p, State& state, double* coefficients) {
    using F = BinaryFloat<Bits>;
    const int m = p.terms;
    Factor<Bits> factor;
    if (!factor.Make(p)) return Outcome::NeedsMorePrecision;
    const Reach<Bits> reach(p);

    F previous = -1;
    for (;;) {
        if (++state.iterations > 400) return Outcome::GaveUp;
        const std::vector<Fraction> g = NormalResidual(p, state.a);
        if (AllZero(g)) {  // the current coefficients are the exact optimum
            RoundAll(ToPowersOfX(p, state.a), coefficients);
            return Outcome::Done;
        }
        std::vector<F> gf(m);
        for (int i = 0; i < m; ++i) gf[i] = ToFloat<Bits>(g[i]);
        const std::vector<F> step = factor.Solve(gf);
        F size = 0;
        for (int i = 0; i < m; ++i) {
            size = std::max<F>(size, mp::abs(step[i]));
            state.a[i] = Add(state.a[i], ToFraction<Bits>(step[i]));
        }
        // Each correction must be far smaller than the one before; else this precision
        // does not reach the conditioning of the data.
        if (previous >= 0 && size > mp::ldexp(previous, -8)) return Outcome::NeedsMorePrecision;
        const bool contracted = previous >= 0;
        previous = size;
        if (!contracted) continue;

        // The error left after this correction is a small part of it (the corrections
        // shrink by 2^8 or more each time): bound each x coefficient's error by its reach.
        const std::vector<Fraction> c = ToPowersOfX(p, state.a);
        const Settling settling = SettlingOf<Bits>(c, reach, size);
        if (settling.settled) {
            TakeSettled(p, c, state, coefficients);
            return Outcome::Done;
        }
        if (settling.nearlySettled && !state.candidateTried) {
            state.candidateTried = true;
            if (TakeShortOptimum(p, c, state, coefficients)) return Outcome::Done;
        }
        if (settling.allResolved) {
            // What is left unsettled is within 2^-1100 of a rounding boundary or of zero.
            for (int j = 0; j < m; ++j) {
                const F value = ToFloat<Bits>(c[j]);
                coefficients[j] = mp::abs(value) <= reach.reach[j] * size ? 0.0 : RoundToDouble(c[j]);
            }
            return Outcome::Done;
        }
    }
}

template <unsigned Bits>
Outcome RefineRung(const Problem& p, State& state, double* coefficients) {
    return Refine<Bits>(p, state, coefficients);
}

// The precisions tried, each up from the last when a correction stops shrinking. Every one is
// its own instantiation of Boost's float (some 60 KB of the program each), so they are few and
// far apart; the exact residual, not the precision, decides when a fit is done.
using Rung = Outcome (*)(const Problem&, State&, double*);
constexpr Rung kRungs[] = {RefineRung<128>, RefineRung<512>, RefineRung<4096>};

// R² and the residual sum of squares of the polynomial a (powers of t), from exact sums.
ExactFit Quality(const Problem& p, const std::vector<Fraction>& a) {
    using F = BinaryFloat<128>;
    // |y - W a|^2 = y.y - 2 a.B + a.G a
    Fraction rss = p.ySquares;
    for (int i = 0; i < p.terms; ++i) {
        if (a[i].mantissa.is_zero()) continue;
        rss = Add(rss, Negate(Scale2(Mul(a[i], p.moments[i]), 1)));
        for (int j = 0; j < p.terms; ++j) rss = Add(rss, Mul(Mul(a[i], a[j]), p.powerSums[i + j]));
    }
    // W sum y^2 - (sum y)^2 = W times the total sum of squares, W the sum of the squared
    // weights (the count of the points when none are given)
    const Fraction& weightTotal = p.powerSums[0];
    const Fraction total = Add(Mul(weightTotal, p.ySquares), Negate(Mul(p.ySum, p.ySum)));
    ExactFit fit;
    const F residual = ToFloat<128>(rss);
    fit.residualSquares = static_cast<double>(residual);
    if (total.mantissa.sign() > 0) {
        const F totalSquares = ToFloat<128>(total) / ToFloat<128>(weightTotal);
        fit.rSquared = static_cast<double>(F(1) - residual / totalSquares);
    }
    return fit;
}

// The fit's quality and the optimum in t from the settled coefficients.
ExactFit Finish(const Problem& p, const std::vector<Fraction>& a) {
    ExactFit fit = Quality(p, a);
    fit.curve.center = RoundToDouble(p.center);  // a double: the middle of two
    fit.curve.shift = p.shift;
    for (const Fraction& c : a) fit.curve.coefficients.push_back(RoundToDouble(c));
    return fit;
}

// The sums of a problem for the statistics of the fit.
void CopySums(const Problem& p, ExactSums& sums) {
    sums.count = p.count;
    sums.center = p.center;
    sums.shift = p.shift;
    sums.powerSums = p.powerSums;
    sums.moments = p.moments;
    sums.ySquares = p.ySquares;
    sums.ySum = p.ySum;
}

}  // namespace

PointsExtent ExtentOf(PointsView points) {
    PointsExtent e;
    if (points.count == 0) return e;
    e.low = e.high = points.x[0];
    for (long long k = 0; k < points.count; ++k) {
        e.low = std::min(e.low, points.x[k]);
        e.high = std::max(e.high, points.x[k]);
        e.largestY = std::max(e.largestY, std::fabs(points.y[k]));
        e.largestX = std::max(e.largestX, std::fabs(points.x[k]));
    }
    return e;
}

void ScaleOfSums(double low, double high, bool centred, double& center, int& shift) {
    center = centred ? low / 2 + high / 2 : 0.0;
    double spread = std::max(std::fabs(high - center), std::fabs(center - low));
    if (!(spread > 0) || std::isinf(spread)) spread = std::max(std::fabs(high), std::fabs(low));
    std::frexp(spread, &shift);  // spread < 2^shift, so |t| < 1 up to the rounding of spread
    shift += 1;
}

void SumPointsExactly(PointsView points, int terms, double center, int shift, const WorkSplit& split, ExactSums& sums) {
    sums.count = points.count;
    sums.center = FromDouble(center);
    sums.shift = shift;
    if (!SumInWords(points, terms, center, shift, split, sums)) SumInIntegers(points, terms, sums.center, shift, sums);
}

void ComputeExactSums(PointsView points, int terms, bool centred, ExactSums& sums, const WorkSplit& split) {
    CopySums(MakeProblem(points, terms, centred, split), sums);
}

std::optional<ExactFit> SolveExactLeastSquares(PointsView points, int terms, double* coefficients,
                                               const WorkSplit& split) {
    return SolveExactLeastSquares(points, terms, coefficients, nullptr, split);
}

std::optional<ExactFit> SolveExactLeastSquares(PointsView points, int terms, double* coefficients, ExactSums* sums,
                                               const WorkSplit& split) {
    if (terms < 2 || points.count < terms) return std::nullopt;
    for (long long k = 0; k < points.count; ++k)
        if (!std::isfinite(points.x[k]) || !std::isfinite(points.y[k]) || (points.w && !std::isfinite(points.w[k])))
            return std::nullopt;

    const Problem problem = MakeProblem(points, terms, true, split);
    if (sums) CopySums(problem, *sums);
    State state;
    state.a.assign(terms, Fraction{});
    // Higher degrees need more precision from the start.
    size_t first = terms <= 12 ? 0 : 1;
    std::vector<double> result(terms);
    for (size_t rung = first; rung < std::size(kRungs); ++rung) {
        const Outcome outcome = kRungs[rung](problem, state, result.data());
        if (outcome == Outcome::Done) {
            std::copy(result.begin(), result.end(), coefficients);
            return Finish(problem, state.a);
        }
        if (outcome == Outcome::GaveUp) break;
    }
    // Not reached by any data tried (it would take a conditioning beyond 4096 bits or 400
    // corrections): the closest coefficients found, rather than the double elimination's.
    const std::vector<Fraction> c = ToPowersOfX(problem, state.a);
    RoundAll(c, coefficients);
    return Finish(problem, state.a);
}

double CentredPolynomial::At(double x) const {
    const double t = std::ldexp(x - center, -shift);
    double value = 0.0;
    for (size_t j = coefficients.size(); j-- > 0;) value = value * t + coefficients[j];
    return value;
}

double CentredPolynomial::MagnitudeAt(double x) const {
    const double t = std::fabs(std::ldexp(x - center, -shift));
    double value = 0.0;
    for (size_t j = coefficients.size(); j-- > 0;) value = value * t + std::fabs(coefficients[j]);
    return value;
}

}  // namespace plorimet
