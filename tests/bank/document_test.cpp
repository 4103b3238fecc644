// Saving and opening banks through the document, read back by the tests' own inspector.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include "bank/QuillonDoc.h"
#include "bank/RowRecord.h"
#include "bank/SegmentNames.h"
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

using test::storedRecord;
using Bytes = std::vector<uint8_t>;
using Texts = std::vector<std::string>;

class BankDocument : public testing::Test {
  protected:
    std::string wav(const std::string& name) {
        test::writeFile(dir.file(name), test::makePcmWav({}));
        return dir.file(name);
    }
    void add(const std::vector<std::string>& names) {
        for (const std::string& name : names)
            ASSERT_TRUE(addWaveFiles(doc, {wav(name)}));
    }
    void setNumbers(std::initializer_list<int> numbers) {
        int i = 0;
        for (int n : numbers)
            doc.rows().setCell(i++, kColNo, std::to_string(n));
    }
    bool save(const std::string& name) { return doc.OnSaveDocument(dir.file(name)); }
    bool open(const std::string& name) { return doc.OnOpenDocument(dir.file(name)); }
    Bytes bytesOf(const std::string& name) { return test::readFileBytes(dir.file(name)); }
    test::InspectedBank inspect(const std::string& name) {
        return test::inspectBank(dir.file(name));
    }
    // Fails the save, says so, and leaves the target and the temporary bank as they were.
    void expectRefused(const std::string& name, const std::string& message) {
        shell.messages.clear();
        struct stat st {};
        const bool existed = test::fileExists(dir.file(name)),
                   temporary = test::fileExists(dir.file("ZQBank.TMP")),
                   file = ::stat(dir.file(name).c_str(), &st) == 0 && S_ISREG(st.st_mode);
        const Bytes before = file ? bytesOf(name) : Bytes();
        EXPECT_FALSE(save(name));
        EXPECT_EQ(shell.messageTexts().back(), message);
        EXPECT_EQ(test::fileExists(dir.file(name)), existed);
        EXPECT_EQ(file ? bytesOf(name) : Bytes(), before);
        EXPECT_EQ(test::fileExists(dir.file("ZQBank.TMP")), temporary);
    }
    // A bank the writer would never make: its records, wave data and segments after.
    void writeBank(const std::string& name, const std::vector<Bytes>& records, Bytes waveData = {},
                   std::vector<test::Segment> after = {}) {
        std::vector<test::Segment> segments = {
            {ZQFileSegmentBankInfo, test::blankBankInfo()},
            {ZQFileSegmentWaveData, waveData},
            {ZQFileSegmentBankSampleTable, test::sampleTable(uint32_t(records.size()), records)}};
        segments.insert(segments.end(), after.begin(), after.end());
        ASSERT_TRUE(test::writeContainer(dir.file(name), segments));
    }

    test::TempFolder dir;
    test::FakeShell shell;
    test::FakeBankAudio audio;
    CQuillonDoc doc{shell, &audio};
};

TEST_F(BankDocument, SavedRowsTakeTheirPlacesAndAreCopiedFromTheBankNextTime) {
    add({"a.wav", "b.wav", "c.wav"});
    ASSERT_TRUE(save("bank.sad"));
    EXPECT_TRUE(!shell.progressShown && shell.windowsEnabled && shell.disableCount >= 1);
    setNumbers({1, 2, 4});  // the gap becomes an empty record
    doc.rows().setCell(1, kColAtmos, "10");
    doc.setWho("abc");
    ASSERT_TRUE(save("bank.sad"));
    EXPECT_EQ(
        std::tuple(doc.isModified(), doc.rows().cell(2, kColBank), doc.rows().row(2).loadNumber),
        std::tuple(false, "Yes", 4u));
    auto bank = inspect("bank.sad");
    ASSERT_EQ(bank.records.size(), 4u);
    EXPECT_TRUE(bank.records[2].allZero);
    EXPECT_EQ(bank.countWord, 1u * 65536 + 4);  // its high half counts the ambient rows
    EXPECT_EQ(std::tuple(bank.records[3].number, bank.records[3].owner, bank.records[3].path),
              std::tuple(4u, 4u, dir.file("c.wav")));

    // Opening only reads a bank: file watchers must not see it written.
    int watch = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    ASSERT_GE(::inotify_add_watch(watch, dir.file("bank.sad").c_str(), IN_CLOSE_WRITE), 0);
    ASSERT_TRUE(open("bank.sad"));
    char events[4096];
    EXPECT_LT(::read(watch, events, sizeof events), 0) << "the bank was opened for writing";
    ::close(watch);
    EXPECT_EQ(std::tuple(doc.rows().size(), doc.values().who, doc.values().allowSave),
              std::tuple(3, "abc", true));
    const std::string registered = "register " + dir.file("bank.sad");
    EXPECT_EQ(audio.calls, (Texts{"stop", "release", registered, "stop", "release", registered,
                                  "release", registered}));
}

// Also guards: a backslash in the name, permissions kept, another save's record file.
TEST_F(BankDocument, NewTargetIsWrittenDirectlyAndExistingOneThroughTheTemporaryBank) {
    ::mkdir(dir.file("tmp").c_str(), 0700);
    test::ScopedTmpDir tmp(dir.file("tmp"));
    const std::string records = privateTempFolder().value_or("") + "/ZQAudio.TMP";
    test::writeFile(records, {7, 7, 7});
    const int held = ::open(records.c_str(), O_RDONLY);
    add({"a.wav"});
    std::vector<bool> tempSeen;
    doc.savePointHook = [&](SavePoint point) {
        if (point == SavePoint::BeforeRename)
            tempSeen.push_back(test::fileExists(dir.file("ZQBank.TMP")));
    };
    for (const char* name : {"bank.sad", "bank.sad", "night\\rain.sad", "night\\rain.sad"})
        ASSERT_TRUE(save(name)) << name;
    EXPECT_EQ(tempSeen, (std::vector<bool>{false, true, false, true}));
    EXPECT_FALSE(test::fileExists(dir.file("ZQBank.TMP")));
    EXPECT_EQ(inspect("night\\rain.sad").records.size(), 1u);
    struct stat st {};
    EXPECT_TRUE(::fstat(held, &st) == 0 && st.st_size == 3);
    ::close(held);
    const mode_t mask = ::umask(022);
    for (mode_t mode : {mode_t(0600), mode_t(0664)}) {
        ::chmod(dir.file("bank.sad").c_str(), mode);
        EXPECT_TRUE(save("bank.sad"));
        EXPECT_TRUE(::stat(dir.file("bank.sad").c_str(), &st) == 0 && (st.st_mode & 07777) == mode);
    }
    ::umask(mask);
}

// A folder, pipe or link would be replaced by the rename; a long path would come back cut.
TEST_F(BankDocument, SavesThatWouldLoseSomethingAreRefusedBeforeWriting) {
    add({"a.wav", "b.wav"});
    ASSERT_EQ(::mkfifo(dir.file("pipe").c_str(), 0600), 0);
    ASSERT_EQ(::mkdir(dir.file("folder").c_str(), 0700), 0);
    ASSERT_EQ(::symlink(dir.file("pipe").c_str(), dir.file("link").c_str()), 0);
    for (std::string name : {"pipe", "folder", "link"})
        expectRefused(name, dir.file(name) + " - this is not a file - the bank was not saved");

    const std::string renumber = " - use Renumber Bank before saving";
    for (auto [first, second, text] : {std::tuple{3, 3, "3 is used by more than one row"},
                                       {0, 1, "0 is outside 1 to 65535"},
                                       {1, 65536, "65536 is outside 1 to 65535"}}) {
        setNumbers({first, second});
        expectRefused("bank.sad", "Sample number " + std::string(text) + renumber);
    }
    setNumbers({1, 65535});
    ASSERT_TRUE(save("bank.sad"));
    EXPECT_EQ(inspect("bank.sad").countWord, 65535u);
    // 259 bytes fit a record; a longer path would come back cut.
    const std::string folder(100, 's');
    const size_t name = 259 - dir.file(folder).size() - 5;
    const std::string fits = folder + "/" + std::string(name, 'f') + ".wav",
                      tooLong = folder + "/" + std::string(name + 1, 'l') + ".wav";
    ASSERT_EQ(::mkdir(dir.file(folder).c_str(), 0700), 0);
    add({fits, tooLong});
    setNumbers({1, 2, 3, 4});
    expectRefused("long.sad", dir.file(tooLong) +
                                  " - the path is longer than 259 characters and cannot be stored "
                                  "in the bank - move the file to a shorter path before saving");
    doc.rows().remove(3);
    ASSERT_TRUE(save("long.sad"));
    ASSERT_TRUE(open("long.sad"));
    EXPECT_EQ(rowPath(doc.rows().row(2)), dir.file(fits));
    // An open bank named like the temporary bank would be truncated while it is read.
    ASSERT_TRUE(save("ZQBank.TMP") && open("ZQBank.TMP"));
    expectRefused("long.sad", dir.file("ZQBank.TMP") +
                                  " would be overwritten - save the bank under a new name");
}

// A save that fails leaves no part of a new bank, and the old bank whole.
TEST_F(BankDocument, FailedSaveLeavesTheOldBankAndNoTemporaryFiles) {
    add({"a.wav", "b.wav", "c.wav"});
    ::unlink(dir.file("c.wav").c_str());
    expectRefused("bank.sad", "Error Reading Wav File " + dir.file("c.wav"));
    wav("c.wav");
    ASSERT_TRUE(save("bank.sad"));
    add({"d.wav"});
    ::unlink(dir.file("d.wav").c_str());
    expectRefused("bank.sad", "Error Reading Wav File " + dir.file("d.wav"));
    // The previous file stayed open: with the file back, the save succeeds.
    wav("d.wav");
    ::unlink(dir.file("a.wav").c_str());
    EXPECT_TRUE(save("bank.sad"));
    auto bank = inspect("bank.sad");
    EXPECT_EQ(test::waveImage(bank, bank.records[0]), bytesOf("b.wav"));  // a.wav's bytes
    // Rows marked "Yes" whose bank file is gone cannot be copied: the save says so.
    doc.previousFile().Close();
    expectRefused("other.sad", "a.wav - Error reading the bank file the sample came from");
}

// The last is a fuzzer's input: a 3 GB segment claimed in a 300-byte file.
TEST_F(BankDocument, BrokenBanksFailToOpenAndLeaveAnEmptyUnnamedDocument) {
    add({"a.wav"});
    ASSERT_TRUE(save("good.sad"));
    test::writeFile(dir.file("text"), {'h', 'e', 'l', 'l', 'o'});
    const Bytes table = test::sampleTable(0, {});
    ASSERT_TRUE(test::writeContainer(dir.file("no-table"), {{ZQFileSegmentBankInfo, Bytes(532)}}));
    ASSERT_TRUE(test::writeContainer(dir.file("no-info"), {{ZQFileSegmentBankSampleTable, table}}));
    ASSERT_TRUE(test::writeContainer(
        dir.file("short-info"),
        {{ZQFileSegmentBankInfo, Bytes(531)}, {ZQFileSegmentBankSampleTable, table}}));
    for (const std::string& path :
         {dir.file("text"), dir.file("no-table"), dir.file("no-info"), dir.file("short-info"),
          std::string(QUILLON_SOURCE_DIR) +
              "/fuzz/regressions/fuzz_open_bank/segment_size_past_file_end.sad"}) {
        ASSERT_TRUE(open("good.sad"));
        EXPECT_FALSE(doc.OnOpenDocument(path)) << path;
        EXPECT_EQ(std::tuple(doc.rows().size(), doc.pathName(), doc.previousFile().IsOpen()),
                  std::tuple(0, std::string(), false))
            << path;
    }
}

// Records out of number order, audio outside the wave data, unreadable wave numbers.
TEST_F(BankDocument, DamagedRecordsOpenAndSaveInPlace) {
    writeBank("b.sad", {storedRecord(2, 0, 10), storedRecord(1, 0, 10)}, Bytes(10, 7));
    ASSERT_TRUE(open("b.sad"));
    ASSERT_EQ(doc.rows().cell(0, kColNo), "2");
    ASSERT_TRUE(save("copy.sad"));
    auto bank = inspect("copy.sad");
    ASSERT_EQ(bank.records.size(), 2u);
    EXPECT_EQ(std::tuple(bank.records[0].number, bank.records[1].number), std::tuple(1u, 2u));

    writeBank("c.sad",
              {storedRecord(1, 0, 100), storedRecord(2, 50, 51), storedRecord(3, 0xFFFFFFF0, 0x20)},
              Bytes(100, 7));
    ASSERT_TRUE(open("c.sad"));
    EXPECT_EQ(Texts({doc.rows().cell(0, kColBank), doc.rows().cell(1, kColBank),
                     doc.rows().cell(2, kColBank)}),
              (Texts{"Yes", "*", "*"}));
    EXPECT_FALSE(doc.rows().row(2).record);
    // An empty segment in their place would lose every sample the animation names.
    writeBank("anim.sad", {}, {},
              {{ZQFileSegmentAnimArray, {1, 2, 3}},
               {ZQFileSegmentAnimArrayWaveNumbers, test::u32Words({2, 1, 2})}});
    // The last segment, the wave numbers, loses its last word.
    ASSERT_EQ(::truncate(dir.file("anim.sad").c_str(), off_t(bytesOf("anim.sad").size() - 4)), 0);
    ASSERT_TRUE(open("anim.sad"));
    add({"a.wav"});
    expectRefused("anim.sad", dir.file("anim.sad") + " - Error reading the animation data");
}

}  // namespace
}  // namespace quillon
