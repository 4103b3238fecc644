#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <memory>
#include <random>

#include "formats/MpegSplitter.h"
#include "support/MpegReferenceSplit.h"
#include "support/TempFolder.h"

namespace quillon {
namespace {

using test::HeaderBytes;
using test::kMpeg1Layer2Header;
using test::makeFrames;

constexpr size_t kFrame = 626;  // bytes of a kMpeg1Layer2Header frame

struct SplitOutcome {
    MpegSplitResult result;
    std::vector<MpegSection> sections;  // as handed to the handler
    std::vector<std::vector<uint8_t>> bytes;
};

SplitOutcome splitInMemory(const std::vector<uint8_t>& stream, size_t blockBytes = 1 << 20) {
    MpegMemorySource source(stream, "music.mp2");
    test::MemorySectionSink sink;
    SplitOutcome out;
    out.result = SplitMpegStream(
        source, sink, [&](const MpegSection& s) { out.sections.push_back(s); }, {blockBytes});
    out.bytes = sink.sections;
    return out;
}

std::vector<uint8_t> slice(const std::vector<uint8_t>& v, size_t from, size_t count) {
    return std::vector<uint8_t>(v.begin() + long(from), v.begin() + long(from + count));
}

uint32_t valueOf(const HeaderBytes& h) {
    return MpegHeaderValue(h[0], h[1], h[2], h[3]);
}

TEST(MpegSplitter, FortyFiveFramesGiveTwentyOneTwentyOneAndThree) {
    test::TempFolder folder;
    const std::vector<uint8_t> stream = makeFrames(45);
    test::writeFileBytes(folder.file("music.mp2"), stream);
    std::unique_ptr<FileByteSource> file = FileByteSource::open(folder.file("music.mp2"));
    ASSERT_TRUE(file);
    MpegRangeSource source(*file, 0, stream.size(), folder.file("music.mp2"));
    std::vector<MpegSection> sections;
    MpegSplitResult result = SplitMpegStream(source, folder.path(),
                                             [&](const MpegSection& s) { sections.push_back(s); });

    ASSERT_TRUE(result.ok()) << result.message;
    EXPECT_EQ(result.sectionCount, 3);
    const size_t frames[] = {21, 21, 3};
    const char* names[] = {"sect0000.mpg", "sect0001.mpg", "sect0002.mpg"};
    ASSERT_EQ(sections.size(), 3u);
    size_t offset = 0;
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(sections[i].index, i);
        EXPECT_EQ(sections[i].path, folder.file(names[i]));
        EXPECT_EQ(sections[i].length, frames[i] * kFrame);
        EXPECT_EQ(sections[i].headerValue, valueOf(kMpeg1Layer2Header));
        EXPECT_EQ(test::readFileBytes(sections[i].path), slice(stream, offset, frames[i] * kFrame));
        struct stat st {};
        ASSERT_EQ(::stat(sections[i].path.c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, 0600u);
        offset += frames[i] * kFrame;
    }
}

TEST(MpegSplitter, JunkBeforeTheFirstHeaderIsDropped) {
    // Junk with 0xFF bytes that start no header (the byte after is below 0xF0).
    std::vector<uint8_t> junk = {0x00, 0x12, 0xFF, 0xEF, 0x49, 0x44, 0x33, 0xFF, 0x00, 0x7F};
    std::vector<uint8_t> stream = junk;
    const std::vector<uint8_t> frames = makeFrames(22);
    stream.insert(stream.end(), frames.begin(), frames.end());

    const SplitOutcome out = splitInMemory(stream);
    ASSERT_TRUE(out.result.ok());
    ASSERT_EQ(out.bytes.size(), 2u);
    EXPECT_EQ(out.bytes[0], slice(frames, 0, 21 * kFrame));
    EXPECT_EQ(out.bytes[1], slice(frames, 21 * kFrame, kFrame));
    EXPECT_EQ(out.sections[0].length, 21 * kFrame);
}

struct OddFrameCase {
    const char* name;
    HeaderBytes odd;  // the header of frame 5 of 30
    bool counts;      // whether it counts as one of the stream's frames
};

class MpegSplitterOddFrame : public ::testing::TestWithParam<OddFrameCase> {};

TEST_P(MpegSplitterOddFrame, CountsOnlyWhenTheFirstThreeBytesMatchButPadding) {
    const OddFrameCase& c = GetParam();
    std::vector<uint8_t> stream;
    uint32_t seed = 7;
    std::vector<size_t> starts;
    for (int i = 0; i < 30; ++i) {
        starts.push_back(stream.size());
        test::appendFrame(stream, i == 5 ? c.odd : kMpeg1Layer2Header, seed);
    }
    const SplitOutcome out = splitInMemory(stream);
    ASSERT_TRUE(out.result.ok());
    ASSERT_EQ(out.bytes.size(), 2u);
    // A counted odd frame is one of the 21; an uncounted one rides along inside section 0.
    const size_t cut = starts[c.counts ? 21 : 22];
    EXPECT_EQ(out.bytes[0], slice(stream, 0, cut));
    EXPECT_EQ(out.bytes[1], slice(stream, cut, stream.size() - cut));
}

INSTANTIATE_TEST_SUITE_P(
    Headers, MpegSplitterOddFrame,
    ::testing::Values(OddFrameCase{"padding_bit_set", {0xFF, 0xFD, 0xA2, 0x04}, true},
                      OddFrameCase{"fourth_byte_differs", {0xFF, 0xFD, 0xA0, 0xC9}, true},
                      OddFrameCase{"other_bitrate_index", {0xFF, 0xFD, 0xB0, 0x04}, false},
                      OddFrameCase{"other_rate_index", {0xFF, 0xFD, 0xA4, 0x04}, false},
                      OddFrameCase{"private_bit_differs", {0xFF, 0xFD, 0xA1, 0x04}, false},
                      OddFrameCase{"crc_bit_differs", {0xFF, 0xFC, 0xA0, 0x04}, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(MpegSplitter, SectionCarriesTheHeaderThatEndedItAndTheLastOneTheLastHeader) {
    std::vector<uint8_t> stream;
    uint32_t seed = 3;
    const HeaderBytes padded = {0xFF, 0xFD, 0xA2, 0x04};
    const HeaderBytes joint = {0xFF, 0xFD, 0xA0, 0x44};
    const HeaderBytes single = {0xFF, 0xFD, 0xA0, 0xC4};
    for (int i = 0; i < 30; ++i)
        test::appendFrame(stream, i == 21 ? padded : i == 29 ? joint : kMpeg1Layer2Header, seed);
    test::appendFrame(stream, {0xFF, 0xFD, 0xB0, single[3]}, seed);  // not counted
    const SplitOutcome out = splitInMemory(stream);
    ASSERT_EQ(out.sections.size(), 2u);
    EXPECT_EQ(out.sections[0].headerValue, valueOf(padded));
    EXPECT_EQ(out.sections[1].headerValue, valueOf(joint));
}

TEST(MpegSplitter, StreamWithoutHeadersFailsAndAddsNothing) {
    for (const std::vector<uint8_t>& stream :
         {std::vector<uint8_t>{}, std::vector<uint8_t>{0xFF}, std::vector<uint8_t>(5000, 0x55),
          std::vector<uint8_t>{0x00, 0xFF, 0xEF, 0xFF}}) {
        const SplitOutcome out = splitInMemory(stream);
        EXPECT_EQ(out.result.error, MpegSplitError::kNoFrames);
        EXPECT_EQ(out.result.message, "couldn't find MPEG audio frames in music.mp2");
        EXPECT_TRUE(out.sections.empty());
    }
}

TEST(MpegSplitter, HeaderCutShortAtTheEndReadsMissingBytesAsZero) {
    // FF F? at the very end is a header with zero third and fourth bytes; it opens a section.
    const SplitOutcome out = splitInMemory({0x01, 0xFF, 0xF3});
    ASSERT_TRUE(out.result.ok());
    ASSERT_EQ(out.sections.size(), 1u);
    EXPECT_EQ(out.sections[0].headerValue, MpegHeaderValue(0xFF, 0xF3, 0, 0));
    EXPECT_EQ(out.bytes[0], (std::vector<uint8_t>{0xFF, 0xF3}));

    const SplitOutcome three = splitInMemory({0xFF, 0xFD, 0xA0});
    ASSERT_EQ(three.sections.size(), 1u);
    EXPECT_EQ(three.sections[0].headerValue, MpegHeaderValue(0xFF, 0xFD, 0xA0, 0));
}

TEST(MpegSplitter, ByteAfterAnFFIsTakenEvenWhenAHeaderStartsThere) {
    // FF FF FD A0 04: the second FF goes with the first, so the header at byte 1 is
    // not seen; the pair FF FF is a header of its own that does not match.
    std::vector<uint8_t> stream = makeFrames(21);
    const std::vector<uint8_t> hidden = {0xFF, 0xFF, 0xFD, 0xA0, 0x04, 0x00};
    stream.insert(stream.end(), hidden.begin(), hidden.end());
    const std::vector<uint8_t> more = makeFrames(1);
    stream.insert(stream.end(), more.begin(), more.end());
    const SplitOutcome out = splitInMemory(stream);
    ASSERT_EQ(out.bytes.size(), 2u);
    EXPECT_EQ(out.bytes[0].size(), 21 * kFrame + hidden.size());
    EXPECT_EQ(out.bytes[1], more);
}

TEST(MpegSplitter, MatchesTheByteByByteRuleOnRandomStreams) {
    std::mt19937 random(20240607);
    const std::vector<HeaderBytes> headers = {kMpeg1Layer2Header,
                                              {0xFF, 0xFD, 0xA2, 0x04},
                                              {0xFF, 0xFD, 0xA0, 0xC4},
                                              {0xFF, 0xFD, 0xB0, 0x04},
                                              {0xFF, 0xF5, 0x84, 0xC4}};
    for (int round = 0; round < 300; ++round) {
        // Short frames make many sections; junk, loose FF bytes and cut headers in between.
        std::vector<uint8_t> stream;
        const int pieces = int(random() % 200);
        for (int i = 0; i < pieces; ++i) {
            switch (random() % 6) {
                case 0:
                case 1: {
                    const HeaderBytes& h = headers[random() % headers.size()];
                    stream.insert(stream.end(), h.begin(), h.end());
                    stream.insert(stream.end(), random() % 12, uint8_t(random() % 0xFF));
                    break;
                }
                case 2:
                    stream.push_back(0xFF);
                    break;
                case 3:
                    stream.push_back(uint8_t(0xF0 | (random() & 15)));
                    break;
                default:
                    stream.push_back(uint8_t(random()));
                    break;
            }
        }
        std::vector<test::ReferenceSection> expected = test::referenceSplit(stream);
        for (size_t block :
             {size_t(1), size_t(2), size_t(3), size_t(4), size_t(5), size_t(17), size_t(1) << 20}) {
            SCOPED_TRACE(testing::Message() << "round " << round << " block " << block);
            const SplitOutcome out = splitInMemory(stream, block);
            ASSERT_EQ(out.result.ok(), !expected.empty());
            ASSERT_EQ(out.sections.size(), expected.size());
            for (size_t i = 0; i < expected.size(); ++i) {
                ASSERT_EQ(out.bytes[i], expected[i].bytes);
                ASSERT_EQ(out.sections[i].headerValue, expected[i].headerValue);
                ASSERT_EQ(out.sections[i].length, expected[i].bytes.size());
            }
        }
    }
}

TEST(MpegSplitter, ReadsOnlyTheGivenRangeOfTheFile) {
    test::TempFolder folder;
    const std::vector<uint8_t> frames = makeFrames(25);
    std::vector<uint8_t> file(100, 0x11);  // as if a WAV file's chunks came first
    file.insert(file.end(), frames.begin(), frames.end());
    const std::vector<uint8_t> after = makeFrames(3, {0xFF, 0xFD, 0xA0, 0x04}, 99);
    file.insert(file.end(), after.begin(), after.end());
    test::writeFileBytes(folder.file("in.wav"), file);
    std::unique_ptr<FileByteSource> source = FileByteSource::open(folder.file("in.wav"));
    ASSERT_TRUE(source);

    MpegRangeSource range(*source, 100, frames.size(), "in.wav");
    std::vector<MpegSection> sections;
    MpegSplitResult result = SplitMpegStream(
        range, folder.path(), [&](const MpegSection& s) { sections.push_back(s); }, {4096});
    ASSERT_TRUE(result.ok());
    ASSERT_EQ(sections.size(), 2u);
    EXPECT_EQ(sections[1].length, 4 * kFrame);

    // A declared length past the file's end ends the stream at the end of the file.
    MpegRangeSource longer(*source, 100, 1u << 30, "in.wav");
    test::MemorySectionSink sink;
    ASSERT_TRUE(SplitMpegStream(longer, sink, nullptr).ok());
    ASSERT_EQ(sink.sections.size(), 2u);
    EXPECT_EQ(sink.sections[1].size(), 7 * kFrame);
}

TEST(MpegSplitter, OverwritesAnEarlierSectionFile) {
    test::TempFolder folder;
    test::writeFileBytes(folder.file("sect0000.mpg"), std::vector<uint8_t>(90000, 1));
    const std::vector<uint8_t> stream = makeFrames(2);
    MpegMemorySource source(stream, "x.mp2");
    ASSERT_TRUE(SplitMpegStream(source, folder.path(), nullptr).ok());
    EXPECT_EQ(test::readFileBytes(folder.file("sect0000.mpg")), stream);
}

TEST(MpegSplitter, SectionFileThatCannotBeCreatedUndoesTheImport) {
    test::TempFolder folder;
    // A link planted under the third section's name is refused, not followed.
    const std::string target = folder.file("elsewhere");
    test::writeFileBytes(target, {1, 2, 3});
    ASSERT_EQ(::symlink(target.c_str(), folder.file("sect0002.mpg").c_str()), 0);

    const std::vector<uint8_t> stream = makeFrames(60);
    MpegMemorySource source(stream, "x.mp2");
    int calls = 0;
    MpegSplitResult result =
        SplitMpegStream(source, folder.path(), [&](const MpegSection&) { ++calls; });
    EXPECT_EQ(result.error, MpegSplitError::kCreateFailed);
    EXPECT_EQ(result.message, "couldn't create section file " + folder.file("sect0002.mpg"));
    EXPECT_EQ(calls, 0);
    EXPECT_FALSE(test::fileExists(folder.file("sect0000.mpg")));
    EXPECT_FALSE(test::fileExists(folder.file("sect0001.mpg")));
    EXPECT_EQ(test::readFileBytes(target), (std::vector<uint8_t>{1, 2, 3}));

    MpegMemorySource again(stream, "x.mp2");
    MpegSplitResult missing = SplitMpegStream(again, folder.file("no-such-folder"), nullptr);
    EXPECT_EQ(missing.message,
              "couldn't create section file " + folder.file("no-such-folder/sect0000.mpg"));
}

TEST(MpegSplitter, WriteFailureRemovesTheSections) {
    const std::vector<uint8_t> stream = makeFrames(50);
    MpegMemorySource source(stream, "x.mp2");
    test::MemorySectionSink sink;
    sink.failWriteAt = 1;
    int calls = 0;
    MpegSplitResult result = SplitMpegStream(source, sink, [&](const MpegSection&) { ++calls; });
    EXPECT_EQ(result.error, MpegSplitError::kWriteFailed);
    EXPECT_EQ(result.message, "couldn't write section file mem/sect1.mpg");
    EXPECT_TRUE(sink.removed);
    EXPECT_EQ(calls, 0);
}

TEST(MpegSplitter, MoreSectionsThanABankCanNumberAreRefused) {
    const std::vector<uint8_t> stream = makeFrames(45);
    MpegMemorySource source(stream, "long.mp2");
    test::MemorySectionSink sink;
    MpegSplitOptions options;
    options.maxSections = 2;
    int calls = 0;
    MpegSplitResult result = SplitMpegStream(
        source, sink, [&](const MpegSection&) { ++calls; }, options);
    EXPECT_EQ(result.error, MpegSplitError::kTooManySections);
    EXPECT_EQ(result.message, "couldn't import long.mp2: a music bank holds at most 2 sections");
    EXPECT_TRUE(sink.removed);
    EXPECT_EQ(calls, 0);
    EXPECT_EQ(MpegSplitOptions().maxSections, 65535);
}

class UnreadableSource final : public MpegByteSource {
  public:
    explicit UnreadableSource(uint64_t length) : length_(length) {}
    uint64_t length() const override { return length_; }
    std::optional<size_t> read(std::span<uint8_t>) override {
        ++reads;
        return std::nullopt;
    }
    const std::string& name() const override { return name_; }
    int reads = 0;

  private:
    uint64_t length_;
    std::string name_ = "big.mp2";
};

TEST(MpegSplitter, ReadErrorAndOversizedStreamAreRefused) {
    test::MemorySectionSink sink;
    UnreadableSource broken(1000);
    MpegSplitResult result = SplitMpegStream(broken, sink, nullptr);
    EXPECT_EQ(result.error, MpegSplitError::kReadFailed);
    EXPECT_EQ(result.message, "couldn't read big.mp2");

    UnreadableSource huge(uint64_t(1) << 32);
    result = SplitMpegStream(huge, sink, nullptr);
    EXPECT_EQ(result.error, MpegSplitError::kTooLarge);
    EXPECT_EQ(result.message, "couldn't import big.mp2: a music bank holds at most 4 GB");
    EXPECT_EQ(huge.reads, 0);
}

}  // namespace
}  // namespace quillon
