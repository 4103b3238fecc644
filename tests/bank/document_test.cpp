// Saving and opening banks through the document, checked with the independent
// bank inspector of the tests.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include "bank/BankWriter.h"
#include "bank/CellFormat.h"
#include "bank/QuillonDoc.h"
#include "bank/RowRecord.h"
#include "bank/SegmentNames.h"
#include "container/ZQFile.h"
#include "operations/SampleOps.h"
#include "platform/Paths.h"
#include "support/BankFixtures.h"
#include "support/BankInspector.h"
#include "support/FakeBankAudio.h"
#include "support/FakeShell.h"
#include "support/TempFolder.h"
#include "support/WavBuilder.h"

namespace quillon {
namespace {

using test::blankBankInfo;
using test::inspectBank;
using test::sampleTable;
using test::storedRecord;
using test::u32Words;

// Writes a bank segment by segment, for banks the writer would never make.
void writeBank(const std::string& path, const std::vector<test::Segment>& segments) {
    ASSERT_TRUE(test::writeContainer(path, segments));
}

class BankDocument : public testing::Test {
  protected:
    std::string wav(const std::string& name, test::PcmWavSpec spec = {}) {
        std::string path = dir.file(name);
        test::writeFile(path, test::makePcmWav(spec));
        return path;
    }
    void add(const std::vector<std::string>& paths) { ASSERT_TRUE(addWaveFiles(doc, paths)); }
    void setCell(int row, int column, const std::string& text) {
        doc.rows().setCell(row, column, text);
    }
    void setNumbers(std::initializer_list<int> numbers) {
        int i = 0;
        for (int n : numbers)
            setCell(i++, kColNo, std::to_string(n));
    }
    bool save(const std::string& name) { return doc.OnSaveDocument(dir.file(name)); }

    test::TempFolder dir;
    test::FakeShell shell;
    test::FakeBankAudio audio;
    CQuillonDoc doc{shell, &audio};
};

TEST_F(BankDocument, GapsInTheNumbersBecomeEmptyRecords) {
    add({wav("a.wav"), wav("b.wav"), wav("c.wav")});
    setNumbers({1, 2, 4});
    ASSERT_TRUE(save("bank.sad"));
    auto bank = inspectBank(dir.file("bank.sad"));
    ASSERT_EQ(bank.records.size(), 4u);
    EXPECT_EQ(bank.countWord, 4u);
    EXPECT_TRUE(bank.records[2].allZero);
    EXPECT_EQ(bank.records[3].number, 4u);
    EXPECT_EQ(bank.records[3].path, dir.file("c.wav"));

    CQuillonDoc reopened(shell, nullptr);
    ASSERT_TRUE(reopened.OnOpenDocument(dir.file("bank.sad")));
    ASSERT_EQ(reopened.rows().size(), 3);
    EXPECT_EQ(reopened.rows().cell(2, kColNo), "4");
    EXPECT_EQ(reopened.rows().cell(2, kColBank), "Yes");
}

TEST_F(BankDocument, EmptyBankHasEmptyWaveDataAndNoRecords) {
    ASSERT_TRUE(save("empty.sad"));
    auto bank = inspectBank(dir.file("empty.sad"));
    ASSERT_EQ(bank.segments.size(), 3u);
    EXPECT_EQ(bank.segments[0].name, "ZQFileSegmentBankInfo");
    EXPECT_EQ(bank.segments[0].size, 532u);
    EXPECT_EQ(bank.segments[1].name, ZQFileSegmentWaveData);
    EXPECT_EQ(bank.segments[1].size, 0u);
    EXPECT_EQ(bank.segments[2].name, ZQFileSegmentBankSampleTable);
    EXPECT_EQ(bank.countWord, 0u);
    ASSERT_TRUE(doc.OnOpenDocument(dir.file("empty.sad")));
    EXPECT_EQ(doc.rows().size(), 0);
}

TEST_F(BankDocument, EveryRecordFieldComesFromItsCell) {
    test::PcmWavSpec spec;
    spec.channels = 2;
    spec.rate = 44100;
    spec.subject = "creak";
    add({wav("door.wav", spec)});
    const std::pair<int, const char*> cells[] = {
        {kColPriority, "7"},       {kColGroup, "3"},
        {kColAtmosGroup, "2"},     {kColAtmos, "40"},
        {kColVolume, "100"},       {kColUserParam, "9"},
        {kColPlayType, "restart"}, {kColLoop, "-1"},
        {kColPitch, "150"},        {kColPitchVar, "5"},
        {kColPan, "180"},          {kColXPos, "-12"},
        {kColYPos, "4"},           {kColZPos, "9999"},
        {kColMinDist, "0.500000"}, {kColMaxDist, "20.000000"},
        {kColScale, "7"}};
    for (auto [column, text] : cells)
        setCell(0, column, text);
    doc.rows().setChecked(0, false);
    ASSERT_TRUE(save("bank.sad"));
    auto r = inspectBank(dir.file("bank.sad")).records.at(0);
    EXPECT_EQ(r.number, 1u);
    EXPECT_EQ(r.owner, 1u);
    EXPECT_EQ(r.waveOffset, 0u);
    EXPECT_EQ(r.waveSize, test::readFileBytes(dir.file("door.wav")).size());
    EXPECT_EQ(r.description, "creak");
    EXPECT_EQ(r.formatTag, 1);
    EXPECT_EQ(r.channels, 2);
    EXPECT_EQ(r.rate, 44100u);
    EXPECT_EQ(r.extraSize, 0);
    EXPECT_EQ(r.priority, 7u);
    EXPECT_EQ(r.group, 3);
    EXPECT_EQ(r.atmosGroup, 2);
    EXPECT_EQ(r.atmos, 40);
    EXPECT_EQ(r.volume, 100);
    EXPECT_EQ(r.userParam, 9);
    EXPECT_EQ(r.playType, 3u);
    EXPECT_EQ(r.loopCount, -1);
    EXPECT_EQ(r.pitch, 150);
    EXPECT_EQ(r.pitchVariation, 5);
    EXPECT_EQ(r.pan, 180);
    EXPECT_EQ(r.x, -12.0f);
    EXPECT_EQ(r.y, 4.0f);
    EXPECT_EQ(r.z, 9999.0f);
    EXPECT_EQ(r.minDist, 0.5f);
    EXPECT_EQ(r.maxDist, 20.0f);
    EXPECT_EQ(r.scale, 0.7f);
    EXPECT_EQ(r.flags, 0x7FFu);
    EXPECT_EQ(r.enabled, 0u);
    EXPECT_EQ(r.loopStart, -1);
    EXPECT_TRUE(r.reservedAreZero);
}

TEST_F(BankDocument, SaveProgressStatusAndWindows) {
    add({wav("a.wav"), wav("b.wav")});
    ASSERT_TRUE(save("bank.sad"));
    EXPECT_EQ(shell.statusTexts[kPanePrompt],
              (std::vector<std::string>{"Saving - Please Wait...", "Ready"}));
    EXPECT_EQ(shell.progressMaximum, 2);
    EXPECT_EQ(shell.progressPosition, 2);
    EXPECT_FALSE(shell.progressShown);
    EXPECT_EQ(shell.eventsProcessed, 2);
    EXPECT_TRUE(shell.windowsEnabled);
    EXPECT_GE(shell.disableCount, 1);
    EXPECT_EQ(doc.pathName(), dir.file("bank.sad"));
    EXPECT_FALSE(doc.isModified());
    EXPECT_EQ(audio.registered, dir.file("bank.sad"));
}

TEST_F(BankDocument, RowsSharingAFileStoreOneImage) {
    add({wav("a.wav")});
    doc.rows().setSelected(0, true);
    cloneSelected(doc);
    ASSERT_EQ(doc.rows().size(), 2);
    EXPECT_EQ(doc.rows().cell(1, kColClone), "1");
    ASSERT_TRUE(save("bank.sad"));
    auto bank = inspectBank(dir.file("bank.sad"));
    auto image = test::readFileBytes(dir.file("a.wav"));
    EXPECT_EQ(bank.waveData, image);
    EXPECT_EQ(bank.records[1].owner, 1u);
    EXPECT_EQ(bank.records[1].waveOffset, bank.records[0].waveOffset);
    EXPECT_EQ(bank.records[1].waveSize, image.size());
    EXPECT_EQ(bank.records[1].cloneCount, 1u);
}

TEST_F(BankDocument, CloneNumberedBelowItsOwnerStillSharesTheImage) {
    add({wav("a.wav"), wav("b.wav")});
    doc.rows().setSelected(1, true);
    cloneSelected(doc);  // rows 1 (a), 2 (b), 3 (b clone)
    setNumbers({9, 4, 2});
    doc.rows().sortState().sortedByNumber = false;
    ASSERT_TRUE(save("bank.sad"));
    auto bank = inspectBank(dir.file("bank.sad"));
    // The clone numbered 2 is now the lowest row of b.wav: it owns the image.
    EXPECT_EQ(bank.records[1].owner, 2u);
    EXPECT_EQ(bank.records[3].owner, 2u);
    EXPECT_EQ(bank.records[3].waveOffset, bank.records[1].waveOffset);
    EXPECT_EQ(bank.waveData.size(), 2 * test::readFileBytes(dir.file("a.wav")).size());
}

TEST_F(BankDocument, LoopPointsFollowTheRulesOfTheirSource) {
    test::PcmWavSpec looped;
    looped.frames = 3000;
    looped.loop = test::LoopSpec{};
    looped.loop->startFrame = 1000;
    looped.loop->lengthFrames = 500;
    add({wav("looped.wav", looped), wav("plain.wav")});
    // A file read again from disk brings its own loop, whatever the cells say.
    setCell(0, kColLStart, "5");
    setCell(1, kColLStart, "7");
    setCell(1, kColLEnd, "9");
    ASSERT_TRUE(save("bank.sad"));
    auto bank = inspectBank(dir.file("bank.sad"));
    EXPECT_EQ(bank.records[0].loopStart, 1000);
    EXPECT_EQ(bank.records[0].loopEnd, 1499);
    EXPECT_EQ(bank.records[1].loopStart, -1);
    EXPECT_EQ(bank.records[1].loopEnd, -1);
    // Rows in the bank take their cells; start must lie below end.
    setCell(0, kColLStart, "100");
    setCell(0, kColLEnd, "50");
    setCell(1, kColLStart, "10");
    setCell(1, kColLEnd, "20");
    ASSERT_TRUE(save("bank2.sad"));
    bank = inspectBank(dir.file("bank2.sad"));
    EXPECT_EQ(bank.records[0].loopStart, -1);
    EXPECT_EQ(bank.records[0].loopEnd, -1);
    EXPECT_EQ(bank.records[1].loopStart, 10);
    EXPECT_EQ(bank.records[1].loopEnd, 20);
}

TEST_F(BankDocument, AmbientCountIsTheHighHalfOfTheCountWord) {
    add({wav("1.wav"), wav("2.wav"), wav("3.wav"), wav("4.wav"), wav("5.wav")});
    for (int i : {0, 2, 4})
        setCell(i, kColAtmos, "10");
    ASSERT_TRUE(save("bank.sad"));
    EXPECT_EQ(inspectBank(dir.file("bank.sad")).countWord, 3u * 65536 + 5);
}

TEST_F(BankDocument, WhoIsStoredReversedAndReadBack) {
    doc.setWho("abc");
    doc.setTitle("Forest ambience");
    ASSERT_TRUE(save("bank.sad"));
    auto bank = inspectBank(dir.file("bank.sad"));
    EXPECT_EQ(bank.whoField[0], 'c');
    EXPECT_EQ(bank.whoField[1], 'b');
    EXPECT_EQ(bank.whoField[2], 'a');
    EXPECT_EQ(bank.whoField[3], 0);
    EXPECT_EQ(bank.title, "Forest ambience");
    EXPECT_EQ(bank.reserved0 | bank.reserved1 | bank.musicFlag, 0u);
    CQuillonDoc reopened(shell, nullptr);
    ASSERT_TRUE(reopened.OnOpenDocument(dir.file("bank.sad")));
    EXPECT_EQ(reopened.values().who, "abc");
    EXPECT_EQ(reopened.values().title, "Forest ambience");
}

TEST_F(BankDocument, NewTargetIsWrittenDirectlyAndExistingOneThroughTheTemporaryBank) {
    add({wav("a.wav")});
    std::vector<bool> tempSeen;
    doc.savePointHook = [&](SavePoint point) {
        if (point == SavePoint::BeforeRename)
            tempSeen.push_back(test::fileExists(dir.file("ZQBank.TMP")));
    };
    ASSERT_TRUE(save("bank.sad"));
    ASSERT_TRUE(save("bank.sad"));
    EXPECT_EQ(tempSeen, (std::vector<bool>{false, true}));
    EXPECT_FALSE(test::fileExists(dir.file("ZQBank.TMP")));
    EXPECT_TRUE(inspectBank(dir.file("bank.sad")).isContainer);
}

// A backslash is an ordinary character of a file name here, not a folder
// separator: the temporary bank goes beside the target all the same.
TEST_F(BankDocument, BankWhoseNameHoldsABackslashIsSavedOverAgain) {
    add({wav("a.wav")});
    ASSERT_TRUE(save("night\\rain.sad"));
    add({wav("b.wav")});
    EXPECT_TRUE(save("night\\rain.sad"));
    EXPECT_TRUE(shell.messages.empty());
    EXPECT_EQ(inspectBank(dir.file("night\\rain.sad")).records.size(), 2u);
}

// A bank that is itself named "ZQBank.TMP" would be truncated as the new bank's
// temporary file while it is still being read, and then removed.
TEST_F(BankDocument, BankNamedLikeTheTemporaryBankIsNeverWrittenThrough) {
    add({wav("a.wav")});
    ASSERT_TRUE(save("ZQBank.TMP"));
    ASSERT_TRUE(save("other.sad"));
    auto temporaryBank = test::readFileBytes(dir.file("ZQBank.TMP"));
    auto other = test::readFileBytes(dir.file("other.sad"));
    std::string refusal =
        dir.file("ZQBank.TMP") + " would be overwritten - save the bank under a new name";
    ASSERT_TRUE(doc.OnOpenDocument(dir.file("ZQBank.TMP")));
    for (const char* target : {"ZQBank.TMP", "other.sad"}) {
        SCOPED_TRACE(target);
        shell.messages.clear();
        EXPECT_FALSE(save(target));
        EXPECT_EQ(shell.messageTexts(), (std::vector<std::string>{refusal}));
        EXPECT_EQ(test::readFileBytes(dir.file("ZQBank.TMP")), temporaryBank);
        EXPECT_EQ(test::readFileBytes(dir.file("other.sad")), other);
    }
    // A new name is written directly, the rows' audio still copied from the bank.
    ::unlink(dir.file("a.wav").c_str());
    EXPECT_TRUE(save("new.sad"));
}

// A bank saved over keeps who may read and write it, whatever the mask the
// program runs with: a private bank stays private, a shared one shared.
TEST_F(BankDocument, SavingOverABankKeepsItsPermissions) {
    add({wav("a.wav")});
    ASSERT_TRUE(save("bank.sad"));
    mode_t mask = ::umask(022);
    for (mode_t mode : {mode_t(0600), mode_t(0664)}) {
        ::chmod(dir.file("bank.sad").c_str(), mode);
        EXPECT_TRUE(save("bank.sad"));
        struct stat st {};
        ASSERT_EQ(::stat(dir.file("bank.sad").c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 07777, mode);
    }
    ::umask(mask);
}

TEST_F(BankDocument, ReadOnlyTargetIsLeftUntouched) {
    add({wav("a.wav")});
    std::string target = dir.file("locked.sad");
    test::writeFileBytes(target, {1, 2, 3});
    ::chmod(target.c_str(), 0444);
    EXPECT_FALSE(doc.OnSaveDocument(target));
    EXPECT_EQ(shell.messageTexts(), (std::vector<std::string>{"File is read only"}));
    EXPECT_EQ(test::readFileBytes(target), (std::vector<uint8_t>{1, 2, 3}));
}

// The new bank is renamed into place, so a folder, a named pipe or a device
// standing under the chosen name (or behind a link of that name) would be
// replaced by it: the save is refused and the thing stays what it was. (No
// device is tried: a failing test run as root would replace it.)
TEST_F(BankDocument, SaveAsOntoSomethingNotAFileIsRefused) {
    add({wav("a.wav")});
    ASSERT_EQ(::mkfifo(dir.file("pipe").c_str(), 0600), 0);
    ASSERT_EQ(::mkdir(dir.file("folder").c_str(), 0700), 0);
    ASSERT_EQ(::symlink(dir.file("pipe").c_str(), dir.file("link").c_str()), 0);
    for (std::string name : {"pipe", "folder", "link"}) {
        SCOPED_TRACE(name);
        shell.messages.clear();
        EXPECT_FALSE(save(name));
        EXPECT_EQ(shell.messageTexts(),
                  (std::vector<std::string>{dir.file(name) +
                                            " - this is not a file - the bank was not saved"}));
        EXPECT_TRUE(doc.pathName().empty());
        EXPECT_TRUE(doc.isModified());
    }
    struct stat st {};
    EXPECT_TRUE(::stat(dir.file("pipe").c_str(), &st) == 0 && S_ISFIFO(st.st_mode));
    EXPECT_TRUE(::lstat(dir.file("link").c_str(), &st) == 0 && S_ISLNK(st.st_mode));
    EXPECT_TRUE(::stat(dir.file("folder").c_str(), &st) == 0 && S_ISDIR(st.st_mode));
}

TEST_F(BankDocument, NumbersThatWouldBreakTheBankAreRefusedBeforeWriting) {
    add({wav("a.wav"), wav("b.wav")});
    struct Case {
        int first, second;
        const char* message;
    };
    for (Case c : {Case{3, 3,
                        "Sample number 3 is used by more than one row - use Renumber Bank "
                        "before saving"},
                   Case{0, 1,
                        "Sample number 0 is outside 1 to 65535 - use Renumber Bank before "
                        "saving"},
                   Case{1, 65536,
                        "Sample number 65536 is outside 1 to 65535 - use Renumber Bank "
                        "before saving"}}) {
        shell.messages.clear();
        setNumbers({c.first, c.second});
        EXPECT_FALSE(save("bank.sad"));
        EXPECT_EQ(shell.messageTexts(), (std::vector<std::string>{c.message}));
        EXPECT_FALSE(test::fileExists(dir.file("bank.sad")));
    }
    setNumbers({1, 65535});
    EXPECT_TRUE(save("bank.sad"));
    EXPECT_EQ(inspectBank(dir.file("bank.sad")).countWord, 65535u);
}

// A record holds a path of at most 259 bytes. A longer one would come back cut
// (a nameless row, an empty name in the exported header): the save refuses it
// by name before anything is written.
TEST_F(BankDocument, PathTooLongForTheRecordIsRefusedBeforeWriting) {
    std::string folder = dir.file(std::string(100, 's'));
    ASSERT_EQ(::mkdir(folder.c_str(), 0700), 0);
    size_t nameLength = 259 - folder.size() - 1;
    std::string fits = folder + "/" + std::string(nameLength - 4, 'f') + ".wav";
    std::string tooLong = folder + "/" + std::string(nameLength - 3, 'l') + ".wav";
    ASSERT_EQ(fits.size(), 259u);
    test::writeFile(fits, test::makePcmWav({}));
    test::writeFile(tooLong, test::makePcmWav({}));
    add({fits, tooLong});
    EXPECT_FALSE(save("bank.sad"));
    EXPECT_EQ(shell.messageTexts(),
              (std::vector<std::string>{
                  tooLong + " - the path is longer than 259 characters and cannot be stored in "
                            "the bank - move the file to a shorter path before saving"}));
    EXPECT_FALSE(test::fileExists(dir.file("bank.sad")));

    doc.rows().remove(1);
    ASSERT_TRUE(save("bank.sad"));
    CQuillonDoc reopened(shell, nullptr);
    ASSERT_TRUE(reopened.OnOpenDocument(dir.file("bank.sad")));
    EXPECT_EQ(rowPath(reopened.rows().row(0)), fits);
}

TEST(RebasedStoredPath, NamesTheSameFileFromTheNewFolder) {
    struct Case {
        const char* name;
        const char* stored;
        const char* from;
        const char* to;
        const char* want;
    };
    const Case cases[] = {
        {"sibling folder", "waves/a.wav", "/w/proj", "/w/copy", "../proj/waves/a.wav"},
        {"up and over", "../wavs/a.wav", "/w/proj/", "/w/proj/sub", "../../wavs/a.wav"},
        {"into the file's folder", "waves/a.wav", "/w", "/w/waves", "a.wav"},
        {"absolute", "/w/waves/a.wav", "/w/proj", "/w/copy", "/w/waves/a.wav"},
        {"another system's", "..\\wavs\\a.wav", "/w/proj", "/w/copy", "..\\wavs\\a.wav"},
        {"same folder, spelt apart", "./waves/../waves/a.wav", "/w/proj", "/w/x/../proj/",
         "./waves/../waves/a.wav"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(rebasedStoredPath(c.stored, c.from, c.to), c.want) << c.name;
}

// Saved as a bank in a sibling folder, rows whose paths are stored relative
// to the bank's folder name the same files from the new one: the new bank
// stores them so, the rows show them so, and they are read there again.
TEST_F(BankDocument, SaveAsIntoAnotherFolderKeepsRelativePathsOnTheirFiles) {
    for (const char* folder : {"proj", "proj/waves", "copy"})
        ASSERT_EQ(::mkdir(dir.file(folder).c_str(), 0700), 0);
    add({wav("proj/waves/a.wav"), wav("b.wav")});
    setCell(0, kColLocation, "waves");
    ASSERT_TRUE(save("proj/bank.sad"));
    ASSERT_EQ(test::inspectBank(dir.file("proj/bank.sad")).records[0].path, "waves/a.wav");

    ASSERT_TRUE(save("copy/bank.sad"));
    EXPECT_EQ(doc.rows().cell(0, kColLocation), "../proj/waves");
    EXPECT_EQ(doc.rows().cell(1, kColLocation), dir.path()) << "an absolute path stays";
    const test::InspectedBank copy = test::inspectBank(dir.file("copy/bank.sad"));
    EXPECT_EQ(copy.records[0].path, "../proj/waves/a.wav");
    EXPECT_EQ(copy.records[1].path, dir.file("b.wav"));

    CQuillonDoc reopened(shell, nullptr);
    ASSERT_TRUE(reopened.OnOpenDocument(dir.file("copy/bank.sad")));
    EXPECT_EQ(reopened.rows().cell(0, kColLocation), "../proj/waves");
    EXPECT_TRUE(test::fileExists(reopened.sourceFileOf(reopened.rows().row(0))));
    // Read from their files, not the bank, the rows save again.
    ASSERT_TRUE(refreshRows(reopened, {0, 1}, ""));
    ASSERT_EQ(reopened.rows().cell(0, kColBank), "*");
    EXPECT_TRUE(reopened.OnSaveDocument(dir.file("copy/bank.sad")));
    EXPECT_EQ(test::inspectBank(dir.file("copy/bank.sad")).records[0].path, "../proj/waves/a.wav");
}

TEST_F(BankDocument, FailedSaveLeavesTheOldBankAndNoTemporaryFiles) {
    add({wav("a.wav"), wav("b.wav")});
    ASSERT_TRUE(save("bank.sad"));
    auto before = test::readFileBytes(dir.file("bank.sad"));
    add({wav("c.wav")});
    ::unlink(dir.file("c.wav").c_str());
    EXPECT_FALSE(save("bank.sad"));
    EXPECT_EQ(shell.messageTexts().back(), "Error Reading Wav File " + dir.file("c.wav"));
    EXPECT_EQ(test::readFileBytes(dir.file("bank.sad")), before);
    EXPECT_FALSE(test::fileExists(dir.file("ZQBank.TMP")));
    EXPECT_FALSE(shell.progressShown);
    EXPECT_TRUE(shell.windowsEnabled);
    // The previous file is still open: once the file is back, the rows in the
    // bank are copied from it and the save succeeds.
    wav("c.wav");
    EXPECT_TRUE(save("bank.sad"));
    auto bank = inspectBank(dir.file("bank.sad"));
    EXPECT_EQ(bank.records.size(), 3u);
    EXPECT_EQ(test::waveImage(bank, bank.records[0]), test::readFileBytes(dir.file("a.wav")));
}

// Another save's record file, in the moment before that save removed its name,
// is neither truncated nor written into.
TEST_F(BankDocument, RecordFileOfAnotherSaveIsLeftAlone) {
    ::mkdir(dir.file("tmp").c_str(), 0700);
    test::ScopedTmpDir tmp(dir.file("tmp"));
    std::optional<std::string> folder = privateTempFolder();
    ASSERT_TRUE(folder);
    std::string records = *folder + "/ZQAudio.TMP";
    test::writeFileBytes(records, {7, 7, 7});
    int held = ::open(records.c_str(), O_RDONLY);
    ASSERT_GE(held, 0);
    add({wav("a.wav"), wav("b.wav")});
    EXPECT_TRUE(save("bank.sad"));
    EXPECT_EQ(inspectBank(dir.file("bank.sad")).records.size(), 2u);
    struct stat st {};
    ASSERT_EQ(::fstat(held, &st), 0);
    EXPECT_EQ(st.st_size, 3);
    ::close(held);
}

TEST_F(BankDocument, FailedSaveToANewTargetRemovesThePartFile) {
    add({wav("a.wav"), wav("b.wav")});
    ::unlink(dir.file("b.wav").c_str());
    EXPECT_FALSE(save("new.sad"));
    EXPECT_FALSE(test::fileExists(dir.file("new.sad")));
}

TEST_F(BankDocument, SavedRowsAreMarkedYesAndCopiedFromTheBankNextTime) {
    add({wav("a.wav"), wav("b.wav")});
    ASSERT_TRUE(save("bank.sad"));
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(doc.rows().cell(i, kColBank), "Yes");
        EXPECT_TRUE(doc.rows().row(i).record);
    }
    // With the WAV files gone, only the bank can provide the audio.
    ::unlink(dir.file("a.wav").c_str());
    ::unlink(dir.file("b.wav").c_str());
    ASSERT_TRUE(save("copy.sad"));
    EXPECT_EQ(inspectBank(dir.file("copy.sad")).waveData,
              inspectBank(dir.file("bank.sad")).waveData);
}

TEST_F(BankDocument, SaveRefreshesLoadNumbersToTheNumbersWritten) {
    add({wav("a.wav"), wav("b.wav")});
    ASSERT_TRUE(save("bank.sad"));
    setNumbers({5, 6});
    ASSERT_TRUE(save("bank.sad"));
    EXPECT_EQ(doc.rows().row(0).loadNumber, 5u);
    EXPECT_EQ(doc.rows().row(1).loadNumber, 6u);
}

TEST_F(BankDocument, AudioLibraryIsToldAboutEveryBankChange) {
    add({wav("a.wav")});
    ASSERT_TRUE(save("bank.sad"));
    ASSERT_TRUE(doc.OnOpenDocument(dir.file("bank.sad")));
    ASSERT_TRUE(doc.OnNewDocument());
    EXPECT_EQ(audio.calls,
              (std::vector<std::string>{"stop", "release", "register " + dir.file("bank.sad"),
                                        "release", "register " + dir.file("bank.sad"), "release"}));
}

volatile sig_atomic_t alarmRang = 0;

TEST_F(BankDocument, OpenIgnoresTheAmbientHalfOfTheCountWord) {
    std::vector<std::vector<uint8_t>> records;
    for (uint32_t n = 1; n <= 5; ++n)
        records.push_back(storedRecord(n, 0, 0));
    writeBank(dir.file("b.sad"),
              {{ZQFileSegmentBankInfo, blankBankInfo()},
               {ZQFileSegmentWaveData, {}},
               {ZQFileSegmentBankSampleTable, sampleTable(3 * 65536 + 5, records)}});
    ASSERT_TRUE(doc.OnOpenDocument(dir.file("b.sad")));
    EXPECT_EQ(doc.rows().size(), 5);
}

TEST_F(BankDocument, BrokenBanksFailToOpenAndLeaveAnEmptyUnnamedDocument) {
    add({wav("a.wav")});
    ASSERT_TRUE(save("good.sad"));
    struct Case {
        const char* name;
        std::vector<test::Segment> segments;
    };
    std::vector<Case> cases = {
        {"no-table", {{ZQFileSegmentBankInfo, blankBankInfo()}}},
        {"short-info",
         {{ZQFileSegmentBankInfo, std::vector<uint8_t>(531, 0)},
          {ZQFileSegmentBankSampleTable, sampleTable(0, {})}}},
        {"no-info", {{ZQFileSegmentBankSampleTable, sampleTable(0, {})}}},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(doc.OnOpenDocument(dir.file("good.sad")));
        std::string path = dir.file(std::string(c.name) + ".sad");
        writeBank(path, c.segments);
        EXPECT_FALSE(doc.OnOpenDocument(path)) << c.name;
        EXPECT_EQ(doc.rows().size(), 0) << c.name;
        EXPECT_EQ(doc.pathName(), "") << c.name;
        EXPECT_FALSE(doc.previousFile().IsOpen()) << c.name;
    }
    test::writeFileBytes(dir.file("text.sad"),
                         {'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd'});
    ASSERT_TRUE(doc.OnOpenDocument(dir.file("good.sad")));
    EXPECT_FALSE(doc.OnOpenDocument(dir.file("text.sad")));
    EXPECT_EQ(doc.rows().size(), 0);
}

// A count word that promises more records than the table holds opens the bank
// with the whole records, and the user learns how many could not be read; the
// next save then writes the rows that were read.
TEST_F(BankDocument, TableCutShortOpensWithItsWholeRecordsAndSaysHowManyAreMissing) {
    const std::string path = dir.file("cut.sad");
    ASSERT_TRUE(test::writeBankWithTableCutShort(path));
    ASSERT_TRUE(doc.OnOpenDocument(path));
    const test::InspectedBank stored = inspectBank(path);
    ASSERT_EQ(stored.records.size(), test::kCutShortWhole);
    ASSERT_EQ(doc.rows().size(), int(test::kCutShortWhole));
    for (int i = 0; i < doc.rows().size(); ++i)
        EXPECT_EQ(doc.rows().cell(i, kColName),
                  "x" + std::to_string(stored.records[size_t(i)].number) + ".wav");
    EXPECT_EQ(doc.pathName(), path);
    EXPECT_EQ(audio.registeredBankPath(), path);
    ASSERT_EQ(shell.messages.size(), 1u);
    EXPECT_EQ(shell.messages[0].text,
              path +
                  " - 2 records of the sample table could not be read - the bank was opened "
                  "without them");
    EXPECT_EQ(shell.messages[0].icon, MessageIcon::Exclamation);

    ASSERT_TRUE(doc.OnSaveDocument(path));
    EXPECT_EQ(inspectBank(path).countWord, test::kCutShortWhole);
}

// Each record of a bank holds the number of its place, but a damaged bank may
// hold them out of order; its rows then open out of order, and the save must
// still put every record in its place.
TEST_F(BankDocument, RowsOpenedOutOfNumberOrderAreSavedInPlace) {
    writeBank(dir.file("b.sad"),
              {{ZQFileSegmentBankInfo, blankBankInfo()},
               {ZQFileSegmentWaveData, std::vector<uint8_t>(10, 7)},
               {ZQFileSegmentBankSampleTable,
                sampleTable(2, {storedRecord(2, 0, 10), storedRecord(1, 0, 10)})}});
    ASSERT_TRUE(doc.OnOpenDocument(dir.file("b.sad")));
    ASSERT_EQ(doc.rows().cell(0, kColNo), "2");
    ASSERT_TRUE(save("copy.sad"));
    auto bank = inspectBank(dir.file("copy.sad"));
    ASSERT_EQ(bank.records.size(), 2u);
    EXPECT_EQ(bank.records[0].number, 1u);
    EXPECT_EQ(bank.records[1].number, 2u);
}

TEST_F(BankDocument, RecordOutsideTheWaveDataOpensAsARowToReadFromDisk) {
    writeBank(dir.file("b.sad"), {{ZQFileSegmentBankInfo, blankBankInfo()},
                                  {ZQFileSegmentWaveData, std::vector<uint8_t>(100, 7)},
                                  {ZQFileSegmentBankSampleTable,
                                   sampleTable(3, {storedRecord(1, 0, 100), storedRecord(2, 50, 51),
                                                   storedRecord(3, 0xFFFFFFF0, 0x20)})}});
    ASSERT_TRUE(doc.OnOpenDocument(dir.file("b.sad")));
    ASSERT_EQ(doc.rows().size(), 3);
    EXPECT_EQ(doc.rows().cell(0, kColBank), "Yes");
    EXPECT_EQ(doc.rows().cell(1, kColBank), "*");
    EXPECT_EQ(doc.rows().cell(2, kColBank), "*");
    EXPECT_FALSE(doc.rows().row(2).record);
}

void noteAlarm(int) {
    alarmRang = 1;
}

// In a music bank the save reads a re-read section without parsing it first.
// A path that names a pipe (a damaged or hostile bank) must fail the save,
// not wait for a writer that never comes. An alarm ends the wait should it
// begin, so the test cannot hang.
TEST_F(BankDocument, MusicSectionThatIsAPipeFailsTheSaveWithoutWaiting) {
    std::string pipe = dir.file("section.mpg");
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    ZQ_BankSample r;
    r.sampleNumber = 1;
    r.path = pipe;
    r.waveSize = 10;  // outside the empty wave data: read from disk at the save
    r.atmos = r.loopStart = r.loopEnd = -1;
    std::vector<uint8_t> record;
    encodeSampleRecord(r, record);
    std::vector<uint8_t> info = blankBankInfo();
    info[8] = 1;  // a music bank
    writeBank(dir.file("music.sad"), {{ZQFileSegmentBankInfo, info},
                                      {ZQFileSegmentWaveData, {}},
                                      {ZQFileSegmentBankSampleTable, sampleTable(1, {record})}});
    ASSERT_TRUE(doc.OnOpenDocument(dir.file("music.sad")));
    ASSERT_TRUE(doc.values().musicBank);

    struct sigaction alarm {
    }, before{};
    alarm.sa_handler = noteAlarm;  // no SA_RESTART: the waiting open is ended
    sigaction(SIGALRM, &alarm, &before);
    alarmRang = 0;
    ::alarm(120);  // only a wait that never ends, not a slow machine
    bool saved = save("copy.sad");
    ::alarm(0);
    sigaction(SIGALRM, &before, nullptr);
    EXPECT_EQ(alarmRang, 0);
    EXPECT_FALSE(saved);
    EXPECT_EQ(shell.messageTexts().back(), "Error Reading Wav File " + pipe);
}

TEST_F(BankDocument, ReadOnlyBankOpensWithAllowSaveCleared) {
    add({wav("a.wav")});
    ASSERT_TRUE(save("bank.sad"));
    ::chmod(dir.file("bank.sad").c_str(), 0444);
    ASSERT_TRUE(doc.OnOpenDocument(dir.file("bank.sad")));
    EXPECT_FALSE(doc.values().allowSave);
    ::chmod(dir.file("bank.sad").c_str(), 0644);
    ASSERT_TRUE(doc.OnOpenDocument(dir.file("bank.sad")));
    EXPECT_TRUE(doc.values().allowSave);
}

// A failed open leaves a new document, which a save may write, whatever the
// broken file allowed.
TEST_F(BankDocument, AFailedOpenOfAReadOnlyFileLeavesAllowSaveSet) {
    test::writeFileBytes(dir.file("text.sad"), {'n', 'o', 't', ' ', 'a', ' ', 'b', 'a', 'n', 'k'});
    ::chmod(dir.file("text.sad").c_str(), 0444);
    EXPECT_FALSE(doc.OnOpenDocument(dir.file("text.sad")));
    EXPECT_EQ(doc.pathName(), "");
    EXPECT_TRUE(doc.values().allowSave);
}

// Opening a bank only reads it. Tools that watch files for writes (build
// watchers, sync clients) must not see it as written each time it is opened.
TEST_F(BankDocument, OpeningABankNeverOpensItForWriting) {
    add({wav("a.wav")});
    ASSERT_TRUE(save("bank.sad"));
    int watch = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    ASSERT_GE(watch, 0);
    ASSERT_GE(::inotify_add_watch(watch, dir.file("bank.sad").c_str(), IN_CLOSE_WRITE), 0);
    ASSERT_TRUE(doc.OnOpenDocument(dir.file("bank.sad")));
    EXPECT_TRUE(doc.values().allowSave);
    char events[4096];
    EXPECT_LT(::read(watch, events, sizeof events), 0) << "the bank was opened for writing";
    ::close(watch);
}

TEST_F(BankDocument, AnimationDataIsCarriedOverWithItsWaveNumbersRenumbered) {
    std::vector<std::vector<uint8_t>> records;
    for (uint32_t n = 1; n <= 7; ++n)
        records.push_back(storedRecord(n, 0, 0));
    writeBank(dir.file("anim.sad"), {{ZQFileSegmentBankInfo, blankBankInfo()},
                                     {ZQFileSegmentWaveData, {}},
                                     {ZQFileSegmentBankSampleTable, sampleTable(7, records)},
                                     {ZQFileSegmentAnimArray, {1, 2, 3}},
                                     {ZQFileSegmentListViewText, {'t', 'x', 't'}},
                                     {ZQFileSegmentAnimArrayWaveNumbers, u32Words({3, 2, 5, 7})}});
    ASSERT_TRUE(doc.OnOpenDocument(dir.file("anim.sad")));
    // Delete rows 3 and 4 so the row loaded as 5 can take number 3; 7 stays 7.
    doc.rows().setSelected(2, true);
    doc.rows().setSelected(3, true);
    for (int i : {3, 2})
        doc.rows().remove(i);
    setCell(2, kColNo, "3");
    ASSERT_TRUE(save("anim.sad"));
    auto bank = inspectBank(dir.file("anim.sad"));
    ASSERT_EQ(bank.segments.size(), 6u);
    EXPECT_EQ(bank.segments[3].name, ZQFileSegmentAnimArray);
    EXPECT_EQ(bank.segments[4].name, ZQFileSegmentListViewText);
    EXPECT_EQ(bank.segments[5].name, ZQFileSegmentAnimArrayWaveNumbers);
    std::vector<uint8_t> numbers(bank.bytes.begin() + long(bank.segments[5].dataOffset),
                                 bank.bytes.begin() + long(bank.segments[5].dataOffset + 16));
    EXPECT_EQ(numbers, u32Words({3, 2, 3, 7}));
}

// Wave numbers that cannot be read must not come out of a save as an empty
// segment: the animation data would lose every sample it names.
TEST_F(BankDocument, UnreadableAnimationWaveNumbersFailTheSave) {
    writeBank(dir.file("anim.sad"), {{ZQFileSegmentBankInfo, blankBankInfo()},
                                     {ZQFileSegmentWaveData, {}},
                                     {ZQFileSegmentBankSampleTable, sampleTable(0, {})},
                                     {ZQFileSegmentAnimArray, {1, 2, 3}},
                                     {ZQFileSegmentListViewText, {'t', 'x', 't'}},
                                     {ZQFileSegmentAnimArrayWaveNumbers, u32Words({2, 1, 2})}});
    // The last segment, the wave numbers, loses its last word.
    size_t length = test::readFileBytes(dir.file("anim.sad")).size();
    ASSERT_EQ(::truncate(dir.file("anim.sad").c_str(), off_t(length - 4)), 0);
    auto before = test::readFileBytes(dir.file("anim.sad"));
    ASSERT_TRUE(doc.OnOpenDocument(dir.file("anim.sad")));
    add({wav("a.wav")});
    EXPECT_FALSE(save("anim.sad"));
    EXPECT_EQ(shell.messageTexts().back(),
              dir.file("anim.sad") + " - Error reading the animation data");
    EXPECT_EQ(test::readFileBytes(dir.file("anim.sad")), before);
    EXPECT_FALSE(test::fileExists(dir.file("ZQBank.TMP")));
}

// Inputs the fuzzer found, kept under fuzz/regressions/fuzz_open_bank/.
class OpenBankRegression : public BankDocument {
  protected:
    bool open(const std::string& name) {
        return doc.OnOpenDocument(std::string(QUILLON_SOURCE_DIR) +
                                  "/fuzz/regressions/fuzz_open_bank/" + name);
    }
};

// A bank information segment claiming about 3 GB in a 300-byte file must fail
// the open without a buffer of the claimed size ever being allocated.
TEST_F(OpenBankRegression, segment_size_past_file_end) {
    EXPECT_FALSE(open("segment_size_past_file_end.sad"));
    EXPECT_EQ(doc.rows().size(), 0);
}

// Rows marked "Yes" whose bank file is gone cannot be copied: the save says so.
TEST_F(BankDocument, SavingRowsWhoseBankFileIsClosedSaysWhy) {
    add({wav("a.wav")});
    ASSERT_TRUE(save("bank.sad"));
    doc.previousFile().Close();
    EXPECT_FALSE(save("other.sad"));
    EXPECT_EQ(shell.messageTexts().back(),
              "a.wav - Error reading the bank file the sample came from");
    EXPECT_FALSE(test::fileExists(dir.file("other.sad")));
}

}  // namespace
}  // namespace quillon
