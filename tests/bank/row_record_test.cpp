#include <gtest/gtest.h>

#include <limits>

#include "bank/CellFormat.h"
#include "bank/RowCells.h"
#include "bank/RowRecord.h"

namespace quillon {
namespace {

// The record of a row as an add makes it (every property "*"), with the cells given.
ZQ_BankSample recordWith(std::initializer_list<std::pair<int, const char*>> cells,
                         uint32_t mpegDescriptor = 0) {
    Row row;
    for (int c = 0; c < kColumnCount; ++c)
        setCell(row, c, "*");
    setCell(row, kColDescription, "");
    setCell(row, kColNo, "3");
    for (auto [column, cell] : cells)
        setCell(row, column, cell);
    row.mpegDescriptor = mpegDescriptor;
    row.checked = true;
    return recordFromRow(row, WaveFacts{"/snd/door.wav", 0, 0, 0, {}, -1, -1});
}

// cell -> record -> cell gives the cell back, one or two edges of each kind.
TEST(RowRecord, CellsSurviveRecordAndBackAndSetOnlyTheirOwnFlag) {
    // clang-format off
    const struct { int column; const char* cell; uint32_t flag; } cases[] = {
        {kColPriority, "9999", 0}, {kColGroup, "1", 0}, {kColAtmosGroup, "9999", 0},
        {kColUserParam, "32767", 0}, {kColAtmos, "0", 0}, {kColPitchVar, "1", 0},
        {kColVolume, "0", kFlagVolume}, {kColVolume, "127", kFlagVolume},
        {kColLoop, "-1", kFlagLoop}, {kColPitch, "1000", kFlagPitch}, {kColPan, "180", kFlagPan},
        {kColXPos, "-9999", kFlagXPos},
        {kColYPos, "0", kFlagYPos}, {kColZPos, "9999", kFlagZPos}, {kColScale, "7", kFlagScale},
        {kColMinDist, "0.010000", kFlagMinDist}, {kColMaxDist, "9999.000000", kFlagMaxDist},
        {kColPlayType, "Restart", kFlagPlayType}, {kColPlayType, "Overlap", kFlagPlayType},
        {kColPriority, "*", 0}};
    // clang-format on
    for (const auto& c : cases) {
        ZQ_BankSample r = recordWith({{c.column, c.cell}});
        Row back = rowFromRecord(r);
        EXPECT_EQ(std::tuple(r.setFlags, back.cells[size_t(c.column)], sortKey(back, c.column)),
                  std::tuple(c.flag, c.cell, sortKeyOf(c.column, c.cell)))
            << c.column;
    }
    ZQ_BankSample r = recordWith({});
    EXPECT_EQ(std::tuple(r.setFlags, r.atmos, r.enabled, r.sampleNumber, r.path),
              std::tuple(0u, -1, 1u, 3u, std::string("/snd/door.wav")));
}

// Values a field cannot hold are held at its nearer end, never wrapped.
TEST(RowRecord, ValuesAreHeldAtTheirFieldsEnds) {
    // clang-format off
    ZQ_BankSample r = recordWith({{kColGroup, "65537"}, {kColAtmosGroup, "-3"},
        {kColVolume, "70000"}, {kColUserParam, "-1"}, {kColPriority, "-5"},
        {kColMinDist, "1e300"}, {kColMaxDist, "-1e300"}, {kColPlayType, "ONCE"}});
    // clang-format on
    EXPECT_EQ(std::tuple(r.group, r.atmosGroup, r.volume, r.userParam, r.priority, r.playType),
              std::tuple(65535, 0, 65535, 0, 0u, 2u));
    EXPECT_EQ(std::tuple(r.minDist, r.maxDist),
              std::tuple(std::numeric_limits<float>::max(), -std::numeric_limits<float>::max()));
    EXPECT_EQ(r.setFlags, kFlagVolume | kFlagMinDist | kFlagMaxDist | kFlagPlayType);
    EXPECT_EQ(rowFromRecord(r).cells[kColPlayType], "Once");
    // An unknown Play Type keeps the MPEG descriptor, with the bit set.
    EXPECT_EQ(recordWith({}, 0x44C4FDFF).playType, 0x44C4FDFFu);
    r = recordWith({{kColPlayType, "sometimes"}}, 0x44C4FDFF);
    EXPECT_EQ(std::tuple(r.playType, r.setFlags), std::tuple(0x44C4FDFFu, uint32_t(kFlagPlayType)));
}

TEST(RowFromRecord, BuildsCellsKeysCheckBoxAndRowRecord) {
    ZQ_BankSample r;
    r.path = "/snd/sub/door.wav";
    r.sampleNumber = 7, r.cloneCount = 1, r.waveSize = 1104, r.enabled = 1;
    r.format = {1, 1, 22050, 44100, 2, 8, 0};
    r.loopStart = -1, r.loopEnd = 99, r.atmos = -1;
    Row row = rowFromRecord(r);
    std::string cells;
    for (int c : {kColNo, kColName, kColLocation, kColBank, kColClone, kColSize, kColFormat,
                  kColCompression, kColLStart, kColLEnd, kColAtmos})
        cells += row.cells[size_t(c)] + "|";
    EXPECT_EQ(cells, "7|door.wav|/snd/sub|Yes|1|1104|  8-bit 22 khz Mono|None|*|99|*|");
    EXPECT_EQ(sortKey(row, kColNo) + sortKey(row, kColSize), "000700001104");
    EXPECT_EQ(std::tuple(row.checked, row.loadNumber, row.record), std::tuple(true, 7u, r));
    r.enabled = 0;
    r.playType = 0x00A4FDFF;  // MPEG-1 layer II, 192 kbit/s: FF FD A4 00 read little-endian
    // Floats past the integer range (a hostile bank) are held at the range's ends.
    r.setFlags = kFlagXPos | kFlagYPos | kFlagZPos | kFlagScale;
    r.xPos = 1e30f, r.yPos = -1e30f, r.scale = 1e30f;
    r.zPos = std::numeric_limits<float>::quiet_NaN();
    row = rowFromRecord(r);
    EXPECT_FALSE(row.checked);
    EXPECT_EQ(std::tuple(row.cells[kColCompression], row.mpegDescriptor, row.cells[kColPlayType]),
              std::tuple("Layer 2 - 192kb", 0x00A4FDFFu, "*"));
    EXPECT_EQ(row.cells[kColXPos] + " " + row.cells[kColYPos] + " " + row.cells[kColZPos] + " " +
                  row.cells[kColScale],
              "2147483647 -2147483648 0 2147483647");
}

}  // namespace
}  // namespace quillon
