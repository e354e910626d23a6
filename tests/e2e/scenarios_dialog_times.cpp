// driver measure-dialogs: how long the three settings dialogs take from the command to the
// dialog on the screen, in the program and in dialog_bench.exe (the same templates shown by a
// program that does nothing else), in the same Wine session. Figures, not checks.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "harness.h"
#include "scenario_support.h"
#include "scenarios.h"

namespace e2e {

namespace {

double Ms(const LARGE_INTEGER& from, const LARGE_INTEGER& to) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double MedianOf(std::vector<double> values) {
    if (values.empty()) return 0.0;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Posts the command to the window and times it until a dialog of the thread is visible; the
// dialog is then cancelled and gone before the next run.
double TimeDialog(const App& app, HWND window, int command) {
    Sleep(50);
    LARGE_INTEGER t0, t1;
    QueryPerformanceCounter(&t0);
    PostMessageA(window, WM_COMMAND, MAKEWPARAM(command, 0), 0);
    HWND dialog = nullptr;
    for (DWORD start = GetTickCount(); GetTickCount() - start < 5000;) {
        if ((dialog = FindDialog(app)) != nullptr) break;
        Sleep(0);
    }
    QueryPerformanceCounter(&t1);
    if (!dialog) return -1.0;
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    WaitForWindowGone(dialog, 5000);
    Sync(app);
    return Ms(t0, t1);
}

std::string BenchPath() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path);
    folder.resize(folder.find_last_of('\\') + 1);
    return folder + "dialog_bench.exe";
}

}  // namespace

void MeasureDialogs(int repetitions) {
    const char* names[] = {"fit_settings", "graph_settings", "column"};
    std::vector<double> bench[3], program[3];

    // Both run side by side and take turns, so that the load of the machine falls on both alike.
    App benchApp;
    const std::string exe = Settings().exe;
    Settings().exe = BenchPath();
    const bool started = Start(benchApp);
    Settings().exe = exe;
    HWND bench_window = nullptr;
    if (!started || !WaitUntil([&] { return (bench_window = FindWindowA("PlorimetDialogBench", nullptr)) != nullptr; },
                               10000)) {
        std::printf("measure dialog_bench did not start (%s)\n", BenchPath().c_str());
        return;
    }
    WaitForInputIdle(benchApp.process.hProcess, 5000);

    // The program: Analysis and Paste Data (a three-column text) in the grid, Draw Graph from
    // the equation; every dialog cancelled.
    App app;
    if (!Launch(app) || !OpenDataInput(app, "measure")) return;
    TypeRows(app, {{"3", "1"}, {"1", "2"}, {"2", "7"}, {"5", "4"}, {"4", "0.5"}});
    Sync(app);
    PutClipboardText("1\t2\t3\r\n4\t5\t6\r\n7\t8\t9\r\n");
    // The first dialog of a process loads what every later one shares.
    TimeDialog(benchApp, bench_window, 1);
    TimeDialog(app, app.main, IDM_ANALYSIS);
    for (int i = 0; i < repetitions; ++i) {
        bench[0].push_back(TimeDialog(benchApp, bench_window, 1));
        program[0].push_back(TimeDialog(app, app.main, IDM_ANALYSIS));
        bench[2].push_back(TimeDialog(benchApp, bench_window, 3));
        program[2].push_back(TimeDialog(app, app.main, IDM_PASTE_DATA));
    }
    HWND dialog = OpenFitDialog(app);
    if (dialog) CloseDialog(dialog, IDOK);
    if (!WaitForButtons(app, kEquationButtons)) {
        std::printf("measure the equation view was not reached\n");
        return;
    }
    for (int i = 0; i < repetitions; ++i) {
        bench[1].push_back(TimeDialog(benchApp, bench_window, 2));
        program[1].push_back(TimeDialog(app, app.main, IDM_DRAW_GRAPH));
    }
    Finish(app);
    PostMessageA(bench_window, WM_CLOSE, 0, 0);
    WaitForExit(benchApp, 3000);
    Finish(benchApp);

    for (int k = 0; k < 3; ++k) {
        const double b = MedianOf(bench[k]);
        const double p = MedianOf(program[k]);
        std::printf("measure dialog_%s_command_to_dialog_ms bench %.1f program %.1f ratio %.2f (medians of %d)\n",
                    names[k], b, p, b > 0 ? p / b : 0.0, repetitions);
    }
    std::fflush(stdout);
}

}  // namespace e2e
