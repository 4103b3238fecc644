// The chunk search rules under hostile sizes, missing pad bytes and cut chunks.
#include "formats/RiffReader.h"

#include <gtest/gtest.h>

#include <memory>

#include "support/TempFolder.h"
#include "support/WavBuilder.h"

namespace quillon {
namespace {

using namespace test;

const auto fill = [](size_t count) { return Bytes(count, 0xAB); };

// Ascent over the pad byte, a failed search that keeps the position, an empty
// last chunk, and a search from outside its parent that reads nothing.
TEST(RiffReaderTest, DescentEntersChunkAndPositionsAtItsData) {
    const Bytes bytes =
        encodeRiff({riffChunk("TEST", {chunk("aaaa", {1, 2, 3, 4, 5}), chunk("bbbb", {})}),
                    chunk("tail", fill(6))});
    MemoryByteSource source(bytes);
    RiffReader reader(source);
    auto riff = reader.descendList(kRiffId, fourCC("TEST"));
    auto a = reader.descend(fourCC("aaaa"), &*riff);
    ASSERT_TRUE(riff && a);
    reader.ascend(*a);
    EXPECT_EQ(reader.position(), 26u);  // five bytes and the pad byte
    EXPECT_FALSE(reader.descend(fourCC("aaaa"), &*riff));
    EXPECT_EQ(reader.position(), 26u);
    EXPECT_TRUE(reader.descend(fourCC("bbbb"), &*riff));  // its header ends the parent
    ASSERT_TRUE(reader.descend(fourCC("tail")));
    EXPECT_FALSE(reader.descend(fourCC("bbbb"), &*riff));  // from outside the parent
    EXPECT_FALSE(reader.ioFailed());
}

struct HostileCase {
    const char* name;
    Bytes file;
    FourCC id;    // searched inside RIFF "TEST" when inRiff, else from the start
    FourCC type;  // a list type to match, or 0
    bool inRiff;
    int64_t headerOffset;  // -1: not found
    uint64_t dataSize, paddedEnd;
    const char* firstBytes;  // four bytes read at the found position, zero-filled
};

std::vector<HostileCase> hostileCases() {
    auto inTest = [](std::vector<RiffChunkSpec> chunks) {
        return encodeRiff({riffChunk("TEST", std::move(chunks))});
    };
    Bytes cutHeader = inTest({chunk("aaaa", fill(2))});
    cutHeader.insert(cutHeader.end(), {'t', 'a', 'i', 'l', 1, 0});  // 6 of 8 header bytes
    std::vector<RiffChunkSpec> empties(1000, chunk("zero", {})),
        pastCap(kMaxChunksPerSearch, chunk("zero", {}));
    empties.push_back(chunk("find", {7}));
    pastCap.push_back(chunk("find", {7}));
    // "find" starts 4 bytes before a page boundary far beyond the first pages.
    Bytes acrossPages = inTest({chunk("pad1", fill(4072)), chunk("data", fill(200000)),
                                chunk("pad2", fill(688)), chunk("find", {9, 8, 7})});
    Bytes pastParent = encodeRiff(
        {riffChunk("TEST", {listChunk("adtl", {chunk("labl", fill(4))}).declaring(1000)}),
         chunk("tail", fill(2))});
    Bytes pastFile =
        encodeRiff({riffChunk("TEST", {chunk("data", fill(10))}).declaring(0xFFFFFFFF)});
    const FourCC next = fourCC("next"), find = fourCC("find"), adtl = fourCC("adtl");
    return {
        {"MissingPadHidesNextChunk",
         inTest({chunk("odd ", fill(3)).withoutPad(), chunk("next", fill(2))}), next, 0, true, -1,
         0, 0, ""},
        {"SizePastParentClampedToParent", pastParent, kListId, adtl, true, 12, 16, 36, "labl"},
        {"SizePastFileClampedToFile", pastFile, kRiffId, fourCC("TEST"), false, 0, 22, 30, "data"},
        {"ZeroSizeChunksWalkedWithoutLooping", inTest(empties), find, 0, true, 8012, 1, 8022,
         "\x07\0\0"},
        {"SearchGivesUpAfterChunkCap", inTest(pastCap), find, 0, true, -1, 0, 0, ""},
        {"ListTooShortForItsTypeMatchesNoType",
         inTest({chunk("LIST", {'a', 'd'}), listChunk("adtl", {})}), kListId, adtl, true, 22, 4, 34,
         "\0\0\0"},
        {"CutHeaderIsNotAChunk", cutHeader, fourCC("tail"), 0, false, -1, 0, 0, ""},
        {"HeaderAcrossPageBoundary", acrossPages, find, 0, true, 204796, 3, 204808, "\x09\x08\x07"},
    };
}

class RiffHostileTest : public ::testing::TestWithParam<HostileCase> {};
INSTANTIATE_TEST_SUITE_P(Layouts, RiffHostileTest, ::testing::ValuesIn(hostileCases()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_P(RiffHostileTest, FindsWhatTheRulesAllowInMemoryAndInAFile) {
    const HostileCase& c = GetParam();
    TempFolder folder;
    writeFile(folder.file("riff.bin"), c.file);
    MemoryByteSource memory(c.file);
    std::unique_ptr<FileByteSource> file = FileByteSource::open(folder.file("riff.bin"));
    ASSERT_TRUE(file);
    for (RiffByteSource* source : std::initializer_list<RiffByteSource*>{&memory, file.get()}) {
        SCOPED_TRACE(source == &memory ? "memory" : "file");
        RiffReader reader(*source);
        std::optional<RiffChunk> riff;
        if (c.inRiff) {
            riff = reader.descendList(kRiffId, fourCC("TEST"));
            ASSERT_TRUE(riff);
        }
        const RiffChunk* parent = riff ? &*riff : nullptr;
        auto found =
            c.type ? reader.descendList(c.id, c.type, parent) : reader.descend(c.id, parent);
        ASSERT_EQ(found.has_value(), c.headerOffset >= 0);
        if (!found) continue;
        EXPECT_EQ(found->headerOffset, uint64_t(c.headerOffset));
        EXPECT_EQ(found->dataSize, c.dataSize);
        EXPECT_EQ(found->paddedEnd, c.paddedEnd);
        uint8_t out[4];
        EXPECT_EQ(reader.read(*found, out), std::min<size_t>(4, c.dataSize - (c.type ? 4 : 0)));
        EXPECT_EQ(std::string(reinterpret_cast<char*>(out), 4), std::string(c.firstBytes, 4));
    }
}

}  // namespace
}  // namespace quillon
