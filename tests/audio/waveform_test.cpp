// Decoding WAV images, peak summaries (or why not), and the play position.
#include <gtest/gtest.h>

#include <cmath>

#include "audio/AudioTestKit.h"
#include "audio/PeakCache.h"
#include "audio/WaveDecoder.h"
#include "container/ByteOrder.h"
#include "operations/MpegImport.h"
#include "support/BankFixtures.h"
#include "support/FakeShell.h"
#include "support/MpegTools.h"

namespace quillon {
namespace {

using test::Bytes;
using test::kTestRate;

Bytes wav(uint16_t channels, uint32_t rate, uint16_t bits, uint32_t frames) {
    test::PcmWavSpec shape;
    shape.channels = channels;
    shape.rate = rate;
    shape.bits = bits;
    shape.frames = frames;
    return test::makePcmWav(shape);
}

TEST(WaveformPeaks, NamedSignals) {
    const test::TempFolder folder;
    const Bytes sine = test::sineWav(1000, kTestRate);
    const std::tuple<std::optional<Bytes>, double, const char*> signals[] = {
        {sine, -6.02, "16-bit PCM, 44100 Hz, mono"},
        {test::sineWav(1000, kTestRate, 0.0), -200, "16-bit"},  // silence
        {test::sineWav(1000, kTestRate, 1.0), 0.0, "16-bit"},   // clipped
        {wav(1, 22050, 8, 2205), -6.02, "8-bit PCM, 22050 Hz, mono"},
        {wav(2, 22050, 24, 2205), -6.02, "24-bit PCM, 22050 Hz, stereo"},
        {wav(1, 22050, 32, 2205), -6.02, "32-bit PCM"},
        {test::soxConvert(folder, sine, "-e floating-point -b 32"), -6.02, "32-bit float"},
        {test::soxConvert(folder, sine, "-e ms-adpcm"), -6.02, "MS ADPCM"},
        {test::soxConvert(folder, sine, "-e ima-adpcm"), -6.02, "IMA ADPCM"},
        {test::soxConvert(folder, sine, "-e floating-point -b 64"), -6.02, "64-bit float"},
        {test::soxConvert(folder, sine, "-e u-law"), -6.02, "u-law"},
    };
    for (const auto& [image, peakDbfs, format] : signals) {
        if (!image) GTEST_SKIP() << "sox is missing";
        const PeaksResult result = peaksOfWavImage(*image);
        ASSERT_TRUE(result.peaks) << result.error;
        const PeakSummary& peaks = *result.peaks;
        EXPECT_EQ(peaks.clipped, peakDbfs == 0.0) << format;
        EXPECT_NEAR(std::max(peaks.peakDbfs(), -200.0), peakDbfs, 0.5) << format;
        EXPECT_EQ(peaks.format.rfind(format, 0), 0u) << peaks.format;
        const PeakColumn all = peaks.column(uint16_t(peaks.channels - 1), 0, peaks.frames);
        EXPECT_NEAR(all.max, std::pow(10.0, peakDbfs / 20), 0.02) << format;
        EXPECT_NEAR(all.rms, all.max / std::sqrt(2.0), 0.01) << format;
    }
}

TEST(WaveformPeaks, ColumnsOfALongSampleCoverItsEndAndWhatCannotBeDecodedSaysWhy) {
    // More frames than buckets: the last column still reaches a lone click in the last frame.
    std::vector<int16_t> samples(PeakSummary::kMaxBuckets * 3 + 5, 0);
    samples.back() = INT16_MIN;
    const std::optional<PeakSummary> peaks = computePeaks(WaveformAudio{1, kTestRate, samples, ""});
    ASSERT_TRUE(peaks);
    EXPECT_EQ(peaks->bucketFrames, 4u);
    EXPECT_TRUE(peaks->column(0, peaks->frames - 1, peaks->frames).clipped);
    EXPECT_FALSE(peaks->column(0, 0, peaks->frames - 8).clipped);
    EXPECT_EQ(peaks->peak, INT16_MAX);
    std::stop_source stop;
    stop.request_stop();
    EXPECT_FALSE(computePeaks(WaveformAudio{1, kTestRate, samples, ""}, stop.get_token()));

    EXPECT_EQ(peaksOfWavImage(Bytes(100, 'x')).error, "Not a WAV image that can be decoded");
    EXPECT_EQ(peaksOfWavImage(wav(3, 44100, 16, 100)).error, "More than two channels");
    EXPECT_EQ(peaksOfWavImage(wav(1, 44100, 16, 0)).error, "The sample holds no audio");
    const test::TempFolder folder;
    WaveformSource missing;
    missing.path = folder.file("gone.wav");
    missing.size = 100;
    EXPECT_EQ(loadPeaks(missing).error, "The file cannot be read: " + missing.path);
    test::writeFileBytes(missing.path, test::sineWav(1000, 4410));
    missing.size = 4410 * 2 + 44;
    EXPECT_EQ(loadPeaks(missing).peaks->frames, 4410u) << "the first bytes of a file";
    missing.inBank = true;
    EXPECT_EQ(loadPeaks(missing).error, "The sample's audio cannot be read from the bank");
    test::ScopedTmpDir tmp(folder.path());
    test::FakeShell shell;
    CQuillonDoc doc(shell, nullptr);
    const auto mp2 = test::makeLayer2Stream(folder, "music", 44100, 2, 192, 0.5);
    if (!mp2) GTEST_SKIP() << "sox or twolame is missing";
    ASSERT_TRUE(importMpegFile(doc, *mp2));
    const Bytes whole = test::readFileBytes(waveformSource(doc, doc.rows().row(0), "").path);
    const WaveformDecode decoded = decodeWaveformMpeg(whole);
    ASSERT_TRUE(decoded.audio) << decoded.error;
    EXPECT_EQ(loadPeaks(waveformSource(doc, doc.rows().row(0), "")).peaks->frames,
              decoded.audio->frames());
    const Bytes cut(whole.begin(), whole.begin() + std::ptrdiff_t(whole.size() / 2 + 7));
    EXPECT_EQ(decodeWaveformMpeg(cut).error,
              "The music section ends inside an MPEG frame (cut short)");
}

TEST(PeakCache, DropsTheLeastRecentlyUsed) {
    const auto silence = [](uint32_t frames) {
        return peaksOfWavImage(test::sineWav(1000, frames, 0.0));
    };
    const size_t each = silence(1000).bytes() + 1;
    PeakCache cache(each * 2 + each / 2);
    cache.store("a", silence(1000));
    cache.store("b", silence(1000));
    ASSERT_TRUE(cache.find("a"));  // now "b" is the least recently used
    cache.store("c", silence(1000));
    EXPECT_TRUE(cache.find("a") && cache.find("c") && !cache.find("b"));
    EXPECT_LE(cache.bytes(), each * 2 + each / 2);
    const size_t bytes = cache.bytes();
    cache.store("a", silence(1000));  // again: its entry is replaced
    EXPECT_EQ(std::make_pair(cache.size(), cache.bytes()), std::make_pair(size_t(2), bytes));
    cache.store("huge", silence(kTestRate * 10));
    EXPECT_FALSE(cache.find("huge")) << "larger than the whole budget";
}

// libsndfile alone gives whole ADPCM blocks; FLAC is no WAV, whatever it promises.
TEST(WaveDecoder, AdpcmLengthIsCutToTheFactChunkAndFlacIsRefused) {
    test::TempFolder folder;
    const uint32_t frames = 10007;  // not a whole number of blocks
    for (const char* encoding : {"-e ms-adpcm", "-e ima-adpcm", "-t flac"}) {
        const auto image = test::soxConvert(folder, wav(1, 22050, 16, frames), encoding);
        if (!image) GTEST_SKIP() << "sox is not available";
        const DecodeResult result = decodeWaveImage(*image);
        if (encoding[1] == 't') {
            EXPECT_EQ(result.error, DecodeError::NotDecodable);
            continue;
        }
        EXPECT_EQ(factFrameCount(*image), frames) << encoding;
        EXPECT_EQ(result.wave.frames(), frames) << encoding;
    }
}

TEST(WaveDecoder, ClipsFloatRefusesWhatItCannotPlayAndReadsFactOnlyInsideTheImage) {
    Bytes data;
    LeWriter w(data);
    for (int i = 0; i < 1000; ++i)
        w.f32(i == 10 ? 4.0f : float(0.25 * std::sin(i * 0.1)));
    WaveFormatBlock format = test::pcmFormat(1, 44100, 32);
    format.formatTag = 3;  // IEEE float
    const DecodeResult result = decodeWaveImage(test::encodeRiff(
        {test::waveRiff({test::fmtChunk(format, 18), test::chunk("fact", test::u32Words({1000})),
                         test::dataChunk(data)})}));
    ASSERT_EQ(result.error, DecodeError::None);
    EXPECT_EQ(result.wave.samples[10], 32767) << "clipped, not wrapped round";
    WaveFormatBlock mpeg = format;
    mpeg.formatTag = 0x50;
    const Bytes cannot[] = {Bytes(200, 0x55), Bytes{}, wav(1, 44100, 16, 0),
                            test::encodeRiff({test::waveRiff(
                                {test::fmtChunk(mpeg, 18), test::dataChunk(Bytes(400, 0xFF))})})};
    for (const Bytes& image : cannot)  // libsndfile refuses one without frames itself
        EXPECT_TRUE(decodeWaveImage(image).error == DecodeError::NotDecodable ||
                    decodeWaveImage(image).error == DecodeError::Empty)
            << image.size();
    EXPECT_EQ(decodeWaveImage(wav(3, 44100, 16, 100)).error, DecodeError::TooManyChannels);
    const Bytes fact = test::u32Words({1337});
    const std::pair<Bytes, std::optional<uint32_t>> facts[] = {
        {test::encodeRiff(
             {test::waveRiff({test::chunk("odd ", {1, 2, 3}), test::chunk("fact", fact)})}),
         1337},
        {test::encodeRiff({test::waveRiff(
             {test::chunk("junk", {1, 2}).declaring(0xFFFFFFF0), test::chunk("fact", fact)})}),
         std::nullopt},
        {test::encodeRiff({test::waveRiff({test::chunk("fact", fact).cutTo(10)})}), std::nullopt},
        {Bytes(40, 0), std::nullopt},
    };
    for (const auto& [image, expected] : facts)
        EXPECT_EQ(factFrameCount(image), expected) << image.size();
}

}  // namespace
}  // namespace quillon
