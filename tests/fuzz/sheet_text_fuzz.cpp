// Any bytes as clipboard text, with every column choice the dialog can give: the parser must
// stay inside the text and fill only slots that a cell can show.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "data/cell_rule.h"
#include "data/sheet_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    // The first byte picks the remembered columns, as if from an earlier paste.
    const int lastX = data[0] & 0x0f;
    const int lastY = data[0] >> 4;
    const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
    const plorimet::SheetShape shape = plorimet::CheckSheetText(text);
    if (shape.failure) return 0;
    if (shape.columnCount < 2) std::abort();
    plorimet::ColumnChoice columns{1, 2};
    if (shape.columnCount > 2) {
        const auto answer = plorimet::ReadColumnNumbers(
            std::to_string(plorimet::ProposedColumn(plorimet::ColumnBox::X, lastX, shape.columnCount)),
            std::to_string(plorimet::ProposedColumn(plorimet::ColumnBox::Y, lastY, shape.columnCount)),
            shape.columnCount);
        if (answer.outcome != plorimet::ColumnDialogOutcome::Accepted) return 0;
        columns = answer.columns;
        if (columns.xColumn < 1 || columns.yColumn > shape.columnCount || columns.xColumn >= columns.yColumn)
            std::abort();
    }
    plorimet::SlotTexts x;
    plorimet::SlotTexts y;
    const plorimet::SheetParseResult result = plorimet::ParseSheetRows(text, shape.columnCount, columns, x, y);
    if (!result.failure) {
        for (int k = 0; k < result.rowsPasted; ++k) {
            if (x[k].empty() || x[k].size() > 10 || !plorimet::ObeysCellRule(x[k])) std::abort();
            if (y[k].empty() || y[k].size() > 10 || !plorimet::ObeysCellRule(y[k])) std::abort();
        }
    }
    return 0;
}
