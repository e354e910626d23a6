#include "data/all_pairs.h"

#include "base/number_text.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <memory>
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

LineKind ParseLine(const char* const begin, const char* const end, double& x, double& y) {
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

// Of each run of equal X in sorted pairs, the first pair.
void DropRepeatedX(AllPairs& pairs) {
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
    // The text is read in blocks; a line is taken where it lies in the block, and only a line
    // cut by the end of a block is moved to the front before the next block is read.
    constexpr size_t kBlock = 1 << 16;
    const std::unique_ptr<char[]> storage(new char[kBlock + kLongestAllPairsLine + 2]);
    char* const data = storage.get();
    size_t begin = 0;  // the unread text is buffer[begin, end)
    size_t end = 0;
    bool atEnd = false;
    bool skipping = false;  // within a line longer than the limit, its start already passed
    long long number = 0;
    for (;;) {
        const char* const first = data + begin;
        const char* const newline = static_cast<const char*>(std::memchr(first, '\n', end - begin));
        if (newline == nullptr && !atEnd) {
            // The line goes on beyond what is read: keep no more of it than the limit and a byte.
            size_t kept = end - begin;
            if (kept > kLongestAllPairsLine) {
                skipping = true;
                kept = 0;
            }
            std::memmove(data, first, kept);
            begin = 0;
            end = kept;
            const std::streamsize got = source->sgetn(data + end, static_cast<std::streamsize>(kBlock));
            if (got <= 0) atEnd = true;
            end += static_cast<size_t>(std::max<std::streamsize>(got, 0));
            continue;
        }
        const char* const last = newline ? newline : data + end;
        if (!newline && last == first && !skipping) break;  // nothing after the last line end
        const bool overlong = skipping || static_cast<size_t>(last - first) > kLongestAllPairsLine;
        skipping = false;
        ++number;
        if (!overlong) {
            const char* lineEnd = last;
            if (lineEnd > first && *(lineEnd - 1) == '\r') --lineEnd;
            double x = 0;
            double y = 0;
            switch (ParseLine(first, lineEnd, x, y)) {
                case LineKind::Pair:
                    pairs.x.push_back(x);
                    pairs.y.push_back(y);
                    break;
                case LineKind::NoPair: break;
                case LineKind::OutOfRange: pairs.outOfRangeLine = number; return pairs;
            }
        }
        if (!newline) break;
        begin = static_cast<size_t>(newline - data) + 1;
    }
    return pairs;
}

void SortByX(AllPairs& pairs) {
    // An order of the pairs by X, and by file position among equal X; then the pairs are moved
    // into that order in place. Memory: 4 bytes a pair.
    const size_t n = pairs.x.size();
    // Files written in order need no sort: equal X already stand in file order.
    if (std::is_sorted(pairs.x.begin(), pairs.x.end())) return;
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
    DropRepeatedX(pairs);
}

}  // namespace plorimet
