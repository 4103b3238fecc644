// "dump" and "build": a bank as a manifest (JSON text that can be reviewed,
// diffed and merged) and back. A build adds the rows as Add does and sets the
// cells as set does, so a manifest written by dump gives the bank back byte
// for byte from the files it was made from.
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <set>

#include "bank/CellEdit.h"
#include "bank/CellFormat.h"
#include "cli/Commands.h"
#include "export/Manifest.h"
#include "operations/MpegImport.h"
#include "operations/SampleOps.h"
#include "platform/Numbers.h"
#include "platform/Paths.h"
#include "platform/ReplacementFile.h"
#include "platform/Text.h"

namespace quillon::cli {

namespace {

std::string folderOfPath(const std::string& path) {
    std::string folder = splitLocalPath(absolutePath(path)).folder;
    return folder.empty() ? "/" : folder;
}

// --- dump ---------------------------------------------------------------------

// How dump spells a source: relative to --relative-to when given, else absolute.
struct SourceSpelling {
    std::optional<std::string> relativeTo;  // absolute
    std::string operator()(const std::string& path) const {
        std::string absolute = absolutePath(path);
        return relativeTo ? relativePath(absolute, *relativeTo) : absolute;
    }
};

// A music bank imported here names its MPEG file as every row's Location:
// the build imports that file again. Sections of any other origin are listed
// one by one.
std::optional<std::string> musicSource(const CQuillonDoc& doc) {
    const RowList& rows = doc.rows();
    if (!doc.values().musicBank || rows.empty()) return std::nullopt;
    const std::string& location = rows.cell(0, kColLocation);
    for (int i = 0; i < rows.size(); ++i)
        if (rows.cell(i, kColLocation) != location || rows.row(i).mpegDescriptor == 0 ||
            !isMpegSectionFileName(rows.cell(i, kColName)))
            return std::nullopt;
    std::string file = resolvePath(doc.bankFolder(), location);
    std::error_code error;
    if (std::filesystem::is_directory(file, error)) return std::nullopt;
    return file;
}

Manifest manifestOf(CQuillonDoc& doc, const SourceSpelling& spell,
                    const std::optional<std::string>& extractedTo) {
    Manifest manifest;
    manifest.title = doc.values().title;
    manifest.who = doc.values().who;
    manifest.music = doc.values().musicBank;
    if (doc.texts().enumPrefix != kDefaultEnumPrefix) manifest.enumPrefix = doc.texts().enumPrefix;
    if (!extractedTo)
        if (std::optional<std::string> mpeg = musicSource(doc)) manifest.mpeg = spell(*mpeg);
    const RowList& rows = doc.rows();
    for (int i = 0; i < rows.size(); ++i) {
        ManifestRow row;
        row.number = leadingInteger(rows.cell(i, kColNo));
        row.source = spell(extractedTo ? joinPath(*extractedTo, rows.cell(i, kColName))
                                       : doc.sourceFileOf(rows.row(i)));
        row.checked = rows.row(i).checked;
        // The frame header the section's record keeps; no cell shows it whole.
        if (manifest.music) row.mpegHeader = rows.row(i).mpegDescriptor;
        for (int column = 0; column < kColumnCount; ++column)
            if (columnAt(column).editable) row.cells.emplace_back(column, rows.cell(i, column));
        manifest.rows.push_back(std::move(row));
    }
    return manifest;
}

// --- build --------------------------------------------------------------------

// A manifest's source: where it is read (absolute) and how the bank stores it
// (relative to the bank's folder when the manifest wrote it relative).
struct SourcePath {
    std::string read;
    std::string stored;
};

struct BuildPlan {
    std::string manifestFolder;
    std::string bankFolder;
    SourcePath place(const std::string& source) const {
        std::string read = absolutePath(resolvePath(manifestFolder, source));
        bool relative = source.front() != '/';
        return {read, relative ? relativePath(read, bankFolder) : read};
    }
};

std::optional<Manifest> loadManifest(Context& context, const std::string& path) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) {
        context.shell.note(format("cannot read manifest %s: no such file", path.c_str()));
        return std::nullopt;
    }
    std::ifstream in(path, std::ios::binary);
    std::optional<std::string> text;
    if (in) text = std::string(std::istreambuf_iterator<char>(in), {});
    if (!text || in.bad()) {
        context.shell.note(format("cannot read manifest %s", path.c_str()));
        return std::nullopt;
    }
    ManifestRead read = readManifest(*text);
    if (!read.manifest)
        context.shell.note(
            format("%s is not a bank manifest: %s", path.c_str(), read.error.c_str()));
    return read.manifest;
}

// Rows of one file after its first are its clones, as Clone makes them.
bool addManifestRow(CQuillonDoc& doc, WaveIndex& index, const std::string& read,
                    std::map<std::string, int>& firstRowOf) {
    auto first = firstRowOf.find(asciiLower(read));
    if (first != firstRowOf.end())
        return AddWave(doc, index, read, WaveAddMode::Clone, first->second);
    int row = doc.rows().size();
    if (!AddWave(doc, index, read, WaveAddMode::Add, -1)) return false;
    firstRowOf.emplace(asciiLower(read), row);
    return true;
}

// A music section listed by its file (an extracted section, say).
bool addSectionRow(CQuillonDoc& doc, const ManifestRow& row, const std::string& read) {
    struct stat st {};
    if (::stat(read.c_str(), &st) != 0 || !S_ISREG(st.st_mode) ||
        uint64_t(st.st_size) > 0xFFFFFFFFu) {
        showStop(doc.shell(), kMpegOpenFailedMessage);
        return false;
    }
    std::string description;
    for (const auto& [column, text] : row.cells)
        if (column == kColDescription) description = text;
    AddMpegSection(doc, read, uint32_t(st.st_size), row.mpegHeader, description);
    return true;
}

bool addRows(Context& context, const Manifest& manifest, const BuildPlan& plan,
             std::vector<std::string>& inputs) {
    CQuillonDoc& doc = context.doc;
    if (manifest.mpeg) {
        SourcePath mpeg = plan.place(*manifest.mpeg);
        inputs.push_back(mpeg.read);
        if (!importMpegFile(doc, mpeg.read)) {
            context.shell.note(format("%s is not imported", mpeg.read.c_str()));
            return false;
        }
        if (doc.rows().size() == int(manifest.rows.size())) return true;
        context.shell.note(format("%s gives %d sections, the manifest lists %zu rows",
                                  mpeg.read.c_str(), doc.rows().size(), manifest.rows.size()));
        return false;
    }
    WaveIndex index(doc.rows());
    std::map<std::string, int> firstRowOf;
    bool allAdded = true;
    LongOperation progress(context.shell, int(manifest.rows.size()));
    for (size_t i = 0; i < manifest.rows.size(); ++i) {
        progress.step(int(i + 1));
        const ManifestRow& row = manifest.rows[i];
        SourcePath source = plan.place(row.source);
        inputs.push_back(source.read);
        bool added = manifest.music && row.mpegHeader != 0
                         ? addSectionRow(doc, row, source.read)
                         : addManifestRow(doc, index, source.read, firstRowOf);
        allAdded = allAdded && added;
    }
    return allAdded;
}

// The No, the check box and the stored folder of each row, as the manifest
// says. The rows were added from absolute paths; a source the manifest wrote
// relative is stored relative to the bank's folder. A music section keeps its
// name under its MPEG file, which stands as its folder.
void placeRows(CQuillonDoc& doc, const Manifest& manifest, const BuildPlan& plan) {
    RowList& rows = doc.rows();
    std::optional<SourcePath> mpeg;
    if (manifest.mpeg) mpeg = plan.place(*manifest.mpeg);
    for (int i = 0; i < rows.size(); ++i) {
        const ManifestRow& row = manifest.rows[size_t(i)];
        rows.setCell(i, kColNo, integerCell(row.number));
        rows.setChecked(i, row.checked);
        SourcePath folder = mpeg.value_or(plan.place(row.source));
        if (!mpeg)
            folder = {splitLocalPath(folder.read).folder, splitLocalPath(folder.stored).folder};
        if (folder.stored != folder.read) rows.setCell(i, kColLocation, folder.stored);
    }
}

// Every cell as set would write it. Rows that take one text in one column are
// edited together, as the editor edits a selection, so a large manifest costs
// one edit per distinct value rather than one per cell.
bool setCells(Context& context, const Manifest& manifest) {
    CQuillonDoc& doc = context.doc;
    RowList& rows = doc.rows();
    std::map<std::pair<int, std::string>, std::vector<int>> edits;
    for (int i = 0; i < rows.size(); ++i)
        for (const auto& [column, text] : manifest.rows[size_t(i)].cells) {
            if (!canEditColumn(doc, column) || rows.cell(i, column) == text) continue;
            edits[{column, text}].push_back(i);
        }
    for (const auto& [edit, picked] : edits) {
        std::string text = edit.second;
        CellCheck check = ValidateCellEdit(edit.first, text);
        if (!check.valid) {
            showStop(context.shell, check.message);
            context.shell.note(
                format("row %s: %s is not set", rows.cell(picked.front(), kColNo).c_str(),
                       std::string(columnTable()[size_t(edit.first)].title).c_str()));
            return false;
        }
        rows.clearSelection();
        for (int row : picked)
            rows.setSelected(row, true);
        CommitCellEdit(doc, edit.first, text);
    }
    rows.clearSelection();
    return true;
}

bool writeDepfile(Context& context, const std::string& depfile, const std::string& bank,
                  const std::vector<std::string>& inputs) {
    // A file that clones name again is one prerequisite.
    std::vector<std::string> once;
    std::set<std::string> seen;
    for (const std::string& input : inputs)
        if (seen.insert(input).second) once.push_back(input);
    ReplacementFile file(absolutePath(depfile));
    if (file.ready() && file.write(makeDepfile(bank, once)) && file.commit()) return true;
    context.shell.note("cannot write " + depfile);
    return false;
}

}  // namespace

int runDump(Context& context, const Args& args) {
    std::optional<std::string> relativeTo = args.value("relative-to");
    std::optional<std::string> extractTo = args.value("extract");
    if ((relativeTo && relativeTo->empty()) || (extractTo && extractTo->empty()))
        return usageError(context, "--relative-to and --extract need a folder");
    const std::string& bank = args.positional[0];
    if (!openBank(context, bank)) return kExitFailed;
    std::optional<std::string> extracted;
    if (extractTo) {
        std::error_code error;
        std::filesystem::create_directories(*extractTo, error);
        extracted = absolutePath(*extractTo);
        std::vector<int> all;
        for (int i = 0; i < context.doc.rows().size(); ++i)
            all.push_back(i);
        bool waveDataMissing = false;
        if (error || !extractRows(context.doc, all, *extracted, &waveDataMissing)) {
            context.shell.note(format("the stored audio of %s is not written to %s", bank.c_str(),
                                      extractTo->c_str()));
            return kExitFailed;
        }
    }
    SourceSpelling spell;
    if (relativeTo) spell.relativeTo = absolutePath(*relativeTo);
    std::string text = manifestJson(manifestOf(context.doc, spell, extracted));
    return writeStdout(context, text) ? kExitOk : kExitFailed;
}

int runBuild(Context& context, const Args& args) {
    std::optional<std::string> output = args.value("output");
    if (!output || output->empty()) return usageError(context, "-o BANK is needed");
    const std::string& manifestPath = args.positional[0];
    std::optional<Manifest> manifest = loadManifest(context, manifestPath);
    if (!manifest) return kExitFailed;
    if (!mayMakeBank(context, *output, true)) return kExitFailed;
    CQuillonDoc& doc = context.doc;
    doc.OnNewDocument();
    doc.setTitle(manifest->title);
    doc.setWho(manifest->who);
    if (manifest->enumPrefix) doc.texts().enumPrefix = *manifest->enumPrefix;
    BuildPlan plan{folderOfPath(manifestPath), folderOfPath(*output)};
    std::vector<std::string> inputs = {absolutePath(manifestPath)};
    if (!addRows(context, *manifest, plan, inputs) || doc.rows().empty()) {
        if (!doc.musicSectionFolder().empty())
            (void)removeMpegSectionFolder(doc.musicSectionFolder());
        context.shell.note(format("%s is not built", output->c_str()));
        return kExitFailed;
    }
    if (manifest->music) doc.setMusicBank(true);
    placeRows(doc, *manifest, plan);
    bool built = setCells(context, *manifest) && saveBank(context, *output);
    if (!built) {
        if (!doc.musicSectionFolder().empty())
            (void)removeMpegSectionFolder(doc.musicSectionFolder());
        return kExitFailed;
    }
    std::optional<std::string> depfile = args.value("depfile");
    if (depfile && !writeDepfile(context, *depfile, *output, inputs)) return kExitFailed;
    return kExitOk;
}

}  // namespace quillon::cli
