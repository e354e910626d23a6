// The Read Data, Save Data and Paste Data commands.
#pragma once

#include "app/window_state_win.h"

namespace plorimet {

void ReadDataFile(WindowState& state);
void SaveDataFile(WindowState& state);
void PasteFromSpreadsheet(WindowState& state);

}  // namespace plorimet
