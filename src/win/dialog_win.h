// The program's dialogs in the window: each view of the model (model/dialogs.h) is shown in
// its dialog template of the resource script, the template's controls filled from the view.
#pragma once

#include <windows.h>

#include <optional>

#include "model/dialogs.h"

namespace plorimet {

// Runs the modal dialog owned by owner and gives its answer. Its options are plain radio
// buttons, checked here as they are clicked; its entries keep what the model's entry rule
// leaves of every change. Nothing when the dialog could not be shown (nor when its template
// does not hold the view's controls).
std::optional<DialogAnswer> ShowDialog(HWND owner, const DialogView& view);

}  // namespace plorimet
