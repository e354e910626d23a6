// Exact binary fractions m * 2^e: the numbers the exact fit and its statistics compute with,
// and their correct rounding to double.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>

// Boost's cpp_int.hpp includes <iostream> but uses only the stream classes of <istream> and
// <ostream>. In libstdc++ before GCC 13, <iostream> defines a static object that starts the
// standard streams, which links cout, cin and their locale set-up into the window program.
// The two headers Boost needs are included here and <iostream> is marked as already seen.
#include <istream>
#include <ostream>
#if defined(__GLIBCXX__) && !defined(_GLIBCXX_IOSTREAM)
#define _GLIBCXX_IOSTREAM 1
#endif
#include <boost/multiprecision/cpp_bin_float.hpp>
#include <boost/multiprecision/cpp_int.hpp>

namespace plorimet {

// The exact value mantissa * 2^exponent.
struct BinaryFraction {
    boost::multiprecision::cpp_int mantissa;
    int64_t exponent = 0;
};

// Floating arithmetic of a chosen precision.
template <unsigned Bits>
using BinaryFloat =
    boost::multiprecision::number<boost::multiprecision::cpp_bin_float<Bits, boost::multiprecision::digit_base_2>,
                                  boost::multiprecision::et_off>;

namespace binary_fraction {

namespace mp = boost::multiprecision;
using Int = mp::cpp_int;
using Fraction = BinaryFraction;

inline bool IsZero(const Fraction& d) { return d.mantissa.is_zero(); }

// The mantissa made odd (0 for zero).
inline void Normalize(Fraction& d) {
    if (IsZero(d)) {
        d.exponent = 0;
        return;
    }
    const unsigned zeros = mp::lsb(mp::abs(d.mantissa));
    if (zeros) {
        d.mantissa >>= zeros;  // only zero bits leave, also for a negative mantissa
        d.exponent += zeros;
    }
}

inline Fraction FromDouble(double v) {
    if (v == 0.0) return {};
    int exponent = 0;
    const double fraction = std::frexp(v, &exponent);
    Fraction d{Int(static_cast<long long>(std::ldexp(fraction, 53))), exponent - 53};
    Normalize(d);
    return d;
}

inline Fraction Add(const Fraction& a, const Fraction& b) {
    if (IsZero(a)) return b;
    if (IsZero(b)) return a;
    Fraction r;
    if (a.exponent <= b.exponent) {
        r.mantissa = a.mantissa + (b.mantissa << static_cast<unsigned>(b.exponent - a.exponent));
        r.exponent = a.exponent;
    } else {
        r.mantissa = b.mantissa + (a.mantissa << static_cast<unsigned>(a.exponent - b.exponent));
        r.exponent = b.exponent;
    }
    Normalize(r);
    return r;
}

inline Fraction Negate(Fraction a) {
    a.mantissa = -a.mantissa;
    return a;
}

inline Fraction Mul(const Fraction& a, const Fraction& b) {
    if (IsZero(a) || IsZero(b)) return {};
    return {a.mantissa * b.mantissa, a.exponent + b.exponent};  // a product of odd mantissas stays odd
}

inline Fraction Scale2(Fraction a, int64_t power) {
    if (!IsZero(a)) a.exponent += power;
    return a;
}

// Nearest double, ties to even; subnormal results and overflow to infinity as IEEE rounding has them.
inline double RoundToDouble(const Fraction& d) {
    if (IsZero(d)) return 0.0;
    const bool negative = d.mantissa.sign() < 0;
    const Int magnitude = mp::abs(d.mantissa);
    const int64_t top = static_cast<int64_t>(mp::msb(magnitude)) + d.exponent;  // exponent of the leading bit
    if (top > 1100) return negative ? -HUGE_VAL : HUGE_VAL;
    if (top < -1080) return negative ? -0.0 : 0.0;             // below half the least subnormal
    const int64_t lowest = std::max<int64_t>(top - 52, -1074);  // exponent of the last bit kept
    const int64_t drop = lowest - d.exponent;
    Int kept;
    if (drop <= 0) {
        kept = magnitude << static_cast<unsigned>(-drop);
    } else {
        kept = magnitude >> static_cast<unsigned>(drop);
        const Int rest = magnitude - (kept << static_cast<unsigned>(drop));
        const Int half = Int(1) << static_cast<unsigned>(drop - 1);
        if (rest > half || (rest == half && mp::bit_test(kept, 0))) ++kept;
    }
    const double value = std::ldexp(static_cast<double>(kept.convert_to<unsigned long long>()), static_cast<int>(lowest));
    return negative ? -value : value;
}

// Halfway between d and its neighbour toward `toward` (past the largest double: where rounding
// goes to infinity). The real numbers that round to d lie strictly between its two midpoints
// (or on one of them, where ties go to the even neighbour).
inline Fraction Midpoint(double d, double toward) {
    const double neighbour = std::nextafter(d, toward);
    const Fraction far = std::isinf(neighbour) ? Fraction{Int(toward > 0 ? 1 : -1), 1024} : FromDouble(neighbour);
    return Scale2(Add(FromDouble(d), far), -1);
}

template <unsigned Bits>
BinaryFloat<Bits> ToFloat(const Fraction& d) {
    if (IsZero(d)) return BinaryFloat<Bits>(0);
    return mp::ldexp(BinaryFloat<Bits>(d.mantissa), static_cast<int>(d.exponent));
}

template <unsigned Bits>
Fraction ToFraction(const BinaryFloat<Bits>& f) {
    if (f == 0) return {};
    int exponent = 0;
    const BinaryFloat<Bits> fraction = mp::frexp(f, &exponent);
    Fraction d{mp::ldexp(fraction, static_cast<int>(Bits)).template convert_to<Int>(),
               exponent - static_cast<int64_t>(Bits)};
    Normalize(d);
    return d;
}

}  // namespace binary_fraction

}  // namespace plorimet
