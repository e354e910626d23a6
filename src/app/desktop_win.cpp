#include "app/desktop_win.h"

#include <cstring>

#include "win/message_box_win.h"

namespace plorimet {

namespace {

constexpr DWORD kPauseBeforeClosing = 100;  // ms

struct DesktopSearch {
    bool found = false;
    HWND listView = nullptr;
};

// Every top-level window in the system's order; the first whose class name contains
// "Progman" and that holds a child with a child wins.
BOOL CALLBACK ExamineTopLevelWindow(HWND window, LPARAM searchPointer) {
    auto* search = reinterpret_cast<DesktopSearch*>(searchPointer);
    if (search->found) return TRUE;
    char className[258] = {};
    GetClassNameA(window, className, 256);
    if (!std::strstr(className, "Progman")) return TRUE;
    HWND child = GetWindow(window, GW_CHILD);
    if (!child) return TRUE;
    HWND grandchild = GetWindow(child, GW_CHILD);
    if (!grandchild) return TRUE;
    search->listView = grandchild;
    search->found = true;
    return TRUE;
}

bool AnotherInstanceRuns() {
    return FindWindowA(nullptr, UiText(TextId::ProductTitle, UiLanguage::English)) != nullptr ||
           FindWindowA(nullptr, UiText(TextId::ProductTitle, UiLanguage::Japanese)) != nullptr;
}

}  // namespace

StartupCheck FindDesktopListView(WindowState& state, HWND mainWindow) {
    if (AnotherInstanceRuns()) return StartupCheck::AnotherInstance;
    DesktopSearch search;
    EnumWindows(ExamineTopLevelWindow, reinterpret_cast<LPARAM>(&search));
    if (search.found) {
        state.desktopListView = search.listView;
        return StartupCheck::Proceed;
    }
    ShowMessage(mainWindow, state.language, MessageId::DesktopNotFound);
    Sleep(kPauseBeforeClosing);
    return StartupCheck::NoDesktop;
}

}  // namespace plorimet
