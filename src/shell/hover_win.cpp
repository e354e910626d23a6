#include "shell/hover_win.h"

namespace plorimet {

// Labels are not drawn yet, so nothing covers the window: these keep the main window's
// calls in place and the label number consistent.

void UpdateHoverLabel(ProgramState&) {}

void EraseHoverLabel(ProgramState& state) {
    state.hoverLabel = 0;
}

void RedrawInputDataLabel(ProgramState&) {}

}  // namespace plorimet
