// A private folder per test, the environment while a test runs, raw file bytes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace quillon::test {

// A private folder, removed with everything in it at the end.
class TempFolder {
  public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }

  private:
    std::string path_;
};

// Sets an environment variable (unsets it for a null value) while it lives.
class ScopedEnvironment {
  public:
    ScopedEnvironment(const char* name, const char* value);
    ~ScopedEnvironment();
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

  private:
    std::string name_, saved_;
    bool hadValue_ = false;
};

// Keeps the program's private temporary folder inside a test's own folder.
class ScopedTmpDir : public ScopedEnvironment {
  public:
    explicit ScopedTmpDir(const std::string& path) : ScopedEnvironment("TMPDIR", path.c_str()) {}
};

std::vector<uint8_t> readFileBytes(const std::string& path);
// Writes bytes to a file, replacing it; throws std::runtime_error on failure.
void writeFile(const std::string& path, const std::vector<uint8_t>& bytes);
bool fileExists(const std::string& path);
// The names in a folder, sorted, so that a file left behind shows.
std::vector<std::string> namesIn(const std::string& folder);
// Runs a shell command; true when it exits with 0.
bool runCommand(const std::string& command);
// True when a program is on the PATH.
bool haveProgram(const std::string& name);

}  // namespace quillon::test
