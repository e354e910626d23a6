#include "fit/fit_dialog_win.h"

#include <string>

#include "resource_ids.h"
#include "fit/data_set.h"
#include "win/dialog_guard_win.h"

namespace plorimet {

namespace {

struct FitDialogContext {
    FitDialogRequest request;
    int digitsIndex = 0;  // the button clicked last (or the remembered one)
    FitDialogAnswer answer;  // Cancelled until OK
};

FitDialogContext* ContextOf(HWND dialog) {
    return reinterpret_cast<FitDialogContext*>(GetWindowLongPtrA(dialog, DWLP_USER));
}

std::string ReadDegreeText(HWND dialog) {
    char buffer[kCellReadLimit + 1] = {};
    GetDlgItemTextA(dialog, IDC_DEGREE_COMBO, buffer, sizeof buffer);
    return buffer;
}

void CheckDigitsButton(HWND dialog, int digitsIndex) {
    for (int i = 0; i < kDigitChoices; ++i) {
        CheckDlgButton(dialog, IDC_DIGITS_3 + i, i == digitsIndex ? BST_CHECKED : BST_UNCHECKED);
    }
}

void InitFitSettingsDialog(HWND dialog, FitDialogContext& context) {
    HWND combo = GetDlgItem(dialog, IDC_DEGREE_COMBO);
    SendMessageA(combo, CB_RESETCONTENT, 0, 0);
    const FitDialogOpening opening = OpenFitDialog(context.request);
    if (!opening.degreeEnabled) {
        EnableWindow(combo, FALSE);
    } else {
        for (const std::string& degree : opening.degrees)
            SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(degree.c_str()));
        SetDlgItemTextA(dialog, IDC_DEGREE_COMBO, opening.degreeText.c_str());
    }
    CheckDigitsButton(dialog, context.digitsIndex);
}

// Every change the user makes to the degree field: only a beginning of a listed degree stays.
void OnDegreeEdited(HWND dialog, const FitDialogContext& context) {
    if (context.request.pairCount <= 2) return;
    const std::string typed = ReadDegreeText(dialog);
    const std::string kept = ValidateDegreeText(typed, context.request.pairCount);
    if (kept != typed) SetDlgItemTextA(dialog, IDC_DEGREE_COMBO, kept.c_str());
}

void ReadFitSettings(HWND dialog, FitDialogContext& context) {
    int checked = -1;
    for (int i = 0; i < kDigitChoices; ++i) {
        if (IsDlgButtonChecked(dialog, IDC_DIGITS_3 + i) == BST_CHECKED) checked = i;
    }
    context.answer = AcceptFitSettings(context.request, ReadDegreeText(dialog), checked, context.digitsIndex);
}

void OnCommand(HWND dialog, FitDialogContext& context, int id, int code) {
    switch (id) {
        case IDOK:
            ReadFitSettings(dialog, context);
            EndDialog(dialog, kDialogEndedOk);
            return;
        case IDCANCEL:
            context.answer.outcome = FitDialogOutcome::Cancelled;
            EndDialog(dialog, kDialogEndedCancel);
            return;
        case IDC_DEGREE_COMBO:
            if (code == CBN_EDITCHANGE) OnDegreeEdited(dialog, context);
            return;
        case IDC_DIGITS_3:
        case IDC_DIGITS_4:
        case IDC_DIGITS_5:
        case IDC_DIGITS_6:
            // Plain radio buttons: the choice is taken at once and the buttons are set here.
            context.digitsIndex = id - IDC_DIGITS_3;
            CheckDigitsButton(dialog, context.digitsIndex);
            return;
        default:
            return;
    }
}

INT_PTR HandleFitSettingsDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        InitFitSettingsDialog(dialog, *reinterpret_cast<FitDialogContext*>(lParam));
        return TRUE;  // the system sets the default focus
    }
    FitDialogContext* context = ContextOf(dialog);
    if (!context) return FALSE;
    switch (message) {
        case WM_CLOSE:
            context->answer.outcome = FitDialogOutcome::Cancelled;
            EndDialog(dialog, kDialogEndedClosed);
            return TRUE;
        case WM_COMMAND:
            OnCommand(dialog, *context, LOWORD(wParam), HIWORD(wParam));
            return TRUE;
        default:
            return FALSE;
    }
}

void CancelFitSettings(HWND dialog) {
    if (FitDialogContext* context = ContextOf(dialog)) context->answer.outcome = FitDialogOutcome::Cancelled;
}

}  // namespace

std::optional<FitDialogAnswer> ShowFitSettingsDialog(HWND owner, const FitDialogRequest& request) {
    FitDialogContext context{request, request.digitsIndex, {}};
    const char* templateName = request.language == UiLanguage::Japanese ? "SMOOTHING_DLG_J" : "SMOOTHING_DLG";
    const INT_PTR result =
        DialogBoxParamA(DialogTemplateModule(), templateName, owner,
                        GuardedDialogProc<HandleFitSettingsDialog, CancelFitSettings>, reinterpret_cast<LPARAM>(&context));
    if (result == -1) return std::nullopt;
    return context.answer;
}

}  // namespace plorimet
