#include "container/ZQLog.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <mutex>
#include <string_view>
#include <type_traits>
#include <vector>

#include "platform/FileIo.h"
#include "platform/Paths.h"

namespace quillon {

void (*ZQAssertAfterExitCallback)() = nullptr;
const char* const ZQ_LOG_NO_MEMORY_TEXT = "Out of memory";

namespace {

const char kLogFolderName[] = "quillon";
const char kLogFileName[] = "quillon.log";
const char kAssertFormat[] = "***ASSERT FAILED expr:%s text:%s\n";
const char kCorrectiveFormat[] =
    "**********CORRECTIVE ASSERT APPLIED - REMOVE IF POSSIBLE:(%s)**********\n";

// Where lines go. Made once and never destroyed, so that code running during
// the program's exit can still log.
struct LogOutput {
    std::recursive_mutex mutex;
    bool enabled = true;
    bool fileEnabled = true;
    bool mirrorAsked = false;
    bool mirrorFromEnvironment = false;
    bool settled = false;  // the environment was read and the file tried
    int fd = -1;
    ZQLogObserver observer;
    unsigned long failedChecks = 0;
    ZQAssertHooks hooks;
};

LogOutput& output() {
    static LogOutput* instance = new LogOutput;
    return *instance;
}

bool environmentAsksForStderr() {
    const char* value = std::getenv("QUILLON_LOG_STDERR");
    return value && std::strcmp(value, "1") == 0;
}

// Makes $XDG_STATE_HOME/quillon (private to the user) and opens the log file
// for appending; -1 when either cannot be had.
int openLogFile() {
    std::error_code ignored;
    std::filesystem::create_directories(stateHome(), ignored);
    std::string folder = joinPath(stateHome(), kLogFolderName);
    if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) return -1;
    std::string path = joinPath(folder, kLogFileName);
    return open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC | O_NOFOLLOW, 0600);
}

// Reads the environment and opens the file on the first line after a start or
// a restart; a file that cannot be had is not tried again until a restart.
void settle(LogOutput& out) {
    if (out.settled) return;
    out.settled = true;
    out.mirrorFromEnvironment = environmentAsksForStderr();
    int saved = errno;
    if (out.fileEnabled) out.fd = openLogFile();
    errno = saved;
}

// A log that cannot be written must not stop the program.
void writeLog(int fd, const std::string& bytes) {
    (void)writeAll(fd, bytes);
}

// "2025-01-31 23:59:58.123", local time.
std::string timestamp() {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    tm local{};
    localtime_r(&now.tv_sec, &local);
    char text[40];
    size_t n = std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
    std::snprintf(text + n, sizeof text - n, ".%03ld", long(now.tv_nsec / 1000000));
    return text;
}

std::string_view baseName(const char* path) {
    if (!path) return {};
    std::string_view p(path);
    size_t cut = p.find_last_of('/');
    return cut == std::string_view::npos ? p : p.substr(cut + 1);
}

std::string lineToWrite(const std::string& text, const char* channel, const char* file,
                        unsigned long line) {
    std::string out = timestamp();
    if (file) {
        out += ' ';
        out += baseName(file);
        out += ':' + std::to_string(line);
    }
    if (channel && *channel) out += std::string(" [") + channel + "]";
    out += ' ';
    out += text;
    out += '\n';
    return out;
}

// The text of a code in an error table, or null when the table has none.
const char* errorText(const ZQErrorCode* table, unsigned long code) {
    for (const ZQErrorCode* entry = table; entry && entry->Text; ++entry)
        if (entry->Code == code) return entry->Text;
    return nullptr;
}

}  // namespace

ZQSPrintf::ZQSPrintf(const char* format, ...) {
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    int length = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    if (length > 0) {
        Buffer.resize(size_t(length));
        std::vsnprintf(Buffer.data(), Buffer.size() + 1, format, args);
    }
    va_end(args);
}

// --- the logger -------------------------------------------------------------

void ZQLogger::CheckLayout() {
    static_assert(std::is_standard_layout_v<ZQLogger>);
    static_assert(offsetof(ZQLogger, LineKind) == 0);
    static_assert(offsetof(ZQLogger, SyncRequest) == 2056);
}

ZQLogger& ZQLogger::Default() {
    static ZQLogger* logger = new ZQLogger;  // never destroyed, like the output
    return *logger;
}

ZQLogger* ZQLogger::FindZQLogger(const char* name, unsigned long id) {
    if (name && *name == '\0' && id == 0) return &Default();
    return nullptr;
}

void ZQLogger::MarkFailedCheck() {
    LineKind = kFailedCheckWord;
    SyncRequest = kFailedCheckWord;
}

void ZQLogger::ClearPending() {
    LineKind = 0;
    SyncRequest = 0;
    TextLength = 0;
    Text[0] = '\0';
    SourceFile = nullptr;
    SourceLine = 0;
}

int ZQLogger::BuildText(const ZQSPrintf* prefix, const char* file, unsigned long line,
                        const char* format, va_list args) {
    SourceFile = file;
    SourceLine = line;
    size_t used = 0;
    if (prefix) {
        used = std::min(std::strlen(prefix->Text()), kTextBytes - 1);
        std::memcpy(Text, prefix->Text(), used);
    }
    int length = std::vsnprintf(Text + used, kTextBytes - used, format, args);
    if (length < 0) length = 0;
    TextLength = int32_t(std::min(used + size_t(length), kTextBytes - 1));
    Text[TextLength] = '\0';
    return 1;
}

int ZQLogger::CreateLogTextV(const ZQSPrintf* prefix, const char* file, unsigned long line,
                             const char* format, va_list args) {
    LogOutput& out = output();
    std::lock_guard lock(out.mutex);
    ZQLogger& logger = Default();
    if (!out.enabled) {
        logger.ClearPending();
        return 0;
    }
    return logger.BuildText(prefix, file, line, format, args);
}

int ZQLogger::CreateLogTextS(const ZQSPrintf* prefix, const char* channel, const char* file,
                             unsigned long line, const char* format, ...) {
    (void)channel;  // RawLogT names the channel
    va_list args;
    va_start(args, format);
    int result = CreateLogTextV(prefix, file, line, format, args);
    va_end(args);
    return result;
}

// Writes a finished line to the file and stderr, keeping errno.
static void deliver(LogOutput& out, const std::string& written, bool sync) {
    int saved = errno;
    if (out.fd >= 0) {
        writeLog(out.fd, written);
        if (sync) fdatasync(out.fd);
    }
    if (out.mirrorAsked || out.mirrorFromEnvironment) writeLog(STDERR_FILENO, written);
    errno = saved;
}

int ZQLogger::RawLogT(const char* channel) {
    LogOutput& out = output();
    std::lock_guard lock(out.mutex);
    if (!out.enabled) {
        ClearPending();
        return 0;
    }
    settle(out);
    std::string text(Text, size_t(TextLength));
    while (!text.empty() && text.back() == '\n')
        text.pop_back();
    std::string written = lineToWrite(text, channel, SourceFile, SourceLine);
    ZQLogRecord record{text.c_str(), written.c_str(), SourceFile, SourceLine,
                       LineKind == kFailedCheckWord};
    bool sync = SyncRequest == kFailedCheckWord;
    ClearPending();
    deliver(out, written, sync);
    if (record.FailedCheck) ++out.failedChecks;
    if (out.observer) out.observer(record);
    return 1;
}

void ZQLogger::LogS(const char* channel, const char* file, unsigned long line, const char* format,
                    ...) {
    std::lock_guard lock(output().mutex);
    va_list args;
    va_start(args, format);
    int built = CreateLogTextV(nullptr, file, line, format, args);
    va_end(args);
    if (built) Default().RawLogT(channel);
}

int ZQLogger::LogWin32ErrorS(const char* channel, const char* file, unsigned long line) {
    int error = errno;
    char buffer[256];
    // The GNU strerror_r answers with the text, which may not be in the buffer.
    const char* text = strerror_r(error, buffer, sizeof buffer);
    return CreateLogTextS(nullptr, channel, file, line, "System error %d: %s", error, text);
}

// Builds the line of an error code: its text in the table formatted with the
// arguments, or a line naming the unknown code.
static int createErrorCodeText(const char* file, unsigned long line, const ZQErrorCode* table,
                               unsigned long code, va_list args) {
    const char* format = errorText(table, code);
    if (!format)
        return ZQLogger::CreateLogTextS(nullptr, nullptr, file, line, "Unknown error code %lu",
                                        code);
        // The table's texts are the library's own formats.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
    return ZQLogger::CreateLogTextV(nullptr, file, line, format, args);
#pragma GCC diagnostic pop
}

int ZQLogger::LogErrorCodeS(const char* channel, const char* file, unsigned long line,
                            const ZQErrorCode* table, unsigned long code, ...) {
    (void)channel;
    va_list args;
    va_start(args, code);
    int result = createErrorCodeText(file, line, table, code, args);
    va_end(args);
    return result;
}

// --- helpers for code that logs -----------------------------------------------

void ZQLogLine(const char* file, unsigned long line, const char* format, ...) {
    std::lock_guard lock(output().mutex);
    va_list args;
    va_start(args, format);
    int built = ZQLogger::CreateLogTextV(nullptr, file, line, format, args);
    va_end(args);
    if (built) ZQLogger::FindZQLogger("", 0)->RawLogT(nullptr);
}

void ZQLogSystemError(const char* file, unsigned long line) {
    int saved = errno;
    LogOutput& out = output();
    std::lock_guard lock(out.mutex);
    ZQLogger* logger = ZQLogger::FindZQLogger("", 0);
    errno = saved;
    if (ZQLogger::LogWin32ErrorS(nullptr, file, line)) logger->RawLogT(nullptr);
    errno = saved;
}

void ZQLogErrorCode(const char* file, unsigned long line, const ZQErrorCode* table,
                    unsigned long code, ...) {
    std::lock_guard lock(output().mutex);
    va_list args;
    va_start(args, code);
    int built = createErrorCodeText(file, line, table, code, args);
    va_end(args);
    if (built) ZQLogger::FindZQLogger("", 0)->RawLogT(nullptr);
}

// --- settings -------------------------------------------------------------------

void ZQLogSetEnabled(bool on) {
    std::lock_guard lock(output().mutex);
    output().enabled = on;
}

void ZQLogSetFileEnabled(bool on) {
    LogOutput& out = output();
    std::lock_guard lock(out.mutex);
    out.fileEnabled = on;
    ZQLogRestart();
}

void ZQLogSetMirrorToStderr(bool on) {
    std::lock_guard lock(output().mutex);
    output().mirrorAsked = on;
}

void ZQLogSetObserver(ZQLogObserver observer) {
    std::lock_guard lock(output().mutex);
    output().observer = std::move(observer);
}

void ZQLogRestart() {
    LogOutput& out = output();
    std::lock_guard lock(out.mutex);
    if (out.fd >= 0) close(out.fd);
    out.fd = -1;
    out.settled = false;
}

std::string ZQLogFilePath() {
    return joinPath(joinPath(stateHome(), kLogFolderName), kLogFileName);
}

unsigned long ZQLogFailedCheckCount() {
    std::lock_guard lock(output().mutex);
    return output().failedChecks;
}

// --- failed checks ----------------------------------------------------------------

ZQAssertHooks ZQSetAssertHooks(const ZQAssertHooks& hooks) {
    std::lock_guard lock(output().mutex);
    ZQAssertHooks before = output().hooks;
    output().hooks = hooks;
    return before;
}

static ZQAssertHooks currentHooks() {
    std::lock_guard lock(output().mutex);
    return output().hooks;
}

bool ZQDebuggerAttached() {
    FILE* status = std::fopen("/proc/self/status", "re");
    if (!status) return false;
    char line[256];
    long tracer = 0;
    while (std::fgets(line, sizeof line, status))
        if (std::sscanf(line, "TracerPid: %ld", &tracer) == 1) break;
    std::fclose(status);
    return tracer != 0;
}

ZQ_ASSERT_RETURN ZQAssertStatement(const char* channel, unsigned long checkId, const char* message,
                                   const char* file, unsigned short line, const char* expression,
                                   int alwaysBreak, long correctable) {
    (void)channel, (void)checkId, (void)message, (void)file, (void)line, (void)expression;
    (void)alwaysBreak, (void)correctable;
    return currentHooks().answer;
}

// Writes the line of a failed check: both words of the logger say so.
static void logFailedCheck(const char* message, const char* expression, const char* file,
                           unsigned long line) {
    std::lock_guard lock(output().mutex);
    ZQLogger* logger = ZQLogger::FindZQLogger("", 0);
    if (logger) logger->MarkFailedCheck();
    ZQSPrintf text(kAssertFormat, expression, message);
    if (ZQLogger::CreateLogTextS(nullptr, nullptr, file, line, "%s", text.Text()) && logger)
        logger->RawLogT(nullptr);
}

static bool actOnAnswer(ZQ_ASSERT_RETURN answer, const char* statement, const char* file,
                        unsigned long line) {
    ZQAssertHooks hooks = currentHooks();
    if (answer == ZQ_ASSERT_BREAK) {
        bool attached = hooks.debuggerAttached ? hooks.debuggerAttached() : ZQDebuggerAttached();
        if (attached) std::raise(SIGTRAP);
        return false;
    }
    if (answer == ZQ_ASSERT_EXIT || answer > ZQ_ASSERT_CORRECT_ALWAYS) {
        if (ZQAssertAfterExitCallback) ZQAssertAfterExitCallback();
        (hooks.exitProgram ? hooks.exitProgram : std::exit)(0);
        return true;  // only a test's exit function comes back
    }
    if (statement && std::strcmp(statement, ";") != 0)
        ZQLogger::LogS(nullptr, file, line, kCorrectiveFormat, statement);
    return true;
}

bool ZQAssertFailed(const char* message, const char* expression, const char* file,
                    unsigned long line, const char* statement) {
    logFailedCheck(message, expression, file, line);
    ZQ_ASSERT_RETURN answer =
        ZQAssertStatement(nullptr, 0, message, file, (unsigned short)line, expression, 0, 1);
    return actOnAnswer(answer, statement, file, line);
}

// --- version blocks -----------------------------------------------------------------

static std::vector<const ZQVersionBlock*>& versionRegistry() {
    static auto* registry = new std::vector<const ZQVersionBlock*>;
    return *registry;
}

ZQVersion::ZQVersion(const ZQVersionBlock* block) : Block(block) {
    if (Block) versionRegistry().push_back(Block);
}

ZQVersion::~ZQVersion() {
    auto& registry = versionRegistry();
    auto found = std::find(registry.begin(), registry.end(), Block);
    if (found != registry.end()) registry.erase(found);
}

const ZQVersionBlock* ZQVersion::Find(const char* name) {
    if (!name) return nullptr;
    for (const ZQVersionBlock* block : versionRegistry()) {
        std::string_view blockName(block->Name, strnlen(block->Name, sizeof block->Name));
        if (blockName == name) return block;
    }
    return nullptr;
}

}  // namespace quillon
