// NIST's polynomial reference sets (tests/data/nist) as pairs,
// and the measure the fit is judged by against their certified values.
#pragma once

#include <cmath>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

namespace plorimet::nist {

// The pairs of DIRECTORY/NAME.txt, one "x y" pair a line.
inline std::vector<std::pair<double, double>> ReadSet(const std::string& directory, const std::string& name) {
    std::ifstream in(directory + "/" + name + ".txt", std::ios::binary);
    std::vector<std::pair<double, double>> pairs;
    double x = 0;
    double y = 0;
    while (in >> x >> y) pairs.emplace_back(x, y);
    return pairs;
}

// Correct digits of a value against a certified one: -log10 of the relative error.
inline double CorrectDigits(double value, double certified) {
    if (value == certified) return 17;
    return -std::log10(std::fabs(value - certified) / std::fabs(certified));
}

}  // namespace plorimet::nist
