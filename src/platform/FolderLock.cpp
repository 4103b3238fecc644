#include "platform/FolderLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

#include "platform/FileIo.h"

namespace quillon {

FolderLock::~FolderLock() {
    release();
}

void FolderLock::release() {
    if (fd_ < 0) return;
    ::close(fd_);  // closing the only descriptor ends the lock
    fd_ = -1;
}

FolderLock::Taken FolderLock::take(const std::string& folder,
                                   const std::function<void()>& waiting) {
    release();
    int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return Taken::Not;
    Taken taken = Taken::Now;
    if (flockRetryingOnSignals(fd, LOCK_EX | LOCK_NB) != 0) {
        if (errno != EWOULDBLOCK) {
            ::close(fd);  // a file system without locks: nothing to take turns with
            return Taken::Not;
        }
        if (waiting) waiting();
        if (flockRetryingOnSignals(fd, LOCK_EX) != 0) {
            ::close(fd);
            return Taken::Not;
        }
        taken = Taken::AfterWait;
    }
    fd_ = fd;
    return taken;
}

}  // namespace quillon
