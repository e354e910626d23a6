#include <gtest/gtest.h>

#include <array>

#include "resource_ids.h"
#include "graph/graph_settings.h"

namespace plorimet {
namespace {

std::array<bool, kGraphRadioButtonCount> CheckedButtons(std::initializer_list<int> ids) {
    std::array<bool, kGraphRadioButtonCount> checked{};
    for (int id : ids) checked[id - IDC_THICKNESS_1] = true;
    return checked;
}

TEST(GraphSettingsDialog, FirstDialogOfARunOpensWithSmallestChoicesAndNoMarks) {
    GraphSettings settings;  // all zero, as at program start
    GraphDialogChecks checks = InitGraphSettingsDialog(settings);
    EXPECT_EQ(IDC_THICKNESS_1, checks.thicknessButton);
    EXPECT_EQ(IDC_DOT_5, checks.dotButton);
    EXPECT_EQ(IDC_SIZE_100, checks.sizeButton);
    EXPECT_EQ(IDC_SCALE_NONE, checks.scaleButton);
    EXPECT_EQ(1, settings.lineWidth);
    EXPECT_EQ(2, settings.dotRadius);
    EXPECT_EQ(1.0, settings.sizeFactor);
    EXPECT_EQ(ScaleMode::ScaleNone, settings.scaleMode);
}

TEST(GraphSettingsDialog, InitialisationDerivesValuesAndChecksFromRememberedIndices) {
    GraphSettings settings;
    settings.thicknessIndex = 4;
    settings.dotSizeIndex = 3;
    settings.sizeIndex = 1;
    settings.scaleMode = ScaleMode::ScaleGrid;
    GraphDialogChecks checks = InitGraphSettingsDialog(settings);
    EXPECT_EQ(225, checks.thicknessButton);
    EXPECT_EQ(229, checks.dotButton);
    EXPECT_EQ(232, checks.sizeButton);
    EXPECT_EQ(236, checks.scaleButton);
    EXPECT_EQ(5, settings.lineWidth);
    EXPECT_EQ(5, settings.dotRadius);
    EXPECT_EQ(0.7, settings.sizeFactor);
}

// Guards against a check mark outside its group (and derived values that disagree with it).
TEST(GraphSettingsDialog, InitialisationBringsForeignIndicesBackToTheFirstButton) {
    GraphSettings settings;
    settings.thicknessIndex = 9;
    settings.dotSizeIndex = -1;
    settings.sizeIndex = 3;
    settings.scaleMode = static_cast<ScaleMode>(7);
    GraphDialogChecks checks = InitGraphSettingsDialog(settings);
    EXPECT_EQ(221, checks.thicknessButton);
    EXPECT_EQ(226, checks.dotButton);
    EXPECT_EQ(231, checks.sizeButton);
    EXPECT_EQ(234, checks.scaleButton);
    EXPECT_EQ(1, settings.lineWidth);
    EXPECT_EQ(2, settings.dotRadius);
    EXPECT_EQ(1.0, settings.sizeFactor);
}

TEST(GraphSettingsDialog, EveryRadioButtonStoresItsRowOfTheClickTable) {
    struct Row {
        int id;
        int thicknessIndex, lineWidth, dotSizeIndex, dotRadius, sizeIndex;
        double sizeFactor;
        ScaleMode scale;
    };
    // Start from a state that differs from every row so each click shows what it changed.
    const Row base{0, 2, 3, 2, 4, 2, 0.5, ScaleMode::ScaleTicks};
    const Row rows[] = {
        {221, 0, 1, 2, 4, 2, 0.5, ScaleMode::ScaleTicks}, {222, 1, 2, 2, 4, 2, 0.5, ScaleMode::ScaleTicks},
        {223, 2, 3, 2, 4, 2, 0.5, ScaleMode::ScaleTicks}, {224, 3, 4, 2, 4, 2, 0.5, ScaleMode::ScaleTicks},
        {225, 4, 5, 2, 4, 2, 0.5, ScaleMode::ScaleTicks}, {226, 2, 3, 0, 2, 2, 0.5, ScaleMode::ScaleTicks},
        {227, 2, 3, 1, 3, 2, 0.5, ScaleMode::ScaleTicks}, {228, 2, 3, 2, 4, 2, 0.5, ScaleMode::ScaleTicks},
        {229, 2, 3, 3, 5, 2, 0.5, ScaleMode::ScaleTicks}, {230, 2, 3, 4, 6, 2, 0.5, ScaleMode::ScaleTicks},
        {231, 2, 3, 2, 4, 0, 1.0, ScaleMode::ScaleTicks}, {232, 2, 3, 2, 4, 1, 0.7, ScaleMode::ScaleTicks},
        {233, 2, 3, 2, 4, 2, 0.5, ScaleMode::ScaleTicks}, {234, 2, 3, 2, 4, 2, 0.5, ScaleMode::ScaleNone},
        {235, 2, 3, 2, 4, 2, 0.5, ScaleMode::ScaleTicks}, {236, 2, 3, 2, 4, 2, 0.5, ScaleMode::ScaleGrid},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.id);
        GraphSettings s;
        s.thicknessIndex = base.thicknessIndex;
        s.lineWidth = base.lineWidth;
        s.dotSizeIndex = base.dotSizeIndex;
        s.dotRadius = base.dotRadius;
        s.sizeIndex = base.sizeIndex;
        s.sizeFactor = base.sizeFactor;
        s.scaleMode = base.scale;
        EXPECT_TRUE(ApplyGraphSettingsClick(s, row.id));
        EXPECT_EQ(row.thicknessIndex, s.thicknessIndex);
        EXPECT_EQ(row.lineWidth, s.lineWidth);
        EXPECT_EQ(row.dotSizeIndex, s.dotSizeIndex);
        EXPECT_EQ(row.dotRadius, s.dotRadius);
        EXPECT_EQ(row.sizeIndex, s.sizeIndex);
        EXPECT_EQ(row.sizeFactor, s.sizeFactor);  // the very doubles 1.0, 0.7, 0.5
        EXPECT_EQ(row.scale, s.scaleMode);
    }
}

TEST(GraphSettingsDialog, OtherCommandIdentifiersAreIgnored) {
    for (int id : {0, 1, 2, 220, 237, 238, -221}) {
        SCOPED_TRACE(id);
        GraphSettings s;
        s.thicknessIndex = 3;
        s.lineWidth = 4;
        EXPECT_FALSE(ApplyGraphSettingsClick(s, id));
        EXPECT_EQ(3, s.thicknessIndex);
        EXPECT_EQ(4, s.lineWidth);
        RadioGroup group = RadioGroupOf(id);
        EXPECT_EQ(0, group.first);
        EXPECT_EQ(0, group.last);
    }
}

TEST(GraphSettingsDialog, ClickedButtonIsCheckedWithinItsOwnGroup) {
    const struct {
        int id, first, last;
    } cases[] = {{221, 221, 225}, {225, 221, 225}, {226, 226, 230}, {230, 226, 230},
                 {231, 231, 233}, {233, 231, 233}, {234, 234, 236}, {236, 234, 236}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.id);
        RadioGroup group = RadioGroupOf(c.id);
        EXPECT_EQ(c.first, group.first);
        EXPECT_EQ(c.last, group.last);
    }
}

TEST(GraphSettingsDialog, OkWithoutTouchingAnythingKeepsThePreviousSelection) {
    GraphSettings settings;
    settings.thicknessIndex = 2;
    settings.dotSizeIndex = 4;
    settings.sizeIndex = 2;
    settings.scaleMode = ScaleMode::ScaleTicks;
    GraphDialogChecks checks = InitGraphSettingsDialog(settings);
    AcceptGraphSettings(settings,
                        CheckedButtons({checks.thicknessButton, checks.dotButton, checks.sizeButton, checks.scaleButton}));
    EXPECT_EQ(2, settings.thicknessIndex);
    EXPECT_EQ(3, settings.lineWidth);
    EXPECT_EQ(4, settings.dotSizeIndex);
    EXPECT_EQ(6, settings.dotRadius);
    EXPECT_EQ(2, settings.sizeIndex);
    EXPECT_EQ(0.5, settings.sizeFactor);
    EXPECT_EQ(ScaleMode::ScaleTicks, settings.scaleMode);
}

TEST(GraphSettingsDialog, OkStoresWhatTheButtonsReportNotWhatWasRemembered) {
    GraphSettings settings;
    InitGraphSettingsDialog(settings);
    AcceptGraphSettings(settings, CheckedButtons({224, 227, 232, 235}));
    EXPECT_EQ(3, settings.thicknessIndex);
    EXPECT_EQ(4, settings.lineWidth);
    EXPECT_EQ(1, settings.dotSizeIndex);
    EXPECT_EQ(3, settings.dotRadius);
    EXPECT_EQ(1, settings.sizeIndex);
    EXPECT_EQ(0.7, settings.sizeFactor);
    EXPECT_EQ(ScaleMode::ScaleTicks, settings.scaleMode);
}

TEST(GraphSettingsDialog, OkReadsButtonsInAscendingOrderSoTheLastCheckedOfAGroupWins) {
    GraphSettings settings;
    InitGraphSettingsDialog(settings);
    AcceptGraphSettings(settings, CheckedButtons({222, 225}));
    EXPECT_EQ(4, settings.thicknessIndex);
    EXPECT_EQ(5, settings.lineWidth);
    EXPECT_EQ(0, settings.dotSizeIndex);  // a group with nothing checked keeps its value
}

TEST(GraphSettingsDialog, CancelKeepsTheClicksAndTheNextDialogOpensWithThem) {
    GraphSettings settings;  // remembered
    GraphDialogAnswer answer;  // Cancelled unless OK ends the dialog
    answer.settings = settings;
    InitGraphSettingsDialog(answer.settings);
    ApplyGraphSettingsClick(answer.settings, IDC_SCALE_GRID);
    ApplyGraphSettingsClick(answer.settings, IDC_SIZE_50);
    EXPECT_FALSE(StoreGraphDialogAnswer(settings, answer));  // nothing is drawn
    EXPECT_EQ(ScaleMode::ScaleGrid, settings.scaleMode);
    EXPECT_EQ(0.5, settings.sizeFactor);

    GraphDialogChecks next = InitGraphSettingsDialog(settings);
    EXPECT_EQ(IDC_SCALE_GRID, next.scaleButton);
    EXPECT_EQ(IDC_SIZE_50, next.sizeButton);
    EXPECT_EQ(IDC_THICKNESS_1, next.thicknessButton);
    EXPECT_EQ(IDC_DOT_5, next.dotButton);
}

TEST(GraphSettingsDialog, OkDrawsWithTheSettingsTheDialogLeft) {
    GraphSettings settings;
    GraphDialogAnswer answer;
    answer.settings = settings;
    InitGraphSettingsDialog(answer.settings);
    ApplyGraphSettingsClick(answer.settings, IDC_DOT_13);
    AcceptGraphSettings(answer.settings, CheckedButtons({IDC_THICKNESS_1, IDC_DOT_13, IDC_SIZE_100, IDC_SCALE_NONE}));
    answer.outcome = GraphDialogOutcome::Accepted;
    EXPECT_TRUE(StoreGraphDialogAnswer(settings, answer));
    EXPECT_EQ(6, settings.dotRadius);
    EXPECT_EQ(1, settings.lineWidth);
}

TEST(GraphSettingsDialog, SizeFactorsAreTheDoublesNearestToTheirPercentages) {
    EXPECT_EQ(1.0, SizeFactorForIndex(0));
    EXPECT_EQ(0.7, SizeFactorForIndex(1));
    EXPECT_LT(SizeFactorForIndex(1) * 10.0L, 7.0L);  // the double lies just below 0.7
    EXPECT_EQ(0.5, SizeFactorForIndex(2));
}

}  // namespace
}  // namespace plorimet
