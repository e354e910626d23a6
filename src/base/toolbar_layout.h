// The tool bar's thirteen buttons, their bitmap names and which of them work in each view.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "base/view_state.h"

namespace plorimet {

constexpr int kToolbarButtonCount = 13;
constexpr int kToolbarButtonHeight = 20;
// Gap, eleven command buttons side by side, then Space to the screen's right edge.
constexpr int kGapButtonWidth = 16;
constexpr int kCommandButtonWidth = 32;
constexpr int kCommandButtonCount = 11;
constexpr int kFirstCommandButtonX = kGapButtonWidth;
constexpr int kSpaceButtonX = kFirstCommandButtonX + kCommandButtonCount * kCommandButtonWidth;  // 368
constexpr int kBitmapNameLimit = 11;  // characters of a bitmap name, terminator excluded

enum class Face { Up, Dn, In };

enum class Enabling {
    Never,     // Gap and Space: inert filler
    Always,    // Input Data, About, Help, Exit
    FollowsView,
};

struct ToolbarButton {
    int controlId;
    const char* stem;   // bitmap name = stem + set + face
    int x;              // in the tool bar's client coordinates
    int width;          // 0: reaches to the screen's right edge
    Enabling enabling;
    int command;        // command id sent to the main window, 0 for none
};

const std::array<ToolbarButton, kToolbarButtonCount>& ToolbarButtons();

// The pixel width of a button on a screen of the given width.
int ButtonWidth(const ToolbarButton& button, int screenWidth);

// Where copies of a face bitmap go across a button: one copy when the bitmap is as wide as
// the button, more side by side when the button is wider (the Space piece on a screen wider
// than its 2000-pixel bitmap), so no part of the bar is left unpainted.
struct FaceTile {
    int x;      // offset from the button's left edge
    int width;  // columns copied from the bitmap's left edge
};
std::vector<FaceTile> FaceTiles(int buttonWidth, int bitmapWidth);

// The tool bar is one border plus a button high.
int ToolbarHeight(int borderHeight);

// "ReadUp", "Read9Dn", "ReadXIn", ...
std::string BitmapName(const char* stem, const std::string& bitmapSet, Face face);

// Disabled buttons show In, pressed ones Dn, the rest Up.
Face FaceFor(bool disabled, bool pressed);

// Whether a button can be clicked in a view. Gap and Space never, the four always-on buttons
// always, the seven others by the view.
bool IsButtonEnabled(const ToolbarButton& button, ViewState view);

// The part of the tool bar strip repainted after a command's file dialog closes: from one
// pixel left of its button to its last column.
struct StripSpan {
    int left = 0;
    int right = 0;
};
StripSpan RepaintSpanOfCommand(int command);

// The command a click on a button's control id sends, or 0 when it sends none.
int CommandForButtonControl(int controlId);

}  // namespace plorimet
