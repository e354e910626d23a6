// The fitted polynomial's value for someone who reads the digits.
#pragma once

#include "fit/analysis.h"

namespace plorimet {

// c[0] + c[1] x + ... + c[termCount-1] x^(termCount-1) with the double coefficients as they
// are, by compensated Horner evaluation: as accurate as Horner's rule in twice the precision,
// then rounded once, so the result is the correctly rounded value except for a polynomial that
// nearly cancels at x. termCount is clamped to 1..46. Not the graph's evaluation (that one
// follows the window's arithmetic, see EvaluatePolynomial).
double PolynomialValue(const Coefficients& coefficients, int termCount, double x);

}  // namespace plorimet
