// A private folder for one test, removed with everything in it at the end.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace quillon::test {

class TempFolder {
  public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& path() const { return path_; }
    // path() + "/" + name
    std::string file(const std::string& name) const;

  private:
    std::string path_;
};

// Points $TMPDIR at a folder for its lifetime, so that the program's private
// temporary folder (temporary banks, MPEG sections) stays inside a test's own
// folder and tests running side by side never share one.
class ScopedTmpDir {
  public:
    explicit ScopedTmpDir(const std::string& path);
    ~ScopedTmpDir();
    ScopedTmpDir(const ScopedTmpDir&) = delete;
    ScopedTmpDir& operator=(const ScopedTmpDir&) = delete;

  private:
    std::string saved_;
    bool hadValue_ = false;
};

std::vector<uint8_t> readFileBytes(const std::string& path);
void writeFileBytes(const std::string& path, const std::vector<uint8_t>& bytes);
bool fileExists(const std::string& path);
// The names in a folder, sorted, so that a file left behind shows.
std::vector<std::string> namesIn(const std::string& folder);
// Runs a shell command; true when it exits with 0.
bool runCommand(const std::string& command);
// True when a program is on the PATH.
bool haveProgram(const std::string& name);

}  // namespace quillon::test
