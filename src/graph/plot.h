// The plot: beyond the window's graph, the same dots and curve with numbered axes, the 95 %
// band of the curve (confidence) or of a new observation (prediction), and on request the
// residuals in a panel below. Laid out as plain shapes in picture units (one unit is one CSS
// pixel of the page; y downwards), which plot_svg writes as SVG and plot_raster draws as PNG,
// so the page and `plorimet plot` give the same picture.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/messages.h"
#include "fit/analysis.h"
#include "fit/exact_fit.h"
#include "fit/fit_statistics.h"
#include "graph/dib.h"

namespace plorimet {

struct PlotColour {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
};

struct PlotPoint {
    double x = 0.0;
    double y = 0.0;
};

struct PlotRect {
    double left = 0.0;
    double top = 0.0;
    double width = 0.0;
    double height = 0.0;
};

enum class PlotBand { None, Confidence, Prediction };

constexpr double kPlotWidth = 640.0;     // the plot's files: the page's downloads and `plorimet plot`
constexpr double kNarrowestPlot = 320.0;  // a phone's screen shows it narrower, its texts as large

struct PlotOptions {
    PlotBand band = PlotBand::Confidence;
    bool residuals = false;
    UiLanguage language = UiLanguage::English;
    double width = kPlotWidth;  // kNarrowestPlot .. kPlotWidth units
};

enum class TextAnchor { Start, Middle, End };

// A line of text whose baseline starts, centres or ends at `at`; UTF-8.
struct PlotLabel {
    PlotPoint at;
    std::string text;
    TextAnchor anchor = TextAnchor::Start;
    double size = 11.0;
    PlotColour colour;
};

// An open polyline with round ends and joins.
struct PlotLine {
    std::vector<PlotPoint> points;
    PlotColour colour;
    double width = 1.0;
};

// A closed polygon, filled.
struct PlotArea {
    std::vector<PlotPoint> outline;
    PlotColour colour;
    double opacity = 1.0;
};

struct PlotDot {
    PlotPoint centre;
    double radius = 3.5;
};

// One part of the plot, with the name assistive technology reads ("X axis", "95% confidence
// band"; empty for a part that is only drawing). Drawn in this order: areas, lines, dots, texts.
struct PlotGroup {
    std::string name;
    std::optional<PlotRect> clip;
    std::vector<PlotArea> areas;
    std::vector<PlotLine> lines;
    std::vector<PlotDot> dots;
    std::vector<PlotLabel> texts;
    // A band's values as FitModel::At gives them: at each X its lower and upper end.
    std::vector<double> bandX, bandLow, bandHigh;
};

struct PlotPlan {
    double width = 0.0;
    double height = 0.0;
    std::string name;
    std::vector<PlotGroup> groups;  // in drawing order
};

struct PlotResult {
    std::optional<MessageId> failure;  // MessageId::PlotBeyondDouble
    PlotPlan plan;
};

// What the plot is drawn from: the points fitted (X ascending), the fit's coefficients, which
// give the graph's curve, and the exact model, which gives the bands (none: no band).
struct PlotInput {
    PointsView points;
    const Coefficients* coefficients = nullptr;
    int termCount = 0;
    const FitModel* model = nullptr;
};

constexpr int kPlotBandSamples = 101;  // the band's X values, evenly from the first X to the last

// The plan, or the message when a value the plot needs is beyond the range of a double (no
// axis is ever numbered from an infinity or NaN).
PlotResult PlanPlot(const PlotInput& input, const PlotOptions& options);

// The numbered ticks of an axis over lo..hi: about `intervals` steps of 1, 2 or 5 times a power
// of ten, each labelled with as few digits as tell the ticks apart.
struct PlotTicks {
    std::vector<double> values;
    std::vector<std::string> labels;
};
PlotTicks NiceTicks(double lo, double hi, int intervals);

// The plan as an SVG file in UTF-8 (plot_svg.cpp): its named groups as named groups of the
// drawing (role "group", aria-label), a band's values in data-x, data-low and data-high as the
// shortest texts that read back as them.
std::string PlotSvgText(const PlotPlan& plan);

// The plan drawn at `scale` pixels a unit as an 8-bit RGB PNG (plot_raster.cpp), its texts in
// the fonts embedded at build time; empty when it cannot be made.
constexpr int kPlotPngScale = 2;
Bytes PlotPngBytes(const PlotPlan& plan, int scale);

}  // namespace plorimet
