// The command-line tool: one thin front end over the document, the row list
// and the operations the editor uses. Each command is one function that opens
// or makes a document, runs the editor's own command body on it, and saves it
// through the document's save.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "bank/QuillonDoc.h"
#include "cli/TerminalShell.h"
#include "platform/FolderLock.h"

namespace quillon::cli {

enum ExitStatus : int {
    kExitOk = 0,
    kExitFailed = 1,  // an operation refused or failed; its message was printed
    kExitUsage = 2,   // the command line is wrong; the usage text was printed
};

struct OptionSpec {
    const char* name;       // without the leading "--"
    const char* valueName;  // null for a flag
    const char* help;
    char shortName = 0;  // "-o" for 'o'; 0 for none
};

// A command line after its options were taken out. Options may stand anywhere
// after the command; "--" ends them, and everything else (a negative number
// included) is a positional argument.
struct Args {
    std::vector<std::string> positional;
    std::map<std::string, std::string> values;  // options with a value
    std::vector<std::string> flags;             // options without one

    bool has(const std::string& flag) const;
    std::optional<std::string> value(const std::string& name) const;
};

struct Context;
using CommandFunction = int (*)(Context&, const Args&);

struct CommandSpec {
    const char* name;
    const char* synopsis;  // the arguments after the command's name
    const char* summary;   // one line for the tool's help
    const char* details;   // the command's own help, after the synopsis
    std::vector<OptionSpec> options;
    int minPositional;
    int maxPositional;  // -1: no limit
    CommandFunction run;
};

// What every command works with: the terminal and one document.
struct Context {
    TerminalShell shell;
    // Held from before the bank is read until the run ends, after its save;
    // declared before the document so it outlasts it.
    FolderLock bankFolderLock;
    CQuillonDoc doc{shell, nullptr};
    const CommandSpec* command = nullptr;
    std::string bankArgument;  // the bank as the user named it, for messages
};

// The command table, in the order the tool's help lists them.
const std::vector<CommandSpec>& commandTable();

// Runs the tool on its arguments (without the program name).
int runCli(const std::vector<std::string>& arguments);

// --- Helpers the commands share ----------------------------------------------

// Prints "quillon-cli: <problem>" and the command's usage to stderr.
int usageError(Context& context, const std::string& problem);

// The path made absolute, so that the rows name their files wherever the bank
// is used next (the editor's dialogs always give full paths).
std::string absolutePath(const std::string& path);

// Opens the bank; on failure says why and returns false. Runs of the tool on
// banks of one folder take turns from here on (FolderLock), so two pipeline
// steps changing one bank at once both keep their changes.
bool openBank(Context& context, const std::string& path);

// Whether a new bank may be saved as `bank`: a path that names nothing, or,
// with --force, an existing file (never a folder, pipe or device, which the
// save would rename over). Says why not. Takes the bank's folder in turn, as
// openBank does.
bool mayMakeBank(Context& context, const std::string& bank, bool force);

// Refuses, with a message, a command the editor disables in a music bank.
bool refuseMusicBank(Context& context);

// Saves the document to the path through the document's save. A bank without
// rows is not saved (the editor's Save needs at least one row).
bool saveBank(Context& context, const std::string& path);

// Saves when the command changed the document; the exit status of a command
// whose own work went well (`worked`) or failed in part.
int saveIfChanged(Context& context, const std::string& path, bool worked);

// A row number argument: decimal digits only. Nothing when it is malformed.
std::optional<int> parseRowNumber(const std::string& text);

// Checks the row numbers among the positional arguments from `first` on
// before anything is opened: kExitOk, or the usage error's status.
int checkRowNumbers(Context& context, const Args& args, size_t first);

// The index of the first row whose No is the number, or -1.
int rowWithNumber(const RowList& rows, int number);

// Rows picked by their numbers: in list order, each once. `status` is
// kExitUsage for a malformed number and kExitFailed for a number no row has
// (the message was printed); the rows are then empty.
struct RowPick {
    int status = kExitOk;
    std::vector<int> rows;
};
RowPick rowsNumbered(Context& context, const std::vector<std::string>& numbers);
// The rows numbered by the positional arguments from `first` on; every row
// when there are none.
RowPick rowsNumberedOrAll(Context& context, const Args& args, size_t first);

// Writes bytes to stdout; false (with a message) when they did not all go.
bool writeStdout(Context& context, std::string_view bytes);

}  // namespace quillon::cli
