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

TEST(FitSettingsDialog, OkStoresDegreeOnlyForLeastSquares) {
    FitSettings settings;
    settings.fitMode = FitMode::LeastSquares;
    AcceptFitSettings(settings, "4", 2);
    EXPECT_EQ(settings.degree, 4);
    EXPECT_EQ(settings.lastDegree, 4);
    EXPECT_EQ(settings.digitsIndex, 2);

    settings.fitMode = FitMode::Exact;
    AcceptFitSettings(settings, "", 3);
    EXPECT_EQ(settings.degree, 4);
    EXPECT_EQ(settings.lastDegree, 4);
    EXPECT_EQ(settings.digitsIndex, 3);

    settings.fitMode = FitMode::LeastSquares;
    AcceptFitSettings(settings, "", 3);
    EXPECT_EQ(settings.degree, 0);  // the solver then reports one data set
    EXPECT_EQ(settings.lastDegree, 0);
}

TEST(FitSettingsDialog, CancelRestoresDigitsAndRememberedDegree) {
    FitSettings settings;
    settings.lastDegree = 7;
    settings.digitsIndex = 1;
    settings.degree = 7;
    SaveBeforeDialog(settings);
    settings.digitsIndex = 2;  // a digits button acts at once
    settings.fitMode = FitMode::Cancelled;
    RestoreAfterCancel(settings);
    EXPECT_EQ(settings.digitsIndex, 1);
    EXPECT_EQ(settings.lastDegree, 7);
    EXPECT_EQ(settings.degree, 7);
}

}  // namespace
}  // namespace plorimet
