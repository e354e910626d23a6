// The one way the program shows a message box: text, caption, icon, buttons and modality
// all come from the message table.
#pragma once

#include <windows.h>

#include "base/messages.h"

namespace plorimet {

// Returns MessageBoxA's result (IDOK, IDYES, IDNO; 0 when the box could not be shown).
// A text with "%lx" shows `detail` there. System-modal messages get no owner window.
int ShowMessage(HWND owner, UiLanguage language, MessageId id, unsigned long detail = 0);

}  // namespace plorimet
