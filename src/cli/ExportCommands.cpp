// The commands that write the bank's rows out: the wave list to stdout or a
// file, the sample header and the script table. They read the bank; none
// changes it.
#include "cli/Commands.h"
#include "export/BankJson.h"
#include "export/SampleHeader.h"
#include "export/ScriptSources.h"
#include "export/ScriptTable.h"
#include "export/WaveListCsv.h"
#include "platform/Text.h"

namespace quillon::cli {

namespace {

// The editor disables its exporters in a music bank and with no rows. An
// output that is the bank itself would put a text file where the bank was,
// and one that is a folder, pipe or device is no file to replace.
bool openExportableBank(Context& context, const std::string& bank, const std::string& output) {
    if (!openBank(context, bank) || refuseMusicBank(context)) return false;
    if (refuseUnsafeOutput(context.shell, context.doc.pathName(), output)) return false;
    if (!context.doc.rows().empty()) return true;
    context.shell.note(format("%s has no rows; nothing is written", bank.c_str()));
    return false;
}

// The editor's message names no file; the tool's note after it does.
int savedOrFailed(Context& context, SaveResult result, const std::string& path) {
    if (result == SaveResult::Saved) return kExitOk;
    showStop(context.shell, kErrorSavingFile);
    context.shell.note("cannot write " + path);
    return kExitFailed;
}

// A pipeline must not lose another bank's lines to a typing error: the bank
// named, or the banks the table written before names, must be in the list.
void noteUnknownBanks(Context& context, const ScriptTableRequest& request,
                      const std::vector<std::string>& lines) {
    const char* list = request.bankListPath.c_str();
    const char* output = request.outputPath.c_str();
    if (request.selectedBank < 0)
        context.shell.note(format("%s is not in the bank list %s; %s is not written",
                                  request.selectedText.c_str(), list, output));
    if (!lines.empty()) {
        std::string named;
        for (const std::string& line : lines)
            named += (named.empty() ? "" : ", ") + line;
        context.shell.note(
            format("%s has lines of banks not in %s: %s; it is left as it is "
                   "(--drop-unknown-banks writes them as unused lines)",
                   output, list, named.c_str()));
    }
}

// Why no table was written, naming the file at fault.
void noteScriptTableFailure(Context& context, ScriptTableStatus status,
                            const ScriptTableRequest& request,
                            const std::vector<std::string>& replacedLines) {
    const char* output = request.outputPath.c_str();
    switch (status) {
        case ScriptTableStatus::NoBankNames:
            context.shell.note(format("no sound bank names read from %s; %s is not written",
                                      request.bankListPath.c_str(), output));
            break;
        case ScriptTableStatus::NoScriptEnums:
            context.shell.note(format("no script enums read from %s; %s is not written",
                                      request.scriptEnumPath.c_str(), output));
            break;
        case ScriptTableStatus::CannotCreate:
        case ScriptTableStatus::WriteFailed:
            context.shell.note(format("cannot write %s", output));
            break;
        case ScriptTableStatus::UnknownBank:
            noteUnknownBanks(context, request, replacedLines);
            break;
        case ScriptTableStatus::Cancelled:
        case ScriptTableStatus::Written:
            break;
    }
}

}  // namespace

int runList(Context& context, const Args& args) {
    if (!openBank(context, args.positional[0])) return kExitFailed;
    std::string text =
        args.has("json") ? listJson(context.doc) : waveListCsvText(context.doc.rows());
    return writeStdout(context, text) ? kExitOk : kExitFailed;
}

int runCsv(Context& context, const Args& args) {
    if (!openExportableBank(context, args.positional[0], args.positional[1])) return kExitFailed;
    std::string path = absolutePath(args.positional[1]);
    return savedOrFailed(context, writeWaveListCsv(context.doc.rows(), path), path);
}

int runHeader(Context& context, const Args& args) {
    bool define = args.has("define");
    std::optional<std::string> prefix = args.value("prefix");
    // The #define style always names its symbols ZQ_SAMPLE_...
    if (define && prefix) return usageError(context, "--prefix applies to the enum style only");
    if (!openExportableBank(context, args.positional[0], args.positional[1])) return kExitFailed;
    std::string path = absolutePath(args.positional[1]);
    SaveResult result =
        exportSampleHeader(context.doc.rows(), define ? HeaderStyle::Define : HeaderStyle::Enum,
                           prefix.value_or(kDefaultEnumPrefix), headerTitleFromPath(path), path);
    return savedOrFailed(context, result, path);
}

int runScriptTable(Context& context, const Args& args) {
    std::optional<std::string> banks = args.value("banks");
    std::optional<std::string> enums = args.value("enums");
    std::optional<std::string> bankName = args.value("bank");
    if (!banks || !enums || !bankName)
        return usageError(context, "--banks, --enums and --bank are all needed");
    if (!openExportableBank(context, args.positional[0], args.positional[1])) return kExitFailed;

    ScriptTableRequest request;
    request.bankListPath = absolutePath(*banks);
    request.scriptEnumPath = absolutePath(*enums);
    request.outputPath = absolutePath(args.positional[1]);
    request.selectedBank = findBankName(loadBankNames(request.bankListPath).names, *bankName);
    request.selectedText = *bankName;
    request.clearOutput = args.has("clear");
    request.refuseUnknownBanks = !args.has("drop-unknown-banks");
    // Nothing plays on a terminal: the match question's No has nothing to stop.
    ScriptTableResult result =
        exportScriptTable(context.doc.rows(), request, context.shell, ScriptTableHooks{});
    if (result.status != ScriptTableStatus::Written) {
        noteScriptTableFailure(context, result.status, request, result.replacedLines);
        return kExitFailed;
    }
    // Written, but the bank named is not in the list: its rows went to the
    // list's first bank, as the export's message said.
    return request.selectedBank < 0 ? kExitFailed : kExitOk;
}

}  // namespace quillon::cli
