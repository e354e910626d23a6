#include "base/manuals.h"

#include <cctype>
#include <cstring>

namespace plorimet {

namespace {

bool EndsWithNoCase(const std::string& text, const char* tail) {
    const size_t length = std::strlen(tail);
    if (text.size() < length) return false;
    for (size_t i = 0; i < length; ++i) {
        const char a = text[text.size() - length + i];
        if (std::toupper(static_cast<unsigned char>(a)) != std::toupper(static_cast<unsigned char>(tail[i])))
            return false;
    }
    return true;
}

}  // namespace

std::string ManualDirectory(const std::string& searchResult, const std::string& modulePath) {
    const size_t nameLength = std::strlen(kProgramFileName);
    if (EndsWithNoCase(searchResult, kProgramFileName) && searchResult.size() > nameLength) {
        const char separator = searchResult[searchResult.size() - nameLength - 1];
        if (separator == '\\' || separator == '/') return searchResult.substr(0, searchResult.size() - nameLength);
    }
    const size_t slash = modulePath.find_last_of("\\/");
    return slash == std::string::npos ? std::string() : modulePath.substr(0, slash + 1);
}

}  // namespace plorimet
