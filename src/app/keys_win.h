// The program's keys, taken in the message loop before the focused window sees them: moves
// between the grid's cells and the command keys (base/keys.h).
#pragma once

#include <windows.h>

#include <optional>

#include "app/window_state_win.h"

namespace plorimet {

struct TakenKey {
    bool taken = false;  // the key was the program's: neither translated nor dispatched
    std::optional<Command> command;  // a tool bar command for the command table to run
};

// Grid moves and Copy Equation are done here; a tool bar command is handed back.
TakenKey TakeProgramKey(WindowState& state, const MSG& message);

}  // namespace plorimet
