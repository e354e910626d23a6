// Any bytes as a file for `plorimet fit --all` (with --weights when the first byte is odd): the
// reader must end without a fault; every pair it keeps is finite, with a weight exactly when
// weights are read, and once sorted the X values do not descend. Then
// each number text it accepts must read back the same through the number parser.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

#include "data/all_pairs.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    std::istringstream in(bytes);
    const bool weights = size > 0 && (data[0] & 1);
    plorimet::AllPairs pairs = plorimet::ReadAllPairs(in, {}, weights);
    if (pairs.x.size() != pairs.y.size() || pairs.w.size() != (weights ? pairs.x.size() : 0)) std::abort();
    if (pairs.outOfRangeLine && *pairs.outOfRangeLine < 1) std::abort();
    for (size_t k = 0; k < pairs.x.size(); ++k)
        if (!std::isfinite(pairs.x[k]) || !std::isfinite(pairs.y[k]) || (weights && !std::isfinite(pairs.w[k]))) std::abort();
    plorimet::SortByX(pairs);
    for (size_t k = 1; k < pairs.x.size(); ++k)
        if (!(pairs.x[k - 1] <= pairs.x[k])) std::abort();

    // The whole input as one number text: accepted values are finite.
    bool outOfRange = false;
    if (const auto value = plorimet::ParseNumberText(bytes.data(), bytes.data() + bytes.size(), outOfRange))
        if (!std::isfinite(*value) || outOfRange) std::abort();
    return 0;
}
