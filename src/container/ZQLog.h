// The logging and assertion library.
//
// Lines go, timestamped, to the log file $XDG_STATE_HOME/quillon/quillon.log
// (the folder is made on the first line; when it cannot be made or the file
// cannot be opened the program works on without the file) and are mirrored to
// stderr when asked for, by ZQLogSetMirrorToStderr or QUILLON_LOG_STDERR=1.
//
// A line is built and written in two steps: a static call builds the text on
// the default logger and answers non-zero when there is somewhere to write it;
// the caller then calls RawLogT on the default logger. The ZQ_LOG... macros and
// ZQAssertFailed do both steps under the logger's lock, and are what code uses.
//
// A failed check of a caller's contract goes through ZQAssertFailed, whose
// answer decides what happens. The program's answer is always the corrective
// one: the check is logged, the corrective statement applied, and the program
// goes on, so a failed check never costs the user an unsaved bank. Tests set
// other answers through ZQSetAssertHooks.
#pragma once

#include <cstdarg>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace quillon {

// One entry of an error table: a code and its text, a printf format. A table
// ends with an entry whose text is null.
struct ZQErrorCode {
    unsigned long Code;
    const char* Text;
};

// Builds its text with printf formatting when made.
class ZQSPrintf {
  public:
    explicit ZQSPrintf(const char* format, ...) __attribute__((format(printf, 2, 3)));
    const char* Text() const { return Buffer.c_str(); }

  private:
    std::string Buffer;
};

// Where a line goes besides the file and stderr: tests observe every line.
struct ZQLogRecord {
    const char* Text;     // the line's text, without a trailing newline
    const char* Written;  // the whole line as written: timestamp, source, text, newline
    const char* File;     // the source file that logged it (may be null)
    unsigned long Line;
    bool FailedCheck;  // the line reports a failed check
};
using ZQLogObserver = std::function<void(const ZQLogRecord&)>;

// A logger builds one pending line at a time. There is one logger, the default
// one. Its first word and the word at byte 2056 carry the kind of the pending
// line and whether it must reach the disk at once; a failed check sets both to
// kFailedCheckWord before its line is built.
class ZQLogger {
  public:
    static constexpr int32_t kFailedCheckWord = -2;
    static constexpr size_t kTextBytes = 2048;  // a longer line is cut

    // The default logger for the name "" and id 0; null for any other.
    static ZQLogger* FindZQLogger(const char* name, unsigned long id);

    // Writes out the line built last; 0 when nothing was written anywhere.
    int RawLogT(const char* channel);

    // Builds a line: the prefix's text (when not null), then the formatted text.
    // Non-zero when the line is to be written with RawLogT.
    static int CreateLogTextS(const ZQSPrintf* prefix, const char* channel, const char* file,
                              unsigned long line, const char* format, ...)
        __attribute__((format(printf, 5, 6)));

    // CreateLogTextS with the arguments in a va_list.
    static int CreateLogTextV(const ZQSPrintf* prefix, const char* file, unsigned long line,
                              const char* format, va_list args)
        __attribute__((format(printf, 4, 0)));

    // Builds and writes a line in one call.
    static void LogS(const char* channel, const char* file, unsigned long line, const char* format,
                     ...) __attribute__((format(printf, 4, 5)));

    // Builds a line with the text of errno, as CreateLogTextS. Call it right
    // after the failed system call.
    static int LogWin32ErrorS(const char* channel, const char* file, unsigned long line);

    // Builds the line of an error code, as CreateLogTextS: the table's text for
    // the code, formatted with the arguments that follow.
    static int LogErrorCodeS(const char* channel, const char* file, unsigned long line,
                             const ZQErrorCode* table, unsigned long code, ...);

    // Marks the next line as a failed check: it is counted and synced to disk.
    void MarkFailedCheck();

  private:
    ZQLogger() = default;
    static ZQLogger& Default();
    static void CheckLayout();
    int BuildText(const ZQSPrintf* prefix, const char* file, unsigned long line, const char* format,
                  va_list args) __attribute__((format(printf, 5, 0)));
    void ClearPending();

    // The first word: kind of the pending line (0 plain, kFailedCheckWord).
    int32_t LineKind = 0;
    char Text[kTextBytes] = {};
    int32_t TextLength = 0;
    // The word at byte 2056: kFailedCheckWord makes RawLogT sync the file.
    int32_t SyncRequest = 0;
    const char* SourceFile = nullptr;
    unsigned long SourceLine = 0;
};

// Helpers that find the default logger, build and write a line; file and line
// are the caller's source position. System errors take errno as it is on entry
// and leave it unchanged.
void ZQLogLine(const char* file, unsigned long line, const char* format, ...)
    __attribute__((format(printf, 3, 4)));
void ZQLogSystemError(const char* file, unsigned long line);
void ZQLogErrorCode(const char* file, unsigned long line, const ZQErrorCode* table,
                    unsigned long code, ...);

#define ZQ_LOG(...) ::quillon::ZQLogLine(__FILE__, __LINE__, __VA_ARGS__)
#define ZQ_LOG_SYSTEM_ERROR() ::quillon::ZQLogSystemError(__FILE__, __LINE__)
#define ZQ_LOG_ERROR_CODE(table, ...) \
    ::quillon::ZQLogErrorCode(__FILE__, __LINE__, table, __VA_ARGS__)

// Settings of the default logger.
void ZQLogSetEnabled(bool on);  // off: no line is built or written anywhere
void ZQLogSetFileEnabled(bool on);
void ZQLogSetMirrorToStderr(bool on);
void ZQLogSetObserver(ZQLogObserver observer);  // empty: none
// Closes the log file; the next line finds the folder and QUILLON_LOG_STDERR anew.
void ZQLogRestart();
// The log file for the current state folder.
std::string ZQLogFilePath();
// Lines of failed checks written since the start.
unsigned long ZQLogFailedCheckCount();

// The answers to a failed check.
enum ZQ_ASSERT_RETURN : int {
    ZQ_ASSERT_BREAK = 0,          // break into an attached debugger, then carry on
    ZQ_ASSERT_EXIT = 1,           // end the program (so does any answer above 3)
    ZQ_ASSERT_CORRECT = 2,        // apply the corrective statement
    ZQ_ASSERT_CORRECT_ALWAYS = 3  // the same
};

// Called before the program ends on a failed check; null for none.
extern void (*ZQAssertAfterExitCallback)();
extern const char* const ZQ_LOG_NO_MEMORY_TEXT;

// Decides the answer to a failed check that was logged already. checkId,
// alwaysBreak and correctable describe the check; the answer is the one set in
// the hooks (the program's is always ZQ_ASSERT_CORRECT) and does not depend on them.
ZQ_ASSERT_RETURN ZQAssertStatement(const char* channel, unsigned long checkId, const char* message,
                                   const char* file, unsigned short line, const char* expression,
                                   int alwaysBreak, long correctable);

// What tests may change about failed checks.
struct ZQAssertHooks {
    ZQ_ASSERT_RETURN answer = ZQ_ASSERT_CORRECT;
    void (*exitProgram)(int) = nullptr;    // null: std::exit
    bool (*debuggerAttached)() = nullptr;  // null: ZQDebuggerAttached
};
// Sets the hooks and returns the ones before.
ZQAssertHooks ZQSetAssertHooks(const ZQAssertHooks& hooks);

// True when a tracer (a debugger) is attached to this process.
bool ZQDebuggerAttached();

// Runs the failed-check sequence: logs "***ASSERT FAILED expr:... text:...",
// asks ZQAssertStatement, then acts on the answer. True when the caller must
// apply its corrective statement; that is also the case when a test's exit
// function returned instead of ending the process.
bool ZQAssertFailed(const char* message, const char* expression, const char* file,
                    unsigned long line, const char* statement);

// Checks a caller's contract. The statement is the corrective one, e.g.
// `return ZQ_ERROR;`, or `;` for none; its text goes into the log.
#define ZQ_ASSERT(condition, message, expression, statement)                                  \
    do {                                                                                      \
        if (!(condition) &&                                                                   \
            ::quillon::ZQAssertFailed(message, expression, __FILE__, __LINE__, #statement)) { \
            statement                                                                         \
        }                                                                                     \
    } while (0)

// A library's version block: 400 bytes of zero-filled text fields.
struct ZQVersionBlock {
    char StartMarker[9];  // "YyHhTtMm"
    char Build[10];
    char Name[32];
    char Version[19];
    char Revision[19];
    char Author[42];
    char Date[40];
    char Source[40];
    char Notes[100];
    char Reserved[60];
    char Extra[20];
    char EndMarker[9];  // "YyHhTtMM"
};
static_assert(sizeof(ZQVersionBlock) == 400);
static_assert(offsetof(ZQVersionBlock, Build) == 9);
static_assert(offsetof(ZQVersionBlock, Name) == 19);
static_assert(offsetof(ZQVersionBlock, Version) == 51);
static_assert(offsetof(ZQVersionBlock, Revision) == 70);
static_assert(offsetof(ZQVersionBlock, Author) == 89);
static_assert(offsetof(ZQVersionBlock, Date) == 131);
static_assert(offsetof(ZQVersionBlock, Source) == 171);
static_assert(offsetof(ZQVersionBlock, Notes) == 211);
static_assert(offsetof(ZQVersionBlock, Reserved) == 311);
static_assert(offsetof(ZQVersionBlock, Extra) == 371);
static_assert(offsetof(ZQVersionBlock, EndMarker) == 391);

// Registers a library's version block for as long as it lives; libraries keep
// one as a static object, so the block is registered from start to exit.
class ZQVersion {
  public:
    explicit ZQVersion(const ZQVersionBlock* block);
    ~ZQVersion();
    ZQVersion(const ZQVersion&) = delete;
    ZQVersion& operator=(const ZQVersion&) = delete;

    // The registered block with that library name, or null.
    static const ZQVersionBlock* Find(const char* name);

  private:
    const ZQVersionBlock* Block;
};

}  // namespace quillon
