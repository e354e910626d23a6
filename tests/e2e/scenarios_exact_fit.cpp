// NIST's polynomial reference sets through the window: Read Data, Analysis at degree 5 with
// 6 digits; the equation on screen must be the text of NIST's certified coefficients (after
// the term check, which zeroes Wampler5's constant by design).
#include <windows.h>

#include <string>
#include <vector>

#include "fit/analysis.h"
#include "fit/equation.h"
#include "fit/fit_settings.h"
#include "harness.h"
#include "scenario_support.h"
#include "scenarios.h"

namespace e2e {

namespace {

constexpr int kReadData = 192;
constexpr int kFileNameBox = 0x47C;
const Words kReadTitle{"Select a file to read", L"読み込むファイル名の選択"};

// The repository's data folder as Wine sees it (its Z: drive is the root).
std::string NistFile(const std::string& name) {
    std::string path = std::string("Z:") + PLORIMET_NIST_DIR + "/" + name + ".txt";
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

// Read Data of one file through the real file dialog; no message may follow.
bool ReadDataFile(const App& app, const std::string& name, const std::string& path) {
    PostCommand(app, kReadData);
    HWND dialog = WaitForDialog(app, kDialogWait);
    if (!Check(dialog != nullptr, name + ": file dialog", "none")) return false;
    std::string seen;
    Check(SaysWords(dialog, kReadTitle, true, &seen), name + ": file dialog title", seen);
    SendMessageTimeoutA(GetDlgItem(dialog, kFileNameBox), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()),
                        SMTO_ABORTIFHUNG, 2000, nullptr);
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
    if (!Check(WaitForWindowGone(dialog, kDialogWait), name + ": file dialog closes", "still open")) return false;
    Sync(app);
    HWND box = WaitForDialog(app, kQuiet);
    if (box) CloseDialog(box, IDOK);
    return Check(box == nullptr, name + ": read without a message", box ? MessageText(box) : "");
}

void NistSets() {
    const std::string name = "nist";
    App app;
    if (!LaunchOrFail(app, name) || !OpenDataInput(app, name)) return Finish(app);
    struct Set {
        const char* name;
        std::vector<double> certified;
    };
    const Set sets[] = {
        {"Wampler1", {1, 1, 1, 1, 1, 1}},
        {"Wampler2", {1, 0.1, 0.01, 0.001, 0.0001, 0.00001}},
        {"Wampler3", {1, 1, 1, 1, 1, 1}},
        {"Wampler4", {1, 1, 1, 1, 1, 1}},
        {"Wampler5", {1, 1, 1, 1, 1, 1}},
    };
    const plorimet::UiLanguage language = Japanese() ? plorimet::UiLanguage::Japanese : plorimet::UiLanguage::English;
    for (const Set& set : sets) {
        const std::string step = name + " " + set.name;
        if (!ReadDataFile(app, step, NistFile(set.name))) continue;
        plorimet::CellTexts cells;
        for (int r = 0; r < plorimet::kMaxPairs; ++r) {
            cells.x[r] = ControlText(Cell(app, 101 + r));
            cells.y[r] = ControlText(Cell(app, 146 + r));
        }
        const plorimet::DataSet data = plorimet::CollectDataSet(cells);
        Check(data.pairCount == 21, step + ": 21 pairs in the grid", std::to_string(data.pairCount));

        plorimet::Coefficients certified{};
        std::copy(set.certified.begin(), set.certified.end(), certified.begin());
        plorimet::CheckTermValues(data, 6, certified);
        const std::string expected = plorimet::BuildEquationText(certified, 6, 3, plorimet::FitMode::LeastSquares,
                                                                 data.pairCount, language);

        HWND dialog = OpenFitDialog(app);
        if (!Check(dialog != nullptr, step + ": fit dialog", "none")) break;
        TypeOver(DegreeEdit(dialog), "5");
        ClickDigits(dialog, 6);
        CloseDialog(dialog, IDOK);
        if (!Check(WaitForButtons(app, kEquationButtons), step + ": equation", EnabledPattern(app))) break;
        std::string shown;
        Check(EquationShows(app, expected, &shown), step + ": the certified equation to 6 digits", shown);
        if (set.name == std::string("Wampler4")) Screenshot("nist-wampler4", {app.main});

        // Input Data, Yes: an empty grid for the next set.
        PostCommand(app, kInputData);
        if (HWND box = WaitForDialog(app, kDialogWait)) CloseDialog(box, IDYES);
        if (!Check(WaitForButtons(app, kDataInputButtons), step + ": back to the grid", EnabledPattern(app))) break;
    }
    Finish(app);
}

const Scenario kExactFitScenarios[] = {
    {"nist-sets", NistSets},
};

static const bool registered = RegisterScenarios(kExactFitScenarios);

}  // namespace

}  // namespace e2e
