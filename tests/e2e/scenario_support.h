// What the scenarios share: expected texts and layout, and the steps a user takes.
#pragma once

#include <windows.h>

#include <cstdio>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "harness.h"
#include "resource_ids.h"
#include "base/platform.h"
#include "base/toolbar_layout.h"
#include "base/window_layout.h"

namespace e2e {


using plorimet::GridLayout;

// Enabled tool bar buttons, Gap .. Space, per view.
constexpr char kInitialButtons[] = "0100000001110";
constexpr char kDataInputButtons[] = "0111100001110";
constexpr char kEquationButtons[] = "0100011001110";

constexpr int kInputData = IDM_INPUT_DATA;
constexpr int kAnalysis = IDM_ANALYSIS;
constexpr int kExit = IDM_EXIT;
constexpr int kDegreeCombo = IDC_DEGREE_COMBO;
constexpr int kFirstDigitsButton = IDC_DIGITS_3;
constexpr DWORD kDialogWait = 5000;
constexpr DWORD kQuiet = 400;  // how long nothing must appear

inline std::string g_expectedSet;
inline bool g_setGiven = false;

// ---- Expectations in the language of the run -------------------------------------------------

struct Words {
    const char* english;
    const wchar_t* japanese;
};

const Words kErrorCaption{"Error", L"エラー"};
const Words kWarningCaption{"Warning", L"警告"};
const Words kQuestionCaption{"Question", L"質問"};


// A control's or message's text in the run's language, and whether it is the expected one.
inline bool SaysWords(HWND window, const Words& words, bool topLevel, std::string* seen) {
    if (Japanese()) {
        const std::wstring text = topLevel ? WindowCaptionW(window) : ControlTextW(window);
        *seen = Utf8(text);
        return text == words.japanese;
    }
    const std::string text = topLevel ? WindowCaption(window) : ControlText(window);
    *seen = text;
    return text == words.english;
}

enum class IconKind { Error, Warning, Question, Unknown };

inline const char* IconName(IconKind kind) {
    switch (kind) {
        case IconKind::Error: return "error";
        case IconKind::Warning: return "warning";
        case IconKind::Question: return "question";
        default: return "unknown";
    }
}

inline BOOL CALLBACK FindIconStatic(HWND window, LPARAM found) {
    char name[32] = {};
    GetClassNameA(window, name, sizeof name);
    if (lstrcmpiA(name, "Static") == 0 && (GetWindowLongA(window, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
        *reinterpret_cast<HWND*>(found) = window;
        return FALSE;
    }
    return TRUE;
}

// Which system icon a message box shows: its pixels against each candidate's, once the
// box has painted itself.
inline IconKind IdentifyIcon(HWND box, std::string* detail) {
    HWND icon = nullptr;
    EnumChildWindows(box, FindIconStatic, reinterpret_cast<LPARAM>(&icon));
    if (!icon) {
        *detail = "no icon control";
        return IconKind::Unknown;
    }
    const std::pair<IconKind, LPCSTR> candidates[] = {
        {IconKind::Error, IDI_HAND}, {IconKind::Warning, IDI_EXCLAMATION}, {IconKind::Question, IDI_QUESTION}};
    const int size = GetSystemMetrics(SM_CXICON);
    IconKind best = IconKind::Unknown;
    WaitUntil(
        [&] {
            RECT r{};
            GetWindowRect(icon, &r);
            const Image seen = CaptureScreen(RECT{r.left, r.top, r.left + size, r.top + size});
            const Image around = CaptureScreen(RECT{r.left - 1, r.top, r.left, r.top + 1});
            if (seen.empty() || around.empty()) return false;
            *detail = "pixel differences:";
            for (const auto& candidate : candidates) {
                const int d = CountDifferences(seen, RenderIcon(candidate.second, size, around.At(0, 0)));
                *detail += std::string(" ") + IconName(candidate.first) + "=" + std::to_string(d);
                if (d == 0) best = candidate.first;
            }
            return best != IconKind::Unknown;
        },
        3000);
    return best;
}

// A message box: its text, caption, icon and buttons.
inline void ExpectMessageBox(HWND box, const std::string& name, const Words& text, const Words& caption, IconKind icon,
                      bool yesNo) {
    if (!Check(box != nullptr, name + " appears", "no message box")) return;
    std::string seen;
    Check(SaysWords(GetDlgItem(box, 0xFFFF), text, false, &seen), name + " text", "'" + seen + "'");
    Check(SaysWords(box, caption, true, &seen), name + " caption", "'" + seen + "'");
    std::string detail;
    const IconKind shown = IdentifyIcon(box, &detail);
    Check(shown == icon, name + " icon", std::string(IconName(shown)) + " (" + detail + ")");
    const bool hasOk = GetDlgItem(box, IDOK) != nullptr;
    const bool hasYes = GetDlgItem(box, IDYES) != nullptr;
    const bool hasNo = GetDlgItem(box, IDNO) != nullptr;
    Check(yesNo ? (hasYes && hasNo && !hasOk) : (hasOk && !hasYes && !hasNo), name + " buttons",
          std::string("OK ") + (hasOk ? "yes" : "no") + ", Yes " + (hasYes ? "yes" : "no") + ", No " +
              (hasNo ? "yes" : "no"));
}

// ---- Layout the program should have --------------------------------------------------------------

inline GridLayout ExpectedLayout() {
    HDC screen = GetDC(nullptr);
    HGDIOBJ previous = SelectObject(screen, GetStockObject(SYSTEM_FONT));
    TEXTMETRICA metrics{};
    GetTextMetricsA(screen, &metrics);
    SelectObject(screen, previous);
    ReleaseDC(nullptr, screen);
    return plorimet::MakeGridLayout(metrics.tmHeight, metrics.tmExternalLeading);
}

// A string value under HKEY_LOCAL_MACHINE, read the way the program reads it; nothing when
// the key or the value cannot be read.
inline std::optional<std::string> ReadMachineText(const char* path, const char* value) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return std::nullopt;
    char buffer[258] = {};
    DWORD size = 256;
    DWORD type = 0;
    const LONG status = RegQueryValueExA(key, value, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return std::nullopt;
    return std::string(buffer);
}

// The platform level the program should find on this Windows.
inline int ExpectedPlatformLevel() {
    const auto version = ReadMachineText("SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion", "CurrentVersion");
    const auto product = ReadMachineText("SOFTWARE\\Microsoft\\Windows\\CurrentVersion", "ProductName");
    return plorimet::DecidePlatformLevel(version, product.value_or(""));
}

inline std::string ExpectedBitmapSet() {
    if (g_setGiven) return g_expectedSet;
    return plorimet::BitmapSet(ExpectedPlatformLevel());
}

inline std::string Describe(const RECT& r) {
    char text[96];
    std::snprintf(text, sizeof text, "(%ld,%ld)-(%ld,%ld)", r.left, r.top, r.right, r.bottom);
    return text;
}

// Position of a child in its parent's client coordinates.
inline RECT ChildRect(HWND child) {
    RECT r{};
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

// ---- Steps a user takes -------------------------------------------------------------------------

inline bool LaunchOrFail(App& app, const std::string& scenario) {
    std::string failure;
    return Check(Launch(app, &failure), scenario + ": program starts", failure);
}

inline bool WaitForButtons(const App& app, const char* pattern) {
    return WaitUntil([&] { return EnabledPattern(app) == pattern; }, 3000);
}

// Input Data leaves its tool bar label drawn over the top of the grid, as if the mouse were
// still on the button; moving the mouse into the client area, as a user does, takes it away.
inline void ParkMouse(const App& app) {
    for (const POINT& to : {POINT{300, 220}, POINT{310, 230}}) {
        POINT p = to;
        ClientToScreen(app.main, &p);
        SetCursorPos(p.x, p.y);
        Sleep(30);
        Sync(app);
    }
    Sleep(50);
    Sync(app);
}

// Input Data on a program with no data: no question, the grid comes into view.
inline bool OpenDataInput(App& app, const std::string& scenario) {
    PostCommand(app, kInputData);
    return Check(WaitForButtons(app, kDataInputButtons), scenario + ": data input view",
                 "buttons " + EnabledPattern(app));
}

using Rows = std::vector<std::pair<std::string, std::string>>;

inline void TypeRows(const App& app, const Rows& rows) {
    for (size_t r = 0; r < rows.size(); ++r) {
        if (!rows[r].first.empty()) TypeKeys(Cell(app, 101 + static_cast<int>(r)), rows[r].first);
        if (!rows[r].second.empty()) TypeKeys(Cell(app, 146 + static_cast<int>(r)), rows[r].second);
    }
}

inline HWND OpenFitDialog(const App& app) {
    PostCommand(app, kAnalysis);
    return WaitForDialog(app, kDialogWait);
}

inline HWND DegreeEdit(HWND dialog) {
    return FindWindowExA(GetDlgItem(dialog, kDegreeCombo), nullptr, "Edit", nullptr);
}

inline std::string DegreeList(HWND dialog) {
    HWND combo = GetDlgItem(dialog, kDegreeCombo);
    DWORD_PTR count = 0;
    SendMessageTimeoutA(combo, CB_GETCOUNT, 0, 0, SMTO_ABORTIFHUNG, 2000, &count);
    std::string list;
    for (int i = 0; i < static_cast<int>(count); ++i) {
        // Wide: Wine hands list texts to another process as wide characters.
        wchar_t item[64] = {};
        DWORD_PTR length = 0;
        SendMessageTimeoutW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(item), SMTO_ABORTIFHUNG, 2000, &length);
        if (!list.empty()) list += ",";
        list += Utf8(item);
    }
    return list;
}

inline std::string CheckedDigits(HWND dialog) {
    std::string checked;
    for (int i = 0; i < 4; ++i) {
        DWORD_PTR state = 0;
        SendMessageTimeoutA(GetDlgItem(dialog, kFirstDigitsButton + i), BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, 2000,
                            &state);
        checked += state == BST_CHECKED ? '1' : '0';
    }
    return checked;
}

inline void ClickDigits(HWND dialog, int digits) {
    DWORD_PTR result = 0;
    SendMessageTimeoutA(GetDlgItem(dialog, kFirstDigitsButton + digits - 3), BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, 2000,
                        &result);
}

inline bool CloseDialog(HWND dialog, int button) {
    Press(dialog, button);
    return WaitForWindowGone(dialog, kDialogWait);
}

// The equation area as the program should show it for a text.
struct EquationArea {
    int x, y, width, height;
};

inline EquationArea EquationAreaOf(const GridLayout& layout) {
    const plorimet::Rect r = plorimet::EquationRect(layout);
    return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}

inline bool EquationShows(const App& app, const std::string& text, std::string* seen) {
    const EquationArea area = EquationAreaOf(ExpectedLayout());
    Image shown;
    const Image expected = RenderText(text, area.width, area.height);
    const bool same = WaitUntil(
        [&] {
            shown = CaptureClient(app.main, area.x, area.y, area.width, area.height);
            return CountDifferences(shown, expected) == 0;
        },
        3000);
    *seen = std::to_string(CountDifferences(shown, expected)) + " pixels differ, " +
            std::to_string(CountNotColour(shown, 0xFFFFFF)) + " not white (expected " +
            std::to_string(CountNotColour(expected, 0xFFFFFF)) + ")";
    return same;
}

inline std::string CellTextsOf(const App& app, int firstId, int count) {
    std::string texts;
    for (int i = 0; i < count; ++i) texts += (i ? "|" : "") + ControlText(Cell(app, firstId + i));
    return texts;
}

}  // namespace e2e
