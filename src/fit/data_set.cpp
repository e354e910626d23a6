#include "fit/data_set.h"

namespace plorimet {

void DataSet::ClearTexts() {
    for (auto& t : xText) t.clear();
    for (auto& t : yText) t.clear();
}

int DataSet::CharTotal() const {
    int total = 0;
    for (int k = 0; k < kMaxPairs; ++k) total += static_cast<int>(xText[k].size() + yText[k].size());
    return total;
}

}  // namespace plorimet
