// Work over many points split across the machine's cores.
#pragma once

#include <functional>

namespace plorimet {

// Runs piece(0), ..., piece(count - 1): one after the other, or each on a thread of its own.
using PieceRunner = void (*)(int count, const std::function<void(int piece)>& piece);
inline void RunInTurn(int count, const std::function<void(int piece)>& piece) {
    for (int k = 0; k < count; ++k) piece(k);
}

struct WorkSplit {
    int pieces = 1;  // into how many pieces a pass over the points is cut
    PieceRunner run = RunInTurn;
};

// The one place that decides: threads only for more than kPointsWorthThreads points (below it
// starting them costs more than they save), on a machine of more than one core, in a build that
// has threads (WebAssembly as built has none). Asked by the front ends that fit many points, so
// that the window's program, whose fits are of 45 pairs at most, holds no thread code at all.
constexpr long long kPointsWorthThreads = 20000;
WorkSplit WorkSplitFor(long long points);
// The machine's cores, for work that is cut into pieces only where they are large (a file read
// in blocks of a megabyte).
WorkSplit WorkSplitOfMachine();

}  // namespace plorimet
