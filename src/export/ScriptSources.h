// The game files the script table is built from: the sound bank list header
// (the names of the enum AUDIO_SFX_BANK_TYPE), the script enum header (the
// HELP_TEXT_ constants from HELP_TEXT_NONE on) and the lines of a table file
// written before.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quillon {

class Shell;

// Capacities of the game's table builder: more names or entries than these
// are left out with a message.
inline constexpr size_t kMaxBankNames = 256;
inline constexpr size_t kMaxScriptEntries = 16384;

inline constexpr char kBankListLoadError[] = "[ERROR] Can't load File";

// --- one line at a time ---

// True for a line that opens the bank enum: it scans as "enum %s" to a word
// equal to "AUDIO_SFX_BANK_TYPE", letter case ignored.
bool startsBankEnum(std::string_view line);

// The bank name of a line inside the bank enum: the line must begin with white
// space and scan as " %s," to a word; characters at the word's end that are
// not letters or digits are cut ("BANK_A_," gives "BANK_A"). Nothing when the
// word is left empty.
std::optional<std::string> bankNameOfBodyLine(std::string_view line);

struct ScriptEntry {
    std::string name;  // the text after HELP_TEXT_
    int value = 0;
};

// A line that scans as " HELP_TEXT_%s = %d".
std::optional<ScriptEntry> scriptEntryOfLine(std::string_view line);

struct TableLine {
    std::string entryName;
    std::string bankName;
    int sampleNumber = 0;
};

// A line that scans as "\t\t{HELP_TEXT_%s , %s , %d },".
std::optional<TableLine> tableLineOf(std::string_view line);

// --- whole files ---

struct BankNames {
    bool opened = false;
    std::vector<std::string> names;  // in enum order, at most kMaxBankNames
    bool overCapacity = false;       // the file held more; they were left out
};

BankNames loadBankNames(const std::string& listPath);

// The items of the dialog's bank combo box: the names, or the single item
// "[ERROR] Can't load File" when the file cannot be read or names none.
std::vector<std::string> bankNameItems(const std::string& listPath);

// The index of the first name equal to `name` (letter case ignored), or -1.
int findBankName(const std::vector<std::string>& names, std::string_view name);

struct ScriptEnums {
    bool opened = false;
    std::vector<ScriptEntry> entries;  // from NONE on, at most kMaxScriptEntries
    bool overCapacity = false;
};

// Reads the script enum header. An entry whose value differs from its index
// asks "error: varno's enum values dont match line number" (OK / Cancel)
// through the shell; Cancel keeps that entry and stops reading.
ScriptEnums readScriptEnums(const std::string& path, Shell& shell);

}  // namespace quillon
