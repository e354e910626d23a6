// `plorimet plot`: the plot of the page (the dots and curve with numbered axes, the 95 % band,
// the residuals) as SVG or PNG, from the same plan.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "plorimet/cli_graph.h"

namespace plorimet {

extern const char kPlotUsage[];

// Runs `plot` (args[0]); exit codes as the other commands: 0, 1 for a failure the program
// reports with its own message, 2 for usage.
int RunPlotCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                   const CliServices& services);

}  // namespace plorimet
