// `plorimet graph` and `plorimet eval`: the window's graph and the fitted values, without a window.
#pragma once

#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "base/messages.h"

namespace plorimet {

// What the graph commands borrow from the rest of the tool.
struct CliServices {
    // A program text (code page 932) as the terminal shows it.
    std::function<std::string(const std::string& text)> forTerminal;
};

// True for the commands handled here.
bool IsGraphCommand(const std::string& command);

extern const char kGraphUsage[];

// Runs `graph` or `eval` (args[0]). Exit codes as the other commands: 0, 1 for a failure the
// program reports with its own message, 2 for usage.
int RunGraphCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                    const CliServices& services);

}  // namespace plorimet
