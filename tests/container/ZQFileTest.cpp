// ZQFile: the layout it writes (checked on the raw bytes), the directory it
// builds from files made byte by byte, and its answers to broken files.
#include "container/ZQFile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <string>
#include <vector>

#include "ContainerTestSupport.h"

namespace quillon {
namespace {

using containertest::Bytes;
using containertest::bytesOf;
using containertest::containerBytes;
using containertest::LogCapture;
using containertest::RawSegment;
using containertest::readBytes;
using containertest::TempFolder;
using containertest::u32At;
using containertest::writeBytes;

class ZQFileTest : public ::testing::Test {
  protected:
    // A file named path, opened in mode; fails the test when it does not open.
    void open(ZQFile& file, const std::string& path, int mode) {
        ASSERT_EQ(file.SetName(path.c_str()), ZQ_OK);
        ASSERT_EQ(file.Open(mode), ZQ_OK);
    }
    std::string writeContainer(const char* name, const std::vector<RawSegment>& segments) {
        std::string path = folder.file(name);
        writeBytes(path, containerBytes(segments));
        return path;
    }
    // Names and sizes of the directory, head first.
    static std::vector<std::pair<std::string, uint32_t>> directory(const ZQFile& file) {
        std::vector<std::pair<std::string, uint32_t>> out;
        for (const ZQFileEntry& entry : file.Directory())
            out.emplace_back(entry.Name, entry.Size);
        return out;
    }

    TempFolder folder;
    LogCapture log;
};

TEST_F(ZQFileTest, NewFileClosedAtOnceIsJustTheMagicAndReadsAsEmpty) {
    std::string path = folder.file("empty.zq");
    ZQFile file;
    open(file, path, ZQ_FILE_NEW);
    EXPECT_EQ(file.Close(), ZQ_OK);
    EXPECT_EQ(readBytes(path), bytesOf("ZaRqUiNe"));

    open(file, path, ZQ_FILE_READ_ONLY);
    EXPECT_TRUE(file.Directory().IsEmpty());
    EXPECT_EQ(file.GetSegmentSize("A"), kNoSuchSegment);
}

TEST_F(ZQFileTest, SegmentDataStartThirtySixBytesAfterThePreviousData) {
    std::string path = folder.file("abc.zq");
    ZQFile file;
    open(file, path, ZQ_FILE_NEW);
    for (auto [name, size] : {std::pair{"A", 3u}, {"B", 0u}, {"C", 7u}}) {
        ZQFileSegment segment{};
        std::strcpy(segment.Name, name);
        std::vector<uint8_t> data(size, uint8_t(name[0]));
        segment.Size = size;
        segment.Data = data.data();
        ASSERT_EQ(file.WriteSegment(&segment), ZQ_OK);
    }
    ASSERT_EQ(file.Close(), ZQ_OK);

    Bytes bytes = readBytes(path);
    ASSERT_EQ(bytes.size(), 126u);
    EXPECT_EQ(std::string(bytes.begin() + 8, bytes.begin() + 40),
              std::string("A") + std::string(31, '\0'));  // the name field is zero-filled
    EXPECT_EQ(u32At(bytes, 40), 3u);
    EXPECT_EQ(bytes[44], 'A');
    EXPECT_EQ(bytes[47], 'B');  // the second header follows the data at once
    EXPECT_EQ(u32At(bytes, 79), 0u);
    EXPECT_EQ(bytes[83], 'C');
    EXPECT_EQ(u32At(bytes, 115), 7u);
    EXPECT_EQ(bytes[119], 'C');

    open(file, path, ZQ_FILE_READ_ONLY);
    std::vector<std::pair<std::string, uint32_t>> offsets;
    for (const ZQFileEntry& entry : file.Directory())
        offsets.emplace_back(entry.Name, entry.Offset);
    EXPECT_EQ(offsets,
              (std::vector<std::pair<std::string, uint32_t>>{{"C", 119}, {"B", 83}, {"A", 44}}));
}

TEST_F(ZQFileTest, NameOfFortyCharactersIsStoredAsItsFirstThirtyTwo) {
    const std::string longName = "0123456789abcdefghijklmnopqrstuvwxyzABCD";
    const std::string stored = longName.substr(0, 32);
    std::string path = folder.file("long.zq");
    ZQFile file;
    open(file, path, ZQ_FILE_NEW);
    ASSERT_EQ(file.OpenSegment(longName.c_str()), ZQ_OK);
    ASSERT_EQ(file.WriteSegmentData("xy", 2), ZQ_OK);
    ASSERT_EQ(file.Close(), ZQ_OK);  // closes the segment too

    Bytes bytes = readBytes(path);
    EXPECT_EQ(std::string(bytes.begin() + 8, bytes.begin() + 40), stored);  // no terminator
    EXPECT_EQ(u32At(bytes, 40), 2u);

    open(file, path, ZQ_FILE_READ_ONLY);
    EXPECT_EQ(file.GetSegmentSize(longName.c_str()), kNoSuchSegment);
    EXPECT_EQ(file.GetSegmentSize(stored.c_str()), 2u);
}

TEST_F(ZQFileTest, OfTwoSegmentsWithOneNameTheLaterIsFound) {
    std::string path = writeContainer(
        "twice.zq", {{"X", bytesOf("one")}, {"Y", bytesOf("-")}, {"X", bytesOf("second")}});
    ZQFile file;
    open(file, path, ZQ_FILE_READ_ONLY);
    EXPECT_EQ(file.GetSegmentSize("X"), 6u);
    char text[7] = {};
    EXPECT_EQ(file.GetSegmentData("X", text, 6, 0), ZQ_OK);
    EXPECT_STREQ(text, "second");
    EXPECT_EQ(file.GetSegmentSize("x"), kNoSuchSegment);  // letter case counts
}

TEST_F(ZQFileTest, FileWithoutTheMagicFailsAndStaysClosed) {
    struct Case {
        const char* label;
        Bytes bytes;
    };
    const Case cases[] = {
        {"wrong magic", bytesOf("ZaRqUiNE\0\0\0\0")},
        {"shorter than the magic", bytesOf("ZaRq")},
        {"empty", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        std::string path = folder.file("bad.zq");
        writeBytes(path, c.bytes);
        for (int mode : {ZQ_FILE_READ_ONLY, ZQ_FILE_APPEND}) {
            log.clear();
            ZQFile file;
            ASSERT_EQ(file.SetName(path.c_str()), ZQ_OK);
            EXPECT_EQ(file.Open(mode), ZQ_FAIL);
            EXPECT_FALSE(file.IsOpen());
            EXPECT_TRUE(log.contains("File " + path + " was not a Zarquine File"));
        }
        EXPECT_EQ(readBytes(path), c.bytes);  // append mode wrote nothing
    }
}

TEST_F(ZQFileTest, MissingFileIsNotFoundForReadingAndCreatedForWriting) {
    std::string path = folder.file("missing.zq");
    for (int mode : {ZQ_FILE_READ_ONLY, ZQ_FILE_APPEND}) {
        log.clear();
        ZQFile file;
        ASSERT_EQ(file.SetName(path.c_str()), ZQ_OK);
        EXPECT_EQ(file.Open(mode), ZQ_FAIL);
        EXPECT_FALSE(file.IsOpen());
        EXPECT_EQ(log.texts(), std::vector<std::string>{"File " + path + " was not found"});
    }
    ZQFile file;
    open(file, path, ZQ_FILE_NEW);
    EXPECT_EQ(FileExists(path.c_str()), ZQ_OK);
}

TEST_F(ZQFileTest, FolderIsNoContainerToReadAndCannotBeCreated) {
    ZQFile file;
    ASSERT_EQ(file.SetName(folder.path().c_str()), ZQ_OK);
    EXPECT_EQ(file.Open(ZQ_FILE_READ_ONLY), ZQ_FAIL);
    EXPECT_TRUE(log.contains("File " + folder.path() + " was not a Zarquine File"));
    EXPECT_EQ(file.Open(ZQ_FILE_NEW), ZQ_ERROR);
    EXPECT_TRUE(log.contains("System error 21: Is a directory"));
    EXPECT_FALSE(file.IsOpen());
}

TEST_F(ZQFileTest, TruncatedLastSegmentIsEnteredButGivesTwoOnReading) {
    std::string path = writeContainer(
        "cut.zq", {{"A", bytesOf("abc")}, {"T", bytesOf("12345"), /*declaredSize=*/9}});
    ZQFile file;
    open(file, path, ZQ_FILE_READ_ONLY);
    EXPECT_EQ(file.GetSegmentSize("T"), 9u);
    EXPECT_EQ(file.GetSegmentSize("A"), 3u);

    ZQFileSegment fresh{};
    EXPECT_EQ(file.GetSegment("T", &fresh, true), ZQ_FAIL);
    uint8_t buffer[9];
    ZQFileSegment caller{};
    caller.Size = 9;
    caller.Data = buffer;
    EXPECT_EQ(file.GetSegment("T", &caller, false), ZQ_FAIL);
    ASSERT_EQ(file.OpenSegment("T"), ZQ_OK);
    EXPECT_EQ(file.GetSegmentData(buffer, 9, 0), ZQ_FAIL);
    EXPECT_EQ(file.GetSegmentData(buffer, 5, 0), ZQ_OK);  // the bytes that are there
    EXPECT_EQ(file.GetSegmentData("T", buffer, 9, 0), ZQ_ERROR);
}

TEST_F(ZQFileTest, SegmentWhoseHeaderIsCutOffIsNotEntered) {
    const Bytes whole = containerBytes({{"A", bytesOf("abc")}, {"B", bytesOf("defg")}});
    struct Case {
        const char* label;
        size_t keep;  // bytes of the file that are left
    };
    const Case cases[] = {
        {"size field cut off", 8 + 36 + 3 + 32 + 2},
        {"size field missing", 8 + 36 + 3 + 32},
        {"name field cut off", 8 + 36 + 3 + 10},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        std::string path = folder.file("header.zq");
        writeBytes(path, Bytes(whole.begin(), whole.begin() + long(c.keep)));
        ZQFile file;
        open(file, path, ZQ_FILE_READ_ONLY);
        EXPECT_EQ(directory(file), (std::vector<std::pair<std::string, uint32_t>>{{"A", 3}}));
        EXPECT_EQ(file.GetSegmentSize("B"), kNoSuchSegment);
    }
}

TEST_F(ZQFileTest, HostileSizesStopTheDirectory) {
    struct Case {
        const char* label;
        std::vector<RawSegment> segments;
        std::vector<std::pair<std::string, uint32_t>> expected;
    };
    const Case cases[] = {
        // 44 + 0xFFFFFFF0 does not fit 32 bits, so its end cannot be an offset.
        {"end beyond 4 GiB", {{"H", bytesOf("abc"), 0xFFFFFFF0}}, {}},
        {"end beyond 4 GiB after a good segment",
         {{"A", bytesOf("a")}, {"H", bytesOf("abc"), 0xFFFFFFD0}},
         {{"A", 1}}},
        // A size that runs past the file swallows what follows: it is the last.
        {"size past the end of the file",
         {{"A", bytesOf("a")}, {"L", bytesOf("xy"), 1000}, {"B", bytesOf("b")}},
         {{"L", 1000}, {"A", 1}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        std::string path = writeContainer("hostile.zq", c.segments);
        ZQFile file;
        open(file, path, ZQ_FILE_READ_ONLY);
        EXPECT_EQ(directory(file), c.expected);
    }
}

TEST_F(ZQFileTest, OffsetMinusOneReadsOnFromTheLastRead) {
    std::string path = writeContainer("seq.zq", {{"S", bytesOf("0123456789")}});
    ZQFile file;
    open(file, path, ZQ_FILE_READ_ONLY);
    ASSERT_EQ(file.OpenSegment("S"), ZQ_OK);
    char text[4] = {};
    ASSERT_EQ(file.GetSegmentData(text, 3, 1), ZQ_OK);
    EXPECT_STREQ(text, "123");
    ASSERT_EQ(file.GetSegmentData(text, 3, -1), ZQ_OK);
    EXPECT_STREQ(text, "456");
    ASSERT_EQ(file.GetSegmentData(text, 3, -1), ZQ_OK);
    EXPECT_STREQ(text, "789");
    EXPECT_EQ(file.GetSegmentData(text, 1, -1), ZQ_FAIL);  // the end of the file
}

TEST_F(ZQFileTest, SeekReachesTheSegmentsEndButNotBeyond) {
    std::string path = writeContainer("seek.zq", {{"A", bytesOf("abcd")}, {"B", bytesOf("efg")}});
    ZQFile file;
    open(file, path, ZQ_FILE_READ_ONLY);
    EXPECT_EQ(file.Seek("B", 3), ZQ_OK);
    EXPECT_TRUE(log.texts().empty());
    EXPECT_EQ(file.Seek("B", 4), ZQ_ERROR);
    const char* expression = "(SLONG)offset<=(SLONG)entry->Size";
    const char* message = "Tovik: Attempt to seek past end of segment in a file";
    EXPECT_TRUE(log.contains(LogCapture::failedCheck(expression, message)));
    log.clear();
    // A negative offset would leave the segment backwards: refused the same way.
    EXPECT_EQ(file.Seek("B", -1), ZQ_ERROR);
    EXPECT_TRUE(log.contains(LogCapture::failedCheck(expression, message)));
    EXPECT_EQ(file.Seek("nothing", 0), ZQ_FAIL);

    // Without a name the offset is absolute.
    ASSERT_EQ(file.Seek(nullptr, 44), ZQ_OK);
    char c = 0;
    ASSERT_EQ(file.ReadData(&c, 1), ZQ_OK);
    EXPECT_EQ(c, 'a');
    log.clear();
    EXPECT_EQ(file.Seek(nullptr, -5), ZQ_ERROR);
    EXPECT_TRUE(log.contains("System error 22: Invalid argument"));
}

TEST_F(ZQFileTest, AppendWritesAfterTheLastSegment) {
    struct Case {
        const char* label;
        std::vector<RawSegment> before;
        uint32_t newOffset;  // where the appended segment's data start
    };
    const Case cases[] = {
        {"empty container", {}, 44},
        {"two segments", {{"A", bytesOf("abc")}, {"B", bytesOf("de")}}, 8 + 39 + 38 + 36},
        // The new segment goes after the declared end, so the size stays true
        // and the new segment can be found.
        {"truncated last segment", {{"T", bytesOf("xy"), 10}}, 8 + 46 + 36},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        std::string path = writeContainer("append.zq", c.before);
        ZQFile file;
        open(file, path, ZQ_FILE_APPEND);
        ZQFileSegment segment{};
        std::strcpy(segment.Name, "N");
        uint8_t data[] = {1, 2, 3, 4};
        segment.Size = 4;
        segment.Data = data;
        ASSERT_EQ(file.WriteSegment(&segment), ZQ_OK);
        ASSERT_EQ(file.Close(), ZQ_OK);

        open(file, path, ZQ_FILE_READ_ONLY);
        ASSERT_NE(file.Directory().First(), nullptr);
        EXPECT_STREQ(file.Directory().First()->Name, "N");
        EXPECT_EQ(file.Directory().First()->Offset, c.newOffset);
        EXPECT_EQ(file.Directory().GetCount(), c.before.size() + 1);
        uint8_t back[4] = {};
        EXPECT_EQ(file.GetSegmentData("N", back, 4, 0), ZQ_OK);
        EXPECT_EQ(std::memcmp(back, data, 4), 0);
    }
}

TEST_F(ZQFileTest, ReadingByNameInAppendModeWritesNothing) {
    std::string path = writeContainer("readappend.zq", {{"A", bytesOf("abc")}});
    Bytes before = readBytes(path);
    ZQFile file;
    open(file, path, ZQ_FILE_APPEND);
    char text[4] = {};
    EXPECT_EQ(file.GetSegmentData("A", text, 3, 0), ZQ_OK);
    EXPECT_STREQ(text, "abc");
    EXPECT_EQ(file.GetSegmentData("missing", text, 1, 0), ZQ_FAIL);
    ASSERT_EQ(file.Close(), ZQ_OK);
    EXPECT_EQ(readBytes(path), before);
}

TEST_F(ZQFileTest, CloseOfAClosedFileReturnsZero) {
    ZQFile never;
    EXPECT_EQ(never.Close(), ZQ_OK);
    ZQFile file;
    open(file, folder.file("c.zq"), ZQ_FILE_NEW);
    EXPECT_EQ(file.Close(), ZQ_OK);
    EXPECT_EQ(file.Close(), ZQ_OK);
    EXPECT_TRUE(log.texts().empty());
}

TEST_F(ZQFileTest, CloseWritesTheSizeOfAnOpenSegment) {
    std::string path = folder.file("open.zq");
    ZQFile file;
    open(file, path, ZQ_FILE_NEW);
    ASSERT_EQ(file.OpenSegment("S"), ZQ_OK);
    ASSERT_EQ(file.WriteSegmentData("12345", 5), ZQ_OK);
    ASSERT_EQ(file.OpenSegment("T"), ZQ_OK);  // closes S first
    ASSERT_EQ(file.WriteSegmentData("67", 2), ZQ_OK);
    ASSERT_EQ(file.Close(), ZQ_OK);
    Bytes bytes = readBytes(path);
    EXPECT_EQ(u32At(bytes, 40), 5u);
    EXPECT_EQ(u32At(bytes, 8 + 36 + 5 + 32), 2u);
    EXPECT_EQ(bytes.size(), 8u + 36 + 5 + 36 + 2);
}

TEST_F(ZQFileTest, GetSegmentFillsFreshMemoryOrTheCallersBuffer) {
    std::string path = writeContainer("fresh.zq", {{"A", bytesOf("abc")}, {"B", bytesOf("defgh")}});
    ZQFile file;
    open(file, path, ZQ_FILE_READ_ONLY);
    ZQFileSegment first{};
    ASSERT_EQ(file.GetSegment("A", &first, true), ZQ_OK);
    EXPECT_STREQ(first.Name, "A");
    ASSERT_EQ(first.Size, 3u);
    EXPECT_EQ(std::string(first.Data, first.Data + 3), "abc");
    ZQFileSegment second{};
    // The file owns one buffer: this call frees the first (a leak shows under ASan).
    ASSERT_EQ(file.GetSegment("B", &second, true), ZQ_OK);
    EXPECT_EQ(std::string(second.Data, second.Data + second.Size), "defgh");
    ZQFileSegment empty{};
    EXPECT_EQ(file.GetSegment("missing", &empty, true), ZQ_FAIL);
    EXPECT_EQ(empty.Data, nullptr);

    uint8_t buffer[3] = {};
    ZQFileSegment caller{};
    caller.Size = file.GetSegmentSize("A");
    caller.Data = buffer;
    ASSERT_EQ(file.GetSegment("A", &caller, false), ZQ_OK);
    EXPECT_STREQ(caller.Name, "A");
    EXPECT_EQ(std::string(buffer, buffer + 3), "abc");
    EXPECT_EQ(file.Close(), ZQ_OK);  // frees the second
}

TEST_F(ZQFileTest, OpenSegmentOfAnUnknownNameLeavesNoSegmentOpen) {
    std::string path = writeContainer("unknown.zq", {{"A", bytesOf("abcd")}});
    ZQFile file;
    open(file, path, ZQ_FILE_READ_ONLY);
    ASSERT_EQ(file.OpenSegment("A"), ZQ_OK);
    EXPECT_EQ(file.OpenSegment("Z"), ZQ_FAIL);
    char c;
    EXPECT_EQ(file.GetSegmentData(&c, 1, 0), ZQ_ERROR);  // no segment is open
    EXPECT_EQ(
        log.texts().front(),
        LogCapture::failedCheck("SegmentOpenFlag",
                                "Tovik: Call to ZQFile::GetSegmentData when segment was not open"));
}

TEST_F(ZQFileTest, FileExistsForFilesAndFoldersOnly) {
    std::string path = writeContainer("exists.zq", {});
    EXPECT_EQ(FileExists(path.c_str()), ZQ_OK);
    EXPECT_EQ(FileExists(folder.path().c_str()), ZQ_OK);
    EXPECT_EQ(FileExists(folder.file("absent").c_str()), ZQ_FAIL);
    EXPECT_EQ(FileExists(""), ZQ_FAIL);
    EXPECT_EQ(FileExists(nullptr), ZQ_FAIL);
}

}  // namespace
}  // namespace quillon
