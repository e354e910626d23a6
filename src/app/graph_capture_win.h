// The graph on screen as a 16-colour image, for Copy Graph and Save Graph.
#pragma once

#include <optional>

#include "graph/dib.h"
#include "app/window_state_win.h"

namespace plorimet {

// The framed part of the graph as a 16-colour image, or nothing when it cannot be made.
std::optional<IndexedImage> CaptureGraph(const WindowState& state);

}  // namespace plorimet
