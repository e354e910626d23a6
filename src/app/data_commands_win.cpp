#include "app/data_commands_win.h"

#include <cstdio>
#include <cstring>
#include <memory>

#include "app/grid_win.h"
#include "base/file_save.h"
#include "resource_ids.h"
#include "model/commands.h"
#include "win/dialog_win.h"
#include "win/file_dialog_win.h"
#include "win/message_box_win.h"

namespace plorimet {

namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using OwnedFile = std::unique_ptr<std::FILE, FileCloser>;

void Show(const WindowState& state, MessageId id, unsigned long detail = 0) {
    ShowMessage(state.mainWindow, state.language, id, detail);
}

// The clipboard's text, up to its zero byte and never beyond its block.
std::optional<std::string> ReadClipboardText(HWND owner) {
    ClipboardSession clipboard(owner);
    if (!clipboard.open()) return std::nullopt;
    HANDLE data = GetClipboardData(CF_TEXT);
    if (!data) return std::nullopt;
    GlobalLockGuard<const char> locked(data);
    if (!locked) return std::nullopt;
    const size_t blockSize = GlobalSize(data);
    const char* text = locked.get();
    return std::string(text, strnlen(text, blockSize));
}

// The outcome's cells in the grid, then its message.
void ShowOutcome(WindowState& state, const Outcome& outcome) {
    if (outcome.cellsChanged) ShowCells(state);
    if (outcome.hasMessage) Show(state, outcome.message, outcome.detail);
}

}  // namespace

void ReadDataFile(WindowState& state) {
    const FileDialogResult choice = RunFileDialog(
        state.mainWindow, state.language,
        {/*save=*/false, TextId::OpenDataTitle, TextId::OpenDataFilter, "*.txt", /*defaultExtension=*/nullptr});
    if (choice.kind == FileDialogResult::Kind::Failed) {
        Show(state, MessageId::OpenDialogError, choice.errorCode);
        return;
    }
    RepaintToolbarStrip(state.mainWindow, RepaintSpanOfCommand(IDM_READ_DATA));
    if (choice.kind == FileDialogResult::Kind::Cancelled) return;

    const OwnedFile file(std::fopen(choice.path.c_str(), "rb"));
    if (!file) {
        ShowOutcome(state, ReadDataFileMissing());
        return;
    }
    ShowOutcome(state, ReadData(state, [&file](char* buffer, size_t size) {
                    return std::fread(buffer, 1, size, file.get());
                }));
}

void SaveDataFile(WindowState& state) {
    // "txt" rather than a foreign extension: a name typed without one must pass the check below.
    const FileDialogResult choice =
        RunFileDialog(state.mainWindow, state.language,
                      {/*save=*/true, TextId::SaveDataTitle, TextId::SaveDataFilter, "*.txt", "txt"});
    if (choice.kind == FileDialogResult::Kind::Failed) {
        Show(state, MessageId::SaveDialogError, choice.errorCode);
        return;
    }
    RepaintToolbarStrip(state.mainWindow, RepaintSpanOfCommand(IDM_SAVE_DATA));
    if (choice.kind == FileDialogResult::Kind::Cancelled) return;

    const std::string root = choice.path.substr(0, 3);
    if (IsRefusedDriveType(GetDriveTypeA(root.c_str()))) {
        Show(state, MessageId::RemoteDisk);
        return;
    }
    const SaveDataPlan plan = PlanSaveData(state, choice.path);
    if (plan.writes) {
        ShowOutcome(state, FinishSave(SaveFileReplacing(choice.path, plan.bytes), SavedFile::Data));
    } else {
        ShowOutcome(state, plan.outcome);
    }
}

void PasteFromSpreadsheet(WindowState& state) {
    const std::optional<std::string> text = ReadClipboardText(state.mainWindow);
    // Each step's message first, then the column dialog as long as the step asks for it.
    for (PasteStep step = BeginPasteData(state, text);;) {
        ShowOutcome(state, step.outcome);
        if (!step.asksColumns) return;
        step = FinishPasteData(state, *text, ShowDialog(state.mainWindow, step.columns));
    }
}

}  // namespace plorimet
