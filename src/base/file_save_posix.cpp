// The save routine on POSIX systems (the native command line and tests).
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "base/file_save.h"

namespace plorimet {

namespace {


bool IsDiskFull(int error) { return error == ENOSPC || error == EDQUOT; }

// A temporary file that is closed and removed unless it has been moved over the target.
class TemporaryFile {
public:
    TemporaryFile() = default;
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    ~TemporaryFile() {
        Close();
        if (!path_.empty()) unlink(path_.c_str());
    }
    // Creates a new file (never an existing one, never through a link).
    int Create(const std::string& path, mode_t mode) {
        fd_ = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
        if (fd_ >= 0) path_ = path;
        return fd_ >= 0 ? 0 : errno;
    }
    int fd() const { return fd_; }
    const std::string& path() const { return path_; }
    bool Close() {
        if (fd_ < 0) return true;
        const bool closed = close(fd_) == 0;
        fd_ = -1;
        return closed;
    }
    void Release() { path_.clear(); }

private:
    int fd_ = -1;
    std::string path_;
};

bool WriteAll(int fd, const std::string& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t written = write(fd, bytes.data() + done, bytes.size() - done);
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        done += static_cast<size_t>(written);
    }
    return true;
}

// Makes the rename itself durable; a file system that cannot sync a folder is left as it is.
void SyncFolder(const std::string& folder) {
    const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    fsync(fd);
    close(fd);
}

}  // namespace

SaveOutcome SaveFileReplacing(const std::string& path, const std::string& bytes,
                              const std::function<std::uint64_t()>& nextNumber) {
    const auto slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash == 0 ? 1 : slash);
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    if (name.empty() || name == "." || name == "..") return SaveOutcome::CannotCreate;

    // An existing target must be a plain file we may write. A link is replaced itself; the file
    // it points to is never touched.
    struct stat target {};
    const bool exists = lstat(path.c_str(), &target) == 0;
    if (exists && S_ISREG(target.st_mode)) {
        if ((target.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 || access(path.c_str(), W_OK) != 0)
            return SaveOutcome::ReadOnlyTarget;
    } else if (exists && !S_ISLNK(target.st_mode)) {
        return SaveOutcome::CannotCreate;
    }

    const std::string prefix = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    TemporaryFile temporary;
    // A replaced file keeps its permissions; a new one gets the usual ones (umask applied).
    const bool keepMode = exists && S_ISREG(target.st_mode);
    int error = EEXIST;
    for (int attempt = 0; attempt < kTemporaryNameAttempts && error == EEXIST; ++attempt) {
        error = temporary.Create(prefix + TemporaryFileName(name.size(), nextNumber()), keepMode ? 0600 : 0666);
    }
    if (error != 0) return IsDiskFull(error) ? SaveOutcome::CannotWrite : SaveOutcome::CannotCreate;

    if (keepMode) {
        if (fchown(temporary.fd(), target.st_uid, target.st_gid) != 0) {
            // Only the owner's own saves and root keep the owner; others make the file theirs.
        }
        if (fchmod(temporary.fd(), target.st_mode & 0777) != 0) return SaveOutcome::CannotCreate;
    }
    if (!WriteAll(temporary.fd(), bytes)) return SaveOutcome::CannotWrite;
    if (fsync(temporary.fd()) != 0 || !temporary.Close()) return SaveOutcome::CannotWrite;
    if (rename(temporary.path().c_str(), path.c_str()) != 0) return SaveOutcome::CannotCreate;
    temporary.Release();
    SyncFolder(folder);
    return SaveOutcome::Saved;
}

}  // namespace plorimet
