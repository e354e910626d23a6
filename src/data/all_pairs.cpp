#include "data/all_pairs.h"

#include "base/number_text.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>
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

namespace {

// What the lines of a piece of text give: their pairs, how many lines there were, and the
// first whose value does not fit a double (counted from 1 within the piece).
struct LinesRead {
    std::vector<double>& x;
    std::vector<double>& y;
    long long lines = 0;
    std::optional<long long> outOfRangeLine;
};

// The lines of [first, last), each ended by LF but perhaps the last; reading stops at a value
// beyond a double.
void ReadLines(const char* first, const char* const last, LinesRead& read) {
    while (first < last) {
        const char* const newline = static_cast<const char*>(std::memchr(first, '\n', last - first));
        const char* lineEnd = newline ? newline : last;
        ++read.lines;
        if (static_cast<size_t>(lineEnd - first) <= kLongestAllPairsLine) {
            if (lineEnd > first && *(lineEnd - 1) == '\r') --lineEnd;
            double x = 0;
            double y = 0;
            switch (ParseLine(first, lineEnd, x, y)) {
                case LineKind::Pair:
                    read.x.push_back(x);
                    read.y.push_back(y);
                    break;
                case LineKind::NoPair: break;
                case LineKind::OutOfRange: read.outOfRangeLine = read.lines; return;
            }
        }
        if (!newline) return;
        first = newline + 1;
    }
}

// Where the piece `piece` of `pieces` of the whole lines [first, last) starts: at a line's start.
const char* PieceStart(const char* first, const char* last, int piece, int pieces) {
    if (piece == 0) return first;
    const char* at = first + (last - first) / pieces * piece;
    const char* newline = static_cast<const char*>(std::memchr(at, '\n', last - at));
    return newline ? newline + 1 : last;
}

}  // namespace

AllPairs ReadAllPairs(std::istream& in, const WorkSplit& split) {
    AllPairs pairs;
    std::streambuf* source = in.rdbuf();
    if (source == nullptr) return pairs;
    // The text is read in blocks; the whole lines of a block are read where they lie, and the
    // line cut by its end is moved to the front, kept to no more than an overlong line needs
    // to stay one, before the next block is read behind it.
    constexpr size_t kBlock = 1 << 20;
    constexpr size_t kPieceAtLeast = 1 << 16;
    const std::unique_ptr<char[]> storage(new char[kBlock + kLongestAllPairsLine + 1]);
    char* const data = storage.get();
    const int pieces = std::max(1, split.pieces);
    std::vector<std::vector<double>> pieceX(pieces - 1), pieceY(pieces - 1);
    // Where the stream tells its length (a file), room for its pairs is made once, after the
    // first block, from the pairs a byte gave there, rather than grown by doubling.
    const std::streamoff start = source->pubseekoff(0, std::ios::cur, std::ios::in);
    std::streamoff length = -1;
    if (start >= 0) {
        length = source->pubseekoff(0, std::ios::end, std::ios::in) - start;
        source->pubseekpos(start, std::ios::in);
    }
    size_t kept = 0;
    long long linesBefore = 0;
    for (bool first = true;; first = false) {
        const std::streamsize got = source->sgetn(data + kept, static_cast<std::streamsize>(kBlock));
        const size_t end = kept + static_cast<size_t>(std::max<std::streamsize>(got, 0));
        const bool atEnd = got <= 0;
        size_t whole = end;  // at the end of the text, its last line need not end
        if (!atEnd) {
            while (whole > 0 && data[whole - 1] != '\n') --whole;
        }
        const int used = whole >= kPieceAtLeast * pieces ? pieces : 1;
        std::vector<LinesRead> reads;
        for (int k = 0; k < used; ++k) {
            reads.push_back(LinesRead{k == 0 ? pairs.x : pieceX[k - 1], k == 0 ? pairs.y : pieceY[k - 1], 0, std::nullopt});
            if (k > 0) reads.back().x.clear(), reads.back().y.clear();
        }
        split.run(used, [&](int k) {
            ReadLines(PieceStart(data, data + whole, k, used), PieceStart(data, data + whole, k + 1, used), reads[k]);
        });
        for (int k = 0; k < used; ++k) {
            if (reads[k].outOfRangeLine) {
                pairs.outOfRangeLine = linesBefore + *reads[k].outOfRangeLine;
                return pairs;
            }
            linesBefore += reads[k].lines;
            if (k > 0) {
                pairs.x.insert(pairs.x.end(), reads[k].x.begin(), reads[k].x.end());
                pairs.y.insert(pairs.y.end(), reads[k].y.begin(), reads[k].y.end());
            }
        }
        if (atEnd) return pairs;
        if (first && length > 0 && whole > 0) {
            const double pairsPerByte = static_cast<double>(pairs.x.size()) / static_cast<double>(whole);
            // No line of a pair is shorter than 4 bytes ("1 2" and its end).
            const auto expected = static_cast<size_t>(std::min(pairsPerByte * 1.02, 0.25) * static_cast<double>(length));
            try {
                pairs.x.reserve(expected + 1024);
                pairs.y.reserve(expected + 1024);
            } catch (const std::bad_alloc&) {
                // A first block denser in pairs than the rest of a huge file: grown as read.
            }
        }
        kept = std::min(end - whole, kLongestAllPairsLine + 1);
        std::memmove(data, data + whole, kept);
    }
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

}  // namespace plorimet
