// The PNG and SVG files of the graph, read back as another program would.
#include "graph/graph_export.h"

#include <gtest/gtest.h>

#include <string>

#include "png_reader.h"

#include "fit_test_support.h"

namespace plorimet {
namespace {

int Count(const std::string& text, const std::string& what) {
    int n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

TEST(PngFileBytes, DecodesToThePaletteColours) {
    IndexedImage image(5, 3, kWhiteIndex);
    for (int i = 0; i < 15; ++i) image.Set(i % 5, i / 5, static_cast<std::uint8_t>(i));
    const Bytes png = PngFileBytes(image);
    ASSERT_GT(png.size(), 8u);
    EXPECT_EQ(std::string(png.begin() + 1, png.begin() + 4), "PNG");
    int w = 0, h = 0, channels = 0;
    unsigned char* rgb = stbi_load_from_memory(png.data(), static_cast<int>(png.size()), &w, &h, &channels, 3);
    ASSERT_NE(rgb, nullptr);
    ASSERT_EQ(w, 5);
    ASSERT_EQ(h, 3);
    for (int i = 0; i < 15; ++i) {
        const Rgb& c = kGraphPalette[i];
        EXPECT_EQ(rgb[3 * i], c.red) << i;
        EXPECT_EQ(rgb[3 * i + 1], c.green) << i;
        EXPECT_EQ(rgb[3 * i + 2], c.blue) << i;
    }
    stbi_image_free(rgb);
}

TEST(PngFileBytes, NothingForAnEmptyImage) { EXPECT_TRUE(PngFileBytes(IndexedImage()).empty()); }

GraphPlan FourPairPlan(ScaleMode scale) {
    const DataSet data = Points({{1, 2}, {2, 5}, {3, 4}, {4, 8}});
    Coefficients c{};
    c[0] = -14;  // the cubic through the four pairs
    c[1] = 25.5;
    c[2] = -11;
    c[3] = 1.5;
    GraphSettings settings;
    settings.scaleMode = scale;
    InitGraphSettingsDialog(settings);
    return PlanGraph(630, 344, data, c, 4, settings);
}

TEST(SvgText, DrawsThePlanOverTheCapturedRegion) {
    const GraphPlan plan = FourPairPlan(ScaleMode::ScaleGrid);
    const std::string svg = SvgText(plan, "Y = 1*X^0 & <more>", false);
    EXPECT_EQ(svg.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"?>", 0), 0u);
    EXPECT_NE(svg.find("viewBox=\"0 0 523 307\""), std::string::npos);
    EXPECT_NE(svg.find("<title>Y = 1*X^0 &amp; &lt;more&gt;</title>"), std::string::npos);
    // The frame through the centres of the pixels next to the region's edge.
    EXPECT_NE(svg.find("<polygon points=\"1.5,1.5 1.5,305.5 521.5,305.5 521.5,1.5\"/>"), std::string::npos);
    EXPECT_EQ(Count(svg, "<line "), static_cast<int>(plan.scaleMarks.size()));
    EXPECT_EQ(Count(svg, "<circle "), 4);
    EXPECT_EQ(Count(svg, "<polyline "), 1);  // the cubic stays inside the frame
    EXPECT_NE(svg.find("stroke-width=\"1\" stroke-linecap=\"round\""), std::string::npos);
}

TEST(SvgText, SplitsTheCurveWhereItLeavesTheFrame) {
    GraphPlan plan = FourPairPlan(ScaleMode::ScaleNone);
    plan.curve = {{PenStep::Move, {100, 100}}, {PenStep::Line, {102, 90}}, {PenStep::Line, {103, 30}},
                  {PenStep::Move, {105, 30}},  {PenStep::Line, {110, 80}}, {PenStep::Move, {115, 30}}};
    const std::string svg = SvgText(plan, "t", false);
    EXPECT_EQ(Count(svg, "<polyline "), 2);  // a move with no line after it draws nothing
    EXPECT_NE(svg.find("<polyline points=\"46.5,71.5 48.5,61.5 49.5,1.5\"/>"), std::string::npos);
}

TEST(SvgText, DeclaresShiftJisForAJapaneseTitle) {
    const std::string svg = SvgText(FourPairPlan(ScaleMode::ScaleNone), "\x8d\xc5", true);
    EXPECT_EQ(svg.rfind("<?xml version=\"1.0\" encoding=\"Shift_JIS\"?>", 0), 0u);
    EXPECT_NE(svg.find("<title>\x8d\xc5</title>"), std::string::npos);
}

}  // namespace
}  // namespace plorimet
