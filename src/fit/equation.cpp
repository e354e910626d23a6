#include "fit/equation.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace plorimet {

std::string FormatG(double value, int digits) {
    // printf's %g, correctly rounded by every C runtime this builds with. They differ in the
    // exponent's width only (MinGW's, like the old Windows one, writes three digits), so the
    // exponent is cut to at least two. (std::to_chars would do it all but brings 170 KB of
    // tables into the window program.)
    char buffer[64];
    const int length = std::snprintf(buffer, sizeof buffer, "%.*g", digits, value);
    std::string text(buffer, length > 0 ? static_cast<size_t>(length) : 0);
    const size_t e = text.find('e');
    if (e != std::string::npos) {
        const size_t first = e + 2;  // the exponent's first digit, after its sign
        while (text.size() - first > 2 && text[first] == '0') text.erase(first, 1);
    }
    return text;
}

std::optional<MessageId> CheckTermValues(const DataSet& data, int m, Coefficients& coefficients) {
    return CheckTermValues(PointsView{data.x.data(), data.y.data(), data.pairCount}, m, coefficients);
}

namespace {

// Whether every term |x^k c| at the nonzero X, whose magnitudes lie within [smallest, largest],
// is clear of the limits 1e300 and 1e-300 (or 0 with c = 0), told from binary exponents with a
// margin far beyond pow's rounding (every C library's pow is within 2^-20 of x^k), so that no
// point's term needs pow to rule a failure out.
bool TermsClearOfLimits(double smallest, double largest, int k, double c) {
    if (!std::isfinite(c)) return false;
    int eLargest = 0;
    int eSmallest = 0;
    std::frexp(largest, &eLargest);    // largest < 2^eLargest
    std::frexp(smallest, &eSmallest);  // smallest >= 2^(eSmallest - 1)
    const long long high = static_cast<long long>(k) * eLargest;  // |x|^k < 2^high
    const long long low = static_cast<long long>(k) * (eSmallest - 1);
    if (high > 1022) return false;  // pow may overflow
    if (c == 0.0) return true;
    if (low < -1021) return false;  // pow may leave the normal range
    int eC = 0;
    std::frexp(c, &eC);  // |c| in [2^(eC - 1), 2^eC)
    return high + eC + 1 <= 996 && low + eC - 2 >= -996;  // 2^996 < 1e300, 2^-996 > 1e-300
}

}  // namespace

std::optional<MessageId> CheckTermValues(PointsView data, int m, Coefficients& coefficients) {
    // A coefficient stays when its term is not negligible at one point, so the count can stop
    // there; the limits are then only looked at point by point where the bounds of |X| leave
    // them in doubt. The outcome is that of going through every point.
    double smallest = HUGE_VAL;
    double largest = 0.0;
    long long widest = 0;  // a point of the largest |X|, where a term of power 1 or more is largest
    for (long long j = 0; j < data.count; ++j) {
        const double magnitude = std::fabs(data.x[j]);
        if (magnitude == 0.0) continue;
        smallest = std::min(smallest, magnitude);
        if (magnitude > largest) {
            largest = magnitude;
            widest = j;
        }
    }
    for (int k = 0; k < m; ++k) {
        const bool clear = k == 0 || largest == 0.0 || TermsClearOfLimits(smallest, largest, k, coefficients[k]);
        // With the limits clear, one point where the term is not negligible keeps the
        // coefficient; that point is most often the widest, so it is asked first.
        if (clear && k > 0 && largest > 0.0 && coefficients[k] != 0.0) {
            const double y = data.y[widest];
            const double t = std::fabs(std::pow(data.x[widest], static_cast<double>(k)) * coefficients[k]);
            if (y != 0.0 && !(t < std::fabs(1e-6 * y))) continue;
        }
        long long negligible = 0;
        for (long long j = 0; j < data.count; ++j) {
            const double y = data.y[j];
            if (k == 0) {
                // A constant that overflowed would be written as "inf" or "nan".
                if (!std::isfinite(coefficients[0])) return MessageId::TooLargeTermValue;
                if (y == 0.0 || std::fabs(coefficients[0]) < std::fabs(1e-6 * y)) {
                    ++negligible;
                    continue;
                }
                break;
            }
            if (data.x[j] == 0.0) {
                ++negligible;
                continue;
            }
            if (clear) {
                if (y == 0.0) {
                    ++negligible;
                    continue;
                }
                const double t = coefficients[k] == 0.0 ? 0.0 : std::fabs(std::pow(data.x[j], static_cast<double>(k)) * coefficients[k]);
                if (t < std::fabs(1e-6 * y)) {
                    ++negligible;
                    continue;
                }
                break;
            }
            const double t = std::fabs(std::pow(data.x[j], static_cast<double>(k)) * coefficients[k]);
            if (!(t <= 1e300)) return MessageId::TooLargeTermValue;  // NaN counts as too large
            if (t > 0.0 && t < 1e-300) return MessageId::TooSmallTermValue;
            if (y == 0.0 || t < std::fabs(1e-6 * y)) ++negligible;
        }
        if (negligible == data.count) coefficients[k] = 0.0;
    }
    return std::nullopt;
}

namespace {

std::string DegreeName(int m, UiLanguage language) {
    switch (m) {
        case 2: return UiText(TextId::SimpleEquation, language);
        case 3: return UiText(TextId::QuadraticEquation, language);
        case 4: return UiText(TextId::CubicEquation, language);
        default: return std::to_string(m - 1) + UiText(TextId::NthDegreeSuffix, language);
    }
}

}  // namespace

std::string BuildEquationText(const Coefficients& coefficients, int m, int digitsIndex, FitMode mode, int pairCount,
                              UiLanguage language) {
    const int digits = SignificantDigits(digitsIndex);
    std::string text = "Y = " + FormatG(coefficients[0], digits) + "*X^0";
    for (int k = 1; k < m; ++k) {
        const bool positive = coefficients[k] >= 0.0;
        if (k % 3 == 0) {
            text += positive ? " \n     +  " : " \n     -  ";
        } else {
            text += positive ? "  +  " : "  -  ";
        }
        text += FormatG(std::fabs(coefficients[k]), digits) + "*X^" + std::to_string(k);
    }
    if (mode == FitMode::LeastSquares && m < pairCount) {
        text += "\n    ";
        text += UiText(TextId::LeastSquaresLine, language);
        text += DegreeName(m, language);
    }
    return text;
}

std::string EquationClipboardText(const std::string& equationText, const Coefficients& coefficients, int termCount) {
    std::string text;
    for (char c : equationText) {
        if (c == '\n') {
            text += "\r\n";
        } else {
            text += c;
        }
    }
    text += "\r\n\r\n";
    for (int k = 0; k < termCount && k < static_cast<int>(coefficients.size()); ++k)
        text += std::to_string(k) + "\t" + FormatG(coefficients[k], 17) + "\r\n";
    return text;
}

}  // namespace plorimet
