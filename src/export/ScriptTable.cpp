#include "export/ScriptTable.h"

#include <optional>
#include <string_view>
#include <unordered_map>

#include "bank/QuillonDoc.h"
#include "bank/Sorting.h"
#include "export/ExportFile.h"
#include "export/ScriptSources.h"
#include "platform/Numbers.h"
#include "platform/Paths.h"
#include "platform/Text.h"

namespace quillon {

namespace {

constexpr std::string_view kHelpPrefix = "HELP_TEXT_";
constexpr size_t kReplacedLinesShown = 20;

constexpr char kMessageNoBankNames[] = "error: can't load game soundbank list file";
constexpr char kMessageTooManyBanks[] =
    "error: more than 256 soundbanks in the list; only the first 256 are used";
constexpr char kMessageNoScriptFile[] = "error: can't open game script file";
constexpr char kMessageNoFirstEntry[] = "error: no HELP_TEXT_NONE in game script file";
constexpr char kMessageTooManyEntries[] =
    "error: more than 16384 script enums; only the first 16384 are used";
constexpr char kMessageNoPreviousTable[] = "error: can't open output file";
constexpr char kMessageNoMatch[] = "couldn't match %s! do you want to play the line?";
constexpr char kMessageCannotCreate[] = "error: can't open output file. is it checked out?";
constexpr char kMessageReplaced[] =
    "these lines named a soundbank that is not in the list; they now name %s:";
constexpr char kMessageSummary[] = "%d enums updated out of %d";

void tell(Shell& shell, std::string text) {
    shell.showMessage({std::move(text), std::string(), MessageIcon::None, MessageButtons::Ok});
}

struct TableEntry {
    int bankIndex = 0;
    int sampleNumber = 0;
    // The bank the entry was given that is not in the list; index 0 stands in.
    std::optional<std::string> missingBank;
};

// The script entries with their table values, found by name ignoring case.
class Table {
  public:
    Table(const std::vector<ScriptEntry>& entries, const std::vector<std::string>& bankNames)
        : entries_(entries), bankNames_(bankNames), values_(entries.size()) {
        // The first entry of a name is the one every lookup finds.
        for (size_t i = 0; i < entries.size(); ++i)
            index_.emplace(asciiLower(entries[i].name), int(i));
    }

    int find(std::string_view name) const {
        auto it = index_.find(asciiLower(name));
        return it == index_.end() ? -1 : it->second;
    }

    // Sets an entry to a bank given by index (-1: not in the list, named
    // `bankNamed`) and a sample number.
    void set(int entry, int bankIndex, const std::string& bankNamed, int sampleNumber) {
        TableEntry& value = values_[size_t(entry)];
        value.bankIndex = bankIndex < 0 ? 0 : bankIndex;
        value.missingBank = bankIndex < 0 ? std::optional<std::string>(bankNamed) : std::nullopt;
        value.sampleNumber = sampleNumber;
    }

    std::vector<std::string> replacedLines() const {
        std::vector<std::string> lines;
        for (size_t i = 0; i < values_.size(); ++i)
            if (values_[i].missingBank)
                lines.push_back(format("HELP_TEXT_%s (%s)", entries_[i].name.c_str(),
                                       values_[i].missingBank->c_str()));
        return lines;
    }

    std::string text() const {
        const std::string_view end = kTextModeLineEnd;
        size_t count = entries_.size();
        std::string out = "#pragma once";
        out += end;
        out += format("static const int Audio2ScriptTableSize=%zu;", count);
        out += end;
        out += end;
        out += format("static const Audio2ScriptData Audio2ScriptTable[%zu]={", count);
        out += end;
        for (size_t i = 0; i < count; ++i) {
            const TableEntry& value = values_[i];
            bool unused = value.bankIndex == 0 || value.sampleNumber == 0;
            out += "\t\t{HELP_TEXT_" + entries_[i].name + " , " +
                   bankNames_[size_t(value.bankIndex)] +
                   format(" , %d },%s", value.sampleNumber, unused ? "\t\t// unused!" : "");
            out += end;
        }
        out += "};";
        out += end;
        return out;
    }

  private:
    const std::vector<ScriptEntry>& entries_;
    const std::vector<std::string>& bankNames_;
    std::vector<TableEntry> values_;
    std::unordered_map<std::string, int> index_;
};

void readPreviousTable(const std::string& path, const std::vector<std::string>& bankNames,
                       Table& table, Shell& shell) {
    bool opened = readTextLines(path, [&](std::string_view line) {
        std::optional<TableLine> parsed = tableLineOf(line);
        if (!parsed) return true;
        int entry = table.find(parsed->entryName);
        if (entry < 0) return true;  // an entry the scripts no longer have
        table.set(entry, findBankName(bankNames, parsed->bankName), parsed->bankName,
                  parsed->sampleNumber);
        return true;
    });
    if (!opened) tell(shell, kMessageNoPreviousTable);
}

// The row's key: its Name before the last ".", a to z upper-cased; a help
// line's key loses its HELP_TEXT_ prefix.
std::string rowKey(const RowList& rows, int row, bool& helpLine) {
    std::string key = asciiUpper(beforeLastDot(rows.cell(row, kColName)));
    helpLine = key.compare(0, kHelpPrefix.size(), kHelpPrefix) == 0;
    if (helpLine) key.erase(0, kHelpPrefix.size());
    return key;
}

// Asks about a help line that names no entry; false when the user cancels.
bool askAboutUnmatched(const std::string& key, int row, Shell& shell,
                       const ScriptTableHooks& hooks) {
    for (;;) {
        MessageAnswer answer =
            shell.showMessage({format(kMessageNoMatch, key.c_str()), std::string(),
                               MessageIcon::None, MessageButtons::YesNoCancel});
        if (answer == MessageAnswer::Yes) {
            if (hooks.playRow) hooks.playRow(row);
            continue;
        }
        if (answer != MessageAnswer::No) return false;
        if (hooks.stopAll) hooks.stopAll();
        return true;
    }
}

// Gives every row's entry the selected bank and the row's number; false when
// the user cancelled.
bool matchRows(const RowList& rows, const ScriptTableRequest& request, int bankIndex, Table& table,
               Shell& shell, const ScriptTableHooks& hooks, int& matched) {
    for (int row = 0; row < rows.size(); ++row) {
        bool helpLine = false;
        std::string key = rowKey(rows, row, helpLine);
        int entry = table.find(key);
        if (entry >= 0) {
            table.set(entry, bankIndex, request.selectedText, atoiLike(rows.cell(row, kColNo)));
            ++matched;
        } else if (helpLine && !askAboutUnmatched(key, row, shell, hooks)) {
            return false;
        }
    }
    return true;
}

void tellReplaced(Shell& shell, const std::vector<std::string>& lines,
                  const std::string& firstBank) {
    if (lines.empty()) return;
    std::string text = format(kMessageReplaced, firstBank.c_str());
    for (size_t i = 0; i < lines.size() && i < kReplacedLinesShown; ++i)
        text += "\n" + lines[i];
    if (lines.size() > kReplacedLinesShown)
        text += format("\n... and %zu more", lines.size() - kReplacedLinesShown);
    tell(shell, std::move(text));
}

ScriptTableStatus writeTable(const std::string& path, const Table& table, Shell& shell) {
    switch (saveTextFile(path, table.text())) {
        case SaveResult::Saved:
            return ScriptTableStatus::Written;
        case SaveResult::CannotCreate:
            tell(shell, kMessageCannotCreate);
            return ScriptTableStatus::CannotCreate;
        case SaveResult::WriteFailed:
            break;
    }
    showStop(shell, kErrorSavingFile);
    return ScriptTableStatus::WriteFailed;
}

}  // namespace

ScriptExportSettings defaultScriptExportSettings() {
    ScriptExportSettings settings;
    settings.bankListPath = joinPath(korvelFolder(), kBankListDefaultName);
    settings.scriptEnumPath = joinPath(korvelFolder(), kScriptEnumDefaultName);
    return settings;
}

ScriptTableResult exportScriptTable(RowList& rows, const ScriptTableRequest& request, Shell& shell,
                                    const ScriptTableHooks& hooks) {
    ScriptTableResult result;
    resortByNumber(rows);
    BankNames banks = loadBankNames(request.bankListPath);
    if (banks.names.empty()) {
        tell(shell, kMessageNoBankNames);
        result.status = ScriptTableStatus::NoBankNames;
        return result;
    }
    if (banks.overCapacity) tell(shell, kMessageTooManyBanks);

    ScriptEnums script = readScriptEnums(request.scriptEnumPath, shell);
    if (script.overCapacity) tell(shell, kMessageTooManyEntries);
    if (script.entries.empty()) {
        tell(shell, script.opened ? kMessageNoFirstEntry : kMessageNoScriptFile);
        result.status = ScriptTableStatus::NoScriptEnums;
        return result;
    }
    result.entries = int(script.entries.size());

    Table table(script.entries, banks.names);
    if (!request.clearOutput) readPreviousTable(request.outputPath, banks.names, table, shell);
    int bankIndex = request.selectedBank;
    if (bankIndex < 0 || size_t(bankIndex) >= banks.names.size()) bankIndex = -1;
    if (request.refuseUnknownBanks) {
        result.replacedLines = table.replacedLines();
        if (bankIndex < 0 || !result.replacedLines.empty()) {
            result.status = ScriptTableStatus::UnknownBank;
            return result;
        }
    }
    bool go = matchRows(rows, request, bankIndex, table, shell, hooks, result.matched);
    if (go) {
        result.replacedLines = table.replacedLines();
        tellReplaced(shell, result.replacedLines, banks.names.front());
        result.status = writeTable(request.outputPath, table, shell);
    } else {
        result.status = ScriptTableStatus::Cancelled;
    }
    tell(shell, format(kMessageSummary, result.matched, result.entries));
    return result;
}

namespace {

ScriptExportSettings startingSettings(const ScriptExportPaths& lastUsed) {
    ScriptExportSettings settings = defaultScriptExportSettings();
    if (!lastUsed.bankListPath.empty()) settings.bankListPath = lastUsed.bankListPath;
    if (!lastUsed.scriptEnumPath.empty()) settings.scriptEnumPath = lastUsed.scriptEnumPath;
    return settings;
}

// Opens where the table was last written, with its name; at first in
// korvelFolder() with the default name.
FileDialogRequest tableSaveDialog(const ScriptExportPaths& lastUsed) {
    FileDialogRequest save = exportSaveDialog(kScriptTableDefaultName, kScriptTableFilter);
    save.initialFolder = korvelFolder();
    if (lastUsed.outputPath.empty()) return save;
    PathParts last = splitLocalPath(lastUsed.outputPath);
    save.initialFolder = last.folder;
    save.defaultName = last.name;
    return save;
}

}  // namespace

void runScriptTableExport(CQuillonDoc& doc, const ScriptTableHooks& hooks,
                          ScriptExportPaths& lastUsed) {
    RowList& rows = doc.rows();
    if (rows.empty()) return;
    resortByNumber(rows);
    Shell& shell = doc.shell();
    ScriptExportSettings settings = startingSettings(lastUsed);
    if (!shell.editScriptExportSettings(settings, bankNameItems)) return;
    lastUsed.bankListPath = settings.bankListPath;
    lastUsed.scriptEnumPath = settings.scriptEnumPath;
    FileDialogResult chosen = shell.chooseFiles(tableSaveDialog(lastUsed));
    if (chosen.paths.empty()) return;
    if (refuseUnsafeOutput(shell, doc.pathName(), chosen.paths.front())) return;
    lastUsed.outputPath = chosen.paths.front();

    ScriptTableRequest request;
    request.bankListPath = settings.bankListPath;
    request.scriptEnumPath = settings.scriptEnumPath;
    request.outputPath = chosen.paths.front();
    request.selectedBank = settings.selectedBank;
    request.selectedText = settings.selectedText;
    request.clearOutput = settings.clearOutput;
    ScriptTableHooks effective = hooks;
    if (!effective.stopAll && doc.audio())
        effective.stopAll = [audio = doc.audio()] { audio->stopAllSamples(); };
    ScriptTableResult result = exportScriptTable(rows, request, shell, effective);
    if (result.status == ScriptTableStatus::Written)
        shell.setStatusText(
            kPanePrompt, format("Wrote %d rows to %s", result.matched, request.outputPath.c_str()));
}

}  // namespace quillon
