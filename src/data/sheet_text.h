// Text copied from a spreadsheet: checks, column choice and the pasted slot texts.
#pragma once

#include <optional>
#include <string>

#include "base/messages.h"
#include "fit/data_set.h"

namespace plorimet {

// The longest text a front end that is handed a whole text at once (the page's clipboard, the
// command line's file) takes to paste: beyond it the text is refused as incorrect.
constexpr size_t kPasteTextLimit = 16 * 1024 * 1024;

// Checks that need no column choice: ends in CR LF, allowed characters only, a first row
// with at least one tab. Gives the message that ends the paste, or the column count.
struct SheetShape {
    std::optional<MessageId> failure;
    int columnCount = 0;
};
SheetShape CheckSheetText(const std::string& text);

struct ColumnChoice {
    int xColumn = 1;  // 1-based, always below yColumn and within 1..columnCount
    int yColumn = 2;
};

// Parses the rows into the slots, from slot 0 on. A failing row puts its own slots back
// and ends the parse with its message; slots of earlier rows keep the pasted texts.
// On success the slots after the last row are emptied.
struct SheetParseResult {
    std::optional<MessageId> failure;
    int rowsPasted = 0;
};
SheetParseResult ParseSheetRows(const std::string& text, int columnCount, ColumnChoice columns, SlotTexts& xText,
                                SlotTexts& yText);

// Column dialog decisions.
enum class ColumnBox { X, Y };
int DefaultColumn(ColumnBox box, int columnCount);  // 1 for X, columnCount for Y
// The proposal shown when the dialog opens: the number of the last accepted paste when it
// is still a column of this text, else the default.
int ProposedColumn(ColumnBox box, int lastColumn, int columnCount);
// Whether one of the listed numbers 1 .. columnCount, in decimal, begins with the text (the
// empty text begins every entry).
bool BeginsListedColumn(const std::string& text, int columnCount);
// The text a box holds after the user changed it: kept when it begins a listed number
// (ignoring case; the empty text begins every entry), otherwise the default.
std::string ValidateColumnText(const std::string& typed, ColumnBox box, int columnCount);

// What the column dialog opens with: the column count and the numbers each box proposes.
struct ColumnDialogRequest {
    UiLanguage language = UiLanguage::English;
    int columnCount = 3;
    int proposedX = 1;
    int proposedY = 3;
};

enum class ColumnDialogOutcome { Accepted = 0, Cancelled = 1, YNotGreater = 2 };
struct ColumnDialogAnswer {
    ColumnDialogOutcome outcome = ColumnDialogOutcome::Cancelled;
    ColumnChoice columns;
};
// OK: reads both texts; a number outside 1..columnCount (an empty text reads 0) counts as
// the box's default, so no out-of-range column ever reaches the parser.
ColumnDialogAnswer ReadColumnNumbers(const std::string& xText, const std::string& yText, int columnCount);

}  // namespace plorimet
