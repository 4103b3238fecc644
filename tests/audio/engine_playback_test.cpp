// What a record and the play options mean, which sections a music run plays, banks registered
// (no sample table leads a read out of bounds), and samples and ambience played out of them.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <limits>
#include <set>

#include "audio/AudioTestKit.h"
#include "audio/MusicPlan.h"
#include "audio/PlayRules.h"
#include "bank/SegmentNames.h"
#include "container/ZQLog.h"
#include "support/BankFixtures.h"

namespace quillon {
namespace {

using test::Bytes;
using test::storedRecord;

TEST(PlayRules, TheRecordAndTheFlaggedOptionsGiveTheVoiceItsSettings) {
    EXPECT_NEAR(volumeGain(64), 0.2539525f, 1e-7);
    EXPECT_EQ(volumeGain(200), 1.0f);
    EXPECT_EQ(priorityRank(0), kLeastImportantRank);
    EXPECT_LT(priorityRank(50000), kLeastImportantRank);
    ZQ_BankSample record = test::playableRecord();
    const std::tuple<int, int, bool> loops[] = {
        {0, 99, true}, {99, 99, true}, {-1, 5, false}, {50, 49, false}, {0, 100, false}};
    for (const auto& [start, end, valid] : loops) {
        record.loopStart = start;
        record.loopEnd = end;
        EXPECT_EQ(recordLoopRegion(record, 100).has_value(), valid) << start << ".." << end;
    }
    // record flags, option flags, options' volume, pitch and loop count; those played
    for (const auto& [recordFlags, optionFlags, volume, pitch, loop, played] :
         {std::tuple{0u, 0u, 90, 120, 2, std::array{127, 100, 0}},
          {kFlagVolume | kFlagPitch | kFlagLoop, kFlagPitch, 90, 120, 2, std::array{50, 120, 3}},
          {0u, 0xFFFu, 300, 5000, -1, std::array{127, 1000, -1}},
          {0u, 0xFFFu, -3, 0, -7, std::array{0, 1, 0}}}) {
        record.setFlags = recordFlags | kFlagPan | kFlagPlayType | kFlagZPos | kFlagMinDist |
                          kFlagMaxDist | kFlagScale;
        record.volume = 50;
        record.pitch = 150;
        record.pitchVariation = 100;  // none unless the options vary the pitch
        record.loopCount = 3;
        record.playType = kPlayOnce;
        record.zPos = 5;
        record.minDist = 4;
        record.maxDist = 2;  // below Min Dist: raised to it
        record.scale = 0.5f;
        const ZQ_SamplePlayOptions options{.Flags = optionFlags,
                                           .Volume = volume,
                                           .Pitch = pitch,
                                           .LoopCount = loop,
                                           .Behaviour = ZQ_PLAY_OBEY_PLAY_TYPE};
        std::mt19937 random(1);
        const VoiceSettings v = resolveVoiceSettings(record, options, random);
        EXPECT_EQ((std::array{v.volume, v.pitch, int(v.loopCount)}), played) << volume;
        EXPECT_EQ(v.playType, kPlayOnce);
        EXPECT_EQ(v.placement, Placement::Positioned) << "a position wins over the pan";
        EXPECT_EQ((std::array{v.position[2], v.referenceDistance, v.maxDistance, v.rolloff}),
                  (std::array{-5.f, 4.f, 4.f, .5f}))
            << "+Z is ahead, OpenAL's -Z";
    }
    record.minDist = record.zPos = std::numeric_limits<float>::quiet_NaN();
    record.maxDist = -1;
    record.scale = std::numeric_limits<float>::infinity();
    record.playType = 7;  // not a play type
    std::mt19937 random(7);
    VoiceSettings v = resolveVoiceSettings(record, {}, random);
    EXPECT_EQ((std::array{v.position[2], v.referenceDistance, v.maxDistance, v.rolloff}),
              (std::array{0.f, 1.f, std::numeric_limits<float>::max(), 1.f}));
    EXPECT_EQ(v.playType, kPlayOverlap);
    record.setFlags = kFlagPan | kFlagPlayType | kFlagPitch;
    record.pan = 400;
    record.playType = kPlayRestart;
    ZQ_SamplePlayOptions overlap{.Behaviour = ZQ_PLAY_VARY_PITCH};
    v = resolveVoiceSettings(record, overlap, random);
    EXPECT_EQ(v.placement, Placement::Panned);
    EXPECT_NEAR(v.position[0], 1, 1e-6) << "the pan clamped to 180";
    EXPECT_EQ(v.playType, kPlayOverlap) << "the behaviour's bit clear: always overlap";
    overlap.Spatial = 0;
    EXPECT_EQ(resolveVoiceSettings(record, overlap, random).placement, Placement::Centre);
    int lowest = 1000, highest = 0;
    record.pitch = 100;  // the options vary the pitch by default
    record.pitchVariation = 10;
    for (int i = 0; i < 2000; ++i) {
        const int pitch = resolveVoiceSettings(record, {}, random).pitch;
        lowest = std::min(lowest, pitch);
        highest = std::max(highest, pitch);
    }
    EXPECT_EQ(lowest, 90);
    EXPECT_EQ(highest, 110);
    record.pitch = 5;  // the variation never goes below the lowest pitch
    record.pitchVariation = 100;
    for (int i = 0; i < 500; ++i)
        EXPECT_GE(resolveVoiceSettings(record, {}, random).pitch, kMinPitch);
}

// 'S' a section, 'W'/'P' a sample (P: flagged), 'B' out of the wave data, '-' empty.
std::vector<uint32_t> walk(const std::string& layout, MusicRequest request) {
    SampleTable table;
    for (size_t i = 0; i < layout.size(); ++i) {
        table.records.emplace_back();
        table.records.back().sampleNumber = layout[i] == '-' ? 0 : uint32_t(i + 1);
        table.records.back().playType = kFirstMpegDescriptor - (layout[i] == 'W' ? 1 : 0);
        table.records.back().setFlags = layout[i] == 'P' ? uint32_t(kFlagPlayType) : 0;
        table.playable.push_back(layout[i] != 'B' && layout[i] != '-');
    }
    const std::optional<MusicPlan> plan = planMusic(table, request);
    std::vector<uint32_t> tracks;  // those the cursor visits, at most 8
    MusicCursor cursor = plan ? MusicCursor(*plan) : MusicCursor();
    for (std::optional<size_t> at; tracks.size() < 8 && (at = cursor.current()); cursor.advance())
        tracks.push_back(plan->sections[*at].track);
    return tracks;
}

TEST(MusicPlan, RunsFollowTheTrackWords) {
    const std::tuple<const char*, MusicRequest, std::vector<uint32_t>> cases[] = {
        {"SSS", {0, 2, 0, 0}, {1, 2, 3, 1, 2, 3}},  // track 0 is track 1
        {"SSS", {2, 1, 0, 1}, {2, 3}},              // a last track before the first
        {"SSSS", {1, 2, 4, 2}, {1, 2, 1, 2}},       // a loop track past the last
        {"WSPS-B", {1, 1, 0, 0}, {2, 4}},           // samples and broken records
        {"SWSS", {2, 1, 0, 0}, {3, 4}},             // a track on a sample
        {"WWP", {1, 1, 0, 0}, {}},
        {"BB", {1, 1, 0, 0}, {}},
    };
    for (const auto& [layout, request, tracks] : cases)
        EXPECT_EQ(walk(layout, request), tracks) << layout << " " << request.track;
}

TEST(SampleTable, HoldsWholeRecordsUpToTheCountAndOnlyAudioInsideTheWaveData) {
    // count word (its high half ignored), records stored, bytes after them, records read
    const std::array<uint32_t, 4> counts[] = {{3, 3, 0, 3}, {9, 2, 0, 2}, {3, 2, 639, 2},
                                              {1, 3, 0, 1}, {0, 0, 0, 0}, {3 * 65536 + 2, 2, 0, 2}};
    for (const auto& [count, stored, extra, read] : counts) {
        std::vector<Bytes> records;
        for (uint32_t i = 1; i <= stored; ++i)
            records.push_back(storedRecord(i, 0, 10));
        Bytes table = test::sampleTable(count, records);
        table.insert(table.end(), extra, uint8_t(0));
        EXPECT_EQ(parseSampleTable(table, 100).playable.size(), read) << count << " " << stored;
    }
    EXPECT_TRUE(parseSampleTable(Bytes{1, 0, 0}, 100).records.empty()) << "no count word";
    // The save writes wave data of up to 4 GiB: an image past 2 GiB is read like any other.
    const std::tuple<Bytes, uint64_t, bool> records[] = {
        {storedRecord(1, 0, 1000), 1000, true},
        {storedRecord(1, 1, 1000), 1000, false},
        {storedRecord(1, 1000, 1), 1000, false},
        {storedRecord(1, 0xFFFFFFF0, 0x20), 1000, false},  // offset and size overflow
        {storedRecord(1, 0, 0xFFFFFFFF), 1000, false},
        {storedRecord(1, 0, 0), 1000, false},
        {storedRecord(2, 0, 10), 1000, false},  // number not its place
        {storedRecord(0, 0, 10), 1000, false},  // empty slot
        {storedRecord(1, 0x90000000, 1000), 0xF0000000, true},
    };
    for (const auto& [record, waveBytes, playable] : records) {
        const SampleTable parsed = parseSampleTable(test::sampleTable(1, {record}), waveBytes);
        ASSERT_EQ(parsed.records.size(), 1u);
        EXPECT_EQ(parsed.playable[0], playable) << parsed.records[0].waveOffset;
    }
}

TEST(BankRegister, HandsOutTheRecordsAndHostileOnesAreNotPlayable) {
    test::TempFolder folder;
    ZQ_AudioSystem system;  // banks register without Create
    test::TestBank bank;
    bank.add(test::playableRecord(), test::sineWav(440, 100));
    bank.records.emplace_back();  // an empty slot
    bank.add(test::playableRecord(), test::sineWav(220, 100));
    bank.add(test::playableRecord(), test::sineWav(220, 100));
    bank.records[3].waveOffset = 0x7FFFFFF0;  // far past the wave data
    const std::string path = bank.write(folder);
    ZQBankError error = ZQBankError::ReadFailed;
    ZQ_AudioBank* handle = system.ZQBankRegister(path.c_str(), 0, &error);
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(error, ZQBankError::Ok);
    ASSERT_EQ(handle->ZQGetBankSampleCount(), 4u);
    for (uint32_t n = 1; n <= 5; ++n)
        EXPECT_EQ(handle->ZQIsSamplePlayable(n), n == 1 || n == 3) << n;
    system.ZQBankRelease(handle);
    EXPECT_STREQ(system.ZQBankGetFileName(handle), "") << "released handle is unknown";
    system.ZQBankRelease(handle);  // stale

    // A table whose segment says more than the file has; files that are not banks.
    ASSERT_EQ(::truncate(path.c_str(), ::off_t(test::readFileBytes(path).size() - 100)), 0);
    const std::pair<std::vector<test::Segment>, ZQBankError> refused[] = {
        {{{ZQFileSegmentBankInfo, test::blankBankInfo()}}, ZQBankError::NoSampleTable},
        {{{ZQFileSegmentBankSampleTable, Bytes{1, 0}}}, ZQBankError::NoSampleTable},
    };
    EXPECT_EQ(system.ZQBankRegister(path.c_str(), 0, &error), nullptr);
    EXPECT_EQ(error, ZQBankError::ReadFailed);
    for (const auto& [segments, expected] : refused) {
        ASSERT_TRUE(test::writeContainer(path, segments));
        EXPECT_EQ(system.ZQBankRegister(path.c_str(), 0, &error), nullptr);
        EXPECT_EQ(error, expected);
    }
    test::writeFile(path, Bytes(100, 'x'));
    EXPECT_EQ(system.ZQBankRegister(path.c_str(), 0, &error), nullptr);
    EXPECT_EQ(error, ZQBankError::OpenFailed) << "not a container";
    EXPECT_EQ(system.ZQBankRegister("", 0, &error), nullptr);
    EXPECT_EQ(error, ZQBankError::NoPath);
    EXPECT_EQ(system.ZQBankRegister(nullptr, 0, &error), nullptr);
    // A count word promising more records than the table holds: the whole ones register.
    const std::string cut = folder.file("cut.sad");
    ASSERT_TRUE(test::writeBankWithTableCutShort(cut));
    std::vector<std::string> logged;
    ZQLogSetObserver([&](const ZQLogRecord& line) { logged.push_back(line.Text); });
    handle = system.ZQBankRegister(cut.c_str(), 0, &error);
    ZQLogSetObserver({});
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(error, ZQBankError::RecordsMissing);
    ASSERT_EQ(handle->ZQGetBankSampleCount(), test::kCutShortWhole);
    EXPECT_EQ(handle->ZQGetFirstBankSample()[1].path, "/snd/x2.wav");
    const std::string missing = "2 records of the sample table could not be read";
    EXPECT_EQ(handle->ZQGetErrorText(), missing);
    EXPECT_EQ(logged, std::vector<std::string>{cut + " - " + missing});
}

// A record looping for ever when `loopCount` is -1, with the other fields given.
ZQ_BankSample record(int32_t loopCount, uint32_t flags = 0, uint32_t playType = 0,
                     uint16_t group = 0, uint32_t priority = 0) {
    ZQ_BankSample r = test::playableRecord();
    r.setFlags = flags | (loopCount < 0 ? uint32_t(kFlagLoop) : 0);
    r.loopCount = loopCount;
    r.playType = playType;
    r.group = group;
    r.priority = priority;
    return r;
}

class EnginePlayback : public ::testing::Test {
  protected:
    ZQ_AudioBank* registerBank(const test::TestBank& bank, const std::string& name = "t.sad") {
        return system.ZQBankRegister(bank.write(folder, name).c_str(), 0);
    }
    ZQ_SampleInfo* play(ZQ_AudioBank* bank, uint32_t number) {
        return system.ZQSamplePlay(test::recordOptions(bank, number));
    }
    test::TempFolder folder;
    test::LoopbackAudio audio{2};
    ZQ_AudioSystem& system = audio.system;
};

// Frame i holds (i + 1) x 50: the output names the frames played, LEnd included.
TEST_F(EnginePlayback, TheLoopRegionRepeatsFrameExactWithItsEndIncluded) {
    const test::Bytes ramp = test::monoWav(300, [](uint32_t i) { return (i + 1) * 50.0; });
    test::TestBank bank;
    bank.add(record(0), ramp);
    bank.records[0].loopStart = 100;
    bank.records[0].loopEnd = 199;
    bank.add(record(0), ramp);  // no loop points: the whole sample repeats
    ZQ_AudioBank* handle = registerBank(bank);
    // sample, loop count, loop region, passes over it
    const std::array<int, 5> cases[] = {{1, 0, 100, 199, 1},
                                        {1, 1, 100, 199, 1},
                                        {1, 3, 100, 199, 3},
                                        {1, -1, 100, 199, 9},
                                        {2, 2, 0, 299, 2}};
    for (const auto& [sample, loopCount, start, end, passes] : cases) {
        std::vector<int> expected;
        for (int pass = 0, i = 0; i < 300; ++i) {
            expected.push_back(i);
            if (i == end && ++pass < passes) i = start - 1;
        }
        expected.resize(700, -1);
        const ZQ_SampleHandle played = ZQ_AudioSystem::ZQSampleGetHandle(
            system.ZQSamplePlay(test::editorOptions(handle, uint32_t(sample), 127, loopCount)));
        const auto out = audio.render(700);
        std::vector<int> heard;
        for (size_t f = 0; f < 700; ++f)
            heard.push_back(int(std::lround(out[f * 2] / out[0])) - 1);
        EXPECT_EQ(heard, expected) << "loop count " << loopCount;
        EXPECT_EQ(system.ZQSampleGetNumberPlaying(), loopCount < 0 ? 1u : 0u) << loopCount;
        // A looping voice's position lies in the loop region; an ended one has none.
        EXPECT_EQ(system.ZQSampleGetPosition(played).value_or(100) / 100, 1u) << loopCount;
        system.ZQSampleStopAll();
        audio.render(1024);
    }
}

// 1000 passes outrun the 2 s queued ahead; a long render lets it run dry, and the loop goes on.
TEST_F(EnginePlayback, ACountedLoopWhoseQueueRanDryGoesOn) {
    test::TestBank bank;
    bank.add(record(0), test::monoWav(3 * 441, [](uint32_t i) {  // amplitudes 0.2, 0.8, 0.4
                 return 3000.0 * (i < 441 ? 2 : i < 882 ? 8 : 4) * std::sin(i * 0.0628);
             }));
    bank.records[0].loopStart = 441;
    bank.records[0].loopEnd = 2 * 441 - 1;
    const ZQ_SampleInfo* voice =
        system.ZQSamplePlay(test::editorOptions(registerBank(bank), 1, 127, 1000));
    ASSERT_NE(voice, nullptr);
    std::vector<float> out(300 * 441 * 2);
    ASSERT_EQ(system.ZQRender(out.data(), 300 * 441), ZQAudioResult::Ok);
    EXPECT_EQ(
        system.ZQSampleGetPosition(ZQ_AudioSystem::ZQSampleGetHandle(voice)).value_or(0) / 441, 1u);
    const auto rest = audio.render(810 * 441);
    out.insert(out.end(), rest.begin(), rest.end());
    int loud = 0, sounding = 0;
    for (size_t first = 0; first + 441 <= out.size() / 2; first += 441) {
        loud += test::rms(out, 0, first, 441) > 0.8 * test::rms(out, 0, 441, 441);
        sounding += test::rms(out, 0, first, 441) > 0.01;
    }
    EXPECT_EQ(loud, 1000);
    EXPECT_EQ(sounding, 1002);
}

// Two voices: a sample takes one only from a less important one (1 most, unset least).
TEST_F(EnginePlayback, PlayTypesAndPriorityDecideWhoHasAVoice) {
    test::TestBank bank;
    bank.add(record(-1, kFlagPlayType, kPlayOnce, 5, 5), test::sineWav(441, 4410));
    bank.add(record(-1, kFlagPlayType, kPlayOnce, 5, 5), test::sineWav(441, 4410));
    bank.add(record(-1, kFlagPlayType, kPlayRestart, 0, 5), test::sineWav(441, 4410));
    for (uint32_t priority : {1u, 9u, 0u, 5u})  // samples 4 to 7
        bank.add(record(-1, 0, 0, 0, priority), test::sineWav(441, 4410));
    ZQ_AudioBank* handle = registerBank(bank);
    const ZQ_SampleHandle first = ZQ_AudioSystem::ZQSampleGetHandle(play(handle, 1));
    EXPECT_EQ(play(handle, 1), nullptr) << "once, while playing";
    EXPECT_EQ(play(handle, 2), nullptr) << "once acts on the whole group";
    const ZQ_SampleHandle restarted = ZQ_AudioSystem::ZQSampleGetHandle(play(handle, 3));
    ASSERT_NE(play(handle, 3), nullptr);
    EXPECT_EQ(system.ZQSampleIsPlaying(restarted), 0) << "restart stops the first";
    for (uint32_t n : {5u, 6u, 7u})  // 9, unset and an equal 5 find no voice
        EXPECT_EQ(play(handle, n), nullptr) << n;
    ASSERT_NE(play(handle, 4), nullptr) << "priority 1";
    EXPECT_EQ(system.ZQSampleIsPlaying(first), 0) << "the oldest of the least important went";
}

// A handle of a voice that ended must not reach the voice that took its slot.
TEST_F(EnginePlayback, StopReleaseStaleHandlesAndWhatCannotPlay) {
    test::TestBank bank;
    bank.add(record(-1), test::sineWav(300, 4410));
    bank.add(record(0), test::sineWav(441, 1000));
    bank.add(record(0), test::sineWav(441, 4410));  // 3: disabled
    bank.records[2].enabled = 0;
    bank.add(record(0), test::Bytes(300, 0x42));  // 4: not a WAV image
    bank.add(record(0), test::sineWav(441, 4410));
    bank.records[4].waveOffset = 0x7FFFFF00;  // outside the wave data
    bank.records.emplace_back();              // an empty slot
    bank.add(record(0, kFlagZPos | kFlagMinDist), test::sineWav(441, 4410));  // 7: placed
    bank.records[6].zPos = bank.records[6].minDist = 4;
    ZQ_AudioBank* handle = registerBank(bank);
    const ZQ_SampleInfo* placed = play(handle, 7);
    ASSERT_NE(placed, nullptr);
    EXPECT_EQ(std::make_tuple(placed->ZPos, placed->MinDist, placed->MaxDist),
              std::make_tuple(4.f, 4.f, 0.f));
    system.ZQSampleStopAll();
    for (uint32_t number : {3u, 4u, 4u, 5u, 6u, 8u, 0u})
        EXPECT_EQ(play(handle, number), nullptr) << number;
    EXPECT_EQ(play(nullptr, 1), nullptr);
    const ZQ_SampleHandle ended = ZQ_AudioSystem::ZQSampleGetHandle(play(handle, 2));
    audio.render(2048);
    EXPECT_EQ(system.ZQSampleIsPlaying(ended), 0);
    const ZQ_SampleInfo* voice = play(handle, 1);
    const ZQ_SampleHandle live = ZQ_AudioSystem::ZQSampleGetHandle(voice);
    EXPECT_EQ(live.Value & 0xFF, ended.Value & 0xFF) << "same slot";
    for (const ZQ_SampleHandle stale : {ended, ZQ_SampleHandle{0xFFFFFFFF}, ZQ_SampleHandle{}})
        system.ZQSampleStop(stale);
    EXPECT_EQ(system.ZQSampleIsPlaying(live) + system.ZQSampleIsPlaying(voice), 2);
    const ZQ_SampleInfo foreign{};
    EXPECT_EQ(system.ZQSampleIsPlaying(&foreign), 0);
    EXPECT_EQ(system.ZQSampleIsPlaying(
                  reinterpret_cast<const ZQ_SampleInfo*>(reinterpret_cast<const char*>(voice) + 4)),
              0);
    system.ZQSampleStop(live);
    EXPECT_EQ(system.ZQSampleIsPlaying(live), 0);
    ASSERT_NE(play(handle, 1), nullptr);
    audio.render(4410);
    system.ZQSampleStopAll();
    EXPECT_EQ(system.ZQSampleGetNumberPlaying(), 0u);
    EXPECT_EQ(test::peak(audio.render(4410), 441), 0.0) << "silent within 10 ms";
    ASSERT_NE(play(registerBank(bank, "second.sad"), 1), nullptr);
    ASSERT_NE(play(handle, 1), nullptr);
    system.ZQBankRelease(handle);
    EXPECT_EQ(system.ZQSampleGetNumberPlaying(), 1u) << "only the released bank's voices stop";
}

// A later sample must not push an earlier one out; emptied, the file plays only what was kept.
TEST_F(EnginePlayback, APreloadKeepsTheFirstSamplesThatFitTheBudget) {
    test::TestBank bank;
    for (int i = 0; i < 4; ++i)
        bank.add(record(0), test::sineWav(441, 4410));  // 8820 bytes decoded
    ZQ_AudioSystem small;
    small.OutputMode = ZQ_OUTPUT_LOOPBACK;
    small.CacheBytes = 20000;  // two of them
    ASSERT_EQ(small.Create(), ZQAudioResult::Ok);
    const std::string path = bank.write(folder);
    ZQ_AudioBank* handle = small.ZQBankRegister(path.c_str(), ZQ_BANK_PRELOAD);
    ASSERT_EQ(::truncate(path.c_str(), 0), 0);
    for (uint32_t n = 1; n <= 4; ++n)
        EXPECT_EQ(small.ZQSamplePlay(test::recordOptions(handle, n)) != nullptr, n <= 2) << n;
}

class Ambience : public EnginePlayback {
  protected:
    // A bank of samples (Atmos Group, Atmos, frames; disabled when frames is 0), registered.
    ZQ_AudioBank* bank(std::initializer_list<std::tuple<uint16_t, int32_t, uint32_t>> samples) {
        test::TestBank made;
        for (const auto& [group, atmos, frames] : samples) {
            ZQ_BankSample record = test::playableRecord();
            record.atmosGroup = group;
            record.atmos = atmos;
            record.enabled = frames > 0;
            made.add(record, test::sineWav(441, frames > 0 ? frames : 441));
        }
        return registerBank(made);
    }
    // Ticks of 100 ms; returns the sample numbers of the ambient voices that started.
    std::vector<uint32_t> tick(int ticks = 1) {
        system.ZQAtmosProcess(ticks);
        std::vector<uint32_t> started;
        ZQ_SampleInfo* last = system.ZQSampleGetLastInfoStruct();
        for (ZQ_SampleInfo* v = system.ZQSampleGetFirstInfoStruct(); v <= last; ++v)
            if (v->State == ZQ_VOICE_PLAYING && v->Ambient && starts.insert(v->StartSerial).second)
                started.push_back(v->SampleNumber);
        audio.render(4410);
        return started;
    }
    std::set<uint64_t> starts;
};

// Samples 3 (no Atmos Group), 4 (no Atmos) and 5 (disabled) never play in group 1.
TEST_F(Ambience, OnlyTheCurrentGroupPlaysAtTheBankVolume) {
    ZQ_AudioBank* handle =
        bank({{1, 0, 44100}, {2, 0, 44100}, {0, 0, 44100}, {1, -1, 44100}, {1, 0, 0}});
    system.ZQAtmosSetBankVolume(handle, 127);
    EXPECT_EQ(tick(), std::vector<uint32_t>{3}) << "group 0 at first";
    system.ZQAtmosSetGroup(handle, 1);
    EXPECT_EQ(system.ZQSampleGetNumberPlaying(), 0u) << "a new group stops the old one";
    EXPECT_EQ(tick(), std::vector<uint32_t>{1});
    system.ZQAtmosSetGroup(handle, -1);  // ignored
    system.ZQAtmosSetBankVolume(handle, 0);
    EXPECT_EQ(system.ZQSampleGetNumberPlaying(), 0u) << "volume 0 turns the ambience off";
    EXPECT_TRUE(tick().empty());
}

// Atmos 5 starts on ticks 1, 6, 11, 16: a late call starts it once, not once per missed period.
TEST_F(Ambience, ALateCallKeepsTheRhythm) {
    system.ZQAtmosSetBankVolume(bank({{0, 5, 441}}), 127);
    std::vector<int> startTicks;
    if (!tick().empty()) startTicks.push_back(1);
    if (!tick(12).empty()) startTicks.push_back(13);
    for (int t = 14; t <= 21; ++t)
        if (!tick().empty()) startTicks.push_back(t);
    EXPECT_EQ(startTicks, (std::vector<int>{1, 13, 16, 21}));
}

}  // namespace
}  // namespace quillon
