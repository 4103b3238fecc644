// Decoding WAV images from memory: every format a bank may hold, the ADPCM
// length cut to the "fact" chunk, and images that are not decodable.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "audio/AudioTestKit.h"
#include "audio/WaveDecoder.h"
#include "container/ByteOrder.h"

namespace quillon {
namespace {

using test::Bytes;
using test::TempFolder;

// The decoded sine's frequency, measured from its upward zero crossings.
double frequencyOf(const DecodedWave& wave) {
    std::vector<float> stereo;
    for (uint32_t i = 0; i < wave.frames(); ++i) {
        const float v = wave.samples[size_t(i) * wave.channels] / 32768.0f;
        stereo.push_back(v);
        stereo.push_back(v);
    }
    return test::measuredFrequency(stereo, 0, wave.rate);
}

double peakOf(const DecodedWave& wave) {
    int highest = 0;
    for (int16_t s : wave.samples)
        highest = std::max(highest, std::abs(int(s)));
    return highest / 32768.0;
}

TEST(WaveDecoder, DecodesPcmOfEveryWidth) {
    for (uint16_t bits : {8, 16, 24, 32}) {
        const Bytes image = test::encodeRiff({test::waveRiff(
            {test::fmtChunk(test::pcmFormat(1, 22050, bits)),
             test::dataChunk(test::sinePcm(
                 {.frequency = 441, .rate = 22050, .bits = bits, .frames = 2205}))})});
        const DecodeResult result = decodeWaveImage(image);
        ASSERT_EQ(result.error, DecodeError::None) << bits;
        EXPECT_EQ(result.wave.rate, 22050u);
        EXPECT_EQ(result.wave.channels, 1);
        EXPECT_EQ(result.wave.frames(), 2205u) << bits;
        EXPECT_NEAR(frequencyOf(result.wave), 441, 1) << bits;
        EXPECT_NEAR(peakOf(result.wave), 0.5, 0.02) << bits;
    }
}

TEST(WaveDecoder, DecodesFloatAndClipsBeyondFullScale) {
    Bytes data;
    LeWriter w(data);
    for (int i = 0; i < 1000; ++i)
        w.f32(i == 10 ? 4.0f : float(0.25 * std::sin(i * 0.1)));
    WaveFormatBlock format = test::pcmFormat(1, 44100, 32);
    format.formatTag = 3;  // IEEE float
    const Bytes image = test::encodeRiff(
        {test::waveRiff({test::fmtChunk(format, 18), test::chunk("fact", {0xE8, 0x03, 0, 0}),
                         test::dataChunk(data)})});
    const DecodeResult result = decodeWaveImage(image);
    ASSERT_EQ(result.error, DecodeError::None);
    EXPECT_EQ(result.wave.frames(), 1000u);
    EXPECT_EQ(result.wave.samples[10], 32767) << "clipped, not wrapped round";
}

TEST(WaveDecoder, DecodesStereo) {
    const Bytes image = test::sineWav(441, 4410, 44100, 0.5, 2);
    const DecodeResult result = decodeWaveImage(image);
    ASSERT_EQ(result.error, DecodeError::None);
    EXPECT_EQ(result.wave.channels, 2);
    EXPECT_EQ(result.wave.frames(), 4410u);
}

// sox writes ADPCM with a "fact" chunk of the true length; libsndfile alone
// would give whole blocks.
TEST(WaveDecoder, AdpcmLengthIsCutToTheFactChunk) {
    TempFolder folder;
    const uint32_t frames = 10007;  // not a whole number of blocks
    for (const char* encoding : {"ms-adpcm", "ima-adpcm"}) {
        auto adpcm = test::soxConvert(folder, test::sineWav(441, frames, 22050),
                                      std::string("-e ") + encoding);
        if (!adpcm) GTEST_SKIP() << "sox is not available";
        ASSERT_EQ(factFrameCount(*adpcm), frames) << encoding;
        const DecodeResult result = decodeWaveImage(*adpcm);
        ASSERT_EQ(result.error, DecodeError::None) << encoding;
        EXPECT_EQ(result.wave.frames(), frames) << encoding;
        EXPECT_NEAR(frequencyOf(result.wave), 441, 2) << encoding;
    }
}

TEST(WaveDecoder, RefusesWhatItCannotPlay) {
    struct Case {
        const char* name;
        Bytes image;
        DecodeError expected;
    };
    WaveFormatBlock mpeg = test::pcmFormat(1, 44100, 16);
    mpeg.formatTag = 0x50;
    const Case cases[] = {
        {"not a WAV", Bytes(200, 0x55), DecodeError::NotDecodable},
        {"empty", Bytes{}, DecodeError::NotDecodable},
        {"MPEG in WAV",
         test::encodeRiff(
             {test::waveRiff({test::fmtChunk(mpeg, 18), test::dataChunk(Bytes(400, 0xFF))})}),
         DecodeError::NotDecodable},
        {"three channels", test::sineWav(440, 100, 44100, 0.5, 3), DecodeError::TooManyChannels},
        {"no frames",
         test::encodeRiff({test::waveRiff(
             {test::fmtChunk(test::pcmFormat(1, 44100, 16)), test::dataChunk({})})}),
         DecodeError::NotDecodable},
    };
    for (const Case& c : cases) {
        const DecodeResult result = decodeWaveImage(c.image);
        // libsndfile itself refuses a file without frames; either refusal will do.
        if (c.expected == DecodeError::NotDecodable && result.error == DecodeError::Empty) continue;
        EXPECT_EQ(result.error, c.expected) << c.name;
    }
}

// A FLAC image whose stream header promises 50 million frames in 1.6 KB: only
// WAV images are decoded, so nothing is allocated for what it promises.
TEST(WaveDecoder, RefusesImagesThatAreNotWav) {
    TempFolder folder;
    std::optional<Bytes> flac =
        test::soxConvert(folder, test::sineWav(441, 2205, 22050), "-t flac");
    if (!flac) GTEST_SKIP() << "sox is not available";
    ASSERT_GE(flac->size(), 26u);
    ASSERT_EQ(std::memcmp(flac->data(), "fLaC", 4), 0);
    EXPECT_EQ(decodeWaveImage(*flac).error, DecodeError::NotDecodable);
    // STREAMINFO: its total sample count is the low 36 bits of bytes 18 to 25.
    uint64_t fields = 0;
    for (size_t i = 18; i < 26; ++i)
        fields = (fields << 8) | (*flac)[i];
    fields = (fields & ~((uint64_t(1) << 36) - 1)) | 50'000'000;
    for (size_t i = 25; i >= 18; --i, fields >>= 8)
        (*flac)[i] = uint8_t(fields & 0xFF);
    EXPECT_EQ(decodeWaveImage(*flac).error, DecodeError::NotDecodable);
}

TEST(FactChunk, IsFoundOnlyWithinTheImage) {
    struct Case {
        const char* name;
        Bytes image;
        std::optional<uint32_t> expected;
    };
    const Bytes fact = {0x39, 0x05, 0, 0};  // 1337
    const Case cases[] = {
        {"after an odd chunk",
         test::encodeRiff(
             {test::waveRiff({test::chunk("odd ", {1, 2, 3}), test::chunk("fact", fact)})}),
         1337},
        {"none", test::encodeRiff({test::waveRiff({test::chunk("data", {0, 0})})}), std::nullopt},
        {"a chunk claiming more than the file",
         test::encodeRiff({test::waveRiff(
             {test::chunk("junk", {1, 2}).declaring(0xFFFFFFF0), test::chunk("fact", fact)})}),
         std::nullopt},
        {"fact cut short",
         test::encodeRiff({test::waveRiff({test::chunk("fact", fact).cutTo(10)})}), std::nullopt},
        {"not RIFF", Bytes(40, 0), std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(factFrameCount(c.image), c.expected) << c.name;
}

}  // namespace
}  // namespace quillon
