// The Format and Compression cell texts and the property keys of a comment.
#include <gtest/gtest.h>

#include <sstream>

#include "formats/WavFile.h"
#include "support/WavBuilder.h"

namespace quillon {
namespace {

struct FormatTextCase {
    const char* name;
    uint16_t bits;
    uint32_t rate;
    uint16_t channels;
    const char* text;
};

class WavFormatTextTest : public ::testing::TestWithParam<FormatTextCase> {};

INSTANTIATE_TEST_SUITE_P(
    Cases, WavFormatTextTest,
    ::testing::Values(FormatTextCase{"Cd", 16, 44100, 2, "16-bit 44 khz Stereo"},
                      FormatTextCase{"EightBitGetsTwoBlanks", 8, 22050, 1, "  8-bit 22 khz Mono"},
                      FormatTextCase{"Rate11025", 16, 11025, 1, "16-bit 11 khz Mono"},
                      FormatTextCase{"SixChannelsShowStereo", 24, 48000, 6, "24-bit 48 khz Stereo"},
                      FormatTextCase{"ZeroChannelsShowStereo", 16, 8000, 0, "16-bit 8 khz Stereo"},
                      FormatTextCase{"AdpcmFourBits", 4, 11025, 1, "  4-bit 11 khz Mono"},
                      FormatTextCase{"NineIsBelowTen", 9, 1000, 1, "  9-bit 1 khz Mono"},
                      FormatTextCase{"TenHasNoBlanks", 10, 999, 1, "10-bit 0 khz Mono"},
                      FormatTextCase{"LargestRateIsUnsigned", 65535, 0xFFFFFFFF, 2,
                                     "65535-bit 4294967 khz Stereo"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_P(WavFormatTextTest, Text) {
    const FormatTextCase& c = GetParam();
    WaveFormatBlock format = test::pcmFormat(c.channels, c.rate, c.bits);
    EXPECT_EQ(GetWavFormatText(format), c.text);
}

TEST(WavCompressionTextTest, KnownTagsAndEverythingElse) {
    EXPECT_EQ(GetWavCompressionText(1), "None");
    EXPECT_EQ(GetWavCompressionText(2), "Microsoft ADPCM");
    for (uint16_t tag : {0, 3, 17, 80, 85, 0xFFFE, 0xFFFF})
        EXPECT_EQ(GetWavCompressionText(tag), "Unknown") << tag;
}

// --- Comment keys -----------------------------------------------------------------

// The present properties in declaration order, e.g. "priority=5 minDist=2.5".
std::string describe(const WavCommentKeys& keys) {
    std::ostringstream text;
    auto put = [&text](const char* name, const auto& value) {
        if (value) text << (text.tellp() > 0 ? " " : "") << name << "=" << *value;
    };
    put("priority", keys.priority);
    put("group", keys.group);
    put("atmosGroup", keys.atmosGroup);
    put("pitch", keys.pitch);
    put("pitchVariation", keys.pitchVariation);
    put("pan", keys.pan);
    put("volume", keys.volume);
    put("userParam", keys.userParam);
    put("loopCount", keys.loopCount);
    put("xPos", keys.xPos);
    put("yPos", keys.yPos);
    put("zPos", keys.zPos);
    put("minDist", keys.minDist);
    put("maxDist", keys.maxDist);
    put("scale", keys.scale);
    put("playType", keys.playType);
    put("atmos", keys.atmos);
    return text.str();
}

struct CommentCase {
    const char* name;
    const char* comment;
    const char* keys;  // as describe() gives them
};

class WavCommentKeysTest : public ::testing::TestWithParam<CommentCase> {};

INSTANTIATE_TEST_SUITE_P(
    Cases, WavCommentKeysTest,
    ::testing::Values(
        CommentCase{"EveryKeyFillsItsOwnProperty",
                    "ZQ_PRIORITY=1 ZQ_GROUP=2 ZQ_ATMOS_GROUP=3 ZQ_PITCH=4 ZQ_PITCH_VAR=5 ZQ_PAN=6 "
                    "ZQ_VOLUME=7 ZQ_USER_PARAM=8 ZQ_LOOP_COUNT=9 ZQ_3D_X_POS=10 ZQ_3D_Y_POS=11 "
                    "ZQ_3D_Z_POS=12 ZQ_MIN_DIST=13.5 ZQ_MAX_DIST=14.25 ZQ_SCALE=15 "
                    "ZQ_PLAYBACK_TYPE=3 ZQ_ATMOS_WHEN=17",
                    "priority=1 group=2 atmosGroup=3 pitch=4 pitchVariation=5 pan=6 volume=7 "
                    "userParam=8 loopCount=9 xPos=10 yPos=11 zPos=12 minDist=13.5 "
                    "maxDist=14.25 scale=15 playType=3 atmos=17"},
        CommentCase{"Empty", "", ""}, CommentCase{"NoKeys", "Recorded at the docks, take 3", ""},
        CommentCase{"Example", "ZQ_PRIORITY=5 ZQ_VOLUME=100 ZQ_MIN_DIST=2.5",
                    "priority=5 volume=100 minDist=2.5"},
        CommentCase{"NoDigitsGiveZeroNotAbsent", "ZQ_PRIORITY=abc", "priority=0"},
        CommentCase{"LongerKeyDoesNotFeedShorter", "ZQ_PITCH_VAR=7", "pitchVariation=7"},
        CommentCase{"BothPitchKeys", "ZQ_PITCH_VAR=7 ZQ_PITCH=3", "pitch=3 pitchVariation=7"},
        CommentCase{"AtmosGroupIsNotGroup", "ZQ_ATMOS_GROUP=4", "atmosGroup=4"},
        CommentCase{"PositionsTakeTheirOwnValue", "ZQ_3D_X_POS=-12 ZQ_3D_Y_POS=+4 ZQ_3D_Z_POS=  9",
                    "xPos=-12 yPos=4 zPos=9"},
        CommentCase{"ShortPositionNamesAreNotKeys", "ZQ_X_POS=5 ZQ_Y_POS=6 ZQ_Z_POS=7", ""},
        CommentCase{"KeyNeedsItsEqualsSign", "ZQ_PRIORITY =5 ZQ_GROUP", ""},
        CommentCase{"KeysAreCaseSensitive", "zq_priority=5", ""},
        CommentCase{"KeysRunTogether", "ZQ_PRIORITY=5ZQ_GROUP=2x", "priority=5 group=2"},
        CommentCase{"FirstOccurrenceWins", "ZQ_PAN=1;ZQ_PAN=2", "pan=1"},
        CommentCase{"RealsWithExponentAndBareFraction", "ZQ_MAX_DIST=1e3 ZQ_MIN_DIST=.5",
                    "minDist=0.5 maxDist=1000"},
        CommentCase{"RealWithoutDigits", "ZQ_MIN_DIST=-", "minDist=0"},
        CommentCase{"IntegerStopsAtFraction", "ZQ_SCALE=12.9", "scale=12"},
        CommentCase{"KeyAtEndWithoutValue", "text ZQ_VOLUME=", "volume=0"},
        CommentCase{"OverflowIsClamped", "ZQ_VOLUME=99999999999 ZQ_PAN=-99999999999",
                    "pan=-2147483648 volume=2147483647"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_P(WavCommentKeysTest, Keys) {
    EXPECT_EQ(describe(ParseWavCommentKeys(GetParam().comment)), GetParam().keys);
}

TEST(WavCommentKeysTest, KeyBeyondTheCommentFieldIsNotSeen) {
    std::string comment(250, ' ');
    comment += "ZQ_PRIORITY=5";  // starts inside the 255 characters, ends beyond them
    test::PcmWavSpec spec;
    spec.comment = comment;
    WavReadResult result = ReadWavBytes(test::makePcmWav(spec), true);
    ASSERT_TRUE(result.ok());
    EXPECT_EQ(result.info().comment.size(), kWavInfoTextMaxChars);
    EXPECT_FALSE(ParseWavCommentKeys(result.info().comment).priority);
}

}  // namespace
}  // namespace quillon
