// Any bytes as a data file: the reader must end without a fault, with at most 45 pairs whose
// texts a cell can hold and the file holds.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "data/cell_rule.h"
#include "data/data_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const plorimet::ReadDataResult result = plorimet::ReadDataText(bytes);
    if (result.pairs.size() > 45) std::abort();
    for (const plorimet::CellPair& pair : result.pairs) {
        if (pair.x.size() > 10 || pair.y.size() > 10) std::abort();
        if (!plorimet::ObeysCellRule(pair.x) || !plorimet::ObeysCellRule(pair.y)) std::abort();
        // No text is made up: each is the start of one in the file.
        if (pair.x.empty() || pair.y.empty() || bytes.find(pair.x) == std::string::npos ||
            bytes.find(pair.y) == std::string::npos)
            std::abort();
    }
    return 0;
}
