// The one way the program shows a message box: text, caption, icon, buttons and modality all
// come from the model's view of the message (model/message_view.h).
#pragma once

#include <windows.h>

#include "model/message_view.h"

namespace plorimet {

// Returns MessageBoxA's result (IDOK, IDYES, IDNO; 0 when the box could not be shown).
// System-modal messages get no owner window.
int ShowMessage(HWND owner, const MessageView& view);
// The same for a message of the table in a language (a text with "%lx" shows `detail` there).
int ShowMessage(HWND owner, UiLanguage language, MessageId id, unsigned long detail = 0);

}  // namespace plorimet
