// File handling shared by the exporters: writing a whole text file in one go,
// reading a text file line by line, and the pieces of a file name they use.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "bank/Shell.h"

namespace quillon {

inline constexpr char kErrorSavingFile[] = "Error Saving File";

// Line end of the files the system writes in text mode (the CSV list and the
// script table); the sample header is written with line feeds only.
inline constexpr std::string_view kTextModeLineEnd = "\r\n";

enum class SaveResult {
    Saved,
    CannotCreate,  // no new file could be made, or the old one may not be replaced
    WriteFailed,   // made, but not every byte reached the disk (disk full ...)
};

// Replaces the file `path` with one holding `bytes`, and only with a complete
// one: a failed write leaves a file already standing there exactly as it
// was. A link is followed to the file it names, as a user choosing that name
// expects; a file replaced keeps its permissions and group. A folder, pipe or
// device, and a file without write permission, are not replaced.
[[nodiscard]] SaveResult saveTextFile(const std::string& path, std::string_view bytes);

// Refuses an output that no export may write: the bank file itself, by any
// spelling or link (`bankPath` empty for a bank never saved), which would
// become a text file, and a folder, pipe or device, which a file would take
// the place of. Says so naming the output and returns true when it refuses;
// nothing is written then.
[[nodiscard]] bool refuseUnsafeOutput(Shell& shell, const std::string& bankPath,
                                      const std::string& output);

// Reads a text file line by line, lines of any length whole: a line is the
// text up to a line feed, without it and without one carriage return before
// it, and cut at a NUL byte as a C string would be. `visit` returns false to
// stop early. Returns false when the path is not a readable regular file.
[[nodiscard]] bool readTextLines(const std::string& path,
                                 const std::function<bool(std::string_view line)>& visit);

// The exporters' save dialog: prompt before overwriting, the folder must exist.
// `defaultName` may be a bare name or a full path.
FileDialogRequest exportSaveDialog(std::string defaultName, std::string filter);

// The text before the last "."; the whole text when it has none.
std::string_view beforeLastDot(std::string_view name);

// The last component of a local path (after the last "/").
std::string_view fileNameOf(std::string_view path);

}  // namespace quillon
