// The one way the program's dialog procedures keep exceptions away from the dialog manager.
#pragma once

#include <windows.h>

namespace plorimet {

// What the program's dialogs end with (the value given to EndDialog): OK, Cancel, or the
// close box.
constexpr INT_PTR kDialogEndedClosed = 0;
constexpr INT_PTR kDialogEndedOk = 1;
constexpr INT_PTR kDialogEndedCancel = 2;

// The module whose resources hold the dialog templates: the program itself.
inline HINSTANCE DialogTemplateModule() { return GetModuleHandleA(nullptr); }

using DialogHandler = INT_PTR (*)(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
using DialogCancel = void (*)(HWND dialog);

// A dialog procedure that runs Handle; should it throw, Cancel records a cancelled outcome
// and the dialog ends as if Cancel had been pressed.
template <DialogHandler Handle, DialogCancel Cancel>
INT_PTR CALLBACK GuardedDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    try {
        return Handle(dialog, message, wParam, lParam);
    } catch (...) {
        Cancel(dialog);
        EndDialog(dialog, IDCANCEL);
        return TRUE;
    }
}

}  // namespace plorimet
