// The "Import MPEG Audio File" command on a document, the user played by the
// scripted shell: the rows, the plain and the WAV route, the labels that become
// Descriptions, the failures, and a real stream saved and opened again. Section
// files go below the test's own folder (TMPDIR points there).
#include <gtest/gtest.h>

#include <filesystem>

#include "bank/CellFormat.h"
#include "bank/QuillonDoc.h"
#include "bank/RowCells.h"
#include "bank/RowRecord.h"
#include "formats/MpegHeader.h"
#include "operations/MpegImport.h"
#include "platform/Paths.h"
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

// A WAV file of the chunks, with an MPEG format block and the stream as its data.
Bytes mpegWav(std::vector<test::RiffChunkSpec> chunks) {
    WaveFormatBlock mpeg;
    mpeg.formatTag = 0x50;  // MPEG; the import never reads it
    chunks.insert(chunks.begin(), test::fmtChunk(mpeg));
    return test::encodeRiff({test::waveRiff(chunks)});
}

struct Label {
    uint32_t id, position;
    const char* text;
};

// A cue chunk and an "adtl" list of zero-ended labels, one a label.
std::vector<test::RiffChunkSpec> marks(const std::vector<Label>& labels) {
    std::vector<test::CuePointSpec> cues;
    std::vector<test::RiffChunkSpec> texts;
    for (const Label& label : labels) {
        cues.push_back({.id = label.id, .position = label.position});
        texts.push_back(test::lablChunk(label.id, label.text));
    }
    return {test::cueChunk(cues), test::adtlList(texts)};
}

Bytes concatenated(const std::vector<Bytes>& parts) {
    Bytes out;
    for (const Bytes& part : parts)
        out.insert(out.end(), part.begin(), part.end());
    return out;
}

class MpegImport : public testing::Test {
  protected:
    void SetUp() override {
        doc.OnNewDocument();
        doc.folders().wavAdd = "/previous/add/folder";
    }
    std::string write(const std::string& name, const Bytes& bytes) {
        fs::create_directories(fs::path(dir.file(name)).parent_path());
        test::writeFile(dir.file(name), bytes);
        return dir.file(name);
    }
    void importPicked(const std::string& path) {
        shell.fileAnswers.push_back({{path}, dir.path()});
        ImportMpegAudio(doc);
    }
    std::string privateFolder() const { return dir.file("quillon-" + std::to_string(getuid())); }
    // What the imports left in the private temporary folder.
    Texts leftBehind() const {
        Texts names;
        std::error_code ignored;
        for (const auto& entry : fs::recursive_directory_iterator(privateFolder(), ignored))
            names.push_back(entry.path().string());
        return names;
    }
    Texts column(int c) const {
        Texts out;
        for (int i = 0; i < doc.rows().size(); ++i)
            out.push_back(doc.rows().cell(i, c));
        return out;
    }
    std::vector<Bytes> sectionFiles() const {
        std::vector<Bytes> out;
        for (int i = 0; i < doc.rows().size(); ++i)
            out.push_back(test::readFileBytes(doc.sourceFileOf(doc.rows().row(i))));
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
    EXPECT_EQ(concatenated(sectionFiles()), stream);
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
    // The files lie in a fresh folder of this import inside the private folder.
    EXPECT_EQ(splitAtLastSeparator(doc.musicSectionFolder()).folder, privateFolder());
    EXPECT_TRUE(doc.values().musicBank);
    EXPECT_EQ(doc.folders().wavAdd, dir.path());
    ASSERT_EQ(shell.fileRequests.size(), 2u);
    EXPECT_EQ(shell.fileRequests[0].filter, "MPEG AUDIO Files (*.MP2,*.WAV)|*.MP2;*.WAV||");
    EXPECT_EQ(shell.fileRequests[0].initialFolder, "/previous/add/folder");
    EXPECT_FALSE(shell.fileRequests[0].multipleFiles);
    EXPECT_TRUE(shell.fileRequests[0].mustExist);
    importPicked(write("again.mp2", stream));  // a music bank asks for no second import
    EXPECT_EQ(shell.fileRequests.size(), 2u);
}

// Each section lists its labels read last first; a label names its cue by
// identifier and keeps 18 characters. Missing, odd or lying marker chunks only
// mean fewer markers; a data size past the file (a streaming writer's
// placeholder) ends with the file.
TEST_F(MpegImport, LabelsBecomeTheDescriptionsOfTheirSections) {
    const Bytes stream = test::makeFrames(45);
    const test::RiffChunkSpec data = test::dataChunk(stream);
    std::vector<test::RiffChunkSpec> labelled =
        marks({{1, 100, "intro"}, {2, 23000, "loop"}, {3, 30000, "bridge"}, {5, 24191, "zqloop"}});
    labelled[1].children.push_back(test::lablChunk(9, "no such cue"));
    labelled[1].children.push_back(test::lablChunk(4, "abcdefghijklmnopqrst", false));
    labelled[0] = test::cueChunk({{.id = 1, .position = 100},
                                  {.id = 2, .position = 23000},
                                  {.id = 3, .position = 30000},
                                  {.id = 5, .position = 24191},
                                  {.id = 4, .position = 48384},
                                  {.id = 6, .position = 1000}});
    const std::vector<test::RiffChunkSpec> one = marks({{1, 7, "mark"}});
    const test::RiffChunkSpec shortLabel = test::adtlList({test::chunk("labl", {1, 0})});
    struct Case {
        const char* name;
        std::vector<test::RiffChunkSpec> chunks;
        Texts descriptions;
    };
    const Case cases[] = {
        {"labelled",
         {data, labelled[0], labelled[1]},
         {"!24191=zqloop!23000=loop!100=intro", "!5808=bridge", "!0=abcdefghijklmnop"}},
        {"cue without adtl", {data, one[0]}, {"", "", ""}},
        {"cue count beyond its chunk",
         {data, test::cueChunk({{.id = 1, .position = 7}}, 100000), one[1]},
         {"!7=mark", "", ""}},
        {"labl cut short", {data, one[0], shortLabel}, {"", "", ""}},
        {"markers before the data", {one[0], one[1], data}, {"!7=mark", "", ""}},
        {"data size placeholder",
         {one[0], one[1], data.declaring(0xFFFFFFFF)},
         {"!7=mark", "", ""}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        doc.OnNewDocument();
        importPicked(write("labels.wav", mpegWav(c.chunks)));
        ASSERT_TRUE(shell.messages.empty()) << shell.messageTexts().front();
        EXPECT_EQ(column(kColDescription), c.descriptions);
        EXPECT_EQ(concatenated(sectionFiles()), stream);
    }
}

// A failed import shows one plain message box, adds nothing, leaves Music
// Bank and the add folder alone, and leaves no section file behind.
TEST_F(MpegImport, FailuresShowOneMessageAndLeaveNothing) {
    const std::string openFailed = "couldn't open file / understand WAV header";
    const std::string noFrames = "couldn't find MPEG audio frames in ";
    const Bytes frames = test::makeFrames(25);
    const test::RiffChunkSpec pcm = test::fmtChunk(test::pcmFormat(2, 44100, 16));
    struct Case {
        std::string name;
        std::optional<Bytes> bytes;  // none: the file is not made
        std::string message;         // the file's path follows
    };
    const Case cases[] = {
        {"missing.mp2", std::nullopt, openFailed},
        {"plain-stream.wav", frames, openFailed},
        {"no-data.wav", test::encodeRiff({test::waveRiff({pcm})}), openFailed},
        {"empty.mp2", Bytes(), noFrames},
        {"silent.wav", mpegWav({test::dataChunk(Bytes(4000, 0))}), noFrames},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        shell.messages.clear();
        const std::string path = c.bytes ? write(c.name, *c.bytes) : dir.file(c.name);
        importPicked(path);
        ASSERT_EQ(shell.messages.size(), 1u);
        EXPECT_EQ(shell.messages[0].text, c.message == noFrames ? noFrames + path : c.message);
        EXPECT_EQ(shell.messages[0].caption, "");
        EXPECT_EQ(shell.messages[0].icon, MessageIcon::None);
        EXPECT_EQ(shell.messages[0].buttons, MessageButtons::Ok);
        EXPECT_TRUE(doc.rows().empty());
        EXPECT_FALSE(doc.values().musicBank);
        EXPECT_FALSE(doc.isModified());
        EXPECT_EQ(doc.folders().wavAdd, "/previous/add/folder");
        EXPECT_EQ(leftBehind(), Texts());
    }
    // A file where the private folder's parent should be: no folder can be made.
    ::setenv("TMPDIR", write("not-a-folder", {1}).c_str(), 1);
    shell.messages.clear();
    importPicked(write("music.mp2", frames));
    EXPECT_EQ(shell.messageTexts(),
              Texts{"couldn't create a private temporary folder for the section files"});
    EXPECT_TRUE(doc.rows().empty());
}

// The import is one step: Undo leaves the new bank it came into. Saved, the
// rows copy from the bank, so the section folder goes; removing a folder
// touches only what an import made.
TEST_F(MpegImport, OneUndoTakesBackTheWholeImportAndTheSaveRemovesTheSections) {
    importPicked(write("music.mp2", test::makeFrames(45)));
    EXPECT_EQ(doc.history().undoName(), "Import MPEG Audio");
    ASSERT_TRUE(doc.undo());
    EXPECT_EQ(doc.rows().size(), 0);
    EXPECT_FALSE(doc.values().musicBank);
    EXPECT_FALSE(doc.isModified());
    ASSERT_TRUE(doc.redo());
    EXPECT_EQ(doc.rows().size(), 3);
    EXPECT_TRUE(doc.values().musicBank);
    write("keep/sect0000.mpg", {1});
    EXPECT_FALSE(removeMpegSectionFolder(dir.file("keep")));
    EXPECT_FALSE(removeMpegSectionFolder(privateFolder()));
    EXPECT_TRUE(test::fileExists(dir.file("keep/sect0000.mpg")));
    ASSERT_TRUE(doc.OnSaveDocument(dir.file("music.sad")));
    EXPECT_EQ(leftBehind(), Texts());
    ASSERT_TRUE(doc.OnSaveDocument(dir.file("again.sad")));
    EXPECT_EQ(test::readFileBytes(dir.file("again.sad")).size(),
              test::readFileBytes(dir.file("music.sad")).size());
}

// The oracle: a stream made by twolame, imported from a WAV file, saved and
// opened again: the rows show the stored format block's Format, the Compression
// decoded from the stored header value, and the Descriptions; the bank's wave
// data are the section files, and a save of the opened bank copies them.
TEST_F(MpegImport, RealStreamSavedAndOpenedAgainKeepsTheMusic) {
    const std::optional<std::string> mp2 = test::makeLayer2Stream(dir, "music", 24000, 1, 64, 6.0);
    if (!mp2) GTEST_SKIP() << "sox or twolame is missing";
    const Bytes stream = test::readFileBytes(*mp2);
    std::vector<test::RiffChunkSpec> chunks =
        marks({{1, 100, "intro"}, {2, 30000, "drums in"}, {3, 60000, "a label too long"}});
    chunks.insert(chunks.begin(), test::dataChunk(stream));
    importPicked(write("music.wav", mpegWav(chunks)));
    ASSERT_TRUE(shell.messages.empty()) << shell.messageTexts().front();
    const size_t sections = test::referenceSplit(stream).size();
    ASSERT_GT(sections, 3u);
    ASSERT_EQ(size_t(doc.rows().size()), sections);
    const Texts descriptions = column(kColDescription), sizes = column(kColSize);
    EXPECT_EQ(Texts(descriptions.begin(), descriptions.begin() + 3),
              (Texts{"!100=intro", "!5808=drums in", "!11616=a label too long"}));
    EXPECT_EQ(column(kColFormat)[0], "  16-bit 24 khz Mono");
    EXPECT_EQ(concatenated(sectionFiles()), stream);
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
