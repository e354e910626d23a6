// The Draw Graph, Copy Graph and Save Graph commands; drawing, the settings dialog, capture,
// and copy and save each have a file of their own.
#pragma once

#include "app/window_state_win.h"

namespace plorimet {

void DrawGraph(WindowState& state);
void CopyGraph(WindowState& state);
void SaveGraph(WindowState& state);

}  // namespace plorimet
