#include <gtest/gtest.h>

#include "fit/analysis.h"

namespace plorimet {
namespace {

CellTexts Rows(std::initializer_list<std::pair<const char*, const char*>> rows) {
    CellTexts cells;
    int r = 0;
    for (const auto& [x, y] : rows) {
        cells.x[r] = x;
        cells.y[r] = y;
        ++r;
    }
    return cells;
}

TEST(UsablePair, NeedsAValueOnBothSides) {
    EXPECT_TRUE(IsUsablePair("1", "2"));
    EXPECT_FALSE(IsUsablePair("", "2"));
    EXPECT_FALSE(IsUsablePair("1", ""));
    EXPECT_FALSE(IsUsablePair(".", "2"));
    EXPECT_FALSE(IsUsablePair("-", "2"));
    EXPECT_FALSE(IsUsablePair("1", "."));
    EXPECT_FALSE(IsUsablePair("1", "-"));
    // Only the exact texts "." and "-" are excluded; these count as the value 0.
    EXPECT_TRUE(IsUsablePair("-.", "+"));
}

TEST(TextToDouble, FollowsStrtod) {
    EXPECT_EQ(TextToDouble("1.5"), 1.5);
    EXPECT_EQ(TextToDouble("  -2"), -2.0);
    EXPECT_EQ(TextToDouble("-."), 0.0);
    EXPECT_EQ(TextToDouble("+"), 0.0);
    EXPECT_EQ(TextToDouble("+3"), 3.0);
    EXPECT_EQ(TextToDouble("+-3"), 0.0);
    EXPECT_EQ(TextToDouble("1.2.3"), 1.2);
    EXPECT_EQ(TextToDouble(".5"), 0.5);
    EXPECT_EQ(TextToDouble("1."), 1.0);
    EXPECT_EQ(TextToDouble("abc"), 0.0);
    EXPECT_EQ(TextToDouble("0.1"), 0.1);  // correctly rounded on every C runtime
}

TEST(CollectDataSet, SkipsUnusableRowsWithoutGaps) {
    CellTexts cells;
    cells.x[2] = "3";
    cells.y[2] = "30";
    cells.x[6] = "7";
    cells.y[6] = "70";
    cells.x[4] = "5";  // X only
    cells.y[5] = "6";  // Y only
    const DataSet data = CollectDataSet(cells);
    ASSERT_EQ(data.pairCount, 2);
    EXPECT_EQ(data.xText[0], "3");
    EXPECT_EQ(data.xText[1], "7");
    EXPECT_EQ(data.y[1], 70.0);
    for (int k = 2; k < kTextSlots; ++k) EXPECT_TRUE(data.xText[k].empty() && data.yText[k].empty()) << k;
}

TEST(CollectDataSet, FirstOfEqualXSurvivesAndPairsAreSorted) {
    const DataSet data = CollectDataSet(Rows({{"2", "5"}, {"1", "6"}, {"2.0", "7"}}));
    ASSERT_EQ(data.pairCount, 2);
    EXPECT_EQ(data.xText[0], "1");
    EXPECT_EQ(data.yText[0], "6");
    EXPECT_EQ(data.xText[1], "2");
    EXPECT_EQ(data.yText[1], "5");
    EXPECT_EQ(data.x[1], 2.0);
    EXPECT_TRUE(data.xText[2].empty());
}

TEST(CollectDataSet, KeepsTextsAsTypedAndReadsAtMost13Characters) {
    const DataSet data = CollectDataSet(Rows({{"1.50", "-0.250"}, {"12345678901234", "1"}}));
    ASSERT_EQ(data.pairCount, 2);
    EXPECT_EQ(data.xText[0], "1.50");
    EXPECT_EQ(data.yText[0], "-0.250");
    EXPECT_EQ(data.xText[1], "1234567890123");
    EXPECT_EQ(data.x[1], 1234567890123.0);
}

TEST(CollectDataSet, SortsAFullGridByX) {
    CellTexts cells;
    for (int r = 0; r < kMaxPairs; ++r) {
        cells.x[r] = std::to_string(kMaxPairs - r);
        cells.y[r] = std::to_string(r);
    }
    const DataSet data = CollectDataSet(cells);
    ASSERT_EQ(data.pairCount, kMaxPairs);
    for (int k = 0; k + 1 < kMaxPairs; ++k) EXPECT_LT(data.x[k], data.x[k + 1]);
    EXPECT_EQ(data.xText[0], "1");
    EXPECT_EQ(data.yText[0], "44");
}

TEST(DataSet, CharTotalCountsTheShownSlotsOnly) {
    DataSet data;
    data.xText[0] = "12";
    data.yText[44] = "345";
    data.xText[45] = "9999";  // the paste's spare slot is never shown
    EXPECT_EQ(data.CharTotal(), 5);
    data.ClearTexts();
    EXPECT_EQ(data.CharTotal(), 0);
    EXPECT_TRUE(data.xText[45].empty());
}

FitResult Fit(const CellTexts& cells, FitMode mode, int degree, int digitsIndex = 0,
              std::optional<MessageId>* failure = nullptr, UiLanguage language = UiLanguage::English) {
    const DataSet data = CollectDataSet(cells);
    FitSettings settings;
    settings.fitMode = mode;
    settings.degree = degree;
    settings.digitsIndex = digitsIndex;
    FitResult result;
    auto outcome = CompleteAnalysis(data, settings, language, result);
    if (failure) *failure = outcome;
    return result;
}

TEST(CompleteAnalysis, StraightLineThroughTwoPairs) {
    std::optional<MessageId> failure;
    const FitResult result = Fit(Rows({{"1", "2"}, {"3", "8"}}), FitMode::Exact, 0, 0, &failure);
    ASSERT_FALSE(failure);
    EXPECT_EQ(result.equationText, "Y = -1*X^0  +  3*X^1");
    EXPECT_TRUE(result.equationShown);
}

TEST(CompleteAnalysis, LeastSquaresLineWithItsMethodLine) {
    std::optional<MessageId> failure;
    const FitResult result =
        Fit(Rows({{"0", "1"}, {"1", "3"}, {"2", "5"}, {"3", "7"}}), FitMode::LeastSquares, 1, 0, &failure);
    ASSERT_FALSE(failure);
    EXPECT_EQ(result.equationText, "Y = 1*X^0  +  2*X^1\n    Method of least squares : Simple equation.");
    const FitResult japanese = Fit(Rows({{"0", "1"}, {"1", "3"}, {"2", "5"}, {"3", "7"}}), FitMode::LeastSquares, 1,
                                   0, nullptr, UiLanguage::Japanese);
    EXPECT_EQ(japanese.equationText, "Y = 1*X^0  +  2*X^1\n    最小二乗法 : 一次式の適用.");
}

TEST(CompleteAnalysis, ReportsTooFewPairs) {
    std::optional<MessageId> failure;
    Fit(CellTexts{}, FitMode::Exact, 0, 0, &failure);
    EXPECT_EQ(failure, MessageId::NoDataInputted);
    Fit(Rows({{"1", "2"}, {"1", "5"}}), FitMode::Exact, 0, 0, &failure);
    EXPECT_EQ(failure, MessageId::OnlyOneDataSet);
    // An empty degree text at OK reads as degree 0: a system of one coefficient.
    Fit(Rows({{"1", "2"}, {"2", "5"}, {"3", "4"}}), FitMode::LeastSquares, 0, 0, &failure);
    EXPECT_EQ(failure, MessageId::OnlyOneDataSet);
    Fit(Rows({{"1", "2"}, {"2", "5"}, {"3", "4"}}), FitMode::LeastSquares, 45, 0, &failure);
    EXPECT_EQ(failure, MessageId::Over45DataSets);
    // A degree text of many digits saturates; the system size must not overflow with it.
    Fit(Rows({{"1", "2"}, {"2", "5"}, {"3", "4"}}), FitMode::LeastSquares, 2147483647, 0, &failure);
    EXPECT_EQ(failure, MessageId::Over45DataSets);
}

TEST(CompleteAnalysis, HugeXAtHighDegreeOverflowsIntoTooLargeCoefficient) {
    // X near 1e16 with degree 10: X^20 overflows in the normal equations.
    CellTexts cells;
    for (int r = 0; r < 12; ++r) {
        cells.x[r] = std::to_string(r + 1) + "e16";
        cells.y[r] = std::to_string(r);
    }
    std::optional<MessageId> failure;
    Fit(cells, FitMode::LeastSquares, 10, 0, &failure);
    EXPECT_EQ(failure, MessageId::TooLargeCoefficient);
}

TEST(CompleteAnalysis, ExactFitThroughEveryPointHasNoMethodLine) {
    std::optional<MessageId> failure;
    const FitResult result =
        Fit(Rows({{"1", "1"}, {"2", "4"}, {"3", "9"}}), FitMode::LeastSquares, 2, 0, &failure);
    ASSERT_FALSE(failure);
    EXPECT_EQ(result.equationText.find("Method"), std::string::npos);
    EXPECT_NEAR(result.coefficients[2], 1.0, 1e-12);
}

TEST(TermCount, FollowsTheMode) {
    DataSet data;
    data.pairCount = 7;
    FitSettings settings;
    settings.degree = 3;
    settings.fitMode = FitMode::LeastSquares;
    EXPECT_EQ(TermCount(settings, data), 4);
    settings.fitMode = FitMode::Exact;
    EXPECT_EQ(TermCount(settings, data), 7);
}

}  // namespace
}  // namespace plorimet
