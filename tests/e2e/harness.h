// What the end-to-end driver does to the program the way a user would, and what it reads
// back: windows, texts, enabled buttons and pixels.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace e2e {

// ---- Results ------------------------------------------------------------------------------

// Prints "ok name" or "FAIL name: seen".
bool Check(bool ok, const std::string& name, const std::string& seen = std::string());
int PassedCount();
int FailedCount();
void Note(const std::string& line);  // an informational line, "# ..."

// ---- Settings of the run ------------------------------------------------------------------

struct Options {
    std::string exe;      // the program, as a Windows path
    std::string shots;    // folder for screenshots, as a Windows path (may be empty)
};
Options& Settings();

std::string ToWindowsPath(const std::string& path);
bool Japanese();  // the system's code page is 932
std::string Utf8(const std::wstring& text);
std::wstring FromCodePage(const std::string& bytes, UINT codePage);

// ---- The program's process ------------------------------------------------------------------

// The program as a scenario runs it; a scenario's App ends its program on every way out
// (Finish on destruction), so an early return leaves nothing running.
struct App {
    PROCESS_INFORMATION process{};
    HWND main = nullptr;
    HWND bar = nullptr;
    bool started = false;

    App() = default;
    ~App();
    App(const App&) = delete;
    App& operator=(const App&) = delete;
};

// Starts the program and waits until its main window and tool bar are up and idle.
bool Launch(App& app, std::string* failure = nullptr);
// Starts the program without waiting for any window.
bool Start(App& app);
// Starts a program detached from the driver's output (a process that outlives the driver
// must not hold the test runner's pipe open).
bool StartDetached(const std::string& path, PROCESS_INFORMATION& process);
// The exit code, or STILL_ACTIVE when it has not ended within the time.
DWORD WaitForExit(App& app, DWORD milliseconds);
// Ends the program (Exit command, then force) and closes the handles.
void Finish(App& app);

// Top-level windows of class TAVRO_95 of any process (only the visible ones, if asked).
int CountMainWindows(bool visibleOnly = false);

// ---- Commands and waiting -----------------------------------------------------------------

void PostCommand(const App& app, int commandId);
bool WaitUntil(const std::function<bool()>& condition, DWORD milliseconds);
// A visible dialog or message box ("#32770") of the program's thread, other than `except`.
HWND WaitForDialog(const App& app, DWORD milliseconds, HWND except = nullptr);
HWND FindDialog(const App& app, HWND except = nullptr);
bool WaitForWindowGone(HWND window, DWORD milliseconds);
// Lets the program finish what it is doing (a sent no-op returns once its queue is reached).
void Sync(const App& app);

// ---- Texts ----------------------------------------------------------------------------------

std::string ControlText(HWND control);     // WM_GETTEXT, ANSI
std::wstring ControlTextW(HWND control);   // WM_GETTEXT, wide
std::string WindowCaption(HWND window);    // top-level windows only
std::wstring WindowCaptionW(HWND window);
std::string MessageText(HWND messageBox);
std::wstring MessageTextW(HWND messageBox);
// Texts of every child window, wide.
std::vector<std::wstring> ChildTextsW(HWND parent);

// ---- Input ----------------------------------------------------------------------------------

// Presses a button of a dialog through a posted click notification.
void Press(HWND dialog, int buttonId);
// Types characters one by one (WM_CHAR), the caret at the end of the text before each key.
void TypeKeys(HWND edit, const std::string& keys);
void SelectAll(HWND edit);
// Selects the whole text and types over it, the caret left where the control puts it.
void TypeOver(HWND edit, const std::string& keys);
// Puts the text on the clipboard and pastes it into the edit control.
bool PasteText(HWND edit, const std::string& text);
// Puts `text` on the clipboard as CF_TEXT (or leaves it empty when `none`), retrying while
// another program holds the clipboard.
bool PutClipboardText(const std::string& text, bool none = false);
// A file's bytes, or "<missing>" when it cannot be opened.
std::string ReadFileBytes(const std::string& path);
// Writes `bytes` as the whole file, over a read-only one too.
void WriteFileBytes(const std::string& path, const std::string& bytes);
// Bytes with CR, LF and Tab written as \r, \n and \t, for a failure's detail.
std::string Visible(const std::string& bytes);
// Deletes a folder with everything in it, read-only files included.
void RemoveTree(const std::string& folder);

// ---- The program's windows -------------------------------------------------------------------

HWND Cell(const App& app, int cellId);
HWND ToolbarButton(const App& app, int controlId);
// One character per tool bar button, Gap .. Space: '1' enabled, '0' disabled, '-' missing.
std::string EnabledPattern(const App& app);
RECT ClientRectOnScreen(HWND window);

// ---- Pixels ---------------------------------------------------------------------------------

struct Image {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;  // 0x00RRGGBB, top row first
    uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
    bool empty() const { return pixels.empty(); }
};

// A 32-bit top-down drawing surface for rendering what the program should show.
struct Canvas {
    HDC dc = nullptr;
    HBITMAP section = nullptr;
    HGDIOBJ previous = nullptr;
    uint32_t* bits = nullptr;
    int width;
    int height;

    Canvas(int w, int h);
    explicit Canvas(const Image& image);  // starts as a copy of the image
    ~Canvas();
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;
    void Fill(uint32_t colour);
    Image Take() const;
};

Image CaptureScreen(const RECT& area);
Image CaptureClient(HWND window, int x, int y, int width, int height);
Image Crop(const Image& image, int x, int y, int width, int height);
// Text drawn as the program draws its equation: default font, black on white, top-left.
Image RenderText(const std::string& text, int width, int height);
// A bitmap resource of the program file.
Image LoadProgramBitmap(const std::string& name);
// An icon drawn over a background colour.
Image RenderIcon(LPCSTR systemIcon, int size, uint32_t background);
int CountDifferences(const Image& a, const Image& b);
int CountNotColour(const Image& image, uint32_t colour);
bool SaveBitmapFile(const Image& image, const std::string& windowsPath);
// Saves the screen area under the given windows as <shots>/<name>.bmp.
void Screenshot(const std::string& name, const std::vector<HWND>& windows);

}  // namespace e2e
