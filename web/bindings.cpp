// The page's binding: the program's model (src/model), its texts, ids and limits for
// JavaScript (embind).
//
// The page keeps one ProgramState here and calls the model's steps as the window does; this
// file only turns their requests, dialogs and outcomes into plain JavaScript values and back.
#include <emscripten/bind.h>
#include <emscripten/val.h>

#include <optional>

#include "base/messages.h"
#include "base/toolbar_layout.h"
#include "base/window_layout.h"
#include "data/sheet_text.h"
#include "model/commands.h"
#include "model/dialogs.h"
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
    const Named limits[] = {{"MAX_PAIRS", kMaxPairs},
                            {"ROWS_PER_GROUP", kRowsPerGroup},
                            {"CELL_CHARACTERS", kCellTextLimit},
                            {"CLIPBOARD_LIMIT", static_cast<int>(kPasteTextLimit)}};
    val r = val::object();
    r.set("commands", NamesToJs(commands));
    r.set("views", NamesToJs(views));
    r.set("texts", NamesToJs(texts));
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
        buttons.call<void>("push", button);
    }
    return buttons;
}

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
    // What a key pressed outside a dialog does (fromCell: the focused cell, -1 for none).
    val KeyAction(int fromCell, int key, bool ctrl, bool shift, bool alt) const {
        const plorimet::KeyAction action = ActionForKey(state_.view, fromCell, {key, ctrl, shift, alt});
        val r = val::object();
        r.set("taken", action.taken);
        r.set("focusCell", action.focusCell);
        r.set("copiesEquation", action.copiesEquation);
        r.set("command", action.hasCommand ? CommandId(action.command) : 0);
        return r;
    }

    std::string EditCell(int index, const std::string& typed) { return plorimet::EditCell(state_, index, typed); }
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
    // Paste Data when the clipboard holds no text.
    val BeginPasteNothing() { return PasteToJs(BeginPasteData(state_, std::nullopt)); }
    val FinishPaste(const val& answer) {
        return PasteToJs(FinishPasteData(state_, pasteText_, AnswerFromJs(answer)));
    }

    val BeginAnalysis() { return Shown(plorimet::BeginAnalysis(state_)); }
    val FinishAnalysis(const val& answer) {
        return OutcomeToJs(plorimet::FinishAnalysis(state_, AnswerFromJs(answer)));
    }
    std::string EquationText() const { return state_.fitResult.equationText; }
    std::string EquationCopy() const { return EquationCopyText(state_); }
    std::string StatisticsText() const { return FitStatisticsText(state_); }

    // Save Data: the name typed; the file's name and bytes, or the message that refuses it.
    val SaveData(const std::string& typed) const {
        const std::string name = WithDefaultExtension(typed, "txt");
        const SaveDataPlan plan = PlanSaveData(state_, name);
        val r = OutcomeToJs(plan.outcome);
        r.set("name", name);
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
    // The shown graph as a file named `typed` (".bmp" added when it has no extension).
    val GraphFileNamed(const std::string& typed) const {
        const std::string name = WithDefaultExtension(typed, "bmp");
        const GraphFileFormat format = GraphFileFormatOf(name);
        const GraphFile file = GraphFileOf(state_, format);
        val r = OutcomeToJs(file.outcome);
        r.set("name", name);
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
    class_<PageSession>("Session")
        .constructor<bool>()
        .function("view", &PageSession::View)
        .function("enabled", &PageSession::Enabled)
        .function("keyAction", &PageSession::KeyAction)
        .function("editCell", &PageSession::EditCell)
        .function("cell", &PageSession::Cell)
        .function("restoreCells", &PageSession::RestoreCells)
        .function("beginInputData", &PageSession::BeginInputData)
        .function("finishInputData", &PageSession::FinishInputData)
        .function("beginReadData", &PageSession::BeginReadData)
        .function("feedReadData", &PageSession::FeedReadData)
        .function("finishReadData", &PageSession::FinishReadData)
        .function("readDataFailed", &PageSession::ReadDataFailed)
        .function("entryAfterEdit", &PageSession::EntryAfterEdit)
        .function("beginPaste", &PageSession::BeginPaste)
        .function("beginPasteNothing", &PageSession::BeginPasteNothing)
        .function("finishPaste", &PageSession::FinishPaste)
        .function("beginAnalysis", &PageSession::BeginAnalysis)
        .function("finishAnalysis", &PageSession::FinishAnalysis)
        .function("equationText", &PageSession::EquationText)
        .function("equationCopy", &PageSession::EquationCopy)
        .function("statisticsText", &PageSession::StatisticsText)
        .function("saveData", &PageSession::SaveData)
        .function("beginGraph", &PageSession::BeginGraph)
        .function("finishGraph", &PageSession::FinishGraph)
        .function("graphFile", &PageSession::GraphFileNamed)
        .function("graphPng", &PageSession::GraphPng)
        .function("about", &PageSession::About);
}

}  // namespace plorimet
