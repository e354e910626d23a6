#include "data/all_pairs.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <string>

namespace plorimet {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool IsSeparator(char c) { return c == ',' || c == '\t' || c == ' '; }

// Checks the shape of a number; from_chars alone would also take "inf" and "nan".
bool IsNumberText(const char* p, const char* last) {
    if (p < last && (*p == '+' || *p == '-')) ++p;
    int digits = 0;
    while (p < last && IsDigit(*p)) ++p, ++digits;
    if (p < last && *p == '.') {
        ++p;
        while (p < last && IsDigit(*p)) ++p, ++digits;
    }
    if (digits == 0) return false;
    if (p < last && (*p == 'e' || *p == 'E')) {
        ++p;
        if (p < last && (*p == '+' || *p == '-')) ++p;
        int exponentDigits = 0;
        while (p < last && IsDigit(*p)) ++p, ++exponentDigits;
        if (exponentDigits == 0) return false;
    }
    return p == last;
}

enum class LineKind { Pair, NoPair, OutOfRange };

LineKind ParseLine(const std::string& line, double& x, double& y) {
    const char* const begin = line.data();
    const char* const end = begin + line.size();
    const char* p = begin;
    while (p < end && *p == ' ') ++p;
    const char* xFirst = p;
    while (p < end && !IsSeparator(*p)) ++p;
    const char* xLast = p;
    if (xFirst == xLast || p == end) return LineKind::NoPair;
    while (p < end && *p == ' ') ++p;
    if (p < end && (*p == ',' || *p == '\t')) {
        ++p;
        while (p < end && *p == ' ') ++p;
    }
    const char* yLast = end;
    while (yLast > p && *(yLast - 1) == ' ') --yLast;
    if (yLast == p) return LineKind::NoPair;
    bool xOut = false;
    bool yOut = false;
    const auto xValue = ParseNumberText(xFirst, xLast, xOut);
    const auto yValue = ParseNumberText(p, yLast, yOut);
    if (!(xValue || xOut) || !(yValue || yOut)) return LineKind::NoPair;
    if (xOut || yOut) return LineKind::OutOfRange;
    x = *xValue;
    y = *yValue;
    return LineKind::Pair;
}

}  // namespace

std::optional<double> ParseNumberText(const char* first, const char* last, bool& outOfRange) {
    outOfRange = false;
    if (!IsNumberText(first, last)) return std::nullopt;
    if (*first == '+') ++first;  // from_chars takes no plus sign
    double value = 0.0;
    const auto result = std::from_chars(first, last, value, std::chars_format::general);
    if (result.ec == std::errc::result_out_of_range) {
        outOfRange = true;
        return std::nullopt;
    }
    if (result.ec != std::errc() || result.ptr != last) return std::nullopt;
    return value;
}

AllPairs ReadAllPairs(std::istream& in) {
    AllPairs pairs;
    std::streambuf* source = in.rdbuf();
    if (source == nullptr) return pairs;
    std::string line;
    long long number = 0;
    for (bool atEnd = false; !atEnd;) {
        line.clear();
        bool overlong = false;
        bool sawAnything = false;
        for (;;) {
            const int c = source->sbumpc();
            if (c == std::char_traits<char>::eof()) {
                atEnd = true;
                break;
            }
            sawAnything = true;
            if (c == '\n') break;
            if (line.size() < kLongestAllPairsLine) {
                line.push_back(static_cast<char>(c));
            } else {
                overlong = true;
            }
        }
        if (!sawAnything) break;
        ++number;
        if (overlong) continue;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        double x = 0;
        double y = 0;
        switch (ParseLine(line, x, y)) {
            case LineKind::Pair:
                pairs.x.push_back(x);
                pairs.y.push_back(y);
                break;
            case LineKind::NoPair: break;
            case LineKind::OutOfRange: pairs.outOfRangeLine = number; return pairs;
        }
    }
    return pairs;
}

void KeepFirstOfEachXSorted(AllPairs& pairs) {
    std::vector<std::pair<double, double>> sorted;
    sorted.reserve(pairs.x.size());
    for (size_t k = 0; k < pairs.x.size(); ++k) sorted.emplace_back(pairs.x[k], pairs.y[k]);
    pairs.x = std::vector<double>();
    pairs.y = std::vector<double>();
    // Stable: of equal X the first in the file comes first and is the one kept.
    std::stable_sort(sorted.begin(), sorted.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    sorted.erase(std::unique(sorted.begin(), sorted.end(), [](const auto& a, const auto& b) { return a.first == b.first; }),
                 sorted.end());
    pairs.x.reserve(sorted.size());
    pairs.y.reserve(sorted.size());
    for (const auto& [x, y] : sorted) {
        pairs.x.push_back(x);
        pairs.y.push_back(y);
    }
}

}  // namespace plorimet
