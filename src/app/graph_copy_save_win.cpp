#include "app/graph_commands_win.h"

#include <cstring>
#include <optional>

#include "base/file_save.h"
#include "resource_ids.h"
#include "graph/dib.h"
#include "model/commands.h"
#include "app/graph_capture_win.h"
#include "win/file_dialog_win.h"
#include "win/message_box_win.h"

namespace plorimet {

namespace {

// Hands a block to the clipboard; the block is freed here unless the clipboard took it.
void PutOnClipboard(HWND owner, HGLOBAL block) {
    ClipboardSession clipboard(owner);
    if (clipboard.open() && EmptyClipboard() && SetClipboardData(CF_DIB, block)) return;
    GlobalFree(block);
}

}  // namespace

void CopyGraph(WindowState& state) {
    const std::optional<IndexedImage> image = CaptureGraph(state);
    if (!image) return;
    const Bytes packed = PackedDib(*image, kClipboardImportantColours);
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, packed.size());
    if (!block) {
        ShowMessage(state.mainWindow, state.language, MessageId::ClipboardMemory);
        return;
    }
    {
        GlobalLockGuard<std::uint8_t> locked(block);
        if (!locked) {
            GlobalFree(block);
            return;
        }
        std::memcpy(locked.get(), packed.data(), packed.size());
    }
    PutOnClipboard(state.mainWindow, block);
}

void SaveGraph(WindowState& state) {
    const FileDialogResult choice =
        RunFileDialog(state.mainWindow, state.language,
                      {/*save=*/true, TextId::SaveGraphTitle, TextId::SaveGraphFilter, "*.bmp", "bmp"});
    if (choice.kind == FileDialogResult::Kind::Failed) {
        ShowMessage(state.mainWindow, state.language, MessageId::SaveDialogError, choice.errorCode);
        return;
    }
    RepaintToolbarStrip(state.mainWindow, RepaintSpanOfCommand(IDM_SAVE_GRAPH));
    if (choice.kind == FileDialogResult::Kind::Cancelled) return;

    const std::optional<IndexedImage> image = CaptureGraph(state);
    if (!image) {
        ShowMessage(state.mainWindow, state.language, MessageId::UnableToWriteInFile);
        return;
    }
    Bytes file = BmpFileBytes(*image);
    Bytes packed(file.begin() + kFileHeaderSize, file.end());
    if (const CaptureHeaderCheck check = CheckCaptureHeader(packed, kBmpBitsOffset); check.failure) {
        ShowMessage(state.mainWindow, state.language, *check.failure);
        return;
    }
    const std::string bytes(file.begin(), file.end());
    const Outcome saved = FinishSave(SaveFileReplacing(choice.path, bytes), SavedFile::Graph);
    if (saved.hasMessage) ShowMessage(state.mainWindow, state.language, saved.message);
}

}  // namespace plorimet
