// Graph commands end to end: the settings dialog, the picture on the screen, the bitmap on
// the clipboard and the BMP file, each checked against geometry worked out here from the
// window's client size and the data alone.
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "harness.h"
#include "scenario_support.h"
#include "scenarios.h"

namespace e2e {

namespace {

constexpr char kGraphButtons[] = "0100000111110";
constexpr int kDrawGraph = IDM_DRAW_GRAPH;
constexpr int kCopyGraph = IDM_COPY_GRAPH;
constexpr int kSaveGraph = IDM_SAVE_GRAPH;
constexpr int kFileNameBox = 0x47C;

const Words kNoGraphCaption{"NO Graph Display", L"グラフ非表示"};
const Words kGraphDialogTitle{"Graph Specification", L"グラフの指定"};
const Words kSaveGraphTitle{"Assign a file to save the graph.", L"グラフを保存するファイル名の選択"};

// Four pairs: the default degree (3) passes the curve through every dot.
const Rows kGraphRows = {{"1", "2"}, {"2", "5"}, {"3", "4"}, {"4", "8"}};

// Indices of the radio buttons, as a user picks them.
struct GraphChoice {
    const char* name;
    int thickness;  // 0..4: 1..5 pixels
    int dot;        // 0..4: diameters 5..13
    int size;       // 0..2: 100, 70, 50 %
    int scale;      // 0 none, 1 ticks, 2 grid
};

std::string CheckedRadios(HWND dialog) {
    std::string checked;
    for (int id = 221; id <= 236; ++id) {
        DWORD_PTR state = 0;
        SendMessageTimeoutA(GetDlgItem(dialog, id), BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, 2000, &state);
        checked += state == BST_CHECKED ? '1' : '0';
    }
    return checked;
}

std::string ExpectedRadios(const GraphChoice& c) {
    std::string checked(16, '0');
    checked[c.thickness] = '1';
    checked[5 + c.dot] = '1';
    checked[10 + c.size] = '1';
    checked[13 + c.scale] = '1';
    return checked;
}

void Click(HWND dialog, int id) {
    DWORD_PTR result = 0;
    SendMessageTimeoutA(GetDlgItem(dialog, id), BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, 2000, &result);
}

void ChooseInDialog(HWND dialog, const GraphChoice& c) {
    Click(dialog, 221 + c.thickness);
    Click(dialog, 226 + c.dot);
    Click(dialog, 231 + c.size);
    Click(dialog, 234 + c.scale);
}

HWND OpenGraphDialog(const App& app) {
    PostCommand(app, kDrawGraph);
    return WaitForDialog(app, kDialogWait);
}

// From a fresh program to the equation of kGraphRows.
bool ReachEquation(App& app, const std::string& name, const Rows& rows = kGraphRows) {
    if (!LaunchOrFail(app, name) || !OpenDataInput(app, name)) return false;
    TypeRows(app, rows);
    HWND dialog = OpenFitDialog(app);
    if (!Check(dialog != nullptr, name + ": fit dialog", "none")) return false;
    CloseDialog(dialog, IDOK);
    return Check(WaitForButtons(app, kEquationButtons), name + ": equation view", EnabledPattern(app));
}

// From the graph back to a new equation of the same pairs (Input Data, No, Analysis).
bool AgainToEquation(App& app, const std::string& name) {
    PostCommand(app, kInputData);
    HWND box = WaitForDialog(app, kDialogWait);
    if (!Check(box != nullptr, name + ": Input Data asks", "no question")) return false;
    CloseDialog(box, IDNO);
    if (!Check(WaitForButtons(app, kDataInputButtons), name + ": back to data input", EnabledPattern(app)))
        return false;
    HWND dialog = OpenFitDialog(app);
    if (!dialog) return false;
    CloseDialog(dialog, IDOK);
    return Check(WaitForButtons(app, kEquationButtons), name + ": equation again", EnabledPattern(app));
}

std::vector<uint8_t> ClipboardBytes(UINT format) {
    std::vector<uint8_t> bytes;
    for (int attempt = 0; attempt < 50; ++attempt) {
        if (OpenClipboard(nullptr)) break;
        Sleep(10);
    }
    if (HANDLE data = GetClipboardData(format)) {
        const SIZE_T size = GlobalSize(data);
        if (const void* p = GlobalLock(data)) {
            bytes.assign(static_cast<const uint8_t*>(p), static_cast<const uint8_t*>(p) + size);
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return bytes;
}

void ClearClipboard() {
    for (int attempt = 0; attempt < 50; ++attempt) {
        if (OpenClipboard(nullptr)) {
            EmptyClipboard();
            CloseClipboard();
            return;
        }
        Sleep(10);
    }
}

std::vector<uint8_t> FileBytes(const std::string& path) {
    std::vector<uint8_t> bytes;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return bytes;
    const DWORD size = GetFileSize(file, nullptr);
    bytes.resize(size);
    DWORD read = 0;
    if (size && !ReadFile(file, bytes.data(), size, &read, nullptr)) read = 0;
    bytes.resize(read);
    CloseHandle(file);
    return bytes;
}

// Where the saved bitmaps go, and the list the native identify step reads.
std::string GraphFolder() {
    std::string folder;
    if (!Settings().shots.empty()) {
        folder = Settings().shots + "\\graph-files";
    } else {
        char temp[MAX_PATH] = {};
        GetTempPathA(MAX_PATH, temp);
        folder = std::string(temp) + "plorimet-graph-e2e";
    }
    for (size_t i = 3; i <= folder.size(); ++i) {
        if (i == folder.size() || folder[i] == '\\') CreateDirectoryA(folder.substr(0, i).c_str(), nullptr);
    }
    return folder;
}

void ListForIdentify(const std::string& path, int width, int height) {
    if (path.rfind("Z:\\", 0) != 0) return;  // only the Linux side can be read natively
    std::string native = path.substr(2);
    std::replace(native.begin(), native.end(), '\\', '/');
    const std::string list = GraphFolder() + "\\saved-bmps.txt";
    if (FILE* out = std::fopen(list.c_str(), "ab")) {
        std::fprintf(out, "%s %d %d\n", native.c_str(), width, height);
        std::fclose(out);
    }
}

// Save Graph through the real dialog; answers the overwrite question when one comes.
bool SaveGraphAs(const App& app, const std::string& name, const std::string& typed, bool expectOverwrite) {
    PostCommand(app, kSaveGraph);
    HWND dialog = WaitForDialog(app, kDialogWait);
    if (!Check(dialog != nullptr, name + ": save dialog", "none")) return false;
    std::string seen;
    Check(SaysWords(dialog, kSaveGraphTitle, true, &seen), name + ": save dialog title", seen);
    SendMessageTimeoutA(GetDlgItem(dialog, kFileNameBox), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(typed.c_str()),
                        SMTO_ABORTIFHUNG, 2000, nullptr);
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
    if (expectOverwrite) {
        HWND question = WaitForDialog(app, kDialogWait, dialog);
        Check(question && GetWindow(question, GW_OWNER) == dialog, name + ": overwrite asked by the dialog",
              question ? MessageText(question) : "no question");
        if (question) PostMessageA(question, WM_COMMAND, IDYES, 0);
    }
    const bool closed = WaitForWindowGone(dialog, kDialogWait);
    Sync(app);
    return Check(closed, name + ": save dialog closes", "still open");
}

// ---- The expected picture ------------------------------------------------------------------

struct Geometry {
    int frameLeft = 0, frameWidth = 0, frameHeight = 0, width = 0, height = 0;
    long double f = 1;
};

Geometry ExpectedGeometry(HWND main, int sizeIndex) {
    static const double kFactors[] = {1.0, 0.7, 0.5};
    RECT client{};
    GetClientRect(main, &client);
    Geometry g;
    g.f = kFactors[sizeIndex];
    g.frameLeft = (client.right - 520) / 2;
    g.frameWidth = static_cast<int>(520.0L * g.f);
    g.frameHeight = static_cast<int>(g.f * static_cast<long double>(client.bottom - 40));
    g.width = g.frameWidth + 3;
    g.height = g.frameHeight + 3;
    return g;
}

// A cubic through the four pairs, by Lagrange's formula (not the program's fit).
double Through(const std::vector<std::pair<double, double>>& pts, double x) {
    double sum = 0;
    for (size_t i = 0; i < pts.size(); ++i) {
        double term = pts[i].second;
        for (size_t j = 0; j < pts.size(); ++j)
            if (j != i) term *= (x - pts[j].first) / (pts[i].first - pts[j].first);
        sum += term;
    }
    return sum;
}

// Palette indices of a packed 4-bit DIB, top row first; empty when it is not one.
std::vector<uint8_t> Indices(const std::vector<uint8_t>& dib, size_t bitsAt, int width, int height) {
    const size_t row = static_cast<size_t>((width * 4 + 31) / 32) * 4;
    std::vector<uint8_t> out;
    if (dib.size() < bitsAt + row * height) return out;
    out.resize(static_cast<size_t>(width) * height);
    for (int y = 0; y < height; ++y) {
        const uint8_t* line = dib.data() + bitsAt + row * (height - 1 - y);
        for (int x = 0; x < width; ++x) out[static_cast<size_t>(y) * width + x] = (x % 2) ? line[x / 2] & 15 : line[x / 2] >> 4;
    }
    return out;
}

uint32_t Le(const std::vector<uint8_t>& b, size_t at, int bytes) {
    uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | (at + i < b.size() ? b[at + i] : 0);
    return v;
}

const uint8_t kVga[16][3] = {{0, 0, 0},     {128, 0, 0},   {0, 128, 0},   {128, 128, 0}, {0, 0, 128},   {128, 0, 128},
                             {0, 128, 128}, {128, 128, 128}, {192, 192, 192}, {255, 0, 0}, {0, 255, 0}, {255, 255, 0},
                             {0, 0, 255},   {255, 0, 255}, {0, 255, 255}, {255, 255, 255}};

// Everything the clipboard bitmap must show for these pairs and this choice.
void CheckGraphBitmap(const std::string& name, const std::vector<uint8_t>& dib, const Geometry& g,
                      const GraphChoice& c, const Rows& rows, const Image& screen) {
    const uint32_t rowSize = 4 * ((g.width + 7) / 8);
    const uint32_t imageSize = rowSize * g.height;
    char header[256];
    std::snprintf(header, sizeof header, "size %u, %dx%d planes %u bpp %u comp %u image %u res %u/%u used %u important %u; block %zu",
                  Le(dib, 0, 4), static_cast<int>(Le(dib, 4, 4)), static_cast<int>(Le(dib, 8, 4)), Le(dib, 12, 2),
                  Le(dib, 14, 2), Le(dib, 16, 4), Le(dib, 20, 4), Le(dib, 24, 4), Le(dib, 28, 4), Le(dib, 32, 4),
                  Le(dib, 36, 4), dib.size());
    Check(Le(dib, 0, 4) == 40 && Le(dib, 4, 4) == static_cast<uint32_t>(g.width) &&
              Le(dib, 8, 4) == static_cast<uint32_t>(g.height) && Le(dib, 12, 2) == 1 && Le(dib, 14, 2) == 4 &&
              Le(dib, 16, 4) == 0 && Le(dib, 20, 4) == imageSize && Le(dib, 24, 4) == 0 && Le(dib, 28, 4) == 0 &&
              Le(dib, 32, 4) == 16 && Le(dib, 36, 4) == 16 && dib.size() == imageSize + 104,
          name + ": clipboard header " + std::to_string(g.width) + "x" + std::to_string(g.height) + ", rows of " +
              std::to_string(rowSize) + " bytes",
          header);
    if (c.size == 0) Check(g.width == 523 && rowSize == 264, name + ": 523 wide, 264-byte rows", std::to_string(g.width));
    if (c.size == 2) Check(g.width == 263 && rowSize == 132, name + ": 263 wide, 132-byte rows", std::to_string(g.width));
    std::string palette;
    for (int i = 0; i < 16; ++i) {
        const size_t at = 40 + 4 * i;
        if (dib.size() < at + 4 || dib[at] != kVga[i][2] || dib[at + 1] != kVga[i][1] || dib[at + 2] != kVga[i][0] ||
            dib[at + 3] != 0)
            palette += std::to_string(i) + " ";
    }
    Check(palette.empty(), name + ": the 16-colour palette", "entries differ: " + palette);

    const std::vector<uint8_t> px = Indices(dib, 104, g.width, g.height);
    if (!Check(!px.empty(), name + ": all pixel rows present", "short")) return;
    const int w = g.width, h = g.height;
    auto at = [&](int x, int y) { return px[static_cast<size_t>(y) * w + x]; };
    std::string others;
    for (uint8_t v : px)
        if (v != 0 && v != 9 && v != 15 && others.size() < 40) others += std::to_string(v) + " ";
    Check(others.empty(), name + ": only black, red and white", others);

    // Frame: columns 1 and w-2, rows 1 and h-2 (a dot may lie over it).
    int gaps = 0;
    for (int y = 1; y <= h - 2; ++y) gaps += (at(1, y) == 15) + (at(w - 2, y) == 15);
    for (int x = 1; x <= w - 2; ++x) gaps += (at(x, 1) == 15) + (at(x, h - 2) == 15);
    Check(gaps == 0, name + ": frame lines at columns 1, w-2 and rows 1, h-2", std::to_string(gaps) + " white pixels");
    int inside = 0;
    for (int y = 2; y <= h - 3; ++y) inside += at(2, y) != 15 || at(w - 3, y) != 15;
    Check(inside < h / 2, name + ": inside the frame lines mostly white", std::to_string(inside));

    // Ticks and grid lines, where the divisions put them.
    const long double f = g.f;
    const int margin = static_cast<int>(10 * f);
    if (c.scale != 0) {
        static const int kTicks[] = {20, 14, 10}, kGrid[] = {10, 7, 5};
        const int n = c.scale == 1 ? kTicks[c.size] : kGrid[c.size];
        const int spacing = c.scale == 1 ? 25 : 50;
        const long double dy = (g.frameHeight - 20 * f) / n;
        int missing = 0;
        for (int i = 0; i <= n; ++i) {
            const int x = 1 + margin + spacing * i;
            const int y = 1 + margin + static_cast<int>(i * dy);
            if (c.scale == 1) {
                for (int k = 0; k < 5; ++k) missing += (at(x, h - 3 - k) == 15) + (at(2 + k, y) == 15);
            } else {
                for (int yy = 1; yy <= h - 2; ++yy) missing += at(x, yy) == 15;
                for (int xx = 1; xx <= w - 2; ++xx) missing += at(xx, y) == 15;
            }
        }
        Check(missing == 0, name + ": " + std::to_string(n + 1) + (c.scale == 1 ? " ticks" : " grid lines") +
                                " each way",
              std::to_string(missing) + " white pixels where marks belong");
    } else {
        int marks = 0;  // no tick where the first one would be, left of the curve's start
        for (int k = 0; k < 5; ++k) marks += at(2 + k, h - 3 - margin - 20) == 0 && at(2 + k, 3 + margin) == 0;
        Check(marks == 0, name + ": no marks", std::to_string(marks));
    }

    // Dots: red at every centre; the curve passes its samples.
    std::vector<std::pair<double, double>> pts;
    for (const auto& r : rows) pts.push_back({std::stod(r.first), std::stod(r.second)});
    std::sort(pts.begin(), pts.end());
    const double xFirst = pts.front().first, xLast = pts.back().first;
    double yMin = pts[0].second, yMax = pts[0].second;
    for (const auto& p : pts) yMin = std::min(yMin, p.second), yMax = std::max(yMax, p.second);
    const int left = g.frameLeft, fh = g.frameHeight;
    const double step = (xLast - xFirst) * 0.002;  // a double, as the program keeps it
    auto column = [&](double x) { return left + 10 * f + f * (x - xFirst) / step; };
    auto row = [&](double v) { return 30 + fh - 10 * f + (20 * f - fh) * (v - yMin) / (yMax - yMin); };
    const int radius = c.dot + 2;
    std::string notRed;
    for (const auto& p : pts) {
        const int cx = static_cast<int>(column(p.first) - radius) + radius - (left - 1);
        const int cy = static_cast<int>(row(p.second) - radius) + radius - 29;
        if (cx < 0 || cy < 0 || cx >= w || cy >= h || at(cx, cy) != 9)
            notRed += "(" + std::to_string(cx) + "," + std::to_string(cy) + ") ";
    }
    if (!notRed.empty()) {
        for (const auto& p : pts) {
            const int cx = static_cast<int>(column(p.first) - radius) + radius - (left - 1);
            const int cy = static_cast<int>(row(p.second) - radius) + radius - 29;
            std::string area;
            for (int y = cy - 3; y <= cy + 3; ++y) {
                for (int x = cx - 3; x <= cx + 3; ++x) area += (x >= 0 && y >= 0 && x < w && y < h) ? "0123456789abcdef"[at(x, y)] : ' ';
                area += '/';
            }
            Note(area);
        }
    }
    Check(notRed.empty(), name + ": red at every dot centre", notRed);
    int away = 0, looked = 0;
    const int reach = (c.thickness + 1) / 2 + 2;
    for (int i = 0; i <= 250; ++i) {
        const double xi = xFirst + 2 * step * i;
        const double v = Through(pts, xi);
        if (v < yMin || v > yMax) continue;
        const int cx = margin + static_cast<int>(2 * f * i) + 1;
        const int cy = static_cast<int>(row(v)) - 29;
        bool black = false, nearDot = false;
        for (int d = -reach; d <= reach; ++d) {
            const int yy = cy + d;
            if (yy < 0 || yy >= h) continue;
            black = black || at(cx, yy) == 0;
            for (int e = -2; e <= 2; ++e)
                if (cx + e >= 0 && cx + e < w && at(cx + e, yy) == 9) nearDot = true;
        }
        if (nearDot) continue;
        ++looked;
        away += !black;
    }
    Check(looked > 100 && away == 0, name + ": the curve passes its samples",
          std::to_string(away) + " of " + std::to_string(looked) + " samples without black");

    // The window shows the same pixels.
    int differ = 0;
    if (screen.width == w && screen.height == h) {
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const uint8_t* rgb = kVga[at(x, y)];
                differ += screen.At(x, y) != (static_cast<uint32_t>(rgb[0]) << 16 | rgb[1] << 8 | rgb[2]);
            }
    } else {
        differ = -1;
    }
    Check(differ == 0, name + ": the window shows the clipboard's pixels", std::to_string(differ) + " differ");
}

// Draws with a choice, then copies and saves the graph and checks all three.
void DrawCopySave(App& app, const std::string& name, const GraphChoice& c, HWND openDialog, bool checkSaveTwice) {
    HWND dialog = openDialog ? openDialog : OpenGraphDialog(app);
    if (!Check(dialog != nullptr, name + ": settings dialog", "none")) return;
    ChooseInDialog(dialog, c);
    Check(CheckedRadios(dialog) == ExpectedRadios(c), name + ": the clicked buttons checked", CheckedRadios(dialog));
    CloseDialog(dialog, IDOK);
    if (!Check(WaitForButtons(app, kGraphButtons), name + ": graph view, Copy and Save Graph on", EnabledPattern(app)))
        return;
    const Geometry g = ExpectedGeometry(app.main, c.size);
    Sync(app);
    const Image screen = CaptureClient(app.main, g.frameLeft - 1, 29, g.width, g.height);
    Screenshot(std::string("graph-") + c.name, {app.main});

    ClearClipboard();
    PostCommand(app, kCopyGraph);
    Sync(app);
    // Only looked at once it is there: opening the clipboard would race with the program's copy.
    std::vector<uint8_t> dib;
    if (WaitUntil([] { return IsClipboardFormatAvailable(CF_DIB) != FALSE; }, 3000)) dib = ClipboardBytes(CF_DIB);
    if (!Check(!dib.empty(), name + ": Copy Graph puts a bitmap on the clipboard", "nothing")) return;
    CheckGraphBitmap(name, dib, g, c, kGraphRows, screen);
    // Copying again while another program holds the clipboard for a moment.
    ClearClipboard();
    std::vector<uint8_t> again;
    if (OpenClipboard(nullptr)) {
        PostCommand(app, kCopyGraph);
        Sleep(40);
        CloseClipboard();
    }
    if (WaitUntil([] { return IsClipboardFormatAvailable(CF_DIB) != FALSE; }, 3000)) again = ClipboardBytes(CF_DIB);
    Check(again == dib, name + ": copying again, past a clipboard held for a moment, gives the same bitmap",
          again.empty() ? "nothing copied" : "differs");

    const std::string stem = GraphFolder() + "\\graph-" + c.name;
    const std::string path = stem + ".bmp";
    DeleteFileA(path.c_str());
    if (!SaveGraphAs(app, name, stem, false)) return;
    const std::vector<uint8_t> file = FileBytes(path);
    std::vector<uint8_t> expected = {'B', 'M'};
    const uint32_t total = static_cast<uint32_t>(dib.size() + 14);
    for (uint32_t v : {total, 0u, 118u})
        for (int i = 0; i < 4; ++i) expected.push_back(static_cast<uint8_t>(v >> (8 * i)));
    expected.insert(expected.end(), dib.begin(), dib.end());
    for (int i = 0; i < 4; ++i) expected[14 + 36 + i] = 0;  // important colours 0 in the file
    Check(file == expected, name + ": saved as graph-" + std::string(c.name) + ".bmp, the clipboard bitmap behind a file header",
          std::to_string(file.size()) + " bytes, expected " + std::to_string(expected.size()));
    ListForIdentify(path, g.width, g.height);
    if (checkSaveTwice) {
        if (SaveGraphAs(app, name + " again", path, true))
            Check(FileBytes(path) == file, name + ": saving again over it gives the same file", "differs");
    }
    Check(EnabledPattern(app) == kGraphButtons, name + ": still the graph view", EnabledPattern(app));
}

// ---- Scenarios -----------------------------------------------------------------------------------

void GraphSettingsAndPictures() {
    const std::string name = "graph";
    DeleteFileA((GraphFolder() + "\\saved-bmps.txt").c_str());
    App app;
    if (!ReachEquation(app, name)) return;
    Check(EnabledPattern(app) == kEquationButtons, name + ": Draw Graph enabled with the equation", EnabledPattern(app));

    HWND dialog = OpenGraphDialog(app);
    if (!Check(dialog != nullptr, name + ": settings dialog", "none")) return;
    std::string seen;
    Check(SaysWords(dialog, kGraphDialogTitle, true, &seen), name + ": dialog title", seen);
    Check(CheckedRadios(dialog) == ExpectedRadios({"", 0, 0, 0, 0}), name + ": first dialog checks 1, 5, 100, None",
          CheckedRadios(dialog));
    Screenshot("graph-settings-dialog", {app.main, dialog});
    Click(dialog, 236);
    Click(dialog, 233);
    CloseDialog(dialog, IDCANCEL);
    Sync(app);
    Check(WaitForDialog(app, kQuiet) == nullptr && EnabledPattern(app) == kEquationButtons,
          name + ": Cancel draws nothing", EnabledPattern(app));
    dialog = OpenGraphDialog(app);
    if (!Check(dialog != nullptr, name + ": settings dialog again", "none")) return;
    Check(CheckedRadios(dialog) == ExpectedRadios({"", 0, 0, 2, 2}), name + ": the next dialog shows Grid and 50",
          CheckedRadios(dialog));

    const GraphChoice choices[] = {
        {"50-grid", 0, 0, 2, 2},  {"100-grid", 4, 4, 0, 2}, {"50-ticks", 0, 0, 2, 1},
        {"70-none", 4, 4, 1, 0},  {"100-ticks", 0, 4, 0, 1}, {"50-none-13", 4, 4, 2, 0},
        {"100-none", 0, 0, 0, 0}, {"70-ticks", 2, 2, 1, 1},
    };
    bool first = true;
    GraphChoice previous = choices[0];
    for (const GraphChoice& c : choices) {
        const std::string step = name + " " + c.name;
        if (!first) {
            if (!AgainToEquation(app, step)) break;
            HWND next = OpenGraphDialog(app);
            Check(next && CheckedRadios(next) == ExpectedRadios(previous), step + ": the last choice offered again",
                  next ? CheckedRadios(next) : "none");
            DrawCopySave(app, step, c, next, false);
        } else {
            DrawCopySave(app, step, c, dialog, true);
        }
        first = false;
        previous = c;
    }

    // Input Data from the graph returns to data input.
    PostCommand(app, kInputData);
    HWND box = WaitForDialog(app, kDialogWait);
    if (box) CloseDialog(box, IDNO);
    Check(WaitForButtons(app, kDataInputButtons), name + ": Input Data from the graph opens the grid",
          EnabledPattern(app));
    Finish(app);
}

void GraphOfEqualYValues() {
    const std::string name = "graph equal Y";
    App app;
    if (!ReachEquation(app, name, {{"1", "3"}, {"2", "3"}, {"4", "3"}})) return;
    for (int round = 0; round < 2; ++round) {
        HWND dialog = OpenGraphDialog(app);
        if (!Check(dialog != nullptr, name + ": settings dialog", "none")) break;
        CloseDialog(dialog, IDOK);
        HWND box = WaitForDialog(app, kDialogWait);
        ExpectMessageBox(box, name + ": message", {"Inputted Y values are same!", L"入力データのY値がすべて同じです!"},
                         kNoGraphCaption, IconKind::Error, false);
        if (box) CloseDialog(box, IDOK);
        Check(WaitForButtons(app, kEquationButtons), name + ": the equation view stays, Draw Graph usable",
              EnabledPattern(app));
    }
    Finish(app);
}

void GraphSaveCancelledOrRefused() {
    const std::string name = "graph save cancelled";
    App app;
    if (!ReachEquation(app, name)) return;
    HWND dialog = OpenGraphDialog(app);
    if (dialog) CloseDialog(dialog, IDOK);
    if (!Check(WaitForButtons(app, kGraphButtons), name + ": graph", EnabledPattern(app))) return;
    PostCommand(app, kSaveGraph);
    HWND save = WaitForDialog(app, kDialogWait);
    if (!Check(save != nullptr, name + ": save dialog", "none")) return;
    CloseDialog(save, IDCANCEL);
    Sync(app);
    Check(WaitForDialog(app, kQuiet) == nullptr, name + ": no message", MessageText(FindDialog(app)));
    Check(EnabledPattern(app) == kGraphButtons, name + ": graph still shown", EnabledPattern(app));
    // A target that cannot be replaced (read-only) is reported and keeps its old bytes.
    const std::string locked = GraphFolder() + "\\read-only.bmp";
    SetFileAttributesA(locked.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (FILE* out = std::fopen(locked.c_str(), "wb")) {
        std::fputs("old", out);
        std::fclose(out);
    }
    SetFileAttributesA(locked.c_str(), FILE_ATTRIBUTE_READONLY);
    if (SaveGraphAs(app, name + " read-only", locked, true)) {
        HWND box = WaitForDialog(app, kDialogWait);
        ExpectMessageBox(box, name + ": read-only target", {"Unable to open file.", L"ファイルを開けません."},
                         kErrorCaption, IconKind::Error, false);
        if (box) CloseDialog(box, IDOK);
    }
    const std::vector<uint8_t> old = FileBytes(locked);
    Check(std::string(old.begin(), old.end()) == "old", name + ": the read-only file keeps its bytes",
          std::to_string(old.size()) + " bytes");
    SetFileAttributesA(locked.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(locked.c_str());
    Check(EnabledPattern(app) == kGraphButtons, name + ": graph still shown after the failure", EnabledPattern(app));
    Finish(app);
}

const Scenario kGraphScenarios[] = {
    {"graph", GraphSettingsAndPictures},
    {"graph-equal-y", GraphOfEqualYValues},
    {"graph-save-cancel", GraphSaveCancelledOrRefused},
};

static const bool registered = RegisterScenarios(kGraphScenarios);

double Ms(const LARGE_INTEGER& a, const LARGE_INTEGER& b) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(b.QuadPart - a.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double Median(std::vector<double> v) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

}  // namespace

void MeasureGraph(int repetitions) {
    App app;
    if (!ReachEquation(app, "measure graph")) return;
    const std::string path = GraphFolder() + "\\measure.bmp";
    DeleteFileA(path.c_str());
    std::vector<double> draw, copy, save;
    std::vector<DWORD> gdi;
    std::vector<SIZE_T> memory;
    for (int i = 0; i < repetitions; ++i) {
        if (i > 0 && !AgainToEquation(app, "measure graph")) break;
        HWND dialog = OpenGraphDialog(app);
        if (!dialog) break;
        const Geometry g = ExpectedGeometry(app.main, 0);
        LARGE_INTEGER t0, t1;
        QueryPerformanceCounter(&t0);
        Press(dialog, IDOK);
        // The top frame line fully black on the screen.
        for (DWORD start = GetTickCount(); GetTickCount() - start < 5000;)
            if (CountNotColour(CaptureClient(app.main, g.frameLeft, 30, g.frameWidth, 1), 0) == 0) break;
        QueryPerformanceCounter(&t1);
        draw.push_back(Ms(t0, t1));

        ClearClipboard();
        QueryPerformanceCounter(&t0);
        PostCommand(app, kCopyGraph);
        for (DWORD start = GetTickCount(); GetTickCount() - start < 5000;)
            if (IsClipboardFormatAvailable(CF_DIB)) break;
        QueryPerformanceCounter(&t1);
        copy.push_back(Ms(t0, t1));

        PostCommand(app, kSaveGraph);
        HWND fileDialog = WaitForDialog(app, kDialogWait);
        if (!fileDialog) break;
        SendMessageTimeoutA(GetDlgItem(fileDialog, kFileNameBox), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()),
                            SMTO_ABORTIFHUNG, 2000, nullptr);
        DeleteFileA(path.c_str());  // so the file's appearance marks the end of the save
        QueryPerformanceCounter(&t0);
        PostMessageA(fileDialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(fileDialog, IDOK)));
        for (DWORD start = GetTickCount(); GetTickCount() - start < 5000;)
            if (GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES) break;
        QueryPerformanceCounter(&t1);
        save.push_back(Ms(t0, t1));
        WaitForWindowGone(fileDialog, kDialogWait);
        Sync(app);

        gdi.push_back(GetGuiResources(app.process.hProcess, GR_GDIOBJECTS));
        PROCESS_MEMORY_COUNTERS_EX counters{};
        counters.cb = sizeof counters;
        if (!GetProcessMemoryInfo(app.process.hProcess, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                                  sizeof counters))
            Note("GetProcessMemoryInfo failed: " + std::to_string(GetLastError()));
        // Wine may leave PrivateUsage at 0; the page file usage is the same commit charge.
        memory.push_back(counters.PrivateUsage ? counters.PrivateUsage : counters.PagefileUsage);
        if (i == 0 || i + 1 == repetitions)
            std::printf("measure memory after %d graphs: private %zu pagefile %zu working set %zu\n", i + 1,
                        static_cast<size_t>(counters.PrivateUsage), static_cast<size_t>(counters.PagefileUsage),
                        static_cast<size_t>(counters.WorkingSetSize));
    }
    const int done = static_cast<int>(draw.size());
    std::printf("measure graphs_drawn_copied_saved %d of %d\n", done, repetitions);
    std::printf("measure draw_graph_ok_to_picture_ms median %.1f max %.1f\n", Median(draw),
                draw.empty() ? 0 : *std::max_element(draw.begin(), draw.end()));
    std::printf("measure copy_graph_to_clipboard_ms median %.1f max %.1f\n", Median(copy),
                copy.empty() ? 0 : *std::max_element(copy.begin(), copy.end()));
    std::printf("measure save_graph_ok_to_file_ms median %.1f max %.1f\n", Median(save),
                save.empty() ? 0 : *std::max_element(save.begin(), save.end()));
    if (done >= 20) {
        // After a warm-up of 10 graphs, nothing may keep growing.
        const DWORD gdiEarly = gdi[9], gdiLate = gdi.back();
        const SIZE_T memEarly = memory[9], memLate = memory.back();
        std::printf("measure gdi_objects after 10 graphs %lu, after %d graphs %lu\n", gdiEarly, done, gdiLate);
        std::printf("measure commit_bytes after 10 graphs %zu, after %d graphs %zu\n", static_cast<size_t>(memEarly),
                    done, static_cast<size_t>(memLate));
        if (gdiLate == 0) Note("GetGuiResources gives 0 under this system: GDI objects are not counted");
        Check(gdiLate <= gdiEarly + 2, "measure graph: no growth of GDI objects",
              std::to_string(gdiEarly) + " -> " + std::to_string(gdiLate));
        Check(memEarly > 0 && memLate <= memEarly + 512 * 1024, "measure graph: no growth of committed memory",
              std::to_string(memEarly) + " -> " + std::to_string(memLate));
    }
    DeleteFileA(path.c_str());
    std::fflush(stdout);
    Finish(app);
}

}  // namespace e2e
