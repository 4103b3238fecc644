// Writing and keying a row's cells: every cell write goes through setCell
// (RowList.h), and a column's sort key is made from its cell, so the two always
// agree. A new row is numbered the same way whichever command adds it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "bank/CellFormat.h"
#include "bank/RowList.h"
#include "platform/Numbers.h"

namespace quillon {

inline void setRowInteger(Row& row, int column, int64_t value) {
    setCell(row, column, integerCell(value));
}

// The sort key of a row's column (see sortKeyOf).
inline std::string sortKey(const Row& row, int column) {
    return sortKeyOf(column, row.cells[size_t(column)]);
}

// One more than the last row's No, read in 64 bits: a No loaded from a bank
// may be as large as 4294967295.
inline int64_t nextRowNumber(const RowList& rows) {
    return rows.empty() ? 1 : leadingInteger(rows.cell(rows.size() - 1, kColNo)) + 1;
}

}  // namespace quillon
