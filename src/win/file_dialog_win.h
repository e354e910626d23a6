// The open and save dialogs as the program's commands use them.
#pragma once

#include <windows.h>

#include <string>

#include "base/messages.h"
#include "base/toolbar_layout.h"

namespace plorimet {

struct FileDialogRequest {
    bool save = false;
    TextId title;
    TextId filterDescription;
    const char* filterPattern;        // "*.txt"
    const char* defaultExtension;     // nullptr for none
};

struct FileDialogResult {
    enum class Kind { Chosen, Cancelled, Failed } kind = Kind::Cancelled;
    std::string path;
    unsigned long errorCode = 0;  // CommDlgExtendedError when Failed
};

// Runs the dialog with a 258-byte name buffer that starts empty, so no name is proposed.
FileDialogResult RunFileDialog(HWND owner, UiLanguage language, const FileDialogRequest& request);

// Repaints one tool bar button's place in the strip at the top of the main window.
void RepaintToolbarStrip(HWND mainWindow, StripSpan span);

}  // namespace plorimet
