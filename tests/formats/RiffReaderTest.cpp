// The chunk search rules, over both byte sources: every case runs once on bytes
// in memory and once on the same bytes in a file read through cached pages.
#include "formats/RiffReader.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <memory>

#include "support/TempFolder.h"
#include "support/WavBuilder.h"

namespace quillon {
namespace {

using test::Bytes;
using test::chunk;
using test::listChunk;
using test::riffChunk;

enum class SourceKind { Memory, File };

class RiffReaderTest : public ::testing::TestWithParam<SourceKind> {
  protected:
    RiffReader& open(Bytes bytes) {
        bytes_ = std::move(bytes);
        if (GetParam() == SourceKind::Memory) {
            source_ = std::make_unique<MemoryByteSource>(bytes_);
        } else {
            std::string path = folder_.file("riff.bin");
            test::writeFile(path, bytes_);
            source_ = FileByteSource::open(path);
            if (!source_) throw std::runtime_error("cannot open the test file");
        }
        reader_ = std::make_unique<RiffReader>(*source_);
        return *reader_;
    }

    test::TempFolder folder_;
    Bytes bytes_;
    std::unique_ptr<RiffByteSource> source_;
    std::unique_ptr<RiffReader> reader_;
};

INSTANTIATE_TEST_SUITE_P(BothSources, RiffReaderTest,
                         ::testing::Values(SourceKind::Memory, SourceKind::File),
                         [](const auto& info) {
                             return info.param == SourceKind::Memory ? "Memory" : "File";
                         });

Bytes fill(size_t count, uint8_t value = 0xAB) {
    return Bytes(count, value);
}

// RIFF "TEST" [aaaa(4) bbbb(3, padded) cccc(2)] then a top-level "tail" chunk.
Bytes threeChunksAndTail() {
    return test::encodeRiff({riffChunk("TEST", {chunk("aaaa", fill(4)), chunk("bbbb", fill(3)),
                                                chunk("cccc", fill(2))}),
                             chunk("tail", fill(6))});
}

TEST_P(RiffReaderTest, DescentEntersChunkAndPositionsAtItsData) {
    RiffReader& reader = open(threeChunksAndTail());
    auto riff = reader.descendList(kRiffId, fourCC("TEST"));
    ASSERT_TRUE(riff);
    EXPECT_EQ(riff->headerOffset, 0u);
    EXPECT_EQ(reader.position(), 12u);  // after the form type
    auto b = reader.descend(fourCC("bbbb"), &*riff);
    ASSERT_TRUE(b);
    EXPECT_EQ(b->headerOffset, 24u);
    EXPECT_EQ(b->dataSize, 3u);
    EXPECT_EQ(reader.position(), 32u);
    reader.ascend(*b);
    EXPECT_EQ(reader.position(), 36u);  // three bytes and the pad byte
    EXPECT_TRUE(reader.descend(fourCC("cccc"), &*riff));
}

TEST_P(RiffReaderTest, ChunkBeforeCurrentPositionIsNotFoundAndFailureKeepsPosition) {
    RiffReader& reader = open(threeChunksAndTail());
    auto riff = reader.descendList(kRiffId, fourCC("TEST"));
    ASSERT_TRUE(riff);
    auto c = reader.descend(fourCC("cccc"), &*riff);
    ASSERT_TRUE(c);
    reader.ascend(*c);
    uint64_t afterC = reader.position();
    EXPECT_FALSE(reader.descend(fourCC("aaaa"), &*riff));
    EXPECT_EQ(reader.position(), afterC);
    reader.rewind();
    EXPECT_EQ(reader.position(), 0u);
    riff = reader.descendList(kRiffId, fourCC("TEST"));
    ASSERT_TRUE(riff);
    EXPECT_TRUE(reader.descend(fourCC("aaaa"), &*riff));
}

TEST_P(RiffReaderTest, ParentBoundsTheSearchAndNoParentRunsToEndOfFile) {
    RiffReader& reader = open(threeChunksAndTail());
    auto riff = reader.descendList(kRiffId, fourCC("TEST"));
    ASSERT_TRUE(riff);
    EXPECT_FALSE(reader.descend(fourCC("tail"), &*riff));
    auto tail = reader.descend(fourCC("tail"));
    ASSERT_TRUE(tail);
    EXPECT_EQ(tail->dataSize, 6u);
}

TEST_P(RiffReaderTest, ListIsMatchedByItsTypeAndEnteredAfterIt) {
    RiffReader& reader =
        open(test::encodeRiff({riffChunk("WAVE", {listChunk("INFO", {chunk("ICMT", fill(2))}),
                                                  listChunk("adtl", {chunk("labl", fill(4))})})}));
    auto riff = reader.descendList(kRiffId, fourCC("WAVE"));
    ASSERT_TRUE(riff);
    auto adtl = reader.descendList(kListId, fourCC("adtl"), &*riff);
    ASSERT_TRUE(adtl);
    EXPECT_EQ(adtl->type, fourCC("adtl"));
    EXPECT_EQ(reader.position(), adtl->dataOffset + 4);
    EXPECT_FALSE(reader.descend(fourCC("ICMT"), &*adtl));
    EXPECT_TRUE(reader.descend(fourCC("labl"), &*adtl));
}

TEST_P(RiffReaderTest, MissingPadByteHidesTheNextChunk) {
    RiffReader& reader = open(test::encodeRiff(
        {riffChunk("TEST", {chunk("odd ", fill(3)).withoutPad(), chunk("next", fill(2))})}));
    auto riff = reader.descendList(kRiffId, fourCC("TEST"));
    ASSERT_TRUE(riff);
    EXPECT_FALSE(reader.descend(fourCC("next"), &*riff));
}

TEST_P(RiffReaderTest, SizePastParentIsClampedToParent) {
    // The LIST claims 1000 bytes inside a RIFF chunk that holds 20.
    RiffReader& reader = open(test::encodeRiff(
        {riffChunk("TEST", {listChunk("adtl", {chunk("labl", fill(4))}).declaring(1000)}),
         chunk("tail", fill(2))}));
    auto riff = reader.descendList(kRiffId, fourCC("TEST"));
    ASSERT_TRUE(riff);
    auto list = reader.descendList(kListId, fourCC("adtl"), &*riff);
    ASSERT_TRUE(list);
    EXPECT_EQ(list->declaredSize, 1000u);
    EXPECT_TRUE(list->clamped());
    EXPECT_EQ(list->dataEnd(), riff->dataEnd());
    EXPECT_TRUE(reader.descend(fourCC("labl"), &*list));
    reader.ascend(*list);
    EXPECT_EQ(reader.position(), riff->dataEnd());
    EXPECT_TRUE(reader.descend(fourCC("tail")));
}

TEST_P(RiffReaderTest, SizePastEndOfFileIsClampedToFile) {
    RiffReader& reader = open(
        test::encodeRiff({riffChunk("TEST", {chunk("data", fill(10))}).declaring(0xFFFFFFFF)}));
    auto riff = reader.descendList(kRiffId, fourCC("TEST"));
    ASSERT_TRUE(riff);
    EXPECT_EQ(riff->dataEnd(), reader.sourceSize());
    EXPECT_EQ(riff->paddedEnd, reader.sourceSize());
    EXPECT_TRUE(reader.descend(fourCC("data"), &*riff));
}

TEST_P(RiffReaderTest, ReadStopsAtChunkEndAndZeroFillsTheRest) {
    Bytes body = {1, 2, 3, 4, 5};
    RiffReader& reader =
        open(test::encodeRiff({riffChunk("TEST", {chunk("five", body), chunk("next", fill(8))})}));
    auto riff = reader.descendList(kRiffId, fourCC("TEST"));
    ASSERT_TRUE(riff);
    auto five = reader.descend(fourCC("five"), &*riff);
    ASSERT_TRUE(five);
    uint8_t out[8];
    std::fill(std::begin(out), std::end(out), 0xEE);
    EXPECT_EQ(reader.read(*five, out), 5u);
    EXPECT_EQ(Bytes(out, out + 8), (Bytes{1, 2, 3, 4, 5, 0, 0, 0}));
    EXPECT_EQ(reader.read(*five, out), 0u);
}

TEST_P(RiffReaderTest, ZeroSizeChunksAreWalkedWithoutLooping) {
    std::vector<test::RiffChunkSpec> children(1000, chunk("zero", {}));
    children.push_back(chunk("find", fill(1)));
    RiffReader& reader = open(test::encodeRiff({riffChunk("TEST", children)}));
    auto riff = reader.descendList(kRiffId, fourCC("TEST"));
    ASSERT_TRUE(riff);
    auto found = reader.descend(fourCC("find"), &*riff);
    ASSERT_TRUE(found);
    EXPECT_EQ(found->headerOffset, 12u + 1000u * 8u);
}

TEST_P(RiffReaderTest, SearchGivesUpAfterChunkCap) {
    std::vector<test::RiffChunkSpec> children(kMaxChunksPerSearch, chunk("zero", {}));
    children.push_back(chunk("find", fill(1)));
    RiffReader& reader = open(test::encodeRiff({riffChunk("TEST", children)}));
    auto riff = reader.descendList(kRiffId, fourCC("TEST"));
    ASSERT_TRUE(riff);
    EXPECT_FALSE(reader.descend(fourCC("find"), &*riff));
}

TEST_P(RiffReaderTest, ListTooShortForItsTypeDoesNotMatchAType) {
    RiffReader& reader = open(
        test::encodeRiff({riffChunk("TEST", {chunk("LIST", {'a', 'd'}), listChunk("adtl", {})})}));
    auto riff = reader.descendList(kRiffId, fourCC("TEST"));
    ASSERT_TRUE(riff);
    auto list = reader.descendList(kListId, fourCC("adtl"), &*riff);
    ASSERT_TRUE(list);
    EXPECT_EQ(list->headerOffset, 12u + 10u);
}

TEST_P(RiffReaderTest, TruncatedHeaderIsNotAChunk) {
    Bytes bytes = test::encodeRiff({riffChunk("TEST", {chunk("aaaa", fill(2))})});
    bytes.insert(bytes.end(), {'t', 'a', 'i', 'l', 1, 0});  // 6 of 8 header bytes
    RiffReader& reader = open(bytes);
    EXPECT_FALSE(reader.descend(fourCC("tail")));
}

TEST_P(RiffReaderTest, HeaderAcrossPageBoundaryIsRead) {
    // The "find" header straddles the 4096-byte page boundary; the chunk sits
    // far beyond the first pages so the file source must fetch it.
    const size_t dataEnd = 4092 + 8 + 200000;  // "pad1" ends at 4092
    const size_t pad2Size = (4092 - (dataEnd + 8) % 4096 + 4096) % 4096;
    RiffReader& reader = open(test::encodeRiff(
        {riffChunk("TEST", {chunk("pad1", fill(4092 - 12 - 8)), chunk("data", fill(200000)),
                            chunk("pad2", fill(pad2Size)), chunk("find", {9, 8, 7})})}));
    auto riff = reader.descendList(kRiffId, fourCC("TEST"));
    ASSERT_TRUE(riff);
    auto found = reader.descend(fourCC("find"), &*riff);
    ASSERT_TRUE(found);
    EXPECT_EQ(found->headerOffset % 4096, 4092u);
    uint8_t out[3];
    EXPECT_EQ(reader.read(*found, out), 3u);
    EXPECT_EQ(out[0], 9);
    EXPECT_EQ(out[2], 7);
}

TEST(FileByteSourceTest, RefusesWhatIsNotARegularFile) {
    test::TempFolder folder;
    FileByteSource::OpenError error{};
    EXPECT_FALSE(FileByteSource::open(folder.path(), &error));
    EXPECT_EQ(error, FileByteSource::OpenError::NotRegularFile);

    // Opening a FIFO without a writer must neither block nor succeed.
    std::string fifo = folder.file("fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_FALSE(FileByteSource::open(fifo, &error));
    EXPECT_EQ(error, FileByteSource::OpenError::NotRegularFile);

    EXPECT_FALSE(FileByteSource::open(folder.file("missing"), &error));
    EXPECT_EQ(error, FileByteSource::OpenError::CannotOpen);
}

}  // namespace
}  // namespace quillon
