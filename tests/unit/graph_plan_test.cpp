#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>
#include <set>
#include <vector>

#include "graph/graph_plan.h"
#include "rational_reference.h"

namespace plorimet {
namespace {

constexpr double kFactors[] = {1.0, 0.7, 0.5};

DataSet MakeData(const std::vector<double>& x, const std::vector<double>& y) {
    DataSet data;
    data.pairCount = static_cast<int>(x.size());
    for (std::size_t k = 0; k < x.size(); ++k) {
        data.x[k] = x[k];
        data.y[k] = y[k];
    }
    return data;
}

Coefficients MakeCoefficients(const std::vector<double>& c) {
    Coefficients coefficients{};
    for (std::size_t k = 0; k < c.size(); ++k) coefficients[k] = c[k];
    return coefficients;
}

GraphSettings SettingsFor(int sizeIndex, ScaleMode mode = ScaleMode::ScaleNone, int dotSizeIndex = 0) {
    GraphSettings settings;
    settings.sizeIndex = sizeIndex;
    settings.scaleMode = mode;
    settings.dotSizeIndex = dotSizeIndex;
    InitGraphSettingsDialog(settings);
    return settings;
}

// The frame height from exact integer arithmetic: f (h - 40) at 70 % is 7 (h - 40) / 10,
// one less when that is whole because 0.7 is held just below its value.
int ExpectedFrameHeight(int sizeIndex, int clientHeight) {
    const int d = clientHeight - 40;
    switch (sizeIndex) {
        case 0:
            return d;
        case 1:
            return 7 * d / 10 - (7 * d % 10 == 0 && d > 0 ? 1 : 0);
        default:
            return d / 2;
    }
}

// Column of curve sample i, trunc(2 f i), likewise from integers.
int ExpectedSampleOffset(int sizeIndex, int i) {
    switch (sizeIndex) {
        case 0:
            return 2 * i;
        case 1:
            return 14 * i / 10 - (i > 0 && 14 * i % 10 == 0 ? 1 : 0);
        default:
            return i;
    }
}

TEST(GraphFrame, FullSizeFrameIsCentredAndThirtyPixelsFromTheTop) {
    FrameRect frame = PlanFrame(628, 600, 1.0);
    EXPECT_EQ(54, frame.left);
    EXPECT_EQ(30, frame.top);
    EXPECT_EQ(520, frame.width);
    EXPECT_EQ(560, frame.height);
}

TEST(GraphFrame, SeventyPercentTruncatesExtendedProductsOfTheDoubleBelowPointSeven) {
    FrameRect frame = PlanFrame(628, 600, 0.7);
    EXPECT_EQ(54, frame.left);  // the left edge of the full-size frame
    EXPECT_EQ(363, frame.width);
    EXPECT_EQ(391, frame.height);  // 0.7 * 560 = 392 exactly, held just below
    EXPECT_EQ(395, PlanFrame(628, 605, 0.7).height);  // 395.5: the plain truncation
    EXPECT_EQ(6, PlanScaleMarks(frame, SettingsFor(1, ScaleMode::ScaleTicks))[0].from.x - frame.left);
}

TEST(GraphFrame, HeightFollowsTheFactorForEveryClientHeight) {
    for (int sizeIndex = 0; sizeIndex < 3; ++sizeIndex) {
        for (int clientHeight = 40; clientHeight <= 2000; ++clientHeight) {
            ASSERT_EQ(ExpectedFrameHeight(sizeIndex, clientHeight),
                      PlanFrame(628, clientHeight, kFactors[sizeIndex]).height)
                << "size index " << sizeIndex << ", client height " << clientHeight;
        }
    }
}

TEST(GraphFrame, WidthsAtTheThreeSizes) {
    EXPECT_EQ(520, PlanFrame(628, 600, 1.0).width);
    EXPECT_EQ(363, PlanFrame(628, 600, 0.7).width);
    EXPECT_EQ(260, PlanFrame(628, 600, 0.5).width);
}

TEST(GraphFrame, NarrowClientGivesANegativeLeftEdgeThatIsNotClamped) {
    EXPECT_EQ(-110, PlanFrame(300, 600, 1.0).left);
    EXPECT_EQ(-1, PlanFrame(518, 600, 1.0).left);
    EXPECT_EQ(0, PlanFrame(519, 600, 1.0).left);  // -1 / 2 truncates toward zero
    EXPECT_EQ(-260, PlanFrame(0, 600, 0.5).left);
    EXPECT_EQ(520, PlanFrame(0, 600, 1.0).width);
}

TEST(GraphFrame, OutlineRunsDownRightUpAndBackToTheStart) {
    FrameRect frame = PlanFrame(628, 600, 1.0);
    auto outline = FrameOutline(frame);
    EXPECT_EQ((PixelPoint{54, 30}), outline[0]);
    EXPECT_EQ((PixelPoint{54, 590}), outline[1]);
    EXPECT_EQ((PixelPoint{574, 590}), outline[2]);
    EXPECT_EQ((PixelPoint{574, 30}), outline[3]);
    EXPECT_EQ((PixelPoint{54, 30}), outline[4]);
}

TEST(GraphFrame, CaptureRegionHoldsTheFrameWithOnePixelAround) {
    CaptureRegion full = CaptureRegionOf(PlanFrame(628, 600, 1.0));
    EXPECT_EQ(53, full.left);
    EXPECT_EQ(29, full.top);
    EXPECT_EQ(523, full.width);
    EXPECT_EQ(563, full.height);
    EXPECT_FALSE(full.IsEmpty());

    CaptureRegion half = CaptureRegionOf(PlanFrame(628, 600, 0.5));
    EXPECT_EQ(263, half.width);
    EXPECT_EQ(283, half.height);

    CaptureRegion seventy = CaptureRegionOf(PlanFrame(628, 600, 0.7));
    EXPECT_EQ(366, seventy.width);
    EXPECT_EQ(394, seventy.height);
}

// Guards the capture against a negative bitmap height (which would mean top-down rows).
TEST(GraphFrame, ClientTooLowForAFrameLeavesNothingToCapture) {
    EXPECT_TRUE(CaptureRegionOf(PlanFrame(628, 21, 1.0)).IsEmpty());
    EXPECT_FALSE(CaptureRegionOf(PlanFrame(628, 40, 1.0)).IsEmpty());
}

TEST(GraphYRange, FlatWhenAllYAreEqualOrThereIsOnePair) {
    EXPECT_TRUE(YRangeIsFlat(MakeData({1.0}, {5.0})));
    EXPECT_TRUE(YRangeIsFlat(MakeData({1.0, 2.0, 3.0}, {4.0, 4.0, 4.0})));
    EXPECT_TRUE(YRangeIsFlat(MakeData({1.0, 2.0}, {0.0, -0.0})));
    EXPECT_TRUE(YRangeIsFlat(DataSet{}));
    EXPECT_FALSE(YRangeIsFlat(MakeData({1.0, 2.0, 3.0}, {4.0, 4.0, 4.000001})));
    YRange range = FindYRange(MakeData({1, 2, 3, 4}, {3, -7, 12, 0}));
    EXPECT_EQ(-7.0, range.min);
    EXPECT_EQ(12.0, range.max);
}

TEST(GraphMarks, NoneDrawsNoMarks) {
    EXPECT_TRUE(PlanScaleMarks(PlanFrame(628, 600, 1.0), SettingsFor(0)).empty());
}

TEST(GraphMarks, HalfSizeTicksAreElevenOnTheBottomAndElevenOnTheLeft) {
    FrameRect frame = PlanFrame(628, 600, 0.5);  // left 54, height 280
    std::vector<Segment> marks = PlanScaleMarks(frame, SettingsFor(2, ScaleMode::ScaleTicks));
    ASSERT_EQ(22u, marks.size());
    for (int i = 0; i <= 10; ++i) {
        SCOPED_TRACE(i);
        const int x = 54 + 5 + 25 * i;
        EXPECT_EQ((Segment{{x, 310 - 5}, {x, 310}}), marks[i]);
        const int y = 30 + 5 + 27 * i;  // dy = (280 - 10) / 10
        EXPECT_EQ((Segment{{54 + 5, y}, {54, y}}), marks[11 + i]);
    }
    EXPECT_EQ(54 + 5 + 250, marks[10].from.x);  // N x 25 = plotting width 500 f
}

TEST(GraphMarks, HalfSizeGridIsSixVerticalAndSixHorizontalLines) {
    FrameRect frame = PlanFrame(628, 600, 0.5);
    std::vector<Segment> marks = PlanScaleMarks(frame, SettingsFor(2, ScaleMode::ScaleGrid));
    ASSERT_EQ(12u, marks.size());
    for (int i = 0; i <= 5; ++i) {
        SCOPED_TRACE(i);
        const int x = 54 + 5 + 50 * i;
        EXPECT_EQ((Segment{{x, 30}, {x, 310}}), marks[i]);
        const int y = 30 + 5 + 54 * i;  // dy = 270 / 5
        EXPECT_EQ((Segment{{54, y}, {54 + 260, y}}), marks[6 + i]);
    }
}

TEST(GraphMarks, CountsAndLastPositionAtEverySize) {
    const struct {
        int sizeIndex;
        ScaleMode mode;
        std::size_t perEdge;
        int lastX;
    } cases[] = {
        {0, ScaleMode::ScaleTicks, 21, 54 + 10 + 500}, {0, ScaleMode::ScaleGrid, 11, 54 + 10 + 500},
        {1, ScaleMode::ScaleTicks, 15, 54 + 6 + 350},  {1, ScaleMode::ScaleGrid, 8, 54 + 6 + 350},
        {2, ScaleMode::ScaleTicks, 11, 54 + 5 + 250},  {2, ScaleMode::ScaleGrid, 6, 54 + 5 + 250},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.sizeIndex * 10 + static_cast<int>(c.mode));
        FrameRect frame = PlanFrame(628, 600, kFactors[c.sizeIndex]);
        std::vector<Segment> marks = PlanScaleMarks(frame, SettingsFor(c.sizeIndex, c.mode));
        ASSERT_EQ(2 * c.perEdge, marks.size());
        EXPECT_EQ(c.lastX, marks[c.perEdge - 1].from.x);
    }
}

TEST(GraphMarks, SeventyPercentLeftTicksDivideTheExtendedSpan) {
    FrameRect frame = PlanFrame(628, 600, 0.7);  // height 391
    std::vector<Segment> marks = PlanScaleMarks(frame, SettingsFor(1, ScaleMode::ScaleTicks));
    ASSERT_EQ(30u, marks.size());
    // dy = (391 - 20 f) / 14 with 20 f just below 14: i dy truncates to 377 i / 14 and the
    // last tick lands on 377, not on 376.
    for (int i = 0; i <= 14; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(30 + 6 + 377 * i / 14, marks[15 + i].from.y);
    }
}

// Guards the last mark against a spacing rounded to double before it is multiplied.
TEST(GraphMarks, LastHorizontalMarkEndsThePlottingSpanForEveryHeight) {
    for (int sizeIndex = 0; sizeIndex < 3; ++sizeIndex) {
        const double f = kFactors[sizeIndex];
        for (int clientHeight = 60; clientHeight <= 1500; ++clientHeight) {
            FrameRect frame = PlanFrame(628, clientHeight, f);
            std::vector<Segment> marks = PlanScaleMarks(frame, SettingsFor(sizeIndex, ScaleMode::ScaleGrid));
            const int margin = sizeIndex == 0 ? 10 : (sizeIndex == 1 ? 6 : 5);
            const long double span = frame.height - 20.0L * f;
            ASSERT_EQ(30 + margin + static_cast<int>(span), marks.back().from.y)
                << "size index " << sizeIndex << ", client height " << clientHeight;
        }
    }
}

TEST(GraphCurve, SampleColumnsAtEverySize) {
    DataSet data = MakeData({0.0, 500.0}, {0.0, 500.0});
    Coefficients line = MakeCoefficients({0.0, 1.0});
    for (int sizeIndex = 0; sizeIndex < 3; ++sizeIndex) {
        SCOPED_TRACE(sizeIndex);
        const double f = kFactors[sizeIndex];
        FrameRect frame = PlanFrame(628, 600, f);
        std::vector<CurveStep> steps = PlanCurve(MakePlotScale(frame, f, data), line, 2);
        ASSERT_EQ(251u, steps.size());  // the line stays inside: one step per sample
        const int first = 54 + (sizeIndex == 0 ? 10 : (sizeIndex == 1 ? 6 : 5));
        std::set<int> gaps;
        for (int i = 0; i < 251; ++i) {
            EXPECT_EQ(i == 0 ? PenStep::Move : PenStep::Line, steps[i].kind);
            EXPECT_EQ(first + ExpectedSampleOffset(sizeIndex, i), steps[i].to.x) << "sample " << i;
            if (i > 0) gaps.insert(steps[i].to.x - steps[i - 1].to.x);
        }
        const std::set<int> expectedGaps[] = {{2}, {1, 2}, {1}};
        EXPECT_EQ(expectedGaps[sizeIndex], gaps);
    }
    // Last columns: 500 f right of the first at 100 and 50 %, one short of it at 70 %.
    FrameRect seventy = PlanFrame(628, 600, 0.7);
    EXPECT_EQ(54 + 6 + 349, PlanCurve(MakePlotScale(seventy, 0.7, data), line, 2).back().to.x);
}

TEST(GraphCurve, StraightLineRowsRunFromTheLowestToTheHighestDot) {
    DataSet data = MakeData({0.0, 500.0}, {0.0, 500.0});
    FrameRect frame = PlanFrame(628, 600, 1.0);
    std::vector<CurveStep> steps = PlanCurve(MakePlotScale(frame, 1.0, data), MakeCoefficients({0.0, 1.0}), 2);
    ASSERT_EQ(251u, steps.size());
    // row(2 i) = 580 - 540 (2 i) / 500.
    for (int i = 0; i < 251; ++i) EXPECT_EQ((290000 - 1080 * i) / 500, steps[i].to.y) << "sample " << i;
    EXPECT_EQ(580, steps.front().to.y);
    EXPECT_EQ(40, steps.back().to.y);
}

TEST(GraphCurve, OvershootingCurveIsCutAtTheFrameEdges) {
    // Y range 0..100 at 100 %: row(v) = 580 - 5.4 v, so v = 2 i - 50 is below the frame
    // (row > 590) up to sample 23 and above it (row < 30) from sample 76 on.
    DataSet data = MakeData({0.0, 500.0}, {0.0, 100.0});
    FrameRect frame = PlanFrame(628, 600, 1.0);
    std::vector<CurveStep> steps = PlanCurve(MakePlotScale(frame, 1.0, data), MakeCoefficients({-50.0, 1.0}), 2);
    ASSERT_EQ(1u + 23 * 2 + 52 + 175 * 2, steps.size());
    const int c0 = 64;
    EXPECT_EQ((CurveStep{PenStep::Move, {c0, 590}}), steps[0]);
    // Each outside sample: a line to one pixel before its column, a move to one after.
    EXPECT_EQ((CurveStep{PenStep::Line, {c0 + 2 - 1, 590}}), steps[1]);
    EXPECT_EQ((CurveStep{PenStep::Move, {c0 + 2 + 1, 590}}), steps[2]);
    EXPECT_EQ((CurveStep{PenStep::Line, {c0 + 46 - 1, 590}}), steps[45]);
    EXPECT_EQ((CurveStep{PenStep::Move, {c0 + 46 + 1, 590}}), steps[46]);
    // Sample 24: value -2, row 590.8 is on the bottom edge, so it is drawn to.
    EXPECT_EQ((CurveStep{PenStep::Line, {c0 + 48, 590}}), steps[47]);
    // Sample 75: value 100, the highest dot's row; sample 76 leaves through the top.
    EXPECT_EQ((CurveStep{PenStep::Line, {c0 + 150, 40}}), steps[98]);
    EXPECT_EQ((CurveStep{PenStep::Line, {c0 + 152 - 1, 30}}), steps[99]);
    EXPECT_EQ((CurveStep{PenStep::Move, {c0 + 152 + 1, 30}}), steps[100]);
    EXPECT_EQ((CurveStep{PenStep::Move, {c0 + 500 + 1, 30}}), steps.back());
    for (const CurveStep& step : steps) {
        EXPECT_GE(step.to.y, 30);
        EXPECT_LE(step.to.y, 590);
    }
}

TEST(GraphCurve, FirstSampleOutsideOnlyMovesToTheEdge) {
    DataSet data = MakeData({0.0, 500.0}, {0.0, 100.0});
    FrameRect frame = PlanFrame(628, 600, 1.0);
    PlotScale scale = MakePlotScale(frame, 1.0, data);
    EXPECT_EQ((CurveStep{PenStep::Move, {64, 30}}), PlanCurve(scale, MakeCoefficients({1000.0}), 1).front());
    EXPECT_EQ((CurveStep{PenStep::Move, {64, 590}}), PlanCurve(scale, MakeCoefficients({-1000.0}), 1).front());
}

std::vector<CurveStep> EveryStepOnEdge(int sampleCount, int edge) {
    std::vector<CurveStep> steps{{PenStep::Move, {64, edge}}};
    for (int i = 1; i < sampleCount; ++i) {
        steps.push_back({PenStep::Line, {64 + 2 * i - 1, edge}});
        steps.push_back({PenStep::Move, {64 + 2 * i + 1, edge}});
    }
    return steps;
}

// Guards against converting rows beyond the int range (undefined behaviour) and against a
// huge value below Ymin wrapping round to the top edge.
TEST(GraphCurve, ValuesFarBeyondTheRangeStayOnTheirSide) {
    DataSet data = MakeData({0.0, 500.0}, {0.0, 100.0});
    PlotScale scale = MakePlotScale(PlanFrame(628, 600, 1.0), 1.0, data);
    EXPECT_EQ(EveryStepOnEdge(251, 30), PlanCurve(scale, MakeCoefficients({1e300}), 1));
    EXPECT_EQ(EveryStepOnEdge(251, 590), PlanCurve(scale, MakeCoefficients({-1e300}), 1));
    EXPECT_EQ(EveryStepOnEdge(251, 30), PlanCurve(scale, MakeCoefficients({4e8}), 1));  // row about -2.2e9
    EXPECT_EQ(EveryStepOnEdge(251, 590), PlanCurve(scale, MakeCoefficients({-4e8}), 1));
}

TEST(GraphCurve, InfiniteValuesCountAsOutsideOnTheirSide) {
    DataSet data = MakeData({0.0, 1000.0}, {0.0, 1.0});
    PlotScale scale = MakePlotScale(PlanFrame(628, 600, 1.0), 1.0, data);
    // Samples are 4 apart in X: pow(x, 2) * 1e308 overflows for every sample but the first.
    std::vector<CurveStep> up = PlanCurve(scale, MakeCoefficients({0.0, 0.0, 1e308}), 3);
    std::vector<CurveStep> down = PlanCurve(scale, MakeCoefficients({0.0, 0.0, -1e308}), 3);
    ASSERT_EQ(1u + 250 * 2, up.size());
    ASSERT_EQ(1u + 250 * 2, down.size());
    EXPECT_EQ((CurveStep{PenStep::Move, {64, 580}}), up[0]);
    EXPECT_EQ((CurveStep{PenStep::Line, {65, 30}}), up[1]);
    EXPECT_EQ((CurveStep{PenStep::Line, {65, 590}}), down[1]);
    EXPECT_EQ((CurveStep{PenStep::Move, {565, 30}}), up.back());
    EXPECT_EQ((CurveStep{PenStep::Move, {565, 590}}), down.back());
}

// A sum of +inf and -inf has no side; it is pinned to the top edge (and never converted).
TEST(GraphCurve, NotANumberCountsAsAboveTheFrame) {
    DataSet data = MakeData({0.0, 1000.0}, {0.0, 1.0});
    PlotScale scale = MakePlotScale(PlanFrame(628, 600, 1.0), 1.0, data);
    Coefficients c = MakeCoefficients({0.0, 0.0, 1e308, -1e308});
    EXPECT_TRUE(std::isnan(EvaluatePolynomial(c, 4, 1000.0)));
    std::vector<CurveStep> steps = PlanCurve(scale, c, 4);
    ASSERT_EQ(1u + 250 * 2, steps.size());
    EXPECT_EQ((CurveStep{PenStep::Line, {563, 30}}), steps[steps.size() - 2]);
    EXPECT_EQ((CurveStep{PenStep::Move, {565, 30}}), steps.back());
    EXPECT_EQ(INT_MIN, CurveRowPixel(scale, std::numeric_limits<double>::quiet_NaN()));
}

TEST(GraphCurve, SaturatingTruncationKeepsTheSide) {
    EXPECT_EQ(2147483647, SaturatingTrunc(2147483647.9L));
    EXPECT_EQ(INT_MAX, SaturatingTrunc(2147483648.0L));
    EXPECT_EQ(INT_MAX, SaturatingTrunc(std::numeric_limits<long double>::infinity()));
    EXPECT_EQ(-2147483647 - 1, SaturatingTrunc(-2147483648.9L));
    EXPECT_EQ(INT_MIN, SaturatingTrunc(-1e30L));
    EXPECT_EQ(INT_MIN, SaturatingTrunc(-std::numeric_limits<long double>::infinity()));
    EXPECT_EQ(INT_MIN, SaturatingTrunc(std::numeric_limits<long double>::quiet_NaN()));
    EXPECT_EQ(-3, SaturatingTrunc(-3.99L));  // toward zero
    EXPECT_EQ(3, SaturatingTrunc(3.99L));
}

TEST(GraphCurve, PolynomialAddsPowersInAscendingOrder) {
    Coefficients c = MakeCoefficients({1.0, -2.0, 0.5});
    EXPECT_EQ(1.0 - 2.0 * 3.0 + 0.5 * 9.0, EvaluatePolynomial(c, 3, 3.0));
    EXPECT_EQ(1.0 - 2.0 * 3.0, EvaluatePolynomial(c, 2, 3.0));  // terms beyond termCount unused
    EXPECT_EQ(1.0, EvaluatePolynomial(c, 0, 3.0));
}

// Guards the coefficient array against a term count beyond its 46 entries.
TEST(GraphCurve, TermCountIsLimitedToTheCoefficientArray) {
    Coefficients c{};
    c.fill(1.0);
    EXPECT_EQ(46.0, EvaluatePolynomial(c, 46, 1.0));
    EXPECT_EQ(46.0, EvaluatePolynomial(c, 1000, 1.0));
}

// The curve is the optimum's, also where its coefficients in powers of X cancel (years on X:
// their rounding alone moves the value by some 10^8), and where they do not it is drawn by the
// window's arithmetic unchanged. Rows against those of the exact rational optimum.
TEST(GraphCurve, RowsAreTheOptimumsWhereTheCoefficientsCancel) {
    struct Case {
        const char* what;
        double first;
        int degree;
    };
    const Case cases[] = {{"years, degree 10", 1990, 10}, {"years, degree 6", 1990, 6}, {"near 0, degree 6", -20, 6}};
    for (const Case& c : cases) {
        std::vector<double> x, y;
        for (int k = 0; k <= 40; ++k) {
            x.push_back(c.first + k);
            y.push_back(std::round(100 * (100 + 0.3 * (k - 20) * (k - 20) + 5 * std::sin(c.first + k))) / 100);
        }
        const PointsView points{x.data(), y.data(), static_cast<long long>(x.size())};
        FitSettings settings;
        settings.fitMode = FitMode::LeastSquares;
        settings.degree = c.degree;
        FitResult fit;
        ASSERT_FALSE(CompleteAnalysis(points, settings, UiLanguage::English, fit, nullptr, {}, FitRule::ExactOptimum)) << c.what;
        const PlotScale scale = MakePlotScale(PlanFrame(628, 600, 1.0), 1.0, points);
        const std::vector<CurveStep> drawn = PlanCurve(scale, fit.coefficients, c.degree + 1, &fit.curve);
        const reference::ExactStatistics exact = reference::FitExactly(x, y, c.degree, 0);
        int moved = 0;
        for (int i = 0; i < kCurveSamples; ++i) {
            const double xi = scale.xFirst + 2.0 * scale.step * i;
            const std::vector<reference::Rational> powers = exact.basis(reference::Exact(xi), 0);
            reference::Rational value = 0;
            for (size_t j = 0; j < powers.size(); ++j) value += powers[j] * exact.coefficients[j];
            const int row = CurveRowPixel(scale, value.convert_to<double>());
            EXPECT_LE(std::abs(drawn[i].to.y - row), 1) << c.what << " sample " << i;
            if (drawn[i].to.y != CurveRowPixel(scale, EvaluatePolynomial(fit.coefficients, c.degree + 1, xi))) ++moved;
        }
        if (c.first > 0) EXPECT_GT(moved, c.degree == 10 ? 100 : 0) << c.what;  // the window's arithmetic is off
        else EXPECT_EQ(moved, 0) << c.what;  // and where it is true to the pixel, kept
    }
}

TEST(GraphDots, TwoPairsLieTenFInsideTheFrame) {
    DataSet data = MakeData({0.0, 500.0}, {-3.0, 7.0});
    Coefficients line = MakeCoefficients({-3.0, 0.02});
    for (int sizeIndex : {0, 2}) {
        SCOPED_TRACE(sizeIndex);
        GraphSettings settings = SettingsFor(sizeIndex, ScaleMode::ScaleNone, 3);  // radius 5
        GraphPlan plan = PlanGraph(628, 600, data, line, 2, settings);
        const int margin = sizeIndex == 0 ? 10 : 5;
        ASSERT_EQ(2u, plan.dots.size());
        const DotBox& low = plan.dots[0];
        const DotBox& high = plan.dots[1];
        EXPECT_EQ(plan.frame.left + margin, low.left + 5);
        EXPECT_EQ(plan.frame.Right() - margin, high.left + 5);
        EXPECT_EQ(plan.frame.Bottom() - margin, low.top + 5);  // the lower Y at the bottom
        EXPECT_EQ(plan.frame.top + margin, high.top + 5);
        EXPECT_EQ(10, low.right - low.left);
        EXPECT_EQ(10, low.bottom - low.top);
        // The curve runs between the dots' centres.
        EXPECT_EQ((PixelPoint{low.left + 5, low.top + 5}), plan.curve.front().to);
        EXPECT_EQ((PixelPoint{high.left + 5, high.top + 5}), plan.curve.back().to);
    }
}

TEST(GraphDots, SeventyPercentCentresTruncateTheExtendedMargins) {
    DataSet data = MakeData({0.0, 500.0}, {-3.0, 7.0});
    GraphPlan plan = PlanGraph(628, 600, data, MakeCoefficients({-3.0, 0.02}), 2, SettingsFor(1));
    ASSERT_EQ(2u, plan.dots.size());
    // 10 f and 500 f are just short of 7 and 350.
    EXPECT_EQ(54 + 6, plan.dots[0].left + 2);
    EXPECT_EQ(54 + 356, plan.dots[1].left + 2);
    EXPECT_EQ(30 + 391 - 7, plan.dots[0].top + 2);
    EXPECT_EQ(30 + 6, plan.dots[1].top + 2);
}

TEST(GraphDots, LargestDotsAtHalfSizeStayInsideTheCapturedRegion) {
    DataSet data = MakeData({-2.0, 1.0, 4.0}, {1.0, 9.0, -4.0});
    GraphSettings settings = SettingsFor(2, ScaleMode::ScaleNone, 4);  // "13": radius 6
    GraphPlan plan = PlanGraph(628, 600, data, MakeCoefficients({0.0}), 1, settings);
    CaptureRegion region = CaptureRegionOf(plan.frame);
    ASSERT_EQ(3u, plan.dots.size());
    EXPECT_EQ(12, plan.dots[0].right - plan.dots[0].left);
    EXPECT_EQ(12, plan.dots[0].bottom - plan.dots[0].top);
    EXPECT_EQ(plan.frame.left - 1, plan.dots[0].left);  // one pixel left of the frame line
    EXPECT_EQ(plan.frame.top - 1, plan.dots[1].top);    // one pixel above it
    for (const DotBox& dot : plan.dots) {
        EXPECT_GE(dot.left, region.left);
        EXPECT_GE(dot.top, region.top);
        EXPECT_LE(dot.right, region.left + region.width);
        EXPECT_LE(dot.bottom, region.top + region.height);
    }
}

TEST(GraphDots, NegativeFrameLeftIsKeptAndTruncatedTowardZero) {
    DataSet data = MakeData({0.0, 500.0}, {0.0, 1.0});
    GraphPlan plan = PlanGraph(300, 600, data, MakeCoefficients({0.0, 0.002}), 2, SettingsFor(0));
    EXPECT_EQ(-110, plan.frame.left);
    EXPECT_EQ(-110 + 10 - 2, plan.dots[0].left);
    EXPECT_EQ(-100, plan.curve.front().to.x);
}

// Guards against converting a centre that is not a number (no X spread) to a pixel.
TEST(GraphDots, CentreThatIsNotFiniteGetsNoBox) {
    DataSet data = MakeData({2.0, 2.0}, {0.0, 1.0});  // never left by the fit: equal X
    PlotScale scale = MakePlotScale(PlanFrame(628, 600, 1.0), 1.0, data);
    EXPECT_TRUE(PlanDots(scale, 2, data).empty());
}

TEST(GraphPlanWhole, CarriesFrameMarksPenAndOneDotPerPair) {
    DataSet data = MakeData({1.0, 2.0, 3.0, 4.0}, {1.0, 4.0, 9.0, 16.0});
    GraphSettings settings = SettingsFor(0, ScaleMode::ScaleGrid, 2);
    ChooseGraphSetting(settings, GraphGroup::Line, 2);  // 3-pixel line
    GraphPlan plan = PlanGraph(628, 600, data, MakeCoefficients({0.0, 0.0, 1.0}), 3, settings);
    EXPECT_EQ(54, plan.frame.left);
    EXPECT_EQ(560, plan.frame.height);
    EXPECT_EQ((PixelPoint{54, 30}), plan.frameOutline[0]);
    EXPECT_EQ(22u, plan.scaleMarks.size());
    EXPECT_EQ(3, plan.curvePenWidth);
    EXPECT_EQ(251u, plan.curve.size());
    EXPECT_EQ(4u, plan.dots.size());
}

}  // namespace
}  // namespace plorimet
