// Captions under the tool bar's buttons while the mouse rests on them.
#pragma once

#include "app/window_state_win.h"

namespace plorimet {

// Follows the mouse: called for every WM_SETCURSOR of the main window.
void UpdateHoverLabel(WindowState& state);

// Puts back what a shown label covers and forgets the label.
void EraseHoverLabel(WindowState& state);

// Draws the Input Data label again when it counts as shown.
void RedrawInputDataLabel(WindowState& state);

}  // namespace plorimet
