// Samples played out of a registered bank, rendered through the loopback device
// and measured: pitch, volume, pan, distance, loops, play types, priority.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include <unistd.h>

#include "audio/AudioTestKit.h"

namespace quillon {
namespace {

using test::Bytes;
using test::kTestRate;
using test::playableRecord;
using test::TestBank;

constexpr uint32_t kSection = 4410;  // 100 ms, a whole number of 441 Hz periods
constexpr uint32_t kWindow = 441;    // 10 ms

class EnginePlayback : public ::testing::Test {
  protected:
    explicit EnginePlayback(uint32_t voices = 32) : audio(voices) {}

    void SetUp() override { ASSERT_EQ(audio.created, ZQAudioResult::Ok); }

    ZQ_AudioBank* registerBank(const TestBank& bank) {
        ZQ_AudioBank* handle = system().ZQBankRegister(bank.write(folder).c_str(), 0);
        EXPECT_NE(handle, nullptr);
        return handle;
    }
    ZQ_AudioSystem& system() { return audio.system; }

    test::TempFolder folder;
    test::LoopbackAudio audio;
};

ZQ_BankSample withLoopForever() {
    ZQ_BankSample record = playableRecord();
    record.setFlags |= kFlagLoop;
    record.loopCount = -1;
    return record;
}

TEST_F(EnginePlayback, PitchScalesTheRate) {
    struct Case {
        int pitch;
        double frequency;
    };
    const Case cases[] = {{100, 440}, {200, 880}, {50, 220}};
    TestBank bank;
    bank.add(playableRecord(), test::sineWav(440, 22050, 22050));  // 1 s at 22.05 kHz
    ZQ_AudioBank* handle = registerBank(bank);
    for (const Case& c : cases) {
        ZQ_SamplePlayOptions options = test::editorOptions(handle, 1);
        options.Pitch = c.pitch;
        ASSERT_NE(system().ZQSamplePlay(options), nullptr);
        const auto out = audio.render(8820);
        EXPECT_NEAR(test::measuredFrequency(out, 0), c.frequency, c.frequency * 0.005) << c.pitch;
        system().ZQSampleStopAll();
        audio.render(2048);
    }
}

TEST_F(EnginePlayback, VolumeFollowsTheSquareCurve) {
    TestBank bank;
    bank.add(playableRecord(), test::sineWav(441, kTestRate));
    ZQ_AudioBank* handle = registerBank(bank);
    auto levelAt = [&](int volume) {
        EXPECT_NE(system().ZQSamplePlay(test::editorOptions(handle, 1, volume)), nullptr);
        const auto out = audio.render(8820);
        system().ZQSampleStopAll();
        audio.render(2048);
        return test::rms(out, 0, 2048);
    };
    const double full = levelAt(127);
    const double half = levelAt(64);
    EXPECT_NEAR(test::decibels(half / full), 40 * std::log10(64.0 / 127), 0.5);
    EXPECT_GT(full, 0.1);
    ASSERT_NE(system().ZQSamplePlay(test::editorOptions(handle, 1, 0)), nullptr);
    EXPECT_EQ(test::peak(audio.render(4410)), 0.0) << "volume 0 is silent";
}

TEST_F(EnginePlayback, PanPutsTheSoundInOneChannel) {
    struct Case {
        int pan;
        int loud, quiet;
    };
    const Case cases[] = {{0, 0, 1}, {180, 1, 0}};
    for (const Case& c : cases) {
        TestBank bank;
        ZQ_BankSample record = playableRecord();
        record.setFlags = kFlagPan;
        record.pan = c.pan;
        bank.add(record, test::sineWav(441, kTestRate));
        ZQ_AudioBank* handle = registerBank(bank);
        ASSERT_NE(system().ZQSamplePlay(test::recordOptions(handle, 1)), nullptr);
        const auto out = audio.render(8820);
        EXPECT_GT(test::rms(out, c.loud), 0.3) << c.pan;
        EXPECT_LT(test::rms(out, c.quiet), test::rms(out, c.loud) * 1e-3) << c.pan;
        system().ZQBankRelease(handle);
    }
}

TEST_F(EnginePlayback, CentredSoundIsEqualInBothChannels) {
    TestBank bank;
    ZQ_BankSample panned = playableRecord();
    panned.setFlags = kFlagPan;
    panned.pan = 90;
    bank.add(panned, test::sineWav(441, kTestRate));
    bank.add(playableRecord(), test::sineWav(441, kTestRate));
    ZQ_AudioBank* handle = registerBank(bank);
    for (uint32_t number : {1u, 2u}) {
        ASSERT_NE(system().ZQSamplePlay(test::recordOptions(handle, number)), nullptr);
        const auto out = audio.render(8820);
        EXPECT_NEAR(test::rms(out, 0) / test::rms(out, 1), 1.0, 1e-3) << number;
        system().ZQSampleStopAll();
        audio.render(2048);
    }
}

TEST_F(EnginePlayback, DistanceBeyondMinDistHalvesTheLevelAtTwice) {
    TestBank bank;
    for (float z : {2.0f, 4.0f}) {
        ZQ_BankSample record = playableRecord();
        record.setFlags = kFlagZPos | kFlagMinDist;
        record.zPos = z;
        record.minDist = 2;
        bank.add(record, test::sineWav(441, kTestRate));
    }
    ZQ_BankSample right = playableRecord();
    right.setFlags = kFlagXPos;
    right.xPos = 3;
    bank.add(right, test::sineWav(441, kTestRate));
    ZQ_AudioBank* handle = registerBank(bank);
    std::vector<std::vector<float>> outs;
    for (uint32_t number : {1u, 2u, 3u}) {
        ASSERT_NE(system().ZQSamplePlay(test::recordOptions(handle, number)), nullptr);
        outs.push_back(audio.render(8820));
        system().ZQSampleStopAll();
        audio.render(2048);
    }
    EXPECT_NEAR(test::decibels(test::rms(outs[1], 0) / test::rms(outs[0], 0)), -6.02, 0.5);
    EXPECT_GT(test::rms(outs[2], 1), 2 * test::rms(outs[2], 0)) << "+X is to the right";
}

// A sample of three 100 ms sections at amplitudes 0.2, 0.8 and 0.4, the middle
// one marked as the loop: the envelope shows how often the loop region played.
struct EnvelopeCount {
    int head = 0, loop = 0, tail = 0;
};
EnvelopeCount countSections(const std::vector<float>& out, double loudest) {
    EnvelopeCount count;
    for (double level : test::envelope(out, kWindow)) {
        const double relative = level / loudest;
        if (relative > 0.9)
            ++count.loop;
        else if (relative > 0.4)
            ++count.tail;
        else if (relative > 0.15)
            ++count.head;
    }
    return count;
}

class LoopPlayback : public EnginePlayback {
  protected:
    ZQ_AudioBank* bankWithLoop(bool withLoopPoints) {
        TestBank bank;
        ZQ_BankSample record = playableRecord();
        if (withLoopPoints) {
            record.loopStart = kSection;
            record.loopEnd = 2 * kSection - 1;  // inclusive
        }
        bank.add(record,
                 test::sectionedSineWav(441, {{kSection, 0.2}, {kSection, 0.8}, {kSection, 0.4}}));
        return registerBank(bank);
    }
    // The loop section's level: amplitude 0.8 centred.
    double loudest() {
        ZQ_AudioBank* probe = bankWithLoop(true);
        EXPECT_NE(system().ZQSamplePlay(test::editorOptions(probe, 1)), nullptr);
        const auto out = audio.render(3 * kSection);
        system().ZQBankRelease(probe);
        audio.render(2048);
        return test::rms(out, 0, kSection + kWindow, kSection - 2 * kWindow);
    }
};

TEST_F(LoopPlayback, LoopCountIsHowOftenTheLoopRegionPlays) {
    const double loud = loudest();
    struct Case {
        int loopCount;
        int loopWindows;
    };
    const Case cases[] = {{0, 10}, {1, 10}, {2, 20}, {3, 30}};
    ZQ_AudioBank* handle = bankWithLoop(true);
    for (const Case& c : cases) {
        ASSERT_NE(system().ZQSamplePlay(test::editorOptions(handle, 1, 127, c.loopCount)), nullptr);
        const auto out = audio.render(uint32_t(c.loopCount + 4) * kSection);
        const EnvelopeCount count = countSections(out, loud);
        EXPECT_NEAR(count.loop, c.loopWindows, 1) << "loop count " << c.loopCount;
        EXPECT_NEAR(count.head, 10, 1) << "loop count " << c.loopCount;
        EXPECT_NEAR(count.tail, 10, 1) << "loop count " << c.loopCount;
        EXPECT_EQ(system().ZQSampleGetNumberPlaying(), 0u) << "ended after the tail";
    }
}

TEST_F(LoopPlayback, WithoutLoopPointsTheWholeSampleRepeats) {
    const double loud = loudest();
    ZQ_AudioBank* handle = bankWithLoop(false);
    ASSERT_NE(system().ZQSamplePlay(test::editorOptions(handle, 1, 127, 2)), nullptr);
    const EnvelopeCount count = countSections(audio.render(8 * kSection), loud);
    EXPECT_NEAR(count.head, 20, 2);
    EXPECT_NEAR(count.loop, 20, 2);
    EXPECT_NEAR(count.tail, 20, 2);
}

TEST_F(LoopPlayback, MinusOneLoopsTheRegionUntilStopped) {
    const double loud = loudest();
    ZQ_AudioBank* handle = bankWithLoop(true);
    ASSERT_NE(system().ZQSamplePlay(test::editorOptions(handle, 1, 127, -1)), nullptr);
    const EnvelopeCount count = countSections(audio.render(20 * kSection), loud);
    EXPECT_NEAR(count.head, 10, 1);
    EXPECT_NEAR(count.loop, 190, 2);
    EXPECT_EQ(count.tail, 0);
    EXPECT_EQ(system().ZQSampleGetNumberPlaying(), 1u);
}

// 1000 repeats of a 10 ms region are more than the engine queues at once (about
// 2 s ahead), and one long render lets that queue run dry: the loop goes on
// where it stopped at the next look after the voices, head and tail included.
TEST_F(LoopPlayback, ACountedLoopWhoseQueueRanDryGoesOn) {
    TestBank bank;
    ZQ_BankSample record = playableRecord();
    record.loopStart = kWindow;
    record.loopEnd = 2 * kWindow - 1;
    bank.add(record, test::sectionedSineWav(441, {{kWindow, 0.2}, {kWindow, 0.8}, {kWindow, 0.4}}));
    ZQ_AudioBank* handle = registerBank(bank);
    ASSERT_NE(system().ZQSamplePlay(test::editorOptions(handle, 1, 127, 1000)), nullptr);
    std::vector<float> out(300 * kWindow * 2);
    ASSERT_EQ(system().ZQRender(out.data(), 300 * kWindow), ZQAudioResult::Ok);
    const auto rest = audio.render(810 * kWindow);
    out.insert(out.end(), rest.begin(), rest.end());
    int loud = 0, sounding = 0;
    const auto levels = test::envelope(out, kWindow);
    for (double level : levels) {
        if (level > 0.8 * levels[2]) ++loud;
        if (level > 0.01) ++sounding;
    }
    EXPECT_EQ(loud, 1000);
    EXPECT_EQ(sounding, 1002);
    EXPECT_EQ(system().ZQSampleGetNumberPlaying(), 0u);
}

// A ramp whose frame i holds (i + 1) × 50, so every output frame names the
// sample frame it came from: the loop region must repeat from LStart up to and
// including LEnd, not one frame short or long, in both kinds of loop.
Bytes rampWav(uint32_t frames) {
    Bytes pcm;
    for (uint32_t i = 0; i < frames; ++i) {
        const auto value = uint16_t((i + 1) * 50);
        pcm.push_back(uint8_t(value & 0xFF));
        pcm.push_back(uint8_t(value >> 8));
    }
    return test::encodeRiff({test::waveRiff(
        {test::fmtChunk(test::pcmFormat(1, kTestRate, 16)), test::dataChunk(pcm)})});
}

TEST_F(LoopPlayback, TheLoopRegionRepeatsFrameExactWithItsEndIncluded) {
    constexpr int kFrames = 300, kLoopStart = 100, kLoopEnd = 199, kRendered = 700;
    TestBank bank;
    ZQ_BankSample record = playableRecord();
    record.loopStart = kLoopStart;
    record.loopEnd = kLoopEnd;
    bank.add(record, rampWav(kFrames));
    ZQ_AudioBank* handle = registerBank(bank);
    for (const int loopCount : {3, -1}) {
        std::vector<int> expected;
        for (int i = 0; i <= kLoopEnd; ++i)
            expected.push_back(i);
        while (int(expected.size()) < kRendered &&
               (loopCount < 0 || int(expected.size()) < kLoopEnd + 1 + 2 * 100)) {
            for (int i = kLoopStart; i <= kLoopEnd; ++i)
                expected.push_back(i);
        }
        for (int i = kLoopEnd + 1; loopCount > 0 && i < kFrames; ++i)
            expected.push_back(i);
        expected.resize(kRendered, -1);  // silence after the end

        ASSERT_NE(system().ZQSamplePlay(test::editorOptions(handle, 1, 127, loopCount)), nullptr);
        const auto out = audio.render(kRendered);
        const double unit = out[0];  // frame 0 at the centred voice's gain
        ASSERT_GT(unit, 0.0);
        std::vector<int> heard;
        for (int f = 0; f < kRendered; ++f)
            heard.push_back(int(std::lround(out[size_t(f) * 2] / unit)) - 1);
        EXPECT_EQ(heard, expected) << "loop count " << loopCount;
        system().ZQSampleStopAll();
        audio.render(1024);
    }
}

TEST_F(EnginePlayback, PlayTypesGiveTheVoicesTheyPromise) {
    struct Case {
        uint32_t playType;
        int voicesAfterThreePlays;
    };
    const Case cases[] = {{kPlayOverlap, 3}, {kPlayOnce, 1}, {kPlayRestart, 1}};
    for (const Case& c : cases) {
        TestBank bank;
        ZQ_BankSample record = withLoopForever();
        record.setFlags |= kFlagPlayType;
        record.playType = c.playType;
        bank.add(record, test::sineWav(441, kSection));
        ZQ_AudioBank* handle = registerBank(bank);
        std::vector<ZQ_SampleHandle> handles;
        for (int i = 0; i < 3; ++i) {
            ZQ_SampleInfo* info = system().ZQSamplePlay(test::recordOptions(handle, 1));
            handles.push_back(ZQ_AudioSystem::ZQSampleGetHandle(info));
            audio.render(1024);
        }
        EXPECT_EQ(test::voicesOf(system(), 1), c.voicesAfterThreePlays) << c.playType;
        if (c.playType == kPlayOnce) {
            EXPECT_NE(handles[0].Value, 0u);
            EXPECT_EQ(handles[1].Value, 0u) << "ignored while playing";
        }
        if (c.playType == kPlayRestart) {
            EXPECT_EQ(system().ZQSampleIsPlaying(handles[0]), 0) << "the first was stopped";
            EXPECT_EQ(system().ZQSampleIsPlaying(handles[2]), 1);
        }
        system().ZQBankRelease(handle);
    }
}

TEST_F(EnginePlayback, PlayTypeActsOnTheWholeGroup) {
    TestBank bank;
    for (int i = 0; i < 2; ++i) {
        ZQ_BankSample record = withLoopForever();
        record.setFlags |= kFlagPlayType;
        record.playType = kPlayOnce;
        record.group = 5;
        bank.add(record, test::sineWav(441, kSection));
    }
    ZQ_AudioBank* handle = registerBank(bank);
    EXPECT_NE(system().ZQSamplePlay(test::recordOptions(handle, 1)), nullptr);
    EXPECT_EQ(system().ZQSamplePlay(test::recordOptions(handle, 2)), nullptr);
    EXPECT_EQ(system().ZQSampleGetNumberPlaying(), 1u);
}

TEST_F(EnginePlayback, StopAllIsSilentWithin10Milliseconds) {
    TestBank bank;
    for (int i = 0; i < 4; ++i)
        bank.add(withLoopForever(), test::sineWav(300 + 100 * i, kSection));
    ZQ_AudioBank* handle = registerBank(bank);
    for (uint32_t n = 1; n <= 4; ++n)
        ASSERT_NE(system().ZQSamplePlay(test::recordOptions(handle, n)), nullptr);
    EXPECT_GT(test::peak(audio.render(4410)), 0.1);
    system().ZQSampleStopAll();
    EXPECT_EQ(system().ZQSampleGetNumberPlaying(), 0u);
    const auto after = audio.render(4410);
    EXPECT_EQ(test::peak(after, kWindow), 0.0);
}

TEST_F(EnginePlayback, DisabledAndUnplayableSamplesDoNotPlay) {
    TestBank bank;
    ZQ_BankSample disabled = playableRecord();
    disabled.enabled = 0;
    bank.add(disabled, test::sineWav(441, kSection));
    bank.add(playableRecord(), Bytes(300, 0x42));  // not a WAV image
    bank.add(playableRecord(), test::sineWav(441, kSection));
    bank.record(3).waveOffset = 0x7FFFFF00;  // outside the wave data
    bank.addEmptySlot();
    ZQ_AudioBank* handle = registerBank(bank);
    for (uint32_t number : {1u, 2u, 2u, 3u, 4u, 5u, 0u})
        EXPECT_EQ(system().ZQSamplePlay(test::editorOptions(handle, number)), nullptr) << number;
    EXPECT_EQ(test::peak(audio.render(2048)), 0.0);
    ZQ_SamplePlayOptions noBank = test::editorOptions(nullptr, 1);
    EXPECT_EQ(system().ZQSamplePlay(noBank), nullptr);
}

TEST_F(EnginePlayback, AnMsAdpcmSamplePlays) {
    auto adpcm = test::soxConvert(folder, test::sineWav(440, 22050, 22050), "-e ms-adpcm");
    if (!adpcm) GTEST_SKIP() << "sox is not available";
    TestBank bank;
    bank.add(playableRecord(), *adpcm);
    ZQ_AudioBank* handle = registerBank(bank);
    ASSERT_NE(system().ZQSamplePlay(test::editorOptions(handle, 1)), nullptr);
    const auto out = audio.render(44100 + 4096);
    const std::vector<float> firstHalf(out.begin(), out.begin() + 44100);
    EXPECT_NEAR(test::measuredFrequency(firstHalf, 0), 440, 2);
    EXPECT_EQ(system().ZQSampleGetNumberPlaying(), 0u) << "one second long, as its fact chunk says";
}

TEST_F(EnginePlayback, ReleasingABankStopsOnlyItsVoices) {
    TestBank bank;
    bank.add(withLoopForever(), test::sineWav(441, kSection));
    ZQ_AudioBank* first = registerBank(bank);
    ZQ_AudioBank* second = system().ZQBankRegister(bank.write(folder, "second.sad").c_str(), 0);
    ASSERT_NE(system().ZQSamplePlay(test::recordOptions(first, 1)), nullptr);
    ASSERT_NE(system().ZQSamplePlay(test::recordOptions(second, 1)), nullptr);
    system().ZQBankRelease(first);
    EXPECT_EQ(system().ZQSampleGetNumberPlaying(), 1u);
    EXPECT_GT(test::peak(audio.render(2048)), 0.1);
}

TEST_F(EnginePlayback, VoiceRecordsStand144BytesApart) {
    const auto* first = reinterpret_cast<const char*>(system().ZQSampleGetFirstInfoStruct());
    const auto* last = reinterpret_cast<const char*>(system().ZQSampleGetLastInfoStruct());
    EXPECT_EQ(last - first, 144 * 31);

    TestBank bank;
    bank.add(withLoopForever(), test::sineWav(441, kSection));
    ZQ_AudioBank* handle = registerBank(bank);
    ZQ_SampleInfo* editor = system().ZQSamplePlay(test::editorOptions(handle, 1));
    ZQ_SamplePlayOptions tagged = test::recordOptions(handle, 1);
    tagged.Owner = 7;
    ZQ_SampleInfo* game = system().ZQSamplePlay(tagged);
    ASSERT_NE(editor, nullptr);
    ASSERT_NE(game, nullptr);
    uint32_t firstWord;
    std::memcpy(&firstWord, editor, 4);
    EXPECT_EQ(firstWord, 0u);
    EXPECT_EQ(game->Owner, 7u);
    EXPECT_EQ(editor->SampleNumber, 1u);
    EXPECT_EQ(editor->BankId, handle->ZQGetBankId());
    EXPECT_NE(system().ZQSampleIsPlaying(editor), 0);

    ZQ_SampleInfo foreign{};
    EXPECT_EQ(system().ZQSampleIsPlaying(&foreign), 0);
    EXPECT_EQ(system().ZQSampleIsPlaying(reinterpret_cast<const ZQ_SampleInfo*>(first + 4)), 0);
    EXPECT_EQ(system().ZQSampleIsPlaying(static_cast<const ZQ_SampleInfo*>(nullptr)), 0);
}

TEST_F(EnginePlayback, NumberPlayingFallsAsSamplesEnd) {
    TestBank bank;
    bank.add(playableRecord(), test::sineWav(441, 2000));
    bank.add(playableRecord(), test::sineWav(441, 6000));
    ZQ_AudioBank* handle = registerBank(bank);
    system().ZQSamplePlay(test::recordOptions(handle, 1));
    system().ZQSamplePlay(test::recordOptions(handle, 2));
    EXPECT_EQ(system().ZQSampleGetNumberPlaying(), 2u);
    audio.render(4096);
    EXPECT_EQ(system().ZQSampleGetNumberPlaying(), 1u);
    audio.render(4096);
    EXPECT_EQ(system().ZQSampleGetNumberPlaying(), 0u);
}

TEST_F(EnginePlayback, StaleHandlesDoNothing) {
    TestBank bank;
    bank.add(playableRecord(), test::sineWav(441, 1000));
    bank.add(withLoopForever(), test::sineWav(441, kSection));
    ZQ_AudioBank* handle = registerBank(bank);
    const ZQ_SampleHandle ended =
        ZQ_AudioSystem::ZQSampleGetHandle(system().ZQSamplePlay(test::recordOptions(handle, 1)));
    audio.render(2048);
    EXPECT_EQ(system().ZQSampleIsPlaying(ended), 0);
    // The looping sample takes the freed slot; the old handle must not reach it.
    system().ZQSampleStopAll();
    const ZQ_SampleHandle live =
        ZQ_AudioSystem::ZQSampleGetHandle(system().ZQSamplePlay(test::recordOptions(handle, 2)));
    EXPECT_EQ(live.Value & 0xFF, ended.Value & 0xFF) << "same slot";
    EXPECT_NE(live, ended);
    system().ZQSampleStop(ended);
    system().ZQSampleStop(ZQ_SampleHandle{0xFFFFFFFF});
    system().ZQSampleStop(ZQ_SampleHandle{});
    EXPECT_EQ(system().ZQSampleIsPlaying(live), 1);
    system().ZQSampleStop(live);
    EXPECT_EQ(system().ZQSampleIsPlaying(live), 0);
}

TEST_F(EnginePlayback, SamplesPlayAgainWhenTheCacheKeepsNothing) {
    ZQ_AudioSystem noCache;
    noCache.OutputMode = ZQ_OUTPUT_LOOPBACK;
    noCache.CacheBytes = 0;
    ASSERT_EQ(noCache.Create(), ZQAudioResult::Ok);
    TestBank bank;
    bank.add(playableRecord(), test::sineWav(441, 1000));
    ZQ_AudioBank* handle = noCache.ZQBankRegister(bank.write(folder).c_str(), ZQ_BANK_PRELOAD);
    std::vector<float> out(4096);
    for (int i = 0; i < 3; ++i) {
        ASSERT_NE(noCache.ZQSamplePlay(test::recordOptions(handle, 1)), nullptr) << i;
        noCache.ZQRender(out.data(), 2048);
        EXPECT_GT(test::peak(out), 0.1) << i;
    }
}

// A preload decodes the bank's samples in table order as far as the budget
// goes and keeps them; a sample decoded later must not push an earlier one out
// (nor be decoded at all once the budget is full). The bank file is emptied
// after the register, so only what the preload kept can play.
TEST_F(EnginePlayback, APreloadKeepsTheFirstSamplesThatFitTheBudget) {
    constexpr uint32_t kFrames = 4410;  // 8820 bytes decoded
    ZQ_AudioSystem small;
    small.OutputMode = ZQ_OUTPUT_LOOPBACK;
    small.CacheBytes = 20000;  // two samples, not three
    ASSERT_EQ(small.Create(), ZQAudioResult::Ok);
    TestBank bank;
    for (int i = 0; i < 4; ++i)
        bank.add(playableRecord(), test::sineWav(441, kFrames));
    const std::string path = bank.write(folder);
    ZQ_AudioBank* handle = small.ZQBankRegister(path.c_str(), ZQ_BANK_PRELOAD);
    ASSERT_NE(handle, nullptr);
    ASSERT_EQ(::truncate(path.c_str(), 0), 0);
    for (uint32_t number = 1; number <= 4; ++number) {
        const bool kept = number <= 2;
        EXPECT_EQ(small.ZQSamplePlay(test::recordOptions(handle, number)) != nullptr, kept)
            << number;
    }
}

class PriorityPlayback : public EnginePlayback {
  protected:
    PriorityPlayback() : EnginePlayback(2) {}
};

TEST_F(PriorityPlayback, AMoreImportantSampleTakesAVoiceALessImportantOneDoesNot) {
    TestBank bank;
    for (uint32_t priority : {5u, 5u, 1u, 9u, 0u, 5u}) {
        ZQ_BankSample record = withLoopForever();
        record.priority = priority;
        bank.add(record, test::sineWav(441, kSection));
    }
    ZQ_AudioBank* handle = registerBank(bank);
    ASSERT_NE(system().ZQSamplePlay(test::recordOptions(handle, 1)), nullptr);
    ASSERT_NE(system().ZQSamplePlay(test::recordOptions(handle, 2)), nullptr);
    EXPECT_EQ(system().ZQSamplePlay(test::recordOptions(handle, 4)), nullptr) << "priority 9";
    EXPECT_EQ(system().ZQSamplePlay(test::recordOptions(handle, 5)), nullptr) << "no priority";
    EXPECT_EQ(system().ZQSamplePlay(test::recordOptions(handle, 6)), nullptr) << "equal";
    ASSERT_NE(system().ZQSamplePlay(test::recordOptions(handle, 3)), nullptr) << "priority 1";
    EXPECT_EQ(test::voicesOf(system(), 3), 1);
    EXPECT_EQ(test::voicesOf(system(), 1), 0) << "the oldest of the least important went";
    EXPECT_EQ(test::voicesOf(system(), 2), 1);
    EXPECT_EQ(system().ZQSampleGetNumberPlaying(), 2u);
}

}  // namespace
}  // namespace quillon
