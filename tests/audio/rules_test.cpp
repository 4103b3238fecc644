// What a record and the play options mean, which sections a music run plays, and registering
// banks: no sample table leads a read out of bounds.
#include <gtest/gtest.h>
#include <unistd.h>

#include <limits>

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
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

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
    record.minDist = record.zPos = kNaN;
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
    test::writeFileBytes(path, Bytes(100, 'x'));
    EXPECT_EQ(system.ZQBankRegister(path.c_str(), 0, &error), nullptr);
    EXPECT_EQ(error, ZQBankError::OpenFailed) << "not a container";
    EXPECT_EQ(system.ZQBankRegister("", 0, &error), nullptr);
    EXPECT_EQ(error, ZQBankError::NoPath);
    EXPECT_EQ(system.ZQBankRegister(nullptr, 0, &error), nullptr);
}

// A count word promising more records than the table holds: the whole ones register.
TEST(BankRegister, TableCutShortRegistersItsWholeRecordsAndSaysHowManyAreMissing) {
    test::TempFolder folder;
    ZQ_AudioSystem system;
    const std::string path = folder.file("cut.sad");
    ASSERT_TRUE(test::writeBankWithTableCutShort(path));
    std::vector<std::string> logged;
    ZQLogSetObserver([&](const ZQLogRecord& line) { logged.push_back(line.Text); });
    ZQBankError error = ZQBankError::Ok;
    ZQ_AudioBank* handle = system.ZQBankRegister(path.c_str(), 0, &error);
    ZQLogSetObserver({});
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(error, ZQBankError::RecordsMissing);
    ASSERT_EQ(handle->ZQGetBankSampleCount(), test::kCutShortWhole);
    EXPECT_EQ(handle->ZQGetFirstBankSample()[1].path, "/snd/x2.wav");
    const std::string missing = "2 records of the sample table could not be read";
    EXPECT_EQ(handle->ZQGetErrorText(), missing);
    EXPECT_EQ(logged, std::vector<std::string>{path + " - " + missing});
}

}  // namespace
}  // namespace quillon
