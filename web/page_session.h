// The page's program: the window's state and commands as plain steps the page calls.
//
// The page shows things and passes the user's input on; every decision (which buttons work,
// what Input Data asks, what the dialogs accept, the cell rule, the readers, the fit, the
// graph's pixels and files) is the portable code's, called from here exactly as the window
// calls it.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "base/messages.h"
#include "base/view_state.h"
#include "data/data_file.h"
#include "data/sheet_text.h"
#include "fit/analysis.h"
#include "fit/fit_settings.h"
#include "graph/dib.h"
#include "graph/graph_plan.h"
#include "graph/graph_raster.h"
#include "graph/graph_settings.h"

namespace plorimet {

// A step's ending: the message to show (none: -1), and for the column dialog's OK whether the
// dialog is to be shown again.
constexpr int kNoMessage = -1;

enum class GraphFileKind { Bmp = 0, Png = 1, Svg = 2 };

class PageSession {
public:
    explicit PageSession(UiLanguage language) : language_(language) {}

    UiLanguage language() const { return language_; }
    ViewState view() const { return view_; }
    // Tool bar button k (0..12, Gap and Space included) in the current view.
    bool ButtonEnabled(int k) const;
    // What a key gives outside a cell: a command id, -1 for the equation's copy, 0 for nothing.
    int CommandForKey(int key, bool ctrl, bool shift, bool alt) const;

    // Cells (0..44 X, 45..89 Y): the text the cell keeps, and the cell a key moves to (-2: the
    // key is the cell's own).
    std::string SetCell(int index, const std::string& text);
    std::string Cell(int index) const;
    // Cells kept from an earlier visit; shown by the next Input Data, which asks about them.
    void RestoreCells(const std::vector<std::string>& texts);
    static int CellAfterKey(int index, int key, bool shift, bool ctrl, bool alt);

    // Input Data: whether the question is asked, then the answer (true: Yes, clear).
    bool InputDataAsks() const;
    void FinishInputData(bool clear);

    // Read Data: the file's bytes a slice at a time; Feed answers whether more are wanted.
    void BeginReadData();
    bool FeedReadData(const std::string& bytes);
    int FinishReadData();           // NoDataInFile or none
    int ReadDataFailed();           // the file could not be read: FileDoesNotExist

    // Paste Data: the clipboard's text (LF already made CR LF by the page); the column count
    // when the column dialog is wanted (3 or more), 2 when not, 0 when a message ended it.
    int BeginPaste(const std::string& text, int& message);
    int ProposedColumn(bool y) const;
    std::string ValidateColumn(const std::string& typed, bool y) const;
    // OK with the two texts: the message (YColumnNotLarger: ask again), or the paste's result.
    int FinishPaste(bool accepted, const std::string& xText, const std::string& yText, bool& askAgain);

    // Analysis: the data set from the cells and the dialog's request, then the answer.
    void BeginAnalysis();
    const FitDialogRequest& FitRequest() const { return fitRequest_; }
    std::string ValidateDegree(const std::string& typed) const;
    int FinishAnalysis(bool accepted, const std::string& degreeText, int digitsIndex);
    const std::string& EquationText() const { return fitResult_.equationText; }
    std::string EquationCopyText() const;

    // Save Data: the name typed (".txt" added when it has no extension) and the file's bytes.
    int CheckSaveDataName(std::string& name) const;
    std::string DataFileBytes() const;

    // Draw Graph: the dialog's working settings, a click, then the answer.
    GraphDialogChecks BeginGraph();
    bool GraphClick(int buttonId);
    int FinishGraph(bool accepted, const std::vector<bool>& checked);
    // The client area's palette indices (width x height, top row first) and the capture.
    const IndexedImage* GraphSurface() const { return canvas_ ? &canvas_->image() : nullptr; }
    Bytes CopyGraphPng() const;
    // Save Graph: the kind by the name's ending (".bmp" added when none) and the bytes.
    static GraphFileKind GraphKindFor(std::string& name);
    Bytes GraphFileBytes(GraphFileKind kind) const;

private:
    UiLanguage language_;
    ViewState view_ = ViewState::Initial;
    bool restored_ = false;
    CellTexts cells_;  // the grid's cells, as the window's edit controls hold them
    DataSet dataSet_;
    FitSettings fitSettings_;
    FitResult fitResult_;
    GraphSettings graphSettings_;
    GraphSettings graphDialog_;
    FitDialogRequest fitRequest_;
    int lastXColumn_ = 0;
    int lastYColumn_ = 0;
    std::optional<DataTextReader> reader_;
    std::string pasteText_;
    int pasteColumns_ = 0;
    GraphPlan plan_;
    std::optional<RasterCanvas> canvas_;
};

}  // namespace plorimet
