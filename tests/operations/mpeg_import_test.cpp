// The "Import MPEG Audio File" command on a document, with the user played by
// the scripted shell: the rows it makes, the plain and the WAV route, the
// labels that become Descriptions, the failures, and a music bank that is
// saved and opened again. Section files go below the test's own folder
// (TMPDIR points there), so every test can see exactly what was left behind.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <numeric>

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

constexpr size_t kFrameBytes = 626;  // of kMpeg1Layer2Header
const uint32_t kHeaderValue =
    MpegHeaderValue(test::kMpeg1Layer2Header[0], test::kMpeg1Layer2Header[1],
                    test::kMpeg1Layer2Header[2], test::kMpeg1Layer2Header[3]);

struct Label {
    uint32_t cueId;
    uint32_t position;
    std::string text;
};

// A WAV file whose data chunk holds the stream, with a cue point and a label
// for every entry of `labels`, in that order.
Bytes mpegWav(const Bytes& stream, const std::vector<Label>& labels) {
    WaveFormatBlock mpeg;
    mpeg.formatTag = 0x50;  // MPEG; the import never reads it
    mpeg.channels = 2;
    mpeg.samplesPerSecond = 44100;
    std::vector<test::RiffChunkSpec> chunks = {test::fmtChunk(mpeg), test::dataChunk(stream)};
    if (!labels.empty()) {
        std::vector<test::CuePointSpec> cues;
        std::vector<test::RiffChunkSpec> texts;
        for (const Label& label : labels) {
            test::CuePointSpec cue;
            cue.id = label.cueId;
            cue.position = label.position;
            cues.push_back(cue);
            texts.push_back(test::lablChunk(label.cueId, label.text));
        }
        chunks.push_back(test::cueChunk(cues));
        chunks.push_back(test::adtlList(texts));
    }
    return test::encodeRiff({test::waveRiff(chunks)});
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
        const std::string path = dir.file(name);
        fs::create_directories(fs::path(path).parent_path());
        test::writeFile(path, bytes);
        return path;
    }
    // Runs the command with `path` picked in its dialog.
    void importPicked(const std::string& path) {
        shell.fileAnswers.push_back({{path}, dir.path()});
        ImportMpegAudio(doc);
    }
    std::string privateFolder() const { return dir.file("quillon-" + std::to_string(getuid())); }
    // What the imports left in the private temporary folder.
    std::vector<std::string> leftBehind() const {
        std::vector<std::string> names;
        std::error_code ignored;
        for (const auto& entry : fs::recursive_directory_iterator(privateFolder(), ignored))
            names.push_back(entry.path().string());
        return names;
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
    const Bytes stream = test::makeFrames(45);
    importPicked(write("music.mp2", stream));

    ASSERT_TRUE(shell.messages.empty()) << shell.messageTexts().front();
    ASSERT_EQ(doc.rows().size(), 3);
    const size_t frames[] = {21, 21, 3};
    size_t offset = 0;
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        const uint32_t size = uint32_t(frames[i] * kFrameBytes);
        EXPECT_EQ(cell(i, kColNo), std::to_string(i + 1));
        EXPECT_EQ(key(i, kColNo), "000" + std::to_string(i + 1));
        EXPECT_EQ(cell(i, kColName), "sect000" + std::to_string(i) + ".mpg");
        EXPECT_EQ(cell(i, kColLocation), cell(0, kColLocation));
        EXPECT_EQ(cell(i, kColBank), "*");
        EXPECT_EQ(cell(i, kColClone), "0");
        EXPECT_EQ(key(i, kColClone), "0000");
        EXPECT_EQ(cell(i, kColSize), std::to_string(size));
        EXPECT_EQ(key(i, kColSize), (i < 2 ? "00013146" : "00001878"));
        EXPECT_EQ(cell(i, kColFormat), "  16-bit 44 khz Stereo");
        EXPECT_EQ(cell(i, kColCompression), "Layer 2 - 192kb");
        EXPECT_EQ(cell(i, kColDescription), "");
        for (int c = kColPriority; c < kColumnCount; ++c) {
            EXPECT_EQ(cell(i, c), "*") << c;
            EXPECT_EQ(key(i, c), "*") << c;
        }
        const Row& row = doc.rows().row(i);
        EXPECT_TRUE(row.checked);
        EXPECT_EQ(row.enabled, 1u);
        EXPECT_EQ(row.loadNumber, 0u);
        EXPECT_FALSE(row.record);
        EXPECT_EQ(row.mpegDescriptor, kHeaderValue);
        EXPECT_EQ(row.waveFormat, (WaveFormatBlock{1, 2, 44100, 176400, 4, 16, 0}));
        const Bytes expected(stream.begin() + long(offset), stream.begin() + long(offset + size));
        EXPECT_EQ(sectionFiles()[size_t(i)], expected);
        offset += size;
    }
    // The rows name their sections under the stream's file, whatever folder
    // they lie in: a fresh folder of this import inside the private folder.
    EXPECT_EQ(cell(0, kColLocation), dir.file("music.mp2"));
    const PathParts folder = splitAtLastSeparator(doc.musicSectionFolder());
    EXPECT_EQ(folder.folder, privateFolder());
    EXPECT_EQ(folder.name.rfind("mpeg-", 0), 0u) << folder.name;

    EXPECT_TRUE(doc.values().musicBank);
    EXPECT_TRUE(doc.isModified());
    EXPECT_EQ(doc.folders().wavAdd, dir.path());
    ASSERT_EQ(shell.fileRequests.size(), 1u);
    const FileDialogRequest& request = shell.fileRequests[0];
    EXPECT_FALSE(request.save);
    EXPECT_EQ(request.title, "Add/Insert Mpeg Audio");
    EXPECT_EQ(request.filter, "MPEG AUDIO Files (*.MP2,*.WAV)|*.MP2;*.WAV||");
    EXPECT_EQ(request.initialFolder, "/previous/add/folder");
    EXPECT_FALSE(request.multipleFiles);
    EXPECT_TRUE(request.mustExist);
    EXPECT_EQ(request.mode, FileDialogMode::AddInsert);
}

// Only ".wav" and ".WAV" in the file's name take the WAV route; any other name
// is split as a plain stream, RIFF header and marker chunks included.
TEST_F(MpegImport, TheFileNameChoosesTheRoute) {
    const Bytes stream = test::makeFrames(45);
    const Bytes wav = mpegWav(stream, {{1, 30000, "bridge"}});
    struct Case {
        const char* name;
        bool wavRoute;
    };
    const Case cases[] = {
        {"a.wav", true},
        {"b.WAV", true},
        {"c.Wav", false},
        {"d.mp2", false},
        {"takes.wav/e.mp2", false},
        {"f.wav.mp2", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        doc.OnNewDocument();
        importPicked(write(c.name, wav));
        ASSERT_TRUE(shell.messages.empty()) << shell.messageTexts().front();
        const Bytes& split = c.wavRoute ? stream : wav;
        std::vector<Bytes> expected;
        for (const test::ReferenceSection& section : test::referenceSplit(split))
            expected.push_back(section.bytes);
        EXPECT_EQ(sectionFiles(), expected);
        ASSERT_EQ(doc.rows().size(), 3);
        EXPECT_EQ(cell(1, kColDescription), c.wavRoute ? "!5808=bridge" : "");
        if (!c.wavRoute) {
            // The plain route drops the 44 bytes of RIFF, "fmt " and "data" headers
            // and keeps the "cue " and "adtl" chunks at the end of the last section.
            EXPECT_EQ(concatenated(sectionFiles()), Bytes(wav.begin() + 44, wav.end()));
            EXPECT_GT(std::stoul(cell(2, kColSize)), 3 * kFrameBytes);
        }
    }
}

TEST_F(MpegImport, LabelsBecomeTheDescriptionsOfTheirSections) {
    const Bytes stream = test::makeFrames(45);
    // In file order; each section lists its labels read last first.
    const std::vector<Label> labels = {
        {1, 100, "intro"},
        {2, 23000, "loop"},
        {3, 30000, "bridge"},
        {9, 200, "no such cue"},  // its identifier names no cue point below
        {5, 24191, "zqloop"},     // the last sample of section 0
        {4, 48384, "abcdefghijklmnopqrst"},
    };
    // No cue point has identifier 9, so its label matches none.
    std::vector<test::CuePointSpec> cues;
    for (const Label& label : labels) {
        if (label.cueId == 9) continue;
        test::CuePointSpec cue;
        cue.id = label.cueId;
        cue.position = label.position;
        cues.push_back(cue);
    }
    cues.push_back({.id = 6, .position = 1000});  // a cue point without a label
    std::vector<test::RiffChunkSpec> texts;
    for (const Label& label : labels)
        texts.push_back(test::lablChunk(label.cueId, label.text, label.cueId != 4));  // 4: no zero
    WaveFormatBlock mpeg;
    mpeg.formatTag = 0x50;
    const Bytes wav =
        test::encodeRiff({test::waveRiff({test::fmtChunk(mpeg), test::dataChunk(stream),
                                          test::cueChunk(cues), test::adtlList(texts)})});
    importPicked(write("labels.wav", wav));

    ASSERT_TRUE(shell.messages.empty()) << shell.messageTexts().front();
    EXPECT_EQ(column(kColDescription),
              (std::vector<std::string>{"!24191=zqloop!23000=loop!100=intro", "!5808=bridge",
                                        "!0=abcdefghijklmnop"}));
    for (int i = 0; i < doc.rows().size(); ++i)
        EXPECT_EQ(sortKey(doc.rows().row(i), kColDescription), cell(i, kColDescription));
    EXPECT_EQ(concatenated(sectionFiles()), stream);
}

// Missing, odd or lying marker chunks are no errors: the stream is still
// imported, with the markers that could be read. A data chunk that declares
// more than its file holds (a streaming writer's placeholder) ends with the file.
TEST_F(MpegImport, OddOrLyingChunksStillGiveTheMusic) {
    const Bytes stream = test::makeFrames(25);
    WaveFormatBlock mpeg;
    mpeg.formatTag = 0x50;
    const test::RiffChunkSpec fmt = test::fmtChunk(mpeg), data = test::dataChunk(stream);
    const test::RiffChunkSpec cue = test::cueChunk({{.id = 1, .position = 7}});
    const test::RiffChunkSpec adtl = test::adtlList({test::lablChunk(1, "mark")});
    struct Case {
        const char* name;
        std::vector<test::RiffChunkSpec> chunks;
        const char* description;
    };
    const Case cases[] = {
        {"no marker chunks", {fmt, data}, ""},
        {"cue without adtl", {fmt, data, cue}, ""},
        {"adtl before cue", {fmt, adtl, data, cue}, ""},
        {"cue count beyond its chunk",
         {fmt, data, test::cueChunk({{.id = 1, .position = 7}}, 100000), adtl},
         "!7=mark"},
        {"cue count of 0", {fmt, data, test::cueChunk({{.id = 1, .position = 7}}, 0), adtl}, ""},
        {"labl cut short", {fmt, data, cue, test::adtlList({test::chunk("labl", {1, 0})})}, ""},
        {"markers before the data", {fmt, cue, adtl, data}, "!7=mark"},
        {"data size placeholder", {fmt, cue, adtl, data.declaring(0xFFFFFFFF)}, "!7=mark"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        doc.OnNewDocument();
        importPicked(write("odd.wav", test::encodeRiff({test::waveRiff(c.chunks)})));
        ASSERT_TRUE(shell.messages.empty()) << shell.messageTexts().front();
        ASSERT_EQ(doc.rows().size(), 2);
        EXPECT_EQ(cell(0, kColDescription), c.description);
        EXPECT_EQ(concatenated(sectionFiles()), stream);
    }
}

// A failed import shows one plain message box, adds nothing, leaves Music
// Bank and the add folder alone, and leaves no section file behind.
TEST_F(MpegImport, FailuresShowOneMessageAndLeaveNothing) {
    const std::string openFailed = "couldn't open file / understand WAV header";
    const Bytes frames = test::makeFrames(25);
    fs::create_directories(dir.file("folder.mp2"));
    struct Case {
        std::string name;
        std::optional<Bytes> bytes;  // none: the file is not made
        std::string message;         // "%s" stands for the file's path
    };
    const Case cases[] = {
        {"missing.mp2", std::nullopt, openFailed},
        {"missing.wav", std::nullopt, openFailed},
        {"folder.mp2", std::nullopt, openFailed},
        {"plain-stream.wav", frames, openFailed},
        {"no-data.wav",
         test::encodeRiff({test::waveRiff({test::fmtChunk(test::pcmFormat(2, 44100, 16))})}),
         openFailed},
        {"data-outside-riff.wav",
         test::encodeRiff({test::waveRiff({test::fmtChunk(test::pcmFormat(2, 44100, 16))}),
                           test::dataChunk(frames)}),
         openFailed},
        {"empty.mp2", Bytes(), "couldn't find MPEG audio frames in %s"},
        {"junk.mp2", Bytes(5000, 0x55), "couldn't find MPEG audio frames in %s"},
        {"silent.wav", mpegWav(Bytes(4000, 0), {{1, 0, "start"}}),
         "couldn't find MPEG audio frames in %s"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        shell.messages.clear();
        const std::string path = c.bytes ? write(c.name, *c.bytes) : dir.file(c.name);
        importPicked(path);
        ASSERT_EQ(shell.messages.size(), 1u);
        std::string expected = c.message;
        if (size_t at = expected.find("%s"); at != std::string::npos) expected.replace(at, 2, path);
        EXPECT_EQ(shell.messages[0].text, expected);
        EXPECT_EQ(shell.messages[0].caption, "");
        EXPECT_EQ(shell.messages[0].icon, MessageIcon::None);
        EXPECT_EQ(shell.messages[0].buttons, MessageButtons::Ok);
        EXPECT_TRUE(doc.rows().empty());
        EXPECT_FALSE(doc.values().musicBank);
        EXPECT_FALSE(doc.isModified());
        EXPECT_EQ(doc.folders().wavAdd, "/previous/add/folder");
        EXPECT_EQ(leftBehind(), std::vector<std::string>());
    }
}

TEST_F(MpegImport, WithoutAPrivateTemporaryFolderNothingIsAdded) {
    // A file where the private folder's parent should be: no folder can be made.
    ::setenv("TMPDIR", write("not-a-folder", {1}).c_str(), 1);
    importPicked(write("music.mp2", test::makeFrames(25)));
    EXPECT_EQ(shell.messageTexts(), (std::vector<std::string>{"couldn't create a private temporary "
                                                              "folder for the section files"}));
    EXPECT_TRUE(doc.rows().empty());
    EXPECT_FALSE(doc.values().musicBank);
}

TEST_F(MpegImport, CancelDoesNothing) {
    ImportMpegAudio(doc);
    EXPECT_EQ(shell.fileRequests.size(), 1u);
    EXPECT_TRUE(shell.messages.empty());
    EXPECT_TRUE(doc.rows().empty());
    EXPECT_FALSE(doc.values().musicBank);
    EXPECT_EQ(doc.folders().wavAdd, "/previous/add/folder");
}

// The command is enabled only while Music Bank is unchecked and the list is
// empty, so after an import a second one never asks for a file.
// The import is one step: Undo leaves the new bank it came into, Redo brings
// every section and the music flag back.
TEST_F(MpegImport, OneUndoTakesBackTheWholeImport) {
    importPicked(write("music.mp2", test::makeFrames(45)));
    ASSERT_EQ(doc.rows().size(), 3);
    EXPECT_EQ(doc.history().undoName(), "Import MPEG Audio");
    ASSERT_TRUE(doc.undo());
    EXPECT_EQ(doc.rows().size(), 0);
    EXPECT_FALSE(doc.values().musicBank);
    EXPECT_FALSE(doc.isModified());
    ASSERT_TRUE(doc.redo());
    EXPECT_EQ(doc.rows().size(), 3);
    EXPECT_TRUE(doc.values().musicBank);
    EXPECT_EQ(cell(2, kColName), "sect0002.mpg");
}

TEST_F(MpegImport, AfterAnImportTheCommandIsDisabled) {
    importPicked(write("music.mp2", test::makeFrames(25)));
    ASSERT_TRUE(doc.values().musicBank);
    importPicked(write("again.mp2", test::makeFrames(25)));
    EXPECT_EQ(shell.fileRequests.size(), 1u);
    EXPECT_EQ(doc.rows().size(), 2);

    doc.OnNewDocument();
    AddMpegSection(doc, "/x/sect0000.mpg", 10, kHeaderValue, "");
    ASSERT_FALSE(doc.values().musicBank);
    shell.fileAnswers.clear();
    ImportMpegAudio(doc);
    EXPECT_EQ(shell.fileRequests.size(), 1u);
}

TEST_F(MpegImport, AddMpegSectionNumbersAfterTheLastRowAndSplitsEitherSeparator) {
    AddMpegSection(doc, "c:\\windows\\temp\\sect0000.mpg", 1234, kHeaderValue, "first");
    doc.rows().setCell(0, kColNo, "41");
    // MPEG-2 layer II, 64 kbit/s, 24000 per second, single channel.
    const uint32_t mono = MpegHeaderValue(0xFF, 0xF5, 0x84, 0xC4);
    AddMpegSection(doc, "/tmp/q/sect0001.mpg", 99999999, mono, std::string(300, 'x'));
    ASSERT_EQ(doc.rows().size(), 2);
    EXPECT_EQ(cell(0, kColName), "sect0000.mpg");
    EXPECT_EQ(cell(0, kColLocation), "c:\\windows\\temp");
    EXPECT_EQ(cell(1, kColNo), "42");
    EXPECT_EQ(cell(1, kColName), "sect0001.mpg");
    EXPECT_EQ(cell(1, kColLocation), "/tmp/q");
    EXPECT_EQ(key(1, kColSize), "99999999");
    EXPECT_EQ(cell(1, kColFormat), "  16-bit 24 khz Mono");
    EXPECT_EQ(cell(1, kColCompression), "Layer 2 - 64kb");
    EXPECT_EQ(doc.rows().row(1).waveFormat.averageBytesPerSecond, 48000u);
    EXPECT_EQ(doc.rows().row(1).waveFormat.blockAlign, 2u);
    EXPECT_EQ(cell(1, kColDescription), std::string(255, 'x'));
    EXPECT_EQ(sortKey(doc.rows().row(1), kColDescription), std::string(255, 'x'));
    EXPECT_TRUE(doc.isModified());
}

TEST_F(MpegImport, RemovingASectionFolderTouchesOnlyWhatAnImportMade) {
    importPicked(write("music.mp2", test::makeFrames(45)));
    const std::string folder = doc.musicSectionFolder();
    write("keep/sect0000.mpg", {1});
    EXPECT_FALSE(removeMpegSectionFolder(dir.file("keep")));
    EXPECT_FALSE(removeMpegSectionFolder(privateFolder()));
    EXPECT_TRUE(test::fileExists(dir.file("keep/sect0000.mpg")));

    EXPECT_TRUE(removeMpegSectionFolder(folder));
    EXPECT_FALSE(test::fileExists(folder));
    EXPECT_EQ(leftBehind(), std::vector<std::string>());
    EXPECT_FALSE(removeMpegSectionFolder(folder));
}

// --- Real streams --------------------------------------------------------------

struct RealStream {
    const char* name;
    int sampleRate, channels, kbits;
    const char* importedFormat;  // right after the import
    const char* storedFormat;    // after saving and opening: the stored format block's text
    const char* compression;
};

class MpegImportRealStream : public MpegImport, public testing::WithParamInterface<RealStream> {
  protected:
    // A stream made by twolame; skips the test when the tools are missing.
    std::optional<Bytes> makeStream() {
        const RealStream& c = GetParam();
        const std::optional<std::string> mp2 =
            test::makeLayer2Stream(dir, "music", c.sampleRate, c.channels, c.kbits, 6.0);
        if (!mp2) return std::nullopt;
        return test::readFileBytes(*mp2);
    }
    void expectMusicRows(const CQuillonDoc& d, const char* format) {
        for (int i = 0; i < d.rows().size(); ++i) {
            SCOPED_TRACE(i);
            EXPECT_EQ(d.rows().cell(i, kColFormat), format);
            EXPECT_EQ(d.rows().cell(i, kColCompression), GetParam().compression);
            EXPECT_EQ(d.rows().row(i).waveFormat.samplesPerSecond, uint32_t(GetParam().sampleRate));
            EXPECT_EQ(d.rows().row(i).waveFormat.channels, GetParam().channels);
        }
    }
};

TEST_P(MpegImportRealStream, PlainFileGivesOneRowPerTwentyOneFrames) {
    const std::optional<Bytes> stream = makeStream();
    if (!stream) GTEST_SKIP() << "sox or twolame is missing";
    importPicked(dir.file("music.mp2"));
    ASSERT_TRUE(shell.messages.empty()) << shell.messageTexts().front();
    const size_t sections = test::referenceSplit(*stream).size();
    ASSERT_GT(sections, 3u);
    EXPECT_EQ(size_t(doc.rows().size()), sections);
    expectMusicRows(doc, GetParam().importedFormat);
    EXPECT_EQ(concatenated(sectionFiles()), *stream);
}

// Imported from a WAV file, saved and opened again: the rows show the Format of
// the stored format block, the Compression decoded from the stored header
// value, and the Descriptions; the bank's wave data are the section files.
TEST_P(MpegImportRealStream, WavImportSavedAndOpenedAgainKeepsTheMusic) {
    const std::optional<Bytes> stream = makeStream();
    if (!stream) GTEST_SKIP() << "sox or twolame is missing";
    importPicked(write("music.wav", mpegWav(*stream, {{1, 100, "intro"},
                                                      {2, 30000, "drums in"},
                                                      {3, 60000, "a label too long"}})));
    ASSERT_TRUE(shell.messages.empty()) << shell.messageTexts().front();
    ASSERT_GT(doc.rows().size(), 3);
    EXPECT_EQ(column(kColDescription)[0], "!100=intro");
    EXPECT_EQ(column(kColDescription)[1], "!5808=drums in");
    EXPECT_EQ(column(kColDescription)[2], "!11616=a label too long");
    expectMusicRows(doc, GetParam().importedFormat);
    const Bytes sections = concatenated(sectionFiles());
    EXPECT_EQ(sections, *stream);
    const std::vector<std::string> descriptions = column(kColDescription);
    const std::vector<std::string> sizes = column(kColSize);

    const std::string bank = dir.file("music.sad");
    const std::string sectionFolder = doc.musicSectionFolder();
    ASSERT_TRUE(doc.OnSaveDocument(bank));
    // The bank holds the music now: the save removed its section files.
    EXPECT_FALSE(fs::exists(sectionFolder));
    EXPECT_EQ(doc.musicSectionFolder(), "");
    const test::InspectedBank saved = test::inspectBank(bank);
    EXPECT_EQ(saved.musicFlag, 1u);
    EXPECT_EQ(saved.waveData, sections);
    ASSERT_EQ(saved.records.size(), size_t(doc.rows().size()));
    const WaveFormatBlock format = doc.rows().row(0).waveFormat;
    for (const test::InspectedRecord& record : saved.records) {
        EXPECT_EQ(record.formatTag, 1u);
        EXPECT_EQ(record.channels, format.channels);
        EXPECT_EQ(record.rate, format.samplesPerSecond);
        EXPECT_EQ(record.byteRate, format.averageBytesPerSecond);
        EXPECT_EQ(record.bits, 16u);
        EXPECT_EQ(record.loopStart, -1);
        EXPECT_EQ(record.flags & kFlagPlayType, 0u);
        EXPECT_GE(record.playType, kFirstMpegDescriptor);
    }

    test::FakeShell otherShell;
    CQuillonDoc reopened(otherShell, nullptr);
    ASSERT_TRUE(reopened.OnOpenDocument(bank));
    EXPECT_TRUE(reopened.values().musicBank);
    ASSERT_EQ(reopened.rows().size(), doc.rows().size());
    expectMusicRows(reopened, GetParam().storedFormat);
    for (int i = 0; i < reopened.rows().size(); ++i) {
        EXPECT_EQ(reopened.rows().cell(i, kColDescription), descriptions[size_t(i)]);
        EXPECT_EQ(reopened.rows().cell(i, kColSize), sizes[size_t(i)]);
        EXPECT_EQ(reopened.rows().cell(i, kColBank), "Yes");
        EXPECT_EQ(reopened.rows().row(i).mpegDescriptor, saved.records[size_t(i)].playType);
    }

    // Saved again from the opened bank, the music is copied from it unchanged.
    const std::string copy = dir.file("copy.sad");
    ASSERT_TRUE(reopened.OnSaveDocument(copy));
    const test::InspectedBank again = test::inspectBank(copy);
    EXPECT_EQ(again.musicFlag, 1u);
    EXPECT_EQ(again.waveData, sections);
    ASSERT_EQ(again.records.size(), saved.records.size());
    for (size_t i = 0; i < again.records.size(); ++i) {
        EXPECT_EQ(again.records[i].playType, saved.records[i].playType);
        EXPECT_EQ(again.records[i].rate, saved.records[i].rate);
        EXPECT_EQ(again.records[i].description, saved.records[i].description);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Twolame, MpegImportRealStream,
    testing::Values(RealStream{"Mpeg1Layer2Stereo192k", 44100, 2, 192, "  16-bit 44 khz Stereo",
                               "16-bit 44 khz Stereo", "Layer 2 - 192kb"},
                    RealStream{"Mpeg2Layer2Mono64k", 24000, 1, 64, "  16-bit 24 khz Mono",
                               "16-bit 24 khz Mono", "Layer 2 - 64kb"}),
    [](const testing::TestParamInfo<RealStream>& info) { return info.param.name; });

// Once the music bank is saved its rows copy from the bank, so the section
// files of the import are removed; saving again still gives the same music.
TEST_F(MpegImport, SavingTheMusicBankRemovesItsSectionFiles) {
    importPicked(write("music.mp2", test::makeFrames(45)));
    ASSERT_EQ(doc.rows().size(), 3);
    ASSERT_TRUE(doc.OnSaveDocument(dir.file("music.sad")));
    EXPECT_TRUE(leftBehind().empty());
    ASSERT_TRUE(doc.OnSaveDocument(dir.file("again.sad")));
    CQuillonDoc reopened(shell, nullptr);
    ASSERT_TRUE(reopened.OnOpenDocument(dir.file("again.sad")));
    EXPECT_EQ(reopened.rows().size(), 3);
    EXPECT_EQ(test::readFileBytes(dir.file("again.sad")).size(),
              test::readFileBytes(dir.file("music.sad")).size());
}

}  // namespace
}  // namespace quillon
