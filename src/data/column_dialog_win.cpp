#include "data/column_dialog_win.h"

#include <string>

#include "resource_ids.h"
#include "win/dialog_guard_win.h"
#include "win/window_text_win.h"

namespace plorimet {

namespace {

struct ColumnDialogData {
    ColumnDialogRequest request;
    ColumnDialogAnswer answer;
};

void FillColumnBox(HWND box, int columnCount, int proposal) {
    SendMessageA(box, CB_RESETCONTENT, 0, 0);
    for (int column = 1; column <= columnCount; ++column) {
        const std::string entry = std::to_string(column);
        SendMessageA(box, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.c_str()));
    }
    WriteWindowText(box, std::to_string(proposal));
}

void ValidateBox(HWND dialog, int boxId, const ColumnDialogData& data) {
    HWND box = GetDlgItem(dialog, boxId);
    const std::string typed = ReadWindowText(box, kCellReadLimit);
    const std::string kept =
        ValidateColumnText(typed, boxId == IDC_X_COLUMN_COMBO ? ColumnBox::X : ColumnBox::Y, data.request.columnCount);
    if (kept != typed) WriteWindowText(box, kept);
}

INT_PTR HandleColumnDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* data = reinterpret_cast<ColumnDialogData*>(GetWindowLongPtrA(dialog, DWLP_USER));
    switch (message) {
        case WM_INITDIALOG:
            data = reinterpret_cast<ColumnDialogData*>(lParam);
            SetWindowLongPtrA(dialog, DWLP_USER, lParam);
            FillColumnBox(GetDlgItem(dialog, IDC_X_COLUMN_COMBO), data->request.columnCount, data->request.proposedX);
            FillColumnBox(GetDlgItem(dialog, IDC_Y_COLUMN_COMBO), data->request.columnCount, data->request.proposedY);
            return TRUE;
        case WM_COMMAND:
            if (!data) return TRUE;
            switch (LOWORD(wParam)) {
                case IDOK:
                    data->answer = ReadColumnNumbers(
                        ReadWindowText(GetDlgItem(dialog, IDC_X_COLUMN_COMBO), kCellReadLimit),
                        ReadWindowText(GetDlgItem(dialog, IDC_Y_COLUMN_COMBO), kCellReadLimit),
                        data->request.columnCount);
                    EndDialog(dialog, kDialogEndedOk);
                    break;
                case IDCANCEL:
                    data->answer.outcome = ColumnDialogOutcome::Cancelled;
                    EndDialog(dialog, kDialogEndedCancel);
                    break;
                case IDC_X_COLUMN_COMBO:
                case IDC_Y_COLUMN_COMBO:
                    if (HIWORD(wParam) == CBN_EDITCHANGE) ValidateBox(dialog, LOWORD(wParam), *data);
                    break;
            }
            return TRUE;
        case WM_CLOSE:
            if (data) data->answer.outcome = ColumnDialogOutcome::Cancelled;
            EndDialog(dialog, kDialogEndedClosed);
            return TRUE;
    }
    return FALSE;
}

void CancelColumnDialog(HWND dialog) {
    if (auto* data = reinterpret_cast<ColumnDialogData*>(GetWindowLongPtrA(dialog, DWLP_USER)))
        data->answer.outcome = ColumnDialogOutcome::Cancelled;
}

}  // namespace

std::optional<ColumnDialogAnswer> ShowColumnDialog(HWND owner, const ColumnDialogRequest& request) {
    ColumnDialogData data;
    data.request = request;
    data.answer.outcome = ColumnDialogOutcome::Cancelled;
    const char* templateName = request.language == UiLanguage::Japanese ? "COLUMN_NUM_DLG_J" : "COLUMN_NUM_DLG";
    const INT_PTR result = DialogBoxParamA(DialogTemplateModule(), templateName, owner,
                                           GuardedDialogProc<HandleColumnDialog, CancelColumnDialog>,
                                           reinterpret_cast<LPARAM>(&data));
    if (result == -1) return std::nullopt;
    return data.answer;
}

}  // namespace plorimet
