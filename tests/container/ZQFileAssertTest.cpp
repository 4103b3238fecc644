// Every caller check of ZQFile logs the wrong call and its corrective statement.
#include <cstring>

#include "ContainerTestSupport.h"
#include "container/ZQFile.h"

namespace quillon {
namespace {

using namespace containertest;

int writeSegment(ZQFile& f, const char* name) {
    ZQFileSegment segment{};
    std::strcpy(segment.Name, name);
    return f.WriteSegment(&segment);
}

int getSegment(ZQFile& f, const char* name, uint32_t size, bool fresh) {
    uint8_t buffer[4] = {9, 9, 9, 9};
    ZQFileSegment segment{"", size, size == 4 ? nullptr : buffer};
    const int result = f.GetSegment(name, &segment, fresh);
    EXPECT_EQ(buffer[2], 9) << "a buffer of the wrong size was read into";
    return result;
}

template <typename... Results>
std::vector<int> resultsOf(Results... results) {
    return {results...};
}

constexpr int kClosed = -1;

// On segment A (4 bytes) and a last segment BIG that claims 90,000,000 bytes.
class ZQFileAssertTest : public ::testing::Test {
  protected:
    void start(ZQFile& file, int mode) {
        writeFile(path, containerBytes({{"A", bytesOf("abcd")}, {"BIG", bytesOf("xyz")}},
                                       {{"BIG", 90000000}}));
        if (file.SetName(path.c_str()) != ZQ_OK || (mode != kClosed && file.Open(mode) != ZQ_OK))
            ADD_FAILURE();
    }

    TempFolder folder;
    std::string path = folder.file("base.zq");
};

TEST_F(ZQFileAssertTest, EveryWrongCallIsLoggedAndReturnsThree) {
    ZQFile noName, closed, created, reading, appending;
    start(closed, kClosed);
    start(reading, ZQ_FILE_READ_ONLY);
    start(appending, ZQ_FILE_APPEND);
    start(created, ZQ_FILE_NEW);
    char x[1] = {'x'};
    LogCapture log;
    const unsigned long failedBefore = ZQLogFailedCheckCount();
    // In any order: none of these calls changes its file.
    std::vector<int> results = resultsOf(
        noName.Open(ZQ_FILE_NEW), closed.SetName(""), closed.Open(1), closed.OpenSegment("A"),
        writeSegment(closed, "S"), closed.Seek("A", 0), getSegment(closed, "A", 0, true),
        closed.WriteData(x, 1), closed.GetSegmentData("A", x, 1, 0), closed.ReadData(x, 1),
        writeSegment(created, ""), created.WriteSegmentData(x, 1), created.Seek("A", 0),
        created.ReadData(x, 1), reading.SetName("other"), reading.Open(ZQ_FILE_READ_ONLY),
        writeSegment(reading, "S"), getSegment(reading, "A", 4, false),
        getSegment(reading, "A", 2, false), getSegment(reading, "BIG", 0, true),
        reading.WriteData(x, 1), reading.GetSegmentData(x, 1, 0), appending.OpenSegment(nullptr),
        getSegment(appending, "A", 0, true), appending.Seek("A", 5));
    ASSERT_EQ(reading.OpenSegment("A"), ZQ_OK);
    results.push_back(reading.WriteSegmentData(x, 1));
    EXPECT_EQ(results, std::vector<int>(results.size(), ZQ_ERROR));
    ASSERT_EQ(log.lines.size(), 2 * results.size());
    for (size_t i = 0; i < log.lines.size(); i += 2) {
        EXPECT_EQ(log.lines[i].rfind("***ASSERT FAILED expr:", 0), 0u) << log.lines[i];
        EXPECT_EQ(log.lines[i + 1], corrective("return ZQ_ERROR;"));
    }
    EXPECT_EQ(ZQLogFailedCheckCount(), failedBefore + results.size());
}

// Carrying on after a check (break, no debugger) never reads into a wrong-sized buffer.
TEST_F(ZQFileAssertTest, CarryingOnAfterACheckStaysSafe) {
    LogCapture log(ZQAssertHooks{.answer = ZQ_ASSERT_BREAK,
                                 .exitProgram = nullptr,
                                 .debuggerAttached = [] { return false; }});
    ZQFile file;
    start(file, ZQ_FILE_READ_ONLY);
    EXPECT_EQ(getSegment(file, "A", 2, false), ZQ_ERROR);
    EXPECT_EQ(file.Open(ZQ_FILE_READ_ONLY), ZQ_ERROR);
    EXPECT_TRUE(file.IsOpen());
    EXPECT_EQ(file.SetName("renamed"), ZQ_OK);  // a harmless wrong call really carries on
    EXPECT_EQ(file.Close(), ZQ_OK);
    EXPECT_EQ(file.SetName(nullptr), ZQ_ERROR);
    EXPECT_EQ(log.lines.size(), 4u) << "no corrective statement";
}

}  // namespace
}  // namespace quillon
