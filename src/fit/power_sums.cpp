#include "fit/power_sums.h"

#include <algorithm>
#include <cstring>

namespace plorimet {

namespace {

namespace mp = boost::multiprecision;
using Int = mp::cpp_int;
using Word = uint64_t;

// a * b + c + d as two words (it cannot exceed them): the low one returned, the high one in `high`.
inline Word MultiplyAdd(Word a, Word b, Word c, Word d, Word& high) {
#if defined(__SIZEOF_INT128__)
    const unsigned __int128 sum = static_cast<unsigned __int128>(a) * b + c + d;
    high = static_cast<Word>(sum >> 64);
    return static_cast<Word>(sum);
#else
    const Word aLow = a & 0xffffffffu, aHigh = a >> 32, bLow = b & 0xffffffffu, bHigh = b >> 32;
    const Word lowLow = aLow * bLow, lowHigh = aLow * bHigh, highLow = aHigh * bLow;
    const Word middle = (lowLow >> 32) + (lowHigh & 0xffffffffu) + (highLow & 0xffffffffu);
    Word low = (middle << 32) | (lowLow & 0xffffffffu);
    high = aHigh * bHigh + (lowHigh >> 32) + (highLow >> 32) + (middle >> 32);
    low += c;
    high += low < c;
    low += d;
    high += low < d;
    return low;
#endif
}

// out[0 .. la + lb) = a[0 .. la) * b[0 .. lb).
void Multiply(const Word* a, int la, const Word* b, int lb, Word* out) {
    std::fill(out, out + la + lb, Word(0));
    for (int i = 0; i < lb; ++i) {
        Word carry = 0;
        for (int j = 0; j < la; ++j) out[i + j] = MultiplyAdd(a[j], b[i], out[i + j], carry, carry);
        out[i + la] = carry;
    }
}

// A sum of nonnegative integers, each word added on its own: the carries out of word j are
// counted in carries[j] and passed on once, when the sum is read, so that no addition waits
// for the one before.
inline void AddWords(Word* words, Word* carries, const Word* value, int length) {
    for (int j = 0; j < length; ++j) {
        const Word sum = words[j] + value[j];
        carries[j] += sum < value[j];
        words[j] = sum;
    }
}

Int ReadWords(const Word* words, const Word* carries, int length) {
    std::vector<Word> resolved(static_cast<size_t>(length) + 1);
    Word carryIn = 0;  // fewer carries than points, so this stays within a word
    for (int j = 0; j < length; ++j) {
        const Word sum = words[j] + carryIn;
        const Word overflow = sum < carryIn;
        resolved[j] = sum;
        carryIn = carries[j] + overflow;
    }
    resolved[length] = carryIn;
    Int value;
    mp::import_bits(value, resolved.begin(), resolved.end(), 64, false);
    return value;
}

// |v| = m * 2^e with m < 2^53.
struct Parts {
    Word m;
    int e;
    bool negative;
};

Parts Split(double v) {
    Word bits = 0;
    std::memcpy(&bits, &v, sizeof bits);
    const int field = static_cast<int>((bits >> 52) & 0x7ff);
    Word m = bits & ((Word(1) << 52) - 1);
    if (field != 0) m |= Word(1) << 52;
    return {m, (field != 0 ? field : 1) - 1075, (bits >> 63) != 0};
}

int WordsFor(int64_t bits) { return static_cast<int>((bits + 63) / 64); }

// Where each sum of a group lies in the group's block of words.
struct Layout {
    int highest = 0;  // highest power summed
    int terms = 0;
    std::vector<int> offset;
    std::vector<int> length;
    int total = 0;

    Layout(int terms, int yWords) : highest(2 * (terms - 1)), terms(terms) {
        auto add = [&](int words) {
            offset.push_back(total);
            length.push_back(words);
            total += words;
        };
        add(0);                                                   // power 0: the count
        for (int p = 1; p <= highest; ++p) add(WordsFor(53LL * p));  // x^p < 2^(53 p)
        for (int i = 0; i < terms; ++i) {
            add(WordsFor(53LL * i) + yWords);  // moments of positive Y, then of negative Y
            add(WordsFor(53LL * i) + yWords);
        }
    }
    int Moment(int i, bool negative) const { return highest + 1 + 2 * i + (negative ? 1 : 0); }
};

struct Group {
    int e = 0;  // every X of the group is m * 2^e, m < 2^53, with the group's sign
    bool negative = false;
};

// The word sums of some of the points, summed with the carries counted apart: each group's
// block of layout.total words, then the squares of Y (2 yWords), then Y's sums of each sign.
struct Tally {
    std::vector<Word> words;
    std::vector<Word> carries;
    std::vector<Word> count;       // points of each group
    std::vector<char> anyNonzero;  // whether the group holds an X other than 0

    Tally(size_t groups, const Layout& layout, int yWords)
        : words(groups * layout.total + 4 * static_cast<size_t>(yWords), 0),
          carries(words.size(), 0),
          count(groups, 0),
          anyNonzero(groups, 0) {}

    // Adds another tally: the sums are exact, so how the points were cut changes nothing.
    void Add(const Tally& other) {
        AddWords(words.data(), carries.data(), other.words.data(), static_cast<int>(words.size()));
        for (size_t j = 0; j < carries.size(); ++j) carries[j] += other.carries[j];
        for (size_t g = 0; g < count.size(); ++g) {
            count[g] += other.count[g];
            anyNonzero[g] |= other.anyNonzero[g];
        }
    }
};

// sum of coefficient(k) * 2^(shift(k)) over the groups, all shifts nonnegative.
Int ShiftedSum(const std::vector<std::pair<Int, int64_t>>& parts) {
    Int sum = 0;
    for (const auto& [value, shift] : parts) sum += value << static_cast<unsigned>(shift);
    return sum;
}

}  // namespace

std::optional<PowerSums> SumPowersInWords(PointsView points, int terms, double center, int shift,
                                          const WorkSplit& split) {
    if (terms < 1) return std::nullopt;

    // The groups, and Y as one integer over a common power of two.
    std::vector<short> groupOf(4096, -1);
    std::vector<Group> groups;
    int64_t yLowest = 0;
    int64_t yTop = 0;
    bool anyY = false;
    for (long long k = 0; k < points.count; ++k) {
        Word bits = 0;
        std::memcpy(&bits, &points.x[k], sizeof bits);
        short& slot = groupOf[bits >> 52];
        if (slot < 0) {
            if (static_cast<int>(groups.size()) == kMostPowerGroups) return std::nullopt;
            const Parts x = Split(points.x[k]);
            slot = static_cast<short>(groups.size());
            groups.push_back(Group{x.e, x.negative});
        }
        const Parts y = Split(points.y[k]);
        if (y.m == 0) continue;
        const int64_t low = y.e + __builtin_ctzll(y.m);
        const int64_t top = y.e + (64 - __builtin_clzll(y.m));
        yLowest = anyY ? std::min(yLowest, low) : low;
        yTop = anyY ? std::max(yTop, top) : top;
        anyY = true;
    }
    const int yWords = std::max(1, WordsFor(yTop - yLowest));
    if (yWords > kWidestY) return std::nullopt;

    const Layout layout(terms, yWords);
    const size_t squaresAt = groups.size() * layout.total;
    const size_t ySumAt[2] = {squaresAt + 2 * yWords, squaresAt + 3 * yWords};

    // The points cut into the split's pieces, each tallied apart and the tallies added.
    const long long pieceCount = std::max<long long>(1, std::min<long long>(split.pieces, points.count));
    std::vector<Tally> tallies(pieceCount, Tally(groups.size(), layout, yWords));
    split.run(static_cast<int>(pieceCount), [&](int piece) {
        Tally& tally = tallies[piece];
        Word* const squareWords = tally.words.data() + squaresAt;
        Word* const squareCarries = tally.carries.data() + squaresAt;
        const int longest = WordsFor(53LL * (layout.highest + 1)) + kWidestY + 1;
        std::vector<Word> power(longest);
        std::vector<Word> product(longest + kWidestY);
        const long long end = points.count * (piece + 1) / pieceCount;
        for (long long k = points.count * piece / pieceCount; k < end; ++k) {
            Word bits = 0;
            std::memcpy(&bits, &points.x[k], sizeof bits);
            const int g = groupOf[bits >> 52];
            ++tally.count[g];
            Word* const groupWords = tally.words.data() + g * layout.total;
            Word* const groupCarries = tally.carries.data() + g * layout.total;
            const Parts x = Split(points.x[k]);
            const Parts y = Split(points.y[k]);

            Word yValue[kWidestY] = {};
            if (y.m != 0) {
                const int zeros = __builtin_ctzll(y.m);
                const Word odd = y.m >> zeros;
                const int64_t at = y.e + zeros - yLowest;
                const int q = static_cast<int>(at / 64);
                const int r = static_cast<int>(at % 64);
                yValue[q] = odd << r;
                if (r != 0 && q + 1 < yWords) yValue[q + 1] = odd >> (64 - r);
                Multiply(yValue, yWords, yValue, yWords, product.data());
                AddWords(squareWords, squareCarries, product.data(), 2 * yWords);
                AddWords(tally.words.data() + ySumAt[y.negative], tally.carries.data() + ySumAt[y.negative], yValue,
                         yWords);
                const int slot = layout.Moment(0, y.negative);
                AddWords(groupWords + layout.offset[slot], groupCarries + layout.offset[slot], yValue, yWords);
            }
            if (x.m == 0) continue;
            tally.anyNonzero[g] = 1;

            // Each power of X is added to its sum (and, times Y, to its moment) while the next is
            // made from it.
            power[0] = x.m;
            int length = 1;
            const Word m = x.m;
            for (int p = 1; p <= layout.highest; ++p) {
                Word* const words = groupWords + layout.offset[p];
                Word* const carries = groupCarries + layout.offset[p];
                Word carry = 0;
                if (p < terms && y.m != 0 && yWords == 1) {
                    const int moment = layout.Moment(p, y.negative);
                    Word* const momentWords = groupWords + layout.offset[moment];
                    Word* const momentCarries = groupCarries + layout.offset[moment];
                    const Word yWord = yValue[0];
                    Word momentCarry = 0;
                    for (int j = 0; j < length; ++j) {
                        const Word value = power[j];
                        const Word sum = words[j] + value;
                        carries[j] += sum < value;
                        words[j] = sum;
                        const Word low = MultiplyAdd(value, yWord, 0, momentCarry, momentCarry);
                        const Word momentSum = momentWords[j] + low;
                        momentCarries[j] += momentSum < low;
                        momentWords[j] = momentSum;
                        power[j] = MultiplyAdd(value, m, 0, carry, carry);
                    }
                    const Word momentSum = momentWords[length] + momentCarry;
                    momentCarries[length] += momentSum < momentCarry;
                    momentWords[length] = momentSum;
                } else {
                    if (p < terms && y.m != 0) {
                        const int moment = layout.Moment(p, y.negative);
                        Multiply(power.data(), length, yValue, yWords, product.data());
                        AddWords(groupWords + layout.offset[moment], groupCarries + layout.offset[moment], product.data(),
                                 length + yWords);
                    }
                    for (int j = 0; j < length; ++j) {
                        const Word value = power[j];
                        const Word sum = words[j] + value;
                        carries[j] += sum < value;
                        words[j] = sum;
                        power[j] = MultiplyAdd(value, m, 0, carry, carry);
                    }
                }
                if (carry != 0) power[length++] = carry;
            }
        }
    });
    Tally& total = tallies[0];
    for (size_t piece = 1; piece < tallies.size(); ++piece) total.Add(tallies[piece]);

    // Sums of powers of x over all groups: the group of exponent e adds its sums times 2^(p e).
    auto read = [&](size_t g, int slot) {
        const size_t at = g * layout.total + layout.offset[slot];
        return ReadWords(total.words.data() + at, total.carries.data() + at, layout.length[slot]);
    };
    int64_t lowestE = 0;
    bool anyX = false;
    for (size_t g = 0; g < groups.size(); ++g) {
        if (!total.anyNonzero[g]) continue;
        lowestE = anyX ? std::min<int64_t>(lowestE, groups[g].e) : groups[g].e;
        anyX = true;
    }
    auto signFor = [](const Group& group, int power) { return group.negative && (power & 1) ? -1 : 1; };
    std::vector<Int> xPowers(layout.highest + 1);  // in units of 2^(p lowestE)
    std::vector<Int> xMoments(terms);             // in units of 2^(i lowestE + yLowest)
    for (int p = 0; p <= layout.highest; ++p) {
        std::vector<std::pair<Int, int64_t>> parts;
        for (size_t g = 0; g < groups.size(); ++g) {
            if (p == 0) {
                parts.emplace_back(Int(total.count[g]), 0);
                continue;
            }
            if (!total.anyNonzero[g]) continue;
            Int value = read(g, p);
            if (value.is_zero()) continue;
            if (signFor(groups[g], p) < 0) value = -value;
            parts.emplace_back(std::move(value), p * (groups[g].e - lowestE));
        }
        xPowers[p] = ShiftedSum(parts);
    }
    for (int i = 0; i < terms; ++i) {
        std::vector<std::pair<Int, int64_t>> parts;
        for (size_t g = 0; g < groups.size(); ++g) {
            Int value = read(g, layout.Moment(i, false)) - read(g, layout.Moment(i, true));
            if (value.is_zero()) continue;
            if (signFor(groups[g], i) < 0) value = -value;
            parts.emplace_back(std::move(value), i * (groups[g].e - lowestE));  // nonzero only for X != 0 when i > 0
        }
        xMoments[i] = ShiftedSum(parts);
    }

    // The binomial expansion of (x - center)^p, over the common unit 2^(p f), f = min(e of the
    // center, lowestE), then divided by 2^(shift p).
    const Parts c = Split(center);
    const int64_t cE = c.m == 0 ? lowestE : c.e;
    const int64_t f = std::min(cE, lowestE);
    std::vector<Int> centerPowers(layout.highest + 1);  // (-center)^k in units of 2^(k f)
    const Int minusCenter = c.negative ? Int(c.m) : -Int(c.m);
    centerPowers[0] = 1;
    for (int k = 1; k <= layout.highest; ++k) centerPowers[k] = centerPowers[k - 1] * minusCenter;
    for (int k = 1; k <= layout.highest; ++k) centerPowers[k] <<= static_cast<unsigned>(k * (cE - f));
    for (int p = 1; p <= layout.highest; ++p) xPowers[p] <<= static_cast<unsigned>(p * (lowestE - f));
    for (int i = 1; i < terms; ++i) xMoments[i] <<= static_cast<unsigned>(i * (lowestE - f));

    PowerSums sums;
    std::vector<Int> binomials{1};  // row p of Pascal's triangle
    for (int p = 0; p <= layout.highest; ++p) {
        if (p > 0) {
            std::vector<Int> next(p + 1);
            next[0] = 1;
            next[p] = 1;
            for (int q = 1; q < p; ++q) next[q] = binomials[q - 1] + binomials[q];
            binomials = std::move(next);
        }
        Int power = 0;
        Int moment = 0;
        for (int q = 0; q <= p; ++q) {
            if (centerPowers[p - q].is_zero()) continue;
            const Int weight = binomials[q] * centerPowers[p - q];
            power += weight * xPowers[q];
            if (p < terms) moment += weight * xMoments[q];
        }
        sums.powers.push_back({std::move(power), p * (f - shift)});
        if (p < terms) sums.moments.push_back({std::move(moment), p * (f - shift) + yLowest});
    }
    auto readAt = [&](size_t at, int length) {
        return ReadWords(total.words.data() + at, total.carries.data() + at, length);
    };
    sums.ySquares = {readAt(squaresAt, 2 * yWords), 2 * yLowest};
    sums.ySum = {readAt(ySumAt[0], yWords) - readAt(ySumAt[1], yWords), yLowest};
    return sums;
}

}  // namespace plorimet
