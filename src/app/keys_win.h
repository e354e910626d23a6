// The program's keys, taken in the message loop before the focused window sees them: moves
// between the grid's cells and the command keys (base/keys.h).
#pragma once

#include <windows.h>

#include "app/window_state_win.h"

namespace plorimet {

struct TakenKey {
    bool taken = false;  // the key was the program's: neither translated nor dispatched
    int command = 0;     // a tool bar command for the command table to run, 0 for none
};

// Grid moves and Copy Equation are done here; a tool bar command is handed back.
TakenKey TakeProgramKey(WindowState& state, const MSG& message);

}  // namespace plorimet
