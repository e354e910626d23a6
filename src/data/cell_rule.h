// What a grid cell keeps of a text: digits, one leading minus sign, one point.
#pragma once

#include <string>

namespace plorimet {

bool ObeysCellRule(const std::string& text);

// The text a cell ends up with: characters are removed from the end until the rest obeys
// the rule (as the cell does when it checks itself after every change).
std::string ApplyCellRule(std::string text);

}  // namespace plorimet
