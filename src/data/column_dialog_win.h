// The dialog that asks which pasted columns hold X and Y.
#pragma once

#include <windows.h>

#include <optional>

#include "base/messages.h"
#include "data/sheet_text.h"

namespace plorimet {

// Runs the modal dialog owned by owner: the user's answer, or nothing when the dialog could
// not be shown.
std::optional<ColumnDialogAnswer> ShowColumnDialog(HWND owner, const ColumnDialogRequest& request);

}  // namespace plorimet
