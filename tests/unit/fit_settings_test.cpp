#include <gtest/gtest.h>

#include "fit/fit_settings.h"

namespace plorimet {
namespace {

TEST(FitSettingsDialog, NoDegreeForTwoPairsOrFewer) {
    for (int pairs = 0; pairs <= 2; ++pairs) {
        EXPECT_EQ(FitModeForPairCount(pairs), FitMode::Exact);
        EXPECT_TRUE(DegreeList(pairs).empty());
        EXPECT_EQ(InitialDegreeText(pairs, 5), "");
        EXPECT_EQ(ValidateDegreeText("7", pairs), "7");  // nothing to validate against
    }
    EXPECT_EQ(FitModeForPairCount(3), FitMode::LeastSquares);
}

TEST(FitSettingsDialog, ListsDegreesHighestFirst) {
    EXPECT_EQ(DegreeList(3), (std::vector<int>{2, 1}));
    const auto list = DegreeList(15);
    ASSERT_EQ(list.size(), 14u);
    EXPECT_EQ(list.front(), 14);
    EXPECT_EQ(list.back(), 1);
}

TEST(FitSettingsDialog, InitialDegree) {
    EXPECT_EQ(InitialDegreeText(3, 0), "2");
    EXPECT_EQ(InitialDegreeText(15, 0), "10");
    EXPECT_EQ(InitialDegreeText(15, 12), "12");
    EXPECT_EQ(InitialDegreeText(5, 7), "4");  // remembered 7 is not offered for 5 pairs
    EXPECT_EQ(InitialDegreeText(5, 4), "4");
    EXPECT_EQ(InitialDegreeText(5, 5), "4");
}

TEST(FitSettingsDialog, EveryKeystrokeLeavesABeginningOfAListedDegree) {
    EXPECT_EQ(ValidateDegreeText("1", 12), "1");    // begins 11
    EXPECT_EQ(ValidateDegreeText("11", 12), "11");
    EXPECT_EQ(ValidateDegreeText("13", 12), "10");  // not listed: default
    EXPECT_EQ(ValidateDegreeText("0", 12), "10");
    EXPECT_EQ(ValidateDegreeText("a", 12), "10");
    EXPECT_EQ(ValidateDegreeText("5", 5), "4");
    EXPECT_EQ(ValidateDegreeText("", 12), "");     // the user may clear the field to retype
    EXPECT_EQ(ValidateDegreeText("-1", 12), "10");
}

// An OK in the dialog of a data set of pairCount pairs, stored.
void Ok(FitSettings& settings, int pairCount, const std::string& degreeText, int checkedDigits) {
    const FitDialogRequest request = FitDialogRequestFor(settings, pairCount, UiLanguage::English);
    EXPECT_TRUE(StoreFitDialogAnswer(settings, AcceptFitSettings(request, degreeText, checkedDigits, request.digitsIndex)));
}

TEST(FitSettingsDialog, OkStoresDegreeOnlyForLeastSquares) {
    FitSettings settings;
    Ok(settings, 6, "4", 2);
    EXPECT_EQ(settings.fitMode, FitMode::LeastSquares);
    EXPECT_EQ(settings.degree, 4);
    EXPECT_EQ(settings.lastDegree, 4);
    EXPECT_EQ(settings.digitsIndex, 2);

    Ok(settings, 2, "", 3);
    EXPECT_EQ(settings.fitMode, FitMode::Exact);
    EXPECT_EQ(settings.degree, 4);
    EXPECT_EQ(settings.lastDegree, 4);
    EXPECT_EQ(settings.digitsIndex, 3);

    Ok(settings, 6, "", 3);
    EXPECT_EQ(settings.degree, 0);  // the solver then reports one data set
    EXPECT_EQ(settings.lastDegree, 0);
}

TEST(FitSettingsDialog, OkReadsTheDegreeLikeAtoiFromAtMostThirteenCharacters) {
    const FitDialogRequest request{UiLanguage::English, 45, 0, 0};
    EXPECT_EQ(AcceptFitSettings(request, " 12x", 0, 0).degree, 12);
    EXPECT_EQ(AcceptFitSettings(request, "0000000000007", 0, 0).degree, 7);
    EXPECT_EQ(AcceptFitSettings(request, "00000000000007", 0, 0).degree, 0);  // the 14th character is not read
}

TEST(FitSettingsDialog, OkTakesTheCheckedDigitsOrElseTheLastClicked) {
    const FitDialogRequest request{UiLanguage::English, 5, 0, 1};
    EXPECT_EQ(AcceptFitSettings(request, "2", 3, 2).digitsIndex, 3);
    EXPECT_EQ(AcceptFitSettings(request, "2", -1, 2).digitsIndex, 2);
}

TEST(FitSettingsDialog, CancelLeavesDigitsDegreeAndModeAsBeforeTheDialog) {
    FitSettings settings;
    settings.fitMode = FitMode::LeastSquares;
    settings.lastDegree = 7;
    settings.digitsIndex = 1;
    settings.degree = 7;
    const FitDialogRequest request = FitDialogRequestFor(settings, 2, UiLanguage::Japanese);
    EXPECT_EQ(request.lastDegree, 7);
    EXPECT_EQ(request.digitsIndex, 1);
    FitDialogAnswer cancelled;  // what Cancel, the close box or a failure in the dialog leave
    cancelled.digitsIndex = 2;  // a digits button acted in the dialog
    EXPECT_FALSE(StoreFitDialogAnswer(settings, cancelled));
    EXPECT_EQ(settings.digitsIndex, 1);
    EXPECT_EQ(settings.lastDegree, 7);
    EXPECT_EQ(settings.degree, 7);
    EXPECT_EQ(settings.fitMode, FitMode::LeastSquares);
}

}  // namespace
}  // namespace plorimet
