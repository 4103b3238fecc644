// ZQFile: the layout it writes, the directory it reads and its answers to broken files.
#include "container/ZQFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstring>
#include <numeric>

#include "ContainerTestSupport.h"

namespace quillon {
namespace {

using namespace containertest;
using Directory = std::vector<std::pair<std::string, uint32_t>>;

class ZQFileTest : public ::testing::Test {
  protected:
    void open(ZQFile& f, int mode, const std::string& name) {
        ASSERT_EQ(f.SetName(name.c_str()), ZQ_OK);
        ASSERT_EQ(f.Open(mode), ZQ_OK);
    }
    void open(const Bytes& bytes, int mode) {
        writeFile(path, bytes);
        open(file, mode, path);
    }
    // Names and data offsets (or sizes) of the directory, the last segment first.
    Directory directory(bool sizes = false) const {
        Directory out;
        for (const ZQFileEntry& entry : file.Directory())
            out.emplace_back(entry.Name, sizes ? entry.Size : entry.Offset);
        return out;
    }

    TempFolder folder;
    std::string path = folder.file("c.zq");
    ZQFile file;
    LogCapture log;
};

// The one byte-exact home of the container layout, written piece by piece, copied
// and appended (after the declared end of the last segment, so a truncated one stays true).
TEST_F(ZQFileTest, WrittenLayoutIsByteExact) {
    const std::string cut = "0123456789abcdefghijklmnopqrstuv", longName = cut + "wxyzABCD";
    Bytes source(3 * 4096 + 123);
    std::iota(source.begin(), source.end(), uint8_t(1));
    const uint32_t size = uint32_t(source.size());
    writeFile(folder.file("p.zq"), containerBytes({{"W", source}}));
    ZQFile previous;
    open(previous, ZQ_FILE_READ_ONLY, folder.file("p.zq"));
    const int fd = ::open(folder.file("p.zq").c_str(), O_RDONLY);
    open(file, ZQ_FILE_NEW, path);
    ZQFileSegment segment{"A", 3, reinterpret_cast<uint8_t*>(const_cast<char*>("AAA"))};
    ASSERT_EQ(file.WriteSegment(&segment), ZQ_OK);
    ASSERT_EQ(file.OpenSegment(longName.c_str()), ZQ_OK);
    // Fails after 50 bytes, which the next piece overwrites.
    EXPECT_EQ(file.WriteSegmentDataFromFile(fd, 44 + size - 50, 51), ZQ_FAIL);
    for (const char* piece : {"x", "", "yz"})
        ASSERT_EQ(file.WriteSegmentData(piece, uint32_t(std::strlen(piece))), ZQ_OK);
    ASSERT_EQ(file.WriteSegmentDataFromFile(fd, 44 + 17, 4000), ZQ_OK);
    ASSERT_EQ(file.WriteSegmentDataFrom(previous, "W", 1000, size - 1000), ZQ_OK);
    EXPECT_EQ(file.WriteSegmentDataFrom(previous, "W", size - 1000, 1001), ZQ_FAIL);
    EXPECT_EQ(file.WriteSegmentDataFrom(previous, "W", size + 1, 0), ZQ_FAIL);
    EXPECT_EQ(file.WriteSegmentDataFrom(previous, "none", 0, 1), ZQ_FAIL);
    ASSERT_EQ(file.OpenSegment("T"), ZQ_OK);  // closes the long one, writing its size
    ASSERT_EQ(file.WriteSegmentData("67", 2), ZQ_OK);
    file.StartWriteback();
    ASSERT_EQ(file.Flush(), ZQ_OK);
    ASSERT_EQ(file.Close(), ZQ_OK);  // writes the size of the open segment
    ::close(fd);
    Bytes copied = bytesOf("xyz");
    copied.insert(copied.end(), source.begin() + 17, source.begin() + 4017);
    copied.insert(copied.end(), source.begin() + 1000, source.end());
    Bytes expected = containerBytes({{"A", bytesOf("AAA")}, {cut, copied}, {"T", bytesOf("67")}});
    EXPECT_EQ(readFileBytes(path), expected);

    open(file, ZQ_FILE_APPEND, path);
    EXPECT_EQ(directory(), (Directory{{"T", uint32_t(expected.size()) - 2}, {cut, 83}, {"A", 44}}));
    ASSERT_EQ(file.OpenSegment("N"), ZQ_OK);
    ASSERT_EQ(file.WriteSegmentData("wxyz", 4), ZQ_OK);
    ASSERT_EQ(file.Seek(nullptr, int64_t(expected.size()) + 37), ZQ_OK);
    char text[4] = {};
    ASSERT_EQ(file.ReadData(text, 3), ZQ_OK);  // reading in append mode sees the writes
    EXPECT_STREQ(text, "xyz");
    EXPECT_EQ(file.GetSegmentData("T", text, 2, 0), ZQ_OK);  // by name writes nothing
    ASSERT_EQ(file.Close(), ZQ_OK);
    expected = containerBytes(
        {{"A", bytesOf("AAA")}, {cut, copied}, {"T", bytesOf("67")}, {"N", bytesOf("wxyz")}});
    EXPECT_EQ(readFileBytes(path), expected);

    open(containerBytes({{"T", bytesOf("xy")}}, {{"T", 10}}), ZQ_FILE_APPEND);
    ASSERT_EQ(file.OpenSegment("N"), ZQ_OK);
    ASSERT_EQ(file.Close(), ZQ_OK);
    open(file, ZQ_FILE_READ_ONLY, path);
    EXPECT_EQ(directory(), (Directory{{"N", 8 + 36 + 10 + 36}, {"T", 44}}));
    EXPECT_TRUE(log.lines.empty());
}

TEST_F(ZQFileTest, FileThatIsNoContainerFailsAndStaysClosed) {
    const std::tuple<const char*, Bytes, const char*> cases[] = {
        {"wrong magic", bytesOf("ZaRqUiNE"), " was not a Zarquine File"},
        {"shorter than the magic", bytesOf("ZaRq"), " was not a Zarquine File"},
        {"missing", {}, " was not found"},
    };
    for (const auto& [label, bytes, logged] : cases) {
        SCOPED_TRACE(label);
        std::remove(path.c_str());
        if (label != std::string("missing")) writeFile(path, bytes);
        for (int mode : {ZQ_FILE_READ_ONLY, ZQ_FILE_APPEND}) {
            log.lines.clear();
            ASSERT_EQ(file.SetName(path.c_str()), ZQ_OK);
            EXPECT_EQ(file.Open(mode), ZQ_FAIL);
            EXPECT_FALSE(file.IsOpen());
            EXPECT_EQ(log.lines, std::vector{"File " + path + logged});
        }
        EXPECT_EQ(readFileBytes(path), bytes);  // append mode wrote nothing
    }
    EXPECT_EQ(FileExists(path.c_str()) + FileExists(folder.path().c_str()), ZQ_FAIL);
    ASSERT_EQ(file.SetName(folder.path().c_str()), ZQ_OK);
    EXPECT_EQ(file.Open(ZQ_FILE_READ_ONLY), ZQ_FAIL);
    EXPECT_EQ(log.lines.back(), "File " + folder.path() + " was not a Zarquine File");
    EXPECT_EQ(file.Open(ZQ_FILE_NEW), ZQ_ERROR);
    EXPECT_EQ(log.lines.back(), "System error 21: Is a directory");
}

// A cut-off header ends the directory; a size past the end of the file or 4 GiB ends it too.
TEST_F(ZQFileTest, DirectoryStopsAtCutOffHeadersAndHostileSizes) {
    const Bytes ab = containerBytes({{"A", bytesOf("abc")}, {"B", bytesOf("defg")}});
    const Bytes a = bytesOf("a");
    const std::tuple<const char*, Bytes, Directory> cases[] = {
        {"size field cut off", Bytes(ab.begin(), ab.begin() + 8 + 36 + 3 + 32), {{"A", 3}}},
        {"name field cut off", Bytes(ab.begin(), ab.begin() + 8 + 36 + 3 + 10), {{"A", 3}}},
        {"end past 4 GiB", containerBytes({{"H", a}}, {{"H", 0xFFFFFFD4}}), {}},
        {"end at 4 GiB", containerBytes({{"H", a}}, {{"H", 0xFFFFFFD3}}), {{"H", 0xFFFFFFD3}}},
        {"size past the end of the file",
         containerBytes({{"A", a}, {"L", bytesOf("xy")}, {"B", a}}, {{"L", 1000}}),
         {{"L", 1000}, {"A", 1}}},
        {"one name twice: the later is found",
         containerBytes({{"X", a}, {"X", ab}}),
         {{"X", 87}, {"X", 1}}},
    };
    for (const auto& [label, bytes, expected] : cases) {
        SCOPED_TRACE(label);
        open(bytes, ZQ_FILE_READ_ONLY);
        EXPECT_EQ(directory(true), expected);
        EXPECT_EQ(file.GetSegmentSize(expected.empty() ? "" : expected[0].first.c_str()),
                  expected.empty() ? kNoSuchSegment : expected[0].second);
        file.Close();
    }
}

TEST_F(ZQFileTest, ReadsBySegmentOffsetAndSeekWithinTheFile) {
    open(containerBytes({{"A", bytesOf("abcd")}, {"T", bytesOf("01234")}}, {{"T", 9}}),
         ZQ_FILE_READ_ONLY);  // T claims 9 bytes but the file ends after 5
    char text[10] = {};
    ASSERT_EQ(file.OpenSegment("T"), ZQ_OK);
    ASSERT_EQ(file.GetSegmentData(text, 2, 1), ZQ_OK);
    ASSERT_EQ(file.GetSegmentData(text + 2, 2, -1), ZQ_OK);  // on from the last read
    EXPECT_STREQ(text, "1234");
    EXPECT_EQ(file.GetSegmentData(text, 9, 0), ZQ_FAIL);  // the end of the file
    EXPECT_EQ(file.GetSegmentData("T", text, 9, 0), ZQ_ERROR);
    ZQFileSegment fresh{};
    EXPECT_EQ(file.GetSegment("T", &fresh, true), ZQ_FAIL);  // no buffer past the end
    EXPECT_EQ(file.OpenSegment("Z"), ZQ_FAIL);
    EXPECT_EQ(file.GetSegmentData("Z", text, 1, 0), ZQ_FAIL);
    EXPECT_EQ(file.GetSegmentData(text, 1, 0), ZQ_ERROR);  // no segment stays open

    log.lines.clear();
    EXPECT_EQ(file.Seek("A", 4), ZQ_OK);
    EXPECT_EQ(file.Seek("A", 5), ZQ_ERROR);
    EXPECT_EQ(file.Seek("A", -1), ZQ_ERROR);  // would leave the segment backwards
    EXPECT_EQ(file.Seek("nothing", 0), ZQ_FAIL);
    EXPECT_EQ(file.Seek(nullptr, -5), ZQ_ERROR);
    EXPECT_EQ(log.lines.size(), 5u);
    EXPECT_EQ(log.lines.back(), "System error 22: Invalid argument");
}

}  // namespace
}  // namespace quillon
