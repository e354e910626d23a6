#include "data/grid_win.h"

#include "base/window_layout.h"
#include "data/cell_rule.h"
#include "fit/equation_view_win.h"
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
void FitMainWindow(ProgramState& state) {
    state.mainWindowHeight =
        MainWindowHeight(GetSystemMetrics(SM_CYCAPTION), GetSystemMetrics(SM_CYDLGFRAME), state.grid);
    const Point origin = CentredOrigin(state.screenWidth, state.screenHeight, kMainWindowWidth, state.mainWindowHeight);
    HDWP batch = BeginDeferWindowPos(1);
    if (batch) batch = DeferWindowPos(batch, state.mainWindow, nullptr, origin.x, origin.y, kMainWindowWidth,
                                      state.mainWindowHeight, SWP_NOZORDER);
    if (batch) EndDeferWindowPos(batch);
}

void CreateCells(ProgramState& state) {
    // X cells of the three groups first, then the Y cells: the order of the control ids.
    for (int index = 0; index < kCellCount; ++index) {
        const Point home = CellPosition(state.grid, index, 0);
        HWND cell = CreateWindowExA(WS_EX_STATICEDGE, "EDIT", "", kCellStyle, home.x, home.y, kCellWidth,
                                    state.grid.rowHeight, state.mainWindow,
                                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(CellCommandForIndex(index))),
                                    state.appInstance, nullptr);
        if (cell) ShowWindow(cell, SW_SHOW);
        state.cells[index] = cell;
    }
    for (HWND cell : state.cells) {
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

void CreateDataGrid(ProgramState& state) {
    state.grid = MeasureGridLayout(state.mainWindow);
    state.lastXColumn = 0;
    state.lastYColumn = 0;
    state.fitSettings.lastDegree = 0;
    FitMainWindow(state);
    CreateCells(state);
    SetWindowTextA(state.mainWindow, UiText(TextId::ProductTitle, state.language));
    state.view = ViewState::Initial;
    PlaceGridCells(state, kMainWindowWidth);
}

void PlaceGridCells(ProgramState& state, int offset) {
    // One batch for all cells without drawing, then one repaint of the window and its cells:
    // much quicker than 90 separate moves, each repainting on its own.
    HDWP batch = BeginDeferWindowPos(kCellCount);
    for (int index = 0; index < kCellCount && batch; ++index) {
        if (!state.cells[index]) continue;
        const Point p = CellPosition(state.grid, index, offset);
        batch = DeferWindowPos(batch, state.cells[index], nullptr, p.x, p.y, kCellWidth, state.grid.rowHeight,
                               SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
    }
    if (!batch || !EndDeferWindowPos(batch)) {
        for (int index = 0; index < kCellCount; ++index) {
            if (!state.cells[index]) continue;
            const Point p = CellPosition(state.grid, index, offset);
            MoveWindow(state.cells[index], p.x, p.y, kCellWidth, state.grid.rowHeight, FALSE);
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
    const std::string text = ReadWindowText(cell, kCellReadLimit);
    if (ObeysCellRule(text)) return;
    WriteWindowText(cell, text.substr(0, text.size() - 1));
    // An edit control that did not report the change leaves the rest of the rule to us.
    const std::string now = ReadWindowText(cell, kCellReadLimit);
    if (!ObeysCellRule(now)) WriteWindowText(cell, ApplyCellRule(now));
    Sleep(kRuleBrokenPause);
    SendMessageA(cell, EM_SETSEL, 0, -1);
}

void StartDataInput(ProgramState& state) {
    state.gridCharTotal = state.dataSet.CharTotal();
    if (state.gridCharTotal != 0 &&
        ShowMessage(state.mainWindow, state.language, MessageId::ClearForDataInput) == IDYES) {
        state.dataSet.ClearTexts();
    }
    if (state.fitResult.equationShown) EraseEquationText(state);
    state.fitResult.equationShown = false;
    if (state.view == ViewState::Initial) {
        state.dataSet.ClearTexts();
        state.logoSurface.Release();
    }
    if (state.view == ViewState::Graph) state.graphSurface.Release();
    state.view = ViewState::DataInput;
    InvalidateBelowToolbar(state.mainWindow);
    PlaceGridCells(state, 0);
    for (int k = 0; k < kMaxPairs; ++k) SetCellText(state, k, state.dataSet.xText[k]);
    for (int k = 0; k < kMaxPairs; ++k) SetCellText(state, kMaxPairs + k, state.dataSet.yText[k]);
    // Typing starts in pair 1's X cell.
    FocusCell(state, 0);
}

CellTexts ReadCellTexts(const ProgramState& state) {
    CellTexts texts;
    for (int r = 0; r < kMaxPairs; ++r) {
        texts.x[r] = ReadWindowText(state.cells[r], kCellReadLimit);
        texts.y[r] = ReadWindowText(state.cells[kMaxPairs + r], kCellReadLimit);
    }
    return texts;
}

int CellIndexOf(const ProgramState& state, HWND window) {
    if (!window) return -1;
    for (int index = 0; index < kCellCount; ++index) {
        if (state.cells[index] == window) return index;
    }
    return -1;
}

void FocusCell(const ProgramState& state, int cellIndex) {
    if (cellIndex < 0 || cellIndex >= kCellCount || !state.cells[cellIndex]) return;
    SetFocus(state.cells[cellIndex]);
    SendMessageA(state.cells[cellIndex], EM_SETSEL, 0, -1);
}

void SetCellText(ProgramState& state, int cellIndex, const std::string& text) {
    HWND cell = state.cells[cellIndex];
    if (!cell) return;
    WriteWindowText(cell, text);
    // The cell reports the change and checks itself; this covers a cell that does not.
    CheckCellText(cell);
}

}  // namespace plorimet
