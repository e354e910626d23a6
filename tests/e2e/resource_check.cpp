// Checks Plorimet's resources in a built module: every tool bar bitmap, the start picture,
// both icons and the eight dialog templates, read back through the same Win32 calls the
// program uses.
//
//   resource_check [--templates-only] [--japanese] [module]
//
// Without a module the checker examines its own resources (the build links them in), so the
// check runs before the program exists; with one it loads that exe or DLL as a data file.
// --templates-only skips what needs a window station (creating the dialogs and measuring
// text); everything else runs without a display. Dialogs are created for one language per
// run: the English ones by default, the Japanese ones with --japanese, which must run in
// code page 932 (under Wine: LANG=ja_JP.UTF-8), the only code page the program shows them
// in. Prints "ok ..." / "FAIL ...: ..." lines and exits with the number of failures (capped
// at 100), or 77 when dialogs were to be created but no window can be.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <cwchar>
#include <cwctype>
#include <string>
#include <vector>

#include "resource_ids.h"

namespace {

int failures = 0;

// Owners of the few GDI and USER objects the checks create.
class GdiObject {
  public:
    explicit GdiObject(HGDIOBJ object) : object_(object) {}
    ~GdiObject() {
        if (object_) DeleteObject(object_);
    }
    GdiObject(const GdiObject&) = delete;
    GdiObject& operator=(const GdiObject&) = delete;
    HGDIOBJ get() const { return object_; }

  private:
    HGDIOBJ object_;
};

class WindowDc {
  public:
    explicit WindowDc(HWND window) : window_(window), dc_(GetDC(window)) {}
    ~WindowDc() {
        if (dc_) ReleaseDC(window_, dc_);
    }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    HDC get() const { return dc_; }

  private:
    HWND window_;
    HDC dc_;
};

// Selects an object into a DC and puts the previous one back.
class Selection {
  public:
    Selection(HDC dc, HGDIOBJ object)
        : dc_(dc), old_(object ? SelectObject(dc, object) : nullptr) {}
    ~Selection() {
        if (old_) SelectObject(dc_, old_);
    }
    Selection(const Selection&) = delete;
    Selection& operator=(const Selection&) = delete;

  private:
    HDC dc_;
    HGDIOBJ old_;
};

class Icon {
  public:
    explicit Icon(HICON icon) : icon_(icon) {}
    ~Icon() {
        if (icon_) DestroyIcon(icon_);
    }
    Icon(const Icon&) = delete;
    Icon& operator=(const Icon&) = delete;
    HICON get() const { return icon_; }

  private:
    HICON icon_;
};

class Window {
  public:
    explicit Window(HWND window) : window_(window) {}
    ~Window() {
        if (window_) DestroyWindow(window_);
    }
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;
    HWND get() const { return window_; }

  private:
    HWND window_;
};

void Fail(const std::string& what, const std::string& detail) {
    ++failures;
    std::printf("FAIL %s: %s\n", what.c_str(), detail.c_str());
}

void Ok(const std::string& what) { std::printf("ok %s\n", what.c_str()); }

std::string Narrow(const std::wstring& text) {
    std::string out;
    for (wchar_t c : text) {
        if (c >= 0x20 && c < 0x7F) {
            out += static_cast<char>(c);
        } else {
            char buf[12];
            std::snprintf(buf, sizeof buf, "\\u%04X", static_cast<unsigned>(c));
            out += buf;
        }
    }
    return out;
}

// ---------------------------------------------------------------------------------------
// Raw resources.

struct ResourceBytes {
    const BYTE* data = nullptr;
    DWORD size = 0;
};

ResourceBytes FindBytes(HMODULE module, LPCSTR name, LPCSTR type) {
    ResourceBytes out;
    HRSRC info = FindResourceA(module, name, type);
    if (!info) return out;
    HGLOBAL handle = LoadResource(module, info);
    if (!handle) return out;
    out.data = static_cast<const BYTE*>(LockResource(handle));
    out.size = out.data ? SizeofResource(module, info) : 0;
    return out;
}

// A 4-bit bitmap resource: the info header, 16 colours, then the rows.
struct Bitmap4 {
    BITMAPINFOHEADER header{};
    RGBQUAD colours[16]{};
    std::vector<BYTE> bits;
};

// The row size of a DIB, from first principles: bits per row rounded up to 32-bit words.
DWORD DibStride(LONG width, WORD bitCount) {
    return ((static_cast<DWORD>(width) * bitCount + 31) / 32) * 4;
}

bool ReadBitmap4(HMODULE module, const char* name, Bitmap4& out, std::string& why) {
    ResourceBytes raw = FindBytes(module, name, MAKEINTRESOURCEA(2) /* RT_BITMAP */);
    if (!raw.data) {
        why = "not found";
        return false;
    }
    if (raw.size < sizeof(BITMAPINFOHEADER)) {
        why = "shorter than its header";
        return false;
    }
    std::memcpy(&out.header, raw.data, sizeof out.header);
    const BITMAPINFOHEADER& h = out.header;
    if (h.biSize != sizeof(BITMAPINFOHEADER) || h.biPlanes != 1 || h.biBitCount != 4 ||
        h.biCompression != BI_RGB || (h.biClrUsed != 0 && h.biClrUsed != 16)) {
        why = "not a plain 4-bit, 16-colour bitmap (bits " + std::to_string(h.biBitCount) +
              ", compression " + std::to_string(h.biCompression) + ", colours " +
              std::to_string(h.biClrUsed) + ")";
        return false;
    }
    if (h.biWidth <= 0 || h.biHeight <= 0) {
        why = "bad size";
        return false;
    }
    const DWORD bitsSize = DibStride(h.biWidth, 4) * static_cast<DWORD>(h.biHeight);
    const DWORD need = sizeof(BITMAPINFOHEADER) + sizeof out.colours + bitsSize;
    if (raw.size < need) {
        why = "holds " + std::to_string(raw.size) + " bytes, needs " + std::to_string(need);
        return false;
    }
    std::memcpy(out.colours, raw.data + sizeof(BITMAPINFOHEADER), sizeof out.colours);
    const BYTE* bits = raw.data + sizeof(BITMAPINFOHEADER) + sizeof out.colours;
    out.bits.assign(bits, bits + bitsSize);
    return true;
}

bool SameColour(const RGBQUAD& q, BYTE r, BYTE g, BYTE b) {
    return q.rgbRed == r && q.rgbGreen == g && q.rgbBlue == b;
}

std::string ColourText(const RGBQUAD& q) {
    return "(" + std::to_string(q.rgbRed) + "," + std::to_string(q.rgbGreen) + "," +
           std::to_string(q.rgbBlue) + ")";
}

// LoadBitmapA, as the tool bar does on every draw, must give a bitmap of the same size.
bool LoadsAsBitmap(HMODULE module, const char* name, LONG width, LONG height, std::string& why) {
    GdiObject bmp(LoadBitmapA(module, name));
    if (!bmp.get()) {
        why = "LoadBitmapA failed, error " + std::to_string(GetLastError());
        return false;
    }
    BITMAP info{};
    if (GetObjectA(bmp.get(), sizeof info, &info) != sizeof info || info.bmWidth != width ||
        info.bmHeight != height) {
        why = "LoadBitmapA gave " + std::to_string(info.bmWidth) + " x " +
              std::to_string(info.bmHeight);
        return false;
    }
    return true;
}

// ---------------------------------------------------------------------------------------
// Tool bar bitmaps.

struct BitmapSet {
    const char* suffix;
    BYTE r, g, b;  // entry 7, the button face
};
const BitmapSet kSets[] = {
    {"", 192, 192, 192}, {"9", 216, 208, 200}, {"8", 214, 210, 206}, {"X", 236, 233, 216}};

struct Stem {
    const char* name;
    LONG width;
    bool picture;  // false: Gap and Space, plain button face on every face
};
const Stem kStems[] = {{"Gap", 16, false},    {"DataW", 32, true}, {"Read", 32, true},
                       {"Paste", 32, true},   {"AnaW", 32, true},  {"SaveAs", 32, true},
                       {"Grph", 32, true},    {"Copy", 32, true},  {"SaveGr", 32, true},
                       {"About", 32, true},   {"Help", 32, true},  {"Exit", 32, true},
                       {"Space", 2000, false}};
const char* const kFaces[] = {"Up", "Dn", "In"};

void CheckToolbarBitmaps(HMODULE module, bool withGdi) {
    int checked = 0;
    const int failuresBefore = failures;
    for (const Stem& stem : kStems) {
        Bitmap4 plain[3];  // the plain set's faces, which the other sets must repeat
        for (const BitmapSet& set : kSets) {
            for (int f = 0; f < 3; ++f) {
                const std::string name = std::string(stem.name) + set.suffix + kFaces[f];
                const std::string what = "bitmap " + name;
                ++checked;
                if (name.size() > 11) Fail(what, "name longer than 11 characters");
                Bitmap4 bmp;
                std::string why;
                if (!ReadBitmap4(module, name.c_str(), bmp, why)) {
                    Fail(what, why);
                    continue;
                }
                if (bmp.header.biWidth != stem.width || bmp.header.biHeight != 20) {
                    Fail(what, "is " + std::to_string(bmp.header.biWidth) + " x " +
                                   std::to_string(bmp.header.biHeight) + ", wants " +
                                   std::to_string(stem.width) + " x 20");
                    continue;
                }
                if (!SameColour(bmp.colours[7], set.r, set.g, set.b)) {
                    Fail(what, "entry 7 is " + ColourText(bmp.colours[7]));
                }
                if (withGdi && !LoadsAsBitmap(module, name.c_str(), stem.width, 20, why)) {
                    Fail(what, why);
                }
                if (set.suffix[0] == '\0') {
                    plain[f] = bmp;
                    continue;
                }
                // The sets are one picture: same pixels, same colours but the face colour.
                if (bmp.bits != plain[f].bits) Fail(what, "pixels differ from the plain set");
                for (int c = 0; c < 16; ++c) {
                    if (c != 7 &&
                        std::memcmp(&bmp.colours[c], &plain[f].colours[c], sizeof(RGBQUAD)) != 0) {
                        Fail(what, "colour " + std::to_string(c) + " differs from the plain set");
                    }
                }
            }
        }
        if (stem.picture && (plain[0].bits == plain[1].bits || plain[0].bits == plain[2].bits ||
                             plain[1].bits == plain[2].bits)) {
            Fail(std::string("bitmaps ") + stem.name, "two of its faces Up, Dn, In are identical");
        }
        // Shadows need a dark grey besides the face colour.
        if (!plain[0].bits.empty() && !SameColour(plain[0].colours[8], 128, 128, 128)) {
            Fail(std::string("bitmaps ") + stem.name,
                 "entry 8 (shadow) is " + ColourText(plain[0].colours[8]));
        }
    }
    if (failures == failuresBefore) Ok("tool bar bitmaps: " + std::to_string(checked) + " checked");
}

void CheckStartPicture(HMODULE module, bool withGdi) {
    Bitmap4 bmp;
    std::string why;
    if (!ReadBitmap4(module, "IBMP_1", bmp, why)) {
        Fail("bitmap IBMP_1", why);
        return;
    }
    if (bmp.header.biWidth != 253 || bmp.header.biHeight != 221) {
        Fail("bitmap IBMP_1", "is " + std::to_string(bmp.header.biWidth) + " x " +
                                  std::to_string(bmp.header.biHeight) + ", wants 253 x 221");
        return;
    }
    if (withGdi && !LoadsAsBitmap(module, "IBMP_1", 253, 221, why)) {
        Fail("bitmap IBMP_1", why);
        return;
    }
    Ok("bitmap IBMP_1: 253 x 221, 4 bits");
}

// ---------------------------------------------------------------------------------------
// Icons: the group directory names a 32 x 32, 16-colour image, which loads.

#pragma pack(push, 2)
struct GroupIconEntry {
    BYTE width, height, colourCount, reserved;
    WORD planes, bitCount;
    DWORD bytesInRes;
    WORD id;
};
#pragma pack(pop)

void CheckIcon(HMODULE module, LPCSTR name, const std::string& what, bool withGdi) {
    ResourceBytes group = FindBytes(module, name, MAKEINTRESOURCEA(14) /* RT_GROUP_ICON */);
    if (!group.data || group.size < 6) {
        Fail(what, "no icon group");
        return;
    }
    WORD header[3];
    std::memcpy(header, group.data, sizeof header);
    if (header[0] != 0 || header[1] != 1 || header[2] == 0 ||
        group.size < 6 + header[2] * sizeof(GroupIconEntry)) {
        Fail(what, "bad icon group header");
        return;
    }
    bool found = false;
    for (WORD i = 0; i < header[2] && !found; ++i) {
        GroupIconEntry e;
        std::memcpy(&e, group.data + 6 + i * sizeof e, sizeof e);
        if (e.width != 32 || e.height != 32 || e.bitCount != 4) continue;
        ResourceBytes image = FindBytes(module, MAKEINTRESOURCEA(e.id), MAKEINTRESOURCEA(3));
        BITMAPINFOHEADER h{};
        if (image.size >= sizeof h) std::memcpy(&h, image.data, sizeof h);
        // An icon image is the colour bits and the AND mask stacked: twice the height.
        const DWORD need =
            sizeof h + 16 * sizeof(RGBQUAD) + DibStride(32, 4) * 32 + DibStride(32, 1) * 32;
        found = image.size >= need && h.biWidth == 32 && h.biHeight == 64 && h.biBitCount == 4;
    }
    if (!found) {
        Fail(what, "no 32 x 32 image with 4 bits per pixel");
        return;
    }
    if (withGdi) {
        Icon icon(static_cast<HICON>(LoadImageA(module, name, IMAGE_ICON, 32, 32, 0)));
        if (!icon.get()) {
            Fail(what, "LoadImageA failed");
            return;
        }
        ICONINFO info{};
        BITMAP colour{};
        if (GetIconInfo(icon.get(), &info)) {
            GdiObject colourBits(info.hbmColor), maskBits(info.hbmMask);
            if (colourBits.get()) GetObjectA(colourBits.get(), sizeof colour, &colour);
        }
        if (colour.bmWidth != 32 || colour.bmHeight != 32) {
            Fail(what, "loads as " + std::to_string(colour.bmWidth) + " x " +
                           std::to_string(colour.bmHeight));
            return;
        }
    }
    Ok(what + ": 32 x 32, 16 colours");
}

// ---------------------------------------------------------------------------------------
// Dialog templates: what each must hold, control by control in template order.

enum ControlClass : WORD { kButton = 0x80, kStatic = 0x82, kComboBox = 0x85 };

const DWORD kChild = WS_CHILD | WS_VISIBLE;
const DWORD kDefPush = kChild | WS_TABSTOP | BS_DEFPUSHBUTTON;
const DWORD kPush = kChild | WS_TABSTOP | BS_PUSHBUTTON;
const DWORD kGroupBox = kChild | BS_GROUPBOX;
const DWORD kRadioFirst = kChild | WS_GROUP | WS_TABSTOP | BS_RADIOBUTTON;
const DWORD kRadio = kChild | BS_RADIOBUTTON;
const DWORD kLeftText = kChild | WS_GROUP | SS_LEFT;
const DWORD kCentreText = kChild | WS_GROUP | SS_CENTER;
const DWORD kCombo = kChild | WS_VSCROLL | WS_TABSTOP | CBS_DROPDOWN;
const DWORD kIcon = kChild | SS_ICON;
const WORD kNoId = 0xFFFF;

struct ExpectedControl {
    WORD id;
    ControlClass cls;
    DWORD style;
    short x, y, cx, cy;
    const wchar_t* text;  // for the icon: unused, its title is the icon's number
};

struct ExpectedDialog {
    const char* name;
    const wchar_t* caption;
    short x, y, cx, cy;
    WORD pointSize;
    const wchar_t* face;
    std::vector<ExpectedControl> items;
};

// The maker's lines that end the About description.
#define ABOUT_MAKER_EN L"Plorimet 1.42 - report bugs in the issue tracker"
#define ABOUT_MAKER_JA L"Plorimet 1.42 不具合は課題管理へ"

const wchar_t kHelv[] = L"Helv";
const wchar_t kGothic[] = L"ＭＳ Ｐゴシック";

// clang-format off
std::vector<ExpectedDialog> ExpectedDialogs() {
    std::vector<ExpectedDialog> d;
    d.push_back({"SMOOTHING_DLG", L"Plorimet", 50, 50, 145, 110, 8, kHelv, {
        {IDOK, kButton, kDefPush, 85, 67, 50, 15, L"OK"},
        {IDCANCEL, kButton, kPush, 85, 86, 50, 15, L"Cancel"},
        {kNoId, kButton, kGroupBox, 10, 8, 125, 30, L"Digits of Coefficient"},
        {IDC_DIGITS_3, kButton, kRadioFirst, 20, 18, 27, 15, L"3"},
        {IDC_DIGITS_4, kButton, kRadio, 48, 18, 27, 15, L"4"},
        {IDC_DIGITS_5, kButton, kRadio, 76, 18, 27, 15, L"5"},
        {IDC_DIGITS_6, kButton, kRadio, 104, 18, 27, 15, L"6"},
        {kNoId, kStatic, kLeftText, 10, 47, 125, 18,
            L"It is recommended to apply\nDegree of Equation <= 10."},
        {kNoId, kStatic, kLeftText, 10, 75, 73, 10, L"Degree of Equation"},
        {IDC_DEGREE_COMBO, kComboBox, kCombo, 10, 86, 50, 100, L""}}});
    d.push_back({"SMOOTHING_DLG_J", L"Plorimet", 50, 50, 140, 110, 9, kGothic, {
        {IDOK, kButton, kDefPush, 80, 67, 50, 15, L"OK"},
        {IDCANCEL, kButton, kPush, 80, 86, 50, 15, L"ｷｬﾝｾﾙ"},
        {kNoId, kButton, kGroupBox, 10, 8, 120, 30, L"係数の桁数"},
        {IDC_DIGITS_3, kButton, kRadioFirst, 20, 18, 26, 15, L"3"},
        {IDC_DIGITS_4, kButton, kRadio, 47, 18, 26, 15, L"4"},
        {IDC_DIGITS_5, kButton, kRadio, 74, 18, 26, 15, L"5"},
        {IDC_DIGITS_6, kButton, kRadio, 101, 18, 26, 15, L"6"},
        {kNoId, kStatic, kLeftText, 10, 48, 120, 18,
            L"近似式の次数 <= １０\nの適用を推奨します."},
        {kNoId, kStatic, kLeftText, 10, 75, 68, 10, L"近似式の次数"},
        {IDC_DEGREE_COMBO, kComboBox, kCombo, 10, 86, 50, 100, L""}}});
    d.push_back({"COLUMN_NUM_DLG", L"Select Excel Column Numbers", 50, 50, 140, 106, 8, kHelv, {
        {IDOK, kButton, kDefPush, 10, 84, 50, 15, L"OK"},
        {IDCANCEL, kButton, kPush, 80, 84, 50, 15, L"Cancel"},
        {kNoId, kStatic, kLeftText, 10, 7, 120, 30,
            L"N0. 1 is left column, No. 2 is second left column, and so on for the Excel "
            L"columns copied."},
        {kNoId, kButton, kGroupBox, 10, 38, 120, 39, L"Column numbers to be pasted"},
        {kNoId, kStatic, kLeftText, 15, 48, 50, 10, L"X Column :"},
        {IDC_X_COLUMN_COMBO, kComboBox, kCombo, 15, 59, 50, 100, L""},
        {kNoId, kStatic, kLeftText, 75, 48, 50, 10, L"Y Column :"},
        {IDC_Y_COLUMN_COMBO, kComboBox, kCombo, 75, 59, 50, 100, L""}}});
    d.push_back({"COLUMN_NUM_DLG_J", L"Excelのカラム(縦列)番号の選択", 50, 50, 140, 100, 9, kGothic, {
        {IDOK, kButton, kDefPush, 10, 78, 50, 15, L"OK"},
        {IDCANCEL, kButton, kPush, 80, 78, 50, 15, L"ｷｬﾝｾﾙ"},
        {kNoId, kStatic, kLeftText, 10, 7, 120, 20,
            L"コピーしたExcelのカラムの左から１番目、２番目、... と数えます."},
        {kNoId, kButton, kGroupBox, 10, 32, 120, 39, L"貼付けるカラム番号"},
        {kNoId, kStatic, kLeftText, 15, 42, 50, 10, L"Ｘカラム："},
        {IDC_X_COLUMN_COMBO, kComboBox, kCombo, 15, 53, 50, 100, L""},
        {kNoId, kStatic, kLeftText, 75, 42, 50, 10, L"Ｙカラム："},
        {IDC_Y_COLUMN_COMBO, kComboBox, kCombo, 75, 53, 50, 100, L""}}});

    // The graph settings: five, five, three and three radio buttons under four group boxes.
    struct Row {
        const wchar_t* groupEn;
        const wchar_t* groupJa;
        short y;
        WORD firstId;
        std::vector<const wchar_t*> en, ja;
    };
    const std::vector<Row> rows = {
        {L"Line Thickness", L"線の太さ", 8, IDC_THICKNESS_1,
         {L"1", L"2", L"3", L"4", L"5"}, {L"1", L"2", L"3", L"4", L"5"}},
        {L"Dot Size", L"点の大きさ", 43, IDC_DOT_5,
         {L"5", L"7", L"9", L"11", L"13"}, {L"5", L"7", L"9", L"11", L"13"}},
        {L"Graph Size (%)", L"グラフの大きさ (%)", 78, IDC_SIZE_100,
         {L"100", L"70", L"50"}, {L"100", L"70", L"50"}},
        {L"Scale/Grid", L"目盛・格子", 113, IDC_SCALE_NONE,
         {L"None", L"Scale", L"Grid"}, {L"なし", L"目盛", L"格子"}}};
    const short fiveXEn[] = {19, 42, 65, 88, 112}, fiveXJa[] = {19, 41, 63, 85, 107};
    const short threeXEn[] = {19, 57, 95}, threeXJa[] = {19, 56, 93};
    for (int ja = 0; ja < 2; ++ja) {
        ExpectedDialog s{ja ? "PENSIZE_DLG_J" : "PENSIZE_DLG",
                         ja ? L"グラフの指定" : L"Graph Specification", 50, 50,
                         static_cast<short>(ja ? 140 : 145), 172, static_cast<WORD>(ja ? 9 : 8),
                         ja ? kGothic : kHelv, {}};
        s.items.push_back({IDOK, kButton, kDefPush, 10, 150, 50, 15, L"OK"});
        s.items.push_back({IDCANCEL, kButton, kPush, static_cast<short>(ja ? 80 : 85), 150, 50, 15,
                           ja ? L"ｷｬﾝｾﾙ" : L"Cancel"});
        for (const Row& row : rows) {
            s.items.push_back({kNoId, kButton, kGroupBox, 10, row.y,
                               static_cast<short>(ja ? 120 : 125), 30,
                               ja ? row.groupJa : row.groupEn});
            const auto& texts = ja ? row.ja : row.en;
            const bool five = texts.size() == 5;
            for (size_t i = 0; i < texts.size(); ++i) {
                const short x = five ? (ja ? fiveXJa : fiveXEn)[i] : (ja ? threeXJa : threeXEn)[i];
                const short cx = five ? (ja ? 21 : 22) : (ja ? 36 : 37);
                s.items.push_back({static_cast<WORD>(row.firstId + i), kButton,
                                   i == 0 ? kRadioFirst : kRadio, x, static_cast<short>(row.y + 10),
                                   cx, 15, texts[i]});
            }
        }
        d.push_back(s);
    }

    d.push_back({"ABOUT_DLG", L"About", 50, 50, 190, 115, 8, kHelv, {
        {kNoId, kStatic, kCentreText, 10, 10, 170, 18, L"*** Plorimet (V 1.42) ***"},
        {kNoId, kStatic, kLeftText, 10, 28, 170, 63,
            L"Polynomial approximation is executed for (X,Y) data.\n\nReport bugs and "
            L"suggestions would be appreciated.\n\n" ABOUT_MAKER_EN},
        {IDOK, kButton, kDefPush, 70, 92, 50, 15, L"OK"},
        {kNoId, kStatic, kIcon, 162, 90, 0, 0, nullptr}}});
    d.push_back({"ABOUT_DLG_J", L"御案内", 50, 50, 150, 115, 9, kGothic, {
        {kNoId, kStatic, kCentreText, 10, 10, 130, 16, L"*** Plorimet (V 1.42) ***"},
        {kNoId, kStatic, kLeftText, 10, 26, 130, 59,
            L"(X,Y)データの多項式近似を行います.\n\nバグ・レポート、コメントを歓迎します."
            L"\n\n" ABOUT_MAKER_JA},
        {IDOK, kButton, kDefPush, 50, 92, 50, 15, L"OK"},
        {kNoId, kStatic, kIcon, 125, 88, 0, 0, nullptr}}});
    return d;
}
// clang-format on

// ---------------------------------------------------------------------------------------
// Reading a DLGTEMPLATE (the DIALOG statement's format) with bounds checks.

class TemplateReader {
  public:
    TemplateReader(const BYTE* data, DWORD size) : data_(data), size_(size) {}
    bool ok() const { return ok_; }
    void Align() { pos_ = (pos_ + 3) & ~static_cast<DWORD>(3); }
    WORD Word() {
        WORD w = 0;
        if (pos_ + 2 > size_) {
            ok_ = false;
            return 0;
        }
        std::memcpy(&w, data_ + pos_, 2);
        pos_ += 2;
        return w;
    }
    DWORD Dword() {
        const WORD lo = Word();
        return lo | (static_cast<DWORD>(Word()) << 16);
    }
    std::wstring String() {
        std::wstring s;
        for (WORD c = Word(); ok_ && c != 0; c = Word()) s += static_cast<wchar_t>(c);
        return s;
    }
    // A name or an ordinal: 0xFFFF and a number, or a string (possibly empty).
    void NameOrOrdinal(std::wstring& name, WORD& ordinal) {
        name.clear();
        ordinal = 0;
        const DWORD start = pos_;
        const WORD first = Word();
        if (first == 0xFFFF) {
            ordinal = Word();
        } else if (first != 0) {
            pos_ = start;
            name = String();
        }
    }
    void Skip(DWORD n) {
        if (pos_ + n > size_) ok_ = false;
        pos_ += n;
    }

  private:
    const BYTE* data_;
    DWORD size_;
    DWORD pos_ = 0;
    bool ok_ = true;
};

WORD ClassOrdinal(const std::wstring& name, WORD ordinal) {
    if (name.empty()) return ordinal;
    std::wstring upper;
    for (wchar_t c : name) upper += static_cast<wchar_t>(std::towupper(c));
    if (upper == L"BUTTON") return kButton;
    if (upper == L"STATIC") return kStatic;
    if (upper == L"COMBOBOX") return kComboBox;
    return 0;
}

void CheckTemplate(HMODULE module, const ExpectedDialog& expected) {
    const std::string what = std::string("template ") + expected.name;
    ResourceBytes raw = FindBytes(module, expected.name, MAKEINTRESOURCEA(5) /* RT_DIALOG */);
    if (!raw.data) {
        Fail(what, "not found");
        return;
    }
    TemplateReader r(raw.data, raw.size);
    const DWORD style = r.Dword();
    r.Dword();  // extended style
    const WORD count = r.Word();
    const short x = r.Word(), y = r.Word(), cx = r.Word(), cy = r.Word();
    std::wstring menu, cls;
    WORD menuId, clsId;
    r.NameOrOrdinal(menu, menuId);
    r.NameOrOrdinal(cls, clsId);
    const std::wstring caption = r.String();
    WORD pointSize = 0;
    std::wstring face;
    if (style & DS_SETFONT) {
        pointSize = r.Word();
        face = r.String();
    }
    const DWORD wantStyle = DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_SETFONT;
    if (!r.ok()) {
        Fail(what, "truncated header");
        return;
    }
    if (style != wantStyle) Fail(what, "style " + std::to_string(style));
    if (x != expected.x || y != expected.y || cx != expected.cx || cy != expected.cy) {
        Fail(what, "frame " + std::to_string(x) + "," + std::to_string(y) + " " +
                       std::to_string(cx) + "x" + std::to_string(cy));
    }
    if (caption != expected.caption) Fail(what, "caption " + Narrow(caption));
    if (pointSize != expected.pointSize || face != expected.face) {
        Fail(what, "font " + std::to_string(pointSize) + " " + Narrow(face));
    }
    if (!menu.empty() || menuId != 0 || !cls.empty() || clsId != 0) {
        Fail(what, "has a menu or a class of its own");
    }
    if (count != expected.items.size()) {
        Fail(what,
             std::to_string(count) + " controls, wants " + std::to_string(expected.items.size()));
        return;
    }
    for (const ExpectedControl& want : expected.items) {
        r.Align();
        const DWORD itemStyle = r.Dword();
        r.Dword();  // extended style
        const short ix = r.Word(), iy = r.Word(), icx = r.Word(), icy = r.Word();
        const WORD id = r.Word();
        std::wstring className, title;
        WORD classId, titleId;
        r.NameOrOrdinal(className, classId);
        r.NameOrOrdinal(title, titleId);
        r.Skip(r.Word());  // creation data
        const std::string item =
            what + " control " + std::to_string(&want - &expected.items[0] + 1);
        if (!r.ok()) {
            Fail(item, "truncated");
            return;
        }
        if (id != want.id) Fail(item, "id " + std::to_string(id));
        if (ClassOrdinal(className, classId) != want.cls) Fail(item, "class " + Narrow(className));
        if (itemStyle != want.style) {
            char buf[64];
            std::snprintf(buf, sizeof buf, "style 0x%08lX, wants 0x%08lX",
                          static_cast<unsigned long>(itemStyle),
                          static_cast<unsigned long>(want.style));
            Fail(item, buf);
        }
        if (ix != want.x || iy != want.y || icx != want.cx || icy != want.cy) {
            Fail(item, "at " + std::to_string(ix) + "," + std::to_string(iy) + " " +
                           std::to_string(icx) + "x" + std::to_string(icy));
        }
        if (want.text) {
            if (title != want.text) Fail(item, "text " + Narrow(title));
        } else if (!title.empty() || titleId != IDI_ABOUT) {
            Fail(item, "does not name icon " + std::to_string(IDI_ABOUT));
        }
    }
}

// ---------------------------------------------------------------------------------------
// Creating the dialogs as the program does (ANSI call) and reading back wide text.

INT_PTR CALLBACK QuietDialogProc(HWND, UINT message, WPARAM, LPARAM) {
    return message == WM_INITDIALOG ? TRUE : FALSE;
}

std::wstring WindowText(HWND window) {
    const int length = GetWindowTextLengthW(window);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const int got = GetWindowTextW(window, &text[0], length + 1);
    text.resize(static_cast<size_t>(got > 0 ? got : 0));
    return text;
}

std::wstring ClassName(HWND window) {
    wchar_t buf[64] = {0};
    GetClassNameW(window, buf, 64);
    std::wstring upper;
    for (wchar_t* p = buf; *p; ++p) upper += static_cast<wchar_t>(std::towupper(*p));
    return upper;
}

// Whether the static's text, word-wrapped as the static draws it, fits its client area.
struct TextFit {
    int needed = 0, available = 0;
    int lineHeight = 0, width = 0, widestParagraph = 0;
    std::wstring face;
};

bool TextFits(HWND control, TextFit& fit) {
    RECT client;
    GetClientRect(control, &client);
    const std::wstring text = WindowText(control);
    WindowDc dc(control);
    Selection font(dc.get(), reinterpret_cast<HGDIOBJ>(SendMessageW(control, WM_GETFONT, 0, 0)));
    RECT box = client;
    DrawTextW(dc.get(), text.c_str(), static_cast<int>(text.size()), &box,
              DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS);
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc.get(), &metrics);
    wchar_t face[LF_FACESIZE] = {0};
    GetTextFaceW(dc.get(), LF_FACESIZE, face);
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find(L'\n', start);
        if (end == std::wstring::npos) end = text.size();
        SIZE extent{};
        GetTextExtentPoint32W(dc.get(), text.c_str() + start, static_cast<int>(end - start),
                              &extent);
        if (extent.cx > fit.widestParagraph) fit.widestParagraph = extent.cx;
        start = end + 1;
    }
    fit.needed = box.bottom - box.top;
    fit.available = client.bottom - client.top;
    fit.lineHeight = metrics.tmHeight;
    fit.width = client.right - client.left;
    fit.face = face;
    return fit.needed <= fit.available && box.right - box.left <= fit.width;
}

void CheckCreatedDialog(HMODULE module, const ExpectedDialog& expected) {
    const std::string what = std::string("dialog ") + expected.name;
    Window owned(CreateDialogParamA(module, expected.name, nullptr, QuietDialogProc, 0));
    HWND dialog = owned.get();
    if (!dialog) {
        Fail(what, "CreateDialogParamA failed, error " + std::to_string(GetLastError()));
        return;
    }
    const int failuresBefore = failures;
    if (WindowText(dialog) != expected.caption) Fail(what, "caption " + Narrow(WindowText(dialog)));
    size_t index = 0;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (index >= expected.items.size()) {
            ++index;
            continue;
        }
        const ExpectedControl& want = expected.items[index++];
        const std::string item = what + " control " + std::to_string(index);
        const WORD id = static_cast<WORD>(GetDlgCtrlID(child));
        if (id != want.id) Fail(item, "id " + std::to_string(id));
        const std::wstring cls = ClassName(child);
        const wchar_t* wantClass = want.cls == kButton   ? L"BUTTON"
                                   : want.cls == kStatic ? L"STATIC"
                                                         : L"COMBOBOX";
        if (cls != wantClass) Fail(item, "class " + Narrow(cls));
        if (want.text) {
            // Read back by identifier where there is one, as the program's procedures do.
            std::wstring text = WindowText(child);
            if (want.id != kNoId) {
                wchar_t buf[256] = {0};
                GetDlgItemTextW(dialog, want.id, buf, 256);
                text = buf;
            }
            if (text != want.text) Fail(item, "text " + Narrow(text));
        } else {
            HICON icon = reinterpret_cast<HICON>(SendMessageW(child, STM_GETICON, 0, 0));
            if (!icon) Fail(item, "shows no icon");
        }
        if (want.cls == kComboBox) {
            const LONG_PTR style = GetWindowLongPtrW(child, GWL_STYLE);
            if ((style & 3) != CBS_DROPDOWN || (style & CBS_SORT))
                Fail(item, "not an unsorted drop-down");
        }
    }
    if (index != expected.items.size()) {
        Fail(what,
             std::to_string(index) + " controls, wants " + std::to_string(expected.items.size()));
    }
    // Our own lines close the About text; they must not run out of the static.
    if (std::strncmp(expected.name, "ABOUT_DLG", 9) == 0 && expected.items.size() > 1) {
        HWND description = GetWindow(GetWindow(dialog, GW_CHILD), GW_HWNDNEXT);
        TextFit fit;
        const bool fits = description && TextFits(description, fit);
        std::printf(
            "   %s description in %s, lines of %d pixels: needs %d of %d pixels high; "
            "widest paragraph %d, static %d wide\n",
            expected.name, Narrow(fit.face).c_str(), fit.lineHeight, fit.needed, fit.available,
            fit.widestParagraph, fit.width);
        if (!fits) Fail(what, "the description does not fit its static");
    }
    if (failures == failuresBefore) {
        Ok(what + ": " + std::to_string(expected.items.size()) + " controls with their texts");
    }
}

// Wine runs Windows programs with Unix paths on drive Z:.
std::string WindowsPath(const std::string& path) {
    if (path.empty() || path[0] != '/') return path;
    std::string out = "Z:" + path;
    for (char& c : out) {
        if (c == '/') c = '\\';
    }
    return out;
}

// Under Wine without an X display no window can be created at all.
bool CanCreateWindows() {
    Window probe(CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                 GetModuleHandleA(nullptr), nullptr));
    return probe.get() != nullptr;
}

bool IsJapanese(const ExpectedDialog& expected) {
    const size_t n = std::strlen(expected.name);
    return n > 2 && std::strcmp(expected.name + n - 2, "_J") == 0;
}

const int kSkipped = 77;  // CTest's SKIP_RETURN_CODE for these tests

}  // namespace

int main(int argc, char** argv) {
    bool templatesOnly = false;
    bool japanese = false;
    std::string modulePath;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--templates-only") == 0) {
            templatesOnly = true;
        } else if (std::strcmp(argv[i], "--japanese") == 0) {
            japanese = true;
        } else {
            modulePath = WindowsPath(argv[i]);
        }
    }
    HMODULE module = GetModuleHandleA(nullptr);
    if (!modulePath.empty()) {
        module = LoadLibraryExA(modulePath.c_str(), nullptr,
                                LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
        if (!module) {
            std::printf("FAIL load %s: error %lu\n", modulePath.c_str(),
                        static_cast<unsigned long>(GetLastError()));
            return 1;
        }
    }
    std::printf("checking the resources of %s (code page %u)\n",
                modulePath.empty() ? "this checker" : modulePath.c_str(), GetACP());
    // The program shows the Japanese templates only in code page 932; through the ANSI
    // calls their texts survive only there.
    if (japanese && GetACP() != 932) Fail("--japanese", "the code page is not 932");

    const bool withGdi = !templatesOnly;
    CheckToolbarBitmaps(module, withGdi);
    CheckStartPicture(module, withGdi);
    CheckIcon(module, "ICON_1", "icon ICON_1", withGdi);
    CheckIcon(module, MAKEINTRESOURCEA(IDI_ABOUT), "icon " + std::to_string(IDI_ABOUT), withGdi);
    const std::vector<ExpectedDialog> dialogs = ExpectedDialogs();
    const int failuresBefore = failures;
    for (const ExpectedDialog& expected : dialogs) CheckTemplate(module, expected);
    if (failures == failuresBefore) {
        Ok("dialog templates: " + std::to_string(dialogs.size()) + " checked");
    }

    bool skipped = false;
    if (!templatesOnly) {
        if (!CanCreateWindows()) {
            std::printf("skip dialog creation: no window can be created (no display?)\n");
            skipped = true;
        } else {
            // Each language's dialogs in its own run, as the program shows them.
            for (const ExpectedDialog& expected : dialogs) {
                if (IsJapanese(expected) == japanese) CheckCreatedDialog(module, expected);
            }
        }
    }

    if (!modulePath.empty()) FreeLibrary(module);
    std::printf("%d failure(s)\n", failures);
    if (failures == 0 && skipped) return kSkipped;
    return failures > 100 ? 100 : failures;
}
