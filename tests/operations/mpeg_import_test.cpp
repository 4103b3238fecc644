// "Import MPEG Audio File": the rows it makes, a real stream saved and opened (TMPDIR is ours).
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "bank/RowRecord.h"
#include "operations/MpegImport.h"
#include "support/BankInspector.h"
#include "support/FakeShell.h"
#include "support/MpegReferenceSplit.h"
#include "support/MpegTools.h"
#include "support/TempFolder.h"
#include "support/WavBuilder.h"

namespace quillon {
namespace {

namespace fs = std::filesystem;
using test::Bytes;
using Texts = std::vector<std::string>;

const uint32_t kHeaderValue =
    MpegHeaderValue(test::kMpeg1Layer2Header[0], test::kMpeg1Layer2Header[1],
                    test::kMpeg1Layer2Header[2], test::kMpeg1Layer2Header[3]);

class MpegImport : public testing::Test {
  protected:
    void SetUp() override {
        doc.OnNewDocument();
        doc.folders().wavAdd = "/previous/add/folder";
    }
    std::string write(const std::string& name, const Bytes& bytes) {
        test::writeFile(dir.file(name), bytes);
        return dir.file(name);
    }
    void importPicked(const std::string& path) {
        shell.fileAnswers.push_back({{path}, dir.path()});
        ImportMpegAudio(doc);
    }
    Texts column(int c) const {
        Texts out;
        for (int i = 0; i < doc.rows().size(); ++i)
            out.push_back(doc.rows().cell(i, c));
        return out;
    }
    Bytes sectionFiles() const {  // end to end
        Bytes out;
        for (int i = 0; i < doc.rows().size(); ++i)
            for (uint8_t byte : test::readFileBytes(doc.sourceFileOf(doc.rows().row(i))))
                out.push_back(byte);
        return out;
    }

    test::TempFolder dir;
    test::ScopedTmpDir tmp{dir.path()};
    test::FakeShell shell;
    CQuillonDoc doc{shell, nullptr};
};

TEST_F(MpegImport, FortyFiveFramesGiveSectionsOfTwentyOneTwentyOneAndThree) {
    ImportMpegAudio(doc);  // cancelled
    const Bytes stream = test::makeFrames(45);
    importPicked(write("music.mp2", stream));
    ASSERT_EQ(doc.rows().size(), 3);
    EXPECT_EQ(column(kColSize), (Texts{"13146", "13146", "1878"}));  // 626 bytes a frame
    EXPECT_EQ(sectionFiles(), stream);
    const Row& row = doc.rows().row(2);
    Texts expected = {"3", "sect0002.mpg",           dir.file("music.mp2"), "*",
                      "0", "  16-bit 44 khz Stereo", "Layer 2 - 192kb",     "1878",
                      ""};
    expected.resize(kColumnCount, "*");
    EXPECT_EQ(Texts(row.cells.begin(), row.cells.end()), expected);
    EXPECT_TRUE(row.checked);
    EXPECT_EQ(row.enabled, 1u);
    EXPECT_EQ(row.mpegDescriptor, kHeaderValue);
    EXPECT_EQ(row.waveFormat, (WaveFormatBlock{1, 2, 44100, 176400, 4, 16, 0}));
    EXPECT_TRUE(doc.values().musicBank);
    EXPECT_EQ(doc.folders().wavAdd, dir.path());
    ASSERT_EQ(shell.fileRequests.size(), 2u);
    EXPECT_EQ(shell.fileRequests[0].initialFolder, "/previous/add/folder");
    EXPECT_FALSE(shell.fileRequests[0].multipleFiles);
    EXPECT_TRUE(shell.fileRequests[0].mustExist);
    importPicked(write("again.mp2", stream));  // a music bank asks for no second import
    EXPECT_EQ(shell.fileRequests.size(), 2u);
}

TEST_F(MpegImport, AFileThatCannotBeSplitLeavesNoRowsAndNoFiles) {
    const std::string privateFolder = dir.file("quillon-" + std::to_string(::getuid()));
    EXPECT_FALSE(importMpegFile(doc, dir.file("missing.mp2")));
    const std::string noise = write("noise.mp2", Bytes(3000, 0x55));
    EXPECT_FALSE(importMpegFile(doc, noise));
    EXPECT_TRUE(fs::is_empty(privateFolder));
    fs::remove(privateFolder);
    write("quillon-" + std::to_string(::getuid()), {});  // a file where the private folder goes
    EXPECT_FALSE(importMpegFile(doc, noise));
    EXPECT_EQ(shell.messageTexts(),
              (Texts{kMpegOpenFailedMessage, "couldn't find MPEG audio frames in " + noise,
                     "couldn't create a private temporary folder for the section files"}));
    EXPECT_EQ(doc.rows().size(), 0);
}

// The oracle: a twolame stream in a WAV file, imported, saved, opened and saved again.
TEST_F(MpegImport, RealStreamSavedAndOpenedAgainKeepsTheMusic) {
    const std::optional<std::string> mp2 = test::makeLayer2Stream(dir, "music", 24000, 1, 64, 6.0);
    if (!mp2) GTEST_SKIP() << "sox or twolame is missing";
    const Bytes stream = test::readFileBytes(*mp2);
    WaveFormatBlock mpeg;
    mpeg.formatTag = 0x50;  // MPEG; the import never reads the format block
    const test::RiffChunkSpec cues = test::cueChunk(
        {{.id = 1, .position = 100}, {.id = 2, .position = 30000}, {.id = 3, .position = 60000}});
    const test::RiffChunkSpec labels =
        test::adtlList({test::lablChunk(1, "intro"), test::lablChunk(2, "drums in"),
                        test::lablChunk(3, "a label too long")});
    importPicked(
        write("music.wav", test::encodeRiff({test::waveRiff(
                               {test::fmtChunk(mpeg), test::dataChunk(stream), cues, labels})})));
    ASSERT_TRUE(shell.messages.empty()) << shell.messageTexts().front();
    const size_t sections = test::referenceSplit(stream).size();
    ASSERT_GT(sections, 3u);
    ASSERT_EQ(size_t(doc.rows().size()), sections);
    const Texts descriptions = column(kColDescription), sizes = column(kColSize);
    EXPECT_EQ(Texts(descriptions.begin(), descriptions.begin() + 3),
              (Texts{"!100=intro", "!5808=drums in", "!11616=a label too long"}));
    EXPECT_EQ(column(kColFormat)[0], "  16-bit 24 khz Mono");
    EXPECT_EQ(sectionFiles(), stream);
    ASSERT_TRUE(doc.OnSaveDocument(dir.file("music.sad")));
    const test::InspectedBank saved = test::inspectBank(dir.file("music.sad"));
    EXPECT_EQ(saved.musicFlag, 1u);
    EXPECT_EQ(saved.waveData, stream);
    EXPECT_EQ(saved.records[1].byteRate, 48000u);
    EXPECT_EQ(saved.records[1].flags & kFlagPlayType, 0u);
    EXPECT_GE(saved.records[1].playType, kFirstMpegDescriptor);
    test::FakeShell otherShell;
    CQuillonDoc reopened(otherShell, nullptr);
    ASSERT_TRUE(reopened.OnOpenDocument(dir.file("music.sad")));
    EXPECT_TRUE(reopened.values().musicBank);
    ASSERT_EQ(reopened.rows().size(), doc.rows().size());
    const auto& cells = reopened.rows().row(1).cells;
    EXPECT_EQ(
        Texts(cells.begin() + kColBank, cells.begin() + kColPriority),
        (Texts{"Yes", "0", "16-bit 24 khz Mono", "Layer 2 - 64kb", sizes[1], descriptions[1]}));
    ASSERT_TRUE(reopened.OnSaveDocument(dir.file("copy.sad")));
    EXPECT_EQ(test::inspectBank(dir.file("copy.sad")).waveData, stream);
}

}  // namespace
}  // namespace quillon
