#include "app/analysis_win.h"

#include "app/equation_view_win.h"
#include "app/grid_win.h"
#include "model/commands.h"
#include "win/dialog_win.h"
#include "win/message_box_win.h"

namespace plorimet {

void RunAnalysis(WindowState& state) {
    ReadCells(state);
    const Outcome outcome = FinishAnalysis(state, ShowDialog(state.mainWindow, BeginAnalysis(state)));
    if (outcome.hasMessage) ShowMessage(state.mainWindow, state.language, outcome.message);
    if (!outcome.viewChanged) return;
    // Moving the grid away repaints the window: that paint hides the headings, sets the tool
    // bar's buttons for the equation view and draws the equation again.
    PlaceGridCells(state, kMainWindowWidth);
    DrawEquationText(state);
}

}  // namespace plorimet
