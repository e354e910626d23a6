// The command-line companion of the window: the same reading, fitting and saving.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace plorimet {

// Exit codes: 0 success, 1 a failure the program reports with its own message, 2 usage.
int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace plorimet
