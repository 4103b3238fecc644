#include "cli/Cli.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "platform/Numbers.h"
#include "platform/Paths.h"
#include "platform/Text.h"

namespace quillon::cli {

namespace {

constexpr char kToolName[] = "quillon-cli";

const OptionSpec kHelpOption = {"help", nullptr, "show this help (also -h)"};
const OptionSpec kQuietOption = {"quiet", nullptr, "write only errors to stderr"};

enum class Parsed { Ok, Help, Usage };

const OptionSpec* findOption(const CommandSpec& command, std::string_view name) {
    for (const OptionSpec& option : command.options)
        if (name == option.name) return &option;
    return nullptr;
}

Parsed parseArguments(const CommandSpec& command, const std::vector<std::string>& arguments,
                      Args& args, std::string& problem) {
    bool optionsEnded = false;
    for (size_t i = 0; i < arguments.size(); ++i) {
        std::string argument = arguments[i];
        if (!optionsEnded && argument.size() == 2 && argument[0] == '-')
            for (const OptionSpec& option : command.options)
                if (option.shortName == argument[1]) argument = std::string("--") + option.name;
        if (optionsEnded || argument.size() < 2 || argument.compare(0, 2, "--") != 0) {
            if (!optionsEnded && argument == "-h") return Parsed::Help;
            args.positional.push_back(argument);
            continue;
        }
        if (argument == "--") {
            optionsEnded = true;
            continue;
        }
        std::string name = argument.substr(2);
        std::optional<std::string> inlineValue;
        if (size_t equals = name.find('='); equals != std::string::npos) {
            inlineValue = name.substr(equals + 1);
            name.resize(equals);
        }
        if (name == "help") return Parsed::Help;
        if (name == "quiet" && !inlineValue) {
            args.flags.push_back(name);
            continue;
        }
        const OptionSpec* option = findOption(command, name);
        if (!option) {
            problem = "unknown option --" + name;
            return Parsed::Usage;
        }
        if (!option->valueName) {
            if (inlineValue) {
                problem = "option --" + name + " takes no value";
                return Parsed::Usage;
            }
            args.flags.push_back(name);
        } else if (inlineValue) {
            args.values[name] = *inlineValue;
        } else if (i + 1 < arguments.size()) {
            args.values[name] = arguments[++i];
        } else {
            problem = "option --" + name + " needs a value (" + option->valueName + ")";
            return Parsed::Usage;
        }
    }
    int count = int(args.positional.size());
    if (count < command.minPositional) {
        problem = "missing arguments";
        return Parsed::Usage;
    }
    if (command.maxPositional >= 0 && count > command.maxPositional) {
        problem = "too many arguments";
        return Parsed::Usage;
    }
    return Parsed::Ok;
}

std::string usageLine(const CommandSpec& command) {
    return format("Usage: %s %s %s\n", kToolName, command.name, command.synopsis);
}

std::string commandHelp(const CommandSpec& command) {
    std::string text = usageLine(command) + "\n" + command.details + "\n\nOptions:\n";
    std::vector<OptionSpec> options = command.options;
    options.push_back(kQuietOption);
    options.push_back(kHelpOption);
    for (const OptionSpec& option : options) {
        std::string left = option.shortName ? format("-%c, --%s", option.shortName, option.name)
                                            : std::string("--") + option.name;
        if (option.valueName) left += std::string(" ") + option.valueName;
        text += format("  %-18s %s\n", left.c_str(), option.help);
    }
    return text;
}

std::string toolHelp() {
    std::string text = format(
        "Usage: %s COMMAND [ARGUMENTS]\n"
        "       %s help [COMMAND]    or    %s COMMAND --help\n"
        "       %s --version\n"
        "\n"
        "Edits game sound banks (.sad files) with the editor's own operations and\n"
        "messages. Every command that changes a bank saves it; a bank is only ever\n"
        "replaced whole.\n"
        "\nCommands:\n",
        kToolName, kToolName, kToolName, kToolName);
    for (const CommandSpec& command : commandTable())
        text += format("  %s %s\n      %s\n", command.name, command.synopsis, command.summary);
    text +=
        "\n"
        "Rows are named by their sample number, the No column. WAV paths given on the\n"
        "command line are stored as absolute paths; build stores a manifest's relative\n"
        "paths relative to the bank, and every command reads them from there.\n"
        "\n"
        "Every line on stderr starts with \"quillon-cli: \"; the editor's messages, in\n"
        "its own texts, follow the name of the bank they concern. --quiet, given to\n"
        "any command, keeps only errors. A long run shows its progress on stderr when\n"
        "that is a terminal. Questions are not asked: OK/Cancel is answered OK, and\n"
        "Yes/No (Cancel) is answered No.\n"
        "\n"
        "Exit status: 0 success; 1 an operation refused or failed (its message is on\n"
        "stderr; the bank is saved when the editor would have gone on, as adding goes\n"
        "on past a refused file); 2 a usage error.\n";
    return text;
}

const CommandSpec* findCommand(std::string_view name) {
    for (const CommandSpec& command : commandTable())
        if (name == command.name) return &command;
    return nullptr;
}

void printTo(std::FILE* stream, const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), stream);
    std::fflush(stream);
}

int toolUsageError(const std::string& problem) {
    printTo(stderr, format("%s: %s\n", kToolName, problem.c_str()));
    printTo(stderr, format("%s: Usage: %s COMMAND [ARGUMENTS]\n%s: Try '%s --help' for the "
                           "commands.\n",
                           kToolName, kToolName, kToolName, kToolName));
    return kExitUsage;
}

int runHelp(const std::vector<std::string>& arguments) {
    if (arguments.size() > 2) return toolUsageError("help takes at most one command");
    if (arguments.size() < 2) {
        printTo(stdout, toolHelp());
        return kExitOk;
    }
    const CommandSpec* command = findCommand(arguments[1]);
    if (!command) return toolUsageError("unknown command '" + arguments[1] + "'");
    printTo(stdout, commandHelp(*command));
    return kExitOk;
}

int runCommand(const CommandSpec& command, const std::vector<std::string>& arguments) {
    Context context;
    context.command = &command;
    Args args;
    std::string problem;
    switch (parseArguments(command, arguments, args, problem)) {
        case Parsed::Help:
            printTo(stdout, commandHelp(command));
            return kExitOk;
        case Parsed::Usage:
            return usageError(context, problem);
        case Parsed::Ok:
            break;
    }
    context.shell.setQuiet(args.has("quiet"));
    return command.run(context, args);
}

}  // namespace

bool Args::has(const std::string& flag) const {
    return std::find(flags.begin(), flags.end(), flag) != flags.end();
}

std::optional<std::string> Args::value(const std::string& name) const {
    auto it = values.find(name);
    if (it == values.end()) return std::nullopt;
    return it->second;
}

int runCli(const std::vector<std::string>& arguments) {
    if (arguments.empty()) return toolUsageError("no command given");
    const std::string& first = arguments.front();
    if (first == "help" || first == "--help" || first == "-h") return runHelp(arguments);
    if (first == "--version") {
        printTo(stdout, format("%s %s\n", kToolName, QUILLON_VERSION));
        return kExitOk;
    }
    const CommandSpec* command = findCommand(first);
    if (!command) return toolUsageError("unknown command '" + first + "'");
    return runCommand(*command, std::vector<std::string>(arguments.begin() + 1, arguments.end()));
}

int usageError(Context& context, const std::string& problem) {
    context.shell.note(problem);
    context.shell.note(
        usageLine(*context.command).substr(0, usageLine(*context.command).size() - 1));
    context.shell.note(format("Try '%s %s --help' for more.", kToolName, context.command->name));
    return kExitUsage;
}

std::string absolutePath(const std::string& path) {
    std::error_code error;
    std::filesystem::path absolute = std::filesystem::absolute(path, error);
    if (error) return path;
    return absolute.lexically_normal().string();
}

// Waits, with a note, while another run holds the folder the bank is saved
// in: the folder of the file behind a link, where the save writes.
static void takeBankFolder(Context& context, const std::string& bank) {
    context.shell.setSubject(bank);
    std::string folder = splitLocalPath(fileBehindLink(absolutePath(bank))).folder;
    if (folder.empty()) folder = "/";
    (void)context.bankFolderLock.take(folder, [&] {
        context.shell.info(
            format("waiting for another run on a bank in %s to finish", folder.c_str()));
    });
}

bool openBank(Context& context, const std::string& path) {
    takeBankFolder(context, path);
    std::error_code error;
    std::filesystem::file_status status = std::filesystem::status(path, error);
    const char* why = nullptr;
    if (!std::filesystem::exists(status))
        why = "no such file";
    else if (std::filesystem::is_directory(status))
        why = "it is a folder";
    else if (::access(path.c_str(), R_OK) != 0)
        why = "permission denied";
    else if (!context.doc.OnOpenDocument(absolutePath(path)))
        why = "not a bank file, or the bank is damaged";
    context.bankArgument = path;
    if (!why) return true;
    context.shell.note(format("cannot open bank %s: %s", path.c_str(), why));
    return false;
}

bool mayMakeBank(Context& context, const std::string& bank, bool force) {
    takeBankFolder(context, bank);
    if (!pathExists(bank)) return true;
    const char* why = nullptr;
    if (!force)
        why = "already exists; use --force to replace it";
    else if (existsAsNonFile(bank))
        why = "is not a file; it is not replaced";
    else
        return true;
    context.shell.note(format("%s %s", bank.c_str(), why));
    return false;
}

bool refuseMusicBank(Context& context) {
    if (!context.doc.values().musicBank) return false;
    context.shell.note(format("%s is a music bank; '%s' works on sample banks only",
                              context.bankArgument.c_str(), context.command->name));
    return true;
}

bool saveBank(Context& context, const std::string& path) {
    if (context.doc.rows().empty()) {
        context.shell.note(format("a bank needs at least one row; %s is not saved", path.c_str()));
        return false;
    }
    if (context.doc.OnSaveDocument(absolutePath(path))) return true;
    // The save's own message may not name the file; a pipeline's log must.
    context.shell.note(format("%s is not saved", path.c_str()));
    return false;
}

int saveIfChanged(Context& context, const std::string& path, bool worked) {
    if (context.doc.isModified() && !saveBank(context, path)) return kExitFailed;
    return worked ? kExitOk : kExitFailed;
}

std::optional<int> parseRowNumber(const std::string& text) {
    if (text.empty() || text.size() > 9) return std::nullopt;
    for (char c : text)
        if (c < '0' || c > '9') return std::nullopt;
    return atoiLike(text);
}

int rowWithNumber(const RowList& rows, int number) {
    for (int i = 0; i < rows.size(); ++i)
        if (leadingInteger(rows.cell(i, kColNo)) == number) return i;
    return -1;
}

int checkRowNumbers(Context& context, const Args& args, size_t first) {
    for (size_t i = first; i < args.positional.size(); ++i)
        if (!parseRowNumber(args.positional[i]))
            return usageError(context, "not a row number: '" + args.positional[i] + "'");
    return kExitOk;
}

RowPick rowsNumbered(Context& context, const std::vector<std::string>& numbers) {
    RowPick pick;
    for (const std::string& text : numbers) {
        std::optional<int> number = parseRowNumber(text);
        if (!number) return {usageError(context, "not a row number: '" + text + "'"), {}};
        int row = rowWithNumber(context.doc.rows(), *number);
        if (row < 0) {
            context.shell.note(
                format("%s has no row numbered %d", context.bankArgument.c_str(), *number));
            return {kExitFailed, {}};
        }
        pick.rows.push_back(row);
    }
    std::sort(pick.rows.begin(), pick.rows.end());
    pick.rows.erase(std::unique(pick.rows.begin(), pick.rows.end()), pick.rows.end());
    return pick;
}

RowPick rowsNumberedOrAll(Context& context, const Args& args, size_t first) {
    if (args.positional.size() > first)
        return rowsNumbered(context, std::vector<std::string>(args.positional.begin() + long(first),
                                                              args.positional.end()));
    RowPick pick;
    for (int i = 0; i < context.doc.rows().size(); ++i)
        pick.rows.push_back(i);
    return pick;
}

bool writeStdout(Context& context, std::string_view bytes) {
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), stdout) == bytes.size();
    ok = std::fflush(stdout) == 0 && ok;
    if (!ok) context.shell.note("cannot write to the standard output");
    return ok;
}

}  // namespace quillon::cli
