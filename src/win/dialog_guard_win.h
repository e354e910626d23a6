// The one way the program's dialog procedures keep exceptions away from the dialog manager.
#pragma once

#include <windows.h>

namespace plorimet {

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
