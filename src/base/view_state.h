// What the main window's client area shows; every paint follows it.
#pragma once

namespace plorimet {

enum class ViewState {
    Initial = 0,    // the start picture
    DataInput = 1,  // the grid of cells
    Equation = 2,   // the fitted equation text
    Graph = 3,      // the graph
};

}  // namespace plorimet
