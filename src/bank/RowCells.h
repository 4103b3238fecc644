// The cells of a row being made, from a record, by the Wave commands or by
// the MPEG import: each cell is set together with its sort key, and a new row
// is numbered the same way whichever command adds it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "bank/CellFormat.h"
#include "bank/RowList.h"
#include "platform/Numbers.h"

namespace quillon {

inline void setRowText(Row& row, int column, std::string_view text) {
    row.cells[size_t(column)] = std::string(text);
    row.record.setSortKey(column, text);
}

inline void setRowInteger(Row& row, int column, int64_t value) {
    row.cells[size_t(column)] = integerCell(value);
    row.record.setSortKey(column, integerKey(column, value));
}

// One more than the last row's No, read in 64 bits: a No loaded from a bank
// may be as large as 4294967295.
inline int64_t nextRowNumber(const RowList& rows) {
    return rows.empty() ? 1 : leadingInteger(rows.cell(rows.size() - 1, kColNo)) + 1;
}

}  // namespace quillon
