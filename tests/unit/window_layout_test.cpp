#include "base/window_layout.h"

#include <gtest/gtest.h>

namespace plorimet {
namespace {

TEST(GridLayout, RowsFollowTheFontMetrics) {
    const GridLayout layout = MakeGridLayout(16, 0);
    EXPECT_EQ(layout.rowHeight, 18);
    EXPECT_EQ(layout.rowPitch, 18);
    EXPECT_EQ(layout.headingY, 38);
    EXPECT_EQ(MakeGridLayout(13, 3).rowHeight, 18);
}

TEST(GridLayout, CellHomePositions) {
    const GridLayout layout = MakeGridLayout(16, 0);  // row height 18, heading row at 38
    struct Case {
        int commandId;
        int x;
        int y;
    };
    const Case cases[] = {
        {101, 5, 56},   {115, 5, 308},   {116, 215, 56}, {130, 215, 308}, {131, 425, 56}, {145, 425, 308},
        {146, 105, 56}, {160, 105, 308}, {161, 315, 56}, {176, 525, 56},  {190, 525, 308},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(IsCellCommand(c.commandId));
        const int index = CellIndexForCommand(c.commandId);
        EXPECT_EQ(CellCommandForIndex(index), c.commandId);
        const Point home = CellPosition(layout, index, 0);
        EXPECT_EQ(home.x, c.x) << "cell " << c.commandId;
        EXPECT_EQ(home.y, c.y) << "cell " << c.commandId;
        const Point away = CellPosition(layout, index, kMainWindowWidth);
        EXPECT_EQ(away.x, c.x + 636) << "cell " << c.commandId;
        EXPECT_EQ(away.y, c.y) << "cell " << c.commandId;
    }
    EXPECT_FALSE(IsCellCommand(100));
    EXPECT_FALSE(IsCellCommand(191));
}

TEST(GridLayout, HeadingsAndEquationRect) {
    const GridLayout layout = MakeGridLayout(16, 0);
    const int xs[] = {50, 150, 260, 360, 470, 570};
    for (int i = 0; i < kColumnCount; ++i) {
        EXPECT_EQ(HeadingPosition(layout, i).x, xs[i]);
        EXPECT_EQ(HeadingPosition(layout, i).y, 38);
        EXPECT_STREQ(HeadingText(i), i % 2 == 0 ? "X" : "Y");
    }
    const Rect r = EquationRect(layout);
    EXPECT_EQ(r.left, 5);
    EXPECT_EQ(r.right, 625);
    EXPECT_EQ(r.top, 38);
    EXPECT_EQ(r.bottom, 38 + 15 * 18 + 18);
}

TEST(MainWindowGeometry, HeightAndCentring) {
    const GridLayout layout = MakeGridLayout(16, 0);
    // caption 18, frames 3: 18 + 6 + 20 + 18 * 18
    EXPECT_EQ(MainWindowHeight(18, 3, layout), 368);
    const Point p = CentredOrigin(1024, 768, kMainWindowWidth, kInitialMainWindowHeight);
    EXPECT_EQ(p.x, 194);
    EXPECT_EQ(p.y, 146);
    const Point odd = CentredOrigin(1025, 769, kMainWindowWidth, 367);
    EXPECT_EQ(odd.x, 194);
    EXPECT_EQ(odd.y, 201);
    // A screen narrower than the window: negative, halved toward zero.
    const Point narrow = CentredOrigin(600, 400, kMainWindowWidth, 475);
    EXPECT_EQ(narrow.x, -18);
    EXPECT_EQ(narrow.y, -37);
}

TEST(MainWindowGeometry, StartPictureIsCentred) {
    const Point p = StartPictureOrigin(630, 344);
    EXPECT_EQ(p.x, 189);
    EXPECT_EQ(p.y, 62);
    const Point odd = StartPictureOrigin(631, 345);
    EXPECT_EQ(odd.x, 189);
    EXPECT_EQ(odd.y, 62);
    const Point tiny = StartPictureOrigin(101, 3);
    EXPECT_EQ(tiny.x, -76);
    EXPECT_EQ(tiny.y, -109);
}

}  // namespace
}  // namespace plorimet

namespace plorimet {
namespace {

TEST(MainClientSize, IsTheWindowLessCaptionAndFrames) {
    const GridLayout layout = MakeGridLayout(16, 0);
    const ClientSize client = MainClientSize(3, layout);
    EXPECT_EQ(client.width, 630);
    EXPECT_EQ(client.height, 344);  // Save Graph at 100 % under Wine: 523 x 307, frame 304 high
    EXPECT_EQ(MainWindowHeight(18, 3, layout), 18 + 2 * 3 + client.height);
}

TEST(MainClientSize, OnAStandardDesktop) {
    const ClientSize client = StandardMainClientSize();
    EXPECT_EQ(client.width, 630);
    EXPECT_EQ(client.height, 344);
}

}  // namespace
}  // namespace plorimet
