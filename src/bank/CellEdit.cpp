#include "bank/CellEdit.h"

#include "bank/CellFormat.h"
#include "bank/RowCells.h"
#include "platform/Numbers.h"
#include "platform/Text.h"

namespace quillon {

CellCheck ValidateCellEdit(int column, std::string& text) {
    if (text == kNotSet) return {};
    const ColumnDescriptor& d = columnAt(column);
    std::string refusal(d.refusal);
    switch (d.kind) {
        case CellKind::Text:
            return {};
        case CellKind::PlayType:
            if (playTypeFromCell(text) != 0) return {};
            return {false, refusal};
        case CellKind::Distance: {
            if (!isNumberCell(text)) return {false, refusal};
            double x = atofLike(text);
            // The bound holds for the value itself too: "1e5" has the leading
            // integer 1 but means 100000.
            if (x < 0.01 || leadingInteger(text) > d.high || x >= d.high + 1.0)
                return {false, refusal};
            text = distanceCell(x);
            return {};
        }
        case CellKind::Integer:
            break;
    }
    if (!d.editable) return {};
    if (!isNumberCell(text)) return {false, refusal};
    int64_t n = leadingInteger(text);
    text = integerCell(n);
    if (n < d.low || n > d.high) return {false, refusal};
    return {};
}

void CommitCellEdit(CQuillonDoc& doc, int column, const std::string& text) {
    RowList& rows = doc.rows();
    // Cut before a character that would not fit the field, never inside one.
    std::string cell = columnAt(column).kind == CellKind::Text
                           ? std::string(cutAtCharacter(text, columnAt(column).keyBytes - 1))
                           : text;
    HistoryStep step(doc.history(), "Edit " + std::string(columnAt(column).title));
    for (int i : rows.selectedRows())
        rows.setCell(i, column, cell);
    if (column == kColGroup && !isNotSet(cell)) rows.raiseHighestGroup(atoiLike(cell));
}

bool canEditColumn(const CQuillonDoc& doc, int column) {
    if (!columnAt(column).editable) return false;
    return !(column == kColDescription && doc.values().musicBank);
}

}  // namespace quillon
