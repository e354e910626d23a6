#include "data/all_pairs.h"

#include "base/number_text.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdint>
#include <cstdlib>
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

enum class LineKind { Pair, NoPair, Problem };

// One number field from p: its end, or nothing at the line's end.
struct Field {
    const char* first;
    const char* last;
};

// The values of the line's fields: two (X, Y) or, with weights, three; a line of a different
// shape holds no pair (but for two numbers where three are asked for).
LineKind ParseLine(const char* const begin, const char* const end, bool weights, double* values, LineProblem& problem) {
    const int wanted = weights ? 3 : 2;
    Field fields[3];
    int count = 0;
    const char* p = begin;
    while (p < end && *p == ' ') ++p;
    for (;;) {
        const char* first = p;
        // The last field is the rest of the line but its trailing spaces.
        if (count + 1 == wanted) {
            const char* last = end;
            while (last > p && *(last - 1) == ' ') --last;
            if (last == p) break;
            fields[count++] = {first, last};
            break;
        }
        while (p < end && !IsSeparator(*p)) ++p;
        if (first == p) break;
        fields[count++] = {first, p};
        if (p == end) break;
        while (p < end && *p == ' ') ++p;
        if (p < end && (*p == ',' || *p == '\t')) {
            ++p;
            while (p < end && *p == ' ') ++p;
        }
    }
    if (count < 2) return LineKind::NoPair;
    // With weights, a line of just two numbers is a pair whose weight is missing.
    if (count == 2 && weights) {
        const char* last = end;
        while (last > fields[1].first && *(last - 1) == ' ') --last;
        bool out = false;
        bool small = false;
        const bool numbers = (ParseNumberText(fields[0].first, fields[0].last, out, small) || out) &&
                             (ParseNumberText(fields[1].first, last, out, small) || out);
        if (!numbers) return LineKind::NoPair;
        problem = LineProblem::NoWeight;
        return LineKind::Problem;
    }
    if (count < wanted) return LineKind::NoPair;
    LineProblem found = LineProblem::None;
    for (int k = 0; k < wanted; ++k) {
        bool out = false;
        bool small = false;
        const auto value = ParseNumberText(fields[k].first, fields[k].last, out, small);
        if (!value && !out) return LineKind::NoPair;
        if (out && found == LineProblem::None) found = small ? LineProblem::TooSmall : LineProblem::TooLarge;
        if (value) values[k] = *value;
    }
    if (found != LineProblem::None) {
        problem = found;
        return LineKind::Problem;
    }
    return LineKind::Pair;
}

// Whether a number text that does not fit a double is too small rather than too large: the
// power of ten of its first nonzero digit is negative.
bool IsTooSmall(const char* p, const char* last) {
    if (p < last && (*p == '+' || *p == '-')) ++p;
    long long integerDigits = 0;
    long long index = 0;        // of the digit, the point not counted
    long long firstNonzero = -1;
    bool afterPoint = false;
    for (; p < last && *p != 'e' && *p != 'E'; ++p) {
        if (*p == '.') {
            afterPoint = true;
            continue;
        }
        if (!afterPoint) ++integerDigits;
        if (firstNonzero < 0 && *p != '0') firstNonzero = index;
        ++index;
    }
    // strtoll saturates an exponent of many digits; held within +-2^62 the sum cannot overflow
    // (the digit counts are far below 2^62) and its sign is the same.
    constexpr long long kFarthest = 1LL << 62;
    const long long exponent =
        p < last ? std::clamp(std::strtoll(std::string(p + 1, last).c_str(), nullptr, 10), -kFarthest, kFarthest) : 0;
    return firstNonzero >= 0 && integerDigits - 1 - firstNonzero + exponent < 0;
}

}  // namespace

std::optional<double> ParseNumberText(const char* first, const char* last, bool& outOfRange) {
    bool tooSmall = false;
    return ParseNumberText(first, last, outOfRange, tooSmall);
}

std::optional<double> ParseNumberText(const char* first, const char* last, bool& outOfRange, bool& tooSmall) {
    outOfRange = false;
    tooSmall = false;
    if (!IsNumberText(first, last)) return std::nullopt;
    if (*first == '+') ++first;  // from_chars takes no plus sign
    double value = 0.0;
    const auto result = ParseDouble(first, last, value);
    if (result.ec == std::errc::result_out_of_range) {
        outOfRange = true;
        tooSmall = IsTooSmall(first, last);
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
    std::vector<double>& w;
    bool weights = false;
    long long lines = 0;
    std::optional<long long> outOfRangeLine;
    LineProblem problem = LineProblem::None;
};

// The end of the line starting at first (its first CR or LF, or last), and where the next
// starts: past LF, CR LF, CR or CR CR LF.
const char* LineEnd(const char* first, const char* last, const char*& next) {
    const char* p = first;
    while (p < last && *p != '\n' && *p != '\r') ++p;
    next = p;
    if (p == last) return p;
    if (*p == '\n') {
        next = p + 1;
    } else if (p + 1 < last && p[1] == '\n') {
        next = p + 2;
    } else if (p + 2 < last && p[1] == '\r' && p[2] == '\n') {
        next = p + 3;
    } else {
        next = p + 1;
    }
    return p;
}

// The lines of [first, last), each ended as LineEnd has it but perhaps the last; reading stops
// at a line with a problem.
void ReadLines(const char* first, const char* const last, LinesRead& read) {
    while (first < last) {
        const char* next = nullptr;
        const char* lineEnd = LineEnd(first, last, next);
        ++read.lines;
        if (static_cast<size_t>(lineEnd - first) <= kLongestAllPairsLine) {
            double values[3] = {0, 0, 0};
            switch (ParseLine(first, lineEnd, read.weights, values, read.problem)) {
                case LineKind::Pair:
                    read.x.push_back(values[0]);
                    read.y.push_back(values[1]);
                    if (read.weights) read.w.push_back(values[2]);
                    break;
                case LineKind::NoPair: break;
                case LineKind::Problem: read.outOfRangeLine = read.lines; return;
            }
        }
        if (next == lineEnd) return;  // the text's end
        first = next;
    }
}

// Where the piece `piece` of `pieces` of the whole lines [first, last) starts: at a line's start.
// (After a LF, which no line ending continues past.)
const char* PieceStart(const char* first, const char* last, int piece, int pieces) {
    if (piece == 0) return first;
    const char* at = first + (last - first) / pieces * piece;
    const char* newline = static_cast<const char*>(std::memchr(at, '\n', last - at));
    return newline ? newline + 1 : last;
}

// Where the whole lines of a block end: after its last line ending that the next block cannot
// continue: a LF, or a CR with a line's text after it. A CR at the block's very end may be the
// first byte of CR LF or CR CR LF: the cut goes to the line ending before it.
size_t WholeLines(const char* data, size_t end) {
    size_t whole = end;
    while (whole > 0 && data[whole - 1] != '\n' && data[whole - 1] != '\r') --whole;
    if (whole == 0 || data[whole - 1] == '\n' || whole < end) return whole;
    while (whole > 0 && data[whole - 1] == '\r') --whole;
    while (whole > 0 && data[whole - 1] != '\n' && data[whole - 1] != '\r') --whole;
    return whole;
}

}  // namespace

AllPairs ReadAllPairs(std::istream& in, const WorkSplit& split, bool weights) {
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
    std::vector<std::vector<double>> pieceX(pieces - 1), pieceY(pieces - 1), pieceW(pieces - 1);
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
        // At the end of the text its last line need not end; before it, the whole lines.
        size_t whole = atEnd ? end : WholeLines(data, end);
        // Pieces start after a LF: a text of CR line ends is read in one.
        const int used = whole >= kPieceAtLeast * pieces && std::memchr(data, '\n', whole) ? pieces : 1;
        std::vector<LinesRead> reads;
        for (int k = 0; k < used; ++k) {
            reads.push_back(LinesRead{k == 0 ? pairs.x : pieceX[k - 1], k == 0 ? pairs.y : pieceY[k - 1],
                                      k == 0 ? pairs.w : pieceW[k - 1], weights, 0, std::nullopt, LineProblem::None});
            if (k > 0) reads.back().x.clear(), reads.back().y.clear(), reads.back().w.clear();
        }
        split.run(used, [&](int k) {
            ReadLines(PieceStart(data, data + whole, k, used), PieceStart(data, data + whole, k + 1, used), reads[k]);
        });
        for (int k = 0; k < used; ++k) {
            if (reads[k].outOfRangeLine) {
                pairs.outOfRangeLine = linesBefore + *reads[k].outOfRangeLine;
                pairs.problem = reads[k].problem;
                return pairs;
            }
            linesBefore += reads[k].lines;
            if (k > 0) {
                pairs.x.insert(pairs.x.end(), reads[k].x.begin(), reads[k].x.end());
                pairs.y.insert(pairs.y.end(), reads[k].y.begin(), reads[k].y.end());
                pairs.w.insert(pairs.w.end(), reads[k].w.begin(), reads[k].w.end());
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
        const bool weighted = !pairs.w.empty();
        const double firstX = pairs.x[start];
        const double firstY = pairs.y[start];
        const double firstW = weighted ? pairs.w[start] : 0.0;
        size_t k = start;
        for (;;) {
            const size_t from = order[k];
            order[k] = UINT32_MAX;
            if (from == start) {
                pairs.x[k] = firstX;
                pairs.y[k] = firstY;
                if (weighted) pairs.w[k] = firstW;
                break;
            }
            pairs.x[k] = pairs.x[from];
            pairs.y[k] = pairs.y[from];
            if (weighted) pairs.w[k] = pairs.w[from];
            k = from;
        }
    }
}

}  // namespace plorimet
