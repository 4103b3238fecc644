// The splitter's section files and failures; random streams against the slow rule
// of support/MpegReferenceSplit.h; twolame's streams decoded section by section.
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <tuple>

#include "formats/MpegSplitter.h"
#include "support/MpegReferenceSplit.h"
#include "support/MpegTools.h"

namespace quillon {
namespace {

using namespace test;

constexpr size_t kFrame = 626;  // bytes of a test::kMpeg1Layer2Header frame

struct Split {
    MpegSplitResult result;
    std::vector<MpegSection> sections;
};
Split splitFile(const std::string& path, uint64_t offset, uint64_t length,
                const std::string& folder, const MpegSplitOptions& options = {}) {
    std::unique_ptr<FileByteSource> file = FileByteSource::open(path);
    if (!file) throw std::runtime_error("cannot open " + path);
    MpegRangeSource source(*file, offset, length, path);
    Split split;
    split.result = SplitMpegStream(
        source, folder, [&](const MpegSection& s) { split.sections.push_back(s); }, options);
    return split;
}

// The stream sits at offset 100 of its file, between other bytes, as in a WAV
// file. Section files are made afresh for this user alone; a link planted under
// a section's name is refused, not followed, and undoes the import.
TEST(MpegSplitter, FortyFiveFramesGiveTwentyOneTwentyOneAndThree) {
    test::TempFolder folder;
    const std::vector<uint8_t> stream = makeFrames(45);
    std::vector<uint8_t> file(100, 0x11);
    file.insert(file.end(), stream.begin(), stream.end());
    file.insert(file.end(), stream.begin(), stream.begin() + 5 * kFrame);
    test::writeFile(folder.file("in.wav"), file);
    test::writeFile(folder.file("sect0000.mpg"), std::vector<uint8_t>(90000, 1));
    ASSERT_EQ(::chmod(folder.file("sect0000.mpg").c_str(), 0600), 0);

    const Split split = splitFile(folder.file("in.wav"), 100, stream.size(), folder.path());
    ASSERT_TRUE(split.result.ok()) << split.result.message;
    ASSERT_EQ(split.result.sectionCount, 3);
    const size_t starts[] = {0, 21 * kFrame, 42 * kFrame, 45 * kFrame};
    for (size_t i = 0; i < 3; ++i) {
        const MpegSection& section = split.sections.at(i);
        EXPECT_EQ(section.index, int(i));
        EXPECT_EQ(section.path, folder.file("sect000" + std::to_string(i) + ".mpg"));
        EXPECT_EQ(section.length, starts[i + 1] - starts[i]);
        EXPECT_EQ(section.headerValue, 0x04A0FDFFu);  // FF FD A0 04, the first byte lowest
        EXPECT_EQ(test::readFileBytes(section.path),
                  std::vector<uint8_t>(stream.begin() + long(starts[i]),
                                       stream.begin() + long(starts[i + 1])));
        struct stat st {};
        EXPECT_TRUE(::stat(section.path.c_str(), &st) == 0 && (st.st_mode & 0777) == 0600);
    }

    const std::string target = folder.file("elsewhere");
    test::writeFile(target, {1, 2, 3});
    ASSERT_EQ(::unlink(folder.file("sect0002.mpg").c_str()), 0);
    ASSERT_EQ(::symlink(target.c_str(), folder.file("sect0002.mpg").c_str()), 0);
    const Split refused = splitFile(folder.file("in.wav"), 100, stream.size(), folder.path());
    EXPECT_EQ(refused.result.message,
              "couldn't create section file " + folder.file("sect0002.mpg"));
    EXPECT_FALSE(test::fileExists(folder.file("sect0000.mpg")));
    EXPECT_FALSE(test::fileExists(folder.file("sect0001.mpg")));
    EXPECT_EQ(test::readFileBytes(target), (std::vector<uint8_t>{1, 2, 3}));
    EXPECT_EQ(splitFile(folder.file("in.wav"), 100, 4, folder.file("none")).result.message,
              "couldn't create section file " + folder.file("none/sect0000.mpg"));
}

// Junk, loose 0xFF bytes, headers that differ from the first in each field and
// headers cut by the end, read in blocks that end at every place.
TEST(MpegSplitter, MatchesTheByteByByteRuleOnRandomStreams) {
    std::mt19937 random(20240607);
    const std::vector<HeaderBytes> headers = {test::kMpeg1Layer2Header, {0xFF, 0xFD, 0xA2, 0x04},
                                              {0xFF, 0xFD, 0xA0, 0xC4}, {0xFF, 0xFD, 0xB0, 0x04},
                                              {0xFF, 0xFD, 0xA4, 0x04}, {0xFF, 0xFD, 0xA1, 0x04},
                                              {0xFF, 0xFC, 0xA0, 0x04}, {0xFF, 0xF5, 0x84, 0xC4}};
    for (int round = 0; round < 300; ++round) {
        std::vector<uint8_t> stream;
        for (auto pieces = random() % 200; pieces > 0; --pieces) {
            const auto kind = random() % 6;
            if (kind < 2) {
                const HeaderBytes& h = headers[random() % headers.size()];
                stream.insert(stream.end(), h.begin(), h.end());
                stream.insert(stream.end(), random() % 12, uint8_t(random() % 0xFF));
            } else {
                stream.push_back(kind == 2   ? 0xFF
                                 : kind == 3 ? uint8_t(0xF0 | (random() & 15))
                                             : uint8_t(random()));
            }
        }
        if (round % 5 == 0) stream.insert(stream.end(), {0xFF, 0xFD, 0xA0});  // a cut header
        const std::vector<test::ReferenceSection> expected = test::referenceSplit(stream);
        for (const size_t block : std::initializer_list<size_t>{1, 2, 3, 4, 5, 17, 1 << 20}) {
            SCOPED_TRACE(testing::Message() << "round " << round << " block " << block);
            MpegMemorySource source(stream, "music.mp2");
            test::MemorySectionSink sink;
            std::vector<MpegSection> sections;
            MpegSplitResult result = SplitMpegStream(
                source, sink, [&](const MpegSection& s) { sections.push_back(s); }, {block});
            ASSERT_EQ(result.ok(), !expected.empty());
            ASSERT_EQ(sections.size(), expected.size());
            for (size_t i = 0; i < expected.size(); ++i) {
                ASSERT_EQ(sink.sections[i], expected[i].bytes);
                ASSERT_EQ(sections[i].headerValue, expected[i].headerValue);
                ASSERT_EQ(sections[i].length, expected[i].bytes.size());
            }
            ASSERT_EQ(result.message,
                      expected.empty() ? "couldn't find MPEG audio frames in music.mp2" : "");
        }
    }
}

// A failed write, more sections than a bank can number, a stream of 4 GiB and
// a file that shrank since it was opened: each removes what was made and never
// hands a section on. A declared length past the file's end ends at its end.
TEST(MpegSplitter, FailuresRemoveTheSectionsMadeSoFar) {
    test::TempFolder folder;
    test::writeFile(folder.file("x.mp2"), makeFrames(50));  // three sections
    std::unique_ptr<FileByteSource> file = FileByteSource::open(folder.file("x.mp2"));
    ASSERT_TRUE(file);
    int calls = 0;
    auto split = [&](uint64_t length, int failWriteAt, int maxSections) {
        MpegRangeSource source(*file, 0, length, "x.mp2");
        test::MemorySectionSink sink;
        sink.failWriteAt = failWriteAt;
        MpegSplitResult result = SplitMpegStream(source, sink, [&](const MpegSection&) { ++calls; },
                                                 {4096, maxSections});
        EXPECT_EQ(sink.removed, !result.ok());
        return result.message;
    };
    EXPECT_EQ(split(50 * kFrame, 1, 3), "couldn't write section file mem/sect1.mpg");
    EXPECT_EQ(split(50 * kFrame, -1, 2),
              "couldn't import x.mp2: a music bank holds at most 2 sections");
    EXPECT_EQ(split(uint64_t(1) << 32, -1, 3),
              "couldn't import x.mp2: a music bank holds at most 4 GB");
    EXPECT_EQ(calls, 0);
    EXPECT_EQ(split(0xFFFFFFFF, -1, 3), "");
    EXPECT_EQ(calls, 3);
    ASSERT_EQ(::truncate(folder.file("x.mp2").c_str(), 0), 0);
    EXPECT_EQ(split(50 * kFrame, -1, 3), "couldn't read x.mp2");
}

TEST(MpegRealStream, EverySectionDecodesAloneAndTheyAddUpToTheWhole) {
    if (!test::haveProgram("mpg123")) GTEST_SKIP() << "mpg123 is missing";
    for (const auto& [rate, channels, kbits, formatText, compressionText] :
         {std::tuple{44100, 2, 192, "  16-bit 44 khz Stereo", "Layer 2 - 192kb"},
          std::tuple{24000, 1, 64, "  16-bit 24 khz Mono", "Layer 2 - 64kb"}}) {
        SCOPED_TRACE(compressionText);
        test::TempFolder folder;
        const std::optional<std::string> mp2 =
            test::makeLayer2Stream(folder, "music", rate, channels, kbits, 6.0);
        if (!mp2) GTEST_SKIP() << "sox or twolame is missing";
        const std::vector<uint8_t> stream = test::readFileBytes(*mp2);
        // A block size that is no multiple of the frame length, so that blocks end mid-frame.
        const Split split = splitFile(*mp2, 0, stream.size(), folder.path(), {10007});
        ASSERT_TRUE(split.result.ok()) << split.result.message;
        const std::vector<test::ReferenceSection> expected = test::referenceSplit(stream);
        ASSERT_EQ(split.sections.size(), expected.size());
        uint64_t decodedTotal = 0;
        for (size_t i = 0; i < expected.size(); ++i) {
            const MpegSection& section = split.sections[i];
            EXPECT_EQ(test::readFileBytes(section.path), expected[i].bytes);
            EXPECT_EQ(section.length, expected[i].bytes.size());
            const std::optional<uint64_t> decoded =
                test::decodedSampleFrames(section.path, channels);
            ASSERT_TRUE(decoded) << "mpg123 could not decode " << section.path;
            // Every section but the last holds 21 frames.
            EXPECT_EQ(*decoded, i + 1 < expected.size() ? uint64_t(21 * 1152) : *decoded);
            decodedTotal += *decoded;
            const MpegHeaderInfo info = DecodeMpegHeader(section.headerValue);
            EXPECT_EQ(GetMpegFormatText(info), formatText);
            EXPECT_EQ(GetMpegCompressionText(info), compressionText);
        }
        EXPECT_EQ(decodedTotal, test::decodedSampleFrames(*mp2, channels));
    }
}

}  // namespace
}  // namespace quillon
