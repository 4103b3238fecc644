#include <gtest/gtest.h>

#include "formats/MpegHeader.h"

namespace quillon {
namespace {

// Builds the header value from the fields, first byte 0xFF; `version` is the two
// bits 20 and 19 (3 = MPEG-1, 2 = MPEG-2, 0 = MPEG 2.5, 1 = reserved) and `layerBits`
// the two bits 18 and 17 (3 = layer I ... 1 = layer III).
uint32_t header(int version, int layerBits, int bitrateIndex, int rateIndex, int mode = 0) {
    const uint8_t b1 = uint8_t(0xE0 | (version << 3) | (layerBits << 1) | 1);
    const uint8_t b2 = uint8_t((bitrateIndex << 4) | (rateIndex << 2));
    const uint8_t b3 = uint8_t(mode << 6);
    return MpegHeaderValue(0xFF, b1, b2, b3);
}

constexpr int kMpeg1 = 3, kMpeg2 = 2, kMpeg25 = 0, kReservedVersion = 1;
constexpr int kLayer1 = 3, kLayer2 = 2, kLayer3 = 1;

// Both ends of every table; MPEG 2.5 and the reserved version take the MPEG-2
// tables; index 0 (free format) and 15 (forbidden) give no bitrate.
TEST(MpegHeader, BitrateComesFromTheTableOfItsVersionAndLayer) {
    struct Case {
        int version, layerBits, index;
        uint32_t kbits;
    };
    const Case cases[] = {
        {kMpeg1, kLayer1, 9, 288},
        {kMpeg1, kLayer1, 14, 448},
        {kMpeg1, kLayer2, 2, 48},
        {kMpeg1, kLayer2, 14, 384},
        {kMpeg1, kLayer3, 2, 40},
        {kMpeg1, kLayer3, 14, 320},
        {kMpeg2, kLayer1, 11, 176},
        {kMpeg2, kLayer1, 14, 256},
        {kMpeg2, kLayer2, 1, 8},
        {kMpeg2, kLayer2, 14, 160},
        {kMpeg2, kLayer3, 13, 144},
        {kMpeg25, kLayer2, 8, 64},
        {kReservedVersion, kLayer1, 9, 144},
        {kMpeg1, kLayer2, 0, 0},
        {kMpeg1, kLayer1, 15, 0},
        {kMpeg2, kLayer3, 15, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DecodeMpegHeader(header(c.version, c.layerBits, c.index, 0)).bitrate,
                  c.kbits * 1000)
            << c.version << " " << c.layerBits << " " << c.index;
}

// The rate follows bits 20 and 19 and the index; the reserved index 3 wraps
// round to the next table down, and bit 20 clear gives 11025 whatever follows.
TEST(MpegHeader, SampleRateFollowsThePositionRule) {
    struct Case {
        int version, rateIndex;
        uint32_t rate;
    };
    const Case cases[] = {
        {kMpeg1, 0, 44100},  {kMpeg1, 1, 48000},  {kMpeg1, 2, 32000},           {kMpeg1, 3, 22050},
        {kMpeg2, 0, 22050},  {kMpeg2, 1, 24000},  {kMpeg2, 2, 16000},           {kMpeg2, 3, 11025},
        {kMpeg25, 0, 11025}, {kMpeg25, 1, 11025}, {kReservedVersion, 2, 11025},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DecodeMpegHeader(header(c.version, kLayer2, 8, c.rateIndex)).sampleRate, c.rate)
            << c.version << " " << c.rateIndex;
}

TEST(MpegHeader, LayerBitsCountDownFromFour) {
    EXPECT_EQ(DecodeMpegHeader(header(kMpeg1, kLayer1, 1, 0)).layer, 1);
    EXPECT_EQ(DecodeMpegHeader(header(kMpeg1, kLayer2, 1, 0)).layer, 2);
    EXPECT_EQ(DecodeMpegHeader(header(kMpeg1, kLayer3, 1, 0)).layer, 3);
    // The reserved layer bits give layer 4, which has no bitrate table.
    const MpegHeaderInfo reserved = DecodeMpegHeader(header(kMpeg1, 0, 14, 0));
    EXPECT_EQ(reserved.layer, 4);
    EXPECT_EQ(reserved.bitrate, 0u);
}

TEST(MpegHeader, OnlySingleChannelModeIsMono) {
    EXPECT_EQ(DecodeMpegHeader(header(kMpeg1, kLayer2, 10, 0, 0)).channels, 2);  // stereo
    EXPECT_EQ(DecodeMpegHeader(header(kMpeg1, kLayer2, 10, 0, 1)).channels, 2);  // joint
    EXPECT_EQ(DecodeMpegHeader(header(kMpeg1, kLayer2, 10, 0, 2)).channels, 2);  // dual
    EXPECT_EQ(DecodeMpegHeader(header(kMpeg1, kLayer2, 10, 0, 3)).channels, 1);
}

TEST(MpegHeader, ValueHoldsTheFirstByteLowest) {
    // FF FD A0 04 in the file: MPEG-1 layer II, 192 kbit/s, 44100, stereo.
    EXPECT_EQ(MpegHeaderValue(0xFF, 0xFD, 0xA0, 0x04), 0x04A0FDFFu);
    EXPECT_EQ(DecodeMpegHeader(0x04A0FDFFu), (MpegHeaderInfo{2, 192000, 44100, 2}));
    // FF F5 84 C4: MPEG-2 layer II, 64 kbit/s, 24000, single channel.
    EXPECT_EQ(DecodeMpegHeader(MpegHeaderValue(0xFF, 0xF5, 0x84, 0xC4)),
              (MpegHeaderInfo{2, 64000, 24000, 1}));
}

TEST(MpegHeader, RowTextsAndFormatBlock) {
    const MpegHeaderInfo stereo = DecodeMpegHeader(MpegHeaderValue(0xFF, 0xFD, 0xA0, 0x04));
    EXPECT_EQ(GetMpegFormatText(stereo), "  16-bit 44 khz Stereo");
    EXPECT_EQ(GetMpegCompressionText(stereo), "Layer 2 - 192kb");
    EXPECT_EQ(GetMpegWaveFormat(stereo), (WaveFormatBlock{1, 2, 44100, 176400, 4, 16, 0}));

    const MpegHeaderInfo mono = DecodeMpegHeader(MpegHeaderValue(0xFF, 0xF5, 0x84, 0xC4));
    EXPECT_EQ(GetMpegFormatText(mono), "  16-bit 24 khz Mono");
    EXPECT_EQ(GetMpegCompressionText(mono), "Layer 2 - 64kb");
    EXPECT_EQ(GetMpegWaveFormat(mono), (WaveFormatBlock{1, 1, 24000, 48000, 2, 16, 0}));

    const MpegHeaderInfo slow = DecodeMpegHeader(header(kMpeg25, kLayer3, 1, 0, 3));
    EXPECT_EQ(GetMpegFormatText(slow), "  16-bit 11 khz Mono");
    EXPECT_EQ(GetMpegCompressionText(slow), "Layer 3 - 8kb");
}

}  // namespace
}  // namespace quillon
