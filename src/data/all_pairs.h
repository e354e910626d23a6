// Every pair of a data text file, beyond the grid's 45: for batch work on the command line.
#pragma once

#include <istream>
#include <optional>
#include <vector>

#include "fit/work_split.h"

namespace plorimet {

// Lines longer than this hold no pair; they are passed over without being kept.
constexpr size_t kLongestAllPairsLine = 1 << 16;

struct AllPairs {
    std::vector<double> x;  // in file order
    std::vector<double> y;
    // The first line (counted from 1) whose value does not fit a double, if any: reading
    // stops there and the file is refused.
    std::optional<long long> outOfRangeLine;
};

// Reads every line (ended by LF or CR LF) to the end of the stream. A line that holds two
// numbers gives a pair: optional spaces, X, a separator (spaces, or one comma or tab with
// optional spaces round it), Y, optional spaces. A number is an optional sign, digits with
// at most one point (at least one digit), and an optional exponent: e or E, an optional
// sign, digits. Every other line is skipped. Memory: the pairs and a block of a megabyte and
// a line. The lines of a block may be cut into the split's pieces, read at the same time.
AllPairs ReadAllPairs(std::istream& in, const WorkSplit& split = {});

// Every pair, sorted by ascending X, pairs of equal X in file order (repeated measurements).
void SortByX(AllPairs& pairs);

// The value of a number text as above, correctly rounded; nothing when the text is not such
// a number; `outOfRange` set when it is one but its magnitude does not fit a double (also
// one too small to be told from zero).
std::optional<double> ParseNumberText(const char* first, const char* last, bool& outOfRange);

}  // namespace plorimet
