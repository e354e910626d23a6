// Small text helpers shared by the features.
#pragma once

#include <string>

namespace plorimet {

// The standard library's atoi, without its undefined behaviour on overflow (saturates).
int ParseLeadingInt(const std::string& text);

// The text without the spaces and tabs at its two ends.
std::string WithoutSurroundingSpaces(const std::string& text);

}  // namespace plorimet
