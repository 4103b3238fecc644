#include <gtest/gtest.h>

#include <string>

#include "formats/MpegMarkers.h"

namespace quillon {
namespace {

TEST(MpegMarkers, MarkerReadLastComesFirst) {
    MpegMarkerList markers;
    markers.add("intro", 100);  // file order: intro, then loop
    markers.add("loop", 23000);
    EXPECT_EQ(GetMpegMarkerText(markers, 0), "!23000=loop!100=intro");
    EXPECT_EQ(GetMpegMarkerText(markers, 1), "");
}

TEST(MpegMarkers, PositionIsRelativeToItsSection) {
    MpegMarkerList markers;
    markers.add("drums", 30000);
    EXPECT_EQ(GetMpegMarkerText(markers, 0), "");
    EXPECT_EQ(GetMpegMarkerText(markers, 1), "!5808=drums");
    EXPECT_EQ(GetMpegMarkerText(markers, 2), "");
}

TEST(MpegMarkers, SpanEndsBeforeTheNextSectionsFirstSample) {
    MpegMarkerList markers;
    markers.add("last", 24191);
    markers.add("next", 24192);
    EXPECT_EQ(GetMpegMarkerText(markers, 0), "!24191=last");
    EXPECT_EQ(GetMpegMarkerText(markers, 1), "!0=next");
}

TEST(MpegMarkers, LateSectionsDoNotWrapAround) {
    MpegMarkerList markers;
    markers.add("end", 0xFFFFFFFFu);
    const int section = int(0xFFFFFFFFu / kMpegSectionSamples);
    EXPECT_EQ(GetMpegMarkerText(markers, section),
              "!" + std::to_string(0xFFFFFFFFu % kMpegSectionSamples) + "=end");
    EXPECT_EQ(GetMpegMarkerText(markers, section + 1), "");
    EXPECT_EQ(GetMpegMarkerText(markers, -1), "");
}

TEST(MpegMarkers, TextIsCutToSixteenCharacters) {
    MpegMarkerList markers;
    markers.add("abcdefghijklmnopqrst", 7);
    ASSERT_EQ(markers.markers().size(), 1u);
    EXPECT_EQ(markers.markers().front().text, "abcdefghijklmnop");
    EXPECT_EQ(GetMpegMarkerText(markers, 0), "!7=abcdefghijklmnop");
    markers.clear();
    EXPECT_TRUE(markers.empty());
}

TEST(MpegMarkers, DescriptionStaysWithin255AndLeavesOutWholeMarkers) {
    MpegMarkerList markers;
    // Each "!1000N=sixteen-chars---" entry is 23 characters; 11 fill 253.
    markers.add("tail", 20);  // read first, so it comes last
    for (int i = 0; i < 12; ++i)
        markers.add("sixteen-chars---", uint32_t(10000 + i));
    const std::string text = GetMpegMarkerText(markers, 0);
    EXPECT_EQ(text.size(), 253u);
    // The twelfth long marker does not fit and is left out whole...
    EXPECT_EQ(text.find("!10000="), std::string::npos);
    EXPECT_EQ(text.rfind("!10001=sixteen-chars---"), 253u - 23u);
    // ...and so is "!20=tail" (8 more would make 261).
    EXPECT_EQ(text.find("tail"), std::string::npos);

    // A marker that does not fit is skipped, and a shorter one after it still goes in.
    markers.clear();
    markers.add("ab", 3);                   // "!3=ab": 5
    markers.add("sixteen-chars---", 9999);  // "!9999=...": 22, does not fit
    markers.add("abcdefghijklmnop", 5);     // "!5=...": 19
    for (int i = 0; i < 10; ++i)
        markers.add("sixteen-chars---", uint32_t(10001 + i));  // 230
    const std::string mixed = GetMpegMarkerText(markers, 0);
    EXPECT_EQ(mixed.size(), 254u);
    EXPECT_EQ(mixed.find("!9999="), std::string::npos);
    EXPECT_TRUE(mixed.ends_with("!5=abcdefghijklmnop!3=ab")) << mixed;
}

}  // namespace
}  // namespace quillon
