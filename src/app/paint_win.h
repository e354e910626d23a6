// What the main window's client area shows in each view.
#pragma once

#include "app/window_state_win.h"

namespace plorimet {

// WM_PAINT: the current view, and the tool bar's buttons for it.
void PaintMainWindow(WindowState& state);

// Loads the start picture, shows the main window and draws the picture (start-up only).
void ShowStartPicture(WindowState& state);

}  // namespace plorimet
