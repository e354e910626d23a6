#include "fit/observation_pass.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <mutex>

#include "fit/fit_model_impl.h"
#include "fit/part_sums.h"

namespace plorimet {

using namespace binary_fraction;
using namespace exact_rounding;

namespace {

// ---- Double-double arithmetic --------------------------------------------------------------
// A value hi + lo with |lo| <= ulp(hi) / 2. Each product, quotient and reciprocal below is
// within 2^-102 of its exact result (relative; Joldes, Muller and Popescu's bounds for these
// algorithms); the error bounds take 2^-100 a step.
struct DD {
    double hi = 0.0;
    double lo = 0.0;
};
constexpr double kStep = 0x1p-100;

inline DD QuickTwoSum(double a, double b) {
    const double s = a + b;
    return {s, b - (s - a)};
}
inline DD TwoSum(double a, double b) {
    const double s = a + b;
    const double bb = s - a;
    return {s, (a - (s - bb)) + (b - bb)};
}
template <bool Fma>
inline DD TwoProduct(double a, double b) {
    const double p = a * b;
    if constexpr (Fma) {
        return {p, __builtin_fma(a, b, -p)};
    } else {
        const double split = 134217729.0;  // 2^27 + 1
        const double ca = split * a, cb = split * b;
        const double ah = ca - (ca - a), al = a - ah;
        const double bh = cb - (cb - b), bl = b - bh;
        return {p, al * bl - (((p - ah * bh) - al * bh) - ah * bl)};
    }
}
// Within 2^-102 (|a| + |b|) of a + b (not of |a + b|: the bounds below are absolute).
inline DD DAdd(DD a, DD b) {
    DD s = TwoSum(a.hi, b.hi);
    s.lo += a.lo + b.lo;
    return QuickTwoSum(s.hi, s.lo);
}
inline DD DNeg(DD a) { return {-a.hi, -a.lo}; }
inline DD DSub(DD a, DD b) { return DAdd(a, DNeg(b)); }
template <bool Fma>
inline DD DMul(DD a, DD b) {
    DD p = TwoProduct<Fma>(a.hi, b.hi);
    p.lo += a.hi * b.lo + a.lo * b.hi;
    return QuickTwoSum(p.hi, p.lo);
}
template <bool Fma>
inline DD DDiv(DD a, DD b) {
    const double q1 = a.hi / b.hi;
    DD r = DSub(a, DMul<Fma>(b, {q1, 0.0}));
    const double q2 = r.hi / b.hi;
    r = DSub(r, DMul<Fma>(b, {q2, 0.0}));
    const double q3 = r.hi / b.hi;
    return DAdd(QuickTwoSum(q1, q2), {q3, 0.0});
}
template <bool Fma>
inline DD Reciprocal(DD b) {
    const double q = 1 / b.hi;
    const DD p = TwoProduct<Fma>(b.hi, q);
    const double r = ((1 - p.hi) - p.lo) - b.lo * q;
    return QuickTwoSum(q, r * q);
}
inline double Abs(DD a) { return std::fabs(a.hi); }

template <unsigned Bits>
DD ToDD(const BinaryFloat<Bits>& v) {
    const double hi = static_cast<double>(v);
    return {hi, static_cast<double>(v - BinaryFloat<Bits>(hi))};
}
Fraction FractionOf(DD v) { return Add(FromDouble(v.hi), FromDouble(v.lo)); }

// An upper bound from a few double operations on positive values: past their roundings.
constexpr double kUp = 1 + 0x1p-40;

// The nearest double of v when every value within err of it rounds there.
std::optional<double> SettleDD(DD v, double err) {
    if (!std::isfinite(v.hi) || !std::isfinite(err) || !std::isfinite(v.lo)) return std::nullopt;
    if (v.hi == 0.0) return err * kUp * 2 < 0x1p-1074 ? std::optional<double>(0.0) : std::nullopt;  // within half the least subnormal
    const double up = (std::nextafter(v.hi, HUGE_VAL) - v.hi) / 2;
    const double down = (v.hi - std::nextafter(v.hi, -HUGE_VAL)) / 2;
    if (!std::isfinite(up) || !std::isfinite(down)) return std::nullopt;
    const double above = (v.lo + err) * (v.lo + err > 0 ? kUp : 1 / kUp);
    const double below = (v.lo - err) * (v.lo - err < 0 ? kUp : 1 / kUp);
    if (above < up && below > -down) return v.hi;
    return std::nullopt;
}

// ---- The orthogonal basis of the points ----------------------------------------------------------

// psi_k = t^f pi_k(t), the monic polynomials pi_k orthogonal (to the precision of the
// recurrence's double-double coefficients) under sum w² t^2f p q over the points:
// psi_{k+1} = (t - alpha_k) psi_k - beta_k psi_{k-1}. With E their exact Gram matrix and
// iota_k ~ 1 / E_kk, E = D^1/2 (I + S) D^1/2 for D = diag(1 / iota), and for the first d + 1:
//   h = w² psi' E^-1 psi          within h~ phi_d of h~ = w² sum psi_k² iota_k,
//   fitted = psi' E^-1 c          within eta K_d of sum gamma_k psi_k, eta = sqrt(h~ / w²),
// phi_d = sigma_d / (1 - sigma_d), sigma_d >= ||S_d||, c_k = <y, psi_k>, gamma_k ~ c_k iota_k.
struct Basis {
    bool ok = false;
    int first = 0;   // f: 1 through the origin
    int top = 0;     // the highest k
    double center = 0.0;
    int shift = 0;
    std::vector<DD> alpha, beta, iota, gamma;
    std::vector<double> phi, reach;  // phi_d and K_d for each k = d
};

using Wide = BinaryFloat<512>;

// Chebyshev's algorithm from the moments mu, in 512 bits: the recurrence's alpha and beta as
// double-doubles, each step continued from the rounded values; false where a norm is not positive.
bool Recurrence(const std::vector<Wide>& muF, int top, Basis& basis) {
    basis.alpha.assign(std::max(top, 0), DD{});
    basis.beta.assign(std::max(top, 0), DD{});
    std::vector<Wide> before(2 * top + 2, Wide(0)), current = muF;
    current.resize(2 * top + 2, Wide(0));
    Wide alphaPrev = 0, betaPrev = 0;
    for (int k = 0; k < top; ++k) {
        if (k > 0) {
            std::vector<Wide> next(2 * top + 2, Wide(0));
            for (int l = k; l <= 2 * top - k; ++l)
                next[l] = current[l + 1] - alphaPrev * current[l] - (k > 1 ? betaPrev * before[l] : Wide(0));
            before = std::move(current);
            current = std::move(next);
        }
        if (!(current[k] > 0) || (k > 0 && !(before[k - 1] > 0))) return false;
        const Wide alpha = current[k + 1] / current[k] - (k > 0 ? before[k] / before[k - 1] : Wide(0));
        const Wide beta = k > 0 ? current[k] / before[k - 1] : Wide(0);
        basis.alpha[k] = ToDD(alpha);
        basis.beta[k] = ToDD(beta);
        alphaPrev = ToFloat<512>(FractionOf(basis.alpha[k]));
        betaPrev = ToFloat<512>(FractionOf(basis.beta[k]));
    }
    return true;
}

// The monomial coefficients of pi_k, exactly.
std::vector<std::vector<Fraction>> MonomialCoefficients(const Basis& basis, int top) {
    std::vector<std::vector<Fraction>> p(top + 1);
    p[0] = {FromInteger(1)};
    for (int k = 0; k < top; ++k) {
        const Fraction a = FractionOf(basis.alpha[k]);
        const Fraction b = FractionOf(basis.beta[k]);
        std::vector<Fraction> next(k + 2);
        for (int j = 0; j <= k; ++j) {
            next[j + 1] = Add(next[j + 1], p[k][j]);
            next[j] = Sub(next[j], Mul(a, p[k][j]));
            if (k > 0 && j < k) next[j] = Sub(next[j], Mul(b, p[k - 1][j]));
        }
        p[k + 1] = std::move(next);
    }
    return p;
}

// E = P' M P in 512 bits, each entry within gamma(2 top + 4) of the products of the magnitudes,
// with P in 512 bits and its magnitudes beside it (for c = P' nu).
struct Gram {
    std::vector<std::vector<Wide>> pF, e;
    std::vector<std::vector<Bound>> pA, eErr;
    Bound gammaE = 0;
};

Gram GramOf(const std::vector<std::vector<Fraction>>& p, const std::vector<Fraction>& mu,
            const std::vector<Wide>& muF, int top) {
    const int size = top + 1;
    Gram gram;
    gram.pF.resize(size);
    gram.pA.resize(size);
    std::vector<std::vector<Wide>> v(size, std::vector<Wide>(size, Wide(0)));
    std::vector<std::vector<Bound>> vA(size, std::vector<Bound>(size, Bound(0)));
    for (int k = 0; k < size; ++k)
        for (const Fraction& e : p[k]) {
            gram.pF[k].push_back(ToFloat<512>(e));
            gram.pA[k].push_back(Magnitude(e));
        }
    std::vector<Bound> muA(mu.size());
    for (size_t q = 0; q < mu.size(); ++q) muA[q] = Magnitude(mu[q]);
    for (int k = 0; k < size; ++k)
        for (int j = 0; j < size; ++j)
            for (int i = 0; i <= k; ++i) {
                v[k][j] += gram.pF[k][i] * muF[i + j];
                vA[k][j] += gram.pA[k][i] * muA[i + j];
            }
    const Bound unit = mp::ldexp(Bound(1), -508);
    gram.gammaE = Up(unit * (2 * top + 8));
    gram.e.assign(size, std::vector<Wide>(size, Wide(0)));
    gram.eErr.assign(size, std::vector<Bound>(size, Bound(0)));
    for (int k = 0; k < size; ++k)
        for (int l = k; l < size; ++l) {
            Bound magnitude = 0;
            for (int j = 0; j <= l; ++j) {
                gram.e[k][l] += v[k][j] * gram.pF[l][j];
                magnitude += vA[k][j] * gram.pA[l][j];
            }
            gram.e[l][k] = gram.e[k][l];
            gram.eErr[k][l] = gram.eErr[l][k] = Up(Up(magnitude) * gram.gammaE);
        }
    return gram;
}

// iota, gamma and the bounds phi_d and K_d of each degree; false where S is not small.
bool Bounds(const Gram& gram, const std::vector<Fraction>& nu, int top, Basis& basis) {
    const int size = top + 1;
    basis.iota.resize(size);
    basis.gamma.resize(size);
    basis.phi.resize(size);
    basis.reach.resize(size);
    std::vector<Bound> iotaB(size);
    for (int k = 0; k < size; ++k) {
        if (!(Bound(gram.e[k][k]) > Up(gram.eErr[k][k]) * 2)) return false;
        basis.iota[k] = ToDD(Wide(1) / gram.e[k][k]);
        iotaB[k] = Up(Bound(ToFloat<512>(FractionOf(basis.iota[k]))));
    }
    Bound sigmaSquares = 0;
    Bound cSquares = 0;
    Bound cErrSquares = 0;
    for (int d = 0; d < size; ++d) {
        for (int k = 0; k <= d; ++k) {
            const Wide iotaK = ToFloat<512>(FractionOf(basis.iota[k]));
            const Wide iotaD = ToFloat<512>(FractionOf(basis.iota[d]));
            const Wide off = k == d ? gram.e[d][d] * iotaD - 1 : gram.e[k][d] * mp::sqrt(iotaK * iotaD);
            const Bound s = Up(Up(mp::abs(Bound(off))) + Up(gram.eErr[k][d] * Up(mp::sqrt(iotaB[k] * iotaB[d]))));
            sigmaSquares += (k == d ? 1 : 2) * s * s;
        }
        Wide cd = 0;
        Bound cdA = 0;
        for (int i = 0; i <= d; ++i) {
            cd += gram.pF[d][i] * ToFloat<512>(nu[i]);
            cdA += gram.pA[d][i] * Magnitude(nu[i]);
        }
        const Bound cdErr = Up(Up(cdA) * gram.gammaE);
        basis.gamma[d] = ToDD(cd * ToFloat<512>(FractionOf(basis.iota[d])));
        const Bound cdB = Up(mp::abs(Bound(cd)));
        cSquares += cdB * cdB * iotaB[d];
        cErrSquares += cdErr * cdErr * iotaB[d];
        const Bound sigma = Up(mp::sqrt(Up(sigmaSquares)));
        if (!(sigma < Bound(1) / 1024)) return false;
        const Bound phi = Up(sigma / Down(1 - sigma));
        const Bound cErr = Up(mp::sqrt(Up(cErrSquares)));
        basis.phi[d] = static_cast<double>(phi) * kUp;
        basis.reach[d] = static_cast<double>(Up(phi * (Up(mp::sqrt(Up(cSquares))) + cErr) + cErr)) * kUp;
    }
    return true;
}

Basis BasisOf(const FitModel::Impl& s) {
    Basis basis;
    basis.first = s.throughOrigin ? 1 : 0;
    const int top = s.m - 1;
    basis.top = top;
    basis.center = RoundToDouble(s.center);
    basis.shift = s.shift;
    if (Compare(FromDouble(basis.center), s.center) != 0) return basis;
    // Moments mu_p = sum w² t^(2f + p) and nu_p = sum w² t^(f + p) y.
    std::vector<Fraction> mu(2 * top + 1);
    for (int p = 0; p <= 2 * top; ++p) mu[p] = p <= top ? s.g[p] : s.g[(p - top) * s.m + top];
    std::vector<Wide> muF(mu.size());
    for (size_t p = 0; p < mu.size(); ++p) muF[p] = ToFloat<512>(mu[p]);
    if (!Recurrence(muF, top, basis)) return basis;
    const Gram gram = GramOf(MonomialCoefficients(basis, top), mu, muF, top);
    basis.ok = Bounds(gram, s.b, top, basis);
    return basis;
}

// ---- The pass --------------------------------------------------------------------------------

// The recurrence at one point with its running error bounds, calling visit(k, fitted,
// fittedErr, unweighted leverage, its error) for k = 0..top; false where the point needs the
// exact path. The leverage is summed in double-double or, where a PRESS term needs it only to
// the accuracy of 1 - h for small h, in double.
template <bool Fma, bool FullLeverage, typename Visit>
inline bool WalkPoint(const Basis& basis, double x, Visit&& visit) {
    constexpr double kDouble = 0x1p-53;
    const DD dx = TwoSum(x, -basis.center);
    const DD t{std::ldexp(dx.hi, -basis.shift), std::ldexp(dx.lo, -basis.shift)};
    if (std::ldexp(t.lo, basis.shift) != dx.lo || !std::isfinite(t.hi)) return false;
    DD psiBefore{};
    DD psi = basis.first ? t : DD{1.0, 0.0};
    double errBefore = 0;
    double err = 0;
    DD fitted{};
    double fittedErr = 0;
    DD hu{};  // unweighted leverage sum psi_k² iota_k
    double huErr = 0;
    for (int k = 0;; ++k) {
        const DD term = DMul<Fma>(basis.gamma[k], psi);
        fittedErr += Abs(basis.gamma[k]) * err + kStep * (2 * Abs(term) + Abs(fitted));
        fitted = DAdd(fitted, term);
        const double propagated = Abs(basis.iota[k]) * (2 * Abs(psi) * err + err * err);
        if constexpr (FullLeverage) {
            const DD part = DMul<Fma>(DMul<Fma>(psi, psi), basis.iota[k]);
            huErr += propagated + kStep * (3 * Abs(part) + Abs(hu));
            hu = DAdd(hu, part);
        } else {
            const double part = psi.hi * psi.hi * basis.iota[k].hi;
            hu.hi += part;
            huErr += propagated + kDouble * (6 * part + hu.hi);
        }
        if (!visit(k, fitted, fittedErr * kUp, hu, huErr * kUp)) return false;
        if (k == basis.top) return true;
        const DD s = DSub(t, basis.alpha[k]);
        const DD m1 = DMul<Fma>(s, psi);
        const DD m2 = DMul<Fma>(basis.beta[k], psiBefore);
        const DD next = DSub(m1, m2);
        const double nextErr = Abs(s) * err + Abs(basis.beta[k]) * errBefore +
                               kStep * ((Abs(t) + Abs(basis.alpha[k])) * Abs(psi) + 2 * Abs(m1) + 2 * Abs(m2));
        psiBefore = psi;
        errBefore = err;
        psi = next;
        err = nextErr * kUp;
        if (!std::isfinite(err) || !std::isfinite(psi.hi)) return false;
    }
}

// The sum of PRESS terms over part of the points for each degree, with its error bound, and
// the points the pass leaves to the exact path.
struct PressSums {
    std::vector<DD> sum;
    std::vector<double> err;
    std::vector<std::vector<long long>> hard;
};

template <bool Fma, bool FullLeverage>
void PressPart(const Basis& basis, PointsView points, int firstK, long long begin, long long end, PressSums& out) {
    constexpr double kDouble = 0x1p-53;
    const int count = basis.top - firstK + 1;
    out.sum.assign(count, DD{});
    out.err.assign(count, 0.0);
    out.hard.assign(count, {});
    for (long long i = begin; i < end; ++i) {
        const double w = points.w ? points.w[i] : 1.0;
        if (w == 0) continue;  // its term is 0
        const DD w2 = TwoProduct<Fma>(w, w);
        const double y = points.y[i];
        // Squares that could leave the range where the bounds' relative errors hold go the exact way.
        const bool inRange = std::fabs(w) > 0x1p-400 && std::fabs(w) < 0x1p400;
        const bool walked = inRange && WalkPoint<Fma, FullLeverage>(basis, points.x[i], [&](int k, DD fitted, double fittedErr, DD hu, double huErr) {
            if (k < firstK) return true;
            const int d = k - firstK;
            DD rest;
            double restErr;
            if constexpr (FullLeverage) {
                const DD h = DMul<Fma>(w2, hu);
                restErr = (w2.hi * (huErr + Abs(hu) * basis.phi[k]) + kStep * (2 * Abs(h) + 1)) * kUp;
                rest = DSub({1.0, 0.0}, h);
            } else {
                const double h = w * w * hu.hi;
                restErr = (w2.hi * (huErr + hu.hi * basis.phi[k]) + 3 * kDouble * h) * kUp;
                rest = TwoSum(1.0, -h);
            }
            const double eta = std::sqrt(Abs(hu)) * kUp;
            const DD e = DSub({y, 0.0}, fitted);
            const double eErr = (fittedErr + eta * basis.reach[k] + kStep * (std::fabs(y) + Abs(fitted))) * kUp;
            const DD we = points.w ? DMul<Fma>({w, 0.0}, e) : e;
            const double weErr = (std::fabs(w) * eErr + kStep * Abs(we)) * kUp;
            const bool squareInRange = (Abs(we) == 0 || Abs(we) > 0x1p-400) && Abs(we) + weErr < 0x1p400;
            if (!(rest.hi > 0) || !(restErr < rest.hi * 0x1p-20) || !squareInRange) {
                out.hard[d].push_back(i);  // a leverage near 1
                return true;
            }
            const DD ratio = DMul<Fma>(we, Reciprocal<Fma>(rest));
            const DD term = DMul<Fma>(ratio, ratio);
            double termErr;
            if (Abs(we) != 0 && weErr <= Abs(we) * 0x1p-20) {
                const double relative = (weErr / Abs(we) + restErr / rest.hi + 3 * kStep) * (1 + 0x1p-18);
                termErr = term.hi * (2 * relative + 2 * kStep) * (1 + 0x1p-18);
            } else {
                // A residual lost in its bound: the term lies in [0, ((|we| + weErr) / (rest - restErr))²].
                const double most = (Abs(we) + weErr) / (rest.hi - restErr) * kUp;
                termErr = most * most * kUp + term.hi;
            }
            out.sum[d] = DAdd(out.sum[d], term);
            out.err[d] += termErr;
            return true;
        });
        if (!walked)
            for (int d = 0; d < count; ++d) out.hard[d].push_back(i);
    }
}

#if defined(__x86_64__) || defined(__i386__)
#define PLORIMET_FMA_VARIANT __attribute__((target("fma"), flatten))
#else
#define PLORIMET_FMA_VARIANT
#endif

using PressPartRunner = void (*)(const Basis&, PointsView, int, long long, long long, PressSums&);
PLORIMET_FMA_VARIANT void PressPartFma(const Basis& basis, PointsView points, int firstK, long long begin, long long end,
                                       PressSums& out) {
    PressPart<true, false>(basis, points, firstK, begin, end, out);
}
PLORIMET_FMA_VARIANT void PressPartFmaFull(const Basis& basis, PointsView points, int firstK, long long begin, long long end,
                                           PressSums& out) {
    PressPart<true, true>(basis, points, firstK, begin, end, out);
}
void PressPartPlain(const Basis& basis, PointsView points, int firstK, long long begin, long long end, PressSums& out) {
    PressPart<false, false>(basis, points, firstK, begin, end, out);
}
void PressPartPlainFull(const Basis& basis, PointsView points, int firstK, long long begin, long long end, PressSums& out) {
    PressPart<false, true>(basis, points, firstK, begin, end, out);
}

bool HasFma() {
#if defined(__x86_64__) || defined(__i386__)
    static const bool has = __builtin_cpu_supports("fma");
    return has;
#else
    return false;
#endif
}

// ---- The exact path ------------------------------------------------------------------------

// A point's leverage is 1 exactly when the others leave too few distinct X for the
// coefficients: its X is unique (and not 0 through the origin), its weight not 0, and the
// distinct X are as many as the coefficients.
bool IsFullLeverage(const FitModel::Impl& s, long long i) {
    if (s.distinct > s.m || !s.HasPoints()) return false;
    const double x = s.points.x[i];
    if ((s.points.w && s.points.w[i] == 0) || (s.throughOrigin && x == 0)) return false;
    for (long long k = 0; k < s.n; ++k)
        if (k != i && s.points.x[k] == x && (!s.points.w || s.points.w[k] != 0)) return false;
    return true;
}

bool AnyFullLeverage(const FitModel::Impl& s) {
    if (!s.HasPoints()) return AnyLoneX(*s.whole, s.throughOrigin, s.m);
    if (s.distinct > s.m) return false;
    for (long long i = 0; i < s.n; ++i)
        if (IsFullLeverage(s, i)) return true;
    return false;
}

// One point's exact ranges under the model at its current precision.
struct ExactPoint {
    Range fitted, residual, leverage, weightedResidual;
};

// Point i of `points` (the model's own or a part of its data set).
ExactPoint ExactAt(const FitModel::Impl& s, PointsView points, long long i) {
    ExactPoint p;
    const std::vector<Fraction> v = s.BasisAt(s.TOf(points.x[i]));
    p.fitted = s.FittedAt(v);
    const Fraction y = FromDouble(points.y[i]);
    p.residual = {Sub(y, p.fitted.high), Sub(y, p.fitted.low)};
    const Fraction w = FromDouble(points.w ? points.w[i] : 1.0);
    p.weightedResidual = Sign(w) >= 0 ? Range{Mul(w, p.residual.low), Mul(w, p.residual.high)}
                                      : Range{Mul(w, p.residual.high), Mul(w, p.residual.low)};
    if (IsZero(w)) {
        p.leverage = {};
    } else if (points.x == s.points.x && IsFullLeverage(s, i)) {
        p.leverage = {FromInteger(1), FromInteger(1)};
    } else {
        std::vector<Fraction> u(v.size());
        for (size_t k = 0; k < v.size(); ++k) u[k] = Mul(w, v[k]);
        p.leverage = s.QuadraticForm(u);
        if (Compare(p.leverage.high, FromInteger(1)) > 0) p.leverage.high = FromInteger(1);
        p.leverage.low = Max0(p.leverage.low);
    }
    return p;
}

// The smallest and largest squares of a range.
std::pair<Fraction, Fraction> SquaresOf(const Range& r) {
    const Fraction a = Mul(r.low, r.low);
    const Fraction b = Mul(r.high, r.high);
    const bool straddles = Sign(r.low) <= 0 && Sign(r.high) >= 0;
    return {straddles ? Fraction{} : (Compare(a, b) < 0 ? a : b), Compare(a, b) < 0 ? b : a};
}

// The PRESS term of point i within [low, high] at 192 bits (false: 1 - h not yet bounded away from 0).
bool ExactPressTerm(const ExactPoint& p, BinaryFloat<128>& low, BinaryFloat<128>& high) {
    using F = BinaryFloat<128>;
    const Fraction one = FromInteger(1);
    const Fraction restLow = Sub(one, p.leverage.high);
    const Fraction restHigh = Sub(one, p.leverage.low);
    const auto [eLow, eHigh] = SquaresOf(p.weightedResidual);
    if (IsZero(eHigh)) {
        low = high = 0;
        return true;
    }
    if (Sign(restLow) <= 0) return false;
    const F unit = mp::ldexp(F(1), -124);
    low = ToFloat<128>(eLow) / ToFloat<128>(Mul(restHigh, restHigh)) * (1 - unit);
    high = ToFloat<128>(eHigh) / ToFloat<128>(Mul(restLow, restLow)) * (1 + unit);
    return true;
}

// The PRESS terms of the given points, summed within [low, high] (none while some point's
// leverage is not bounded away from 1 yet).
std::optional<std::pair<Fraction, Fraction>> ExactPressSum(const FitModel::Impl& s, PointsView points,
                                                           const std::vector<long long>& which) {
    using F = BinaryFloat<128>;
    F low = 0;
    F high = 0;
    for (long long i : which) {
        F a, b;
        if (!ExactPressTerm(ExactAt(s, points, i), a, b)) return std::nullopt;
        low += a;
        high += b;
    }
    const F unit = (F(which.size()) + 4) * mp::ldexp(F(1), -124);
    return std::make_pair(ToFraction<128>(low * (1 - unit)), ToFraction<128>(high * (1 + unit)));
}

std::vector<long long> AllPoints(long long n) {
    std::vector<long long> all(n);
    for (long long i = 0; i < n; ++i) all[i] = i;
    return all;
}

// PRESS exactly: every term at 192 bits of the model's exact ranges, more work until settled.
Statistic PressExactly(const FitModel::Impl& s, const std::vector<long long>& which, const Range& rest) {
    auto& model = const_cast<FitModel::Impl&>(s);
    for (;;) {
        const auto sum = ExactPressSum(s, s.points, which);
        if (sum) {
            bool settled = true;
            const Statistic v = SettleRange(Range{Add(sum->first, rest.low), Add(sum->second, rest.high)}, settled);
            if (settled) return v;
        }
        if (!model.MoreWork()) return Statistic::Missing(Unavailable::BeyondDouble);
    }
}

Statistic PressOrReason(const FitModel::Impl& s) {
    if (AnyFullLeverage(s)) return Statistic::Missing(Unavailable::FullLeverage);
    if (s.zeroResidual) return 0.0;
    return Statistic::Missing(Unavailable::None);
}

// ---- Diagnostics -----------------------------------------------------------------------------

struct Spread {
    Fraction dfD, k;
};

// The studentized residual w e sqrt(df) / sqrt(RSS (1 - h)) and Cook's distance
// w² e² df h / (k RSS (1 - h)²) from a point's exact ranges.
void StudentizedAndCooks(const FitModel::Impl& s, const ExactPoint& p, const Spread& spread, bool full, bool weightZero,
                         ObservationDiagnostics& out, bool& settled) {
    if (weightZero) {
        out.studentized = out.cooks = 0.0;
        return;
    }
    if (full) {
        out.studentized = out.cooks = Statistic::Missing(Unavailable::FullLeverage);
        return;
    }
    if (s.DegreesOfFreedom() == 0) {
        out.studentized = out.cooks = Statistic::Missing(Unavailable::NoDegreesOfFreedom);
        return;
    }
    if (s.zeroResidual) {
        out.studentized = out.cooks = Statistic::Missing(Unavailable::ZeroResidual);
        return;
    }
    const Fraction one = FromInteger(1);
    const Fraction restLow = Sub(one, p.leverage.high);
    const Fraction restHigh = Sub(one, p.leverage.low);
    const Range& we = p.weightedResidual;
    if (Sign(restLow) <= 0 || Sign(s.rssLow) <= 0 || (Sign(we.low) < 0 && Sign(we.high) > 0)) {
        settled = false;
        return;
    }
    const bool positive = Sign(we.low) >= 0;
    auto form = [&](const Fraction& e, const Fraction& rss, const Fraction& rest) {
        const Fraction v = Mul(rss, rest);
        return Form{{}, e, Mul(v, spread.dfD), v};
    };
    out.studentized = positive ? SettleForms(form(we.low, s.rssHigh, restHigh), form(we.high, s.rssLow, restLow), settled)
                               : SettleForms(form(we.low, s.rssLow, restLow), form(we.high, s.rssHigh, restHigh), settled);
    const auto [eLow, eHigh] = SquaresOf(we);
    auto cooks = [&](const Fraction& e2, const Fraction& h, const Fraction& rest, const Fraction& rss) {
        return Form{Mul(Mul(e2, spread.dfD), h), {}, {}, Mul(Mul(spread.k, rss), Mul(rest, rest))};
    };
    out.cooks = SettleForms(cooks(eLow, p.leverage.low, restHigh, s.rssHigh), cooks(eHigh, p.leverage.high, restLow, s.rssLow),
                            settled);
}

ObservationDiagnostics ExactDiagnostic(const FitModel::Impl& s, long long i) {
    auto& model = const_cast<FitModel::Impl&>(s);
    const bool weightZero = s.points.w && s.points.w[i] == 0;
    const bool full = IsFullLeverage(s, i);
    for (;;) {
        bool settled = true;
        const ExactPoint p = ExactAt(s, s.points, i);
        ObservationDiagnostics out;
        if (s.zeroResidual && !weightZero) {
            out.fitted = s.points.y[i];
            out.residual = 0.0;
        } else {
            out.fitted = SettleRange(p.fitted, settled);
            out.residual = SettleRange(p.residual, settled);
        }
        out.leverage = SettleRange(p.leverage, settled);
        StudentizedAndCooks(s, p, Spread{FromInteger(std::max<long long>(s.DegreesOfFreedom(), 1)), FromInteger(s.m)}, full,
                            weightZero, out, settled);
        if (settled || !model.MoreWork()) return out;
    }
}

}  // namespace

// ---- PRESS -----------------------------------------------------------------------------------

std::vector<Statistic> PressOfModels(const std::vector<const FitModel*>& models, const WorkSplit& split) {
    std::vector<Statistic> press(models.size());
    if (models.empty()) return press;
    const FitModel::Impl& top = models.back()->Internal();
    std::vector<size_t> pending;
    for (size_t r = 0; r < models.size(); ++r) {
        press[r] = PressOrReason(models[r]->Internal());
        if (!press[r] && press[r].reason == Unavailable::None) pending.push_back(r);
    }
    if (pending.empty()) return press;
    if (kCompactStatistics) {
        for (size_t r : pending) press[r] = PressExactly(models[r]->Internal(), AllPoints(top.points.count), Range{});
        return press;
    }
    const Basis basis = BasisOf(top);
    const int firstK = basis.top - (static_cast<int>(models.size()) - 1);  // k of the first model
    const PointsView points = top.points;
    // The pass with the leverage in double first (enough where every leverage is small), then
    // in double-double, then the exact path, for the degrees each leaves unsettled.
    for (int tier = 0; tier < 2 && basis.ok && firstK >= 0 && !pending.empty(); ++tier) {
        const PressPartRunner run = HasFma() ? (tier ? PressPartFmaFull : PressPartFma) : (tier ? PressPartPlainFull : PressPartPlain);
        std::vector<PressSums> parts(std::max(1, split.pieces));
        const int pieces = static_cast<int>(parts.size());
        split.run(pieces, [&](int piece) {
            run(basis, points, firstK, points.count * piece / pieces, points.count * (piece + 1) / pieces, parts[piece]);
        });
        std::vector<size_t> left;
        for (size_t r : pending) {
            const FitModel::Impl& s = models[r]->Internal();
            DD sum{};
            double err = 0;
            std::vector<long long> hard;
            for (const PressSums& part : parts) {
                sum = DAdd(sum, part.sum[r]);
                err += part.err[r];
                hard.insert(hard.end(), part.hard[r].begin(), part.hard[r].end());
            }
            err = (err + kStep * Abs(sum) * (static_cast<double>(points.count) + 4)) * kUp;
            const Fraction radius = FromDouble(err);
            const Range rest{Sub(FractionOf(sum), radius), Add(FractionOf(sum), radius)};
            if (hard.empty()) {
                bool settled = true;
                const Statistic v = SettleRange(rest, settled);
                if (settled) press[r] = v; else left.push_back(r);
            } else if (hard.size() * 8 < static_cast<size_t>(points.count) || tier == 1) {
                press[r] = PressExactly(s, hard, rest);
            } else {
                left.push_back(r);
            }
        }
        pending = std::move(left);
    }
    for (size_t r : pending) press[r] = PressExactly(models[r]->Internal(), AllPoints(points.count), Range{});
    return press;
}

std::vector<Statistic> PressOfModels(const std::vector<FitModel>& models, const WorkSplit& split) {
    std::vector<const FitModel*> pointers;
    for (const FitModel& m : models) pointers.push_back(&m);
    return PressOfModels(pointers, split);
}

std::optional<Statistic> PressWithoutParts(const FitModel& model) {
    const FitModel::Impl& s = model.Internal();
    if (!s.solved) return Statistic::Missing(Unavailable::NoDegreesOfFreedom);
    const Statistic reason = PressOrReason(s);
    if (reason || reason.reason != Unavailable::None) return reason;
    return std::nullopt;
}

PressBounds PressOfPart(const FitModel& model, PointsView part, bool exactly) {
    const FitModel::Impl& s = model.Internal();
    auto& work = const_cast<FitModel::Impl&>(s);
    Range rest;
    std::vector<long long> hard;
    const Basis basis = exactly || kCompactStatistics ? Basis{} : BasisOf(s);
    if (basis.ok) {
        PressSums sums;
        (HasFma() ? PressPartFmaFull : PressPartPlainFull)(basis, part, basis.top, 0, part.count, sums);
        const double err = (sums.err[0] + kStep * Abs(sums.sum[0]) * (static_cast<double>(part.count) + 4)) * kUp;
        const Fraction radius = FromDouble(err);
        rest = {Sub(FractionOf(sums.sum[0]), radius), Add(FractionOf(sums.sum[0]), radius)};
        hard = std::move(sums.hard[0]);
    } else {
        hard = AllPoints(part.count);
    }
    for (;;) {
        if (const auto sum = ExactPressSum(s, part, hard)) return {Add(sum->first, rest.low), Add(sum->second, rest.high)};
        if (!work.MoreWork()) return {Fraction{}, Fraction{Int(1), 2000}};  // no bound: it does not settle
    }
}

Statistic PressOfParts(const FitModel& model, const std::vector<PressBounds>& parts) {
    if (const auto value = PressWithoutParts(model)) return *value;
    Range total;
    for (const PressBounds& part : parts) total = {Add(total.low, part.low), Add(total.high, part.high)};
    bool settled = true;
    const Statistic value = SettleRange(total, settled);
    return settled ? value : Statistic::Missing(Unavailable::NotSettled);
}

Statistic FitModel::Press() const {
    if (!impl_->solved) return Statistic::Missing(Unavailable::NoDegreesOfFreedom);
    return PressOfModels(std::vector<const FitModel*>{this}).front();
}

Statistic ExactPressOf(const FitModel& model) {
    const FitModel::Impl& s = model.Internal();
    const Statistic reason = PressOrReason(s);
    if (reason || reason.reason != Unavailable::None) return reason;
    return PressExactly(s, AllPoints(s.n), Range{});
}

// ---- Diagnostics -------------------------------------------------------------------------------

namespace {

// The double-double nearest an exact fraction.
DD DDOf(const Fraction& v) {
    const double hi = RoundToDouble(v);
    if (!std::isfinite(hi)) return {hi, 0.0};  // beyond a double: the pass leaves its points to the exact path
    return {hi, RoundToDouble(Sub(v, FromDouble(hi)))};
}

template <bool Fma>
void DiagnosticsPart(const Basis& basis, const FitModel::Impl& s, long long begin, long long end,
                     std::vector<ObservationDiagnostics>& out, std::vector<long long>& hard) {
    const PointsView points = s.points;
    const long long df = s.DegreesOfFreedom();
    // The RSS as a double-double, with its relative error bound.
    const DD rss = DDOf(s.rssHigh);
    const Bound spread = Magnitude(Sub(s.rssHigh, s.rssLow));
    const Bound rssLow = Down(mp::abs(ToFloat<64>(s.rssLow)));
    const double rssRelative = rssLow > 0 ? static_cast<double>(Up(spread / rssLow)) + 0x1p-104 : HUGE_VAL;
    // Why the studentized residual and Cook's distance have no value, for every point.
    Unavailable none = Unavailable::None;
    if (df == 0) none = Unavailable::NoDegreesOfFreedom;
    else if (s.zeroResidual) none = Unavailable::ZeroResidual;
    const bool spreadKnown = none == Unavailable::None && rssRelative < 0x1p-20 && std::isfinite(rss.hi) && rss.hi > 0;
    for (long long i = begin; i < end; ++i) {
        const double w = points.w ? points.w[i] : 1.0;
        const double y = points.y[i];
        ObservationDiagnostics& d = out[i];
        if (w == 0 || (none == Unavailable::None && !spreadKnown)) {
            hard.push_back(i);
            continue;
        }
        const bool walked = WalkPoint<Fma, true>(basis, points.x[i], [&](int k, DD fitted, double fittedErr, DD hu, double huErr) {
            if (k < basis.top) return true;
            const DD w2 = TwoProduct<Fma>(w, w);
            const DD h = DMul<Fma>(w2, hu);
            const double hErr = (w2.hi * (huErr + Abs(hu) * basis.phi[k]) + kStep * Abs(h)) * kUp;
            const double eta = std::sqrt(Abs(hu)) * kUp;
            const double fErr = (fittedErr + eta * basis.reach[k]) * kUp;
            const DD e = DSub({y, 0.0}, fitted);
            const double eErr = (fErr + kStep * (std::fabs(y) + Abs(fitted))) * kUp;
            const DD rest = DSub({1.0, 0.0}, h);
            const double restErr = (hErr + kStep * (1 + Abs(h))) * kUp;
            const auto l = SettleDD(h, hErr);
            if (!l || !(rest.hi > 0) || !(restErr < rest.hi * 0x1p-20)) return false;
            if (s.zeroResidual) {
                // Every weighted residual is 0: these points lie on the curve.
                d.fitted = y;
                d.residual = 0.0;
            } else {
                const auto f = SettleDD(fitted, fErr);
                const auto r = SettleDD(e, eErr);
                if (!f || !r) return false;
                d.fitted = *f;
                d.residual = *r;
            }
            d.leverage = *l;
            if (none != Unavailable::None) {
                d.studentized = d.cooks = Statistic::Missing(none);
                return true;
            }
            const DD we = DMul<Fma>({w, 0.0}, e);
            const double weErr = (std::fabs(w) * eErr + kStep * Abs(we)) * kUp;
            if (!(weErr < Abs(we) * 0x1p-20) || !(Abs(h) > 0)) return false;
            // r = w e sqrt(df / (RSS (1 - h))), D = r² h / (k (1 - h))
            const DD v = DDiv<Fma>({static_cast<double>(df), 0.0}, DMul<Fma>(rss, rest));
            const double rootHi = std::sqrt(v.hi);
            const DD square = TwoProduct<Fma>(rootHi, rootHi);
            const DD root = QuickTwoSum(rootHi, ((v.hi - square.hi) - square.lo + v.lo) / (2 * rootHi));
            const DD studentized = DMul<Fma>(we, root);
            const double relative = weErr / Abs(we) + 0.5 * (restErr / rest.hi + rssRelative) + 8 * kStep;
            const auto st = SettleDD(studentized, Abs(studentized) * relative * (1 + 0x1p-18));
            const DD cooks = DDiv<Fma>(DMul<Fma>(DMul<Fma>(studentized, studentized), h), DMul<Fma>({static_cast<double>(s.m), 0.0}, rest));
            const double cooksRelative = 2 * relative + hErr / Abs(h) + restErr / rest.hi + 8 * kStep;
            const auto co = SettleDD(cooks, Abs(cooks) * cooksRelative * (1 + 0x1p-18));
            if (!st || !co) return false;
            d.studentized = *st;
            d.cooks = *co;
            return true;
        });
        if (!walked) hard.push_back(i);
    }
}

PLORIMET_FMA_VARIANT void DiagnosticsPartFma(const Basis& basis, const FitModel::Impl& s, long long begin,
                                                                long long end, std::vector<ObservationDiagnostics>& out,
                                                                std::vector<long long>& hard) {
    DiagnosticsPart<true>(basis, s, begin, end, out, hard);
}
void DiagnosticsPartPlain(const Basis& basis, const FitModel::Impl& s, long long begin, long long end,
                          std::vector<ObservationDiagnostics>& out, std::vector<long long>& hard) {
    DiagnosticsPart<false>(basis, s, begin, end, out, hard);
}

}  // namespace

std::vector<ObservationDiagnostics> DiagnosticsOf(const FitModel& model, const WorkSplit& split) {
    const FitModel::Impl& s = model.Internal();
    std::vector<ObservationDiagnostics> out(s.solved ? s.n : 0);
    if (!s.solved) return out;
    const Basis basis = kCompactStatistics ? Basis{} : BasisOf(s);
    std::vector<std::vector<long long>> hard(std::max(1, split.pieces));
    if (!kCompactStatistics && basis.ok) {
        const int pieces = static_cast<int>(hard.size());
        split.run(pieces, [&](int piece) {
            const long long begin = s.n * piece / pieces;
            const long long end = s.n * (piece + 1) / pieces;
            (HasFma() ? DiagnosticsPartFma : DiagnosticsPartPlain)(basis, s, begin, end, out, hard[piece]);
        });
    } else {
        hard[0] = AllPoints(s.n);
    }
    for (const auto& part : hard)
        for (long long i : part) out[i] = ExactDiagnostic(s, i);
    return out;
}

std::vector<ObservationDiagnostics> ExactDiagnosticsOf(const FitModel& model) {
    const FitModel::Impl& s = model.Internal();
    std::vector<ObservationDiagnostics> out;
    if (!s.solved) return out;
    for (long long i = 0; i < s.n; ++i) out.push_back(ExactDiagnostic(s, i));
    return out;
}

std::vector<ObservationDiagnostics> FitModel::Observations() const { return DiagnosticsOf(*this); }

}  // namespace plorimet
