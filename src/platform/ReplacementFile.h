// A file that replaces another only once it is complete.
//
// The new contents are written to a new file beside the target, in its
// folder, and renamed over the target only when every byte is on the disk.
// A write that fails (a full disk, a size limit, a crash) leaves the file
// already standing under the name exactly as it was, and the new file is
// removed; no one ever sees a half-written file under the target's name.
#pragma once

#include <sys/types.h>

#include <string>
#include <string_view>

namespace quillon {

class ReplacementFile {
  public:
    // Who may read the new file.
    enum class Access {
        AsTarget,   // as the file it replaces: its permissions and group
        OwnerOnly,  // this user alone (0600), whatever the file replaced allowed
    };

    enum class Status {
        Ready,         // the new file is open for writing
        NotAFile,      // the target is a folder, pipe or device: it is not replaced
        ReadOnly,      // the target has no write permission: it is left alone
        CannotCreate,  // no new file could be made in the target's folder
    };

    // Makes the new file for `target`. A target that is a symbolic link
    // stands for the file the link names: that file is replaced and the link
    // stays. A target that exists hands its permissions and, where this user
    // may give it, its group to the new file, as writing into it would have
    // kept them. With Access::OwnerOnly the new file is this user's alone
    // from its creation on.
    explicit ReplacementFile(const std::string& target, Access access = Access::AsTarget);
    // Discards the new file unless it was committed.
    ~ReplacementFile();
    ReplacementFile(const ReplacementFile&) = delete;
    ReplacementFile& operator=(const ReplacementFile&) = delete;

    // How making the new file went; it does not change on commit or discard.
    [[nodiscard]] Status status() const { return status_; }
    [[nodiscard]] bool ready() const { return status_ == Status::Ready; }
    // The file replaced: the target, or the file its link names.
    [[nodiscard]] const std::string& target() const { return target_; }
    // False when an existing target's group could not be given to the new file.
    [[nodiscard]] bool keptGroup() const { return keptGroup_; }

    // Writes all of `bytes`; false when not every byte could be written. The
    // failure stays: a file with a gap is never committed.
    [[nodiscard]] bool write(std::string_view bytes);

    // Puts the new file on the disk and renames it over the target. False
    // when that fails or an earlier write failed; the new file is removed
    // then and the target stays.
    [[nodiscard]] bool commit();

    // Removes the new file; the target stays as it was.
    void discard();

  private:
    bool createBeside(mode_t mode);

    std::string target_;
    std::string temp_;
    int fd_ = -1;
    Status status_ = Status::CannotCreate;
    bool keptGroup_ = true;
    bool writeFailed_ = false;
};

}  // namespace quillon
