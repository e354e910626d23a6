#include "fit/analysis_win.h"

#include <optional>

#include "data/grid_win.h"
#include "fit/analysis.h"
#include "fit/equation_view_win.h"
#include "fit/fit_dialog_win.h"
#include "win/message_box_win.h"

namespace plorimet {

namespace {

// Moving the grid away repaints the window: that paint hides the headings, sets the tool
// bar's buttons for the equation view and draws the equation again.
void ShowEquation(ProgramState& state) {
    state.view = ViewState::Equation;
    PlaceGridCells(state, kMainWindowWidth);
    DrawEquationText(state);
}

}  // namespace

void RunAnalysis(ProgramState& state) {
    // The data set is replaced before the dialog, whatever the dialog's outcome.
    state.dataSet = CollectDataSet(ReadCellTexts(state));
    const std::optional<FitDialogAnswer> answer = ShowFitSettingsDialog(
        state.mainWindow, FitDialogRequestFor(state.fitSettings, state.dataSet.pairCount, state.language));
    if (!answer) {
        ShowMessage(state.mainWindow, state.language, MessageId::UnableToDisplayDialog);
        return;  // as if cancelled
    }
    if (!StoreFitDialogAnswer(state.fitSettings, *answer)) return;
    if (auto failure = CompleteAnalysis(state.dataSet, state.fitSettings, state.language, state.fitResult)) {
        ShowMessage(state.mainWindow, state.language, *failure);
        return;
    }
    ShowEquation(state);
}

}  // namespace plorimet
