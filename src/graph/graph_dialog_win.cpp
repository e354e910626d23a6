#include "graph/graph_dialog_win.h"

#include <array>

#include "win/dialog_guard_win.h"

namespace plorimet {

namespace {

void CheckInGroup(HWND dialog, int buttonId) {
    const RadioGroup group = RadioGroupOf(buttonId);
    if (group.first != 0) CheckRadioButton(dialog, group.first, group.last, buttonId);
}

GraphDialogAnswer* AnswerOf(HWND dialog) {
    return reinterpret_cast<GraphDialogAnswer*>(GetWindowLongPtrA(dialog, DWLP_USER));
}

// The answer starts as Cancelled with the request's settings; the dialog works on it.
INT_PTR HandleGraphSettingsDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    GraphDialogAnswer* answer = AnswerOf(dialog);
    switch (message) {
        case WM_INITDIALOG: {
            SetWindowLongPtrA(dialog, DWLP_USER, lParam);
            answer = reinterpret_cast<GraphDialogAnswer*>(lParam);
            const GraphDialogChecks checks = InitGraphSettingsDialog(answer->settings);
            for (int button : {checks.thicknessButton, checks.dotButton, checks.sizeButton, checks.scaleButton})
                CheckInGroup(dialog, button);
            return TRUE;
        }
        case WM_COMMAND: {
            if (!answer) return TRUE;
            const int id = LOWORD(wParam);
            if (id == IDOK) {
                std::array<bool, kGraphRadioButtonCount> checked{};
                for (int k = 0; k < kGraphRadioButtonCount; ++k)
                    checked[k] = IsDlgButtonChecked(dialog, kFirstThicknessButton + k) == BST_CHECKED;
                AcceptGraphSettings(answer->settings, checked);
                answer->outcome = GraphDialogOutcome::Accepted;
                EndDialog(dialog, kDialogEndedOk);
            } else if (id == IDCANCEL) {
                answer->outcome = GraphDialogOutcome::Cancelled;
                EndDialog(dialog, kDialogEndedCancel);
            } else if (ApplyGraphSettingsClick(answer->settings, id)) {
                CheckInGroup(dialog, id);
            }
            return TRUE;
        }
        case WM_CLOSE:
            if (answer) answer->outcome = GraphDialogOutcome::Cancelled;
            EndDialog(dialog, kDialogEndedClosed);
            return TRUE;
    }
    return FALSE;
}

// A dialog that fails draws nothing.
void CancelGraphDialog(HWND dialog) {
    if (GraphDialogAnswer* answer = AnswerOf(dialog)) answer->outcome = GraphDialogOutcome::Cancelled;
}

}  // namespace

std::optional<GraphDialogAnswer> ShowGraphSettingsDialog(HWND owner, const GraphDialogRequest& request) {
    GraphDialogAnswer answer;
    answer.settings = request.settings;
    const char* templateName = request.language == UiLanguage::Japanese ? "PENSIZE_DLG_J" : "PENSIZE_DLG";
    const INT_PTR result = DialogBoxParamA(DialogTemplateModule(), templateName, owner,
                                           GuardedDialogProc<HandleGraphSettingsDialog, CancelGraphDialog>,
                                           reinterpret_cast<LPARAM>(&answer));
    if (result == -1) return std::nullopt;
    return answer;
}

}  // namespace plorimet
