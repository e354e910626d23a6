// Graphs of several data sets, each read through Read Data, fitted, drawn with a few settings
// and saved through Save Graph. The pictures and a manifest go to <shots>\graph-matrix, where
// tests/gdi_match/compare_window_graphs.py draws the same graphs with `plorimet graph` and
// compares them pixel by pixel.
//
// manifest.txt, one line per picture:  DATA DEGREE LINE DOT SIZE SCALE BMP
//   DATA and BMP are names in the same folder; DEGREE is "-" when no degree can be chosen;
//   LINE 1..5 pixels, DOT 5..13 pixels, SIZE 100|70|50, SCALE none|ticks|grid.
#include <windows.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "harness.h"
#include "scenario_support.h"
#include "scenarios.h"

namespace e2e {

namespace {

constexpr char kGraphButtons[] = "0100000111110";
constexpr int kReadData = IDM_READ_DATA;
constexpr int kDrawGraph = IDM_DRAW_GRAPH;
constexpr int kSaveGraph = IDM_SAVE_GRAPH;
constexpr int kFileNameBox = 0x47C;

// One drawing: radio button indices as a user clicks them.
struct Drawing {
    int degree;     // 0: no degree (two pairs)
    int thickness;  // 0..4: 1..5 pixels
    int dot;        // 0..4: diameters 5..13
    int size;       // 0..2: 100, 70, 50 %
    int scale;      // 0 none, 1 ticks, 2 grid
};

struct DataSetCase {
    const char* file;
    std::string bytes;
    std::vector<Drawing> drawings;
};

std::string Folder() {
    std::string folder;
    if (!Settings().shots.empty()) {
        folder = Settings().shots + "\\graph-matrix";
    } else {
        char temp[MAX_PATH] = {};
        GetTempPathA(MAX_PATH, temp);
        folder = std::string(temp) + "plorimet-graph-matrix-e2e";
    }
    for (size_t i = 3; i <= folder.size(); ++i)
        if (i == folder.size() || folder[i] == '\\' || folder[i] == '/') CreateDirectoryA(folder.substr(0, i).c_str(), nullptr);
    return folder;
}

std::string ReadWhole(const std::string& path) {
    std::string bytes;
    if (FILE* in = std::fopen(path.c_str(), "rb")) {
        char buffer[4096];
        for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, in)) > 0;) bytes.append(buffer, n);
        std::fclose(in);
    }
    return bytes;
}

bool WriteWhole(const std::string& path, const std::string& bytes) {
    FILE* out = std::fopen(path.c_str(), "wb");
    if (!out) return false;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
    return std::fclose(out) == 0 && ok;
}

// The data sets, chosen to stress the drawing.
std::vector<DataSetCase> Cases() {
    std::vector<DataSetCase> cases;
    // The repository's example (the examples folder lies three levels above the NIST data).
    const std::string wave = ReadWhole(std::string("Z:") + PLORIMET_NIST_DIR + "/../../../examples/wave.txt");
    cases.push_back({"wave.txt", wave, {{6, 2, 2, 0, 2}, {6, 0, 0, 1, 1}, {10, 4, 4, 2, 0}}});
    // Years on X with a smooth trend; a heading line Read Data skips.
    cases.push_back({"years.txt",
                     "Year\tppm\r\n1980\t338.99\r\n1984\t344.30\r\n1988\t351.34\r\n1992\t357.99\r\n1996\t364.75\r\n"
                     "2000\t373.07\r\n2004\t380.57\r\n2008\t388.90\r\n2012\t398.29\r\n2016\t406.79\r\n2020\t416.72\r\n"
                     "2024\t426.99\r\n",
                     {{2, 0, 2, 0, 1}, {3, 2, 4, 1, 2}, {3, 4, 0, 2, 1}}});
    // Negative X, negative and tiny Y (ten characters each at most).
    cases.push_back({"tiny.txt",
                     "-0.5 -0.0000222\r\n-0.4 -0.0000079\r\n-0.3 0.0000014\r\n-0.2 0.0000064\r\n-0.1 0.0000075\r\n"
                     "0 0.0000050\r\n0.1 0.0000001\r\n0.2 -0.0000048\r\n0.3 -0.0000064\r\n0.4 -0.0000015\r\n"
                     "0.5 0.0000128\r\n",
                     {{3, 2, 0, 0, 0}, {5, 0, 4, 2, 2}, {3, 4, 2, 1, 1}}});
    // Runge's peak: the curve through equally spaced points swings far out of the frame at
    // both ends, above and below, and is pinned to its edges.
    cases.push_back({"runge.txt",
                     "0,0.03846\r\n1,0.05882\r\n2,0.1\r\n3,0.2\r\n4,0.5\r\n5,1\r\n6,0.5\r\n7,0.2\r\n8,0.1\r\n"
                     "9,0.05882\r\n10,0.03846\r\n",
                     {{10, 4, 0, 0, 2}, {8, 0, 2, 1, 0}, {10, 2, 4, 2, 1}}});
    // Two pairs: the exact line, falling.
    cases.push_back({"line.txt", "-3 7\r\n12 -1.5\r\n", {{0, 0, 4, 0, 0}, {0, 4, 2, 2, 2}, {0, 2, 0, 1, 1}}});
    // The full grid: 45 pairs, a high degree and the default one.
    std::string full;
    for (int x = 1; x <= 45; ++x) {
        char line[64];
        std::snprintf(line, sizeof line, "%d\t%.3f\r\n", x, 50 + 30 * std::sin(x / 5.0) + 4 * std::sin(1.7 * x));
        full += line;
    }
    cases.push_back({"full45.txt", full, {{20, 2, 2, 0, 1}, {20, 4, 4, 1, 2}, {20, 0, 0, 2, 0}, {10, 2, 0, 0, 2}}});
    return cases;
}

// A file dialog the command opened: the name typed, OK pressed.
bool AnswerFileDialog(const App& app, const std::string& name, const std::string& typed) {
    HWND dialog = WaitForDialog(app, kDialogWait);
    if (!Check(dialog != nullptr, name + ": file dialog", "none")) return false;
    SendMessageTimeoutA(GetDlgItem(dialog, kFileNameBox), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(typed.c_str()),
                        SMTO_ABORTIFHUNG, 2000, nullptr);
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
    const bool closed = WaitForWindowGone(dialog, kDialogWait);
    Sync(app);
    return Check(closed, name + ": file dialog closes", "still open: " + MessageText(FindDialog(app, dialog)));
}

// From any view back to data input; Input Data asks when there is an equation.
bool ToDataInput(App& app, const std::string& name, bool asks) {
    PostCommand(app, kInputData);
    if (asks) {
        HWND box = WaitForDialog(app, kDialogWait);
        if (!Check(box != nullptr, name + ": Input Data asks", "no question")) return false;
        CloseDialog(box, IDNO);
    }
    return Check(WaitForButtons(app, kDataInputButtons), name + ": data input", EnabledPattern(app));
}

bool Analyse(const App& app, const std::string& name, int degree) {
    HWND dialog = OpenFitDialog(app);
    if (!Check(dialog != nullptr, name + ": fit dialog", "none")) return false;
    if (degree > 0) {
        TypeOver(DegreeEdit(dialog), std::to_string(degree));
        Check(ControlText(GetDlgItem(dialog, kDegreeCombo)) == std::to_string(degree),
              name + ": degree " + std::to_string(degree), ControlText(GetDlgItem(dialog, kDegreeCombo)));
    }
    CloseDialog(dialog, IDOK);
    return Check(WaitForButtons(app, kEquationButtons), name + ": equation", EnabledPattern(app));
}

bool Draw(const App& app, const std::string& name, const Drawing& d) {
    PostCommand(app, kDrawGraph);
    HWND dialog = WaitForDialog(app, kDialogWait);
    if (!Check(dialog != nullptr, name + ": settings dialog", "none")) return false;
    for (int id : {221 + d.thickness, 226 + d.dot, 231 + d.size, 234 + d.scale}) {
        DWORD_PTR result = 0;
        SendMessageTimeoutA(GetDlgItem(dialog, id), BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, 2000, &result);
    }
    CloseDialog(dialog, IDOK);
    return Check(WaitForButtons(app, kGraphButtons), name + ": graph", EnabledPattern(app));
}

void GraphMatrix() {
    const std::string name = "graph matrix";
    const std::string folder = Folder();
    const std::string manifestPath = folder + "\\manifest.txt";
    DeleteFileA(manifestPath.c_str());
    std::string manifest;
    App app;
    if (!LaunchOrFail(app, name) || !ToDataInput(app, name, false)) return;
    bool equationShown = false;
    int saved = 0;
    for (const DataSetCase& data : Cases()) {
        const std::string step = name + " " + data.file;
        if (!Check(!data.bytes.empty(), step + ": data", "empty")) continue;
        const std::string dataPath = folder + "\\" + data.file;
        if (!Check(WriteWhole(dataPath, data.bytes), step + ": data file written", dataPath)) continue;
        if (equationShown && !ToDataInput(app, step, true)) break;
        PostCommand(app, kReadData);
        if (!AnswerFileDialog(app, step + " read", dataPath)) break;
        Check(WaitForDialog(app, kQuiet) == nullptr, step + ": read without a message", MessageText(FindDialog(app)));
        bool first = true;
        for (const Drawing& d : data.drawings) {
            static const int kSizes[] = {100, 70, 50};
            static const char* const kScales[] = {"none", "ticks", "grid"};
            char picture[96];
            std::snprintf(picture, sizeof picture, "%.*s-d%d-l%d-p%d-%d-%s", static_cast<int>(std::strlen(data.file) - 4),
                          data.file, d.degree, d.thickness + 1, 5 + 2 * d.dot, kSizes[d.size], kScales[d.scale]);
            const std::string drawing = name + " " + picture;
            if (!first && !ToDataInput(app, drawing, true)) break;
            first = false;
            if (!Analyse(app, drawing, d.degree)) break;
            equationShown = true;
            if (!Draw(app, drawing, d)) break;
            const std::string stem = folder + "\\" + picture;
            DeleteFileA((stem + ".bmp").c_str());
            PostCommand(app, kSaveGraph);
            if (!AnswerFileDialog(app, drawing + " save", stem)) break;
            if (!Check(GetFileAttributesA((stem + ".bmp").c_str()) != INVALID_FILE_ATTRIBUTES,
                       drawing + ": saved", "no file"))
                continue;
            ++saved;
            char line[160];
            std::snprintf(line, sizeof line, "%s %s %d %d %d %s %s.bmp\n", data.file,
                          d.degree ? std::to_string(d.degree).c_str() : "-", d.thickness + 1, 5 + 2 * d.dot,
                          kSizes[d.size], kScales[d.scale], picture);
            manifest += line;
        }
    }
    Check(WriteWhole(manifestPath, manifest), name + ": manifest written", manifestPath);
    Check(saved == 19, name + ": 19 pictures saved", std::to_string(saved));
    Finish(app);
}

const Scenario kGraphMatrixScenarios[] = {
    {"graph-matrix", GraphMatrix},
};

static const bool registered = RegisterScenarios(kGraphMatrixScenarios);

}  // namespace

}  // namespace e2e
