#include "app/equation_view_win.h"

#include <cstring>
#include <string>

#include "base/window_layout.h"
#include "model/commands.h"
#include "win/gdi_win.h"
#include "win/message_box_win.h"

namespace plorimet {

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
// Top-left aligned, lines broken only at the text's own line feeds, clipped to the rectangle.
constexpr UINT kEquationFormat = DT_LEFT | DT_TOP | DT_NOPREFIX;

void DrawEquationIn(const WindowState& state, bool erase) {
    if (state.fitResult.equationText.empty()) return;
    WindowDC dc(state.mainWindow);
    if (!dc) return;
    if (erase) SetTextColor(dc.get(), kWhite);
    const Rect r = EquationRect(state.grid);
    RECT area{r.left, r.top, r.right, r.bottom};
    const std::string& text = state.fitResult.equationText;
    DrawTextA(dc.get(), text.c_str(), static_cast<int>(text.size()), &area, kEquationFormat);
}

}  // namespace

void DrawEquationText(const WindowState& state) {
    DrawEquationIn(state, false);
}

void EraseEquationText(const WindowState& state) {
    DrawEquationIn(state, true);
}

void CopyEquation(const WindowState& state) {
    const std::string text = EquationCopyText(state);
    if (text.empty()) return;
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
    if (!block) {
        ShowMessage(state.mainWindow, state.language, MessageId::ClipboardMemory);
        return;
    }
    {
        GlobalLockGuard<char> locked(block);
        if (!locked) {
            GlobalFree(block);
            return;
        }
        std::memcpy(locked.get(), text.c_str(), text.size() + 1);
    }
    // The block is the clipboard's once it is taken; freed here otherwise.
    ClipboardSession clipboard(state.mainWindow);
    if (clipboard.open() && EmptyClipboard() && SetClipboardData(CF_TEXT, block)) return;
    GlobalFree(block);
}

}  // namespace plorimet
