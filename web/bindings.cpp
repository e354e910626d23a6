// The page's binding: the program's model (src/model), its texts, ids and limits for
// JavaScript (embind).
//
// The page keeps one ProgramState here and calls the model's steps as the window does; this
// file only turns their requests, dialogs and outcomes into plain JavaScript values and back.
#include <emscripten/bind.h>
#include <emscripten/val.h>

#include <algorithm>
#include <array>
#include <optional>

#include "base/keys.h"
#include "base/text.h"
#include "base/messages.h"
#include "base/toolbar_layout.h"
#include "base/window_layout.h"
#include "data/sheet_text.h"
#include "graph/plot.h"
#include "graph/plot_texts.h"
#include "model/commands.h"
#include "model/dialogs.h"
#include "model/fit_details.h"
#include "model/message_view.h"
#include "model/program_state.h"

using emscripten::val;

namespace plorimet {
namespace {

val BytesToJs(const std::string& bytes) {
    return val::global("Uint8Array")
        .new_(emscripten::typed_memory_view(bytes.size(), reinterpret_cast<const unsigned char*>(bytes.data())));
}

UiLanguage LanguageOf(bool japanese) { return japanese ? UiLanguage::Japanese : UiLanguage::English; }

// An outcome as the page reads it: the message id (-1 for none) and what to show again.
val OutcomeToJs(const Outcome& outcome) {
    val r = val::object();
    r.set("message", outcome.hasMessage ? static_cast<int>(outcome.message) : -1);
    r.set("detail", static_cast<double>(outcome.detail));
    r.set("cellsChanged", outcome.cellsChanged);
    r.set("drawsGraph", outcome.drawsGraph);
    return r;
}

const char* ItemKindName(DialogItemKind kind) {
    switch (kind) {
        case DialogItemKind::Choice: return "choice";
        case DialogItemKind::Entry: return "entry";
        case DialogItemKind::Frame: return "frame";
        case DialogItemKind::Note: break;
    }
    return "note";
}

// A dialog as the page renders it: caption, buttons' texts (no cancel: "") and the items.
val DialogToJs(const DialogView& view) {
    val items = val::array();
    for (const DialogItem& item : view.items) {
        val i = val::object();
        i.set("kind", std::string(ItemKindName(item.kind)));
        i.set("text", item.text);
        i.set("options", val::array(item.options));
        i.set("chosen", item.chosen);
        i.set("value", item.value);
        i.set("enabled", item.enabled);
        i.set("framed", item.framed);
        items.call<void>("push", i);
    }
    val d = val::object();
    d.set("caption", view.caption);
    d.set("ok", view.okText);
    d.set("cancel", view.cancelText);
    d.set("items", items);
    return d;
}

// The page's answer: { ok, choices: [per item], texts: [per item] }.
DialogAnswer AnswerFromJs(const val& answer) {
    DialogAnswer a;
    a.accepted = answer["ok"].as<bool>();
    a.choices = emscripten::vecFromJSArray<int>(answer["choices"]);
    a.texts = emscripten::vecFromJSArray<std::string>(answer["texts"]);
    return a;
}

val Message(int id, bool japanese, double detail) {
    val m = val::object();
    if (id < 0 || id >= static_cast<int>(MessageId::Count)) return m;
    const MessageView view =
        ViewOfMessage(static_cast<MessageId>(id), LanguageOf(japanese), static_cast<unsigned long>(detail));
    m.set("text", view.text);
    m.set("caption", view.caption);
    m.set("yesNo", view.buttons == Buttons::YesNo);
    return m;
}

// The messages the page asks for by name; the rest come out of the model's steps.
int MessageIdOf(const std::string& name) {
    static const struct {
        const char* name;
        MessageId id;
    } kNamed[] = {{"IncorrectClipboardData", MessageId::IncorrectClipboardData},
                  {"ClipboardMemory", MessageId::ClipboardMemory}};
    for (const auto& named : kNamed)
        if (name == named.name) return static_cast<int>(named.id);
    return -1;
}

// The OK and Cancel buttons' texts, for the page's own name dialog.
val DialogButtons(bool japanese) {
    const ButtonTexts texts = DialogButtonTexts(LanguageOf(japanese));
    val r = val::object();
    r.set("ok", texts.ok);
    r.set("cancel", texts.cancel);
    return r;
}

std::string Text(int id, bool japanese) {
    if (id < 0 || id >= static_cast<int>(TextId::Count)) return "";
    return UiText(static_cast<TextId>(id), LanguageOf(japanese));
}

struct Named {
    const char* name;
    int value;
};

template <size_t N>
val NamesToJs(const Named (&named)[N]) {
    val r = val::object();
    for (const Named& n : named) r.set(n.name, n.value);
    return r;
}

// The program's command, view and text ids and its limits under the page's names.
val Ids() {
    const Named commands[] = {
        {"INPUT_DATA", CommandId(Command::InputData)}, {"READ_DATA", CommandId(Command::ReadData)},
        {"PASTE_DATA", CommandId(Command::PasteData)}, {"ANALYSIS", CommandId(Command::Analysis)},
        {"SAVE_DATA", CommandId(Command::SaveData)},   {"DRAW_GRAPH", CommandId(Command::DrawGraph)},
        {"COPY_GRAPH", CommandId(Command::CopyGraph)}, {"SAVE_GRAPH", CommandId(Command::SaveGraph)},
        {"ABOUT", CommandId(Command::About)},          {"HELP", CommandId(Command::Help)},
        {"EXIT", CommandId(Command::Exit)}};
    const Named views[] = {{"INITIAL", static_cast<int>(ViewState::Initial)},
                           {"DATA_INPUT", static_cast<int>(ViewState::DataInput)},
                           {"EQUATION", static_cast<int>(ViewState::Equation)},
                           {"GRAPH", static_cast<int>(ViewState::Graph)}};
    const Named texts[] = {{"PRODUCT_TITLE", static_cast<int>(TextId::ProductTitle)},
                           {"SAVE_DATA_TITLE", static_cast<int>(TextId::SaveDataTitle)},
                           {"SAVE_GRAPH_TITLE", static_cast<int>(TextId::SaveGraphTitle)},
                           {"MANUAL", static_cast<int>(TextId::ManualFileName)}};
    const Named plotTexts[] = {{"PLOT", static_cast<int>(PlotTextId::Plot)},
                               {"BAND_CHOICE", static_cast<int>(PlotTextId::BandChoice)},
                               {"BAND_CONFIDENCE", static_cast<int>(PlotTextId::BandConfidence)},
                               {"BAND_PREDICTION", static_cast<int>(PlotTextId::BandPrediction)},
                               {"BAND_NONE", static_cast<int>(PlotTextId::BandNone)},
                               {"SHOW_RESIDUALS", static_cast<int>(PlotTextId::ShowResiduals)}};
    const Named limits[] = {{"MAX_PAIRS", kMaxPairs},
                            {"ROWS_PER_GROUP", kRowsPerGroup},
                            {"CELL_CHARACTERS", kCellTextLimit},
                            {"CLIPBOARD_LIMIT", static_cast<int>(kPasteTextLimit)}};
    val r = val::object();
    r.set("commands", NamesToJs(commands));
    r.set("views", NamesToJs(views));
    r.set("texts", NamesToJs(texts));
    r.set("plotTexts", NamesToJs(plotTexts));
    r.set("limits", NamesToJs(limits));
    return r;
}

// The tool bar's command buttons: bitmap stem, command id and hover label, in tool bar order.
val Toolbar(bool japanese) {
    val buttons = val::array();
    int label = 0;
    for (const ToolbarButton& b : ToolbarButtons()) {
        if (b.command == 0) continue;
        val button = val::object();
        button.set("stem", std::string(b.stem));
        button.set("command", b.command);
        button.set("label", std::string(HoverLabelText(++label, LanguageOf(japanese))));
        button.set("key", CommandKeyName(b.command, KeyNameForm::Readable));
        button.set("ariaKey", CommandKeyName(b.command, KeyNameForm::Aria));
        buttons.call<void>("push", button);
    }
    return buttons;
}

std::string CaptionOf(int caption, bool japanese) {
    if (caption < 0 || caption > static_cast<int>(Caption::NoGraphDisplay)) return "";
    return CaptionText(static_cast<Caption>(caption), LanguageOf(japanese));
}

bool HeldDuringDialog(int key, bool ctrl, bool shift, bool alt) {
    return plorimet::KeyHeldDuringDialog({key, ctrl, shift, alt});
}

std::string PlotWord(int id, bool japanese) {
    if (id < 0 || id >= static_cast<int>(PlotTextId::Count)) return "";
    return PlotText(static_cast<PlotTextId>(id), LanguageOf(japanese));
}

val StatisticsToJs(const StatisticsTable& table) {
    val r = val::object();
    r.set("heading", table.heading);
    r.set("columns", val::array(table.columns));
    val rows = val::array();
    for (const auto& row : table.rows) rows.call<void>("push", val::array(row));
    r.set("rows", rows);
    val summary = val::array();
    for (const auto& [name, value] : table.summary) summary.call<void>("push", val::array(std::vector<std::string>{name, value}));
    r.set("summary", summary);
    r.set("note", table.note);
    return r;
}

// A JavaScript array of numbers into a fixed array: as many as both hold; the count taken.
template <size_t N>
int CopyNumbersFromJs(const val& from, std::array<double, N>& to) {
    const std::vector<double> numbers = emscripten::vecFromJSArray<double>(from);
    const size_t count = std::min(numbers.size(), N);
    std::copy_n(numbers.begin(), count, to.begin());
    return static_cast<int>(count);
}

// The shown fit as the page hands it to its worker, and back.
val ShownFitToJs(const ShownFit& fit) {
    val r = val::object();
    r.set("x", val::array(fit.x));
    r.set("y", val::array(fit.y));
    r.set("coefficients", val::array(std::vector<double>(fit.coefficients.begin(), fit.coefficients.end())));
    r.set("termCount", fit.termCount);
    r.set("japanese", fit.language == UiLanguage::Japanese);
    return r;
}

ShownFit ShownFitFromJs(val fit) {
    ShownFit shown;
    shown.x = emscripten::vecFromJSArray<double>(fit["x"]);
    shown.y = emscripten::vecFromJSArray<double>(fit["y"]);
    CopyNumbersFromJs(fit["coefficients"], shown.coefficients);
    shown.termCount = fit["termCount"].as<int>();
    shown.language = LanguageOf(fit["japanese"].as<bool>());
    return shown;
}

// An Analysis the page's worker makes ahead, as it travels between the page and the worker: its
// request and outcome in plain numbers, the equation's text as bytes (kept byte for byte).
val AnalysisRequestToJs(const AnalysisRequest& request) {
    const DataSet& data = request.dataSet;
    val r = val::object();
    r.set("x", val::array(data.x.begin(), data.x.begin() + data.pairCount));
    r.set("y", val::array(data.y.begin(), data.y.begin() + data.pairCount));
    r.set("fitMode", static_cast<int>(request.settings.fitMode));
    r.set("degree", request.settings.degree);
    r.set("lastDegree", request.settings.lastDegree);
    r.set("digitsIndex", request.settings.digitsIndex);
    r.set("japanese", request.language == UiLanguage::Japanese);
    return r;
}

AnalysisRequest AnalysisRequestFromJs(const val& r) {
    AnalysisRequest request;
    DataSet& data = request.dataSet;
    data.pairCount = std::min(CopyNumbersFromJs(r["x"], data.x), CopyNumbersFromJs(r["y"], data.y));
    request.settings.fitMode = static_cast<FitMode>(r["fitMode"].as<int>());
    request.settings.degree = r["degree"].as<int>();
    request.settings.lastDegree = r["lastDegree"].as<int>();
    request.settings.digitsIndex = r["digitsIndex"].as<int>();
    request.language = LanguageOf(r["japanese"].as<bool>());
    return request;
}

val OptionalToJs(const std::optional<double>& value) { return value ? val(*value) : val::null(); }
std::optional<double> OptionalFromJs(const val& value) {
    return value.isNull() ? std::nullopt : std::optional(value.as<double>());
}

val AnalysisOutcomeToJs(const AnalysisOutcome& outcome) {
    const FitResult& fit = outcome.result;
    val r = val::object();
    r.set("request", AnalysisRequestToJs(outcome.request));
    r.set("failure", outcome.failure ? static_cast<int>(*outcome.failure) : -1);
    r.set("coefficients", val::array(fit.coefficients.begin(), fit.coefficients.end()));
    r.set("equationText", BytesToJs(fit.equationText));
    r.set("termCount", fit.termCount);
    r.set("equationShown", fit.equationShown);
    r.set("rSquared", OptionalToJs(fit.rSquared));
    r.set("residualDeviation", OptionalToJs(fit.residualDeviation));
    r.set("curveCenter", fit.curve.center);
    r.set("curveShift", fit.curve.shift);
    r.set("curveCoefficients", val::array(fit.curve.coefficients));
    return r;
}

AnalysisOutcome AnalysisOutcomeFromJs(const val& r) {
    AnalysisOutcome outcome;
    outcome.request = AnalysisRequestFromJs(r["request"]);
    const int failure = r["failure"].as<int>();
    if (failure >= 0) outcome.failure = static_cast<MessageId>(failure);
    FitResult& fit = outcome.result;
    CopyNumbersFromJs(r["coefficients"], fit.coefficients);
    const std::vector<unsigned char> text = emscripten::convertJSArrayToNumberVector<unsigned char>(r["equationText"]);
    fit.equationText.assign(text.begin(), text.end());
    fit.termCount = r["termCount"].as<int>();
    fit.equationShown = r["equationShown"].as<bool>();
    fit.rSquared = OptionalFromJs(r["rSquared"]);
    fit.residualDeviation = OptionalFromJs(r["residualDeviation"]);
    fit.curve.center = r["curveCenter"].as<double>();
    fit.curve.shift = r["curveShift"].as<int>();
    fit.curve.coefficients = emscripten::vecFromJSArray<double>(r["curveCoefficients"]);
    return outcome;
}

// The worker's step: the Analysis of a request the page sent while its dialog is open.
val AnalysisAhead(const val& request) { return AnalysisOutcomeToJs(RunAnalysis(AnalysisRequestFromJs(request))); }

// What the page's worker makes for a shown fit: its statistics and its plots.
class PageFitDetails {
public:
    explicit PageFitDetails(val fit) : details_(ShownFitFromJs(fit)) {}

    val Statistics() const {
        const std::optional<StatisticsTable> table = details_.Statistics();
        return table ? StatisticsToJs(*table) : val::null();
    }
    // band 0 none, 1 confidence, 2 prediction; the SVG text, or the PNG's bytes; `width` in
    // CSS pixels (the files: kPlotWidth, as `plorimet plot` draws them).
    val Plot(int band, bool residuals, double width, bool png) const {
        PlotOptions options;
        options.width = width;
        options.band = band == 2 ? PlotBand::Prediction : band == 1 ? PlotBand::Confidence : PlotBand::None;
        options.residuals = residuals;
        const PlotResult plot = details_.Plot(options);
        val r = val::object();
        r.set("message", plot.failure ? static_cast<int>(*plot.failure) : -1);
        if (plot.failure) return r;
        if (png) {
            const Bytes bytes = PlotPngBytes(plot.plan, kPlotPngScale);
            r.set("bytes", BytesToJs(std::string(bytes.begin(), bytes.end())));
        } else {
            r.set("svg", PlotSvgText(plot.plan));
        }
        return r;
    }

private:
    FitDetails details_;
};

// One run of the program in the page: the state, and what a command in progress holds between
// its steps (the dialog shown, the clipboard text, the file reader).
class PageSession {
public:
    explicit PageSession(bool japanese) {
        state_.language = LanguageOf(japanese);
        ResetForNewGrid(state_);
    }

    int View() const { return static_cast<int>(state_.view); }
    val Enabled() const {
        val r = val::array();
        for (bool enabled : EnabledCommands(state_.view)) r.call<void>("push", enabled);
        return r;
    }
    // What a key pressed outside a dialog does (fromCell: the focused cell, -1 for none;
    // onControl: a button or field of the page's own has the focus; selected: text of the page
    // is selected). The page has controls before and after the grid, so Tab leaves the grid at
    // its ends.
    val KeyAction(int fromCell, bool onControl, bool selected, int key, bool ctrl, bool shift, bool alt) const {
        const plorimet::KeyAction action =
            ActionForKey(state_.view, KeyFocus{fromCell, onControl, true, selected}, {key, ctrl, shift, alt});
        val r = val::object();
        r.set("taken", action.taken);
        r.set("focusCell", action.focusCell);
        r.set("leavesGrid", action.leavesGrid);
        r.set("copiesEquation", action.copiesEquation);
        r.set("command", action.hasCommand ? CommandId(action.command) : 0);
        return r;
    }

    std::string EditCell(int index, const std::string& typed) { return plorimet::EditCell(state_, index, typed); }
    // Cells another tab of the page has stored: taken as if typed here.
    void TakeCells(val texts) {
        const std::vector<std::string> taken = emscripten::vecFromJSArray<std::string>(texts);
        for (int k = 0; k < kCellCount && k < static_cast<int>(taken.size()); ++k) plorimet::EditCell(state_, k, taken[k]);
    }
    std::string Cell(int index) const {
        return index >= 0 && index < kCellCount ? state_.cells[static_cast<size_t>(index)] : std::string();
    }
    // Cells kept from an earlier visit: the page opens with the grid showing them, as the user
    // left it (the next Input Data asks about them).
    void RestoreCells(val texts) {
        const std::vector<std::string> kept = emscripten::vecFromJSArray<std::string>(texts);
        for (int k = 0; k < kMaxPairs && k + kMaxPairs < static_cast<int>(kept.size()); ++k) {
            state_.dataSet.xText[k] = CellTextAfterEdit(kept[k]);
            state_.dataSet.yText[k] = CellTextAfterEdit(kept[k + kMaxPairs]);
        }
        if (state_.dataSet.CharTotal() == 0) return;
        state_.view = ViewState::DataInput;
        plorimet::FinishInputData(state_, false);
    }

    // The question Input Data asks (-1: none).
    int BeginInputData() {
        const InputDataRequest request = plorimet::BeginInputData(state_);
        return request.asks ? static_cast<int>(request.question) : -1;
    }
    val FinishInputData(bool yes) { return OutcomeToJs(plorimet::FinishInputData(state_, yes)); }

    void BeginReadData() { reader_.emplace(); }
    bool FeedReadData(const std::string& bytes) { return reader_ && reader_->Feed(bytes); }
    val FinishReadData() {
        if (!reader_) return OutcomeToJs(Outcome{});
        const Outcome outcome = reader_->Finish(state_);
        reader_.reset();
        return OutcomeToJs(outcome);
    }
    val ReadDataFailed() {
        reader_.reset();
        return OutcomeToJs(ReadDataFileMissing());
    }

    // What an edit leaves in entry `item` of the dialog shown.
    std::string EntryAfterEdit(int item, const std::string& typed) const {
        if (item < 0 || item >= static_cast<int>(dialog_.items.size())) return typed;
        return EntryTextAfterEdit(dialog_.items[static_cast<size_t>(item)], typed);
    }

    // Paste Data with the clipboard's text as the browser gave it.
    val BeginPaste(const std::string& text) {
        pasteText_ = WithCrLfLineEnds(text);
        return PasteToJs(BeginPasteText(state_, pasteText_));
    }
    // The paste is over: its text (up to 16 MB) is not kept.
    void EndPaste() { std::string().swap(pasteText_); }
    // Paste Data when the clipboard holds no text.
    val BeginPasteNothing() { return PasteToJs(BeginPasteData(state_, std::nullopt)); }
    val FinishPaste(const val& answer) {
        return PasteToJs(FinishPasteData(state_, pasteText_, AnswerFromJs(answer)));
    }

    val BeginAnalysis() { return Shown(plorimet::BeginAnalysis(state_)); }
    // `ahead`: an outcome the worker made (null: none); taken when made from the same request.
    val FinishAnalysis(const val& answer, const val& ahead) {
        if (ahead.isNull() || ahead.isUndefined()) return OutcomeToJs(plorimet::FinishAnalysis(state_, AnswerFromJs(answer)));
        const AnalysisOutcome made = AnalysisOutcomeFromJs(ahead);
        return OutcomeToJs(plorimet::FinishAnalysis(state_, AnswerFromJs(answer), &made));
    }
    // While the Analysis dialog is open, its answer so far: the request the worker fits ahead and
    // the fit it would show (for its statistics); null when the answer would not fit.
    val AnalysisAheadOf(const val& answer) const {
        const std::optional<AnalysisRequest> request = AnalysisRequestOf(state_, AnswerFromJs(answer));
        if (!request) return val::null();
        val r = val::object();
        r.set("request", AnalysisRequestToJs(*request));
        r.set("fit", ShownFitToJs(ShownFitAhead(*request)));
        return r;
    }
    std::string EquationText() const { return state_.fitResult.equationText; }
    std::string EquationCopy() const { return EquationCopyText(state_); }
    // What the statistics and the plot of the shown equation are made from (null: none shown).
    val FitShown() const {
        const std::optional<ShownFit> fit = ShownFitOf(state_);
        return fit ? ShownFitToJs(*fit) : val::null();
    }

    // Save Data: the name typed; the file's name and bytes, or the message that refuses it.
    val SaveData(const std::string& typed) const {
        const SaveDataPlan plan = PlanSaveDataTyped(state_, typed);
        val r = OutcomeToJs(plan.outcome);
        r.set("name", WithDefaultExtension(WithoutSurroundingSpaces(typed), "txt"));
        r.set("bytes", plan.writes ? BytesToJs(plan.bytes) : val::null());
        return r;
    }

    val BeginGraph() { return Shown(BeginDrawGraph(state_)); }
    val FinishGraph(const val& answer) {
        const Outcome outcome = FinishDrawGraph(state_, AnswerFromJs(answer));
        val r = OutcomeToJs(outcome);
        if (outcome.drawsGraph) {
            const GraphPicture picture = DrawGraphPicture(state_);
            r.set("width", picture.width);
            r.set("height", picture.height);
            r.set("rgba", BytesToJs(std::string(picture.rgba.begin(), picture.rgba.end())));
        }
        return r;
    }
    // The shown graph as a file named `typed` (".bmp" added when it has no extension), or the
    // message that refuses the name.
    val GraphFileNamed(const std::string& typed) const {
        const PictureFileName chosen = PictureFileNameOf(typed, Picture::Graph);
        if (chosen.outcome.hasMessage) return OutcomeToJs(chosen.outcome);
        const GraphFileFormat format = chosen.format;
        const GraphFile file = GraphFileOf(state_, format);
        val r = OutcomeToJs(file.outcome);
        r.set("name", chosen.name);
        r.set("type", std::string(format == GraphFileFormat::Png ? "image/png"
                                  : format == GraphFileFormat::Svg ? "image/svg+xml" : "image/bmp"));
        r.set("bytes", BytesToJs(file.bytes));
        return r;
    }
    val GraphPng() const { return BytesToJs(GraphFileOf(state_, GraphFileFormat::Png).bytes); }

    val About() { return Shown(BeginAbout(state_)); }

private:
    val Shown(const DialogView& view) {
        dialog_ = view;
        return DialogToJs(view);
    }

    val PasteToJs(const PasteStep& step) {
        val r = OutcomeToJs(step.outcome);
        r.set("asksColumns", step.asksColumns);
        if (step.asksColumns) r.set("dialog", Shown(step.columns));
        return r;
    }

    ProgramState state_;
    std::optional<DataFileRead> reader_;
    std::string pasteText_;
    DialogView dialog_;
};

}  // namespace

EMSCRIPTEN_BINDINGS(plorimet_page) {
    using namespace emscripten;
    function("message", &Message);
    function("messageId", &MessageIdOf);
    function("text", &Text);
    function("buttons", &DialogButtons);
    function("ids", &Ids);
    function("toolbar", &Toolbar);
    function("keyHeldDuringDialog", &HeldDuringDialog);
    function("caption", &CaptionOf);
    function("plotText", &PlotWord);
    function("analysisAhead", &AnalysisAhead);
    class_<PageFitDetails>("FitDetails")
        .constructor<val>()
        .function("statistics", &PageFitDetails::Statistics)
        .function("plot", &PageFitDetails::Plot);
    class_<PageSession>("Session")
        .constructor<bool>()
        .function("view", &PageSession::View)
        .function("enabled", &PageSession::Enabled)
        .function("keyAction", &PageSession::KeyAction)
        .function("editCell", &PageSession::EditCell)
        .function("cell", &PageSession::Cell)
        .function("restoreCells", &PageSession::RestoreCells)
        .function("takeCells", &PageSession::TakeCells)
        .function("beginInputData", &PageSession::BeginInputData)
        .function("finishInputData", &PageSession::FinishInputData)
        .function("beginReadData", &PageSession::BeginReadData)
        .function("feedReadData", &PageSession::FeedReadData)
        .function("finishReadData", &PageSession::FinishReadData)
        .function("readDataFailed", &PageSession::ReadDataFailed)
        .function("entryAfterEdit", &PageSession::EntryAfterEdit)
        .function("beginPaste", &PageSession::BeginPaste)
        .function("beginPasteNothing", &PageSession::BeginPasteNothing)
        .function("endPaste", &PageSession::EndPaste)
        .function("finishPaste", &PageSession::FinishPaste)
        .function("beginAnalysis", &PageSession::BeginAnalysis)
        .function("finishAnalysis", &PageSession::FinishAnalysis)
        .function("analysisAheadOf", &PageSession::AnalysisAheadOf)
        .function("equationText", &PageSession::EquationText)
        .function("equationCopy", &PageSession::EquationCopy)
        .function("shownFit", &PageSession::FitShown)
        .function("saveData", &PageSession::SaveData)
        .function("beginGraph", &PageSession::BeginGraph)
        .function("finishGraph", &PageSession::FinishGraph)
        .function("graphFile", &PageSession::GraphFileNamed)
        .function("graphPng", &PageSession::GraphPng)
        .function("about", &PageSession::About);
}

}  // namespace plorimet
