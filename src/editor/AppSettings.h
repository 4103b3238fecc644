// What the editor keeps in the per-user settings store between runs: the three
// remembered folders and the recent file list.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "bank/QuillonDoc.h"
#include "platform/Settings.h"

namespace quillon {

inline constexpr char kQuillonSettingsKey[] = "Software\\Zarquine Studios Ltd\\Audio\\Quillon";
inline constexpr char kRecentFilesKey[] =
    "Software\\Local AppWizard-Generated Applications\\Quillon\\Recent File List";
inline constexpr int kRecentFileCount = 15;

// Creates the key when missing, then walks its values in order: a string value
// named "FileOpenDir", "FileWavReplaceDir" or "FileWavAddDir" (ignoring letter
// case) gives that folder; values of other types or names are skipped.
void readRememberedFolders(SettingsStore& store, RememberedFolders& folders);

// Writes the three folders as strings, in the order FileOpenDir,
// FileWavReplaceDir, FileWavAddDir.
void writeRememberedFolders(SettingsStore& store, const RememberedFolders& folders);

// The most recently opened or saved banks, newest first, at most 15.
class RecentFileList {
  public:
    const std::vector<std::string>& paths() const { return paths_; }
    // Puts the path first; an entry of the same path moves rather than repeats.
    void add(const std::string& path);
    void remove(const std::string& path);

    // "File1" to "File15" under the recent-file key; empty or non-string
    // values are skipped.
    void read(const SettingsStore& store);
    void write(SettingsStore& store) const;

  private:
    std::vector<std::string> paths_;
};

}  // namespace quillon
