#include "fit/power_sums.h"

#include <algorithm>
#include <cstring>

#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#define PLORIMET_X86_LANES 1
#endif

namespace plorimet {

#if defined(__EMSCRIPTEN__)
// The page's grid holds 45 pairs, fewer than the sums in words pay for at any degree above 0, and
// the page's size counts: there every fit takes the general exact sums.
std::optional<PowerSums> SumPowersInWords(PointsView, int, double, int, const WorkSplit&, int) { return std::nullopt; }
int PowerKernelCount() { return 1; }
#else

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

// The powers of X, and X^i |Y|, are taken for kLanes points of a group side by side, in limbs
// of kLimbBits bits, one 64-bit lane a point. A limb times a limb of X's 53-bit mantissa leaves
// room in a lane for the column's other product and carry, and a lane adds up 2^32 limbs
// without overflow, so the sums need no carries until they are read. The processor's vector
// instructions then take several lanes at once.
constexpr int kLanes = 8;
constexpr int kLimbBits = 31;
constexpr Word kLimbMask = (Word(1) << kLimbBits) - 1;
constexpr long long kMostPoints = 1LL << 32;
constexpr int kMostYLimbs = (64 * kWidestY + kLimbBits - 1) / kLimbBits;
// What the tallies of a pass may take together; fewer pieces when a group's block is large.
constexpr size_t kMostTallyBytes = size_t(64) << 20;

int LimbsFor(int64_t bits) { return static_cast<int>((bits + kLimbBits - 1) / kLimbBits); }

// Where each sum of a group lies in the group's block of limbs (kLanes words each): the sums of
// X^p, p = 1 .. highest, then those of X^i Y, i = 0 .. terms - 1 (each lane a signed word).
struct Layout {
    int highest = 0;  // highest power of X summed
    int terms = 0;
    int yLimbs = 0;
    std::vector<int> offset;
    std::vector<int> length;
    int total = 0;

    Layout(int terms, int64_t yBits) : highest(2 * (terms - 1)), terms(terms), yLimbs(LimbsFor(yBits)) {
        auto add = [&](int limbs) {
            offset.push_back(total);
            length.push_back(limbs);
            total += limbs;
        };
        for (int p = 1; p <= highest; ++p) add(LimbsFor(53LL * p));  // x^p < 2^(53 p)
        for (int i = 0; i < terms; ++i) add(LimbsFor(yBits + 53LL * i));
    }
    int Power(int p) const { return p - 1; }
    int Moment(int i) const { return highest + i; }
    // The scratch a chain of products needs: its longest value and the two limbs read past it.
    int ChainLimbs() const { return *std::max_element(length.begin(), length.end()) + 2; }
};

// Up to kLanes points of one group waiting to be tallied together: X's mantissa in two limbs,
// |Y| in limbs, and Y's sign as a mask of every bit.
struct Batch {
    int filled = 0;
    Word xLow[kLanes] = {};
    Word xHigh[kLanes] = {};
    Word yNegative[kLanes] = {};
    Word y[kMostYLimbs][kLanes] = {};
};

// product = a * b lane by lane, for a and b below 2^32. By reference: a function of a wider
// target passes vectors in other registers than its caller, where it is not inlined.
#if defined(PLORIMET_X86_LANES)
typedef Word PlainLanes __attribute__((vector_size(16)));  // SSE2, which every x86-64 has
typedef Word Lanes4 __attribute__((vector_size(32)));
typedef Word Lanes8 __attribute__((vector_size(64)));
__attribute__((target("avx512f"))) inline void MultiplyLow(const Lanes8& a, const Lanes8& b, Lanes8& product) {
    product = reinterpret_cast<Lanes8>(
        _mm512_maskz_mul_epu32(0xff, reinterpret_cast<__m512i>(a), reinterpret_cast<__m512i>(b)));
}
__attribute__((target("avx2"))) inline void MultiplyLow(const Lanes4& a, const Lanes4& b, Lanes4& product) {
    product = reinterpret_cast<Lanes4>(_mm256_mul_epu32(reinterpret_cast<__m256i>(a), reinterpret_cast<__m256i>(b)));
}
inline void MultiplyLow(const PlainLanes& a, const PlainLanes& b, PlainLanes& product) {
    product = reinterpret_cast<PlainLanes>(_mm_mul_epu32(reinterpret_cast<__m128i>(a), reinterpret_cast<__m128i>(b)));
}
#else
using PlainLanes = Word;  // one lane at a time
inline void MultiplyLow(const Word& a, const Word& b, Word& product) { product = a * b; }
#endif

template <class V>
V Load(const Word* at) {
    V v;
    std::memcpy(&v, at, sizeof v);
    return v;
}
template <class V>
void Store(Word* at, V v) {
    std::memcpy(at, &v, sizeof v);
}

// sums[0 .. length) += limbs[0 .. length), lane by lane; negated where Y is negative if kSigned.
template <class V, bool kSigned>
void AddLimbs(const Word* limbs, int length, const Batch& batch, Word* sums) {
    constexpr int kWidth = sizeof(V) / sizeof(Word);
    for (int k = 0; k < length * kLanes; k += kWidth) {
        V limb = Load<V>(limbs + k);
        if constexpr (kSigned) {
            const V negative = Load<V>(batch.yNegative + k % kLanes);
            limb = (limb ^ negative) - negative;
        }
        Store(sums + k, Load<V>(sums + k) + limb);
    }
}

// chain[0 .. length) times X, limb by limb in place, each limb of the product then added to
// sums. The chain's limbs from its old length up to `length` must be 0.
template <class V, bool kSigned>
void MultiplyAndAdd(Word* chain, int length, const Batch& batch, Word* sums) {
    constexpr int kWidth = sizeof(V) / sizeof(Word);
    constexpr int kParts = kLanes / kWidth;  // taken side by side: independent carries
    V low[kParts], high[kParts], negative[kParts], carry[kParts], previous[kParts];
    const V mask = V{} + kLimbMask;
#pragma GCC unroll 4
    for (int s = 0; s < kParts; ++s) {
        low[s] = Load<V>(batch.xLow + s * kWidth);
        high[s] = Load<V>(batch.xHigh + s * kWidth);
        negative[s] = Load<V>(batch.yNegative + s * kWidth);
        carry[s] = previous[s] = V{};
    }
    for (int k = 0; k < length; ++k) {
        Word* const limbs = chain + k * kLanes;
        Word* const sum = sums + k * kLanes;
#pragma GCC unroll 4  // the parts' values stay in registers
        for (int s = 0; s < kParts; ++s) {
            const V current = Load<V>(limbs + s * kWidth);
            V column;
            V fromPrevious;
            MultiplyLow(current, low[s], column);
            MultiplyLow(previous[s], high[s], fromPrevious);
            column += fromPrevious + carry[s];
            previous[s] = current;
            carry[s] = column >> kLimbBits;
            V limb = column & mask;
            Store(limbs + s * kWidth, limb);
            if constexpr (kSigned) limb = (limb ^ negative[s]) - negative[s];
            Store(sum + s * kWidth, Load<V>(sum + s * kWidth) + limb);
        }
    }
}

// A batch's powers of X and moments X^i Y added to its group's block of limbs.
template <class V>
void TallyBatch(const Batch& batch, const Layout& layout, Word* group, Word* chain) {
    const int chainWords = layout.ChainLimbs() * kLanes;
    if (layout.highest > 0) {
        std::fill(chain, chain + chainWords, Word(0));
        std::memcpy(chain, batch.xLow, sizeof batch.xLow);
        std::memcpy(chain + kLanes, batch.xHigh, sizeof batch.xHigh);
        AddLimbs<V, false>(chain, layout.length[layout.Power(1)], batch, group + layout.offset[layout.Power(1)] * kLanes);
        for (int p = 2; p <= layout.highest; ++p) {
            const int slot = layout.Power(p);
            MultiplyAndAdd<V, false>(chain, layout.length[slot], batch, group + layout.offset[slot] * kLanes);
        }
    }
    std::fill(chain, chain + chainWords, Word(0));
    std::memcpy(chain, batch.y, sizeof(Word) * kLanes * layout.yLimbs);
    AddLimbs<V, true>(chain, layout.length[layout.Moment(0)], batch, group + layout.offset[layout.Moment(0)] * kLanes);
    for (int i = 1; i < layout.terms; ++i) {
        const int slot = layout.Moment(i);
        MultiplyAndAdd<V, true>(chain, layout.length[slot], batch, group + layout.offset[slot] * kLanes);
    }
}

using BatchTally = void (*)(const Batch&, const Layout&, Word* group, Word* chain);
#if defined(PLORIMET_X86_LANES)
__attribute__((target("avx512f"), flatten)) void TallyBatch512(const Batch& b, const Layout& l, Word* g, Word* c) {
    TallyBatch<Lanes8>(b, l, g, c);
}
__attribute__((target("avx2"), flatten)) void TallyBatch256(const Batch& b, const Layout& l, Word* g, Word* c) {
    TallyBatch<Lanes4>(b, l, g, c);
}
#endif
void TallyBatchPlain(const Batch& b, const Layout& l, Word* g, Word* c) { TallyBatch<PlainLanes>(b, l, g, c); }

// Those this processor has, widest first.
const std::vector<BatchTally>& BatchTallies() {
    static const std::vector<BatchTally> tallies = [] {
        std::vector<BatchTally> found;
#if defined(PLORIMET_X86_LANES)
        if (__builtin_cpu_supports("avx512f")) found.push_back(TallyBatch512);
        if (__builtin_cpu_supports("avx2")) found.push_back(TallyBatch256);
#endif
        found.push_back(TallyBatchPlain);
        return found;
    }();
    return tallies;
}

// The signed value of limbs[0 .. length), each the sum of its kLanes signed lanes.
Int ReadLimbs(const Word* limbs, int length) {
    Int value = 0;
    for (int k = length - 1; k >= 0; --k) {
        Word low = 0;
        Word high = 0;  // the lanes' sum is high * 2^64 + low, in two's complement
        for (int l = 0; l < kLanes; ++l) {
            const Word lane = limbs[k * kLanes + l];
            low += lane;
            high += (low < lane) - (lane >> 63);
        }
        Int column(static_cast<int64_t>(high));
        column <<= 64;
        column += low;
        value <<= kLimbBits;
        value += column;
    }
    return value;
}

struct Group {
    int e = 0;  // every X of the group is m * 2^e, m < 2^53, with the group's sign
    bool negative = false;
};

// The sums of some of the points: each group's block of layout.total limbs, with its batch
// waiting, and, in words with the carries counted apart, the squares of Y (2 yWords words) and
// Y's sums of each sign.
struct Tally {
    std::vector<Word> limbs;
    std::vector<Batch> batches;
    std::vector<Word> chain;
    std::vector<Word> words;
    std::vector<Word> carries;
    std::vector<Word> count;       // points of each group
    std::vector<char> anyNonzero;  // whether the group holds an X other than 0

    Tally(size_t groups, const Layout& layout, int yWords)
        : limbs(groups * layout.total * kLanes, 0),
          batches(groups),
          chain(static_cast<size_t>(layout.ChainLimbs()) * kLanes),
          words(4 * static_cast<size_t>(yWords), 0),
          carries(words.size(), 0),
          count(groups, 0),
          anyNonzero(groups, 0) {}

    // Adds another tally: the sums are exact, so how the points were cut changes nothing.
    void Add(const Tally& other) {
        for (size_t j = 0; j < limbs.size(); ++j) limbs[j] += other.limbs[j];
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

// X's sign and exponent field, which pick its group.
inline size_t SignAndExponent(double x) {
    Word bits = 0;
    std::memcpy(&bits, &x, sizeof bits);
    return static_cast<size_t>(bits >> 52);
}

// The points' groups, and Y as one integer over a common power of two: every |Y| lies in the
// bits yLowest .. yTop - 1 (both 0 when every Y is 0).
struct Grouping {
    std::vector<short> groupOf = std::vector<short>(4096, -1);  // by SignAndExponent
    std::vector<Group> groups;
    int64_t yLowest = 0;
    int64_t yTop = 0;
};

// Nothing when X has more than kMostPowerGroups signs and exponents.
std::optional<Grouping> GroupPoints(PointsView points) {
    Grouping grouping;
    bool anyY = false;
    for (long long k = 0; k < points.count; ++k) {
        short& slot = grouping.groupOf[SignAndExponent(points.x[k])];
        if (slot < 0) {
            if (static_cast<int>(grouping.groups.size()) == kMostPowerGroups) return std::nullopt;
            const Parts x = Split(points.x[k]);
            slot = static_cast<short>(grouping.groups.size());
            grouping.groups.push_back(Group{x.e, x.negative});
        }
        const Parts y = Split(points.y[k]);
        if (y.m == 0) continue;
        const int64_t low = y.e + __builtin_ctzll(y.m);
        const int64_t top = y.e + (64 - __builtin_clzll(y.m));
        grouping.yLowest = anyY ? std::min(grouping.yLowest, low) : low;
        grouping.yTop = anyY ? std::max(grouping.yTop, top) : top;
        anyY = true;
    }
    return grouping;
}

// What every piece of a pass over the points shares.
struct Pass {
    const Grouping* grouping;
    Layout layout;
    int yWords;        // the words of |Y| over 2^yLowest
    size_t ySumAt[2];  // where a tally's words hold Y's sums of each sign (its squares at 0)
    BatchTally tallyBatch;
};

// The group's batch added to its block of limbs, and emptied.
inline void TallyGroup(const Pass& pass, Tally& tally, size_t g) {
    pass.tallyBatch(tally.batches[g], pass.layout, tally.limbs.data() + g * pass.layout.total * kLanes,
                    tally.chain.data());
    tally.batches[g].filled = 0;
}

// |Y| = odd * 2^at, Y not 0, into the batch's lane in limbs (odd has at most 53 bits, so three
// limbs hold it), and in words into the tally's sums of Y^2 and of Y of its sign.
inline void TallyY(const Pass& pass, const Parts& y, Batch& batch, int lane, Tally& tally, Word* product) {
    const int zeros = __builtin_ctzll(y.m);
    const Word odd = y.m >> zeros;
    const int64_t at = y.e + zeros - pass.grouping->yLowest;
    const int limb = static_cast<int>(at / kLimbBits);
    const int bit = static_cast<int>(at % kLimbBits);
    const Word parts[3] = {odd << bit, odd >> (kLimbBits - bit), odd >> (2 * kLimbBits - bit)};
    for (int j = 0; j < 3 && limb + j < pass.layout.yLimbs; ++j) batch.y[limb + j][lane] = parts[j] & kLimbMask;
    const int yWords = pass.yWords;
    Word yValue[kWidestY] = {};
    const int q = static_cast<int>(at / 64);
    const int r = static_cast<int>(at % 64);
    yValue[q] = odd << r;
    if (r != 0 && q + 1 < yWords) yValue[q + 1] = odd >> (64 - r);
    Multiply(yValue, yWords, yValue, yWords, product);
    AddWords(tally.words.data(), tally.carries.data(), product, 2 * yWords);
    const size_t sumAt = pass.ySumAt[y.negative];
    AddWords(tally.words.data() + sumAt, tally.carries.data() + sumAt, yValue, yWords);
}

// One point into its group's batch, the batch tallied once full; `product` is scratch of
// 2 kWidestY words.
inline void TallyPoint(const Pass& pass, double xValue, double yValue, Tally& tally, Word* product) {
    const int g = pass.grouping->groupOf[SignAndExponent(xValue)];
    ++tally.count[g];
    const Parts x = Split(xValue);
    const Parts y = Split(yValue);
    Batch& batch = tally.batches[g];
    const int lane = batch.filled;
    batch.xLow[lane] = x.m & kLimbMask;
    batch.xHigh[lane] = x.m >> kLimbBits;
    batch.yNegative[lane] = y.negative ? ~Word(0) : 0;
    for (int j = 0; j < pass.layout.yLimbs; ++j) batch.y[j][lane] = 0;
    tally.anyNonzero[g] |= x.m != 0;
    if (y.m != 0) TallyY(pass, y, batch, lane, tally, product);
    if (++batch.filled == kLanes) TallyGroup(pass, tally, g);
}

// The batches left part full, their other lanes holding points of X = 0 and Y = 0.
void TallyPartBatches(const Pass& pass, Tally& tally) {
    for (size_t g = 0; g < pass.grouping->groups.size(); ++g) {
        Batch& batch = tally.batches[g];
        if (batch.filled == 0) continue;
        for (int lane = batch.filled; lane < kLanes; ++lane) {
            batch.xLow[lane] = batch.xHigh[lane] = batch.yNegative[lane] = 0;
            for (int j = 0; j < pass.layout.yLimbs; ++j) batch.y[j][lane] = 0;
        }
        TallyGroup(pass, tally, g);
    }
}

// The points cut into the split's pieces, each tallied apart and the tallies added.
Tally TallyPoints(PointsView points, const Pass& pass, const WorkSplit& split) {
    const size_t groupCount = pass.grouping->groups.size();
    const size_t pieceBytes = groupCount * pass.layout.total * kLanes * sizeof(Word);
    const long long pieceCount = std::max<long long>(
        1, std::min<long long>({split.pieces, points.count, static_cast<long long>(kMostTallyBytes / pieceBytes)}));
    std::vector<Tally> tallies(pieceCount, Tally(groupCount, pass.layout, pass.yWords));
    split.run(static_cast<int>(pieceCount), [&](int piece) {
        Tally& tally = tallies[piece];
        std::vector<Word> product(2 * kWidestY);
        const long long end = points.count * (piece + 1) / pieceCount;
        for (long long k = points.count * piece / pieceCount; k < end; ++k)
            TallyPoint(pass, points.x[k], points.y[k], tally, product.data());
        TallyPartBatches(pass, tally);
    });
    Tally& total = tallies[0];
    for (size_t piece = 1; piece < tallies.size(); ++piece) total.Add(tallies[piece]);
    return std::move(total);
}

// The sums of powers of x over all groups, over the unit of the lowest exponent of an X other
// than 0 (lowestE).
struct XSums {
    std::vector<Int> powers;   // sum of x^p in units of 2^(p lowestE)
    std::vector<Int> moments;  // sum of x^i y in units of 2^(i lowestE + yLowest)
    int64_t lowestE = 0;
};

int64_t LowestExponent(const Tally& total, const std::vector<Group>& groups) {
    int64_t lowestE = 0;
    bool anyX = false;
    for (size_t g = 0; g < groups.size(); ++g) {
        if (!total.anyNonzero[g]) continue;
        lowestE = anyX ? std::min<int64_t>(lowestE, groups[g].e) : groups[g].e;
        anyX = true;
    }
    return lowestE;
}

// The groups' sums in one slot of a sum with X^power: the group of exponent e adds its sum times
// 2^(power (e - lowestE)), negated for a negative X and an odd power. A group of X = 0 only has
// none for a power above 0.
Int SumOverGroups(const Tally& total, const Pass& pass, int slot, int power, int64_t lowestE) {
    const std::vector<Group>& groups = pass.grouping->groups;
    std::vector<std::pair<Int, int64_t>> parts;
    for (size_t g = 0; g < groups.size(); ++g) {
        if (power > 0 && !total.anyNonzero[g]) continue;
        const Word* limbs = total.limbs.data() + (g * pass.layout.total + pass.layout.offset[slot]) * kLanes;
        Int value = ReadLimbs(limbs, pass.layout.length[slot]);
        if (value.is_zero()) continue;
        if (groups[g].negative && (power & 1)) value = -value;
        parts.emplace_back(std::move(value), power * (groups[g].e - lowestE));
    }
    return ShiftedSum(parts);
}

XSums SumX(const Tally& total, const Pass& pass) {
    const Layout& layout = pass.layout;
    XSums x;
    x.lowestE = LowestExponent(total, pass.grouping->groups);
    x.powers.push_back(0);  // the points counted
    for (Word count : total.count) x.powers[0] += count;
    for (int p = 1; p <= layout.highest; ++p)
        x.powers.push_back(SumOverGroups(total, pass, layout.Power(p), p, x.lowestE));
    for (int i = 0; i < layout.terms; ++i)
        x.moments.push_back(SumOverGroups(total, pass, layout.Moment(i), i, x.lowestE));
    return x;
}

// (-center)^k in units of 2^(k f), k = 0 .. highest, for the center c.m * 2^cE.
std::vector<Int> CenterPowers(const Parts& c, int64_t cE, int64_t f, int highest) {
    std::vector<Int> powers(highest + 1);
    const Int minusCenter = c.negative ? Int(c.m) : -Int(c.m);
    powers[0] = 1;
    for (int k = 1; k <= highest; ++k) powers[k] = powers[k - 1] * minusCenter;
    for (int k = 1; k <= highest; ++k) powers[k] <<= static_cast<unsigned>(k * (cE - f));
    return powers;
}

// Row p of Pascal's triangle from row p - 1.
std::vector<Int> NextBinomials(const std::vector<Int>& row) {
    const size_t p = row.size();
    std::vector<Int> next(p + 1);
    next[0] = 1;
    next[p] = 1;
    for (size_t q = 1; q < p; ++q) next[q] = row[q - 1] + row[q];
    return next;
}

// The binomial expansion of (x - center)^p, over the common unit 2^(p f), f = min(e of the
// center, lowestE), then divided by 2^(shift p): the sums of powers of t and the moments.
void ExpandAboutCenter(XSums& x, double center, int shift, int64_t yLowest, PowerSums& sums) {
    const int highest = static_cast<int>(x.powers.size()) - 1;
    const int terms = static_cast<int>(x.moments.size());
    const Parts c = Split(center);
    const int64_t cE = c.m == 0 ? x.lowestE : c.e;
    const int64_t f = std::min(cE, x.lowestE);
    const std::vector<Int> centerPowers = CenterPowers(c, cE, f, highest);
    for (int p = 1; p <= highest; ++p) x.powers[p] <<= static_cast<unsigned>(p * (x.lowestE - f));
    for (int i = 1; i < terms; ++i) x.moments[i] <<= static_cast<unsigned>(i * (x.lowestE - f));
    std::vector<Int> binomials{1};  // row p of Pascal's triangle
    for (int p = 0; p <= highest; ++p) {
        if (p > 0) binomials = NextBinomials(binomials);
        Int power = 0;
        Int moment = 0;
        for (int q = 0; q <= p; ++q) {
            if (centerPowers[p - q].is_zero()) continue;
            const Int weight = binomials[q] * centerPowers[p - q];
            power += weight * x.powers[q];
            if (p < terms) moment += weight * x.moments[q];
        }
        sums.powers.push_back({std::move(power), p * (f - shift)});
        if (p < terms) sums.moments.push_back({std::move(moment), p * (f - shift) + yLowest});
    }
}

// Y's sum of squares and sum, from the tally's words.
void SumY(const Tally& total, const Pass& pass, PowerSums& sums) {
    auto readAt = [&](size_t at, int length) {
        return ReadWords(total.words.data() + at, total.carries.data() + at, length);
    };
    const int yWords = pass.yWords;
    const int64_t yLowest = pass.grouping->yLowest;
    sums.ySquares = {readAt(0, 2 * yWords), 2 * yLowest};
    sums.ySum = {readAt(pass.ySumAt[0], yWords) - readAt(pass.ySumAt[1], yWords), yLowest};
}

}  // namespace

int PowerKernelCount() { return static_cast<int>(BatchTallies().size()); }

std::optional<PowerSums> SumPowersInWords(PointsView points, int terms, double center, int shift,
                                          const WorkSplit& split, int kernel) {
    if (terms < 1 || points.count >= kMostPoints) return std::nullopt;
    const std::optional<Grouping> grouping = GroupPoints(points);
    if (!grouping) return std::nullopt;
    const int64_t yBits = grouping->yTop - grouping->yLowest;
    const int yWords = std::max(1, WordsFor(yBits));
    if (yWords > kWidestY) return std::nullopt;

    const Pass pass{&*grouping,
                    Layout(terms, std::max<int64_t>(1, yBits)),
                    yWords,
                    {2 * static_cast<size_t>(yWords), 3 * static_cast<size_t>(yWords)},
                    BatchTallies()[std::clamp(kernel, 0, PowerKernelCount() - 1)]};
    const Tally total = TallyPoints(points, pass, split);
    XSums x = SumX(total, pass);
    PowerSums sums;
    ExpandAboutCenter(x, center, shift, grouping->yLowest, sums);
    SumY(total, pass, sums);
    return sums;
}

#endif

}  // namespace plorimet
