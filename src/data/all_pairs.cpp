#include "data/all_pairs.h"

#include "base/number_text.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdint>
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
    const auto result = ParseDouble(first, last, value);
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

void SortByX(AllPairs& pairs) {
    // An order of the pairs by X, and by file position among equal X; then the pairs are moved
    // into that order in place. Memory: 4 bytes a pair.
    const size_t n = pairs.x.size();
    std::vector<uint32_t> order(n);
    for (size_t k = 0; k < n; ++k) order[k] = static_cast<uint32_t>(k);
    const std::vector<double>& x = pairs.x;
    std::sort(order.begin(), order.end(), [&](uint32_t a, uint32_t b) { return x[a] < x[b] || (x[a] == x[b] && a < b); });
    // Position k receives the pair order[k]: follow each cycle of the permutation once.
    for (size_t start = 0; start < n; ++start) {
        if (order[start] == start || order[start] == UINT32_MAX) continue;
        const double firstX = pairs.x[start];
        const double firstY = pairs.y[start];
        size_t k = start;
        for (;;) {
            const size_t from = order[k];
            order[k] = UINT32_MAX;
            if (from == start) {
                pairs.x[k] = firstX;
                pairs.y[k] = firstY;
                break;
            }
            pairs.x[k] = pairs.x[from];
            pairs.y[k] = pairs.y[from];
            k = from;
        }
    }
}

void KeepFirstOfEachXSorted(AllPairs& pairs) {
    SortByX(pairs);
    const size_t n = pairs.x.size();
    size_t kept = 0;
    for (size_t k = 0; k < n; ++k) {
        if (kept > 0 && pairs.x[k] == pairs.x[kept - 1]) continue;
        pairs.x[kept] = pairs.x[k];
        pairs.y[kept] = pairs.y[k];
        ++kept;
    }
    pairs.x.resize(kept);
    pairs.y.resize(kept);
}

}  // namespace plorimet
