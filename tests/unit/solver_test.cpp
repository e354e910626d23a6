#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "fit/solver.h"
#include "fit_test_support.h"

namespace plorimet {
namespace {

TEST(NormalEquations, WorkedExampleOfALine) {
    LinearSystem system;
    BuildNormalEquations(Points({{0, 1}, {1, 3}, {2, 5}, {3, 7}}), 1, system);
    EXPECT_EQ(system.a[0][0], 4.0);
    EXPECT_EQ(system.a[0][1], 6.0);
    EXPECT_EQ(system.a[1][0], 6.0);
    EXPECT_EQ(system.a[1][1], 14.0);
    EXPECT_EQ(system.b[0], 16.0);
    EXPECT_EQ(system.b[1], 34.0);
    Coefficients c{};
    ASSERT_FALSE(SolveLinearSystem(system, 2, c));
    EXPECT_DOUBLE_EQ(c[0], 1.0);
    EXPECT_DOUBLE_EQ(c[1], 2.0);
}

TEST(ExactSystem, TwoPairsGiveTheLineThroughThem) {
    LinearSystem system;
    FillExactSystem(Points({{1, 2}, {3, 8}}), system);
    EXPECT_EQ(system.a[0][0], 1.0);
    EXPECT_EQ(system.a[0][1], 1.0);
    EXPECT_EQ(system.a[1][0], 1.0);
    EXPECT_EQ(system.a[1][1], 3.0);
    Coefficients c{};
    ASSERT_FALSE(SolveLinearSystem(system, 2, c));
    EXPECT_DOUBLE_EQ(c[0], -1.0);
    EXPECT_DOUBLE_EQ(c[1], 3.0);
}

TEST(ExactSystem, ZeroXGivesAUnitRow) {
    LinearSystem system;
    FillExactSystem(Points({{0, 5}, {2, 9}, {-1, 1}}), system);
    EXPECT_EQ(system.a[0][0], 1.0);
    EXPECT_EQ(system.a[0][1], 0.0);
    EXPECT_EQ(system.a[0][2], 0.0);
    EXPECT_EQ(system.a[2][2], 1.0);
    EXPECT_EQ(system.b[1], 9.0);
}

TEST(SolveLinearSystem, SizeChecksComeFirst) {
    LinearSystem system{};
    Coefficients c{};
    EXPECT_EQ(SolveLinearSystem(system, 0, c), MessageId::NoDataInputted);
    EXPECT_EQ(SolveLinearSystem(system, -3, c), MessageId::NoDataInputted);
    EXPECT_EQ(SolveLinearSystem(system, 1, c), MessageId::OnlyOneDataSet);
    EXPECT_EQ(SolveLinearSystem(system, 46, c), MessageId::Over45DataSets);
}

LinearSystem TwoByTwo(double a00, double a01, double a10, double a11) {
    LinearSystem s{};
    s.a[0][0] = a00;
    s.a[0][1] = a01;
    s.a[1][0] = a10;
    s.a[1][1] = a11;
    s.b[0] = 1;
    s.b[1] = 1;
    return s;
}

TEST(SolveLinearSystem, RowScaleChecks) {
    Coefficients c{};
    LinearSystem s = TwoByTwo(1e301, 1, 1, 1);
    EXPECT_EQ(SolveLinearSystem(s, 2, c), MessageId::TooLargeCoefficient);
    s = TwoByTwo(std::numeric_limits<double>::infinity(), 1, 1, 1);
    EXPECT_EQ(SolveLinearSystem(s, 2, c), MessageId::TooLargeCoefficient);
    s = TwoByTwo(1e-301, 0, 1, 1);
    EXPECT_EQ(SolveLinearSystem(s, 2, c), MessageId::TooSmallCoefficient);
    s = TwoByTwo(1, 1, 0, 0);
    EXPECT_EQ(SolveLinearSystem(s, 2, c), MessageId::ZeroCoefficient);
    // A NaN that overflow left behind is reported, not scaled into the answer.
    s = TwoByTwo(std::nan(""), 1, 1, 1);
    EXPECT_EQ(SolveLinearSystem(s, 2, c), MessageId::TooLargeCoefficient);
}

TEST(SolveLinearSystem, RowScaleLooksOnlyAtRemainingColumns) {
    // After the first elimination, row 2 is zero in columns 1..2: its large entry in the
    // eliminated column 0 does not count.
    LinearSystem s{};
    const double rows[3][3] = {{1, 1, 1}, {1, 2, 3}, {2, 2, 2}};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) s.a[i][j] = rows[i][j];
    Coefficients c{};
    EXPECT_EQ(SolveLinearSystem(s, 3, c), MessageId::ZeroCoefficient);
}

TEST(SolveLinearSystem, EqualMagnitudesKeepTheLowestPivotRow) {
    LinearSystem s = TwoByTwo(1, 2, -1, 2);
    s.b[0] = 3;
    s.b[1] = 1;
    Coefficients c{};
    ASSERT_FALSE(SolveLinearSystem(s, 2, c));
    // Row 0 stayed the pivot row (an exchange would have put -0.5 there).
    EXPECT_EQ(s.a[0][0], 0.5);
    EXPECT_EQ(s.a[1][1], 2.0);
    EXPECT_EQ(s.b[1], 2.0);
    EXPECT_DOUBLE_EQ(c[0], 1.0);
    EXPECT_DOUBLE_EQ(c[1], 1.0);
}

TEST(SolveLinearSystem, ZeroPivotColumnNeverDivides) {
    // Column 0 is zero in every row while each row has a nonzero entry elsewhere.
    LinearSystem s = TwoByTwo(0, 1, 0, 2);
    Coefficients c{};
    EXPECT_EQ(SolveLinearSystem(s, 2, c), MessageId::ZeroDenominator);
}

TEST(SolveLinearSystem, SingularLastDiagonalIsAZeroDenominator) {
    LinearSystem s = TwoByTwo(1, 1, 1, 1);
    Coefficients c{};
    EXPECT_EQ(SolveLinearSystem(s, 2, c), MessageId::ZeroDenominator);
}

TEST(SolveLinearSystem, RecoversAQuarticThroughFivePoints) {
    DataSet data = Points({{-2, 0}, {-1, 0}, {0.5, 0}, {1, 0}, {3, 0}});
    for (int k = 0; k < data.pairCount; ++k) {
        const double x = data.x[k];
        data.y[k] = 2 - 3 * x + 0.5 * x * x + 0.25 * x * x * x - x * x * x * x;
    }
    LinearSystem s;
    FillExactSystem(data, s);
    Coefficients c{};
    ASSERT_FALSE(SolveLinearSystem(s, 5, c));
    const double expected[] = {2, -3, 0.5, 0.25, -1};
    for (int k = 0; k < 5; ++k) EXPECT_NEAR(c[k], expected[k], 1e-12) << k;
}

}  // namespace
}  // namespace plorimet
