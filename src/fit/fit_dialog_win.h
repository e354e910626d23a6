// The fit settings dialog: degree of the polynomial and digits of the coefficients.
#pragma once

#include <windows.h>

#include "base/messages.h"
#include "fit/fit_settings.h"

namespace plorimet {

// Runs the modal dialog for a data set of pairCount pairs. Afterwards settings.fitMode tells
// how it ended: Exact or LeastSquares after OK (with degree and digits stored), Cancelled after
// Cancel, the close box, or a dialog that could not be shown (then the message has been shown).
// Clicks on the digits buttons change settings.digitsIndex at once; the caller undoes them
// after Cancel from the copies taken by SaveBeforeDialog.
void ShowFitSettingsDialog(HWND owner, HINSTANCE instance, UiLanguage language, int pairCount,
                           FitSettings& settings);

}  // namespace plorimet
