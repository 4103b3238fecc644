// Decoding WAV images, peak summaries (or why not), and music banks on the loopback device
// against mpg123's decode of the uncut stream.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cmath>

#include "audio/AudioTestKit.h"
#include "audio/PeakCache.h"
#include "audio/Preview.h"
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
    WaveformSource missing{.path = folder.file("gone.wav"), .size = 100};
    EXPECT_EQ(loadPeaks(missing).error, "The file cannot be read: " + missing.path);
    test::writeFile(missing.path, test::sineWav(1000, 4410));
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
    const WaveformSource section = waveformSource(doc, doc.rows().row(0), "");
    const Bytes whole = test::readFileBytes(section.path);
    const WaveformDecode decoded = decodeWaveformMpeg(whole);
    ASSERT_TRUE(decoded.audio) << decoded.error;
    EXPECT_EQ(loadPeaks(section).peaks->frames, decoded.audio->frames());
    const Bytes cut(whole.begin(), whole.begin() + std::ptrdiff_t(whole.size() / 2 + 7));
    EXPECT_EQ(decodeWaveformMpeg(cut).error,
              "The music section ends inside an MPEG frame (cut short)");
}

TEST(PeakCache, DropsTheLeastRecentlyUsed) {
    const auto silence = [](uint32_t n) { return peaksOfWavImage(test::sineWav(1000, n, 0.0)); };
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

// libsndfile's own walk of this "LIST" goes round forever; it is never shown it.
TEST(WaveDecoder, PlaysAroundAListChunkWhoseSizesLoopLibsndfile) {
    test::PcmWavSpec spec;
    spec.frames = 100;
    std::vector<test::RiffChunkSpec> chunks = test::pcmWavChunks(spec);
    chunks.insert(chunks.begin() + 1,
                  test::infoList({test::chunk("abcd", {}).declaring(0xFFFFFFF7)}));
    const DecodeResult result = decodeWaveImage(test::encodeRiff({test::waveRiff(chunks)}));
    ASSERT_EQ(result.error, DecodeError::None);
    EXPECT_EQ(result.wave.frames(), 100u);
}

using Texts = std::vector<std::string>;

constexpr size_t kMpegFrame = 1152;           // samples of one layer II frame
constexpr size_t kSection = 21 * kMpegFrame;  // frames of one section of the import
const Texts kAllTexts = {"section 1 of 3", "section 2 of 3", "section 3 of 3", "end of music"};

std::optional<std::vector<int16_t>> mpg123Decode(const std::string& path) {
    FILE* pipe = popen(("mpg123 -q -s '" + path + "' 2>/dev/null").c_str(), "r");
    std::vector<int16_t> samples(1 << 20);
    samples.resize(pipe ? std::fread(samples.data(), 2, samples.size(), pipe) : 0);
    const int status = pipe ? pclose(pipe) : -1;
    if (status == -1 || !WIFEXITED(status) || WEXITSTATUS(status) != 0) return std::nullopt;
    return samples;
}

// The largest difference of the output from frame `outFirst` on to the decode from `decodedFirst`.
double largestDifference(const std::vector<float>& out, size_t outFirst,
                         const std::vector<int16_t>& decoded, size_t decodedFirst, size_t count) {
    double largest = 0;
    for (size_t i = 0; i < count * 2; ++i)
        largest = std::max(
            largest, std::fabs(out[outFirst * 2 + i] - decoded[decodedFirst * 2 + i] / 32768.0));
    return largest;
}

// Frames up to the last one that is not exactly zero.
double playedLength(const std::vector<float>& stereo) {
    size_t frames = stereo.size() / 2;
    while (frames > 0 && stereo[frames * 2 - 1] == 0 && stereo[frames * 2 - 2] == 0)
        --frames;
    return double(frames);
}

class Music : public ::testing::Test {
  protected:
    void SetUp() override {
        const auto mp2 = test::makeLayer2Stream(folder, "music", 44100, 2, 192, 1.5);
        if (!mp2) GTEST_SKIP() << "sox or twolame is missing";
        auto samples = mpg123Decode(*mp2);
        if (!samples) GTEST_SKIP() << "mpg123 is missing";
        decoded = std::move(*samples);
        total = decoded.size() / 2;
        ASSERT_TRUE(importMpegFile(doc, *mp2));
        ASSERT_TRUE(doc.OnSaveDocument(folder.file("music.sad")));
        bank = bankAudio.currentBank();
        ASSERT_NE(bank, nullptr);
    }
    const ZQ_MusicInfo* play(uint32_t track, uint32_t playCount, uint32_t loopTrack = 0,
                             uint32_t lastTrack = 0, int pitch = 100) {
        texts.clear();
        return audio.system.ZQMusicPlay(
            {bank, 127, track, playCount, loopTrack, lastTrack, pitch, [this](const char* text) {
                 texts.push_back(text);
                 if (text == stopAt) audio.system.ZQMusicStop(0);
             }});
    }
    test::TempFolder folder;                // before the system, which keeps the bank file open
    test::ScopedTmpDir tmp{folder.path()};  // the import's section files stay in the folder
    test::LoopbackAudio audio;
    ZQBankAudio bankAudio{audio.system};
    test::FakeShell shell;
    CQuillonDoc doc{shell, &bankAudio};
    std::vector<int16_t> decoded;
    size_t total = 0;
    ZQ_AudioBank* bank = nullptr;
    Texts texts;
    std::string stopAt;
};

// A decoder started inside the stream settles within its first frame.
TEST_F(Music, PlaysTheImportedSectionsAsTheUncutStreamThroughOneDecoder) {
    const ZQ_MusicInfo* info = play(1, 1);
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(info->SectionCount, 3u);
    std::vector<float> out = audio.render(uint32_t(total + kTestRate / 2));
    EXPECT_LE(largestDifference(out, 0, decoded, 0, total), 1e-6);
    EXPECT_NEAR(playedLength(out), double(total), kMpegFrame);
    EXPECT_EQ(texts, kAllTexts);
    EXPECT_EQ(info->State, ZQ_MUSIC_STOPPED);
    EXPECT_EQ(play(4, 1), nullptr) << "a track past the last section";
    info = play(2, 0, 1);  // for ever from track 2, later passes from track 1
    EXPECT_EQ(texts, Texts{"section 2 of 3"}) << "told at once";
    out = audio.render(uint32_t(2 * total - 2 * kSection));
    EXPECT_EQ(info->Pass, 2u);
    EXPECT_EQ(texts.at(2), "section 1 of 3");
    EXPECT_LE(largestDifference(out, total - kSection + kMpegFrame, decoded, kMpegFrame, kSection),
              1e-6);
    ASSERT_NE(play(2, 2, 1, 2), nullptr);  // 2, then 1 and 2
    EXPECT_NEAR(playedLength(audio.render(uint32_t(4 * kSection))), 3.0 * kSection, kMpegFrame);
    ASSERT_NE(play(1, 1, 0, 0, 200), nullptr);  // twice as fast
    EXPECT_NEAR(playedLength(audio.render(uint32_t(total))), total / 2.0, kMpegFrame);
}

TEST_F(Music, VolumeStopsAndFades) {
    ASSERT_NE(play(1, 0), nullptr);
    const double full = test::rms(audio.render(kTestRate / 2), 0, 2048);
    audio.system.ZQMusicSetMasterVolume(500);
    EXPECT_EQ(audio.system.ZQMusicGetMasterVolume(), 127) << "clamped";
    const ZQ_MusicInfo* info = play(1, 0);
    audio.system.ZQMusicStop(500);
    EXPECT_EQ(info->State, ZQ_MUSIC_FADING);
    const std::vector<float> fade = audio.render(kTestRate / 2 + 2048);
    EXPECT_NEAR(test::rms(fade, 0, kTestRate / 4 - 1000, 2000) / full, 0.5, 0.1) << "halfway";
    EXPECT_EQ(info->State, ZQ_MUSIC_STOPPED);
    stopAt = "section 2 of 3";  // the status callback may call back into the library
    ASSERT_NE(play(1, 0), nullptr);
    EXPECT_EQ(test::peak(audio.render(uint32_t(total)), kSection + 441), 0.0) << "within 10 ms";
    EXPECT_EQ(texts, (Texts{"section 1 of 3", "section 2 of 3"})) << "a stop tells nothing";
    audio.system.ZQMusicStop(0);  // nothing to stop: nothing happens
    // The editor looks after the engine every 100 ms; a queue looked after every 2 s runs dry.
    const ZQ_MusicInfo* dry = play(1, 0);
    std::vector<float> out(4 * kTestRate);
    for (int i = 0; i < 2; ++i)
        ASSERT_EQ(audio.system.ZQRender(out.data(), 2 * kTestRate), ZQAudioResult::Ok);
    EXPECT_GT(dry->Underruns, 0u);
    EXPECT_TRUE(audio.system.ZQMusicIsPlaying()) << "and goes on";
}

// Frameless sections once kept the player busy; a section never plays as a sample.
TEST_F(Music, BanksThatAreNotPlainMusic) {
    test::TestBank other;
    for (int i = 0; i < 3; ++i)
        other.add(test::playableRecord(), test::Bytes(5000, uint8_t(0x11 * i)));
    bank = audio.system.ZQBankRegister(other.write(folder, "samples.sad").c_str(), 0);
    EXPECT_EQ(play(1, 1), nullptr) << "a sample bank has no music";
    bank = reinterpret_cast<ZQ_AudioBank*>(&texts);
    EXPECT_EQ(play(1, 1), nullptr) << "not a registered bank";
    for (ZQ_BankSample& record : other.records)
        record.playType = 0x04A0FDFF;  // a frame header without its flag: frameless sections
    bank = audio.system.ZQBankRegister(other.write(folder, "frameless.sad").c_str(), 0);
    EXPECT_EQ(play(1, 0), nullptr);
    EXPECT_EQ(audio.system.ZQSamplePlay(test::recordOptions(bankAudio.currentBank(), 1)), nullptr);

    // A click in a section's waveform previews its MPEG audio from that frame, out of the bank.
    PreviewPlayer player(audio.system, bankAudio);
    const std::string saved = bankAudio.registeredBankPath();
    ASSERT_EQ(player.playRowFrom(doc, 1, 11025, saved), RowPlayResult::FromFile);
    EXPECT_GT(test::peak(audio.render(4000)), 0.01);
    EXPECT_EQ(player.playPosition()->sourceKey,
              waveformSource(doc, doc.rows().row(1), saved).key());
    EXPECT_NEAR(double(player.playPosition()->frame), 15025, 900);
}

}  // namespace
}  // namespace quillon
