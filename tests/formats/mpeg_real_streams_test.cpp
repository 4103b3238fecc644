// Streams made by twolame, cut by the splitter, decoded by mpg123: every
// section must play on its own, and together they must hold the whole stream.
#include <gtest/gtest.h>

#include <memory>

#include "formats/MpegHeader.h"
#include "formats/MpegSplitter.h"
#include "support/MpegReferenceSplit.h"
#include "support/MpegTools.h"

namespace quillon {
namespace {

// Counts frames by walking from header to header with the frame-length formula;
// -1 when the bytes are not a clean run of frames.
int countFrames(const std::vector<uint8_t>& bytes) {
    int frames = 0;
    size_t at = 0;
    while (at < bytes.size()) {
        if (bytes.size() - at < 4 || bytes[at] != 0xFF || (bytes[at + 1] & 0xF0) != 0xF0) return -1;
        const size_t length =
            test::mpegFrameBytes({bytes[at], bytes[at + 1], bytes[at + 2], bytes[at + 3]});
        if (length == 0 || length > bytes.size() - at) return -1;
        at += length;
        ++frames;
    }
    return frames;
}

struct StreamCase {
    const char* name;
    int sampleRate, channels, kbits;
    const char* formatText;
    const char* compressionText;
};

class MpegRealStream : public ::testing::TestWithParam<StreamCase> {};

TEST_P(MpegRealStream, EverySectionDecodesAloneAndTheyAddUpToTheWhole) {
    const StreamCase& c = GetParam();
    if (!test::haveProgram("mpg123")) GTEST_SKIP() << "mpg123 is missing";
    test::TempFolder folder;
    const std::optional<std::string> mp2 =
        test::makeLayer2Stream(folder, "music", c.sampleRate, c.channels, c.kbits, 6.0);
    if (!mp2) GTEST_SKIP() << "sox or twolame is missing";
    const std::vector<uint8_t> stream = test::readFileBytes(*mp2);
    const int wholeFrames = countFrames(stream);
    ASSERT_GT(wholeFrames, 3 * 21) << "twolame's output is not a clean run of frames";

    std::unique_ptr<FileByteSource> file = FileByteSource::open(*mp2);
    ASSERT_TRUE(file);
    MpegRangeSource source(*file, 0, stream.size(), *mp2);
    std::vector<MpegSection> sections;
    // A block size that is no multiple of the frame length, so that blocks end mid-frame.
    MpegSplitResult result = SplitMpegStream(
        source, folder.path(), [&](const MpegSection& s) { sections.push_back(s); }, {10007});
    ASSERT_TRUE(result.ok()) << result.message;
    ASSERT_EQ(sections.size(), size_t((wholeFrames + 20) / 21));

    const std::vector<test::ReferenceSection> expected = test::referenceSplit(stream);
    ASSERT_EQ(expected.size(), sections.size());
    uint64_t decodedTotal = 0;
    for (size_t i = 0; i < sections.size(); ++i) {
        SCOPED_TRACE(sections[i].path);
        const std::vector<uint8_t> bytes = test::readFileBytes(sections[i].path);
        EXPECT_EQ(bytes, expected[i].bytes);
        EXPECT_EQ(bytes.size(), sections[i].length);
        const int frames = countFrames(bytes);
        if (i + 1 < sections.size())
            EXPECT_EQ(frames, 21);
        else
            EXPECT_TRUE(frames >= 1 && frames <= 21) << frames;

        const std::optional<uint64_t> decoded =
            test::decodedSampleFrames(sections[i].path, c.channels);
        ASSERT_TRUE(decoded) << "mpg123 could not decode the section";
        EXPECT_EQ(*decoded, uint64_t(frames) * 1152);
        decodedTotal += *decoded;

        const MpegHeaderInfo info = DecodeMpegHeader(sections[i].headerValue);
        EXPECT_EQ(GetMpegFormatText(info), c.formatText);
        EXPECT_EQ(GetMpegCompressionText(info), c.compressionText);
    }
    const std::optional<uint64_t> whole = test::decodedSampleFrames(*mp2, c.channels);
    ASSERT_TRUE(whole);
    EXPECT_EQ(decodedTotal, *whole);
}

INSTANTIATE_TEST_SUITE_P(Twolame, MpegRealStream,
                         ::testing::Values(StreamCase{"mpeg1_layer2_192k_44100_stereo", 44100, 2,
                                                      192, "  16-bit 44 khz Stereo",
                                                      "Layer 2 - 192kb"},
                                           StreamCase{"mpeg2_layer2_64k_24000_mono", 24000, 1, 64,
                                                      "  16-bit 24 khz Mono", "Layer 2 - 64kb"}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace quillon
