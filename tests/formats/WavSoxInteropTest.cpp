// WAV files written by sox, an independent writer, read back with the right
// format block, cell texts and file length.
#include <gtest/gtest.h>

#include <filesystem>

#include "formats/WavFile.h"
#include "support/TempFolder.h"

namespace quillon {
namespace {

struct SoxCase {
    const char* name;
    const char* soxOptions;  // output options before the file name
    WaveFormatBlock format;  // expected, extra size 0
    const char* formatText;
    const char* compressionText;
};

constexpr WaveFormatBlock pcm(uint16_t tag, uint16_t channels, uint32_t rate, uint16_t bits) {
    uint16_t align = uint16_t(channels * (bits / 8));
    return {tag, channels, rate, rate * align, align, bits, 0};
}

// sox writes depths above 16 bits as WAVE_FORMAT_EXTENSIBLE (tag 0xFFFE) unless
// told to write plain PCM with "-t wavpcm".
const SoxCase kSoxCases[] = {
    {"Pcm8Mono11025", "-b 8 -c 1 -r 11025", pcm(1, 1, 11025, 8), "  8-bit 11 khz Mono", "None"},
    {"Pcm8Stereo22050", "-b 8 -c 2 -r 22050", pcm(1, 2, 22050, 8), "  8-bit 22 khz Stereo", "None"},
    {"Pcm16Mono32000", "-b 16 -c 1 -r 32000", pcm(1, 1, 32000, 16), "16-bit 32 khz Mono", "None"},
    {"Pcm16Stereo44100", "-b 16 -c 2 -r 44100", pcm(1, 2, 44100, 16), "16-bit 44 khz Stereo",
     "None"},
    {"Pcm24Mono48000Plain", "-t wavpcm -b 24 -c 1 -r 48000", pcm(1, 1, 48000, 24),
     "24-bit 48 khz Mono", "None"},
    {"Pcm24Stereo48000Extensible", "-b 24 -c 2 -r 48000", pcm(0xFFFE, 2, 48000, 24),
     "24-bit 48 khz Stereo", "Unknown"},
    {"Pcm16Stereo11025", "-b 16 -c 2 -r 11025", pcm(1, 2, 11025, 16), "16-bit 11 khz Stereo",
     "None"},
};

class WavSoxInteropTest : public ::testing::TestWithParam<SoxCase> {};

INSTANTIATE_TEST_SUITE_P(Sox, WavSoxInteropTest, ::testing::ValuesIn(kSoxCases),
                         [](const auto& info) { return std::string(info.param.name); });

// Writes 0.1 s of a 440 Hz sine with the given sox output options.
std::string soxSine(const test::TempFolder& folder, const std::string& options) {
    std::string path = folder.file("sox.wav");
    std::string command =
        "sox -n " + options + " '" + path + "' synth 0.1 sine 440 >/dev/null 2>&1";
    if (!test::runCommand(command)) return {};
    return path;
}

TEST_P(WavSoxInteropTest, FormatBlockTextsAndLength) {
    if (!test::haveProgram("sox")) GTEST_SKIP() << "sox is not installed";
    const SoxCase& c = GetParam();
    test::TempFolder folder;
    std::string path = soxSine(folder, c.soxOptions);
    ASSERT_FALSE(path.empty()) << "sox failed";

    WavReadResult result = ReadWavFile(path, true);
    ASSERT_TRUE(result.ok()) << WavReadErrorMessage(result.error(), path);
    const WavFileInfo& info = result.info();
    EXPECT_EQ(info.format, c.format);
    EXPECT_EQ(GetWavFormatText(info.format), c.formatText);
    EXPECT_EQ(GetWavCompressionText(info.format.formatTag), c.compressionText);
    EXPECT_EQ(info.fileLength, std::filesystem::file_size(path));
    EXPECT_EQ(info.loopStart, -1);
    EXPECT_EQ(info.loopEnd, -1);
}

TEST(WavSoxInteropTest, MicrosoftAdpcm) {
    if (!test::haveProgram("sox")) GTEST_SKIP() << "sox is not installed";
    test::TempFolder folder;
    std::string path = soxSine(folder, "-e ms-adpcm -c 1 -r 22050");
    ASSERT_FALSE(path.empty()) << "sox failed";

    WavReadResult result = ReadWavFile(path, false);
    ASSERT_TRUE(result.ok()) << WavReadErrorMessage(result.error(), path);
    const WaveFormatBlock& format = result.info().format;
    EXPECT_EQ(format.formatTag, 2);
    EXPECT_EQ(format.channels, 1);
    EXPECT_EQ(format.samplesPerSecond, 22050u);
    EXPECT_EQ(format.bitsPerSample, 4);
    EXPECT_EQ(format.extraSize, 0);  // the chunk stores 32 bytes of coefficients
    // A block holds a 7-byte header per channel and two samples per further byte.
    ASSERT_GT(format.blockAlign, 7);
    double samplesPerBlock = (format.blockAlign - 7.0) * 2.0 + 2.0;
    EXPECT_NEAR(format.averageBytesPerSecond, 22050.0 * format.blockAlign / samplesPerBlock, 1.0);
    EXPECT_EQ(GetWavFormatText(format), "  4-bit 22 khz Mono");
    EXPECT_EQ(GetWavCompressionText(format.formatTag), "Microsoft ADPCM");
    EXPECT_EQ(result.info().fileLength, std::filesystem::file_size(path));
}

}  // namespace
}  // namespace quillon
