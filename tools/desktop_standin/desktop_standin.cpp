// desktop_standin            shows the stand-in desktop windows until --stop
// desktop_standin --wait     waits up to 20 s until a stand-in desktop is up; exit code 0 when it is
// desktop_standin --stop     ends a running stand-in
// desktop_standin --remove   removes the desktop window (the stand-in keeps running)
// desktop_standin --bare     a desktop window with a child but no grandchild
// desktop_standin --restore  the whole desktop again
//
// The windows imitate the shell's desktop: a top-level window of class "Progman" holding a
// "SHELLDLL_DefView" that holds a "SysListView32". They stay invisible: the program under
// test only looks them up. A hidden control window of class "PlorimetDesktopStandIn" takes
// the requests, so that tests can take the desktop away and give it back without starting
// processes of their own (a process started from a test would hold the test's output open).
#include <windows.h>

#include <cstring>

namespace {

constexpr char kControlClass[] = "PlorimetDesktopStandIn";
constexpr char kDesktopClass[] = "Progman";
constexpr char kViewClass[] = "SHELLDLL_DefView";
constexpr char kListClass[] = "SysListView32";
constexpr DWORD kWaitLimit = 20000;  // ms
constexpr DWORD kPollInterval = 20;  // ms

// Requests to the control window (also posted by the end-to-end driver).
constexpr UINT kRestoreDesktop = WM_APP + 0;
constexpr UINT kRemoveDesktop = WM_APP + 1;
constexpr UINT kBareDesktop = WM_APP + 2;

HINSTANCE g_instance = nullptr;
HWND g_desktop = nullptr;

void RemoveDesktop() {
    if (g_desktop) DestroyWindow(g_desktop);
    g_desktop = nullptr;
}

void MakeDesktop(bool withListView) {
    RemoveDesktop();
    g_desktop = CreateWindowExA(WS_EX_TOOLWINDOW, kDesktopClass, "Program Manager", WS_POPUP, 0, 0, 1, 1, nullptr,
                                nullptr, g_instance, nullptr);
    if (!g_desktop) return;
    HWND view = CreateWindowA(kViewClass, "", WS_CHILD | WS_VISIBLE, 0, 0, 1, 1, g_desktop, nullptr, g_instance,
                              nullptr);
    if (view && withListView) {
        CreateWindowA(kListClass, "FolderView", WS_CHILD | WS_VISIBLE, 0, 0, 1, 1, view, nullptr, g_instance, nullptr);
    }
}

LRESULT CALLBACK ControlProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case kRestoreDesktop: MakeDesktop(true); return 0;
        case kRemoveDesktop: RemoveDesktop(); return 0;
        case kBareDesktop: MakeDesktop(false); return 0;
        case WM_DESTROY:
            RemoveDesktop();
            PostQuitMessage(0);
            return 0;
        default: return DefWindowProcA(window, message, wParam, lParam);
    }
}

bool Register(const char* name, WNDPROC procedure) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = procedure;
    wc.hInstance = g_instance;
    wc.lpszClassName = name;
    return RegisterClassA(&wc) != 0;
}

int Serve() {
    if (FindWindowA(kControlClass, nullptr)) return 0;  // one is up already
    if (!Register(kControlClass, ControlProc) || !Register(kDesktopClass, DefWindowProcA) ||
        !Register(kViewClass, DefWindowProcA) || !Register(kListClass, DefWindowProcA)) {
        return 1;
    }
    HWND control = CreateWindowExA(WS_EX_TOOLWINDOW, kControlClass, "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                   g_instance, nullptr);
    if (!control) return 1;
    MakeDesktop(true);
    if (!g_desktop) {
        DestroyWindow(control);
        return 1;
    }
    MSG message{};
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return 0;
}

bool WaitFor(bool (*condition)()) {
    for (DWORD waited = 0; waited < kWaitLimit; waited += kPollInterval) {
        if (condition()) return true;
        Sleep(kPollInterval);
    }
    return false;
}

bool DesktopUp() {
    HWND desktop = FindWindowA(kDesktopClass, nullptr);
    HWND view = desktop ? GetWindow(desktop, GW_CHILD) : nullptr;
    return view && GetWindow(view, GW_CHILD);
}

bool DesktopGone() { return FindWindowA(kDesktopClass, nullptr) == nullptr; }

bool DesktopBare() {
    HWND desktop = FindWindowA(kDesktopClass, nullptr);
    HWND view = desktop ? GetWindow(desktop, GW_CHILD) : nullptr;
    return view && !GetWindow(view, GW_CHILD);
}

bool StandInGone() { return FindWindowA(kControlClass, nullptr) == nullptr; }

// Posts a request to the running stand-in and waits until it has taken effect.
int Request(UINT message, bool (*done)()) {
    HWND control = FindWindowA(kControlClass, nullptr);
    if (!control) return 1;
    PostMessageA(control, message, 0, 0);
    return WaitFor(done) ? 0 : 1;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
    g_instance = instance;
    if (std::strstr(commandLine, "--wait")) return WaitFor(DesktopUp) ? 0 : 1;
    if (std::strstr(commandLine, "--stop")) return Request(WM_CLOSE, StandInGone);
    if (std::strstr(commandLine, "--remove")) return Request(kRemoveDesktop, DesktopGone);
    if (std::strstr(commandLine, "--bare")) return Request(kBareDesktop, DesktopBare);
    if (std::strstr(commandLine, "--restore")) return Request(kRestoreDesktop, DesktopUp);
    return Serve();
}
