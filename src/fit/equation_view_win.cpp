#include "fit/equation_view_win.h"

#include "base/window_layout.h"
#include "win/gdi_win.h"

namespace plorimet {

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
// Top-left aligned, lines broken only at the text's own line feeds, clipped to the rectangle.
constexpr UINT kEquationFormat = DT_LEFT | DT_TOP | DT_NOPREFIX;

void DrawEquationIn(const ProgramState& state, bool erase) {
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

void DrawEquationText(const ProgramState& state) {
    DrawEquationIn(state, false);
}

void EraseEquationText(const ProgramState& state) {
    DrawEquationIn(state, true);
}

}  // namespace plorimet
