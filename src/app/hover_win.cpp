#include "app/hover_win.h"

#include <array>
#include <cstring>

#include "base/hover_layout.h"
#include "base/messages.h"
#include "win/gdi_win.h"

namespace plorimet {

namespace {

// The pixels under the shown label. Module state because only one label exists at a time.
struct SavedPixels {
    Rect rect{};  // all zero: nothing saved
    std::array<std::array<COLORREF, kHoverSaveWidth>, kHoverSaveHeight> colours{};
};
SavedPixels g_saved;

bool IsEmpty(const Rect& r) {
    return r.left == 0 && r.top == 0 && r.right == 0 && r.bottom == 0;
}

// A modal window of the program (dialog, message box) owns the screen meanwhile.
bool LabelsAllowed(const WindowState& state) {
    return GetActiveWindow() != nullptr && IsWindowEnabled(state.mainWindow);
}

OwnedFont CreateLabelFont(const HoverFont& font) {
    LOGFONTA wanted{};
    wanted.lfHeight = font.height;
    wanted.lfWeight = FW_NORMAL;
    wanted.lfCharSet = static_cast<BYTE>(font.charset);
    std::strncpy(wanted.lfFaceName, font.face, LF_FACESIZE - 1);
    return OwnedFont(CreateFontIndirectA(&wanted));
}

// The whole-window context of the main window with the label font selected, for one call.
class LabelContext {
public:
    explicit LabelContext(const WindowState& state)
        : font_(HoverFontFor(state.language, state.platformLevel)),
          dc_(state.mainWindow, WindowDC::Area::WholeWindow),
          handle_(CreateLabelFont(font_)),
          selection_(dc_.get(), handle_.get()) {}

    HDC dc() const { return dc_.get(); }
    const HoverFont& font() const { return font_; }
    explicit operator bool() const { return static_cast<bool>(dc_); }

private:
    HoverFont font_;
    WindowDC dc_;
    OwnedFont handle_;
    SelectGuard selection_;
};

void SavePixels(HDC dc, const Rect& r) {
    g_saved.rect = r;
    for (int i = 0; i < CoveredHeight(r); ++i)
        for (int j = 0; j < CoveredWidth(r); ++j) g_saved.colours[i][j] = GetPixel(dc, r.left + j, r.top + i);
}

void RestorePixels(HDC dc) {
    const Rect r = g_saved.rect;
    if (IsEmpty(r)) return;
    for (int i = 0; i < CoveredHeight(r); ++i) {
        for (int j = 0; j < CoveredWidth(r); ++j) {
            const COLORREF colour = g_saved.colours[i][j];
            // Pixels that could not be read (off the screen) are left alone.
            if (colour != CLR_INVALID) SetPixel(dc, r.left + j, r.top + i, colour);
        }
    }
    g_saved.rect = Rect{};
}

Rect MeasureLabel(const LabelContext& context, int k, const char* text) {
    SIZE extent{};
    GetTextExtentPoint32A(context.dc(), text, static_cast<int>(std::strlen(text)), &extent);
    TEXTMETRICA metrics{};
    GetTextMetricsA(context.dc(), &metrics);
    const HoverMetrics m{GetSystemMetrics(SM_CXBORDER), GetSystemMetrics(SM_CYBORDER),
                         GetSystemMetrics(SM_CYCAPTION), static_cast<int>(extent.cx),
                         static_cast<int>(metrics.tmHeight), static_cast<int>(metrics.tmExternalLeading)};
    return HoverLabelRect(k, m, context.font());
}

// Saves what label k covers, then draws it: a black outline round a white box and the text.
void DrawLabel(const LabelContext& context, int k, UiLanguage language) {
    const char* text = HoverLabelText(k, language);
    const Rect r = MeasureLabel(context, k, text);
    SavePixels(context.dc(), r);
    Rectangle(context.dc(), r.left, r.top, r.right, r.bottom);
    // Clipped to the inside of the box, so that a bounded label keeps its outline.
    RECT inside{r.left + 1, r.top + 1, r.right - 1, r.bottom - 1};
    const Point p = HoverTextOrigin(r, context.font());
    ExtTextOutA(context.dc(), p.x, p.y, ETO_CLIPPED, &inside, text, static_cast<UINT>(std::strlen(text)), nullptr);
}

void ShowLabel(WindowState& state, const LabelContext& context, int k) {
    RestorePixels(context.dc());
    DrawLabel(context, k, state.language);
    state.hoverLabel = k;
}

void RemoveLabel(WindowState& state, const LabelContext& context) {
    RestorePixels(context.dc());
    state.hoverLabel = 0;
}

}  // namespace

void UpdateHoverLabel(WindowState& state) {
    POINT cursor{};
    GetCursorPos(&cursor);
    ScreenToClient(state.mainWindow, &cursor);
    if (!LabelsAllowed(state)) return;
    LabelContext context(state);
    if (!context) return;
    const int k = HoverLabelAt(cursor.x, cursor.y, GetSystemMetrics(SM_CYBORDER));
    if (k == 0 && state.hoverLabel != 0) RemoveLabel(state, context);
    if (k != 0 && k != state.hoverLabel) ShowLabel(state, context, k);
}

void EraseHoverLabel(WindowState& state) {
    if (!IsEmpty(g_saved.rect)) {
        WindowDC dc(state.mainWindow, WindowDC::Area::WholeWindow);
        if (dc) RestorePixels(dc.get());
    }
    g_saved.rect = Rect{};
    state.hoverLabel = 0;
}

void RedrawInputDataLabel(WindowState& state) {
    if (state.hoverLabel != 1 || !LabelsAllowed(state)) return;
    LabelContext context(state);
    if (context) DrawLabel(context, 1, state.language);
}

}  // namespace plorimet
