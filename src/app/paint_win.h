// What the main window's client area shows in each view.
#pragma once

#include "win/program_state_win.h"

namespace plorimet {

// WM_PAINT: the current view, and the tool bar's buttons for it.
void PaintMainWindow(ProgramState& state);

// Loads the start picture, shows the main window and draws the picture (start-up only).
void ShowStartPicture(ProgramState& state);

// The equation text in black in its rectangle, through a client DC of the main window.
void DrawEquationText(const ProgramState& state);

// The same text in white, which removes it from the white background.
void EraseEquationText(const ProgramState& state);

}  // namespace plorimet
