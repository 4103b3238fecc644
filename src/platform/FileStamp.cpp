#include "platform/FileStamp.h"

#include <sys/stat.h>

namespace quillon {

std::optional<FileStamp> readFileStamp(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return std::nullopt;
    FileStamp stamp;
    stamp.device = uint64_t(st.st_dev);
    stamp.inode = uint64_t(st.st_ino);
    stamp.size = int64_t(st.st_size);
    stamp.modifiedNs = int64_t(st.st_mtim.tv_sec) * 1'000'000'000 + int64_t(st.st_mtim.tv_nsec);
    return stamp;
}

}  // namespace quillon
