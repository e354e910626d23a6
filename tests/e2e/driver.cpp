// End-to-end driver: starts TAVRO_95.EXE, works it like a user and checks what it shows.
//
//   driver all|<scenario> <TAVRO_95.EXE> [--shots <folder>] [--expect-set <letter>|--expect-plain-set]
//   driver measure <TAVRO_95.EXE> [repetitions]
//   driver measure-graph <TAVRO_95.EXE> [repetitions]   (graphs drawn, copied and saved in a row)
//   driver measure-dialogs <TAVRO_95.EXE> [repetitions] (the settings dialogs against dialog_bench.exe)
//   driver monkey <TAVRO_95.EXE> [actions] [seed]       (random user actions, see monkey.h)
//   driver list
//
// Paths may be Linux paths (taken as Wine's Z: drive). Prints "ok name" or "FAIL name: ..."
// per check and "N passed, M failed" last; the exit code is 1 when anything failed.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "harness.h"
#include "monkey.h"
#include "scenarios.h"

namespace {

int Usage() {
    std::fprintf(stderr,
                 "usage: driver all|<scenario> <TAVRO_95.EXE> [--shots folder] "
                 "[--expect-set letter|--expect-plain-set]\n"
                 "       driver measure <TAVRO_95.EXE> [repetitions]\n"
                 "       driver monkey <TAVRO_95.EXE> [actions] [seed]\n       driver list\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 2 && std::strcmp(argv[1], "list") == 0) {
        int count = 0;
        const e2e::Scenario* scenarios = e2e::Scenarios(&count);
        for (int i = 0; i < count; ++i) std::printf("%s\n", scenarios[i].name);
        return 0;
    }
    if (argc < 3) return Usage();
    const std::string mode = argv[1];
    e2e::Options& options = e2e::Settings();
    options.exe = e2e::ToWindowsPath(argv[2]);
    int repetitions = 5;
    e2e::MonkeyOptions monkey;
    int monkeyNumbers = 0;
    for (int i = 3; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--shots" && i + 1 < argc) {
            options.shots = e2e::ToWindowsPath(argv[++i]);
        } else if (arg == "--expect-set" && i + 1 < argc) {
            e2e::ExpectBitmapSet(argv[++i], true);
        } else if (arg == "--expect-plain-set") {
            e2e::ExpectBitmapSet("", true);
        } else if (mode == "monkey" && monkeyNumbers < 2 && std::strtoul(arg.c_str(), nullptr, 10) > 0) {
            if (monkeyNumbers++ == 0) monkey.actions = std::atoi(arg.c_str());
            else monkey.seed = static_cast<unsigned>(std::strtoul(arg.c_str(), nullptr, 10));
        } else if ((mode == "measure" || mode == "measure-graph" || mode == "measure-dialogs") && std::atoi(arg.c_str()) > 0) {
            repetitions = std::atoi(arg.c_str());
        } else {
            return Usage();
        }
    }
    if (GetFileAttributesA(options.exe.c_str()) == INVALID_FILE_ATTRIBUTES) {
        std::fprintf(stderr, "driver: %s not found\n", options.exe.c_str());
        return 2;
    }
    e2e::Note(std::string("code page ") + std::to_string(GetACP()) + ", program " + options.exe);
    if (mode == "measure") {
        e2e::MeasureTimes(repetitions);
        return 0;
    }
    if (mode == "monkey") {
        monkey.fullFolder = e2e::FullDiskFolder();
        e2e::RunMonkey(monkey);
        std::printf("%d passed, %d failed\n", e2e::PassedCount(), e2e::FailedCount());
        return e2e::FailedCount() == 0 ? 0 : 1;
    }
    if (mode == "measure-dialogs") {
        e2e::MeasureDialogs(repetitions);
        return 0;
    }
    if (mode == "measure-graph") {
        e2e::MeasureGraph(repetitions);
        std::printf("%d passed, %d failed\n", e2e::PassedCount(), e2e::FailedCount());
        return e2e::FailedCount() == 0 ? 0 : 1;
    }

    int count = 0;
    const e2e::Scenario* scenarios = e2e::Scenarios(&count);
    bool ran = false;
    for (int i = 0; i < count; ++i) {
        if (mode == "all" ? scenarios[i].byNameOnly : mode != scenarios[i].name) continue;
        e2e::Note(std::string("scenario ") + scenarios[i].name);
        scenarios[i].run();
        ran = true;
    }
    if (!ran) return Usage();
    std::printf("%d passed, %d failed\n", e2e::PassedCount(), e2e::FailedCount());
    return e2e::FailedCount() == 0 ? 0 : 1;
}
