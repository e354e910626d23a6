// The x87 extended format in software, for the builds whose long double is something else
// (see pixel_real.h). Kept apart so that the x86 builds (the window) never include Boost's float.
#pragma once

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

}  // namespace plorimet
