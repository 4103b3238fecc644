// Music banks on the loopback device against mpg123's decode of the uncut stream.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cmath>

#include "audio/AudioTestKit.h"
#include "audio/Preview.h"
#include "audio/Waveform.h"
#include "operations/MpegImport.h"
#include "support/FakeShell.h"
#include "support/MpegTools.h"

namespace quillon {
namespace {

using test::kTestRate;
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
