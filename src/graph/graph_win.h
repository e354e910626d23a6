// The Draw Graph, Copy Graph and Save Graph commands.
#pragma once

#include "win/program_state_win.h"

namespace plorimet {

void DrawGraph(ProgramState& state);
void CopyGraph(ProgramState& state);
void SaveGraph(ProgramState& state);

}  // namespace plorimet
