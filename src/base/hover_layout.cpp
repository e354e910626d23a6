#include "base/hover_layout.h"

#include <algorithm>

#include "base/platform.h"
#include "base/toolbar_layout.h"

namespace plorimet {

namespace {

constexpr int kFirstButtonX = kFirstCommandButtonX;
constexpr int kButtonWidth = kCommandButtonWidth;
constexpr int kButtonHeight = kToolbarButtonHeight;
constexpr int kLastButtonRight = kSpaceButtonX;
static_assert(kFirstButtonX + kHoverLabelCount * kButtonWidth == kLastButtonRight, "one label per command button");
constexpr int kLabelDrop = 32;     // below the caption, clear of the tool bar
constexpr int kLabelInset = 1;     // a label starts one pixel right of its button
constexpr int kLabelPadWidth = 5;  // box width beyond the text's
constexpr int kLabelPadHeight = 6; // box height beyond the text's and its leading
constexpr int kTextMargin = 3;
constexpr int kSharedCharset = 128;
constexpr int kOemCharset = 255;

}  // namespace

int HoverLabelAt(int x, int y, int borderHeight) {
    const bool inRow = y > borderHeight && y <= borderHeight + kButtonHeight;
    if (!inRow || x < kFirstButtonX || x >= kLastButtonRight) return 0;
    return (x - kFirstButtonX) / kButtonWidth + 1;
}

HoverFont HoverFontFor(UiLanguage language, int platformLevel) {
    if (language == UiLanguage::Japanese) return {"ＭＳゴシック", 12, kSharedCharset, 0, 0, 1};
    const int height = EnglishHoverFontHeight(platformLevel);
    return {"Helv", height, kOemCharset, height == 12 ? 0 : 1, -1, 2};
}

Rect HoverLabelRect(int k, const HoverMetrics& metrics, const HoverFont& font) {
    Rect r{};
    r.left = metrics.borderWidth + kFirstButtonX + kLabelInset + kButtonWidth * (k - 1);
    r.top = metrics.borderHeight + metrics.captionHeight + kLabelDrop;
    r.right = r.left + metrics.textWidth + font.extraWidth + kLabelPadWidth;
    r.bottom = r.top + metrics.textHeight + metrics.externalLeading + kLabelPadHeight;
    // The covered area reaches one past the box on each far side.
    r.right = std::clamp(r.right, r.left, r.left + kHoverSaveWidth - 1);
    r.bottom = std::clamp(r.bottom, r.top, r.top + kHoverSaveHeight - 1);
    return r;
}

int CoveredWidth(const Rect& label) {
    return label.right - label.left + 1;
}

int CoveredHeight(const Rect& label) {
    return label.bottom - label.top + 1;
}

Point HoverTextOrigin(const Rect& label, const HoverFont& font) {
    return {label.left + font.textOffsetX + kTextMargin, label.top + font.textOffsetY + kTextMargin};
}

}  // namespace plorimet
