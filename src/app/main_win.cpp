// Program entry, the main window and the table every command goes through.
#include <windows.h>

#include "app/desktop_win.h"
#include "app/help_about_win.h"
#include "app/hover_win.h"
#include "app/icon_bar_win.h"
#include "app/keys_win.h"
#include "app/paint_win.h"
#include "app/platform_win.h"
#include "base/window_layout.h"
#include "app/data_commands_win.h"
#include "app/grid_win.h"
#include "app/analysis_win.h"
#include "app/graph_commands_win.h"
#include "app/window_state_win.h"
#include "app/window_proc_win.h"

namespace plorimet {

namespace {

constexpr char kMainWindowClass[] = "TAVRO_95";
constexpr DWORD kMainWindowStyle = WS_OVERLAPPED | WS_SYSMENU | WS_MINIMIZEBOX;

// Frees the picture of the view being left for good and ends the message loop. The window
// itself goes with the process.
void ReleaseViewSurfaces(WindowState& state) {
    // Each surface exists only in its own view, so releasing both frees exactly the current one.
    state.logoSurface.Release();
    state.graphSurface.Release();
    PostQuitMessage(0);
}

// ---- The model's commands -----------------------------------------------------------------

using CommandHandler = void (*)(WindowState&);

struct CommandEntry {
    Command command;
    CommandHandler run;
};

constexpr CommandEntry kCommands[] = {
    {Command::InputData, StartDataInput},
    {Command::ReadData, ReadDataFile},
    {Command::PasteData, PasteFromSpreadsheet},
    {Command::Analysis, RunAnalysis},
    {Command::SaveData, SaveDataFile},
    {Command::DrawGraph, DrawGraph},
    {Command::CopyGraph, CopyGraph},
    {Command::SaveGraph, SaveGraph},
    {Command::About, ShowAbout},
    {Command::Help, ShowHelp},
    {Command::Exit, ReleaseViewSurfaces},
};

enum class Given { ByButton, ByKey };

void RunCommand(WindowState& state, Command command, Given given) {
    for (const CommandEntry& entry : kCommands) {
        if (entry.command != command) continue;
        EraseHoverLabel(state);
        // A click means the pointer is on the Input Data button, so its label counts as shown
        // (the repaint may draw it again); a key says nothing of where the pointer is.
        if (command == Command::InputData && given == Given::ByButton) state.hoverLabel = 1;
        entry.run(state);
        return;
    }
}

// The tool bar's buttons send their command ids (IDM_INPUT_DATA .. IDM_EXIT), the cells theirs.
void OnCommand(WindowState& state, int id) {
    if (IsCellCommand(id)) {
        // The cell is taken from the grid's own table, not from the message.
        CheckCellText(state.cellWindows[CellIndexForCommand(id)]);
        return;
    }
    Command command = Command::InputData;
    if (CommandOfId(id, command)) RunCommand(state, command, Given::ByButton);
}

// ---- Main window procedure ---------------------------------------------------------------

LRESULT OnCreate(WindowState& state, HWND window) {
    state.mainWindow = window;
    state.language = DetectLanguage();
    state.platformLevel = DetectPlatform();
    state.platformKnown = true;
    if (FindDesktopListView(state, window) != StartupCheck::Proceed) return -1;  // the window is destroyed
    CreateDataGrid(state);
    LocateManuals(state);
    ShowStartPicture(state);
    return 0;
}

LRESULT Dispatch(WindowState& state, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE:
            return OnCreate(state, window);
        case WM_DESTROY:
            ReleaseViewSurfaces(state);
            return 0;
        case WM_PAINT:
            PaintMainWindow(state);
            return 0;
        case WM_SETCURSOR:
            DefWindowProcA(window, message, wParam, lParam);
            UpdateHoverLabel(state);
            return 0;
        case WM_COMMAND:
            OnCommand(state, LOWORD(wParam));
            return 0;
        default:
            return DefWindowProcA(window, message, wParam, lParam);
    }
}

bool RegisterMainWindowClass(HINSTANCE instance) {
    WNDCLASSA wc{};
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = StateWindowProc<Dispatch>;
    wc.hInstance = instance;
    wc.hIcon = LoadIconA(instance, "ICON_1");
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    wc.lpszClassName = kMainWindowClass;
    return RegisterClassA(&wc) != 0;
}

int RunMessageLoop(WindowState& state) {
    MSG message{};
    for (;;) {
        const BOOL got = GetMessageA(&message, nullptr, 0, 0);
        if (got == 0) return static_cast<int>(message.wParam);
        if (got == -1) return 0;
        if (const TakenKey key = TakeProgramKey(state, message); key.taken) {
            // As in the window procedure, a failing command is dropped, never unwound through here.
            try {
                if (key.command) RunCommand(state, *key.command, Given::ByKey);
            } catch (...) {
            }
            continue;
        }
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

int RunProgram(HINSTANCE instance, int showCommand) {
    WindowState state;
    state.appInstance = instance;
    if (!RegisterMainWindowClass(instance)) return 0;

    state.screenWidth = GetSystemMetrics(SM_CXSCREEN);
    state.screenHeight = GetSystemMetrics(SM_CYSCREEN);
    const Point origin =
        CentredOrigin(state.screenWidth, state.screenHeight, kMainWindowWidth, kInitialMainWindowHeight);
    HWND window = CreateWindowExA(0, kMainWindowClass, UiText(TextId::ProvisionalTitle, UiLanguage::English),
                                  kMainWindowStyle, origin.x, origin.y, kMainWindowWidth, kInitialMainWindowHeight,
                                  nullptr, nullptr, instance, &state);
    // A second instance, a missing desktop or a failed creation: the window is gone already.
    if (!window) return 0;
    ShowWindow(window, showCommand);
    UpdateWindow(window);

    CreateIconBar(state);
    RunMessageLoop(state);
    // The windows outlive this function (Exit leaves them to the end of the process): they
    // must not reach the state any more.
    if (IsWindow(window)) SetWindowLongPtrA(window, GWLP_USERDATA, 0);
    if (state.iconBar && IsWindow(state.iconBar)) SetWindowLongPtrA(state.iconBar, GWLP_USERDATA, 0);
    return 0;  // every way out ends with 0
}

}  // namespace

}  // namespace plorimet

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
    try {
        return plorimet::RunProgram(instance, showCommand);
    } catch (...) {
        return 0;
    }
}
