// The logging library: where lines go and how they look, the error tables,
// the answers to a failed check, and the version blocks.
#include "container/ZQLog.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <regex>
#include <string>

#include "ContainerTestSupport.h"

namespace quillon {
namespace {

using containertest::LogCapture;
using containertest::readBytes;
using containertest::ScopedEnvironment;
using containertest::TempFolder;

std::string readText(const std::string& path) {
    auto bytes = readBytes(path);
    return std::string(bytes.begin(), bytes.end());
}

// Points the log at a fresh state folder while it lives.
class PrivateLog {
  public:
    explicit PrivateLog(const std::string& stateHome)
        : variable("XDG_STATE_HOME", stateHome.c_str()) {
        ZQLogRestart();
    }
    ~PrivateLog() { ZQLogRestart(); }

  private:
    ScopedEnvironment variable;
};

// Sends this process's stderr to a file while it lives.
class StderrCapture {
  public:
    explicit StderrCapture(std::string path) : file(std::move(path)) {
        fflush(stderr);
        saved = dup(STDERR_FILENO);
        int fd = open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        dup2(fd, STDERR_FILENO);
        close(fd);
    }
    ~StderrCapture() { restore(); }
    std::string text() {
        restore();
        return readText(file);
    }

  private:
    void restore() {
        if (saved < 0) return;
        dup2(saved, STDERR_FILENO);
        close(saved);
        saved = -1;
    }
    std::string file;
    int saved = -1;
};

const char kLinePattern[] = R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3} ZQLogTest\.cpp:\d+ )";

TEST(ZQLogTest, LinesGoTimestampedToTheLogFileInAFolderMadeOnFirstUse) {
    TempFolder folder;
    std::string stateHome = folder.file("deeper/state");
    PrivateLog log(stateHome);
    EXPECT_EQ(ZQLogFilePath(), stateHome + "/quillon/quillon.log");
    EXPECT_FALSE(std::filesystem::exists(stateHome)) << "nothing is made before a line";

    ZQ_LOG("first %d", 1);
    ZQ_LOG("second line\n");
    std::string text = readText(ZQLogFilePath());
    EXPECT_TRUE(std::regex_match(
        text, std::regex(std::string(kLinePattern) + "first 1\n" + kLinePattern + "second line\n")))
        << text;
    struct stat info {};
    ASSERT_EQ(stat((stateHome + "/quillon").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
}

TEST(ZQLogTest, ProgramWorksOnWhenTheStateFolderCannotBeMade) {
    TempFolder folder;
    std::string blocker = folder.file("file");
    containertest::writeBytes(blocker, {1});
    PrivateLog privateLog(blocker);  // a file where the folder should be
    LogCapture log;
    ZQ_LOG("still %s", "logged");
    ZQ_LOG("and again");
    EXPECT_EQ(log.texts(), (std::vector<std::string>{"still logged", "and again"}));
    EXPECT_FALSE(std::filesystem::exists(ZQLogFilePath()));
}

TEST(ZQLogTest, StderrGetsTheLinesOnlyWhenAsked) {
    TempFolder folder;
    PrivateLog privateLog(folder.path());
    struct Case {
        const char* label;
        bool api;
        const char* environment;  // QUILLON_LOG_STDERR, null: unset
        bool mirrored;
    };
    const Case cases[] = {
        {"not asked", false, nullptr, false},
        {"asked by the program", true, nullptr, true},
        {"asked by the environment", false, "1", true},
        {"environment says no", false, "0", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        ScopedEnvironment environment("QUILLON_LOG_STDERR", c.environment);
        ZQLogRestart();
        ZQLogSetMirrorToStderr(c.api);
        StderrCapture capture(folder.file("stderr.txt"));
        ZQ_LOG("mirror %s", c.label);
        std::string text = capture.text();
        ZQLogSetMirrorToStderr(false);
        if (c.mirrored)
            EXPECT_TRUE(std::regex_match(
                text, std::regex(std::string(kLinePattern) + "mirror " + c.label + "\n")))
                << text;
        else
            EXPECT_EQ(text, "");
    }
    ZQLogRestart();
}

// Switched off, nothing is built or written; the file alone may be switched off.
TEST(ZQLogTest, SwitchedOffLinesReachNeitherFileNorObserver) {
    TempFolder folder;
    PrivateLog privateLog(folder.path());
    LogCapture log;
    ZQLogSetEnabled(false);
    ZQ_LOG("silent");
    EXPECT_EQ(ZQLogger::CreateLogTextS(nullptr, nullptr, __FILE__, __LINE__, "x"), 0);
    ZQLogSetEnabled(true);
    ZQLogSetFileEnabled(false);
    ZQ_LOG("observed only");
    ZQLogSetFileEnabled(true);
    EXPECT_EQ(log.texts(), std::vector<std::string>{"observed only"});
    EXPECT_FALSE(std::filesystem::exists(ZQLogFilePath()));
}

TEST(ZQLogTest, TwoStepCallsOfTheDefaultLogger) {
    LogCapture log;
    ZQLogger* logger = ZQLogger::FindZQLogger("", 0);
    ASSERT_NE(logger, nullptr);
    EXPECT_EQ(ZQLogger::FindZQLogger("other", 0), nullptr);
    EXPECT_EQ(ZQLogger::FindZQLogger("", 1), nullptr);

    ZQSPrintf prefix("[%s] ", "pre");
    ASSERT_NE(ZQLogger::CreateLogTextS(&prefix, nullptr, __FILE__, 7, "n=%u", 5u), 0);
    EXPECT_EQ(logger->RawLogT(nullptr), 1);
    ZQLogger::LogS(nullptr, __FILE__, 8, "%s and %d", "text", -3);
    EXPECT_EQ(log.texts(), (std::vector<std::string>{"[pre] n=5", "text and -3"}));
}

TEST(ZQLogTest, LongLinesAreCut) {
    LogCapture log;
    std::string longText(5000, 'x');
    ZQLogger::LogS(nullptr, __FILE__, __LINE__, "%s", longText.c_str());
    ASSERT_EQ(log.texts().size(), 1u);
    EXPECT_EQ(log.texts()[0], std::string(ZQLogger::kTextBytes - 1, 'x'));
}

TEST(ZQLogTest, ErrorTablesAndSystemErrors) {
    const ZQErrorCode table[] = {{0, "zero %s"}, {5, "five %d %s"}, {6, nullptr}, {7, "never"}};
    LogCapture log;
    ZQLogErrorCode(__FILE__, __LINE__, table, 5, 55, "more");
    ZQLogErrorCode(__FILE__, __LINE__, table, 0, "x");
    ZQLogErrorCode(__FILE__, __LINE__, table, 7);  // after the table's end
    ZQLogger* logger = ZQLogger::FindZQLogger("", 0);
    if (ZQLogger::LogErrorCodeS(nullptr, __FILE__, __LINE__, table, 5, 1, "direct"))
        logger->RawLogT(nullptr);
    errno = ENOENT;
    ZQLogSystemError(__FILE__, __LINE__);
    EXPECT_EQ(errno, ENOENT) << "logging keeps errno";
    errno = EACCES;
    if (ZQLogger::LogWin32ErrorS(nullptr, __FILE__, __LINE__)) logger->RawLogT(nullptr);
    EXPECT_EQ(log.texts(), (std::vector<std::string>{"five 55 more", "zero x",
                                                     "Unknown error code 7", "five 1 direct",
                                                     "System error 2: No such file or directory",
                                                     "System error 13: Permission denied"}));
}

TEST(ZQLogTest, FailedCheckIsCountedAndReachesTheFile) {
    TempFolder folder;
    PrivateLog privateLog(folder.path());
    LogCapture log;
    unsigned long before = ZQLogFailedCheckCount();
    EXPECT_TRUE(ZQAssertFailed("a message", "x > 0", __FILE__, 12, "return 3;"));
    ZQ_LOG("plain line after it");
    EXPECT_EQ(ZQLogFailedCheckCount(), before + 1) << "only the check's line counts";
    std::string text = readText(ZQLogFilePath());
    EXPECT_NE(text.find("ZQLogTest.cpp:12 ***ASSERT FAILED expr:x > 0 text:a message\n"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find(LogCapture::corrective("return 3;") + "\n"), std::string::npos) << text;
}

int checkedCall(int value) {
    ZQ_ASSERT(value > 0, "Value must be positive", "value > 0", return -1;);
    return value;
}

int checkedCallWithoutCorrection(int value) {
    ZQ_ASSERT(value > 0, "Value must be positive", "value > 0", ;);
    return value * 10;
}

TEST(ZQLogTest, ProgramAnswersEveryFailedCheckWithTheCorrectiveStatement) {
    EXPECT_EQ(ZQAssertStatement(nullptr, 0, "m", __FILE__, 1, "e", 0, 1), ZQ_ASSERT_CORRECT);
    LogCapture log;
    EXPECT_EQ(checkedCall(5), 5);
    EXPECT_TRUE(log.texts().empty());
    EXPECT_EQ(checkedCall(0), -1);
    EXPECT_EQ(log.texts(), (std::vector<std::string>{
                               LogCapture::failedCheck("value > 0", "Value must be positive"),
                               LogCapture::corrective("return -1;")}));
    log.clear();
    // The empty statement is applied without a line of its own.
    EXPECT_EQ(checkedCallWithoutCorrection(0), 0);
    EXPECT_EQ(log.texts().size(), 1u);
}

TEST(ZQLogTest, AnswerThreeIsCorrectiveToo) {
    LogCapture log(ZQAssertHooks{.answer = ZQ_ASSERT_CORRECT_ALWAYS});
    EXPECT_EQ(checkedCall(0), -1);
    EXPECT_TRUE(log.contains(LogCapture::corrective("return -1;")));
}

int traps = 0;

TEST(ZQLogTest, BreakAnswerTrapsOnlyUnderADebuggerThenCarriesOn) {
    auto oldHandler = std::signal(SIGTRAP, [](int) { ++traps; });
    for (bool attached : {false, true}) {
        SCOPED_TRACE(attached);
        traps = 0;
        ZQAssertHooks hooks{.answer = ZQ_ASSERT_BREAK};
        hooks.debuggerAttached = attached ? +[] { return true; } : +[] { return false; };
        LogCapture log(hooks);
        EXPECT_EQ(checkedCall(0), 0) << "carried on past the check";
        EXPECT_EQ(traps, attached ? 1 : 0);
        EXPECT_EQ(log.texts().size(), 1u);
    }
    std::signal(SIGTRAP, oldHandler);
    EXPECT_FALSE(ZQDebuggerAttached()) << "tests run without a debugger";
}

TEST(ZQLogTest, VersionIsRegisteredWhileItLives) {
    ZQVersionBlock block{};
    std::strcpy(block.Name, "TestLib");
    {
        ZQVersion version(&block);
        EXPECT_EQ(ZQVersion::Find("TestLib"), &block);
    }
    EXPECT_EQ(ZQVersion::Find("TestLib"), nullptr);
    // The container library's own block stays, with the markers that find it in a binary.
    static_assert(sizeof(ZQVersionBlock) == 400);
    const ZQVersionBlock* library = ZQVersion::Find("ZQFileLib");
    ASSERT_NE(library, nullptr);
    EXPECT_EQ(std::string_view(reinterpret_cast<const char*>(library), 9),
              std::string_view("YyHhTtMm", 9));
    EXPECT_EQ(std::string_view(reinterpret_cast<const char*>(library) + 391, 9),
              std::string_view("YyHhTtMM", 9));
}

}  // namespace
}  // namespace quillon
