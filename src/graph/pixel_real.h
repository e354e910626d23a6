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

#if LDBL_MANT_DIG == 64
namespace plorimet {
using PixelReal = long double;
}  // namespace plorimet
#else
#include "graph/soft_extended.h"
namespace plorimet {
using PixelReal = SoftExtended;
}  // namespace plorimet
#endif

namespace plorimet {

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
