#include "platform/FileIo.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

namespace quillon {

bool writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        bytes.remove_prefix(size_t(n));
    }
    return true;
}

void syncFolder(const std::string& folder) {
    int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

KeptAttributes takeGroupAndMode(int fd, const struct stat& old, mode_t addedBits) {
    KeptAttributes kept;
    // The group first: changing it may clear the set-group bit that the mode then restores.
    kept.group = ::fchown(fd, uid_t(-1), old.st_gid) == 0;
    kept.mode = ::fchmod(fd, (old.st_mode & 07777) | addedBits) == 0;
    return kept;
}

int flockRetryingOnSignals(int fd, int operation) {
    int result;
    do
        result = ::flock(fd, operation);
    while (result != 0 && errno == EINTR);
    return result;
}

}  // namespace quillon
