// What a record and the play options mean, before any sound is made.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "audio/AudioTestKit.h"
#include "audio/PlayRules.h"

namespace quillon {
namespace {

using test::playableRecord;

ZQ_SamplePlayOptions plainOptions() {
    return ZQ_SamplePlayOptions{};
}

TEST(VolumeCurve, IsTheSquareOfTheVolumeOver127) {
    struct Case {
        int volume;
        float gain;
    };
    const Case cases[] = {{0, 0.0f},   {127, 1.0f}, {64, 0.2539525f},
                          {200, 1.0f}, {-5, 0.0f},  {1, 0.0000620001f}};
    for (const Case& c : cases)
        EXPECT_NEAR(volumeGain(c.volume), c.gain, 1e-7) << c.volume;
    // 64 of 127 is about 11.9 dB down.
    EXPECT_NEAR(20 * std::log10(volumeGain(64)), -11.91, 0.01);
}

TEST(PlayOptions, ReplaceOnlyTheFlaggedValues) {
    struct Case {
        const char* name;
        uint32_t recordFlags;
        uint32_t optionFlags;
        int expectedVolume, expectedPitch, expectedLoop;
    };
    const Case cases[] = {
        {"nothing set plays full, at the recorded rate, once", 0, 0, 127, 100, 0},
        {"record values", kFlagVolume | kFlagPitch | kFlagLoop, 0, 50, 150, 3},
        {"option values win", kFlagVolume | kFlagPitch | kFlagLoop, 0xFFF, 90, 120, 2},
        {"only the volume bit", kFlagVolume | kFlagPitch | kFlagLoop, kFlagVolume, 90, 150, 3},
        {"options without record values", 0, kFlagPitch | kFlagLoop, 127, 120, 2},
    };
    for (const Case& c : cases) {
        ZQ_BankSample record = playableRecord();
        record.setFlags = c.recordFlags;
        record.volume = 50;
        record.pitch = 150;
        record.loopCount = 3;
        ZQ_SamplePlayOptions options;
        options.Flags = c.optionFlags;
        options.Volume = 90;
        options.Pitch = 120;
        options.LoopCount = 2;
        std::mt19937 random(1);
        const VoiceSettings v = resolveVoiceSettings(record, options, random);
        EXPECT_EQ(v.volume, c.expectedVolume) << c.name;
        EXPECT_EQ(v.pitch, c.expectedPitch) << c.name;
        EXPECT_EQ(v.loopCount, c.expectedLoop) << c.name;
    }
}

TEST(PlayOptions, OutOfRangeValuesAreClamped) {
    ZQ_BankSample record = playableRecord();
    ZQ_SamplePlayOptions options;
    options.Flags = kFlagVolume | kFlagPitch | kFlagLoop;
    std::mt19937 random(1);
    struct Case {
        int volume, pitch, loop;
        int expectedVolume, expectedPitch, expectedLoop;
    };
    const Case cases[] = {{300, 5000, -1, 127, 1000, -1},
                          {-3, 0, -7, 0, 1, 0},
                          {127, std::numeric_limits<int32_t>::min(), 9999, 127, 1, 9999}};
    for (const Case& c : cases) {
        options.Volume = c.volume;
        options.Pitch = c.pitch;
        options.LoopCount = c.loop;
        const VoiceSettings v = resolveVoiceSettings(record, options, random);
        EXPECT_EQ(v.volume, c.expectedVolume);
        EXPECT_EQ(v.pitch, c.expectedPitch);
        EXPECT_EQ(v.loopCount, c.expectedLoop);
    }
}

TEST(PitchVariation, StaysWithinPlusMinusAndReachesBothEnds) {
    ZQ_BankSample record = playableRecord();
    record.setFlags = kFlagPitch;
    record.pitch = 100;
    record.pitchVariation = 10;
    std::mt19937 random(7);
    int lowest = 1000, highest = 0;
    for (int i = 0; i < 2000; ++i) {
        const int pitch = resolveVoiceSettings(record, plainOptions(), random).pitch;
        lowest = std::min(lowest, pitch);
        highest = std::max(highest, pitch);
    }
    EXPECT_EQ(lowest, 90);
    EXPECT_EQ(highest, 110);

    ZQ_SamplePlayOptions exact;
    exact.Behaviour = ZQ_PLAY_OBEY_PLAY_TYPE;
    EXPECT_EQ(resolveVoiceSettings(record, exact, random).pitch, 100);
}

TEST(PitchVariation, NeverGoesBelowTheLowestPitch) {
    ZQ_BankSample record = playableRecord();
    record.setFlags = kFlagPitch;
    record.pitch = 5;
    record.pitchVariation = 100;
    std::mt19937 random(3);
    for (int i = 0; i < 500; ++i)
        EXPECT_GE(resolveVoiceSettings(record, plainOptions(), random).pitch, kMinPitch);
}

TEST(Placement, FollowsPanPositionAndTheSpatialWord) {
    std::mt19937 random(1);
    ZQ_BankSample record = playableRecord();
    EXPECT_EQ(resolveVoiceSettings(record, plainOptions(), random).placement, Placement::Centre);

    record.setFlags = kFlagPan;
    record.pan = 0;
    VoiceSettings v = resolveVoiceSettings(record, plainOptions(), random);
    EXPECT_EQ(v.placement, Placement::Panned);
    EXPECT_NEAR(v.position[0], -1.0f, 1e-6);

    record.setFlags = kFlagPan | kFlagZPos;
    record.zPos = 5;
    v = resolveVoiceSettings(record, plainOptions(), random);
    EXPECT_EQ(v.placement, Placement::Positioned) << "a position wins over the pan";
    EXPECT_FLOAT_EQ(v.position[2], -5.0f) << "+Z is ahead, OpenAL's -Z";

    ZQ_SamplePlayOptions flat;
    flat.Spatial = 0;
    EXPECT_EQ(resolveVoiceSettings(record, flat, random).placement, Placement::Centre);
}

TEST(Placement, PanPointsGoRoundTheFront) {
    struct Case {
        int pan;
        float x, z;
    };
    const Case cases[] = {{0, -1, 0}, {90, 0, -1}, {180, 1, 0}, {-40, -1, 0}, {400, 1, 0}};
    for (const Case& c : cases) {
        const auto p = panPosition(c.pan);
        EXPECT_NEAR(p[0], c.x, 1e-6) << c.pan;
        EXPECT_NEAR(p[2], c.z, 1e-6) << c.pan;
    }
}

TEST(Placement, DistancesAndScaleIgnoreUnusableValues) {
    std::mt19937 random(1);
    ZQ_BankSample record = playableRecord();
    record.setFlags = kFlagXPos | kFlagMinDist | kFlagMaxDist | kFlagScale;
    record.minDist = 4;
    record.maxDist = 2;  // below Min Dist: raised to it
    record.scale = 0.5f;
    VoiceSettings v = resolveVoiceSettings(record, plainOptions(), random);
    EXPECT_FLOAT_EQ(v.referenceDistance, 4);
    EXPECT_FLOAT_EQ(v.maxDistance, 4);
    EXPECT_FLOAT_EQ(v.rolloff, 0.5f);

    record.minDist = std::numeric_limits<float>::quiet_NaN();
    record.maxDist = -1;
    record.scale = std::numeric_limits<float>::infinity();
    record.xPos = std::numeric_limits<float>::quiet_NaN();
    v = resolveVoiceSettings(record, plainOptions(), random);
    EXPECT_FLOAT_EQ(v.referenceDistance, 1);
    EXPECT_EQ(v.maxDistance, std::numeric_limits<float>::max());
    EXPECT_FLOAT_EQ(v.rolloff, 1);
    EXPECT_FLOAT_EQ(v.position[0], 0);
}

TEST(PlayType, AppliesOnlyWithItsFlagAndTheBehaviourBit) {
    struct Case {
        uint32_t flags, playType, behaviour, expected;
    };
    const Case cases[] = {
        {kFlagPlayType, kPlayOnce, 3, kPlayOnce},
        {kFlagPlayType, kPlayRestart, 3, kPlayRestart},
        {0, kPlayOnce, 3, kPlayOverlap},              // no flag: an MPEG descriptor or 0
        {kFlagPlayType, 7, 3, kPlayOverlap},          // not a play type
        {kFlagPlayType, kPlayOnce, 2, kPlayOverlap},  // behaviour says always overlap
    };
    std::mt19937 random(1);
    for (const Case& c : cases) {
        ZQ_BankSample record = playableRecord();
        record.setFlags = c.flags;
        record.playType = c.playType;
        ZQ_SamplePlayOptions options;
        options.Behaviour = c.behaviour;
        EXPECT_EQ(resolveVoiceSettings(record, options, random).playType, c.expected);
    }
}

TEST(Priority, OneIsMostImportantAndUnsetIsLeast) {
    EXPECT_EQ(priorityRank(1), 1u);
    EXPECT_EQ(priorityRank(9999), 9999u);
    EXPECT_EQ(priorityRank(0), kLeastImportantRank);
    EXPECT_LT(priorityRank(50000), kLeastImportantRank);
}

TEST(LoopRegion, IsUsedOnlyInsideTheSample) {
    struct Case {
        int32_t start, end;
        uint32_t frames;
        bool valid;
    };
    const Case cases[] = {{0, 99, 100, true},   {10, 10, 100, true},  {-1, -1, 100, false},
                          {50, 10, 100, false}, {0, 100, 100, false}, {-5, 20, 100, false},
                          {99, 99, 100, true}};
    for (const Case& c : cases) {
        ZQ_BankSample record = playableRecord();
        record.loopStart = c.start;
        record.loopEnd = c.end;
        EXPECT_EQ(recordLoopRegion(record, c.frames).has_value(), c.valid)
            << c.start << ".." << c.end;
    }
}

}  // namespace
}  // namespace quillon
