// ReadWavFile on built layouts, each read from a file and from memory alike, and
// on files sox wrote; the Format text and the property keys of a comment.
#include "formats/WavFile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "support/TempFolder.h"
#include "support/WavBuilder.h"

namespace quillon {
namespace {

using namespace test;

// "loopStart loopEnd [comment] [subject]" (no texts: none), or the error's message.
std::string summary(const WavReadResult& result) {
    if (!result.ok()) return WavReadErrorMessage(result.error(), "wav");
    const WavFileInfo& i = result.info();
    const std::string texts =
        i.comment + i.subject == "" ? "" : " [" + i.comment + "] [" + i.subject + "]";
    return std::to_string(i.loopStart) + " " + std::to_string(i.loopEnd) + texts;
}

// Reads the bytes from a file and from memory; fails the test when they differ.
WavReadResult readBoth(const Bytes& bytes, bool wantInfoTexts = true) {
    TempFolder folder;
    writeFile(folder.file("t.wav"), bytes);
    WavReadResult fromFile = ReadWavFile(folder.file("t.wav"), wantInfoTexts);
    WavReadResult fromMemory = ReadWavBytes(bytes, wantInfoTexts);
    EXPECT_EQ(summary(fromFile), summary(fromMemory));
    if (fromFile.ok() && fromMemory.ok()) {
        EXPECT_EQ(fromFile.info().format, fromMemory.info().format);
        EXPECT_EQ(fromFile.info().fileLength, bytes.size());
    }
    return fromFile;
}

struct LayoutCase {
    const char* name;
    std::vector<RiffChunkSpec> file;  // top-level chunks
    std::string read;                 // summary() of the reading
};

std::vector<LayoutCase> layoutCases() {
    const RiffChunkSpec fmt = fmtChunk(pcmFormat(1, 22050, 16)), data = dataChunk(Bytes(2000, 0));
    const RiffChunkSpec cue = cueChunk({{1, 1000}}), label = lablChunk(1, "zqloop");
    const RiffChunkSpec length500 = ltxtChunk(1, 500), loops = adtlList({label, length500});
    auto wave = [](std::vector<RiffChunkSpec> chunks) {
        return std::vector{waveRiff(std::move(chunks))};
    };
    // The usual file: format, audio, then the cue chunk and an "adtl" list of these chunks.
    auto marked = [&](RiffChunkSpec cues, std::vector<RiffChunkSpec> adtl) {
        return wave({fmt, data, std::move(cues), adtlList(std::move(adtl))});
    };
    auto texts = [&](std::vector<RiffChunkSpec> info) { return wave({fmt, infoList(info)}); };
    const std::string none = "-1 -1", loop = "1000 1499";
    const std::string noWave = "wav - Error in WAVE chunk", noFmt = "wav - Error in FMT chunk";
    return {
        {"CueAt1000Length500", marked(cue, {label, length500}), loop},
        {"CueBeforeFmtIsNotFound", wave({cue, fmt, data, loops}), none},
        {"LabelBeyondCueCountNotExamined", marked(cue, {lablChunk(7, "x"), label, length500}),
         none},
        {"OddLabelPaddedBeforeSecondLabel",
         marked(cueChunk({{1, 1000}, {2, 0}}), {lablChunk(2, "four"), label, length500}), loop},
        {"CueTooShortForItsCount", marked(chunk("cue ", {1, 0}), {label, length500}), none},
        {"LabelWithoutCuePointPassedOver",
         marked(cueChunk({{3, 7}, {2, 50}}), {label, lablChunk(2, "zqloop"), ltxtChunk(2, 10)}),
         "50 59"},
        {"OtherLtxtBeforeMatchingOne",
         marked(cueChunk({{1, 1000}, {5, 0}}), {label, ltxtChunk(5, 7), length500}), loop},
        {"MatchingLtxtBeyondCueCount", marked(cue, {label, ltxtChunk(5, 7), length500}), "1000 -1"},
        {"AdtlAfterRiffEndIsFound", {waveRiff({fmt, data, cue}), loops}, loop},
        {"LoopEndComesFromFirstAdtlOfFile",
         wave({fmt, adtlList({ltxtChunk(1, 100)}), data, cue, loops}), "1000 1099"},
        {"LabelEndsAtZeroByte",
         marked(cue, {chunk("labl", {1, 0, 0, 0, 'z', 'q', 'l', 'o', 'o', 'p', 0, 'x'}),
                      ltxtChunk(1, 4)}),
         "1000 1003"},
        {"ZeroLengthLtxtGivesNoEnd", marked(cue, {label, ltxtChunk(1, 0)}), "1000 -1"},
        {"LoopAtInt32Max", marked(cueChunk({{1, 0x7FFFFFFF}}), {label, ltxtChunk(1, 1)}),
         "2147483647 2147483647"},
        {"LoopEndPastInt32GivesNoEnd",
         marked(cueChunk({{1, 0x7FFFFFFF}}), {label, ltxtChunk(1, 2)}), "2147483647 -1"},
        {"CuePositionPastInt32GivesNoLoop", marked(cueChunk({{1, 0x80000000}}), {label, length500}),
         none},
        {"HugeCueCountCutToChunk", marked(cueChunk({{1, 1000}}, 0xFFFFFFFF), {label, length500}),
         loop},
        {"CueTableCutShortByEndOfFile",
         wave({fmt, data, cueChunk({{1, 1000}, {2, 0}}, 5).cutTo(8 + 4 + 30)}), none},
        {"AdtlCutInsideLabel", wave({fmt, data, cue, loops.cutTo(12 + 8 + 6)}), none},
        {"SubjectBeforeComment", texts({infoText("ISBJ", "s"), infoText("ICMT", "c")}),
         "-1 -1 [c] [s]"},
        {"InfoBeforeFmt", wave({infoList({infoText("ICMT", "c")}), fmt}), "-1 -1 [c] []"},
        {"InfoAfterRiffEnd", {waveRiff({fmt}), infoList({infoText("ICMT", "c")})}, "-1 -1 [c] []"},
        {"OnlyFirstInfoListSearched",
         wave({fmt, infoList({infoText("ISBJ", "s")}), infoList({infoText("ICMT", "c")})}),
         "-1 -1 [] [s]"},
        {"CommentCutTo255", texts({infoText("ICMT", std::string(300, 'c'))}),
         "-1 -1 [" + std::string(255, 'c') + "] []"},
        {"OddTextWithoutZeroByteIgnoresPad",
         texts({infoText("ICMT", "abc", false), infoText("ISBJ", "s")}), "-1 -1 [abc] [s]"},
        {"RiffOfOtherForm", {riffChunk("AVI ", {fmt})}, noWave},
        {"NoFmtChunk", wave({data}), noFmt},
        {"FmtOnlyAfterRiffEnd", {waveRiff({data}), fmt}, noFmt},
    };
}

class WavLayoutTest : public ::testing::TestWithParam<LayoutCase> {};
INSTANTIATE_TEST_SUITE_P(Layouts, WavLayoutTest, ::testing::ValuesIn(layoutCases()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_P(WavLayoutTest, Reads) {
    EXPECT_EQ(summary(readBoth(encodeRiff(GetParam().file))), GetParam().read);
}

// The 18-byte block takes zeros for what a short "fmt " chunk does not hold,
// never the bytes that follow it; a stored extra size is cleared.
TEST(WavFileTest, FormatBlockIsBoundedByItsChunk) {
    WaveFormatBlock format = pcmFormat(2, 44100, 16);
    WavReadResult result =  // 10 bytes: tag, channels, rate and half the average rate
        readBoth(encodeRiff({waveRiff({fmtChunk(format, 10), dataChunk(Bytes(64, 0xFF))})}));
    ASSERT_TRUE(result.ok());
    EXPECT_EQ(result.info().format, (WaveFormatBlock{1, 2, 44100, 176400 & 0xFFFF, 0, 0, 0}));
    format.extraSize = 32;
    result = readBoth(
        encodeRiff({waveRiff({fmtChunk(format, 50), infoList({infoText("ICMT", "c")})})}), false);
    ASSERT_TRUE(result.ok());
    EXPECT_EQ(result.info().format, pcmFormat(2, 44100, 16));
    EXPECT_EQ(summary(result), "-1 -1");  // the texts only when asked
}

TEST(WavFileTest, UnreadableAndTooLargeFilesFail) {
    TempFolder folder;
    const std::string missing = folder.file("odd %s name.wav");
    EXPECT_EQ(WavReadErrorMessage(ReadWavFile(missing, true).error(), missing),
              "Error Reading Wav File " + missing);
    EXPECT_EQ(summary(ReadWavFile(folder.path(), true)), "Error Reading Wav File wav");
    ASSERT_EQ(::mkfifo(folder.file("fifo").c_str(), 0600), 0);  // refused, not waited on
    EXPECT_EQ(summary(ReadWavFile(folder.file("fifo"), true)), "Error Reading Wav File wav");
    const std::string path = folder.file("huge.wav");  // sparse: only the header is on disk
    writeFile(path, makePcmWav(PcmWavSpec()));
    if (::truncate(path.c_str(), off_t(0xFFFFFFFF)) != 0) GTEST_SKIP() << "no sparse files here";
    WavReadResult largest = ReadWavFile(path, false);
    ASSERT_TRUE(largest.ok());
    EXPECT_EQ(largest.info().fileLength, 0xFFFFFFFFu);
    ASSERT_EQ(::truncate(path.c_str(), off_t(1) << 32), 0);
    EXPECT_EQ(WavReadErrorMessage(ReadWavFile(path, false).error(), "w"),
              "w - File too large (4 GB or more)");
}

constexpr WaveFormatBlock pcm(uint16_t tag, uint16_t channels, uint32_t rate, uint16_t bits) {
    uint16_t align = uint16_t(channels * (bits / 8));
    return {tag, channels, rate, rate * align, align, bits, 0};
}

// sox writes depths above 16 bits as WAVE_FORMAT_EXTENSIBLE (tag 0xFFFE), and
// 32 bytes of coefficients after the block of ADPCM.
TEST(WavSoxInteropTest, FormatBlockTextsAndLength) {
    if (!haveProgram("sox")) GTEST_SKIP() << "sox is not installed";
    const struct {
        const char* soxOptions;  // output options before the file name
        WaveFormatBlock format;  // expected, extra size 0; ADPCM's rate and align left out
        const char *formatText, *compressionText;
    } cases[] = {
        {"-b 8 -c 1 -r 11025", pcm(1, 1, 11025, 8), "  8-bit 11 khz Mono", "None"},
        {"-b 24 -c 2 -r 48000", pcm(0xFFFE, 2, 48000, 24), "24-bit 48 khz Stereo", "Unknown"},
        {"-e ms-adpcm -c 1 -r 22050", pcm(2, 1, 22050, 4), "  4-bit 22 khz Mono",
         "Microsoft ADPCM"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.soxOptions);
        TempFolder folder;
        const std::string path = folder.file("sox.wav");  // 0.1 s of a 440 Hz sine
        ASSERT_TRUE(runCommand("sox -n " + std::string(c.soxOptions) + " '" + path +
                               "' synth 0.1 sine 440 >/dev/null 2>&1"));
        WavReadResult result = ReadWavFile(path, true);
        ASSERT_TRUE(result.ok()) << WavReadErrorMessage(result.error(), path);
        EXPECT_EQ(result.info().fileLength, std::filesystem::file_size(path));
        WaveFormatBlock format = result.info().format;
        if (format.formatTag == 2) format.averageBytesPerSecond = format.blockAlign = 0;
        EXPECT_EQ(format, c.format);
        EXPECT_EQ(GetWavFormatText(format), c.formatText);
        EXPECT_EQ(GetWavCompressionText(format.formatTag), c.compressionText);
    }
}

TEST(WavFileTest, FormatTextEdges) {  // sox makes the other depths and channel counts
    EXPECT_EQ(GetWavFormatText(pcmFormat(1, 999, 10)), "10-bit 0 khz Mono");
    EXPECT_EQ(GetWavFormatText(pcmFormat(2, 0xFFFFFFFF, 65535)), "65535-bit 4294967 khz Stereo");
}

// Each comment gives at most the one property named, and no other.
TEST(WavFileTest, CommentKeyEdges) {
    using K = WavCommentKeys;
    const struct {
        const char* comment;
        std::optional<int32_t> K::*property;
        int32_t value;
    } cases[] = {
        {"ZQ_PRIORITY =5 ZQ_GROUP", nullptr, 0},    // a key needs its "="
        {"ZQ_PRIORITY=abc", &K::priority, 0},       // no digits give 0, not absent
        {"ZQ_PITCH_VAR=7", &K::pitchVariation, 7},  // the longer key never feeds the shorter
        {"ZQ_ATMOS_GROUP=4", &K::atmosGroup, 4},
        {"ZQ_PAN=1;ZQ_PAN=2", &K::pan, 1},
        {"ZQ_GROUP=2ZQ_PRIORITY", &K::group, 2},  // a number ends where its digits do
        {"ZQ_SCALE=99999999999", &K::scale, 2147483647},
    };
    for (const auto& c : cases) {
        K expected;
        if (c.property) expected.*c.property = c.value;
        EXPECT_TRUE(ParseWavCommentKeys(c.comment) == expected) << c.comment;
    }
    const K reals = ParseWavCommentKeys("ZQ_MAX_DIST=1e3 ZQ_MIN_DIST=.5");
    EXPECT_TRUE(reals.minDist == 0.5 && reals.maxDist == 1000.0);
}

}  // namespace
}  // namespace quillon
