// ZQFile when writing fails: a short write under a file-size limit, a write
// the system refuses, a full device, and segments that would pass 4 GiB.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "ContainerTestSupport.h"
#include "container/ZQFile.h"

namespace quillon {
namespace {

using containertest::Bytes;
using containertest::bytesOf;
using containertest::containerBytes;
using containertest::FileSizeLimit;
using containertest::LogCapture;
using containertest::readBytes;
using containertest::TempFolder;
using containertest::writeBytes;

class ZQFileWriteFailureTest : public ::testing::Test {
  protected:
    TempFolder folder;
    LogCapture log;
};

TEST_F(ZQFileWriteFailureTest, ShortWriteReturnsTwoAndNamesTheFile) {
    std::string path = folder.file("short.zq");
    ZQFile file;
    ASSERT_EQ(file.SetName(path.c_str()), ZQ_OK);
    ASSERT_EQ(file.Open(ZQ_FILE_NEW), ZQ_OK);
    std::vector<uint8_t> data(1000, 7);
    {
        FileSizeLimit limit(500);
        EXPECT_EQ(file.WriteData(data.data(), uint32_t(data.size())), ZQ_FAIL);
    }
    EXPECT_EQ(log.texts(), std::vector<std::string>{"Error writing to file " + path});
    EXPECT_EQ(readBytes(path).size(), 500u);
}

TEST_F(ZQFileWriteFailureTest, RefusedWriteLogsTheSystemErrorAndReturnsThree) {
    std::string path = folder.file("refused.zq");
    ZQFile file;
    ASSERT_EQ(file.SetName(path.c_str()), ZQ_OK);
    ASSERT_EQ(file.Open(ZQ_FILE_NEW), ZQ_OK);
    ASSERT_EQ(file.OpenSegment("S"), ZQ_OK);
    {
        FileSizeLimit limit(8 + 36);  // not one byte more may be written
        EXPECT_EQ(file.WriteSegmentData("abc", 3), ZQ_ERROR);
    }
    EXPECT_EQ(log.texts(), std::vector<std::string>{"System error 27: File too large"});
}

TEST_F(ZQFileWriteFailureTest, FullDeviceLogsTheSystemErrorAndReturnsThree) {
    if (access("/dev/full", W_OK) != 0) GTEST_SKIP() << "no /dev/full";
    ZQFile file;
    ASSERT_EQ(file.SetName("/dev/full"), ZQ_OK);
    // Writing the magic is the first write, and it fails.
    EXPECT_EQ(file.Open(ZQ_FILE_NEW), ZQ_ERROR);
    EXPECT_FALSE(file.IsOpen());
    EXPECT_EQ(log.texts(), std::vector<std::string>{"System error 28: No space left on device"});
}

// A file whose only segment ends just below 4 GiB: sparse, so it costs no disk.
std::string containerEndingAt(const TempFolder& folder, uint32_t end) {
    std::string path = folder.file("huge.zq");
    Bytes bytes = containerBytes({{"BIG", {}, int64_t(end) - 44}});
    writeBytes(path, bytes);
    if (truncate(path.c_str(), off_t(end)) != 0) ADD_FAILURE() << "cannot make a sparse file";
    return path;
}

TEST_F(ZQFileWriteFailureTest, SegmentDataMayNotPassFourGiB) {
    std::string path = containerEndingAt(folder, 0xFFFFFF00u);
    ZQFile file;
    ASSERT_EQ(file.SetName(path.c_str()), ZQ_OK);
    ASSERT_EQ(file.Open(ZQ_FILE_APPEND), ZQ_OK);
    ASSERT_EQ(file.OpenSegment("N"), ZQ_OK);  // data start at 0xFFFFFF24
    std::vector<uint8_t> data(0xDB, 1);
    EXPECT_EQ(file.WriteSegmentData(data.data(), uint32_t(data.size())), ZQ_OK);
    EXPECT_EQ(file.WriteSegmentData(data.data(), 1), ZQ_ERROR);  // would end at 2^32
    EXPECT_EQ(log.texts(),
              std::vector<std::string>{"Segment N would end beyond 4 GiB in file " + path});
    ASSERT_EQ(file.Close(), ZQ_OK);

    ASSERT_EQ(file.Open(ZQ_FILE_READ_ONLY), ZQ_OK);
    EXPECT_EQ(file.GetSegmentSize("N"), 0xDBu);
}

TEST_F(ZQFileWriteFailureTest, SegmentMayNotStartBeyondFourGiB) {
    std::string path = containerEndingAt(folder, 0xFFFFFFF0u);
    ZQFile file;
    ASSERT_EQ(file.SetName(path.c_str()), ZQ_OK);
    ASSERT_EQ(file.Open(ZQ_FILE_APPEND), ZQ_OK);
    EXPECT_EQ(file.OpenSegment("N"), ZQ_ERROR);
    EXPECT_EQ(log.texts(),
              std::vector<std::string>{"Segment N would start beyond 4 GiB in file " + path});
    ASSERT_EQ(file.Close(), ZQ_OK);
    EXPECT_EQ(std::filesystem::file_size(path), 0xFFFFFFF0u) << "nothing was written";
}

}  // namespace
}  // namespace quillon
