// The graph settings dialog of Draw Graph.
#pragma once

#include <windows.h>

#include "graph/graph_settings.h"

namespace plorimet {

// Runs the dialog over settings; returns what DialogBoxParamA returned (-1 when it could not
// be shown).
INT_PTR RunGraphSettingsDialog(HINSTANCE instance, const char* templateName, HWND owner, GraphSettings& settings);

}  // namespace plorimet
