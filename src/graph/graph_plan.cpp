#include "graph/graph_plan.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <limits>

namespace plorimet {

// The pixel values depend on the 64-bit significand of the x87 format (see the header).
// (PixelReal is long double on x86, SoftExtended elsewhere: see pixel_real.h.)

namespace {

constexpr int kFullFrameWidth = 520;   // never scaled for the left edge
constexpr int kFrameVerticalSpare = 40;
constexpr int kTickLength = 5;
constexpr int kTickSpacing = 25;
constexpr int kGridSpacing = 50;
const PixelReal kDotLimit = 1073741824.0;  // 2^30: a box corner plus 12 stays an int

using Real = PixelReal;

// The frame's inner margin at 100 %, on each side and on both sides together (scaled by the
// size factor where used).
const Real kMargin = 10.0;
const Real kBothMargins = 20.0;
// The captured region starts one pixel above and left of the frame and is this much larger.
constexpr int kCaptureGrowth = 3;

int TruncMargin(double f) { return SaturatingTrunc(kMargin * static_cast<Real>(f)); }

}  // namespace

PointsView PlottedPoints(const DataSet& data) {
    const int count = std::clamp(data.pairCount, 0, static_cast<int>(data.x.size()));
    return {data.x.data(), data.y.data(), count};
}

YRange FindYRange(PointsView points) {
    YRange range{points.y[0], points.y[0]};
    for (long long k = 0; k < points.count; ++k) {
        if (points.y[k] > range.max) range.max = points.y[k];
        if (points.y[k] < range.min) range.min = points.y[k];
    }
    return range;
}

bool YRangeIsFlat(PointsView points) {
    YRange range = FindYRange(points);
    return range.max == range.min;
}

FrameRect PlanFrame(int clientWidth, int clientHeight, double sizeFactor) {
    const Real f = sizeFactor;
    FrameRect frame;
    frame.left = (clientWidth - kFullFrameWidth) / 2;
    frame.top = kFrameTop;
    frame.width = SaturatingTrunc(kFullFrameWidth * f);
    frame.height = SaturatingTrunc(f * static_cast<Real>(clientHeight - kFrameVerticalSpare));
    return frame;
}

std::array<PixelPoint, 5> FrameOutline(const FrameRect& frame) {
    return {{{frame.left, frame.top},
             {frame.left, frame.Bottom()},
             {frame.Right(), frame.Bottom()},
             {frame.Right(), frame.top},
             {frame.left, frame.top}}};
}

CaptureRegion CaptureRegionOf(const FrameRect& frame) {
    return {frame.left - 1, frame.top - 1, frame.width + kCaptureGrowth, frame.height + kCaptureGrowth};
}

int ScaleDivisions(ScaleMode mode, int sizeIndex) {
    // Divisions per axis for the graph sizes 100, 70 and 50 %.
    static constexpr int kTicks[] = {20, 14, 10};
    static constexpr int kGrid[] = {10, 7, 5};
    if (sizeIndex < 0 || sizeIndex > 2) sizeIndex = 0;
    switch (mode) {
        case ScaleMode::ScaleTicks:
            return kTicks[sizeIndex];
        case ScaleMode::ScaleGrid:
            return kGrid[sizeIndex];
        default:
            return 0;
    }
}

std::vector<Segment> PlanScaleMarks(const FrameRect& frame, const GraphSettings& settings) {
    std::vector<Segment> marks;
    const int n = ScaleDivisions(settings.scaleMode, settings.sizeIndex);
    if (n == 0) return marks;

    const Real f = settings.sizeFactor;
    const int margin = TruncMargin(settings.sizeFactor);
    const Real dy = (static_cast<Real>(frame.height) - kBothMargins * f) / n;
    const int ax = frame.left + margin;
    auto rowOfMark = [&](int i) { return frame.top + margin + SaturatingTrunc(i * dy); };

    marks.reserve(2 * (n + 1));
    if (settings.scaleMode == ScaleMode::ScaleTicks) {
        for (int i = 0; i <= n; ++i) {
            const int x = ax + kTickSpacing * i;
            marks.push_back({{x, frame.Bottom() - kTickLength}, {x, frame.Bottom()}});
        }
        for (int i = 0; i <= n; ++i) {
            const int y = rowOfMark(i);
            marks.push_back({{frame.left + kTickLength, y}, {frame.left, y}});
        }
    } else {
        for (int i = 0; i <= n; ++i) {
            const int x = ax + kGridSpacing * i;
            marks.push_back({{x, frame.top}, {x, frame.Bottom()}});
        }
        for (int i = 0; i <= n; ++i) {
            const int y = rowOfMark(i);
            marks.push_back({{frame.left, y}, {frame.Right(), y}});
        }
    }
    return marks;
}

PixelReal PlotScale::Row(double v) const {
    const Real lf = f;
    const Real base = static_cast<Real>(frame.top + frame.height) - kMargin * lf;
    return base + (kBothMargins * lf - frame.height) * (static_cast<Real>(v) - yMin) / (static_cast<Real>(yMax) - yMin);
}

PixelReal PlotScale::Column(double x) const {
    const Real lf = f;
    return frame.left + kMargin * lf + lf * (static_cast<Real>(x) - xFirst) / step;
}

PlotScale MakePlotScale(const FrameRect& frame, double sizeFactor, PointsView points) {
    PlotScale scale;
    scale.frame = frame;
    scale.f = sizeFactor;
    const long long last = points.count > 0 ? points.count - 1 : 0;
    scale.xFirst = points.x[0];
    scale.step = (points.x[last] - points.x[0]) * 0.002;
    YRange range = FindYRange(points);
    scale.yMin = range.min;
    scale.yMax = range.max;
    return scale;
}

int SaturatingTrunc(const PixelReal& value) { return SaturatingTruncOf(value); }

int CurveRowPixel(const PlotScale& scale, double value) { return SaturatingTrunc(scale.Row(value)); }

double EvaluatePolynomial(const Coefficients& coefficients, int termCount, double x) {
    const int terms = termCount < 1 ? 1 : (termCount > static_cast<int>(coefficients.size())
                                               ? static_cast<int>(coefficients.size())
                                               : termCount);
    double value = coefficients[0];
    for (int j = 1; j < terms; ++j) value = std::pow(x, static_cast<double>(j)) * coefficients[j] + value;
    return value;
}

namespace {

// A bound on EvaluatePolynomial's distance from the polynomial the coefficients were rounded
// from: each term and partial sum rounds within a unit in the last place of the terms'
// magnitude sum, and so does each coefficient (pow within one more).
double EvaluationErrorBound(const Coefficients& coefficients, int termCount, double x) {
    const int terms = std::clamp(termCount, 1, static_cast<int>(coefficients.size()));
    double magnitude = std::fabs(coefficients[0]);
    for (int j = 1; j < terms; ++j) magnitude += std::pow(std::fabs(x), static_cast<double>(j)) * std::fabs(coefficients[j]);
    return magnitude * (4.0 * terms + 4.0) * std::ldexp(1.0, -53);
}

// The curve's value at a sample: the window's arithmetic where it is true to the pixel.
double CurveValue(const PlotScale& scale, const Coefficients& coefficients, int termCount,
                  const CentredPolynomial* optimum, double x) {
    const double value = EvaluatePolynomial(coefficients, termCount, x);
    if (!optimum || optimum->coefficients.empty()) return value;
    const auto rowsOfData = static_cast<long double>(scale.Row(scale.yMin) - scale.Row(scale.yMax));
    const double pixel = (scale.yMax - scale.yMin) / static_cast<double>(rowsOfData);
    if (EvaluationErrorBound(coefficients, termCount, x) <= pixel / 16) return value;
    return optimum->At(x);
}

}  // namespace

std::vector<CurveStep> PlanCurve(const PlotScale& scale, const Coefficients& coefficients, int termCount,
                                 const CentredPolynomial* optimum) {
    std::vector<CurveStep> steps;
    steps.reserve(2 * kCurveSamples);
    const int top = scale.frame.top;
    const int bottom = scale.frame.Bottom();
    const int firstColumn = scale.frame.left + TruncMargin(scale.f);
    const Real twoF = Real(2.0) * static_cast<Real>(scale.f);

    for (int i = 0; i < kCurveSamples; ++i) {
        const double xi = scale.xFirst + 2.0 * scale.step * i;
        const int r = CurveRowPixel(scale, CurveValue(scale, coefficients, termCount, optimum, xi));
        const int ci = firstColumn + SaturatingTrunc(twoF * i);
        const bool above = r < top;
        const bool below = !above && r > bottom;
        if (i == 0) {
            steps.push_back({PenStep::Move, {ci, above ? top : (below ? bottom : r)}});
        } else if (above || below) {
            const int edge = above ? top : bottom;
            steps.push_back({PenStep::Line, {ci - 1, edge}});
            steps.push_back({PenStep::Move, {ci + 1, edge}});
        } else {
            steps.push_back({PenStep::Line, {ci, r}});
        }
    }
    return steps;
}

std::vector<DotBox> PlanDots(const PlotScale& scale, int dotRadius, PointsView points) {
    std::vector<DotBox> dots;
    for (long long k = 0; k < points.count; ++k) {
        const Real left = scale.Column(points.x[k]) - dotRadius;
        const Real top = scale.Row(points.y[k]) - dotRadius;
        using std::fabs;
        if (!(fabs(left) <= kDotLimit && fabs(top) <= kDotLimit)) continue;  // also NaN
        const int l = static_cast<int>(left);
        const int t = static_cast<int>(top);
        dots.push_back({l, t, l + 2 * dotRadius, t + 2 * dotRadius});
    }
    return dots;
}

GraphPlan PlanGraph(int clientWidth, int clientHeight, PointsView points, const Coefficients& coefficients,
                    int termCount, const GraphSettings& settings, const CentredPolynomial* optimum) {
    GraphPlan plan;
    plan.frame = PlanFrame(clientWidth, clientHeight, settings.sizeFactor);
    plan.frameOutline = FrameOutline(plan.frame);
    plan.scaleMarks = PlanScaleMarks(plan.frame, settings);
    plan.curvePenWidth = settings.lineWidth;
    const PlotScale scale = MakePlotScale(plan.frame, settings.sizeFactor, points);
    plan.curve = PlanCurve(scale, coefficients, termCount, optimum);
    plan.dots = PlanDots(scale, settings.dotRadius, points);
    return plan;
}

}  // namespace plorimet
