#include "win/file_dialog_win.h"

#include <commdlg.h>

#include <vector>

namespace plorimet {

namespace {

constexpr int kFileNameBufferSize = 258;

// An open file handle closed on scope exit.
class FileHandle {
public:
    explicit FileHandle(HANDLE handle) : handle_(handle) {}
    ~FileHandle() { close(); }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    bool ok() const { return handle_ != INVALID_HANDLE_VALUE; }
    HANDLE get() const { return handle_; }
    bool close() {
        if (handle_ == INVALID_HANDLE_VALUE) return true;
        const bool closed = CloseHandle(handle_) != FALSE;
        handle_ = INVALID_HANDLE_VALUE;
        return closed;
    }

private:
    HANDLE handle_;
};

std::string DirectoryOf(const std::string& path) {
    const auto slash = path.find_last_of("\\/");
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash + 1);
}

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

void RepaintToolbarStrip(HWND mainWindow, int left, int right) {
    RECT strip{left, 0, right, 20};
    InvalidateRect(mainWindow, &strip, TRUE);
    UpdateWindow(mainWindow);
}

SaveFailure ReplaceFileContents(const std::string& path, const std::string& bytes) {
    // A read-only file or a folder cannot be replaced; the move below would not stop at it
    // everywhere (Wine moves over a read-only file).
    const DWORD existing = GetFileAttributesA(path.c_str());
    if (existing != INVALID_FILE_ATTRIBUTES &&
        (existing & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) != 0)
        return SaveFailure::Create;
    char temporary[MAX_PATH + 1] = {};
    if (GetTempFileNameA(DirectoryOf(path).c_str(), "plo", 0, temporary) == 0) return SaveFailure::Create;
    FileHandle file(CreateFileA(temporary, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.ok()) {
        DeleteFileA(temporary);
        return SaveFailure::Create;
    }
    DWORD written = 0;
    const bool allWritten =
        WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
        written == bytes.size() && FlushFileBuffers(file.get());
    if (!file.close() || !allWritten) {
        DeleteFileA(temporary);
        return SaveFailure::Write;
    }
    if (!MoveFileExA(temporary, path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        DeleteFileA(temporary);
        return SaveFailure::Create;
    }
    return SaveFailure::None;
}

}  // namespace plorimet
