// The plot's words in both languages. They are UTF-8 in every build, unlike the program's
// texts (base/messages.h): the plot's SVG is UTF-8 and its PNG is drawn with fonts embedded
// at build time from the characters of plot_texts.cpp (tools/plotfont/make_plot_fonts.py).
#pragma once

#include "base/messages.h"

namespace plorimet {

enum class PlotTextId {
    Plot,            // the whole picture's name for assistive technology
    XAxis,
    YAxis,
    Residuals,       // the residual plot's title and name
    ResidualAxis,
    Legend,
    Data,
    Curve,
    ConfidenceBand,
    PredictionBand,
    NoBand,          // why a fit through every point has no band
    BandChoice,      // the page's choice of band: its group, then its three answers
    BandConfidence,
    BandPrediction,
    BandNone,
    ShowResiduals,   // the page's switch for the residual plot
    Count
};

const char* PlotText(PlotTextId id, UiLanguage language);

}  // namespace plorimet
