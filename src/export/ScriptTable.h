// The audio-to-script table: for every HELP_TEXT_ constant of the game's
// scripts, the sound bank and sample number of its spoken line. The bank being
// edited fills the entries named by its rows; the entries of other banks are
// carried over from the table file written before, so one table is built up
// bank by bank.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "bank/RowList.h"
#include "bank/Shell.h"

namespace quillon {

class CQuillonDoc;

inline constexpr char kBankListDefaultName[] = "AudioSFX.h";
inline constexpr char kScriptEnumDefaultName[] = "HelpTextEnums.h";
inline constexpr char kScriptTableDefaultName[] = "Audio2ScriptData.h";
inline constexpr char kScriptTableFilter[] = "Header File (*.h)|*.h||";

// What the export needs to know; the editor takes it from its dialogs, the
// command-line tool from its arguments.
struct ScriptTableRequest {
    std::string bankListPath;
    std::string scriptEnumPath;
    std::string outputPath;
    // The bank being exported: an index into the list's names, -1 for none.
    int selectedBank = 0;
    std::string selectedText;  // how the user named it, for messages
    bool clearOutput = false;  // start from an empty table, not the file written before
    // Refuse, writing nothing, when the bank named or a line of the table
    // written before names a bank not in the list. Otherwise such lines go to
    // the list's first bank, marked unused, as the editor does.
    bool refuseUnknownBanks = false;
};

// What the question "couldn't match %s! do you want to play the line?" does:
// Yes plays the row (index into the row list) and asks again; No stops every
// sample and goes on. Either may be empty (nothing played or stopped).
struct ScriptTableHooks {
    std::function<void(int row)> playRow;
    std::function<void()> stopAll;
};

enum class ScriptTableStatus {
    Written,
    Cancelled,      // the user cancelled the match question: nothing written
    NoBankNames,    // the sound bank list names no bank: nothing written
    NoScriptEnums,  // the script enum header is unreadable or has no HELP_TEXT_NONE
    CannotCreate,   // the output file could not be opened for writing
    WriteFailed,    // opened, but not written whole
    UnknownBank,    // refused (refuseUnknownBanks): a bank not in the list is named
};

struct ScriptTableResult {
    ScriptTableStatus status = ScriptTableStatus::Written;
    int matched = 0;  // rows that found their entry
    int entries = 0;  // script entries read
    // Lines that named a bank not in the list (from the table file written
    // before, or the selected bank itself) and now name the list's first bank,
    // as "HELP_TEXT_<entry> (<bank named>)".
    std::vector<std::string> replacedLines;
};

// The settings the tool dialog opens with: the list and enum headers in
// korvelFolder(), "Clear output file before exporting" off.
ScriptExportSettings defaultScriptExportSettings();

// The three paths of the last export the user went through the dialogs of:
// the two game files and the table written. An empty one was never given,
// and the built-in default stands in for it.
struct ScriptExportPaths {
    std::string bankListPath;
    std::string scriptEnumPath;
    std::string outputPath;
    bool operator==(const ScriptExportPaths&) const = default;
};

// Sorts the rows by No unless they already stand so, reads the game files,
// matches the rows and writes the table, talking to the user through the
// shell: the error messages, the value check (OK goes on, Cancel stops reading
// entries), the match question (see ScriptTableHooks; Cancel writes nothing),
// a list of the lines whose bank was replaced, and at the end "%d enums
// updated out of %d". A terminal answers the questions OK and No.
ScriptTableResult exportScriptTable(RowList& rows, const ScriptTableRequest& request, Shell& shell,
                                    const ScriptTableHooks& hooks);

// The "Custom Export..." command: the tool dialog, then the save dialog, then
// exportScriptTable with the dialogs' answers. Without a stopAll hook the
// document's audio library stops the samples. The dialogs open with the paths
// `lastUsed` holds (the defaults for those it has not), and each path the
// user confirms is kept there for the next time.
void runScriptTableExport(CQuillonDoc& doc, const ScriptTableHooks& hooks,
                          ScriptExportPaths& lastUsed);

}  // namespace quillon
