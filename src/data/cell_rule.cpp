#include "data/cell_rule.h"

namespace plorimet {

bool ObeysCellRule(const std::string& text) {
    for (char c : text) {
        if (!((c >= '0' && c <= '9') || c == '-' || c == '.')) return false;
    }
    const auto firstMinus = text.find('-');
    if (firstMinus != std::string::npos && (firstMinus != 0 || text.rfind('-') != 0)) return false;
    const auto firstPoint = text.find('.');
    if (firstPoint != std::string::npos && text.rfind('.') != firstPoint) return false;
    return true;
}

std::string ApplyCellRule(std::string text) {
    while (!ObeysCellRule(text)) text.pop_back();
    return text;
}

}  // namespace plorimet
