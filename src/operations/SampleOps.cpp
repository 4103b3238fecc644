#include "operations/SampleOps.h"

#include <algorithm>
#include <cstdlib>
#include <map>
#include <set>

#include "bank/CellFormat.h"
#include "bank/RowCells.h"
#include "bank/RowRecord.h"
#include "bank/SegmentNames.h"
#include "container/ZQLog.h"
#include "formats/WavFile.h"
#include "platform/Numbers.h"
#include "platform/Paths.h"
#include "platform/ReplacementFile.h"
#include "platform/Text.h"

namespace quillon {

namespace {

std::string folded(const std::string& text) {
    return asciiLower(text);
}

}  // namespace

WaveIndex::WaveIndex(const RowList& rows) : rows_(rows) {
    pathCount_.reserve(size_t(rows.size()));
    for (int i = 0; i < rows.size(); ++i)
        addPath(rowPath(rows.row(i)));
}

bool WaveIndex::hasPath(const std::string& path) const {
    auto it = pathCount_.find(folded(path));
    return it != pathCount_.end() && it->second > 0;
}

void WaveIndex::addRow(int index, const std::string& path) {
    addPath(path);
    if (rowsByName_) (*rowsByName_)[folded(splitLocalPath(path).name)].push_back(index);
}

void WaveIndex::addPath(const std::string& path) {
    ++pathCount_[folded(path)];
}

void WaveIndex::removePath(const std::string& path) {
    auto it = pathCount_.find(folded(path));
    if (it != pathCount_.end() && it->second > 0) --it->second;
}

const std::vector<int>& WaveIndex::rowsNamed(const std::string& name) {
    static const std::vector<int> none;
    if (!rowsByName_) {
        rowsByName_.emplace();
        for (int i = 0; i < rows_.size(); ++i)
            (*rowsByName_)[folded(rows_.cell(i, kColName))].push_back(i);
    }
    auto it = rowsByName_->find(folded(name));
    return it == rowsByName_->end() ? none : it->second;
}

namespace {

void setLoopPoint(Row& row, int column, int32_t frame) {
    if (frame == -1)
        setCell(row, column, kNotSet);
    else
        setRowInteger(row, column, frame);
}

// Name, Location, Bank, Size, Format, Compression and the loop points: what a
// file brings to every row made or refreshed from it.
void fillFileFacts(Row& row, const PathParts& parts, const WavFileInfo& info) {
    setCell(row, kColName, parts.name);
    setCell(row, kColLocation, parts.folder);
    setCell(row, kColBank, kNotSet);
    setRowInteger(row, kColSize, info.fileLength);
    setCell(row, kColFormat, GetWavFormatText(info.format));
    setCell(row, kColCompression, GetWavCompressionText(info.format.formatTag));
    setLoopPoint(row, kColLStart, info.loopStart);
    setLoopPoint(row, kColLEnd, info.loopEnd);
}

void setProperty(Row& row, int column, const std::optional<int32_t>& value) {
    if (value)
        setRowInteger(row, column, *value);
    else
        setCell(row, column, kNotSet);
}

void setProperty(Row& row, int column, const std::optional<double>& value) {
    if (!value) {
        setCell(row, column, kNotSet);
        return;
    }
    setCell(row, column, distanceCell(*value));
}

// The seventeen properties from the comment's keys; an absent key, and a play
// type other than 1 to 3, give "*".
void fillProperties(Row& row, const WavCommentKeys& keys) {
    setProperty(row, kColPriority, keys.priority);
    setProperty(row, kColGroup, keys.group);
    setProperty(row, kColAtmosGroup, keys.atmosGroup);
    setProperty(row, kColAtmos, keys.atmos);
    setProperty(row, kColVolume, keys.volume);
    setProperty(row, kColUserParam, keys.userParam);
    setProperty(row, kColLoop, keys.loopCount);
    setProperty(row, kColPitch, keys.pitch);
    setProperty(row, kColPitchVar, keys.pitchVariation);
    setProperty(row, kColPan, keys.pan);
    setProperty(row, kColXPos, keys.xPos);
    setProperty(row, kColYPos, keys.yPos);
    setProperty(row, kColZPos, keys.zPos);
    setProperty(row, kColMinDist, keys.minDist);
    setProperty(row, kColMaxDist, keys.maxDist);
    setProperty(row, kColScale, keys.scale);
    setCell(row, kColPlayType, playTypeCell(keys.playType ? uint32_t(*keys.playType) : 0));
}

// Never below 0: two rows can come to share a file without a Clone (a Refresh
// that moves same-named files into one folder), and replacing one of them
// must not leave the other with a count of -1.
void changeCloneCount(RowList& rows, int index, int delta) {
    int64_t count = std::max<int64_t>(0, leadingInteger(rows.cell(index, kColClone)) + delta);
    rows.setCell(index, kColClone, integerCell(count));
}

// Every row of the file: the given path compared ignoring case.
std::vector<int> rowsOfPath(const RowList& rows, const std::string& path) {
    std::vector<int> out;
    for (int i = 0; i < rows.size(); ++i)
        if (equalIgnoringCase(rowPath(rows.row(i)), path)) out.push_back(i);
    return out;
}

void refreshRowsNamed(CQuillonDoc& doc, WaveIndex& index, const std::string& path,
                      const WavFileInfo& info, int givenRow) {
    RowList& rows = doc.rows();
    PathParts parts = splitLocalPath(path);
    // The index may still list a row under a name it had before a Replace.
    std::vector<int> named = index.rowsNamed(parts.name);
    for (int i : named) {
        if (!equalIgnoringCase(rows.cell(i, kColName), parts.name)) continue;
        std::string oldPath = rowPath(rows.row(i));
        rows.update(i, [&](Row& row) { fillFileFacts(row, parts, info); });
        index.removePath(oldPath);
        index.addPath(path);
        if (i == givenRow) doc.showSelectedItem(i);
    }
}

void replaceRow(CQuillonDoc& doc, WaveIndex& index, const std::string& path,
                const WavFileInfo& info, int given) {
    RowList& rows = doc.rows();
    std::string oldPath = rowPath(rows.row(given));
    for (int i : rowsOfPath(rows, oldPath))
        changeCloneCount(rows, i, -1);
    rows.setChecked(given, true);
    rows.update(given, [&](Row& row) {
        row.enabled = 1;
        fillFileFacts(row, splitLocalPath(path), info);
        setRowInteger(row, kColClone, 0);
        setCell(row, kColDescription, info.subject);
    });
    index.removePath(oldPath);
    index.addRow(given, path);
    doc.showSelectedItem(given);
}

void addRow(CQuillonDoc& doc, WaveIndex& index, const std::string& path, const WavFileInfo& info) {
    RowList& rows = doc.rows();
    // Built where it will stay: a row is large, and a bank may get thousands.
    auto made = std::make_unique<Row>();
    Row& row = *made;
    setRowInteger(row, kColNo, nextRowNumber(rows));
    row.checked = true;
    row.enabled = 1;
    fillFileFacts(row, splitLocalPath(path), info);
    setRowInteger(row, kColClone, 0);
    setCell(row, kColDescription, info.subject);
    WavCommentKeys keys = ParseWavCommentKeys(info.comment);
    fillProperties(row, keys);
    if (keys.group) rows.raiseHighestGroup(*keys.group);
    index.addRow(rows.append(std::move(made)), path);
}

void cloneRow(CQuillonDoc& doc, WaveIndex& index, const std::string& path, int source) {
    RowList& rows = doc.rows();
    const Row& from = rows.row(source);
    // The file's facts, its loop points and its stored record come along; the
    // number, Description and the seventeen properties are the clone's own.
    Row row = from;
    row.selected = false;
    row.loadNumber = 0;
    row.enabled = 1;
    row.checked = true;
    setRowInteger(row, kColNo, nextRowNumber(rows));
    setCell(row, kColDescription, "");
    for (int c = kColPriority; c < kColumnCount; ++c)
        if (c != kColLStart && c != kColLEnd) setCell(row, c, kNotSet);
    index.addRow(rows.append(std::move(row)), path);
    // The source, its earlier clones and the new row: every row of the file.
    // Looked up by name, so cloning many rows does not scan the list per row.
    std::vector<int> named = index.rowsNamed(splitLocalPath(path).name);
    std::sort(named.begin(), named.end());
    named.erase(std::unique(named.begin(), named.end()), named.end());
    for (int i : named)
        if (equalIgnoringCase(rowPath(rows.row(i)), path)) changeCloneCount(rows, i, +1);
}

const char* stepNameOf(WaveAddMode mode) {
    switch (mode) {
        case WaveAddMode::Clone:
            return "Clone Sample";
        case WaveAddMode::Refresh:
            return "Refresh Sample";
        case WaveAddMode::Replace:
            return "Replace Sample";
        default:
            return "Add Sample";
    }
}

}  // namespace

bool AddWave(CQuillonDoc& doc, WaveIndex& index, const std::string& path, WaveAddMode mode,
             int row) {
    HistoryStep step(doc.history(), stepNameOf(mode));
    if (mode == WaveAddMode::Clone) {
        cloneRow(doc, index, path, row);
        return true;
    }
    // A row may name the file relative to the bank's folder.
    bool inBank = index.hasPath(path) || (!doc.bankFolder().empty() &&
                                          index.hasPath(relativePath(path, doc.bankFolder())));
    if ((mode == WaveAddMode::Add || mode == WaveAddMode::Replace) && inBank) {
        showStop(doc.shell(), path +
                                  " - Already In Bank\nUse 'Clone' to Duplicate Existing Wavs "
                                  "or 'Refresh' to Update All Clones");
        return false;
    }
    WavReadResult wav = ReadWavFile(path, mode != WaveAddMode::Refresh);
    if (!wav.ok()) {
        showStop(doc.shell(), WavReadErrorMessage(wav.error(), path));
        return false;
    }
    switch (mode) {
        case WaveAddMode::Refresh:
            refreshRowsNamed(doc, index, path, wav.info(), row);
            break;
        case WaveAddMode::Replace:
            replaceRow(doc, index, path, wav.info(), row);
            break;
        default:
            addRow(doc, index, path, wav.info());
            break;
    }
    return true;
}

bool addWaveFiles(CQuillonDoc& doc, const std::vector<std::string>& paths) {
    HistoryStep step(doc.history(), "Add");
    WaveIndex index(doc.rows());
    bool allAdded = true;
    size_t added = 0;
    for (const std::string& path : paths) {
        if (AddWave(doc, index, path, WaveAddMode::Add, -1))
            ++added;
        else
            allAdded = false;
    }
    doc.history().nameStep("Add " + samplesText(added));
    return allAdded;
}

void addInsertWaves(CQuillonDoc& doc) {
    FileDialogRequest request;
    request.title = "Add/Insert Wavs";
    request.filter = kWaveFilter;
    request.initialFolder = doc.folders().wavAdd;
    request.multipleFiles = true;
    request.mode = FileDialogMode::AddInsert;
    FileDialogResult picked = doc.shell().chooseFiles(request);
    if (picked.paths.empty()) return;
    addWaveFiles(doc, picked.paths);
    doc.folders().wavAdd = picked.folder;
}

void insertKeyAdd(CQuillonDoc& doc) {
    FileDialogRequest request;
    request.title = "Add/Insert Wavs";
    request.filter = kWaveFilter;
    request.initialFolder = defaultWavsFolder();
    request.mustExist = false;
    request.mode = FileDialogMode::AddInsert;
    FileDialogResult picked = doc.shell().chooseFiles(request);
    if (!picked.paths.empty()) addWaveFiles(doc, {picked.paths.front()});
}

void replaceWave(CQuillonDoc& doc) {
    int row = doc.rows().nextSelected(0);
    if (row < 0) return;
    FileDialogRequest request;
    request.title = "Replace Wave";
    request.filter = kWaveFilter;
    request.initialFolder = doc.folders().wavReplace;
    request.mode = FileDialogMode::Replace;
    FileDialogResult picked = doc.shell().chooseFiles(request);
    if (picked.paths.empty()) return;
    WaveIndex index(doc.rows());
    AddWave(doc, index, picked.paths.front(), WaveAddMode::Replace, row);
    doc.folders().wavReplace = picked.folder;
}

// Rows a refresh gave the folder it read from take back the relative
// Location they were stored with.
static void keepRelativeLocation(RowList& rows, const std::string& readFolder,
                                 const std::string& stored) {
    for (int i = 0; i < rows.size(); ++i)
        if (rows.cell(i, kColLocation) == readFolder) rows.setCell(i, kColLocation, stored);
}

bool refreshRows(CQuillonDoc& doc, const std::vector<int>& rows, const std::string& newFolder) {
    HistoryStep step(doc.history(), "Refresh " + samplesText(rows.size()));
    LongOperation operation(doc.shell(), int(rows.size()));
    WaveIndex index(doc.rows());
    bool allRefreshed = true;
    int done = 0;
    for (int row : rows) {
        operation.step(++done);
        const std::string folder =
            newFolder.empty() ? doc.rows().cell(row, kColLocation) : newFolder;
        // A Location stored relative to the bank is read from the bank's
        // folder and stays relative.
        std::string readFolder = resolvePath(doc.bankFolder(), folder);
        std::string path = joinPath(readFolder, doc.rows().cell(row, kColName));
        if (!AddWave(doc, index, path, WaveAddMode::Refresh, row)) allRefreshed = false;
        if (readFolder != folder) keepRelativeLocation(doc.rows(), readFolder, folder);
    }
    return allRefreshed;
}

void refreshOriginalPath(CQuillonDoc& doc) {
    refreshRows(doc, doc.rows().selectedRows(), "");
}

void refreshChangePath(CQuillonDoc& doc) {
    std::optional<std::string> folder = doc.shell().chooseFolder("");
    if (!folder) return;
    refreshRows(doc, doc.rows().selectedRows(), *folder);
}

void cloneSelected(CQuillonDoc& doc) {
    HistoryStep step(doc.history(), "Clone " + samplesText(size_t(doc.rows().selectedCount())));
    WaveIndex index(doc.rows());
    // The clones are appended unselected, so they are not visited.
    for (int row : doc.rows().selectedRows())
        AddWave(doc, index, rowPath(doc.rows().row(row)), WaveAddMode::Clone, row);
}

namespace {

constexpr int kPreviousSegmentError = 11;
const char kMessageSavingFile[] = "Error Saving File";
// Copies one row's stored WAV image from the previous file to `out`. A read
// or write that fails is shown; a bank without wave data is only logged, and
// told through `waveDataMissing`. The previous file stays open whatever
// happens, so later saves can still copy from it.
bool copyStoredImage(CQuillonDoc& doc, const Row& row, ReplacementFile& out,
                     bool* waveDataMissing) {
    const ZQ_BankSample& stored = *row.record;
    // A row brought back by Undo after a save reads the bank it came from.
    ZQFile& previous = row.storedIn ? *row.storedIn : doc.previousFile();
    bool ok = previous.IsOpen() && previous.OpenSegment(ZQFileSegmentWaveData) == ZQ_OK;
    if (!ok) {
        ZQ_LOG("Error %d: no wave data in %s", kPreviousSegmentError, previous.GetName());
        if (waveDataMissing) *waveDataMissing = true;
    }
    std::vector<uint8_t> piece(std::min<uint32_t>(stored.waveSize, 1u << 20));
    int64_t offset = stored.waveOffset;
    for (uint32_t left = stored.waveSize; ok && left > 0;) {
        uint32_t n = std::min<uint32_t>(left, uint32_t(piece.size()));
        ok = previous.GetSegmentData(piece.data(), n, offset) == ZQ_OK &&
             out.write(std::string_view(reinterpret_cast<const char*>(piece.data()), n));
        if (!ok) showStop(doc.shell(), kMessageSavingFile);
        offset = -1;
        left -= n;
    }
    previous.CloseSegment();
    return ok;
}

// Writes one row's stored WAV image to the target. The image is written to a
// new file beside it first and renamed over the target only when complete, so
// that a failed extract leaves a file already standing there as it was.
bool extractRow(CQuillonDoc& doc, const Row& row, const std::string& name, bool* waveDataMissing) {
    // A folder, pipe or device is not replaced by a file, and a file without
    // write permission is meant to be left alone.
    ReplacementFile out(name);
    if (!out.ready()) {
        showStop(doc.shell(), kMessageSavingFile);
        return false;
    }
    if (!out.keptGroup()) ZQ_LOG("The group of %s could not be kept", out.target().c_str());
    bool copied = copyStoredImage(doc, row, out, waveDataMissing);
    // A partly written file is no WAV file: a failed commit removes it, and
    // the old one stays.
    if (copied && out.commit()) return true;
    if (copied) showStop(doc.shell(), kMessageSavingFile);
    return false;
}

// Only rows whose audio is in the open bank have stored bytes.
bool hasStoredImage(const Row& row) {
    return isBankYes(row.cells[kColBank]) && row.record;
}

// Finds, before anything is written, a target that would destroy data: the
// open bank itself (a WAV file would take its place), or the target of an
// earlier row of the same Name but of a different file (the later would
// silently replace the earlier; clones name one file). Says which and
// returns false.
bool targetsAreSafe(CQuillonDoc& doc, const std::vector<int>& rows, const std::string& folder) {
    const RowList& list = doc.rows();
    std::map<std::string, int> firstOfName;
    for (int index : rows) {
        const Row& row = list.row(index);
        if (!hasStoredImage(row)) continue;
        std::string target = joinPath(folder, row.cells[kColName]);
        if (sameExistingFile(target, doc.pathName())) {
            showStop(doc.shell(), format("%s - this is the open bank file - nothing was extracted",
                                         target.c_str()));
            return false;
        }
        auto [first, added] = firstOfName.emplace(row.cells[kColName], index);
        if (added || equalIgnoringCase(rowPath(list.row(first->second)), rowPath(row))) continue;
        showStop(doc.shell(), format("%s - rows %s and %s are different wavs of this name - "
                                     "nothing was extracted",
                                     target.c_str(), list.cell(first->second, kColNo).c_str(),
                                     row.cells[kColNo].c_str()));
        return false;
    }
    return true;
}

}  // namespace

bool extractRows(CQuillonDoc& doc, const std::vector<int>& rows, const std::string& folder,
                 bool* waveDataMissing) {
    if (!targetsAreSafe(doc, rows, folder)) return false;
    LongOperation operation(doc.shell(), int(rows.size()));
    int done = 0;
    int skipped = 0;
    std::set<std::string> written;
    for (int index : rows) {
        operation.step(++done);
        const Row& row = doc.rows().row(index);
        if (!hasStoredImage(row)) {
            ++skipped;
            continue;
        }
        // A clone of a row already extracted names the same file.
        if (!written.insert(row.cells[kColName]).second) continue;
        if (!extractRow(doc, row, joinPath(folder, row.cells[kColName]), waveDataMissing))
            return false;
    }
    if (skipped > 0)
        showStop(doc.shell(),
                 format("%d selected wav%s not in the bank file yet and %s not "
                        "extracted - save the bank first",
                        skipped, skipped == 1 ? " is" : "s are", skipped == 1 ? "was" : "were"));
    return skipped == 0;
}

void extractSelected(CQuillonDoc& doc) {
    std::optional<std::string> folder = doc.shell().chooseFolder("");
    if (!folder) return;
    const std::vector<int> rows = doc.rows().selectedRows();
    if (extractRows(doc, rows, *folder))
        doc.shell().setStatusText(
            kPanePrompt, format("Extracted %zu samples to %s", rows.size(), folder->c_str()));
}

}  // namespace quillon
