#include "scenarios.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "harness.h"
#include "reference_equation.h"
#include "scenario_support.h"
#include "base/platform.h"
#include "base/toolbar_layout.h"
#include "base/window_layout.h"

namespace e2e {

namespace {

// ---- Scenarios -----------------------------------------------------------------------------------

void StartUp() {
    App app;
    if (!LaunchOrFail(app, "startup")) return;
    char className[64] = {};
    GetClassNameA(app.main, className, sizeof className);
    Check(std::string(className) == "TAVRO_95", "startup: window class", className);
    Check(WindowCaption(app.main) == "Plorimet", "startup: title", WindowCaption(app.main));

    const GridLayout layout = ExpectedLayout();
    const int height = GetSystemMetrics(SM_CYCAPTION) + 2 * GetSystemMetrics(SM_CYDLGFRAME) + 20 +
                       18 * layout.rowHeight;
    const int x = (GetSystemMetrics(SM_CXSCREEN) - 636) / 2;
    const int y = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
    RECT r{};
    GetWindowRect(app.main, &r);
    Check(r.left == x && r.top == y && r.right - r.left == 636 && r.bottom - r.top == height,
          "startup: centred, 636 wide, height from the font", Describe(r) + " expected " +
          Describe(RECT{x, y, x + 636, y + height}));
    const LONG style = GetWindowLongA(app.main, GWL_STYLE);
    Check((style & WS_SYSMENU) && (style & WS_MINIMIZEBOX) && (style & WS_CAPTION) == WS_CAPTION &&
              !(style & WS_MAXIMIZEBOX) && !(style & WS_THICKFRAME),
          "startup: captioned, system menu, minimise box only", std::to_string(style));

    // Tool bar: along the top, as wide as the screen, buttons tiled from the left.
    const RECT bar = ChildRect(app.bar);
    const int border = GetSystemMetrics(SM_CYBORDER);
    Check(bar.left == 0 && bar.top == 0 && bar.right == GetSystemMetrics(SM_CXSCREEN) && bar.bottom == border + 20,
          "startup: tool bar position", Describe(bar));
    std::string placement;
    for (const plorimet::ToolbarButton& b : plorimet::ToolbarButtons()) {
        HWND button = ToolbarButton(app, b.controlId);
        const RECT br = button ? ChildRect(button) : RECT{};
        if (!button || br.left != b.x || br.top != border ||
            br.right - br.left != plorimet::ButtonWidth(b, GetSystemMetrics(SM_CXSCREEN)) ||
            br.bottom - br.top != 20) {
            placement += std::string(b.stem) + Describe(br) + " ";
        }
    }
    Check(placement.empty(), "startup: thirteen buttons in place", placement);
    Check(EnabledPattern(app) == kInitialButtons, "startup: only Input Data, About, Help, Exit enabled",
          EnabledPattern(app));

    // The cells exist, empty, limited to 10 characters, out of view to the right.
    std::string cells;
    for (int index = 0; index < plorimet::kCellCount; ++index) {
        const int id = 101 + index;
        HWND cell = Cell(app, id);
        char name[16] = {};
        if (cell) GetClassNameA(cell, name, sizeof name);
        const plorimet::Point home = plorimet::CellPosition(layout, index, 636);
        const RECT cr = cell ? ChildRect(cell) : RECT{};
        DWORD_PTR limit = 0;
        if (cell) SendMessageTimeoutA(cell, EM_GETLIMITTEXT, 0, 0, SMTO_ABORTIFHUNG, 2000, &limit);
        const LONG cellStyle = cell ? GetWindowLongA(cell, GWL_STYLE) : 0;
        const LONG cellExStyle = cell ? GetWindowLongA(cell, GWL_EXSTYLE) : 0;
        if (!cell || lstrcmpiA(name, "Edit") != 0 || cr.left != home.x || cr.top != home.y ||
            cr.right - cr.left != 100 || cr.bottom - cr.top != layout.rowHeight || limit != 10 ||
            !ControlText(cell).empty() || !(cellStyle & ES_AUTOHSCROLL) ||
            (cellStyle & ES_MULTILINE) || !(cellExStyle & WS_EX_STATICEDGE)) {
            cells += std::to_string(id) + Describe(cr) + " limit " + std::to_string(limit) + "; ";
        }
    }
    Check(cells.empty(), "startup: 90 empty cells out of view, 10 characters each", cells);

    // The start picture, centred in the client area.
    RECT client{};
    GetClientRect(app.main, &client);
    const plorimet::Point p = plorimet::StartPictureOrigin(client.right, client.bottom);
    const Image expected = LoadProgramBitmap("IBMP_1");
    const Image shown = CaptureClient(app.main, p.x, p.y, 253, 221);
    Check(!expected.empty() && CountDifferences(shown, expected) == 0, "startup: start picture",
          expected.empty() ? "no IBMP_1 in the program"
                           : std::to_string(CountDifferences(shown, expected)) + " pixels differ");

    // Button faces of the platform's bitmap set: In for the disabled ones, Up for the others.
    const std::string set = ExpectedBitmapSet();
    Note("bitmap set '" + set + "'");
    std::string faces;
    const Image barImage = CaptureClient(app.main, 0, 0, client.right, border + 20);
    for (const plorimet::ToolbarButton& b : plorimet::ToolbarButtons()) {
        const bool enabled = b.enabling == plorimet::Enabling::Always;
        const Image face = LoadProgramBitmap(plorimet::BitmapName(b.stem, set, enabled ? plorimet::Face::Up
                                                                                       : plorimet::Face::In));
        const int width = std::min(plorimet::ButtonWidth(b, GetSystemMetrics(SM_CXSCREEN)),
                                   static_cast<int>(client.right) - b.x);
        const int differences = CountDifferences(Crop(barImage, b.x, border, width, 20), Crop(face, 0, 0, width, 20));
        if (differences != 0) faces += std::string(b.stem) + "=" + std::to_string(differences) + " ";
    }
    Check(faces.empty(), "startup: button faces of set '" + set + "'", faces);
    if (!set.empty()) {
        // The sets differ in the button face colour: the plain set must not be what shows.
        const Image plain = LoadProgramBitmap("ReadIn");
        Check(CountDifferences(Crop(barImage, 48, border, 32, 20), plain) > 0,
              "startup: Read button differs from the plain set", "same pixels as ReadIn");
    }
    Screenshot("1-start", {app.main});
    Finish(app);
}

void DataInputView() {
    App app;
    if (!LaunchOrFail(app, "input data")) return;
    PostCommand(app, kInputData);
    Sync(app);
    Check(WaitForDialog(app, kQuiet) == nullptr, "input data: no question on an empty data set",
          "a dialog appeared");
    Check(WaitForButtons(app, kDataInputButtons), "input data: Read, Paste, Analysis enabled", EnabledPattern(app));
    ParkMouse(app);

    const GridLayout layout = ExpectedLayout();
    std::string misplaced;
    for (int index = 0; index < plorimet::kCellCount; ++index) {
        const plorimet::Point home = plorimet::CellPosition(layout, index, 0);
        const RECT r = ChildRect(Cell(app, 101 + index));
        if (r.left != home.x || r.top != home.y) misplaced += std::to_string(101 + index) + Describe(r) + " ";
    }
    Check(misplaced.empty(), "input data: cells at home", misplaced);

    // The headings, each drawn where the grid's columns are.
    std::string headings;
    for (int column = 0; column < plorimet::kColumnCount; ++column) {
        const plorimet::Point p = plorimet::HeadingPosition(layout, column);
        const std::string letter = plorimet::HeadingText(column);
        const Image expected = RenderText(letter, 12, layout.rowHeight - 2);
        const Image shown = CaptureClient(app.main, p.x, p.y, 12, layout.rowHeight - 2);
        const int differences = CountDifferences(shown, expected);
        if (differences != 0 || CountNotColour(shown, 0xFFFFFF) == 0) {
            headings += letter + "@" + std::to_string(p.x) + ": " + std::to_string(differences) + " ";
        }
    }
    Check(headings.empty(), "input data: column headings X Y X Y X Y", headings);

    RECT client{};
    GetClientRect(app.main, &client);
    const plorimet::Point p = plorimet::StartPictureOrigin(client.right, client.bottom);
    const Image picture = LoadProgramBitmap("IBMP_1");
    Check(CountDifferences(CaptureClient(app.main, p.x, p.y, 253, 221), picture) != 0,
          "input data: start picture gone", "still shown");

    // Pressing Input Data again in the grid view asks nothing and keeps the grid.
    PostCommand(app, kInputData);
    Sync(app);
    Check(WaitForDialog(app, kQuiet) == nullptr && EnabledPattern(app) == kDataInputButtons,
          "input data: again, still the grid", EnabledPattern(app));
    Screenshot("2-data-input", {app.main});

    PostCommand(app, kExit);
    Check(WaitForExit(app, 5000) == 0, "input data: Exit ends with 0", "still running or other code");
    Finish(app);
}

void CellRule() {
    App app;
    if (!LaunchOrFail(app, "cell rule") || !OpenDataInput(app, "cell rule")) return;
    struct Typed {
        int cell;
        const char* keys;
        const char* kept;
    };
    const Typed cases[] = {
        {101, "1e5", "15"},          {102, "1-", "1"},   {103, "--", "-"}, {104, "1.2.", "1.2"},
        {105, "-.", "-."},           {106, "-1.5", "-1.5"}, {107, "+3", "3"}, {108, "1 2", "12"},
        {109, "12345678901", "1234567890"},  // the eleventh key is refused by the limit
        {146, "0.001", "0.001"},     {147, "2-", "2"},
    };
    for (const Typed& c : cases) {
        HWND cell = Cell(app, c.cell);
        TypeKeys(cell, c.keys);
        const std::string text = ControlText(cell);
        Check(text == c.kept, std::string("cell rule: typing '") + c.keys + "' leaves '" + c.kept + "'", text);
    }

    // After a refused key the whole text is selected, so that the next key replaces it.
    HWND cell = Cell(app, 110);
    TypeKeys(cell, "7x");
    DWORD start = 0, end = 0;
    SendMessageTimeoutA(cell, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end),
                        SMTO_ABORTIFHUNG, 2000, nullptr);
    Check(ControlText(cell) == "7" && start == 0 && end == 1, "cell rule: text selected after a refused key",
          "'" + ControlText(cell) + "' selection " + std::to_string(start) + ".." + std::to_string(end));

    // The platform's paste: the check removes characters from the end until the rest obeys.
    HWND pasteCell = Cell(app, 111);
    Check(PasteText(pasteCell, "abc12"), "cell rule: clipboard ready", "could not set the clipboard");
    Check(ControlText(pasteCell).empty(), "cell rule: pasting 'abc12' leaves nothing", ControlText(pasteCell));
    HWND goodPaste = Cell(app, 112);
    PasteText(goodPaste, "-12.5");
    Check(ControlText(goodPaste) == "-12.5", "cell rule: pasting '-12.5' keeps it", ControlText(goodPaste));
    HWND tailPaste = Cell(app, 113);
    PasteText(tailPaste, "12.5.3");
    Check(ControlText(tailPaste) == "12.5", "cell rule: pasting '12.5.3' leaves '12.5'", ControlText(tailPaste));
    Screenshot("3-cell-rule", {app.main});
    Finish(app);
}

void FitDialogDegrees() {
    App app;
    if (!LaunchOrFail(app, "fit dialog") || !OpenDataInput(app, "fit dialog")) return;
    TypeRows(app, {{"1", "2"}, {"2", "3"}, {"3", "5"}});
    HWND dialog = OpenFitDialog(app);
    if (!Check(dialog != nullptr, "fit dialog: opens on Analysis", "no dialog")) return;
    Check(WindowCaption(dialog) == "Plorimet", "fit dialog: title", WindowCaption(dialog));

    const std::vector<std::wstring> texts = ChildTextsW(dialog);
    auto has = [&](const std::wstring& t) { return std::find(texts.begin(), texts.end(), t) != texts.end(); };
    if (Japanese()) {
        Check(has(L"係数の桁数") && has(L"近似式の次数") && has(L"ｷｬﾝｾﾙ") &&
                  has(L"近似式の次数 <= １０\nの適用を推奨します."),
              "fit dialog: Japanese template", "texts do not match");
    } else {
        Check(has(L"Digits of Coefficient") && has(L"Degree of Equation") && has(L"Cancel") &&
                  has(L"It is recommended to apply\nDegree of Equation <= 10."),
              "fit dialog: English template", "texts do not match");
    }
    Check(DegreeList(dialog) == "2,1", "fit dialog: 3 pairs list degrees 2,1", DegreeList(dialog));
    Check(ControlText(GetDlgItem(dialog, kDegreeCombo)) == "2", "fit dialog: 3 pairs propose 2",
          ControlText(GetDlgItem(dialog, kDegreeCombo)));
    Check(CheckedDigits(dialog) == "1000", "fit dialog: 3 digits checked at first", CheckedDigits(dialog));
    Screenshot("4-fit-dialog", {app.main, dialog});

    ClickDigits(dialog, 5);
    Check(CheckedDigits(dialog) == "0010", "fit dialog: clicking 5 checks only 5", CheckedDigits(dialog));
    Check(CloseDialog(dialog, IDCANCEL), "fit dialog: Cancel closes it", "still open");
    Sync(app);
    Check(WaitForDialog(app, kQuiet) == nullptr && EnabledPattern(app) == kDataInputButtons,
          "fit dialog: Cancel shows nothing and keeps the grid", EnabledPattern(app));

    dialog = OpenFitDialog(app);
    Check(dialog && CheckedDigits(dialog) == "1000", "fit dialog: Cancel restored the digits",
          dialog ? CheckedDigits(dialog) : "no dialog");
    // The close box counts as Cancel too.
    ClickDigits(dialog, 6);
    PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    Check(WaitForWindowGone(dialog, kDialogWait), "fit dialog: close box closes it", "still open");
    dialog = OpenFitDialog(app);
    Check(dialog && CheckedDigits(dialog) == "1000", "fit dialog: close box restored the digits",
          dialog ? CheckedDigits(dialog) : "no dialog");
    CloseDialog(dialog, IDCANCEL);

    // 15 pairs: every degree up to 14 is listed, 10 is proposed.
    Rows fifteen;
    for (int k = 4; k <= 15; ++k) fifteen.push_back({std::to_string(k), std::to_string(k * k)});
    for (size_t r = 0; r < fifteen.size(); ++r) {
        TypeKeys(Cell(app, 104 + static_cast<int>(r)), fifteen[r].first);
        TypeKeys(Cell(app, 149 + static_cast<int>(r)), fifteen[r].second);
    }
    dialog = OpenFitDialog(app);
    if (!Check(dialog != nullptr, "fit dialog: opens with 15 pairs", "no dialog")) return;
    Check(DegreeList(dialog) == "14,13,12,11,10,9,8,7,6,5,4,3,2,1", "fit dialog: 15 pairs list 14..1",
          DegreeList(dialog));
    Check(ControlText(GetDlgItem(dialog, kDegreeCombo)) == "10", "fit dialog: 15 pairs propose 10",
          ControlText(GetDlgItem(dialog, kDegreeCombo)));
    CloseDialog(dialog, IDCANCEL);

    // 12 pairs (three rows emptied): typing 1 keeps it, 13 puts the default back.
    for (int id : {113, 114, 115}) SendMessageTimeoutA(Cell(app, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(""),
                                                       SMTO_ABORTIFHUNG, 2000, nullptr);
    dialog = OpenFitDialog(app);
    if (!Check(dialog != nullptr, "fit dialog: opens with 12 pairs", "no dialog")) return;
    HWND edit = DegreeEdit(dialog);
    TypeOver(edit, "1");
    Check(ControlText(edit) == "1", "fit dialog: typing 1 with 12 pairs keeps 1", ControlText(edit));
    TypeKeys(edit, "3");
    Check(ControlText(edit) == "10", "fit dialog: typing 13 with 12 pairs puts 10 back", ControlText(edit));
    TypeOver(edit, "0");
    Check(ControlText(edit) == "10", "fit dialog: typing 0 puts 10 back", ControlText(edit));
    TypeOver(edit, "x");
    Check(ControlText(edit) == "10", "fit dialog: typing a letter puts 10 back", ControlText(edit));
    TypeOver(edit, "11");
    Check(ControlText(edit) == "11", "fit dialog: typing 11 keeps it", ControlText(edit));
    TypeOver(edit, "12");
    Check(ControlText(edit) == "10", "fit dialog: typing 12 (beyond 11) puts 10 back", ControlText(edit));
    CloseDialog(dialog, IDCANCEL);
    Finish(app);
}

void EmptyGrid() {
    App app;
    if (!LaunchOrFail(app, "empty grid") || !OpenDataInput(app, "empty grid")) return;
    HWND dialog = OpenFitDialog(app);
    if (!Check(dialog != nullptr, "empty grid: the dialog still opens", "no dialog")) return;
    HWND combo = GetDlgItem(dialog, kDegreeCombo);
    Check(!IsWindowEnabled(combo) && ControlText(combo).empty() && DegreeList(dialog).empty(),
          "empty grid: degree field disabled and empty", "'" + ControlText(combo) + "' list '" + DegreeList(dialog) + "'");
    CloseDialog(dialog, IDCANCEL);
    Sync(app);
    Check(WaitForDialog(app, kQuiet) == nullptr, "empty grid: Cancel says nothing", "a message appeared");

    dialog = OpenFitDialog(app);
    CloseDialog(dialog, IDOK);
    HWND box = WaitForDialog(app, kDialogWait);
    ExpectMessageBox(box, "empty grid: OK", {"NO data inputted!", L"入力数値がありません!"}, kErrorCaption,
                     IconKind::Error, false);
    Screenshot("5-no-data", {app.main, box});
    if (box) CloseDialog(box, IDOK);
    Check(WaitForButtons(app, kDataInputButtons), "empty grid: still the grid", EnabledPattern(app));
    Finish(app);
}

void OneDataSet() {
    App app;
    if (!LaunchOrFail(app, "one pair") || !OpenDataInput(app, "one pair")) return;
    // Two usable rows with the same X; a row with only an X and one with "-" are skipped.
    TypeRows(app, {{"1", "2"}, {"5", ""}, {"1", "3"}, {"-", "4"}});
    HWND dialog = OpenFitDialog(app);
    if (!Check(dialog != nullptr, "one pair: dialog", "no dialog")) return;
    Check(!IsWindowEnabled(GetDlgItem(dialog, kDegreeCombo)), "one pair: degree field disabled", "enabled");
    CloseDialog(dialog, IDOK);
    HWND box = WaitForDialog(app, kDialogWait);
    ExpectMessageBox(box, "one pair: OK", {"Only one data set inputted!", L"入力数値が１組です!"}, kWarningCaption,
                     IconKind::Error, false);
    if (box) CloseDialog(box, IDOK);
    Finish(app);
}

void FivePairsFit() {
    App app;
    if (!LaunchOrFail(app, "fit") || !OpenDataInput(app, "fit")) return;
    // Five usable pairs out of order, a repeated X (dropped) and a row with only an X.
    const Rows rows = {{"3", "1"}, {"1", "2"}, {"2", "7"}, {"", "9"}, {"5", "4"}, {"2", "8"}, {"4", "0.5"}};
    TypeRows(app, rows);
    HWND dialog = OpenFitDialog(app);
    if (!Check(dialog != nullptr, "fit: dialog", "no dialog")) return;
    Check(DegreeList(dialog) == "4,3,2,1" && ControlText(GetDlgItem(dialog, kDegreeCombo)) == "4",
          "fit: five pairs list 4..1 and propose 4", DegreeList(dialog));
    TypeOver(DegreeEdit(dialog), "2");
    Check(ControlText(GetDlgItem(dialog, kDegreeCombo)) == "2", "fit: degree 2 typed",
          ControlText(GetDlgItem(dialog, kDegreeCombo)));
    ClickDigits(dialog, 4);
    CloseDialog(dialog, IDOK);
    Sync(app);
    Check(WaitForDialog(app, kQuiet) == nullptr, "fit: no message", MessageText(FindDialog(app)));
    Check(WaitForButtons(app, kEquationButtons), "fit: Save Data and Draw Graph enabled", EnabledPattern(app));

    // The least-squares quadratic of the five kept pairs (the second X of 2 and the row
    // without X are left out), with 4 digits, drawn where the program draws it.
    const std::string equation =
        ReferenceEquation({{1, 2}, {2, 7}, {3, 1}, {4, 0.5}, {5, 4}}, /*degree=*/2, /*digits=*/4, Japanese());
    Note("equation: " + Utf8(FromCodePage(equation, 932)));
    std::string seen;
    Check(EquationShows(app, equation, &seen), "fit: equation drawn in its rectangle", seen);
    const GridLayout layout = ExpectedLayout();
    std::string away;
    for (int index = 0; index < plorimet::kCellCount; ++index) {
        if (ChildRect(Cell(app, 101 + index)).left < 636) away += std::to_string(101 + index) + " ";
    }
    Check(away.empty(), "fit: cells moved out of view", away);
    Screenshot("6-equation", {app.main});

    // A repaint draws the same equation again.
    RedrawWindow(app.main, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE);
    Sync(app);
    Check(EquationShows(app, equation, &seen), "fit: equation repainted", seen);

    // Input Data: the question, then No keeps the kept pairs, sorted by X.
    PostCommand(app, kInputData);
    HWND box = WaitForDialog(app, kDialogWait);
    ExpectMessageBox(box,
                     "fit: Input Data asks",
                     {"Clear the window for data input,\nwith discarding previous inputted data?",
                      L"既入力値を廃棄して、\nデータ入力Windowをクリアーしますか？"},
                     kQuestionCaption, IconKind::Question, true);
    Screenshot("7-question", {app.main, box});
    if (box) CloseDialog(box, IDNO);
    Check(WaitForButtons(app, kDataInputButtons), "fit: No opens the grid", EnabledPattern(app));
    Check(CellTextsOf(app, 101, 6) == "1|2|3|4|5|" && CellTextsOf(app, 146, 6) == "2|7|1|0.5|4|",
          "fit: the grid shows the kept pairs sorted by X",
          CellTextsOf(app, 101, 6) + " / " + CellTextsOf(app, 146, 6));
    Screenshot("8-data-after-fit", {app.main});

    // Analysis again, then Yes empties the grid.
    dialog = OpenFitDialog(app);
    Check(dialog && ControlText(GetDlgItem(dialog, kDegreeCombo)) == "2", "fit: the last degree is offered again",
          dialog ? ControlText(GetDlgItem(dialog, kDegreeCombo)) : "no dialog");
    Check(dialog && CheckedDigits(dialog) == "0100", "fit: the last digits are checked again",
          dialog ? CheckedDigits(dialog) : "no dialog");
    CloseDialog(dialog, IDOK);
    Check(WaitForButtons(app, kEquationButtons), "fit: second fit shown", EnabledPattern(app));
    PostCommand(app, kInputData);
    box = WaitForDialog(app, kDialogWait);
    if (box) CloseDialog(box, IDYES);
    Check(WaitForButtons(app, kDataInputButtons), "fit: Yes opens the grid", EnabledPattern(app));
    std::string left;
    for (int id = 101; id <= 190; ++id) {
        if (!ControlText(Cell(app, id)).empty()) left += std::to_string(id) + " ";
    }
    Check(left.empty(), "fit: Yes empties every cell", left);
    Check(CountNotColour(CaptureClient(app.main, 5, layout.headingY + layout.rowHeight + 2, 620,
                                       layout.rowHeight * 16),
                         0xFFFFFF) > 0,
          "fit: grid drawn after Yes", "blank");
    Finish(app);
}

void ExactFit() {
    App app;
    if (!LaunchOrFail(app, "exact fit") || !OpenDataInput(app, "exact fit")) return;
    TypeRows(app, {{"", ""}, {"", ""}, {"1", "2"}, {"", ""}, {"", ""}, {"", ""}, {"3", "8"}});
    HWND dialog = OpenFitDialog(app);
    if (!Check(dialog != nullptr, "exact fit: dialog", "no dialog")) return;
    CloseDialog(dialog, IDOK);
    Check(WaitForButtons(app, kEquationButtons), "exact fit: equation view", EnabledPattern(app));
    std::string seen;
    Check(EquationShows(app, "Y = -1*X^0  +  3*X^1", &seen), "exact fit: the straight line through both points",
          seen);
    PostMessageA(app.main, WM_SYSCOMMAND, SC_CLOSE, 0);
    Check(WaitForExit(app, 5000) == 0, "exact fit: the close box ends with 0", "still running or other code");
    Finish(app);
}

void SecondInstance() {
    App first;
    if (!LaunchOrFail(first, "second instance")) return;
    App second;
    Check(Start(second), "second instance: started", "CreateProcess failed");
    int most = 0;
    DWORD code = STILL_ACTIVE;
    WaitUntil(
        [&] {
            most = std::max(most, CountMainWindows(true));
            code = WaitForExit(second, 0);
            return code != STILL_ACTIVE;
        },
        10000);
    Check(code == 0, "second instance: ends with 0", std::to_string(code));
    Check(most == 1, "second instance: shows no window", std::to_string(most) + " main windows");
    Check(FindDialog(first) == nullptr && EnabledPattern(first) == kInitialButtons,
          "second instance: the first is left alone", EnabledPattern(first));
    Finish(second);
    Finish(first);
}

// The desktop stand-in's control window and its requests (tools/desktop_standin).
constexpr char kStandInControl[] = "PlorimetDesktopStandIn";
constexpr UINT kRestoreDesktop = WM_APP + 0;
constexpr UINT kRemoveDesktop = WM_APP + 1;
constexpr UINT kBareDesktop = WM_APP + 2;

HWND DesktopListView() {
    HWND desktop = FindWindowA("Progman", nullptr);
    HWND view = desktop ? GetWindow(desktop, GW_CHILD) : nullptr;
    return view ? GetWindow(view, GW_CHILD) : nullptr;
}

void StartWithoutDesktop(const std::string& name) {
    App app;
    Check(Start(app), name + ": started", "CreateProcess failed");
    HWND box = WaitForDialog(app, 10000);
    ExpectMessageBox(box, name, {"Unable to find the SysListView Window.", L"SysListView32 Windowを見つけられません."},
                     kErrorCaption, IconKind::Error, false);
    Screenshot("9-" + name, {box});
    Check(CountMainWindows(true) == 0, name + ": no main window shown", std::to_string(CountMainWindows(true)));
    if (box) Press(box, IDOK);
    Check(WaitForExit(app, 5000) == 0, name + ": ends with 0", "still running or other code");
    Finish(app);
}

void NoDesktop() {
    HWND control = FindWindowA(kStandInControl, nullptr);
    if (!control) {
        Note("no desktop: skipped (no desktop stand-in to take away)");
        return;
    }
    PostMessageA(control, kRemoveDesktop, 0, 0);
    if (Check(WaitUntil([] { return FindWindowA("Progman", nullptr) == nullptr; }, 5000),
              "no desktop: desktop window taken away", "still there")) {
        StartWithoutDesktop("no-desktop");
    }
    PostMessageA(control, kBareDesktop, 0, 0);
    if (Check(WaitUntil([] { return FindWindowA("Progman", nullptr) && !DesktopListView(); }, 5000),
              "desktop without list view: set up", "not set up")) {
        StartWithoutDesktop("desktop-without-list-view");
    }
    PostMessageA(control, kRestoreDesktop, 0, 0);
    Check(WaitUntil([] { return DesktopListView() != nullptr; }, 5000), "no desktop: desktop given back",
          "not back");
}

void CommandsAndExit() {
    App app;
    if (!LaunchOrFail(app, "commands")) return;
    for (int id : {0, 100, 202, 214, 300}) PostCommand(app, id);
    Sync(app);
    Check(WaitForDialog(app, kQuiet) == nullptr && EnabledPattern(app) == kInitialButtons &&
              WaitForExit(app, 0) == STILL_ACTIVE,
          "commands: ids 0, 100, 202, 214, 300 do nothing", EnabledPattern(app));

    // The tool bar turns a click into the command.
    PostMessageA(ToolbarButton(app, 203), BM_CLICK, 0, 0);
    Check(WaitForButtons(app, kDataInputButtons), "commands: Input Data button opens the grid", EnabledPattern(app));
    PostMessageA(ToolbarButton(app, 213), BM_CLICK, 0, 0);
    Check(WaitForExit(app, 5000) == 0, "commands: Exit button ends with 0", "still running or other code");
    Finish(app);

    App again;
    if (!LaunchOrFail(again, "commands")) return;
    PostCommand(again, kExit);
    Check(WaitForExit(again, 5000) == 0, "commands: Exit at the start picture ends with 0",
          "still running or other code");
    Finish(again);
}

// A copy of the program whose fit settings dialogs cannot be found: the templates' names in
// the resource directory (UTF-16) are changed, the names the program asks for are not.
std::string ProgramWithoutFitDialog() {
    char temp[MAX_PATH] = {};
    GetTempPathA(sizeof temp, temp);
    const std::string folder = std::string(temp) + "plorimet-e2e-no-dialog";
    CreateDirectoryA(folder.c_str(), nullptr);
    const std::string copy = folder + "\\TAVRO_95.EXE";
    FILE* in = std::fopen(Settings().exe.c_str(), "rb");
    if (!in) return std::string();
    std::string bytes;
    char buffer[65536];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, in)) > 0;) bytes.append(buffer, n);
    std::fclose(in);
    const std::string name("S\0M\0O\0O\0T\0H\0I\0N\0G\0_\0D\0L\0G\0", 26);
    int renamed = 0;
    for (size_t at = bytes.find(name); at != std::string::npos; at = bytes.find(name, at + name.size())) {
        bytes[at + 16] = 'X';  // SMOOTHINX_DLG keeps the directory's order
        ++renamed;
    }
    FILE* out = std::fopen(copy.c_str(), "wb");
    if (!out) return std::string();
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
    return std::fclose(out) == 0 && written && renamed == 2 ? copy : std::string();
}

void DialogCannotBeShown() {
    const std::string copy = ProgramWithoutFitDialog();
    if (!Check(!copy.empty(), "no dialog: program copy without its fit dialogs", "could not make it")) return;
    const std::string exe = Settings().exe;
    Settings().exe = copy;
    App app;
    if (LaunchOrFail(app, "no dialog") && OpenDataInput(app, "no dialog")) {
        TypeRows(app, {{"1", "2"}, {"2", "3"}, {"3", "5"}});
        PostCommand(app, kAnalysis);
        HWND box = WaitForDialog(app, kDialogWait);
        ExpectMessageBox(box, "no dialog: Analysis", {"Unable to display dialog", L"ダイアログを表示できません"},
                         {"System Error", L"システム・エラー"}, IconKind::Error, false);
        if (box) {
            Check(GetWindow(box, GW_OWNER) == nullptr, "no dialog: message has no owner", "owned");
            Check((GetWindowLongA(box, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0, "no dialog: message is system-modal",
                  "not topmost");
            Screenshot("10-no-dialog", {app.main, box});
            CloseDialog(box, IDOK);
        }
        Sync(app);
        Check(WaitForDialog(app, kQuiet) == nullptr && EnabledPattern(app) == kDataInputButtons,
              "no dialog: the Analysis ends as if cancelled", EnabledPattern(app));
        PostCommand(app, kExit);
        Check(WaitForExit(app, 5000) == 0, "no dialog: Exit ends with 0", "still running or other code");
    }
    Finish(app);
    Settings().exe = exe;
}

const Scenario kScenarios[] = {
    {"startup", StartUp},
    {"input-data", DataInputView},
    {"cell-rule", CellRule},
    {"fit-dialog", FitDialogDegrees},
    {"empty-grid", EmptyGrid},
    {"one-pair", OneDataSet},
    {"fit", FivePairsFit},
    {"exact-fit", ExactFit},
    {"second-instance", SecondInstance},
    {"commands", CommandsAndExit},
    {"no-dialog", DialogCannotBeShown},
    {"no-desktop", NoDesktop},
};

double Milliseconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double Median(std::vector<double> values) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace

std::vector<ScenarioList>& ScenarioGroups() {
    static std::vector<ScenarioList> groups;
    return groups;
}

const Scenario* Scenarios(int* count) {
    // The window's own scenarios first, then those of each command group, in the order of
    // registration (one list per scenario file).
    static const std::vector<Scenario> all = [] {
        std::vector<Scenario> list(std::begin(kScenarios), std::end(kScenarios));
        for (const ScenarioList& group : ScenarioGroups()) list.insert(list.end(), group.first, group.first + group.count);
        return list;
    }();
    *count = static_cast<int>(all.size());
    return all.data();
}

void ExpectBitmapSet(const std::string& set, bool given) {
    g_expectedSet = set;
    g_setGiven = given;
}

void MeasureTimes(int repetitions) {
    std::vector<double> startup, toDialog, toEquation, toButtons, total;
    const Image picture = LoadProgramBitmap("IBMP_1");
    const GridLayout layout = ExpectedLayout();
    const EquationArea area = EquationAreaOf(layout);
    for (int i = 0; i < repetitions; ++i) {
        LARGE_INTEGER t0, t1, t2, t3, t4, t5;
        QueryPerformanceCounter(&t0);
        App app;
        if (!Start(app)) return;
        // Until the start picture is on the screen.
        HWND main = nullptr;
        WaitUntil(
            [&] {
                main = FindWindowA("TAVRO_95", "Plorimet");
                if (!main || !IsWindowVisible(main)) return false;
                RECT client{};
                GetClientRect(main, &client);
                const plorimet::Point p = plorimet::StartPictureOrigin(client.right, client.bottom);
                const Image shown = CaptureClient(main, p.x, p.y, 253, 221);
                return picture.empty() || CountDifferences(shown, picture) == 0;
            },
            15000);
        QueryPerformanceCounter(&t1);
        startup.push_back(Milliseconds(t0, t1));
        app.main = main;
        WaitUntil([&] { return (app.bar = FindWindowExA(main, nullptr, "IconBarWindow", nullptr)) != nullptr; }, 5000);
        WaitForInputIdle(app.process.hProcess, 5000);
        PostCommand(app, kInputData);
        WaitForButtons(app, kDataInputButtons);
        TypeRows(app, {{"3", "1"}, {"1", "2"}, {"2", "7"}, {"5", "4"}, {"4", "0.5"}});
        Sync(app);

        QueryPerformanceCounter(&t2);
        PostCommand(app, kAnalysis);
        HWND dialog = nullptr;
        WaitUntil([&] { return (dialog = FindDialog(app)) != nullptr; }, 5000);
        QueryPerformanceCounter(&t3);
        Press(dialog, IDOK);
        // The first text pixel of the equation (left of the first heading), polled without idling.
        const int probeHeight = layout.rowHeight;
        for (DWORD start = GetTickCount(); GetTickCount() - start < 5000;) {
            if (CountNotColour(CaptureClient(main, area.x, area.y, 40, probeHeight), 0xFFFFFF) > 0) break;
        }
        QueryPerformanceCounter(&t4);
        WaitUntil([&] { return EnabledPattern(app) == kEquationButtons; }, 5000);
        QueryPerformanceCounter(&t5);
        toDialog.push_back(Milliseconds(t2, t3));
        toEquation.push_back(Milliseconds(t3, t4));
        toButtons.push_back(Milliseconds(t3, t5));
        total.push_back(Milliseconds(t2, t4));
        Finish(app);
    }
    std::printf("measure startup_to_start_picture_ms median %.1f (of %d)\n", Median(startup), repetitions);
    std::printf("measure analysis_command_to_dialog_ms median %.1f\n", Median(toDialog));
    std::printf("measure analysis_ok_to_equation_on_screen_ms median %.1f\n", Median(toEquation));
    std::printf("measure analysis_ok_to_equation_buttons_ms median %.1f\n", Median(toButtons));
    std::printf("measure analysis_total_ms median %.1f (dialog answered at once)\n", Median(total));
    std::fflush(stdout);
}

}  // namespace e2e
