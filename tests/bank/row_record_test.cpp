#include <gtest/gtest.h>

#include <limits>

#include "bank/CellFormat.h"
#include "bank/RowCells.h"
#include "bank/RowRecord.h"

namespace quillon {
namespace {

// A row as an add makes it: every property "*", file facts filled in.
Row newRow(int number) {
    Row row;
    for (int c = 0; c < kColumnCount; ++c)
        setCell(row, c, "*");
    setCell(row, kColNo, std::to_string(number));
    setCell(row, kColName, "door.wav");
    setCell(row, kColLocation, "/snd");
    setCell(row, kColDescription, "");
    row.checked = true;
    return row;
}

WaveFacts facts() {
    WaveFacts f;
    f.path = "/snd/door.wav";
    f.size = 1104;
    f.format = {1, 2, 44100, 176400, 4, 16, 0};
    return f;
}

ZQ_BankSample recordWith(int column, const char* cell) {
    Row row = newRow(1);
    setCell(row, column, cell);
    return recordFromRow(row, facts());
}

// cell -> record -> cell gives the cell back at each column's edges and "*".
TEST(RowRecord, EveryPropertyColumnSurvivesRecordAndBack) {
    const std::pair<int, std::vector<const char*>> cases[] = {
        {kColPriority, {"1", "9999"}},
        {kColGroup, {"1", "9999"}},
        {kColAtmosGroup, {"1", "9999"}},
        {kColAtmos, {"0", "9999"}},
        {kColVolume, {"0", "127"}},
        {kColUserParam, {"1", "32767"}},
        {kColPitch, {"1", "1000"}},
        {kColPitchVar, {"1", "100"}},
        {kColPan, {"0", "180"}},
        {kColLoop, {"-1", "0", "9999"}},
        {kColXPos, {"-9999", "0", "-12"}},
        {kColYPos, {"9999"}},
        {kColZPos, {"-9999"}},
        {kColScale, {"0", "7", "100"}},
        {kColMinDist, {"0.010000"}},
        {kColMaxDist, {"9999.000000", "2.500000"}},
        {kColPlayType, {"Overlap", "Once", "Restart"}},
    };
    for (auto [column, cells] : cases) {
        SCOPED_TRACE(columnTable()[size_t(column)].title);
        cells.push_back("*");
        for (const char* cell : cells) {
            Row back = rowFromRecord(recordWith(column, cell));
            EXPECT_EQ(back.cells[size_t(column)], cell);
            EXPECT_EQ(sortKey(back, column), sortKeyOf(column, cell));
        }
    }
}

TEST(RowRecord, EachColumnSetsOnlyItsOwnFlagBit) {
    const struct {
        int column;
        const char* cell;
        uint32_t flag;
    } cases[] = {{kColPitch, "100", kFlagPitch},
                 {kColPan, "5", kFlagPan},
                 {kColXPos, "1", kFlagXPos},
                 {kColYPos, "1", kFlagYPos},
                 {kColZPos, "1", kFlagZPos},
                 {kColVolume, "1", kFlagVolume},
                 {kColLoop, "1", kFlagLoop},
                 {kColMinDist, "1", kFlagMinDist},
                 {kColMaxDist, "1", kFlagMaxDist},
                 {kColScale, "1", kFlagScale},
                 {kColPlayType, "once", kFlagPlayType},
                 {kColPriority, "5", 0u},
                 {kColGroup, "5", 0u},
                 {kColAtmosGroup, "5", 0u},
                 {kColAtmos, "5", 0u},
                 {kColUserParam, "5", 0u},
                 {kColPitchVar, "5", 0u}};
    for (const auto& c : cases)
        EXPECT_EQ(recordWith(c.column, c.cell).setFlags, c.flag) << c.column;
    ZQ_BankSample r = recordFromRow(newRow(3), facts());
    EXPECT_EQ(r.setFlags, 0u);
    EXPECT_EQ(r.atmos, -1);
    EXPECT_EQ(r.enabled, 1u);
    EXPECT_EQ(r.sampleNumber, 3u);
    EXPECT_EQ(r.path, "/snd/door.wav");
}

// A value its field cannot hold (from a WAV file's comment keys, unchecked) is
// kept at the field's nearer end, never wrapped into an unrelated value.
TEST(RowRecord, ValuesAreHeldAtTheirFieldsEnds) {
    using Get = double (*)(const ZQ_BankSample&);
    const struct {
        int column;
        const char* cell;
        Get field;
        double want;
    } cases[] = {
        {kColGroup, "65537", [](const ZQ_BankSample& r) { return double(r.group); }, 65535},
        {kColGroup, "-3", [](const ZQ_BankSample& r) { return double(r.group); }, 0},
        {kColAtmosGroup, "65536", [](const ZQ_BankSample& r) { return double(r.atmosGroup); },
         65535},
        {kColVolume, "70000", [](const ZQ_BankSample& r) { return double(r.volume); }, 65535},
        {kColUserParam, "-1", [](const ZQ_BankSample& r) { return double(r.userParam); }, 0},
        {kColPriority, "-5", [](const ZQ_BankSample& r) { return double(r.priority); }, 0},
        {kColPriority, "0", [](const ZQ_BankSample& r) { return double(r.priority); }, 0},
        {kColPriority, "9999", [](const ZQ_BankSample& r) { return double(r.priority); }, 9999},
        {kColScale, "7", [](const ZQ_BankSample& r) { return double(r.scale); }, double(0.7f)},
        {kColPlayType, "ONCE", [](const ZQ_BankSample& r) { return double(r.playType); }, 2},
        {kColMinDist, "1e300", [](const ZQ_BankSample& r) { return double(r.minDist); },
         double(std::numeric_limits<float>::max())},
        {kColMaxDist, "-1e300", [](const ZQ_BankSample& r) { return double(r.maxDist); },
         -double(std::numeric_limits<float>::max())},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.field(recordWith(c.column, c.cell)), c.want) << c.cell;
    EXPECT_TRUE(recordWith(kColVolume, "70000").has(kFlagVolume));
    EXPECT_EQ(rowFromRecord(recordWith(kColPriority, "0")).cells[kColPriority], "*");
    EXPECT_EQ(rowFromRecord(recordWith(kColPlayType, "ONCE")).cells[kColPlayType], "Once");
}

TEST(RowRecord, UnknownPlayTypeKeepsTheMpegDescriptorWithTheBitSet) {
    Row row = newRow(1);
    row.mpegDescriptor = 0x44C4FDFF;
    EXPECT_EQ(recordFromRow(row, facts()).playType, 0x44C4FDFFu);
    setCell(row, kColPlayType, "sometimes");
    ZQ_BankSample r = recordFromRow(row, facts());
    EXPECT_EQ(r.playType, 0x44C4FDFFu);
    EXPECT_TRUE(r.has(kFlagPlayType));
}

TEST(RowFromRecord, BuildsCellsKeysCheckBoxAndRowRecord) {
    ZQ_BankSample r;
    r.path = "/snd/sub/door.wav";
    r.sampleNumber = 7, r.cloneCount = 1, r.waveSize = 1104;
    r.format = {1, 1, 22050, 44100, 2, 8, 0};
    r.loopStart = -1, r.loopEnd = 99, r.atmos = -1, r.enabled = 1;
    const std::pair<int, const char*> cells[] = {{kColNo, "7"},
                                                 {kColName, "door.wav"},
                                                 {kColLocation, "/snd/sub"},
                                                 {kColBank, "Yes"},
                                                 {kColClone, "1"},
                                                 {kColSize, "1104"},
                                                 {kColFormat, "  8-bit 22 khz Mono"},
                                                 {kColCompression, "None"},
                                                 {kColLStart, "*"},
                                                 {kColLEnd, "99"},
                                                 {kColAtmos, "*"}};
    Row row = rowFromRecord(r);
    for (auto [column, cell] : cells)
        EXPECT_EQ(row.cells[size_t(column)], cell) << column;
    EXPECT_EQ(sortKey(row, kColNo), "0007");
    EXPECT_EQ(sortKey(row, kColSize), "00001104");
    EXPECT_TRUE(row.checked);
    EXPECT_EQ(row.loadNumber, 7u);
    ASSERT_TRUE(row.record);
    EXPECT_EQ(*row.record, r);
    r.enabled = 0;
    EXPECT_FALSE(rowFromRecord(r).checked);

    // A music section: its MPEG descriptor shows as the compression.
    r.playType = 0x00A4FDFF;  // MPEG-1 layer II, 192 kbit/s: FF FD A4 00 read little-endian
    row = rowFromRecord(r);
    EXPECT_EQ(row.cells[kColCompression], "Layer 2 - 192kb");
    EXPECT_EQ(row.mpegDescriptor, 0x00A4FDFFu);
    EXPECT_EQ(row.cells[kColPlayType], "*");
}

// Paths made on other systems separate folders by a backslash; in a path made
// here a backslash is part of the file's name.
TEST(RowFromRecord, SplitsPathsAtTheSeparatorOfTheSystemThatWroteThem) {
    const struct {
        const char *path, *location, *name;
    } cases[] = {{"c:\\wavs\\door.wav", "c:\\wavs", "door.wav"},
                 {"/snd/night\\rain.wav", "/snd", "night\\rain.wav"},
                 {"/snd\\x/rain.wav", "/snd\\x", "rain.wav"},
                 {"/rain.wav", "/", "rain.wav"}};
    for (const auto& c : cases) {
        ZQ_BankSample r;
        r.path = c.path;
        r.sampleNumber = 1;
        Row row = rowFromRecord(r);
        EXPECT_EQ(row.cells[kColName], c.name) << c.path;
        EXPECT_EQ(row.cells[kColLocation], c.location) << c.path;
        EXPECT_TRUE(c.path[0] != '/' || rowPath(row) == c.path) << c.path;
    }
}

// Stored floats past the integer range (a broken or hostile bank) are held at
// the range's ends, never turned into a negative number for a huge one.
TEST(RowFromRecord, FloatsPastTheIntegerRangeAreHeldAtItsEnds) {
    ZQ_BankSample r;
    r.sampleNumber = 1;
    r.setFlags = kFlagXPos | kFlagYPos | kFlagZPos | kFlagScale;
    r.xPos = 1e30f, r.yPos = -1e30f, r.scale = 1e30f;
    r.zPos = std::numeric_limits<float>::quiet_NaN();
    Row row = rowFromRecord(r);
    EXPECT_EQ(row.cells[kColXPos], "2147483647");
    EXPECT_EQ(row.cells[kColYPos], "-2147483648");
    EXPECT_EQ(row.cells[kColZPos], "0");
    EXPECT_EQ(row.cells[kColScale], "2147483647");
}

// A key keeps at most its field's bytes less one, and never ends inside a
// character: a two-byte character that would straddle the limit goes whole.
TEST(SortKeyOf, CutsAtTheKeyFieldBetweenCharacters) {
    const std::string e = "\xC3\xA9", a253(253, 'a'), a254(254, 'a');
    const struct {
        int column;
        std::string cell, key;
    } cases[] = {
        {kColName, std::string(259, 'a'), std::string(259, 'a')},
        {kColName, std::string(260, 'a'), std::string(259, 'a')},
        {kColName, std::string(258, 'a') + e, std::string(258, 'a')},
        {kColDescription, a253 + e, a253 + e},
        {kColDescription, a254 + e, a254},
        {kColNo, "4294967295", "429496729"},
        {kColLEnd, "-5", "-00000005"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(sortKeyOf(c.column, c.cell), c.key) << c.cell.substr(0, 12);
}

}  // namespace
}  // namespace quillon
