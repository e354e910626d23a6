#include "app/icon_bar_win.h"

#include "app/platform_win.h"
#include "base/platform.h"
#include "base/toolbar_layout.h"
#include "win/gdi_win.h"
#include "app/window_proc_win.h"

namespace plorimet {

namespace {

constexpr char kIconBarClass[] = "IconBarWindow";

const ToolbarButton* FindButton(UINT controlId) {
    for (const ToolbarButton& button : ToolbarButtons()) {
        if (static_cast<UINT>(button.controlId) == controlId) return &button;
    }
    return nullptr;
}

void CreateButtons(WindowState& state, HWND bar) {
    if (!state.platformKnown) state.platformLevel = DetectPlatform();
    state.toolbarBitmapSet = BitmapSet(state.platformLevel);
    const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
    const int border = GetSystemMetrics(SM_CYBORDER);
    for (const ToolbarButton& button : ToolbarButtons()) {
        HWND window = CreateWindowExA(0, "BUTTON", "", WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, button.x, border,
                                      ButtonWidth(button, screenWidth), kToolbarButtonHeight, bar,
                                      reinterpret_cast<HMENU>(static_cast<INT_PTR>(button.controlId)),
                                      state.appInstance, nullptr);
        if (window && button.enabling != Enabling::Always) EnableWindow(window, FALSE);
    }
}

// The bar paints no background, so the row above the buttons is drawn here.
void DrawBarTopLine(HWND bar) {
    RECT client{};
    GetClientRect(bar, &client);
    WindowDC dc(bar);
    if (!dc) return;
    OwnedPen pen(CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNFACE)));
    SelectGuard selectPen(dc.get(), pen.get());
    MoveToEx(dc.get(), 0, 0, nullptr);
    LineTo(dc.get(), client.right, 0);
}

void DrawButtonFace(const WindowState& state, HWND bar, const DRAWITEMSTRUCT& item) {
    const ToolbarButton* button = FindButton(item.CtlID);
    if (button) {
        const Face face = FaceFor(!IsWindowEnabled(item.hwndItem), (item.itemState & ODS_SELECTED) != 0);
        // Loaded for this one drawing and freed after it.
        OwnedBitmap bitmap(LoadBitmapA(state.appInstance, BitmapName(button->stem, state.toolbarBitmapSet, face).c_str()));
        if (bitmap && (item.itemAction & (ODA_DRAWENTIRE | ODA_SELECT))) {
            MemoryDC memory(item.hDC);
            SelectGuard select(memory.get(), bitmap.get());
            BITMAP size{};
            if (memory && select.ok() && GetObjectA(bitmap.get(), sizeof size, &size)) {
                const RECT& r = item.rcItem;
                for (const FaceTile& tile : FaceTiles(r.right - r.left, size.bmWidth))
                    BitBlt(item.hDC, r.left + tile.x, r.top, tile.width, r.bottom - r.top, memory.get(), 0, 0, SRCCOPY);
            }
        }
    }
    DrawBarTopLine(bar);
}

// A click becomes the main window's command; the button is drawn again once it has run.
void ForwardClick(HWND bar, int controlId) {
    const int command = CommandForButtonControl(controlId);
    if (command == 0) return;
    SendMessageA(GetParent(bar), WM_COMMAND, MAKEWPARAM(command, 0), 0);
    InvalidateRect(GetDlgItem(bar, controlId), nullptr, TRUE);
}

LRESULT DispatchBar(WindowState& state, HWND bar, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE:
            CreateButtons(state, bar);
            return 0;
        case WM_DRAWITEM: {
            const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
            if (item->CtlType == ODT_BUTTON) DrawButtonFace(state, bar, *item);
            return 0;
        }
        case WM_COMMAND:
            ForwardClick(bar, LOWORD(wParam));
            return 0;
        default:
            return DefWindowProcA(bar, message, wParam, lParam);
    }
}

}  // namespace

HWND CreateIconBar(WindowState& state) {
    WNDCLASSA wc{};
    wc.style = CS_PARENTDC | CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = StateWindowProc<DispatchBar>;
    wc.hInstance = state.appInstance;
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
    wc.lpszClassName = kIconBarClass;
    if (!RegisterClassA(&wc)) return nullptr;

    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = ToolbarHeight(GetSystemMetrics(SM_CYBORDER));
    HWND bar = CreateWindowExA(0, kIconBarClass, "", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, state.mainWindow, nullptr,
                               state.appInstance, &state);
    if (!bar) return nullptr;
    state.iconBar = bar;
    SetWindowPos(bar, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    ShowWindow(bar, SW_SHOW);
    UpdateWindow(bar);
    return bar;
}

void ApplyButtonStates(const WindowState& state) {
    if (!state.iconBar) return;
    for (const ToolbarButton& button : ToolbarButtons()) {
        if (button.enabling != Enabling::FollowsView) continue;
        HWND window = GetDlgItem(state.iconBar, button.controlId);
        if (window) EnableWindow(window, IsButtonEnabled(button, state.view) ? TRUE : FALSE);
    }
}

}  // namespace plorimet
