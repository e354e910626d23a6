#include "base/hover_layout.h"

#include <gtest/gtest.h>

#include <cstring>

namespace plorimet {
namespace {

constexpr int kBorder = 1;

TEST(HoverLabelAt, ButtonRowSelectsTheButtonUnderTheMouse) {
    // Each command button is 32 pixels wide, from x = 16 on; its left and right columns belong to it.
    for (int k = 1; k <= kHoverLabelCount; ++k) {
        const int left = 16 + 32 * (k - 1);
        EXPECT_EQ(HoverLabelAt(left, 10, kBorder), k) << "left edge of " << k;
        EXPECT_EQ(HoverLabelAt(left + 31, 10, kBorder), k) << "right edge of " << k;
    }
}

TEST(HoverLabelAt, GapSpaceAndOtherRowsSelectNothing) {
    EXPECT_EQ(HoverLabelAt(15, 10, kBorder), 0);    // Gap
    EXPECT_EQ(HoverLabelAt(-3, 10, kBorder), 0);    // left frame
    EXPECT_EQ(HoverLabelAt(368, 10, kBorder), 0);   // Space
    EXPECT_EQ(HoverLabelAt(367, 10, kBorder), 11);  // last column of Exit
    // The row is b < y <= b + 20, one pixel lower than the buttons.
    EXPECT_EQ(HoverLabelAt(20, kBorder, kBorder), 0);
    EXPECT_EQ(HoverLabelAt(20, kBorder + 1, kBorder), 1);
    EXPECT_EQ(HoverLabelAt(20, kBorder + 20, kBorder), 1);
    EXPECT_EQ(HoverLabelAt(20, kBorder + 21, kBorder), 0);
    EXPECT_EQ(HoverLabelAt(20, -10, kBorder), 0);  // caption
    EXPECT_EQ(HoverLabelAt(20, 23, 3), 1);        // a thicker border moves the row down
    EXPECT_EQ(HoverLabelAt(20, 3, 3), 0);
}

TEST(HoverFontFor, JapaneseAndEnglishPerPlatformLevel) {
    const HoverFont japanese = HoverFontFor(UiLanguage::Japanese, 5);
    EXPECT_STREQ(japanese.face, "ＭＳゴシック");
    EXPECT_EQ(japanese.height, 12);
    EXPECT_EQ(japanese.charset, 128);
    EXPECT_EQ(japanese.textOffsetX, 0);
    EXPECT_EQ(japanese.textOffsetY, 0);
    EXPECT_EQ(japanese.extraWidth, 1);
    EXPECT_EQ(HoverFontFor(UiLanguage::Japanese, 0).height, 12);

    for (int level = 0; level <= 7; ++level) {
        const HoverFont english = HoverFontFor(UiLanguage::English, level);
        const bool older = level <= 2;
        EXPECT_STREQ(english.face, "Helv");
        EXPECT_EQ(english.height, older ? 12 : 14) << level;
        EXPECT_EQ(english.charset, 255);
        EXPECT_EQ(english.textOffsetX, older ? 0 : 1) << level;
        EXPECT_EQ(english.textOffsetY, -1);
        EXPECT_EQ(english.extraWidth, 2);
    }
}

HoverMetrics Metrics(int textWidth, int textHeight, int leading = 0) {
    return HoverMetrics{1, 1, 18, textWidth, textHeight, leading};
}

TEST(HoverLabelRect, FromButtonNumberTextAndFont) {
    const HoverFont english = HoverFontFor(UiLanguage::English, 5);
    const Rect first = HoverLabelRect(1, Metrics(50, 14, 1), english);
    EXPECT_EQ(first.left, 1 + 17);
    EXPECT_EQ(first.top, 1 + 18 + 32);
    EXPECT_EQ(first.right, first.left + 50 + 2 + 5);
    EXPECT_EQ(first.bottom, first.top + 14 + 1 + 6);
    EXPECT_EQ(CoveredWidth(first), 58);
    EXPECT_EQ(CoveredHeight(first), 22);

    const Rect exit = HoverLabelRect(11, Metrics(20, 12), HoverFontFor(UiLanguage::Japanese, 0));
    EXPECT_EQ(exit.left, 1 + 17 + 320);
    EXPECT_EQ(exit.right, exit.left + 20 + 1 + 5);

    // Level 5 English: the text starts 4 right of the left edge and 2 below the top.
    const Point text = HoverTextOrigin(first, english);
    EXPECT_EQ(text.x, first.left + 4);
    EXPECT_EQ(text.y, first.top + 2);
    const Point older = HoverTextOrigin(first, HoverFontFor(UiLanguage::English, 1));
    EXPECT_EQ(older.x, first.left + 3);
    EXPECT_EQ(older.y, first.top + 2);
}

TEST(HoverLabelRect, LargestLabelThatFitsIsKeptWhole) {
    const HoverFont font = HoverFontFor(UiLanguage::Japanese, 0);
    // 130 x 30 covered pixels: width + 1 + 5 + 1 = 130, height + 6 + 1 = 30.
    const Rect r = HoverLabelRect(3, Metrics(123, 23), font);
    EXPECT_EQ(CoveredWidth(r), kHoverSaveWidth);
    EXPECT_EQ(CoveredHeight(r), kHoverSaveHeight);
    EXPECT_EQ(r.right, r.left + 123 + 1 + 5);
}

TEST(HoverLabelRect, HugeFontIsBoundedToTheSavedArea) {
    // A very large system font: the label would be far larger than the pixels kept for it.
    const HoverFont font = HoverFontFor(UiLanguage::English, 7);
    for (int k = 1; k <= kHoverLabelCount; ++k) {
        const Rect r = HoverLabelRect(k, Metrics(400, 60, 4), font);
        EXPECT_EQ(CoveredWidth(r), kHoverSaveWidth) << k;
        EXPECT_EQ(CoveredHeight(r), kHoverSaveHeight) << k;
        EXPECT_GT(r.right, r.left);
        EXPECT_GT(r.bottom, r.top);
    }
    // One pixel over in one direction only is clipped in that direction only.
    const Rect wide = HoverLabelRect(1, Metrics(124, 10), HoverFontFor(UiLanguage::Japanese, 0));
    EXPECT_EQ(CoveredWidth(wide), kHoverSaveWidth);
    EXPECT_EQ(CoveredHeight(wide), 10 + 6 + 1);
}

TEST(HoverLabelRect, EveryLabelStartsOnePixelRightOfItsButton) {
    const HoverFont font = HoverFontFor(UiLanguage::English, 0);
    for (int k = 1; k <= kHoverLabelCount; ++k) {
        const Rect r = HoverLabelRect(k, HoverMetrics{2, 1, 18, 30, 12, 0}, font);
        EXPECT_EQ(r.left, 2 + 16 + 32 * (k - 1) + 1) << k;
        EXPECT_EQ(HoverLabelAt(r.left - 2 - 1, 5, 1), k);
    }
}

TEST(HoverLabelText, EveryLabelHasTextInBothLanguages) {
    for (int k = 1; k <= kHoverLabelCount; ++k) {
        EXPECT_GT(std::strlen(HoverLabelText(k, UiLanguage::English)), 0u) << k;
        EXPECT_GT(std::strlen(HoverLabelText(k, UiLanguage::Japanese)), 0u) << k;
    }
    EXPECT_STREQ(HoverLabelText(1, UiLanguage::English), "Input Data");
    EXPECT_STREQ(HoverLabelText(7, UiLanguage::Japanese), "グラフコピー");
    EXPECT_STREQ(HoverLabelText(11, UiLanguage::English), "Exit");
}

}  // namespace
}  // namespace plorimet
