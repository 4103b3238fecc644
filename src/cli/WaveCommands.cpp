// The commands that work on rows named by number: clone, replace, refresh,
// delete, renumber and extract. Each selects the rows as the user would and
// runs the editor's command body.
#include <filesystem>

#include "bank/CellFormat.h"
#include "bank/ListOps.h"
#include "bank/RowRecord.h"
#include "cli/Commands.h"
#include "operations/SampleOps.h"
#include "platform/Text.h"

namespace quillon::cli {

namespace {

void selectRows(RowList& rows, const std::vector<int>& picked) {
    rows.clearSelection();
    for (int row : picked)
        rows.setSelected(row, true);
}

// A folder argument must name an existing folder, as the editor's folder
// chooser always does.
std::optional<std::string> existingFolder(Context& context, const std::string& folder) {
    std::error_code error;
    if (!std::filesystem::is_directory(folder, error)) {
        context.shell.note(format("%s is not a folder", folder.c_str()));
        return std::nullopt;
    }
    return absolutePath(folder);
}

bool openSampleBank(Context& context, const std::string& bank) {
    return openBank(context, bank) && !refuseMusicBank(context);
}

}  // namespace

int runClone(Context& context, const Args& args) {
    if (int status = checkRowNumbers(context, args, 1)) return status;
    const std::string& bank = args.positional[0];
    if (!openSampleBank(context, bank)) return kExitFailed;
    RowPick pick = rowsNumberedOrAll(context, args, 1);
    if (pick.status != kExitOk) return pick.status;
    RowList& rows = context.doc.rows();
    int firstNew = rows.size();
    selectRows(rows, pick.rows);
    cloneSelected(context.doc);
    if (!saveBank(context, bank)) return kExitFailed;
    // The clones' numbers, for scripts that go on to set their properties.
    std::string numbers;
    for (int i = firstNew; i < rows.size(); ++i)
        numbers += rows.cell(i, kColNo) + "\n";
    return writeStdout(context, numbers) ? kExitOk : kExitFailed;
}

int runReplace(Context& context, const Args& args) {
    if (!parseRowNumber(args.positional[1]))
        return usageError(context, "not a row number: '" + args.positional[1] + "'");
    const std::string& bank = args.positional[0];
    if (!openSampleBank(context, bank)) return kExitFailed;
    RowPick pick = rowsNumbered(context, {args.positional[1]});
    if (pick.status != kExitOk) return pick.status;
    WaveIndex index(context.doc.rows());
    int row = pick.rows.front();
    selectRows(context.doc.rows(), {row});
    if (!AddWave(context.doc, index, absolutePath(args.positional[2]), WaveAddMode::Replace, row))
        return kExitFailed;
    return saveBank(context, bank) ? kExitOk : kExitFailed;
}

int runRefresh(Context& context, const Args& args) {
    if (int status = checkRowNumbers(context, args, 1)) return status;
    std::optional<std::string> path = args.value("path");
    if (path && path->empty()) return usageError(context, "--path needs a folder");
    const std::string& bank = args.positional[0];
    if (!openSampleBank(context, bank)) return kExitFailed;
    std::string folder;
    if (path) {
        std::optional<std::string> existing = existingFolder(context, *path);
        if (!existing) return kExitFailed;
        folder = *existing;
    }
    RowPick pick = rowsNumberedOrAll(context, args, 1);
    if (pick.status != kExitOk) return pick.status;
    selectRows(context.doc.rows(), pick.rows);
    bool allRefreshed = refreshRows(context.doc, pick.rows, folder);
    return saveIfChanged(context, bank, allRefreshed);
}

int runDelete(Context& context, const Args& args) {
    if (int status = checkRowNumbers(context, args, 1)) return status;
    const std::string& bank = args.positional[0];
    if (!openBank(context, bank)) return kExitFailed;
    RowPick pick = rowsNumberedOrAll(context, args, 1);
    if (pick.status != kExitOk) return pick.status;
    RowList& rows = context.doc.rows();
    int before = rows.size();
    selectRows(rows, pick.rows);
    deleteSelectedRows(context.doc);
    // A row the animation data uses stays, with its message; the others go.
    bool allDeleted = before - rows.size() == int(pick.rows.size());
    return saveIfChanged(context, bank, allDeleted);
}

int runRenumber(Context& context, const Args& args) {
    const std::string& bank = args.positional[0];
    if (!openBank(context, bank)) return kExitFailed;
    renumberBank(context.doc);
    return saveIfChanged(context, bank, true);
}

int runExtract(Context& context, const Args& args) {
    if (int status = checkRowNumbers(context, args, 2)) return status;
    if (!openSampleBank(context, args.positional[0])) return kExitFailed;
    std::optional<std::string> folder = existingFolder(context, args.positional[1]);
    if (!folder) return kExitFailed;
    RowPick pick = rowsNumberedOrAll(context, args, 2);
    if (pick.status != kExitOk) return pick.status;
    selectRows(context.doc.rows(), pick.rows);
    bool waveDataMissing = false;
    if (extractRows(context.doc, pick.rows, *folder, &waveDataMissing)) return kExitOk;
    if (waveDataMissing)
        context.shell.note(format("the stored audio of %s cannot be read; the extract stops",
                                  args.positional[0].c_str()));
    return kExitFailed;
}

}  // namespace quillon::cli
