#include "platform/ReplacementFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/FileIo.h"
#include "platform/Paths.h"
#include "platform/Text.h"

namespace quillon {

namespace {

// How many names are tried for the new file before giving up.
constexpr int kNewFileNameAttempts = 100;

}  // namespace

ReplacementFile::ReplacementFile(const std::string& target, Access access)
    : target_(fileBehindLink(target)) {
    struct stat old {};
    bool replacing = ::stat(target_.c_str(), &old) == 0;
    if (replacing && !S_ISREG(old.st_mode)) {
        status_ = Status::NotAFile;
        return;
    }
    if (replacing && isReadOnlyFile(target_)) {
        status_ = Status::ReadOnly;
        return;
    }
    bool ownerOnly = access == Access::OwnerOnly;
    if (!createBeside(ownerOnly ? 0600 : 0666)) return;
    status_ = Status::Ready;
    if (!replacing || ownerOnly) return;
    keptGroup_ = takeGroupAndMode(fd_, old).group;
}

ReplacementFile::~ReplacementFile() {
    discard();
}

// In the target's folder, so that a rename can put it in the target's place.
// O_EXCL: a name someone else holds, or a link planted under it, is never
// opened.
bool ReplacementFile::createBeside(mode_t mode) {
    std::string folder = splitLocalPath(target_).folder;
    for (int attempt = 0; attempt < kNewFileNameAttempts; ++attempt) {
        temp_ = joinPath(folder, format(".quillon-new-%d-%d", int(::getpid()), attempt));
        fd_ = ::open(temp_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
        if (fd_ >= 0) return true;
        if (errno != EEXIST) break;
    }
    temp_.clear();
    return false;
}

bool ReplacementFile::write(std::string_view bytes) {
    if (fd_ < 0) return false;
    if (writeAll(fd_, bytes)) return true;
    writeFailed_ = true;
    return false;
}

bool ReplacementFile::commit() {
    if (fd_ < 0) return false;
    // The new file is on the disk before it takes the old one's place; a full
    // disk may show only here.
    bool placed = !writeFailed_ && ::fsync(fd_) == 0;
    placed = ::close(fd_) == 0 && placed;
    fd_ = -1;
    placed = placed && ::rename(temp_.c_str(), target_.c_str()) == 0;
    if (!placed) {
        discard();
        return false;
    }
    temp_.clear();
    return true;
}

void ReplacementFile::discard() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    if (!temp_.empty()) ::unlink(temp_.c_str());
    temp_.clear();
}

}  // namespace quillon
