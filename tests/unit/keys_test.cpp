#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>
#include <string>

#include "base/keys.h"
#include "data/grid_keys.h"
#include "fit/analysis.h"
#include "fit/equation.h"
#include "resource_ids.h"

namespace plorimet {
namespace {

KeyPress Key(int key, bool ctrl = false, bool shift = false, bool alt = false) {
    return KeyPress{key, ctrl, shift, alt};
}

// Cell index of pair k's X or Y cell (k = 1..45).
int X(int k) { return k - 1; }
int Y(int k) { return kMaxPairs + k - 1; }

TEST(GridKeys, MovesBetweenCells) {
    struct Case {
        int from;
        GridMove move;
        int to;
    };
    const Case cases[] = {
        {X(1), GridMove::Next, Y(1)},          {Y(1), GridMove::Next, X(2)},
        {Y(15), GridMove::Next, X(16)},        {Y(30), GridMove::Next, X(31)},
        {Y(45), GridMove::Next, Y(45)},        // the last cell stays
        {Y(1), GridMove::Previous, X(1)},      {X(2), GridMove::Previous, Y(1)},
        {X(16), GridMove::Previous, Y(15)},    {X(1), GridMove::Previous, X(1)},
        {X(1), GridMove::NextPair, X(2)},      {Y(15), GridMove::NextPair, Y(16)},
        {X(30), GridMove::NextPair, X(31)},    {Y(45), GridMove::NextPair, Y(45)},
        {X(45), GridMove::NextPair, X(45)},    {Y(16), GridMove::PreviousPair, Y(15)},
        {X(2), GridMove::PreviousPair, X(1)},  {Y(1), GridMove::PreviousPair, Y(1)},
        {-1, GridMove::Next, X(1)},            {-1, GridMove::PreviousPair, X(1)},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CellAfterMove(c.from, c.move), c.to) << "from " << c.from << " move " << static_cast<int>(c.move);
}

TEST(GridKeys, TabVisitsEveryCellOnceInPairOrderAndShiftTabComesBack) {
    int cell = X(1);
    for (int k = 1; k <= kMaxPairs; ++k) {
        EXPECT_EQ(cell, X(k));
        cell = CellAfterMove(cell, GridMove::Next);
        EXPECT_EQ(cell, Y(k));
        if (k < kMaxPairs) cell = CellAfterMove(cell, GridMove::Next);
    }
    for (int k = kMaxPairs; k >= 1; --k) {
        EXPECT_EQ(cell, Y(k));
        cell = CellAfterMove(cell, GridMove::Previous);
        EXPECT_EQ(cell, X(k));
        if (k > 1) cell = CellAfterMove(cell, GridMove::Previous);
    }
}

TEST(GridKeys, KeysForMoves) {
    struct Case {
        KeyPress key;
        std::optional<GridMove> move;
    };
    const Case cases[] = {
        {Key(kKeyTab), GridMove::Next},
        {Key(kKeyTab, false, true), GridMove::Previous},
        {Key(kKeyEnter), GridMove::NextPair},
        {Key(kKeyDown), GridMove::NextPair},
        {Key(kKeyUp), GridMove::PreviousPair},
        // The cell's own keys.
        {Key(kKeyLeft), std::nullopt},
        {Key(kKeyRight), std::nullopt},
        {Key(kKeyHome), std::nullopt},
        {Key(kKeyEnd), std::nullopt},
        {Key(kKeyDown, false, true), std::nullopt},
        {Key(kKeyUp, false, true), std::nullopt},
        {Key(kKeyTab, true), std::nullopt},
        {Key(kKeyTab, false, false, true), std::nullopt},
        {Key('1'), std::nullopt},
    };
    for (const Case& c : cases) EXPECT_EQ(GridMoveForKey(c.key), c.move) << "key " << c.key.key;
}

TEST(CommandKeys, GiveACommandExactlyWhenItsButtonIsEnabled) {
    struct Case {
        KeyPress key;
        ViewState view;
        KeyCommand kind;
        int command;
    };
    const Case cases[] = {
        {Key('N', true), ViewState::Initial, KeyCommand::Toolbar, IDM_INPUT_DATA},
        {Key('N', true), ViewState::Graph, KeyCommand::Toolbar, IDM_INPUT_DATA},
        {Key('O', true), ViewState::DataInput, KeyCommand::Toolbar, IDM_READ_DATA},
        {Key('O', true), ViewState::Initial, KeyCommand::None, 0},
        {Key('O', true), ViewState::Equation, KeyCommand::None, 0},
        {Key('V', true, true), ViewState::DataInput, KeyCommand::Toolbar, IDM_PASTE_DATA},
        {Key(kKeyF5), ViewState::DataInput, KeyCommand::Toolbar, IDM_ANALYSIS},
        {Key(kKeyF5), ViewState::Equation, KeyCommand::None, 0},
        {Key('S', true), ViewState::Equation, KeyCommand::Toolbar, IDM_SAVE_DATA},
        {Key('S', true), ViewState::Graph, KeyCommand::Toolbar, IDM_SAVE_GRAPH},
        {Key('S', true), ViewState::DataInput, KeyCommand::None, 0},
        {Key('G', true), ViewState::Equation, KeyCommand::Toolbar, IDM_DRAW_GRAPH},
        {Key('G', true), ViewState::Graph, KeyCommand::None, 0},
        {Key('C', true), ViewState::Graph, KeyCommand::Toolbar, IDM_COPY_GRAPH},
        {Key('C', true), ViewState::Equation, KeyCommand::CopyEquation, 0},
        {Key(kKeyF1), ViewState::Initial, KeyCommand::Toolbar, IDM_HELP},
        {Key(kKeyF1, true), ViewState::DataInput, KeyCommand::Toolbar, IDM_ABOUT},
        {Key(kKeyF1, false, false, true), ViewState::Initial, KeyCommand::None, 0},
        {Key('S', true, true), ViewState::Equation, KeyCommand::None, 0},
        {Key('S'), ViewState::Equation, KeyCommand::None, 0},
    };
    for (const Case& c : cases) {
        const KeyDecision d = DecideCommandKey(c.key, c.view);
        EXPECT_EQ(d.kind, c.kind) << "key " << c.key.key << " view " << static_cast<int>(c.view);
        EXPECT_EQ(d.command, c.command) << "key " << c.key.key << " view " << static_cast<int>(c.view);
    }
}

TEST(CommandKeys, NeverTakeTheCellsOwnKeysWhileTheGridIsShown) {
    const KeyPress cellKeys[] = {
        Key('C', true),  Key('V', true),  Key('X', true),        Key('Z', true),         Key('A', true),
        Key(kKeyLeft),   Key(kKeyRight),  Key(kKeyHome),         Key(kKeyEnd),           Key(kKeyDelete),
        Key(kKeyBackspace), Key(kKeyInsert, true), Key(kKeyInsert, false, true), Key(kKeyDelete, false, true),
        Key(kKeyLeft, false, true), Key(kKeyHome, false, true), Key(kKeyLeft, true), Key('1'), Key('.'),
    };
    for (const KeyPress& key : cellKeys) {
        EXPECT_EQ(DecideCommandKey(key, ViewState::DataInput).kind, KeyCommand::None) << "key " << key.key;
        EXPECT_FALSE(GridMoveForKey(key)) << "key " << key.key;
    }
}

TEST(EquationClipboardText, EquationThenOneRowPerPower) {
    Coefficients c{};
    c[0] = 0.5;
    c[1] = -2.25;
    c[2] = 0.1;
    c[3] = 0.0;
    const std::string text = EquationClipboardText("Y = 0.5*X^0  -  2.25*X^1  +  0.1*X^2 \n     +  0*X^3\n    M", c, 4);
    EXPECT_EQ(text,
              "Y = 0.5*X^0  -  2.25*X^1  +  0.1*X^2 \r\n     +  0*X^3\r\n    M\r\n\r\n"
              "0\t0.5\r\n1\t-2.25\r\n2\t0.10000000000000001\r\n3\t0\r\n");
}

FitResult LineOfThreePoints() {
    // Y = 1/6 + x/2 is the least-squares line of (0, 0), (1, 1), (2, 1).
    CellTexts cells;
    const char* rows[][2] = {{"0", "0"}, {"1", "1"}, {"2", "1"}};
    for (int r = 0; r < 3; ++r) {
        cells.x[r] = rows[r][0];
        cells.y[r] = rows[r][1];
    }
    FitSettings settings;
    settings.fitMode = FitMode::LeastSquares;
    settings.degree = 1;
    FitResult result;
    EXPECT_FALSE(CompleteAnalysis(CollectDataSet(cells), settings, UiLanguage::English, result));
    return result;
}

std::string CoefficientRows(const FitResult& result) {
    const std::string text = EquationClipboardText(result.equationText, result.coefficients, result.termCount);
    return text.substr(text.find("\r\n\r\n") + 4);
}

// The rows hold the correctly rounded optimum: elimination in double gave 0.16666666666666663
// for 1/6, one unit in the last place below it.
TEST(EquationClipboardText, RowsHoldTheCorrectlyRoundedOptimum) {
    EXPECT_EQ(CoefficientRows(LineOfThreePoints()), "0\t0.16666666666666666\r\n1\t0.5\r\n");
}

TEST(EquationClipboardText, CoefficientsReadBackExactly) {
    const FitResult line = LineOfThreePoints();
    EXPECT_EQ(line.termCount, 2);
    std::istringstream rows(CoefficientRows(line));
    for (int k = 0; k < line.termCount; ++k) {
        int power = -1;
        std::string value;
        rows >> power >> value;
        EXPECT_EQ(power, k);
        EXPECT_EQ(std::strtod(value.c_str(), nullptr), line.coefficients[k]) << value;
    }

    Coefficients wide{};
    wide[0] = 1.0 / 3.0;
    wide[1] = -123456.78901234567;
    wide[2] = 6.02214076e23;
    wide[3] = 1e-300;
    std::istringstream in(EquationClipboardText("Y", wide, 4).substr(5));
    for (int k = 0; k < 4; ++k) {
        int power = -1;
        std::string value;
        in >> power >> value;
        EXPECT_EQ(power, k);
        EXPECT_EQ(std::strtod(value.c_str(), nullptr), wide[k]) << value;
    }
}

}  // namespace
}  // namespace plorimet
