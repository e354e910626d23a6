#include "base/toolbar_layout.h"

#include <algorithm>

#include "resource_ids.h"

namespace plorimet {

namespace {

constexpr int kGapWidth = 16;
constexpr int kCommandWidth = 32;

constexpr std::array<ToolbarButton, kToolbarButtonCount> kButtons = {{
    {IDB_GAP_BUTTON, "Gap", 0, kGapWidth, Enabling::Never, 0},
    {203, "DataW", 16, kCommandWidth, Enabling::Always, IDM_INPUT_DATA},
    {204, "Read", 48, kCommandWidth, Enabling::FollowsView, IDM_READ_DATA},
    {205, "Paste", 80, kCommandWidth, Enabling::FollowsView, IDM_PASTE_DATA},
    {206, "AnaW", 112, kCommandWidth, Enabling::FollowsView, IDM_ANALYSIS},
    {207, "SaveAs", 144, kCommandWidth, Enabling::FollowsView, IDM_SAVE_DATA},
    {208, "Grph", 176, kCommandWidth, Enabling::FollowsView, IDM_DRAW_GRAPH},
    {209, "Copy", 208, kCommandWidth, Enabling::FollowsView, IDM_COPY_GRAPH},
    {210, "SaveGr", 240, kCommandWidth, Enabling::FollowsView, IDM_SAVE_GRAPH},
    {211, "About", 272, kCommandWidth, Enabling::Always, IDM_ABOUT},
    {212, "Help", 304, kCommandWidth, Enabling::Always, IDM_HELP},
    {213, "Exit", 336, kCommandWidth, Enabling::Always, IDM_EXIT},
    {IDB_SPACE_BUTTON, "Space", 368, 0, Enabling::Never, 0},
}};

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

int CommandForButtonControl(int controlId) {
    if (controlId < IDB_FIRST_COMMAND_BUTTON || controlId > IDB_LAST_COMMAND_BUTTON) return 0;
    return controlId - TOOLBAR_COMMAND_OFFSET;
}

}  // namespace plorimet
