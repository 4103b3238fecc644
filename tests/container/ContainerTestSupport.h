// Helpers of the container tests: a temporary folder, raw file bytes, a
// container built byte by byte (independent of ZQFile), and a capture of
// logged lines with the assertion answers under the test's control.
#pragma once

#include <sys/resource.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "container/ZQLog.h"

namespace quillon::containertest {

using Bytes = std::vector<uint8_t>;

// A fresh folder below the system temp dir, removed with everything in it.
class TempFolder {
  public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& path() const { return root; }
    std::string file(std::string_view name) const { return root + "/" + std::string(name); }

  private:
    std::string root;
};

Bytes readBytes(const std::string& path);
void writeBytes(const std::string& path, const Bytes& bytes);
Bytes bytesOf(std::string_view text);
// count bytes that repeat only after a long stretch, different for each seed.
Bytes pattern(size_t count, uint8_t seed);

// One segment as it lies in a file: a name field of 32 bytes, the declared
// size and the data bytes that follow (which may be fewer than declared).
struct RawSegment {
    std::string name;
    Bytes data;
    int64_t declaredSize = -1;  // -1: the data's length
};
Bytes containerBytes(const std::vector<RawSegment>& segments);
uint32_t u32At(const Bytes& bytes, size_t offset);

// Collects every logged line while it lives and sets the assertion hooks; puts
// the hooks before it back when it goes.
class LogCapture {
  public:
    explicit LogCapture(ZQAssertHooks hooks = {});
    ~LogCapture();
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    const std::vector<std::string>& texts() const { return lines; }
    bool contains(std::string_view text) const;
    // The text of a failed check as logged.
    static std::string failedCheck(std::string_view expression, std::string_view message);
    static std::string corrective(std::string_view statement);
    void clear() { lines.clear(); }

  private:
    std::vector<std::string> lines;
    ZQAssertHooks before;
};

// Limits the size of files this process writes, with SIGXFSZ ignored so that
// passing the limit makes write answer short or fail instead of ending us.
// Both are put back when it goes.
class FileSizeLimit {
  public:
    explicit FileSizeLimit(rlim_t bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

  private:
    rlimit before{};
    void (*oldHandler)(int) = nullptr;
};

// Sets an environment variable while it lives.
class ScopedEnvironment {
  public:
    ScopedEnvironment(const char* name, const char* value);  // value null: unset
    ~ScopedEnvironment();
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

  private:
    std::string variable;
    bool wasSet = false;
    std::string oldValue;
};

}  // namespace quillon::containertest
