// Where the tool bar's hover labels go, which one the mouse asks for, and their font.
#pragma once

#include "base/messages.h"
#include "base/window_layout.h"

namespace plorimet {

constexpr int kHoverLabelCount = 11;
// The pixels a label covers are kept in a fixed area: a label never reaches past it.
constexpr int kHoverSaveWidth = 130;
constexpr int kHoverSaveHeight = 30;

// The label the mouse asks for at client position (x, y): 1..11 over the command buttons'
// row (one pixel lower than the buttons themselves), 0 anywhere else, Gap and Space included.
int HoverLabelAt(int x, int y, int borderHeight);

struct HoverFont {
    const char* face;
    int height;
    int charset;
    int textOffsetX;  // from the label's left edge, besides the 3-pixel margin
    int textOffsetY;
    int extraWidth;   // added to the text width
};

HoverFont HoverFontFor(UiLanguage language, int platformLevel);

// What the label's size is made of, in pixels.
struct HoverMetrics {
    int borderWidth;    // SM_CXBORDER
    int borderHeight;   // SM_CYBORDER
    int captionHeight;  // SM_CYCAPTION
    int textWidth;      // extent of the label text in the label font
    int textHeight;     // tmHeight
    int externalLeading;
};

// Label k's box in whole-window coordinates. Right and bottom are excluded from the drawn
// box but included in the covered (saved) area, which is bounded to the save area: a huge
// font gives a clipped label rather than pixels that could not be put back.
Rect HoverLabelRect(int k, const HoverMetrics& metrics, const HoverFont& font);

// The label's covered area, both ends included: (right - left + 1) x (bottom - top + 1).
int CoveredWidth(const Rect& label);
int CoveredHeight(const Rect& label);

// Where the label text starts.
Point HoverTextOrigin(const Rect& label, const HoverFont& font);

}  // namespace plorimet
