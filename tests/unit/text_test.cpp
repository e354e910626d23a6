#include <gtest/gtest.h>

#include "base/text.h"

namespace plorimet {
namespace {

TEST(LeadingInt, AtoiSemanticsWithSaturation) {
    EXPECT_EQ(ParseLeadingInt("12"), 12);
    EXPECT_EQ(ParseLeadingInt("  7x"), 7);
    EXPECT_EQ(ParseLeadingInt("-3"), -3);
    EXPECT_EQ(ParseLeadingInt("+4"), 4);
    EXPECT_EQ(ParseLeadingInt(""), 0);
    EXPECT_EQ(ParseLeadingInt("x1"), 0);
    EXPECT_EQ(ParseLeadingInt("99999999999999999999"), 2147483647);
    EXPECT_EQ(ParseLeadingInt("-99999999999999999999"), -2147483647 - 1);
}

}  // namespace
}  // namespace plorimet
