// What a record and the play options mean, and which sections a music run plays.
#include <gtest/gtest.h>

#include <limits>

#include "audio/AudioTestKit.h"
#include "audio/MusicPlan.h"
#include "audio/PlayRules.h"

namespace quillon {
namespace {

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
        ZQ_SamplePlayOptions options;
        options.Flags = optionFlags;
        options.Volume = volume;
        options.Pitch = pitch;
        options.LoopCount = loop;
        options.Behaviour = ZQ_PLAY_OBEY_PLAY_TYPE;
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
    ZQ_SamplePlayOptions overlap;
    overlap.Behaviour = ZQ_PLAY_VARY_PITCH;
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

}  // namespace
}  // namespace quillon
