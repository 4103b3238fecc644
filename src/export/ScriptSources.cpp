#include "export/ScriptSources.h"

#include "bank/Shell.h"
#include "export/ExportFile.h"
#include "export/ScanText.h"
#include "platform/Numbers.h"
#include "platform/Text.h"

namespace quillon {

namespace {

constexpr char kBankEnumName[] = "AUDIO_SFX_BANK_TYPE";
constexpr char kFirstEntryName[] = "NONE";
constexpr char kMessageValueMismatch[] = "error: varno's enum values dont match line number";

bool isAsciiLetterOrDigit(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

}  // namespace

bool startsBankEnum(std::string_view line) {
    std::vector<std::string> fields;
    return scanText(line, "enum %s", fields) == 1 && equalIgnoringCase(fields[0], kBankEnumName);
}

std::optional<std::string> bankNameOfBodyLine(std::string_view line) {
    if (line.empty() || !isCWhiteSpace(line[0])) return std::nullopt;
    std::vector<std::string> fields;
    if (scanText(line, " %s,", fields) < 1) return std::nullopt;
    std::string word = std::move(fields[0]);
    while (!word.empty() && !isAsciiLetterOrDigit(word.back()))
        word.pop_back();
    if (word.empty()) return std::nullopt;
    return word;
}

std::optional<ScriptEntry> scriptEntryOfLine(std::string_view line) {
    std::vector<std::string> fields;
    if (scanText(line, " HELP_TEXT_%s = %d", fields) != 2) return std::nullopt;
    return ScriptEntry{std::move(fields[0]), atoiLike(fields[1])};
}

std::optional<TableLine> tableLineOf(std::string_view line) {
    std::vector<std::string> fields;
    if (scanText(line, "\t\t{HELP_TEXT_%s , %s , %d },", fields) != 3) return std::nullopt;
    return TableLine{std::move(fields[0]), std::move(fields[1]), atoiLike(fields[2])};
}

BankNames loadBankNames(const std::string& listPath) {
    BankNames result;
    bool inBody = false;
    result.opened = readTextLines(listPath, [&](std::string_view line) {
        if (!inBody) {
            inBody = startsBankEnum(line);
        } else if (!line.empty() && line[0] == '}') {
            inBody = false;
        } else if (std::optional<std::string> name = bankNameOfBodyLine(line)) {
            if (result.names.size() < kMaxBankNames)
                result.names.push_back(std::move(*name));
            else
                result.overCapacity = true;
        }
        return true;
    });
    return result;
}

std::vector<std::string> bankNameItems(const std::string& listPath) {
    BankNames loaded = loadBankNames(listPath);
    if (loaded.names.empty()) return {kBankListLoadError};
    return loaded.names;
}

int findBankName(const std::vector<std::string>& names, std::string_view name) {
    for (size_t i = 0; i < names.size(); ++i)
        if (equalIgnoringCase(names[i], name)) return int(i);
    return -1;
}

ScriptEnums readScriptEnums(const std::string& path, Shell& shell) {
    ScriptEnums result;
    bool started = false;
    result.opened = readTextLines(path, [&](std::string_view line) {
        std::optional<ScriptEntry> entry = scriptEntryOfLine(line);
        if (!entry) return true;
        if (!started && !equalIgnoringCase(entry->name, kFirstEntryName)) return true;
        started = true;
        if (result.entries.size() == kMaxScriptEntries) {
            result.overCapacity = true;
            return false;
        }
        int index = int(result.entries.size());
        int value = entry->value;
        result.entries.push_back(std::move(*entry));
        if (value == index) return true;
        MessageAnswer answer =
            shell.showMessage({kMessageValueMismatch, format("line %d / enum %d", value, index),
                               MessageIcon::None, MessageButtons::OkCancel});
        return answer != MessageAnswer::Cancel;
    });
    return result;
}

}  // namespace quillon
