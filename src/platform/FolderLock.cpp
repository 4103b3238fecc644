#include "platform/FolderLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <thread>

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

FolderLock::Taken FolderLock::takeWithin(const std::string& folder,
                                         std::chrono::milliseconds patience) {
    release();
    int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return Taken::Not;
    // flock has no time limit of its own: the lock is tried until the time is up.
    constexpr std::chrono::milliseconds kRetryEvery{20};
    const auto deadline = std::chrono::steady_clock::now() + patience;
    Taken taken = Taken::Now;
    while (flockRetryingOnSignals(fd, LOCK_EX | LOCK_NB) != 0) {
        if (errno != EWOULDBLOCK) {
            ::close(fd);
            return Taken::Not;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            ::close(fd);
            return Taken::Busy;
        }
        std::this_thread::sleep_for(kRetryEvery);
        taken = Taken::AfterWait;
    }
    fd_ = fd;
    return taken;
}

}  // namespace quillon
