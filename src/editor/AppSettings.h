// What the editor keeps in the per-user settings store between runs: the three
// remembered folders, the script export's paths, the recent file list and the
// list's column layout.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "bank/QuillonDoc.h"
#include "export/ScriptTable.h"
#include "platform/Settings.h"

namespace quillon {

inline constexpr char kQuillonSettingsKey[] = "Software\\Zarquine Studios Ltd\\Audio\\Quillon";
inline constexpr char kRecentFilesKey[] =
    "Software\\Local AppWizard-Generated Applications\\Quillon\\Recent File List";
inline constexpr int kRecentFileCount = 15;
inline constexpr char kColumnsSettingsKey[] =
    "Software\\Zarquine Studios Ltd\\Audio\\Quillon\\Columns";

// Creates the key when missing, then walks its values in order: a string value
// named "FileOpenDir", "FileWavReplaceDir" or "FileWavAddDir" (ignoring letter
// case) gives that folder; values of other types or names are skipped.
void readRememberedFolders(SettingsStore& store, RememberedFolders& folders);

// Writes the three folders as strings, in the order FileOpenDir,
// FileWavReplaceDir, FileWavAddDir.
void writeRememberedFolders(SettingsStore& store, const RememberedFolders& folders);

// The script export's paths last used: the string values "ScriptBankList",
// "ScriptEnum" and "ScriptTable" of the program's key; a missing one (or one
// of another type) is empty. Only paths given are written.
ScriptExportPaths readScriptExportPaths(const SettingsStore& store);
void writeScriptExportPaths(SettingsStore& store, const ScriptExportPaths& paths);

// The columns as the user arranged them. Each list holds one entry per column
// of the table, or none: the defaults.
struct ColumnLayout {
    std::vector<int> order;   // the columns in the order shown
    std::vector<int> widths;  // by column; 0: fitted to its title and contents
    std::vector<int> hidden;  // by column; 1: hidden
    bool operator==(const ColumnLayout&) const = default;
};

// "Order", "Widths" and "Hidden" under the columns key, numbers joined by ",".
// A list of another length (the table gained or lost columns), an order that
// is not each column once, or a width out of 0 to 4000 reads as empty.
ColumnLayout readColumnLayout(const SettingsStore& store, int columnCount);
void writeColumnLayout(SettingsStore& store, const ColumnLayout& layout);

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
