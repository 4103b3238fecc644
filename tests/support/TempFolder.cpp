#include "support/TempFolder.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace quillon::test {

TempFolder::TempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "quillon-test.XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    // Files a test made read-only must not stop the removal.
    for (auto& entry : std::filesystem::recursive_directory_iterator(path_, ignored))
        std::filesystem::permissions(entry.path(), std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ignored);
    std::filesystem::remove_all(path_, ignored);
}

std::string TempFolder::file(const std::string& name) const {
    return path_ + "/" + name;
}

ScopedTmpDir::ScopedTmpDir(const std::string& path) {
    if (const char* old = std::getenv("TMPDIR")) {
        saved_ = old;
        hadValue_ = true;
    }
    ::setenv("TMPDIR", path.c_str(), 1);
}

ScopedTmpDir::~ScopedTmpDir() {
    if (hadValue_)
        ::setenv("TMPDIR", saved_.c_str(), 1);
    else
        ::unsetenv("TMPDIR");
}

std::vector<uint8_t> readFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

void writeFileBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

bool fileExists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

std::vector<std::string> namesIn(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

bool runCommand(const std::string& command) {
    return std::system(command.c_str()) == 0;
}

bool haveProgram(const std::string& name) {
    return runCommand("command -v " + name + " > /dev/null 2>&1");
}

}  // namespace quillon::test
