#include <gtest/gtest.h>

#include "data/cell_rule.h"

namespace plorimet {
namespace {

TEST(CellRule, AcceptedTexts) {
    for (const char* text : {"", "-", ".", "-.", "12", "-1.5", ".5", "1.", "0123456789"})
        EXPECT_TRUE(ObeysCellRule(text)) << text;
    for (const char* text : {"1e5", "+1", "1 2", "1-", "--", "1.2.", "-1-", "a", "1,5"})
        EXPECT_FALSE(ObeysCellRule(text)) << text;
}

TEST(CellRule, RemovesFromTheEndUntilTheRuleHolds) {
    EXPECT_EQ(ApplyCellRule("1e"), "1");
    EXPECT_EQ(ApplyCellRule("1-"), "1");
    EXPECT_EQ(ApplyCellRule("--"), "-");
    EXPECT_EQ(ApplyCellRule("1.2."), "1.2");
    EXPECT_EQ(ApplyCellRule("-."), "-.");
    // A pasted text whose first character already breaks the rule leaves nothing.
    EXPECT_EQ(ApplyCellRule("abc12"), "");
    EXPECT_EQ(ApplyCellRule("1.2.3"), "1.2");
    EXPECT_EQ(ApplyCellRule("12x34"), "12");
}

TEST(CellRule, TypingKeyByKey) {
    // Each key is appended to what the cell kept; a refused key is removed at once.
    auto type = [](const std::string& keys) {
        std::string cell;
        for (char key : keys) cell = ApplyCellRule(cell + key);
        return cell;
    };
    EXPECT_EQ(type("1e5"), "15");
    EXPECT_EQ(type("-1.-5"), "-1.5");
    EXPECT_EQ(type("+3"), "3");
}

}  // namespace
}  // namespace plorimet
