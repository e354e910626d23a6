// Saves that must not fail or lose a file, and ways out a user can take: Save Data and Save
// Graph into folders with the longest paths the save dialog takes, onto a full disk, the
// close boxes of the graph settings and column dialogs, and Exit while the graph is shown.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "base/messages.h"
#include "harness.h"
#include "monkey.h"
#include "scenario_support.h"
#include "scenarios.h"

namespace e2e {

namespace {

constexpr int kFileNameBox = 0x47C;
constexpr char kGraphButtons[] = "0100000111110";
const Rows kRows = {{"1", "2"}, {"2", "5"}, {"3", "4"}, {"4", "8"}};
// The longest path the save dialog hands the program (its buffer's size less one).
constexpr size_t kLongestDialogPath = 257;
const Words kUnableToWrite{"Unable to write in file.", L"ファイルに書き込めません."};

// The files of a folder, "name|name|..." in the order the system lists them.
std::string Names(const std::string& folder) {
    std::string names;
    WIN32_FIND_DATAA found{};
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return "<no folder>";
    do {
        const std::string name = found.cFileName;
        if (name != "." && name != "..") names += (names.empty() ? "" : "|") + name;
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return names;
}

// The program's message for a failed save dialog, as it shows it.
std::string DialogErrorMessage(unsigned long code) {
    const auto language = Japanese() ? plorimet::UiLanguage::Japanese : plorimet::UiLanguage::English;
    char text[256] = {};
    std::snprintf(text, sizeof text, plorimet::MessageText(plorimet::MessageId::SaveDialogError, language), code);
    return text;
}

std::vector<std::string> Split(const std::string& names) {
    std::vector<std::string> parts;
    size_t start = 0;
    while (start < names.size()) {
        const size_t end = std::min(names.find('|', start), names.size());
        parts.push_back(names.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

// From a fresh program to the equation of kRows.
bool ReachEquation(App& app, const std::string& name) {
    if (!LaunchOrFail(app, name) || !OpenDataInput(app, name)) return false;
    TypeRows(app, kRows);
    HWND dialog = OpenFitDialog(app);
    if (!Check(dialog != nullptr, name + ": fit dialog", "none")) return false;
    CloseDialog(dialog, IDOK);
    return Check(WaitForButtons(app, kEquationButtons), name + ": equation view", EnabledPattern(app));
}

bool DrawGraph(App& app, const std::string& name) {
    PostCommand(app, IDM_DRAW_GRAPH);
    HWND dialog = WaitForDialog(app, kDialogWait);
    if (!Check(dialog != nullptr, name + ": graph dialog", "none")) return false;
    CloseDialog(dialog, IDOK);
    return Check(WaitForButtons(app, kGraphButtons), name + ": graph view", EnabledPattern(app));
}

enum class DialogEnd { Closed, Refused };

// A save command through its real dialog: the path typed, OK, Yes when asked to replace.
// Closed: the dialog took the name; Refused: it stayed open (then cancelled).
DialogEnd SaveThroughDialog(const App& app, int command, const std::string& path) {
    PostCommand(app, command);
    HWND dialog = WaitForDialog(app, kDialogWait);
    if (!dialog) return DialogEnd::Refused;
    SendMessageTimeoutA(GetDlgItem(dialog, kFileNameBox), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()),
                        SMTO_ABORTIFHUNG, 2000, nullptr);
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
    // The dialog closes, or asks to replace, or complains and stays.
    for (int answers = 0; answers < 3; ++answers) {
        if (WaitForWindowGone(dialog, 1500)) {
            Sync(app);
            return DialogEnd::Closed;
        }
        HWND question = FindDialog(app, dialog);
        if (!question || GetWindow(question, GW_OWNER) != dialog) break;
        const bool replace = GetDlgItem(question, IDYES) != nullptr;
        PostMessageA(question, WM_COMMAND, replace ? IDYES : IDOK, 0);
        WaitForWindowGone(question, kDialogWait);
        if (!replace) break;
    }
    if (WaitForWindowGone(dialog, 200)) return DialogEnd::Closed;
    CloseDialog(dialog, IDCANCEL);
    Sync(app);
    return DialogEnd::Refused;
}

// A folder whose Windows path is exactly `length` characters, under `base`. CreateDirectoryA
// stops at 248 characters; the wide call with the \\?\ prefix does not.
std::string LongFolder(const std::string& base, size_t length) {
    std::string folder = base;
    CreateDirectoryA(folder.c_str(), nullptr);
    while (folder.size() < length) {
        const size_t room = length - folder.size() - 1;  // after the separator
        const size_t part = room <= 200 ? room : 150;  // a name may have 255 characters
        folder += "\\" + std::string(part, static_cast<char>('a' + folder.size() % 26));
        CreateDirectoryW((L"\\\\?\\" + FromCodePage(folder, CP_ACP)).c_str(), nullptr);
    }
    return folder;
}

void SaveIntoLongFolders() {
    const std::string name = "long folders";
    App app;
    if (!ReachEquation(app, name)) return;
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    const std::string base = std::string(temp) + "plorimet-long";
    RemoveTree(base);
    CreateDirectoryA(base.c_str(), nullptr);

    // What the saves must write: the same as into a short folder. Save Data from the
    // equation view, then Save Graph from the graph view, into folders 247..257 characters
    // long with the one-letter names d.txt and g.bmp.
    int accepted = 0;
    struct Save {
        int command;
        const char* file;
    };
    for (const Save& save : {Save{IDM_SAVE_DATA, "d.txt"}, Save{IDM_SAVE_GRAPH, "g.bmp"}}) {
        const std::string kind = save.command == IDM_SAVE_DATA ? " Save Data" : " Save Graph";
        if (save.command == IDM_SAVE_GRAPH && !DrawGraph(app, name)) return;
        const std::string reference = base + "\\" + save.file;
        Check(SaveThroughDialog(app, save.command, reference) == DialogEnd::Closed, name + kind + ", short path",
              "refused");
        const std::string bytes = ReadFileBytes(reference);
        if (!Check(bytes != "<missing>", name + kind + ": saved at a short path", "missing")) return;
        for (size_t length = 247; length <= 257; ++length) {
            const std::string folder = LongFolder(base + "\\" + std::to_string(length), length);
            const std::string what = name + " " + std::to_string(length) + kind;
            if (!Check(folder.size() == length && GetFileAttributesA(folder.c_str()) != INVALID_FILE_ATTRIBUTES,
                       what + ": folder made", std::to_string(folder.size())))
                continue;
            const std::string path = folder + "\\" + save.file;
            if (SaveThroughDialog(app, save.command, path) == DialogEnd::Refused) {
                Note(what + ": the save dialog refuses a path of " + std::to_string(path.size()) + " characters");
                Check(ReadFileBytes(path) == "<missing>", what + ": refused by the dialog, nothing written", "written");
                continue;
            }
            HWND box = WaitForDialog(app, kQuiet);
            const std::string message = box ? MessageText(box) : "";
            if (box) CloseDialog(box, IDOK);
            std::string others;
            for (const std::string& file : Split(Names(folder)))
                if (file != "d.txt" && file != "g.bmp") others += file + " ";
            Check(others.empty(), what + ": nothing else left in the folder", others);
            if (path.size() > kLongestDialogPath) {
                // The dialog does not hand out a longer name: the program says so, as it
                // says any failure of the dialog.
                Check(message == DialogErrorMessage(0x3003) && ReadFileBytes(path) == "<missing>",
                      what + ": " + std::to_string(path.size()) + " characters, the dialog's error shown",
                      "'" + message + "' " + std::to_string(ReadFileBytes(path).size()) + " bytes");
                continue;
            }
            ++accepted;
            Check(message.empty(), what + ": no message", message);
            Check(ReadFileBytes(path) == bytes, what + ": saved (" + std::to_string(path.size()) + " characters)",
                  std::to_string(ReadFileBytes(path).size()) + " bytes");
        }
    }
    // Folders up to 251 characters leave room for the names within 257.
    Check(accepted == 10, name + ": the dialog took the paths up to 257 characters", std::to_string(accepted));
    Finish(app);
    RemoveTree(base);
}

// Save Data and Save Graph onto a full disk: the message, the old file as it was, no
// temporary file left; a new name is not created either.
void SaveOntoFullDisk() {
    const std::string name = "full disk";
    const std::string full = FullDiskFolder();
    if (full.empty()) {
        Note("skipped: no full disk (tests/e2e/with_full_disk.sh mounts one when run as root)");
        return;
    }
    const std::string listing = Names(full);
    const std::string oldData = ReadFileBytes(full + "\\old.txt");
    const std::string oldGraph = ReadFileBytes(full + "\\old.bmp");
    App app;
    if (!ReachEquation(app, name)) return;
    auto expectFailure = [&](int command, const std::string& file, const std::string& step) {
        const std::string path = full + "\\" + file;
        const std::string before = ReadFileBytes(path);
        if (!Check(SaveThroughDialog(app, command, path) == DialogEnd::Closed, step + ": the dialog takes the name",
                   "refused"))
            return;
        HWND box = WaitForDialog(app, kDialogWait);
        ExpectMessageBox(box, step, kUnableToWrite, kErrorCaption, IconKind::Error, false);
        if (box) CloseDialog(box, IDOK);
        Check(ReadFileBytes(path) == before, step + ": the file as it was, byte for byte",
              std::to_string(ReadFileBytes(path).size()) + " bytes");
        Check(Names(full) == listing, step + ": no temporary file left", Names(full));
    };
    expectFailure(IDM_SAVE_DATA, "old.txt", name + " Save Data over old.txt");
    expectFailure(IDM_SAVE_DATA, "new.txt", name + " Save Data as new.txt");
    if (!DrawGraph(app, name)) return;
    expectFailure(IDM_SAVE_GRAPH, "old.bmp", name + " Save Graph over old.bmp");
    expectFailure(IDM_SAVE_GRAPH, "new.bmp", name + " Save Graph as new.bmp");
    Check(ReadFileBytes(full + "\\old.txt") == oldData && ReadFileBytes(full + "\\old.bmp") == oldGraph,
          name + ": old files intact at the end", "changed");
    Check(WaitForButtons(app, kGraphButtons), name + ": the graph view stays", EnabledPattern(app));
    Finish(app);
}

// The close box of a dialog, as a user clicks it.
bool CloseBox(HWND dialog) {
    PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    return WaitForWindowGone(dialog, kDialogWait);
}

void CloseBoxesCancel() {
    const std::string name = "close boxes";
    {
        App app;
        if (!ReachEquation(app, name)) return;
        PostCommand(app, IDM_DRAW_GRAPH);
        HWND dialog = WaitForDialog(app, kDialogWait);
        if (Check(dialog != nullptr, name + ": graph dialog", "none")) {
            Check(CloseBox(dialog), name + ": graph dialog closes by its close box", "still open");
            Sync(app);
            HWND box = WaitForDialog(app, kQuiet);
            Check(box == nullptr, name + ": graph dialog, no message", box ? MessageText(box) : "");
            Check(EnabledPattern(app) == kEquationButtons, name + ": graph dialog close box is Cancel: no graph",
                  EnabledPattern(app));
        }
        // Then OK draws as usual.
        DrawGraph(app, name + " after the close box");
        Finish(app);
    }
    App app;
    if (!LaunchOrFail(app, name) || !OpenDataInput(app, name)) return;
    TypeRows(app, {{"9", "8"}});
    const std::string before = CellTextsOf(app, 101, 3) + "/" + CellTextsOf(app, 146, 3);
    for (int attempt = 0; attempt < 50; ++attempt) {
        if (!OpenClipboard(nullptr)) {
            Sleep(10);
            continue;
        }
        EmptyClipboard();
        const char text[] = "1\t2\t3\r\n4\t5\t6\r\n";
        HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, sizeof text);
        if (void* data = memory ? GlobalLock(memory) : nullptr) {
            CopyMemory(data, text, sizeof text);
            GlobalUnlock(memory);
            SetClipboardData(CF_TEXT, memory);
        }
        CloseClipboard();
        break;
    }
    PostCommand(app, IDM_PASTE_DATA);
    HWND dialog = WaitForDialog(app, kDialogWait);
    if (Check(dialog != nullptr, name + ": column dialog", "none")) {
        Check(CloseBox(dialog), name + ": column dialog closes by its close box", "still open");
        Sync(app);
        HWND box = WaitForDialog(app, kQuiet);
        Check(box == nullptr, name + ": column dialog, no message", box ? MessageText(box) : "");
        Check(CellTextsOf(app, 101, 3) + "/" + CellTextsOf(app, 146, 3) == before,
              name + ": column dialog close box is Cancel: cells unchanged",
              CellTextsOf(app, 101, 3) + "/" + CellTextsOf(app, 146, 3));
    }
    Finish(app);
}

// Exit while the graph is shown: the window goes and the program ends with code 0.
void ExitWithGraphShown() {
    const std::string name = "exit with graph";
    App app;
    if (!ReachEquation(app, name) || !DrawGraph(app, name)) return;
    PostCommand(app, IDM_COPY_GRAPH);
    Sync(app);
    HWND main = app.main;
    PostMessageA(ToolbarButton(app, IDM_EXIT + TOOLBAR_COMMAND_OFFSET), BM_CLICK, 0, 0);
    const DWORD code = WaitForExit(app, kDialogWait);
    Check(code == 0, name + ": the program ends with code 0", code == STILL_ACTIVE ? "still running" : std::to_string(code));
    Check(!IsWindow(main), name + ": its window is gone", "still there");
    Finish(app);
}

const Scenario kSaveScenarios[] = {
    {"save-long-folders", SaveIntoLongFolders},
    {"save-disk-full", SaveOntoFullDisk},
    {"dialog-close-boxes", CloseBoxesCancel},
    {"exit-with-graph", ExitWithGraphShown},
};

static const bool registered = RegisterScenarios(kSaveScenarios);

}  // namespace

}  // namespace e2e
