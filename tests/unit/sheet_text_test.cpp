#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "data/sheet_text.h"

namespace plorimet {
namespace {

struct Paste {
    std::optional<MessageId> failure;
    SlotTexts x;
    SlotTexts y;
    int rows = 0;
};

// Runs the whole paste as the command does: the shape check, then the rows.
Paste PasteText(const std::string& text, ColumnChoice columns = {1, 2}, const SlotTexts& before = SlotTexts{}) {
    Paste paste;
    paste.x = before;
    paste.y = before;
    const SheetShape shape = CheckSheetText(text);
    if (shape.failure) {
        paste.failure = shape.failure;
        return paste;
    }
    const SheetParseResult result = ParseSheetRows(text, shape.columnCount, columns, paste.x, paste.y);
    paste.failure = result.failure;
    paste.rows = result.rowsPasted;
    return paste;
}

TEST(SheetText, TwoColumns) {
    const Paste p = PasteText("1\t2\r\n3\t4\r\n");
    ASSERT_FALSE(p.failure);
    EXPECT_EQ(p.rows, 2);
    EXPECT_EQ(p.x[0], "1");
    EXPECT_EQ(p.y[0], "2");
    EXPECT_EQ(p.x[1], "3");
    EXPECT_EQ(p.y[1], "4");
    EXPECT_TRUE(p.x[2].empty());
}

TEST(SheetText, ShapeChecks) {
    EXPECT_EQ(CheckSheetText("").failure, MessageId::IncorrectClipboardData);
    EXPECT_EQ(CheckSheetText("1\t2").failure, MessageId::IncorrectClipboardData);
    EXPECT_EQ(CheckSheetText("1,234\t2\r\n").failure, MessageId::IncorrectClipboardData);
    EXPECT_EQ(CheckSheetText("1e5\t2\r\n").failure, MessageId::IncorrectClipboardData);
    EXPECT_EQ(CheckSheetText("12\r\n3\t4\r\n").failure, MessageId::NotTwoColumns);
    EXPECT_EQ(CheckSheetText("1\t2\t3\t4\r\n").columnCount, 4);
}

TEST(SheetText, ThreeColumnsSkipTheUnchosenOnes) {
    const std::string text = "1\t10\t100\r\n2\t20\t200\r\n";
    Paste p = PasteText(text, {1, 3});
    ASSERT_FALSE(p.failure);
    EXPECT_EQ(p.x[1], "2");
    EXPECT_EQ(p.y[1], "200");
    p = PasteText(text, {2, 3});
    ASSERT_FALSE(p.failure);
    EXPECT_EQ(p.x[0], "10");
    EXPECT_EQ(p.y[0], "100");
    p = PasteText(text, {1, 2});
    ASSERT_FALSE(p.failure);
    EXPECT_EQ(p.y[1], "20");
}

TEST(SheetText, FieldsAreTrimmedAndKeepTheirForm) {
    const Paste p = PasteText(" 1.5 \t -2 \r\n1.50\t.5\r\n");
    ASSERT_FALSE(p.failure);
    EXPECT_EQ(p.x[0], "1.5");
    EXPECT_EQ(p.y[0], "-2");
    EXPECT_EQ(p.x[1], "1.50");
    EXPECT_EQ(p.y[1], ".5");
}

TEST(SheetText, FieldFaults) {
    EXPECT_EQ(PasteText("1.2.3\t4\r\n").failure, MessageId::NotNumerical);
    EXPECT_EQ(PasteText("1\t-\r\n").failure, MessageId::NotNumerical);
    EXPECT_EQ(PasteText("1\t1-2\r\n").failure, MessageId::NotNumerical);
    EXPECT_EQ(PasteText("1\t1 2\r\n").failure, MessageId::NotNumerical);
    EXPECT_EQ(PasteText("12345678901\t4\r\n").failure, MessageId::MoreThanTenCharacters);
    EXPECT_FALSE(PasteText("1234567890\t4\r\n").failure);
    EXPECT_EQ(PasteText("\t4\r\n").failure, MessageId::MissingDatum);
    EXPECT_EQ(PasteText("  \t4\r\n").failure, MessageId::MissingDatum);
    EXPECT_EQ(PasteText("1\t\r\n").failure, MessageId::MissingDatum);
    EXPECT_EQ(PasteText("1\t2\t3\r\n4\t5\r\n", {1, 2}).failure, std::nullopt);  // three columns chosen 1 and 2
    EXPECT_EQ(PasteText("1\t2\r\n3\t4\t5\r\n").failure, MessageId::IncorrectClipboardData);
    EXPECT_EQ(PasteText("1\t2\r\n3\r\n").failure, MessageId::NotTwoColumns);
    // An extra empty line after the last row.
    EXPECT_EQ(PasteText("1\t2\r\n3\t4\r\n\r\n").failure, MessageId::MissingDatum);
}

TEST(SheetText, ElevenDigitsAfterAThirdFieldStillReportTheThirdField) {
    // The row's own end is looked at before the field's length.
    EXPECT_EQ(PasteText("1\t2\r\n3\t12345678901\t5\r\n").failure, MessageId::IncorrectClipboardData);
}

TEST(SheetText, EmptyCellInASkippedColumnIsAccepted) {
    const Paste p = PasteText("1\t\t3\r\n4\t\t6\r\n", {1, 3});
    ASSERT_FALSE(p.failure);
    EXPECT_EQ(p.y[1], "6");
}

TEST(SheetText, ShortRowsEndAsAMissingFieldNeverBeyondTheText) {
    // Rows with fewer fields than the first, including at the very end of the text.
    EXPECT_EQ(PasteText("1\t2\t3\r\n4\t5\r\n", {1, 3}).failure, MessageId::MissingDatum);
    // Here the X field is the row's last one.
    EXPECT_EQ(PasteText("1\t2\t3\r\n4\t5\r\n", {2, 3}).failure, MessageId::NotTwoColumns);
    EXPECT_EQ(PasteText("1\t2\t3\t4\r\n\r\n", {3, 4}).failure, MessageId::MissingDatum);
    EXPECT_EQ(PasteText("1\t2\t3\t4\r\n5\r\n", {3, 4}).failure, MessageId::MissingDatum);
}

TEST(SheetText, LongerRowsEndAtTheirOwnLineEnd) {
    const Paste p = PasteText("1\t2\t3\r\n4\t5\t6\t7\t8\r\n9\t10\t11\r\n", {1, 3});
    ASSERT_FALSE(p.failure);
    EXPECT_EQ(p.rows, 3);
    EXPECT_EQ(p.x[2], "9");
    EXPECT_EQ(p.y[2], "11");
}

TEST(SheetText, AFailingRowPutsItsOwnSlotsBack) {
    SlotTexts before;
    for (int k = 0; k < kTextSlots; ++k) before[k] = "old";
    const Paste p = PasteText("1\t2\r\n3\tx4\r\n", {1, 2}, before);
    EXPECT_EQ(p.failure, MessageId::IncorrectClipboardData);  // x is not an allowed character
    const Paste q = PasteText("1\t2\r\n3\t4.4.4\r\n5\t6\r\n", {1, 2}, before);
    EXPECT_EQ(q.failure, MessageId::NotNumerical);
    EXPECT_EQ(q.x[0], "1");  // earlier rows keep the pasted texts
    EXPECT_EQ(q.y[0], "2");
    EXPECT_EQ(q.x[1], "old");
    EXPECT_EQ(q.y[1], "old");
    EXPECT_EQ(q.x[2], "old");
    const Paste r = PasteText("1\t2\r\n3\t\r\n", {1, 2}, before);
    EXPECT_EQ(r.failure, MessageId::MissingDatum);
    EXPECT_EQ(r.x[1], "old");
}

TEST(SheetText, FiftyRowsFillFortyFiveCellsAndCheckTheFortySixth) {
    std::string text;
    for (int i = 1; i <= 50; ++i) text += std::to_string(i) + "\t" + std::to_string(i * 2) + "\r\n";
    Paste p = PasteText(text);
    ASSERT_FALSE(p.failure);
    EXPECT_EQ(p.rows, 46);
    EXPECT_EQ(p.x[44], "45");
    EXPECT_EQ(p.x[45], "46");  // the spare slot, never shown

    std::string faultyRow46;
    for (int i = 1; i <= 50; ++i)
        faultyRow46 += (i == 46 ? std::string("4.6.") : std::to_string(i)) + "\t1\r\n";
    EXPECT_EQ(PasteText(faultyRow46).failure, MessageId::NotNumerical);

    std::string faultyRow47;
    for (int i = 1; i <= 50; ++i) faultyRow47 += (i == 47 ? std::string("4.7.") : std::to_string(i)) + "\t1\r\n";
    EXPECT_FALSE(PasteText(faultyRow47).failure);
}

TEST(ColumnDialog, ProposalsAndDefaults) {
    EXPECT_EQ(ProposedColumn(ColumnBox::X, 0, 4), 1);
    EXPECT_EQ(ProposedColumn(ColumnBox::Y, 0, 4), 4);
    EXPECT_EQ(ProposedColumn(ColumnBox::X, 2, 4), 2);
    EXPECT_EQ(ProposedColumn(ColumnBox::Y, 4, 4), 4);
    // Remembered from a wider paste: not a column of this text.
    EXPECT_EQ(ProposedColumn(ColumnBox::X, 5, 3), 1);
    EXPECT_EQ(ProposedColumn(ColumnBox::Y, 6, 3), 3);
}

TEST(ColumnDialog, EveryKeystrokeLeavesABeginningOfAListedColumn) {
    EXPECT_EQ(ValidateColumnText("7", ColumnBox::X, 4), "1");
    EXPECT_EQ(ValidateColumnText("7", ColumnBox::Y, 4), "4");
    EXPECT_EQ(ValidateColumnText("1", ColumnBox::Y, 12), "1");  // begins 12
    EXPECT_EQ(ValidateColumnText("", ColumnBox::Y, 4), "");
    EXPECT_EQ(ValidateColumnText("0", ColumnBox::X, 4), "1");
}

// The check looks at the typed text alone: it must say what a search of the whole list says.
TEST(ColumnDialog, ABeginningOfAListedColumnIsKnownWithoutTheList) {
    const std::string characters = "0123456789a";
    std::vector<std::string> texts = {""};
    for (size_t length = 1; length <= 3; ++length) {
        const size_t shorter = texts.size();
        for (size_t k = 0; k < shorter; ++k)
            if (texts[k].size() == length - 1)
                for (char c : characters) texts.push_back(texts[k] + c);
    }
    for (int count : {1, 2, 3, 9, 10, 11, 12, 19, 20, 21, 99, 100, 101, 120}) {
        for (const std::string& text : texts) {
            bool listed = false;
            for (int column = 1; column <= count && !listed; ++column)
                listed = std::to_string(column).compare(0, text.size(), text) == 0;
            EXPECT_EQ(BeginsListedColumn(text, count), listed) << "'" << text << "' of " << count;
        }
    }
    // A pasted row of 16,777,200 tabs: the beginnings of its last columns, and the next ones.
    EXPECT_TRUE(BeginsListedColumn("16777201", 16777201));
    EXPECT_TRUE(BeginsListedColumn("1677720", 16777201));
    EXPECT_FALSE(BeginsListedColumn("16777202", 16777201));
    EXPECT_FALSE(BeginsListedColumn("9999999999999", 16777201));
}

TEST(ColumnDialog, OkNeverPassesAColumnOutsideTheText) {
    ColumnDialogAnswer a = ReadColumnNumbers("2", "4", 4);
    EXPECT_EQ(a.outcome, ColumnDialogOutcome::Accepted);
    EXPECT_EQ(a.columns.xColumn, 2);
    EXPECT_EQ(a.columns.yColumn, 4);
    EXPECT_EQ(ReadColumnNumbers("3", "3", 4).outcome, ColumnDialogOutcome::YNotGreater);
    EXPECT_EQ(ReadColumnNumbers("3", "2", 4).outcome, ColumnDialogOutcome::YNotGreater);
    a = ReadColumnNumbers("", "9", 4);  // empty X reads 0; 9 is beyond the text
    EXPECT_EQ(a.outcome, ColumnDialogOutcome::Accepted);
    EXPECT_EQ(a.columns.xColumn, 1);
    EXPECT_EQ(a.columns.yColumn, 4);
    a = ReadColumnNumbers("4", "", 4);
    EXPECT_EQ(a.outcome, ColumnDialogOutcome::YNotGreater);
    EXPECT_EQ(a.columns.yColumn, 4);
}

}  // namespace
}  // namespace plorimet
