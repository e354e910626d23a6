#include "graph/plot.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "graph/graph_plan.h"
#include "graph/plot_texts.h"

namespace plorimet {

namespace {

// ---- Layout, in picture units ------------------------------------------------------------
constexpr double kLabelSize = 11.0;
constexpr double kTitleSize = 12.0;
constexpr double kPanelTop = 30.0;        // room above the main panel for its title
constexpr double kMainHeight = 300.0;     // at the full width; half the width on a narrow one
constexpr double kResidualHeight = 110.0;
constexpr double kRightMargin = 18.0;
constexpr double kTickLength = 5.0;
constexpr double kDotRadius = 3.5;
constexpr double kLegendRowHeight = 18.0;
constexpr double kCurveWidth = 1.5;
constexpr double kUnitsPerXInterval = 80.0;
constexpr int kYIntervals = 6;
constexpr int kResidualIntervals = 4;
// Tick numbers are written out below this size and down to steps of this power of ten.
constexpr double kLargestWrittenOut = 1e15;
constexpr int kSmallestWrittenOutStep = -5;
// A value this many panel heights beyond the panel is drawn there: nothing of it is visible,
// and the picture's numbers stay small.
constexpr double kFarOut = 1e4;

const PlotColour kBlack{0, 0, 0};
const PlotColour kWhite{255, 255, 255};
const PlotColour kGridColour{226, 226, 226};
const PlotColour kAxisColour{80, 80, 80};
const PlotColour kDotColour{255, 0, 0};
const PlotColour kConfidenceColour{40, 90, 200};
const PlotColour kPredictionColour{230, 140, 20};
constexpr double kBandOpacity = 0.25;

// An estimate of a text's width for laying it out: a Latin character about as wide as a digit
// of DejaVu Sans (0.64 em), any other (kana, kanji) a full em.
double TextWidth(const std::string& utf8, double size) {
    double ems = 0.0;
    for (size_t k = 0; k < utf8.size(); ++k) {
        const unsigned char c = static_cast<unsigned char>(utf8[k]);
        if ((c & 0xC0) == 0x80) continue;
        ems += c < 0x80 ? 0.64 : 1.0;
    }
    return ems * size;
}

// The text in lines no wider than `width`: broken at spaces, or between any two characters that
// are not Latin (Japanese has no spaces).
std::vector<std::string> WrappedLines(const std::string& utf8, double size, double width) {
    std::vector<std::string> pieces;  // words with the space after them, and single other characters
    for (size_t k = 0; k < utf8.size();) {
        const unsigned char c = static_cast<unsigned char>(utf8[k]);
        size_t end = k + 1;
        if (c < 0x80) {
            while (end < utf8.size() && static_cast<unsigned char>(utf8[end]) < 0x80 && utf8[end - 1] != ' ') ++end;
        } else {
            while (end < utf8.size() && (static_cast<unsigned char>(utf8[end]) & 0xC0) == 0x80) ++end;
        }
        pieces.push_back(utf8.substr(k, end - k));
        k = end;
    }
    std::vector<std::string> lines(1);
    for (const std::string& piece : pieces) {
        if (!lines.back().empty() && TextWidth(lines.back() + piece, size) > width) lines.emplace_back();
        lines.back() += piece;
    }
    return lines;
}

bool Finite(double v) { return std::isfinite(v); }

// One axis of a panel: data values lo..hi onto `length` units from `origin` (upwards for y).
struct AxisMap {
    double lo = 0.0;
    double hi = 1.0;
    double origin = 0.0;
    double length = 1.0;
    bool upwards = false;

    double At(double v) const {
        double t = (v - lo) / (hi - lo);
        if (!(t > -kFarOut)) t = -kFarOut;  // also a NaN of inf - inf, which never reaches here
        if (t > kFarOut) t = kFarOut;
        return upwards ? origin + length - t * length : origin + t * length;
    }
};

// The data range with a margin on both sides; a single value gets a range around it.
bool PaddedRange(double lo, double hi, double margin, double& outLo, double& outHi) {
    double span = hi - lo;
    if (!(span > 0.0)) {
        span = hi != 0.0 ? std::fabs(hi) * 0.2 : 2.0;
        lo -= span / 2;
        hi += span / 2;
    }
    outLo = lo - margin * span;
    outHi = hi + margin * span;
    return Finite(outLo) && Finite(outHi) && Finite(outHi - outLo) && outHi > outLo;
}

// The parts of a polyline between the rows top and bottom (y downwards).
std::vector<std::vector<PlotPoint>> ClipPolyline(const std::vector<PlotPoint>& points, double top, double bottom) {
    std::vector<std::vector<PlotPoint>> runs;
    std::vector<PlotPoint> run;
    auto crossing = [](PlotPoint a, PlotPoint b, double y) {
        const double f = (y - a.y) / (b.y - a.y);
        return PlotPoint{a.x + f * (b.x - a.x), y};
    };
    auto inside = [&](PlotPoint p) { return p.y >= top && p.y <= bottom; };
    for (size_t k = 0; k < points.size(); ++k) {
        const PlotPoint p = points[k];
        if (k == 0) {
            if (inside(p)) run.push_back(p);
            continue;
        }
        PlotPoint a = points[k - 1];
        PlotPoint b = p;
        // The piece of segment a-b inside the rows, if any.
        const bool aIn = inside(a);
        const bool bIn = inside(b);
        if (!aIn) {
            if ((a.y < top && b.y < top) || (a.y > bottom && b.y > bottom)) continue;
            a = crossing(a, b, a.y < top ? top : bottom);
            run.push_back(a);
        }
        if (!bIn) {
            run.push_back(crossing(a, b, b.y < top ? top : bottom));
            if (run.size() > 1) runs.push_back(run);
            run.clear();
        } else {
            if (run.empty()) run.push_back(a);
            run.push_back(b);
        }
    }
    if (run.size() > 1) runs.push_back(run);
    return runs;
}

// A polygon cut to the rows top..bottom (Sutherland and Hodgman, one edge at a time).
std::vector<PlotPoint> ClipPolygon(const std::vector<PlotPoint>& outline, double top, double bottom) {
    auto cut = [](const std::vector<PlotPoint>& in, double y, bool keepBelow) {
        std::vector<PlotPoint> out;
        auto keep = [&](PlotPoint p) { return keepBelow ? p.y >= y : p.y <= y; };
        for (size_t k = 0; k < in.size(); ++k) {
            const PlotPoint a = in[k];
            const PlotPoint b = in[(k + 1) % in.size()];
            if (keep(a)) out.push_back(a);
            if (keep(a) != keep(b)) {
                const double f = (y - a.y) / (b.y - a.y);
                out.push_back({a.x + f * (b.x - a.x), y});
            }
        }
        return out;
    };
    return cut(cut(outline, top, true), bottom, false);
}

// 10^e correctly rounded, the same on every C runtime (unlike pow and log10, whose last bits
// differ, and with them a tick at the axis's end and the digits of its labels).
double PowerOfTen(int e) {
    return std::strtod(("1e" + std::to_string(e)).c_str(), nullptr);
}

// The e with 10^e <= v < 10^(e+1), for a finite v > 0.
int DecimalExponent(double v) {
    int e = static_cast<int>(std::floor(std::log10(v)));  // a guess, settled by exact comparisons
    while (e > -330 && PowerOfTen(e) > v) --e;
    while (e < 310 && PowerOfTen(e + 1) <= v) ++e;
    return e;
}

// A tick's number: with `decimals` digits after the point, or (decimals < 0) in %g's form with
// -decimals significant digits, for values too large or too small to write out.
std::string TickLabel(double v, int decimals) {
    char text[48];
    if (decimals >= 0)
        std::snprintf(text, sizeof text, "%.*f", decimals, v == 0.0 ? 0.0 : v);
    else
        std::snprintf(text, sizeof text, "%.*g", -decimals, v == 0.0 ? 0.0 : v);
    return text;
}

// One panel: its area and the maps of its two axes.
struct Panel {
    PlotRect area;
    AxisMap x;
    AxisMap y;
    PlotTicks xTicks;
    PlotTicks yTicks;
    double Bottom() const { return area.top + area.height; }
    double Right() const { return area.left + area.width; }
};

PlotGroup GridOf(const Panel& panel) {
    PlotGroup grid;
    auto line = [&](PlotPoint a, PlotPoint b, PlotColour colour) { grid.lines.push_back({{a, b}, colour, 1.0}); };
    for (double v : panel.xTicks.values) {
        const double x = panel.x.At(v);
        line({x, panel.area.top}, {x, panel.Bottom()}, kGridColour);
    }
    for (double v : panel.yTicks.values) {
        const double y = panel.y.At(v);
        line({panel.area.left, y}, {panel.Right(), y}, kGridColour);
    }
    line({panel.area.left, panel.area.top}, {panel.Right(), panel.area.top}, kAxisColour);
    line({panel.Right(), panel.area.top}, {panel.Right(), panel.Bottom()}, kAxisColour);
    return grid;
}

PlotGroup XAxisOf(const Panel& panel, const std::string& name) {
    PlotGroup axis;
    axis.name = name;
    axis.lines.push_back({{{panel.area.left, panel.Bottom()}, {panel.Right(), panel.Bottom()}}, kAxisColour, 1.0});
    for (size_t k = 0; k < panel.xTicks.values.size(); ++k) {
        const double x = panel.x.At(panel.xTicks.values[k]);
        axis.lines.push_back({{{x, panel.Bottom()}, {x, panel.Bottom() + kTickLength}}, kAxisColour, 1.0});
        axis.texts.push_back({{x, panel.Bottom() + kTickLength + kLabelSize + 1}, panel.xTicks.labels[k],
                              TextAnchor::Middle, kLabelSize, kBlack});
    }
    return axis;
}

PlotGroup YAxisOf(const Panel& panel, const std::string& name, const std::string& title) {
    PlotGroup axis;
    axis.name = name;
    axis.lines.push_back({{{panel.area.left, panel.area.top}, {panel.area.left, panel.Bottom()}}, kAxisColour, 1.0});
    for (size_t k = 0; k < panel.yTicks.values.size(); ++k) {
        const double y = panel.y.At(panel.yTicks.values[k]);
        axis.lines.push_back({{{panel.area.left - kTickLength, y}, {panel.area.left, y}}, kAxisColour, 1.0});
        axis.texts.push_back({{panel.area.left - kTickLength - 3, y + kLabelSize * 0.36}, panel.yTicks.labels[k],
                              TextAnchor::End, kLabelSize, kBlack});
    }
    axis.texts.push_back({{panel.area.left, panel.area.top - 10}, title, TextAnchor::Middle, kTitleSize, kBlack});
    return axis;
}

PlotDot DotAt(const Panel& panel, double x, double y) {
    return {{panel.x.At(x), panel.y.At(y)}, kDotRadius};
}

// The samples of a fit's band: X evenly from the first to the last point, each X's ends.
struct BandSamples {
    std::vector<double> x, low, high;
    bool available = true;  // no residual degrees of freedom: none
};

BandSamples SampleBand(const FitModel& model, PlotBand band, double first, double last) {
    BandSamples samples;
    for (int k = 0; k < kPlotBandSamples; ++k) {
        const double x = k + 1 == kPlotBandSamples ? last : first + (last - first) * k / (kPlotBandSamples - 1);
        const CurveInterval at = model.At(x, kDefaultConfidenceLevel);
        const Statistic& low = band == PlotBand::Prediction ? at.predictionLow : at.confidenceLow;
        const Statistic& high = band == PlotBand::Prediction ? at.predictionHigh : at.confidenceHigh;
        if (low.reason == Unavailable::NoDegreesOfFreedom || high.reason == Unavailable::NoDegreesOfFreedom) {
            samples.available = false;
            return samples;
        }
        // An end beyond a double is no number for an axis: the plot says so.
        samples.x.push_back(x);
        samples.low.push_back(low ? *low : HUGE_VAL);
        samples.high.push_back(high ? *high : HUGE_VAL);
    }
    return samples;
}

// Extends lo..hi to take in the values, but never further than one data span beyond the data:
// a curve that leaves the data far behind (a high degree between points) does not flatten them.
void TakeIn(const std::vector<double>& values, double dataLo, double dataHi, double& lo, double& hi) {
    const double span = dataHi - dataLo;
    for (double v : values) {
        lo = std::min(lo, std::max(v, dataLo - span));
        hi = std::max(hi, std::min(v, dataHi + span));
    }
}

bool AllFinite(const std::vector<double>& values) {
    return std::all_of(values.begin(), values.end(), Finite);
}

double WidestLabel(const PlotTicks& ticks) {
    double widest = 0.0;
    for (const std::string& label : ticks.labels) widest = std::max(widest, TextWidth(label, kLabelSize));
    return widest;
}

struct LegendEntry {
    enum Kind { Dot, Line, Area } kind;
    PlotColour colour;
    std::string text;
};

// The legend's entries in a row from `left`, on as many rows as the width needs; `baseline`
// becomes the last row's.
PlotGroup LegendOf(const std::vector<LegendEntry>& entries, double left, double right, double& baseline,
                   const std::string& name) {
    PlotGroup legend;
    legend.name = name;
    double x = left;
    for (const LegendEntry& e : entries) {
        if (x > left && x + 24 + TextWidth(e.text, kLabelSize) > right) {
            x = left;
            baseline += kLegendRowHeight;
        }
        const double middle = baseline - kLabelSize * 0.36;
        switch (e.kind) {
            case LegendEntry::Dot: legend.dots.push_back({{x + 9, middle}, kDotRadius}); break;
            case LegendEntry::Line:
                legend.lines.push_back({{{x, middle}, {x + 18, middle}}, e.colour, kCurveWidth});
                break;
            case LegendEntry::Area:
                legend.areas.push_back(
                    {{{x, middle - 5}, {x + 18, middle - 5}, {x + 18, middle + 5}, {x, middle + 5}}, e.colour, kBandOpacity});
                break;
        }
        legend.texts.push_back({{x + 24, baseline}, e.text, TextAnchor::Start, kLabelSize, kBlack});
        x += 24 + TextWidth(e.text, kLabelSize) + 20;
    }
    return legend;
}

}  // namespace

PlotTicks NiceTicks(double lo, double hi, int intervals) {
    PlotTicks ticks;
    const double raw = (hi - lo) / std::max(intervals, 1);
    if (!Finite(raw) || !(raw > 0.0)) return ticks;
    const double magnitude = PowerOfTen(DecimalExponent(raw));
    const double fraction = raw / magnitude;
    const double step = (fraction < 1.5 ? 1.0 : fraction < 3.0 ? 2.0 : fraction < 7.0 ? 5.0 : 10.0) * magnitude;
    const double first = std::ceil(lo / step);
    // Ticks a step apart must be different numbers (a step below the values' spacing gives none).
    if (!Finite(first) || lo + step == lo || hi - step == hi) return ticks;
    for (double k = first; k * step <= hi && ticks.values.size() <= 2u * intervals + 2; k += 1.0)
        ticks.values.push_back(k * step);
    // Numbers written out with the step's decimals ("-20", "0", "20"; "1.5", "2.0"), unless they
    // would be long: then as many significant digits as the largest value has before the step's
    // last digit ("2e+299"). More digits only where the labels would not tell the ticks apart.
    const double largest = std::max(std::fabs(lo), std::fabs(hi));
    const int stepExponent = DecimalExponent(step);
    const bool writtenOut = largest < kLargestWrittenOut && stepExponent >= kSmallestWrittenOutStep;
    int digits = writtenOut ? std::max(0, -stepExponent)
                            : -std::clamp(DecimalExponent(largest) - stepExponent + 1, 1, 17);
    for (;; writtenOut ? ++digits : --digits) {
        ticks.labels.clear();
        for (double v : ticks.values) ticks.labels.push_back(TickLabel(v, digits));
        const bool distinct = std::adjacent_find(ticks.labels.begin(), ticks.labels.end()) == ticks.labels.end();
        if (distinct || std::abs(digits) >= 17) break;
    }
    return ticks;
}

namespace {

// The values the plot shows besides the points: the graph's curve samples, the band, the
// residuals.
struct PlotValues {
    std::vector<double> curveX, curveY;
    BandSamples band;
    std::vector<double> residuals;
};

// The curve of the exact optimum where the model is there (the centre of its band, right
// also where the rounded coefficients cancel, as with years on X), else of the coefficients.
double CurveAt(const PlotInput& input, double x) {
    if (!input.model) return EvaluatePolynomial(*input.coefficients, input.termCount, x);
    const Statistic fitted = input.model->At(x, kDefaultConfidenceLevel).fitted;
    return fitted ? *fitted : HUGE_VAL;
}

// The graph's 251 curve samples, the band's and the residuals.
PlotValues SampleValues(const PlotInput& input, const PlotOptions& options) {
    const PointsView& points = input.points;
    const double xFirst = points.x[0];
    const double xLast = points.x[points.count - 1];
    const double step = (xLast - xFirst) * 0.002;
    PlotValues values;
    for (int i = 0; i < kCurveSamples; ++i) {
        values.curveX.push_back(xFirst + 2 * step * i);
        values.curveY.push_back(CurveAt(input, values.curveX.back()));
    }
    values.band.available = false;
    if (options.band != PlotBand::None && input.model)
        values.band = SampleBand(*input.model, options.band, xFirst, xLast);
    for (long long k = 0; k < points.count; ++k) values.residuals.push_back(points.y[k] - CurveAt(input, points.x[k]));
    return values;
}

// Whether every value shown is a double, so that no axis is numbered from an infinity or NaN.
bool AllShowable(const PointsView& points, const PlotValues& values, bool residuals) {
    const std::vector<double> xs(points.x, points.x + points.count);
    const std::vector<double> ys(points.y, points.y + points.count);
    return AllFinite(xs) && AllFinite(ys) && AllFinite(values.curveY) && AllFinite(values.band.low) &&
           AllFinite(values.band.high) && (!residuals || AllFinite(values.residuals));
}

// The main panel and, when asked for, the residuals' below it, on a plot `width` units wide.
struct Panels {
    Panel main;
    Panel lower;
    bool residuals = false;
    double width = kPlotWidth;
};

// The residual panel's Y range and ticks, its X axis the main panel's; false when the range is
// beyond a double.
bool ScaleResidualAxes(const std::vector<double>& residuals, Panels& panels) {
    double largestResidual = 0.0;
    for (double r : residuals) largestResidual = std::max(largestResidual, std::fabs(r));
    Panel& lower = panels.lower;
    lower.x = panels.main.x;
    lower.xTicks = panels.main.xTicks;
    if (!PaddedRange(-largestResidual, largestResidual, 0.1, lower.y.lo, lower.y.hi)) return false;
    lower.yTicks = NiceTicks(lower.y.lo, lower.y.hi, kResidualIntervals);
    return true;
}

// The axes' ranges and ticks: the main panel's Y takes in the points, the curve and the band;
// false when a range is beyond a double.
bool ScaleAxes(const PointsView& points, const PlotValues& values, Panels& panels) {
    const double dataLo = *std::min_element(points.y, points.y + points.count);
    const double dataHi = *std::max_element(points.y, points.y + points.count);
    if (!Finite(dataHi - dataLo)) return false;
    double yLo = dataLo;
    double yHi = dataHi;
    TakeIn(values.curveY, dataLo, dataHi, yLo, yHi);
    TakeIn(values.band.low, dataLo, dataHi, yLo, yHi);
    TakeIn(values.band.high, dataLo, dataHi, yLo, yHi);
    Panel& main = panels.main;
    if (!PaddedRange(points.x[0], points.x[points.count - 1], 0.03, main.x.lo, main.x.hi) ||
        !PaddedRange(yLo, yHi, 0.05, main.y.lo, main.y.hi))
        return false;
    main.xTicks = NiceTicks(main.x.lo, main.x.hi, static_cast<int>(std::lround(panels.width / kUnitsPerXInterval)));
    main.yTicks = NiceTicks(main.y.lo, main.y.hi, kYIntervals);
    return !panels.residuals || ScaleResidualAxes(values.residuals, panels);
}

// The panel over `area`, its axes reaching across it, Y upwards.
void PlaceIn(Panel& panel, const PlotRect& area) {
    panel.area = area;
    panel.x.origin = area.left;
    panel.x.length = area.width;
    panel.y.origin = area.top;
    panel.y.length = area.height;
    panel.y.upwards = true;
}

// The panels' areas, the left margin holding the widest number of either; returns the
// legend's baseline below them.
double PlacePanels(Panels& panels) {
    const double labels =
        std::max(WidestLabel(panels.main.yTicks), panels.residuals ? WidestLabel(panels.lower.yTicks) : 0.0);
    const double left = std::round(10 + labels + 4 + kTickLength) + 0.5;
    const double width = panels.width;
    PlaceIn(panels.main, {left, kPanelTop + 0.5, std::floor(width - kRightMargin - left),
                          std::min(kMainHeight, std::round(width / 2))});
    double y = panels.main.Bottom() + 46;  // below the X numbers and the axis title
    if (panels.residuals) {
        y += 22;  // the residual panel's title
        PlaceIn(panels.lower, {panels.main.area.left, std::round(y) + 0.5, panels.main.area.width, kResidualHeight});
        y = panels.lower.Bottom() + 26;  // below its X numbers
    }
    return y + 16;
}

PlotColour BandColour(PlotBand band) {
    return band == PlotBand::Prediction ? kPredictionColour : kConfidenceColour;
}

// The band as an area between its upper ends, left to right, and its lower ends back.
PlotGroup BandGroup(const Panel& main, const BandSamples& band, PlotBand kind, UiLanguage language) {
    PlotGroup area;
    const PlotTextId name = kind == PlotBand::Prediction ? PlotTextId::PredictionBand : PlotTextId::ConfidenceBand;
    area.name = PlotText(name, language);
    area.clip = main.area;
    std::vector<PlotPoint> outline;
    for (size_t k = 0; k < band.x.size(); ++k) outline.push_back({main.x.At(band.x[k]), main.y.At(band.high[k])});
    for (size_t k = band.x.size(); k-- > 0;) outline.push_back({main.x.At(band.x[k]), main.y.At(band.low[k])});
    area.areas.push_back({ClipPolygon(outline, main.area.top - 2, main.Bottom() + 2), BandColour(kind), kBandOpacity});
    area.bandX = band.x;
    area.bandLow = band.low;
    area.bandHigh = band.high;
    return area;
}

PlotGroup CurveGroup(const Panel& main, const PlotValues& values, UiLanguage language) {
    PlotGroup curve;
    curve.name = PlotText(PlotTextId::Curve, language);
    curve.clip = main.area;
    std::vector<PlotPoint> samples;
    for (size_t i = 0; i < values.curveX.size(); ++i)
        samples.push_back({main.x.At(values.curveX[i]), main.y.At(values.curveY[i])});
    for (auto& run : ClipPolyline(samples, main.area.top - 2, main.Bottom() + 2))
        curve.lines.push_back({run, kBlack, kCurveWidth});
    return curve;
}

PlotGroup DataGroup(const Panel& main, const PointsView& points, UiLanguage language) {
    PlotGroup data;
    data.name = PlotText(PlotTextId::Data, language);
    for (long long k = 0; k < points.count; ++k) data.dots.push_back(DotAt(main, points.x[k], points.y[k]));
    return data;
}

// The main panel's groups: grid, band, curve, points and axes; returns the legend's entries.
std::vector<LegendEntry> AppendMainPanel(PlotPlan& plan, const Panel& main, const PointsView& points,
                                         const PlotValues& values, const PlotOptions& options) {
    const UiLanguage language = options.language;
    plan.groups.push_back(GridOf(main));
    std::vector<LegendEntry> legend = {{LegendEntry::Dot, kDotColour, PlotText(PlotTextId::Data, language)},
                                       {LegendEntry::Line, kBlack, PlotText(PlotTextId::Curve, language)}};
    if (values.band.available) {
        plan.groups.push_back(BandGroup(main, values.band, options.band, language));
        legend.push_back({LegendEntry::Area, BandColour(options.band), plan.groups.back().name});
    }
    plan.groups.push_back(CurveGroup(main, values, language));
    plan.groups.push_back(DataGroup(main, points, language));
    plan.groups.push_back(XAxisOf(main, PlotText(PlotTextId::XAxis, language)));
    plan.groups.back().texts.push_back(
        {{main.area.left + main.area.width / 2, main.Bottom() + 38}, "X", TextAnchor::Middle, kTitleSize, kBlack});
    plan.groups.push_back(YAxisOf(main, PlotText(PlotTextId::YAxis, language), "Y"));
    return legend;
}

// The residual panel's groups: grid, the residuals about their zero line, and axes.
void AppendResidualPanel(PlotPlan& plan, const Panel& lower, const PointsView& points,
                         const std::vector<double>& residuals, UiLanguage language) {
    plan.groups.push_back(GridOf(lower));
    PlotGroup scatter;
    scatter.name = PlotText(PlotTextId::Residuals, language);
    const double zero = lower.y.At(0.0);
    scatter.lines.push_back({{{lower.area.left, zero}, {lower.Right(), zero}}, kBlack, 1.0});
    for (long long k = 0; k < points.count; ++k) scatter.dots.push_back(DotAt(lower, points.x[k], residuals[k]));
    plan.groups.push_back(scatter);
    plan.groups.push_back(XAxisOf(lower, std::string()));
    PlotGroup yAxis =
        YAxisOf(lower, PlotText(PlotTextId::ResidualAxis, language), PlotText(PlotTextId::Residuals, language));
    yAxis.texts.back().anchor = TextAnchor::Start;
    yAxis.texts.back().at.x = 10;
    plan.groups.push_back(yAxis);
}

// The note that the fit has no band, in lines from `left` to `right` below the legend;
// `baseline` becomes its last line's.
PlotGroup NoBandNote(double left, double right, double& baseline, UiLanguage language) {
    PlotGroup note;
    baseline += 4;
    for (const std::string& line : WrappedLines(PlotText(PlotTextId::NoBand, language), kLabelSize, right - left)) {
        baseline += kLegendRowHeight;
        note.texts.push_back({{left, baseline}, line, TextAnchor::Start, kLabelSize, kBlack});
    }
    return note;
}

PlotResult BeyondDouble() {
    PlotResult result;
    result.failure = MessageId::PlotBeyondDouble;
    return result;
}

}  // namespace

PlotResult PlanPlot(const PlotInput& input, const PlotOptions& options) {
    const PointsView& points = input.points;
    if (points.count < 1 || !input.coefficients) return BeyondDouble();
    const PlotValues values = SampleValues(input, options);
    if (!AllShowable(points, values, options.residuals)) return BeyondDouble();
    Panels panels;
    panels.residuals = options.residuals;
    panels.width = std::clamp(options.width, kNarrowestPlot, kPlotWidth);
    if (!ScaleAxes(points, values, panels)) return BeyondDouble();
    double y = PlacePanels(panels);

    const UiLanguage language = options.language;
    const double width = panels.width;
    PlotResult result;
    PlotPlan& plan = result.plan;
    plan.width = width;
    plan.name = PlotText(PlotTextId::Plot, language);
    PlotGroup background;
    background.areas.push_back({{}, kWhite, 1.0});  // its outline once the height is known
    plan.groups.push_back(background);
    const std::vector<LegendEntry> legend = AppendMainPanel(plan, panels.main, points, values, options);
    if (options.residuals) AppendResidualPanel(plan, panels.lower, points, values.residuals, language);
    const double left = panels.main.area.left;
    plan.groups.push_back(LegendOf(legend, left, width - 4, y, PlotText(PlotTextId::Legend, language)));
    if (options.band != PlotBand::None && !values.band.available)
        plan.groups.push_back(NoBandNote(left, width - 4, y, language));
    plan.height = std::ceil(y + 12);
    plan.groups.front().areas.front().outline = {{0, 0}, {width, 0}, {width, plan.height}, {0, plan.height}};
    return result;
}

}  // namespace plorimet
