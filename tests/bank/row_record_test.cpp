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
    setCell(row, kColBank, "*");
    setCell(row, kColClone, "0");
    setCell(row, kColSize, "1104");
    setCell(row, kColDescription, "");
    row.checked = true;
    return row;
}

WaveFacts facts() {
    WaveFacts f;
    f.path = "/snd/door.wav";
    f.owner = 3;
    f.size = 1104;
    f.offset = 0;
    f.format = {1, 2, 44100, 176400, 4, 16, 0};
    return f;
}

// cell -> record -> cell must give the cell back for every valid value.
struct RoundTrip {
    int column;
    const char* cell;
};

class CellRoundTrip : public testing::TestWithParam<RoundTrip> {};

TEST_P(CellRoundTrip, CellSurvivesRecordAndBack) {
    Row row = newRow(3);
    setCell(row, GetParam().column, GetParam().cell);
    ZQ_BankSample record = recordFromRow(row, facts());
    Row back = rowFromRecord(record);
    EXPECT_EQ(back.cells[size_t(GetParam().column)], GetParam().cell);
    EXPECT_EQ(sortKey(back, GetParam().column), sortKeyOf(GetParam().column, GetParam().cell));
}

std::vector<RoundTrip> roundTrips() {
    std::vector<RoundTrip> cases;
    auto add = [&](int column, std::initializer_list<const char*> cells) {
        for (const char* c : cells)
            cases.push_back({column, c});
    };
    add(kColPriority, {"1", "9999", "50", "*"});
    add(kColGroup, {"1", "9999", "4", "*"});
    add(kColAtmosGroup, {"1", "9999", "2", "*"});
    add(kColAtmos, {"0", "9999", "30", "*"});
    add(kColVolume, {"0", "127", "100", "*"});
    add(kColUserParam, {"1", "32767", "200", "*"});
    add(kColPlayType, {"Overlap", "Once", "Restart", "*"});
    add(kColLoop, {"-1", "9999", "0", "2", "*"});
    add(kColPitch, {"1", "1000", "100", "*"});
    add(kColPitchVar, {"1", "100", "10", "*"});
    add(kColPan, {"0", "180", "90", "*"});
    add(kColXPos, {"-9999", "9999", "-12", "0", "*"});
    add(kColYPos, {"-9999", "9999", "7", "*"});
    add(kColZPos, {"-9999", "9999", "1", "*"});
    add(kColMinDist, {"0.010000", "9999.000000", "2.500000", "*"});
    add(kColMaxDist, {"0.010000", "9999.000000", "100.000000", "*"});
    add(kColScale, {"0", "100", "7", "*"});
    return cases;
}

INSTANTIATE_TEST_SUITE_P(EveryPropertyColumn, CellRoundTrip, testing::ValuesIn(roundTrips()),
                         [](const testing::TestParamInfo<RoundTrip>& info) {
                             std::string name =
                                 std::string(columnTable()[size_t(info.param.column)].title) + "_" +
                                 info.param.cell;
                             for (char& c : name)
                                 if (!isalnum(static_cast<unsigned char>(c))) c = '_';
                             return name + "_" + std::to_string(info.index);
                         });

TEST(RecordFromRow, NotSetLeavesFlagsClearAndValuesAtTheirNotSetValue) {
    ZQ_BankSample r = recordFromRow(newRow(3), facts());
    EXPECT_EQ(r.setFlags, 0u);
    EXPECT_EQ(r.priority, 0u);
    EXPECT_EQ(r.group, 0);
    EXPECT_EQ(r.atmos, -1);
    EXPECT_EQ(r.playType, 0u);
    EXPECT_EQ(r.enabled, 1u);
    EXPECT_EQ(r.sampleNumber, 3u);
    EXPECT_EQ(r.path, "/snd/door.wav");
}

TEST(RecordFromRow, SetsEachFlagBitForItsColumnOnly) {
    struct FlagCase {
        int column;
        const char* cell;
        uint32_t flag;
    };
    for (FlagCase c : {FlagCase{kColPitch, "100", kFlagPitch},
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
                       {kColPitchVar, "5", 0u}}) {
        Row row = newRow(1);
        setCell(row, c.column, c.cell);
        EXPECT_EQ(recordFromRow(row, facts()).setFlags, c.flag) << c.column;
    }
}

TEST(RecordFromRow, EdgeValuesOfTheRecordRules) {
    Row row = newRow(1);
    setCell(row, kColPriority, "0");
    setCell(row, kColScale, "7");
    setCell(row, kColPlayType, "ONCE");
    setCell(row, kColXPos, "-12");
    setCell(row, kColGroup, "65537");  // held at the field's end, not wrapped to group 1
    ZQ_BankSample r = recordFromRow(row, facts());
    EXPECT_EQ(r.priority, 0u);
    EXPECT_EQ(r.scale, 0.7f);
    EXPECT_EQ(r.playType, 2u);
    EXPECT_TRUE(r.has(kFlagPlayType));
    EXPECT_EQ(r.xPos, -12.0f);
    EXPECT_EQ(r.group, 65535);

    Row back = rowFromRecord(r);
    EXPECT_EQ(back.cells[kColPriority], "*");
    EXPECT_EQ(back.cells[kColScale], "7");
    EXPECT_EQ(back.cells[kColPlayType], "Once");
    EXPECT_EQ(back.cells[kColXPos], "-12");
}

// A distance taken from a WAV file's comment keys is not range-checked; one
// past what a float holds is kept at the float's end rather than turned into
// an undefined value.
TEST(RecordFromRow, DistancesPastTheFloatRangeAreHeldAtItsEnds) {
    Row row = newRow(1);
    setCell(row, kColMinDist, "1e300");
    setCell(row, kColMaxDist, "-1e300");
    ZQ_BankSample r = recordFromRow(row, facts());
    EXPECT_EQ(r.minDist, std::numeric_limits<float>::max());
    EXPECT_EQ(r.maxDist, -std::numeric_limits<float>::max());
}

// So are the integers: a value an unsigned field cannot hold is kept at the
// field's nearer end, never wrapped into an unrelated value.
TEST(RecordFromRow, IntegersOutsideAnUnsignedFieldAreHeldAtItsEnds) {
    Row row = newRow(1);
    setCell(row, kColVolume, "70000");
    setCell(row, kColGroup, "-3");
    setCell(row, kColAtmosGroup, "65536");
    setCell(row, kColUserParam, "-1");
    setCell(row, kColPriority, "-5");
    ZQ_BankSample r = recordFromRow(row, facts());
    EXPECT_EQ(r.volume, 65535);
    EXPECT_EQ(r.group, 0);
    EXPECT_EQ(r.atmosGroup, 65535);
    EXPECT_EQ(r.userParam, 0);
    EXPECT_EQ(r.priority, 0u);
    EXPECT_TRUE(r.has(kFlagVolume));

    setCell(row, kColVolume, "127");
    setCell(row, kColPriority, "9999");
    r = recordFromRow(row, facts());
    EXPECT_EQ(r.volume, 127);
    EXPECT_EQ(r.priority, 9999u);
}

TEST(RecordFromRow, UnknownPlayTypeKeepsTheMpegDescriptorWithTheBitSet) {
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
    r.sampleNumber = 7;
    r.cloneCount = 1;
    r.waveSize = 1104;
    r.format = {1, 1, 22050, 44100, 2, 8, 0};
    r.loopStart = -1;
    r.loopEnd = 99;
    r.atmos = -1;
    r.description = "creak";
    r.enabled = 1;
    Row row = rowFromRecord(r);
    EXPECT_EQ(row.cells[kColNo], "7");
    EXPECT_EQ(sortKey(row, kColNo), "0007");
    EXPECT_EQ(row.cells[kColName], "door.wav");
    EXPECT_EQ(row.cells[kColLocation], "/snd/sub");
    EXPECT_EQ(row.cells[kColBank], "Yes");
    EXPECT_EQ(row.cells[kColClone], "1");
    EXPECT_EQ(sortKey(row, kColClone), "0001");
    EXPECT_EQ(row.cells[kColSize], "1104");
    EXPECT_EQ(sortKey(row, kColSize), "00001104");
    EXPECT_EQ(row.cells[kColFormat], "  8-bit 22 khz Mono");
    EXPECT_EQ(row.cells[kColCompression], "None");
    EXPECT_EQ(row.cells[kColLStart], "*");
    EXPECT_EQ(row.cells[kColLEnd], "99");
    EXPECT_EQ(sortKey(row, kColLEnd), "00000099");
    EXPECT_EQ(row.cells[kColAtmos], "*");
    EXPECT_TRUE(row.checked);
    EXPECT_EQ(row.loadNumber, 7u);
    ASSERT_TRUE(row.record);
    EXPECT_EQ(*row.record, r);
    r.enabled = 0;
    EXPECT_FALSE(rowFromRecord(r).checked);
}

// Paths made on other systems separate folders by a backslash; in a path made
// here a backslash is part of the file's name.
TEST(RowFromRecord, SplitsPathsAtTheSeparatorOfTheSystemThatWroteThem) {
    struct Case {
        const char* path;
        const char* location;
        const char* name;
    };
    for (Case c :
         {Case{"c:\\wavs\\door.wav", "c:\\wavs", "door.wav"},
          Case{"/snd/night\\rain.wav", "/snd", "night\\rain.wav"},
          Case{"/snd\\x/rain.wav", "/snd\\x", "rain.wav"}, Case{"/rain.wav", "/", "rain.wav"}}) {
        ZQ_BankSample r;
        r.path = c.path;
        r.sampleNumber = 1;
        Row row = rowFromRecord(r);
        EXPECT_EQ(row.cells[kColName], c.name) << c.path;
        EXPECT_EQ(row.cells[kColLocation], c.location) << c.path;
        // A path made here comes back whole when the row is saved again.
        if (c.path[0] == '/') {
            EXPECT_EQ(rowPath(row), c.path);
        }
    }
}

TEST(RowFromRecord, MusicSectionShowsItsMpegCompression) {
    ZQ_BankSample r;
    r.path = "/tmp/sect0000.mpg";
    r.sampleNumber = 1;
    // MPEG-1 layer II, 192 kbit/s, 44100, stereo: FF FD A4 00 read little-endian.
    r.playType = 0x00A4FDFF;
    r.format = {1, 2, 44100, 176400, 4, 16, 0};
    Row row = rowFromRecord(r);
    EXPECT_EQ(row.cells[kColCompression], "Layer 2 - 192kb");
    EXPECT_EQ(row.cells[kColFormat], "16-bit 44 khz Stereo");
    EXPECT_EQ(row.mpegDescriptor, 0x00A4FDFFu);
    EXPECT_EQ(row.cells[kColPlayType], "*");
}

// Stored floats past the integer range (a broken or hostile bank) are held at
// the range's ends when they become cells, rather than turned into whatever
// an out-of-range conversion gives, such as a negative number for a huge one.
TEST(RowFromRecord, FloatsPastTheIntegerRangeAreHeldAtItsEnds) {
    ZQ_BankSample r;
    r.sampleNumber = 1;
    r.path = "/snd/a.wav";
    r.setFlags = kFlagXPos | kFlagYPos | kFlagZPos | kFlagScale;
    r.xPos = 1e30f;
    r.yPos = -1e30f;
    r.zPos = std::numeric_limits<float>::quiet_NaN();
    r.scale = 1e30f;
    Row row = rowFromRecord(r);
    EXPECT_EQ(row.cells[kColXPos], "2147483647");
    EXPECT_EQ(row.cells[kColYPos], "-2147483648");
    EXPECT_EQ(row.cells[kColZPos], "0");
    EXPECT_EQ(row.cells[kColScale], "2147483647");
}

// A key keeps at most its field's bytes less one, and never ends inside a
// character: a two-byte character that would straddle the limit goes whole.
TEST(SortKeyOf, CutsAtTheKeyFieldBetweenCharacters) {
    struct Case {
        const char* name;
        int column;
        std::string cell;
        std::string key;
    };
    const std::string e = "\xC3\xA9";  // a two-byte character
    const Case cases[] = {
        {"name-fits", kColName, std::string(259, 'a'), std::string(259, 'a')},
        {"name-cut", kColName, std::string(260, 'a'), std::string(259, 'a')},
        {"name-character-straddles", kColName, std::string(258, 'a') + e, std::string(258, 'a')},
        {"description-character-fits", kColDescription, std::string(253, 'a') + e,
         std::string(253, 'a') + e},
        {"description-character-straddles", kColDescription, std::string(254, 'a') + e,
         std::string(254, 'a')},
        {"no-past-its-field", kColNo, "4294967295", "429496729"},
        {"negative-loop-point", kColLEnd, "-5", "-00000005"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(sortKeyOf(c.column, c.cell), c.key) << c.name;
}

}  // namespace
}  // namespace quillon
