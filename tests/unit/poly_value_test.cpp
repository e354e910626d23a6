// plorimet eval's values against exact rational arithmetic.
#include "fit/poly_value.h"

#include <gtest/gtest.h>

// Boost's headers warn in this compiler version (deprecated std::unary_function, and a
// zero constant that mingw's optimiser thinks uninitialised); the warnings are theirs.
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#include <boost/multiprecision/cpp_int.hpp>
#include <cmath>
#include <vector>

namespace plorimet {
namespace {

using Rational = boost::multiprecision::cpp_rational;

Rational Exact(const std::vector<double>& c, double x) {
    Rational value = 0;
    Rational power = 1;
    for (double coefficient : c) {
        value += Rational(coefficient) * power;
        power *= Rational(x);
    }
    return value;
}

// The double nearest to the exact value: no neighbour of `got` is closer.
bool CorrectlyRounded(double got, const Rational& exact) {
    const Rational distance = abs(Rational(got) - exact);
    for (double neighbour : {std::nextafter(got, -INFINITY), std::nextafter(got, INFINITY)})
        if (abs(Rational(neighbour) - exact) < distance) return false;
    return true;
}

struct ValueCase {
    const char* name;
    std::vector<double> coefficients;  // c[0], c[1], ...
    double x;
};

class PolynomialValueTest : public ::testing::TestWithParam<ValueCase> {};

TEST_P(PolynomialValueTest, IsTheCorrectlyRoundedValue) {
    const ValueCase& v = GetParam();
    Coefficients c{};
    for (size_t j = 0; j < v.coefficients.size(); ++j) c[j] = v.coefficients[j];
    const double got = PolynomialValue(c, static_cast<int>(v.coefficients.size()), v.x);
    EXPECT_TRUE(CorrectlyRounded(got, Exact(v.coefficients, v.x))) << v.name << ": " << got;
}

const ValueCase kValues[] = {
    {"constant", {0.1}, 12345.0},
    {"line", {1, 2}, 0.3},
    {"cubic of the worked example", {-5, 12.166666666666666, -5.5, 0.83333333333333337}, 2.5},
    // (x - 1)^5 expanded: evaluated term by term near 1, almost every digit cancels.
    {"cancelling quintic", {-1, 5, -10, 10, -5, 1}, 1.0009765625 + 1e-9},
    {"cancelling cubic", {-1, 3, -3, 1}, 0.99990000000000001},
    {"large x", {3.25, -1e-3, 7e-9, 1.5e-12}, 98765.4321},
    {"negative x, degree 9", {0.5, -1.25, 0.75, 0.1, -0.3, 0.01, 0.002, -1e-4, 3e-6, 1e-7}, -3.7},
};

INSTANTIATE_TEST_SUITE_P(Cases, PolynomialValueTest, ::testing::ValuesIn(kValues));

TEST(PolynomialValue, UsesOnlyTheTermsInUse) {
    Coefficients c{};
    c[0] = 1;
    c[1] = 2;
    c[2] = 1e300;  // left over from an earlier fit
    EXPECT_EQ(PolynomialValue(c, 2, 3.0), 7.0);
}

}  // namespace
}  // namespace plorimet
