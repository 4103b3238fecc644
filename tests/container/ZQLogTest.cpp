// The logging library: lines, error tables and the answers to a failed check.
#include "container/ZQLog.h"

#include <cerrno>
#include <csignal>
#include <filesystem>
#include <regex>

#include "ContainerTestSupport.h"

namespace quillon {
namespace {

using namespace containertest;

const std::string kLine = R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3} ZQLogTest\.cpp:\d+ )";

TEST(ZQLogTest, LinesGoTimestampedToAPrivateFile) {
    TempFolder folder;
    const std::string home = folder.file("deeper/state");
    ScopedEnvironment stateHome("XDG_STATE_HOME", home.c_str());
    ZQLogRestart();
    EXPECT_EQ(ZQLogFilePath(), home + "/quillon/quillon.log");
    EXPECT_FALSE(std::filesystem::exists(home)) << "nothing is made before a line";
    ZQ_LOG("first %d", 1);
    ZQ_LOG("second line\n");
    EXPECT_TRUE(ZQAssertFailed("a message", "x > 0", __FILE__, 12, "return 3;"));
    EXPECT_TRUE(ZQAssertFailed("m", "e", __FILE__, 13, ";"));  // nothing corrective to log
    const Bytes bytes = readFileBytes(ZQLogFilePath());
    EXPECT_TRUE(std::regex_match(
        std::string(bytes.begin(), bytes.end()),
        std::regex(kLine + "first 1\n" + kLine + "second line\n" + kLine +
                   R"(\*\*\*ASSERT FAILED expr:x > 0 text:a message\n.*\(return 3;\)\*+\n)" +
                   kLine + R"(\*\*\*ASSERT FAILED expr:e text:m\n)")));
    EXPECT_EQ(std::filesystem::status(home + "/quillon").permissions(),
              std::filesystem::perms::owner_all);

    ZQLogRestart();
}

TEST(ZQLogTest, TwoStepCallsErrorTablesAndLongLines) {
    LogCapture log;
    ZQLogger* logger = ZQLogger::FindZQLogger("", 0);
    EXPECT_EQ(ZQLogger::FindZQLogger("other", 0), ZQLogger::FindZQLogger("", 1));  // none
    ZQSPrintf prefix("[%s] ", "pre");
    if (ZQLogger::CreateLogTextS(&prefix, nullptr, __FILE__, 7, "n=%u", 5u))
        logger->RawLogT(nullptr);
    const ZQErrorCode table[] = {{0, "zero %s"}, {5, "five %d %s"}, {6, nullptr}, {7, "never"}};
    ZQLogErrorCode(__FILE__, __LINE__, table, 5, 55, "more");
    ZQLogErrorCode(__FILE__, __LINE__, table, 0, "x");
    ZQLogErrorCode(__FILE__, __LINE__, table, 7);  // after the table's end
    if (ZQLogger::LogErrorCodeS(nullptr, __FILE__, __LINE__, table, 5, 1, "direct"))
        logger->RawLogT(nullptr);
    errno = ENOENT;
    ZQLogSystemError(__FILE__, __LINE__);
    EXPECT_EQ(errno, ENOENT) << "logging keeps errno";
    ZQLogger::LogS(nullptr, __FILE__, __LINE__, "%s", std::string(5000, 'x').c_str());
    EXPECT_EQ(log.lines, (std::vector<std::string>{"[pre] n=5", "five 55 more", "zero x",
                                                   "Unknown error code 7", "five 1 direct",
                                                   "System error 2: No such file or directory",
                                                   std::string(ZQLogger::kTextBytes - 1, 'x')}));
}

// Switched off, nothing is built or written; the file alone may be switched off;
// mirrored, each line also reaches stderr.
TEST(ZQLogTest, SwitchesForTheLogItsFileAndStderr) {
    TempFolder folder;
    ScopedEnvironment stateHome("XDG_STATE_HOME", folder.path().c_str());
    ZQLogRestart();
    LogCapture log;
    ZQLogSetEnabled(false);
    ZQ_LOG("silent");
    EXPECT_EQ(ZQLogger::CreateLogTextS(nullptr, nullptr, __FILE__, __LINE__, "x"), 0);
    ZQLogSetEnabled(true);
    ZQLogSetFileEnabled(false);
    ZQLogSetMirrorToStderr(true);
    testing::internal::CaptureStderr();
    ZQ_LOG("observed and mirrored");
    const std::string mirrored = testing::internal::GetCapturedStderr();
    ZQLogSetMirrorToStderr(false);
    ZQLogSetFileEnabled(true);
    EXPECT_EQ(log.lines, std::vector<std::string>{"observed and mirrored"});
    EXPECT_TRUE(std::regex_match(mirrored, std::regex(kLine + "observed and mirrored\n")));
    EXPECT_FALSE(std::filesystem::exists(ZQLogFilePath()));
    ZQLogRestart();
    EXPECT_EQ(ZQVersion::Find(nullptr), nullptr);
    EXPECT_EQ(ZQVersion::Find("NoSuchLib"), nullptr);
    EXPECT_FALSE(ZQDebuggerAttached()) << "tests run without a debugger";
}

int checkedCall(int value) {
    ZQ_ASSERT(value > 0, "Value must be positive", "value > 0", return -1;);
    return value;
}

int traps = 0, exits = 0;

// The program always applies the corrective statement; a test may answer
// otherwise. A test's exit function comes back, so the statement runs, unlogged.
TEST(ZQLogTest, EachAnswerToAFailedCheck) {
    EXPECT_EQ(ZQAssertStatement(nullptr, 0, "m", __FILE__, 1, "e", 0, 1), ZQ_ASSERT_CORRECT);
    auto oldTrap = std::signal(SIGTRAP, [](int) { ++traps; });
    ZQAssertAfterExitCallback = [] { exits += 10; };  // runs first: exits ends 21
    // answer, debugger attached, result, traps, exits, lines logged
    const std::tuple<ZQ_ASSERT_RETURN, bool, int, int, int, size_t> cases[] = {
        {ZQ_ASSERT_CORRECT, false, -1, 0, 0, 2}, {ZQ_ASSERT_CORRECT_ALWAYS, false, -1, 0, 0, 2},
        {ZQ_ASSERT_BREAK, false, 0, 0, 0, 1},    {ZQ_ASSERT_BREAK, true, 0, 1, 0, 1},
        {ZQ_ASSERT_EXIT, false, -1, 0, 1, 1},    {ZQ_ASSERT_RETURN(4), false, -1, 0, 1, 1},
    };
    for (const auto& [answer, debugger, result, trapCount, exitCount, lines] : cases) {
        traps = exits = 0;
        ZQAssertHooks hooks{.answer = answer,
                            .exitProgram = [](int code) { exits = 2 * exits + 1 + code; }};
        hooks.debuggerAttached = debugger ? +[] { return true; } : +[] { return false; };
        LogCapture log(hooks);
        EXPECT_EQ(checkedCall(0), result);
        EXPECT_EQ(std::tuple(traps, exits, log.lines.size()),
                  std::tuple(trapCount, 21 * exitCount, lines));
    }
    ZQAssertAfterExitCallback = nullptr;
    std::signal(SIGTRAP, oldTrap);
}

}  // namespace
}  // namespace quillon
