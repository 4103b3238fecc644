// The Wave commands on a document (Add/Insert, the Insert key, Replace, the two
// Refreshes, Clone, Extract), the user played by the scripted shell.
#include <fcntl.h>
#include <gtest/gtest.h>
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

using Texts = std::vector<std::string>;
const char kAlreadyInBank[] =
    " - Already In Bank\nUse 'Clone' to Duplicate Existing Wavs or 'Refresh' to Update All Clones";

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

class SampleOpsTest : public testing::Test {
  protected:
    // Writes a WAV file below the test's folder (making sub-folders); returns its path.
    std::string wav(const std::string& name, test::PcmWavSpec spec = {}) {
        std::string path = dir.file(name);
        std::filesystem::create_directories(splitAtLastSeparator(path).folder);
        test::writeFile(path, test::makePcmWav(spec));
        return path;
    }
    void add(const Texts& paths) { ASSERT_TRUE(addWaveFiles(doc, paths)); }
    void select(const std::vector<int>& indices) { doc.rows().selectOnly(indices); }
    const std::string& cell(int row, int column) const { return doc.rows().cell(row, column); }
    std::string key(int row, int column) const {
        return std::string(sortKey(doc.rows().row(row), column));
    }
    Texts cells(int row, int from = 0, int to = kColumnCount) const {
        const auto& all = doc.rows().row(row).cells;
        return Texts(all.begin() + from, all.begin() + to);
    }
    Texts column(int c) const {
        Texts out;
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

// --- Add ---------------------------------------------------------------------

TEST_F(SampleOpsTest, AddFillsTheRowFromTheFile) {
    test::PcmWavSpec spec = withComment("", "door creak");
    spec.channels = 2;
    spec.rate = 44100;
    std::string path = wav("snd/door.wav", spec);
    add({path, wav("b.wav")});
    Texts expected = {"1",
                      "door.wav",
                      dir.file("snd"),
                      "*",
                      "0",
                      "16-bit 44 khz Stereo",
                      "None",
                      std::to_string(test::readFileBytes(path).size()),
                      "door creak"};
    expected.resize(kColumnCount, "*");
    EXPECT_EQ(cells(0), expected);
    EXPECT_EQ(key(0, kColClone), "0000");
    const Row& row = doc.rows().row(0);
    EXPECT_TRUE(row.checked);
    EXPECT_EQ(row.enabled, 1u);
    EXPECT_FALSE(row.record);
    EXPECT_FALSE(row.selected);
    EXPECT_TRUE(doc.isModified());
    // Numbered after the last row in list order, not after the highest number.
    doc.rows().setCell(0, kColNo, "50");
    doc.rows().setCell(1, kColNo, "41");
    add({wav("c.wav")});
    EXPECT_EQ(cell(2, kColNo), "42");
}

// A stored sample number and clone count are 32-bit unsigned: one more than
// the largest must not wrap round through the signed range.
TEST_F(SampleOpsTest, NumbersAndCountsFromABankAreRaisedWithoutWrapping) {
    ZQ_BankSample stored;
    stored.sampleNumber = stored.cloneCount = 0xFFFFFFFF;
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

// Each failing file of a batch is skipped with its own message; the rest are added.
TEST_F(SampleOpsTest, AFailingFileAmongThreeIsSkippedWithOneMessage) {
    struct Case {
        const char* name;
        test::Bytes bytes;  // empty: the file is not written
        std::string before, after;
    };
    test::Bytes noFmt = test::encodeRiff({test::waveRiff({test::dataChunk({1, 2, 3, 4})})});
    const Case cases[] = {
        {"FIRST.WAV", {}, "", kAlreadyInBank},  // the batch's first file in other case
        {"text.wav", {'h', 'i'}, "", " - Error in WAVE chunk"},
        {"nofmt.wav", noFmt, "", " - Error in FMT chunk"},
        {"missing.wav", {}, "Error Reading Wav File ", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CQuillonDoc fresh(shell, nullptr);
        shell.messages.clear();
        std::string bad = dir.file(c.name);
        if (!c.bytes.empty()) test::writeFileBytes(bad, c.bytes);
        EXPECT_FALSE(addWaveFiles(fresh, {wav("first.wav"), bad, wav("third.wav")}));
        ASSERT_EQ(fresh.rows().size(), 2);
        EXPECT_EQ(fresh.rows().cell(1, kColName), "third.wav");
        EXPECT_EQ(fresh.rows().cell(1, kColNo), "2");
        ASSERT_EQ(shell.messageTexts(), Texts{c.before + bad + c.after});
        EXPECT_EQ(shell.messages[0].icon, MessageIcon::Stop);
    }
}

TEST_F(SampleOpsTest, CommentKeysBecomePropertiesAndRaiseTheHighestGroup) {
    add({wav("keys.wav", withComment("ZQ_PRIORITY=7 ZQ_GROUP=12 ZQ_ATMOS_GROUP=3 "
                                     "ZQ_ATMOS_WHEN=250 ZQ_VOLUME=64 ZQ_USER_PARAM=5 "
                                     "ZQ_PLAYBACK_TYPE=2 ZQ_LOOP_COUNT=-1 ZQ_PITCH=150 "
                                     "ZQ_PITCH_VAR=9 ZQ_PAN=90 ZQ_3D_X_POS=-12 ZQ_3D_Y_POS=4 "
                                     "ZQ_3D_Z_POS=100 ZQ_MIN_DIST=2.5 ZQ_MAX_DIST=40 "
                                     "ZQ_SCALE=7")),
         wav("plain.wav", looped(1000, 500)), wav("four.wav", withComment("ZQ_PLAYBACK_TYPE=4")),
         wav("low.wav", withComment("ZQ_GROUP=2 ZQ_PLAYBACK_TYPE=3"))});
    EXPECT_EQ(cells(0, kColPriority),
              (Texts{"7", "12", "3", "250", "64", "5", "Once", "-1", "*", "*", "150", "9", "90",
                     "-12", "4", "100", "2.500000", "40.000000", "7"}));
    EXPECT_EQ(key(0, kColMinDist), "2.5000");
    // Absent keys, and a play type outside 1 to 3, are not set.
    Texts plain(kColumnCount - kColPriority, "*");
    plain[kColLStart - kColPriority] = "1000";
    plain[kColLEnd - kColPriority] = "1499";
    EXPECT_EQ(cells(1, kColPriority), plain);
    EXPECT_EQ(column(kColPlayType), (Texts{"Once", "*", "*", "Restart"}));
    EXPECT_EQ(doc.rows().highestGroup(), 12);  // never lowered by the 2 after it
    ASSERT_TRUE(save());
    auto bank = test::inspectBank(dir.file("bank.sad"));
    EXPECT_EQ(bank.records[2].flags & kFlagPlayType, 0u);
    EXPECT_EQ(bank.records[2].playType, 0u);
    EXPECT_EQ(bank.records[3].playType, 3u);
}

// Add/Insert asks for many files and remembers their folder; the Insert key
// asks for one, from the Wavs folder, that need not exist. Cancel adds nothing.
TEST_F(SampleOpsTest, AddInsertAndTheInsertKeyAskForWavs) {
    doc.folders().wavAdd = "/start";
    shell.fileAnswers.push_back({{wav("in/a.wav"), wav("in/b.wav")}, dir.file("in")});
    shell.fileAnswers.push_back({{wav("c.wav"), wav("d.wav")}, dir.path()});
    addInsertWaves(doc);
    insertKeyAdd(doc);
    addInsertWaves(doc);
    insertKeyAdd(doc);
    ASSERT_EQ(shell.fileRequests.size(), 4u);
    const FileDialogRequest &r = shell.fileRequests[0], &k = shell.fileRequests[1];
    EXPECT_FALSE(r.save);
    EXPECT_EQ(r.title, "Add/Insert Wavs");
    EXPECT_EQ(r.filter, "Wave Sound (*.wav)|*.wav||");
    EXPECT_EQ(r.initialFolder, "/start");
    EXPECT_TRUE(r.multipleFiles);
    EXPECT_TRUE(r.mustExist);
    EXPECT_EQ(r.mode, FileDialogMode::AddInsert);
    EXPECT_EQ(k.title, r.title);
    EXPECT_EQ(k.initialFolder, defaultWavsFolder());
    EXPECT_FALSE(k.mustExist);
    EXPECT_FALSE(k.multipleFiles);
    EXPECT_EQ(k.mode, FileDialogMode::AddInsert);
    EXPECT_EQ(column(kColName), (Texts{"a.wav", "b.wav", "c.wav"}));
    EXPECT_EQ(doc.folders().wavAdd, dir.file("in"));
}

// --- Replace -------------------------------------------------------------------

TEST_F(SampleOpsTest, ReplaceLowersTheCloneCountsAndKeepsTheProperties) {
    add({wav("a.wav", withComment("ZQ_PRIORITY=7", "old take"))});
    select({0});
    cloneSelected(doc);
    cloneSelected(doc);
    ASSERT_EQ(column(kColClone), (Texts{"2", "2", "2"}));
    doc.rows().setChecked(0, false);
    doc.folders().wavReplace = "/replace-from";
    std::string b = wav("new/b.wav", withComment("ZQ_PRIORITY=3", "new take"));
    shell.fileAnswers.push_back({{b}, dir.file("new")});
    replaceWave(doc);

    ASSERT_EQ(shell.fileRequests.size(), 1u);
    const FileDialogRequest& r = shell.fileRequests[0];
    EXPECT_EQ(r.title, "Replace Wave");
    EXPECT_EQ(r.initialFolder, "/replace-from");
    EXPECT_FALSE(r.multipleFiles);
    EXPECT_EQ(r.mode, FileDialogMode::Replace);
    EXPECT_EQ(doc.folders().wavReplace, dir.file("new"));
    // Properties stay; the new file's keys are not applied, its subject is.
    Texts expected = {"1", "b.wav", dir.file("new"), "*", "0"};
    EXPECT_EQ(cells(0, 0, 5), expected);
    EXPECT_EQ(cells(0, kColDescription)[0], "new take");
    EXPECT_EQ(cells(0, kColPriority)[0], "7");
    EXPECT_EQ(column(kColClone), (Texts{"0", "1", "1"}));
    EXPECT_TRUE(doc.rows().row(0).checked);
    EXPECT_EQ(doc.selectedItem().name, "b.wav");
    EXPECT_TRUE(shell.messages.empty());
}

TEST_F(SampleOpsTest, ReplaceRefusedOrCancelledChangesNothing) {
    std::string bad = dir.file("bad.wav");
    test::writeFileBytes(bad, {'x'});
    add({wav("a.wav"), wav("b.wav")});
    doc.rows().setChecked(0, false);
    select({0});
    replaceWave(doc);  // cancelled
    for (const std::string& refused : {dir.file("B.WAV"), bad})
        shell.fileAnswers.push_back({{refused}, dir.path()});
    replaceWave(doc);
    replaceWave(doc);
    EXPECT_EQ(shell.messageTexts(),
              (Texts{dir.file("B.WAV") + kAlreadyInBank, bad + " - Error in WAVE chunk"}));
    EXPECT_EQ(column(kColName), (Texts{"a.wav", "b.wav"}));
    EXPECT_FALSE(doc.rows().row(0).checked);
}

TEST_F(SampleOpsTest, ReplaceNeverTakesACloneCountBelowZero) {
    // Refresh (Change Path) brings two files of one name into one folder:
    // both rows name one file with Clone 0.
    add({wav("d1/x.wav"), wav("d2/x.wav")});
    wav("d3/x.wav");
    shell.folderAnswers.push_back(dir.file("d3"));
    select({0});
    refreshChangePath(doc);
    ASSERT_EQ(column(kColLocation), (Texts{dir.file("d3"), dir.file("d3")}));
    shell.fileAnswers.push_back({{wav("y.wav")}, dir.path()});
    replaceWave(doc);
    EXPECT_EQ(column(kColClone), (Texts{"0", "0"}));
}

// --- Refresh -------------------------------------------------------------------

// Every row of that Name takes the new folder's file; the rows' own cells stay.
TEST_F(SampleOpsTest, RefreshChangePathMovesEveryRowOfThatName) {
    add({wav("d1/x.wav"), wav("d2/X.WAV"), wav("d1/y.wav")});
    doc.rows().setCell(0, kColDescription, "keep me");
    doc.rows().setCell(1, kColPriority, "5");
    ASSERT_TRUE(save());
    test::PcmWavSpec changed = looped(100, 50);
    changed.channels = 2;
    changed.subject = "not taken";
    std::string size = std::to_string(test::makePcmWav(changed).size());
    wav("d3/x.wav", changed);
    select({0});
    const int progressBefore = shell.progressBegun;
    refreshChangePath(doc);  // cancelled
    EXPECT_EQ(shell.progressBegun, progressBefore);
    shell.folderAnswers.push_back(dir.file("d3"));
    refreshChangePath(doc);
    for (int i : {0, 1})
        EXPECT_EQ(cells(i, 1, 8),
                  (Texts{"x.wav", dir.file("d3"), "*", "0", "16-bit 22 khz Stereo", "None", size}));
    EXPECT_EQ(column(kColLEnd), (Texts{"149", "149", "*"}));
    EXPECT_EQ(column(kColDescription), (Texts{"keep me", "", ""}));
    EXPECT_EQ(column(kColPriority), (Texts{"*", "5", "*"}));
    EXPECT_EQ(cell(2, kColBank), "Yes");
    EXPECT_EQ(doc.selectedItem().location, dir.file("d3"));
    EXPECT_EQ(shell.progressBegun, progressBefore + 1);
    EXPECT_EQ(shell.progressMaximum, 1);
    EXPECT_GE(shell.disableCount, 1);
    EXPECT_TRUE(shell.messages.empty());
}

TEST_F(SampleOpsTest, RefreshOriginalPathRereadsTheFileAndGoesOnPastOneThatFails) {
    add({wav("a.wav"), wav("b.wav", withComment("", "first subject")), wav("c.wav")});
    ASSERT_TRUE(save());
    wav("b.wav", looped(10, 20, 5000));
    ::unlink(dir.file("a.wav").c_str());
    select({0, 1});
    refreshOriginalPath(doc);
    EXPECT_EQ(shell.messageTexts(), Texts{"Error Reading Wav File " + dir.file("a.wav")});
    EXPECT_EQ(shell.progressPosition, 2);
    expectFrameClosed();
    EXPECT_EQ(column(kColBank), (Texts{"Yes", "*", "Yes"}));
    EXPECT_EQ(cell(1, kColSize), std::to_string(test::readFileBytes(dir.file("b.wav")).size()));
    EXPECT_EQ(cell(1, kColLStart), "10");
    EXPECT_EQ(cell(1, kColDescription), "first subject");
    // The refreshed row is not in the bank: extract skips it, the next save writes it.
    EXPECT_FALSE(extractRows(doc, {1}, dir.path()));
    ASSERT_TRUE(save("again.sad"));
    auto bank = test::inspectBank(dir.file("again.sad"));
    EXPECT_EQ(test::waveImage(bank, bank.records[1]), test::readFileBytes(dir.file("b.wav")));
}

// --- Clone ---------------------------------------------------------------------

// A clone keeps the file's facts but none of the properties; every row of the
// file (same folder and Name) counts the clones.
TEST_F(SampleOpsTest, CloneCountsTheRowsOfTheSameFileAndTakesNoProperties) {
    add({wav("d1/x.wav", looped(1000, 500)), wav("d2/X.wav"), wav("d1/y.wav")});
    doc.rows().setCell(0, kColPriority, "7");
    doc.rows().setCell(0, kColDescription, "source");
    select({0, 1});
    cloneSelected(doc);  // one clone of each x.wav, in one command
    EXPECT_EQ(column(kColClone), (Texts{"1", "1", "0", "1", "1"}));
    EXPECT_EQ(key(3, kColNo), "0004");
    Texts expected = cells(0);
    std::fill(expected.begin() + kColPriority, expected.end(), "*");
    expected[kColNo] = "4";
    expected[kColDescription] = "";
    expected[kColLStart] = "1000";
    expected[kColLEnd] = "1499";
    EXPECT_EQ(cells(3), expected);
    EXPECT_FALSE(doc.rows().row(3).selected);
    select({3});
    cloneSelected(doc);
    EXPECT_EQ(column(kColClone), (Texts{"2", "1", "0", "2", "1", "2"}));
    EXPECT_EQ(cell(0, kColPriority), "7");
}

// --- Extract -------------------------------------------------------------------

class ExtractTest : public SampleOpsTest {
  protected:
    void SetUp() override {
        test::PcmWavSpec second;
        second.bits = 8;
        second.frames = 777;  // odd data length: the pad byte must come out too
        sources = {wav("src/one.wav", looped(100, 200)), wav("src/two.wav", second)};
        add(sources);
        ASSERT_TRUE(save());
        std::filesystem::create_directories(dir.file("out"));
    }
    Texts sources;
};

TEST_F(ExtractTest, ExtractedFilesEqualTheSourcesByteForByte) {
    select({0, 1});
    const int progressBefore = shell.progressBegun;
    extractSelected(doc);  // cancelled
    EXPECT_EQ(shell.progressBegun, progressBefore);
    shell.folderAnswers.push_back(dir.file("out"));
    extractSelected(doc);
    EXPECT_TRUE(shell.messages.empty());
    for (const std::string& source : sources)
        EXPECT_EQ(test::readFileBytes(dir.file("out/" + splitAtLastSeparator(source).name)),
                  test::readFileBytes(source));
    EXPECT_EQ(shell.progressMaximum, 2);
    EXPECT_EQ(shell.progressPosition, 2);
    expectFrameClosed();
    // The previous file is still usable: an unchanged save copies from it.
    for (const std::string& source : sources)
        ::unlink(source.c_str());
    EXPECT_TRUE(save("copy.sad"));
    // Rows not in the bank are skipped and said once.
    add({wav("new1.wav"), wav("new2.wav")});
    shell.messages.clear();
    EXPECT_FALSE(extractRows(doc, {2, 0, 3}, dir.path()));
    EXPECT_FALSE(extractRows(doc, {2}, dir.path()));
    EXPECT_EQ(shell.messageTexts(),
              (Texts{"2 selected wavs are not in the bank file yet and were not extracted - "
                     "save the bank first",
                     "1 selected wav is not in the bank file yet and was not extracted - save "
                     "the bank first"}));
    EXPECT_TRUE(test::fileExists(dir.file("one.wav")));
}

// What stands where the first file should go, or no folder at all: the
// extract stops with its message and leaves it as it was. A pipe has no
// reader, and the extract must not wait for one.
TEST_F(ExtractTest, AnUnwritableTargetStopsWithErrorSavingFile) {
    const test::Bytes old(5000, 9);
    std::filesystem::create_directories(dir.file("folder/one.wav"));
    std::filesystem::create_directories(dir.file("pipe"));
    std::filesystem::create_directories(dir.file("read-only"));
    ASSERT_EQ(::mkfifo(dir.file("pipe/one.wav").c_str(), 0600), 0);
    test::writeFileBytes(dir.file("read-only/one.wav"), old);
    ASSERT_EQ(::chmod(dir.file("read-only/one.wav").c_str(), 0444), 0);
    for (const char* folder : {"folder", "pipe", "read-only", "no/such/folder"}) {
        SCOPED_TRACE(folder);
        shell.messages.clear();
        EXPECT_FALSE(extractRows(doc, {0, 1}, dir.file(folder)));
        EXPECT_EQ(shell.messageTexts(), Texts{"Error Saving File"});
        EXPECT_FALSE(test::fileExists(dir.file(std::string(folder) + "/two.wav")));
        expectFrameClosed();
    }
    EXPECT_EQ(test::readFileBytes(dir.file("read-only/one.wav")), old);
}

// The bank's audio cannot be read: the user's file of that name must outlive
// the failed extract, not be emptied by it, and the bank stays open.
TEST_F(ExtractTest, FailedReadLeavesAnExistingTargetAsItWas) {
    const test::Bytes old(5000, 7);
    test::writeFileBytes(dir.file("out/two.wav"), old);
    auto bank = test::inspectBank(dir.file("bank.sad"));  // cut inside the second image
    uint64_t cut = bank.segments[1].dataOffset + bank.records[1].waveOffset + 10;
    ASSERT_EQ(::truncate(dir.file("bank.sad").c_str(), off_t(cut)), 0);
    EXPECT_FALSE(extractRows(doc, {0, 1}, dir.file("out")));
    EXPECT_EQ(shell.messageTexts(), Texts{"Error Saving File"});
    EXPECT_EQ(test::readFileBytes(dir.file("out/one.wav")), test::readFileBytes(sources[0]));
    EXPECT_EQ(test::readFileBytes(dir.file("out/two.wav")), old);
    EXPECT_EQ(test::namesIn(dir.file("out")), (Texts{"one.wav", "two.wav"}));
    EXPECT_TRUE(doc.previousFile().IsOpen());
}

// Nothing is written when a target is the open bank (a WAV file of the bank's
// name in its folder would cut it short before its audio is read), or when two
// different files of one Name (takes/door.wav, final/door.wav) would land on
// one target, whatever the order. Clones of one file are no clash.
TEST_F(SampleOpsTest, ExtractRefusesTargetsThatWouldLoseData) {
    add({wav("other.wav"), wav("takes/door.wav"), wav("final/door.wav", looped(1, 2, 5000)),
         wav("src/bank.sad")});
    ASSERT_TRUE(save());
    select({1});
    cloneSelected(doc);  // row 4, a clone of takes/door.wav, in the bank too
    test::Bytes bank = test::readFileBytes(dir.file("bank.sad"));
    std::filesystem::create_directories(dir.file("out"));
    std::filesystem::create_directories(dir.file("link"));
    std::filesystem::create_symlink(dir.file("bank.sad"), dir.file("link/bank.sad"));
    const std::string open = " - this is the open bank file - nothing was extracted";
    const std::string clash = " are different wavs of this name - nothing was extracted";
    struct Case {
        std::vector<int> rows;
        std::string folder, message;
    };
    const Case cases[] = {
        {{0, 1, 2}, dir.file("out"), dir.file("out/door.wav") + " - rows 2 and 3" + clash},
        {{2, 0, 1}, dir.file("out"), dir.file("out/door.wav") + " - rows 3 and 2" + clash},
        {{4, 0, 2}, dir.file("out"), dir.file("out/door.wav") + " - rows 5 and 3" + clash},
        {{0, 3}, dir.path(), dir.file("bank.sad") + open},
        {{3}, dir.file("link"), dir.file("link/bank.sad") + open},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        shell.messages.clear();
        EXPECT_FALSE(extractRows(doc, c.rows, c.folder));
        EXPECT_EQ(shell.messageTexts(), Texts{c.message});
        EXPECT_TRUE(std::filesystem::is_empty(dir.file("out")));
    }
    EXPECT_EQ(test::readFileBytes(dir.file("bank.sad")), bank);
    EXPECT_TRUE(doc.previousFile().IsOpen());
    shell.messages.clear();
    EXPECT_TRUE(extractRows(doc, {0, 1, 4}, dir.file("out")));
    EXPECT_TRUE(shell.messages.empty());
    EXPECT_EQ(test::readFileBytes(dir.file("out/door.wav")),
              test::readFileBytes(dir.file("takes/door.wav")));
    EXPECT_EQ(test::namesIn(dir.file("out")), (Texts{"door.wav", "other.wav"}));
}

TEST_F(SampleOpsTest, ExtractFromABankWithoutWaveDataWritesNothingAndShowsNothing) {
    ASSERT_TRUE(test::writeContainer(
        dir.file("nodata.sad"),
        {{ZQFileSegmentBankInfo, test::blankBankInfo()},
         {ZQFileSegmentBankSampleTable, test::sampleTable(1, {test::storedRecord(1)})}}));
    ASSERT_TRUE(doc.OnOpenDocument(dir.file("nodata.sad")));
    bool missing = false;
    EXPECT_FALSE(extractRows(doc, {0}, dir.path(), &missing));
    EXPECT_TRUE(missing);
    EXPECT_TRUE(shell.messages.empty());
    EXPECT_FALSE(test::fileExists(dir.file("x1.wav")));
}

// Offsets inside the wave data run to 4 GiB. The bank is written sparse: only
// its headers, the image and the table take room on disk.
TEST_F(SampleOpsTest, ExtractReadsAnImageStoredPastTwoGigabytes) {
    std::vector<uint8_t> image = test::makePcmWav({});
    const uint32_t waveOffset = 0x80000000u + 1000;
    const uint32_t waveBytes = waveOffset + uint32_t(image.size());
    std::vector<uint8_t> start = {'Z', 'a', 'R', 'q', 'U', 'i', 'N', 'e'}, end;
    auto append = [](std::vector<uint8_t>& to, const char* name, uint32_t size,
                     const std::vector<uint8_t>& body) {
        std::vector<uint8_t> header(32, 0), sizeField = test::u32Words({size});
        std::copy(name, name + std::strlen(name), header.begin());
        header.insert(header.end(), sizeField.begin(), sizeField.end());
        header.insert(header.end(), body.begin(), body.end());
        to.insert(to.end(), header.begin(), header.end());
    };
    append(start, ZQFileSegmentBankInfo, 532, test::blankBankInfo());
    append(start, ZQFileSegmentWaveData, waveBytes, {});
    append(end, ZQFileSegmentBankSampleTable, 4 + 640,
           test::sampleTable(1, {test::storedRecord(1, waveOffset, uint32_t(image.size()))}));
    std::string path = dir.file("large.sad");
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ASSERT_GE(fd, 0);
    const off_t dataStart = off_t(start.size());
    bool written =
        ::pwrite(fd, start.data(), start.size(), 0) == ssize_t(start.size()) &&
        ::pwrite(fd, image.data(), image.size(), dataStart + waveOffset) == ssize_t(image.size()) &&
        ::pwrite(fd, end.data(), end.size(), dataStart + off_t(waveBytes)) == ssize_t(end.size());
    ::close(fd);
    ASSERT_TRUE(written);
    ASSERT_TRUE(doc.OnOpenDocument(path));
    EXPECT_TRUE(extractRows(doc, {0}, dir.path()));
    EXPECT_TRUE(shell.messages.empty());
    EXPECT_EQ(test::readFileBytes(dir.file("x1.wav")), image);
}

}  // namespace
}  // namespace quillon
