#include "bank/RowRecord.h"

#include "bank/CellFormat.h"
#include "bank/RowCells.h"
#include "platform/Numbers.h"
#include "platform/Paths.h"

namespace quillon {

namespace {

// A music section's record may hold kFlagPlayType beside its descriptor (an
// older writer set it). Its Play Type cell shows "*" either way, so the bit is
// taken from the stored record while the field still holds its descriptor.
bool keepsStoredPlayTypeFlag(const Row& row, const ZQ_BankSample& r) {
    return row.record && row.record->has(kFlagPlayType) && isMpegSection(r) &&
           r.playType == row.record->playType;
}

bool cellIsFromRecord(const Row& row, int column, const ZQ_BankSample& r) {
    return row.cells[size_t(column)] == columnAt(column).fromRecord(r);
}

}  // namespace

ZQ_BankSample recordFromRow(const Row& row, const WaveFacts& facts) {
    ZQ_BankSample r;
    r.playType = row.mpegDescriptor;
    r.atmos = -1;
    for (int c = 0; c < kColumnCount; ++c)
        if (auto store = columnAt(c).toRecord) store(row.cells[size_t(c)], r);
    if (keepsStoredPlayTypeFlag(row, r)) r.setFlags |= kFlagPlayType;
    r.enabled = row.checked ? 1 : 0;
    r.path = facts.path;
    r.waveOwner = facts.owner;
    r.waveSize = facts.size;
    r.waveOffset = facts.offset;
    r.format = facts.format;
    r.loopStart = facts.loopStart;
    r.loopEnd = facts.loopEnd;
    return r;
}

Row rowFromRecord(const ZQ_BankSample& r) {
    Row row;
    fillRowFromRecord(r, row);
    return row;
}

void fillRowFromRecord(const ZQ_BankSample& r, Row& row) {
    for (int c = 0; c < kColumnCount; ++c)
        setCell(row, c, columnAt(c).fromRecord(r));
    if (isMpegSection(r)) {
        row.mpegDescriptor = r.playType;
        row.waveFormat = r.format;
    }
    row.checked = r.enabled == 1;
    row.enabled = r.enabled;
    row.loadNumber = r.sampleNumber;
    row.record = r;
}

std::string rowPath(const Row& row) {
    return joinPath(row.cells[kColLocation], row.cells[kColName]);
}

std::string recordPath(const Row& row) {
    if (row.record && cellIsFromRecord(row, kColLocation, *row.record) &&
        cellIsFromRecord(row, kColName, *row.record))
        return row.record->path;
    return rowPath(row);
}

}  // namespace quillon
