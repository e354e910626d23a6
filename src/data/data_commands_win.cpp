#include "data/data_commands_win.h"

#include <cstdio>
#include <cstring>
#include <memory>

#include "base/file_save.h"
#include "resource_ids.h"
#include "data/column_dialog_win.h"
#include "data/data_file.h"
#include "data/grid_win.h"
#include "data/sheet_text.h"
#include "win/file_dialog_win.h"
#include "win/message_box_win.h"

namespace plorimet {

namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using OwnedFile = std::unique_ptr<std::FILE, FileCloser>;

void Show(const ProgramState& state, MessageId id, unsigned long detail = 0) {
    ShowMessage(state.mainWindow, state.language, id, detail);
}

void SetAllCells(ProgramState& state, const SlotTexts& xText, const SlotTexts& yText) {
    for (int k = 0; k < kMaxPairs; ++k) SetCellText(state, k, xText[k]);
    for (int k = 0; k < kMaxPairs; ++k) SetCellText(state, kMaxPairs + k, yText[k]);
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

enum class ColumnQuestion { Accepted, Cancelled, NotShown };

// Asks for the X and Y columns until Y lies right of X, or the user gives up.
ColumnQuestion AskColumns(ProgramState& state, int columnCount, ColumnChoice& columns) {
    for (;;) {
        ColumnDialogRequest request;
        request.language = state.language;
        request.columnCount = columnCount;
        request.proposedX = ProposedColumn(ColumnBox::X, state.lastXColumn, columnCount);
        request.proposedY = ProposedColumn(ColumnBox::Y, state.lastYColumn, columnCount);
        const std::optional<ColumnDialogAnswer> answer = ShowColumnDialog(state.mainWindow, request);
        if (!answer) return ColumnQuestion::NotShown;
        switch (answer->outcome) {
            case ColumnDialogOutcome::Cancelled:
                return ColumnQuestion::Cancelled;
            case ColumnDialogOutcome::YNotGreater:
                Show(state, MessageId::YColumnNotLarger);
                continue;
            case ColumnDialogOutcome::Accepted:
                state.lastXColumn = answer->columns.xColumn;
                state.lastYColumn = answer->columns.yColumn;
                columns = answer->columns;
                return ColumnQuestion::Accepted;
        }
    }
}

}  // namespace

void ReadDataFile(ProgramState& state) {
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
        Show(state, MessageId::FileDoesNotExist);
        return;
    }
    state.dataSet.ClearTexts();
    SetAllCells(state, state.dataSet.xText, state.dataSet.yText);

    const ReadDataResult read =
        ReadDataText([&file](char* buffer, size_t size) { return std::fread(buffer, 1, size, file.get()); });
    for (size_t i = 0; i < read.pairs.size(); ++i) {
        SetCellText(state, static_cast<int>(i), read.pairs[i].x);
        SetCellText(state, kMaxPairs + static_cast<int>(i), read.pairs[i].y);
    }
    if (read.empty()) Show(state, MessageId::NoDataInFile);
}

void SaveDataFile(ProgramState& state) {
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
    if (!HasTxtExtension(choice.path)) {
        Show(state, MessageId::NeedTxtExtension);
        return;
    }
    const std::string bytes = BuildDataFileBytes(state.dataSet, state.fitResult.equationText);
    if (const auto failure = SaveFailureMessage(SaveFileReplacing(choice.path, bytes), SavedFile::Data))
        Show(state, *failure);
}

void PasteFromSpreadsheet(ProgramState& state) {
    const std::optional<std::string> text = ReadClipboardText(state.mainWindow);
    if (!text) {
        Show(state, MessageId::NoClipboardData);
        return;
    }
    const SheetShape shape = CheckSheetText(*text);
    if (shape.failure) {
        Show(state, *shape.failure);
        return;
    }
    ColumnChoice columns{1, 2};
    if (shape.columnCount > 2) {
        switch (AskColumns(state, shape.columnCount, columns)) {
            case ColumnQuestion::Accepted: break;
            case ColumnQuestion::Cancelled: return;
            case ColumnQuestion::NotShown: Show(state, MessageId::UnableToDisplayDialog); return;
        }
    }
    // Parsed into copies: the data set's texts and the cells change only when every row passed.
    SlotTexts xText = state.dataSet.xText;
    SlotTexts yText = state.dataSet.yText;
    const SheetParseResult parsed = ParseSheetRows(*text, shape.columnCount, columns, xText, yText);
    if (parsed.failure) {
        Show(state, *parsed.failure);
        return;
    }
    state.dataSet.xText = xText;
    state.dataSet.yText = yText;
    SetAllCells(state, xText, yText);
}

}  // namespace plorimet
