#include <gtest/gtest.h>

#include "graph/graph_settings.h"

namespace plorimet {
namespace {

struct Derived {
    int thicknessIndex, lineWidth, dotSizeIndex, dotRadius, sizeIndex;
    double sizeFactor;
    ScaleMode scale;
};

void ExpectSettings(const GraphSettings& s, const Derived& d) {
    EXPECT_EQ(d.thicknessIndex, s.thicknessIndex);
    EXPECT_EQ(d.lineWidth, s.lineWidth);
    EXPECT_EQ(d.dotSizeIndex, s.dotSizeIndex);
    EXPECT_EQ(d.dotRadius, s.dotRadius);
    EXPECT_EQ(d.sizeIndex, s.sizeIndex);
    EXPECT_EQ(d.sizeFactor, s.sizeFactor);  // the very doubles 1.0, 0.7, 0.5
    EXPECT_EQ(d.scale, s.scaleMode);
}

GraphSettings Remembered(int thickness, int dot, int size, ScaleMode scale) {
    GraphSettings settings;
    settings.thicknessIndex = thickness;
    settings.dotSizeIndex = dot;
    settings.sizeIndex = size;
    settings.scaleMode = scale;
    return settings;
}

// The first dialog of a run opens with the smallest choices; remembered indices give their
// choices and derived values; indices outside a group (never written by the dialog) come back
// to its first choice, so that choices and derived values agree.
TEST(GraphSettingsDialog, InitialisationGivesEachGroupsChoiceAndTheDerivedValues) {
    struct Row {
        GraphSettings remembered;
        GraphChoices choices;
        Derived derived;
    };
    const Row rows[] = {
        {GraphSettings{}, {0, 0, 0, 0}, {0, 1, 0, 2, 0, 1.0, ScaleMode::ScaleNone}},
        {Remembered(4, 3, 1, ScaleMode::ScaleGrid), {4, 3, 1, 2}, {4, 5, 3, 5, 1, 0.7, ScaleMode::ScaleGrid}},
        {Remembered(9, -1, 3, static_cast<ScaleMode>(7)), {0, 0, 0, 0}, {0, 1, 0, 2, 0, 1.0, ScaleMode::ScaleNone}},
    };
    for (const Row& row : rows) {
        GraphSettings settings = row.remembered;
        EXPECT_EQ(InitGraphSettingsDialog(settings), row.choices);
        ExpectSettings(settings, row.derived);
    }
}

TEST(GraphSettingsDialog, EveryChoiceStoresItsRowAndNothingElse) {
    struct Row {
        GraphGroup group;
        int choice;
        Derived after;
    };
    // From a state that differs from every row, so each choice shows what it changed.
    const GraphSettings base = [] {
        GraphSettings s = Remembered(2, 2, 2, ScaleMode::ScaleTicks);
        InitGraphSettingsDialog(s);
        return s;
    }();
    const Row rows[] = {
        {GraphGroup::Line, 0, {0, 1, 2, 4, 2, 0.5, ScaleMode::ScaleTicks}},
        {GraphGroup::Line, 4, {4, 5, 2, 4, 2, 0.5, ScaleMode::ScaleTicks}},
        {GraphGroup::Dot, 0, {2, 3, 0, 2, 2, 0.5, ScaleMode::ScaleTicks}},
        {GraphGroup::Dot, 4, {2, 3, 4, 6, 2, 0.5, ScaleMode::ScaleTicks}},
        {GraphGroup::Size, 0, {2, 3, 2, 4, 0, 1.0, ScaleMode::ScaleTicks}},
        {GraphGroup::Size, 1, {2, 3, 2, 4, 1, 0.7, ScaleMode::ScaleTicks}},
        {GraphGroup::Scale, 0, {2, 3, 2, 4, 2, 0.5, ScaleMode::ScaleNone}},
        {GraphGroup::Scale, 2, {2, 3, 2, 4, 2, 0.5, ScaleMode::ScaleGrid}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(static_cast<int>(row.group) * 10 + row.choice);
        GraphSettings s = base;
        EXPECT_TRUE(ChooseGraphSetting(s, row.group, row.choice));
        ExpectSettings(s, row.after);
    }
    for (const GraphGroup group : {GraphGroup::Line, GraphGroup::Dot, GraphGroup::Size, GraphGroup::Scale}) {
        for (int choice : {-1, GraphChoiceCount(group)}) {
            GraphSettings s = base;
            EXPECT_FALSE(ChooseGraphSetting(s, group, choice));
            ExpectSettings(s, {2, 3, 2, 4, 2, 0.5, ScaleMode::ScaleTicks});
        }
    }
}

TEST(GraphSettingsDialog, CancelKeepsTheChoicesAndOkDraws) {
    for (const GraphDialogOutcome outcome : {GraphDialogOutcome::Cancelled, GraphDialogOutcome::Accepted}) {
        GraphSettings remembered;
        GraphDialogAnswer answer{outcome, remembered};
        InitGraphSettingsDialog(answer.settings);
        ChooseGraphSetting(answer.settings, GraphGroup::Scale, 2);
        ChooseGraphSetting(answer.settings, GraphGroup::Size, 2);
        EXPECT_EQ(StoreGraphDialogAnswer(remembered, answer), outcome == GraphDialogOutcome::Accepted);
        EXPECT_EQ(InitGraphSettingsDialog(remembered), (GraphChoices{0, 0, 2, 2}));  // the next dialog's
        EXPECT_EQ(0.5, remembered.sizeFactor);
    }
}

TEST(GraphSettingsDialog, SizeFactorsAreTheDoublesNearestToTheirPercentages) {
    EXPECT_EQ(1.0, SizeFactorForIndex(0));
    EXPECT_EQ(0.7, SizeFactorForIndex(1));
    EXPECT_LT(SizeFactorForIndex(1) * 10.0L, 7.0L);  // the double lies just below 0.7
    EXPECT_EQ(0.5, SizeFactorForIndex(2));
}

}  // namespace
}  // namespace plorimet
