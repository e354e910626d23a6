#include "fit/part_sums.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace plorimet {

using namespace binary_fraction;

namespace {

// Smallest distinct X of nonzero weight, each with its count up to 2, at most `kept` of them.
void KeepSmallest(std::vector<std::pair<double, int>>& list, size_t kept, double x, int count) {
    if (list.size() == kept && x > list.back().first) return;
    auto at = std::lower_bound(list.begin(), list.end(), x, [](const std::pair<double, int>& e, double v) { return e.first < v; });
    if (at != list.end() && at->first == x) {
        at->second = std::min(2, at->second + count);
        return;
    }
    list.insert(at, {x, std::min(2, count)});
    if (list.size() > kept) list.pop_back();
}

// Σ ln|w| over the points of nonzero weight: the mantissas multiplied at Bits, each product
// rounded once (the product within (1 + 2^(1-Bits))^n of the exact one), the exponents counted.
constexpr unsigned kLogBits = 192;

void TallyLogWeights(PointsView points, PartSums& out) {
    using F = BinaryFloat<kLogBits>;
    F product = 1;
    long long exponents = 0;
    long long factors = 0;
    for (long long k = 0; k < points.count; ++k) {
        if (points.w[k] == 0) continue;
        int e = 0;
        product *= F(std::frexp(std::fabs(points.w[k]), &e));
        exponents += e;
        int pe = 0;
        product = mp::frexp(product, &pe);
        exponents += pe;
        ++factors;
    }
    const F scaled = mp::ldexp(mp::log(product), kLogUnitBits);
    out.logExponents = exponents;
    out.logMantissas = mp::round(scaled).convert_to<Int>();
    // ln of the product is off by at most 2 n 2^(1-Bits) plus a few units of its own rounding.
    out.logError = (factors >> (kLogBits - kLogUnitBits - 4)) + 2;
}

Fraction Power(const Fraction& base, int exponent) {
    Fraction r{Int(1), 0};
    for (int k = 0; k < exponent; ++k) r = Mul(r, base);
    return r;
}

}  // namespace

PartSums PartSumsOf(PointsView points, int terms, const WorkSplit& split) {
    PartSums out;
    out.terms = terms;
    out.weighted = points.w != nullptr;
    out.count = points.count;
    if (points.count == 0) {
        out.powerSums.assign(2 * terms - 1, Fraction{});
        out.moments.assign(terms, Fraction{});
        return out;
    }
    const PointsExtent extent = ExtentOf(points);
    out.lowX = extent.low;
    out.highX = extent.high;
    out.largestX = extent.largestX;
    out.largestY = extent.largestY;
    ExactSums sums;
    SumPointsExactly(points, terms, 0.0, 0, split, sums);
    out.powerSums = std::move(sums.powerSums);
    out.moments = std::move(sums.moments);
    out.ySquares = std::move(sums.ySquares);
    out.ySum = std::move(sums.ySum);
    const size_t kept = DistinctKept(terms);
    for (long long k = 0; k < points.count; ++k) {
        if (points.w && points.w[k] == 0) {
            ++out.zeroWeights;
            continue;
        }
        KeepSmallest(out.smallestX, kept, points.x[k], 1);
    }
    for (long long k = 0; k < points.count && !out.yAtZero; ++k)
        if (points.x[k] == 0) out.yAtZero = points.y[k];
    if (points.w) TallyLogWeights(points, out);
    return out;
}

bool AddPartSums(PartSums& a, const PartSums& b) {
    if (a.terms != b.terms) return false;
    if (b.count == 0) return true;
    if (a.count == 0) {
        a = b;
        return true;
    }
    a.weighted = a.weighted || b.weighted;
    a.count += b.count;
    a.zeroWeights += b.zeroWeights;
    a.lowX = std::min(a.lowX, b.lowX);
    a.highX = std::max(a.highX, b.highX);
    a.largestX = std::max(a.largestX, b.largestX);
    a.largestY = std::max(a.largestY, b.largestY);
    for (size_t p = 0; p < a.powerSums.size(); ++p) a.powerSums[p] = Add(a.powerSums[p], b.powerSums[p]);
    for (size_t i = 0; i < a.moments.size(); ++i) a.moments[i] = Add(a.moments[i], b.moments[i]);
    a.ySquares = Add(a.ySquares, b.ySquares);
    a.ySum = Add(a.ySum, b.ySum);
    for (const auto& [x, count] : b.smallestX) KeepSmallest(a.smallestX, DistinctKept(a.terms), x, count);
    if (!a.yAtZero) a.yAtZero = b.yAtZero;
    a.logExponents += b.logExponents;
    a.logMantissas += b.logMantissas;
    a.logError += b.logError;
    return true;
}

ExactSums CentredSums(const PartSums& sums, bool centred) {
    ExactSums out;
    out.count = sums.count;
    double center = 0.0;
    ScaleOfSums(sums.lowX, sums.highX, centred, center, out.shift);
    out.center = FromDouble(center);
    const Fraction minusCenter = Negate(out.center);
    const int highest = 2 * sums.terms - 2;
    std::vector<Fraction> centerPowers(highest + 1);  // (-center)^k
    for (int k = 0; k <= highest; ++k) centerPowers[k] = Power(minusCenter, k);
    std::vector<Int> binomials{1};  // row p of Pascal's triangle
    for (int p = 0; p <= highest; ++p) {
        if (p > 0) {
            std::vector<Int> next(p + 1, Int(1));
            for (int q = 1; q < p; ++q) next[q] = binomials[q - 1] + binomials[q];
            binomials = std::move(next);
        }
        Fraction power;
        Fraction moment;
        for (int q = 0; q <= p; ++q) {
            if (IsZero(centerPowers[p - q])) continue;
            Fraction weight{binomials[q], 0};
            weight = Mul(weight, centerPowers[p - q]);
            power = Add(power, Mul(weight, sums.powerSums[q]));
            if (p < sums.terms) moment = Add(moment, Mul(weight, sums.moments[q]));
        }
        const int64_t scale = -static_cast<int64_t>(out.shift) * p;
        out.powerSums.push_back(Scale2(power, scale));
        if (p < sums.terms) out.moments.push_back(Scale2(moment, scale));
    }
    for (Fraction& f : out.powerSums) Normalize(f);
    for (Fraction& f : out.moments) Normalize(f);
    out.ySquares = sums.ySquares;
    out.ySum = sums.ySum;
    return out;
}

long long DistinctXOf(const PartSums& sums, bool nonzeroOnly) {
    return std::count_if(sums.smallestX.begin(), sums.smallestX.end(),
                         [&](const std::pair<double, int>& e) { return !(nonzeroOnly && e.first == 0); });
}

bool AnyLoneX(const PartSums& sums, bool nonzeroOnly, int coefficients) {
    if (DistinctXOf(sums, nonzeroOnly) != coefficients) return false;
    return std::any_of(sums.smallestX.begin(), sums.smallestX.end(),
                       [&](const std::pair<double, int>& e) { return e.second == 1 && !(nonzeroOnly && e.first == 0); });
}

// ---- Bytes -------------------------------------------------------------------------------------

namespace {

constexpr char kMagic[4] = {'P', 'L', 'S', 'M'};
constexpr unsigned char kVersion = 1;
constexpr int kMostTerms = 4096;
constexpr uint32_t kMostIntegerBytes = 1u << 26;

class Writer {
public:
    template <typename T>
    void Put(T value) {
        unsigned char bytes[sizeof(T)];
        std::memcpy(bytes, &value, sizeof(T));  // the machines built for are little-endian
        out_.append(reinterpret_cast<const char*>(bytes), sizeof(T));
    }
    void PutInteger(const Int& value) {
        std::vector<unsigned char> magnitude;
        const Int magnitudeValue = mp::abs(value);
        mp::export_bits(magnitudeValue, std::back_inserter(magnitude), 8, false);
        if (value.is_zero()) magnitude.clear();
        Put<uint8_t>(value.sign() < 0 ? 1 : 0);
        Put<uint32_t>(static_cast<uint32_t>(magnitude.size()));
        out_.append(reinterpret_cast<const char*>(magnitude.data()), magnitude.size());
    }
    void PutFraction(const Fraction& f) {
        PutInteger(f.mantissa);
        Put<int64_t>(f.exponent);
    }
    std::string Take() { return std::move(out_); }
    void Raw(const char* data, size_t size) { out_.append(data, size); }

private:
    std::string out_;
};

class Reader {
public:
    explicit Reader(const std::string& bytes) : bytes_(bytes) {}
    template <typename T>
    bool Get(T& value) {
        if (bytes_.size() - at_ < sizeof(T)) return false;
        std::memcpy(&value, bytes_.data() + at_, sizeof(T));
        at_ += sizeof(T);
        return true;
    }
    bool GetInteger(Int& value) {
        uint8_t negative = 0;
        uint32_t length = 0;
        if (!Get(negative) || negative > 1 || !Get(length) || length > kMostIntegerBytes || bytes_.size() - at_ < length)
            return false;
        value = 0;
        const unsigned char* begin = reinterpret_cast<const unsigned char*>(bytes_.data() + at_);
        if (length) mp::import_bits(value, begin, begin + length, 8, false);
        at_ += length;
        if (negative && value.is_zero()) return false;
        if (negative) value = -value;
        return true;
    }
    bool GetFraction(Fraction& f) {
        if (!GetInteger(f.mantissa) || !Get(f.exponent)) return false;
        const int64_t limit = int64_t(1) << 40;  // far past any sum of doubles' powers
        if (f.exponent > limit || f.exponent < -limit) return false;
        Normalize(f);
        return true;
    }
    bool AtEnd() const { return at_ == bytes_.size(); }
    bool Magic() {
        if (bytes_.size() < sizeof kMagic || std::memcmp(bytes_.data(), kMagic, sizeof kMagic) != 0) return false;
        at_ = sizeof kMagic;
        return true;
    }

private:
    const std::string& bytes_;
    size_t at_ = 0;
};

bool FiniteAll(std::initializer_list<double> values) {
    return std::all_of(values.begin(), values.end(), [](double v) { return std::isfinite(v); });
}

}  // namespace

std::string SerializePartSums(const PartSums& sums) {
    Writer w;
    w.Raw(kMagic, sizeof kMagic);
    w.Put<uint8_t>(kVersion);
    w.Put<uint8_t>((sums.weighted ? 1 : 0) | (sums.yAtZero ? 2 : 0));
    w.Put<int32_t>(sums.terms);
    w.Put<int64_t>(sums.count);
    w.Put<int64_t>(sums.zeroWeights);
    for (double v : {sums.lowX, sums.highX, sums.largestX, sums.largestY, sums.yAtZero.value_or(0.0)}) w.Put<double>(v);
    for (const Fraction& f : sums.powerSums) w.PutFraction(f);
    for (const Fraction& f : sums.moments) w.PutFraction(f);
    w.PutFraction(sums.ySquares);
    w.PutFraction(sums.ySum);
    w.Put<uint32_t>(static_cast<uint32_t>(sums.smallestX.size()));
    for (const auto& [x, count] : sums.smallestX) {
        w.Put<double>(x);
        w.Put<uint8_t>(static_cast<uint8_t>(count));
    }
    w.Put<int64_t>(sums.logExponents);
    w.PutInteger(sums.logMantissas);
    w.Put<int64_t>(sums.logError);
    return w.Take();
}

std::optional<PartSums> ParsePartSums(const std::string& bytes) {
    Reader r(bytes);
    PartSums s;
    uint8_t version = 0;
    uint8_t flags = 0;
    int32_t terms = 0;
    int64_t count = 0;
    int64_t zeroWeights = 0;
    double yAtZero = 0;
    if (!r.Magic() || !r.Get(version) || version != kVersion || !r.Get(flags) || flags > 3 || !r.Get(terms) ||
        terms < 1 || terms > kMostTerms || !r.Get(count) || !r.Get(zeroWeights) || count < 0 || zeroWeights < 0 ||
        zeroWeights > count)
        return std::nullopt;
    s.terms = terms;
    s.count = count;
    s.zeroWeights = zeroWeights;
    s.weighted = flags & 1;
    if (!r.Get(s.lowX) || !r.Get(s.highX) || !r.Get(s.largestX) || !r.Get(s.largestY) || !r.Get(yAtZero) ||
        !FiniteAll({s.lowX, s.highX, s.largestX, s.largestY, yAtZero}) || s.lowX > s.highX)
        return std::nullopt;
    if (flags & 2) s.yAtZero = yAtZero;
    s.powerSums.resize(2 * terms - 1);
    s.moments.resize(terms);
    for (Fraction& f : s.powerSums)
        if (!r.GetFraction(f)) return std::nullopt;
    for (Fraction& f : s.moments)
        if (!r.GetFraction(f)) return std::nullopt;
    uint32_t kept = 0;
    if (!r.GetFraction(s.ySquares) || !r.GetFraction(s.ySum) || !r.Get(kept) || kept > DistinctKept(terms) ||
        kept > static_cast<uint64_t>(count - zeroWeights))
        return std::nullopt;
    for (uint32_t k = 0; k < kept; ++k) {
        double x = 0;
        uint8_t c = 0;
        if (!r.Get(x) || !r.Get(c) || !std::isfinite(x) || c < 1 || c > 2) return std::nullopt;
        if (!s.smallestX.empty() && !(s.smallestX.back().first < x)) return std::nullopt;
        s.smallestX.push_back({x, c});
    }
    if (!r.Get(s.logExponents) || !r.GetInteger(s.logMantissas) || !r.Get(s.logError) || s.logError < 0 || !r.AtEnd())
        return std::nullopt;
    return s;
}

}  // namespace plorimet
