// Everything the window remembers during one run: the program's state shared with every front
// end (model/program_state.h) and, beside it, the window's handles, measures and pictures.
// Owned by WinMain and handed by reference to the window procedures (bound once, at window
// creation).
#pragma once

#include <windows.h>

#include <array>
#include <string>

#include "base/window_layout.h"
#include "model/program_state.h"
#include "win/gdi_win.h"

namespace plorimet {

struct WindowState : ProgramState {
    HINSTANCE appInstance = nullptr;
    HWND mainWindow = nullptr;
    HWND iconBar = nullptr;
    int screenWidth = 0;
    int screenHeight = 0;
    int mainWindowHeight = kInitialMainWindowHeight;

    int platformLevel = 0;
    bool platformKnown = false;
    std::string toolbarBitmapSet;  // fixed when the tool bar is built

    // The data grid: its layout and its 90 edit cells (their texts are ProgramState::cells
    // whenever a command reads or writes them).
    GridLayout grid;
    std::array<HWND, kCellCount> cellWindows{};
    HWND desktopListView = nullptr;

    // Full paths of the two manuals, worked out at start.
    std::string manualPathEnglish;
    std::string manualPathJapanese;

    // Tool bar hover label: 0 none, 1..11 the button whose label counts as shown.
    int hoverLabel = 0;

    // The start picture while the view is Initial, the graph while it is Graph.
    ViewSurface logoSurface;
    ViewSurface graphSurface;
};

}  // namespace plorimet
