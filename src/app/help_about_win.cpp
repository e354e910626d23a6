#include "app/help_about_win.h"

#include <shellapi.h>

#include <vector>

#include "base/manuals.h"
#include "model/commands.h"
#include "win/dialog_win.h"
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

// Only OK, Enter and the close box end it: the dialog has no Cancel, so Escape does nothing.
void ShowAbout(WindowState& state) {
    const Outcome outcome = FinishAbout(ShowDialog(state.mainWindow, BeginAbout(state)));
    if (outcome.hasMessage) ShowMessage(state.mainWindow, state.language, outcome.message);
}

}  // namespace plorimet
