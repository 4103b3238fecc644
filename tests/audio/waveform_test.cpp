// The waveform's headless half: decoding of every kind of sample the bank
// holds to a peak summary (or a plain reason why not), the cache's budget, the
// worker's cancelling, and the play position the engine reports against what
// the loopback output really plays.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <filesystem>
#include <future>

#include "audio/AudioTestKit.h"
#include "audio/PeakCache.h"
#include "audio/Preview.h"
#include "audio/Waveform.h"
#include "bank/Columns.h"
#include "support/FakeShell.h"
#include "support/MpegTools.h"

namespace quillon {
namespace {

using test::Bytes;
using test::kTestRate;

Bytes pcmSine(uint16_t bits, uint16_t channels, double amplitude) {
    test::SineWave sine;
    sine.frequency = 1000;
    sine.bits = bits;
    sine.channels = channels;
    sine.amplitude = amplitude;
    sine.frames = kTestRate / 10;
    return test::encodeRiff(
        {test::waveRiff({test::fmtChunk(test::pcmFormat(channels, kTestRate, bits)),
                         test::dataChunk(test::sinePcm(sine))})});
}

struct Signal {
    const char* name;
    Bytes image;
    uint16_t channels;
    double peakDbfs;  // within 0.2 dB; -infinity for silence
    bool clipped;
    const char* format;
};

std::vector<Signal> signals() {
    const double silent = -std::numeric_limits<double>::infinity();
    return {
        {"sine", test::sineWav(1000, kTestRate), 1, -6.02, false, "16-bit PCM, 44100 Hz, mono"},
        {"silence", test::sineWav(1000, kTestRate, kTestRate, 0.0), 1, silent, false, nullptr},
        {"full-scale", test::sineWav(1000, kTestRate, kTestRate, 1.0), 1, 0.0, true, nullptr},
        {"stereo", test::sineWav(1000, kTestRate, kTestRate, 0.5, 2), 2, -6.02, false,
         "16-bit PCM, 44100 Hz, stereo"},
        {"8-bit", pcmSine(8, 1, 0.5), 1, -6.02, false, "8-bit PCM, 44100 Hz, mono"},
        {"24-bit", pcmSine(24, 2, 0.5), 2, -6.02, false, "24-bit PCM, 44100 Hz, stereo"},
        {"32-bit", pcmSine(32, 1, 0.25), 1, -12.04, false, "32-bit PCM, 44100 Hz, mono"},
    };
}

TEST(WaveformPeaks, NamedSignals) {
    for (const Signal& signal : signals()) {
        SCOPED_TRACE(signal.name);
        const PeaksResult result = peaksOfWavImage(signal.image);
        ASSERT_TRUE(result.peaks) << result.error;
        const PeakSummary& peaks = *result.peaks;
        EXPECT_EQ(peaks.channels, signal.channels);
        EXPECT_EQ(peaks.clipped, signal.clipped);
        if (std::isinf(signal.peakDbfs)) {
            EXPECT_TRUE(std::isinf(peaks.peakDbfs()));
        } else {
            EXPECT_NEAR(peaks.peakDbfs(), signal.peakDbfs, 0.2);
        }
        if (signal.format != nullptr) {
            EXPECT_EQ(peaks.format, signal.format);
        }
        // The whole sample in one column: the envelope and a sine's RMS.
        const PeakColumn all = peaks.column(uint16_t(signal.channels - 1), 0, peaks.frames);
        EXPECT_NEAR(all.max, std::pow(10.0, std::max(signal.peakDbfs, -200.0) / 20), 0.01);
        EXPECT_NEAR(all.rms, all.max / std::sqrt(2.0), 0.01);
    }
}

TEST(WaveformPeaks, ColumnsOfALongSampleCoverItsEnd) {
    // More frames than buckets: a bucket holds several frames, and the last
    // column still reaches the last frame, a lone full-scale click.
    std::vector<int16_t> samples(PeakSummary::kMaxBuckets * 3 + 5, 0);
    samples.back() = INT16_MIN;
    WaveformAudio audio{1, kTestRate, samples, ""};
    const std::optional<PeakSummary> peaks = computePeaks(audio);
    ASSERT_TRUE(peaks);
    EXPECT_EQ(peaks->bucketFrames, 4u);
    EXPECT_LE(peaks->bucketCount(), PeakSummary::kMaxBuckets);
    EXPECT_TRUE(peaks->column(0, peaks->frames - 1, peaks->frames).clipped);
    EXPECT_FALSE(peaks->column(0, 0, peaks->frames - 8).clipped);
    EXPECT_EQ(peaks->peak, INT16_MAX);
}

TEST(WaveformPeaks, StoppedComputationGivesNothing) {
    WaveformAudio audio{2, kTestRate, std::vector<int16_t>(kTestRate * 4, 7), ""};
    std::stop_source stop;
    stop.request_stop();
    EXPECT_FALSE(computePeaks(audio, stop.get_token()));
}

TEST(WaveformPeaks, FormatsThroughSox) {
    const test::TempFolder folder;
    const Bytes sine = test::sineWav(1000, kTestRate);
    struct Converted {
        const char* name;
        const char* options;
        const char* format;
    };
    for (const Converted& c : {Converted{"float", "-e floating-point -b 32", "32-bit float"},
                               Converted{"ms-adpcm", "-e ms-adpcm", "MS ADPCM"},
                               Converted{"ima-adpcm", "-e ima-adpcm", "IMA ADPCM"}}) {
        SCOPED_TRACE(c.name);
        const std::optional<Bytes> image = test::soxConvert(folder, sine, c.options);
        if (!image) GTEST_SKIP() << "sox is missing";
        const PeaksResult result = peaksOfWavImage(*image);
        ASSERT_TRUE(result.peaks) << result.error;
        EXPECT_NEAR(result.peaks->peakDbfs(), -6.02, 0.5);
        EXPECT_EQ(result.peaks->format.rfind(c.format, 0), 0u) << result.peaks->format;
    }
}

TEST(WaveformPeaks, UndecodableAudioSaysWhy) {
    Bytes corrupt = test::sineWav(1000, kTestRate);
    std::fill(corrupt.begin(), corrupt.begin() + 16, uint8_t('x'));
    EXPECT_EQ(peaksOfWavImage(corrupt).error, "Not a WAV image that can be decoded");

    const test::TempFolder folder;
    WaveformSource missing;
    missing.path = folder.file("gone.wav");
    missing.size = 100;
    EXPECT_EQ(loadPeaks(missing).error, "The file cannot be read: " + missing.path);
}

TEST(WaveformPeaks, MusicSectionsDecodeAndACutOneSaysSo) {
    const test::TempFolder folder;
    const std::optional<std::string> mp2 =
        test::makeLayer2Stream(folder, "music", 44100, 2, 192, 0.5);
    if (!mp2) GTEST_SKIP() << "sox or twolame is missing";
    const std::vector<test::MusicSectionBytes> sections =
        test::cutMusicSections(test::readFileBytes(*mp2));
    ASSERT_FALSE(sections.empty());
    const Bytes& whole = sections.front().bytes;

    const WaveformDecode decoded = decodeWaveformMpeg(whole);
    ASSERT_TRUE(decoded.audio) << decoded.error;
    EXPECT_EQ(decoded.audio->rate, 44100u);
    EXPECT_GT(decoded.audio->frames(), 1152u);

    const Bytes cut(whole.begin(), whole.begin() + std::ptrdiff_t(whole.size() / 2 + 7));
    EXPECT_EQ(decodeWaveformMpeg(cut).error,
              "The music section ends inside an MPEG frame (cut short)");
}

TEST(WaveformPeaks, WavReaderCorpusRunsClean) {
    const std::filesystem::path corpus =
        std::filesystem::path(QUILLON_SOURCE_DIR) / "fuzz/corpus/fuzz_wav_reader";
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(corpus)) {
        const PeaksResult result = peaksOfWavImage(test::readFileBytes(entry.path()));
        EXPECT_NE(bool(result.peaks), !result.error.empty()) << entry.path();
        ++files;
    }
    EXPECT_GT(files, 10);
}

// --- Cache and worker ---------------------------------------------------------------

PeaksResult silencePeaks(uint32_t frames) {
    return peaksOfWavImage(test::sineWav(1000, frames, kTestRate, 0.0));
}

TEST(PeakCacheBudget, DropsTheLeastRecentlyUsed) {
    const size_t each = silencePeaks(1000).bytes() + 1;
    PeakCache cache(each * 2 + each / 2);
    cache.store("a", silencePeaks(1000));
    cache.store("b", silencePeaks(1000));
    ASSERT_TRUE(cache.find("a"));  // now "b" is the least recently used
    cache.store("c", silencePeaks(1000));
    EXPECT_TRUE(cache.find("a"));
    EXPECT_FALSE(cache.find("b"));
    EXPECT_TRUE(cache.find("c"));
    EXPECT_LE(cache.bytes(), each * 2 + each / 2);

    cache.store("huge", silencePeaks(kTestRate * 10));
    EXPECT_FALSE(cache.find("huge")) << "larger than the whole budget";
}

TEST(PeakWorkerRequests, ANewerRequestWinsAndTheNextIsCached) {
    const test::TempFolder folder;
    auto source = [&](const std::string& name, uint32_t frames) {
        const Bytes image = test::sineWav(1000, frames);
        test::writeFileBytes(folder.file(name), image);
        WaveformSource s;
        s.path = folder.file(name);
        s.size = uint32_t(image.size());
        return s;
    };
    const WaveformSource longOne = source("long.wav", kTestRate * 60);
    const WaveformSource shortOne = source("short.wav", kTestRate);

    PeakCache cache(64u << 20);
    std::promise<std::string> delivered;
    std::vector<uint64_t> tickets;
    PeakWorker worker(cache, [&](uint64_t ticket, const std::string& key, const PeaksResult&) {
        tickets.push_back(ticket);
        delivered.set_value(key);
    });
    const PeakWorker::Answer first = worker.request(longOne);
    const PeakWorker::Answer second = worker.request(shortOne);
    EXPECT_FALSE(first.cached);
    std::future<std::string> key = delivered.get_future();
    ASSERT_EQ(key.wait_for(std::chrono::seconds(20)), std::future_status::ready);
    EXPECT_EQ(key.get(), shortOne.key());
    EXPECT_EQ(tickets, std::vector<uint64_t>{second.ticket});

    const PeakWorker::Answer again = worker.request(shortOne);
    ASSERT_TRUE(again.cached);
    EXPECT_EQ(again.cached->peaks->frames, kTestRate);
}

// --- Play position ------------------------------------------------------------------

// Half a second of silence, then a sine: the output shows where the sine starts.
constexpr uint32_t kOnsetFrame = kTestRate / 2;
constexpr uint32_t kToleranceFrames = kTestRate / 50;  // 20 ms

Bytes onsetWav() {
    return test::sectionedSineWav(440, {{kOnsetFrame, 0.0}, {kTestRate * 2, 0.5}});
}

size_t firstSoundingFrame(const std::vector<float>& stereo) {
    for (size_t i = 0; i < stereo.size(); i += 2)
        if (std::abs(stereo[i]) > 0.01f) return i / 2;
    return SIZE_MAX;
}

TEST(PlayPosition, FollowsTheLoopbackOutput) {
    struct Start {
        const char* name;
        uint32_t frame;
    };
    for (const Start& start : {Start{"from the start", 0}, Start{"from a click", 11025}}) {
        SCOPED_TRACE(start.name);
        test::LoopbackAudio audio;
        ASSERT_EQ(audio.created, ZQAudioResult::Ok);
        ASSERT_EQ(audio.system.ZQPreviewPlay(onsetWav(), start.frame), ZQAudioResult::Ok);
        std::vector<float> heard;
        for (uint32_t moment : {3000u, 15000u, 30000u}) {
            const std::vector<float> more = audio.render(moment - uint32_t(heard.size() / 2));
            heard.insert(heard.end(), more.begin(), more.end());
            const std::optional<uint32_t> position = audio.system.ZQPreviewGetPosition();
            ASSERT_TRUE(position);
            EXPECT_NEAR(double(*position), double(start.frame + moment), kToleranceFrames);
        }
        // What the output plays at frame n is the audio's frame start + n.
        EXPECT_NEAR(double(firstSoundingFrame(heard)), double(kOnsetFrame - start.frame),
                    kToleranceFrames);
        audio.system.ZQPreviewStop();
        EXPECT_FALSE(audio.system.ZQPreviewGetPosition());
    }
}

// A counted loop plays queued pieces: head, the loop region again and again,
// tail. Each render looks after the voices (played pieces leave the queue,
// more come), and in the middle of every pass the position is the same frame
// of the loop region.
TEST(PlayPosition, ACountedLoopGoesBackToLoopStartOnEachPass) {
    constexpr uint32_t kPiece = kTestRate / 10;  // the loop region; 20 of them are queued ahead
    constexpr int kLoopCount = 30;
    const test::TempFolder folder;
    test::TestBank bank;
    ZQ_BankSample record = test::playableRecord();
    record.loopStart = kPiece;
    record.loopEnd = 2 * kPiece - 1;
    bank.add(record, test::sineWav(440, 3 * kPiece));
    test::LoopbackAudio audio;
    ASSERT_EQ(audio.created, ZQAudioResult::Ok);
    ZQ_AudioBank* handle = audio.system.ZQBankRegister(bank.write(folder).c_str(), 0);
    ASSERT_NE(handle, nullptr);
    const ZQ_SampleInfo* voice =
        audio.system.ZQSamplePlay(test::editorOptions(handle, 1, 127, kLoopCount));
    ASSERT_NE(voice, nullptr);
    const ZQ_SampleHandle played = ZQ_AudioSystem::ZQSampleGetHandle(voice);
    const auto positionAfter = [&](uint32_t frames) {
        audio.render(frames);
        return audio.system.ZQSampleGetPosition(played);
    };

    const uint32_t middleOfTheLoop = kPiece + kPiece / 2;
    std::optional<uint32_t> at = positionAfter(middleOfTheLoop);
    ASSERT_TRUE(at) << "the first pass, in the head";
    EXPECT_NEAR(double(*at), middleOfTheLoop, kToleranceFrames);
    for (int pass = 2; pass <= kLoopCount; ++pass) {
        at = positionAfter(kPiece);
        ASSERT_TRUE(at) << "pass " << pass;
        EXPECT_NEAR(double(*at), middleOfTheLoop, kToleranceFrames) << "pass " << pass;
    }
    at = positionAfter(kPiece);
    ASSERT_TRUE(at) << "the tail";
    EXPECT_NEAR(double(*at), middleOfTheLoop + kPiece, kToleranceFrames) << "the tail";
}

// A click in a music section's waveform plays its MPEG audio from the frame
// clicked, and the play's line is the waveform's.
TEST(PlayPosition, AClickInAMusicSectionPlaysItFromThatFrame) {
    const test::TempFolder folder;
    const std::optional<std::string> mp2 =
        test::makeLayer2Stream(folder, "music", 44100, 2, 192, 0.5);
    if (!mp2) GTEST_SKIP() << "sox or twolame is missing";
    const test::MusicSectionBytes section =
        test::cutMusicSections(test::readFileBytes(*mp2)).front();
    test::writeFileBytes(folder.file("section.mp2"), section.bytes);
    test::LoopbackAudio audio;
    ASSERT_EQ(audio.created, ZQAudioResult::Ok);
    ZQBankAudio bankAudio(audio.system);
    PreviewPlayer player(audio.system, bankAudio);
    test::FakeShell shell;
    CQuillonDoc doc(shell, nullptr);
    Row row;
    for (int c = 0; c < kColumnCount; ++c)
        setCell(row, c, "*");
    setCell(row, kColLocation, folder.path());
    setCell(row, kColName, "section.mp2");
    setCell(row, kColSize, std::to_string(section.bytes.size()));
    row.mpegDescriptor = section.headerValue;
    doc.rows().append(row);

    constexpr uint32_t kClicked = 11025;
    ASSERT_EQ(player.playRowFrom(doc, 0, kClicked, ""), RowPlayResult::FromFile);
    EXPECT_GT(test::peak(audio.render(4000)), 0.01);
    const std::optional<PreviewPlayer::PlayPosition> at = player.playPosition();
    ASSERT_TRUE(at);
    EXPECT_EQ(at->sourceKey, waveformSource(doc, doc.rows().row(0), "").key());
    EXPECT_NEAR(double(at->frame), kClicked + 4000, kToleranceFrames);
}

TEST(PlayPosition, BankVoiceAndRowPreview) {
    const test::TempFolder folder;
    test::TestBank bank;
    bank.add(test::playableRecord(), onsetWav());
    test::LoopbackAudio audio;
    ASSERT_EQ(audio.created, ZQAudioResult::Ok);
    ZQBankAudio bankAudio(audio.system);
    ASSERT_TRUE(bankAudio.registerBank(bank.write(folder)));
    PreviewPlayer player(audio.system, bankAudio);

    test::FakeShell shell;
    CQuillonDoc doc(shell, nullptr);
    RowList& rows = doc.rows();
    Row row;
    for (int c = 0; c < kColumnCount; ++c)
        setCell(row, c, "*");
    setCell(row, kColBank, "Yes");
    ZQ_BankSample record = test::playableRecord();
    record.sampleNumber = 1;
    record.waveSize = uint32_t(onsetWav().size());
    row.record = record;
    rows.append(row);

    ASSERT_EQ(player.playRow(doc, 0), RowPlayResult::FromBank);
    audio.render(8000);
    std::optional<PreviewPlayer::PlayPosition> at = player.playPosition();
    ASSERT_TRUE(at);
    EXPECT_EQ(at->sourceKey, waveformSource(doc, row, bankAudio.registeredBankPath()).key());
    EXPECT_NEAR(double(at->frame), 8000, kToleranceFrames);

    // A click in the waveform: the same audio, read out of the bank, from a frame.
    ASSERT_EQ(player.playRowFrom(doc, 0, 30000, bankAudio.registeredBankPath()),
              RowPlayResult::FromFile);
    audio.render(4000);
    at = player.playPosition();
    ASSERT_TRUE(at);
    EXPECT_NEAR(double(at->frame), 34000, kToleranceFrames);
}

}  // namespace
}  // namespace quillon
