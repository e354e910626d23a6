// `plorimet graph` and `plorimet eval`: the window's graph and the fitted values, without a window.
#pragma once

#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "base/messages.h"
#include "data/all_pairs.h"
#include "fit/data_set.h"
#include "plorimet/cli_fit.h"
#include "plorimet/cli_input.h"

namespace plorimet {

// What the graph commands borrow from the rest of the tool.
struct CliServices {
    // A program text (code page 932) as the terminal shows it.
    std::function<std::string(const std::string& text)> forTerminal;
};

// A file read and fitted as `plorimet fit` reads and fits it: the grid's pairs (at most 45, the
// first of equal X), or with `all` every pair of the file (with `weights` the third number of
// each line as its weight).
struct CliFitRequest {
    std::string file;
    std::optional<int> degree;
    bool all = false;
    bool weights = false;
    bool throughOrigin = false;
    bool withModel = false;  // the exact model of the statistics and intervals too
    UiLanguage language = UiLanguage::English;
};
struct FittedFile {
    DataSet data;  // the pairs as the grid takes them
    AllPairs all;  // or, with --all, every pair of the file
    PointsView points;
    CliFit fit;
};
// Nothing when fitted; else the exit code, the failure reported.
std::optional<int> ReadAndFitFile(const CliFitRequest& request, Reporter& report, FittedFile& fitted);

// True for the commands handled here.
bool IsGraphCommand(const std::string& command);

extern const char kGraphUsage[];

// Runs `graph` or `eval` (args[0]). Exit codes as the other commands: 0, 1 for a failure the
// program reports with its own message, 2 for usage.
int RunGraphCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                    const CliServices& services);

}  // namespace plorimet
