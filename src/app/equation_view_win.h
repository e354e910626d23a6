// The equation view: the fitted equation's text on the main window.
#pragma once

#include "app/window_state_win.h"

namespace plorimet {

// The equation text in black in its rectangle, through a client DC of the main window.
void DrawEquationText(const WindowState& state);

// The same text in white, which removes it from the white background.
void EraseEquationText(const WindowState& state);

// Ctrl+C in the equation view: the equation and its coefficients to 17 digits as text
// (CF_TEXT) on the clipboard.
void CopyEquation(const WindowState& state);

}  // namespace plorimet
