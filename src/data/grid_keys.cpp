#include "data/grid_keys.h"

#include "fit/data_set.h"

namespace plorimet {

std::optional<GridMove> GridMoveForKey(const KeyPress& key) {
    if (key.ctrl || key.alt) return std::nullopt;
    switch (key.key) {
        case kKeyTab: return key.shift ? GridMove::Previous : GridMove::Next;
        case kKeyEnter: return key.shift ? std::nullopt : std::optional<GridMove>(GridMove::NextPair);
        // Shift+Down and Shift+Up select text in the cell: they stay the cell's.
        case kKeyDown: return key.shift ? std::nullopt : std::optional<GridMove>(GridMove::NextPair);
        case kKeyUp: return key.shift ? std::nullopt : std::optional<GridMove>(GridMove::PreviousPair);
        default: return std::nullopt;
    }
}

int CellAfterMove(int cellIndex, GridMove move) {
    if (cellIndex < 0 || cellIndex >= 2 * kMaxPairs) return 0;
    const int pair = cellIndex % kMaxPairs;  // 0-based
    const bool y = cellIndex >= kMaxPairs;
    // Tab order runs X1, Y1, X2, Y2, ... Y45.
    const int order = 2 * pair + (y ? 1 : 0);
    auto cellAtOrder = [](int n) { return (n % 2 ? kMaxPairs : 0) + n / 2; };
    switch (move) {
        case GridMove::Next: return order + 1 < 2 * kMaxPairs ? cellAtOrder(order + 1) : cellIndex;
        case GridMove::Previous: return order > 0 ? cellAtOrder(order - 1) : cellIndex;
        case GridMove::NextPair: return pair + 1 < kMaxPairs ? cellIndex + 1 : cellIndex;
        case GridMove::PreviousPair: return pair > 0 ? cellIndex - 1 : cellIndex;
    }
    return cellIndex;
}

}  // namespace plorimet
