#include "formats/MpegSectionFolder.h"

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <optional>
#include <vector>

#include "platform/Paths.h"

namespace quillon {

bool isMpegSectionFileName(std::string_view name) {
    constexpr std::string_view kPrefix = "sect", kSuffix = ".mpg";
    if (name.size() < kPrefix.size() + 4 + kSuffix.size()) return false;
    if (!name.starts_with(kPrefix) || !name.ends_with(kSuffix)) return false;
    std::string_view digits = name.substr(kPrefix.size(), name.size() - 8);
    return std::all_of(digits.begin(), digits.end(),
                       [](char c) { return std::isdigit(static_cast<unsigned char>(c)); });
}

bool removeMpegSectionFolder(const std::string& folder) {
    std::optional<std::string> base = privateTempFolder();
    const PathParts parts = splitAtLastSeparator(folder);
    if (!base || parts.folder != *base || !parts.name.starts_with(kMpegSectionFolderPrefix))
        return false;
    // O_NOFOLLOW: a link planted under the folder's name is never followed.
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return false;
    DIR* entries = ::fdopendir(fd);
    if (!entries) {
        ::close(fd);
        return false;
    }
    std::vector<std::string> sections;
    while (const dirent* entry = ::readdir(entries))
        if (isMpegSectionFileName(entry->d_name)) sections.emplace_back(entry->d_name);
    for (const std::string& name : sections)
        ::unlinkat(fd, name.c_str(), 0);
    ::closedir(entries);
    return ::rmdir(folder.c_str()) == 0;
}

}  // namespace quillon
