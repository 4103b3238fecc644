// Music banks through the loopback device. The oracle is the mpg123 program's
// decode of the uncut stream: played through one decoder, the sections must
// come out as exactly that, with no gap and no click at the joins.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "audio/AudioTestKit.h"
#include "audio/ZQBankAudio.h"
#include "bank/QuillonDoc.h"
#include "operations/MpegImport.h"
#include "support/FakeShell.h"
#include "support/MpegTools.h"

namespace quillon {
namespace {

using test::kTestRate;

constexpr size_t kMpegFrame = 1152;                 // samples of one layer II frame
constexpr size_t kSectionFrames = 21 * kMpegFrame;  // one section of the import
constexpr double kQuiet = 0.001;                    // -60 dBFS
constexpr size_t kTwoMilliseconds = kTestRate * 2 / 1000;
// A decoder that starts inside a stream settles within its first frame.
constexpr size_t kSettleFrames = kMpegFrame;

// --- Measurements ---------------------------------------------------------------------

float sampleAt(const std::vector<float>& stereo, size_t frame, int channel) {
    return stereo[frame * 2 + size_t(channel)];
}

double decodedAt(const std::vector<int16_t>& stereo, size_t frame, int channel) {
    return stereo[frame * 2 + size_t(channel)] / 32768.0;
}

template <typename Samples>
bool frameAbove(const Samples& stereo, size_t frame, double scale, double level) {
    return std::fabs(stereo[frame * 2] * scale) > level ||
           std::fabs(stereo[frame * 2 + 1] * scale) > level;
}

template <typename Samples>
std::optional<size_t> lastFrameAbove(const Samples& stereo, double scale, double level) {
    for (size_t frame = stereo.size() / 2; frame-- > 0;)
        if (frameAbove(stereo, frame, scale, level)) return frame;
    return std::nullopt;
}

template <typename Samples>
std::optional<size_t> firstFrameAbove(const Samples& stereo, double scale, double level) {
    for (size_t frame = 0; frame < stereo.size() / 2; ++frame)
        if (frameAbove(stereo, frame, scale, level)) return frame;
    return std::nullopt;
}

// The longest run of frames below -60 dBFS in both channels, between the first
// and the last frame above it.
template <typename Samples>
size_t longestQuietRunInside(const Samples& stereo, double scale) {
    const std::optional<size_t> first = firstFrameAbove(stereo, scale, kQuiet);
    const std::optional<size_t> last = lastFrameAbove(stereo, scale, kQuiet);
    if (!first || !last) return 0;
    size_t longest = 0, run = 0;
    for (size_t frame = *first; frame <= *last; ++frame) {
        const bool quiet = std::fabs(stereo[frame * 2] * scale) < kQuiet &&
                           std::fabs(stereo[frame * 2 + 1] * scale) < kQuiet;
        run = quiet ? run + 1 : 0;
        longest = std::max(longest, run);
    }
    return longest;
}

// The largest difference between output frames from `outFirst` on and decoded
// frames from `decodedFirst` on, over `count` frames.
double largestDifference(const std::vector<float>& out, size_t outFirst,
                         const std::vector<int16_t>& decoded, size_t decodedFirst, size_t count) {
    double largest = 0;
    for (size_t i = 0; i < count; ++i) {
        for (int c = 0; c < 2; ++c) {
            const double d =
                std::fabs(sampleAt(out, outFirst + i, c) - decodedAt(decoded, decodedFirst + i, c));
            largest = std::max(largest, d);
        }
    }
    return largest;
}

// Played (or decoded) frames: up to the last frame that is not exactly zero.
template <typename Samples>
size_t playedLength(const Samples& stereo) {
    const std::optional<size_t> last = lastFrameAbove(stereo, 1.0, 0.0);
    return last ? *last + 1 : 0;
}

// --- The whole path: import, save, play ---------------------------------------------------

TEST(MusicBankFromTheImport, PlaysItsSectionsAsTheUncutStreamWithoutGaps) {
    test::TempFolder folder;
    test::ScopedTmpDir tmp(folder.path());  // the import's section files stay in the folder
    const std::optional<std::string> mp2 =
        test::makeLayer2Stream(folder, "music", 44100, 2, 192, 1.5);
    if (!mp2) GTEST_SKIP() << "sox or twolame is missing";
    const std::optional<std::vector<int16_t>> decoded = test::mpg123Decode(*mp2);
    if (!decoded) GTEST_SKIP() << "mpg123 is missing";
    const size_t total = decoded->size() / 2;
    ASSERT_GT(total, 2 * kSectionFrames) << "three sections";
    ASSERT_LE(total, 3 * kSectionFrames);
    ASSERT_LE(longestQuietRunInside(*decoded, 1.0 / 32768), kTwoMilliseconds);

    test::LoopbackAudio audio;
    ASSERT_EQ(audio.created, ZQAudioResult::Ok);
    ZQBankAudio bankAudio(audio.system);
    test::FakeShell shell;
    CQuillonDoc doc(shell, &bankAudio);
    doc.OnNewDocument();
    ASSERT_TRUE(importMpegFile(doc, *mp2));
    ASSERT_EQ(doc.rows().size(), 3);
    ASSERT_TRUE(doc.OnSaveDocument(folder.file("music.sad")));
    ASSERT_NE(bankAudio.currentBank(), nullptr);

    std::vector<std::string> texts;
    ZQ_MusicPlayOptions options;
    options.Bank = bankAudio.currentBank();
    options.PlayCount = 1;
    options.StatusCallback = [&texts](const char* text) { texts.push_back(text); };
    const ZQ_MusicInfo* info = audio.system.ZQMusicPlay(options);
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(info->SectionCount, 3u);
    EXPECT_EQ(info->SampleRate, 44100u);

    const std::vector<float> out = audio.render(uint32_t(total + kTestRate / 2));
    EXPECT_LE(largestDifference(out, 0, *decoded, 0, total), 1e-6)
        << "one decoder through every join gives the uncut stream";
    EXPECT_LE(longestQuietRunInside(out, 1.0), kTwoMilliseconds) << "no gap at a join";
    const double lengthError = double(playedLength(out)) - double(playedLength(*decoded));
    EXPECT_LE(std::fabs(lengthError), double(kMpegFrame));
    EXPECT_EQ(texts, (std::vector<std::string>{"section 1 of 3", "section 2 of 3", "section 3 of 3",
                                               "end of music"}));
    EXPECT_FALSE(audio.system.ZQMusicIsPlaying());
    EXPECT_EQ(info->State, ZQ_MUSIC_STOPPED);
}

// --- A bank cut from a stream in memory --------------------------------------------------

class Music : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(audio.created, ZQAudioResult::Ok);
        const std::optional<std::string> mp2 =
            test::makeLayer2Stream(folder, "music", 44100, 2, 192, 1.5);
        if (!mp2) GTEST_SKIP() << "sox or twolame is missing";
        std::optional<std::vector<int16_t>> samples = test::mpg123Decode(*mp2);
        if (!samples) GTEST_SKIP() << "mpg123 is missing";
        decoded = std::move(*samples);
        total = decoded.size() / 2;
        stream = test::readFileBytes(*mp2);
        const std::string path = test::musicBank(stream).write(folder);
        bank = audio.system.ZQBankRegister(path.c_str(), 0);
        ASSERT_NE(bank, nullptr);
    }

    ZQ_MusicPlayOptions options(uint32_t track = 1, uint32_t playCount = 1) {
        ZQ_MusicPlayOptions o;
        o.Bank = bank;
        o.TrackNumber = track;
        o.PlayCount = playCount;
        o.StatusCallback = [this](const char* text) { texts.push_back(text); };
        return o;
    }

    test::TempFolder folder;  // before the system, which keeps the bank file open
    test::LoopbackAudio audio;
    test::Bytes stream;
    std::vector<int16_t> decoded;
    size_t total = 0;
    ZQ_AudioBank* bank = nullptr;
    std::vector<std::string> texts;
};

TEST_F(Music, TheTrackNumberPicksTheFirstSection) {
    struct Case {
        uint32_t track;
        size_t firstSection;
        const char* firstText;
    };
    const Case cases[] = {
        {0, 0, "section 1 of 3"},
        {1, 0, "section 1 of 3"},
        {2, 1, "section 2 of 3"},
        {3, 2, "section 3 of 3"},
    };
    for (const Case& c : cases) {
        texts.clear();
        const ZQ_MusicInfo* info = audio.system.ZQMusicPlay(options(c.track));
        ASSERT_NE(info, nullptr) << c.track;
        EXPECT_EQ(info->TrackNumber, c.firstSection + 1) << c.track;
        ASSERT_FALSE(texts.empty()) << "told at once";
        EXPECT_EQ(texts.front(), c.firstText) << c.track;

        const size_t start = c.firstSection * kSectionFrames;
        const std::vector<float> out = audio.render(uint32_t(total - start + kTestRate / 4));
        EXPECT_LE(largestDifference(out, kSettleFrames, decoded, start + kSettleFrames,
                                    total - start - kSettleFrames),
                  1e-6)
            << c.track;
        EXPECT_NEAR(double(playedLength(out)), double(playedLength(decoded) - start),
                    double(kMpegFrame))
            << c.track;
        EXPECT_EQ(texts.back(), "end of music") << c.track;
    }
}

TEST_F(Music, ATrackPastTheLastSectionPlaysNothing) {
    EXPECT_EQ(audio.system.ZQMusicPlay(options(4)), nullptr);
    EXPECT_FALSE(audio.system.ZQMusicIsPlaying());
    EXPECT_TRUE(texts.empty());
    EXPECT_EQ(test::peak(audio.render(4096)), 0.0);
}

// By default the music loops, as a game's does: after the last section it
// goes on from the track (or the loop track) through the same decoder.
TEST_F(Music, LoopsBackForEverThroughTheSameDecoder) {
    struct Case {
        uint32_t loopTrack;
        size_t loopSection;
        const char* fourthText;
    };
    const Case cases[] = {{0, 0, "section 1 of 3"}, {2, 1, "section 2 of 3"}};
    for (const Case& c : cases) {
        texts.clear();
        ZQ_MusicPlayOptions o = options(1, 0);
        o.LoopTrack = c.loopTrack;
        const ZQ_MusicInfo* info = audio.system.ZQMusicPlay(o);
        ASSERT_NE(info, nullptr);
        const size_t loopStart = c.loopSection * kSectionFrames;
        const std::vector<float> out = audio.render(uint32_t(total + (total - loopStart) / 2));
        EXPECT_TRUE(audio.system.ZQMusicIsPlaying()) << c.loopTrack;
        EXPECT_EQ(info->Pass, 2u) << c.loopTrack;
        ASSERT_GE(texts.size(), 4u);
        EXPECT_EQ(texts[3], c.fourthText) << c.loopTrack;
        EXPECT_LE(largestDifference(out, 0, decoded, 0, total), 1e-6) << c.loopTrack;
        EXPECT_LE(largestDifference(out, total + kSettleFrames, decoded, loopStart + kSettleFrames,
                                    (total - loopStart) / 2 - kSettleFrames),
                  1e-6)
            << c.loopTrack;
        audio.system.ZQMusicStop(0);
    }
}

// PlayCount, LoopTrack and LastTrack decide the run; its length shows it.
TEST_F(Music, TheRunWordsDecideWhatPlaysAndWhenItEnds) {
    struct Case {
        const char* name;
        uint32_t track, playCount, loopTrack, lastTrack;
        double sections;  // of the run's length; -1 for the whole stream
        double wholeStreams;
    };
    const Case cases[] = {
        {"once", 1, 1, 0, 0, 0, 1},
        {"twice", 1, 2, 0, 0, 0, 2},
        {"up to track 2", 1, 1, 0, 2, 2, 0},
        {"from 2 to 2, then 1 to 2", 2, 2, 1, 2, 3, 0},
        {"a last track before the first goes to the end", 3, 1, 0, 1, -2, 1},
    };
    for (const Case& c : cases) {
        texts.clear();
        ZQ_MusicPlayOptions o = options(c.track, c.playCount);
        o.LoopTrack = c.loopTrack;
        o.LastTrack = c.lastTrack;
        ASSERT_NE(audio.system.ZQMusicPlay(o), nullptr) << c.name;
        const double expected =
            c.sections * double(kSectionFrames) + c.wholeStreams * double(playedLength(decoded));
        const std::vector<float> out = audio.render(uint32_t(expected + kTestRate / 2));
        EXPECT_NEAR(double(playedLength(out)), expected, double(kMpegFrame)) << c.name;
        EXPECT_FALSE(audio.system.ZQMusicIsPlaying()) << c.name;
        EXPECT_EQ(texts.back(), "end of music") << c.name;
    }
}

TEST_F(Music, MasterVolumeAndVolumeFollowTheSampleCurve) {
    struct Case {
        int master, volume;
        double decibels;
    };
    const Case cases[] = {{64, 127, -11.9}, {127, 64, -11.9}, {32, 127, -23.9}};
    for (const Case& c : cases) {
        audio.system.ZQMusicSetMasterVolume(127);
        ZQ_MusicPlayOptions o = options(1, 0);
        ASSERT_NE(audio.system.ZQMusicPlay(o), nullptr);
        const std::vector<float> full = audio.render(kTestRate / 2);
        audio.system.ZQMusicSetMasterVolume(c.master);
        o.Volume = c.volume;
        ASSERT_NE(audio.system.ZQMusicPlay(o), nullptr);
        const std::vector<float> lower = audio.render(kTestRate / 2);
        const double ratio = test::rms(lower, 0, 2048) / test::rms(full, 0, 2048);
        EXPECT_NEAR(test::decibels(ratio), c.decibels, 0.5) << c.master << " " << c.volume;
        EXPECT_EQ(audio.system.ZQMusicGetMasterVolume(), c.master);
        audio.system.ZQMusicStop(0);
    }
}

TEST_F(Music, MasterVolumeActsAtOnceAndZeroIsSilent) {
    ASSERT_NE(audio.system.ZQMusicPlay(options(1, 0)), nullptr);
    audio.render(kTestRate / 4);
    audio.system.ZQMusicSetMasterVolume(0);
    audio.render(1024);
    EXPECT_EQ(test::peak(audio.render(kTestRate / 4)), 0.0);
    EXPECT_TRUE(audio.system.ZQMusicIsPlaying()) << "silent, not stopped";
    audio.system.ZQMusicSetMasterVolume(500);
    EXPECT_EQ(audio.system.ZQMusicGetMasterVolume(), 127) << "clamped";
    EXPECT_GT(test::peak(audio.render(kTestRate / 4)), 0.1);
}

TEST(MusicMasterVolume, SetBeforeCreateHolds) {
    test::TempFolder folder;
    ZQ_AudioSystem system;
    system.OutputMode = ZQ_OUTPUT_LOOPBACK;
    system.ZQMusicSetMasterVolume(-5);
    EXPECT_EQ(system.ZQMusicGetMasterVolume(), 0);
    EXPECT_EQ(system.ZQMusicPlay(ZQ_MusicPlayOptions{}), nullptr) << "no output yet";
    ASSERT_EQ(system.Create(), ZQAudioResult::Ok);
    EXPECT_EQ(system.ZQMusicGetMasterVolume(), 0);
}

TEST_F(Music, StopGivesSilenceAtOnce) {
    const ZQ_MusicInfo* info = audio.system.ZQMusicPlay(options(1, 0));
    ASSERT_NE(info, nullptr);
    audio.render(kTestRate / 5);
    audio.system.ZQMusicStop(0);
    EXPECT_EQ(info->State, ZQ_MUSIC_STOPPED);
    EXPECT_FALSE(audio.system.ZQMusicIsPlaying());
    const std::vector<float> out = audio.render(kTestRate / 5);
    EXPECT_EQ(test::peak(out, kTestRate / 100), 0.0) << "silent within 10 ms";
    EXPECT_EQ(texts.back(), "section 1 of 3") << "a stop tells nothing";
    audio.system.ZQMusicStop(0);  // nothing to stop: nothing happens
}

TEST_F(Music, StopWithAFadeEndsAfterIt) {
    const ZQ_MusicInfo* info = audio.system.ZQMusicPlay(options(1, 0));
    ASSERT_NE(info, nullptr);
    const std::vector<float> before = audio.render(kTestRate / 5);
    audio.system.ZQMusicStop(500);
    EXPECT_EQ(info->State, ZQ_MUSIC_FADING);
    EXPECT_TRUE(audio.system.ZQMusicIsPlaying());
    const std::vector<float> fade = audio.render(kTestRate / 2 + 2048);
    const double start = test::rms(before, 0, kTestRate / 10);
    const double half = test::rms(fade, 0, kTestRate / 4 - 1000, 2000);
    EXPECT_NEAR(half / start, 0.5, 0.1) << "halfway down at half time";
    EXPECT_EQ(info->State, ZQ_MUSIC_STOPPED);
    EXPECT_EQ(test::peak(audio.render(4096)), 0.0);
}

TEST_F(Music, ReleasingTheBankStopsItsMusic) {
    ASSERT_NE(audio.system.ZQMusicPlay(options(1, 0)), nullptr);
    audio.render(4096);
    audio.system.ZQBankRelease(bank);
    EXPECT_FALSE(audio.system.ZQMusicIsPlaying());
    audio.render(1024);
    EXPECT_EQ(test::peak(audio.render(4096)), 0.0);
}

TEST_F(Music, PitchTwoHundredPlaysTwiceAsFast) {
    ZQ_MusicPlayOptions o = options();
    o.Pitch = 200;
    ASSERT_NE(audio.system.ZQMusicPlay(o), nullptr);
    const std::vector<float> out = audio.render(uint32_t(total / 2 + kTestRate / 4));
    EXPECT_NEAR(double(playedLength(out)), double(playedLength(decoded)) / 2, double(kMpegFrame));
}

// The editor looks after the engine every 100 ms; 1.5 s waits in the queue, so
// the music never runs dry. Looked after only every 2 s it does, and goes on.
TEST_F(Music, AQueueLookedAfterEvery100MsNeverRunsDry) {
    struct Case {
        uint32_t piece;
        bool underruns;
    };
    for (const Case& c : {Case{kTestRate / 10, false}, Case{2 * kTestRate, true}}) {
        const ZQ_MusicInfo* info = audio.system.ZQMusicPlay(options(1, 0));
        ASSERT_NE(info, nullptr);
        std::vector<float> out(size_t(c.piece) * 2);
        for (int i = 0; i < 4; ++i)
            ASSERT_EQ(audio.system.ZQRender(out.data(), c.piece), ZQAudioResult::Ok);
        EXPECT_EQ(info->Underruns > 0, c.underruns) << c.piece;
        EXPECT_TRUE(audio.system.ZQMusicIsPlaying()) << c.piece;
        audio.system.ZQMusicStop(0);
    }
}

// On the silent output the engine mixes on its own clock and only the editor's
// 100 ms ticks look after the music: it plays through and tells every section.
TEST(MusicOnTheSilentOutput, TheTicksKeepItGoingToTheEnd) {
    test::TempFolder folder;
    const std::optional<std::string> mp2 =
        test::makeLayer2Stream(folder, "music", 44100, 2, 192, 1.5);
    if (!mp2) GTEST_SKIP() << "sox or twolame is missing";
    ZQ_AudioSystem system;
    system.OutputMode = ZQ_OUTPUT_SILENT;
    ASSERT_EQ(system.Create(), ZQAudioResult::Ok);
    const std::string path = test::musicBank(test::readFileBytes(*mp2)).write(folder);
    ZQ_MusicPlayOptions options;
    options.Bank = system.ZQBankRegister(path.c_str(), 0);
    options.PlayCount = 1;
    std::vector<std::string> texts;
    options.StatusCallback = [&texts](const char* text) { texts.push_back(text); };
    const ZQ_MusicInfo* info = system.ZQMusicPlay(options);
    ASSERT_NE(info, nullptr);
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (info->State != ZQ_MUSIC_STOPPED && std::chrono::steady_clock::now() < giveUp) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        system.ZQAtmosProcess(1);
    }
    EXPECT_EQ(info->State, ZQ_MUSIC_STOPPED);
    // The ticks come on the wall clock: one that comes late under load passes
    // over the section it missed, so the texts need only come in order, each
    // once, and end the music.
    const std::vector<std::string> all = {"section 1 of 3", "section 2 of 3", "section 3 of 3",
                                          "end of music"};
    ASSERT_FALSE(texts.empty());
    EXPECT_EQ(texts.back(), "end of music");
    auto next = all.begin();
    for (const std::string& text : texts) {
        next = std::find(next, all.end(), text);
        ASSERT_NE(next, all.end()) << text << " out of order or repeated";
        ++next;
    }
}

// The status callback may call back into the library.
TEST_F(Music, TheCallbackMayStopTheMusic) {
    ZQ_MusicPlayOptions o = options(1, 0);
    o.StatusCallback = [this](const char* text) {
        texts.push_back(text);
        if (std::string(text) == "section 2 of 3") audio.system.ZQMusicStop(0);
    };
    ASSERT_NE(audio.system.ZQMusicPlay(o), nullptr);
    const std::vector<float> out = audio.render(uint32_t(total));
    EXPECT_FALSE(audio.system.ZQMusicIsPlaying());
    EXPECT_EQ(texts, (std::vector<std::string>{"section 1 of 3", "section 2 of 3"}));
    EXPECT_EQ(test::peak(out, kSectionFrames + 2048), 0.0);
}

// --- Banks that are not plain music -------------------------------------------------------

class MusicBanks : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_EQ(audio.created, ZQAudioResult::Ok); }
    ZQ_AudioBank* registered(const test::TestBank& bank) {
        return audio.system.ZQBankRegister(bank.write(folder).c_str(), 0);
    }
    // Options that play the bank's music, its status texts kept in `texts`.
    ZQ_MusicPlayOptions optionsFor(const test::TestBank& bank, uint32_t playCount) {
        ZQ_MusicPlayOptions options;
        options.Bank = registered(bank);
        options.PlayCount = playCount;
        options.StatusCallback = [this](const char* text) { texts.push_back(text); };
        return options;
    }
    test::TempFolder folder;
    test::LoopbackAudio audio;
    std::vector<std::string> texts;
};

TEST_F(MusicBanks, ASampleBankHasNoMusic) {
    test::TestBank bank;
    bank.add(test::playableRecord(), test::sineWav(440, 4410));
    ZQ_MusicPlayOptions options = optionsFor(bank, 1);
    ASSERT_NE(options.Bank, nullptr);
    EXPECT_EQ(audio.system.ZQMusicPlay(options), nullptr);
    EXPECT_TRUE(texts.empty());
    options.Bank = reinterpret_cast<ZQ_AudioBank*>(&texts);
    EXPECT_EQ(audio.system.ZQMusicPlay(options), nullptr) << "not a registered bank";
}

// Sections of bytes that hold no MPEG frame: a run that would loop for ever
// over them ends at once instead of keeping the player busy.
TEST_F(MusicBanks, SectionsWithoutFramesPlayNothing) {
    test::TestBank bank;
    for (int i = 0; i < 3; ++i)
        bank.add(test::musicSectionRecord(0x04A0FDFF), test::Bytes(5000, uint8_t(0x11 * i)));
    EXPECT_EQ(audio.system.ZQMusicPlay(optionsFor(bank, 0)), nullptr);
    EXPECT_FALSE(audio.system.ZQMusicIsPlaying());
}

// A section's bytes are MPEG frames, not a WAV image: it plays as music, never
// as a sample, even though libsndfile could read a bare MPEG stream.
TEST_F(MusicBanks, ASectionDoesNotPlayAsASample) {
    const std::optional<std::string> mp2 =
        test::makeLayer2Stream(folder, "music", 44100, 2, 192, 0.5);
    if (!mp2) GTEST_SKIP() << "sox or twolame is missing";
    const std::vector<test::MusicSectionBytes> sections =
        test::cutMusicSections(test::readFileBytes(*mp2));
    ASSERT_FALSE(sections.empty());
    test::TestBank bank;
    bank.add(test::musicSectionRecord(sections[0].headerValue), sections[0].bytes);
    ZQ_SamplePlayOptions options;
    options.Bank = registered(bank);
    ASSERT_NE(options.Bank, nullptr);
    options.SampleNumber = 1;
    EXPECT_EQ(audio.system.ZQSamplePlay(options), nullptr);
    EXPECT_EQ(audio.system.ZQSampleGetNumberPlaying(), 0u);
}

// WAV samples among the sections are stepped over and not counted; the
// sections on either side still join as the uncut stream.
TEST_F(MusicBanks, SamplesAmongTheSectionsAreSteppedOver) {
    const std::optional<std::string> mp2 =
        test::makeLayer2Stream(folder, "music", 44100, 2, 192, 1.5);
    if (!mp2) GTEST_SKIP() << "sox or twolame is missing";
    const std::optional<std::vector<int16_t>> decoded = test::mpg123Decode(*mp2);
    if (!decoded) GTEST_SKIP() << "mpg123 is missing";
    const std::vector<test::MusicSectionBytes> sections =
        test::cutMusicSections(test::readFileBytes(*mp2));
    ASSERT_EQ(sections.size(), 3u);
    test::TestBank bank;  // tracks: sample, section, sample, section, section
    bank.add(test::playableRecord(), test::sineWav(440, 4410));
    for (size_t i = 0; i < sections.size(); ++i) {
        bank.add(test::musicSectionRecord(sections[i].headerValue), sections[i].bytes);
        if (i == 0) bank.add(test::playableRecord(), test::sineWav(440, 4410));
    }
    const ZQ_MusicInfo* info = audio.system.ZQMusicPlay(optionsFor(bank, 1));
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(info->TrackNumber, 2u);
    EXPECT_EQ(info->Section, 1u);
    EXPECT_EQ(info->SectionCount, 3u);
    const size_t total = decoded->size() / 2;
    const std::vector<float> out = audio.render(uint32_t(total + kTestRate / 4));
    EXPECT_LE(largestDifference(out, 0, *decoded, 0, total), 1e-6);
    EXPECT_EQ(texts, (std::vector<std::string>{"section 1 of 3", "section 2 of 3", "section 3 of 3",
                                               "end of music"}));
}

// A mono stream at 22.05 kHz plays on both channels alike, resampled.
TEST_F(MusicBanks, AMonoStreamAtAnotherRatePlaysOnBothChannels) {
    const std::optional<std::string> mp2 =
        test::makeLayer2Stream(folder, "mono", 22050, 1, 64, 2.0);
    if (!mp2) GTEST_SKIP() << "sox or twolame is missing";
    const std::optional<uint64_t> frames = test::decodedSampleFrames(*mp2, 1);
    if (!frames) GTEST_SKIP() << "mpg123 is missing";
    const ZQ_MusicInfo* info =
        audio.system.ZQMusicPlay(optionsFor(test::musicBank(test::readFileBytes(*mp2)), 1));
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(info->SampleRate, 22050u);
    EXPECT_EQ(info->SectionCount, 2u);
    const std::vector<float> out = audio.render(uint32_t(*frames * 2 + kTestRate / 4));
    double widest = 0;
    for (size_t i = 0; i < out.size(); i += 2)
        widest = std::max(widest, double(std::fabs(out[i] - out[i + 1])));
    EXPECT_LE(widest, 1e-6);
    EXPECT_GT(test::rms(out, 0, 4096, 4096), 0.1);
    EXPECT_NEAR(double(playedLength(out)), double(*frames) * 2, 2.0 * kMpegFrame);
    EXPECT_LE(longestQuietRunInside(out, 1.0), kTwoMilliseconds);
}

// One queue holds one rate: a section at another rate ends the run before it.
TEST_F(MusicBanks, ASectionAtAnotherRateEndsTheRun) {
    const std::optional<std::string> first =
        test::makeLayer2Stream(folder, "first", 44100, 2, 192, 1.0);
    const std::optional<std::string> second =
        test::makeLayer2Stream(folder, "second", 32000, 2, 192, 1.0);
    if (!first || !second) GTEST_SKIP() << "sox or twolame is missing";
    const std::optional<uint64_t> firstFrames = test::decodedSampleFrames(*first, 2);
    if (!firstFrames) GTEST_SKIP() << "mpg123 is missing";
    test::TestBank bank;
    const size_t firstSections = test::addMusicSections(bank, test::readFileBytes(*first));
    const size_t secondSections = test::addMusicSections(bank, test::readFileBytes(*second));
    ASSERT_GT(secondSections, 0u);
    const ZQ_MusicInfo* info = audio.system.ZQMusicPlay(optionsFor(bank, 0));
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(info->SectionCount, firstSections + secondSections);
    const std::vector<float> out = audio.render(uint32_t(*firstFrames + kTestRate / 2));
    EXPECT_NEAR(double(playedLength(out)), double(*firstFrames), double(kMpegFrame));
    EXPECT_FALSE(audio.system.ZQMusicIsPlaying());
    EXPECT_EQ(texts.back(), "end of music");
}

}  // namespace
}  // namespace quillon
