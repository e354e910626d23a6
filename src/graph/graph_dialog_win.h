// The graph settings dialog of Draw Graph.
#pragma once

#include <windows.h>

#include <optional>

#include "graph/graph_settings.h"

namespace plorimet {

// Runs the modal dialog owned by owner over a copy of the request's settings; the answer
// carries them as the dialog left them. Nothing when the dialog could not be shown.
std::optional<GraphDialogAnswer> ShowGraphSettingsDialog(HWND owner, const GraphDialogRequest& request);

}  // namespace plorimet
