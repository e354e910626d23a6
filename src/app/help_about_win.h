// Help (the manual of the current language, opened by the shell) and About.
#pragma once

#include "win/program_state_win.h"

namespace plorimet {

// Works out where both manuals are; run once at start.
void LocateManuals(ProgramState& state);
void ShowHelp(ProgramState& state);
void ShowAbout(ProgramState& state);

}  // namespace plorimet
