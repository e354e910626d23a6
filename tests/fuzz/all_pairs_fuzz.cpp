// Any bytes as a file for `plorimet fit --all`: the reader must end without a fault; every pair
// it keeps is finite, and once sorted the X values do not descend. Then
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
    plorimet::AllPairs pairs = plorimet::ReadAllPairs(in);
    if (pairs.x.size() != pairs.y.size()) std::abort();
    if (pairs.outOfRangeLine && *pairs.outOfRangeLine < 1) std::abort();
    for (size_t k = 0; k < pairs.x.size(); ++k)
        if (!std::isfinite(pairs.x[k]) || !std::isfinite(pairs.y[k])) std::abort();
    plorimet::SortByX(pairs);
    for (size_t k = 1; k < pairs.x.size(); ++k)
        if (!(pairs.x[k - 1] <= pairs.x[k])) std::abort();

    // The whole input as one number text: accepted values are finite.
    bool outOfRange = false;
    if (const auto value = plorimet::ParseNumberText(bytes.data(), bytes.data() + bytes.size(), outOfRange))
        if (!std::isfinite(*value) || outOfRange) std::abort();
    return 0;
}
