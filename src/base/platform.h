// The class of Windows version the program runs on, decided from registry texts.
// Reading the registry is the Win32 side's job; the decision lives here so it can be tested.
#pragma once

#include <optional>
#include <string>

namespace plorimet {

// The levels, oldest first.
constexpr int kLevelWindows95 = 0;     // a 9x product name that is neither 98 nor ME
constexpr int kLevelWindows98 = 1;
constexpr int kLevelWindowsMe = 2;
constexpr int kLevelNt4 = 3;           // NT version 4.0
constexpr int kLevelWindows2000 = 4;   // 5.0
constexpr int kLevelWindowsXp = 5;     // 5.1, 5.2
constexpr int kLevelVistaAnd7 = 6;     // 6.0, 6.1
constexpr int kLevelNewer = 7;         // any other NT version text
constexpr int kLowestPlatformLevel = kLevelWindows95;
constexpr int kHighestPlatformLevel = kLevelNewer;

// From the "CurrentVersion" text of the NT version key: 3 (4.0), 4 (5.0), 5 (5.1, 5.2),
// 6 (6.0, 6.1), 7 for any other text. Substrings, tested in that order, case-sensitive.
int PlatformLevelFromVersion(const std::string& versionText);

// From the "ProductName" text of the older version key: 2 (Windows ME), 1 (Windows 98), 0.
int PlatformLevelFromProductName(const std::string& productName);

// versionText: the NT key's value when it could be read. productName: the fallback key's
// value, empty when that key or value could not be read.
int DecidePlatformLevel(const std::optional<std::string>& versionText, const std::string& productName);

// The letter that the tool bar's bitmap names carry for a level: "9", "8", "X" or none.
std::string BitmapSet(int platformLevel);

// Pixel height of the English hover-label font: 12 on levels 0..2, 14 above.
int EnglishHoverFontHeight(int platformLevel);

}  // namespace plorimet
