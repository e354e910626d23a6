// The start-up checks: one instance only, and the shell's desktop window must exist.
#pragma once

#include <windows.h>

#include "app/window_state_win.h"

namespace plorimet {

enum class StartupCheck {
    Proceed,
    AnotherInstance,  // ends silently
    NoDesktop,        // the message has been shown
};

// Runs while the new main window still carries its provisional title, so that only another
// instance's window can carry the product title.
StartupCheck FindDesktopListView(WindowState& state, HWND mainWindow);

}  // namespace plorimet
