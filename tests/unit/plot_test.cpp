// The plot: numbered axes, the band of the exact model, the residuals, its SVG and PNG, and
// what it refuses to draw.
#include "graph/plot.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "png_reader.h"

#include "graph/plot_texts.h"
#include "model/commands.h"
#include "model/dialogs.h"
#include "model/fit_details.h"

namespace plorimet {
namespace {

// Pairs fitted through the program's own Analysis, at a degree.
ShownFit FitOf(const std::vector<std::pair<std::string, std::string>>& pairs, int degree,
               UiLanguage language = UiLanguage::English) {
    ProgramState state;
    state.language = language;
    for (size_t k = 0; k < pairs.size(); ++k) {
        EditCell(state, static_cast<int>(k), pairs[k].first);
        EditCell(state, kMaxPairs + static_cast<int>(k), pairs[k].second);
    }
    DialogAnswer ok = OpeningAnswer(BeginAnalysis(state));
    ok.accepted = true;
    ok.texts[kFitDegreeItem] = std::to_string(degree);
    FinishAnalysis(state, ok);
    return *ShownFitOf(state);
}

// The sample file's pairs.
ShownFit SampleFit(int degree, UiLanguage language = UiLanguage::English) {
    return FitOf({{"1", "2.1"}, {"2", "3.9"}, {"3", "6.2"}, {"4", "7.8"}, {"5", "10.1"}, {"6", "12.2"}, {"7", "13.8"},
                  {"8", "16.1"}},
                 degree, language);
}

PlotResult PlotOf(const ShownFit& fit, PlotOptions options) {
    return FitDetails(fit).Plot(options);
}

const PlotGroup* GroupNamed(const PlotPlan& plan, PlotTextId id, UiLanguage language = UiLanguage::English) {
    for (const PlotGroup& g : plan.groups)
        if (g.name == PlotText(id, language)) return &g;
    return nullptr;
}

TEST(PlotTicks, StepsOfOneTwoOrFiveLabelledWithTheDigitsThatTellThemApart) {
    struct Row {
        double lo, hi;
        int intervals;
        std::vector<std::string> labels;
    };
    const Row rows[] = {
        {0.79, 8.21, 8, {"1", "2", "3", "4", "5", "6", "7", "8"}},
        {1978.7, 2025.3, 8, {"1980", "1985", "1990", "1995", "2000", "2005", "2010", "2015", "2020", "2025"}},
        {-0.25, 0.25, 4, {"-0.2", "-0.1", "0.0", "0.1", "0.2"}},
        // Written out, never "4e+01" for 40.
        {-25, 65, 4, {"-20", "0", "20", "40", "60"}},
        {0.9, 3.1, 4, {"1.0", "1.5", "2.0", "2.5", "3.0"}},
        {1e9 + 0.5, 1e9 + 4.5, 4, {"1000000001", "1000000002", "1000000003", "1000000004"}},
        {0, 1e300, 4, {"0", "2e+299", "4e+299", "6e+299", "8e+299", "1e+300"}},
        {1.5e-7, 4.5e-7, 3, {"2e-07", "3e-07", "4e-07"}},
        // Doubles 2 apart: a step of 1 cannot be told from the values, so no numbers at all.
        {1e16, 1e16 + 8, 8, {}},
    };
    for (const Row& row : rows) {
        const PlotTicks ticks = NiceTicks(row.lo, row.hi, row.intervals);
        EXPECT_EQ(ticks.labels, row.labels) << row.lo << " .. " << row.hi;
        for (double v : ticks.values) EXPECT_TRUE(v >= row.lo && v <= row.hi) << v;
    }
}

TEST(PlotPlan, AxesCurveDotsAndTheConfidenceBandOfTheExactModel) {
    const ShownFit fit = SampleFit(2);
    const PlotResult plot = PlotOf(fit, {});
    ASSERT_FALSE(plot.failure);
    const PlotPlan& plan = plot.plan;
    EXPECT_EQ(plan.width, kPlotWidth);
    EXPECT_EQ(plan.name, "Plot");
    for (PlotTextId id : {PlotTextId::XAxis, PlotTextId::YAxis, PlotTextId::Curve, PlotTextId::Data, PlotTextId::Legend})
        EXPECT_NE(GroupNamed(plan, id), nullptr) << PlotText(id, UiLanguage::English);
    EXPECT_EQ(GroupNamed(plan, PlotTextId::Residuals), nullptr);
    EXPECT_EQ(GroupNamed(plan, PlotTextId::Data)->dots.size(), 8u);
    const PlotGroup* band = GroupNamed(plan, PlotTextId::ConfidenceBand);
    ASSERT_NE(band, nullptr);
    ASSERT_EQ(band->bandX.size(), static_cast<size_t>(kPlotBandSamples));
    EXPECT_EQ(band->bandX.front(), 1.0);
    EXPECT_EQ(band->bandX.back(), 8.0);
    // The ends around the fitted value, and the band's outline inside its panel.
    for (size_t k = 0; k < band->bandX.size(); ++k) {
        const double fitted = 0.071428571428572382 + 1.9761904761904754 * band->bandX[k] +
                              0.0023809523809524731 * band->bandX[k] * band->bandX[k];
        EXPECT_LT(band->bandLow[k], fitted);
        EXPECT_GT(band->bandHigh[k], fitted);
    }
    for (const PlotPoint& p : band->areas.at(0).outline) {
        EXPECT_GE(p.y, band->clip->top - 2);
        EXPECT_LE(p.y, band->clip->top + band->clip->height + 2);
    }
    // The X axis numbered 1 to 8 along the panel, left to right.
    const PlotGroup* xAxis = GroupNamed(plan, PlotTextId::XAxis);
    std::vector<std::string> labels;
    for (const PlotLabel& t : xAxis->texts) labels.push_back(t.text);
    EXPECT_EQ(labels, (std::vector<std::string>{"1", "2", "3", "4", "5", "6", "7", "8", "X"}));
}

// Years on X at degree 10: the rounded coefficients cancel (their curve would leave the frame),
// the plot's curve is the exact optimum's, inside its band.
TEST(PlotPlan, TheCurveIsTheOptimumsWhereTheRoundedCoefficientsCancel) {
    std::vector<std::pair<std::string, std::string>> pairs;
    for (int year = 1990; year <= 2030; ++year) {
        char y[32];
        std::snprintf(y, sizeof y, "%.2f", 100 + 0.3 * (year - 2010) * (year - 2010) + 5 * std::sin(year));
        pairs.emplace_back(std::to_string(year), y);
    }
    const PlotResult plot = PlotOf(FitOf(pairs, 10), {});
    ASSERT_FALSE(plot.failure);
    const PlotGroup* band = GroupNamed(plot.plan, PlotTextId::ConfidenceBand);
    const PlotGroup* curve = GroupNamed(plot.plan, PlotTextId::Curve);
    ASSERT_TRUE(band && curve);
    double top = HUGE_VAL, bottom = -HUGE_VAL;
    for (const PlotPoint& p : band->areas.at(0).outline) top = std::min(top, p.y), bottom = std::max(bottom, p.y);
    for (const PlotPoint& p : curve->lines.at(0).points) {
        EXPECT_GE(p.y, top - 1);
        EXPECT_LE(p.y, bottom + 1);
    }
}

TEST(PlotPlan, PredictionBandIsWiderAndResidualsGetTheirPanel) {
    const ShownFit fit = SampleFit(2);
    const PlotPlan confidence = PlotOf(fit, {}).plan;
    PlotOptions options;
    options.band = PlotBand::Prediction;
    options.residuals = true;
    const PlotPlan prediction = PlotOf(fit, options).plan;
    const PlotGroup* c = GroupNamed(confidence, PlotTextId::ConfidenceBand);
    const PlotGroup* p = GroupNamed(prediction, PlotTextId::PredictionBand);
    ASSERT_TRUE(c && p);
    EXPECT_EQ(GroupNamed(prediction, PlotTextId::ConfidenceBand), nullptr);
    for (size_t k = 0; k < c->bandX.size(); ++k) {
        EXPECT_LT(p->bandLow[k], c->bandLow[k]);
        EXPECT_GT(p->bandHigh[k], c->bandHigh[k]);
    }
    ASSERT_NE(GroupNamed(prediction, PlotTextId::Residuals), nullptr);
    EXPECT_EQ(GroupNamed(prediction, PlotTextId::Residuals)->dots.size(), 8u);
    EXPECT_NE(GroupNamed(prediction, PlotTextId::ResidualAxis), nullptr);
    EXPECT_GT(prediction.height, confidence.height);
}

// A curve through every point has no residual degrees of freedom: no band, and the plot says why.
TEST(PlotPlan, NoBandWithoutDegreesOfFreedomAndTheReasonShown) {
    for (UiLanguage language : {UiLanguage::English, UiLanguage::Japanese}) {
        for (double width : {kPlotWidth, kNarrowestPlot}) {
            PlotOptions options;
            options.width = width;
            const PlotPlan plan = PlotOf(SampleFit(7, language), options).plan;
            EXPECT_EQ(GroupNamed(plan, PlotTextId::ConfidenceBand, language), nullptr);
            std::string told;  // on as many lines as the width needs
            for (const PlotLabel& t : plan.groups.back().texts) told += t.text;
            EXPECT_EQ(told, PlotText(PlotTextId::NoBand, language)) << width;
            EXPECT_EQ(plan.groups.back().texts.size() > 1, width == kNarrowestPlot) << width;
        }
    }
    PlotOptions none;
    none.band = PlotBand::None;
    const PlotPlan plain = PlotOf(SampleFit(7), none).plan;
    for (const PlotGroup& g : plain.groups)
        for (const PlotLabel& t : g.texts) EXPECT_NE(t.text, PlotText(PlotTextId::NoBand, UiLanguage::English));
}

// Values beyond the range of a double anywhere give the message, never an axis of infinities.
TEST(PlotPlan, AValueBeyondADoubleIsRefused) {
    struct Row {
        std::vector<double> x, y;
        Coefficients c;
        int terms;
    };
    const Row rows[] = {
        {{0, 1, 2}, {-1.7e308, 1.7e308, 0}, {0.0}, 1},  // the Y range overflows
        {{0, 1e300}, {0, 1}, {0.0, 1e10}, 2},             // the curve overflows between the points
        {{-1.7e308, 1.7e308}, {0, 1}, {0.5}, 1},          // the X range overflows
    };
    for (const Row& row : rows) {
        PlotInput input;
        input.points = {row.x.data(), row.y.data(), static_cast<long long>(row.x.size())};
        input.coefficients = &row.c;
        input.termCount = row.terms;
        PlotOptions options;
        options.residuals = true;
        const PlotResult plot = PlanPlot(input, options);
        EXPECT_EQ(plot.failure, MessageId::PlotBeyondDouble) << row.y[0];
    }
}

TEST(PlotPlan, ANarrowScreenGetsANarrowerPlotWithTextsOfTheSameSize) {
    PlotOptions options;
    options.width = 359;
    const PlotPlan plan = PlotOf(SampleFit(2), options).plan;
    EXPECT_EQ(plan.width, 359);
    for (const PlotGroup& g : plan.groups) {
        for (const PlotLine& l : g.lines)
            for (const PlotPoint& p : l.points) EXPECT_LE(p.x, 359);
        for (const PlotLabel& t : g.texts) EXPECT_GE(t.size, 11);
    }
    options.width = 100;
    EXPECT_EQ(PlotOf(SampleFit(2), options).plan.width, kNarrowestPlot);
}

// How far up and down a group reaches: its shapes, and its texts from a capital's height above
// the baseline to a descender below.
struct Reach {
    double top = HUGE_VAL;
    double bottom = -HUGE_VAL;
    void Take(double from, double to) { top = std::min(top, from), bottom = std::max(bottom, to); }
};

Reach ReachOf(const PlotGroup& g) {
    Reach reach;
    for (const PlotLine& l : g.lines)
        for (const PlotPoint& p : l.points) reach.Take(p.y, p.y);
    for (const PlotArea& a : g.areas)
        for (const PlotPoint& p : a.outline) reach.Take(p.y, p.y);
    for (const PlotDot& d : g.dots) reach.Take(d.centre.y - d.radius, d.centre.y + d.radius);
    for (const PlotLabel& t : g.texts) reach.Take(t.at.y - t.size, t.at.y + 0.3 * t.size);
    return reach;
}

// The parts one below the other inside the picture: the main panel with its X numbers and
// title, the residual panel's title and panel, the legend, the note that there is no band.
TEST(PlotPlan, ItsPartsAreStackedInsideThePicture) {
    struct Row {
        int degree;  // 7: through every point, no band
        PlotBand band;
        bool residuals;
        double width;
    };
    const Row rows[] = {
        {2, PlotBand::Confidence, false, kPlotWidth},    {2, PlotBand::Prediction, true, kPlotWidth},
        {2, PlotBand::None, true, kNarrowestPlot},       {7, PlotBand::Confidence, true, kNarrowestPlot},
        {7, PlotBand::Prediction, false, kPlotWidth},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE("degree " + std::to_string(row.degree) + ", width " + std::to_string(row.width));
        PlotOptions options;
        options.band = row.band;
        options.residuals = row.residuals;
        options.width = row.width;
        const PlotPlan plan = PlotOf(SampleFit(row.degree), options).plan;
        for (const PlotGroup& g : plan.groups) {
            EXPECT_GE(ReachOf(g).top, 0.0) << g.name;
            EXPECT_LE(ReachOf(g).bottom, plan.height) << g.name;
        }
        const std::string legendName = PlotText(PlotTextId::Legend, UiLanguage::English);
        size_t legend = 0;
        while (legend < plan.groups.size() && plan.groups[legend].name != legendName) ++legend;
        ASSERT_LT(legend, plan.groups.size());
        for (size_t k = 1; k < legend; ++k)
            EXPECT_LT(ReachOf(plan.groups[k]).bottom, ReachOf(plan.groups[legend]).top) << k;
        const bool note = row.degree == 7 && row.band != PlotBand::None;
        ASSERT_EQ(plan.groups.size(), legend + (note ? 2 : 1));
        if (note) {
            EXPECT_LT(ReachOf(plan.groups[legend]).bottom, ReachOf(plan.groups.back()).top);
        }
        const PlotGroup* residualAxis = GroupNamed(plan, PlotTextId::ResidualAxis);
        ASSERT_EQ(residualAxis != nullptr, row.residuals);
        if (row.residuals) {
            EXPECT_LT(ReachOf(*GroupNamed(plan, PlotTextId::XAxis)).bottom, ReachOf(*residualAxis).top);
        }
    }
}

TEST(PlotSvg, NamedGroupsAndTheBandsValuesThatReadBackExactly) {
    const PlotPlan plan = PlotOf(SampleFit(2), {}).plan;
    const std::string svg = PlotSvgText(plan);
    EXPECT_EQ(svg.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<svg ", 0), 0u);
    EXPECT_NE(svg.find("role=\"figure\" aria-label=\"Plot\""), std::string::npos);
    EXPECT_NE(svg.find("role=\"group\" aria-label=\"95% confidence band\""), std::string::npos);
    EXPECT_EQ(svg.find("nan"), std::string::npos);
    EXPECT_EQ(svg.find("inf"), std::string::npos);
    const size_t at = svg.find("data-low=\"");
    ASSERT_NE(at, std::string::npos);
    std::istringstream lows(svg.substr(at + 10, svg.find('"', at + 10) - at - 10));
    const PlotGroup* band = GroupNamed(plan, PlotTextId::ConfidenceBand);
    std::string text;
    for (size_t k = 0; lows >> text; ++k) EXPECT_EQ(std::strtod(text.c_str(), nullptr), band->bandLow.at(k));
    EXPECT_NE(PlotSvgText(PlotOf(SampleFit(2, UiLanguage::Japanese), {}).plan).find(u8"aria-label=\"プロット\""),
              std::string::npos);
}

TEST(PlotPng, TwiceTheUnitsWithTheDotsAndTextsDrawnTheSameEachTime) {
    for (UiLanguage language : {UiLanguage::English, UiLanguage::Japanese}) {
        const PlotPlan plan = PlotOf(SampleFit(2, language), {}).plan;
        const Bytes png = PlotPngBytes(plan, kPlotPngScale);
        ASSERT_FALSE(png.empty());
        EXPECT_EQ(png, PlotPngBytes(plan, kPlotPngScale));
        int w = 0, h = 0, channels = 0;
        unsigned char* rgb = stbi_load_from_memory(png.data(), static_cast<int>(png.size()), &w, &h, &channels, 3);
        ASSERT_NE(rgb, nullptr);
        EXPECT_EQ(w, 2 * static_cast<int>(plan.width));
        EXPECT_EQ(h, 2 * static_cast<int>(plan.height));
        auto pixel = [&](PlotPoint p) {
            const unsigned char* c = rgb + (static_cast<int>(p.y * 2) * w + static_cast<int>(p.x * 2)) * 3;
            return std::vector<int>{c[0], c[1], c[2]};
        };
        EXPECT_EQ(pixel({1, 1}), (std::vector<int>{255, 255, 255}));
        EXPECT_EQ(pixel(GroupNamed(plan, PlotTextId::Data, language)->dots[3].centre), (std::vector<int>{255, 0, 0}));
        // Every text of the legend, Japanese ones too, leaves dark pixels under its first character.
        for (const PlotLabel& t : GroupNamed(plan, PlotTextId::Legend, language)->texts) {
            int darkest = 255;
            for (double dx = 0; dx < t.size; dx += 0.5)
                for (double dy = -t.size * 0.7; dy < 0; dy += 0.5) darkest = std::min(darkest, pixel({t.at.x + dx, t.at.y + dy})[0]);
            EXPECT_LT(darkest, 100) << t.text;
        }
        stbi_image_free(rgb);
    }
}

}  // namespace
}  // namespace plorimet
