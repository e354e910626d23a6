// The save routine on Windows: the window's Save Data and Save Graph, and plorimet.exe.
#include <windows.h>

#include <algorithm>

#include "base/file_save.h"

namespace plorimet {

namespace {

constexpr DWORD kLargestWrite = 1 << 20;

bool IsDiskFull(DWORD error) { return error == ERROR_DISK_FULL || error == ERROR_HANDLE_DISK_FULL; }

// A temporary file that is closed and deleted unless it has been moved over the target.
class TemporaryFile {
public:
    TemporaryFile() = default;
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    ~TemporaryFile() {
        Close();
        if (!path_.empty()) DeleteFileA(path_.c_str());
    }
    // Creates a new file; an existing file or link of the name makes it fail.
    DWORD Create(const std::string& path) {
        handle_ = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle_ == INVALID_HANDLE_VALUE) return GetLastError();
        path_ = path;
        return ERROR_SUCCESS;
    }
    HANDLE handle() const { return handle_; }
    const std::string& path() const { return path_; }
    bool Close() {
        if (handle_ == INVALID_HANDLE_VALUE) return true;
        const bool closed = CloseHandle(handle_) != FALSE;
        handle_ = INVALID_HANDLE_VALUE;
        return closed;
    }
    void Release() { path_.clear(); }

private:
    HANDLE handle_ = INVALID_HANDLE_VALUE;
    std::string path_;
};

// Where the file's own name starts: after the last separator that is not the second byte of
// a double-byte character (in code page 932 that byte can be a backslash).
size_t NameStart(const std::string& path) {
    size_t start = 0;
    for (size_t i = 0; i < path.size(); ++i) {
        const char c = path[i];
        if (IsDBCSLeadByte(static_cast<BYTE>(c)) && i + 1 < path.size()) {
            ++i;
        } else if (c == '\\' || c == '/' || c == ':') {
            start = i + 1;
        }
    }
    return start;
}

bool WriteAll(HANDLE file, const std::string& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, kLargestWrite));
        DWORD written = 0;
        if (!WriteFile(file, bytes.data() + done, chunk, &written, nullptr) || written == 0) return false;
        done += written;
    }
    return true;
}

}  // namespace

SaveOutcome SaveFileReplacing(const std::string& path, const std::string& bytes,
                              const std::function<std::uint64_t()>& nextNumber) {
    const size_t nameStart = NameStart(path);
    const std::string name = path.substr(nameStart);
    if (name.empty() || name == "." || name == "..") return SaveOutcome::CannotCreate;

    const DWORD existing = GetFileAttributesA(path.c_str());
    if (existing != INVALID_FILE_ATTRIBUTES) {
        if (existing & FILE_ATTRIBUTE_DIRECTORY) return SaveOutcome::CannotCreate;
        if (existing & FILE_ATTRIBUTE_READONLY) return SaveOutcome::ReadOnlyTarget;
    }

    TemporaryFile temporary;
    DWORD error = ERROR_FILE_EXISTS;
    for (int attempt = 0; attempt < kTemporaryNameAttempts && error != ERROR_SUCCESS; ++attempt) {
        error = temporary.Create(path.substr(0, nameStart) + TemporaryFileName(name.size(), nextNumber()));
        // A name of a file being deleted answers "access denied"; try another.
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS && error != ERROR_ACCESS_DENIED) break;
    }
    if (error != ERROR_SUCCESS) return IsDiskFull(error) ? SaveOutcome::CannotWrite : SaveOutcome::CannotCreate;

    if (!WriteAll(temporary.handle(), bytes) || !FlushFileBuffers(temporary.handle()) || !temporary.Close())
        return SaveOutcome::CannotWrite;
    if (!MoveFileExA(temporary.path().c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return SaveOutcome::CannotCreate;
    temporary.Release();
    return SaveOutcome::Saved;
}

}  // namespace plorimet
