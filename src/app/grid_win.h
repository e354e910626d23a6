// The 90 edit cells of the data grid and the Input Data command.
#pragma once

#include <windows.h>

#include <string>

#include "app/window_state_win.h"

namespace plorimet {

// Start-up: layout from the window's font, final size and position, the cells (out of view)
// and the title.
void CreateDataGrid(WindowState& state);

// Moves every cell to its home position shifted right by offset: 0 shows the grid,
// kMainWindowWidth puts it out of view.
void PlaceGridCells(WindowState& state, int offset);

// The model's cell rule, run for every notification of a cell: a text that breaks it loses its
// last character (which re-enters this check through the cell's change notification) until it
// obeys.
void CheckCellText(HWND cell);

// The Input Data command.
void StartDataInput(WindowState& state);

// Copies the cells' texts (at most 13 characters each) into state.cells, before a command reads them.
void ReadCells(WindowState& state);

// Shows state.cells in the cells, after a command changed them.
void ShowCells(WindowState& state);

// The cell index (0..89) of a window, or -1 when it is none of the cells.
int CellIndexOf(const WindowState& state, HWND window);

// Gives a cell the keyboard focus with its whole text selected, so that typing replaces it.
void FocusCell(const WindowState& state, int cellIndex);

// Sets a cell's text; the cell rule is applied to it like to typed text.
void SetCellText(const WindowState& state, int cellIndex, const std::string& text);

}  // namespace plorimet
