// Everything the program remembers during one run, owned by WinMain and handed by reference
// to the window procedures (bound once, at window creation).
#pragma once

#include <windows.h>

#include <array>
#include <string>

#include "base/messages.h"
#include "base/view_state.h"
#include "base/window_layout.h"
#include "fit/analysis.h"
#include "fit/data_set.h"
#include "fit/fit_settings.h"
#include "graph/graph_plan.h"
#include "graph/graph_settings.h"
#include "win/gdi_win.h"

namespace plorimet {

struct ProgramState {
    HINSTANCE appInstance = nullptr;
    HWND mainWindow = nullptr;
    HWND iconBar = nullptr;
    int screenWidth = 0;
    int screenHeight = 0;
    int mainWindowHeight = kInitialMainWindowHeight;

    UiLanguage language = UiLanguage::English;
    int platformLevel = 0;
    bool platformKnown = false;
    std::string toolbarBitmapSet;  // fixed when the tool bar is built

    ViewState view = ViewState::Initial;

    // The data grid.
    GridLayout grid;
    std::array<HWND, kCellCount> cells{};
    int gridCharTotal = 0;  // characters of the data set texts when Input Data last ran
    HWND desktopListView = nullptr;

    // The fit.
    DataSet dataSet;
    FitSettings fitSettings;
    FitResult fitResult;

    // Remembered choices of the column dialog (0: none yet).
    int lastXColumn = 0;
    int lastYColumn = 0;

    // Full paths of the two manuals, worked out at start.
    std::string manualPathEnglish;
    std::string manualPathJapanese;

    GraphSettings graphSettings;
    FrameRect graphFrame;  // where the frame of the shown graph lies

    // Tool bar hover label: 0 none, 1..11 the button whose label counts as shown.
    int hoverLabel = 0;

    // The start picture while the view is Initial, the graph while it is Graph.
    ViewSurface logoSurface;
    ViewSurface graphSurface;
};

}  // namespace plorimet
