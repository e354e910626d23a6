// Moving between the grid's cells by keyboard.
#pragma once

#include <optional>

#include "base/keys.h"

namespace plorimet {

enum class GridMove {
    Next,          // Tab: X -> Y -> the next pair's X, across the three groups
    Previous,      // Shift+Tab: back the same way
    NextPair,      // Enter, Down: the same column of the next pair
    PreviousPair,  // Up: the same column of the previous pair
};

// The move a key asks for in the grid; none for every other key (those stay the cell's).
std::optional<GridMove> GridMoveForKey(const KeyPress& key);

// The cell (index 0..89: X cells of pairs 1..45, then their Y cells) a move reaches from a
// cell. From no cell (-1) every move reaches pair 1's X. At the grid's ends the cell stays.
int CellAfterMove(int cellIndex, GridMove move);

}  // namespace plorimet
