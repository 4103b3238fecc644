// Creating the system, its outputs, and the preview of WAV images from memory.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "audio/AudioTestKit.h"

namespace quillon {
namespace {

using test::playableRecord;
using test::TestBank;

TEST(AudioSystemCreate, RefusesConfigurationsOutOfRange) {
    struct Case {
        const char* name;
        void (*change)(ZQ_AudioSystem&);
    };
    const Case cases[] = {
        {"no voices", [](ZQ_AudioSystem& s) { s.VoiceCount = 0; }},
        {"too many voices", [](ZQ_AudioSystem& s) { s.VoiceCount = 256; }},
        {"rate too low", [](ZQ_AudioSystem& s) { s.OutputRate = 1000; }},
        {"rate too high", [](ZQ_AudioSystem& s) { s.OutputRate = 400000; }},
        {"unknown output", [](ZQ_AudioSystem& s) { s.OutputMode = 3; }},
        {"unknown distance model", [](ZQ_AudioSystem& s) { s.DistanceModel = 4; }},
        {"update too often", [](ZQ_AudioSystem& s) { s.MixUpdateHz = 5000; }},
    };
    for (const Case& c : cases) {
        ZQ_AudioSystem system;
        system.OutputMode = ZQ_OUTPUT_LOOPBACK;
        c.change(system);
        EXPECT_EQ(system.Create(), ZQAudioResult::BadConfiguration) << c.name;
        EXPECT_FALSE(system.ZQIsCreated()) << c.name;
    }
}

TEST(AudioSystemCreate, CallsBeforeCreateDoNothing) {
    ZQ_AudioSystem system;
    EXPECT_EQ(system.ZQSampleGetFirstInfoStruct(), nullptr);
    EXPECT_EQ(system.ZQSampleGetLastInfoStruct(), nullptr);
    EXPECT_EQ(system.ZQSampleGetNumberPlaying(), 0u);
    EXPECT_EQ(system.ZQSamplePlay(ZQ_SamplePlayOptions{}), nullptr);
    system.ZQSampleStopAll();
    system.ZQAtmosProcess(1);
    EXPECT_EQ(system.ZQPreviewPlay(test::sineWav(440, 100)), ZQAudioResult::NotCreated);
    float out[4];
    EXPECT_EQ(system.ZQRender(out, 2), ZQAudioResult::NotCreated);
    EXPECT_TRUE(system.ZQIsSilent());
}

TEST(AudioSystemCreate, SecondCreateIsRefused) {
    test::LoopbackAudio audio;
    ASSERT_EQ(audio.created, ZQAudioResult::Ok);
    EXPECT_EQ(audio.system.Create(), ZQAudioResult::AlreadyCreated);
    EXPECT_TRUE(audio.system.ZQIsSilent());
    EXPECT_STRNE(audio.system.ZQGetOutputText(), "");
}

// The silent output mixes on the wall clock: a short sample ends by itself.
TEST(AudioSystemCreate, SilentOutputRunsOnItsOwnClock) {
    test::TempFolder folder;
    ZQ_AudioSystem system;
    system.OutputMode = ZQ_OUTPUT_SILENT;
    ASSERT_EQ(system.Create(), ZQAudioResult::Ok);
    EXPECT_TRUE(system.ZQIsSilent());
    EXPECT_STRNE(system.ZQGetOutputText(), "");
    float out[4];
    EXPECT_EQ(system.ZQRender(out, 2), ZQAudioResult::NotLoopback);

    TestBank bank;
    bank.add(playableRecord(), test::sineWav(441, 2205));  // 50 ms
    ZQ_AudioBank* handle = system.ZQBankRegister(bank.write(folder).c_str(), 0);
    ASSERT_NE(system.ZQSamplePlay(test::recordOptions(handle, 1)), nullptr);
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (system.ZQSampleGetNumberPlaying() != 0 && std::chrono::steady_clock::now() < giveUp)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(system.ZQSampleGetNumberPlaying(), 0u);
}

// Under CTest the null driver stands in for a sound card; either way Create
// works and the silent flag and its text agree.
TEST(AudioSystemCreate, DefaultOutputOpensWithOrWithoutASoundCard) {
    ZQ_AudioSystem system;
    ASSERT_EQ(system.Create(), ZQAudioResult::Ok);
    EXPECT_EQ(system.ZQIsSilent(), std::strlen(system.ZQGetOutputText()) != 0);
    const char* drivers = std::getenv("ALSOFT_DRIVERS");
    if (drivers != nullptr && std::strcmp(drivers, "null") == 0) {
        EXPECT_TRUE(system.ZQIsSilent()) << "the null driver is no sound card";
        EXPECT_STREQ(system.ZQGetOutputText(), "No sound device - silent output");
    }
}

TEST(AudioRender, SixteenBitOutputMatchesFloat) {
    test::TempFolder folder;
    TestBank bank;
    bank.add(playableRecord(), test::sineWav(441, 44100));
    test::LoopbackAudio a, b;
    ZQ_AudioBank* bankA = a.system.ZQBankRegister(bank.write(folder, "a.sad").c_str(), 0);
    ZQ_AudioBank* bankB = b.system.ZQBankRegister(bank.write(folder, "b.sad").c_str(), 0);
    a.system.ZQSamplePlay(test::recordOptions(bankA, 1));
    b.system.ZQSamplePlay(test::recordOptions(bankB, 1));
    std::vector<float> floats(2048);
    std::vector<int16_t> shorts(2048);
    ASSERT_EQ(a.system.ZQRender(floats.data(), 1024), ZQAudioResult::Ok);
    ASSERT_EQ(b.system.ZQRender(shorts.data(), 1024), ZQAudioResult::Ok);
    for (size_t i = 0; i < floats.size(); ++i)
        EXPECT_NEAR(shorts[i] / 32767.0, floats[i], 1.0 / 16384) << i;
}

class Preview : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_EQ(audio.created, ZQAudioResult::Ok); }
    test::LoopbackAudio audio;
};

TEST_F(Preview, PlaysAWavImageFromMemory) {
    ASSERT_EQ(audio.system.ZQPreviewPlay(test::sineWav(440, 44100)), ZQAudioResult::Ok);
    EXPECT_TRUE(audio.system.ZQPreviewIsPlaying());
    EXPECT_NEAR(test::measuredFrequency(audio.render(8820), 0), 440, 2);
    EXPECT_EQ(audio.system.ZQSampleGetNumberPlaying(), 0u) << "not a voice of the pool";
}

TEST_F(Preview, TheNextImageReplacesThePrevious) {
    ASSERT_EQ(audio.system.ZQPreviewPlay(test::sineWav(440, 44100)), ZQAudioResult::Ok);
    audio.render(2048);
    ASSERT_EQ(audio.system.ZQPreviewPlay(test::sineWav(660, 44100)), ZQAudioResult::Ok);
    const auto out = audio.render(8820);
    EXPECT_NEAR(test::measuredFrequency(out, 0), 660, 3) << "only the second sounds";
}

TEST_F(Preview, StopAllLeavesItAndPreviewStopEndsIt) {
    ASSERT_EQ(audio.system.ZQPreviewPlay(test::sineWav(440, 44100)), ZQAudioResult::Ok);
    audio.system.ZQSampleStopAll();
    EXPECT_GT(test::peak(audio.render(2048)), 0.1);
    audio.system.ZQPreviewStop();
    EXPECT_FALSE(audio.system.ZQPreviewIsPlaying());
    EXPECT_EQ(test::peak(audio.render(4410), 441), 0.0);
}

TEST_F(Preview, AnUndecodableImageStopsThePreviousAndSaysSo) {
    ASSERT_EQ(audio.system.ZQPreviewPlay(test::sineWav(440, 44100)), ZQAudioResult::Ok);
    EXPECT_EQ(audio.system.ZQPreviewPlay(test::Bytes(500, 0x17)), ZQAudioResult::DecodeFailed);
    EXPECT_FALSE(audio.system.ZQPreviewIsPlaying());
    EXPECT_EQ(audio.system.ZQPreviewPlay({}), ZQAudioResult::DecodeFailed);
}

TEST_F(Preview, EndsByItself) {
    ASSERT_EQ(audio.system.ZQPreviewPlay(test::sineWav(440, 1000)), ZQAudioResult::Ok);
    audio.render(2048);
    EXPECT_FALSE(audio.system.ZQPreviewIsPlaying());
}

}  // namespace
}  // namespace quillon
