// The end-to-end scenarios: each starts its own instance of the program and checks what a
// user sees.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace e2e {

struct Scenario {
    const char* name;
    void (*run)();
    // Only when asked for by name: it needs a system other than the test sessions' own.
    bool byNameOnly = false;
};

// In the order "all" runs them.
const Scenario* Scenarios(int* count);

// Scenario files of the command groups register their lists at start:
//   static const bool registered = e2e::RegisterScenarios(kMyScenarios);
struct ScenarioList {
    const Scenario* first;
    int count;
};
std::vector<ScenarioList>& ScenarioGroups();
template <size_t N>
bool RegisterScenarios(const Scenario (&list)[N]) {
    ScenarioGroups().push_back({list, static_cast<int>(N)});
    return true;
}

// Start-up time and Analysis time, printed as "measure ..." lines.
void MeasureTimes(int repetitions);
// The three settings dialogs' command-to-dialog times, the program against dialog_bench.exe.
void MeasureDialogs(int repetitions);
// Draw, Copy and Save Graph times, and GDI objects and memory over the repetitions.
void MeasureGraph(int repetitions);

// The bitmap set the run must see ("X" in a session that reports an older Windows); empty
// means: whatever the registry gives.
void ExpectBitmapSet(const std::string& set, bool given);

}  // namespace e2e
