// Reading a double from text the same way in every build.
#pragma once

#include <charconv>

namespace plorimet {

// std::from_chars(first, last, value, std::chars_format::general), built on fast_float (the
// parser libstdc++'s own is built on) because the WebAssembly build's standard library has no
// floating from_chars. As the standard asks: invalid_argument when no number starts at `first`,
// result_out_of_range when the number is beyond a double (it overflows to infinity or a nonzero
// text underflows to zero), `value` untouched in both cases.
std::from_chars_result ParseDouble(const char* first, const char* last, double& value);

}  // namespace plorimet
