#include "data/sheet_text.h"

#include "base/text.h"

namespace plorimet {

namespace {

bool IsAllowedSheetCharacter(char c) {
    return (c >= '0' && c <= '9') || c == '-' || c == '.' || c == '\t' || c == '\r' || c == '\n' || c == ' ';
}

// The whole field is a decimal number as strtod reads it: an optional minus sign, digits
// with at most one point, at least one digit.
bool IsWholeDecimalNumber(const std::string& field) {
    size_t i = 0;
    if (i < field.size() && field[i] == '-') ++i;
    bool digit = false;
    bool point = false;
    for (; i < field.size(); ++i) {
        const char c = field[i];
        if (c >= '0' && c <= '9') {
            digit = true;
        } else if (c == '.' && !point) {
            point = true;
        } else {
            return false;
        }
    }
    return digit;
}

// Walks one text with bounds: every scan stops at the end of the text, so a row that is
// shorter than the first one ends as a missing field instead of reading past the end.
class SheetCursor {
public:
    explicit SheetCursor(const std::string& text) : text_(text) {}

    size_t size() const { return text_.size(); }
    bool AtEnd(size_t p) const { return p >= text_.size(); }
    char At(size_t p) const { return text_[p]; }

    // First tab or CR at or after p; the text's size when there is none.
    size_t NextFieldEnd(size_t p) const {
        while (p < text_.size() && text_[p] != '\t' && text_[p] != '\r') ++p;
        return p;
    }
    size_t SkipSpaces(size_t p) const {
        while (p < text_.size() && text_[p] == ' ') ++p;
        return p;
    }
    size_t RowEnd(size_t p) const {
        while (p < text_.size() && text_[p] != '\r') ++p;
        return p;
    }
    const std::string& text() const { return text_; }

private:
    const std::string& text_;
};

struct Field {
    std::optional<MessageId> failure;
    std::string value;
    size_t end = 0;  // the tab or CR that ends the field
};

// What may end a field: X needs a field after it; Y of a two-column text must end its row.
enum class FieldEnd { BeforeAnotherField, EndsRow, Any };

// Reads the field starting at p: trimmed of spaces, 1 to 10 characters.
Field ReadField(const SheetCursor& cursor, size_t p, FieldEnd rule) {
    Field field;
    const size_t s = cursor.SkipSpaces(p);
    if (cursor.AtEnd(s) || cursor.At(s) == '\t' || cursor.At(s) == '\r') {
        field.failure = MessageId::MissingDatum;
        return field;
    }
    field.end = cursor.NextFieldEnd(s + 1);
    if (cursor.AtEnd(field.end)) {
        field.failure = MessageId::MissingDatum;
        return field;
    }
    if (rule == FieldEnd::BeforeAnotherField && cursor.At(field.end) == '\r') {
        field.failure = MessageId::NotTwoColumns;
        return field;
    }
    if (rule == FieldEnd::EndsRow && cursor.At(field.end) == '\t') {
        field.failure = MessageId::IncorrectClipboardData;
        return field;
    }
    size_t e = field.end - 1;
    while (e > s && cursor.At(e) == ' ') --e;
    if (e - s > 9) {
        field.failure = MessageId::MoreThanTenCharacters;
        return field;
    }
    field.value = cursor.text().substr(s, e - s + 1);
    return field;
}

}  // namespace

SheetShape CheckSheetText(const std::string& text) {
    SheetShape shape;
    const size_t length = text.size();
    if (length < 2 || text[length - 2] != '\r' || text[length - 1] != '\n') {
        shape.failure = MessageId::IncorrectClipboardData;
        return shape;
    }
    for (char c : text) {
        if (!IsAllowedSheetCharacter(c)) {
            shape.failure = MessageId::IncorrectClipboardData;
            return shape;
        }
    }
    int tabs = 0;
    for (size_t p = 0; p < length && text[p] != '\r'; ++p) {
        if (text[p] == '\t') ++tabs;
    }
    if (tabs == 0) {
        shape.failure = MessageId::NotTwoColumns;
        return shape;
    }
    shape.columnCount = tabs + 1;
    return shape;
}

SheetParseResult ParseSheetRows(const std::string& text, int columnCount, ColumnChoice columns, SlotTexts& xText,
                                SlotTexts& yText) {
    SheetParseResult result;
    const SheetCursor cursor(text);
    const bool chosen = columnCount > 2;
    const int fieldsBeforeX = chosen ? columns.xColumn - 1 : 0;
    const int fieldsBetween = chosen ? columns.yColumn - columns.xColumn - 1 : 0;

    size_t p = 0;
    int k = 0;
    for (;;) {
        auto fail = [&](MessageId id) {
            result.failure = id;
            result.rowsPasted = k;
            return result;
        };
        for (int skip = 0; skip < fieldsBeforeX; ++skip) {
            p = cursor.NextFieldEnd(p);
            if (cursor.AtEnd(p) || cursor.At(p) == '\r') return fail(MessageId::MissingDatum);
            ++p;
        }

        const Field x = ReadField(cursor, p, FieldEnd::BeforeAnotherField);
        if (x.failure) return fail(*x.failure);
        const std::string keptX = xText[k];
        xText[k] = x.value;
        if (!IsWholeDecimalNumber(xText[k])) {
            xText[k] = keptX;
            return fail(MessageId::NotNumerical);
        }

        p = x.end;
        for (int skip = 0; skip < fieldsBetween; ++skip) {
            p = cursor.NextFieldEnd(p + 1);
            if (cursor.AtEnd(p) || cursor.At(p) == '\r') {
                xText[k] = keptX;
                return fail(MessageId::MissingDatum);
            }
        }
        p = p + 1;

        const Field y = ReadField(cursor, p, chosen ? FieldEnd::Any : FieldEnd::EndsRow);
        if (y.failure) {
            xText[k] = keptX;
            return fail(*y.failure);
        }
        const std::string keptY = yText[k];
        yText[k] = y.value;
        if (!IsWholeDecimalNumber(yText[k])) {
            xText[k] = keptX;
            yText[k] = keptY;
            return fail(MessageId::NotNumerical);
        }

        // A row with more fields than the first ends at its own CR all the same.
        p = chosen ? cursor.RowEnd(y.end) : y.end;
        p += 2;
        if (p < cursor.size() && k + 1 < kTextSlots) {
            ++k;
            continue;
        }
        break;
    }
    for (int slot = k + 1; slot < kTextSlots; ++slot) {
        xText[slot].clear();
        yText[slot].clear();
    }
    result.rowsPasted = k + 1;
    return result;
}

int DefaultColumn(ColumnBox box, int columnCount) {
    return box == ColumnBox::X ? 1 : columnCount;
}

int ProposedColumn(ColumnBox box, int lastColumn, int columnCount) {
    if (lastColumn >= 1 && lastColumn <= columnCount) return lastColumn;
    return DefaultColumn(box, columnCount);
}

bool BeginsListedColumn(const std::string& text, int columnCount) {
    // The number the text spells is itself listed when it is at most columnCount, and every
    // longer number beginning with the text is larger still: one look at the text decides, however
    // many columns a pasted text has.
    if (text.empty()) return columnCount >= 1;
    if (text[0] == '0') return false;
    long long value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + (c - '0');
        if (value > columnCount) return false;
    }
    return true;
}

std::string ValidateColumnText(const std::string& typed, ColumnBox box, int columnCount) {
    if (BeginsListedColumn(typed.substr(0, kCellReadLimit), columnCount)) return typed;
    return std::to_string(DefaultColumn(box, columnCount));
}

ColumnDialogAnswer ReadColumnNumbers(const std::string& xText, const std::string& yText, int columnCount) {
    auto read = [columnCount](const std::string& text, ColumnBox box) {
        const int column = ParseLeadingInt(text.substr(0, kCellReadLimit));
        return (column >= 1 && column <= columnCount) ? column : DefaultColumn(box, columnCount);
    };
    ColumnDialogAnswer answer;
    answer.columns.xColumn = read(xText, ColumnBox::X);
    answer.columns.yColumn = read(yText, ColumnBox::Y);
    answer.outcome =
        answer.columns.yColumn > answer.columns.xColumn ? ColumnDialogOutcome::Accepted : ColumnDialogOutcome::YNotGreater;
    return answer;
}

}  // namespace plorimet
