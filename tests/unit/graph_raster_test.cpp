// The rasterizer's pixel rules. The pictures below are what GDI draws under Wine for the same
// calls (tests/gdi_match checks every line, ellipse and graph against GDI itself); here they
// stand as fixed examples of each rule: '#' black, 'o' red, '.' white.
#include "graph/graph_raster.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "fit_test_support.h"

namespace plorimet {
namespace {

std::string Picture(const RasterCanvas& canvas) {
    std::string out;
    for (int y = 0; y < canvas.height(); ++y) {
        for (int x = 0; x < canvas.width(); ++x) {
            const int v = canvas.At(x, y);
            out += v == kWhiteIndex ? '.' : (v == kBlackIndex ? '#' : (v == kRedIndex ? 'o' : '?'));
        }
        out += '\n';
    }
    return out;
}

struct Drawing {
    const char* name;
    int width;
    int height;
    std::function<void(RasterCanvas&)> draw;
    const char* expected;
};

class RasterPictures : public ::testing::TestWithParam<Drawing> {};

TEST_P(RasterPictures, MatchTheWindowsPixels) {
    const Drawing& d = GetParam();
    RasterCanvas canvas(d.width, d.height, kWhiteIndex);
    d.draw(canvas);
    EXPECT_EQ(Picture(canvas), d.expected) << d.name;
}

const Drawing kDrawings[] = {
    // A 1-pixel line covers its start and stops before its end, either way round; the walk
    // back takes the bias and steps at other columns than the walk out.
    {"thin right-down", 8, 5, [](RasterCanvas& c) { DrawThinLine(c, {1, 1}, {7, 3}, kBlackIndex); },
     "........\n"
     ".##.....\n"
     "...###..\n"
     "......#.\n"
     "........\n"},
    {"thin left-up", 8, 5, [](RasterCanvas& c) { DrawThinLine(c, {7, 3}, {1, 1}, kBlackIndex); },
     "........\n"
     "..#.....\n"
     "...###..\n"
     "......##\n"
     "........\n"},
    {"thin level and upright, end left out", 6, 5,
     [](RasterCanvas& c) {
         DrawThinLine(c, {1, 1}, {5, 1}, kBlackIndex);
         DrawThinLine(c, {4, 4}, {4, 2}, kBlackIndex);
     },
     "......\n"
     ".####.\n"
     "......\n"
     "....#.\n"
     "....#.\n"},
    {"thin diagonals", 6, 6,
     [](RasterCanvas& c) {
         DrawThinLine(c, {1, 1}, {5, 5}, kBlackIndex);
         DrawThinLine(c, {5, 0}, {1, 4}, kBlackIndex);
     },
     ".....#\n"
     ".#..#.\n"
     "..##..\n"
     "..##..\n"
     "....#.\n"
     "......\n"},
    // Pen 3 and 5: round ends at both points, the end point included.
    {"pen 3 level", 12, 9, [](RasterCanvas& c) { DrawWideLine(c, {3, 4}, {8, 4}, 3, kBlackIndex); },
     "............\n"
     "............\n"
     "............\n"
     "...######...\n"
     "..########..\n"
     "...######...\n"
     "............\n"
     "............\n"
     "............\n"},
    {"pen 5 level", 12, 9, [](RasterCanvas& c) { DrawWideLine(c, {3, 4}, {8, 4}, 5, kBlackIndex); },
     "............\n"
     "............\n"
     "..########..\n"
     ".##########.\n"
     ".##########.\n"
     ".##########.\n"
     "..########..\n"
     "............\n"
     "............\n"},
    {"pen 3 slanted", 12, 11, [](RasterCanvas& c) { DrawWideLine(c, {3, 3}, {8, 6}, 3, kBlackIndex); },
     "............\n"
     "............\n"
     "...###......\n"
     "..######....\n"
     "..#######...\n"
     "....#####...\n"
     "......####..\n"
     "........#...\n"
     "............\n"
     "............\n"
     "............\n"},
    {"pen 5 slanted", 12, 11, [](RasterCanvas& c) { DrawWideLine(c, {3, 3}, {8, 6}, 5, kBlackIndex); },
     "............\n"
     "..#####.....\n"
     ".########...\n"
     ".#########..\n"
     ".#########..\n"
     "..#########.\n"
     "....#######.\n"
     "......#####.\n"
     ".......###..\n"
     "............\n"
     "............\n"},
    {"pen 3 of no length is a round end", 5, 5, [](RasterCanvas& c) { DrawWideLine(c, {2, 2}, {2, 2}, 3, kBlackIndex); },
     ".....\n"
     "..#..\n"
     ".###.\n"
     "..#..\n"
     ".....\n"},
    // Dots: the box's last column and row stay outside, the outline is 1 pixel, red inside.
    {"dot 5", 6, 6, [](RasterCanvas& c) { DrawEllipse(c, {1, 1, 5, 5}, kBlackIndex, kRedIndex); },
     "......\n"
     "..##..\n"
     ".#oo#.\n"
     ".#oo#.\n"
     "..##..\n"
     "......\n"},
    {"dot 9", 10, 10, [](RasterCanvas& c) { DrawEllipse(c, {1, 1, 9, 9}, kBlackIndex, kRedIndex); },
     "..........\n"
     "...####...\n"
     "..#oooo#..\n"
     ".#oooooo#.\n"
     ".#oooooo#.\n"
     ".#oooooo#.\n"
     ".#oooooo#.\n"
     "..#oooo#..\n"
     "...####...\n"
     "..........\n"},
    {"dot 13", 14, 14, [](RasterCanvas& c) { DrawEllipse(c, {1, 1, 13, 13}, kBlackIndex, kRedIndex); },
     "..............\n"
     ".....####.....\n"
     "...##oooo##...\n"
     "..#oooooooo#..\n"
     "..#oooooooo#..\n"
     ".#oooooooooo#.\n"
     ".#oooooooooo#.\n"
     ".#oooooooooo#.\n"
     ".#oooooooooo#.\n"
     "..#oooooooo#..\n"
     "..#oooooooo#..\n"
     "...##oooo##...\n"
     ".....####.....\n"
     "..............\n"},
    // Polygons: left and top edges in, right and bottom edges out.
    {"polygon square", 5, 5, [](RasterCanvas& c) { FillPolygon(c, {{1, 1}, {4, 1}, {4, 4}, {1, 4}}, kBlackIndex); },
     ".....\n"
     ".###.\n"
     ".###.\n"
     ".###.\n"
     ".....\n"},
};

INSTANTIATE_TEST_SUITE_P(Rules, RasterPictures, ::testing::ValuesIn(kDrawings));

// Drawing that runs over the canvas edge keeps exactly the pixels a larger canvas has there.
struct EdgeCase {
    const char* name;
    std::function<void(RasterCanvas&, int)> draw;  // the int shifts everything right and down
};

class EdgeClipping : public ::testing::TestWithParam<EdgeCase> {};

TEST_P(EdgeClipping, KeepsThePixelsInside) {
    constexpr int kShift = 20;
    RasterCanvas small(16, 12, kWhiteIndex);
    RasterCanvas large(16 + 2 * kShift, 12 + 2 * kShift, kWhiteIndex);
    GetParam().draw(small, 0);
    GetParam().draw(large, kShift);
    for (int y = 0; y < small.height(); ++y)
        for (int x = 0; x < small.width(); ++x)
            ASSERT_EQ(small.At(x, y), large.At(x + kShift, y + kShift)) << GetParam().name << " at " << x << "," << y;
}

const EdgeCase kEdgeCases[] = {
    {"thin line across", [](RasterCanvas& c, int s) { DrawThinLine(c, {-7 + s, 3 + s}, {30 + s, 9 + s}, kBlackIndex); }},
    {"thin steep line out at the top", [](RasterCanvas& c, int s) { DrawThinLine(c, {5 + s, 8 + s}, {9 + s, -9 + s}, kBlackIndex); }},
    {"level line out at both ends", [](RasterCanvas& c, int s) { DrawThinLine(c, {-5 + s, 0 + s}, {40 + s, 0 + s}, kBlackIndex); }},
    {"pen 5 out at the left", [](RasterCanvas& c, int s) { DrawWideLine(c, {-3 + s, 1 + s}, {6 + s, 11 + s}, 5, kBlackIndex); }},
    {"pen 3 out at the bottom", [](RasterCanvas& c, int s) { DrawWideLine(c, {12 + s, 5 + s}, {14 + s, 13 + s}, 3, kBlackIndex); }},
    {"dot over the corner", [](RasterCanvas& c, int s) { DrawEllipse(c, {-5 + s, -4 + s, 7 + s, 8 + s}, kBlackIndex, kRedIndex); }},
    {"dot over the right edge", [](RasterCanvas& c, int s) { DrawEllipse(c, {11 + s, 2 + s, 19 + s, 10 + s}, kBlackIndex, kRedIndex); }},
};

INSTANTIATE_TEST_SUITE_P(Edges, EdgeClipping, ::testing::ValuesIn(kEdgeCases));

TEST(CaptureRegionImage, CutsTheFrameWithOnePixelAround) {
    DataSet data = Points({{1, 2}, {2, 5}, {3, 4}, {4, 8}});
    Coefficients c{};
    c[0] = 2;
    c[1] = 1;  // any curve: only the frame is looked at
    GraphSettings settings;
    settings.lineWidth = 1;
    settings.dotRadius = 2;
    settings.sizeFactor = 0.5;
    settings.sizeIndex = 2;
    const GraphPlan plan = PlanGraph(630, 344, data, c, 2, settings);
    const IndexedImage image = CaptureRegionImage(RenderGraphSurface(plan, 630, 344), plan.frame);
    ASSERT_EQ(image.width, 263);
    ASSERT_EQ(image.height, 155);
    for (int y = 1; y <= image.height - 2; ++y) {
        EXPECT_EQ(image.At(1, y), kBlackIndex);
        EXPECT_EQ(image.At(image.width - 2, y), kBlackIndex);
        EXPECT_EQ(image.At(0, y), kWhiteIndex);
    }
    for (int x = 1; x <= image.width - 2; ++x) {
        EXPECT_EQ(image.At(x, 1), kBlackIndex);
        EXPECT_EQ(image.At(x, image.height - 2), kBlackIndex);
    }
}

TEST(CaptureRegionImage, LeavesPixelsBeyondTheSurfaceBlack) {
    RasterCanvas surface(10, 33, kWhiteIndex);
    const FrameRect frame{-5, 30, 20, 5};  // a client narrower and lower than the frame
    const IndexedImage image = CaptureRegionImage(surface, frame);
    ASSERT_EQ(image.width, 23);
    ASSERT_EQ(image.height, 8);
    EXPECT_EQ(image.At(0, 0), 0);            // x = -6
    EXPECT_EQ(image.At(6, 3), kWhiteIndex);  // x = 0, y = 32
    EXPECT_EQ(image.At(6, 4), 0);            // y = 33
    EXPECT_EQ(image.At(16, 0), 0);           // x = 10
}

}  // namespace
}  // namespace plorimet
