// MPEG frame headers decoded, and the labels in the Descriptions of music sections.
#include <gtest/gtest.h>

#include <string>

#include "formats/MpegHeader.h"
#include "formats/MpegMarkers.h"

namespace quillon {
namespace {

// Header bytes 2 to 4: version (0x18) and layer (0x06); bitrate index (0xF0) and
// rate index (0x0C); channel mode (0xC0).
TEST(MpegHeader, DecodesEachTableAndReservedValue) {
    const struct {
        const char* name;
        uint8_t b1, b2, b3;
        MpegHeaderInfo info;
    } cases[] = {
        {"Mpeg1Layer2Index10", 0xFD, 0xA0, 0x04, {2, 192000, 44100, 2}},
        {"Mpeg1Layer3Index2Rate48000", 0xFB, 0x24, 0x00, {3, 40000, 48000, 2}},
        {"Mpeg1ReservedRateWrapsTo22050", 0xFD, 0x8C, 0x00, {2, 128000, 22050, 2}},
        {"Mpeg2Layer2Index8Mono", 0xF5, 0x84, 0xC4, {2, 64000, 24000, 1}},
        {"Mpeg2Layer3ReservedRateWrapsTo11025", 0xF3, 0xDC, 0x00, {3, 144000, 11025, 2}},
        {"Mpeg25TakesMpeg2TableAnd11025", 0xE5, 0x84, 0x00, {2, 64000, 11025, 2}},
        {"ReservedVersionTakesMpeg2Table", 0xEF, 0x98, 0x00, {1, 144000, 11025, 2}},
        {"ReservedLayerIsFourWithoutBitrate", 0xF9, 0xE0, 0x00, {4, 0, 44100, 2}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DecodeMpegHeader(MpegHeaderValue(0xFF, c.b1, c.b2, c.b3)), c.info) << c.name;
}

TEST(MpegMarkers, EachSectionShowsItsMarkersLastReadFirst) {
    MpegMarkerList markers;
    markers.add("introduction-theme", 100);  // file order: intro, loop, ...; cut to 16
    markers.add("loop", 23000);
    markers.add("last", 24191);  // the last sample of section 0
    markers.add("next", 24192);
    markers.add("drums", 30000);
    markers.add("end", 0xFFFFFFFFu);
    EXPECT_EQ(GetMpegMarkerText(markers, 0), "!24191=last!23000=loop!100=introduction-the");
    EXPECT_EQ(GetMpegMarkerText(markers, 1), "!5808=drums!0=next");
    EXPECT_EQ(GetMpegMarkerText(markers, 2), "");
    const int lastSection = int(0xFFFFFFFFu / kMpegSectionSamples);
    EXPECT_EQ(GetMpegMarkerText(markers, lastSection),
              "!" + std::to_string(0xFFFFFFFFu % kMpegSectionSamples) + "=end");
    EXPECT_EQ(GetMpegMarkerText(markers, lastSection + 1), "");  // no wrap-around
    EXPECT_EQ(GetMpegMarkerText(markers, -1), "");
    markers.clear();
    EXPECT_TRUE(markers.empty());
}

TEST(MpegMarkers, DescriptionFillsUpTo255AndLeavesOutWholeMarkers) {
    MpegMarkerList markers;
    markers.add("", 3);                     // "!3=": 3 more make exactly 255
    markers.add("sixteen-chars---", 9998);  // 22 more would make 274: left out whole
    markers.add("sixteen-chars---", 9999);  // "!9999=sixteen-chars---": 22
    for (int i = 0; i < 10; ++i)
        markers.add("sixteen-chars---", uint32_t(10000 + i));  // 23 each
    const std::string text = GetMpegMarkerText(markers, 0);
    EXPECT_EQ(text.size(), 255u);
    EXPECT_TRUE(text.ends_with("!10000=sixteen-chars---!9999=sixteen-chars---!3=")) << text;
}

}  // namespace
}  // namespace quillon
