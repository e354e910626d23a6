#include "win/dialog_win.h"

#include <string>
#include <utility>
#include <vector>

#include "fit/data_set.h"
#include "win/window_text_win.h"

namespace plorimet {

namespace {

// What a dialog ends with (the value given to EndDialog): OK, Cancel, the close box, or a
// template that does not fit its view, which DialogBoxParamA reports like a dialog not shown.
constexpr INT_PTR kDialogEndedClosed = 0;
constexpr INT_PTR kDialogEndedOk = 1;
constexpr INT_PTR kDialogEndedCancel = 2;
constexpr INT_PTR kDialogNotShown = -1;

const char* TemplateName(DialogKind kind, UiLanguage language) {
    const bool japanese = language == UiLanguage::Japanese;
    switch (kind) {
        case DialogKind::FitSettings:
            return japanese ? "SMOOTHING_DLG_J" : "SMOOTHING_DLG";
        case DialogKind::GraphSettings:
            return japanese ? "PENSIZE_DLG_J" : "PENSIZE_DLG";
        case DialogKind::Columns:
            return japanese ? "COLUMN_NUM_DLG_J" : "COLUMN_NUM_DLG";
        case DialogKind::About:
            break;
    }
    return japanese ? "ABOUT_DLG_J" : "ABOUT_DLG";
}

// A control of the template and the view's control it shows.
struct BoundControl {
    HWND window = nullptr;
    int id = 0;
    DialogControl shows;
};

// One dialog being shown: its view, its controls and the answer it is making.
struct DialogRun {
    const DialogView& view;
    std::vector<BoundControl> controls;
    DialogAnswer answer;
};

DialogRun* RunOf(HWND dialog) {
    return reinterpret_cast<DialogRun*>(GetWindowLongPtrA(dialog, DWLP_USER));
}

bool IsPushButton(int id) { return id == IDOK || id == IDCANCEL; }

// The template's pictures (the About dialog's icon) show no text of the view.
bool IsPicture(HWND control) {
    char className[16] = {};
    GetClassNameA(control, className, sizeof className);
    return lstrcmpiA(className, "Static") == 0 && (GetWindowLongA(control, GWL_STYLE) & SS_TYPEMASK) == SS_ICON;
}

// Pairs the template's controls, in their order, with the view's; the push buttons and the
// pictures stand aside. False when the template does not hold exactly the view's controls.
bool BindControls(HWND dialog, DialogRun& run) {
    const std::vector<DialogControl> wanted = DialogControls(run.view);
    size_t next = 0;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        const int id = GetDlgCtrlID(child);
        if (IsPushButton(id) || IsPicture(child)) continue;
        if (next == wanted.size()) return false;
        run.controls.push_back({child, id, wanted[next++]});
    }
    return next == wanted.size();
}

void CheckOptions(const DialogRun& run, int item) {
    for (const BoundControl& control : run.controls) {
        if (control.shows.role != DialogControlRole::Option || control.shows.item != item) continue;
        const bool chosen = run.answer.choices[static_cast<size_t>(item)] == control.shows.option;
        SendMessageA(control.window, BM_SETCHECK, chosen ? BST_CHECKED : BST_UNCHECKED, 0);
    }
}

void FillControl(const DialogRun& run, const BoundControl& control) {
    const DialogItem& item = run.view.items[static_cast<size_t>(control.shows.item)];
    switch (control.shows.role) {
        case DialogControlRole::Field:
            SendMessageA(control.window, CB_RESETCONTENT, 0, 0);
            if (!item.enabled) {
                EnableWindow(control.window, FALSE);
                return;
            }
            for (const std::string& entry : item.options)
                SendMessageA(control.window, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.c_str()));
            WriteWindowText(control.window, item.value);
            return;
        case DialogControlRole::Option:
            WriteWindowText(control.window, DialogControlText(run.view, control.shows));
            CheckOptions(run, control.shows.item);
            return;
        default:
            WriteWindowText(control.window, DialogControlText(run.view, control.shows));
            return;
    }
}

bool FillDialog(HWND dialog, DialogRun& run) {
    if (!BindControls(dialog, run)) return false;
    SetWindowTextA(dialog, run.view.caption.c_str());
    SetDlgItemTextA(dialog, IDOK, run.view.okText.c_str());
    if (!run.view.cancelText.empty()) SetDlgItemTextA(dialog, IDCANCEL, run.view.cancelText.c_str());
    for (const BoundControl& control : run.controls) FillControl(run, control);
    return true;
}

// OK: each entry's text, and each choice as its options report themselves checked.
void ReadAnswer(DialogRun& run) {
    std::vector<std::vector<bool>> checked(run.view.items.size());
    for (const BoundControl& control : run.controls) {
        const size_t item = static_cast<size_t>(control.shows.item);
        if (control.shows.role == DialogControlRole::Option) {
            checked[item].push_back(SendMessageA(control.window, BM_GETCHECK, 0, 0) == BST_CHECKED);
        } else if (control.shows.role == DialogControlRole::Field) {
            run.answer.texts[item] = ReadWindowText(control.window, kCellReadLimit);
        }
    }
    for (size_t item = 0; item < run.view.items.size(); ++item) {
        if (run.view.items[item].kind == DialogItemKind::Choice)
            run.answer.choices[item] = ChoiceAtOk(checked[item], run.answer.choices[item]);
    }
    run.answer.accepted = true;
}

const BoundControl* ControlOfId(const DialogRun& run, int id) {
    for (const BoundControl& control : run.controls)
        if (control.id == id) return &control;
    return nullptr;
}

// A click on an option is taken at once; every change of an entry passes the entry's rule.
void OnControl(DialogRun& run, int id, int code) {
    const BoundControl* control = ControlOfId(run, id);
    if (!control) return;
    const DialogControl& shows = control->shows;
    if (shows.role == DialogControlRole::Option) {
        if (ChooseOption(run.answer, run.view, shows.item, shows.option)) CheckOptions(run, shows.item);
    } else if (shows.role == DialogControlRole::Field && code == CBN_EDITCHANGE) {
        const std::string typed = ReadWindowText(control->window, kCellReadLimit);
        const std::string kept = EntryTextAfterEdit(run.view.items[static_cast<size_t>(shows.item)], typed);
        if (kept != typed) WriteWindowText(control->window, kept);
    }
}

void OnCommand(HWND dialog, DialogRun& run, int id, int code) {
    if (id == IDOK) {
        ReadAnswer(run);
        EndDialog(dialog, kDialogEndedOk);
    } else if (id == IDCANCEL) {
        // Escape arrives as Cancel; a dialog without a Cancel button ignores it.
        if (run.view.cancelText.empty()) return;
        run.answer.accepted = false;
        EndDialog(dialog, kDialogEndedCancel);
    } else {
        OnControl(run, id, code);
    }
}

INT_PTR HandleDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        if (!FillDialog(dialog, *reinterpret_cast<DialogRun*>(lParam))) EndDialog(dialog, kDialogNotShown);
        return TRUE;  // the system sets the default focus
    }
    DialogRun* run = RunOf(dialog);
    if (!run) return FALSE;
    switch (message) {
        case WM_COMMAND:
            OnCommand(dialog, *run, LOWORD(wParam), HIWORD(wParam));
            return TRUE;
        case WM_CLOSE:
            run->answer.accepted = false;
            EndDialog(dialog, kDialogEndedClosed);
            return TRUE;
        default:
            return FALSE;
    }
}

// No exception may cross the dialog manager: a failing dialog ends as if cancelled.
INT_PTR CALLBACK GuardedDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    try {
        return HandleDialog(dialog, message, wParam, lParam);
    } catch (...) {
        if (DialogRun* run = RunOf(dialog)) run->answer.accepted = false;
        EndDialog(dialog, kDialogEndedCancel);
        return TRUE;
    }
}

}  // namespace

std::optional<DialogAnswer> ShowDialog(HWND owner, const DialogView& view) {
    DialogRun run{view, {}, OpeningAnswer(view)};
    const INT_PTR result = DialogBoxParamA(GetModuleHandleA(nullptr), TemplateName(view.kind, view.language), owner,
                                           GuardedDialogProc, reinterpret_cast<LPARAM>(&run));
    if (result == kDialogNotShown) return std::nullopt;
    return std::move(run.answer);
}

}  // namespace plorimet
