#include "app/keys_win.h"

#include "base/keys.h"
#include "data/grid_keys.h"
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

    if (state.view == ViewState::DataInput) {
        if (const std::optional<GridMove> move = GridMoveForKey(key)) {
            // From outside the cells (the window itself, a tool bar button) the keys lead into the grid.
            const int from = CellIndexOf(state, message.hwnd);
            FocusCell(state, CellAfterMove(from, *move));
            return {true, 0};
        }
    }

    const KeyDecision decision = DecideCommandKey(key, state.view);
    if (decision.kind == KeyCommand::None) return {};
    // A key held down repeats; a command is given once per press.
    const bool repeat = (message.lParam & (1L << 30)) != 0;
    if (decision.kind == KeyCommand::CopyEquation) {
        if (!repeat) CopyEquation(state);
        return {true, 0};
    }
    // No tool bar, no commands (its buttons are what the keys stand for).
    if (!state.iconBar) return {};
    return {true, repeat ? 0 : decision.command};
}

}  // namespace plorimet
