// Data commands end to end: Read Data and Save Data through the real file dialogs, Paste
// Data through the real clipboard and the column dialog. Expected file bytes are built here
// from the pairs, not by the program's own writer.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "harness.h"
#include "reference_equation.h"
#include "scenario_support.h"
#include "scenarios.h"

namespace e2e {

namespace {

constexpr int kReadData = IDM_READ_DATA;
constexpr int kPasteData = IDM_PASTE_DATA;
constexpr int kSaveData = IDM_SAVE_DATA;
constexpr int kFileNameBox = 0x47C;
constexpr int kXColumnBox = 237;
constexpr int kYColumnBox = 238;

const Words kReadTitle{"Select a file to read", L"読み込むファイル名の選択"};
const Words kSaveTitle{"Assign a file to save the data.", L"データを保存するファイル名の選択"};
const Words kColumnTitle{"Select Excel Column Numbers", L"Excelのカラム(縦列)番号の選択"};
const Words kNoDataInFile{"NO data in the file.", L"ファイルはデータを含んでいません."};
const Words kNoSuchFile{"The file does not exist.", L"ファイルが存在しません."};
const Words kNeedTxt{"Assign a file with TXT extension.", L"ファイルは拡張子 TXT を持つ必要があります."};
const Words kCannotCreate{"Unable to create an assigned file to save data.", L"データ保存用ファイルを作成できません."};
const Words kNoClipboardData{"No data on the Clipboard.", L"クリップボードにデータがありません."};
const Words kIncorrectClipboardData{"Incorrect Clipboard data.\nNot copied data from Excel.",
                                    L"クリップボードのデータが不正です.\nExcelのデータのコピーではありません."};
const Words kMissingDatum{"Incorrect Clipboard data.\nSome cell in Excel data does not have a datum.",
                          L"クリップボードのデータが不正です.\nExcelのデータ・セルでデータの無いものがあります."};
const Words kMoreThanTenCharacters{"More than 10 characters.", L"文字数が１０以上です."};
const Words kNotNumerical{"Not numerical value strings.", L"文字列が数値ではありません."};
const Words kYColumnNotLarger{"Y column number should be larger\nthan X column number.",
                              L"Ｙカラム番号はＸカラム番号より\n大きくなくてはいけません."};

// A folder of this run for the data files, removed file by file at the end.
std::string DataFolder() {
    std::string folder;
    if (!Settings().shots.empty()) {
        folder = Settings().shots + "\\data-files";
    } else {
        char temp[MAX_PATH] = {};
        GetTempPathA(MAX_PATH, temp);
        folder = std::string(temp) + "plorimet-data-e2e";
    }
    for (size_t i = 3; i <= folder.size(); ++i)
        if (i == folder.size() || folder[i] == '\\') CreateDirectoryA(folder.substr(0, i).c_str(), nullptr);
    return folder;
}

std::string PathOf(const std::string& file) { return DataFolder() + "\\" + file; }

// Deletes a file, read-only or not.
void Remove(const std::string& path) {
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(path.c_str());
}

// Runs a file dialog the command opened: checks its title, types the name and presses OK
// (or Cancel when the name is empty), and answers the overwrite question when asked.
enum class Overwrite { NotAsked, Yes };
bool AnswerFileDialog(const App& app, const std::string& name, const Words& title, const std::string& typed,
                      Overwrite overwrite) {
    HWND dialog = WaitForDialog(app, kDialogWait);
    if (!Check(dialog != nullptr, name + ": file dialog", "none")) return false;
    std::string seen;
    Check(SaysWords(dialog, title, true, &seen), name + ": file dialog title", seen);
    if (typed.empty()) return Check(CloseDialog(dialog, IDCANCEL), name + ": dialog cancelled", "still open");
    SendMessageTimeoutA(GetDlgItem(dialog, kFileNameBox), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(typed.c_str()),
                        SMTO_ABORTIFHUNG, 2000, nullptr);
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
    if (overwrite == Overwrite::Yes) {
        HWND question = WaitForDialog(app, kDialogWait, dialog);
        Check(question && GetWindow(question, GW_OWNER) == dialog, name + ": the dialog asks before replacing",
              question ? MessageText(question) : "no question");
        if (question) PostMessageA(question, WM_COMMAND, IDYES, 0);
    }
    const bool closed = WaitForWindowGone(dialog, kDialogWait);
    Sync(app);
    return Check(closed, name + ": file dialog closes", "still open: " + MessageText(FindDialog(app, dialog)));
}

// The message the command ends with, then OK; or none.
void ExpectMessage(const App& app, const std::string& name, const Words& text, const Words& caption, IconKind icon) {
    HWND box = WaitForDialog(app, kDialogWait);
    ExpectMessageBox(box, name, text, caption, icon, false);
    if (box) CloseDialog(box, IDOK);
}

void ExpectNoMessage(const App& app, const std::string& name) {
    HWND box = WaitForDialog(app, kQuiet);
    Check(box == nullptr, name + ": no message", box ? MessageText(box) : "");
    if (box) CloseDialog(box, IDOK);
}

// X cells then Y cells of the first pairs, "x1|x2|.. / y1|y2|..".
std::string Pairs(const App& app, int count) {
    return CellTextsOf(app, 101, count) + " / " + CellTextsOf(app, 146, count);
}

std::string AllCells(const App& app) { return Pairs(app, 45); }

std::string ExpectedCells(const Rows& rows) {
    std::string x, y;
    for (int i = 0; i < 45; ++i) {
        x += (i ? "|" : "") + (i < static_cast<int>(rows.size()) ? rows[i].first : std::string());
        y += (i ? "|" : "") + (i < static_cast<int>(rows.size()) ? rows[i].second : std::string());
    }
    return x + " / " + y;
}

// ---- Read Data ----------------------------------------------------------------------------------

// Read Data of one file; the message it must end with, if any.
void ReadDataFrom(const App& app, const std::string& name, const std::string& path, const Words* message) {
    PostCommand(app, kReadData);
    if (!AnswerFileDialog(app, name, kReadTitle, path, Overwrite::NotAsked)) return;
    if (message) ExpectMessage(app, name + ": message", *message, kErrorCaption, IconKind::Error);
    else ExpectNoMessage(app, name);
}

void ReadDataFiles() {
    const std::string name = "read data";
    App app;
    if (!LaunchOrFail(app, name) || !OpenDataInput(app, name)) return;
    struct Case {
        const char* file;
        std::string bytes;
        Rows pairs;
    };
    std::string fifty;
    Rows first45;
    for (int i = 1; i <= 50; ++i) {
        fifty += std::to_string(i) + " " + std::to_string(100 + i) + "\r\n";
        if (i <= 45) first45.push_back({std::to_string(i), std::to_string(100 + i)});
    }
    const Case cases[] = {
        {"separators.txt", "1 2\r\n3,4\r\n5 , 6\r\n  7  \t  8  \r\n", {{"1", "2"}, {"3", "4"}, {"5", "6"}, {"7", "8"}}},
        {"fifty.txt", fifty, first45},
        {"lf-only.txt", "1 2\n3 4\n-5 6", {{"1", "2"}, {"3", "4"}, {"-5", "6"}}},
        {"skipped.txt", "     X  \t     Y  \r\n1 2\r\n\r\n1 2 3\r\n5 6\r\n1.5e3 2\r\n--3 4\r\n7 8",
         {{"1", "2"}, {"5", "6"}, {"7", "8"}}},
        {"long.txt", "12345678901234 2\r\n1.2345678901234 5\r\n3 -12345678.905\r\n123456789012.5 4\r\n1.2.3 9\r\n",
         {{"1.23456789", "5"}, {"3", "-12345678."}}},
        {"notepad-mac.txt", "\xEF\xBB\xBF" "1 2\r3 4\r\r\n5 6\r", {{"1", "2"}, {"3", "4"}, {"5", "6"}}},
    };
    for (const Case& c : cases) {
        const std::string path = PathOf(c.file);
        WriteFileBytes(path, c.bytes);
        ReadDataFrom(app, name + " " + c.file, path, nullptr);
        Check(AllCells(app) == ExpectedCells(c.pairs), name + " " + c.file + ": cells", Pairs(app, 6));
        Remove(path);
    }
    Screenshot("data-read", {app.main});

    // The Read Data button's strip is repainted, the view stays.
    Check(EnabledPattern(app) == kDataInputButtons, name + ": still data input", EnabledPattern(app));

    // Cancel: nothing changes and nothing is said.
    const std::string before = AllCells(app);
    PostCommand(app, kReadData);
    AnswerFileDialog(app, name + " cancel", kReadTitle, "", Overwrite::NotAsked);
    ExpectNoMessage(app, name + " cancel");
    Check(AllCells(app) == before, name + " cancel: cells unchanged", Pairs(app, 4));

    // A name that is not there: the message, nothing changed.
    ReadDataFrom(app, name + " missing", PathOf("not-there.txt"), &kNoSuchFile);
    Check(AllCells(app) == before, name + " missing: cells unchanged", Pairs(app, 4));

    // An empty file empties the grid, then says so.
    const std::string empty = PathOf("empty.txt");
    WriteFileBytes(empty, "");
    ReadDataFrom(app, name + " empty", empty, &kNoDataInFile);
    Check(AllCells(app) == ExpectedCells({}), name + " empty: grid emptied", Pairs(app, 4));
    Remove(empty);
    Finish(app);
}

// ---- Paste Data ---------------------------------------------------------------------------------

std::string ColumnList(HWND dialog, int box) {
    HWND combo = GetDlgItem(dialog, box);
    DWORD_PTR count = 0;
    SendMessageTimeoutA(combo, CB_GETCOUNT, 0, 0, SMTO_ABORTIFHUNG, 2000, &count);
    std::string list;
    for (int i = 0; i < static_cast<int>(count); ++i) {
        wchar_t item[32] = {};
        DWORD_PTR length = 0;
        SendMessageTimeoutW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(item), SMTO_ABORTIFHUNG, 2000, &length);
        list += (list.empty() ? "" : ",") + Utf8(item);
    }
    return list;
}

void SetColumn(HWND dialog, int box, const std::string& text) {
    HWND combo = GetDlgItem(dialog, box);
    SendMessageTimeoutA(combo, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), SMTO_ABORTIFHUNG, 2000, nullptr);
    SendMessageTimeoutA(dialog, WM_COMMAND, MAKEWPARAM(box, CBN_EDITCHANGE), reinterpret_cast<LPARAM>(combo),
                        SMTO_ABORTIFHUNG, 2000, nullptr);
}

std::string Proposals(HWND dialog) {
    return ControlText(GetDlgItem(dialog, kXColumnBox)) + "," + ControlText(GetDlgItem(dialog, kYColumnBox));
}

// Paste Data of a text; with more than two columns the dialog is answered with x and y.
void Paste(const App& app, const std::string& name, const std::string& text, const Words* message) {
    PutClipboardText(text);
    PostCommand(app, kPasteData);
    if (message) {
        HWND box = WaitForDialog(app, kDialogWait);
        ExpectMessageBox(box, name + ": message", *message, kErrorCaption, IconKind::Error, false);
        if (box) CloseDialog(box, IDOK);
    } else {
        Sync(app);
        ExpectNoMessage(app, name);
    }
}

void PasteData() {
    const std::string name = "paste";
    App app;
    if (!LaunchOrFail(app, name) || !OpenDataInput(app, name)) return;
    TypeRows(app, {{"9", "9"}, {"8", "8"}, {"7", "7"}});

    Paste(app, name + " two columns", "1\t2\r\n 1.5 \t -2 \r\n", nullptr);
    Check(AllCells(app) == ExpectedCells({{"1", "2"}, {"1.5", "-2"}}), name + " two columns: cells, the rest empty",
          Pairs(app, 4));

    // The clipboard held by another program for a moment: the paste still reads it.
    PutClipboardText("5\t6\r\n");
    if (OpenClipboard(nullptr)) {
        PostCommand(app, kPasteData);
        Sleep(40);
        CloseClipboard();
    }
    Sync(app);
    ExpectNoMessage(app, name + " clipboard held");
    Check(AllCells(app) == ExpectedCells({{"5", "6"}}), name + " clipboard held for a moment: pasted", Pairs(app, 2));

    // Three columns: the dialog proposes 1 and 3; X = 2, Y = 3.
    const std::string three = "1\t2\t3\r\n4\t5\t6\r\n7\t\t9\r\n";
    PutClipboardText(three);
    PostCommand(app, kPasteData);
    HWND dialog = WaitForDialog(app, kDialogWait);
    if (!Check(dialog != nullptr, name + " three columns: column dialog", "none")) return;
    std::string seen;
    Check(SaysWords(dialog, kColumnTitle, true, &seen), name + ": column dialog title", seen);
    Check(Proposals(dialog) == "1,3" && ColumnList(dialog, kXColumnBox) == "1,2,3" &&
              ColumnList(dialog, kYColumnBox) == "1,2,3",
          name + ": first proposals 1 and 3, lists 1..3",
          Proposals(dialog) + " lists " + ColumnList(dialog, kXColumnBox) + " / " + ColumnList(dialog, kYColumnBox));
    SetColumn(dialog, kXColumnBox, "7");
    Check(Proposals(dialog) == "1,3", name + ": a number not listed turns into the default", Proposals(dialog));
    Screenshot("data-column-dialog", {app.main, dialog});
    SetColumn(dialog, kXColumnBox, "1");
    SetColumn(dialog, kYColumnBox, "3");
    CloseDialog(dialog, IDOK);
    Sync(app);
    ExpectNoMessage(app, name + " X 1 Y 3");
    Check(AllCells(app) == ExpectedCells({{"1", "3"}, {"4", "6"}, {"7", "9"}}),
          name + " X 1 Y 3: the middle column skipped, its empty cell accepted", Pairs(app, 4));

    // X = 3, Y = 2: the warning, then the same proposals again; then X = 2, Y = 3.
    PutClipboardText("1\t2\t3\r\n4\t5\t6\r\n");
    PostCommand(app, kPasteData);
    dialog = WaitForDialog(app, kDialogWait);
    if (!Check(dialog != nullptr, name + " X 3 Y 2: dialog", "none")) return;
    Check(Proposals(dialog) == "1,3", name + ": the accepted numbers proposed", Proposals(dialog));
    SetColumn(dialog, kXColumnBox, "3");
    SetColumn(dialog, kYColumnBox, "2");
    CloseDialog(dialog, IDOK);
    HWND box = WaitForDialog(app, kDialogWait);
    ExpectMessageBox(box, name + " X 3 Y 2: warning", kYColumnNotLarger, kWarningCaption, IconKind::Warning, false);
    if (box) CloseDialog(box, IDOK);
    dialog = WaitForDialog(app, kDialogWait);
    Check(dialog && Proposals(dialog) == "1,3", name + " X 3 Y 2: the dialog again with the same proposals",
          dialog ? Proposals(dialog) : "none");
    if (dialog) {
        SetColumn(dialog, kXColumnBox, "2");
        SetColumn(dialog, kYColumnBox, "3");
        CloseDialog(dialog, IDOK);
    }
    Sync(app);
    ExpectNoMessage(app, name + " X 2 Y 3");
    Check(AllCells(app) == ExpectedCells({{"2", "3"}, {"5", "6"}}), name + " X 2 Y 3: the first column skipped",
          Pairs(app, 3));

    // Next paste proposes 2 and 3; an emptied X box reads as 1; Cancel then changes nothing.
    PutClipboardText("1\t2\t3\r\n4\t5\t6\r\n");
    PostCommand(app, kPasteData);
    dialog = WaitForDialog(app, kDialogWait);
    Check(dialog && Proposals(dialog) == "2,3", name + ": the last accepted numbers proposed",
          dialog ? Proposals(dialog) : "none");
    if (dialog) CloseDialog(dialog, IDCANCEL);
    Sync(app);
    ExpectNoMessage(app, name + " cancel");
    Check(AllCells(app) == ExpectedCells({{"2", "3"}, {"5", "6"}}), name + " cancel: cells unchanged", Pairs(app, 3));
    PutClipboardText("1\t2\t3\r\n4\t5\t6\r\n");
    PostCommand(app, kPasteData);
    dialog = WaitForDialog(app, kDialogWait);
    if (dialog) {
        SendMessageTimeoutA(GetDlgItem(dialog, kXColumnBox), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(""),
                            SMTO_ABORTIFHUNG, 2000, nullptr);
        CloseDialog(dialog, IDOK);
    }
    Sync(app);
    ExpectNoMessage(app, name + " empty X box");
    Check(AllCells(app) == ExpectedCells({{"1", "3"}, {"4", "6"}}), name + " empty X box: read as column 1",
          Pairs(app, 3));

    // Faults: each message, and no cell changed, also when earlier rows were good.
    const std::string kept = AllCells(app);
    struct Fault {
        const char* what;
        std::string text;
        const Words* message;
    };
    const Fault faults[] = {
        {"thousands separator", "1\t2\r\n1,234\t5\r\n", &kIncorrectClipboardData},
        {"two points", "1\t2\r\n3\t4\r\n1.2.3\t5\r\n", &kNotNumerical},
        {"11 digits", "1\t2\r\n12345678901\t5\r\n", &kMoreThanTenCharacters},
        {"empty cell", "1\t2\r\n3\t\r\n", &kMissingDatum},
        {"no line end", "1\t2", &kIncorrectClipboardData},
        {"extra empty line", "1\t2\r\n\r\n", &kMissingDatum},
    };
    for (const Fault& fault : faults) {
        Paste(app, name + " " + fault.what, fault.text, fault.message);
        Check(AllCells(app) == kept, name + " " + fault.what + ": no cell changed", Pairs(app, 3));
    }
    Paste(app, name + " ten characters", "1234567890\t-1.2345678\r\n", nullptr);
    Check(AllCells(app) == ExpectedCells({{"1234567890", "-1.2345678"}}), name + ": ten characters taken",
          Pairs(app, 2));

    // 50 rows: pairs 1..45 from rows 1..45; a fault in row 46 changes nothing.
    std::string rows50, bad46;
    Rows first45;
    for (int i = 1; i <= 50; ++i) {
        const std::string row = std::to_string(i) + "\t" + std::to_string(-i) + "\r\n";
        rows50 += row;
        bad46 += i == 46 ? std::string("46\t4.6.\r\n") : row;
        if (i <= 45) first45.push_back({std::to_string(i), std::to_string(-i)});
    }
    Paste(app, name + " 50 rows", rows50, nullptr);
    Check(AllCells(app) == ExpectedCells(first45), name + " 50 rows: pairs 1..45", Pairs(app, 2));
    Paste(app, name + " 10 rows", "1\t2\r\n3\t4\r\n", nullptr);
    Paste(app, name + " fault in row 46", bad46, &kNotNumerical);
    Check(AllCells(app) == ExpectedCells({{"1", "2"}, {"3", "4"}}), name + " fault in row 46: no cell changed",
          Pairs(app, 3));

    // No text on the clipboard.
    PutClipboardText("", true);
    PostCommand(app, kPasteData);
    box = WaitForDialog(app, kDialogWait);
    ExpectMessageBox(box, name + " no text: message", kNoClipboardData, kErrorCaption, IconKind::Error, false);
    if (box) CloseDialog(box, IDOK);
    Check(EnabledPattern(app) == kDataInputButtons, name + ": still data input", EnabledPattern(app));
    Finish(app);
}

// ---- Save Data and the round trip -----------------------------------------------------------------

void SaveAndReadBack() {
    const std::string name = "save data";
    App app;
    if (!LaunchOrFail(app, name) || !OpenDataInput(app, name)) return;
    const Rows rows = {{"2", "5"}, {"1", "6"}, {"1.50", "3"}, {"4", "-1"}};
    TypeRows(app, rows);
    auto fit = [&](const std::string& step) {
        HWND dialog = OpenFitDialog(app);
        if (!Check(dialog != nullptr, step + ": fit dialog", "none")) return false;
        TypeOver(DegreeEdit(dialog), "2");
        ClickDigits(dialog, 4);
        CloseDialog(dialog, IDOK);
        return Check(WaitForButtons(app, kEquationButtons), step + ": equation", EnabledPattern(app));
    };
    if (!fit(name)) return;
    const std::string equation =
        ReferenceEquation({{1, 6}, {1.5, 3}, {2, 5}, {4, -1}}, /*degree=*/2, /*digits=*/4, Japanese());

    // The bytes of the file, pair by pair in ascending X, texts as typed.
    std::string expected = "     X  \t     Y  \r\n";
    for (const char* line : {"1  \t     6", "1.50  \t     3", "2  \t     5", "4  \t     -1"})
        expected += std::string("     ") + line + "  \r\n";
    expected += "EQUATION\r\n";
    for (size_t i = 0; i < equation.size(); ++i) {
        if (i > 0 && equation[i] == '\n') expected += '\r';
        expected += equation[i];
    }
    expected += " \r\n";

    // Cancel writes nothing.
    PostCommand(app, kSaveData);
    AnswerFileDialog(app, name + " cancel", kSaveTitle, "", Overwrite::NotAsked);
    ExpectNoMessage(app, name + " cancel");

    const std::string saved = PathOf("saved.txt");
    Remove(saved);
    PostCommand(app, kSaveData);
    if (AnswerFileDialog(app, name, kSaveTitle, PathOf("saved"), Overwrite::NotAsked)) ExpectNoMessage(app, name);
    const std::string bytes = ReadFileBytes(saved);
    Check(bytes == expected, name + ": a name without extension saved as .txt, byte for byte",
          Visible(bytes) + " expected " + Visible(expected));
    PostCommand(app, kSaveData);
    if (AnswerFileDialog(app, name + " again", kSaveTitle, saved, Overwrite::Yes)) ExpectNoMessage(app, name + " again");
    Check(ReadFileBytes(saved) == expected, name + " again: the same bytes", Visible(ReadFileBytes(saved)));

    // Refused: another extension; a read-only file.
    const std::string xls = PathOf("data.xls");
    Remove(xls);
    PostCommand(app, kSaveData);
    if (AnswerFileDialog(app, name + " xls", kSaveTitle, xls, Overwrite::NotAsked))
        ExpectMessage(app, name + " xls", kNeedTxt, kErrorCaption, IconKind::Warning);
    Check(ReadFileBytes(xls) == "<missing>", name + " xls: nothing written", "written");
    const std::string locked = PathOf("read-only.txt");
    WriteFileBytes(locked, "old\r\n");
    SetFileAttributesA(locked.c_str(), FILE_ATTRIBUTE_READONLY);
    PostCommand(app, kSaveData);
    if (AnswerFileDialog(app, name + " read-only", kSaveTitle, locked, Overwrite::Yes))
        ExpectMessage(app, name + " read-only", kCannotCreate, kErrorCaption, IconKind::Error);
    Check(ReadFileBytes(locked) == "old\r\n", name + " read-only: the old file intact", Visible(ReadFileBytes(locked)));
    Remove(locked);
    Check(EnabledPattern(app) == kEquationButtons, name + ": the equation view stays", EnabledPattern(app));

    // Round trip: Input Data (Yes), Read Data, Analysis: the same equation.
    PostCommand(app, kInputData);
    HWND box = WaitForDialog(app, kDialogWait);
    if (box) CloseDialog(box, IDYES);
    Check(WaitForButtons(app, kDataInputButtons) && AllCells(app) == ExpectedCells({}), name + ": Yes empties the grid",
          Pairs(app, 4));
    ReadDataFrom(app, name + " read back", saved, nullptr);
    Check(AllCells(app) == ExpectedCells({{"1", "6"}, {"1.50", "3"}, {"2", "5"}, {"4", "-1"}}),
          name + " read back: the saved pairs in order", Pairs(app, 5));
    if (fit(name + " read back")) {
        std::string shown;
        Check(EquationShows(app, equation, &shown), name + " read back: the same equation", shown);
    }
    Remove(saved);
    Finish(app);
}

const Scenario kDataScenarios[] = {
    {"read-data", ReadDataFiles},
    {"paste-data", PasteData},
    {"save-data", SaveAndReadBack},
};

static const bool registered = RegisterScenarios(kDataScenarios);

}  // namespace

}  // namespace e2e
