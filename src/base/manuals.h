// Where the user manuals lie: beside the program file.
#pragma once

#include <string>

namespace plorimet {

// The program's file name, which the system's file search looks for.
constexpr char kProgramFileName[] = "TAVRO_95.EXE";

// The directory of the manuals, with its trailing separator. `searchResult` is what the
// system's file search found for the program's file name (empty when nothing); when it did
// not find that name (a renamed program), the running module's own directory is used.
std::string ManualDirectory(const std::string& searchResult, const std::string& modulePath);

}  // namespace plorimet
