#include "base/shortest_number.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>

#define FMT_HEADER_ONLY
#include <fmt/format.h>

namespace plorimet {

void AppendShortestNumber(std::string& out, double v) {
    if (std::signbit(v)) out += '-';
    // v = significand * 10^exponent, the significand of the fewest digits (Dragonbox drops its
    // trailing zeros); 0 for zero.
    const auto decimal = fmt::detail::dragonbox::to_decimal(std::fabs(v));
    if (decimal.significand == 0) {
        out += '0';
        return;
    }
    char digits[24];
    int count = 0;
    for (uint64_t rest = decimal.significand; rest != 0; rest /= 10) digits[count++] = static_cast<char>('0' + rest % 10);
    for (int k = 0; k < count / 2; ++k) std::swap(digits[k], digits[count - 1 - k]);

    const int exponent = decimal.exponent;
    const int scientificExponent = exponent + count - 1;
    const int scientificLength = count + (count > 1) + 2 + (std::abs(scientificExponent) >= 100 ? 3 : 2);
    const int pointAt = count + exponent;  // digits before the point in fixed notation
    const int fixedLength = exponent >= 0 ? pointAt : pointAt > 0 ? count + 1 : 2 - exponent;
    if (fixedLength <= scientificLength) {
        if (exponent > 0) {
            // An integer: of the texts of this length that read back as v, the nearest to it is
            // its own digits (v < 10^22 here, so below 2^128).
            unsigned __int128 rest = static_cast<unsigned __int128>(std::fabs(v));
            char exact[40];
            int length = 0;
            for (; rest != 0; rest /= 10) exact[length++] = static_cast<char>('0' + static_cast<int>(rest % 10));
            while (length > 0) out += exact[--length];
        } else if (exponent == 0) {
            out.append(digits, count);
        } else if (pointAt > 0) {
            out.append(digits, pointAt);
            out += '.';
            out.append(digits + pointAt, count - pointAt);
        } else {
            out += "0.";
            out.append(-pointAt, '0');
            out.append(digits, count);
        }
        return;
    }
    out += digits[0];
    if (count > 1) {
        out += '.';
        out.append(digits + 1, count - 1);
    }
    out += scientificExponent < 0 ? "e-" : "e+";
    const int magnitude = std::abs(scientificExponent);
    if (magnitude >= 100) out += static_cast<char>('0' + magnitude / 100);
    out += static_cast<char>('0' + magnitude / 10 % 10);
    out += static_cast<char>('0' + magnitude % 10);
}

}  // namespace plorimet
