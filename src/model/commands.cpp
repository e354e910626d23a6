#include "model/commands.h"

#include <algorithm>
#include <cctype>

#include "base/window_layout.h"
#include "data/cell_rule.h"
#include "fit/analysis.h"
#include "fit/equation.h"
#include "graph/dib.h"
#include "graph/graph_export.h"
#include "graph/graph_raster.h"

namespace plorimet {

namespace {

// The program's texts are code page 932 bytes where the compiler converts them (the window,
// the native build) and UTF-8 where it does not (the page): a katakana takes two bytes in one,
// three in the other.
constexpr bool kTextsAreCp932 = sizeof("ア") == 3;

// What a cell shows after a text is set into it: the cell checks the text like typed text.
std::string ShownCellText(const std::string& text) {
    return ApplyCellRule(text.substr(0, kCellReadLimit));
}

void ShowSlotTexts(ProgramState& state, const SlotTexts& xText, const SlotTexts& yText) {
    for (int k = 0; k < kMaxPairs; ++k) {
        state.cells[k] = ShownCellText(xText[k]);
        state.cells[kMaxPairs + k] = ShownCellText(yText[k]);
    }
}

CellTexts CellTextsOf(const ProgramState& state) {
    CellTexts texts;
    for (int r = 0; r < kMaxPairs; ++r) {
        texts.x[r] = state.cells[r];
        texts.y[r] = state.cells[kMaxPairs + r];
    }
    return texts;
}

PasteStep AskColumns(const ProgramState& state, int columnCount, Outcome first = {}) {
    PasteStep step;
    step.outcome = first;
    step.asksColumns = true;
    step.columns.language = state.language;
    step.columns.columnCount = columnCount;
    step.columns.proposedX = ProposedColumn(ColumnBox::X, state.lastXColumn, columnCount);
    step.columns.proposedY = ProposedColumn(ColumnBox::Y, state.lastYColumn, columnCount);
    return step;
}

// Parsed into copies: the data set's texts and the cells change only when every row passed.
PasteStep PasteRows(ProgramState& state, const std::string& text, int columnCount, ColumnChoice columns) {
    SlotTexts xText = state.dataSet.xText;
    SlotTexts yText = state.dataSet.yText;
    const SheetParseResult parsed = ParseSheetRows(text, columnCount, columns, xText, yText);
    PasteStep step;
    if (parsed.failure) {
        step.outcome = Outcome::Message(*parsed.failure);
        return step;
    }
    state.dataSet.xText = xText;
    state.dataSet.yText = yText;
    ShowSlotTexts(state, xText, yText);
    step.outcome.cellsChanged = true;
    return step;
}

std::string LowerCase(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

bool EndsWith(const std::string& text, const std::string& ending) {
    return text.size() >= ending.size() && text.compare(text.size() - ending.size(), ending.size(), ending) == 0;
}

}  // namespace

Outcome Outcome::Message(MessageId id, unsigned long detail) {
    Outcome outcome;
    outcome.hasMessage = true;
    outcome.message = id;
    outcome.detail = detail;
    return outcome;
}

// ---- Input Data -------------------------------------------------------------------------

InputDataRequest BeginInputData(ProgramState& state) {
    state.gridCharTotal = state.dataSet.CharTotal();
    InputDataRequest request;
    request.asks = state.gridCharTotal != 0;
    return request;
}

Outcome FinishInputData(ProgramState& state, bool answeredYes) {
    if (answeredYes) state.dataSet.ClearTexts();
    state.fitResult.equationShown = false;
    if (state.view == ViewState::Initial) state.dataSet.ClearTexts();
    state.view = ViewState::DataInput;
    ShowSlotTexts(state, state.dataSet.xText, state.dataSet.yText);
    Outcome outcome;
    outcome.cellsChanged = true;
    outcome.viewChanged = true;
    return outcome;
}

// ---- Read Data --------------------------------------------------------------------------

Outcome ReadData(ProgramState& state, const ByteSource& file) { return ReadDataPairs(state, ReadDataText(file)); }

Outcome ReadDataPairs(ProgramState& state, const ReadDataResult& read) {
    state.dataSet.ClearTexts();
    state.cells.fill(std::string());
    for (size_t i = 0; i < read.pairs.size(); ++i) {
        state.cells[i] = ShownCellText(read.pairs[i].x);
        state.cells[kMaxPairs + i] = ShownCellText(read.pairs[i].y);
    }
    Outcome outcome = read.empty() ? Outcome::Message(MessageId::NoDataInFile) : Outcome{};
    outcome.cellsChanged = true;
    return outcome;
}

Outcome ReadDataBytes(ProgramState& state, const std::string& bytes) {
    size_t at = 0;
    return ReadData(state, [&bytes, &at](char* buffer, size_t size) {
        const size_t taken = std::min(size, bytes.size() - at);
        std::copy_n(bytes.data() + at, taken, buffer);
        at += taken;
        return taken;
    });
}

Outcome ReadDataFileMissing() {
    return Outcome::Message(MessageId::FileDoesNotExist);
}

// ---- Paste Data -------------------------------------------------------------------------

PasteStep BeginPasteData(ProgramState& state, const std::optional<std::string>& clipboardText) {
    if (!clipboardText) {
        PasteStep step;
        step.outcome = Outcome::Message(MessageId::NoClipboardData);
        return step;
    }
    return BeginPasteText(state, *clipboardText);
}

PasteStep BeginPasteText(ProgramState& state, const std::string& clipboardText) {
    const SheetShape shape = CheckSheetText(clipboardText);
    if (shape.failure) {
        PasteStep step;
        step.outcome = Outcome::Message(*shape.failure);
        return step;
    }
    if (shape.columnCount > 2) return AskColumns(state, shape.columnCount);
    return PasteRows(state, clipboardText, shape.columnCount, ColumnChoice{1, 2});
}

PasteStep FinishPasteData(ProgramState& state, const std::string& clipboardText,
                          const std::optional<ColumnDialogAnswer>& answer) {
    PasteStep step;
    if (!answer) {
        step.outcome = Outcome::Message(MessageId::UnableToDisplayDialog);
        return step;
    }
    const int columnCount = CheckSheetText(clipboardText).columnCount;
    switch (answer->outcome) {
        case ColumnDialogOutcome::Cancelled:
            return step;
        case ColumnDialogOutcome::YNotGreater:
            return AskColumns(state, columnCount, Outcome::Message(MessageId::YColumnNotLarger));
        case ColumnDialogOutcome::Accepted:
            break;
    }
    state.lastXColumn = answer->columns.xColumn;
    state.lastYColumn = answer->columns.yColumn;
    return PasteRows(state, clipboardText, columnCount, answer->columns);
}

PasteStep FinishPasteData(ProgramState& state, const std::string& clipboardText, const ColumnDialogAnswer& answer) {
    return FinishPasteData(state, clipboardText, std::optional<ColumnDialogAnswer>(answer));
}

std::string WithCrLfLineEnds(const std::string& text) {
    std::string result;
    result.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) result += '\r';
        result += text[i];
    }
    return result;
}

// ---- Analysis ---------------------------------------------------------------------------

FitDialogRequest BeginAnalysis(ProgramState& state) {
    state.dataSet = CollectDataSet(CellTextsOf(state));
    return FitDialogRequestFor(state.fitSettings, state.dataSet.pairCount, state.language);
}

Outcome FinishAnalysis(ProgramState& state, const std::optional<FitDialogAnswer>& answer) {
    if (!answer) return Outcome::Message(MessageId::UnableToDisplayDialog);  // as if cancelled
    if (!StoreFitDialogAnswer(state.fitSettings, *answer)) return {};
    if (auto failure = CompleteAnalysis(state.dataSet, state.fitSettings, state.language, state.fitResult))
        return Outcome::Message(*failure);
    state.view = ViewState::Equation;
    Outcome outcome;
    outcome.viewChanged = true;
    return outcome;
}

Outcome FinishAnalysis(ProgramState& state, const FitDialogAnswer& answer) {
    return FinishAnalysis(state, std::optional<FitDialogAnswer>(answer));
}

std::string EquationCopyText(const ProgramState& state) {
    if (!state.fitResult.equationShown) return std::string();
    return EquationClipboardText(state.fitResult.equationText, state.fitResult.coefficients,
                                 state.fitResult.termCount);
}

// ---- Save Data --------------------------------------------------------------------------

SaveDataPlan PlanSaveData(const ProgramState& state, const std::string& path) {
    SaveDataPlan plan;
    if (!HasTxtExtension(path)) {
        plan.outcome = Outcome::Message(MessageId::NeedTxtExtension);
        return plan;
    }
    plan.writes = true;
    plan.bytes = BuildDataFileBytes(state.dataSet, state.fitResult.equationText);
    return plan;
}

std::string WithDefaultExtension(const std::string& name, const std::string& extension) {
    const size_t slash = name.find_last_of("/\\");
    const size_t start = slash == std::string::npos ? 0 : slash + 1;
    if (name.find('.', start) != std::string::npos) return name;
    return name + "." + extension;
}

Outcome FinishSave(SaveOutcome result, SavedFile file) {
    if (const auto failure = SaveFailureMessage(result, file)) return Outcome::Message(*failure);
    return {};
}

// ---- Draw Graph, Copy Graph, Save Graph -------------------------------------------------

GraphDialogRequest BeginDrawGraph(const ProgramState& state) {
    return GraphDialogRequest{state.language, state.graphSettings};
}

Outcome FinishDrawGraph(ProgramState& state, const std::optional<GraphDialogAnswer>& answer) {
    if (!answer) return Outcome::Message(MessageId::UnableToDisplayDialog);  // the settings as they were
    if (!StoreGraphDialogAnswer(state.graphSettings, *answer)) return {};
    if (YRangeIsFlat(state.dataSet)) return Outcome::Message(MessageId::YValuesSame);
    Outcome outcome;
    outcome.drawsGraph = true;
    return outcome;
}

Outcome FinishDrawGraph(ProgramState& state, const GraphDialogAnswer& answer) {
    return FinishDrawGraph(state, std::optional<GraphDialogAnswer>(answer));
}

GraphPlan GraphPlanOf(const ProgramState& state, int clientWidth, int clientHeight) {
    return PlanGraph(clientWidth, clientHeight, state.dataSet, state.fitResult.coefficients,
                     TermCount(state.fitSettings, state.dataSet), state.graphSettings);
}

void GraphDrawn(ProgramState& state, const FrameRect& frame) {
    state.graphFrame = frame;
    state.view = ViewState::Graph;
}

GraphPicture DrawGraphPicture(ProgramState& state) {
    const ClientSize client = StandardMainClientSize();
    const GraphPlan plan = GraphPlanOf(state, client.width, client.height);
    const RasterCanvas surface = RenderGraphSurface(plan, client.width, client.height);
    GraphPicture picture;
    picture.width = surface.width();
    picture.height = surface.height();
    picture.rgba.reserve(static_cast<size_t>(picture.width) * picture.height * 4);
    for (std::uint8_t index : surface.image().pixels) {
        const Rgb& colour = kGraphPalette[index & 0x0f];
        picture.rgba.insert(picture.rgba.end(), {colour.red, colour.green, colour.blue, 255});
    }
    GraphDrawn(state, plan.frame);
    return picture;
}

GraphFileFormat GraphFileFormatOf(const std::string& name) {
    const std::string lower = LowerCase(name);
    if (EndsWith(lower, ".png")) return GraphFileFormat::Png;
    if (EndsWith(lower, ".svg")) return GraphFileFormat::Svg;
    return GraphFileFormat::Bmp;
}

GraphFile GraphFileOf(const ProgramState& state, GraphFileFormat format) {
    const ClientSize client = StandardMainClientSize();
    const GraphPlan plan = GraphPlanOf(state, client.width, client.height);
    GraphFile file;
    if (format == GraphFileFormat::Svg) {
        const std::string& title = state.fitResult.equationText;
        const bool ascii = std::all_of(title.begin(), title.end(), [](char c) { return (c & 0x80) == 0; });
        file.bytes = SvgText(plan, title, !ascii && kTextsAreCp932);
        return file;
    }
    const IndexedImage image =
        CaptureRegionImage(RenderGraphSurface(plan, client.width, client.height), plan.frame);
    const Bytes bytes = format == GraphFileFormat::Bmp ? BmpFileBytes(image) : PngFileBytes(image);
    if (bytes.empty()) file.outcome = Outcome::Message(MessageId::UnableToWriteInFile);
    file.bytes.assign(bytes.begin(), bytes.end());
    return file;
}

// ---- Messages ---------------------------------------------------------------------------

MessageView ViewOfMessage(MessageId id, UiLanguage language, unsigned long detail) {
    const MessageEntry& entry = GetMessageEntry(id);
    MessageView view;
    view.text = MessageTextWithDetail(id, language, detail);
    view.caption = CaptionText(entry.caption, language);
    view.icon = entry.icon;
    view.buttons = entry.buttons;
    view.systemModal = entry.systemModal;
    return view;
}

}  // namespace plorimet
