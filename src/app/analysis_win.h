// The Analysis command: from the grid's texts through the fit settings dialog to the equation.
#pragma once

#include "app/window_state_win.h"

namespace plorimet {

void RunAnalysis(WindowState& state);

}  // namespace plorimet
