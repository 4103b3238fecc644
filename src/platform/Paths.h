// Paths, folders and the private temporary folder.
//
// Paths use "/" as separator. Paths stored in banks made on other systems may
// use "\", so splitting a stored path accepts both.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace quillon {

struct PathParts {
    std::string folder;  // everything before the last separator, without it
    std::string name;    // everything after it; the whole path when there is none
};

// Splits at the last "/" or "\".
PathParts splitAtLastSeparator(std::string_view path);

// Splits a path of this system at its last "/": here a backslash is an
// ordinary character of a file name.
PathParts splitLocalPath(std::string_view path);

// folder + "/" + name; an empty folder gives just the name.
std::string joinPath(std::string_view folder, std::string_view name);

// A path as seen from `folder`: an absolute path as it is, a relative one
// joined to the folder. Neither is looked up on disk.
std::string resolvePath(std::string_view folder, std::string_view path);

// `path` spelled relative to `folder` ("../wavs/a.wav"), both taken as absolute
// paths and normalised without looking at the disk.
std::string relativePath(std::string_view path, std::string_view folder);

// The user's home folder ($HOME, else the password database, else "/").
std::string homeFolder();

// $XDG_CONFIG_HOME or ~/.config; $XDG_STATE_HOME or ~/.local/state.
std::string configHome();
std::string stateHome();

// The per-user private temporary folder below the system temp dir: created
// with mode 0700 when missing, and accepted only when it is a real folder
// (not a link) owned by this user with no access for others. Returns nothing
// when no such folder can be had.
std::optional<std::string> privateTempFolder();

// Where the fixed folders of the system's own world live here.
std::string defaultWavsFolder();  // $HOME/wavs
std::string korvelFolder();       // $HOME/dev/korvel

// True when the path names an existing file or folder.
bool pathExists(const std::string& path);

// True when both paths name one existing file, whatever their spelling: the
// same device and inode, links followed.
bool sameExistingFile(const std::string& a, const std::string& b);

// True when a file exists and may not be written: it has no write permission
// bits, or this process may not write it.
bool isReadOnlyFile(const std::string& path);

// True when the path names something that exists but is no regular file (a
// folder, a named pipe, a device), links followed. Saving a file under such a
// name would replace it instead of writing into it.
bool existsAsNonFile(const std::string& path);

// The file a symbolic link names, so that a file written in its place lands
// there and the link stays; any other path, and a dangling link, unchanged.
std::string fileBehindLink(const std::string& path);

}  // namespace quillon
