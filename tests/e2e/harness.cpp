#include "harness.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "resource_ids.h"

namespace e2e {

namespace {

constexpr char kMainClass[] = "TAVRO_95";
constexpr char kBarClass[] = "IconBarWindow";
constexpr DWORD kMessageTimeout = 5000;  // ms for one sent message
constexpr DWORD kLaunchTimeout = 15000;

int g_passed = 0;
int g_failed = 0;

bool IsClass(HWND window, const char* name) {
    char buffer[64] = {};
    GetClassNameA(window, buffer, sizeof buffer);
    return std::strcmp(buffer, name) == 0;
}

struct DialogSearch {
    HWND except;
    HWND found;
};

BOOL CALLBACK FindVisibleDialog(HWND window, LPARAM parameter) {
    auto* search = reinterpret_cast<DialogSearch*>(parameter);
    if (window != search->except && IsWindowVisible(window) && IsClass(window, "#32770")) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

struct MainSearch {
    DWORD processId;
    HWND found;
    int count;
    bool visibleOnly;
};

BOOL CALLBACK FindMainWindows(HWND window, LPARAM parameter) {
    auto* search = reinterpret_cast<MainSearch*>(parameter);
    if (!IsClass(window, kMainClass)) return TRUE;
    if (search->visibleOnly && !IsWindowVisible(window)) return TRUE;
    ++search->count;
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process == search->processId) search->found = window;
    return TRUE;
}

BOOL CALLBACK CollectChildTexts(HWND window, LPARAM parameter) {
    reinterpret_cast<std::vector<std::wstring>*>(parameter)->push_back(ControlTextW(window));
    return TRUE;
}

LRESULT Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR result = 0;
    SendMessageTimeoutA(window, message, wParam, lParam, SMTO_ABORTIFHUNG, kMessageTimeout, &result);
    return static_cast<LRESULT>(result);
}

void MakeFolders(const std::string& path) {
    for (size_t i = 3; i <= path.size(); ++i) {
        if (i == path.size() || path[i] == '\\') CreateDirectoryA(path.substr(0, i).c_str(), nullptr);
    }
}

Image FromDC(HDC source, int x, int y, int width, int height) {
    Image image;
    if (width <= 0 || height <= 0) return image;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP section = CreateDIBSection(source, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!section) return image;
    HDC memory = CreateCompatibleDC(source);
    HGDIOBJ previous = SelectObject(memory, section);
    BitBlt(memory, 0, 0, width, height, source, x, y, SRCCOPY);
    GdiFlush();
    image.width = width;
    image.height = height;
    image.pixels.assign(static_cast<const uint32_t*>(bits), static_cast<const uint32_t*>(bits) + width * height);
    for (uint32_t& p : image.pixels) p &= 0x00FFFFFF;
    SelectObject(memory, previous);
    DeleteDC(memory);
    DeleteObject(section);
    return image;
}


HMODULE ProgramModule() {
    static HMODULE module = LoadLibraryExA(Settings().exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    return module;
}

}  // namespace

Canvas::Canvas(int w, int h) : width(w), height(h) {
    HDC screen = GetDC(nullptr);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = -h;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* p = nullptr;
    section = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &p, nullptr, 0);
    bits = static_cast<uint32_t*>(p);
    dc = CreateCompatibleDC(screen);
    ReleaseDC(nullptr, screen);
    previous = SelectObject(dc, section);
}

Canvas::Canvas(const Image& image) : Canvas(image.width, image.height) {
    if (bits) std::copy(image.pixels.begin(), image.pixels.end(), bits);
}

Canvas::~Canvas() {
    SelectObject(dc, previous);
    DeleteDC(dc);
    DeleteObject(section);
}

void Canvas::Fill(uint32_t colour) {
    if (bits) std::fill(bits, bits + width * height, colour);
}

Image Canvas::Take() const {
    GdiFlush();
    Image image;
    if (!bits) return image;
    image.width = width;
    image.height = height;
    image.pixels.assign(bits, bits + width * height);
    for (uint32_t& p : image.pixels) p &= 0x00FFFFFF;
    return image;
}


// ---- Results ------------------------------------------------------------------------------

bool Check(bool ok, const std::string& name, const std::string& seen) {
    if (ok) {
        ++g_passed;
        std::printf("ok %s\n", name.c_str());
    } else {
        ++g_failed;
        std::printf("FAIL %s: %s\n", name.c_str(), seen.c_str());
    }
    std::fflush(stdout);
    return ok;
}

int PassedCount() { return g_passed; }
int FailedCount() { return g_failed; }

void Note(const std::string& line) {
    std::printf("# %s\n", line.c_str());
    std::fflush(stdout);
}

Options& Settings() {
    static Options options;
    return options;
}

std::string ToWindowsPath(const std::string& path) {
    if (path.empty() || path[0] != '/') return path;
    std::string windows = "Z:" + path;
    std::replace(windows.begin(), windows.end(), '/', '\\');
    return windows;
}

bool Japanese() { return GetACP() == 932; }

std::string Utf8(const std::wstring& text) {
    if (text.empty()) return std::string();
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0,
                                         nullptr, nullptr);
    std::string out(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), &out[0], size, nullptr, nullptr);
    return out;
}

std::wstring FromCodePage(const std::string& bytes, UINT codePage) {
    if (bytes.empty()) return std::wstring();
    const int size = MultiByteToWideChar(codePage, 0, bytes.c_str(), static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(size), L'\0');
    MultiByteToWideChar(codePage, 0, bytes.c_str(), static_cast<int>(bytes.size()), &out[0], size);
    return out;
}

// ---- The program's process ------------------------------------------------------------------

bool StartDetached(const std::string& path, PROCESS_INFORMATION& process) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    // No standard handles: otherwise Wine hands the child the driver's own.
    startup.dwFlags = STARTF_USESTDHANDLES;
    std::string command = "\"" + path + "\"";
    return CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                          &process) != FALSE;
}

// Forgets the program's handles and windows.
static void Forget(App& app) {
    app.process = PROCESS_INFORMATION{};
    app.main = nullptr;
    app.bar = nullptr;
    app.started = false;
}

bool Start(App& app) {
    Forget(app);
    if (!StartDetached(Settings().exe, app.process)) return false;
    app.started = true;
    return true;
}

bool Launch(App& app, std::string* failure) {
    if (!Start(app)) {
        if (failure) *failure = "CreateProcess failed for " + Settings().exe;
        return false;
    }
    const bool up = WaitUntil(
        [&] {
            MainSearch search{app.process.dwProcessId, nullptr, 0, false};
            EnumWindows(FindMainWindows, reinterpret_cast<LPARAM>(&search));
            app.main = search.found;
            if (!app.main || !IsWindowVisible(app.main)) return false;
            app.bar = FindWindowExA(app.main, nullptr, kBarClass, nullptr);
            return app.bar && GetDlgItem(app.bar, 214) != nullptr;
        },
        kLaunchTimeout);
    if (!up) {
        if (failure) *failure = "no main window with its tool bar";
        return false;
    }
    WaitForInputIdle(app.process.hProcess, kLaunchTimeout);
    Sync(app);
    return true;
}

DWORD WaitForExit(App& app, DWORD milliseconds) {
    if (!app.started) return STILL_ACTIVE;
    if (WaitForSingleObject(app.process.hProcess, milliseconds) != WAIT_OBJECT_0) return STILL_ACTIVE;
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(app.process.hProcess, &code);
    return code;
}

void Finish(App& app) {
    if (!app.started) return;
    if (WaitForSingleObject(app.process.hProcess, 0) != WAIT_OBJECT_0) {
        // Close whatever modal window is left, then Exit.
        for (int i = 0; i < 5; ++i) {
            HWND dialog = FindDialog(app);
            if (!dialog) break;
            PostMessageA(dialog, WM_CLOSE, 0, 0);
            PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
            WaitForWindowGone(dialog, 1000);
        }
        if (app.main) PostMessageA(app.main, WM_COMMAND, IDM_EXIT, 0);
        if (WaitForSingleObject(app.process.hProcess, 3000) != WAIT_OBJECT_0) {
            TerminateProcess(app.process.hProcess, 99);
            WaitForSingleObject(app.process.hProcess, 3000);
        }
    }
    CloseHandle(app.process.hThread);
    CloseHandle(app.process.hProcess);
    Forget(app);
}

App::~App() {
    Finish(*this);
}

int CountMainWindows(bool visibleOnly) {
    MainSearch search{0, nullptr, 0, visibleOnly};
    EnumWindows(FindMainWindows, reinterpret_cast<LPARAM>(&search));
    return search.count;
}

// ---- Commands and waiting -----------------------------------------------------------------

void PostCommand(const App& app, int commandId) {
    PostMessageA(app.main, WM_COMMAND, MAKEWPARAM(commandId, 0), 0);
}

bool WaitUntil(const std::function<bool()>& condition, DWORD milliseconds) {
    const DWORD start = GetTickCount();
    for (;;) {
        if (condition()) return true;
        if (GetTickCount() - start > milliseconds) return false;
        Sleep(5);
    }
}

HWND FindDialog(const App& app, HWND except) {
    DialogSearch search{except, nullptr};
    EnumThreadWindows(app.process.dwThreadId, FindVisibleDialog, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND WaitForDialog(const App& app, DWORD milliseconds, HWND except) {
    HWND found = nullptr;
    WaitUntil([&] { return (found = FindDialog(app, except)) != nullptr; }, milliseconds);
    return found;
}

bool WaitForWindowGone(HWND window, DWORD milliseconds) {
    return WaitUntil([&] { return !IsWindow(window) || !IsWindowVisible(window); }, milliseconds);
}

void Sync(const App& app) {
    if (app.main) Send(app.main, WM_NULL, 0, 0);
}

// ---- Texts ----------------------------------------------------------------------------------

std::string ControlText(HWND control) {
    if (!control) return "<no window>";
    char buffer[4096] = {};
    Send(control, WM_GETTEXT, sizeof buffer, reinterpret_cast<LPARAM>(buffer));
    return buffer;
}

std::wstring ControlTextW(HWND control) {
    if (!control) return L"<no window>";
    wchar_t buffer[4096] = {};
    DWORD_PTR result = 0;
    SendMessageTimeoutW(control, WM_GETTEXT, 4096, reinterpret_cast<LPARAM>(buffer), SMTO_ABORTIFHUNG,
                        kMessageTimeout, &result);
    return buffer;
}

std::string WindowCaption(HWND window) {
    char buffer[512] = {};
    GetWindowTextA(window, buffer, sizeof buffer);
    return buffer;
}

std::wstring WindowCaptionW(HWND window) {
    wchar_t buffer[512] = {};
    GetWindowTextW(window, buffer, 512);
    return buffer;
}

std::string MessageText(HWND messageBox) { return ControlText(GetDlgItem(messageBox, 0xFFFF)); }

std::wstring MessageTextW(HWND messageBox) { return ControlTextW(GetDlgItem(messageBox, 0xFFFF)); }

std::vector<std::wstring> ChildTextsW(HWND parent) {
    std::vector<std::wstring> texts;
    EnumChildWindows(parent, CollectChildTexts, reinterpret_cast<LPARAM>(&texts));
    return texts;
}

// ---- Input ----------------------------------------------------------------------------------

void Press(HWND dialog, int buttonId) {
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, buttonId)));
}

void TypeKeys(HWND edit, const std::string& keys) {
    for (char key : keys) {
        const LRESULT length = Send(edit, WM_GETTEXTLENGTH, 0, 0);
        Send(edit, EM_SETSEL, static_cast<WPARAM>(length), length);
        Send(edit, WM_CHAR, static_cast<unsigned char>(key), 1);
    }
}

void SelectAll(HWND edit) { Send(edit, EM_SETSEL, 0, -1); }

void TypeOver(HWND edit, const std::string& keys) {
    SelectAll(edit);
    for (char key : keys) Send(edit, WM_CHAR, static_cast<unsigned char>(key), 1);
}

bool PasteText(HWND edit, const std::string& text) {
    bool put = false;
    for (int attempt = 0; attempt < 20 && !put; ++attempt) {
        if (!OpenClipboard(nullptr)) {
            Sleep(10);
            continue;
        }
        EmptyClipboard();
        HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
        if (memory) {
            if (void* data = GlobalLock(memory)) {
                std::memcpy(data, text.c_str(), text.size() + 1);
                GlobalUnlock(memory);
                put = SetClipboardData(CF_TEXT, memory) != nullptr;
            }
            if (!put) GlobalFree(memory);
        }
        CloseClipboard();
    }
    if (!put) return false;
    Send(edit, WM_PASTE, 0, 0);
    return true;
}

// ---- The program's windows -------------------------------------------------------------------

HWND Cell(const App& app, int cellId) { return GetDlgItem(app.main, cellId); }

HWND ToolbarButton(const App& app, int controlId) { return app.bar ? GetDlgItem(app.bar, controlId) : nullptr; }

std::string EnabledPattern(const App& app) {
    std::string pattern;
    for (int id = IDB_GAP_BUTTON; id <= IDB_SPACE_BUTTON; ++id) {
        HWND button = ToolbarButton(app, id);
        pattern += !button ? '-' : (IsWindowEnabled(button) ? '1' : '0');
    }
    return pattern;
}

RECT ClientRectOnScreen(HWND window) {
    RECT r{};
    GetClientRect(window, &r);
    POINT origin{0, 0};
    ClientToScreen(window, &origin);
    OffsetRect(&r, origin.x, origin.y);
    return r;
}

// ---- Pixels ---------------------------------------------------------------------------------

Image CaptureScreen(const RECT& area) {
    HDC screen = GetDC(nullptr);
    Image image = FromDC(screen, area.left, area.top, area.right - area.left, area.bottom - area.top);
    ReleaseDC(nullptr, screen);
    return image;
}

Image CaptureClient(HWND window, int x, int y, int width, int height) {
    POINT origin{x, y};
    ClientToScreen(window, &origin);
    RECT area{origin.x, origin.y, origin.x + width, origin.y + height};
    return CaptureScreen(area);
}

Image Crop(const Image& image, int x, int y, int width, int height) {
    Image part;
    if (x < 0 || y < 0 || x + width > image.width || y + height > image.height) return part;
    part.width = width;
    part.height = height;
    for (int row = 0; row < height; ++row) {
        const auto begin = image.pixels.begin() + static_cast<long>(y + row) * image.width + x;
        part.pixels.insert(part.pixels.end(), begin, begin + width);
    }
    return part;
}

Image RenderText(const std::string& text, int width, int height) {
    Canvas canvas(width, height);
    canvas.Fill(0x00FFFFFF);
    RECT area{0, 0, width, height};
    DrawTextA(canvas.dc, text.c_str(), static_cast<int>(text.size()), &area, DT_LEFT | DT_TOP | DT_NOPREFIX);
    return canvas.Take();
}

Image LoadProgramBitmap(const std::string& name) {
    Image image;
    HMODULE module = ProgramModule();
    if (!module) return image;
    HBITMAP bitmap = static_cast<HBITMAP>(LoadImageA(module, name.c_str(), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    if (!bitmap) return image;
    BITMAP info{};
    GetObjectA(bitmap, sizeof info, &info);
    Canvas canvas(info.bmWidth, info.bmHeight);
    HDC source = CreateCompatibleDC(canvas.dc);
    HGDIOBJ previous = SelectObject(source, bitmap);
    BitBlt(canvas.dc, 0, 0, info.bmWidth, info.bmHeight, source, 0, 0, SRCCOPY);
    SelectObject(source, previous);
    DeleteDC(source);
    DeleteObject(bitmap);
    return canvas.Take();
}

Image RenderIcon(LPCSTR systemIcon, int size, uint32_t background) {
    Canvas canvas(size, size);
    canvas.Fill(background);
    HICON icon = LoadIconA(nullptr, systemIcon);
    if (icon) DrawIconEx(canvas.dc, 0, 0, icon, size, size, 0, nullptr, DI_NORMAL);
    return canvas.Take();
}

int CountDifferences(const Image& a, const Image& b) {
    if (a.width != b.width || a.height != b.height) return -1;
    int differences = 0;
    for (size_t i = 0; i < a.pixels.size(); ++i) differences += a.pixels[i] != b.pixels[i];
    return differences;
}

int CountNotColour(const Image& image, uint32_t colour) {
    return static_cast<int>(std::count_if(image.pixels.begin(), image.pixels.end(),
                                          [colour](uint32_t p) { return p != colour; }));
}

bool SaveBitmapFile(const Image& image, const std::string& windowsPath) {
    if (image.empty()) return false;
    const int rowBytes = (image.width * 3 + 3) / 4 * 4;
    BITMAPFILEHEADER file{};
    BITMAPINFOHEADER info{};
    info.biSize = sizeof info;
    info.biWidth = image.width;
    info.biHeight = image.height;  // bottom row first
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biSizeImage = static_cast<DWORD>(rowBytes * image.height);
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + info.biSizeImage;
    FILE* out = std::fopen(windowsPath.c_str(), "wb");
    if (!out) return false;
    std::fwrite(&file, sizeof file, 1, out);
    std::fwrite(&info, sizeof info, 1, out);
    std::vector<unsigned char> row(static_cast<size_t>(rowBytes), 0);
    for (int y = image.height - 1; y >= 0; --y) {
        for (int x = 0; x < image.width; ++x) {
            const uint32_t p = image.At(x, y);
            row[x * 3] = p & 0xFF;
            row[x * 3 + 1] = (p >> 8) & 0xFF;
            row[x * 3 + 2] = (p >> 16) & 0xFF;
        }
        std::fwrite(row.data(), 1, row.size(), out);
    }
    return std::fclose(out) == 0;
}

void Screenshot(const std::string& name, const std::vector<HWND>& windows) {
    if (Settings().shots.empty()) return;
    RECT all{};
    bool first = true;
    for (HWND window : windows) {
        RECT r{};
        if (!window || !GetWindowRect(window, &r)) continue;
        if (first) all = r;
        else UnionRect(&all, &all, &r);
        first = false;
    }
    if (first) return;
    Sleep(150);  // let the windows finish painting after what just happened
    all.left = std::max<LONG>(all.left, 0);
    all.top = std::max<LONG>(all.top, 0);
    all.right = std::min<LONG>(all.right, GetSystemMetrics(SM_CXSCREEN));
    all.bottom = std::min<LONG>(all.bottom, GetSystemMetrics(SM_CYSCREEN));
    MakeFolders(Settings().shots);
    const std::string path = Settings().shots + "\\" + name + ".bmp";
    if (SaveBitmapFile(CaptureScreen(all), path)) Note("screenshot " + path);
}

bool PutClipboardText(const std::string& text, bool none) {
    for (int attempt = 0; attempt < 50; ++attempt) {
        if (!OpenClipboard(nullptr)) {
            Sleep(10);
            continue;
        }
        EmptyClipboard();
        bool put = none;
        if (!none) {
            HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
            if (void* data = memory ? GlobalLock(memory) : nullptr) {
                std::memcpy(data, text.c_str(), text.size() + 1);
                GlobalUnlock(memory);
                put = SetClipboardData(CF_TEXT, memory) != nullptr;
            }
            if (!put && memory) GlobalFree(memory);
        }
        CloseClipboard();
        return put;
    }
    return false;
}

std::string ReadFileBytes(const std::string& path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return "<missing>";
    std::string bytes(GetFileSize(file, nullptr), '\0');
    DWORD read = 0;
    if (!bytes.empty()) ReadFile(file, &bytes[0], static_cast<DWORD>(bytes.size()), &read, nullptr);
    bytes.resize(read);
    CloseHandle(file);
    return bytes;
}

void WriteFileBytes(const std::string& path, const std::string& bytes) {
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
}

std::string Visible(const std::string& bytes) {
    std::string out;
    for (char c : bytes) {
        if (c == '\r') out += "\\r";
        else if (c == '\n') out += "\\n";
        else if (c == '\t') out += "\\t";
        else out += c;
    }
    return out;
}

void RemoveTree(const std::string& folder) {
    WIN32_FIND_DATAA found{};
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = found.cFileName;
            if (name == "." || name == "..") continue;
            const std::string path = folder + "\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(path);
            } else {
                SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileA(path.c_str());
            }
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(folder.c_str());
}

}  // namespace e2e
