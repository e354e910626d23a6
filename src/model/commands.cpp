#include "model/commands.h"

#include <algorithm>
#include <cstring>

#include "base/text.h"
#include "base/window_layout.h"
#include "data/cell_rule.h"
#include "fit/analysis.h"
#include "fit/equation.h"

namespace plorimet {

namespace {

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

ColumnDialogRequest ColumnRequestOf(const ProgramState& state, int columnCount) {
    ColumnDialogRequest request;
    request.language = state.language;
    request.columnCount = columnCount;
    request.proposedX = ProposedColumn(ColumnBox::X, state.lastXColumn, columnCount);
    request.proposedY = ProposedColumn(ColumnBox::Y, state.lastYColumn, columnCount);
    return request;
}

PasteStep AskColumns(const ProgramState& state, int columnCount, Outcome first = {}) {
    PasteStep step;
    step.outcome = first;
    step.asksColumns = true;
    step.columns = DescribeColumnDialog(ColumnRequestOf(state, columnCount));
    return step;
}

// What the fit settings dialog opens with; the same at Begin and at Finish, as the dialog
// changes nothing the request is made of.
FitDialogRequest FitRequestOf(const ProgramState& state) {
    return FitDialogRequestFor(state.fitSettings, state.dataSet.pairCount, state.language);
}

GraphDialogRequest GraphRequestOf(const ProgramState& state) {
    return GraphDialogRequest{state.language, state.graphSettings};
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

// The grid after Read Data: empty, then the pairs read; the data set's texts cleared.
Outcome ShowReadPairs(ProgramState& state, const ReadDataResult& read) {
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

Outcome ReadData(ProgramState& state, const ByteSource& file) {
    return ShowReadPairs(state, ReadDataText(file));
}

Outcome DataFileRead::Finish(ProgramState& state) {
    return ShowReadPairs(state, reader_.Finish());
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
                          const std::optional<DialogAnswer>& shown) {
    PasteStep step;
    if (!shown) {
        step.outcome = Outcome::Message(MessageId::UnableToDisplayDialog);
        return step;
    }
    const int columnCount = CheckSheetText(clipboardText).columnCount;
    const ColumnDialogAnswer answer = ColumnAnswerOf(ColumnRequestOf(state, columnCount), *shown);
    switch (answer.outcome) {
        case ColumnDialogOutcome::Cancelled:
            return step;
        case ColumnDialogOutcome::YNotGreater:
            return AskColumns(state, columnCount, Outcome::Message(MessageId::YColumnNotLarger));
        case ColumnDialogOutcome::Accepted:
            break;
    }
    state.lastXColumn = answer.columns.xColumn;
    state.lastYColumn = answer.columns.yColumn;
    return PasteRows(state, clipboardText, columnCount, answer.columns);
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

DialogView BeginAnalysis(ProgramState& state) {
    state.dataSet = CollectDataSet(CellTextsOf(state));
    return DescribeFitDialog(FitRequestOf(state));
}

std::optional<AnalysisRequest> AnalysisRequestOf(const ProgramState& state, const DialogAnswer& answer) {
    AnalysisRequest request{state.dataSet, state.fitSettings, state.language};
    if (!StoreFitDialogAnswer(request.settings, FitAnswerOf(FitRequestOf(state), answer))) return std::nullopt;
    return request;
}

bool SameAnalysis(const AnalysisRequest& a, const AnalysisRequest& b) {
    const int n = a.dataSet.pairCount;
    auto samePairs = [&](const auto& u, const auto& v) { return std::memcmp(u.data(), v.data(), n * sizeof(double)) == 0; };
    return n == b.dataSet.pairCount && samePairs(a.dataSet.x, b.dataSet.x) && samePairs(a.dataSet.y, b.dataSet.y) &&
           a.settings.fitMode == b.settings.fitMode && a.settings.degree == b.settings.degree &&
           a.settings.digitsIndex == b.settings.digitsIndex && a.language == b.language;
}

AnalysisOutcome RunAnalysis(const AnalysisRequest& request) {
    AnalysisOutcome outcome{request, std::nullopt, FitResult{}};
    outcome.failure = CompleteAnalysis(request.dataSet, request.settings, request.language, outcome.result);
    return outcome;
}

Outcome FinishAnalysis(ProgramState& state, const std::optional<DialogAnswer>& answer, const AnalysisOutcome* ahead) {
    if (!answer) return Outcome::Message(MessageId::UnableToDisplayDialog);  // as if cancelled
    const std::optional<AnalysisRequest> request = AnalysisRequestOf(state, *answer);
    if (!request) return {};
    state.fitSettings = request->settings;
    AnalysisOutcome fit = ahead && SameAnalysis(ahead->request, *request) ? *ahead : RunAnalysis(*request);
    if (fit.failure) return Outcome::Message(*fit.failure);
    state.fitResult = std::move(fit.result);
    state.view = ViewState::Equation;
    Outcome outcome;
    outcome.viewChanged = true;
    return outcome;
}

std::string EquationCopyText(const ProgramState& state) {
    if (!state.fitResult.equationShown) return std::string();
    return EquationClipboardText(state.fitResult.equationText, state.fitResult.coefficients,
                                 state.fitResult.termCount);
}

// ---- Save Data --------------------------------------------------------------------------

SaveDataPlan PlanSaveData(const ProgramState& state, const std::string& path) {
    return PlanSaveData(state.dataSet, state.fitResult.equationText, path);
}

SaveDataPlan PlanSaveData(const DataSet& data, const std::string& equationText, const std::string& path) {
    SaveDataPlan plan;
    if (!HasTxtExtension(path)) {
        plan.outcome = Outcome::Message(MessageId::NeedTxtExtension);
        return plan;
    }
    plan.writes = true;
    plan.bytes = BuildDataFileBytes(data, equationText);
    return plan;
}

SaveDataPlan PlanSaveDataTyped(const ProgramState& state, const std::string& typed) {
    const std::string name = WithoutSurroundingSpaces(typed);
    if (name.empty()) {
        SaveDataPlan plan;
        plan.outcome = Outcome::Message(MessageId::NeedTxtExtension);
        return plan;
    }
    return PlanSaveData(state, WithDefaultExtension(name, "txt"));
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

DialogView BeginDrawGraph(const ProgramState& state) {
    return DescribeGraphDialog(GraphRequestOf(state));
}

Outcome FinishDrawGraph(ProgramState& state, const std::optional<DialogAnswer>& answer) {
    if (!answer) return Outcome::Message(MessageId::UnableToDisplayDialog);  // the settings as they were
    if (!StoreGraphDialogAnswer(state.graphSettings, GraphAnswerOf(GraphRequestOf(state), *answer))) return {};
    // The pen and dot sizes follow the choices, whoever filled in the answer.
    InitGraphSettingsDialog(state.graphSettings);
    if (YRangeIsFlat(state.dataSet)) return Outcome::Message(MessageId::YValuesSame);
    Outcome outcome;
    outcome.drawsGraph = true;
    return outcome;
}

GraphPlan GraphPlanOf(const ProgramState& state, int clientWidth, int clientHeight) {
    return PlanGraph(clientWidth, clientHeight, state.dataSet, state.fitResult.coefficients,
                     TermCount(state.fitSettings, state.dataSet), state.graphSettings, &state.fitResult.curve);
}

void GraphDrawn(ProgramState& state, const FrameRect& frame) {
    state.graphFrame = frame;
    state.view = ViewState::Graph;
}

// ---- About ------------------------------------------------------------------------------

DialogView BeginAbout(const ProgramState& state) {
    return DescribeAboutDialog(state.language);
}

Outcome FinishAbout(const std::optional<DialogAnswer>& answer) {
    return answer ? Outcome{} : Outcome::Message(MessageId::UnableToDisplayDialog);
}

}  // namespace plorimet
