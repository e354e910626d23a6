// The graph's geometry: everything DrawGraph puts on its surface, as plain pixel values.
//
// Coordinates are pixels of the main window's client area, origin top left, y downwards.
// f is GraphSettings::sizeFactor.
//
// Precision. A floating coordinate becomes a pixel by truncation toward zero, and each
// value that is truncated is formed in PixelReal (x87 extended precision: long double on x86-64
// with g++ and mingw alike, see pixel_real.h) straight from its double and int operands, never
// rounded to double on the way. This matters at 70 %: f is the double just below 0.7, so trunc(520 f) is 363,
// trunc(10 f) is 6 and trunc(f (clientHeight - 40)) is one less than the exact product
// whenever that product is whole.
//   doubles:      f, the data x and y, Ymin/Ymax, the step s = (Xlast - Xfirst) * 0.002,
//                 the sample abscissa Xi = Xfirst + 2 s i and the curve value (the power
//                 sums are double, as the fit's own evaluation);
//   PixelReal:    Row(v), Column(X), the mark spacing dy = (frameHeight - 20 f) / N and
//                 every product truncated to a pixel (520 f, 10 f, f (h - 40), i dy, 2 f i).
#pragma once

#include <array>
#include <vector>

#include "fit/analysis.h"
#include "fit/data_set.h"
#include "fit/exact_fit.h"
#include "graph/graph_settings.h"
#include "graph/pixel_real.h"

namespace plorimet {

constexpr int kFrameTop = 30;
constexpr int kCurveSamples = 251;

struct PixelPoint {
    int x = 0;
    int y = 0;
    bool operator==(const PixelPoint& o) const { return x == o.x && y == o.y; }
};

// A straight line drawn as MoveToEx(from) then LineTo(to).
struct Segment {
    PixelPoint from;
    PixelPoint to;
    bool operator==(const Segment& o) const { return from == o.from && to == o.to; }
};

// The frame rectangle kept with the surface. left may be negative (narrow client) and
// height may be zero or negative (client lower than 40 pixels): nothing is clamped.
struct FrameRect {
    int left = 0;
    int top = kFrameTop;
    int width = 0;
    int height = 0;
    int Right() const { return left + width; }
    int Bottom() const { return top + height; }
};

// The region Copy Graph and Save Graph cut out: the frame with one pixel around it.
struct CaptureRegion {
    int left = 0;   // frameLeft - 1
    int top = 0;    // frameTop - 1
    int width = 0;  // frameWidth + 3
    int height = 0; // frameHeight + 3
    // A region with no pixels cannot become a bitmap (only a client lower than 38 pixels).
    bool IsEmpty() const { return width <= 0 || height <= 0; }
};

enum class PenStep { Move, Line };

// One pen operation of the curve: MoveToEx or LineTo to `to`.
struct CurveStep {
    PenStep kind = PenStep::Move;
    PixelPoint to;
    bool operator==(const CurveStep& o) const { return kind == o.kind && to == o.to; }
};

// The box given to Ellipse: right and bottom are exclusive, as GDI takes them.
struct DotBox {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

// Everything to draw, in drawing order after the white background.
struct GraphPlan {
    FrameRect frame;
    std::array<PixelPoint, 5> frameOutline{};  // MoveToEx the first, LineTo the other four
    std::vector<Segment> scaleMarks;           // ticks or grid lines, pen width 1
    int curvePenWidth = 1;
    std::vector<CurveStep> curve;              // starts with a Move
    std::vector<DotBox> dots;                  // one per pair, in pair order (see PlanDots)
};

// --- Y range --------------------------------------------------------------------------

struct YRange {
    double min = 0.0;
    double max = 0.0;
};

// Smallest and largest y over the pairs (y[0] when there are none).
// The data's pairs as the graph reads them (at most the data set's slots).
PointsView PlottedPoints(const DataSet& data);

YRange FindYRange(PointsView points);
inline YRange FindYRange(const DataSet& data) { return FindYRange(PlottedPoints(data)); }

// True when there is nothing to scale: every y equal (also one pair or none). The command then
// shows MessageId::YValuesSame and draws nothing.
bool YRangeIsFlat(PointsView points);
inline bool YRangeIsFlat(const DataSet& data) { return YRangeIsFlat(PlottedPoints(data)); }

// --- Frame and marks --------------------------------------------------------------------

FrameRect PlanFrame(int clientWidth, int clientHeight, double sizeFactor);
std::array<PixelPoint, 5> FrameOutline(const FrameRect& frame);
CaptureRegion CaptureRegionOf(const FrameRect& frame);

// Divisions of the marks: ticks 20/14/10 and grid 10/7/5 at sizeIndex 0/1/2; 0 for none.
int ScaleDivisions(ScaleMode mode, int sizeIndex);

// Bottom ticks then left ticks, or vertical then horizontal grid lines; empty for ScaleNone.
std::vector<Segment> PlanScaleMarks(const FrameRect& frame, const GraphSettings& settings);

// --- Data to pixels ----------------------------------------------------------------------

// The mapping of data values into the frame. Requires a DataSet that is not flat.
struct PlotScale {
    FrameRect frame;
    double f = 1.0;
    double xFirst = 0.0;
    double step = 0.0;  // s, the X distance of two curve samples is 2 s
    double yMin = 0.0;
    double yMax = 0.0;

    // Ymin -> 10 f above the frame's bottom edge, Ymax -> 10 f below its top edge.
    PixelReal Row(double v) const;
    // Xfirst -> 10 f right of the frame's left edge, Xlast -> 500 f further right.
    PixelReal Column(double x) const;
};

PlotScale MakePlotScale(const FrameRect& frame, double sizeFactor, PointsView points);
inline PlotScale MakePlotScale(const FrameRect& frame, double sizeFactor, const DataSet& data) {
    return MakePlotScale(frame, sizeFactor, PlottedPoints(data));
}

// Truncation toward zero that never leaves the int range: a value beyond it saturates at
// INT_MIN/INT_MAX, so a row far above the frame stays above it and one far below stays below.
// NaN gives INT_MIN, the x86 conversion's "integer indefinite", without undefined behaviour.
int SaturatingTrunc(const PixelReal& value);

// The integer row of a curve value. A value whose row is NaN (inf - inf in the power sum)
// counts as above the frame: it gives INT_MIN, as the x86 conversion's "integer indefinite"
// would, so such a sample is pinned to the top edge like any other sample above the frame.
int CurveRowPixel(const PlotScale& scale, double value);

// The fitted polynomial at x: c[0], then pow(x, j) * c[j] + value for j = 1..termCount-1,
// every partial sum a double. termCount is clamped to 1..46.
double EvaluatePolynomial(const Coefficients& coefficients, int termCount, double x);

// The 251 samples as pen steps, cut at the frame's top and bottom edges: a sample outside
// gives LineTo(ci - 1, edge) then MoveToEx(ci + 1, edge); the first sample only moves.
// Each sample is EvaluatePolynomial's where its error bound (with that of the coefficients'
// rounding) is below a sixteenth of a pixel, as for any data not far from the origin; else,
// where the terms cancel, the optimum's own value when it is given.
std::vector<CurveStep> PlanCurve(const PlotScale& scale, const Coefficients& coefficients, int termCount,
                                 const CentredPolynomial* optimum = nullptr);

// One box per pair: (trunc(Column(x) - r), trunc(Row(y) - r)) with 2 r added for the far
// corner. A pair whose box corner is not finite or lies beyond +-2^30 pixels gets no box
// (only possible for data the fit never leaves, such as two equal X values).
std::vector<DotBox> PlanDots(const PlotScale& scale, int dotRadius, PointsView points);
inline std::vector<DotBox> PlanDots(const PlotScale& scale, int dotRadius, const DataSet& data) {
    return PlanDots(scale, dotRadius, PlottedPoints(data));
}

// The whole picture. Meant for !YRangeIsFlat(data); a flat range still converts nothing
// out of range (the curve lies on the top edge and the dots are left out).
// The points may be any number (the command line's --all): distinct X in ascending order.
GraphPlan PlanGraph(int clientWidth, int clientHeight, PointsView points, const Coefficients& coefficients,
                    int termCount, const GraphSettings& settings, const CentredPolynomial* optimum = nullptr);
inline GraphPlan PlanGraph(int clientWidth, int clientHeight, const DataSet& data, const Coefficients& coefficients,
                           int termCount, const GraphSettings& settings, const CentredPolynomial* optimum = nullptr) {
    return PlanGraph(clientWidth, clientHeight, PlottedPoints(data), coefficients, termCount, settings, optimum);
}

}  // namespace plorimet
