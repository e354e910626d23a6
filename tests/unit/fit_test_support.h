// Small builders shared by the fit tests.
#pragma once

#include <initializer_list>
#include <utility>

#include "fit/data_set.h"

namespace plorimet {

// A data set holding these (x, y) points in the order given.
inline DataSet Points(std::initializer_list<std::pair<double, double>> points) {
    DataSet data;
    for (const auto& [x, y] : points) {
        data.x[data.pairCount] = x;
        data.y[data.pairCount] = y;
        ++data.pairCount;
    }
    return data;
}

}  // namespace plorimet
