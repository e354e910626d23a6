#include "app/help_about_win.h"

#include <shellapi.h>

#include <vector>

#include "base/manuals.h"
#include "win/message_box_win.h"

namespace plorimet {

namespace {

std::string SearchProgramFile() {
    std::vector<char> found(MAX_PATH + 1, '\0');
    const DWORD length = SearchPathA(nullptr, kProgramFileName, nullptr, static_cast<DWORD>(found.size()),
                                     found.data(), nullptr);
    return (length > 0 && length < found.size()) ? std::string(found.data(), length) : std::string();
}

std::string ModulePath() {
    std::vector<char> path(32768, '\0');
    const DWORD length = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
    return (length > 0 && length < path.size()) ? std::string(path.data(), length) : std::string();
}

INT_PTR CALLBACK AboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
        case WM_INITDIALOG:
            return TRUE;
        case WM_COMMAND:
            // Only OK and Enter close it; Esc arrives as IDCANCEL and is ignored.
            if (LOWORD(wParam) == IDOK) EndDialog(dialog, 0);
            return TRUE;
        case WM_CLOSE:
            EndDialog(dialog, 0);
            return TRUE;
    }
    return FALSE;
}

}  // namespace

void LocateManuals(WindowState& state) {
    const std::string directory = ManualDirectory(SearchProgramFile(), ModulePath());
    state.manualPathEnglish = directory + UiText(TextId::ManualFileName, UiLanguage::English);
    state.manualPathJapanese = directory + UiText(TextId::ManualFileName, UiLanguage::Japanese);
}

void ShowHelp(WindowState& state) {
    const std::string& manual =
        state.language == UiLanguage::Japanese ? state.manualPathJapanese : state.manualPathEnglish;
    WIN32_FIND_DATAA found{};
    HANDLE search = FindFirstFileA(manual.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        ShowMessage(state.mainWindow, state.language, MessageId::ManualMissing);
        return;
    }
    const auto result = reinterpret_cast<INT_PTR>(
        ShellExecuteA(state.mainWindow, "open", manual.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    if (result <= 32) ShowMessage(state.mainWindow, state.language, MessageId::NoPdfViewer);
    FindClose(search);
}

void ShowAbout(WindowState& state) {
    const char* templateName = state.language == UiLanguage::Japanese ? "ABOUT_DLG_J" : "ABOUT_DLG";
    if (DialogBoxParamA(state.appInstance, templateName, state.mainWindow, AboutDialogProc, 0) == -1)
        ShowMessage(state.mainWindow, state.language, MessageId::UnableToDisplayDialog);
}

}  // namespace plorimet
