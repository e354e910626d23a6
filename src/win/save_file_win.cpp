#include "win/save_file_win.h"

#include <windows.h>

namespace plorimet {

namespace {

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
