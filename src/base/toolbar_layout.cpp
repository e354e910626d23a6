#include "base/toolbar_layout.h"

#include <algorithm>

#include "resource_ids.h"

namespace plorimet {

namespace {

// The left edge of the n-th command button (n = 0 for Input Data).
constexpr int CommandX(int n) {
    return kFirstCommandButtonX + n * kCommandButtonWidth;
}
// The control id of the n-th command button.
constexpr int CommandControl(int n) {
    return IDB_FIRST_COMMAND_BUTTON + n;
}

constexpr std::array<ToolbarButton, kToolbarButtonCount> kButtons = {{
    {IDB_GAP_BUTTON, "Gap", 0, kGapButtonWidth, Enabling::Never, 0},
    {CommandControl(0), "DataW", CommandX(0), kCommandButtonWidth, Enabling::Always, IDM_INPUT_DATA},
    {CommandControl(1), "Read", CommandX(1), kCommandButtonWidth, Enabling::FollowsView, IDM_READ_DATA},
    {CommandControl(2), "Paste", CommandX(2), kCommandButtonWidth, Enabling::FollowsView, IDM_PASTE_DATA},
    {CommandControl(3), "AnaW", CommandX(3), kCommandButtonWidth, Enabling::FollowsView, IDM_ANALYSIS},
    {CommandControl(4), "SaveAs", CommandX(4), kCommandButtonWidth, Enabling::FollowsView, IDM_SAVE_DATA},
    {CommandControl(5), "Grph", CommandX(5), kCommandButtonWidth, Enabling::FollowsView, IDM_DRAW_GRAPH},
    {CommandControl(6), "Copy", CommandX(6), kCommandButtonWidth, Enabling::FollowsView, IDM_COPY_GRAPH},
    {CommandControl(7), "SaveGr", CommandX(7), kCommandButtonWidth, Enabling::FollowsView, IDM_SAVE_GRAPH},
    {CommandControl(8), "About", CommandX(8), kCommandButtonWidth, Enabling::Always, IDM_ABOUT},
    {CommandControl(9), "Help", CommandX(9), kCommandButtonWidth, Enabling::Always, IDM_HELP},
    {CommandControl(10), "Exit", CommandX(10), kCommandButtonWidth, Enabling::Always, IDM_EXIT},
    {IDB_SPACE_BUTTON, "Space", kSpaceButtonX, 0, Enabling::Never, 0},
}};
static_assert(CommandControl(kCommandButtonCount - 1) == IDB_LAST_COMMAND_BUTTON);
static_assert(kButtons[kToolbarButtonCount - 2].x + kCommandButtonWidth == kSpaceButtonX);

// Which of the view-dependent commands work in each view.
bool EnabledInView(int command, ViewState view) {
    switch (view) {
        case ViewState::Initial:
            return false;
        case ViewState::DataInput:
            return command == IDM_READ_DATA || command == IDM_PASTE_DATA || command == IDM_ANALYSIS;
        case ViewState::Equation:
            return command == IDM_SAVE_DATA || command == IDM_DRAW_GRAPH;
        case ViewState::Graph:
            return command == IDM_COPY_GRAPH || command == IDM_SAVE_GRAPH;
    }
    // A view value outside the four is painted as the graph, so it enables like it.
    return command == IDM_COPY_GRAPH || command == IDM_SAVE_GRAPH;
}

}  // namespace

const std::array<ToolbarButton, kToolbarButtonCount>& ToolbarButtons() {
    return kButtons;
}

int ButtonWidth(const ToolbarButton& button, int screenWidth) {
    return button.width != 0 ? button.width : screenWidth - button.x;
}

std::vector<FaceTile> FaceTiles(int buttonWidth, int bitmapWidth) {
    std::vector<FaceTile> tiles;
    if (buttonWidth <= 0 || bitmapWidth <= 0) return tiles;
    for (int x = 0; x < buttonWidth; x += bitmapWidth) tiles.push_back({x, std::min(bitmapWidth, buttonWidth - x)});
    return tiles;
}

int ToolbarHeight(int borderHeight) {
    return borderHeight + kToolbarButtonHeight;
}

std::string BitmapName(const char* stem, const std::string& bitmapSet, Face face) {
    static const char* const kFaces[] = {"Up", "Dn", "In"};
    return std::string(stem) + bitmapSet + kFaces[static_cast<int>(face)];
}

Face FaceFor(bool disabled, bool pressed) {
    if (disabled) return Face::In;
    return pressed ? Face::Dn : Face::Up;
}

bool IsButtonEnabled(const ToolbarButton& button, ViewState view) {
    switch (button.enabling) {
        case Enabling::Never: return false;
        case Enabling::Always: return true;
        case Enabling::FollowsView: return EnabledInView(button.command, view);
    }
    return false;
}

StripSpan RepaintSpanOfCommand(int command) {
    for (const ToolbarButton& button : kButtons) {
        if (button.command == command && command != 0) return {button.x - 1, button.x + button.width - 1};
    }
    return {};
}

int CommandForButtonControl(int controlId) {
    if (controlId < IDB_FIRST_COMMAND_BUTTON || controlId > IDB_LAST_COMMAND_BUTTON) return 0;
    return controlId - TOOLBAR_COMMAND_OFFSET;
}

}  // namespace plorimet
