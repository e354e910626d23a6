// The equation view: the fitted equation's text on the main window.
#pragma once

#include "win/program_state_win.h"

namespace plorimet {

// The equation text in black in its rectangle, through a client DC of the main window.
void DrawEquationText(const ProgramState& state);

// The same text in white, which removes it from the white background.
void EraseEquationText(const ProgramState& state);

// Ctrl+C in the equation view: the equation and its coefficients to 17 digits as text
// (CF_TEXT) on the clipboard.
void CopyEquation(const ProgramState& state);

}  // namespace plorimet
