// Which sections a music run plays, in what order: the rules alone, on sample
// tables built in memory.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "audio/MusicPlan.h"

namespace quillon {
namespace {

constexpr uint32_t kHeader = 0x04A0FDFF;  // an MPEG-1 layer II frame header value

// One letter per record: 'S' a section, 'W' a WAV sample, 'P' a WAV sample
// whose Play Type is set with its flag, 'B' a section whose bytes lie outside
// the wave data, '-' an empty slot.
SampleTable table(const std::string& layout) {
    SampleTable t;
    for (size_t i = 0; i < layout.size(); ++i) {
        ZQ_BankSample record;
        const char kind = layout[i];
        if (kind != '-') record.sampleNumber = uint32_t(i + 1);
        if (kind == 'S' || kind == 'B') record.playType = kHeader;
        if (kind == 'P') {
            record.playType = kPlayRestart;
            record.setFlags = kFlagPlayType;
        }
        t.records.push_back(record);
        t.playable.push_back(kind != 'B' && kind != '-');
    }
    return t;
}

// The tracks the cursor visits, at most `limit` of them.
std::vector<uint32_t> walk(const MusicPlan& plan, size_t limit = 20) {
    std::vector<uint32_t> tracks;
    MusicCursor cursor(plan);
    for (std::optional<size_t> at; tracks.size() < limit && (at = cursor.current());) {
        tracks.push_back(plan.sections[*at].track);
        cursor.advance();
    }
    return tracks;
}

TEST(MusicPlan, OnlyRecordsHoldingAFrameHeaderAreSections) {
    ZQ_BankSample record;
    EXPECT_FALSE(isMusicSection(record));
    record.playType = kFirstMpegDescriptor - 1;
    EXPECT_FALSE(isMusicSection(record));
    record.playType = kFirstMpegDescriptor;
    EXPECT_TRUE(isMusicSection(record));
    record.setFlags = kFlagPlayType;
    EXPECT_FALSE(isMusicSection(record)) << "with its flag the field is a play type";
}

TEST(MusicPlan, RunsFollowTheTrackWords) {
    struct Case {
        const char* name;
        const char* layout;
        MusicRequest request;
        std::vector<uint32_t> tracks;  // as walked; a run for ever is cut at 20
    };
    const Case cases[] = {
        {"once from the start", "SSS", {1, 1, 0, 0}, {1, 2, 3}},
        {"track 0 is track 1", "SSS", {0, 1, 0, 0}, {1, 2, 3}},
        {"from track 2", "SSS", {2, 1, 0, 0}, {2, 3}},
        {"twice", "SSS", {1, 2, 0, 0}, {1, 2, 3, 1, 2, 3}},
        {"later passes from the track", "SSS", {2, 3, 0, 0}, {2, 3, 2, 3, 2, 3}},
        {"loop track", "SSSS", {1, 3, 3, 0}, {1, 2, 3, 4, 3, 4, 3, 4}},
        {"loop track before the start", "SSS", {3, 2, 1, 0}, {3, 1, 2, 3}},
        {"last track", "SSSS", {1, 2, 0, 2}, {1, 2, 1, 2}},
        {"last track before the first: to the end", "SSS", {2, 1, 0, 1}, {2, 3}},
        {"loop track past the last: from the start", "SSSS", {1, 2, 4, 2}, {1, 2, 1, 2}},
        {"for ever", "SS", {1, 0, 0, 0}, {1, 2, 1, 2, 1, 2, 1, 2, 1, 2,
                                          1, 2, 1, 2, 1, 2, 1, 2, 1, 2}},
        {"samples stepped over", "WSPSW", {1, 1, 0, 0}, {2, 4}},
        {"a track on a sample starts at the next section", "SWSS", {2, 1, 0, 0}, {3, 4}},
        {"empty slots are no tracks", "S-S-S", {2, 1, 0, 0}, {2, 3}},
        {"unreadable sections stepped over", "SBS", {1, 1, 0, 0}, {1, 3}},
    };
    for (const Case& c : cases) {
        const std::optional<MusicPlan> plan = planMusic(table(c.layout), c.request);
        ASSERT_TRUE(plan) << c.name;
        EXPECT_EQ(walk(*plan), c.tracks) << c.name;
    }
}

TEST(MusicPlan, NothingToPlay) {
    struct Case {
        const char* name;
        const char* layout;
        uint32_t track;
    };
    const Case cases[] = {
        {"no records", "", 1},
        {"samples only", "WWP", 1},
        {"track past the last section", "SSW", 3},
        {"track past every record", "SS", 9},
        {"only unreadable sections", "BB", 1},
    };
    for (const Case& c : cases)
        EXPECT_FALSE(planMusic(table(c.layout), {c.track, 1, 0, 0})) << c.name;
}

TEST(MusicPlan, SectionsAreCountedInTheBankAndTheCursorSaysWhenAPassBegins) {
    const std::optional<MusicPlan> plan = planMusic(table("WSSWS"), {3, 2, 0, 0});
    ASSERT_TRUE(plan);
    ASSERT_EQ(plan->sections.size(), 3u);
    EXPECT_EQ(plan->sections[0].recordIndex, 1u);
    EXPECT_EQ(plan->sections[2].track, 5u);
    MusicCursor cursor(*plan);
    EXPECT_EQ(cursor.current(), 1u);  // track 3, the second section
    EXPECT_EQ(cursor.pass(), 1u);
    EXPECT_FALSE(cursor.advance());
    EXPECT_TRUE(cursor.advance()) << "back to the loop section";
    EXPECT_EQ(cursor.pass(), 2u);
    EXPECT_EQ(cursor.current(), 1u);
    cursor.finish();
    EXPECT_FALSE(cursor.current());
    EXPECT_FALSE(MusicCursor().current()) << "a cursor of no plan";
}

}  // namespace
}  // namespace quillon
