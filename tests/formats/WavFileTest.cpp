// ReadWavFile on built layouts: loop markers, format block, information texts,
// errors and hostile sizes. Every layout is read both from a file and from
// memory, and the two readings must agree.
#include "formats/WavFile.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "support/TempFolder.h"
#include "support/WavBuilder.h"

namespace quillon {
namespace {

using test::adtlList;
using test::Bytes;
using test::chunk;
using test::cueChunk;
using test::CuePointSpec;
using test::infoList;
using test::infoText;
using test::lablChunk;
using test::ltxtChunk;
using test::RiffChunkSpec;
using test::waveRiff;

RiffChunkSpec fmt16() {
    return test::fmtChunk(test::pcmFormat(1, 22050, 16));
}
RiffChunkSpec audio() {
    return test::dataChunk(Bytes(2000, 0));
}
RiffChunkSpec cueAt1000() {
    return cueChunk({{.id = 1, .position = 1000}});
}
RiffChunkSpec loopList() {
    return adtlList({lablChunk(1, "zqloop"), ltxtChunk(1, 500)});
}

void expectSameInfo(const WavFileInfo& a, const WavFileInfo& b) {
    EXPECT_EQ(a.format, b.format);
    EXPECT_EQ(a.loopStart, b.loopStart);
    EXPECT_EQ(a.loopEnd, b.loopEnd);
    EXPECT_EQ(a.comment, b.comment);
    EXPECT_EQ(a.subject, b.subject);
    EXPECT_EQ(a.fileLength, b.fileLength);
}

// Reads the bytes from a file and from memory; fails the test when they differ.
WavReadResult readBoth(const Bytes& bytes, bool wantInfoTexts = true) {
    test::TempFolder folder;
    std::string path = folder.file("t.wav");
    test::writeFile(path, bytes);
    WavReadResult fromFile = ReadWavFile(path, wantInfoTexts);
    WavReadResult fromMemory = ReadWavBytes(bytes, wantInfoTexts);
    EXPECT_EQ(fromFile.ok(), fromMemory.ok());
    if (fromFile.ok() && fromMemory.ok()) expectSameInfo(fromFile.info(), fromMemory.info());
    if (!fromFile.ok() && !fromMemory.ok()) {
        EXPECT_EQ(fromFile.error(), fromMemory.error());
    }
    return fromFile;
}

// --- Loop markers -----------------------------------------------------------

struct LoopCase {
    const char* name;
    std::vector<RiffChunkSpec> file;  // top-level chunks
    int32_t loopStart;
    int32_t loopEnd;
};

// The usual file: format, audio, then the cue chunk and an "adtl" list of these chunks.
std::vector<RiffChunkSpec> marked(RiffChunkSpec cue, std::vector<RiffChunkSpec> adtl) {
    return {waveRiff({fmt16(), audio(), std::move(cue), adtlList(std::move(adtl))})};
}

std::vector<LoopCase> loopCases() {
    const std::string longLabel(500, 'z');
    Bytes labelWithTail = {1, 0, 0, 0, 'z', 'q', 'l', 'o', 'o', 'p', 0, 'x', 'y'};
    const RiffChunkSpec loopLabel = lablChunk(1, "zqloop"), length500 = ltxtChunk(1, 500);
    const RiffChunkSpec other7 = lablChunk(7, "other");
    return {
        {"NoCueChunk", {waveRiff({fmt16(), audio()})}, -1, -1},
        {"CueAt1000Length500", marked(cueAt1000(), {loopLabel, length500}), 1000, 1499},
        {"LabelCaseIgnored", marked(cueAt1000(), {lablChunk(1, "ZqLoOP"), length500}), 1000, 1499},
        {"LabelWithoutLtxtKeepsStart", marked(cueAt1000(), {loopLabel, ltxtChunk(2, 500)}), 1000,
         -1},
        {"CueBeforeFmtIsNotFound", {waveRiff({cueAt1000(), fmt16(), audio(), loopList()})}, -1, -1},
        {"LabelBeyondCueCountNotExamined", marked(cueAt1000(), {other7, loopLabel, length500}), -1,
         -1},
        {"SecondLabelExaminedWithTwoCuePoints",
         marked(cueChunk({{1, 1000}, {7, 0}}), {other7, loopLabel, length500}), 1000, 1499},
        {"ZeroCuePoints", marked(cueChunk({}), {loopLabel, length500}), -1, -1},
        {"CueTooShortForItsCount", marked(chunk("cue ", {1, 0}), {loopLabel, length500}), -1, -1},
        {"LabelWithoutCuePointPassedOver",
         marked(cueChunk({{3, 7}, {2, 50}}), {loopLabel, lablChunk(2, "zqloop"), ltxtChunk(2, 10)}),
         50, 59},
        {"FirstCuePointInArrayOrderWins",
         marked(cueChunk({{1, 100}, {1, 200}}), {loopLabel, ltxtChunk(1, 10)}), 100, 109},
        {"OtherLtxtBeforeMatchingOne",
         marked(cueChunk({{1, 1000}, {5, 0}}), {loopLabel, ltxtChunk(5, 7), length500}), 1000,
         1499},
        {"MatchingLtxtBeyondCueCount", marked(cueAt1000(), {loopLabel, ltxtChunk(5, 7), length500}),
         1000, -1},
        {"AdtlAfterRiffEndIsFound",
         {waveRiff({fmt16(), audio(), cueAt1000()}), loopList()},
         1000,
         1499},
        {"AdtlBeforeCueIsNotFound",
         {waveRiff({fmt16(), loopList(), audio(), cueAt1000()})},
         -1,
         -1},
        {"LoopEndComesFromFirstAdtlOfFile",
         {waveRiff({fmt16(), adtlList({ltxtChunk(1, 100)}), audio(), cueAt1000(), loopList()})},
         1000,
         1099},
        {"HugeCueCountCutToChunk",
         marked(cueChunk({{1, 1000}}, 0xFFFFFFFF), {loopLabel, length500}), 1000, 1499},
        {"CutCueCountAlsoLimitsLabels",
         marked(cueChunk({{2, 5}}, 3), {lablChunk(9, "other"), lablChunk(2, "zqloop")}), -1, -1},
        {"LabelWithoutZeroByte", marked(cueAt1000(), {lablChunk(1, "zqloop", false), length500}),
         1000, 1499},
        {"LabelEndsAtZeroByte",
         marked(cueAt1000(), {chunk("labl", labelWithTail), ltxtChunk(1, 4)}), 1000, 1003},
        {"LongerLabelDoesNotMatch", marked(cueAt1000(), {lablChunk(1, "zqloopx"), length500}), -1,
         -1},
        {"OverlongLabel", marked(cueAt1000(), {lablChunk(1, longLabel, false), length500}), -1, -1},
        {"ZeroLengthLtxtGivesNoEnd", marked(cueAt1000(), {loopLabel, ltxtChunk(1, 0)}), 1000, -1},
        {"LoopEndPastInt32GivesNoEnd",
         marked(cueChunk({{1, 0x7FFFFFF0}}), {loopLabel, ltxtChunk(1, 0x100)}), 0x7FFFFFF0, -1},
        {"CuePositionPastInt32GivesNoLoop",
         marked(cueChunk({{1, 0x80000000}}), {loopLabel, length500}), -1, -1},
        {"CueTableCutShortByEndOfFile",
         {waveRiff({fmt16(), audio(), cueChunk({{1, 1000}, {2, 0}}, 5).cutTo(8 + 4 + 30)})},
         -1,
         -1},
        {"AdtlCutInsideLabel",
         {waveRiff({fmt16(), audio(), cueAt1000(), loopList().cutTo(12 + 8 + 6)})},
         -1,
         -1},
        {"AdtlLargerThanRiffIsClamped",
         {waveRiff({fmt16(), audio(), cueAt1000(), loopList().declaring(100000)})},
         1000,
         1499},
        {"ZeroSizeChunksBeforeLabel",
         marked(cueAt1000(), {chunk("note", {}), chunk("note", {}), loopLabel, length500}), 1000,
         1499},
        {"EmptyLabelCountsAsExamined",
         marked(cueAt1000(), {chunk("labl", {}), loopLabel, length500}), -1, -1},
        {"OddLabelPaddedBeforeLtxt",
         marked(cueChunk({{1, 1000}, {2, 0}}), {lablChunk(2, "four"), loopLabel, length500}), 1000,
         1499},
        {"LabelsWithoutPadBytesLoseTheLoop",
         marked(cueChunk({{1, 1000}, {2, 0}}),
                {lablChunk(2, "four").withoutPad(), loopLabel, length500}),
         -1, -1},
    };
}

class WavLoopTest : public ::testing::TestWithParam<LoopCase> {};

INSTANTIATE_TEST_SUITE_P(Layouts, WavLoopTest, ::testing::ValuesIn(loopCases()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_P(WavLoopTest, LoopPoints) {
    const LoopCase& c = GetParam();
    WavReadResult result = readBoth(test::encodeRiff(c.file));
    ASSERT_TRUE(result.ok());
    EXPECT_EQ(result.info().loopStart, c.loopStart);
    EXPECT_EQ(result.info().loopEnd, c.loopEnd);
}

// --- Format block -----------------------------------------------------------

TEST(WavFormatBlockTest, SixteenByteFmtGivesZeroExtraSizeWithoutTakingNextChunk) {
    test::PcmWavSpec spec;
    spec.channels = 2;
    spec.rate = 44100;
    WavReadResult result = readBoth(test::makePcmWav(spec));
    ASSERT_TRUE(result.ok());
    EXPECT_EQ(result.info().format, test::pcmFormat(2, 44100, 16));
    EXPECT_EQ(result.info().format.extraSize, 0);
}

TEST(WavFormatBlockTest, StoredExtraSizeIsCleared) {
    WaveFormatBlock adpcm{.formatTag = 2,
                          .channels = 1,
                          .samplesPerSecond = 22050,
                          .averageBytesPerSecond = 11155,
                          .blockAlign = 512,
                          .bitsPerSample = 4,
                          .extraSize = 32};
    WavReadResult result = readBoth(test::encodeRiff({waveRiff({test::fmtChunk(adpcm, 50)})}));
    ASSERT_TRUE(result.ok());
    adpcm.extraSize = 0;
    EXPECT_EQ(result.info().format, adpcm);
}

TEST(WavFormatBlockTest, ShortFmtChunkReadsZerosNotTheNextChunk) {
    WaveFormatBlock format = test::pcmFormat(2, 44100, 16);
    // 10 bytes: tag, channels, rate and the low half of the average rate.
    WavReadResult result = readBoth(test::encodeRiff(
        {waveRiff({test::fmtChunk(format, 10), test::dataChunk(Bytes(64, 0xFF))})}));
    ASSERT_TRUE(result.ok());
    WaveFormatBlock expected = format;
    expected.averageBytesPerSecond = format.averageBytesPerSecond & 0xFFFF;
    expected.blockAlign = 0;
    expected.bitsPerSample = 0;
    EXPECT_EQ(result.info().format, expected);
}

TEST(WavFormatBlockTest, FmtCutByEndOfFileReadsZeros) {
    // The file ends after tag, channels and the low half of the rate.
    RiffChunkSpec fmt = test::fmtChunk(test::pcmFormat(1, 96000, 16)).cutTo(8 + 6);
    WavReadResult result = readBoth(test::encodeRiff({waveRiff({fmt}).declaring(36)}));
    ASSERT_TRUE(result.ok());
    EXPECT_EQ(result.info().format.formatTag, 1);
    EXPECT_EQ(result.info().format.channels, 1);
    EXPECT_EQ(result.info().format.samplesPerSecond, 96000u & 0xFFFF);
    EXPECT_EQ(result.info().format.averageBytesPerSecond, 0u);
    EXPECT_EQ(result.info().format.bitsPerSample, 0);
}

// --- Errors -------------------------------------------------------------------

struct ErrorCase {
    const char* name;
    Bytes file;
    WavReadError error;
};

std::vector<ErrorCase> errorCases() {
    return {
        {"EmptyFile", {}, WavReadError::NoWaveForm},
        {"NotRiff", Bytes{'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd', '!'},
         WavReadError::NoWaveForm},
        {"RiffOfOtherForm", test::riffChunk("AVI ", {fmt16()}).encode(), WavReadError::NoWaveForm},
        {"RiffTooShortForItsForm", chunk("RIFF", {'W', 'A'}).encode(), WavReadError::NoWaveForm},
        {"NoFmtChunk", waveRiff({audio()}).encode(), WavReadError::NoFormatChunk},
        {"FmtOnlyAfterRiffEnd", test::encodeRiff({waveRiff({audio()}), fmt16()}),
         WavReadError::NoFormatChunk},
        {"FmtOnlyInsideList", waveRiff({test::listChunk("wrap", {fmt16()})}).encode(),
         WavReadError::NoFormatChunk},
        {"FmtHeaderCutByEndOfFile", waveRiff({fmt16().cutTo(6)}).encode(),
         WavReadError::NoFormatChunk},
    };
}

class WavErrorTest : public ::testing::TestWithParam<ErrorCase> {};

INSTANTIATE_TEST_SUITE_P(Layouts, WavErrorTest, ::testing::ValuesIn(errorCases()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_P(WavErrorTest, GivesTheError) {
    WavReadResult result = readBoth(GetParam().file);
    ASSERT_FALSE(result.ok());
    EXPECT_EQ(result.error(), GetParam().error);
}

TEST(WavErrorTest, JunkBeforeRiffIsSkipped) {
    WavReadResult result =
        readBoth(test::encodeRiff({chunk("junk", Bytes(5, 1)), waveRiff({fmt16(), audio()})}));
    ASSERT_TRUE(result.ok());
    EXPECT_EQ(result.info().format.samplesPerSecond, 22050u);
}

TEST(WavErrorTest, UnreadablePathsFailToOpen) {
    test::TempFolder folder;
    for (const std::string& path : {folder.file("missing.wav"), folder.path()}) {
        WavReadResult result = ReadWavFile(path, true);
        ASSERT_FALSE(result.ok()) << path;
        EXPECT_EQ(result.error(), WavReadError::OpenFailed) << path;
    }
}

TEST(WavErrorTest, MessagesCarryThePathExactly) {
    const std::string path = "/tmp/odd %s name.wav";
    EXPECT_EQ(WavReadErrorMessage(WavReadError::OpenFailed, path),
              "Error Reading Wav File /tmp/odd %s name.wav");
    EXPECT_EQ(WavReadErrorMessage(WavReadError::NoWaveForm, path),
              "/tmp/odd %s name.wav - Error in WAVE chunk");
    EXPECT_EQ(WavReadErrorMessage(WavReadError::NoFormatChunk, path),
              "/tmp/odd %s name.wav - Error in FMT chunk");
    EXPECT_EQ(WavReadErrorMessage(WavReadError::FileTooLarge, path),
              "/tmp/odd %s name.wav - File too large (4 GB or more)");
}

TEST(WavErrorTest, FileOf4GiBIsTooLarge) {
    test::TempFolder folder;
    std::string path = folder.file("huge.wav");
    test::writeFile(path, test::makePcmWav(test::PcmWavSpec()));
    // A sparse file: only the header is stored on disk.
    if (::truncate(path.c_str(), off_t(1) << 32) != 0) GTEST_SKIP() << "no sparse files here";
    WavReadResult result = ReadWavFile(path, true);
    ASSERT_FALSE(result.ok());
    EXPECT_EQ(result.error(), WavReadError::FileTooLarge);
}

// --- Information texts and file length --------------------------------------------

TEST(WavInfoTextTest, TextsOnlyWhenAsked) {
    test::PcmWavSpec spec;
    spec.comment = "ZQ_PRIORITY=5";
    spec.subject = "Door slam";
    Bytes wav = test::makePcmWav(spec);
    WavReadResult without = readBoth(wav, false);
    ASSERT_TRUE(without.ok());
    EXPECT_EQ(without.info().comment, "");
    EXPECT_EQ(without.info().subject, "");
    WavReadResult with = readBoth(wav, true);
    ASSERT_TRUE(with.ok());
    EXPECT_EQ(with.info().comment, "ZQ_PRIORITY=5");
    EXPECT_EQ(with.info().subject, "Door slam");
}

struct InfoCase {
    const char* name;
    std::vector<RiffChunkSpec> file;
    std::string comment;
    std::string subject;
};

std::vector<InfoCase> infoCases() {
    const std::string text300(300, 'c');
    const std::string text255(255, 'c');
    return {
        {"NoInfoList", {waveRiff({fmt16(), audio()})}, "", ""},
        {"SubjectBeforeComment",
         {waveRiff({fmt16(), audio(), infoList({infoText("ISBJ", "s"), infoText("ICMT", "c")})})},
         "c",
         "s"},
        {"InfoBeforeFmt",
         {waveRiff({infoList({infoText("ICMT", "early")}), fmt16(), audio()})},
         "early",
         ""},
        {"InfoAfterRiffEnd",
         {waveRiff({fmt16(), audio()}), infoList({infoText("ICMT", "after")})},
         "after",
         ""},
        {"CommentOutsideInfoIgnored", {waveRiff({fmt16(), infoText("ICMT", "loose")})}, "", ""},
        {"OnlyFirstInfoListSearched",
         {waveRiff(
             {fmt16(), infoList({infoText("ISBJ", "s")}), infoList({infoText("ICMT", "c")})})},
         "",
         "s"},
        {"CommentCutTo255",
         {waveRiff({fmt16(), infoList({infoText("ICMT", text300)})})},
         text255,
         ""},
        {"TextWithoutZeroByteEndsWithChunk",
         {waveRiff({fmt16(), infoList({infoText("ICMT", "abcd", false), infoText("ISBJ", "s")})})},
         "abcd",
         "s"},
        {"OddTextWithoutZeroByteIgnoresPad",
         {waveRiff({fmt16(), infoList({infoText("ICMT", "abc", false), infoText("ISBJ", "s")})})},
         "abc",
         "s"},
        {"EmptyTextChunk", {waveRiff({fmt16(), infoList({chunk("ICMT", {})})})}, "", ""},
        {"InfoListLargerThanRiff",
         {waveRiff({fmt16(), infoList({infoText("ICMT", "c")}).declaring(5000)})},
         "c",
         ""},
        {"TextChunkLargerThanFile",
         {waveRiff({fmt16(), infoList({infoText("ICMT", "partial", false).declaring(90000)})})},
         "partial",
         ""},
    };
}

class WavInfoTextCases : public ::testing::TestWithParam<InfoCase> {};

INSTANTIATE_TEST_SUITE_P(Layouts, WavInfoTextCases, ::testing::ValuesIn(infoCases()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_P(WavInfoTextCases, Texts) {
    WavReadResult result = readBoth(test::encodeRiff(GetParam().file));
    ASSERT_TRUE(result.ok());
    EXPECT_EQ(result.info().comment, GetParam().comment);
    EXPECT_EQ(result.info().subject, GetParam().subject);
}

TEST(WavFileLengthTest, CountsEveryByteOfTheFile) {
    // A 44-byte header, 1000 data bytes and a 60-byte trailing LIST chunk.
    Bytes wav = test::encodeRiff({waveRiff({fmt16(), test::dataChunk(Bytes(1000, 0)),
                                            test::listChunk("junk", {chunk("abcd", Bytes(40, 0))})})
                                      .declaring(36 + 1000)});
    ASSERT_EQ(wav.size(), 1104u);
    WavReadResult result = readBoth(wav);
    ASSERT_TRUE(result.ok());
    EXPECT_EQ(result.info().fileLength, 1104u);
}

}  // namespace
}  // namespace quillon
