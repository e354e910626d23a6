#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>

#include "data/all_pairs.h"

namespace plorimet {
namespace {

AllPairs Read(const std::string& bytes, const WorkSplit& split = {}, bool weights = false) {
    std::istringstream in(bytes);
    return ReadAllPairs(in, split, weights);
}

TEST(AllPairs, EveryLineWithTwoNumbersAndNothingElse) {
    struct Case {
        const char* line;
        bool pair;
        double x, y;
    };
    const Case cases[] = {
        {"1 2", true, 1, 2},
        {"  3,4  ", true, 3, 4},
        {"5 , 6", true, 5, 6},
        {"7\t8", true, 7, 8},
        {"-6.860120914 0.8116", true, -6.860120914, 0.8116},  // longer than a cell
        {"1.5e3 -2E-2", true, 1500, -0.02},
        {"+1 .5", true, 1, 0.5},
        {"12345678901234567890 1", true, 12345678901234567890.0, 1},
        {"1e-300 1e300", true, 1e-300, 1e300},
        {"     X  \t     Y  ", false, 0, 0},
        {"1 2 3", false, 0, 0},
        {"1", false, 0, 0},
        {"", false, 0, 0},
        {"1,,2", false, 0, 0},
        {"inf 1", false, 0, 0},
        {"1 nan", false, 0, 0},
        {"1e 2", false, 0, 0},
        {". 2", false, 0, 0},
        {"1.2.3 4", false, 0, 0},
        {"0x10 1", false, 0, 0},
    };
    for (const Case& c : cases) {
        const AllPairs read = Read(std::string(c.line) + "\r\n");
        ASSERT_FALSE(read.outOfRangeLine) << c.line;
        ASSERT_EQ(read.x.size(), c.pair ? 1u : 0u) << c.line;
        if (!c.pair) continue;
        EXPECT_EQ(read.x[0], c.x) << c.line;
        EXPECT_EQ(read.y[0], c.y) << c.line;
    }
}

TEST(AllPairs, NoCapAndLineEndsOfEveryKind) {
    std::string bytes;
    const char* ends[] = {"\n", "\r\n", "\r", "\r\r\n"};  // as data files end their lines
    for (int k = 0; k < 100; ++k) bytes += std::to_string(k) + " " + std::to_string(2 * k) + ends[k % 4];
    bytes += "100 200";  // no line end at the end
    const AllPairs read = Read(bytes);
    ASSERT_EQ(read.x.size(), 101u);
    EXPECT_EQ(read.x[100], 100.0);
    EXPECT_EQ(read.y[99], 198.0);
}

// A value beyond a double, or too close to 0 for one, and a line without the weight asked for
// stop the reading at their line, each said as what it is; CR line ends count lines too.
TEST(AllPairs, ALineThatStopsTheReadingWithItsLineAndWhy) {
    struct Case {
        const char* line;
        bool weights;
        LineProblem problem;
    };
    const Case cases[] = {
        {"3 1e400", false, LineProblem::TooLarge},      {"3 -1e400", false, LineProblem::TooLarge},
        {"3 123456e-405", false, LineProblem::TooSmall}, {"3 1e-400", false, LineProblem::TooSmall},
        {"1e-400 3", false, LineProblem::TooSmall},      {"0.0000001e-320 1", false, LineProblem::TooSmall},
        {"3 4 1e400", true, LineProblem::TooLarge},      {"3 4", true, LineProblem::NoWeight},
        // exponents beyond a long long's range (strtoll saturates)
        {"1e99999999999999999999 3", false, LineProblem::TooLarge},
        {"1e-99999999999999999999 3", false, LineProblem::TooSmall},
    };
    for (const Case& c : cases)
        for (const char* end : {"\r\n", "\r"}) {
            const AllPairs read = Read(std::string("1 2 1") + end + "not a pair" + end + c.line + end + "4 5 1" + end, {}, c.weights);
            ASSERT_TRUE(read.outOfRangeLine) << c.line;
            EXPECT_EQ(*read.outOfRangeLine, 3) << c.line;
            EXPECT_EQ(read.problem, c.problem) << c.line;
        }
}

// With weights, the third number of each line is its pair's weight; they are sorted with it.
TEST(AllPairs, WeightsAsTheThirdNumber) {
    AllPairs pairs = Read("x y w\n3 30 0.5\n1, 10, 2\n2\t20\t0\n1 2 3 4\n", {}, true);
    SortByX(pairs);
    EXPECT_EQ(pairs.x, (std::vector<double>{1, 2, 3}));
    EXPECT_EQ(pairs.y, (std::vector<double>{10, 20, 30}));
    EXPECT_EQ(pairs.w, (std::vector<double>{2, 0, 0.5}));
    EXPECT_TRUE(Read("1 2 3\n", {}, false).x.empty());  // three numbers are no pair without weights
}

TEST(AllPairs, AnOverlongLineIsNoPair) {
    const std::string bytes = "1 " + std::string(kLongestAllPairsLine, '5') + "\r\n2 3\r\n";
    const AllPairs read = Read(bytes);
    ASSERT_EQ(read.x.size(), 1u);
    EXPECT_EQ(read.x[0], 2.0);
}

// The text is read in blocks, whose lines may be cut into pieces read at the same time: lines
// cut by the end of a block, as long as a line may be or longer, keep their meaning and their
// numbers.
TEST(AllPairs, LinesAcrossTheReadingBlocksAndPieces) {
    std::string bytes;
    long long lines = 0;
    size_t pairs = 0;
    auto line = [&](const std::string& text, bool pair) {
        bytes += text + (lines % 3 ? "\n" : (lines % 2 ? "\r\n" : "\r"));
        ++lines;
        pairs += pair;
    };
    for (size_t round = 1; round <= 3; ++round) {
        while (bytes.size() < round * 1000000 + round * 77777) line(std::to_string(lines) + " 1", true);
        line("7 8" + std::string(kLongestAllPairsLine - 4, ' '), true);  // with its CR, just within
        line("7 8" + std::string(kLongestAllPairsLine - 2, ' '), false);
    }
    // Longer than a block, their ends, of every length up to a block, are no pairs either.
    for (size_t k = 0; k < 18; ++k) line("9" + std::string(1100000 + 60000 * k, ' ') + "4 5", false);
    line("1 1e999", false);
    // A value beyond a double within a block, in a later piece of it, ends the reading there.
    const size_t middle = bytes.find('\n', 1500000) + 1;
    const std::string cut = bytes.substr(0, middle) + "1 -1e999\n" + bytes.substr(middle);
    long long linesToCut = 1;
    for (size_t i = 0; i < middle; ++i) linesToCut += bytes[i] == '\n' || (bytes[i] == '\r' && bytes[i + 1] != '\n');
    const AllPairs whole = Read(bytes);
    EXPECT_EQ(whole.x.size(), pairs);
    for (const WorkSplit& split : {WorkSplit{}, WorkSplit{3, RunInTurn}, WorkSplitOfMachine()}) {
        const AllPairs read = Read(bytes, split);
        EXPECT_EQ(read.x, whole.x);
        EXPECT_EQ(read.y, whole.y);
        ASSERT_TRUE(read.outOfRangeLine);
        EXPECT_EQ(*read.outOfRangeLine, lines);
        EXPECT_EQ(Read(cut, split).outOfRangeLine, linesToCut) << split.pieces;
    }
}

// Repeated measurements keep their file order; the pairs move along the permutation's cycles.
TEST(AllPairs, SortByXKeepsPairsOfEqualXInFileOrder) {
    AllPairs pairs = Read("3 30\r\n1 10\r\n3 31\r\n2 20\r\n1.0 11\r\n-0 5\r\n0 6\r\n");
    SortByX(pairs);
    EXPECT_EQ(pairs.x, (std::vector<double>{-0.0, 0, 1, 1, 2, 3, 3}));
    EXPECT_EQ(pairs.y, (std::vector<double>{5, 6, 10, 11, 20, 30, 31}));
    std::string bytes;
    for (int k = 0; k < 2000; ++k) bytes += std::to_string(k * 7919 % 500) + " " + std::to_string(k) + "\n";
    AllPairs many = Read(bytes);
    SortByX(many);
    ASSERT_EQ(many.x.size(), 2000u);
    for (size_t k = 1; k < many.x.size(); ++k) {
        ASSERT_LE(many.x[k - 1], many.x[k]) << k;
        if (many.x[k - 1] == many.x[k]) {
            EXPECT_LT(many.y[k - 1], many.y[k]) << k;
        }
    }
}

}  // namespace
}  // namespace plorimet
