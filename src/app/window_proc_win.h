// The one window procedure of the program's own windows (the main window and the tool bar).
#pragma once

#include <windows.h>

#include "app/window_state_win.h"

namespace plorimet {

using WindowDispatch = LRESULT (*)(WindowState& state, HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The state bound to a window at its creation, or null before WM_NCCREATE and after unbinding.
inline WindowState* BoundState(HWND window) {
    return reinterpret_cast<WindowState*>(GetWindowLongPtrA(window, GWLP_USERDATA));
}

// Binds the WindowState given as the creation parameter at WM_NCCREATE, then hands every
// message to Dispatch with it (messages before the binding go to DefWindowProcA). Nothing may
// unwind through the system's dispatching: a failing WM_CREATE fails the creation, any other
// failing message is dropped.
template <WindowDispatch Dispatch>
LRESULT CALLBACK StateWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    WindowState* state = BoundState(window);
    if (!state) return DefWindowProcA(window, message, wParam, lParam);
    try {
        return Dispatch(*state, window, message, wParam, lParam);
    } catch (...) {
        return message == WM_CREATE ? -1 : 0;
    }
}

}  // namespace plorimet
