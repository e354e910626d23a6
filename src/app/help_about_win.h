// Help (the manual of the current language, opened by the shell) and About.
#pragma once

#include "app/window_state_win.h"

namespace plorimet {

// Works out where both manuals are; run once at start.
void LocateManuals(WindowState& state);
void ShowHelp(WindowState& state);
void ShowAbout(WindowState& state);

}  // namespace plorimet
