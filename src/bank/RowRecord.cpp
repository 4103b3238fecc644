#include "bank/RowRecord.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "bank/CellFormat.h"
#include "bank/RowCells.h"
#include "formats/MpegHeader.h"
#include "formats/WavFile.h"
#include "platform/Numbers.h"
#include "platform/Paths.h"

namespace quillon {

namespace {

const std::string& cellOf(const Row& row, int column) {
    return row.cells[size_t(column)];
}

// Reads an integer property; returns false for "*".
bool readInteger(const Row& row, int column, int32_t& value) {
    const std::string& cell = cellOf(row, column);
    if (isNotSet(cell)) return false;
    value = atoiLike(cell);
    return true;
}

void readFlaggedInteger(const Row& row, int column, uint32_t flag, int32_t& field,
                        uint32_t& flags) {
    if (readInteger(row, column, field)) flags |= flag;
}

void readFlaggedPosition(const Row& row, int column, uint32_t flag, float& field, uint32_t& flags) {
    int32_t value = 0;
    if (!readInteger(row, column, value)) return;
    field = float(value);
    flags |= flag;
}

void readFlaggedDistance(const Row& row, int column, uint32_t flag, float& field, uint32_t& flags) {
    const std::string& cell = cellOf(row, column);
    if (isNotSet(cell)) return;
    // Held to the float range: converting a double beyond it is undefined.
    constexpr double kLargest = std::numeric_limits<float>::max();
    field = float(std::clamp(atofLike(cell), -kLargest, kLargest));
    flags |= flag;
}

// A value taken from a WAV file's comment keys is not range-checked; one that
// an unsigned field cannot hold is kept at the field's nearer end rather than
// wrapped into another value (a Volume of 70000 is not 4464).
template <typename Field>
Field heldTo(int32_t value) {
    return Field(std::clamp<int64_t>(value, 0, std::numeric_limits<Field>::max()));
}

void readProperties(const Row& row, ZQ_BankSample& r) {
    int32_t v = 0;
    if (readInteger(row, kColPriority, v)) r.priority = heldTo<uint32_t>(v);
    if (readInteger(row, kColGroup, v)) r.group = heldTo<uint16_t>(v);
    if (readInteger(row, kColAtmosGroup, v)) r.atmosGroup = heldTo<uint16_t>(v);
    readFlaggedInteger(row, kColPitch, kFlagPitch, r.pitch, r.setFlags);
    if (readInteger(row, kColPitchVar, v)) r.pitchVariation = v;
    readFlaggedPosition(row, kColXPos, kFlagXPos, r.xPos, r.setFlags);
    readFlaggedPosition(row, kColYPos, kFlagYPos, r.yPos, r.setFlags);
    readFlaggedPosition(row, kColZPos, kFlagZPos, r.zPos, r.setFlags);
    readFlaggedInteger(row, kColPan, kFlagPan, r.pan, r.setFlags);
    if (readInteger(row, kColVolume, v)) {
        r.volume = heldTo<uint16_t>(v);
        r.setFlags |= kFlagVolume;
    }
    if (readInteger(row, kColUserParam, v)) r.userParam = heldTo<uint16_t>(v);
    readFlaggedInteger(row, kColLoop, kFlagLoop, r.loopCount, r.setFlags);
    if (readInteger(row, kColAtmos, v)) r.atmos = v;
    const std::string& playType = cellOf(row, kColPlayType);
    if (!isNotSet(playType)) {
        if (uint32_t type = playTypeFromCell(playType)) r.playType = type;
        r.setFlags |= kFlagPlayType;
    }
    readFlaggedDistance(row, kColMinDist, kFlagMinDist, r.minDist, r.setFlags);
    readFlaggedDistance(row, kColMaxDist, kFlagMaxDist, r.maxDist, r.setFlags);
    if (readInteger(row, kColScale, v)) {
        // The cell counts tenths.
        r.scale = float(v) * 0.1f;
        r.setFlags |= kFlagScale;
    }
}

}  // namespace

ZQ_BankSample recordFromRow(const Row& row, const WaveFacts& facts) {
    ZQ_BankSample r;
    r.playType = row.record.mpegDescriptor;
    r.atmos = -1;
    r.sampleNumber = uint32_t(atoiLike(cellOf(row, kColNo)));
    r.cloneCount = uint32_t(atoiLike(cellOf(row, kColClone)));
    readProperties(row, r);
    r.description = std::string(row.record.description.view());
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

namespace {

void setCell(Row& row, int column, std::string cell, std::string_view key) {
    row.record.setSortKey(column, key);
    row.cells[size_t(column)] = std::move(cell);
}

void setNotSet(Row& row, int column) {
    setRowText(row, column, kNotSet);
}

// Properties whose "not set" is the value 0.
void setZeroUnset(Row& row, int column, int64_t value) {
    if (value == 0)
        setNotSet(row, column);
    else
        setRowInteger(row, column, value);
}

void setFlagged(Row& row, const ZQ_BankSample& r, SampleFlag flag, int column, int64_t value) {
    if (r.has(flag))
        setRowInteger(row, column, value);
    else
        setNotSet(row, column);
}

void setDistance(Row& row, const ZQ_BankSample& r, SampleFlag flag, int column, float value) {
    if (r.has(flag))
        setCell(row, column, distanceCell(value), distanceKey(value));
    else
        setNotSet(row, column);
}

void setMinusOneUnset(Row& row, int column, int32_t value) {
    if (value == -1)
        setNotSet(row, column);
    else
        setRowInteger(row, column, value);
}

// A stored float as a cell's integer, after `whole` has cut or rounded it: held
// to the 32-bit range the cells are read back in, 0 for a value that is no
// number. Converting a float outside the integer range would be undefined.
int64_t storedFloatCell(double whole) {
    if (std::isnan(whole)) return 0;
    return int64_t(std::clamp(whole, double(std::numeric_limits<int32_t>::min()),
                              double(std::numeric_limits<int32_t>::max())));
}

void fillProperties(Row& row, const ZQ_BankSample& r) {
    setZeroUnset(row, kColPriority, r.priority);
    setZeroUnset(row, kColGroup, r.group);
    setZeroUnset(row, kColAtmosGroup, r.atmosGroup);
    setZeroUnset(row, kColPitchVar, r.pitchVariation);
    setZeroUnset(row, kColUserParam, r.userParam);
    setFlagged(row, r, kFlagPitch, kColPitch, r.pitch);
    setFlagged(row, r, kFlagPan, kColPan, r.pan);
    setFlagged(row, r, kFlagVolume, kColVolume, r.volume);
    setFlagged(row, r, kFlagLoop, kColLoop, r.loopCount);
    // Positions show as their float cut to an integer.
    setFlagged(row, r, kFlagXPos, kColXPos, storedFloatCell(std::trunc(double(r.xPos))));
    setFlagged(row, r, kFlagYPos, kColYPos, storedFloatCell(std::trunc(double(r.yPos))));
    setFlagged(row, r, kFlagZPos, kColZPos, storedFloatCell(std::trunc(double(r.zPos))));
    setDistance(row, r, kFlagMinDist, kColMinDist, r.minDist);
    setDistance(row, r, kFlagMaxDist, kColMaxDist, r.maxDist);
    setFlagged(row, r, kFlagScale, kColScale, storedFloatCell(std::round(double(r.scale) * 10.0)));
    if (r.has(kFlagPlayType)) {
        std::string cell = playTypeCell(r.playType);
        setCell(row, kColPlayType, cell, cell);
    } else {
        setNotSet(row, kColPlayType);
    }
    setMinusOneUnset(row, kColAtmos, r.atmos);
    setMinusOneUnset(row, kColLStart, r.loopStart);
    setMinusOneUnset(row, kColLEnd, r.loopEnd);
}

}  // namespace

// A stored path that holds a "/" was written here, where a backslash belongs
// to the file's name; one without came from a system whose folders the
// backslash separates.
static PathParts splitStoredPath(std::string_view path) {
    return path.find('/') != std::string_view::npos ? splitLocalPath(path)
                                                    : splitAtLastSeparator(path);
}

Row rowFromRecord(const ZQ_BankSample& r) {
    Row row;
    fillRowFromRecord(r, row);
    return row;
}

void fillRowFromRecord(const ZQ_BankSample& r, Row& row) {
    setRowInteger(row, kColNo, r.sampleNumber);
    PathParts parts = splitStoredPath(r.path);
    setCell(row, kColName, parts.name, parts.name);
    setCell(row, kColLocation, parts.folder, parts.folder);
    setCell(row, kColBank, std::string(kBankYes), kBankYes);
    setRowInteger(row, kColClone, r.cloneCount);
    setRowInteger(row, kColSize, r.waveSize);
    setCell(row, kColDescription, r.description, r.description);
    std::string formatText = GetWavFormatText(r.format);
    setCell(row, kColFormat, formatText, formatText);
    bool isMpeg = !r.has(kFlagPlayType) && r.playType >= kFirstMpegDescriptor;
    std::string compression = isMpeg ? GetMpegCompressionText(DecodeMpegHeader(r.playType))
                                     : GetWavCompressionText(r.format.formatTag);
    setCell(row, kColCompression, compression, compression);
    if (isMpeg) {
        row.record.mpegDescriptor = r.playType;
        row.record.waveFormat = r.format;
    }
    fillProperties(row, r);
    row.checked = r.enabled == 1;
    row.record.enabled = r.enabled;
    row.record.loadNumber = r.sampleNumber;
    row.record.sampleRecord = r;
}

std::string rowPath(const Row& row) {
    return joinPath(row.cells[kColLocation], row.cells[kColName]);
}

}  // namespace quillon
