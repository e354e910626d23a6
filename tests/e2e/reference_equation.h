// The equation text the program should show for a data set, worked out by the driver itself.
#pragma once

#include <string>
#include <utility>
#include <vector>

// pairs: the data set as the program keeps it (usable rows, no repeated X); degree: the
// least-squares degree; digits: 3..6 significant digits. The text is in code page 932.
// The coefficients of that degree, each the exact optimum rounded to the nearest double, with
// the negligible terms set to 0 as the equation writes them.
std::vector<double> ReferenceCoefficients(const std::vector<std::pair<double, double>>& pairs, int degree);

std::string ReferenceEquation(const std::vector<std::pair<double, double>>& pairs, int degree, int digits,
                              bool japanese);
