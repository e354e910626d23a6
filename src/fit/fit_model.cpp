// The exact fit model: its solve with proved error bounds and the forms of a fit's values.
#include <algorithm>
#include <cfloat>
#include <cmath>

#include "fit/distributions.h"
#include "fit/exact_sums.h"
#include "fit/fit_model_impl.h"
#include "fit/part_sums.h"

namespace plorimet {

using namespace binary_fraction;
using namespace exact_rounding;

namespace {

template <unsigned Bits>
struct CholeskySolver final : FloatingSolver {
    using F = BinaryFloat<Bits>;
    int m = 0;
    std::vector<F> l;  // lower triangle, row by row

    std::vector<Fraction> Solve(const std::vector<Fraction>& r) const override {
        std::vector<F> v(m);
        for (int i = 0; i < m; ++i) v[i] = ToFloat<Bits>(Shorten(r[i], Bits + 2));
        for (int i = 0; i < m; ++i) {
            for (int k = 0; k < i; ++k) v[i] -= l[i * m + k] * v[k];
            v[i] /= l[i * m + i];
        }
        for (int i = m - 1; i >= 0; --i) {
            for (int k = i + 1; k < m; ++k) v[i] -= l[k * m + i] * v[k];
            v[i] /= l[i * m + i];
        }
        std::vector<Fraction> out(m);
        for (int i = 0; i < m; ++i) out[i] = ToFraction<Bits>(v[i]);
        return out;
    }
};

// The number of rounds of more refinement a precision is given before the next one.
constexpr int kMostEffort = 6;

}  // namespace

// ---- The solve -------------------------------------------------------------------------------

// The floating Cholesky factor L of G and the inverse Y of L, with a priori bounds: the
// computed factor has L L' = fl(G) + E, |E| <= γ(m+1) |L||L'|, and each column of Y solves
// (L + ΔL) y = e with |ΔL| <= γ(m) |L|, so ||I - L Y|| <= γ(m) ||L|| ||Y||. Then
// ||L^-1|| <= ||Y|| / (1 - ||I - L Y||) =: κ and λmin(G) >= 1/κ² - ||G - L L'||: the inverse's
// norm is proved without any exact product of matrices.
template <unsigned Bits>
bool FitModel::Impl::Solve() {
    using F = BinaryFloat<Bits>;
    auto chol = std::make_unique<CholeskySolver<Bits>>();
    chol->m = m;
    std::vector<F>& l = chol->l;
    l.assign(static_cast<size_t>(m) * m, F(0));
    for (int i = 0; i < m; ++i) {
        for (int j = 0; j <= i; ++j) {
            F s = ToFloat<Bits>(g[i * m + j]);
            for (int k = 0; k < j; ++k) s -= l[i * m + k] * l[j * m + k];
            if (i == j) {
                if (!(s > 0)) return false;
                l[i * m + i] = mp::sqrt(s);
            } else {
                l[i * m + j] = s / l[j * m + j];
            }
        }
    }
    Bound lSquares = 0;
    Bound gSquares = 0;
    for (int i = 0; i < m; ++i)
        for (int j = 0; j < m; ++j) {
            const Bound e = Up(mp::abs(Bound(l[i * m + j])));
            lSquares += e * e;
            const Bound gm = Magnitude(g[i * m + j]);
            gSquares += gm * gm;
        }
    Bound ySquares = 0;
    for (int col = 0; col < m; ++col) {
        std::vector<F> y(m, F(0));
        y[col] = 1 / l[col * m + col];
        for (int i = col + 1; i < m; ++i) {
            F s = 0;
            for (int k = col; k < i; ++k) s -= l[i * m + k] * y[k];
            y[i] = s / l[i * m + i];
        }
        for (int i = col; i < m; ++i) {
            const Bound e = Up(mp::abs(Bound(y[i])));
            ySquares += e * e;
        }
    }
    const Bound u = mp::ldexp(Bound(1), -static_cast<int>(Bits) + 2);
    auto gamma = [&](int k) { return Up(k * u / Down(1 - k * u)); };
    const Bound lNorm = Up(mp::sqrt(Up(lSquares)));
    const Bound yNorm = Up(mp::sqrt(Up(ySquares)));
    const Bound gNorm = Up(mp::sqrt(Up(gSquares)));
    const Bound factorError = Up(Up(u * gNorm) + Up(gamma(m + 1) * lSquares));
    const Bound inverseResidual = Up(gamma(m) * lNorm * yNorm);
    if (!(inverseResidual < Bound(1) / 2)) return false;
    const Bound kappa = Up(yNorm / Down(1 - inverseResidual));
    const Bound lambda = Down(Down(1 / Up(kappa * kappa)) - factorError);
    // A refinement step shrinks the error by about κ² ||E||: worth it while that is small.
    if (!(lambda > 0) || !(Up(kappa * kappa * factorError) < Bound(1) / 64)) return false;
    inverseNorm = Up(1 / lambda);
    solver = std::move(chol);
    a.assign(m, Fraction{});
    residual = b;
    exact = false;
    Refine(static_cast<int>(Bits) + 64);
    return true;
}

bool FitModel::Impl::SolveAt(int r) {
    rung = r;
    effort = 0;
    solved = r == 0 ? Solve<128>() : (r == 1 ? Solve<512>() : Solve<4096>());
    return solved;
}

bool FitModel::Impl::Escalate() {
    for (int r = rung + 1; r < 3; ++r)
        if (SolveAt(r)) return true;
    return false;
}

bool FitModel::Impl::Tighten() {
    if (effort >= kMostEffort) return false;
    ++effort;
    if (!exact) Refine(TargetBits());
    return true;
}

std::vector<Fraction> FitModel::Impl::Times(const std::vector<Fraction>& v) const {
    std::vector<Fraction> out(m);
    for (int i = 0; i < m; ++i) {
        Fraction s;
        for (int j = 0; j < m; ++j)
            if (!IsZero(v[j]) && !IsZero(g[i * m + j])) s = Add(s, Mul(g[i * m + j], v[j]));
        out[i] = s;
    }
    return out;
}

// Corrections from the floating solve, each checked by the exact residual, until a's bound is
// below 2^-targetBits of its size, the residual is 0 or the corrections stop paying.
void FitModel::Impl::Refine(int targetBits) {
    const unsigned keep = Bits() + 64;
    Bound previous = -1;
    for (int step = 0; step < 64; ++step) {
        if (AllZero(residual)) {
            exact = true;
            break;
        }
        aError = Up(inverseNorm * Norm2(residual));
        const Bound size = Norm2(a);
        if (step > 0 && aError <= mp::ldexp(size, -targetBits)) break;
        if (previous >= 0 && aError > previous / 4) break;  // this precision gives no more
        previous = aError;
        std::vector<Fraction> correction = solver->Solve(residual);
        for (int i = 0; i < m; ++i) a[i] = Add(a[i], Shorten(correction[i], keep));
        std::vector<Fraction> ga = Times(a);
        for (int i = 0; i < m; ++i) residual[i] = Sub(b[i], ga[i]);
    }
    // Exact data often has an optimum of short binary fractions: try a rounded to fewer bits.
    for (unsigned length = 64; !exact && length <= Bits(); length *= 2) {
        std::vector<Fraction> candidate(m);
        for (int i = 0; i < m; ++i) candidate[i] = Nearest(a[i], length);
        std::vector<Fraction> r = Times(candidate);
        for (int i = 0; i < m; ++i) r[i] = Sub(b[i], r[i]);
        if (!AllZero(r)) continue;
        a = std::move(candidate);
        residual = std::move(r);
        exact = true;
    }
    aError = exact ? Bound(0) : Up(inverseNorm * Norm2(residual));
    Derive();
}

// How small a nonzero exact value of these sums can be. With G, b and y.y integers times
// powers of two (2^σG, 2^σb, 2^σy), det(G / 2^σG) is an integer that Hadamard's bound caps, and
//   RSS det(G / 2^σG) / 2^min(σy, 2σb - σG)        and
//   c_j det(G / 2^σG) / 2^(σb - σG + σT_j)          (σT_j: the least exponent of row j of toX)
// are integers: a nonzero RSS is at least 2^rssGap, a nonzero c_j at least 2^coefficientGap[j].
void FitModel::Impl::FindGaps() {
    int64_t sigmaG = INT64_MAX;
    int64_t sigmaB = INT64_MAX;
    for (const Fraction& d : g)
        if (!IsZero(d)) sigmaG = std::min(sigmaG, d.exponent);
    for (const Fraction& d : b)
        if (!IsZero(d)) sigmaB = std::min(sigmaB, d.exponent);
    rssGap = -HUGE_VAL;
    coefficientGap.assign(degree + 1, -HUGE_VAL);
    if (sigmaG == INT64_MAX || sigmaB == INT64_MAX) return;
    const int64_t sigmaY = IsZero(ySquares) ? 2 * sigmaB - sigmaG : ySquares.exponent;
    Bound logDeterminant = 0;
    for (int i = 0; i < m; ++i) {
        std::vector<Fraction> row(g.begin() + i * m, g.begin() + (i + 1) * m);
        logDeterminant += Up(mp::log2(Norm2(row)));
    }
    const double scaled = static_cast<double>(Up(logDeterminant - Bound(static_cast<double>(m * sigmaG)))) + 2;
    rssGap = static_cast<double>(std::min(sigmaY, 2 * sigmaB - sigmaG)) - scaled;
    for (int j = 0; j <= degree; ++j) {
        int64_t sigmaT = INT64_MAX;
        for (const Fraction& d : toX[j])
            if (!IsZero(d)) sigmaT = std::min(sigmaT, d.exponent);
        if (sigmaT != INT64_MAX) coefficientGap[j] = static_cast<double>(sigmaB - sigmaG + sigmaT) - scaled;
    }
}

static Fraction Magnitude2(const Fraction& d) { return {mp::abs(d.mantissa), d.exponent}; }

// Below 2^gap: then 0 exactly.
static bool BelowGap(const Fraction& magnitude, double gap) {
    return std::isfinite(gap) && gap > -1e9 && Magnitude(magnitude) < mp::ldexp(Bound(1), static_cast<int>(gap));
}

void FitModel::Impl::Derive() {
    // |y - W a|^2 = y.y - a.B - a.g, exactly; the optimum's is less by g^T G^-1 g.
    rssHigh = Sub(Sub(ySquares, Dot(a, b)), Dot(a, residual));
    if (exact) {
        rssLow = rssHigh;
    } else {
        const Bound r = Norm2(residual);
        rssLow = Max0(Sub(rssHigh, UpperFraction(Up(r * r * inverseNorm))));
    }
    // As many observations as coefficients: the optimum passes through every point.
    zeroResidual = (exact && IsZero(rssHigh)) || DegreesOfFreedom() == 0;
    if (zeroResidual) rssLow = rssHigh = Fraction{};
    if (!zeroResidual && IsZero(rssLow) && BelowGap(rssHigh, rssGap)) {
        zeroResidual = true;
        rssHigh = Fraction{};
    }
    c.assign(degree + 1, Fraction{});
    cError.assign(degree + 1, Fraction{});
    for (int j = 0; j <= degree; ++j) {
        c[j] = Dot(toX[j], a);
        cError[j] = exact ? Fraction{} : UpperFraction(Norm2(toX[j]) * aError);
        if (!exact && BelowGap(Add(Magnitude2(c[j]), cError[j]), coefficientGap[j]))
            c[j] = cError[j] = Fraction{};
    }
    // Through every point, the constant is the Y at X = 0 where 0 is one of the X: exactly.
    if (DegreesOfFreedom() == 0 && !throughOrigin && !exact && yAtZero) {
        c[0] = FromDouble(*yAtZero);
        cError[0] = Fraction{};
    }
}

// The refinement's aim: 256 more bits each round, and from the second round on, far enough
// for the values whose bounds reach 0 to fall below their gaps (where they are 0).
int FitModel::Impl::TargetBits() const {
    int target = static_cast<int>(Bits()) + 64 + 256 * effort;
    if (effort < 2 || exact) return target;
    const double aSize = static_cast<double>(mp::log2(Norm2(a) + mp::ldexp(Bound(1), -4000)));
    for (int j = 0; j <= degree; ++j) {
        if (IsZero(cError[j]) || Compare(Magnitude2(c[j]), cError[j]) > 0 || !std::isfinite(coefficientGap[j])) continue;
        const double toXSize = static_cast<double>(mp::log2(Norm2(toX[j])));
        target = std::max(target, static_cast<int>(aSize + toXSize - coefficientGap[j]) + 8);
    }
    if (IsZero(rssLow) && !zeroResidual && std::isfinite(rssGap)) {
        Bound gSize = 0;
        for (const Fraction& d : g) gSize = std::max(gSize, Magnitude(d));
        const double gLog = static_cast<double>(mp::log2(Up(gSize * m)));
        target = std::max(target, static_cast<int>(aSize + (gLog - rssGap) / 2) + 8);
    }
    return std::min(target, 40000);
}

std::pair<std::vector<Fraction>, std::vector<Fraction>> FitModel::Impl::Correct(const std::vector<Fraction>& u) const {
    const unsigned keep = Bits() + 64;
    std::vector<Fraction> z(m);
    std::vector<Fraction> r = u;
    for (int step = 0; step < 1 + effort; ++step) {
        if (AllZero(r)) break;
        const std::vector<Fraction> dz = solver->Solve(r);
        for (int i = 0; i < m; ++i) z[i] = Add(z[i], Shorten(dz[i], keep));
        const std::vector<Fraction> gz = Times(z);
        for (int i = 0; i < m; ++i) r[i] = Sub(u[i], gz[i]);
    }
    return {std::move(z), std::move(r)};
}

// u = G z + r: u^T G^-1 u = z.(u + r) + r^T G^-1 r, the last in [0, |r|² ||G^-1||].
Range FitModel::Impl::QuadraticForm(const std::vector<Fraction>& u) const {
    const auto [z, r] = Correct(u);
    std::vector<Fraction> sum(m);
    for (int i = 0; i < m; ++i) sum[i] = Add(u[i], r[i]);
    const Fraction low = Dot(z, sum);
    const Bound rn = Norm2(r);
    return {low, Add(low, UpperFraction(rn * rn * inverseNorm))};
}

std::vector<Fraction> FitModel::Impl::BasisAt(const Fraction& t) const {
    std::vector<Fraction> v;
    Fraction power = FromInteger(1);
    int p = 0;
    for (int wanted : powers) {
        for (; p < wanted; ++p) power = Mul(power, t);
        v.push_back(power);
    }
    return v;
}

Fraction FitModel::Impl::TOf(double x) const { return Scale2(Sub(FromDouble(x), center), -shift); }

Range FitModel::Impl::FittedAt(const std::vector<Fraction>& basis) const {
    const Fraction fitted = Dot(basis, a);
    const Fraction error = exact ? Fraction{} : UpperFraction(Norm2(basis) * aError);
    return {Sub(fitted, error), Add(fitted, error)};
}

std::optional<double> FitModel::Impl::Quantile(double level) const {
    const auto found = quantiles.find(level);
    if (found != quantiles.end()) return found->second;
    const std::optional<double> t = StudentQuantile(DegreesOfFreedom(), level);
    quantiles.emplace(level, t);
    return t;
}

// ---- Settling values ---------------------------------------------------------------------------

namespace {

Statistic Classified(double value, bool provedNonzero) {
    if (std::isinf(value)) return Statistic::Missing(Unavailable::BeyondDouble);
    if (value == 0 && provedNonzero) return Statistic::Missing(Unavailable::BelowDouble);
    return value == 0 ? 0.0 : value;
}

}  // namespace

Statistic SettleRange(const Range& r, bool& settled) {
    const std::optional<double> v = RoundRange(r.low, r.high);
    if (!v) {
        settled = false;
        return Statistic::Missing(Unavailable::NotSettled);
    }
    const bool nonzero = Sign(r.low) == Sign(r.high) && Sign(r.low) != 0;
    return Classified(*v, nonzero);
}

Statistic SettleForms(const Form& low, const Form& high, bool& settled, bool provedNonzero) {
    const std::optional<double> v = RoundBetween(low, high);
    if (!v) {
        settled = false;
        return Statistic::Missing(Unavailable::NotSettled);
    }
    const int sign = SignOf(low);
    return Classified(*v, provedNonzero || (sign != 0 && sign == SignOf(high)));
}

// ---- The model -------------------------------------------------------------------------------

FitModel::FitModel(PointsView points, const ExactSums& sums, int degree, bool throughOrigin)
    : impl_(std::make_unique<Impl>()) {
    Impl& s = *impl_;
    s.points = points;
    s.throughOrigin = throughOrigin;
    s.degree = degree;
    s.n = points.count;
    s.weighted = points.w != nullptr;
    s.anyZeroWeight = points.w && std::any_of(points.w, points.w + points.count, [](double w) { return w == 0; });
    for (long long k = 0; k < points.count; ++k)
        if (points.x[k] == 0) {
            s.yAtZero = points.y[k];
            break;
        }
    for (int p = throughOrigin ? 1 : 0; p <= degree; ++p) s.powers.push_back(p);
    s.m = static_cast<int>(s.powers.size());
    if (s.m < 1 || static_cast<int>(sums.moments.size()) < degree + 1) return;
    s.distinct = DistinctXCount(points, throughOrigin);
    s.Build(sums);
}

FitModel::FitModel(const PartSums& whole, const ExactSums& sums, int degree, bool throughOrigin)
    : impl_(std::make_unique<Impl>()) {
    Impl& s = *impl_;
    s.whole = &whole;
    s.throughOrigin = throughOrigin;
    s.degree = degree;
    s.n = whole.count;
    s.weighted = whole.weighted;
    s.anyZeroWeight = whole.zeroWeights > 0;
    s.yAtZero = whole.yAtZero;
    for (int p = throughOrigin ? 1 : 0; p <= degree; ++p) s.powers.push_back(p);
    s.m = static_cast<int>(s.powers.size());
    if (s.m < 1 || static_cast<int>(sums.moments.size()) < degree + 1 || whole.terms < degree + 1) return;
    s.distinct = DistinctXOf(whole, throughOrigin);
    s.Build(sums);
}

void FitModel::Impl::Build(const ExactSums& sums) {
    Impl& s = *this;
    s.center = sums.center;
    s.shift = sums.shift;
    if (s.distinct < s.m) return;
    s.g.resize(static_cast<size_t>(s.m) * s.m);
    for (int i = 0; i < s.m; ++i) {
        s.b.push_back(sums.moments[s.powers[i]]);
        for (int j = 0; j < s.m; ++j) s.g[i * s.m + j] = sums.powerSums[s.powers[i] + s.powers[j]];
    }
    s.ySquares = sums.ySquares;
    s.ySum = sums.ySum;
    s.weightTotal = sums.powerSums[0];
    // t^i = sum over j of C(i, j) x^j (-center)^(i-j) 2^(-shift i)
    s.toX.assign(degree + 1, std::vector<Fraction>(s.m));
    // (the gaps below which an exact value is 0 are found once toX is known)
    const Fraction minusCenter = Negate(s.center);
    for (int k = 0; k < s.m; ++k) {
        const int i = s.powers[k];
        Int binomial = 1;
        for (int j = i; j >= 0; --j) {
            // C(i, j) (-center)^(i - j)
            Fraction term{binomial, 0};
            for (int e = 0; e < i - j; ++e) term = Mul(term, minusCenter);
            s.toX[j][k] = Scale2(term, -static_cast<int64_t>(s.shift) * i);
            if (j > 0) binomial = binomial * j / (i - j + 1);
        }
    }
    s.FindGaps();
    // Higher degrees need more precision from the start.
    for (int r = s.m <= 12 ? 0 : 1; r < 3 && !s.solved; ++r) s.SolveAt(r);
}

FitModel::~FitModel() = default;
FitModel::FitModel(FitModel&&) noexcept = default;

bool FitModel::Solved() const { return impl_->solved; }

CurveInterval FitModel::At(double x, double level) const {
    Impl& s = *impl_;
    if (!s.solved) return {};
    const long long df = s.DegreesOfFreedom();
    const auto tq = s.Quantile(level);
    const Fraction dfD = FromInteger(std::max<long long>(df, 1));
    for (;;) {
        bool settled = true;
        const std::vector<Fraction> v = s.BasisAt(s.TOf(x));
        const Range fitted = s.FittedAt(v);
        CurveInterval out;
        out.fitted = SettleRange(fitted, settled);
        const Unavailable none = df == 0 ? Unavailable::NoDegreesOfFreedom : Unavailable::None;
        if (none != Unavailable::None) {
            out.confidenceLow = out.confidenceHigh = out.predictionLow = out.predictionHigh = Statistic::Missing(none);
        } else if (tq) {
            const Range h = s.QuadraticForm(v);
            const Fraction t = FromDouble(*tq);
            const Fraction yLow = Mul(fitted.low, dfD);
            const Fraction yHigh = Mul(fitted.high, dfD);
            const Fraction one = FromInteger(1);
            // fitted ± t sqrt(RSS h / df) = (fitted df ± t sqrt(RSS h df)) / df; 1 + h for a new observation
            for (int prediction = 0; prediction < 2; ++prediction) {
                const Fraction low = Mul(Mul(s.rssLow, prediction ? Add(one, h.low) : h.low), dfD);
                const Fraction high = Mul(Mul(s.rssHigh, prediction ? Add(one, h.high) : h.high), dfD);
                const Statistic below = SettleForms({yLow, Negate(t), high, dfD}, {yHigh, Negate(t), low, dfD}, settled);
                const Statistic above = SettleForms({yLow, t, low, dfD}, {yHigh, t, high, dfD}, settled);
                (prediction ? out.predictionLow : out.confidenceLow) = below;
                (prediction ? out.predictionHigh : out.confidenceHigh) = above;
            }
        }
        if (settled || !s.MoreWork()) return out;
    }
}

// ---- Distinct X ------------------------------------------------------------------------------

namespace {

// The X of the points that count in a fit (those of nonzero weight), sorted: in place when
// they are (as every fit has them) and no weight is 0, else as a sorted copy.
const double* SortedWeightedX(PointsView points, std::vector<double>& copy, long long& count) {
    const bool everyWeighted = !points.w || std::none_of(points.w, points.w + points.count, [](double w) { return w == 0; });
    count = points.count;
    if (everyWeighted && std::is_sorted(points.x, points.x + points.count)) return points.x;
    copy.clear();
    for (long long k = 0; k < points.count; ++k)
        if (!points.w || points.w[k] != 0) copy.push_back(points.x[k]);
    std::sort(copy.begin(), copy.end());
    count = static_cast<long long>(copy.size());
    return copy.data();
}

}  // namespace

long long DistinctXCount(PointsView points, bool nonzeroOnly) {
    std::vector<double> copy;
    long long n = 0;
    const double* x = SortedWeightedX(points, copy, n);
    long long count = 0;
    for (long long k = 0; k < n; ++k)
        if ((k == 0 || x[k] != x[k - 1]) && !(nonzeroOnly && x[k] == 0)) ++count;
    return count;
}

}  // namespace plorimet
