// The Analysis command: from the grid's texts through the fit settings dialog to the equation.
#pragma once

#include "win/program_state_win.h"

namespace plorimet {

void RunAnalysis(ProgramState& state);

}  // namespace plorimet
