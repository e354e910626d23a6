#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "fit/equation.h"
#include "fit_test_support.h"

namespace plorimet {
namespace {

TEST(FormatG, MatchesPrintfWithTwoDigitExponents) {
    EXPECT_EQ(FormatG(1234.5, 3), "1.23e+03");
    EXPECT_EQ(FormatG(0.5, 3), "0.5");
    EXPECT_EQ(FormatG(100, 3), "100");
    EXPECT_EQ(FormatG(0.00012345, 3), "0.000123");
    EXPECT_EQ(FormatG(0.000012345, 3), "1.23e-05");
    EXPECT_EQ(FormatG(2, 3), "2");
    EXPECT_EQ(FormatG(1234567, 6), "1.23457e+06");
    EXPECT_EQ(FormatG(-0.5, 3), "-0.5");
    EXPECT_EQ(FormatG(999.5, 3), "1e+03");  // rounding carries into the exponent
    EXPECT_EQ(FormatG(1e100, 4), "1e+100");
    EXPECT_EQ(FormatG(0, 5), "0");
}

// The C runtime's %g against libstdc++'s own shortest-and-precision formatter, an independent
// implementation: decimal ties of the exact binary value (0.125, 2.5e-05 is not one),
// subnormals, the largest double, and random doubles over the whole range at every precision
// the program writes (3 to 6 for the equation, 17 for saved coefficients).
TEST(FormatG, EqualsToCharsOnTiesExtremesAndRandomDoubles) {
    std::vector<double> values = {0.125,  0.375,    2.5,     -2.5,   1e23,   5e-324, 2.2250738585072014e-308,
                                  1.7976931348623157e308, 999.5, 9.9995, 0.00012345, 1e-5, 123456789012.0,
                                  std::numeric_limits<double>::infinity()};
    unsigned long long state = 12345;
    for (int k = 0; k < 20000; ++k) {
        state = state * 6364136223846793005ULL + 1442695040888963407ULL;
        double v;
        const unsigned long long bits = state >> 1;  // positive, any exponent
        std::memcpy(&v, &bits, sizeof v);
        if (std::isfinite(v)) values.push_back(k % 2 ? v : -v);
    }
    for (double v : values) {
        for (int digits : {3, 4, 5, 6, 17}) {
            char reference[64];
            const auto end = std::to_chars(reference, reference + sizeof reference, v, std::chars_format::general, digits);
            ASSERT_EQ(FormatG(v, digits), std::string(reference, end.ptr)) << v << " with " << digits << " digits";
        }
    }
}

Coefficients Make(std::initializer_list<double> values) {
    Coefficients c{};
    int k = 0;
    for (double v : values) c[k++] = v;
    return c;
}

TEST(EquationText, ThreeLineExampleByteForByte) {
    const Coefficients c = Make({1.5, -2.25, 0.125, 3e-05, 12345.678});
    EXPECT_EQ(BuildEquationText(c, 5, 0, FitMode::LeastSquares, 6, UiLanguage::English),
              "Y = 1.5*X^0  -  2.25*X^1  +  0.125*X^2 \n"
              "     +  3e-05*X^3  +  1.23e+04*X^4\n"
              "    Method of least squares : 4th degree equation.");
}

TEST(EquationText, LineBreakBeforeEveryThirdPower) {
    Coefficients c{};
    for (int k = 0; k < 10; ++k) c[k] = k + 1;
    const std::string text = BuildEquationText(c, 10, 0, FitMode::Exact, 10, UiLanguage::English);
    EXPECT_EQ(text,
              "Y = 1*X^0  +  2*X^1  +  3*X^2 \n     +  4*X^3  +  5*X^4  +  6*X^5 \n"
              "     +  7*X^6  +  8*X^7  +  9*X^8 \n     +  10*X^9");
}

TEST(EquationText, StraightLineAndCubicBreaks) {
    EXPECT_EQ(BuildEquationText(Make({-0.5, -2}), 2, 0, FitMode::Exact, 2, UiLanguage::English),
              "Y = -0.5*X^0  -  2*X^1");
    EXPECT_EQ(BuildEquationText(Make({1, 0, -1, 2}), 4, 1, FitMode::LeastSquares, 4, UiLanguage::English),
              "Y = 1*X^0  +  0*X^1  -  1*X^2 \n     +  2*X^3");
}

TEST(EquationText, NamesTheDegreeOfALeastSquaresFit) {
    const Coefficients c = Make({1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1});
    auto line = [&](int m, UiLanguage language) {
        const std::string text = BuildEquationText(c, m, 0, FitMode::LeastSquares, 45, language);
        return text.substr(text.rfind('\n') + 1);
    };
    EXPECT_EQ(line(2, UiLanguage::English), "    Method of least squares : Simple equation.");
    EXPECT_EQ(line(3, UiLanguage::English), "    Method of least squares : Quadratic equation.");
    EXPECT_EQ(line(4, UiLanguage::English), "    Method of least squares : Cubic equation.");
    EXPECT_EQ(line(5, UiLanguage::English), "    Method of least squares : 4th degree equation.");
    EXPECT_EQ(line(22, UiLanguage::English), "    Method of least squares : 21th degree equation.");
    EXPECT_EQ(line(3, UiLanguage::Japanese), "    最小二乗法 : 二次式の適用.");
    EXPECT_EQ(line(4, UiLanguage::Japanese), "    最小二乗法 : 三次式の適用.");
    EXPECT_EQ(line(11, UiLanguage::Japanese), "    最小二乗法 : 10次式の適用.");
}

TEST(EquationText, LongestTextStaysShort) {
    Coefficients c{};
    for (int k = 0; k < 45; ++k) c[k] = -1.23456789e-123;
    const std::string text = BuildEquationText(c, 45, 3, FitMode::Exact, 45, UiLanguage::English);
    EXPECT_LT(text.size(), 4000u);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 14);
}

TEST(TermCheck, ZeroesTermsBelowAMillionthOfYEverywhere) {
    const DataSet data = Points({{1, 10}, {2, 20}, {3, 30}});
    Coefficients c = Make({1e-6, 10, 1e-7});
    ASSERT_FALSE(CheckTermValues(data, 3, c));
    EXPECT_EQ(c[0], 0.0);  // 1e-6 < 1e-6 * 10 at every point
    EXPECT_EQ(c[1], 10.0);
    EXPECT_EQ(c[2], 0.0);  // 9e-7 < 3e-5 at the largest X
}

TEST(TermCheck, ZeroYAndZeroXAlwaysCountAsNegligible) {
    // The coefficient survives only through the point with nonzero X and Y.
    const DataSet data = Points({{0, 5}, {1, 0}, {2, 4}});
    Coefficients c = Make({3, 1e-3, 0});
    ASSERT_FALSE(CheckTermValues(data, 3, c));
    EXPECT_EQ(c[1], 1e-3);
    const DataSet flat = Points({{0, 5}, {1, 0}});
    Coefficients d = Make({3, 1e-3});
    ASSERT_FALSE(CheckTermValues(flat, 2, d));
    EXPECT_EQ(d[1], 0.0);
}

TEST(TermCheck, ReportsTermsOutOfRangeButNeverTheConstant) {
    const DataSet data = Points({{1e10, 1}, {2e10, 2}});
    Coefficients large = Make({5, 1e291});
    EXPECT_EQ(CheckTermValues(data, 2, large), MessageId::TooLargeTermValue);
    Coefficients small = Make({5, 1e-311});
    EXPECT_EQ(CheckTermValues(Points({{1e-3, 1}, {2, 2}}), 2, small), MessageId::TooSmallTermValue);
    Coefficients tinyConstant = Make({1e-320, 1});
    EXPECT_FALSE(CheckTermValues(data, 2, tinyConstant));
}

TEST(TermCheck, NonFiniteCoefficientsAreReportedNotWritten) {
    const DataSet data = Points({{1, 1}, {2, 2}});
    Coefficients nanSlope = Make({1, std::nan("")});
    EXPECT_EQ(CheckTermValues(data, 2, nanSlope), MessageId::TooLargeTermValue);
    Coefficients infConstant = Make({std::numeric_limits<double>::infinity(), 1});
    EXPECT_EQ(CheckTermValues(data, 2, infConstant), MessageId::TooLargeTermValue);
}

TEST(TermCheck, LowerPowersZeroedBeforeAFailureStayZero) {
    const DataSet data = Points({{1e10, 10}, {2e10, 20}});
    Coefficients c = Make({1e-9, 1e295});
    EXPECT_EQ(CheckTermValues(data, 2, c), MessageId::TooLargeTermValue);
    EXPECT_EQ(c[0], 0.0);
}

}  // namespace
}  // namespace plorimet
