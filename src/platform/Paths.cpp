#include "platform/Paths.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>

namespace quillon {

static PathParts splitAt(std::string_view path, size_t cut) {
    if (cut == std::string_view::npos) return {std::string(), std::string(path)};
    // A file in the root folder keeps "/" as its folder, so joining gives the path back.
    if (cut == 0 && path[0] == '/') return {"/", std::string(path.substr(1))};
    return {std::string(path.substr(0, cut)), std::string(path.substr(cut + 1))};
}

PathParts splitAtLastSeparator(std::string_view path) {
    return splitAt(path, path.find_last_of("/\\"));
}

PathParts splitLocalPath(std::string_view path) {
    return splitAt(path, path.rfind('/'));
}

std::string joinPath(std::string_view folder, std::string_view name) {
    if (folder.empty()) return std::string(name);
    std::string out(folder);
    if (out.back() != '/') out += '/';
    out += name;
    return out;
}

std::string resolvePath(std::string_view folder, std::string_view path) {
    if (path.empty()) return std::string(folder);
    if (path.front() == '/') return std::string(path);
    return joinPath(folder, path);
}

std::string relativePath(std::string_view path, std::string_view folder) {
    namespace fs = std::filesystem;
    fs::path from = fs::path(folder).lexically_normal();
    std::string relative = fs::path(path).lexically_normal().lexically_relative(from).string();
    return relative.empty() ? std::string(path) : relative;
}

std::string homeFolder() {
    if (const char* home = std::getenv("HOME"); home && *home) return home;
    if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_dir) return pw->pw_dir;
    return "/";
}

static std::string xdgFolder(const char* variable, const char* fallbackBelowHome) {
    // The XDG rules ignore a relative path in the variable.
    if (const char* value = std::getenv(variable); value && value[0] == '/') return value;
    return joinPath(homeFolder(), fallbackBelowHome);
}

std::string configHome() {
    return xdgFolder("XDG_CONFIG_HOME", ".config");
}
std::string stateHome() {
    return xdgFolder("XDG_STATE_HOME", ".local/state");
}

std::optional<std::string> privateTempFolder() {
    const char* base = std::getenv("TMPDIR");
    std::string folder =
        joinPath((base && base[0] == '/') ? base : "/tmp", "quillon-" + std::to_string(getuid()));
    if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) return std::nullopt;
    struct stat st {};
    // lstat, so that a link planted under our name is refused rather than followed.
    if (lstat(folder.c_str(), &st) != 0) return std::nullopt;
    if (!S_ISDIR(st.st_mode) || st.st_uid != getuid() || (st.st_mode & 077) != 0)
        return std::nullopt;
    return folder;
}

std::string defaultWavsFolder() {
    return joinPath(homeFolder(), "wavs");
}
std::string korvelFolder() {
    return joinPath(homeFolder(), "dev/korvel");
}

bool pathExists(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0;
}

bool sameExistingFile(const std::string& a, const std::string& b) {
    struct stat first {};
    struct stat second {};
    return ::stat(a.c_str(), &first) == 0 && ::stat(b.c_str(), &second) == 0 &&
           first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

bool isReadOnlyFile(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return false;
    // Checked by the permission bits too: the superuser may write any file, but
    // a file without write permission is meant to be left alone.
    return (st.st_mode & 0222) == 0 || ::access(path.c_str(), W_OK) != 0;
}

bool existsAsNonFile(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode);
}

std::string fileBehindLink(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
    char* resolved = ::realpath(path.c_str(), nullptr);
    if (!resolved) return path;
    std::string file(resolved);
    std::free(resolved);
    return file;
}

}  // namespace quillon
