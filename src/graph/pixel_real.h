// The number type of the graph's pixel arithmetic: the x87 extended format, 64-bit significand,
// every operation rounded once to nearest, ties to even.
//
// On x86 (the window, the native build and Wine) that is the compiler's long double. Where long
// double is something else (WebAssembly and ARM64 have IEEE binary128), SoftExtended takes its
// place, so that every build truncates the same values to the same pixels.
#pragma once

#include <cfloat>
#include <climits>
#include <cmath>

#include <boost/multiprecision/cpp_bin_float.hpp>

namespace plorimet {

// The x87 format in software. Each operation is carried out in a 192-bit significand, where the
// product of two 64-bit values is exact and a sum or quotient is rounded at most once far below
// the 64-bit unit, and then rounded to 64 bits: with more than 2 x 64 + 2 bits the two roundings
// give the correctly rounded result. (Boost's own 64-bit type is not used for the operations
// themselves: its subtraction of a much smaller value can land one unit off.)
class SoftExtended {
public:
    using Narrow = boost::multiprecision::cpp_bin_float_double_extended;
    using Wide = boost::multiprecision::number<
        boost::multiprecision::backends::cpp_bin_float<192, boost::multiprecision::backends::digit_base_2>,
        boost::multiprecision::et_off>;

    SoftExtended() = default;
    SoftExtended(double value) : value_(value) {}  // NOLINT: widening, as a long double's
    SoftExtended(int value) : value_(value) {}     // NOLINT
    explicit SoftExtended(long double value) : value_(value) {}

    friend SoftExtended operator+(const SoftExtended& a, const SoftExtended& b) { return Round(a.wide() + b.wide()); }
    friend SoftExtended operator-(const SoftExtended& a, const SoftExtended& b) { return Round(a.wide() - b.wide()); }
    friend SoftExtended operator*(const SoftExtended& a, const SoftExtended& b) { return Round(a.wide() * b.wide()); }
    friend SoftExtended operator/(const SoftExtended& a, const SoftExtended& b) { return Round(a.wide() / b.wide()); }
    friend bool operator<(const SoftExtended& a, const SoftExtended& b) { return a.value_ < b.value_; }
    friend bool operator<=(const SoftExtended& a, const SoftExtended& b) { return a.value_ <= b.value_; }
    friend bool operator>(const SoftExtended& a, const SoftExtended& b) { return a.value_ > b.value_; }
    friend bool operator>=(const SoftExtended& a, const SoftExtended& b) { return a.value_ >= b.value_; }
    friend bool isnan(const SoftExtended& a) { return boost::multiprecision::isnan(a.value_); }
    friend SoftExtended fabs(const SoftExtended& a) {
        SoftExtended s;
        s.value_ = boost::multiprecision::abs(a.value_);
        return s;
    }
    // Toward zero, as the x87 conversion; only for values inside the int range.
    explicit operator int() const { return value_.convert_to<int>(); }
    explicit operator long double() const { return value_.convert_to<long double>(); }

private:
    Wide wide() const { return Wide(value_); }
    static SoftExtended Round(const Wide& exact) {
        SoftExtended s;
        s.value_ = Narrow(exact);
        return s;
    }

    Narrow value_;
};

#if LDBL_MANT_DIG == 64
using PixelReal = long double;
#else
using PixelReal = SoftExtended;
#endif

// Truncation toward zero that never leaves the int range (see SaturatingTrunc), for either type.
template <class Real>
int SaturatingTruncOf(const Real& value) {
    using std::isnan;
    if (isnan(value)) return INT_MIN;
    if (value >= Real(2147483648.0)) return INT_MAX;
    if (value <= Real(-2147483649.0)) return INT_MIN;
    return static_cast<int>(value);
}

}  // namespace plorimet
