// Which version of a file is on disk: the file itself (device and inode; a
// save that renames a new file into place makes a new one) and its last write
// (size, and modification time to the nanosecond). A program that read a file
// compares the stamp it took then with the one on disk now to learn whether
// another program wrote the file since.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace quillon {

struct FileStamp {
    uint64_t device = 0;
    uint64_t inode = 0;
    int64_t size = 0;
    int64_t modifiedNs = 0;  // since the epoch

    friend bool operator==(const FileStamp&, const FileStamp&) = default;
};

// The stamp of the file at `path`, links followed; nothing when it cannot be
// read (no such file).
std::optional<FileStamp> readFileStamp(const std::string& path);

}  // namespace quillon
