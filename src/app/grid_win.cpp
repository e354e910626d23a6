#include "app/grid_win.h"

#include "base/window_layout.h"
#include "model/commands.h"
#include "app/equation_view_win.h"
#include "win/message_box_win.h"
#include "win/window_text_win.h"

namespace plorimet {

namespace {

constexpr DWORD kCellStyle = WS_CHILD | WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL;
constexpr DWORD kRuleBrokenPause = 50;  // ms before the whole text is selected

GridLayout MeasureGridLayout(HWND window) {
    TEXTMETRICA metrics{};
    WindowDC dc(window);
    if (dc) GetTextMetricsA(dc.get(), &metrics);
    return MakeGridLayout(metrics.tmHeight, metrics.tmExternalLeading);
}

// Final height for the font in use, centred again, in one deferred move.
void FitMainWindow(WindowState& state) {
    state.mainWindowHeight =
        MainWindowHeight(GetSystemMetrics(SM_CYCAPTION), GetSystemMetrics(SM_CYDLGFRAME), state.grid);
    const Point origin = CentredOrigin(state.screenWidth, state.screenHeight, kMainWindowWidth, state.mainWindowHeight);
    HDWP batch = BeginDeferWindowPos(1);
    if (batch) batch = DeferWindowPos(batch, state.mainWindow, nullptr, origin.x, origin.y, kMainWindowWidth,
                                      state.mainWindowHeight, SWP_NOZORDER);
    if (batch) EndDeferWindowPos(batch);
}

void CreateCells(WindowState& state) {
    // X cells of the three groups first, then the Y cells: the order of the control ids.
    for (int index = 0; index < kCellCount; ++index) {
        const Point home = CellPosition(state.grid, index, 0);
        HWND cell = CreateWindowExA(WS_EX_STATICEDGE, "EDIT", "", kCellStyle, home.x, home.y, kCellWidth,
                                    state.grid.rowHeight, state.mainWindow,
                                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(CellCommandForIndex(index))),
                                    state.appInstance, nullptr);
        if (cell) ShowWindow(cell, SW_SHOW);
        state.cellWindows[index] = cell;
    }
    for (HWND cell : state.cellWindows) {
        if (cell) SendMessageA(cell, EM_LIMITTEXT, kCellTextLimit, 0);
    }
}

void InvalidateBelowToolbar(HWND window) {
    RECT area{};
    GetClientRect(window, &area);
    area.top = kToolbarCover;
    InvalidateRect(window, &area, TRUE);
    UpdateWindow(window);
}

}  // namespace

void CreateDataGrid(WindowState& state) {
    state.grid = MeasureGridLayout(state.mainWindow);
    ResetForNewGrid(state);
    FitMainWindow(state);
    CreateCells(state);
    SetWindowTextA(state.mainWindow, UiText(TextId::ProductTitle, state.language));
    PlaceGridCells(state, kMainWindowWidth);
}

void PlaceGridCells(WindowState& state, int offset) {
    // One batch for all cells without drawing, then one repaint of the window and its cells:
    // much quicker than 90 separate moves, each repainting on its own.
    HDWP batch = BeginDeferWindowPos(kCellCount);
    for (int index = 0; index < kCellCount && batch; ++index) {
        if (!state.cellWindows[index]) continue;
        const Point p = CellPosition(state.grid, index, offset);
        batch = DeferWindowPos(batch, state.cellWindows[index], nullptr, p.x, p.y, kCellWidth, state.grid.rowHeight,
                               SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
    }
    if (!batch || !EndDeferWindowPos(batch)) {
        for (int index = 0; index < kCellCount; ++index) {
            if (!state.cellWindows[index]) continue;
            const Point p = CellPosition(state.grid, index, offset);
            MoveWindow(state.cellWindows[index], p.x, p.y, kCellWidth, state.grid.rowHeight, FALSE);
        }
    }
    // A cell out of view must not keep the keyboard: typing would change a cell nobody sees.
    if (offset != 0 && CellIndexOf(state, GetFocus()) >= 0) SetFocus(state.mainWindow);
    // Everything below the tool bar, cells included; the tool bar keeps its pixels.
    RECT below{};
    GetClientRect(state.mainWindow, &below);
    below.top = kToolbarCover;
    RedrawWindow(state.mainWindow, &below, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void CheckCellText(HWND cell) {
    if (!cell) return;
    // This run's own copy: the shortening below re-enters the check for the shorter text.
    const std::optional<std::string> shorter = CellTextAfterChange(ReadWindowText(cell, kCellReadLimit));
    if (!shorter) return;
    WriteWindowText(cell, *shorter);
    // An edit control that did not report the change leaves the rest of the rule to us.
    std::string now = ReadWindowText(cell, kCellReadLimit);
    bool shortened = false;
    while (const std::optional<std::string> again = CellTextAfterChange(now)) {
        now = *again;
        shortened = true;
    }
    if (shortened) WriteWindowText(cell, now);
    Sleep(kRuleBrokenPause);
    SendMessageA(cell, EM_SETSEL, 0, -1);
}

void StartDataInput(WindowState& state) {
    const InputDataRequest request = BeginInputData(state);
    const bool answeredYes =
        request.asks && ShowMessage(state.mainWindow, state.language, request.question) == IDYES;
    if (state.fitResult.equationShown) EraseEquationText(state);
    const ViewState left = state.view;
    FinishInputData(state, answeredYes);
    if (left == ViewState::Initial) state.logoSurface.Release();
    if (left == ViewState::Graph) state.graphSurface.Release();
    InvalidateBelowToolbar(state.mainWindow);
    PlaceGridCells(state, 0);
    ShowCells(state);
    // Typing starts in pair 1's X cell.
    FocusCell(state, 0);
}

void ReadCells(WindowState& state) {
    for (int index = 0; index < kCellCount; ++index)
        state.cells[index] = ReadWindowText(state.cellWindows[index], kCellReadLimit);
}

void ShowCells(WindowState& state) {
    for (int index = 0; index < kCellCount; ++index) SetCellText(state, index, state.cells[index]);
}

int CellIndexOf(const WindowState& state, HWND window) {
    if (!window) return -1;
    for (int index = 0; index < kCellCount; ++index) {
        if (state.cellWindows[index] == window) return index;
    }
    return -1;
}

void FocusCell(const WindowState& state, int cellIndex) {
    if (cellIndex < 0 || cellIndex >= kCellCount || !state.cellWindows[cellIndex]) return;
    SetFocus(state.cellWindows[cellIndex]);
    SendMessageA(state.cellWindows[cellIndex], EM_SETSEL, 0, -1);
}

void SetCellText(const WindowState& state, int cellIndex, const std::string& text) {
    HWND cell = state.cellWindows[cellIndex];
    if (!cell) return;
    WriteWindowText(cell, text);
    // The cell reports the change and checks itself; this covers a cell that does not.
    CheckCellText(cell);
}

}  // namespace plorimet
