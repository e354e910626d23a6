#include "base/number_text.h"

#include <cctype>
#include <cmath>

#include <fast_float/fast_float.h>

namespace plorimet {

namespace {

// Whether the significand of the number text [first, last) has a digit other than 0.
bool HasNonzeroDigit(const char* first, const char* last) {
    for (const char* p = first; p != last; ++p) {
        if (*p == 'e' || *p == 'E') break;
        if (*p >= '1' && *p <= '9') return true;
    }
    return false;
}

}  // namespace

std::from_chars_result ParseDouble(const char* first, const char* last, double& value) {
    double parsed = 0.0;
    const auto result = fast_float::from_chars(first, last, parsed, fast_float::chars_format::general);
    if (result.ec != std::errc()) return {first, std::errc::invalid_argument};
    const bool spelledInfinity = std::isalpha(static_cast<unsigned char>(*(*first == '-' ? first + 1 : first)));
    if ((std::isinf(parsed) && !spelledInfinity) || (parsed == 0.0 && HasNonzeroDigit(first, result.ptr)))
        return {result.ptr, std::errc::result_out_of_range};
    value = parsed;
    return {result.ptr, std::errc()};
}

}  // namespace plorimet
