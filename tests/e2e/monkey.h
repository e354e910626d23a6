// Random use of the program: a seeded, reproducible run of user actions.
#pragma once

#include <string>

namespace e2e {

struct MonkeyOptions {
    int actions = 1000;
    unsigned seed = 1;
    std::string fullFolder;  // a folder on a full disk (Windows path), or empty
    long long memoryBound = 0;  // private bytes a program may hold at its end; 0: the default
};

// Runs the actions; prints "FAIL monkey ..." for every fault and "measure monkey ..." figures.
void RunMonkey(const MonkeyOptions& options);

// The folder on a full disk that the test script mounted (PLORIMET_FULL_DIR, a Linux path,
// as a Windows path), or empty when there is none.
std::string FullDiskFolder();

}  // namespace e2e
