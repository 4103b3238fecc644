// Every caller check of ZQFile: the wrong call is logged as a failed check with
// its message and expression, the corrective statement is logged, and the
// call returns 3. Then the other answers of the logging library.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>

#include "ContainerTestSupport.h"
#include "container/ZQFile.h"

namespace quillon {
namespace {

using containertest::bytesOf;
using containertest::containerBytes;
using containertest::LogCapture;
using containertest::TempFolder;
using containertest::writeBytes;

// How the file is when the wrong call comes.
enum class Start { Closed, NoName, New, ReadOnly, Append };

struct WrongCall {
    const char* label;
    Start start;
    std::function<int(ZQFile&)> call;
    const char* message;
    const char* expression;
};

constexpr const char* kWriteModes = "FileMode==ZQ_FILE_NEW || FileMode==ZQ_FILE_APPEND";

ZQFileSegment segmentNamed(const char* name, uint8_t* data, uint32_t size) {
    ZQFileSegment segment{};
    std::strcpy(segment.Name, name);
    segment.Data = data;
    segment.Size = size;
    return segment;
}

char scratch[1];  // where a refused read would have gone

int writeSegmentNamed(ZQFile& f, const char* name) {
    ZQFileSegment segment = segmentNamed(name, nullptr, 0);
    return f.WriteSegment(&segment);
}

int getSegmentFresh(ZQFile& f, const char* name) {
    ZQFileSegment segment{};
    return f.GetSegment(name, &segment, true);
}

const WrongCall kWrongCalls[] = {
    {"SetName while open", Start::ReadOnly, [](ZQFile& f) { return f.SetName("other"); },
     "Tovik: Call to ZQFile::SetName on a file which was open", "!OpenFlag"},
    {"SetName null", Start::Closed, [](ZQFile& f) { return f.SetName(nullptr); },
     "Tovik: Call to ZQFile::SetName with invalid or NULL name", "name && strlen(name)"},
    {"SetName empty", Start::Closed, [](ZQFile& f) { return f.SetName(""); },
     "Tovik: Call to ZQFile::SetName with invalid or NULL name", "name && strlen(name)"},
    {"Open twice", Start::ReadOnly, [](ZQFile& f) { return f.Open(ZQ_FILE_READ_ONLY); },
     "Tovik: Call to ZQFile::Open on a file which was already open", "!OpenFlag"},
    {"Open mode 1", Start::Closed, [](ZQFile& f) { return f.Open(1); },
     "Tovik: Invalid mode specified on ZQFile::Open",
     "mode==ZQ_FILE_READ_ONLY || mode==ZQ_FILE_NEW || mode==ZQ_FILE_APPEND"},
    {"Open without name", Start::NoName, [](ZQFile& f) { return f.Open(ZQ_FILE_NEW); },
     "Tovik: no name or null pointer on ZQFile::Open", "Name && strlen(Name)"},
    {"OpenSegment closed", Start::Closed, [](ZQFile& f) { return f.OpenSegment("A"); },
     "Tovik: Call to ZQFile::OpenSegment on a file which was not open", "OpenFlag"},
    {"OpenSegment empty name", Start::New, [](ZQFile& f) { return f.OpenSegment(""); },
     "Tovik: zero length or bad segment name", "name && strlen(name) > 0"},
    {"OpenSegment null name", Start::Append, [](ZQFile& f) { return f.OpenSegment(nullptr); },
     "Tovik: zero length or bad segment name", "name && strlen(name) > 0"},
    {"WriteSegment closed", Start::Closed, [](ZQFile& f) { return writeSegmentNamed(f, "S"); },
     "Tovik: Call to ZQFile::WriteSegment on a file which was not open", "OpenFlag"},
    {"WriteSegment read-only", Start::ReadOnly, [](ZQFile& f) { return writeSegmentNamed(f, "S"); },
     "Tovik: Call to ZQFile::WriteSegment wrong file mode", kWriteModes},
    {"WriteSegment without name", Start::New, [](ZQFile& f) { return writeSegmentNamed(f, ""); },
     "Tovik: zero length or bad segment name", "name && strlen(name) > 0"},
    {"WriteSegmentData no segment", Start::New,
     [](ZQFile& f) { return f.WriteSegmentData("x", 1); },
     "Tovik: Call to ZQFile::WriteSegmentData when segment was not open", "SegmentOpenFlag"},
    {"WriteSegmentData read-only", Start::ReadOnly,
     [](ZQFile& f) {
         EXPECT_EQ(f.OpenSegment("A"), ZQ_OK);
         return f.WriteSegmentData("x", 1);
     },
     "Tovik: Call to ZQFile::WriteSegmentData wrong file mode", kWriteModes},
    {"GetSegment closed", Start::Closed, [](ZQFile& f) { return getSegmentFresh(f, "A"); },
     "Tovik: Call to ZQFile::GetSegment on a file which was not open", "OpenFlag"},
    {"GetSegment append", Start::Append, [](ZQFile& f) { return getSegmentFresh(f, "A"); },
     "Tovik: Call to ZQFile::GetSegment wrong file mode", "FileMode==ZQ_FILE_READ_ONLY"},
    {"GetSegment no buffer", Start::ReadOnly,
     [](ZQFile& f) {
         ZQFileSegment segment{};
         segment.Size = 4;
         return f.GetSegment("A", &segment, false);
     },
     "Tovik: Null pointer or incorrect memory size", "seg->Data && seg->Size==entry->Size"},
    {"GetSegment small buffer", Start::ReadOnly,
     [](ZQFile& f) {
         uint8_t buffer[4] = {9, 9, 9, 9};
         auto segment = segmentNamed("", buffer, 2);
         int result = f.GetSegment("A", &segment, false);
         EXPECT_EQ(buffer[2], 9) << "the buffer was read into";
         return result;
     },
     "Tovik: Null pointer or incorrect memory size", "seg->Data && seg->Size==entry->Size"},
    {"GetSegment too big", Start::ReadOnly, [](ZQFile& f) { return getSegmentFresh(f, "BIG"); },
     "Tovik: Segsize 90000000 appears too big", "seg->Size<ZQ_MAX_SEGMENT_SIZE"},
    {"GetSegmentData no segment", Start::ReadOnly,
     [](ZQFile& f) { return f.GetSegmentData(scratch, 1, 0); },
     "Tovik: Call to ZQFile::GetSegmentData when segment was not open", "SegmentOpenFlag"},
    {"GetSegmentData by name closed", Start::Closed,
     [](ZQFile& f) { return f.GetSegmentData("A", scratch, 1, 0); },
     "Tovik: Call to ZQFile::GetSegmentData on a file which was not open", "OpenFlag"},
    {"Seek by name in new mode", Start::New, [](ZQFile& f) { return f.Seek("A", 0); },
     "Tovik: Wrong mode to seek",
     "OpenFlag && (FileMode==ZQ_FILE_READ_ONLY || FileMode==ZQ_FILE_APPEND)"},
    {"Seek by name closed", Start::Closed, [](ZQFile& f) { return f.Seek("A", 0); },
     "Tovik: Wrong mode to seek",
     "OpenFlag && (FileMode==ZQ_FILE_READ_ONLY || FileMode==ZQ_FILE_APPEND)"},
    {"Seek past the segment", Start::Append, [](ZQFile& f) { return f.Seek("A", 5); },
     "Tovik: Attempt to seek past end of segment in a file", "(SLONG)offset<=(SLONG)entry->Size"},
    {"WriteData closed", Start::Closed, [](ZQFile& f) { return f.WriteData("x", 1); },
     "Tovik: Call to ZQFile::WriteData when file was not open", "OpenFlag"},
    {"WriteData read-only", Start::ReadOnly, [](ZQFile& f) { return f.WriteData("x", 1); },
     "Tovik: Call to ZQFile::WriteData wrong file mode", kWriteModes},
    {"ReadData closed", Start::Closed, [](ZQFile& f) { return f.ReadData(scratch, 1); },
     "Tovik: Call to ZQFile::ReadData when file was not open", "OpenFlag"},
    {"ReadData new", Start::New, [](ZQFile& f) { return f.ReadData(scratch, 1); },
     "Tovik: Call to ZQFile::ReadData wrong file mode",
     "FileMode==ZQ_FILE_READ_ONLY || FileMode==ZQ_FILE_APPEND"},
};

class ZQFileAssertTest : public ::testing::Test {
  protected:
    // A container with segment A (4 bytes) and a last segment BIG that claims
    // 90,000,000 bytes but holds 3.
    void SetUp() override {
        path = folder.file("base.zq");
        writeBytes(path,
                   containerBytes({{"A", bytesOf("abcd")}, {"BIG", bytesOf("xyz"), 90000000}}));
    }
    void start(ZQFile& file, Start how) {
        if (how == Start::NoName) return;
        ASSERT_EQ(file.SetName(path.c_str()), ZQ_OK);
        if (how == Start::Closed) return;
        int mode = how == Start::New        ? ZQ_FILE_NEW
                   : how == Start::ReadOnly ? ZQ_FILE_READ_ONLY
                                            : ZQ_FILE_APPEND;
        ASSERT_EQ(file.Open(mode), ZQ_OK);
    }

    TempFolder folder;
    std::string path;
};

TEST_F(ZQFileAssertTest, EveryWrongCallIsLoggedAndReturnsThree) {
    for (const WrongCall& wrong : kWrongCalls) {
        SCOPED_TRACE(wrong.label);
        SetUp();
        ZQFile file;
        start(file, wrong.start);
        LogCapture log;
        unsigned long failedBefore = ZQLogFailedCheckCount();
        EXPECT_EQ(wrong.call(file), ZQ_ERROR);
        EXPECT_EQ(log.texts(), (std::vector<std::string>{
                                   LogCapture::failedCheck(wrong.expression, wrong.message),
                                   LogCapture::corrective("return ZQ_ERROR;")}));
        EXPECT_EQ(ZQLogFailedCheckCount(), failedBefore + 1);
    }
}

// A test's answer 0 without a debugger carries on after the check: the file
// still never reads into a buffer of the wrong size nor opens twice.
TEST_F(ZQFileAssertTest, CarryingOnAfterACheckStaysSafe) {
    LogCapture log(ZQAssertHooks{.answer = ZQ_ASSERT_BREAK,
                                 .exitProgram = nullptr,
                                 .debuggerAttached = [] { return false; }});
    ZQFile file;
    start(file, Start::ReadOnly);
    uint8_t buffer[4] = {9, 9, 9, 9};
    ZQFileSegment segment = segmentNamed("", buffer, 2);
    EXPECT_EQ(file.GetSegment("A", &segment, false), ZQ_ERROR);
    EXPECT_EQ(buffer[2], 9);
    EXPECT_EQ(file.Open(ZQ_FILE_READ_ONLY), ZQ_ERROR);
    EXPECT_TRUE(file.IsOpen());
    // A check whose wrong call is harmless really carries on: the name changes.
    EXPECT_EQ(file.SetName("renamed"), ZQ_OK);
    EXPECT_STREQ(file.GetName(), "renamed");
    EXPECT_EQ(ZQ_OK, file.Close());
    EXPECT_EQ(file.SetName(nullptr), ZQ_ERROR);
    for (const std::string& text : log.texts())
        EXPECT_EQ(text.find("CORRECTIVE"), std::string::npos) << text;
}

int exitCode = -1;
int exitCalls = 0;
int callbackCallsAtExit = -1;
int callbackCalls = 0;

// The test's exit function comes back, so the operation still stops.
TEST_F(ZQFileAssertTest, ExitAnswerCallsTheCallbackThenExits) {
    for (auto answer : {ZQ_ASSERT_EXIT, ZQ_ASSERT_RETURN(4), ZQ_ASSERT_RETURN(77)}) {
        for (bool withCallback : {true, false}) {
            SCOPED_TRACE(std::to_string(int(answer)) + (withCallback ? " with" : " without"));
            exitCode = -1, exitCalls = 0, callbackCalls = 0, callbackCallsAtExit = -1;
            ZQAssertAfterExitCallback = withCallback ? +[] { ++callbackCalls; } : nullptr;
            LogCapture log(ZQAssertHooks{.answer = answer, .exitProgram = [](int code) {
                                             exitCode = code;
                                             ++exitCalls;
                                             callbackCallsAtExit = callbackCalls;
                                         }});
            ZQFile file;
            EXPECT_EQ(file.WriteData("x", 1), ZQ_ERROR);
            ZQAssertAfterExitCallback = nullptr;
            EXPECT_EQ(exitCalls, 1);
            EXPECT_EQ(exitCode, 0);
            EXPECT_EQ(callbackCallsAtExit, withCallback ? 1 : 0) << "the callback runs first";
            EXPECT_EQ(log.texts().size(), 1u);  // the failed check, nothing corrective
        }
    }
}

}  // namespace
}  // namespace quillon
