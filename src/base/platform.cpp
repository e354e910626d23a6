#include "base/platform.h"

namespace plorimet {

namespace {

bool Contains(const std::string& text, const char* part) {
    return text.find(part) != std::string::npos;
}

}  // namespace

int PlatformLevelFromVersion(const std::string& versionText) {
    if (Contains(versionText, "4.0")) return 3;
    if (Contains(versionText, "5.0")) return 4;
    if (Contains(versionText, "5.1") || Contains(versionText, "5.2")) return 5;
    if (Contains(versionText, "6.0") || Contains(versionText, "6.1")) return 6;
    return 7;
}

int PlatformLevelFromProductName(const std::string& productName) {
    if (Contains(productName, "Windows ME")) return 2;
    if (Contains(productName, "Windows 98")) return 1;
    return 0;
}

int DecidePlatformLevel(const std::optional<std::string>& versionText, const std::string& productName) {
    if (versionText) return PlatformLevelFromVersion(*versionText);
    return PlatformLevelFromProductName(productName);
}

std::string BitmapSet(int platformLevel) {
    switch (platformLevel) {
        case 2: return "9";
        case 4: return "8";
        case 5: return "X";
        default: return "";
    }
}

int EnglishHoverFontHeight(int platformLevel) {
    return platformLevel <= 2 ? 12 : 14;
}

}  // namespace plorimet
