// The pairs of the last Analysis, and the grid's cell texts they come from.
#pragma once

#include <array>
#include <string>

namespace plorimet {

constexpr int kMaxPairs = 45;       // rows of the grid
constexpr int kTextSlots = 46;      // slot 45 is written only by the paste
constexpr int kCellTextLimit = 10;  // characters a cell holds
constexpr int kCellReadLimit = 13;  // characters read back from a cell

// The texts of the 45 grid rows, X and Y cell of each, as the user left them.
struct CellTexts {
    std::array<std::string, kMaxPairs> x;
    std::array<std::string, kMaxPairs> y;
};

using SlotTexts = std::array<std::string, kTextSlots>;

struct DataSet {
    int pairCount = 0;
    std::array<double, kTextSlots> x{};  // strictly ascending over 0..pairCount-1
    std::array<double, kTextSlots> y{};
    SlotTexts xText;  // cell texts as typed, at most 13 characters
    SlotTexts yText;

    void ClearTexts();
    // Characters in xText[0..44] and yText[0..44]: what Input Data would discard.
    int CharTotal() const;
};

}  // namespace plorimet
