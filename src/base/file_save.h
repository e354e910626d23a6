// Saving a file so that a failure never costs the old one: the bytes go to a new file of a
// unique name in the target's folder, reach the disk, and then replace the target in one
// step. The window's Save Data and Save Graph and the command line's --save all use it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "base/messages.h"

namespace plorimet {

// Temporary names tried before a save gives up: collisions with existing names are rare, and
// this many in a row means something else is wrong.
constexpr int kTemporaryNameAttempts = 100;

enum class SaveOutcome {
    Saved,
    CannotCreate,    // the folder is missing or closed to us, or the target is a folder or device
    CannotWrite,     // the bytes did not all reach the disk (a full disk, an I/O error)
    ReadOnlyTarget,  // the target exists and is read-only: it is left as it is
};

// Writes `bytes` as the file `path`, drawing the numbers of the temporary names from
// `nextNumber`. Whatever the outcome, the target is either untouched or holds exactly `bytes`,
// and no temporary file is left behind. (file_save_posix.cpp, or file_save_win.cpp on Windows)
SaveOutcome SaveFileReplacing(const std::string& path, const std::string& bytes,
                              const std::function<std::uint64_t()>& nextNumber);

// The temporary file's name for a target whose own name is `targetNameLength` bytes long:
// '~' and letters or digits from `number`, at most two bytes longer than the target's name, so
// that the temporary path fits wherever the target's path does (the save dialog allows paths
// up to 257 characters where Windows allows 259).
std::string TemporaryFileName(std::size_t targetNameLength, std::uint64_t number);

// A fresh number for a temporary name, different in every process and every call.
std::uint64_t TemporaryNameNumber();

inline SaveOutcome SaveFileReplacing(const std::string& path, const std::string& bytes) {
    return SaveFileReplacing(path, bytes, TemporaryNameNumber);
}

// What each outcome says: the data file's messages, or the graph file's.
enum class SavedFile { Data, Graph };
std::optional<MessageId> SaveFailureMessage(SaveOutcome outcome, SavedFile file);

}  // namespace plorimet
