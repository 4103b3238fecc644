// Appending bytes of another file to an open segment (copied by the kernel
// where it can), mixed with ordinary pieces, keeps every byte in order.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include "ContainerTestSupport.h"
#include "container/ZQFile.h"

namespace quillon {
namespace {

using containertest::Bytes;
using containertest::pattern;

class SegmentCopy : public testing::Test {
  protected:
    Bytes segmentBytes(const std::string& path, const char* name) {
        ZQFile reader;
        reader.SetName(path.c_str());
        EXPECT_EQ(reader.Open(ZQ_FILE_READ_ONLY), ZQ_OK);
        Bytes bytes(reader.GetSegmentSize(name));
        EXPECT_EQ(reader.GetSegmentData(name, bytes.data(), uint32_t(bytes.size()), 0), ZQ_OK);
        reader.Close();
        return bytes;
    }
    void openNew(ZQFile& file, const char* name) {
        file.SetName(dir.file(name).c_str());
        ASSERT_EQ(file.Open(ZQ_FILE_NEW), ZQ_OK);
    }
    int openSource(const Bytes& bytes) {
        containertest::writeBytes(dir.file("source"), bytes);
        return ::open(dir.file("source").c_str(), O_RDONLY);
    }

    containertest::TempFolder dir;
};

TEST_F(SegmentCopy, PiecesFromFilesAndMemoryStayInOrderAtAnyAlignment) {
    Bytes source = pattern(3 * 4096 + 123, 1);
    int fd = openSource(source);
    ZQFile out;
    openNew(out, "out");
    ASSERT_EQ(out.OpenSegment("data"), ZQ_OK);
    Bytes small = pattern(5000, 9);  // leaves a held tail before the copy
    ASSERT_EQ(out.WriteSegmentData(small.data(), uint32_t(small.size())), ZQ_OK);
    ASSERT_EQ(out.WriteSegmentDataFromFile(fd, 17, uint32_t(source.size() - 17)), ZQ_OK);
    ASSERT_EQ(out.WriteSegmentData(small.data(), 3), ZQ_OK);
    ASSERT_EQ(out.CloseSegment(), ZQ_OK);
    ASSERT_EQ(out.Close(), ZQ_OK);
    ::close(fd);

    Bytes expected = small;
    expected.insert(expected.end(), source.begin() + 17, source.end());
    expected.insert(expected.end(), small.begin(), small.begin() + 3);
    EXPECT_EQ(segmentBytes(dir.file("out"), "data"), expected);
}

TEST_F(SegmentCopy, SourceEndingEarlyFails) {
    int fd = openSource(pattern(100, 3));
    ZQFile out;
    openNew(out, "out");
    ASSERT_EQ(out.OpenSegment("data"), ZQ_OK);
    EXPECT_EQ(out.WriteSegmentDataFromFile(fd, 50, 51), ZQ_FAIL);
    out.Close();
    ::close(fd);
}

TEST_F(SegmentCopy, CopiesARangeOfAnotherContainersSegmentAndRefusesOneOutsideIt) {
    Bytes wave = pattern(10000, 5);
    {
        ZQFile bank;
        openNew(bank, "bank");
        ASSERT_EQ(bank.OpenSegment("info"), ZQ_OK);
        ASSERT_EQ(bank.WriteSegmentData("abc", 3), ZQ_OK);
        ASSERT_EQ(bank.OpenSegment("wave"), ZQ_OK);
        ASSERT_EQ(bank.WriteSegmentData(wave.data(), uint32_t(wave.size())), ZQ_OK);
        ASSERT_EQ(bank.Close(), ZQ_OK);
    }
    ZQFile previous;
    previous.SetName(dir.file("bank").c_str());
    ASSERT_EQ(previous.Open(ZQ_FILE_READ_ONLY), ZQ_OK);
    ZQFile out;
    openNew(out, "out");
    ASSERT_EQ(out.OpenSegment("copy"), ZQ_OK);
    ASSERT_EQ(out.WriteSegmentDataFrom(previous, "wave", 1000, 2000), ZQ_OK);
    EXPECT_EQ(out.WriteSegmentDataFrom(previous, "wave", 9000, 1001), ZQ_FAIL);
    EXPECT_EQ(out.WriteSegmentDataFrom(previous, "wave", 0xFFFFFFFF, 2), ZQ_FAIL);
    EXPECT_EQ(out.WriteSegmentDataFrom(previous, "none", 0, 1), ZQ_FAIL);
    out.StartWriteback();
    ASSERT_EQ(out.Close(), ZQ_OK);
    previous.Close();
    EXPECT_EQ(segmentBytes(dir.file("out"), "copy"),
              Bytes(wave.begin() + 1000, wave.begin() + 3000));
}

}  // namespace
}  // namespace quillon
