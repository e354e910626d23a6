// The 90 edit cells of the data grid and the Input Data command.
#pragma once

#include <windows.h>

#include <string>

#include "fit/data_set.h"
#include "win/program_state_win.h"

namespace plorimet {

// Start-up: layout from the window's font, final size and position, the cells (out of view)
// and the title.
void CreateDataGrid(ProgramState& state);

// Moves every cell to its home position shifted right by offset: 0 shows the grid,
// kMainWindowWidth puts it out of view.
void PlaceGridCells(ProgramState& state, int offset);

// The cell rule, run for every notification of a cell: a text that breaks it loses its last
// character (which re-enters this check through the cell's change notification) until it obeys.
void CheckCellText(HWND cell);

// The Input Data command.
void StartDataInput(ProgramState& state);

// The texts of the 45 rows, at most 13 characters each.
CellTexts ReadCellTexts(const ProgramState& state);

// The cell index (0..89) of a window, or -1 when it is none of the cells.
int CellIndexOf(const ProgramState& state, HWND window);

// Gives a cell the keyboard focus with its whole text selected, so that typing replaces it.
void FocusCell(const ProgramState& state, int cellIndex);

// Sets a cell's text; the cell rule is applied to it like to typed text.
void SetCellText(ProgramState& state, int cellIndex, const std::string& text);

}  // namespace plorimet
