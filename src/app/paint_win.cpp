#include "app/paint_win.h"

#include <utility>

#include "app/hover_win.h"
#include "app/icon_bar_win.h"
#include "base/window_layout.h"
#include "app/equation_view_win.h"
#include "win/gdi_win.h"

namespace plorimet {

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
// The six column headings; white ones remove them from the equation view.
void DrawHeadings(const WindowState& state, bool erase) {
    WindowDC dc(state.mainWindow);
    if (!dc) return;
    if (erase) SetTextColor(dc.get(), kWhite);
    for (int column = 0; column < kColumnCount; ++column) {
        const Point p = HeadingPosition(state.grid, column);
        TextOutA(dc.get(), p.x, p.y, HeadingText(column), 1);
    }
}

void DrawColumnHeadings(const WindowState& state) {
    DrawHeadings(state, false);
}

void ClearColumnHeadings(const WindowState& state) {
    DrawHeadings(state, true);
}

void CopyStartPicture(const WindowState& state, HDC target, int clientWidth, int clientHeight) {
    if (!state.logoSurface.held()) return;
    const Point p = StartPictureOrigin(clientWidth, clientHeight);
    BitBlt(target, p.x, p.y, kStartPictureWidth, kStartPictureHeight, state.logoSurface.dc(), 0, 0, SRCCOPY);
}

void CopyGraphPicture(const WindowState& state, HDC target, int clientWidth, int clientHeight) {
    SetStretchBltMode(target, COLORONCOLOR);
    if (!state.graphSurface.held()) return;
    BitBlt(target, 0, kToolbarCover, clientWidth, clientHeight - kToolbarCover, state.graphSurface.dc(), 0,
           kToolbarCover, SRCCOPY);
}

}  // namespace

void PaintMainWindow(WindowState& state) {
    PaintDC paint(state.mainWindow);
    RECT client{};
    GetClientRect(state.mainWindow, &client);
    const int w = client.right;
    const int h = client.bottom;
    switch (state.view) {
        case ViewState::Initial:
            CopyStartPicture(state, paint.get(), w, h);
            ApplyButtonStates(state);
            break;
        case ViewState::DataInput:
            DrawColumnHeadings(state);
            ApplyButtonStates(state);
            if (state.hoverLabel == 1 && state.gridCharTotal == 0) {
                EraseHoverLabel(state);
                state.hoverLabel = 1;
                RedrawInputDataLabel(state);
            }
            break;
        case ViewState::Equation:
            ClearColumnHeadings(state);
            ApplyButtonStates(state);
            if (state.fitResult.equationShown) DrawEquationText(state);
            break;
        case ViewState::Graph:
        default:
            ApplyButtonStates(state);
            CopyGraphPicture(state, paint.get(), w, h);
            break;
    }
}

void ShowStartPicture(WindowState& state) {
    OwnedBitmap picture(LoadBitmapA(state.appInstance, "IBMP_1"));
    ShowWindow(state.mainWindow, SW_SHOWNORMAL);
    UpdateWindow(state.mainWindow);
    WindowDC dc(state.mainWindow);
    if (!dc || !state.logoSurface.Hold(dc.get(), std::move(picture))) return;
    RECT client{};
    GetClientRect(state.mainWindow, &client);
    CopyStartPicture(state, dc.get(), client.right, client.bottom);
}

}  // namespace plorimet
