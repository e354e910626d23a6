// The driver's own equation: an exact least-squares solve in rationals, each coefficient
// rounded to the nearest double and written with N significant digits in %g style, laid out
// term by term. Nothing of the program's fit or formatting is used.
#include "reference_equation.h"

// Boost's headers warn in this compiler version; the warnings are theirs.
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#include <boost/multiprecision/cpp_int.hpp>
#include <cmath>
#include <cstdlib>

namespace {

using Rational = boost::multiprecision::cpp_rational;
using Integer = boost::multiprecision::cpp_int;

Rational PowerOfTen(int e) {
    const Integer p = boost::multiprecision::pow(Integer(10), std::abs(e));
    return e >= 0 ? Rational(p) : Rational(Integer(1), p);
}

Rational Power(double x, int k) {
    Rational p = 1;
    for (int i = 0; i < k; ++i) p *= Rational(x);
    return p;
}

bool EvenLastBit(double d) {
    int exponent = 0;
    return std::fmod(std::ldexp(std::frexp(d, &exponent), 53), 2.0) == 0.0;
}

// The double nearest q (ties to an even last bit): Boost's conversion, moved to a neighbour
// when that one lies nearer.
double NearestDouble(const Rational& q) {
    double best = q.convert_to<double>();
    for (double next : {std::nextafter(best, -INFINITY), std::nextafter(best, INFINITY)}) {
        const Rational toNext = abs(Rational(next) - q), toBest = abs(Rational(best) - q);
        if (toNext < toBest || (toNext == toBest && EvenLastBit(next))) best = next;
    }
    return best;
}

// %g with N significant digits of the exact value of d (ties to even, as to_chars and printf).
std::string FormatG(double d, int n) {
    Rational r = abs(Rational(d));
    if (r == 0) return std::signbit(d) ? "-0" : "0";
    int e = static_cast<int>(std::floor(std::log10(std::fabs(d))));
    while (PowerOfTen(e) > r) --e;
    while (PowerOfTen(e + 1) <= r) ++e;
    const Rational scaled = r * PowerOfTen(n - 1 - e);
    Integer digits = numerator(scaled) / denominator(scaled);
    const Rational rest = scaled - Rational(digits);
    if (rest > Rational(1, 2) || (rest == Rational(1, 2) && digits % 2 == 1)) ++digits;
    if (digits == boost::multiprecision::pow(Integer(10), n)) {
        digits /= 10;
        ++e;
    }
    const std::string s = digits.str();  // n digits
    auto trim = [](std::string t) {
        if (t.find('.') == std::string::npos) return t;
        while (t.back() == '0') t.pop_back();
        if (t.back() == '.') t.pop_back();
        return t;
    };
    std::string text;
    if (e >= -4 && e < n) {
        text = e >= 0 ? trim(s.substr(0, e + 1) + "." + s.substr(e + 1)) : trim("0." + std::string(-e - 1, '0') + s);
    } else {
        const int a = std::abs(e);
        text = trim(s.substr(0, 1) + "." + s.substr(1)) + "e" + (e < 0 ? "-" : "+") + (a < 10 ? "0" : "") +
               std::to_string(a);
    }
    return (d < 0 ? "-" : "") + text;
}

}  // namespace

std::vector<double> ReferenceCoefficients(const std::vector<std::pair<double, double>>& pairs, int degree) {
    const int m = degree + 1;
    // Normal equations: sum x^(i+j) c_j = sum x^i y, solved by elimination.
    std::vector<std::vector<Rational>> a(m, std::vector<Rational>(m + 1));
    for (const auto& [x, y] : pairs) {
        for (int i = 0; i < m; ++i) {
            for (int j = 0; j < m; ++j) a[i][j] += Power(x, i + j);
            a[i][m] += Power(x, i) * Rational(y);
        }
    }
    for (int col = 0; col < m; ++col) {
        int pivot = col;
        while (a[pivot][col] == 0) ++pivot;
        std::swap(a[col], a[pivot]);
        for (int row = 0; row < m; ++row) {
            if (row == col || a[row][col] == 0) continue;
            const Rational f = a[row][col] / a[col][col];
            for (int k = col; k <= m; ++k) a[row][k] -= f * a[col][k];
        }
    }
    std::vector<double> c(m);
    for (int k = 0; k < m; ++k) c[k] = NearestDouble(a[k][m] / a[k][k]);
    // A term below a millionth of |Y| at every point (Y = 0, or X = 0 for powers 1 and up,
    // counting as below) is written as 0.
    for (int k = 0; k < m; ++k) {
        bool negligible = true;
        for (const auto& [x, y] : pairs) {
            const Rational term = k == 0 ? abs(Rational(c[0])) : abs(Power(x, k) * Rational(c[k]));
            if (!(y == 0 || (k > 0 && x == 0) || term < abs(Rational(1e-6) * Rational(y)))) negligible = false;
        }
        if (negligible) c[k] = 0.0;
    }
    return c;
}

std::string ReferenceEquation(const std::vector<std::pair<double, double>>& pairs, int degree, int digits,
                              bool japanese) {
    const int m = degree + 1;
    const std::vector<double> c = ReferenceCoefficients(pairs, degree);
    std::string text = "Y = " + FormatG(c[0], digits) + "*X^0";
    for (int k = 1; k < m; ++k) {
        text += k % 3 == 0 ? " \n     " : "  ";
        text += c[k] >= 0 ? "+  " : "-  ";
        text += FormatG(std::fabs(c[k]), digits) + "*X^" + std::to_string(k);
    }
    if (m < static_cast<int>(pairs.size()) && m >= 2) {
        static const char* const kEnglish[] = {"Simple equation.", "Quadratic equation.", "Cubic equation."};
        static const char* const kJapanese[] = {"一次式の適用.", "二次式の適用.", "三次式の適用."};
        text += japanese ? "\n    最小二乗法 : " : "\n    Method of least squares : ";
        if (m <= 4) {
            text += (japanese ? kJapanese : kEnglish)[m - 2];
        } else {
            text += std::to_string(m - 1) + (japanese ? "次式の適用." : "th degree equation.");
        }
    }
    return text;
}
