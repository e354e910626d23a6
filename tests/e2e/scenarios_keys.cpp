// The keyboard end to end: a data set typed into the grid with keys only (Tab, Shift+Tab,
// Enter, Up, Down between the cells), Analysis and Save Data by their keys, the equation
// copied with Ctrl+C and read back from the clipboard (check_clipboard_bridge.sh reads it once
// more from Linux, through Wine's clipboard bridge). Keys go through the system's input queue (SendInput) to the
// focused window, as a user's do.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "harness.h"
#include "reference_equation.h"
#include "scenario_support.h"
#include "scenarios.h"

namespace e2e {

namespace {

constexpr int kFileNameBox = 0x47C;
constexpr DWORD kKeyWait = 3000;

// ---- Keys -----------------------------------------------------------------------------------

void SendKey(WORD key, bool down) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyA(key, 0));
    input.ki.dwFlags = down ? 0 : KEYEVENTF_KEYUP;
    SendInput(1, &input, sizeof input);
}

void PressKey(WORD key, bool ctrl = false, bool shift = false) {
    if (ctrl) SendKey(VK_CONTROL, true);
    if (shift) SendKey(VK_SHIFT, true);
    SendKey(key, true);
    SendKey(key, false);
    if (shift) SendKey(VK_SHIFT, false);
    if (ctrl) SendKey(VK_CONTROL, false);
    Sleep(10);
}

// Digits, '.' and '-' as the keys that type them.
void TypeChars(const std::string& text) {
    for (char c : text) {
        if (c == '.') PressKey(VK_OEM_PERIOD);
        else if (c == '-') PressKey(VK_OEM_MINUS);
        else PressKey(static_cast<WORD>(c));
    }
}

HWND Focus(const App& app) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(app.process.dwThreadId, &info)) return nullptr;
    return info.hwndFocus;
}

std::string FocusName(const App& app) {
    const int id = GetDlgCtrlID(Focus(app));
    if (id >= 101 && id <= 145) return "X" + std::to_string(id - 100);
    if (id >= 146 && id <= 190) return "Y" + std::to_string(id - 145);
    return "window " + std::to_string(id);
}

bool WaitForFocus(const App& app, int cellId) {
    return WaitUntil([&] { return Focus(app) == Cell(app, cellId); }, kKeyWait);
}

// The cell's whole text is selected (so typing replaces it).
bool WholeTextSelected(HWND cell) {
    DWORD_PTR selection = 0;
    SendMessageTimeoutA(cell, EM_GETSEL, 0, 0, SMTO_ABORTIFHUNG, 2000, &selection);
    const int length = static_cast<int>(ControlText(cell).size());
    return LOWORD(selection) == 0 && HIWORD(selection) == length;
}

int XId(int k) { return 100 + k; }
int YId(int k) { return 145 + k; }

// A move by key and where the focus must land, with its text selected.
void ExpectMove(const App& app, const std::string& name, WORD key, bool shift, int toId) {
    PressKey(key, false, shift);
    const bool reached = WaitForFocus(app, toId);
    Check(reached && WholeTextSelected(Cell(app, toId)), "keys: " + name,
          "focus on " + FocusName(app) + ", text '" + ControlText(Focus(app)) + "'");
}

// ---- Clipboard ------------------------------------------------------------------------------

std::string ClipboardText() {
    std::string text = "<none>";
    for (int attempt = 0; attempt < 50; ++attempt) {
        if (!OpenClipboard(nullptr)) {
            Sleep(10);
            continue;
        }
        if (HANDLE data = GetClipboardData(CF_TEXT)) {
            if (const char* bytes = static_cast<const char*>(GlobalLock(data))) {
                text = bytes;
                GlobalUnlock(data);
            }
        }
        CloseClipboard();
        break;
    }
    return text;
}

void EmptyTheClipboard() {
    if (OpenClipboard(nullptr)) {
        EmptyClipboard();
        CloseClipboard();
    }
}

// ---- Pixels under the Input Data label ----------------------------------------------------------

// The client area between the tool bar and the first cell row, where Input Data's label lies.
Image LabelArea(const App& app) {
    const GridLayout layout = ExpectedLayout();
    return CaptureClient(app.main, 0, plorimet::kToolbarCover, 200,
                         layout.headingY + layout.rowPitch - plorimet::kToolbarCover - 1);
}

// Whether the area changes when the mouse moves away (which takes a drawn label away).
bool LabelShown(const App& app) {
    Sync(app);
    Sleep(150);
    const Image before = LabelArea(app);
    ParkMouse(app);
    Sleep(150);
    return CountDifferences(before, LabelArea(app)) != 0;
}

// ---- The data set ---------------------------------------------------------------------------------

// Twenty pairs of a slightly noisy parabola.
Rows TwentyPairs() {
    Rows rows;
    const char* y[] = {"5.2",  "3.9",  "3.1",  "2.2",  "2.1",  "1.8",  "2.4",  "2.9",  "3.8",  "5.1",
                       "6.4",  "8.3",  "10.1", "12.6", "15.2", "17.9", "21.3", "24.6", "28.4", "32.5"};
    for (int k = 0; k < 20; ++k) rows.push_back({std::to_string(k), y[k]});
    rows[3].first = "3.5";
    rows[7].second = "-2.9";
    return rows;
}

std::string CellsOf(const App& app, int count) {
    return CellTextsOf(app, 101, count) + " / " + CellTextsOf(app, 146, count);
}

std::string Expected(const Rows& rows) {
    std::string x, y;
    for (size_t i = 0; i < rows.size(); ++i) {
        x += (i ? "|" : "") + rows[i].first;
        y += (i ? "|" : "") + rows[i].second;
    }
    return x + " / " + y;
}

void Shot(const App& app, const std::string& name) {
    Screenshot(name + (Japanese() ? "-japanese" : "-english"), {app.main});
}

bool Activate(const App& app) {
    SetForegroundWindow(app.main);
    return WaitUntil([&] { return GetForegroundWindow() == app.main; }, 2000);
}

// ---- The scenario ---------------------------------------------------------------------------------

void KeyboardOnly() {
    const std::string name = "keys";
    App app;
    if (!LaunchOrFail(app, name)) return;
    if (!Check(Activate(app), "keys: program window active", "foreground is another window")) return;
    ParkMouse(app);

    // Keys of disabled buttons do nothing; Ctrl+N is Input Data, with no label drawn and the
    // caret in pair 1's X cell.
    PressKey('O', true);
    PressKey(VK_F5);
    Check(WaitForDialog(app, kQuiet) == nullptr && EnabledPattern(app) == kInitialButtons,
          "keys: Ctrl+O and F5 do nothing at the start picture", EnabledPattern(app));
    PressKey('N', true);
    if (!Check(WaitForButtons(app, kDataInputButtons), "keys: Ctrl+N opens the grid", EnabledPattern(app))) return;
    Check(WaitForFocus(app, XId(1)), "keys: typing starts in pair 1's X cell", FocusName(app));
    Check(!LabelShown(app), "keys: Ctrl+N draws no Input Data label", "a label was drawn");

    // Twenty pairs, typed and moved through by keys only.
    const Rows rows = TwentyPairs();
    for (size_t r = 0; r < rows.size(); ++r) {
        TypeChars(rows[r].first);
        PressKey(VK_TAB);
        TypeChars(rows[r].second);
        if (r == 14) {
            // Across the groups: pair 15's Y to pair 16's X.
            WaitUntil([&] { return ControlText(Cell(app, YId(15))) == rows[r].second; }, kKeyWait);
            Shot(app, "keys-focus-1");
            ExpectMove(app, "Tab from pair 15's Y reaches pair 16's X", VK_TAB, false, XId(16));
            Shot(app, "keys-focus-2");
            continue;
        }
        PressKey(VK_TAB);
    }
    WaitUntil([&] { return ControlText(Cell(app, YId(20))) == rows[19].second; }, kKeyWait);
    Check(CellsOf(app, 20) == Expected(rows), "keys: twenty pairs typed with Tab", CellsOf(app, 20));
    Check(WaitForFocus(app, XId(21)), "keys: Tab after the last Y reaches pair 21's X", FocusName(app));

    ExpectMove(app, "Shift+Tab goes back to pair 20's Y, its text selected", VK_TAB, true, YId(20));
    Shot(app, "keys-focus-3");
    ExpectMove(app, "Up reaches pair 19's Y", VK_UP, false, YId(19));
    ExpectMove(app, "Shift+Tab reaches pair 19's X", VK_TAB, true, XId(19));
    ExpectMove(app, "Enter reaches pair 20's X", VK_RETURN, false, XId(20));
    ExpectMove(app, "Down reaches pair 21's X", VK_DOWN, false, XId(21));
    ExpectMove(app, "Up comes back to pair 20's X", VK_UP, false, XId(20));
    for (int k = 20; k > 16; --k) PressKey(VK_UP);
    ExpectMove(app, "Shift+Tab from pair 16's X reaches pair 15's Y", VK_TAB, true, YId(15));
    // The selected text is replaced by what is typed, not added to.
    TypeChars(rows[14].second);
    Sync(app);
    Sleep(100);
    Check(ControlText(Cell(app, YId(15))) == rows[14].second, "keys: typing replaces the selected text",
          ControlText(Cell(app, YId(15))));
    // The cell's own keys stay the cell's: Ctrl+G (Draw Graph is off here) types nothing,
    // Home and End move the caret.
    PressKey('G', true);
    PressKey(VK_HOME);
    Sync(app);
    Sleep(100);
    Check(Focus(app) == Cell(app, YId(15)) && WaitForDialog(app, kQuiet) == nullptr &&
              ControlText(Cell(app, YId(15))) == rows[14].second,
          "keys: Ctrl+G and Home leave the cell as it was", FocusName(app));

    // F5 is Analysis; Enter takes the dialog's proposal (degree 10 of 20 pairs, 3 digits).
    PressKey(VK_F5);
    HWND dialog = WaitForDialog(app, kDialogWait);
    if (!Check(dialog != nullptr, "keys: F5 opens the Analysis dialog", "none")) return;
    WaitUntil([&] { return GetForegroundWindow() == dialog; }, 2000);
    PressKey(VK_RETURN);
    if (!Check(WaitForButtons(app, kEquationButtons), "keys: Enter answers it, the equation is shown",
               EnabledPattern(app)))
        return;
    // The expected equation and coefficients from the driver's own exact reference.
    std::vector<std::pair<double, double>> pairs;
    for (const auto& row : rows)
        pairs.push_back({std::strtod(row.first.c_str(), nullptr), std::strtod(row.second.c_str(), nullptr)});
    const std::string equation = ReferenceEquation(pairs, /*degree=*/10, /*digits=*/3, Japanese());
    const std::vector<double> coefficients = ReferenceCoefficients(pairs, /*degree=*/10);
    const int termCount = static_cast<int>(coefficients.size());
    std::string shown;
    Check(EquationShows(app, equation, &shown), "keys: the equation of the typed pairs", shown);
    Check(Focus(app) == app.main || Focus(app) == nullptr, "keys: no hidden cell keeps the keyboard",
          FocusName(app));
    Shot(app, "keys-equation");

    // Ctrl+C: the equation as shown, an empty line, power and coefficient to 17 digits.
    EmptyTheClipboard();
    PressKey('C', true);
    std::string expected;
    for (char c : equation) expected += c == '\n' ? std::string("\r\n") : std::string(1, c);
    expected += "\r\n\r\n";
    for (int k = 0; k < termCount; ++k) {
        char row[64];
        std::snprintf(row, sizeof row, "%d\t%.17g\r\n", k, coefficients[k]);
        expected += row;
    }
    std::string copied;
    WaitUntil([&] { return (copied = ClipboardText()) == expected; }, kKeyWait);
    Check(copied == expected, "keys: Ctrl+C puts the equation and its coefficients on the clipboard",
          Visible(copied) + " expected " + Visible(expected));
    const size_t rowsStart = copied.find("\r\n\r\n");
    bool crlf = !copied.empty();
    for (size_t i = 0; i < copied.size(); ++i) crlf = crlf && (copied[i] != '\n' || (i > 0 && copied[i - 1] == '\r'));
    Check(rowsStart != std::string::npos && crlf, "keys: every line ends in CR LF, an empty line before the rows",
          Visible(copied));
    // Each row: the power, a tab, the coefficient to 17 significant digits (fewer only where
    // the digits end in zeros), which reads back as the very double of the fit.
    int exact = 0;
    int seventeen = 0;
    std::istringstream table(rowsStart == std::string::npos ? std::string() : copied.substr(rowsStart + 4));
    for (int k = 0; k < termCount; ++k) {
        int power = -1;
        std::string value;
        table >> power >> value;
        int digits = 0;
        bool leading = true;
        for (char c : value.substr(0, value.find('e'))) {
            if (c < '0' || c > '9' || (leading && c == '0')) continue;
            leading = false;
            ++digits;
        }
        if (power == k && std::strtod(value.c_str(), nullptr) == coefficients[k] && digits <= 17) ++exact;
        if (digits == 17) ++seventeen;
    }
    Check(exact == termCount && termCount == 11 && seventeen >= 5,
          "keys: eleven coefficients to 17 significant digits, each the double itself",
          std::to_string(exact) + " of " + std::to_string(termCount) + " exact, " +
              std::to_string(seventeen) + " with 17 digits");
    // Ctrl+S is Save Data in the equation view.
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    const std::string saved = std::string(temp) + "plorimet-keys.txt";
    DeleteFileA(saved.c_str());
    PressKey('S', true);
    HWND save = WaitForDialog(app, kDialogWait);
    if (Check(save != nullptr, "keys: Ctrl+S opens Save Data's dialog", "none")) {
        SendMessageTimeoutA(GetDlgItem(save, kFileNameBox), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(saved.c_str()),
                            SMTO_ABORTIFHUNG, 2000, nullptr);
        PostMessageA(save, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(save, IDOK)));
        Check(WaitForWindowGone(save, kDialogWait), "keys: the file dialog closes", "still open");
        HANDLE file = INVALID_HANDLE_VALUE;
        WaitUntil(
            [&] {
                file = CreateFileA(saved.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
                return file != INVALID_HANDLE_VALUE;
            },
            kKeyWait);
        std::string bytes;
        if (file != INVALID_HANDLE_VALUE) {
            bytes.resize(GetFileSize(file, nullptr));
            DWORD read = 0;
            if (!bytes.empty()) ReadFile(file, &bytes[0], static_cast<DWORD>(bytes.size()), &read, nullptr);
            bytes.resize(read);
            CloseHandle(file);
        }
        Check(bytes.find("     0  \t     5.2  \r\n") != std::string::npos && bytes.find("EQUATION\r\n") != std::string::npos,
              "keys: the data file is written", Visible(bytes.substr(0, 80)));
        DeleteFileA(saved.c_str());
    }
    Check(WaitForDialog(app, kQuiet) == nullptr && EnabledPattern(app) == kEquationButtons,
          "keys: the equation view stays", EnabledPattern(app));

    // Ctrl+G is Draw Graph; in the graph view Ctrl+C copies the graph as a bitmap.
    PressKey('G', true);
    HWND graphDialog = WaitForDialog(app, kDialogWait);
    if (Check(graphDialog != nullptr, "keys: Ctrl+G opens Draw Graph's dialog", "none")) {
        WaitUntil([&] { return GetForegroundWindow() == graphDialog; }, 2000);
        PressKey(VK_RETURN);
        Check(WaitForButtons(app, "0100000111110"), "keys: Enter draws the graph", EnabledPattern(app));
        EmptyTheClipboard();
        PressKey('C', true);
        Check(WaitUntil([] { return IsClipboardFormatAvailable(CF_DIB) != FALSE; }, kKeyWait),
              "keys: Ctrl+C in the graph view copies the graph", "no bitmap on the clipboard");
    }
    // Ctrl+N goes back to the grid from anywhere, the caret in pair 1's X cell again.
    PressKey('N', true);
    HWND question = WaitForDialog(app, kDialogWait);
    if (question) CloseDialog(question, IDNO);  // No: keep the pairs
    Check(WaitForButtons(app, kDataInputButtons) && WaitForFocus(app, XId(1)),
          "keys: Ctrl+N from the graph view, No keeps the pairs", FocusName(app));

    // The equation once more, left on the clipboard when the program ends: the end-to-end
    // test reads it there with a Linux program (check_clipboard_bridge.sh).
    PressKey(VK_F5);
    dialog = WaitForDialog(app, kDialogWait);
    if (dialog) {
        WaitUntil([&] { return GetForegroundWindow() == dialog; }, 2000);
        PressKey(VK_RETURN);
    }
    Check(WaitForButtons(app, kEquationButtons), "keys: F5 and Enter again, the same equation", EnabledPattern(app));
    EmptyTheClipboard();
    PressKey('C', true);
    Check(WaitUntil([&] { return ClipboardText() == expected; }, kKeyWait), "keys: Ctrl+C again",
          Visible(ClipboardText()));
    if (!Settings().shots.empty()) {
        const std::string path = Settings().shots + "\\equation-clipboard.txt";
        HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            DWORD written = 0;
            WriteFile(file, expected.data(), static_cast<DWORD>(expected.size()), &written, nullptr);
            CloseHandle(file);
        }
    }
    Finish(app);
}

const Scenario kKeyScenarios[] = {
    {"keys", KeyboardOnly},
};

static const bool registered = RegisterScenarios(kKeyScenarios);

}  // namespace

}  // namespace e2e
