// Open in Wave Editor: hands the source files of the selected rows to an
// external wave editor, each started as a process of its own that the program
// neither waits for nor hears from again. After editing, the user brings the
// changes into the bank with Refresh.
//
// Which editor. The environment variable QUILLON_WAVE_EDITOR names it when it
// is set and not empty. Otherwise the classes-root store (a settings store of
// its own, classesRootSettingsPath()) is read under the key
// "Sound Forge.Audio\protocol\StdFileEditing\Server": every value of string
// type there replaces the editor, the last one winning. Without either the
// editor is "forge32.exe".
//
// How it starts. A name that holds a "/" is run as given; a bare name
// ("audacity", "forge32.exe") is looked up on the PATH, as a desktop user
// expects. The file's full path, Location "/" Name, is the editor's one
// argument, passed unquoted: there is no shell between us and the editor, so
// a Location with blanks still reaches it as a single argument, and quote
// characters would only reach it as part of the name.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "bank/QuillonDoc.h"
#include "platform/Settings.h"

namespace quillon {

inline constexpr char kDefaultWaveEditor[] = "forge32.exe";
inline constexpr char kWaveEditorKey[] = "Sound Forge.Audio\\protocol\\StdFileEditing\\Server";
inline constexpr char kWaveEditorVariable[] = "QUILLON_WAVE_EDITOR";
inline constexpr char kNoEditorMessage[] = "No Editor Available";

// The store is read the way the old system read its class registrations: a
// value whose name or text needs more than these bytes (the text with its
// terminating zero) ends the reading, and the values after it are not looked at.
inline constexpr size_t kMaxEditorValueNameBytes = 127;
inline constexpr size_t kMaxEditorValueDataBytes = 128;

// $XDG_CONFIG_HOME/quillon/classes.conf: the store of programs registered for
// file types, beside the per-user settings.
std::string classesRootSettingsPath();

// The editor the store names, or `fallback` when it names none.
std::string waveEditorFromStore(const SettingsStore& classes,
                                std::string fallback = kDefaultWaveEditor);

// The editor to start: the environment variable, else the store at
// `classesStorePath` (a missing or unreadable store names none), else
// "forge32.exe".
std::string findWaveEditor(const std::string& classesStorePath);

// Starts a program with these arguments (argv[0] first) without waiting for
// it; false when it could not be started.
using ProcessStarter = std::function<bool(const std::vector<std::string>& argv)>;

// The real starter: posix_spawn for a program named with a "/", posix_spawnp
// (a PATH search) for a bare name. The program gets its own process group, so
// a signal meant for the editor's terminal does not end it. Finished editors
// are reaped on the next call.
bool startDetachedProcess(const std::vector<std::string>& argv);

// The command: for each selected row from the first, starts `editor` with the
// row's full path. The first editor that cannot be started shows "No Editor
// Available" (stop icon) and ends the command; the rows after it are not
// opened. The rows are not changed. Returns how many editors were started.
int openSelectedInWaveEditor(CQuillonDoc& doc, const std::string& editor,
                             const ProcessStarter& start = startDetachedProcess);

}  // namespace quillon
