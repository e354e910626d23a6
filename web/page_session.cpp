#include "page_session.h"

#include <algorithm>
#include <cctype>

#include "base/keys.h"
#include "base/toolbar_layout.h"
#include "base/window_layout.h"
#include "data/cell_rule.h"
#include "data/grid_keys.h"
#include "fit/equation.h"
#include "graph/graph_export.h"
#include "graph/graph_raster.h"

namespace plorimet {

namespace {

int MessageOf(std::optional<MessageId> id) { return id ? static_cast<int>(*id) : kNoMessage; }

std::string& CellRef(CellTexts& cells, int index) {
    return index < kMaxPairs ? cells.x[index] : cells.y[index - kMaxPairs];
}

// The extension of a file name, lower case, with its point; empty when it has none.
std::string LowerExtension(const std::string& name) {
    const auto dot = name.find_last_of('.');
    if (dot == std::string::npos) return "";
    std::string ext = name.substr(dot);
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
    return ext;
}

}  // namespace

bool PageSession::ButtonEnabled(int k) const {
    if (k < 0 || k >= kToolbarButtonCount) return false;
    return IsButtonEnabled(ToolbarButtons()[k], view_);
}

int PageSession::CommandForKey(int key, bool ctrl, bool shift, bool alt) const {
    const KeyDecision decision = DecideCommandKey({key, ctrl, shift, alt}, view_);
    if (decision.kind == KeyCommand::Toolbar) return decision.command;
    return decision.kind == KeyCommand::CopyEquation ? -1 : 0;
}

std::string PageSession::SetCell(int index, const std::string& text) {
    if (index < 0 || index >= 2 * kMaxPairs) return "";
    std::string kept = ApplyCellRule(text);
    if (kept.size() > static_cast<size_t>(kCellTextLimit)) kept.resize(kCellTextLimit);
    CellRef(cells_, index) = kept;
    return kept;
}

std::string PageSession::Cell(int index) const {
    if (index < 0 || index >= 2 * kMaxPairs) return "";
    return index < kMaxPairs ? cells_.x[index] : cells_.y[index - kMaxPairs];
}

void PageSession::RestoreCells(const std::vector<std::string>& texts) {
    for (int k = 0; k < 2 * kMaxPairs && k < static_cast<int>(texts.size()); ++k) {
        const std::string kept = SetCell(k, texts[k]);
        (k < kMaxPairs ? dataSet_.xText[k] : dataSet_.yText[k - kMaxPairs]) = kept;
    }
    restored_ = dataSet_.CharTotal() != 0;
}

int PageSession::CellAfterKey(int index, int key, bool shift, bool ctrl, bool alt) {
    const std::optional<GridMove> move = GridMoveForKey({key, ctrl, shift, alt});
    return move ? CellAfterMove(index, *move) : -2;
}

bool PageSession::InputDataAsks() const { return dataSet_.CharTotal() != 0; }

void PageSession::FinishInputData(bool clear) {
    if (clear) dataSet_.ClearTexts();
    fitResult_.equationShown = false;
    // The window's grid is empty at the start picture; texts kept from an earlier visit are not.
    if (view_ == ViewState::Initial && !restored_) dataSet_.ClearTexts();
    restored_ = false;
    view_ = ViewState::DataInput;
    for (int k = 0; k < kMaxPairs; ++k) {
        SetCell(k, dataSet_.xText[k]);
        SetCell(kMaxPairs + k, dataSet_.yText[k]);
    }
}

void PageSession::BeginReadData() {
    dataSet_.ClearTexts();
    cells_ = CellTexts{};
    reader_.emplace();
}

bool PageSession::FeedReadData(const std::string& bytes) {
    return reader_ && reader_->Feed(bytes.data(), bytes.size());
}

int PageSession::FinishReadData() {
    if (!reader_) return kNoMessage;
    const ReadDataResult read = reader_->Finish();
    reader_.reset();
    for (size_t i = 0; i < read.pairs.size(); ++i) {
        SetCell(static_cast<int>(i), read.pairs[i].x);
        SetCell(kMaxPairs + static_cast<int>(i), read.pairs[i].y);
    }
    return read.empty() ? static_cast<int>(MessageId::NoDataInFile) : kNoMessage;
}

int PageSession::ReadDataFailed() {
    reader_.reset();
    return static_cast<int>(MessageId::FileDoesNotExist);
}

int PageSession::BeginPaste(const std::string& text, int& message) {
    message = kNoMessage;
    const SheetShape shape = CheckSheetText(text);
    if (shape.failure) {
        message = static_cast<int>(*shape.failure);
        return 0;
    }
    pasteText_ = text;
    pasteColumns_ = shape.columnCount;
    return shape.columnCount;
}

int PageSession::ProposedColumn(bool y) const {
    return plorimet::ProposedColumn(y ? ColumnBox::Y : ColumnBox::X, y ? lastYColumn_ : lastXColumn_, pasteColumns_);
}

std::string PageSession::ValidateColumn(const std::string& typed, bool y) const {
    return ValidateColumnText(typed, y ? ColumnBox::Y : ColumnBox::X, pasteColumns_);
}

int PageSession::FinishPaste(bool accepted, const std::string& xText, const std::string& yText, bool& askAgain) {
    askAgain = false;
    if (!accepted) return kNoMessage;
    ColumnChoice columns{1, 2};
    if (pasteColumns_ > 2) {
        const ColumnDialogAnswer answer = ReadColumnNumbers(xText, yText, pasteColumns_);
        if (answer.outcome == ColumnDialogOutcome::YNotGreater) {
            askAgain = true;
            return static_cast<int>(MessageId::YColumnNotLarger);
        }
        lastXColumn_ = answer.columns.xColumn;
        lastYColumn_ = answer.columns.yColumn;
        columns = answer.columns;
    }
    // Parsed into copies: the data set and the cells change only when every row passed.
    SlotTexts x = dataSet_.xText;
    SlotTexts y = dataSet_.yText;
    const SheetParseResult parsed = ParseSheetRows(pasteText_, pasteColumns_, columns, x, y);
    pasteText_.clear();
    if (parsed.failure) return static_cast<int>(*parsed.failure);
    dataSet_.xText = x;
    dataSet_.yText = y;
    for (int k = 0; k < kMaxPairs; ++k) {
        SetCell(k, x[k]);
        SetCell(kMaxPairs + k, y[k]);
    }
    return kNoMessage;
}

void PageSession::BeginAnalysis() {
    // The data set is replaced before the dialog, whatever the dialog's outcome.
    dataSet_ = CollectDataSet(cells_);
    fitRequest_ = FitDialogRequestFor(fitSettings_, dataSet_.pairCount, language_);
}

std::string PageSession::ValidateDegree(const std::string& typed) const {
    return ValidateDegreeText(typed, fitRequest_.pairCount);
}

int PageSession::FinishAnalysis(bool accepted, const std::string& degreeText, int digitsIndex) {
    FitDialogAnswer answer = AcceptFitSettings(fitRequest_, degreeText, digitsIndex, digitsIndex);
    if (!accepted) answer.outcome = FitDialogOutcome::Cancelled;
    if (!StoreFitDialogAnswer(fitSettings_, answer)) return kNoMessage;
    if (auto failure = CompleteAnalysis(dataSet_, fitSettings_, language_, fitResult_)) return MessageOf(failure);
    view_ = ViewState::Equation;
    return kNoMessage;
}

std::string PageSession::EquationCopyText() const {
    return EquationClipboardText(fitResult_.equationText, fitResult_.coefficients, fitResult_.termCount);
}

int PageSession::CheckSaveDataName(std::string& name) const {
    if (LowerExtension(name).empty()) name += ".txt";
    return HasTxtExtension(name) ? kNoMessage : static_cast<int>(MessageId::NeedTxtExtension);
}

std::string PageSession::DataFileBytes() const { return BuildDataFileBytes(dataSet_, fitResult_.equationText); }

GraphDialogChecks PageSession::BeginGraph() {
    graphDialog_ = graphSettings_;
    return InitGraphSettingsDialog(graphDialog_);
}

bool PageSession::GraphClick(int buttonId) { return ApplyGraphSettingsClick(graphDialog_, buttonId); }

int PageSession::FinishGraph(bool accepted, const std::vector<bool>& checked) {
    GraphDialogAnswer answer;
    answer.outcome = accepted ? GraphDialogOutcome::Accepted : GraphDialogOutcome::Cancelled;
    answer.settings = graphDialog_;
    if (accepted) {
        std::array<bool, kGraphRadioButtonCount> marks{};
        for (int k = 0; k < kGraphRadioButtonCount && k < static_cast<int>(checked.size()); ++k) marks[k] = checked[k];
        AcceptGraphSettings(answer.settings, marks);
    }
    if (!StoreGraphDialogAnswer(graphSettings_, answer)) return kNoMessage;
    if (YRangeIsFlat(dataSet_)) return static_cast<int>(MessageId::YValuesSame);
    const int termCount = TermCount(fitSettings_, dataSet_);
    const ClientSize client = StandardMainClientSize();
    plan_ = PlanGraph(client.width, client.height, dataSet_, fitResult_.coefficients, termCount, graphSettings_);
    canvas_.emplace(RenderGraphSurface(plan_, client.width, client.height));
    view_ = ViewState::Graph;
    return kNoMessage;
}

Bytes PageSession::CopyGraphPng() const {
    if (view_ != ViewState::Graph || !canvas_) return {};
    return PngFileBytes(CaptureRegionImage(*canvas_, plan_.frame));
}

GraphFileKind PageSession::GraphKindFor(std::string& name) {
    const std::string ext = LowerExtension(name);
    if (ext.empty()) name += ".bmp";
    if (ext == ".png") return GraphFileKind::Png;
    if (ext == ".svg") return GraphFileKind::Svg;
    return GraphFileKind::Bmp;
}

Bytes PageSession::GraphFileBytes(GraphFileKind kind) const {
    if (view_ != ViewState::Graph || !canvas_) return {};
    if (kind == GraphFileKind::Svg) {
        const std::string svg = SvgText(plan_, fitResult_.equationText, false);
        return Bytes(svg.begin(), svg.end());
    }
    const IndexedImage image = CaptureRegionImage(*canvas_, plan_.frame);
    return kind == GraphFileKind::Png ? PngFileBytes(image) : BmpFileBytes(image);
}

}  // namespace plorimet
