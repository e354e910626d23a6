// Writing a double as the shortest text that reads back as it.
#pragma once

#include <string>

namespace plorimet {

// Appends finite v as std::to_chars(first, last, v) writes it: the shortest digits that read back
// as v, in fixed or scientific notation, whichever has fewer characters (fixed on a tie). The
// digits come from Dragonbox (Debian's libfmt, used header-only), about three times as fast as
// libstdc++'s to_chars, which counts when --json prints millions of pairs.
void AppendShortestNumber(std::string& out, double v);

}  // namespace plorimet
