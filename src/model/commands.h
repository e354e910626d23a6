// The tool bar's commands as portable steps: state in, outcome out. A command that asks
// something on its way is two steps: Begin... gives what the front end shows (a question, a
// dialog's request), Finish... takes the answer (nothing: the dialog could not be shown) and
// gives the outcome; each Finish also takes a plain answer, for a front end whose dialogs are
// always shown (and bindings without optional values). The model never calls a front end:
// the front end shows the outcome's message, shows the cells again when they changed, and
// repaints the view.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "base/file_save.h"
#include "base/messages.h"
#include "data/data_file.h"
#include "data/sheet_text.h"
#include "fit/fit_settings.h"
#include "graph/graph_plan.h"
#include "graph/graph_settings.h"
#include "model/program_state.h"

namespace plorimet {

struct StatisticsReport;  // model/statistics_report.h

// How a step ends.
struct Outcome {
    bool hasMessage = false;  // show `message` (with `detail` where its text has "%lx")
    MessageId message = MessageId::Count;
    unsigned long detail = 0;
    bool cellsChanged = false;  // state.cells changed: the grid shows them again
    bool viewChanged = false;   // state.view changed: repaint, the enabled commands with it
    bool drawsGraph = false;    // Draw Graph: draw the picture now (GraphPlanOf / DrawGraphPicture)

    static Outcome Message(MessageId id, unsigned long detail = 0);
};

// ---- Input Data -------------------------------------------------------------------------
// Asked when the data set holds any text: "clear it?" (Yes clears the data set's texts,
// No keeps them). The grid then shows the data set's texts.
struct InputDataRequest {
    bool asks = false;
    MessageId question = MessageId::ClearForDataInput;
};
InputDataRequest BeginInputData(ProgramState& state);
// answeredYes: the question was asked and answered Yes (No, or a box that could not be shown,
// keeps the texts). Leaves the equation unshown and the view DataInput; the start picture's
// data set is always cleared.
Outcome FinishInputData(ProgramState& state, bool answeredYes);

// ---- Read Data --------------------------------------------------------------------------
// The chosen file's bytes through the data file reader: the grid empties, then holds the pairs
// read; a file with none says so. The data set's texts are cleared.
Outcome ReadData(ProgramState& state, const ByteSource& file);
Outcome ReadDataBytes(ProgramState& state, const std::string& bytes);
// The chosen file could not be opened.
Outcome ReadDataFileMissing();
// The same, fed slice by slice by a front end that reads the file in parts: Feed returns false
// once no more bytes are needed; Finish gives the outcome.
class DataFileRead {
public:
    bool Feed(const std::string& slice) { return reader_.Feed(slice); }
    Outcome Finish(ProgramState& state);

private:
    DataTextReader reader_;
};

// ---- Paste Data -------------------------------------------------------------------------
struct PasteStep {
    Outcome outcome;           // a message to show first; cellsChanged when the rows were pasted
    bool asksColumns = false;  // then show the column dialog with `columns`, answer to FinishPasteData
    ColumnDialogRequest columns;
};
// The clipboard's text (nothing: the clipboard held no text). Two columns are pasted at once;
// three or more ask which hold X and Y.
PasteStep BeginPasteData(ProgramState& state, const std::optional<std::string>& clipboardText);
PasteStep BeginPasteText(ProgramState& state, const std::string& clipboardText);
// The column dialog's answer for the same text. Y not right of X asks again after its message;
// Cancel ends quietly; nothing (the dialog could not be shown) says so.
PasteStep FinishPasteData(ProgramState& state, const std::string& clipboardText,
                          const std::optional<ColumnDialogAnswer>& answer);
PasteStep FinishPasteData(ProgramState& state, const std::string& clipboardText, const ColumnDialogAnswer& answer);
// Text with lone line feeds (as browsers hand it over) with CR LF in their place.
std::string WithCrLfLineEnds(const std::string& text);

// ---- Analysis ---------------------------------------------------------------------------
// Takes the data set from the cells (whatever the dialog's outcome), then asks the fit settings.
FitDialogRequest BeginAnalysis(ProgramState& state);
// OK fits and shows the equation (view Equation) or ends with the fit's message; Cancel keeps
// the settings as they were.
Outcome FinishAnalysis(ProgramState& state, const std::optional<FitDialogAnswer>& answer);
Outcome FinishAnalysis(ProgramState& state, const FitDialogAnswer& answer);
// The equation view's copy: the equation, an empty line, power and 17-digit coefficient per
// row. Empty when no equation is shown.
std::string EquationCopyText(const ProgramState& state);
// The statistics of the shown fit (standard errors, 95 % intervals, tests, R², the
// likelihood's criteria, PRESS) as the table `plorimet fit --stats` prints, in the state's
// language; empty when no equation is shown. The report it is made from, for a front end that
// lays out the table itself. In model/fit_statistics_text.cpp, which the window does not link.
std::string FitStatisticsText(const ProgramState& state);
std::optional<StatisticsReport> FitStatisticsReport(const ProgramState& state);

// ---- Save Data --------------------------------------------------------------------------
struct SaveDataPlan {
    Outcome outcome;      // a refused name's message
    bool writes = false;  // write `bytes` to the path, then FinishSave(result, SavedFile::Data)
    std::string bytes;
};
// The path the user chose (the window's dialog has added ".txt" to a name without an
// extension; WithDefaultExtension does that for the page).
SaveDataPlan PlanSaveData(const ProgramState& state, const std::string& path);
// The same for a data set and its equation held elsewhere (the command line's --save).
SaveDataPlan PlanSaveData(const DataSet& data, const std::string& equationText, const std::string& path);
// The name with "." + extension added when its last component has no extension.
std::string WithDefaultExtension(const std::string& name, const std::string& extension);
// The message a save's result ends with (none when saved).
Outcome FinishSave(SaveOutcome result, SavedFile file);

// ---- Draw Graph, Copy Graph, Save Graph -------------------------------------------------
GraphDialogRequest BeginDrawGraph(const ProgramState& state);
// The settings as the dialog left them are remembered, also when cancelled; OK draws
// (drawsGraph) unless every Y value is the same.
Outcome FinishDrawGraph(ProgramState& state, const std::optional<GraphDialogAnswer>& answer);
Outcome FinishDrawGraph(ProgramState& state, const GraphDialogAnswer& answer);
// The picture of the fitted data set in a client area of the given size.
GraphPlan GraphPlanOf(const ProgramState& state, int clientWidth, int clientHeight);
// The picture is on screen: view Graph, its frame remembered for Copy and Save Graph.
void GraphDrawn(ProgramState& state, const FrameRect& frame);

// The whole client area of the standard desktop (StandardMainClientSize, as `plorimet graph`
// draws it) as the window's pixels, red green blue alpha per pixel, top row first.
struct GraphPicture {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgba;
};
// After FinishDrawGraph said drawsGraph: draws the picture and calls GraphDrawn.
GraphPicture DrawGraphPicture(ProgramState& state);

enum class GraphFileFormat { Bmp = 0, Png = 1, Svg = 2 };
// By the name's ending in any letter case; BMP for any other (the window writes BMP).
GraphFileFormat GraphFileFormatOf(const std::string& name);
struct GraphFile {
    Outcome outcome;  // the message when the file cannot be made
    std::string bytes;
};
// The shown graph's framed region as a file, drawn at the standard client area: BMP as the
// window's Save Graph, PNG (Copy Graph in the page), SVG.
GraphFile GraphFileOf(const ProgramState& state, GraphFileFormat format);
// The same from a fit's points, coefficients, equation and settings alone (the command line,
// the Python module): the bytes GraphFileOf gives for a state that holds them. An SVG's title
// is the equation, in UTF-8 where toUtf8 converts the program's texts (code page 932 where they
// are), else in code page 932, which the file then declares.
struct GraphOfFit {
    PointsView points;
    const Coefficients& coefficients;
    int termCount = 0;
    const std::string& equationText;
    GraphSettings settings;  // with the values the dialog's choices derive (InitGraphSettingsDialog)
};
using TextConverter = std::function<std::string(const std::string&)>;
GraphFile GraphFileOfFit(const GraphOfFit& graph, GraphFileFormat format, const TextConverter& toUtf8 = {});

// ---- Messages ---------------------------------------------------------------------------
struct MessageView {
    std::string text;  // "%lx" already replaced by the detail
    std::string caption;
    Icon icon = Icon::Error;
    Buttons buttons = Buttons::Ok;
    bool systemModal = false;
};
MessageView ViewOfMessage(MessageId id, UiLanguage language, unsigned long detail = 0);

}  // namespace plorimet
