// The tool bar's commands as portable steps: state in, outcome out. A command that asks
// something on its way is two steps: Begin... gives what the front end shows (a question, or a
// dialog as data, model/dialogs.h), Finish... takes the answer (nothing: the dialog could not
// be shown) and gives the outcome. The model never calls a front end: the front end shows the
// outcome's message (ViewOfMessage), shows the cells again when they changed, and repaints the
// view.
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
#include "graph/graph_plan.h"
#include "model/dialogs.h"
#include "model/message_view.h"
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
    bool asksColumns = false;  // then show the column dialog `columns`, answer to FinishPasteData
    DialogView columns;
};
// The clipboard's text (nothing: the clipboard held no text). Two columns are pasted at once;
// three or more ask which hold X and Y.
PasteStep BeginPasteData(ProgramState& state, const std::optional<std::string>& clipboardText);
PasteStep BeginPasteText(ProgramState& state, const std::string& clipboardText);
// The column dialog's answer for the same text. Y not right of X asks again after its message;
// Cancel ends quietly; nothing (the dialog could not be shown) says so.
PasteStep FinishPasteData(ProgramState& state, const std::string& clipboardText,
                          const std::optional<DialogAnswer>& answer);
// Text with lone line feeds (as browsers hand it over) with CR LF in their place.
std::string WithCrLfLineEnds(const std::string& text);

// ---- Analysis ---------------------------------------------------------------------------
// Takes the data set from the cells (whatever the dialog's outcome), then asks the fit settings.
DialogView BeginAnalysis(ProgramState& state);
// What OK with an answer fits: the pairs, the settings and the language.
struct AnalysisRequest {
    DataSet dataSet;
    FitSettings settings;
    UiLanguage language = UiLanguage::English;
};
// None when the answer is not taken (Cancel).
std::optional<AnalysisRequest> AnalysisRequestOf(const ProgramState& state, const DialogAnswer& answer);
// True when both fit the same: the same pairs bit for bit, mode, degree, digits and language.
bool SameAnalysis(const AnalysisRequest& a, const AnalysisRequest& b);
// The fit of a request, made apart from the program's state, so that a front end can make it
// ahead while the dialog is open (the page does, in its worker).
struct AnalysisOutcome {
    AnalysisRequest request;
    std::optional<MessageId> failure;
    FitResult result;  // the equation, when there is no failure
};
AnalysisOutcome RunAnalysis(const AnalysisRequest& request);
// OK fits and shows the equation (view Equation) or ends with the fit's message; Cancel keeps
// the settings as they were. An outcome made `ahead` from the same request is taken as it is.
Outcome FinishAnalysis(ProgramState& state, const std::optional<DialogAnswer>& answer,
                       const AnalysisOutcome* ahead = nullptr);
// The equation view's copy: the equation, an empty line, power and 17-digit coefficient per
// row. Empty when no equation is shown.
std::string EquationCopyText(const ProgramState& state);
// The statistics and the plot of the shown fit: model/fit_details.h.

// ---- Save Data --------------------------------------------------------------------------
struct SaveDataPlan {
    Outcome outcome;      // a refused name's message
    bool writes = false;  // write `bytes` to the path, then FinishSave(result, SavedFile::Data)
    std::string bytes;
};
// The path the user chose (the window's dialog has added ".txt" to a name without an
// extension; WithDefaultExtension does that for the page).
SaveDataPlan PlanSaveData(const ProgramState& state, const std::string& path);
// A name typed into the page's save dialog: the spaces around it dropped, ".txt" added when it
// has no extension; an empty name is refused as one without the extension.
SaveDataPlan PlanSaveDataTyped(const ProgramState& state, const std::string& typed);
// The same for a data set and its equation held elsewhere (the command line's --save).
SaveDataPlan PlanSaveData(const DataSet& data, const std::string& equationText, const std::string& path);
// The name with "." + extension added when its last component has no extension.
std::string WithDefaultExtension(const std::string& name, const std::string& extension);
// The message a save's result ends with (none when saved).
Outcome FinishSave(SaveOutcome result, SavedFile file);

// ---- Draw Graph, Copy Graph, Save Graph -------------------------------------------------
DialogView BeginDrawGraph(const ProgramState& state);
// The settings as the dialog left them are remembered, also when cancelled; OK draws
// (drawsGraph) unless every Y value is the same.
Outcome FinishDrawGraph(ProgramState& state, const std::optional<DialogAnswer>& answer);
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

// The pictures a front end saves: the graph as BMP (the window's file), PNG or SVG, the plot
// as SVG or PNG (the first is the one a name without an extension gets).
enum class Picture { Graph, Plot };
// The format a name's ending gives ("." and the format's extension, in any letter case); none
// for a name without one of the picture's endings. The command line's --out goes by this.
std::optional<GraphFileFormat> PictureFormatOfName(const std::string& name, Picture picture);
// A name typed into a save dialog of the page: the spaces around it dropped, the picture's first
// extension added when its last part has none. An empty name, or one whose ending is none of the
// picture's formats, is refused with NeedGraphExtension, as the window's save dialog offers
// only its own format.
struct PictureFileName {
    Outcome outcome;
    std::string name;
    GraphFileFormat format = GraphFileFormat::Bmp;
};
PictureFileName PictureFileNameOf(const std::string& typed, Picture picture);
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
    const CentredPolynomial* optimum = nullptr;  // FitResult::curve
};
using TextConverter = std::function<std::string(const std::string&)>;
GraphFile GraphFileOfFit(const GraphOfFit& graph, GraphFileFormat format, const TextConverter& toUtf8 = {});

// ---- About ------------------------------------------------------------------------------
DialogView BeginAbout(const ProgramState& state);
// Only a dialog that could not be shown has a message.
Outcome FinishAbout(const std::optional<DialogAnswer>& answer);

}  // namespace plorimet
