// Small helpers for writing and locking files through their descriptors.
#pragma once

#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <string_view>

namespace quillon {

// Writes all of `bytes`, going on after an interrupted or short write; false
// when the descriptor takes no more.
[[nodiscard]] bool writeAll(int fd, std::string_view bytes);

// Flushes a folder, so that a file just created or renamed in it is on the
// disk too; an empty folder is the working folder. Failures are ignored: the
// file's own data was flushed already.
void syncFolder(const std::string& folder);

// Gives a new file the group and the permission bits of the file whose place
// it takes, with `addedBits` besides. Each says whether it was kept: this
// user may not give every group.
struct KeptAttributes {
    bool group = false;
    bool mode = false;
};
KeptAttributes takeGroupAndMode(int fd, const struct stat& old, mode_t addedBits = 0);

// Owns an open descriptor and closes it when it goes; a negative one (a failed
// open) is held and never closed.
class FileDescriptor {
  public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    [[nodiscard]] int get() const { return fd_; }

  private:
    int fd_;
};

// flock(2), taken again when a signal interrupts the wait; 0 or -1 with errno.
int flockRetryingOnSignals(int fd, int operation);

}  // namespace quillon
