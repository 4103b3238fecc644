// The Wave commands on a document (Add, Replace, Refresh, Clone, Extract), the user scripted.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

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
    Texts column(int c) const {
        Texts out;
        for (int i = 0; i < doc.rows().size(); ++i)
            out.push_back(cell(i, c));
        return out;
    }
    bool save(const std::string& name = "bank.sad") { return doc.OnSaveDocument(dir.file(name)); }

    test::TempFolder dir;
    test::FakeShell shell;
    CQuillonDoc doc{shell, nullptr};
};

TEST_F(SampleOpsTest, AddFillsTheRowFromTheFile) {
    test::PcmWavSpec spec;
    spec.channels = 2;
    spec.rate = 44100;
    spec.subject = "door";
    spec.comment = "ZQ_GROUP=12 ZQ_MIN_DIST=2.5 ZQ_PLAYBACK_TYPE=4";
    std::string path = wav("snd/door.wav", spec),
                size = std::to_string(test::makePcmWav(spec).size());
    add({path, wav("b.wav")});
    Texts expected = {"1",    "door.wav", dir.file("snd"), "*", "0", "16-bit 44 khz Stereo",
                      "None", size,       "door",          "*", "12"};
    expected.resize(kColumnCount, "*");  // a play type outside 1 to 3 is not set either
    expected[kColMinDist] = "2.500000";
    const auto& got = doc.rows().row(0).cells;
    EXPECT_EQ(Texts(got.begin(), got.end()), expected);
    EXPECT_EQ(doc.rows().highestGroup(), 12);
    EXPECT_FALSE(addWaveFiles(doc, {dir.file("SND/DOOR.WAV")}));  // in the bank, ignoring case
    EXPECT_EQ(shell.messageTexts().at(0).find(" - Already In Bank"), path.size());
}

// Stored numbers and clone counts are 32-bit unsigned: one more must not wrap round.
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

TEST_F(SampleOpsTest, ReplaceNeverTakesACloneCountBelowZero) {
    // Refresh (Change Path) brings two files of one name into one folder, both with Clone 0.
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

// Refresh (Original Path) reads the file again; such a row is not extracted before a save.
TEST_F(ExtractTest, ExtractOfTheSelectionSaysWhatItDid) {
    wav("src/two.wav", looped(1, 2, 5000));
    select({1});
    refreshOriginalPath(doc);
    EXPECT_EQ(cell(1, kColSize), std::to_string(test::readFileBytes(sources[1]).size()));
    shell.folderAnswers = {dir.file("out"), dir.file("out")};
    select({0, 1});
    shell.statusTexts[kPanePrompt].clear();
    extractSelected(doc);
    select({0});
    extractSelected(doc);
    EXPECT_EQ(shell.statusTexts[kPanePrompt], Texts{"Extracted 1 samples to " + dir.file("out")});
    std::filesystem::create_directories(dir.file("blocked/one.wav"));  // a folder is not replaced
    EXPECT_FALSE(extractRows(doc, {0}, dir.file("blocked")));
    EXPECT_EQ(shell.messageTexts(), (Texts{"1 selected wav is not in the bank file yet and was not "
                                           "extracted - save the bank first",
                                           "Error Saving File"}));
}

// The bank's audio cannot be read: the user's file of that name outlives the failed extract.
TEST_F(ExtractTest, FailedReadLeavesAnExistingTargetAsItWas) {
    const test::Bytes old(5000, 7);
    test::writeFile(dir.file("out/two.wav"), old);
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

// Nothing is written onto the open bank, nor two different files of one Name onto one target
// whatever the order; clones of one file are no clash.
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
    const std::tuple<std::vector<int>, std::string, std::string> cases[] = {
        {{0, 1, 2}, dir.file("out"), dir.file("out/door.wav") + " - rows 2 and 3" + clash},
        {{2, 0, 1}, dir.file("out"), dir.file("out/door.wav") + " - rows 3 and 2" + clash},
        {{4, 0, 2}, dir.file("out"), dir.file("out/door.wav") + " - rows 5 and 3" + clash},
        {{0, 3}, dir.path(), dir.file("bank.sad") + open},
        {{3}, dir.file("link"), dir.file("link/bank.sad") + open},
    };
    for (const auto& [rows, folder, message] : cases) {
        SCOPED_TRACE(message);
        shell.messages.clear();
        EXPECT_FALSE(extractRows(doc, rows, folder));
        EXPECT_EQ(shell.messageTexts(), Texts{message});
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

// Offsets inside the wave data run to 4 GiB; the bank is written sparse.
TEST_F(SampleOpsTest, ExtractReadsAnImageStoredPastTwoGigabytes) {
    std::vector<uint8_t> image = test::makePcmWav({});
    const uint32_t waveOffset = 0x80000000u + 1000;
    const uint32_t waveBytes = waveOffset + uint32_t(image.size());
    const std::vector<uint8_t> start = test::containerBytes(
        {{ZQFileSegmentBankInfo, test::blankBankInfo()}, {ZQFileSegmentWaveData, {}}},
        {{ZQFileSegmentWaveData, waveBytes}});
    std::vector<uint8_t> end = test::containerBytes(
        {{ZQFileSegmentBankSampleTable,
          test::sampleTable(1, {test::storedRecord(1, waveOffset, uint32_t(image.size()))})}});
    end.erase(end.begin(), end.begin() + 8);  // the table's segment, without a second magic
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
