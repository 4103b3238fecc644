// Streaming into a segment: whatever the sizes of the pieces, the file holds
// exactly the bytes streamed, and a write that fails is reported by the call
// whose bytes it could not write.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "ContainerTestSupport.h"
#include "container/ZQFile.h"

namespace quillon {
namespace {

using containertest::Bytes;
using containertest::FileSizeLimit;
using containertest::LogCapture;
using containertest::pattern;
using containertest::readBytes;
using containertest::TempFolder;
using containertest::u32At;

class ZQFileStreamTest : public ::testing::Test {
  protected:
    void open(ZQFile& file, int mode) {
        ASSERT_EQ(file.SetName(path.c_str()), ZQ_OK);
        ASSERT_EQ(file.Open(mode), ZQ_OK);
    }

    TempFolder folder;
    std::string path = folder.file("stream.zq");
    LogCapture log;
};

TEST_F(ZQFileStreamTest, FileHoldsExactlyTheBytesStreamedWhateverThePieces) {
    struct Case {
        const char* label;
        std::vector<uint32_t> pieces;
    };
    const Case cases[] = {
        {"one small piece", {5}},
        {"one piece past a page", {5000}},
        {"ends on a page boundary", {4096 - 44}},
        {"one byte past a page boundary", {4096 - 43}},
        {"pages", {4096, 4096, 4096}},
        {"mixed sizes", {1, 70000, 3, 4100, 0, 8192, 17}},
        {"64 KiB pieces", {65536, 65536, 65536, 65536}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        ZQFile file;
        open(file, ZQ_FILE_NEW);
        ASSERT_EQ(file.OpenSegment("S"), ZQ_OK);
        Bytes expected;
        uint8_t seed = 1;
        for (uint32_t size : c.pieces) {
            Bytes piece = pattern(size, seed++);
            ASSERT_EQ(file.WriteSegmentData(piece.data(), size), ZQ_OK);
            expected.insert(expected.end(), piece.begin(), piece.end());
        }
        ASSERT_EQ(file.CloseSegment(), ZQ_OK);
        // A second segment after it: its header must follow the last piece.
        ASSERT_EQ(file.OpenSegment("T"), ZQ_OK);
        ASSERT_EQ(file.WriteSegmentData("t", 1), ZQ_OK);
        ASSERT_EQ(file.Close(), ZQ_OK);

        Bytes bytes = readBytes(path);
        ASSERT_EQ(bytes.size(), 8 + 36 + expected.size() + 36 + 1);
        EXPECT_EQ(u32At(bytes, 40), expected.size());
        EXPECT_TRUE(std::equal(expected.begin(), expected.end(), bytes.begin() + 44));
        EXPECT_EQ(bytes[44 + expected.size()], 'T');
        EXPECT_EQ(bytes.back(), 't');
    }
}

TEST_F(ZQFileStreamTest, ReadingAfterStreamingSeesEveryByte) {
    {
        ZQFile file;
        open(file, ZQ_FILE_NEW);
        ASSERT_EQ(file.Close(), ZQ_OK);
    }
    ZQFile file;
    open(file, ZQ_FILE_APPEND);
    Bytes data = pattern(10000, 3);
    ASSERT_EQ(file.OpenSegment("S"), ZQ_OK);
    ASSERT_EQ(file.WriteSegmentData(data.data(), uint32_t(data.size())), ZQ_OK);
    ASSERT_EQ(file.Seek(nullptr, 44), ZQ_OK);
    Bytes back(data.size());
    ASSERT_EQ(file.ReadData(back.data(), uint32_t(back.size())), ZQ_OK);
    EXPECT_EQ(back, data);
}

TEST_F(ZQFileStreamTest, EveryStreamedByteIsInTheFileWhenFlushed) {
    ZQFile file;
    EXPECT_EQ(file.Flush(), ZQ_OK);  // nothing open, nothing to flush
    open(file, ZQ_FILE_NEW);
    ASSERT_EQ(file.OpenSegment("S"), ZQ_OK);
    Bytes data = pattern(5000, 9);
    ASSERT_EQ(file.WriteSegmentData(data.data(), uint32_t(data.size())), ZQ_OK);
    ASSERT_EQ(file.Flush(), ZQ_OK);
    struct stat info {};
    ASSERT_EQ(stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_size, 44 + 5000);
}

// Segment data start at offset 44. Under a file-size limit, every call whose
// bytes fit returns 0 and the call whose bytes pass the limit fails itself,
// wherever in its last page the limit falls.
TEST_F(ZQFileStreamTest, AFailedWriteIsReportedByTheCallWhoseBytesItCouldNotWrite) {
    struct Case {
        const char* label;
        rlim_t limit;
        std::vector<uint32_t> pieces;
        size_t failingCall;
    };
    const Case cases[] = {
        {"limit inside the last partial page of a large piece", 12288 + 100, {4000, 10000}, 1},
        {"limit inside a small piece", 44 + 4100 + 50, {4000, 100, 100}, 2},
        {"limit at the end of a large piece", 44 + 10000, {10000, 1}, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        ZQFile file;
        open(file, ZQ_FILE_NEW);
        ASSERT_EQ(file.OpenSegment("S"), ZQ_OK);
        FileSizeLimit limit(c.limit);
        for (size_t call = 0; call <= c.failingCall; ++call) {
            Bytes piece = pattern(c.pieces[call], uint8_t(call + 1));
            int result = file.WriteSegmentData(piece.data(), uint32_t(piece.size()));
            if (call < c.failingCall)
                EXPECT_EQ(result, ZQ_OK) << "call " << call;
            else
                EXPECT_NE(result, ZQ_OK) << "call " << call;
        }
    }
}

}  // namespace
}  // namespace quillon
