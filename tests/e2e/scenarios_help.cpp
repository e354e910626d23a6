// Hover labels of the tool bar, the About dialog and Help, end to end.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "harness.h"
#include "scenario_support.h"
#include "scenarios.h"
#include "base/hover_layout.h"
#include "base/messages.h"
#include "base/platform.h"

namespace e2e {

namespace {

constexpr int kAbout = IDM_ABOUT;
constexpr int kHelp = IDM_HELP;
constexpr DWORD kLabelWait = 3000;

// ---- The label the program should draw ----------------------------------------------------------

plorimet::UiLanguage RunLanguage() {
    return Japanese() ? plorimet::UiLanguage::Japanese : plorimet::UiLanguage::English;
}

plorimet::HoverFont ExpectedFont() {
    return plorimet::HoverFontFor(RunLanguage(), ExpectedPlatformLevel());
}

HFONT MakeFont(const plorimet::HoverFont& font) {
    LOGFONTA wanted{};
    wanted.lfHeight = font.height;
    wanted.lfWeight = FW_NORMAL;
    wanted.lfCharSet = static_cast<BYTE>(font.charset);
    std::strncpy(wanted.lfFaceName, font.face, LF_FACESIZE - 1);
    return CreateFontIndirectA(&wanted);
}

// Label k's rectangle in whole-window coordinates, measured in the driver with the same font.
plorimet::Rect ExpectedLabelRect(int k) {
    const plorimet::HoverFont font = ExpectedFont();
    const std::string text = plorimet::HoverLabelText(k, RunLanguage());
    HDC screen = GetDC(nullptr);
    HFONT handle = MakeFont(font);
    HGDIOBJ previous = SelectObject(screen, handle);
    SIZE extent{};
    GetTextExtentPoint32A(screen, text.c_str(), static_cast<int>(text.size()), &extent);
    TEXTMETRICA metrics{};
    GetTextMetricsA(screen, &metrics);
    SelectObject(screen, previous);
    DeleteObject(handle);
    ReleaseDC(nullptr, screen);
    const plorimet::HoverMetrics m{GetSystemMetrics(SM_CXBORDER), GetSystemMetrics(SM_CYBORDER),
                                   GetSystemMetrics(SM_CYCAPTION), static_cast<int>(extent.cx),
                                   static_cast<int>(metrics.tmHeight), static_cast<int>(metrics.tmExternalLeading)};
    return plorimet::HoverLabelRect(k, m, font);
}

// The strip of the main window where labels appear: the whole window width, from the
// labels' top edge, as high as the saved area.
struct Strip {
    RECT screen;  // where it lies on the screen
    int top;      // its top in whole-window coordinates
};

Strip LabelStrip(const App& app) {
    RECT window{};
    GetWindowRect(app.main, &window);
    const int top = GetSystemMetrics(SM_CYBORDER) + GetSystemMetrics(SM_CYCAPTION) + 32;
    return {RECT{window.left, window.top + top, window.right, window.top + top + plorimet::kHoverSaveHeight}, top};
}

Image CaptureStrip(const App& app) {
    return CaptureScreen(LabelStrip(app).screen);
}

// The strip as it should look with label k drawn over the given background (k = 0: none).
Image StripWithLabel(const App& app, const Image& background, int k) {
    if (k == 0 || background.empty()) return background;
    const plorimet::Rect r = ExpectedLabelRect(k);
    const plorimet::HoverFont font = ExpectedFont();
    const int top = r.top - LabelStrip(app).top;
    Canvas surface(background);
    HFONT handle = MakeFont(font);
    HGDIOBJ previousFont = SelectObject(surface.dc, handle);
    HGDIOBJ previousPen = SelectObject(surface.dc, GetStockObject(BLACK_PEN));
    HGDIOBJ previousBrush = SelectObject(surface.dc, GetStockObject(WHITE_BRUSH));
    Rectangle(surface.dc, r.left, top, r.right, top + r.bottom - r.top);
    RECT inside{r.left + 1, top + 1, r.right - 1, top + r.bottom - r.top - 1};
    const plorimet::Point p = plorimet::HoverTextOrigin(r, font);
    const std::string text = plorimet::HoverLabelText(k, RunLanguage());
    ExtTextOutA(surface.dc, p.x, p.y - r.top + top, ETO_CLIPPED, &inside, text.c_str(),
                static_cast<UINT>(text.size()), nullptr);
    SelectObject(surface.dc, previousBrush);
    SelectObject(surface.dc, previousPen);
    SelectObject(surface.dc, previousFont);
    DeleteObject(handle);
    return surface.Take();
}

// ---- Moving the mouse ---------------------------------------------------------------------------

// The mouse goes to a point of the main window's client area, the way a user moves it: the
// system then sends the window WM_SETCURSOR.
void MoveMouse(const App& app, int x, int y) {
    POINT p{x, y};
    ClientToScreen(app.main, &p);
    SetCursorPos(p.x, p.y);
}

POINT OverButton(int k) {
    return POINT{16 + 32 * (k - 1) + 16, GetSystemMetrics(SM_CYBORDER) + 10};
}

void MoveOverButton(const App& app, int k) {
    const POINT p = OverButton(k);
    MoveMouse(app, p.x, p.y);
}

// Waits until the strip shows what is expected; the differences seen last otherwise.
bool StripShows(const App& app, const Image& expected, int* differences) {
    Image shown;
    const bool same = WaitUntil(
        [&] {
            shown = CaptureStrip(app);
            return CountDifferences(shown, expected) == 0;
        },
        kLabelWait);
    *differences = CountDifferences(shown, expected);
    return same;
}

// Label k's text, readable in the log.
std::string LabelWords(int k) {
    return Utf8(FromCodePage(plorimet::HoverLabelText(k, RunLanguage()), 932));
}

std::string Differ(int differences) {
    return std::to_string(differences) + " pixels differ";
}

// The program counts as the user's: its window is active, so labels may be drawn.
bool Activate(const App& app) {
    SetForegroundWindow(app.main);
    return WaitUntil([&] { return GetForegroundWindow() == app.main; }, 2000);
}

// Starts the program with the mouse away from the tool bar; the strip as it is then.
bool StartForHover(App& app, const std::string& scenario, Image* before) {
    if (!LaunchOrFail(app, scenario)) return false;
    Check(Activate(app), scenario + ": program window active", "foreground is another window");
    MoveMouse(app, 300, 200);
    Sync(app);
    Sleep(100);
    *before = CaptureStrip(app);
    return Check(!before->empty(), scenario + ": strip captured", "nothing captured");
}

void ExpectLabel(const App& app, const Image& background, int k, const std::string& name) {
    int differences = 0;
    const bool shown = StripShows(app, StripWithLabel(app, background, k), &differences);
    Check(shown, name, Differ(differences));
}

// ---- Hover scenarios -----------------------------------------------------------------------------

void HoverEveryButton() {
    App app;
    Image before;
    if (!StartForHover(app, "hover", &before)) return;
    const std::string language = Japanese() ? "Japanese" : "English";
    const plorimet::HoverFont font = ExpectedFont();
    Note("hover font '" + Utf8(FromCodePage(font.face, 932)) + "' height " + std::to_string(font.height) +
         ", platform level " + std::to_string(ExpectedPlatformLevel()));

    // The label's box where the layout puts it: black outline, white inside, text in it.
    MoveOverButton(app, 1);
    ExpectLabel(app, before, 1, "hover: Input Data label, " + language);
    const plorimet::Rect r = ExpectedLabelRect(1);
    const Image strip = CaptureStrip(app);
    const Image box = Crop(strip, r.left, 0, r.right - r.left, r.bottom - r.top);
    const Image inside = Crop(box, 1, 1, box.width - 2, box.height - 2);
    bool outline = !box.empty();
    for (int x = 0; outline && x < box.width; ++x) outline = box.At(x, 0) == 0 && box.At(x, box.height - 1) == 0;
    for (int y = 0; outline && y < box.height; ++y) outline = box.At(0, y) == 0 && box.At(box.width - 1, y) == 0;
    Check(outline, "hover: label box has a black outline at " + std::to_string(r.left) + "," + std::to_string(r.top),
          "outline broken");
    const int dark = CountNotColour(inside, 0xFFFFFF);
    Check(dark > 10 && dark < inside.width * inside.height / 2, "hover: label text inside a white box",
          std::to_string(dark) + " non-white pixels inside");
    Screenshot("hover-input-data", {app.main});

    // From one button to the next: the previous label leaves no trace. Read Data to Save Graph
    // are disabled at start and are labelled like the others.
    for (int k = 2; k <= plorimet::kHoverLabelCount; ++k) {
        MoveOverButton(app, k);
        ExpectLabel(app, before, k,
                    "hover: label " + std::to_string(k) + " '" + LabelWords(k) +
                        "'" + (IsWindowEnabled(ToolbarButton(app, 202 + k)) ? "" : " (disabled button)") +
                        ", no trace of label " + std::to_string(k - 1));
    }
    Screenshot("hover-exit", {app.main});

    // Along one button the label stays as it is.
    const POINT p = OverButton(11);
    MoveMouse(app, p.x - 12, p.y + 5);
    Sync(app);
    Sleep(100);
    ExpectLabel(app, before, 11, "hover: moving along Exit keeps its label");

    struct Away {
        int k;
        POINT to;
        const char* where;
    };
    const int border = GetSystemMetrics(SM_CYBORDER);
    const Away aways[] = {
        {2, {8, border + 10}, "Gap"},
        {3, {15, border + 10}, "Gap's last column (x 15)"},
        {4, {400, border + 10}, "Space"},
        {5, {368, border + 10}, "Space's first column (x 368)"},
        {6, {200, border + 21}, "the row below the buttons"},
        {7, {200, 120}, "the grid area"},
        {8, {200, -8}, "the caption"},
    };
    for (const Away& away : aways) {
        MoveOverButton(app, away.k);
        ExpectLabel(app, before, away.k, "hover: label " + std::to_string(away.k) + " shown again");
        MoveMouse(app, away.to.x, away.to.y);
        int differences = 0;
        const bool restored = StripShows(app, before, &differences);
        Check(restored,
              std::string("hover: moving onto ") + away.where + " restores every pixel", Differ(differences));
    }
    Finish(app);
}

void HoverWhileModal() {
    App app;
    Image before;
    if (!StartForHover(app, "hover modal", &before)) return;
    MoveOverButton(app, 10);
    ExpectLabel(app, before, 10, "hover modal: Help label");
    // Help answers with a message box here (no manual, or no viewer); the command first
    // takes the label away.
    PostCommand(app, kHelp);
    HWND box = WaitForDialog(app, kDialogWait);
    if (!Check(box != nullptr, "hover modal: Help shows a message box", "none")) return;
    int differences = 0;
    const bool removed = StripShows(app, before, &differences);
    Check(removed, "hover modal: the command removed the label", Differ(differences));
    const Image quiet = CaptureStrip(app);
    for (int k : {1, 7, 11, 3}) {
        MoveOverButton(app, k);
        Sleep(150);
    }
    Sync(app);
    Check(CountDifferences(CaptureStrip(app), quiet) == 0, "hover modal: moving over the buttons draws nothing",
          Differ(CountDifferences(CaptureStrip(app), quiet)));
    Press(box, IDOK);
    WaitForWindowGone(box, kDialogWait);
    Activate(app);
    MoveOverButton(app, 2);
    ExpectLabel(app, before, 2, "hover modal: labels again once the box is closed");
    Finish(app);
}

void HoverAfterInputData() {
    App app;
    Image before;
    if (!StartForHover(app, "hover input data", &before)) return;
    MoveOverButton(app, 1);
    ExpectLabel(app, before, 1, "hover input data: label before the command");
    // On an empty data set the grid's repaint draws the Input Data label again.
    PostCommand(app, kInputData);
    Check(WaitForButtons(app, kDataInputButtons), "hover input data: grid shown", EnabledPattern(app));
    Sync(app);
    Sleep(200);
    const Image withLabel = CaptureStrip(app);
    MoveMouse(app, 300, 200);
    Image background;
    WaitUntil(
        [&] {
            background = CaptureStrip(app);
            return CountDifferences(background, withLabel) > 0;
        },
        kLabelWait);
    Sleep(100);
    background = CaptureStrip(app);
    const int differences = CountDifferences(withLabel, StripWithLabel(app, background, 1));
    Check(differences == 0, "hover input data: the repaint drew the label again", Differ(differences));
    Finish(app);
}

// ---- About ---------------------------------------------------------------------------------------

const Words kAboutCaption{"About", L"御案内"};

HWND OpenAbout(const App& app) {
    PostCommand(app, kAbout);
    return WaitForDialog(app, kDialogWait);
}

BOOL CALLBACK FindIcon(HWND window, LPARAM found) {
    char name[32] = {};
    GetClassNameA(window, name, sizeof name);
    if (lstrcmpiA(name, "Static") == 0 && (GetWindowLongA(window, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
        *reinterpret_cast<HWND*>(found) = window;
        return FALSE;
    }
    return TRUE;
}

// Icon 215 of the program file, 32 x 32, over a background colour.
Image ProgramIcon(uint32_t background) {
    static HMODULE module = LoadLibraryExA(Settings().exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    Image blank;
    blank.width = blank.height = 32;
    blank.pixels.assign(32 * 32, background);
    Canvas surface(blank);
    HICON icon =
        module ? static_cast<HICON>(LoadImageA(module, MAKEINTRESOURCEA(215), IMAGE_ICON, 32, 32, 0)) : nullptr;
    if (!icon) return Image{};
    DrawIconEx(surface.dc, 0, 0, icon, 32, 32, 0, nullptr, DI_NORMAL);
    DestroyIcon(icon);
    return surface.Take();
}

void CheckAboutContents(HWND dialog) {
    std::string seen;
    Check(SaysWords(dialog, kAboutCaption, true, &seen), "about: caption", "'" + seen + "'");
    const std::vector<std::wstring> texts = ChildTextsW(dialog);
    bool title = false;
    bool description = false;
    const std::wstring start = Japanese() ? L"(X,Y)データの多項式近似を行います." : L"Polynomial approximation is executed";
    for (const std::wstring& text : texts) {
        title = title || text == L"*** Plorimet (V 1.42) ***";
        description = description || text.compare(0, start.size(), start) == 0;
    }
    Check(title, "about: title line", "not found");
    Check(description, "about: description", "not found");
    Check(ControlText(GetDlgItem(dialog, IDOK)) == "OK", "about: OK button", ControlText(GetDlgItem(dialog, IDOK)));
    HWND icon = nullptr;
    EnumChildWindows(dialog, FindIcon, reinterpret_cast<LPARAM>(&icon));
    RECT r{};
    if (icon) GetWindowRect(icon, &r);
    // The program's icon 215, drawn over the dialog's own background.
    Image shown;
    int differences = -1;
    if (icon) {
        WaitUntil(
            [&] {
                shown = CaptureScreen(RECT{r.left, r.top, r.left + 32, r.top + 32});
                const Image around = CaptureScreen(RECT{r.left - 1, r.top, r.left, r.top + 1});
                if (shown.empty() || around.empty()) return false;
                differences = CountDifferences(shown, ProgramIcon(around.At(0, 0)));
                return differences == 0;
            },
            2000);
    }
    Check(icon && r.right - r.left == 32 && differences == 0, "about: icon 215 shown",
          icon ? Describe(r) + ", " + Differ(differences) : "no icon control");
}

void AboutDialog() {
    App app;
    if (!LaunchOrFail(app, "about")) return;
    HWND dialog = OpenAbout(app);
    if (!Check(dialog != nullptr, "about: opens", "no dialog")) return;
    CheckAboutContents(dialog);
    Check(!IsWindowEnabled(app.main), "about: modal (main window disabled)", "main window enabled");
    Screenshot(Japanese() ? "about-japanese" : "about-english", {app.main, dialog});

    // Esc reaches the dialog as Cancel and is ignored.
    HWND focus = GetDlgItem(dialog, IDOK);
    PostMessageA(focus, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
    PostMessageA(focus, WM_KEYUP, VK_ESCAPE, 0xC0010001);
    Sync(app);
    Sleep(kQuiet);
    Check(IsWindow(dialog) && IsWindowVisible(dialog), "about: Esc leaves it open", "closed");
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    Sleep(kQuiet);
    Check(IsWindow(dialog) && IsWindowVisible(dialog), "about: Cancel command leaves it open", "closed");

    PostMessageA(focus, WM_KEYDOWN, VK_RETURN, 0x001C0001);
    PostMessageA(focus, WM_KEYUP, VK_RETURN, 0xC01C0001);
    Check(WaitForWindowGone(dialog, kDialogWait), "about: Enter closes it", "still open");
    Sync(app);
    Check(IsWindowEnabled(app.main) && EnabledPattern(app) == kInitialButtons, "about: program as before",
          EnabledPattern(app));

    dialog = OpenAbout(app);
    Check(dialog && CloseDialog(dialog, IDOK), "about: OK closes it", "still open");
    dialog = OpenAbout(app);
    if (dialog) PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    Check(dialog && WaitForWindowGone(dialog, kDialogWait), "about: the close box closes it", "still open");
    PostCommand(app, kExit);
    Check(WaitForExit(app, 5000) == 0, "about: Exit afterwards ends with 0", "still running or other code");
    Finish(app);
}

// ---- Help ----------------------------------------------------------------------------------------

const Words kManualMissing{"Install the readme file (TAVRO_E.PDF)\nin the same directory.",
                           L"説明書ファイル（TAVRO_J.PDF）を同じ\nフォルダーに入れてください."};
const Words kNoViewer{"Unable to open the readme file (TAVRO_E.PDF)\n"
                      "because of being NO software to read PDF documents.",
                      L"PDF 文書の閲覧ソフトが無いので、\n説明書（TAVRO_J.PDF）を開けません."};

constexpr char kEnglishManual[] = "%PDF-1.4\n% stand-in English manual\n";
constexpr char kJapaneseManual[] = "%PDF-1.4\n% stand-in Japanese manual\n";
constexpr char kPdfClass[] = "PlorimetTest.PdfDocument";

bool WriteFile(const std::string& path, const std::string& bytes) {
    FILE* out = std::fopen(path.c_str(), "wb");
    if (!out) return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
    return std::fclose(out) == 0 && written;
}

std::optional<std::string> ReadFile(const std::string& path) {
    FILE* in = std::fopen(path.c_str(), "rb");
    if (!in) return std::nullopt;
    std::string bytes;
    char buffer[512];
    size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, in)) > 0) bytes.append(buffer, n);
    std::fclose(in);
    return bytes;
}

// A copy of the program in a folder of its own, started from there; the manuals there are
// the test's. The driver's program and working directory are those of the copy meanwhile.
class ProgramCopy {
public:
    // startElsewhere: the working directory is an empty folder instead of the copy's.
    // folderLength: the folder's path is made that long, when it is shorter.
    ProgramCopy(const std::string& fileName, bool startElsewhere, size_t folderLength = 0) {
        char temp[MAX_PATH] = {};
        GetTempPathA(sizeof temp, temp);
        folder_ = std::string(temp) + "plorimet-help-" + std::to_string(GetCurrentProcessId()) + "-" +
                  std::to_string(++counter_);
        if (folder_.size() < folderLength) folder_ += "-" + std::string(folderLength - folder_.size() - 1, 'L');
        CreateDirectoryA(folder_.c_str(), nullptr);
        exe_ = folder_ + "\\" + fileName;
        ok_ = CopyFileA(Settings().exe.c_str(), exe_.c_str(), FALSE) != FALSE;
        char cwd[MAX_PATH] = {};
        GetCurrentDirectoryA(sizeof cwd, cwd);
        previousCwd_ = cwd;
        previousExe_ = Settings().exe;
        workFolder_ = startElsewhere ? folder_ + "-cwd" : folder_;
        CreateDirectoryA(workFolder_.c_str(), nullptr);
        SetCurrentDirectoryA(workFolder_.c_str());
        Settings().exe = exe_;
    }
    ~ProgramCopy() {
        Settings().exe = previousExe_;
        SetCurrentDirectoryA(previousCwd_.c_str());
        // The viewer started from the copy may hold its folder for a moment after it ends.
        WaitUntil([&] { return RemoveAll(); }, 3000);
    }
    ProgramCopy(const ProgramCopy&) = delete;
    ProgramCopy& operator=(const ProgramCopy&) = delete;

    bool ok() const { return ok_; }
    std::string Path(const std::string& name) {
        files_.push_back(folder_ + "\\" + name);
        return files_.back();
    }
    bool Put(const std::string& name, const std::string& bytes) { return WriteFile(Path(name), bytes); }
    // A file in the system's temporary folder, not in the copy's.
    std::string ShortPath(const std::string& name) {
        char temp[MAX_PATH] = {};
        GetTempPathA(sizeof temp, temp);
        files_.push_back(std::string(temp) + std::to_string(GetCurrentProcessId()) + "-" + name);
        return files_.back();
    }
    // A file in the working directory instead.
    bool PutWhereStarted(const std::string& name, const std::string& bytes) {
        files_.push_back(workFolder_ + "\\" + name);
        return WriteFile(files_.back(), bytes);
    }

private:
    bool RemoveAll() const {
        for (const std::string& file : files_) DeleteFileA(file.c_str());
        DeleteFileA(exe_.c_str());
        RemoveDirectoryA(folder_.c_str());
        RemoveDirectoryA(workFolder_.c_str());
        return GetFileAttributesA(folder_.c_str()) == INVALID_FILE_ATTRIBUTES &&
               GetFileAttributesA(workFolder_.c_str()) == INVALID_FILE_ATTRIBUTES;
    }

    static inline int counter_ = 0;
    std::string folder_;
    std::string workFolder_;
    std::string exe_;
    std::string previousCwd_;
    std::string previousExe_;
    std::vector<std::string> files_;
    bool ok_ = false;
};

// A PDF viewer for the test: copies the document it is asked to open to a marker file, so
// that the test sees which file was opened. Registered only where no viewer is (the test
// sessions remove the system's), and removed again afterwards.
class PdfAssociation {
public:
    explicit PdfAssociation(const std::string& marker) {
        HKEY existing = nullptr;
        if (RegOpenKeyExA(HKEY_CLASSES_ROOT, ".pdf", 0, KEY_QUERY_VALUE, &existing) == ERROR_SUCCESS) {
            RegCloseKey(existing);
            return;
        }
        registered_ = true;
        const std::string command = "cmd.exe /c copy /y \"%1\" \"" + marker + "\"";
        ok_ = SetDefault(".pdf", kPdfClass) && SetDefault(std::string(kPdfClass) + "\\shell\\open\\command", command);
    }
    ~PdfAssociation() {
        if (!registered_) return;
        RegDeleteTreeA(HKEY_CLASSES_ROOT, kPdfClass);
        RegDeleteTreeA(HKEY_CLASSES_ROOT, ".pdf");
    }
    PdfAssociation(const PdfAssociation&) = delete;
    PdfAssociation& operator=(const PdfAssociation&) = delete;
    bool ok() const { return ok_; }

private:
    static bool SetDefault(const std::string& path, const std::string& value) {
        HKEY key = nullptr;
        if (RegCreateKeyExA(HKEY_CLASSES_ROOT, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                            nullptr) != ERROR_SUCCESS)
            return false;
        const LONG status = RegSetValueExA(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                           static_cast<DWORD>(value.size() + 1));
        RegCloseKey(key);
        return status == ERROR_SUCCESS;
    }
    bool registered_ = false;
    bool ok_ = false;
};

const char* ManualName() {
    return Japanese() ? "TAVRO_J.PDF" : "TAVRO_E.PDF";
}

const char* OtherManualName() {
    return Japanese() ? "TAVRO_E.PDF" : "TAVRO_J.PDF";
}

const char* ManualBytes() {
    return Japanese() ? kJapaneseManual : kEnglishManual;
}

const char* OtherManualBytes() {
    return Japanese() ? kEnglishManual : kJapaneseManual;
}

// Help in the program; expects the message given, or none when `message` is null.
void HelpAnswers(const std::string& name, const Words* message) {
    App app;
    if (!LaunchOrFail(app, name)) return;
    PostCommand(app, kHelp);
    if (message) {
        HWND box = WaitForDialog(app, kDialogWait);
        ExpectMessageBox(box, name + ": message", *message, kErrorCaption, IconKind::Error, false);
        if (box) Check(GetWindow(box, GW_OWNER) == app.main, name + ": owned by the main window", "other owner");
        std::string shot = name;
        for (char& c : shot) c = c == ' ' ? '-' : c;
        if (box) Screenshot(shot, {app.main, box});
        if (box) Check(CloseDialog(box, IDOK), name + ": OK closes it", "still open");
    } else {
        Sync(app);
        HWND box = WaitForDialog(app, kQuiet);
        Check(box == nullptr, name + ": no message", MessageText(box));
        if (box) CloseDialog(box, IDOK);
    }
    Sync(app);
    Check(IsWindowEnabled(app.main) && EnabledPattern(app) == kInitialButtons, name + ": program as before",
          EnabledPattern(app));
    Finish(app);
}

// Help in a program copy.
void RunHelp(ProgramCopy& copy, const std::string& name, const Words* message) {
    if (Check(copy.ok(), name + ": program copied", "copy failed")) HelpAnswers(name, message);
}

void HelpManualMissing() {
    // Only the other language's manual is there: the run's own is what counts.
    ProgramCopy copy("TAVRO_95.EXE", false);
    copy.Put(OtherManualName(), OtherManualBytes());
    RunHelp(copy, "help missing", &kManualMissing);
}

void HelpNoViewer() {
    ProgramCopy copy("TAVRO_95.EXE", false);
    copy.Put(ManualName(), ManualBytes());
    RunHelp(copy, "help no viewer", &kNoViewer);
}

void HelpOpensManual(const std::string& name, const std::string& fileName, bool startElsewhere,
                     size_t folderLength = 0) {
    ProgramCopy copy(fileName, startElsewhere, folderLength);
    copy.Put(ManualName(), ManualBytes());
    copy.Put(OtherManualName(), OtherManualBytes());
    // The marker lies on a short path: the viewer's command line must not be what fails.
    const std::string marker = copy.ShortPath("opened.pdf");
    PdfAssociation viewer(marker);
    if (!Check(viewer.ok(), name + ": PDF viewer registered", "registry refused, or a viewer is there already")) return;
    RunHelp(copy, name, nullptr);
    std::optional<std::string> opened;
    WaitUntil([&] { return (opened = ReadFile(marker)).has_value() && !opened->empty(); }, 10000);
    Check(opened && *opened == ManualBytes(), name + ": the viewer got " + ManualName(),
          opened ? "another file: " + *opened : "the viewer never ran");
}

void HelpOpensManualBesideProgram() {
    HelpOpensManual("help opens", "TAVRO_95.EXE", false);
}

void HelpRenamedProgram() {
    // The system's search does not find the program under its own name: the manuals are
    // looked for beside the running file all the same, not in the working directory.
    HelpOpensManual("help renamed", "PLORI_COPY.EXE", true);
    ProgramCopy copy("PLORI_COPY.EXE", true);
    copy.PutWhereStarted(ManualName(), ManualBytes());
    RunHelp(copy, "help renamed missing", &kManualMissing);
}

void HelpLongFolder() {
    // The longest folder the manual paths are made for.
    HelpOpensManual("help long folder", "TAVRO_95.EXE", false, 243);
}

// On a desktop: the program with its built manuals beside it, and the system's own .pdf
// association (check_help_desktop.sh looks at what the desktop's opener was given).
void HelpOnDesktop() {
    HelpAnswers("help desktop", nullptr);
}

const Scenario kList[] = {
    {"hover", HoverEveryButton},
    {"hover-modal", HoverWhileModal},
    {"hover-input-data", HoverAfterInputData},
    {"about", AboutDialog},
    {"help-missing", HelpManualMissing},
    {"help-no-viewer", HelpNoViewer},
    {"help-opens", HelpOpensManualBesideProgram},
    {"help-renamed", HelpRenamedProgram},
    {"help-long-folder", HelpLongFolder},
    {"help-desktop", HelpOnDesktop, true},
};

static const bool registered = RegisterScenarios(kList);

}  // namespace

}  // namespace e2e
