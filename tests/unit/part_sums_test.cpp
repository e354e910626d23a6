#include <iostream>  // before the fit headers, which keep the standard streams out of the program

#include "fit/part_sums.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "fit/fit_statistics.h"
#include "fit/observation_pass.h"

namespace plorimet {
namespace {

using namespace binary_fraction;

struct SetCase {
    const char* name;
    long long count;
    double first, step;
    int terms;
    bool weighted = false;  // weights 0.5 .. 2, every seventh 0
    int repeats = 1;        // each X this many times
};

// Enough points for the sums in machine words (32 per coefficient) in some sets, not in others.
const SetCase kSets[] = {
    {"few points", 9, -2.0, 0.5, 3},
    {"negative X in machine words", 400, -7.25, 0.03125, 4},
    {"weighted with zero weights", 60, 0.1, 0.37, 3, true},
    {"repeated X", 45, 3.0, 0.125, 3, false, 3},
    {"large X, high degree", 700, 1e6, 3.5, 9},
    {"X through 0", 101, -1.0, 0.02, 5},
};

struct Points {
    std::vector<double> x, y, w;
    PointsView View(long long begin = 0, long long end = -1) const {
        if (end < 0) end = static_cast<long long>(x.size());
        return {x.data() + begin, y.data() + begin, end - begin, w.empty() ? nullptr : w.data() + begin};
    }
};

Points Generate(const SetCase& set) {
    Points p;
    for (long long k = 0; k < set.count; ++k) {
        const double x = set.first + set.step * static_cast<double>(k / set.repeats);
        p.x.push_back(x);
        p.y.push_back(1.5 - 0.25 * x + std::sin(3 * x + static_cast<double>(k)) + 1e-3 * x * x);
        if (set.weighted) p.w.push_back(k % 7 == 3 ? 0.0 : 0.5 + 1.5 * std::fabs(std::cos(static_cast<double>(k))));
    }
    return p;
}

bool Same(const Fraction& a, const Fraction& b) {
    Fraction x = a;
    Fraction y = b;
    Normalize(x);
    Normalize(y);
    return x.mantissa == y.mantissa && x.exponent == y.exponent;
}

void ExpectSameSums(const ExactSums& a, const ExactSums& b, const std::string& what) {
    EXPECT_EQ(a.count, b.count) << what;
    EXPECT_TRUE(Same(a.center, b.center)) << what;
    EXPECT_EQ(a.shift, b.shift) << what;
    ASSERT_EQ(a.powerSums.size(), b.powerSums.size()) << what;
    for (size_t p = 0; p < a.powerSums.size(); ++p) EXPECT_TRUE(Same(a.powerSums[p], b.powerSums[p])) << what << " power " << p;
    ASSERT_EQ(a.moments.size(), b.moments.size()) << what;
    for (size_t i = 0; i < a.moments.size(); ++i) EXPECT_TRUE(Same(a.moments[i], b.moments[i])) << what << " moment " << i;
    EXPECT_TRUE(Same(a.ySquares, b.ySquares)) << what;
    EXPECT_TRUE(Same(a.ySum, b.ySum)) << what;
}

// The sums of the points cut into `pieces` parts of unequal sizes, added in reverse order.
PartSums SumsInParts(const Points& points, int terms, int pieces) {
    const long long n = static_cast<long long>(points.x.size());
    std::vector<long long> cuts{0};
    for (int k = 1; k < pieces; ++k) cuts.push_back(n * k * k / (pieces * pieces));
    cuts.push_back(n);
    PartSums total = PartSumsOf(points.View(0, 0), terms);
    for (int k = pieces - 1; k >= 0; --k) EXPECT_TRUE(AddPartSums(total, PartSumsOf(points.View(cuts[k], cuts[k + 1]), terms)));
    return total;
}

TEST(PartSums, PartsAddToTheSumsOfTheFitWhateverTheCuts) {
    for (const SetCase& set : kSets) {
        const Points points = Generate(set);
        for (int pieces : {1, 2, 5}) {
            const PartSums total = SumsInParts(points, set.terms, pieces);
            const std::string what = std::string(set.name) + ", " + std::to_string(pieces) + " parts";
            EXPECT_EQ(total.count, set.count) << what;
            for (bool centred : {true, false}) {
                ExactSums direct;
                ComputeExactSums(points.View(), set.terms, centred, direct);
                ExpectSameSums(CentredSums(total, centred), direct, what + (centred ? " centred" : " in x / 2^shift"));
            }
            const PointsView view = points.View();
            const long long known = static_cast<long long>(DistinctKept(set.terms)) - 1;
            for (bool nonzero : {false, true})
                EXPECT_EQ(std::min(DistinctXOf(total, nonzero), known), std::min(DistinctXCount(view, nonzero), known)) << what;
        }
    }
}

// Every statistic of the model of partial sums is that of the model of the points, and PRESS over
// the parts that of the points in one place.
TEST(PartSums, TheModelOfSumsGivesTheStatisticsOfThePoints) {
    for (const SetCase& set : kSets) {
        const Points points = Generate(set);
        for (bool origin : {false, true}) {
            const int degree = set.terms - 1;
            const std::string what = std::string(set.name) + (origin ? " through the origin" : "");
            ExactSums direct;
            ComputeExactSums(points.View(), set.terms, !origin, direct);
            const FitModel byPoints(points.View(), direct, degree, origin);
            const PartSums whole = SumsInParts(points, set.terms, 3);
            const ExactSums centred = CentredSums(whole, !origin);
            const FitModel bySums(whole, centred, degree, origin);
            ASSERT_EQ(byPoints.Solved(), bySums.Solved()) << what;
            if (!byPoints.Solved()) continue;
            const FitStatistics a = byPoints.Statistics(0.9);
            const FitStatistics b = bySums.Statistics(0.9);
            EXPECT_EQ(a.coefficients, b.coefficients) << what;
            for (int i = 0; i <= degree; ++i) {
                EXPECT_EQ(a.terms[i].standardError.value, b.terms[i].standardError.value) << what;
                EXPECT_EQ(a.terms[i].pValue.value, b.terms[i].pValue.value) << what;
                EXPECT_EQ(a.terms[i].lower.value, b.terms[i].lower.value) << what;
                for (int j = 0; j <= degree; ++j) EXPECT_EQ(a.covariance[i][j].value, b.covariance[i][j].value) << what;
            }
            for (auto field : {&FitStatistics::residualSquares, &FitStatistics::rSquared, &FitStatistics::adjustedRSquared,
                               &FitStatistics::fPValue, &FitStatistics::logLikelihood, &FitStatistics::aic,
                               &FitStatistics::bic, &FitStatistics::aicc}) {
                EXPECT_EQ((a.*field).value, (b.*field).value) << what;
                EXPECT_EQ((a.*field).reason, (b.*field).reason) << what;
            }
            EXPECT_EQ(b.lackOfFit.reason, Unavailable::PointsApart) << what;
            std::vector<PressBounds> parts;
            for (bool exactly : {false, true}) {
                parts.clear();
                const long long n = set.count;
                for (long long begin = 0; begin < n; begin += 17) parts.push_back(PressOfPart(bySums, points.View(begin, std::min(n, begin + 17)), exactly));
                const Statistic press = PressOfParts(bySums, parts);
                const Statistic expected = byPoints.Press();
                EXPECT_EQ(press.value, expected.value) << what << (exactly ? " exactly" : "");
                EXPECT_EQ(press.reason, expected.reason) << what;
            }
        }
    }
}

// Σ ln|w| of the parts: the exact value lies within the tally's bounds.
TEST(PartSums, LogWeightsBoundTheExactSum) {
    const Points points = Generate(kSets[2]);
    const PartSums whole = SumsInParts(points, 3, 4);
    long double sum = 0;
    for (double w : points.w)
        if (w != 0) sum += std::log(static_cast<long double>(w));
    const long double tally = whole.logExponents * std::log(2.0L) + std::ldexp(whole.logMantissas.convert_to<long double>(), -kLogUnitBits);
    EXPECT_NEAR(static_cast<double>(tally), static_cast<double>(sum), 1e-15 * points.w.size());
    EXPECT_LT(whole.logError, 16);
    EXPECT_EQ(whole.zeroWeights, 9);
}

TEST(PartSums, BytesReadBackAndMalformedBytesAreRefused) {
    const Points points = Generate(kSets[2]);
    const PartSums sums = PartSumsOf(points.View(), 3);
    const std::string bytes = SerializePartSums(sums);
    const std::optional<PartSums> back = ParsePartSums(bytes);
    ASSERT_TRUE(back);
    EXPECT_EQ(SerializePartSums(*back), bytes);
    for (size_t length = 0; length < bytes.size(); ++length) EXPECT_FALSE(ParsePartSums(bytes.substr(0, length))) << length;
    EXPECT_FALSE(ParsePartSums(bytes + '\0'));
    struct Damage {
        size_t at;
        char value;
        const char* what;
    };
    for (const Damage& d : {Damage{0, 'Q', "magic"}, Damage{4, 2, "version"}, Damage{5, 9, "flags"}, Damage{9, 0x7f, "terms"},
                            Damage{17, -1, "count negative"}}) {
        std::string bad = bytes;
        bad[d.at] = d.value;
        EXPECT_FALSE(ParsePartSums(bad)) << d.what;
    }
    PartSums other = PartSumsOf(points.View(), 4);
    EXPECT_FALSE(AddPartSums(other, sums));  // different numbers of terms
}

// A fitted value exactly halfway between two doubles rounds to the even one.
TEST(PartSums, FittedValuesAtMidpointsRoundToEven) {
    const double e = std::ldexp(1.0, -52);
    const std::vector<double> x{0.0, 1.0, 2.0, 3.0};
    const std::vector<double> y{1.0, 1 + e, 1 + 2 * e, 1 + 3 * e};  // on the line 1 + e x
    const PointsView points{x.data(), y.data(), 4};
    ExactSums sums;
    ComputeExactSums(points, 2, true, sums);
    const FitModel model(points, sums, 1, false);
    ASSERT_TRUE(model.Solved());
    struct Case {
        double x, expected;
    };
    for (const Case& c : {Case{0.5, 1.0}, Case{1.5, 1 + 2 * e}, Case{2.5, 1 + 2 * e}, Case{-0.25, 1.0}, Case{-0.75, 1 - e}}) {
        const Statistic fitted = model.At(c.x, 0.95).fitted;
        ASSERT_TRUE(fitted) << c.x;
        EXPECT_EQ(*fitted, c.expected) << c.x;
    }
}

}  // namespace
}  // namespace plorimet
