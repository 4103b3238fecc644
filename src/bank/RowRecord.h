// Turning a row into its 640-byte record at save time, and a stored record back
// into a row when a bank is opened.
#pragma once

#include <cstdint>
#include <string>

#include "bank/RowList.h"
#include "bank/SampleRecord.h"

namespace quillon {

// What the writer found out about a row's audio bytes.
struct WaveFacts {
    std::string path;  // as recordPath gives it
    uint32_t owner = 0;
    uint32_t size = 0;
    uint32_t offset = 0;
    WaveFormatBlock format;
    int32_t loopStart = -1;
    int32_t loopEnd = -1;
};

// Builds a row's record from its cell texts, each column writing its own field
// (see Columns.h): "*" leaves a property at its "not set" value with its flag
// clear; the wave facts fill the rest.
ZQ_BankSample recordFromRow(const Row& row, const WaveFacts& facts);

// Builds a row from a stored record (whose sample number is not 0): cell texts,
// check box, and a copy of the record itself.
Row rowFromRecord(const ZQ_BankSample& record);
// The same, filling a row in place (no copy of the row when the list is built).
void fillRowFromRecord(const ZQ_BankSample& record, Row& row);

// The full path of a row's source file: Location, "/", Name.
std::string rowPath(const Row& row);

// The path a row's record stores: the stored record's own path while the row's
// Location and Name are the cells read from it, so a path an older tool wrote
// with "\" separators keeps its bytes; else rowPath.
std::string recordPath(const Row& row);

}  // namespace quillon
