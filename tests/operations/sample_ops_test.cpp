// The Wave commands on a document: Add/Insert, the Insert key, Replace, the two
// Refreshes, Clone and Extract, with the files made by the tests' WAV builder
// and the user played by the scripted shell.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>

#include "bank/CellFormat.h"
#include "bank/QuillonDoc.h"
#include "bank/RowCells.h"
#include "bank/SegmentNames.h"
#include "operations/SampleOps.h"
#include "platform/Paths.h"
#include "support/BankFixtures.h"
#include "support/BankInspector.h"
#include "support/FakeShell.h"
#include "support/TempFolder.h"
#include "support/WavBuilder.h"

namespace quillon {
namespace {

const char kAlreadyInBank[] =
    " - Already In Bank\nUse 'Clone' to Duplicate Existing Wavs or 'Refresh' to Update All Clones";

struct ScrollCounter : RowListObserver {
    int scrolls = 0;
    void scrollRequested(int) override { ++scrolls; }
};

class SampleOpsTest : public testing::Test {
  protected:
    // Writes a WAV file below the test's folder (creating sub-folders) and
    // returns its path.
    std::string wav(const std::string& name, test::PcmWavSpec spec = {}) {
        std::string path = dir.file(name);
        std::filesystem::create_directories(splitAtLastSeparator(path).folder);
        test::writeFile(path, test::makePcmWav(spec));
        return path;
    }
    void add(const std::vector<std::string>& paths) { ASSERT_TRUE(addWaveFiles(doc, paths)); }
    void select(std::initializer_list<int> indices) {
        doc.rows().clearSelection();
        for (int i : indices)
            doc.rows().setSelected(i, true);
    }
    void setCell(int row, int column, const std::string& text) {
        doc.rows().setCell(row, column, text);
    }
    const std::string& cell(int row, int column) const { return doc.rows().cell(row, column); }
    std::string key(int row, int column) const {
        return std::string(sortKey(doc.rows().row(row), column));
    }
    std::vector<std::string> column(int c) const {
        std::vector<std::string> out;
        for (int i = 0; i < doc.rows().size(); ++i)
            out.push_back(cell(i, c));
        return out;
    }
    bool save(const std::string& name = "bank.sad") { return doc.OnSaveDocument(dir.file(name)); }
    void expectFrameClosed() {
        EXPECT_FALSE(shell.progressShown);
        EXPECT_TRUE(shell.windowsEnabled);
        EXPECT_GE(shell.focusCount, 1);
    }

    test::TempFolder dir;
    test::FakeShell shell;
    CQuillonDoc doc{shell, nullptr};
};

test::PcmWavSpec withComment(const std::string& comment, const std::string& subject = "") {
    test::PcmWavSpec spec;
    spec.comment = comment;
    spec.subject = subject;
    return spec;
}

test::PcmWavSpec looped(uint32_t start, uint32_t length, uint32_t frames = 3000) {
    test::PcmWavSpec spec;
    spec.frames = frames;
    spec.loop = test::LoopSpec{};
    spec.loop->startFrame = start;
    spec.loop->lengthFrames = length;
    return spec;
}

// --- Add ---------------------------------------------------------------------

TEST_F(SampleOpsTest, AddFillsTheRowFromTheFile) {
    test::PcmWavSpec spec = withComment("", "door creak");
    spec.channels = 2;
    spec.rate = 44100;
    std::string path = wav("snd/door.wav", spec);
    ScrollCounter scrolls;
    doc.rows().addObserver(&scrolls);
    add({path});
    doc.rows().removeObserver(&scrolls);
    ASSERT_EQ(doc.rows().size(), 1);
    const Row& row = doc.rows().row(0);
    std::string size = std::to_string(test::readFileBytes(path).size());
    EXPECT_EQ(cell(0, kColNo), "1");
    EXPECT_EQ(key(0, kColNo), "0001");
    EXPECT_EQ(cell(0, kColName), "door.wav");
    EXPECT_EQ(cell(0, kColLocation), dir.file("snd"));
    EXPECT_EQ(cell(0, kColBank), "*");
    EXPECT_EQ(key(0, kColBank), "*");
    EXPECT_EQ(cell(0, kColClone), "0");
    EXPECT_EQ(key(0, kColClone), "0000");
    EXPECT_EQ(cell(0, kColSize), size);
    EXPECT_EQ(key(0, kColSize), std::string(8 - size.size(), '0') + size);
    EXPECT_EQ(cell(0, kColFormat), "16-bit 44 khz Stereo");
    EXPECT_EQ(cell(0, kColCompression), "None");
    EXPECT_EQ(cell(0, kColDescription), "door creak");
    EXPECT_TRUE(row.checked);
    EXPECT_EQ(row.enabled, 1u);
    EXPECT_EQ(row.loadNumber, 0u);
    EXPECT_FALSE(row.record);
    // The new row is neither selected nor scrolled to.
    EXPECT_FALSE(row.selected);
    EXPECT_EQ(scrolls.scrolls, 0);
    EXPECT_TRUE(doc.isModified());
    EXPECT_TRUE(shell.messages.empty());
}

TEST_F(SampleOpsTest, AddNumbersAfterTheLastRowInListOrder) {
    add({wav("a.wav"), wav("b.wav")});
    EXPECT_EQ(column(kColNo), (std::vector<std::string>{"1", "2"}));
    // A higher number higher up does not count: the last row's does.
    setCell(0, kColNo, "50");
    setCell(1, kColNo, "41");
    add({wav("c.wav")});
    EXPECT_EQ(cell(2, kColNo), "42");
    EXPECT_EQ(key(2, kColNo), "0042");
}

// A stored sample number and clone count are 32-bit unsigned: one more than
// the largest must not wrap round through the signed range.
TEST_F(SampleOpsTest, NumbersAndCountsFromABankAreRaisedWithoutWrapping) {
    ZQ_BankSample stored;
    stored.sampleNumber = 0xFFFFFFFF;
    stored.cloneCount = 0xFFFFFFFF;
    stored.path = dir.file("a.wav");
    stored.atmos = stored.loopStart = stored.loopEnd = -1;
    std::vector<uint8_t> record;
    encodeSampleRecord(stored, record);
    ASSERT_TRUE(test::writeContainer(
        dir.file("big.sad"), {{ZQFileSegmentBankInfo, test::blankBankInfo()},
                              {ZQFileSegmentWaveData, {}},
                              {ZQFileSegmentBankSampleTable, test::sampleTable(1, {record})}}));
    ASSERT_TRUE(doc.OnOpenDocument(dir.file("big.sad")));
    add({wav("b.wav")});
    EXPECT_EQ(cell(1, kColNo), "4294967296");
    select({0});
    cloneSelected(doc);
    EXPECT_EQ(cell(2, kColNo), "4294967297");
    EXPECT_EQ(cell(0, kColClone), "4294967296");
}

TEST_F(SampleOpsTest, AddRefusesAFileAlreadyInTheBankIgnoringCase) {
    std::string path = wav("Snd/Door.wav");
    add({path});
    for (std::string again : {path, dir.file("snd/door.WAV"), dir.file("SND/DOOR.WAV")}) {
        shell.messages.clear();
        EXPECT_FALSE(addWaveFiles(doc, {again}));
        EXPECT_EQ(shell.messageTexts(), (std::vector<std::string>{again + kAlreadyInBank}));
        EXPECT_EQ(shell.messages[0].icon, MessageIcon::Stop);
    }
    EXPECT_EQ(doc.rows().size(), 1);
}

TEST_F(SampleOpsTest, AddRefusesTheSameFileTwiceInOneBatch) {
    std::string a = wav("a.wav"), b = wav("b.wav");
    EXPECT_FALSE(addWaveFiles(doc, {a, b, dir.file("A.wav")}));
    EXPECT_EQ(column(kColName), (std::vector<std::string>{"a.wav", "b.wav"}));
    EXPECT_EQ(shell.messageTexts(), (std::vector<std::string>{dir.file("A.wav") + kAlreadyInBank}));
}

TEST_F(SampleOpsTest, AFailingFileAmongThreeIsSkippedWithOneMessage) {
    struct Case {
        const char* name;
        test::Bytes bytes;  // empty: the file does not exist
        const char* message;
    };
    test::Bytes noFmt = test::encodeRiff({test::waveRiff({test::dataChunk({1, 2, 3, 4})})});
    const std::vector<Case> cases = {
        {"text", {'h', 'e', 'l', 'l', 'o'}, " - Error in WAVE chunk"},
        {"nofmt", noFmt, " - Error in FMT chunk"},
        {"missing", {}, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CQuillonDoc fresh(shell, nullptr);
        shell.messages.clear();
        std::string bad = dir.file(std::string(c.name) + ".wav");
        if (!c.bytes.empty()) test::writeFileBytes(bad, c.bytes);
        EXPECT_FALSE(addWaveFiles(fresh, {wav("first.wav"), bad, wav("third.wav")}));
        ASSERT_EQ(fresh.rows().size(), 2);
        EXPECT_EQ(fresh.rows().cell(0, kColName), "first.wav");
        EXPECT_EQ(fresh.rows().cell(1, kColName), "third.wav");
        EXPECT_EQ(fresh.rows().cell(1, kColNo), "2");
        std::string expected = c.bytes.empty() ? "Error Reading Wav File " + bad : bad + c.message;
        EXPECT_EQ(shell.messageTexts(), (std::vector<std::string>{expected}));
    }
}

TEST_F(SampleOpsTest, CommentKeysBecomeCellsAndSortKeys) {
    add({wav("keys.wav", withComment("ZQ_PRIORITY=7 ZQ_GROUP=12 ZQ_ATMOS_GROUP=3 "
                                     "ZQ_ATMOS_WHEN=250 ZQ_VOLUME=64 ZQ_USER_PARAM=5 "
                                     "ZQ_PLAYBACK_TYPE=2 ZQ_LOOP_COUNT=-1 ZQ_PITCH=150 "
                                     "ZQ_PITCH_VAR=9 ZQ_PAN=90 ZQ_3D_X_POS=-12 ZQ_3D_Y_POS=4 "
                                     "ZQ_3D_Z_POS=100 ZQ_MIN_DIST=2.5 ZQ_MAX_DIST=40 "
                                     "ZQ_SCALE=7"))});
    struct Expect {
        int column;
        const char* cell;
        const char* key;
    };
    for (Expect e : {Expect{kColPriority, "7", "0007"}, Expect{kColGroup, "12", "0012"},
                     Expect{kColAtmosGroup, "3", "0003"}, Expect{kColAtmos, "250", "0250"},
                     Expect{kColVolume, "64", "064"}, Expect{kColUserParam, "5", "005"},
                     Expect{kColPlayType, "Once", "Once"}, Expect{kColLoop, "-1", "-0001"},
                     Expect{kColPitch, "150", "0150"}, Expect{kColPitchVar, "9", "0009"},
                     Expect{kColPan, "90", "090"}, Expect{kColXPos, "-12", "-0012"},
                     Expect{kColYPos, "4", "0004"}, Expect{kColZPos, "100", "0100"},
                     Expect{kColMinDist, "2.500000", "2.5000"},
                     Expect{kColMaxDist, "40.000000", "40.0000"}, Expect{kColScale, "7", "0007"}}) {
        EXPECT_EQ(cell(0, e.column), e.cell) << columnTable()[e.column].title;
        EXPECT_EQ(key(0, e.column), e.key) << columnTable()[e.column].title;
    }
    EXPECT_EQ(doc.rows().highestGroup(), 12);
}

TEST_F(SampleOpsTest, AbsentKeysAndNoLoopGiveNotSet) {
    add({wav("plain.wav"), wav("looped.wav", looped(1000, 500))});
    for (int c = kColPriority; c < kColumnCount; ++c) {
        EXPECT_EQ(cell(0, c), "*") << columnTable()[c].title;
        EXPECT_EQ(key(0, c), "*") << columnTable()[c].title;
    }
    EXPECT_EQ(cell(1, kColLStart), "1000");
    EXPECT_EQ(key(1, kColLStart), "00001000");
    EXPECT_EQ(cell(1, kColLEnd), "1499");
    EXPECT_EQ(key(1, kColLEnd), "00001499");
}

TEST_F(SampleOpsTest, PlayTypeOutsideOneToThreeIsNotSetInCellAndRecord) {
    add({wav("zero.wav", withComment("ZQ_PLAYBACK_TYPE=0")),
         wav("four.wav", withComment("ZQ_PLAYBACK_TYPE=4")),
         wav("restart.wav", withComment("ZQ_PLAYBACK_TYPE=3"))});
    EXPECT_EQ(column(kColPlayType), (std::vector<std::string>{"*", "*", "Restart"}));
    EXPECT_EQ(key(1, kColPlayType), "*");
    ASSERT_TRUE(save());
    auto bank = test::inspectBank(dir.file("bank.sad"));
    EXPECT_EQ(bank.records[0].flags & kFlagPlayType, 0u);
    EXPECT_EQ(bank.records[1].flags & kFlagPlayType, 0u);
    EXPECT_EQ(bank.records[1].playType, 0u);
    EXPECT_EQ(bank.records[2].playType, 3u);
}

TEST_F(SampleOpsTest, AddRaisesHighestGroupButNeverLowersIt) {
    doc.rows().setHighestGroup(4);
    add({wav("low.wav", withComment("ZQ_GROUP=2"))});
    EXPECT_EQ(doc.rows().highestGroup(), 4);
    add({wav("high.wav", withComment("ZQ_GROUP=9")), wav("mid.wav", withComment("ZQ_GROUP=6"))});
    EXPECT_EQ(doc.rows().highestGroup(), 9);
}

TEST_F(SampleOpsTest, AddInsertAsksForWavsAndRemembersTheFolder) {
    doc.folders().wavAdd = "/start";
    shell.fileAnswers.push_back({{wav("in/a.wav"), wav("in/b.wav")}, dir.file("in")});
    addInsertWaves(doc);
    ASSERT_EQ(shell.fileRequests.size(), 1u);
    const FileDialogRequest& r = shell.fileRequests[0];
    EXPECT_FALSE(r.save);
    EXPECT_EQ(r.title, "Add/Insert Wavs");
    EXPECT_EQ(r.filter, "Wave Sound (*.wav)|*.wav||");
    EXPECT_EQ(r.initialFolder, "/start");
    EXPECT_TRUE(r.multipleFiles);
    EXPECT_TRUE(r.mustExist);
    EXPECT_EQ(r.mode, FileDialogMode::AddInsert);
    EXPECT_EQ(column(kColName), (std::vector<std::string>{"a.wav", "b.wav"}));
    EXPECT_EQ(doc.folders().wavAdd, dir.file("in"));
    // Cancel adds nothing and keeps the folder.
    addInsertWaves(doc);
    EXPECT_EQ(doc.rows().size(), 2);
    EXPECT_EQ(doc.folders().wavAdd, dir.file("in"));
}

TEST_F(SampleOpsTest, InsertKeyAddsOneFileFromTheWavsFolder) {
    doc.folders().wavAdd = "/start";
    std::string missing = dir.file("nothere.wav");
    shell.fileAnswers.push_back({{wav("a.wav")}, dir.path()});
    shell.fileAnswers.push_back({{missing}, dir.path()});
    insertKeyAdd(doc);
    insertKeyAdd(doc);
    ASSERT_EQ(shell.fileRequests.size(), 2u);
    EXPECT_EQ(shell.fileRequests[0].initialFolder, defaultWavsFolder());
    EXPECT_FALSE(shell.fileRequests[0].mustExist);
    EXPECT_FALSE(shell.fileRequests[0].multipleFiles);
    EXPECT_EQ(shell.fileRequests[0].mode, FileDialogMode::AddInsert);
    EXPECT_EQ(doc.rows().size(), 1);
    EXPECT_EQ(shell.messageTexts(),
              (std::vector<std::string>{"Error Reading Wav File " + missing}));
    EXPECT_EQ(doc.folders().wavAdd, "/start");
}

// --- Replace -------------------------------------------------------------------

TEST_F(SampleOpsTest, ReplaceLowersTheCloneCountsAndKeepsTheProperties) {
    add({wav("a.wav", withComment("ZQ_PRIORITY=7 ZQ_PAN=90", "old take"))});
    select({0});
    cloneSelected(doc);
    select({0});
    cloneSelected(doc);
    ASSERT_EQ(column(kColClone), (std::vector<std::string>{"2", "2", "2"}));
    doc.rows().setChecked(0, false);
    doc.folders().wavReplace = "/replace-from";
    std::string b = wav("new/b.wav", withComment("ZQ_PRIORITY=3", "new take"));
    shell.fileAnswers.push_back({{b}, dir.file("new")});
    select({0});
    replaceWave(doc);

    ASSERT_EQ(shell.fileRequests.size(), 1u);
    const FileDialogRequest& r = shell.fileRequests[0];
    EXPECT_EQ(r.title, "Replace Wave");
    EXPECT_EQ(r.filter, "Wave Sound (*.wav)|*.wav||");
    EXPECT_EQ(r.initialFolder, "/replace-from");
    EXPECT_FALSE(r.multipleFiles);
    EXPECT_TRUE(r.mustExist);
    EXPECT_EQ(r.mode, FileDialogMode::Replace);
    EXPECT_EQ(doc.folders().wavReplace, dir.file("new"));

    EXPECT_EQ(cell(0, kColName), "b.wav");
    EXPECT_EQ(cell(0, kColLocation), dir.file("new"));
    EXPECT_EQ(cell(0, kColBank), "*");
    EXPECT_EQ(cell(0, kColClone), "0");
    EXPECT_EQ(key(0, kColClone), "0000");
    EXPECT_EQ(cell(1, kColClone), "1");
    EXPECT_EQ(key(1, kColClone), "0001");
    EXPECT_EQ(cell(2, kColClone), "1");
    // Properties stay; the new file's keys are not applied.
    EXPECT_EQ(cell(0, kColPriority), "7");
    EXPECT_EQ(cell(0, kColPan), "90");
    EXPECT_EQ(cell(0, kColDescription), "new take");
    EXPECT_EQ(key(0, kColDescription), "new take");
    EXPECT_EQ(cell(0, kColNo), "1");
    EXPECT_TRUE(doc.rows().row(0).checked);
    EXPECT_EQ(doc.rows().row(0).enabled, 1u);
    EXPECT_EQ(doc.selectedItem().name, "b.wav");
    EXPECT_EQ(doc.selectedItem().description, "new take");
    EXPECT_TRUE(shell.messages.empty());
}

TEST_F(SampleOpsTest, ReplaceWithAFileAlreadyInTheBankIsRefused) {
    std::string a = wav("a.wav"), b = wav("b.wav");
    add({a, b});
    for (std::string same : {a, dir.file("A.WAV"), b}) {
        shell.messages.clear();
        shell.fileAnswers.push_back({{same}, dir.path()});
        select({0});
        replaceWave(doc);
        EXPECT_EQ(shell.messageTexts(), (std::vector<std::string>{same + kAlreadyInBank}));
        EXPECT_EQ(column(kColName), (std::vector<std::string>{"a.wav", "b.wav"}));
    }
    EXPECT_EQ(doc.folders().wavReplace, dir.path());
}

TEST_F(SampleOpsTest, ReplaceCancelledOrUnreadableChangesNothing) {
    add({wav("a.wav")});
    doc.rows().setChecked(0, false);
    select({0});
    replaceWave(doc);  // cancelled
    std::string bad = dir.file("bad.wav");
    test::writeFileBytes(bad, {'x'});
    shell.fileAnswers.push_back({{bad}, dir.path()});
    replaceWave(doc);
    EXPECT_EQ(shell.messageTexts(), (std::vector<std::string>{bad + " - Error in WAVE chunk"}));
    EXPECT_EQ(cell(0, kColName), "a.wav");
    EXPECT_FALSE(doc.rows().row(0).checked);
}

TEST_F(SampleOpsTest, ReplaceNeverTakesACloneCountBelowZero) {
    // Two files of one name come to share a folder by Refresh (Change Path):
    // both rows name one file with Clone 0.
    add({wav("d1/x.wav"), wav("d2/x.wav")});
    wav("d3/x.wav");
    shell.folderAnswers.push_back(dir.file("d3"));
    select({0});
    refreshChangePath(doc);
    ASSERT_EQ(column(kColLocation), (std::vector<std::string>{dir.file("d3"), dir.file("d3")}));
    shell.fileAnswers.push_back({{wav("y.wav")}, dir.path()});
    select({0});
    replaceWave(doc);
    EXPECT_EQ(column(kColClone), (std::vector<std::string>{"0", "0"}));
    EXPECT_EQ(key(1, kColClone), "0000");
}

// --- Refresh -------------------------------------------------------------------

TEST_F(SampleOpsTest, RefreshChangePathMovesEveryRowOfThatName) {
    add({wav("d1/x.wav"), wav("d2/X.WAV"), wav("d1/y.wav")});
    setCell(0, kColDescription, "keep me");
    setCell(1, kColPriority, "5");
    ASSERT_TRUE(save());
    test::PcmWavSpec changed = looped(100, 50);
    changed.channels = 2;
    changed.subject = "not taken";
    std::string moved = wav("d3/x.wav", changed);
    shell.folderAnswers.push_back(dir.file("d3"));
    select({0});
    int progressBefore = shell.progressBegun;  // the save showed one too
    refreshChangePath(doc);

    std::string size = std::to_string(test::readFileBytes(moved).size());
    for (int i : {0, 1}) {
        SCOPED_TRACE(i);
        EXPECT_EQ(cell(i, kColName), "x.wav");
        EXPECT_EQ(cell(i, kColLocation), dir.file("d3"));
        EXPECT_EQ(key(i, kColLocation), dir.file("d3"));
        EXPECT_EQ(cell(i, kColBank), "*");
        EXPECT_EQ(cell(i, kColSize), size);
        EXPECT_EQ(cell(i, kColFormat), "16-bit 22 khz Stereo");
        EXPECT_EQ(cell(i, kColLStart), "100");
        EXPECT_EQ(cell(i, kColLEnd), "149");
        EXPECT_EQ(cell(i, kColClone), "0");
        EXPECT_EQ(cell(i, kColNo), std::to_string(i + 1));
    }
    EXPECT_EQ(cell(0, kColDescription), "keep me");
    EXPECT_EQ(cell(1, kColDescription), "");
    EXPECT_EQ(cell(1, kColPriority), "5");
    EXPECT_EQ(cell(2, kColLocation), dir.file("d1"));
    EXPECT_EQ(cell(2, kColBank), "Yes");
    EXPECT_EQ(doc.selectedItem().location, dir.file("d3"));
    EXPECT_EQ(doc.selectedItem().description, "keep me");

    EXPECT_EQ(shell.progressBegun, progressBefore + 1);
    EXPECT_EQ(shell.progressMaximum, 1);
    EXPECT_EQ(shell.progressPosition, 1);
    EXPECT_GE(shell.disableCount, 1);
    expectFrameClosed();
    EXPECT_TRUE(shell.messages.empty());
}

TEST_F(SampleOpsTest, RefreshOriginalPathRereadsTheFileAndClearsBank) {
    add({wav("a.wav"), wav("b.wav", withComment("", "first subject"))});
    ASSERT_TRUE(save());
    wav("b.wav", looped(10, 20, 5000));
    select({1});
    refreshOriginalPath(doc);
    EXPECT_EQ(cell(0, kColBank), "Yes");
    EXPECT_EQ(cell(1, kColBank), "*");
    EXPECT_EQ(cell(1, kColSize), std::to_string(test::readFileBytes(dir.file("b.wav")).size()));
    EXPECT_EQ(cell(1, kColLStart), "10");
    EXPECT_EQ(cell(1, kColDescription), "first subject");
    // The refreshed row is written from disk by the next save.
    ASSERT_TRUE(save("again.sad"));
    auto bank = test::inspectBank(dir.file("again.sad"));
    EXPECT_EQ(test::waveImage(bank, bank.records[1]), test::readFileBytes(dir.file("b.wav")));
}

TEST_F(SampleOpsTest, RefreshGoesOnPastAFileThatFails) {
    add({wav("a.wav"), wav("b.wav")});
    ::unlink(dir.file("a.wav").c_str());
    wav("b.wav", looped(1, 2));
    select({0, 1});
    EXPECT_FALSE(refreshRows(doc, doc.rows().selectedRows(), ""));
    EXPECT_EQ(shell.messageTexts(),
              (std::vector<std::string>{"Error Reading Wav File " + dir.file("a.wav")}));
    EXPECT_EQ(cell(1, kColLStart), "1");
    EXPECT_EQ(shell.progressPosition, 2);
    expectFrameClosed();
}

TEST_F(SampleOpsTest, RefreshChangePathCancelledDoesNothing) {
    add({wav("a.wav")});
    select({0});
    refreshChangePath(doc);
    EXPECT_EQ(shell.progressBegun, 0);
    EXPECT_EQ(cell(0, kColLocation), dir.path());
}

// --- Clone ---------------------------------------------------------------------

TEST_F(SampleOpsTest, CloneCountsOneThenTwoAndTheCloneHasNoProperties) {
    add({wav("a.wav", looped(1000, 500)), wav("other.wav")});
    for (auto [c, text] : std::vector<std::pair<int, std::string>>{
             {kColPriority, "7"}, {kColPlayType, "Once"}, {kColMinDist, "2.500000"}})
        setCell(0, c, text);
    setCell(0, kColDescription, "source");
    select({0});
    cloneSelected(doc);
    ASSERT_EQ(doc.rows().size(), 3);
    EXPECT_EQ(column(kColClone), (std::vector<std::string>{"1", "0", "1"}));
    EXPECT_EQ(key(0, kColClone), "0001");
    EXPECT_EQ(key(2, kColClone), "0001");
    EXPECT_EQ(cell(2, kColNo), "3");
    EXPECT_EQ(key(2, kColNo), "0003");
    for (int c : {kColName, kColLocation, kColBank, kColFormat, kColCompression, kColSize,
                  kColLStart, kColLEnd})
        EXPECT_EQ(cell(2, c), cell(0, c)) << columnTable()[c].title;
    EXPECT_EQ(key(2, kColLStart), "00001000");
    EXPECT_EQ(key(2, kColLEnd), "00001499");
    EXPECT_EQ(cell(2, kColDescription), "");
    EXPECT_EQ(key(2, kColDescription), "");
    for (int c = kColPriority; c < kColumnCount; ++c) {
        if (c == kColLStart || c == kColLEnd) continue;
        EXPECT_EQ(cell(2, c), "*") << columnTable()[c].title;
        EXPECT_EQ(key(2, c), "*") << columnTable()[c].title;
    }
    const Row& clone = doc.rows().row(2);
    EXPECT_TRUE(clone.checked);
    EXPECT_FALSE(clone.selected);
    EXPECT_EQ(clone.enabled, 1u);
    EXPECT_EQ(clone.loadNumber, 0u);

    select({2});
    cloneSelected(doc);
    EXPECT_EQ(column(kColClone), (std::vector<std::string>{"2", "0", "2", "2"}));
    EXPECT_EQ(key(3, kColClone), "0002");
    EXPECT_EQ(cell(0, kColPriority), "7");
}

TEST_F(SampleOpsTest, CloneCountsOnlyTheRowsOfTheSameFolderAndName) {
    add({wav("d1/x.wav"), wav("d2/X.wav"), wav("d1/y.wav")});
    select({0, 1});
    cloneSelected(doc);  // one clone of each x.wav, in one command
    EXPECT_EQ(column(kColLocation),
              (std::vector<std::string>{dir.file("d1"), dir.file("d2"), dir.file("d1"),
                                        dir.file("d1"), dir.file("d2")}));
    EXPECT_EQ(column(kColClone), (std::vector<std::string>{"1", "1", "0", "1", "1"}));
    select({3});
    cloneSelected(doc);
    EXPECT_EQ(column(kColClone), (std::vector<std::string>{"2", "1", "0", "2", "1", "2"}));
}

TEST_F(SampleOpsTest, CloneOfEverySelectedRowIsAppendedOnce) {
    add({wav("a.wav"), wav("b.wav")});
    ASSERT_TRUE(save());
    select({0, 1});
    cloneSelected(doc);
    EXPECT_EQ(column(kColName), (std::vector<std::string>{"a.wav", "b.wav", "a.wav", "b.wav"}));
    EXPECT_EQ(column(kColNo), (std::vector<std::string>{"1", "2", "3", "4"}));
    // A clone of a row in the bank plays and extracts from the bank too.
    EXPECT_EQ(cell(2, kColBank), "Yes");
    EXPECT_EQ(doc.rows().selectedCount(), 2);
}

// --- Extract -------------------------------------------------------------------

volatile sig_atomic_t alarmRang = 0;

class ExtractTest : public SampleOpsTest {
  protected:
    void SetUp() override {
        test::PcmWavSpec first = looped(100, 200);
        first.comment = "ZQ_PRIORITY=5";
        first.subject = "first";
        test::PcmWavSpec second;
        second.bits = 8;
        second.frames = 777;  // odd data length: the pad byte must come out too
        sources = {wav("src/one.wav", first), wav("src/two.wav", second), wav("src/three.wav")};
        add(sources);
        ASSERT_TRUE(save());
        std::filesystem::create_directories(dir.file("out"));
    }
    // Cuts the bank inside the second image: the first extracts, the second
    // cannot be read.
    void cutBankInsideSecondImage() {
        auto bank = test::inspectBank(dir.file("bank.sad"));
        ASSERT_EQ(bank.segments[1].name, ZQFileSegmentWaveData);
        uint64_t cut = bank.segments[1].dataOffset + bank.records[1].waveOffset + 10;
        ASSERT_EQ(::truncate(dir.file("bank.sad").c_str(), off_t(cut)), 0);
    }
    std::vector<std::string> sources;
};

TEST_F(ExtractTest, ExtractedFilesEqualTheSourcesByteForByte) {
    shell.folderAnswers.push_back(dir.file("out"));
    select({0, 1, 2});
    extractSelected(doc);
    EXPECT_TRUE(shell.messages.empty());
    for (const std::string& source : sources) {
        std::string name = splitAtLastSeparator(source).name;
        EXPECT_EQ(test::readFileBytes(dir.file("out/" + name)), test::readFileBytes(source))
            << name;
    }
    EXPECT_EQ(shell.progressMaximum, 3);
    EXPECT_EQ(shell.progressPosition, 3);
    expectFrameClosed();
    // The previous file is still usable: an unchanged save copies from it.
    for (const std::string& source : sources)
        ::unlink(source.c_str());
    EXPECT_TRUE(save("copy.sad"));
}

// What stands under the target's name decides what is replaced: a file (which
// keeps its permissions), the file a link names (the link stays), or nothing
// when the file is read-only. No file of the extract's own is left beside it.
TEST_F(ExtractTest, ExtractReplacesAnExistingTargetOnlyWhenItMayBeWritten) {
    const test::Bytes old(100000, 9);
    struct Case {
        const char* what;
        mode_t mode;
        bool viaLink;
        bool replaced;
    };
    for (const Case& c : {Case{"file", 0640, false, true}, Case{"linked file", 0604, true, true},
                          Case{"read-only file", 0444, false, false}}) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove_all(dir.file("out"));
        std::filesystem::remove_all(dir.file("kept"));
        std::filesystem::create_directories(dir.file("out"));
        std::filesystem::create_directories(dir.file("kept"));
        std::string file = c.viaLink ? dir.file("kept/real.wav") : dir.file("out/two.wav");
        test::writeFileBytes(file, old);
        ASSERT_EQ(::chmod(file.c_str(), c.mode), 0);
        if (c.viaLink) std::filesystem::create_symlink(file, dir.file("out/two.wav"));
        shell.messages.clear();

        EXPECT_EQ(extractRows(doc, {1}, dir.file("out")), c.replaced);
        EXPECT_EQ(test::readFileBytes(file), c.replaced ? test::readFileBytes(sources[1]) : old);
        EXPECT_EQ(std::filesystem::is_symlink(dir.file("out/two.wav")), c.viaLink);
        struct stat st {};
        ASSERT_EQ(::stat(file.c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 07777, c.mode);
        EXPECT_EQ(test::namesIn(dir.file("out")), (std::vector<std::string>{"two.wav"}));
        if (c.viaLink) {
            EXPECT_EQ(test::namesIn(dir.file("kept")), (std::vector<std::string>{"real.wav"}));
        }
        if (!c.replaced) {
            EXPECT_EQ(shell.messageTexts(), (std::vector<std::string>{"Error Saving File"}));
        }
    }
}

TEST_F(ExtractTest, RowsNotInTheBankAreSkippedAndSaidOnce) {
    add({wav("new1.wav"), wav("new2.wav")});
    EXPECT_FALSE(extractRows(doc, {3, 0, 4}, dir.file("out")));
    EXPECT_EQ(shell.messageTexts(),
              (std::vector<std::string>{"2 selected wavs are not in the bank file yet and were "
                                        "not extracted - save the bank first"}));
    EXPECT_TRUE(test::fileExists(dir.file("out/one.wav")));
    EXPECT_FALSE(test::fileExists(dir.file("out/new1.wav")));
    EXPECT_FALSE(test::fileExists(dir.file("out/new2.wav")));
    shell.messages.clear();
    EXPECT_FALSE(extractRows(doc, {3}, dir.file("out")));
    EXPECT_EQ(shell.messageTexts(),
              (std::vector<std::string>{"1 selected wav is not in the bank file yet and was not "
                                        "extracted - save the bank first"}));
}

TEST_F(ExtractTest, ARowMadeNewByRefreshIsSkippedToo) {
    select({1});
    refreshOriginalPath(doc);
    EXPECT_FALSE(extractRows(doc, {0, 1}, dir.file("out")));
    EXPECT_EQ(shell.messages.size(), 1u);
    EXPECT_TRUE(test::fileExists(dir.file("out/one.wav")));
    EXPECT_FALSE(test::fileExists(dir.file("out/two.wav")));
}

TEST_F(ExtractTest, AnUnwritableTargetStopsWithErrorSavingFile) {
    // A folder standing where the first file should go cannot be opened for
    // writing, whoever runs the test.
    std::filesystem::create_directories(dir.file("out/one.wav"));
    EXPECT_FALSE(extractRows(doc, {0, 1}, dir.file("out")));
    EXPECT_EQ(shell.messageTexts(), (std::vector<std::string>{"Error Saving File"}));
    EXPECT_FALSE(test::fileExists(dir.file("out/two.wav")));
    expectFrameClosed();
    shell.messages.clear();
    EXPECT_FALSE(extractRows(doc, {1}, dir.file("no/such/folder")));
    EXPECT_EQ(shell.messageTexts(), (std::vector<std::string>{"Error Saving File"}));
}

// A WAV file that shares the open bank's name, extracted into the bank's
// folder, would cut the bank short before its audio is read from it.
TEST_F(SampleOpsTest, ExtractNeverWritesOverTheOpenBank) {
    add({wav("src/bank.sad")});
    ASSERT_TRUE(save());
    test::Bytes before = test::readFileBytes(dir.file("bank.sad"));
    EXPECT_FALSE(extractRows(doc, {0}, dir.path()));
    EXPECT_EQ(shell.messageTexts(),
              (std::vector<std::string>{dir.file("bank.sad") +
                                        " - this is the open bank file - nothing was extracted"}));
    EXPECT_EQ(test::readFileBytes(dir.file("bank.sad")), before);
    EXPECT_TRUE(doc.previousFile().IsOpen());
    // A link to the bank under the row's Name is the bank too.
    std::filesystem::create_directories(dir.file("out"));
    std::filesystem::create_symlink(dir.file("bank.sad"), dir.file("out/bank.sad"));
    shell.messages.clear();
    EXPECT_FALSE(extractRows(doc, {0}, dir.file("out")));
    EXPECT_EQ(shell.messages.size(), 1u);
    EXPECT_EQ(test::readFileBytes(dir.file("bank.sad")), before);
}

// Two different files of one Name (takes/door.wav and final/door.wav) would
// land on one target, the later silently replacing the earlier: nothing is
// written, whatever the order. Clones of one file are no clash.
TEST_F(SampleOpsTest, ExtractRefusesDifferentFilesOfOneName) {
    test::PcmWavSpec longer;
    longer.frames = 5000;
    add({wav("other.wav"), wav("takes/door.wav"), wav("final/door.wav", longer)});
    ASSERT_TRUE(save());
    select({1});
    cloneSelected(doc);  // row 3, a clone of takes/door.wav
    ASSERT_TRUE(save());
    std::filesystem::create_directories(dir.file("out"));
    struct Case {
        std::vector<int> rows;
        const char* numbers;  // the rows' No values as the message names them
    };
    for (const Case& c :
         {Case{{0, 1, 2}, "2 and 3"}, Case{{2, 0, 1}, "3 and 2"}, Case{{3, 0, 2}, "4 and 3"}}) {
        SCOPED_TRACE(c.numbers);
        shell.messages.clear();
        EXPECT_FALSE(extractRows(doc, c.rows, dir.file("out")));
        EXPECT_EQ(shell.messageTexts(),
                  (std::vector<std::string>{dir.file("out/door.wav") + " - rows " + c.numbers +
                                            " are different wavs of this name - nothing was "
                                            "extracted"}));
        EXPECT_TRUE(std::filesystem::is_empty(dir.file("out")));
    }
    shell.messages.clear();
    EXPECT_TRUE(extractRows(doc, {0, 1, 3}, dir.file("out")));
    EXPECT_TRUE(shell.messages.empty());
    EXPECT_EQ(test::readFileBytes(dir.file("out/door.wav")),
              test::readFileBytes(dir.file("takes/door.wav")));
    EXPECT_EQ(test::namesIn(dir.file("out")), (std::vector<std::string>{"door.wav", "other.wav"}));
}

void noteAlarm(int) {
    alarmRang = 1;
}

// A pipe standing where a file should go has no reader: the extract must stop
// with its message rather than wait for one. An alarm ends the wait should it
// begin, so the test cannot hang.
TEST_F(ExtractTest, APipeWhereTheFileShouldGoStopsWithoutWaiting) {
    ASSERT_EQ(::mkfifo(dir.file("out/one.wav").c_str(), 0600), 0);
    struct sigaction alarm {
    }, before{};
    alarm.sa_handler = noteAlarm;  // no SA_RESTART: the waiting open is ended
    sigaction(SIGALRM, &alarm, &before);
    alarmRang = 0;
    ::alarm(120);  // only a wait that never ends, not a slow machine
    bool extracted = extractRows(doc, {0, 1}, dir.file("out"));
    ::alarm(0);
    sigaction(SIGALRM, &before, nullptr);
    EXPECT_EQ(alarmRang, 0);
    EXPECT_FALSE(extracted);
    EXPECT_EQ(shell.messageTexts(), (std::vector<std::string>{"Error Saving File"}));
}

TEST_F(ExtractTest, FailedReadKeepsThePreviousFileOpenAndRemovesThePartFile) {
    cutBankInsideSecondImage();
    EXPECT_FALSE(extractRows(doc, {0, 1, 2}, dir.file("out")));
    EXPECT_EQ(shell.messageTexts(), (std::vector<std::string>{"Error Saving File"}));
    EXPECT_EQ(test::readFileBytes(dir.file("out/one.wav")), test::readFileBytes(sources[0]));
    EXPECT_EQ(test::namesIn(dir.file("out")), (std::vector<std::string>{"one.wav"}));
    EXPECT_TRUE(doc.previousFile().IsOpen());
    expectFrameClosed();
    // The first row's bytes are still read from the open file.
    shell.messages.clear();
    ::unlink(dir.file("out/one.wav").c_str());
    EXPECT_TRUE(extractRows(doc, {0}, dir.file("out")));
    EXPECT_EQ(test::readFileBytes(dir.file("out/one.wav")), test::readFileBytes(sources[0]));
}

// The bank's audio cannot be read: the user's file of that name must outlive
// the failed extract, not be emptied by it.
TEST_F(ExtractTest, FailedReadLeavesAnExistingTargetAsItWas) {
    const test::Bytes old(5000, 7);
    test::writeFileBytes(dir.file("out/two.wav"), old);
    cutBankInsideSecondImage();
    EXPECT_FALSE(extractRows(doc, {1}, dir.file("out")));
    EXPECT_EQ(shell.messageTexts(), (std::vector<std::string>{"Error Saving File"}));
    EXPECT_EQ(test::readFileBytes(dir.file("out/two.wav")), old);
    EXPECT_EQ(test::namesIn(dir.file("out")), (std::vector<std::string>{"two.wav"}));
}

TEST_F(SampleOpsTest, ExtractFromABankWithoutWaveDataWritesNothingAndShowsNothing) {
    ASSERT_TRUE(test::writeContainer(
        dir.file("nodata.sad"),
        {{ZQFileSegmentBankInfo, test::blankBankInfo()},
         {ZQFileSegmentBankSampleTable, test::sampleTable(1, {test::storedRecord(1)})}}));
    ASSERT_TRUE(doc.OnOpenDocument(dir.file("nodata.sad")));
    ASSERT_EQ(cell(0, kColBank), "Yes");
    std::filesystem::create_directories(dir.file("out"));
    EXPECT_FALSE(extractRows(doc, {0}, dir.file("out")));
    EXPECT_TRUE(shell.messages.empty());
    EXPECT_FALSE(test::fileExists(dir.file("out/x1.wav")));
    EXPECT_TRUE(doc.previousFile().IsOpen());
}

// Offsets inside the wave data run to 4 GiB. The bank is written sparse: only
// its headers, the image and the table take room on disk.
TEST_F(SampleOpsTest, ExtractReadsAnImageStoredPastTwoGigabytes) {
    std::vector<uint8_t> image = test::makePcmWav({});
    const uint32_t waveOffset = 0x80000000u + 1000;
    const uint32_t waveBytes = waveOffset + uint32_t(image.size());
    auto header = [](const char* name, uint32_t size) {
        std::vector<uint8_t> bytes(32, 0);
        std::copy(name, name + std::strlen(name), bytes.begin());
        std::vector<uint8_t> sizeField = test::u32Words({size});
        bytes.insert(bytes.end(), sizeField.begin(), sizeField.end());
        return bytes;
    };
    std::vector<uint8_t> start = {'Z', 'a', 'R', 'q', 'U', 'i', 'N', 'e'};
    for (const auto& part : {header(ZQFileSegmentBankInfo, 532), test::blankBankInfo(),
                             header(ZQFileSegmentWaveData, waveBytes)})
        start.insert(start.end(), part.begin(), part.end());
    std::vector<uint8_t> end = header(ZQFileSegmentBankSampleTable, 4 + 640);
    std::vector<uint8_t> table =
        test::sampleTable(1, {test::storedRecord(1, waveOffset, uint32_t(image.size()))});
    end.insert(end.end(), table.begin(), table.end());

    std::string path = dir.file("large.sad");
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ASSERT_GE(fd, 0);
    off_t dataStart = off_t(start.size());
    bool written =
        ::pwrite(fd, start.data(), start.size(), 0) == ssize_t(start.size()) &&
        ::pwrite(fd, image.data(), image.size(), dataStart + waveOffset) == ssize_t(image.size()) &&
        ::pwrite(fd, end.data(), end.size(), dataStart + off_t(waveBytes)) == ssize_t(end.size());
    ::close(fd);
    ASSERT_TRUE(written);

    ASSERT_TRUE(doc.OnOpenDocument(path));
    ASSERT_EQ(cell(0, kColBank), "Yes");
    std::filesystem::create_directories(dir.file("out"));
    EXPECT_TRUE(extractRows(doc, {0}, dir.file("out")));
    EXPECT_TRUE(shell.messages.empty());
    EXPECT_EQ(test::readFileBytes(dir.file("out/x1.wav")), image);
}

TEST_F(SampleOpsTest, ExtractCancelledDoesNothing) {
    add({wav("a.wav")});
    ASSERT_TRUE(save());
    select({0});
    int progressBefore = shell.progressBegun;
    extractSelected(doc);
    EXPECT_EQ(shell.progressBegun, progressBefore);
    EXPECT_TRUE(shell.messages.empty());
}

}  // namespace
}  // namespace quillon
