#include "win/file_dialog_win.h"

#include <commdlg.h>

#include <vector>

namespace plorimet {

namespace {

constexpr int kFileNameBufferSize = 258;

}  // namespace

FileDialogResult RunFileDialog(HWND owner, UiLanguage language, const FileDialogRequest& request) {
    // "Description\0pattern\0\0"
    std::string filter = UiText(request.filterDescription, language);
    filter += '\0';
    filter += request.filterPattern;
    filter += '\0';
    filter += '\0';
    std::vector<char> fileName(kFileNameBufferSize, '\0');

    OPENFILENAMEA dialog{};
    dialog.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = filter.c_str();
    dialog.lpstrFile = fileName.data();
    dialog.nMaxFile = kFileNameBufferSize;
    dialog.lpstrTitle = UiText(request.title, language);
    dialog.Flags = OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | (request.save ? OFN_OVERWRITEPROMPT : 0);
    dialog.lpstrDefExt = request.defaultExtension;

    FileDialogResult result;
    const BOOL chosen = request.save ? GetSaveFileNameA(&dialog) : GetOpenFileNameA(&dialog);
    if (chosen) {
        result.kind = FileDialogResult::Kind::Chosen;
        result.path = fileName.data();
        return result;
    }
    result.errorCode = CommDlgExtendedError();
    result.kind = result.errorCode == 0 ? FileDialogResult::Kind::Cancelled : FileDialogResult::Kind::Failed;
    return result;
}

void RepaintToolbarStrip(HWND mainWindow, StripSpan span) {
    RECT strip{span.left, 0, span.right, kToolbarButtonHeight};
    InvalidateRect(mainWindow, &strip, TRUE);
    UpdateWindow(mainWindow);
}

}  // namespace plorimet
