#include "app/analysis_win.h"

#include <optional>

#include "app/equation_view_win.h"
#include "app/grid_win.h"
#include "fit/fit_dialog_win.h"
#include "model/commands.h"
#include "win/message_box_win.h"

namespace plorimet {

void RunAnalysis(WindowState& state) {
    ReadCells(state);
    const FitDialogRequest request = BeginAnalysis(state);
    const Outcome outcome = FinishAnalysis(state, ShowFitSettingsDialog(state.mainWindow, request));
    if (outcome.hasMessage) ShowMessage(state.mainWindow, state.language, outcome.message);
    if (!outcome.viewChanged) return;
    // Moving the grid away repaints the window: that paint hides the headings, sets the tool
    // bar's buttons for the equation view and draws the equation again.
    PlaceGridCells(state, kMainWindowWidth);
    DrawEquationText(state);
}

}  // namespace plorimet
