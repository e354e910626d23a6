#include "app/keys_win.h"

#include "app/grid_win.h"
#include "app/equation_view_win.h"

namespace plorimet {

namespace {

bool Down(int virtualKey) {
    return GetKeyState(virtualKey) < 0;
}

bool InMainWindow(const WindowState& state, HWND window) {
    return window == state.mainWindow || IsChild(state.mainWindow, window);
}

}  // namespace

TakenKey TakeProgramKey(WindowState& state, const MSG& message) {
    if (message.message != WM_KEYDOWN || !state.mainWindow || !InMainWindow(state, message.hwnd) ||
        !IsWindowEnabled(state.mainWindow))
        return {};
    const KeyPress key{static_cast<int>(message.wParam), Down(VK_CONTROL), Down(VK_SHIFT), Down(VK_MENU)};
    // From outside the cells (the window itself, a tool bar button) the grid keys lead into the grid.
    const KeyAction action = ActionForKey(state.view, CellIndexOf(state, message.hwnd), key);
    if (!action.taken) return {};
    if (action.focusCell >= 0) {
        FocusCell(state, action.focusCell);
        return {true, std::nullopt};
    }
    // A key held down repeats; a command is given once per press.
    const bool repeat = (message.lParam & (1L << 30)) != 0;
    if (action.copiesEquation) {
        if (!repeat) CopyEquation(state);
        return {true, std::nullopt};
    }
    // No tool bar, no commands (its buttons are what the keys stand for).
    if (!state.iconBar) return {};
    return {true, repeat ? std::nullopt : std::optional<Command>(action.command)};
}

}  // namespace plorimet
