#include "fit/exact_rounding.h"

#include <algorithm>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <optional>
#include <utility>

namespace plorimet::exact_rounding {

using namespace binary_fraction;

int Sign(const Fraction& d) { return d.mantissa.sign(); }

Fraction FromInteger(long long v) {
    Fraction d{Int(v), 0};
    Normalize(d);
    return d;
}

Fraction Sub(const Fraction& a, const Fraction& b) { return Add(a, Negate(b)); }

int Compare(const Fraction& a, const Fraction& b) { return Sign(Sub(a, b)); }

Fraction Max0(const Fraction& d) { return Sign(d) < 0 ? Fraction{} : d; }

Fraction Shorten(const Fraction& d, unsigned bits) {
    if (IsZero(d)) return d;
    const unsigned length = mp::msb(mp::abs(d.mantissa)) + 1;
    if (length <= bits) return d;
    const unsigned drop = length - bits;
    Fraction r{d.mantissa >> drop, d.exponent + drop};  // toward minus infinity
    Normalize(r);
    return r;
}

Fraction Nearest(const Fraction& d, unsigned bits) {
    if (IsZero(d)) return d;
    const Int magnitude = mp::abs(d.mantissa);
    const unsigned length = mp::msb(magnitude) + 1;
    if (length <= bits) return d;
    const unsigned drop = length - bits;
    Int kept = magnitude >> drop;
    if (mp::bit_test(magnitude, drop - 1)) ++kept;
    Fraction r{Sign(d) < 0 ? Int(-kept) : kept, d.exponent + drop};
    Normalize(r);
    return r;
}

Fraction Dot(const std::vector<Fraction>& u, const std::vector<Fraction>& v) {
    Fraction s;
    for (size_t i = 0; i < u.size() && i < v.size(); ++i)
        if (!IsZero(u[i]) && !IsZero(v[i])) s = Add(s, Mul(u[i], v[i]));
    return s;
}

bool AllZero(const std::vector<Fraction>& v) { return std::all_of(v.begin(), v.end(), IsZero); }

// Bounds are computed in 64 bits, each a few roundings away from the true value; these factors
// make them upper or lower bounds.
Bound Up(const Bound& b) {
    static const Bound up = Bound(1) + mp::ldexp(Bound(1), -48);
    return b * up;
}
Bound Down(const Bound& b) {
    static const Bound down = Bound(1) - mp::ldexp(Bound(1), -48);
    return b * down;
}
// (From the leading 64 bits: converting every bit of a long mantissa costs far more, and the
// bits left out are less than Up's margin.)
Bound Magnitude(const Fraction& d) { return Up(mp::abs(ToFloat<64>(Shorten(d, 64)))) * (1 + mp::ldexp(Bound(1), -60)); }
Bound Norm2(const std::vector<Fraction>& v) {
    Bound s = 0;
    for (const Fraction& d : v) {
        const Bound m = Magnitude(d);
        s += m * m;
    }
    return Up(mp::sqrt(Up(s)));
}
Fraction UpperFraction(const Bound& b) { return ToFraction<64>(Up(b)); }

namespace {

bool EvenLastBit(double v) {
    if (v == 0.0 || std::isinf(v)) return true;
    int exponent = 0;
    std::frexp(v, &exponent);
    const int bitsBelow = std::max(exponent - 53, -1074);
    const double units = std::ldexp(std::fabs(v), -bitsBelow);
    return std::fmod(units, 2.0) == 0.0;
}

// Sign of the form's value less m, exactly.
int CompareWith(const Form& f, const Fraction& m) {
    const Fraction a = Sub(f.a, Mul(m, f.e));
    const int s = IsZero(f.q) ? 0 : Sign(f.k);
    if (s == 0) return Sign(a);
    if (Sign(a) == 0 || Sign(a) == s) return s;
    // a and k sqrt(Q) of opposite signs: which is larger in magnitude
    const int c = Compare(Mul(a, a), Mul(Mul(f.k, f.k), f.q));
    return c > 0 ? Sign(a) : (c < 0 ? s : 0);
}

// Doubles in their order as integers (both zeros as one).
int64_t OrderKey(double d) {
    int64_t bits = 0;
    std::memcpy(&bits, &d, sizeof bits);
    return bits < 0 ? -(bits & INT64_MAX) : bits;
}

double FromOrderKey(int64_t key) {
    const int64_t bits = key < 0 ? ((-key) | INT64_MIN) : key;
    double d = 0;
    std::memcpy(&d, &bits, sizeof d);
    return d;
}

// The rounding by bisection over every double: the smallest d whose upper midpoint is not below
// the value. For values the approximation does not place within a few doubles (cancellation).
double RoundFormBySearch(const Form& f) {
    auto notBelow = [&](int64_t key) { return CompareWith(f, Midpoint(FromOrderKey(key), HUGE_VAL)) <= 0; };
    int64_t low = OrderKey(-DBL_MAX);
    int64_t high = OrderKey(DBL_MAX);
    if (!notBelow(high)) return HUGE_VAL;
    if (CompareWith(f, Midpoint(-DBL_MAX, -HUGE_VAL)) < 0) return -HUGE_VAL;
    while (low < high) {
        const int64_t middle = low + static_cast<int64_t>((static_cast<uint64_t>(high) - static_cast<uint64_t>(low)) / 2);
        if (notBelow(middle)) high = middle; else low = middle + 1;
    }
    const double d = FromOrderKey(low);
    if (CompareWith(f, Midpoint(d, HUGE_VAL)) == 0 && !EvenLastBit(d)) return std::nextafter(d, HUGE_VAL);
    return d;
}

}  // namespace

int SignOf(const Form& f) { return CompareWith(f, Fraction{}); }

namespace {

// From a double near the form's value, within `steps` doubles: the form's rounding, by exact
// comparisons with the midpoints beside it.
std::optional<double> RoundNear(const Form& f, double d, int steps) {
    for (int step = 0; step < steps; ++step) {
        if (std::isinf(d)) return d;
        const double below = std::nextafter(d, -HUGE_VAL);
        const double above = std::nextafter(d, HUGE_VAL);
        const int low = CompareWith(f, Midpoint(d, -HUGE_VAL));
        if (low < 0) {
            d = below;
            continue;
        }
        const int high = CompareWith(f, Midpoint(d, HUGE_VAL));
        if (high > 0) {
            d = above;
            continue;
        }
        if (low == 0) return EvenLastBit(d) ? d : below;
        if (high == 0) return EvenLastBit(d) ? d : above;
        return d;
    }
    return std::nullopt;
}

// The quick approximation's arithmetic: the processor's 64-bit long double where it has one
// (x86), else double (WebAssembly, whose long double is emulated).
#if defined(__EMSCRIPTEN__)
using Quick = double;
#else
using Quick = long double;
#endif
constexpr int kQuickBits = std::numeric_limits<Quick>::digits;

// A value m 2^e with m of the quick type (its leading bits: approximations need no more).
struct Scaled {
    Quick m = 0;
    int64_t e = 0;
};
Scaled ScaledOf(const Fraction& d) {
    if (IsZero(d)) return {};
    const Fraction top = Shorten(d, kQuickBits);
    return {top.mantissa.convert_to<Quick>(), top.exponent};
}
Scaled Sum(Scaled a, Scaled b) {
    if (a.m == 0.0) return b;
    if (b.m == 0.0) return a;
    if (a.e < b.e) std::swap(a, b);
    const int64_t gap = a.e - b.e;
    if (gap > 120) return a;
    return {a.m + std::ldexp(b.m, -static_cast<int>(gap)), a.e};
}

// The form's value in quick arithmetic on the parts' leading bits, where it lies well within
// the range of a double (none where it does not, or is 0), and whether its rounding is proved:
// each part is cut to kQuickBits bits (a relative error below 2^-(kQuickBits-1)) and each
// operation rounds once more, so the approximation is within (|A| + |K sqrt Q|) / E times
// 2^-(kQuickBits-4) of the value; 8 times that is allowed. A value whose allowance holds no
// midpoint between doubles rounds to the double nearest the approximation.
struct QuickRounding {
    double nearest = 0.0;
    bool proved = false;
};
std::optional<QuickRounding> QuickApproximation(const Form& f) {
    Scaled q = ScaledOf(f.q);
    if (q.e & 1) {
        q.m *= 2;
        q.e -= 1;
    }
    const Scaled k = ScaledOf(f.k);
    const Scaled e = ScaledOf(f.e);
    const Scaled a = ScaledOf(f.a);
    const Scaled root = {k.m * std::sqrt(q.m), k.e + q.e / 2};
    const Scaled sum = Sum(a, root);
    const Scaled size = Sum({std::fabs(a.m), a.e}, {std::fabs(root.m), root.e});
    if (sum.m == 0 || e.m == 0) return std::nullopt;
    int exponent = 0;
    const Quick m = std::frexp(sum.m / e.m, &exponent);
    const int64_t total = exponent + sum.e - e.e;
    if (total > 1000 || total < -1000) return std::nullopt;
    const Quick value = std::ldexp(m, static_cast<int>(total));
    const int64_t allowanceExponent = size.e - e.e - (kQuickBits - 7);
    if (allowanceExponent < -16000) return QuickRounding{static_cast<double>(value), false};
    const Quick allowance = std::ldexp(std::fabs(size.m / e.m), static_cast<int>(allowanceExponent));
    const double d = static_cast<double>(value);
    // Both distances are exact: the doubles and their differences fit the quick type.
    const Quick halfGap = std::min<Quick>(Quick(d) - Quick(std::nextafter(d, -HUGE_VAL)),
                                          Quick(std::nextafter(d, HUGE_VAL)) - Quick(d)) / 2;
    return QuickRounding{d, std::fabs(value - Quick(d)) + allowance < halfGap};
}

}  // namespace

double RoundForm(const Form& f) {
    // Most values: a quick approximation lands on the rounding or next to it. Where the
    // parts cancel, or the value lies near the ends of the doubles' range, in 192 bits.
    if (const std::optional<QuickRounding> quick = QuickApproximation(f)) {
        if (quick->proved) return quick->nearest;
        if (const std::optional<double> d = RoundNear(f, quick->nearest, 2)) return *d;
    }
    using F = BinaryFloat<192>;
    // The approximation needs only each part's leading bits: converting a long mantissa whole
    // costs more than the rest of the rounding.
    auto leading = [](const Fraction& d) { return ToFloat<192>(Shorten(d, 194)); };
    const F approx = (leading(f.a) + leading(f.k) * mp::sqrt(leading(f.q))) / leading(f.e);
    if (const std::optional<double> d = RoundNear(f, RoundToDouble(ToFraction<192>(approx)), 4)) return *d;
    return RoundFormBySearch(f);
}

std::optional<double> RoundBetween(const Form& low, const Form& high) {
    const double a = RoundForm(low);
    const double b = RoundForm(high);
    if (a == b) return a;
    return std::nullopt;
}

std::optional<double> RoundRange(const Fraction& low, const Fraction& high) {
    const double a = RoundToDouble(low);
    const double b = RoundToDouble(high);
    if (a == b) return a;
    return std::nullopt;
}

}  // namespace plorimet::exact_rounding
