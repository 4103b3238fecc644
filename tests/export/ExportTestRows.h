// Rows for the exporter tests, built directly from cells and keys.
#pragma once

#include <string>
#include <vector>

#include "bank/CellFormat.h"
#include "bank/RowList.h"
#include "support/TempFolder.h"

namespace quillon::test {

// A row with its No, Name and Description; every other cell "*".
inline Row sampleRow(int number, const std::string& name, const std::string& description = "") {
    Row row;
    for (std::string& cell : row.cells)
        cell = "*";
    row.cells[kColNo] = integerCell(number);
    row.record.noKey.set(integerKey(kColNo, number));
    row.cells[kColName] = name;
    row.record.name.set(name);
    row.cells[kColDescription] = description;
    row.record.description.set(description);
    return row;
}

inline void appendRows(RowList& rows, std::vector<Row> list) {
    for (Row& row : list)
        rows.append(std::move(row));
}

inline std::string readText(const std::string& path) {
    std::vector<uint8_t> bytes = readFileBytes(path);
    return std::string(bytes.begin(), bytes.end());
}

inline void writeText(const std::string& path, const std::string& text) {
    writeFileBytes(path, std::vector<uint8_t>(text.begin(), text.end()));
}

// Turns every "\n" into "\r\n": how the text-mode files are expected.
inline std::string crlf(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\n') out += '\r';
        out += c;
    }
    return out;
}

}  // namespace quillon::test
