#pragma once

#include "bank/CellFormat.h"
#include "bank/RowList.h"
#include "support/TempFolder.h"

namespace quillon::test {

// Rows of No, Name and Description (none when not given); every other cell "*".
inline void appendRows(RowList& rows, const std::vector<std::vector<std::string>>& list) {
    for (const auto& cells : list) {
        Row row;
        for (int c = 0; c < kColumnCount; ++c)
            setCell(row, c, "*");
        setCell(row, kColNo, cells[0]);
        setCell(row, kColName, cells[1]);
        setCell(row, kColDescription, cells.size() > 2 ? cells[2] : "");
        rows.append(row);
    }
}

inline std::string readText(const std::string& path) {
    std::vector<uint8_t> bytes = readFileBytes(path);
    return std::string(bytes.begin(), bytes.end());
}

inline void writeText(const std::string& path, const std::string& text) {
    writeFile(path, std::vector<uint8_t>(text.begin(), text.end()));
}

}  // namespace quillon::test
