// The folders that hold a music import's section files until its bank is
// saved: "mpeg-XXXXXX" inside the private temporary folder, holding
// "sect0000.mpg", "sect0001.mpg", ...
#pragma once

#include <string>
#include <string_view>

namespace quillon {

inline constexpr char kMpegSectionFolderPrefix[] = "mpeg-";

// True for "sect" followed by at least four digits and ".mpg".
[[nodiscard]] bool isMpegSectionFileName(std::string_view name);

// Removes the section files of one import and its folder, once they are no
// longer needed (the bank holding them was saved). Only a folder that an
// import made is touched: "mpeg-..." directly inside the private temporary
// folder; only files named "sect<digits>.mpg" in it are removed. Returns true
// when the folder is gone.
bool removeMpegSectionFolder(const std::string& folder);

}  // namespace quillon
