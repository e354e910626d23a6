// The tool bar: thirteen owner-drawn bitmap buttons along the top of the main window.
#pragma once

#include <windows.h>

#include "app/window_state_win.h"

namespace plorimet {

// Registers "IconBarWindow", creates the bar over the main window's top edge, as wide as the
// screen, and shows it. Null when the class cannot be registered: the program runs without it.
HWND CreateIconBar(WindowState& state);

// Enables the view-dependent buttons for the current view.
void ApplyButtonStates(const WindowState& state);

}  // namespace plorimet
