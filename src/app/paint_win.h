// What the main window's client area shows in each view.
#pragma once

#include "win/program_state_win.h"

namespace plorimet {

// WM_PAINT: the current view, and the tool bar's buttons for it.
void PaintMainWindow(ProgramState& state);

// Loads the start picture, shows the main window and draws the picture (start-up only).
void ShowStartPicture(ProgramState& state);

}  // namespace plorimet
