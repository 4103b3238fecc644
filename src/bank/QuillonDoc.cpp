#include "bank/QuillonDoc.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "bank/BankLayout.h"
#include "bank/BankWriter.h"
#include "bank/CellFormat.h"
#include "bank/RowCells.h"
#include "bank/RowRecord.h"
#include "bank/SegmentNames.h"
#include "formats/MpegSectionFolder.h"
#include "platform/Paths.h"
#include "platform/Text.h"

namespace quillon {

namespace {

// Changes made while it lives are not recorded: opening, saving and the
// history's own undo and redo change the rows without making steps.
class RecordingPaused {
  public:
    explicit RecordingPaused(RowList& rows) : rows_(rows), recorder_(rows.recorder()) {
        rows_.setRecorder(nullptr);
    }
    ~RecordingPaused() { rows_.setRecorder(recorder_); }
    RecordingPaused(const RecordingPaused&) = delete;
    RecordingPaused& operator=(const RecordingPaused&) = delete;

  private:
    RowList& rows_;
    RowListRecorder* recorder_;
};

}  // namespace

CQuillonDoc::CQuillonDoc(Shell& shell, BankAudio* audio) : shell_(shell), audio_(audio) {
    rows_.setRecorder(&history_);
    history_.onChange = [this] {
        refreshModified();
        notify([](DocumentObserver& o) { o.historyChanged(); });
    };
}

CQuillonDoc::~CQuillonDoc() {
    if (audio_) {
        audio_->stopAllSamples();
        audio_->releaseBank();
    }
    previousFile_.Close();
}

DocumentValues CQuillonDoc::documentValues() const {
    return {values_.title, values_.who, values_.musicBank, texts_.enumPrefix};
}

void CQuillonDoc::setDocumentValues(const DocumentValues& values) {
    values_.title = values.title;
    values_.who = values.who;
    values_.musicBank = values.musicBank;
    texts_.enumPrefix = values.enumPrefix;
    notify([](DocumentObserver& o) { o.bankValuesChanged(); });
}

// A change of the bank values is a step of its own, or part of the command's
// step that made it; while recording is paused (an open) it is not recorded.
void CQuillonDoc::recordValues(const DocumentValues& before, const char* stepName) {
    if (rows_.recorder() != &history_) return;
    HistoryStep step(history_, stepName);
    history_.valuesChanged(before, documentValues());
}

void CQuillonDoc::setTitle(std::string title) {
    title.resize(cutAtCharacter(title, kMaxTitleChars).size());
    if (title == values_.title) return;
    DocumentValues before = documentValues();
    values_.title = std::move(title);
    recordValues(before, "Edit Title");
    notify([](DocumentObserver& o) { o.bankValuesChanged(); });
}

void CQuillonDoc::setWho(std::string who) {
    who.resize(cutAtCharacter(who, kMaxWhoChars).size());
    if (who == values_.who) return;
    DocumentValues before = documentValues();
    values_.who = std::move(who);
    recordValues(before, "Edit Who");
    notify([](DocumentObserver& o) { o.bankValuesChanged(); });
}

void CQuillonDoc::setMusicBank(bool musicBank) {
    if (musicBank == values_.musicBank) return;
    DocumentValues before = documentValues();
    values_.musicBank = musicBank;
    recordValues(before, "Music Bank");
    notify([](DocumentObserver& o) { o.bankValuesChanged(); });
}

void CQuillonDoc::setEnumPrefix(std::string prefix) {
    if (prefix == texts_.enumPrefix) return;
    DocumentValues before = documentValues();
    texts_.enumPrefix = std::move(prefix);
    recordValues(before, "Edit Enum Prefix");
}

void CQuillonDoc::setAllowSave(bool allowSave) {
    if (allowSave == values_.allowSave) return;
    values_.allowSave = allowSave;
    notify([](DocumentObserver& o) { o.bankValuesChanged(); });
}

void CQuillonDoc::showSelectedItem(int row) {
    if (row < 0 || row >= rows_.size()) {
        selectedItem_ = {};
    } else {
        const Row& r = rows_.row(row);
        std::string description = sortKey(r, kColDescription);
        selectedItem_ = {r.cells[kColName],
                         r.cells[kColLocation],
                         description.empty() ? "None" : description,
                         r.cells[kColFormat],
                         r.cells[kColCompression],
                         sortKey(r, kColSize)};
    }
    notify([](DocumentObserver& o) { o.selectedItemChanged(); });
}

void CQuillonDoc::setModified(bool modified) {
    forcedModified_ = modified;
    if (!modified) history_.markClean();
    refreshModified();
}

void CQuillonDoc::refreshModified() {
    bool modified = forcedModified_ || !history_.isClean();
    if (modified == modified_) return;
    modified_ = modified;
    notify([](DocumentObserver& o) { o.modifiedChanged(); });
}

bool CQuillonDoc::undo() {
    if (!history_.canUndo()) return false;
    applyHistory(history_.undo(rows_));
    return true;
}

bool CQuillonDoc::redo() {
    if (!history_.canRedo()) return false;
    applyHistory(history_.redo(rows_));
    return true;
}

// The rows a step touched become the selection, the first of them current
// and in view, so the user sees what came back or went.
void CQuillonDoc::applyHistory(const HistoryApplied& applied) {
    if (applied.values) setDocumentValues(*applied.values);
    std::vector<int> touched;
    touched.reserve(applied.rows.size());
    for (uint32_t id : applied.rows)
        touched.push_back(rows_.indexOf(id));
    std::sort(touched.begin(), touched.end());
    rows_.selectOnly(touched);
    int first = touched.empty() ? -1 : touched.front();
    rows_.setCurrent(first);
    if (first >= 0) rows_.requestScroll(first);
    showSelectedItem(touched.size() == 1 ? first : -1);
}

void CQuillonDoc::setPathName(const std::string& path) {
    pathName_ = path;
    notify([](DocumentObserver& o) { o.pathChanged(); });
}

// The target is a path of this system, where only "/" separates folders; a
// backslash is part of a file name.
void CQuillonDoc::setTarget(const std::string& path) {
    targetPath_ = path;
    targetFolder_ = splitLocalPath(path).folder;
}

std::string CQuillonDoc::bankFolder() const {
    return pathName_.empty() ? targetFolder_ : splitLocalPath(pathName_).folder;
}

std::string CQuillonDoc::sourceFileOf(const Row& row) const {
    if (values_.musicBank && !musicSectionFolder_.empty() && !isBankYes(row.cells[kColBank]))
        return joinPath(musicSectionFolder_, row.cells[kColName]);
    return resolvePath(bankFolder(), rowPath(row));
}

void CQuillonDoc::clearBank() {
    rememberDiskStamp(std::nullopt);
    musicSectionFolder_.clear();
    rows_.clear();
    previousFile_.Close();
    setMusicBank(false);
}

bool CQuillonDoc::OnNewDocument() {
    RecordingPaused paused(rows_);
    history_.clear();
    texts_.enumPrefix = kDefaultEnumPrefix;
    clearBank();
    values_.who.clear();
    values_.title = kDefaultTitle;
    showSelectedItem(-1);
    if (audio_) audio_->releaseBank();
    values_.allowSave = true;
    setPathName("");
    setModified(false);
    notify([](DocumentObserver& o) { o.bankValuesChanged(); });
    return true;
}

bool CQuillonDoc::OnOpenDocument(const std::string& path) {
    // Whether the bank may be written is asked of the system, not found out by
    // opening it for writing: closing such a handle tells every tool that
    // watches the file (build watchers, sync clients) that it was written.
    setAllowSave(pathExists(path) && !isReadOnlyFile(path));
    RecordingPaused paused(rows_);
    history_.clear();
    // Taken before the read: a change made while it reads shows as one.
    std::optional<FileStamp> stamp = readFileStamp(path);
    clearBank();
    uint32_t missingRecords = 0;
    if (!readBank(path, missingRecords)) {
        // The earlier rows are gone by now. The document becomes a new, unnamed
        // one, so that a later save cannot put a bank without them over the
        // file they came from.
        previousFile_.Close();
        rows_.clear();
        values_.title = kDefaultTitle;
        values_.who.clear();
        setMusicBank(false);
        setAllowSave(true);  // as a new document's, not the broken file's
        showSelectedItem(-1);
        if (audio_) audio_->releaseBank();
        setPathName("");
        setModified(false);
        notify([](DocumentObserver& o) { o.bankValuesChanged(); });
        return false;
    }
    showSelectedItem(-1);
    if (audio_) {
        audio_->releaseBank();
        audio_->registerBank(path);
    }
    rememberDiskStamp(stamp);
    setPathName(path);
    setModified(false);
    // The bank is open with the records that could be read; the user must
    // still learn that others were promised, before a save drops them for good.
    if (missingRecords > 0)
        shell_.showMessage({format("%s - %s - the bank was opened without them", path.c_str(),
                                   missingRecordsText(missingRecords).c_str()),
                            std::string(), MessageIcon::Exclamation, MessageButtons::Ok});
    return true;
}

// A segment's size is read from the file and may be hostile: it is checked
// against the bytes the file really holds before any buffer is allocated.
std::vector<uint8_t> CQuillonDoc::readPreviousSegment(const char* name) {
    if (!previousFile_.IsOpen()) return {};
    uint32_t size = previousFile_.GetSegmentSize(name);
    if (size == kNoSuchSegment || size == 0) return {};
    struct stat st {};
    if (::stat(previousFile_.GetName(), &st) != 0) return {};
    uint64_t dataStart = 0;
    for (const ZQFileEntry& entry : previousFile_.Directory()) {
        if (std::strncmp(entry.Name, name, kSegmentNameFieldBytes) == 0) {
            dataStart = entry.Offset;
            break;
        }
    }
    uint64_t fileSize = uint64_t(st.st_size);
    if (dataStart > fileSize || size > fileSize - dataStart) return {};
    std::vector<uint8_t> bytes(size);
    if (previousFile_.GetSegmentData(name, bytes.data(), size, 0) != ZQ_OK) return {};
    return bytes;
}

// Reads the bank information and the sample table. Every size is checked
// against its segment: a segment too short for what it claims fails the open,
// but a sample table whose count word promises more records than it holds
// opens with the whole ones, and missingRecords counts the others.
bool CQuillonDoc::readBank(const std::string& path, uint32_t& missingRecords) {
    if (previousFile_.SetName(path.c_str()) != ZQ_OK ||
        previousFile_.Open(ZQ_FILE_READ_ONLY) != ZQ_OK)
        return false;
    std::optional<BankInfoRecord> info = decodeBankInfo(readPreviousSegment(ZQFileSegmentBankInfo));
    if (!info) return false;
    setMusicBank(info->musicBank);
    values_.title = info->title;
    values_.who = info->who;
    notify([](DocumentObserver& o) { o.bankValuesChanged(); });

    std::optional<DecodedSampleTable> table =
        decodeSampleTable(readPreviousSegment(ZQFileSegmentBankSampleTable));
    if (!table) return false;
    missingRecords = table->missingRecords;
    uint32_t waveDataSize = previousFile_.GetSegmentSize(ZQFileSegmentWaveData);
    fillRowsFromRecords(table->records, waveDataSize == kNoSuchSegment ? 0 : waveDataSize);
    return true;
}

// One row per record with a sample number. A record whose audio bytes would
// lie outside the wave data segment cannot be played or copied: its row is
// built with Bank "*", so that a save reads the sample from its WAV file.
void CQuillonDoc::fillRowsFromRecords(const std::vector<ZQ_BankSample>& records,
                                      uint32_t waveDataSize) {
    std::vector<std::unique_ptr<Row>> rows;
    rows.reserve(records.size());
    int highestGroup = 0;
    for (const ZQ_BankSample& record : records) {
        if (record.sampleNumber == 0) continue;
        auto row = std::make_unique<Row>();
        fillRowFromRecord(record, *row);
        bool inSegment = record.waveOffset <= waveDataSize &&
                         record.waveSize <= waveDataSize - record.waveOffset;
        if (!inSegment) {
            setCell(*row, kColBank, kNotSet);
            row->record.reset();
        }
        highestGroup = std::max<int>(highestGroup, record.group);
        rows.push_back(std::move(row));
    }
    rows_.setHighestGroup(highestGroup);
    rows_.assign(std::move(rows));
}

bool CQuillonDoc::OnSaveDocument(const std::string& target) {
    if (audio_) audio_->stopAllSamples();
    // The new bank is renamed into place: a folder, pipe or device standing
    // under the name would be replaced by it, not written.
    if (existsAsNonFile(target)) {
        showStop(shell_,
                 format("%s - this is not a file - the bank was not saved", target.c_str()));
        return false;
    }
    if (isReadOnlyFile(target)) {
        showStop(shell_, "File is read only");
        return false;
    }
    DiskChangeAnswer answer = askAboutDiskChange(target);
    if (answer == DiskChangeAnswer::Reload || answer == DiskChangeAnswer::Cancel) return false;
    // Saved as the bank a link names, in that bank's folder: renaming the new
    // bank over the link itself would cut the link off and leave its bank as
    // it was.
    setTarget(fileBehindLink(target));
    shell_.setStatusText(kPanePrompt, "Saving - Please Wait...");
    shell_.setMainWindowsEnabled(false);
    keepStoredAudioOfHistory();
    int written = WriteBank(true);
    shell_.setMainWindowsEnabled(true);
    shell_.focusList();
    shell_.setStatusText(kPanePrompt, "Ready");
    if (written != 1) return false;
    // Before the path is announced: whoever watches the file learns of the
    // new path with the new file already taken as this document's own.
    rememberDiskStamp(readFileStamp(target));
    setPathName(target);
    setModified(false);
    removeSavedMusicSections();
    return true;
}

bool CQuillonDoc::changedOnDisk() const {
    if (pathName_.empty() || !diskStamp_) return false;
    std::optional<FileStamp> now = readFileStamp(pathName_);
    return now && *now != *diskStamp_;
}

DiskChangeAnswer CQuillonDoc::askAboutDiskChange(const std::string& target) {
    bool ownFile = target == pathName_ || sameExistingFile(target, pathName_);
    if (!ownFile || !changedOnDisk()) return DiskChangeAnswer::Unchanged;
    std::optional<FileStamp> seen = readFileStamp(pathName_);
    MessageAnswer answer = shell_.showMessage(
        {format("%s was changed by another program since it was opened or last saved.\n\n"
                "Overwrite: save over it; that program's change is lost.\n"
                "Reload: read it again; your unsaved changes are lost.\n"
                "Cancel: save nothing.",
                pathName_.c_str()),
         std::string(), MessageIcon::Exclamation, MessageButtons::OverwriteReloadCancel});
    if (answer == MessageAnswer::Yes) {
        rememberDiskStamp(seen);
        return DiskChangeAnswer::Overwrite;
    }
    if (answer == MessageAnswer::No) {
        // A copy: a failed open empties pathName_.
        std::string path = pathName_;
        if (!OnOpenDocument(path))
            showStop(shell_, path + "\nis not a sound bank, or it is damaged.");
        return DiskChangeAnswer::Reload;
    }
    return DiskChangeAnswer::Cancel;
}

// Once a music bank is saved its rows copy their audio from the bank, so the
// section files its import left in the temporary folder are no longer needed.
void CQuillonDoc::removeSavedMusicSections() {
    if (musicSectionFolder_.empty()) return;
    removeMpegSectionFolder(musicSectionFolder_);
    musicSectionFolder_.clear();
}

// The save replaces the bank file that the history's removed and replaced
// rows have their audio in; a second handle on it keeps that audio readable
// for as long as those rows may come back.
void CQuillonDoc::keepStoredAudioOfHistory() {
    if (!previousFile_.IsOpen() || !history_.holdsStoredAudio()) return;
    auto stillOpen = std::make_shared<ZQFile>();
    if (stillOpen->SetName(previousFile_.GetName()) != ZQ_OK ||
        stillOpen->Open(ZQ_FILE_READ_ONLY) != ZQ_OK)
        return;
    history_.keepStoredAudio(stillOpen);
}

int CQuillonDoc::WriteBank(bool reopen) {
    RecordingPaused paused(rows_);
    reachSavePoint(SavePoint::Started);
    BankWriter writer(*this, reopen);
    return writer.run();
}

void CQuillonDoc::addObserver(DocumentObserver* observer) {
    observers_.push_back(observer);
}

void CQuillonDoc::removeObserver(DocumentObserver* observer) {
    observers_.erase(std::remove(observers_.begin(), observers_.end(), observer), observers_.end());
}

}  // namespace quillon
