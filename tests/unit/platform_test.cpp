#include "base/platform.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace plorimet {
namespace {

struct VersionCase {
    const char* text;
    int level;
};

TEST(PlatformLevel, FromVersionText) {
    const VersionCase cases[] = {
        {"4.0", 3},  {"5.0", 4},  {"5.1", 5},  {"5.2", 5},  {"6.0", 6},  {"6.1", 6},
        {"6.2", 7},  {"6.3", 7},  {"10.0", 7}, {"", 7},     {"3.51", 7},
        // Substrings, not equality: the first listed match decides.
        {"x4.0y", 3}, {"5.0.1", 4}, {"14.0", 3}, {"6.15.0", 4}, {"5.16.1", 5},
    };
    for (const VersionCase& c : cases) {
        EXPECT_EQ(PlatformLevelFromVersion(c.text), c.level) << "version text '" << c.text << "'";
    }
}

TEST(PlatformLevel, FromProductName) {
    const VersionCase cases[] = {
        {"Microsoft Windows ME", 2},
        {"Windows 98", 1},
        {"Microsoft Windows 98 Second Edition", 1},
        {"Windows ME and Windows 98", 2},  // ME is tested first
        {"Windows 95", 0},
        {"windows 98", 0},  // case-sensitive
        {"Windows Me", 0},
        {"", 0},
    };
    for (const VersionCase& c : cases) {
        EXPECT_EQ(PlatformLevelFromProductName(c.text), c.level) << "product name '" << c.text << "'";
    }
}

TEST(PlatformLevel, VersionKeyWinsOverProductName) {
    EXPECT_EQ(DecidePlatformLevel(std::string("6.3"), "Windows ME"), 7);
    EXPECT_EQ(DecidePlatformLevel(std::string(""), "Windows 98"), 7);  // an empty value still counts as read
    EXPECT_EQ(DecidePlatformLevel(std::nullopt, "Windows 98 SE"), 1);
    EXPECT_EQ(DecidePlatformLevel(std::nullopt, "Windows ME"), 2);
    EXPECT_EQ(DecidePlatformLevel(std::nullopt, ""), 0);  // neither key readable
}

TEST(PlatformLevel, BitmapSetAndLabelFont) {
    const char* const sets[] = {"", "", "9", "", "8", "X", "", ""};
    const int heights[] = {12, 12, 12, 14, 14, 14, 14, 14};
    for (int level = kLowestPlatformLevel; level <= kHighestPlatformLevel; ++level) {
        EXPECT_EQ(BitmapSet(level), sets[level]) << "level " << level;
        EXPECT_EQ(EnglishHoverFontHeight(level), heights[level]) << "level " << level;
    }
}

}  // namespace
}  // namespace plorimet
