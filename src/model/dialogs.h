// What the three dialogs show and how their controls behave, for every front end: the fit
// settings dialog (Analysis), the graph settings dialog (Draw Graph) and the column dialog
// (Paste Data). Each opens with a request and ends with an answer for the command's Finish step.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "data/sheet_text.h"
#include "fit/fit_settings.h"
#include "graph/graph_settings.h"

namespace plorimet {

// ---- Fit settings -----------------------------------------------------------------------
// OpenFitDialog (fit/fit_settings.h): what the dialog shows when it opens.
// The degree field after the user changed it to `typed`.
std::string FitDegreeAfterEdit(const FitDialogRequest& request, const std::string& typed);
// OK with the field's text and the digits button checked (-1: none reports itself checked,
// then shownDigitsIndex, the one clicked last, counts).
FitDialogAnswer FitDialogOk(const FitDialogRequest& request, const std::string& degreeText, int checkedDigitsIndex,
                            int shownDigitsIndex);
FitDialogAnswer FitDialogCancel();

// ---- Graph settings ---------------------------------------------------------------------
// The four groups' choices: line 0..4 (1..5 pixels), dot 0..4 (5..13), size 0..2 (100, 70,
// 50 %), scale 0..2 (none, ticks, grid).
struct GraphChoices {
    int thickness = 0;
    int dot = 0;
    int size = 0;
    int scale = 0;
};
// The buttons checked when the dialog opens.
GraphChoices OpenGraphDialog(const GraphDialogRequest& request);
// How the dialog ended, with the choices as the user left them (kept also when cancelled).
GraphDialogAnswer GraphDialogAnswerOf(const GraphDialogRequest& request, bool accepted, const GraphChoices& choices);

// ---- Column numbers ---------------------------------------------------------------------
// The list of each box: "1" .. columnCount, but no more than the first kColumnListLimit: a text
// of thousands of columns gives no list to choose from, and any column can still be typed.
constexpr int kColumnListLimit = 100;
std::vector<std::string> ColumnList(const ColumnDialogRequest& request);
std::string ColumnTextAfterEdit(const ColumnDialogRequest& request, ColumnBox box, const std::string& typed);
ColumnDialogAnswer ColumnDialogOk(const ColumnDialogRequest& request, const std::string& xText,
                                  const std::string& yText);
ColumnDialogAnswer ColumnDialogCancel();

}  // namespace plorimet
