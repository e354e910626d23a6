// Everything the program remembers during one run that every front end shares: the view, the
// grid's texts, the data set, the fit and graph settings and the fit's result. The window keeps
// its handles beside it (app/window_state_win.h); the page keeps one of these in WebAssembly.
#pragma once

#include <array>
#include <optional>
#include <string>

#include "base/keys.h"
#include "base/messages.h"
#include "base/view_state.h"
#include "base/window_layout.h"
#include "fit/analysis.h"
#include "fit/data_set.h"
#include "fit/fit_settings.h"
#include "graph/graph_plan.h"
#include "graph/graph_settings.h"

namespace plorimet {

struct ProgramState {
    UiLanguage language = UiLanguage::English;
    ViewState view = ViewState::Initial;

    // The grid's 90 cells as they read: X cells of pairs 1..45, then their Y cells. The window
    // copies its edit controls here before a command reads them and shows them again after a
    // command that changed them; the page edits them through EditCell.
    std::array<std::string, kCellCount> cells;
    int gridCharTotal = 0;  // characters of the data set texts when Input Data last ran

    DataSet dataSet;
    FitSettings fitSettings;
    FitResult fitResult;

    // Remembered choices of the column dialog (0: none yet).
    int lastXColumn = 0;
    int lastYColumn = 0;

    GraphSettings graphSettings;
    FrameRect graphFrame;  // where the frame of the shown graph lies
};

// The tool bar's eleven commands, in tool bar order.
enum class Command {
    InputData = 0,
    ReadData,
    PasteData,
    Analysis,
    SaveData,
    DrawGraph,
    CopyGraph,
    SaveGraph,
    About,
    Help,
    Exit,
};
constexpr int kCommandCount = 11;

// The command of a menu id (IDM_INPUT_DATA .. IDM_EXIT) and back.
int CommandId(Command command);
bool CommandOfId(int commandId, Command& command);

// Whether a command can be given in a view: Input Data, About, Help and Exit always, the
// others only in their views (the tool bar's enabling table).
bool IsCommandEnabled(Command command, ViewState view);
// The same for all eleven, indexed by Command.
std::array<bool, kCommandCount> EnabledCommands(ViewState view);

// What a key pressed in the main window does (key codes of base/keys.h, which are the
// browser's key codes too): in the data input view Tab, Shift+Tab, Enter and the arrows move
// between the cells (from cell fromCell, -1 for none); the command keys give their command
// while it is enabled; Ctrl+C in the equation view copies the equation. Anything else is the
// focused control's.
struct KeyAction {
    bool taken = false;  // the key is the program's, not the focused control's
    int focusCell = -1;  // a grid move: the cell to focus
    int leavesGrid = 0;  // +1 Tab past the last cell, -1 Shift+Tab before the first (KeyFocus::gridEndsLeave)
    bool copiesEquation = false;
    bool hasCommand = false;
    Command command = Command::InputData;
};
KeyAction ActionForKey(ViewState view, int fromCell, const KeyPress& key);

// Where the keyboard focus is, for a front end whose own controls take the focus too (the
// page's tool bar buttons): a control's keys are its own (Enter and Space press a button),
// only the command keys are the program's; and with controls before and after the grid, Tab
// at the last cell and Shift+Tab at the first leave the grid instead of staying. Where the
// user has selected text in the view (part of the page's statistics), Ctrl+C copies that.
struct KeyFocus {
    int cell = -1;           // 0..89, -1 for none
    bool onControl = false;  // a control of the front end's own has the focus
    bool gridEndsLeave = false;
    bool textSelected = false;
};
KeyAction ActionForKey(ViewState view, const KeyFocus& focus, const KeyPress& key);

// While a dialog or message of the program is open: whether a key is held back from the browser
// or system, so that no command key does what it does there (F5 reloads a page, Ctrl+S saves it,
// F1 opens the browser's help). The command keys wait for the dialog, except Ctrl+C and
// Ctrl+Shift+V, which a dialog's text field uses itself.
bool KeyHeldDuringDialog(const KeyPress& key);

// Start-up of the grid: nothing remembered from an earlier grid.
void ResetForNewGrid(ProgramState& state);

// The text a cell keeps after the user typed or pasted into it: the first 10 characters
// (the cell's limit), then shortened from the end until the cell rule holds.
std::string CellTextAfterEdit(const std::string& typed);
// A cell that checks itself after every change of its text (the window's edit controls): nothing
// when the text obeys the cell rule, otherwise the text less its last character, which is
// checked again as the next change.
std::optional<std::string> CellTextAfterChange(const std::string& text);
// Edits cell 0..89 of the grid as the window's cell does; returns the text it keeps (empty
// for an index outside the grid).
std::string EditCell(ProgramState& state, int cellIndex, const std::string& typed);

}  // namespace plorimet
