// The statistics of a solved model, each settled between its exact bounds, and the comparison
// of degrees.
#include "fit/fit_statistics.h"

#include <algorithm>
#include <climits>
#include <map>
#include <cmath>
#include <numeric>


#include "fit/distributions.h"
#include "fit/equation.h"
#include "fit/exact_sums.h"
#include "fit/fit_model_impl.h"
#include "fit/observation_pass.h"
#include "fit/part_sums.h"

namespace plorimet {

using namespace binary_fraction;
using namespace exact_rounding;

namespace {

// The parts the statistics share in one round of settling.
struct Round {
    const FitModel::Impl& s;
    bool settled = true;
    long long df = 0;
    Fraction dfD;  // df, or 1 without degrees of freedom
    Fraction one = FromInteger(1);
    // z and the exact residual r of G z = u for each x coefficient's row u of toX (estimated powers)
    std::vector<std::pair<std::vector<Fraction>, std::vector<Fraction>>> corrections;
    std::vector<Range> q;  // the diagonal of the inverse in powers of x
    // Tail probabilities settled in an earlier round, by their place: narrower bounds round
    // them alike, so they are not computed again.
    std::map<int, double>& settledTails;

    Round(const FitModel::Impl& model, std::map<int, double>& tails) : s(model), settledTails(tails) {
        df = s.DegreesOfFreedom();
        dfD = FromInteger(std::max<long long>(df, 1));
    }
    Statistic Settle(const Range& r) { return SettleRange(r, settled); }
    Statistic Settle(const Form& low, const Form& high, bool nonzero = false) {
        return SettleForms(low, high, settled, nonzero);
    }
    bool Fixed(int j) const { return s.throughOrigin && j == 0; }
    // Both ends of a range of p-values or tail probabilities settled alike.
    Statistic Beta(int place, long long twiceA, long long twiceB, const Ratio& low, const Ratio& high) {
        const auto known = settledTails.find(place);
        if (known != settledTails.end()) return known->second;
        const std::optional<double> p = RegularizedBetaBetween(twiceA, twiceB, low, high, s.FunctionEffort());
        if (!p) {
            settled = false;
            return Statistic::Missing(Unavailable::NotSettled);
        }
        settledTails.emplace(place, *p);
        return *p;
    }
};

void Basics(Round& r, FitStatistics& out, double level, bool forms) {
    const FitModel::Impl& s = r.s;
    out.throughOrigin = s.throughOrigin;
    out.weighted = s.weighted;
    out.observations = s.n;
    out.estimated = s.m;
    out.degreesOfFreedom = r.df;
    out.level = level;
    if (r.df == 0) {
        out.tQuantile = Statistic::Missing(Unavailable::NoDegreesOfFreedom);
    } else if (!forms) {
        // not asked for
    } else if (auto t = s.Quantile(level)) {
        out.tQuantile = *t;
    } else {
        out.tQuantile = Statistic::Missing(Unavailable::BeyondDouble);
    }
    out.coefficients.assign(s.degree + 1, 0.0);
    for (int j = 0; j <= s.degree; ++j) {
        const Statistic c = r.Settle(Range{Sub(s.c[j], s.cError[j]), Add(s.c[j], s.cError[j])});
        out.coefficients[j] = c ? *c : (c.reason == Unavailable::BeyondDouble ? (Sign(s.c[j]) < 0 ? -HUGE_VAL : HUGE_VAL) : 0.0);
    }
    for (int j = 0; forms && r.df > 0 && j <= s.degree; ++j) {
        if (r.Fixed(j)) {
            r.corrections.emplace_back();
            r.q.push_back({});
            continue;
        }
        r.corrections.push_back(s.Correct(s.toX[j]));
        const auto& [z, res] = r.corrections.back();
        std::vector<Fraction> sum(s.m);
        for (int i = 0; i < s.m; ++i) sum[i] = Add(s.toX[j][i], res[i]);
        const Fraction low = Dot(z, sum);
        const Bound rn = Norm2(res);
        r.q.push_back({low, Add(low, UpperFraction(rn * rn * s.inverseNorm))});
    }
}

// R² = (N - W RSS) / N with N = W yy - (sum y)^2, W the sum of the squared weights (n without
// weights), or 1 - RSS / yy through the origin; the residual standard deviation sqrt(RSS / df).
void Quality(Round& r, FitStatistics& out) {
    const FitModel::Impl& s = r.s;
    out.residualSquares = r.Settle(Range{s.rssLow, s.rssHigh});
    const Fraction total = s.throughOrigin ? s.ySquares : Sub(Mul(s.weightTotal, s.ySquares), Mul(s.ySum, s.ySum));
    const Fraction perRss = s.throughOrigin ? r.one : s.weightTotal;
    if (Sign(total) > 0) {
        out.rSquared = r.Settle({Sub(total, Mul(perRss, s.rssHigh)), {}, {}, total}, {Sub(total, Mul(perRss, s.rssLow)), {}, {}, total});
        if (r.df > 0) {
            // 1 - (RSS / df) / (total / (n - 1)), with n for the uncentred one
            const Fraction scale = Mul(perRss, FromInteger(s.throughOrigin ? s.n : s.n - 1));
            const Fraction e = Mul(total, r.dfD);
            out.adjustedRSquared = r.Settle({Sub(e, Mul(scale, s.rssHigh)), {}, {}, e}, {Sub(e, Mul(scale, s.rssLow)), {}, {}, e});
        } else {
            out.adjustedRSquared = Statistic::Missing(Unavailable::NoDegreesOfFreedom);
        }
    } else {
        out.rSquared = out.adjustedRSquared = Statistic::Missing(Unavailable::ConstantY);
    }
    if (r.df > 0) {
        // sqrt(RSS / df) = sqrt(RSS df) / df
        out.residualDeviation = r.Settle({{}, r.one, Mul(s.rssLow, r.dfD), r.dfD}, {{}, r.one, Mul(s.rssHigh, r.dfD), r.dfD},
                                         Sign(s.rssLow) > 0);
    } else {
        out.residualDeviation = Statistic::Missing(Unavailable::NoDegreesOfFreedom);
    }
}

// Each coefficient: its standard error sqrt(RSS q / df), its confidence interval c ± t se,
// t = c / se and the two-sided p-value I_x(df/2, 1/2) at x = df / (df + t²) = RSS q / (RSS q + c²).
void CoefficientTable(Round& r, FitStatistics& out) {
    const FitModel::Impl& s = r.s;
    out.terms.assign(s.degree + 1, {});
    for (int j = 0; j <= s.degree; ++j) {
        CoefficientStatistics& term = out.terms[j];
        const Unavailable why = r.Fixed(j) ? Unavailable::FixedTerm : (r.df == 0 ? Unavailable::NoDegreesOfFreedom : Unavailable::None);
        if (why != Unavailable::None) {
            term.standardError = term.lower = term.upper = term.tValue = term.pValue = Statistic::Missing(why);
            continue;
        }
        const Range& q = r.q[j];
        const Fraction low = Mul(Mul(s.rssLow, q.low), r.dfD);
        const Fraction high = Mul(Mul(s.rssHigh, q.high), r.dfD);
        term.standardError = r.Settle({{}, r.one, low, r.dfD}, {{}, r.one, high, r.dfD});
        const Fraction cLow = Sub(s.c[j], s.cError[j]);
        const Fraction cHigh = Add(s.c[j], s.cError[j]);
        if (out.tQuantile) {
            const Fraction t = FromDouble(*out.tQuantile);
            const Fraction yLow = Mul(cLow, r.dfD);
            const Fraction yHigh = Mul(cHigh, r.dfD);
            term.lower = r.Settle({yLow, Negate(t), high, r.dfD}, {yHigh, Negate(t), low, r.dfD});
            term.upper = r.Settle({yLow, t, low, r.dfD}, {yHigh, t, high, r.dfD});
        } else {
            term.lower = term.upper = out.tQuantile;
        }
        if (s.zeroResidual) {
            term.tValue = term.pValue = Statistic::Missing(Unavailable::ZeroResidual);
            continue;
        }
        if (IsZero(s.c[j]) && IsZero(s.cError[j])) {
            term.tValue = 0.0;
            term.pValue = 1.0;
            continue;
        }
        const Fraction vLow = Mul(s.rssLow, q.low);   // RSS q at its ends
        const Fraction vHigh = Mul(s.rssHigh, q.high);
        const bool positive = Sign(cLow) > 0;
        if ((!positive && Sign(cHigh) >= 0) || Sign(vLow) <= 0) {
            r.settled = false;  // the sign or the spread not known yet
            term.tValue = term.pValue = Statistic::Missing(Unavailable::NotSettled);
            continue;
        }
        // t = c sqrt(df) / sqrt(RSS q) = c sqrt(df RSS q) / (RSS q)
        auto tForm = [&](const Fraction& cEnd, const Fraction& v) { return Form{{}, cEnd, Mul(v, r.dfD), v}; };
        term.tValue = positive ? r.Settle(tForm(cLow, vHigh), tForm(cHigh, vLow), true)
                               : r.Settle(tForm(cLow, vLow), tForm(cHigh, vHigh), true);
        const Fraction smallest = positive ? cLow : Negate(cHigh);
        const Fraction largest = positive ? cHigh : Negate(cLow);
        term.pValue = r.Beta(j, r.df, 1, {vLow, Add(vLow, Mul(largest, largest))}, {vHigh, Add(vHigh, Mul(smallest, smallest))});
    }
}

// The covariance of the coefficients, RSS / df times (toX G^-1 toX')_ij, each entry from
// u'G^-1v = z_u.v + r_u.z_v + r_u'G^-1 r_v with |r_u'G^-1 r_v| <= |r_u||r_v| ||G^-1||.
void Covariance(Round& r, FitStatistics& out) {
    const FitModel::Impl& s = r.s;
    const int terms = s.degree + 1;
    out.covariance.assign(terms, std::vector<Statistic>(terms));
    std::vector<Bound> residualNorms(terms);
    for (int j = 0; j < terms && r.df > 0; ++j)
        if (!r.Fixed(j)) residualNorms[j] = Norm2(r.corrections[j].second);
    for (int i = 0; i < terms; ++i) {
        for (int j = i; j < terms; ++j) {
            Statistic value;
            if (r.Fixed(i) || r.Fixed(j)) {
                value = Statistic::Missing(Unavailable::FixedTerm);
            } else if (r.df == 0) {
                value = Statistic::Missing(Unavailable::NoDegreesOfFreedom);
            } else {
                Range form = r.q[i];
                if (i != j) {
                    const auto& [zi, ri] = r.corrections[i];
                    const auto& [zj, rj] = r.corrections[j];
                    const Fraction middle = Add(Dot(zi, s.toX[j]), Dot(ri, zj));
                    const Fraction error = UpperFraction(residualNorms[i] * residualNorms[j] * s.inverseNorm);
                    form = {Sub(middle, error), Add(middle, error)};
                }
                Fraction low;
                Fraction high;
                if (Sign(form.low) >= 0) {
                    low = Mul(s.rssLow, form.low);
                    high = Mul(s.rssHigh, form.high);
                } else if (Sign(form.high) <= 0) {
                    low = Mul(s.rssHigh, form.low);
                    high = Mul(s.rssLow, form.high);
                } else {
                    low = Mul(s.rssHigh, form.low);
                    high = Mul(s.rssHigh, form.high);
                }
                value = r.Settle(Form{low, {}, {}, r.dfD}, Form{high, {}, {}, r.dfD});
            }
            out.covariance[i][j] = out.covariance[j][i] = value;
        }
    }
}

// The overall F test: F = ((N - W RSS) / d1) / (W RSS / df) with d1 the coefficients but the
// constant (all of them through the origin, N = yy and W = 1 there); its p-value is the upper
// tail I_x(df/2, d1/2) at x = df / (df + d1 F) = W RSS / N.
void OverallTest(Round& r, FitStatistics& out) {
    const FitModel::Impl& s = r.s;
    const int d1 = s.throughOrigin ? s.m : s.m - 1;
    out.fNumeratorDf = d1;
    const Fraction total = s.throughOrigin ? s.ySquares : Sub(Mul(s.weightTotal, s.ySquares), Mul(s.ySum, s.ySum));
    const Fraction perRss = s.throughOrigin ? r.one : s.weightTotal;
    Unavailable why = Unavailable::None;
    if (d1 == 0) why = Unavailable::NoConstant;
    else if (r.df == 0) why = Unavailable::NoDegreesOfFreedom;
    else if (Sign(total) <= 0) why = Unavailable::ConstantY;
    else if (s.zeroResidual) why = Unavailable::ZeroResidual;
    if (why != Unavailable::None) {
        out.fStatistic = out.fPValue = Statistic::Missing(why);
        return;
    }
    if (Sign(s.rssLow) <= 0) {
        r.settled = false;
        out.fStatistic = out.fPValue = Statistic::Missing(Unavailable::NotSettled);
        return;
    }
    const Fraction d1D = FromInteger(d1);
    auto fForm = [&](const Fraction& rss) {
        return Form{Mul(Sub(total, Mul(perRss, rss)), r.dfD), {}, {}, Mul(Mul(perRss, rss), d1D)};
    };
    out.fStatistic = r.Settle(fForm(s.rssHigh), fForm(s.rssLow));
    out.fPValue = r.Beta(-1, r.df, d1, {Mul(perRss, s.rssLow), total}, {Mul(perRss, s.rssHigh), total});
}

// The sum of ln |w| over the points, within [low, high], at Bits: the mantissas multiplied
// (each product rounded once, so the product is within (1 + u)^n) and the exponents counted.
template <unsigned Bits>
Range LogWeightSum(PointsView points) {
    using F = BinaryFloat<Bits>;
    F product = 1;
    long long exponents = 0;
    for (long long k = 0; k < points.count; ++k) {
        int e = 0;
        const double fraction = std::frexp(std::fabs(points.w[k]), &e);
        product *= F(fraction);
        exponents += e;
        int pe = 0;
        product = mp::frexp(product, &pe);
        exponents += pe;
    }
    const F value = mp::log(product) + F(exponents) * mp::log(F(2));
    const F error = (F(points.count) + F(std::llabs(exponents)) + 64) * mp::ldexp(F(1), -static_cast<int>(Bits) + 40);
    return {ToFraction<Bits>(value - error), ToFraction<Bits>(value + error)};
}

// The same from the tally of partial sums: exponents ln 2 + (mantissas ± error) 2^-kLogUnitBits,
// each end within a unit of Bits of its value.
template <unsigned Bits>
Range LogWeightSumOf(const PartSums& whole) {
    using F = BinaryFloat<Bits>;
    const F exponents = F(whole.logExponents) * mp::log(F(2));
    auto end = [&](const Int& mantissas) { return exponents + mp::ldexp(F(mantissas), -kLogUnitBits); };
    const F unit = mp::ldexp(F(1), -static_cast<int>(Bits) + 8) * (mp::abs(exponents) + mp::abs(end(whole.logMantissas)) + 1);
    return {ToFraction<Bits>(end(whole.logMantissas - whole.logError) - unit),
            ToFraction<Bits>(end(whole.logMantissas + whole.logError) + unit)};
}

// ln L = -n/2 (ln 2π + 1 + ln(RSS/n)) + sum ln |w| and the criteria from it, at Bits: each
// term is within a few units of Bits of its value, so the ends are widened by 2^40 units of
// the largest term.
template <unsigned Bits>
void LikelihoodAt(Round& r, FitStatistics& out) {
    using F = BinaryFloat<Bits>;
    const FitModel::Impl& s = r.s;
    const F n = F(s.n);
    const F k = F(s.m);
    const F logTwoPi = mp::log(2 * Pi<Bits>());
    const F logN = mp::log(n);
    Range weights;
    if (s.weighted) weights = s.HasPoints() ? LogWeightSum<Bits>(s.points) : LogWeightSumOf<Bits>(*s.whole);
    const F weightLow = ToFloat<Bits>(weights.low);
    const F weightHigh = ToFloat<Bits>(weights.high);
    const F unit = mp::ldexp(F(1), -static_cast<int>(Bits) + 40);
    // The values at one end of the RSS and the margin their roundings may take.
    struct Ends {
        F llf, aic, bic, aicc, margin;
    };
    const long long aiccDenominator = s.n - s.m - 1;
    auto at = [&](const Fraction& rss, const F& weight) {
        const F logRss = mp::log(ToFloat<Bits>(rss));
        Ends e;
        e.llf = -n / 2 * (logTwoPi + 1 + logRss - logN) + weight;
        e.aic = -2 * e.llf + 2 * k;
        e.bic = -2 * e.llf + k * logN;
        e.aicc = aiccDenominator > 0 ? e.aic + 2 * k * (k + 1) / F(aiccDenominator) : F(0);
        e.margin = unit * (n * (mp::abs(logTwoPi) + 1 + mp::abs(logRss) + logN) + mp::abs(weight) + 2 * k * (k + 1) + k * logN);
        return e;
    };
    const Ends high = at(s.rssLow, weightHigh);  // the likelihood falls as RSS rises
    const Ends low = at(s.rssHigh, weightLow);
    auto settle = [&](const F& a, const F& b, const F& margin) {
        return r.Settle(Range{ToFraction<Bits>(std::min(a, b) - margin), ToFraction<Bits>(std::max(a, b) + margin)});
    };
    const F margin = std::max(low.margin, high.margin);
    out.logLikelihood = settle(low.llf, high.llf, margin);
    out.aic = settle(low.aic, high.aic, 3 * margin);
    out.bic = settle(low.bic, high.bic, 3 * margin);
    out.aicc = aiccDenominator > 0 ? settle(low.aicc, high.aicc, 3 * margin) : Statistic::Missing(Unavailable::TooFewObservations);
}

void Likelihood(Round& r, FitStatistics& out) {
    const FitModel::Impl& s = r.s;
    // Settled in an earlier round: kept (places -10 .. -13).
    Statistic* const values[] = {&out.logLikelihood, &out.aic, &out.bic, &out.aicc};
    if (r.settledTails.count(-10)) {
        for (int v = 0; v < 4; ++v) {
            const auto known = r.settledTails.find(-10 - v);
            *values[v] = known == r.settledTails.end() ? Statistic::Missing(Unavailable::TooFewObservations) : Statistic(known->second);
        }
        return;
    }
    Unavailable why = Unavailable::None;
    if (s.zeroResidual) why = Unavailable::ZeroResidual;
    else if (s.anyZeroWeight)
        why = Unavailable::ZeroWeight;
    if (why != Unavailable::None) {
        out.logLikelihood = out.aic = out.bic = out.aicc = Statistic::Missing(why);
        return;
    }
    if (Sign(s.rssLow) <= 0) {
        r.settled = false;
        out.logLikelihood = out.aic = out.bic = out.aicc = Statistic::Missing(Unavailable::NotSettled);
        return;
    }
    const bool before = r.settled;
    r.settled = true;
    if constexpr (kCompactStatistics) LikelihoodAt<128>(r, out);
    else if (s.FunctionEffort() == 0) LikelihoodAt<128>(r, out);
    else LikelihoodAt<512>(r, out);
    if (r.settled)
        for (int v = 0; v < 4; ++v)
            if (*values[v]) r.settledTails[-10 - v] = **values[v];
    r.settled = r.settled && before;
}

}  // namespace

// ---- Lack of fit -----------------------------------------------------------------------------

namespace {

// The observations of nonzero weight grouped by X: for each X observed more than once, the
// pure error sum of squares W Q - S² over W (W, S, Q the sums of w², w² y and w² y²).
struct PureError {
    long long distinct = 0;
    long long observations = 0;
    std::vector<Fraction> numerators, denominators;
};

PureError PureErrorOf(PointsView points) {
    PureError pe;
    std::vector<long long> order;
    for (long long k = 0; k < points.count; ++k)
        if (!points.w || points.w[k] != 0) order.push_back(k);
    if (!std::is_sorted(order.begin(), order.end(), [&](long long i, long long j) { return points.x[i] < points.x[j]; }))
        std::stable_sort(order.begin(), order.end(), [&](long long i, long long j) { return points.x[i] < points.x[j]; });
    pe.observations = static_cast<long long>(order.size());
    for (size_t first = 0; first < order.size();) {
        size_t last = first + 1;
        while (last < order.size() && points.x[order[last]] == points.x[order[first]]) ++last;
        ++pe.distinct;
        if (last - first > 1) {
            Fraction w, sy, syy;
            for (size_t k = first; k < last; ++k) {
                const long long i = order[k];
                const Fraction weight = FromDouble(points.w ? points.w[i] : 1.0);
                const Fraction w2 = Mul(weight, weight);
                const Fraction wy = Mul(w2, FromDouble(points.y[i]));
                w = Add(w, w2);
                sy = Add(sy, wy);
                syy = Add(syy, Mul(wy, FromDouble(points.y[i])));
            }
            pe.numerators.push_back(Sub(Mul(w, syy), Mul(sy, sy)));
            pe.denominators.push_back(w);
        }
        first = last;
    }
    return pe;
}

// The pure error sum of squares within [low, high]: every term is not negative, so each
// division and addition at Bits only adds its unit to the relative error.
template <unsigned Bits>
Range PureErrorBounds(const PureError& pe) {
    using F = BinaryFloat<Bits>;
    F sum = 0;
    for (size_t g = 0; g < pe.numerators.size(); ++g) sum += ToFloat<Bits>(pe.numerators[g]) / ToFloat<Bits>(pe.denominators[g]);
    const F unit = (F(pe.numerators.size()) + 8) * mp::ldexp(F(1), -static_cast<int>(Bits) + 2);
    return {ToFraction<Bits>(sum * (1 - unit)), ToFraction<Bits>(sum * (1 + unit))};
}

void LackOfFitTest(Round& r, const PureError& pe, FitStatistics& out) {
    const FitModel::Impl& s = r.s;
    LackOfFit& lof = out.lackOfFit;
    if (!s.HasPoints()) {
        lof.reason = Unavailable::PointsApart;
        lof.pureErrorSquares = lof.lackOfFitSquares = lof.f = lof.p = Statistic::Missing(lof.reason);
        return;
    }
    lof.distinctX = pe.distinct;
    lof.pureErrorDf = pe.observations - pe.distinct;
    lof.lackOfFitDf = pe.distinct - s.m;
    lof.reason = Unavailable::None;
    if (pe.numerators.empty()) lof.reason = Unavailable::NoReplicates;
    else if (lof.lackOfFitDf <= 0) lof.reason = Unavailable::NoLackOfFitFreedom;
    if (lof.reason != Unavailable::None) {
        lof.pureErrorSquares = lof.lackOfFitSquares = lof.f = lof.p = Statistic::Missing(lof.reason);
        return;
    }
    const bool noPureError = std::all_of(pe.numerators.begin(), pe.numerators.end(), IsZero);
    Range pure;
    if constexpr (kCompactStatistics) pure = PureErrorBounds<128>(pe);
    else pure = s.FunctionEffort() == 0 ? PureErrorBounds<128>(pe) : PureErrorBounds<512>(pe);
    if (noPureError) pure = Range{};
    lof.pureErrorSquares = r.Settle(pure);
    const Range lack{Max0(Sub(s.rssLow, pure.high)), Max0(Sub(s.rssHigh, pure.low))};
    lof.lackOfFitSquares = r.Settle(lack);
    if (noPureError) {
        lof.f = lof.p = Statistic::Missing(Unavailable::ZeroPureError);
        return;
    }
    const Fraction dfPure = FromInteger(lof.pureErrorDf);
    const Fraction dfLack = FromInteger(lof.lackOfFitDf);
    lof.f = r.Settle(Form{Mul(lack.low, dfPure), {}, {}, Mul(pure.high, dfLack)}, Form{Mul(lack.high, dfPure), {}, {}, Mul(pure.low, dfLack)});
    // x = dfPure / (dfPure + dfLack F) = pure / RSS
    if (Sign(s.rssLow) <= 0) {
        r.settled = false;
        lof.p = Statistic::Missing(Unavailable::NotSettled);
        return;
    }
    const Fraction highNumerator = Compare(pure.high, s.rssLow) > 0 ? s.rssLow : pure.high;
    lof.p = r.Beta(-2, lof.pureErrorDf, lof.lackOfFitDf, {pure.low, s.rssHigh}, {highNumerator, s.rssLow});
}

}  // namespace

FitStatistics FitModel::Statistics(double level, bool brief) const {
    Impl& s = *impl_;
    FitStatistics out;
    if (!s.solved) return out;
    const PureError pe = brief || !s.HasPoints() ? PureError{} : PureErrorOf(s.points);
    std::map<int, double> tails;
    for (;;) {
        Round r(s, tails);
        out = FitStatistics{};
        Basics(r, out, level, !brief);
        Quality(r, out);
        Likelihood(r, out);
        if (!brief) {
            CoefficientTable(r, out);
            Covariance(r, out);
            OverallTest(r, out);
            LackOfFitTest(r, pe, out);
        }
        if (r.settled || !s.MoreWork()) return out;
    }
}

std::vector<double> FitModel::Coefficients() const {
    Impl& s = *impl_;
    if (!s.solved) return {};
    std::map<int, double> tails;
    for (;;) {
        Round r(s, tails);
        FitStatistics out;
        Basics(r, out, kDefaultConfidenceLevel, false);
        if (r.settled || !s.MoreWork()) return out.coefficients;
    }
}

// ---- Comparing degrees -----------------------------------------------------------------------

DegreeComparison CompareDegrees(PointsView points, int upTo, bool throughOrigin, const WorkSplit& split) {
    DegreeComparison comparison;
    const int first = throughOrigin ? 1 : 0;
    if (upTo < first) return comparison;
    // One set of sums, the highest degree's, serves every lower degree: the fit's own, split
    // across the machine's cores where it takes many points.
    ExactSums sums;
    std::vector<double> coefficients(upTo + 1);
    if (throughOrigin || points.count < upTo + 1 ||
        !SolveExactLeastSquares(points, upTo + 1, coefficients.data(), &sums, split))
        ComputeExactSums(points, upTo + 1, !throughOrigin, sums);
    std::vector<FitModel> models;
    for (int degree = first; degree <= upTo; ++degree) {
        FitModel model(points, sums, degree, throughOrigin);
        if (!model.Solved()) break;
        const FitStatistics stats = model.Statistics(kDefaultConfidenceLevel, true);
        DegreeRow row;
        row.degree = degree;
        row.estimated = stats.estimated;
        row.residualDeviation = stats.residualDeviation;
        row.rSquared = stats.rSquared;
        row.adjustedRSquared = stats.adjustedRSquared;
        row.aic = stats.aic;
        row.bic = stats.bic;
        row.aicc = stats.aicc;
        comparison.rows.push_back(row);
        models.push_back(std::move(model));
    }
    const std::vector<Statistic> press = PressOfModels(models, split);
    for (size_t r = 0; r < press.size(); ++r) comparison.rows[r].press = press[r];

    using Field = Statistic DegreeRow::*;
    const Field fields[kDegreeColumns] = {&DegreeRow::residualDeviation, &DegreeRow::rSquared, &DegreeRow::adjustedRSquared,
                                          &DegreeRow::aic, &DegreeRow::bic, &DegreeRow::aicc, &DegreeRow::press};
    const bool largest[kDegreeColumns] = {false, true, true, false, false, false, false};
    for (int f = 0; f < kDegreeColumns; ++f) {
        std::optional<size_t> best;
        for (size_t r = 0; r < comparison.rows.size(); ++r) {
            const Statistic& v = comparison.rows[r].*fields[f];
            if (!v) continue;
            const double b = best ? *(comparison.rows[*best].*fields[f]) : 0.0;
            if (!best || (largest[f] ? *v > b : *v < b)) best = r;  // ties keep the lower degree
        }
        comparison.preferred.push_back(best);
    }
    if (!comparison.rows.empty()) {
        const int k = comparison.rows.back().estimated;
        const bool small = static_cast<double>(points.count) < 40.0 * k;
        comparison.recommendedBy = small ? DegreeColumn::Aicc : DegreeColumn::Aic;
        comparison.recommended = comparison.preferred[static_cast<int>(comparison.recommendedBy)];
    }
    return comparison;
}

std::optional<MessageId> CompleteAnalysisThroughOrigin(PointsView points, const FitModel& model, int digitsIndex,
                                                       UiLanguage language, FitResult& result) {
    const std::vector<double> coefficients = model.Coefficients();
    const int m = static_cast<int>(coefficients.size());
    result = FitResult{};
    std::copy(coefficients.begin(), coefficients.end(), result.coefficients.begin());
    if (!std::all_of(coefficients.begin(), coefficients.end(), [](double c) { return std::isfinite(c); }))
        return MessageId::TooLargeCoefficient;
    if (auto failure = CheckTermValues(points, m, result.coefficients)) return failure;
    const int pairCount = static_cast<int>(std::min<long long>(points.count, INT_MAX));
    result.equationText = BuildEquationText(result.coefficients, m, digitsIndex, FitMode::LeastSquares, pairCount, language);
    result.termCount = m;
    result.equationShown = true;
    return std::nullopt;
}

}  // namespace plorimet
