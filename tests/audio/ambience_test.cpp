// The ambient scheduler: a bank's Atmos samples of the current group start at
// their timing once the bank volume is raised, and the bank volume scales them.
#include <gtest/gtest.h>

#include <cmath>
#include <set>

#include "audio/AudioTestKit.h"

namespace quillon {
namespace {

using test::playableRecord;
using test::TestBank;

constexpr uint32_t kTickFrames = 4410;  // 100 ms

ZQ_BankSample ambient(uint16_t atmosGroup, int32_t atmos) {
    ZQ_BankSample record = playableRecord();
    record.atmosGroup = atmosGroup;
    record.atmos = atmos;
    return record;
}

class Ambience : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_EQ(audio.created, ZQAudioResult::Ok); }
    ZQ_AudioBank* registerBank(const TestBank& bank) {
        ZQ_AudioBank* handle = system().ZQBankRegister(bank.write(folder).c_str(), 0);
        EXPECT_NE(handle, nullptr);
        return handle;
    }
    ZQ_AudioSystem& system() { return audio.system; }
    // One tick: the schedule advances and 100 ms of output go by.
    void tick() {
        system().ZQAtmosProcess(1);
        audio.render(kTickFrames);
    }
    // Start serials of the sample's ambient voices seen so far.
    void noteStarts(uint32_t sampleNumber, std::set<uint64_t>& starts) {
        ZQ_SampleInfo* last = system().ZQSampleGetLastInfoStruct();
        for (ZQ_SampleInfo* v = system().ZQSampleGetFirstInfoStruct(); v <= last; ++v) {
            if (v->State == ZQ_VOICE_PLAYING && v->Ambient && v->SampleNumber == sampleNumber)
                starts.insert(v->StartSerial);
        }
    }

    test::TempFolder folder;
    test::LoopbackAudio audio;
};

TEST_F(Ambience, IsOffUntilTheBankVolumeIsRaised) {
    TestBank bank;
    bank.add(ambient(0, 0), test::sineWav(441, 44100));
    ZQ_AudioBank* handle = registerBank(bank);
    for (int i = 0; i < 5; ++i)
        tick();
    EXPECT_EQ(system().ZQSampleGetNumberPlaying(), 0u);
    system().ZQAtmosSetBankVolume(handle, 127);
    tick();
    EXPECT_EQ(test::voicesOf(system(), 1), 1);
    system().ZQAtmosSetBankVolume(handle, 0);
    EXPECT_EQ(system().ZQSampleGetNumberPlaying(), 0u) << "volume 0 turns the ambience off";
    tick();
    EXPECT_EQ(system().ZQSampleGetNumberPlaying(), 0u);
}

TEST_F(Ambience, OnlyTheCurrentGroupPlays) {
    TestBank bank;
    bank.add(ambient(1, 0), test::sineWav(441, 44100));  // 1: group 1
    bank.add(ambient(2, 0), test::sineWav(441, 44100));  // 2: group 2
    bank.add(ambient(0, 0), test::sineWav(441, 44100));  // 3: no Atmos Group
    ZQ_BankSample notAmbient = playableRecord();
    notAmbient.atmosGroup = 1;  // 4: group but no Atmos
    bank.add(notAmbient, test::sineWav(441, 44100));
    ZQ_BankSample disabled = ambient(1, 0);
    disabled.enabled = 0;
    bank.add(disabled, test::sineWav(441, 44100));  // 5: group 1, disabled
    ZQ_AudioBank* handle = registerBank(bank);

    auto playing = [&] {
        std::vector<int> voices;
        for (uint32_t n = 1; n <= 5; ++n)
            voices.push_back(test::voicesOf(system(), n));
        return voices;
    };
    system().ZQAtmosSetBankVolume(handle, 127);
    tick();
    EXPECT_EQ(playing(), (std::vector<int>{0, 0, 1, 0, 0})) << "group 0 at first";
    system().ZQAtmosSetGroup(handle, 1);
    EXPECT_EQ(playing(), (std::vector<int>{0, 0, 0, 0, 0})) << "a new group stops the old one";
    tick();
    EXPECT_EQ(playing(), (std::vector<int>{1, 0, 0, 0, 0}));

    system().ZQAtmosSetGroup(handle, -1);  // ignored
    system().ZQAtmosSetGroup(handle, 128);
    tick();
    EXPECT_EQ(system().ZQSampleGetNumberPlaying(), 0u);
}

TEST_F(Ambience, AtmosIsTheIntervalInTicks) {
    TestBank bank;
    bank.add(ambient(0, 5), test::sineWav(441, 2205));  // 50 ms, every 5 ticks
    ZQ_AudioBank* handle = registerBank(bank);
    system().ZQAtmosSetBankVolume(handle, 127);
    std::vector<int> startTicks;
    std::set<uint64_t> starts;
    for (int t = 1; t <= 16; ++t) {
        const size_t before = starts.size();
        system().ZQAtmosProcess(1);
        noteStarts(1, starts);
        if (starts.size() > before) startTicks.push_back(t);
        audio.render(kTickFrames);
    }
    EXPECT_EQ(startTicks, (std::vector<int>{1, 6, 11, 16}));
}

// Atmos 5 starts on ticks 1, 6, 11, 16, ...; a call that jumps from tick 1 to
// tick 13 starts it once there (not once per missed period), and the next
// start is still tick 16, not the tick right after the late call.
TEST_F(Ambience, ALateCallKeepsTheRhythm) {
    TestBank bank;
    bank.add(ambient(0, 5), test::sineWav(441, 441));  // 10 ms
    ZQ_AudioBank* handle = registerBank(bank);
    system().ZQAtmosSetBankVolume(handle, 127);
    std::set<uint64_t> starts;
    std::vector<int> startTicks;
    auto advance = [&](int ticks, int reachedTick) {
        const size_t before = starts.size();
        system().ZQAtmosProcess(ticks);
        noteStarts(1, starts);
        if (starts.size() > before) startTicks.push_back(reachedTick);
        audio.render(kTickFrames);
    };
    advance(1, 1);
    advance(12, 13);
    for (int t = 14; t <= 21; ++t)
        advance(1, t);
    EXPECT_EQ(startTicks, (std::vector<int>{1, 13, 16, 21}));
    EXPECT_EQ(starts.size(), 4u);
}

TEST_F(Ambience, AtmosZeroKeepsTheSampleSounding) {
    TestBank bank;
    bank.add(ambient(0, 0), test::sineWav(441, 2205));  // ends halfway through a tick
    ZQ_AudioBank* handle = registerBank(bank);
    system().ZQAtmosSetBankVolume(handle, 127);
    std::set<uint64_t> starts;
    for (int t = 0; t < 6; ++t) {
        system().ZQAtmosProcess(1);
        noteStarts(1, starts);
        EXPECT_EQ(test::voicesOf(system(), 1), 1) << t;
        audio.render(kTickFrames);
    }
    EXPECT_EQ(starts.size(), 6u) << "started again on each tick after it ended";
}

TEST_F(Ambience, BankVolumeScalesTheAmbientLevel) {
    TestBank bank;
    bank.add(ambient(0, 0), test::sineWav(441, 44100 * 2));
    ZQ_AudioBank* handle = registerBank(bank);
    system().ZQAtmosSetBankVolume(handle, 127);
    system().ZQAtmosProcess(1);
    const double full = test::rms(audio.render(8820), 0, 2048);
    system().ZQAtmosSetBankVolume(handle, 64);  // the playing voice follows
    audio.render(1024);
    const double lower = test::rms(audio.render(8820), 0, 2048);
    EXPECT_NEAR(test::decibels(lower / full), 40 * std::log10(64.0 / 127), 0.5);
}

TEST_F(Ambience, StopAllStopsAmbientVoicesAndTheScheduleGoesOn) {
    TestBank bank;
    bank.add(ambient(0, 0), test::sineWav(441, 44100));
    ZQ_AudioBank* handle = registerBank(bank);
    system().ZQAtmosSetBankVolume(handle, 127);
    tick();
    system().ZQSampleStopAll();
    EXPECT_EQ(system().ZQSampleGetNumberPlaying(), 0u);
    tick();
    EXPECT_EQ(test::voicesOf(system(), 1), 1);
}

}  // namespace
}  // namespace quillon
