// Correct rounding of values known by proved bounds: exact binary fractions compared with the
// midpoints between doubles, and the 64-bit bounds that carry the error terms.
#pragma once

#include <optional>
#include <vector>

#include "fit/binary_fraction.h"

namespace plorimet::exact_rounding {

using binary_fraction::Fraction;
using binary_fraction::Int;

int Sign(const Fraction& d);
Fraction FromInteger(long long v);
Fraction Sub(const Fraction& a, const Fraction& b);
int Compare(const Fraction& a, const Fraction& b);
Fraction Max0(const Fraction& d);
// Rounded toward minus infinity to `bits` significant bits (for approximations).
Fraction Shorten(const Fraction& d, unsigned bits);
// Rounded to nearest with `bits` significant bits.
Fraction Nearest(const Fraction& d, unsigned bits);
Fraction Dot(const std::vector<Fraction>& u, const std::vector<Fraction>& v);
bool AllZero(const std::vector<Fraction>& v);

// Error bounds in 64-bit floats of a wide exponent range: Up and Down move a value past the
// few roundings it took, so that a bound computed with them holds.
using Bound = BinaryFloat<64>;
Bound Up(const Bound& b);
Bound Down(const Bound& b);
Bound Magnitude(const Fraction& d);         // |d|, rounded up
Bound Norm2(const std::vector<Fraction>& v);  // rounded up
Fraction UpperFraction(const Bound& b);

// A value (A + k sqrt(Q)) / E of exact A, k, Q >= 0 and E > 0.
struct Form {
    Fraction a;
    Fraction k;
    Fraction q;
    Fraction e;
};
// The sign of the form's value, exactly.
int SignOf(const Form& f);

// The double nearest the form's value (ties to even), infinite beyond the largest double.
double RoundForm(const Form& f);
// A value known to lie between two forms' values: its rounding when both round alike.
std::optional<double> RoundBetween(const Form& low, const Form& high);
// The same for a value between two exact fractions.
std::optional<double> RoundRange(const Fraction& low, const Fraction& high);

}  // namespace plorimet::exact_rounding
