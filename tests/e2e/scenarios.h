// The end-to-end scenarios: each starts its own instance of the program and checks what a
// user sees.
#pragma once

#include <string>

namespace e2e {

struct Scenario {
    const char* name;
    void (*run)();
};

// In the order "all" runs them.
const Scenario* Scenarios(int* count);

// Start-up time and Analysis time, printed as "measure ..." lines.
void MeasureTimes(int repetitions);

// The bitmap set the run must see ("X" in a session that reports an older Windows); empty
// means: whatever the registry gives.
void ExpectBitmapSet(const std::string& set, bool given);

}  // namespace e2e
