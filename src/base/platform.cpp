#include "base/platform.h"

namespace plorimet {

namespace {

bool Contains(const std::string& text, const char* part) {
    return text.find(part) != std::string::npos;
}

}  // namespace

int PlatformLevelFromVersion(const std::string& versionText) {
    if (Contains(versionText, "4.0")) return kLevelNt4;
    if (Contains(versionText, "5.0")) return kLevelWindows2000;
    if (Contains(versionText, "5.1") || Contains(versionText, "5.2")) return kLevelWindowsXp;
    if (Contains(versionText, "6.0") || Contains(versionText, "6.1")) return kLevelVistaAnd7;
    return kLevelNewer;
}

int PlatformLevelFromProductName(const std::string& productName) {
    if (Contains(productName, "Windows ME")) return kLevelWindowsMe;
    if (Contains(productName, "Windows 98")) return kLevelWindows98;
    return kLevelWindows95;
}

int DecidePlatformLevel(const std::optional<std::string>& versionText, const std::string& productName) {
    if (versionText) return PlatformLevelFromVersion(*versionText);
    return PlatformLevelFromProductName(productName);
}

std::string BitmapSet(int platformLevel) {
    switch (platformLevel) {
        case kLevelWindowsMe: return "9";
        case kLevelWindows2000: return "8";
        case kLevelWindowsXp: return "X";
        default: return "";
    }
}

int EnglishHoverFontHeight(int platformLevel) {
    return platformLevel <= kLevelWindowsMe ? 12 : 14;
}

}  // namespace plorimet
