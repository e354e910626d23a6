// The one way the program writes a file.
#pragma once

#include <string>

namespace plorimet {

// Writes bytes beside the target and moves them over it only when all were written, so a
// failed save never leaves a truncated file where a good one was. Returns the step that
// failed (creating or writing), or None.
enum class SaveFailure { None, Create, Write };
SaveFailure ReplaceFileContents(const std::string& path, const std::string& bytes);

}  // namespace plorimet
