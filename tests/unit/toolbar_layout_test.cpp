#include "base/toolbar_layout.h"

#include <gtest/gtest.h>

#include <string>

#include "resource_ids.h"

namespace plorimet {
namespace {

TEST(ToolbarLayout, ButtonsTileTheBarLeftToRight) {
    const auto& buttons = ToolbarButtons();
    const int screenWidth = 1024;
    int x = 0;
    for (int i = 0; i < kToolbarButtonCount; ++i) {
        EXPECT_EQ(buttons[i].controlId, IDB_GAP_BUTTON + i) << "button " << i;
        EXPECT_EQ(buttons[i].x, x) << "button " << i;
        x += ButtonWidth(buttons[i], screenWidth);
    }
    EXPECT_EQ(x, screenWidth);  // Space reaches the screen's edge
    EXPECT_EQ(ButtonWidth(buttons[0], screenWidth), 16);
    EXPECT_EQ(ButtonWidth(buttons[12], 1920), 1920 - 368);
    EXPECT_EQ(ToolbarHeight(1), 21);
}

TEST(ToolbarLayout, CommandsAreControlIdsMinusTwelve) {
    for (int id = IDB_FIRST_COMMAND_BUTTON; id <= IDB_LAST_COMMAND_BUTTON; ++id) {
        EXPECT_EQ(CommandForButtonControl(id), id - 12);
    }
    EXPECT_EQ(CommandForButtonControl(IDB_GAP_BUTTON), 0);
    EXPECT_EQ(CommandForButtonControl(IDB_SPACE_BUTTON), 0);
    EXPECT_EQ(CommandForButtonControl(0), 0);
    EXPECT_EQ(CommandForButtonControl(IDM_ANALYSIS), 0);
    for (const ToolbarButton& b : ToolbarButtons()) {
        EXPECT_EQ(b.command, CommandForButtonControl(b.controlId)) << b.stem;
    }
}

TEST(ToolbarLayout, BitmapNamesFitTheirTwelveByteFields) {
    const char* const sets[] = {"", "9", "8", "X"};
    for (const ToolbarButton& b : ToolbarButtons()) {
        for (const char* set : sets) {
            for (Face face : {Face::Up, Face::Dn, Face::In}) {
                EXPECT_LE(BitmapName(b.stem, set, face).size(), static_cast<size_t>(kBitmapNameLimit))
                    << b.stem << set;
            }
        }
    }
    EXPECT_EQ(BitmapName("Read", "", Face::Up), "ReadUp");
    EXPECT_EQ(BitmapName("Read", "9", Face::Dn), "Read9Dn");
    EXPECT_EQ(BitmapName("Read", "X", Face::In), "ReadXIn");
    EXPECT_EQ(BitmapName("SaveGr", "9", Face::In), "SaveGr9In");
    EXPECT_EQ(BitmapName("Space", "", Face::In), "SpaceIn");
}

TEST(ToolbarLayout, FaceFollowsState) {
    EXPECT_EQ(FaceFor(true, true), Face::In);
    EXPECT_EQ(FaceFor(true, false), Face::In);
    EXPECT_EQ(FaceFor(false, true), Face::Dn);
    EXPECT_EQ(FaceFor(false, false), Face::Up);
}

// One row per view: which of the thirteen buttons (Gap .. Space) can be clicked.
TEST(ToolbarLayout, EnablingTable) {
    struct Row {
        ViewState view;
        const char* enabled;  // one character per button, '1' = enabled
    };
    const Row rows[] = {
        //                          G D R P A S G C S A H E S
        {ViewState::Initial,     "0100000001110"},
        {ViewState::DataInput,   "0111100001110"},
        {ViewState::Equation,    "0100011001110"},
        {ViewState::Graph,       "0100000111110"},
        {static_cast<ViewState>(7), "0100000111110"},  // painted as the graph
    };
    const auto& buttons = ToolbarButtons();
    for (const Row& row : rows) {
        std::string seen;
        for (const ToolbarButton& b : buttons) seen += IsButtonEnabled(b, row.view) ? '1' : '0';
        EXPECT_EQ(seen, row.enabled) << "view " << static_cast<int>(row.view);
    }
}

}  // namespace
}  // namespace plorimet

namespace plorimet {
namespace {

TEST(ToolbarLayout, FaceBitmapsCoverButtonsWiderThanThemselves) {
    auto spans = [](int button, int bitmap) {
        std::string out;
        for (const FaceTile& t : FaceTiles(button, bitmap)) out += std::to_string(t.x) + "+" + std::to_string(t.width) + " ";
        return out;
    };
    EXPECT_EQ(spans(32, 32), "0+32 ");
    EXPECT_EQ(spans(1552, 2000), "0+1552 ");  // Space on a 1920-pixel screen
    EXPECT_EQ(spans(3472, 2000), "0+2000 2000+1472 ");  // Space on a 3840-pixel screen
    EXPECT_EQ(spans(0, 2000), "");
    EXPECT_EQ(spans(32, 0), "");
}

// The strip a file dialog leaves behind is repainted over the command's own button, one
// pixel to its left included.
TEST(ToolbarLayout, RepaintSpanOfAFileCommandIsItsButton) {
    const struct {
        int command;
        int left, right;
    } cases[] = {
        {IDM_READ_DATA, 47, 79},
        {IDM_SAVE_DATA, 143, 175},
        {IDM_SAVE_GRAPH, 239, 271},
        {0, 0, 0},
    };
    for (const auto& c : cases) {
        const StripSpan span = RepaintSpanOfCommand(c.command);
        EXPECT_EQ(span.left, c.left) << c.command;
        EXPECT_EQ(span.right, c.right) << c.command;
    }
}

}  // namespace
}  // namespace plorimet
