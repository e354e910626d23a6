// The Read Data, Save Data and Paste Data commands.
#pragma once

#include "win/program_state_win.h"

namespace plorimet {

void ReadDataFile(ProgramState& state);
void SaveDataFile(ProgramState& state);
void PasteFromSpreadsheet(ProgramState& state);

}  // namespace plorimet
