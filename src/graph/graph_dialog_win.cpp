#include "graph/graph_dialog_win.h"

#include <array>

#include "win/dialog_guard_win.h"

namespace plorimet {

namespace {

void CheckInGroup(HWND dialog, int buttonId) {
    const RadioGroup group = RadioGroupOf(buttonId);
    if (group.first != 0) CheckRadioButton(dialog, group.first, group.last, buttonId);
}

INT_PTR HandleGraphSettingsDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* settings = reinterpret_cast<GraphSettings*>(GetWindowLongPtrA(dialog, DWLP_USER));
    switch (message) {
        case WM_INITDIALOG: {
            SetWindowLongPtrA(dialog, DWLP_USER, lParam);
            settings = reinterpret_cast<GraphSettings*>(lParam);
            const GraphDialogChecks checks = InitGraphSettingsDialog(*settings);
            for (int button : {checks.thicknessButton, checks.dotButton, checks.sizeButton, checks.scaleButton})
                CheckInGroup(dialog, button);
            return TRUE;
        }
        case WM_COMMAND: {
            if (!settings) return TRUE;
            const int id = LOWORD(wParam);
            if (id == IDOK) {
                std::array<bool, kGraphRadioButtonCount> checked{};
                for (int k = 0; k < kGraphRadioButtonCount; ++k)
                    checked[k] = IsDlgButtonChecked(dialog, kFirstThicknessButton + k) == BST_CHECKED;
                AcceptGraphSettings(*settings, checked);
                EndDialog(dialog, kDialogEndedOk);
            } else if (id == IDCANCEL) {
                CancelGraphSettings(*settings);
                EndDialog(dialog, kDialogEndedCancel);
            } else if (ApplyGraphSettingsClick(*settings, id)) {
                CheckInGroup(dialog, id);
            }
            return TRUE;
        }
        case WM_CLOSE:
            if (settings) CancelGraphSettings(*settings);
            EndDialog(dialog, kDialogEndedClosed);
            return TRUE;
    }
    return FALSE;
}

// A dialog that fails draws nothing.
void CancelGraphDialog(HWND dialog) {
    if (auto* settings = reinterpret_cast<GraphSettings*>(GetWindowLongPtrA(dialog, DWLP_USER)))
        CancelGraphSettings(*settings);
}

}  // namespace

INT_PTR RunGraphSettingsDialog(HINSTANCE instance, const char* templateName, HWND owner, GraphSettings& settings) {
    return DialogBoxParamA(instance, templateName, owner, GuardedDialogProc<HandleGraphSettingsDialog, CancelGraphDialog>,
                           reinterpret_cast<LPARAM>(&settings));
}

}  // namespace plorimet
