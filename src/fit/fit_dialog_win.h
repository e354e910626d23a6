// The fit settings dialog: degree of the polynomial and digits of the coefficients.
#pragma once

#include <windows.h>

#include <optional>

#include "fit/fit_settings.h"

namespace plorimet {

// Runs the modal dialog owned by owner. The answer tells how it ended (OK, or Cancel and the
// close box); the digits buttons act on the dialog's own copy, so a cancelled dialog leaves
// the caller's settings as they were. Nothing when the dialog could not be shown.
std::optional<FitDialogAnswer> ShowFitSettingsDialog(HWND owner, const FitDialogRequest& request);

}  // namespace plorimet
