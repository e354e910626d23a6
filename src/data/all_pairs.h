// Every pair of a data text file, beyond the grid's 45: for batch work on the command line.
#pragma once

#include <istream>
#include <optional>
#include <vector>

#include "fit/work_split.h"

namespace plorimet {

// Lines longer than this hold no pair; they are passed over without being kept.
constexpr size_t kLongestAllPairsLine = 1 << 16;

// Why a line stops the reading.
enum class LineProblem {
    None,
    TooLarge,   // a value beyond the range of a double
    TooSmall,   // a value not 0 but too close to 0 for a double (it would read as 0)
    NoWeight,   // two numbers where a weight is asked for as the third
};

struct AllPairs {
    std::vector<double> x;  // in file order
    std::vector<double> y;
    std::vector<double> w;  // with weights asked for: the third number of each line
    // The first line (counted from 1) that stops the reading, if any, and why: the file is
    // refused.
    std::optional<long long> outOfRangeLine;
    LineProblem problem = LineProblem::None;
};

// Reads every line (ended by LF, CR LF, CR or CR CR LF, as data files are) to the end of the
// stream. A line that holds two numbers gives a pair: optional spaces, X, a separator (spaces,
// or one comma or tab with optional spaces round it), Y, optional spaces; with `weights`, a
// third number after another separator is the pair's weight, and a line of two numbers stops
// the reading. A number is an optional sign, digits with at most one point (at least one
// digit), and an optional exponent: e or E, an optional sign, digits. Every other line is
// skipped. Memory: the pairs and a block of a megabyte and a line. The lines of a block may be
// cut into the split's pieces, read at the same time.
AllPairs ReadAllPairs(std::istream& in, const WorkSplit& split = {}, bool weights = false);

// Every pair (and its weight), sorted by ascending X, pairs of equal X in file order
// (repeated measurements).
void SortByX(AllPairs& pairs);

// The value of a number text as above, correctly rounded; nothing when the text is not such
// a number; `outOfRange` set when it is one but its magnitude does not fit a double (also
// one too small to be told from zero: then `tooSmall`).
std::optional<double> ParseNumberText(const char* first, const char* last, bool& outOfRange);
std::optional<double> ParseNumberText(const char* first, const char* last, bool& outOfRange, bool& tooSmall);

}  // namespace plorimet
