// The Draw Graph, Copy Graph and Save Graph commands; drawing, the settings dialog, capture,
// and copy and save each have a file of their own.
#pragma once

#include "win/program_state_win.h"

namespace plorimet {

void DrawGraph(ProgramState& state);
void CopyGraph(ProgramState& state);
void SaveGraph(ProgramState& state);

}  // namespace plorimet
