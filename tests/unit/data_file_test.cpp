#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>

#include "data/data_file.h"
#include "fit/analysis.h"

namespace plorimet {
namespace {

std::vector<std::pair<std::string, std::string>> PairsOf(const ReadDataResult& read) {
    std::vector<std::pair<std::string, std::string>> pairs;
    for (const CellPair& p : read.pairs) pairs.emplace_back(p.x, p.y);
    return pairs;
}

// Every case is also fed in slices of 1, 2 and 5 bytes (as the page reads a file): a slice's
// edge inside a line end or the byte-order mark must change nothing.
std::vector<std::pair<std::string, std::string>> Read(const std::string& bytes) {
    const auto whole = PairsOf(ReadDataText(bytes));
    for (size_t slice : {1, 2, 5}) {
        DataTextReader reader;
        for (size_t at = 0; at < bytes.size(); at += slice)
            if (!reader.Feed(bytes.data() + at, std::min(slice, bytes.size() - at))) break;
        EXPECT_EQ(PairsOf(reader.Finish()), whole) << "in slices of " << slice;
    }
    return whole;
}

using Pairs = std::vector<std::pair<std::string, std::string>>;

TEST(ReadDataText, SeparatorsOfEveryKind) {
    EXPECT_EQ(Read("1 2\r\n3,4\r\n5 , 6\r\n  7  \t  8  \r\n"),
              (Pairs{{"1", "2"}, {"3", "4"}, {"5", "6"}, {"7", "8"}}));
}

TEST(ReadDataText, LastLineMayLackItsLineEnd) {
    EXPECT_EQ(Read("1 2\r\n3 4"), (Pairs{{"1", "2"}, {"3", "4"}}));
}

TEST(ReadDataText, LineEndsOfEveryKind) {
    // CR alone and CR CR LF ran lines together and lost their pairs.
    const Pairs three{{"1", "2"}, {"3", "4"}, {"5", "6"}};
    const struct {
        const char* bytes;
        Pairs pairs;
    } cases[] = {
        {"1 2\n3 4\n5 6\n", three},          // Linux editors
        {"1 2\r3 4\r5 6\r", three},          // old Mac editors
        {"1 2\r3 4\r\n5 6", three},          // mixed
        {"1 2\r\r\n3 4\r\r\n5 6\r\r\n", three},  // CR LF converted once more
        {"1 2\n\r3 4\n\r5 6", three},
        {"1 2\r\n\r\n\r\r3 4\n\n5 6\r", three},
    };
    for (const auto& c : cases) EXPECT_EQ(Read(c.bytes), c.pairs) << c.bytes;
}

TEST(ReadDataText, ByteOrderMarkAtTheStartIsPassedOver) {
    // Notepad's byte-order mark cost the first pair.
    const struct {
        std::string bytes;
        Pairs pairs;
    } cases[] = {
        {"\xEF\xBB\xBF" "1 2\r\n3 4\r\n", {{"1", "2"}, {"3", "4"}}},
        {"\xEF\xBB\xBF" "\r\n1 2", {{"1", "2"}}},
        {"\xEF\xBB" "1 2\r\n3 4\r\n", {{"3", "4"}}},  // not a mark: the line is not data
        {"\xEF\xBB\xBF\xEF\xBB\xBF" "1 2\r\n3 4", {{"3", "4"}}},
        {"1 2\r\n\xEF\xBB\xBF" "3 4\r\n", {{"1", "2"}}},  // only at the start
        {"\xEF", {}},
    };
    for (const auto& c : cases) EXPECT_EQ(Read(c.bytes), c.pairs) << c.bytes;
}

TEST(ReadDataText, RejectedValuesSkipTheirLine) {
    EXPECT_EQ(Read("1 2 3\r\n1.5e3 2\r\n-1 -2\r\n--3 4\r\n+1 2\r\n3\t\t4\r\n"), (Pairs{{"-1", "-2"}}));
}

TEST(ReadDataText, NonDataLinesAreSkippedOneByOne) {
    // An empty line or a single value never swallows the following line.
    EXPECT_EQ(Read("1 2\r\n\r\n5 6\r\n7 8\r\n"), (Pairs{{"1", "2"}, {"5", "6"}, {"7", "8"}}));
    EXPECT_EQ(Read("1 2\r\n9\r\n5 6\r\n"), (Pairs{{"1", "2"}, {"5", "6"}}));
    // A line starting with a tab or comma, or lacking its Y value, does not end the reading.
    EXPECT_EQ(Read("\t1 2\r\n,3 4\r\n3,\r\n3 \r\n3\t\r\n5 6\r\n"), (Pairs{{"5", "6"}}));
}

TEST(ReadDataText, LongValuesLoseFractionDigitsOnly) {
    EXPECT_EQ(Read("3.14159265358979 2.718281828459045\r\n"), (Pairs{{"3.14159265", "2.71828182"}}));
    EXPECT_EQ(Read("1234567890.5 1\r\n"), (Pairs{{"1234567890", "1"}}));
    // Cutting these would change their magnitude, so the line is skipped instead.
    EXPECT_EQ(Read("12345678901234 5\r\n1 2\r\n"), (Pairs{{"1", "2"}}));
    EXPECT_EQ(Read("1 -12345678901.5\r\n"), Pairs{});
}

TEST(ReadDataText, ValuesACellWouldChangeSkipTheirLine) {
    // '1.2.3' was read as 1.2 without a word; a cell keeps one point, so the line is skipped.
    EXPECT_EQ(Read("1.2.3 4\r\n1 2..\r\n5 6.7.\r\n..5 1\r\n- 5\r\n-.5 .5\r\n"),
              (Pairs{{"-", "5"}, {"-.5", ".5"}}));
    EXPECT_EQ(Read("1.23456789.5 1\r\n"), Pairs{});
}

TEST(ReadDataText, StopsAfter45Pairs) {
    std::string bytes;
    for (int i = 1; i <= 50; ++i) bytes += std::to_string(i) + " " + std::to_string(2 * i) + "\r\n";
    // A source that hands out one byte at a time shows how far the reader asked.
    size_t given = 0;
    const ReadDataResult result = ReadDataText([&](char* buffer, size_t size) -> size_t {
        if (size == 0 || given == bytes.size()) return 0;
        buffer[0] = bytes[given++];
        return 1;
    });
    ASSERT_EQ(result.pairs.size(), 45u);
    EXPECT_EQ(result.pairs.back().x, "45");
    // Nothing of the 46th line was asked for.
    EXPECT_EQ(bytes.substr(given, 7), "46 92\r\n");
}

TEST(ReadDataText, BytesInBlocksOfAnySizeReadAlike) {
    std::string bytes = "\xEF\xBB\xBF" "1 2\r\r\n3,4\r5\t6\n";
    for (int i = 0; i < 600; ++i) bytes += "x\r\n";  // a file longer than one block of the reader
    bytes += "7 8\r";
    const Pairs expected{{"1", "2"}, {"3", "4"}, {"5", "6"}, {"7", "8"}};
    for (size_t block : {size_t{1}, size_t{2}, size_t{3}, size_t{5}, size_t{4096}}) {
        size_t given = 0;
        Pairs pairs;
        const ReadDataResult result = ReadDataText([&](char* buffer, size_t size) {
            const size_t count = std::min({size, block, bytes.size() - given});
            bytes.copy(buffer, count, given);
            given += count;
            return count;
        });
        for (const CellPair& p : result.pairs) pairs.emplace_back(p.x, p.y);
        EXPECT_EQ(pairs, expected) << block;
    }
}

TEST(ReadDataText, EmptyAndGarbageGiveNoPairs) {
    EXPECT_TRUE(ReadDataText(std::string()).empty());
    EXPECT_TRUE(ReadDataText(std::string("\0\0\x01\xff 1 2", 8)).empty());
    EXPECT_TRUE(ReadDataText(std::string(1 << 20, 'x') + "\r\n").empty());
    EXPECT_EQ(Read(std::string(5000, ' ') + "1 2\r\n3 4\r\n"), (Pairs{{"3", "4"}}));
}

DataSet TwoPairs() {
    CellTexts cells;
    cells.x[0] = "2";
    cells.y[0] = "5";
    cells.x[1] = "1.50";
    cells.y[1] = "6";
    return CollectDataSet(cells);
}

TEST(DataFileBytes, HeadingPairsSortedAndEquationBlock) {
    const std::string bytes = BuildDataFileBytes(TwoPairs(), "Y = a\nb");
    EXPECT_EQ(bytes,
              "     X  \t     Y  \r\n"
              "     1.50  \t     6  \r\n"
              "     2  \t     5  \r\n"
              "EQUATION\r\n"
              "Y = a\r\nb \r\n");
    EXPECT_EQ(BuildDataFileBytes(DataSet{}, ""), "     X  \t     Y  \r\n");
    EXPECT_EQ(std::string("     X  \t     Y  \r\n").size(), 19u);
}

TEST(DataFileBytes, LeadingLineFeedGetsNoCarriageReturn) {
    EXPECT_EQ(BuildDataFileBytes(DataSet{}, "\nA\nB"), "     X  \t     Y  \r\nEQUATION\r\n\nA\r\nB \r\n");
}

TEST(DataFileBytes, SavedFileReadsBackToItsPairs) {
    const DataSet data = TwoPairs();
    const std::string bytes = BuildDataFileBytes(data, "Y = 1*X^0  +  2*X^1 \n     +  3*X^3\n    Method of least squares : Cubic equation.");
    EXPECT_EQ(Read(bytes), (Pairs{{"1.50", "6"}, {"2", "5"}}));
}

TEST(DataFileName, TxtExtensionInAnyCase) {
    for (const char* ok : {"a.txt", "C:\\data\\b.TXT", "c.Txt", ".txt"}) EXPECT_TRUE(HasTxtExtension(ok)) << ok;
    for (const char* bad : {"data.text", "data.txt.bak", "data", "txt", "a.xls", "atxt"})
        EXPECT_FALSE(HasTxtExtension(bad)) << bad;
}

TEST(DataFileName, RefusedDriveTypes) {
    for (unsigned refused : {0u, 1u, 4u, 5u}) EXPECT_TRUE(IsRefusedDriveType(refused)) << refused;
    for (unsigned accepted : {2u, 3u, 6u, 7u, 100u}) EXPECT_FALSE(IsRefusedDriveType(accepted)) << accepted;
}

TEST(ExampleData, BundledSampleReads) {
    std::ifstream in(std::string(PLORIMET_EXAMPLES_DIR) + "/sample.txt", std::ios::binary);
    ASSERT_TRUE(in);
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    EXPECT_EQ(ReadDataText(bytes).pairs.size(), 8u);
}

}  // namespace
}  // namespace plorimet
