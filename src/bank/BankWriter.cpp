#include "bank/BankWriter.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <set>

#include "bank/BankLayout.h"
#include "bank/CellFormat.h"
#include "bank/RowCells.h"
#include "bank/SegmentNames.h"
#include "bank/Sorting.h"
#include "container/ByteOrder.h"
#include "container/ZQLog.h"
#include "formats/WavFile.h"
#include "platform/FileIo.h"
#include "platform/Numbers.h"
#include "platform/Paths.h"
#include "platform/Text.h"

namespace quillon {

namespace {

// Writing to disk is started after every this many bytes of audio.
constexpr uint64_t kWritebackBytes = 32u << 20;
constexpr size_t kRecordFlushBytes = 64 * kSampleRecordBytes;

// The writer's own log code: a segment of the previous bank could not be read.
constexpr int kPreviousSegmentError = 11;

const char kMessageCreatingOutput[] = "Error Creating Output File";
const char kMessageCreatingNew1[] =
    "         Error Creating new file - 1                          ";
const char kMessageRenaming[] = "         Error Renaming file                          ";
const char kMessageCreatingNew2[] =
    "         Error Creating new file - 2                          ";
const char kMessageCreatingNew3[] =
    "         Error Creating new file - 3                          ";
const char kMessageTempInfo[] = "Error Creating Temp Info File";
const char kMessageTooLarge[] =
    "The bank's audio adds up to more than 4 GB - split it into smaller banks";

// The record buffer as the bytes writeAll takes.
std::string_view bytesOf(const std::vector<uint8_t>& buffer) {
    return {reinterpret_cast<const char*>(buffer.data()), buffer.size()};
}

int32_t loopCell(const Row& row, int column) {
    const std::string& cell = row.cells[size_t(column)];
    return isNotSet(cell) ? -1 : atoiLike(cell);
}

uint32_t rowNumber(const Row& row) {
    return uint32_t(atoiLike(row.cells[kColNo]));
}

bool standInNumberOrder(const RowList& rows) {
    for (int i = 1; i < rows.size(); ++i)
        if (leadingInteger(rows.cell(i - 1, kColNo)) > leadingInteger(rows.cell(i, kColNo)))
            return false;
    return true;
}

// A folder as an absolute, normalised path without a closing separator; an
// empty folder is the working folder, as the rows' paths are read there.
std::filesystem::path absoluteFolder(const std::string& folder, std::error_code& error) {
    std::filesystem::path path =
        std::filesystem::absolute(folder.empty() ? "." : folder, error).lexically_normal();
    if (path.has_relative_path() && !path.has_filename()) path = path.parent_path();
    return path;
}

}  // namespace

std::string rebasedStoredPath(const std::string& stored, const std::string& fromFolder,
                              const std::string& toFolder) {
    const bool otherSystems =
        stored.find('/') == std::string::npos && stored.find('\\') != std::string::npos;
    if (stored.empty() || stored.front() == '/' || otherSystems) return stored;
    std::error_code error;
    const std::filesystem::path from = absoluteFolder(fromFolder, error);
    const std::filesystem::path to = absoluteFolder(toFolder, error);
    if (error || from == to) return stored;
    return relativePath((from / stored).lexically_normal().string(), to.string());
}

BankWriter::BankWriter(BankWriterDocument& doc, bool reopen) : doc_(doc), reopen_(reopen) {}

BankWriter::~BankWriter() {
    if (recordFile_ >= 0) ::close(recordFile_);
    unlockTemporaryBank();
}

void BankWriter::fail(const std::string& message) {
    if (message.empty()) return;
    showStop(doc_.shell(), message);
    told_ = true;
}

int BankWriter::run() {
    Shell& shell = doc_.shell();
    RowList& rows = doc_.rows();
    shell.beginProgress(rows.size());
    // The records are written in the rows' order. A damaged bank whose records
    // stood out of number order opens with its rows so, while the sort state
    // still takes them as sorted: look rather than trust it.
    if (!standInNumberOrder(rows)) rows.sortState().sortedByNumber = false;
    resortByNumber(rows);
    bool ok = checkNumbersAndSizes() && openOutput() && openRecordFile() && writeBankInfo() &&
              writeRows() && writeSampleTable() && copyAnimationData() && replaceTarget();
    if (!ok) {
        discardOutput();
        // Some steps stop without a message of their own (a write the system
        // refused, a full disk): the user must still learn the bank is not saved.
        if (!told_)
            fail(format("%s - Error writing the bank file - the bank was not saved",
                        doc_.targetPath().c_str()));
    }
    shell.endProgress();
    if (ok) doc_.reachSavePoint(SavePoint::Done);
    return ok ? 1 : 0;
}

// Rows that share a No, a No outside 1 to 65535 (the record count is 16 bits),
// a path longer than a record holds, or wave data past what 32-bit offsets
// reach would make a broken bank: refuse before anything is written.
bool BankWriter::checkNumbersAndSizes() {
    const RowList& rows = doc_.rows();
    std::set<uint32_t> seen;
    uint64_t waveBytes = 0;
    std::set<std::string> paths;
    for (int i = 0; i < rows.size(); ++i) {
        const Row& row = rows.row(i);
        int64_t number = leadingInteger(row.cells[kColNo]);
        if (number < 1 || number > kMaxSampleNumber) {
            fail(format("Sample number %lld is outside 1 to %u - use Renumber Bank before saving",
                        static_cast<long long>(number), kMaxSampleNumber));
            return false;
        }
        if (!seen.insert(uint32_t(number)).second) {
            fail(
                format("Sample number %lld is used by more than one row - use Renumber Bank "
                       "before saving",
                       static_cast<long long>(number)));
            return false;
        }
        std::string path = storedPathOf(rowPath(row));
        // Cut to fit, the path would come back as another file, or none.
        if (path.size() > kSamplePathBytes - 1) {
            fail(
                format("%s - the path is longer than %zu characters and cannot be stored in the "
                       "bank - move the file to a shorter path before saving",
                       path.c_str(), kSamplePathBytes - 1));
            return false;
        }
        if (paths.insert(asciiLower(path)).second) waveBytes += atouLike(row.cells[kColSize]);
    }
    if (waveBytes > 0xFFFFFFFFull) {
        fail(kMessageTooLarge);
        return false;
    }
    return true;
}

bool BankWriter::openOutput() {
    const std::string& target = doc_.targetPath();
    outputIsTemp_ = pathExists(target);
    outputPath_ = outputIsTemp_ ? joinPath(doc_.targetFolder(), kBankTempName) : target;
    // Opening the temporary bank truncates it: it must be neither the target
    // nor the bank the rows' audio is copied from.
    const ZQFile& previous = doc_.previousFile();
    if (outputIsTemp_ &&
        (sameExistingFile(outputPath_, target) ||
         (previous.IsOpen() && sameExistingFile(outputPath_, previous.GetName())))) {
        fail(format("%s would be overwritten - save the bank under a new name",
                    outputPath_.c_str()));
        outputPath_.clear();
        return false;
    }
    if (outputIsTemp_ && !lockTemporaryBank()) {
        ZQ_LOG_SYSTEM_ERROR();
        fail(kMessageCreatingNew1);
        outputPath_.clear();  // what stands under that name is not this save's
        return false;
    }
    if (outputIsTemp_) keepTargetPermissions();
    if (output_.SetName(outputPath_.c_str()) != ZQ_OK || output_.Open(ZQ_FILE_NEW) != ZQ_OK) {
        fail(outputIsTemp_ ? kMessageCreatingNew1 : kMessageCreatingOutput);
        // A new target that could not be created is not ours to remove.
        if (!outputIsTemp_) outputPath_.clear();
        return false;
    }
    doc_.reachSavePoint(SavePoint::OutputOpen);
    return true;
}

// Saves of banks in one folder all write "ZQBank.TMP" there. Each save holds
// the file locked from before it truncates it until it has renamed or removed
// it, so a second save waits its turn instead of writing into the first one's
// bank. A save that waited finds the file renamed or removed by then, and
// takes the name afresh.
bool BankWriter::lockTemporaryBank() {
    for (;;) {
        int fd = ::open(outputPath_.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC,
                        0666);
        if (fd < 0) return false;
        int locked = flockRetryingOnSignals(fd, LOCK_EX);
        struct stat held {};
        struct stat named {};
        // A system that cannot lock the file leaves the save as it was without locks.
        bool stillNamed =
            locked != 0 || (::fstat(fd, &held) == 0 && ::lstat(outputPath_.c_str(), &named) == 0 &&
                            held.st_dev == named.st_dev && held.st_ino == named.st_ino);
        if (stillNamed) {
            tempLock_ = fd;
            return true;
        }
        ::close(fd);
    }
}

// The new bank takes the place of the old one, so it takes its permissions
// and, where this user may give it, its group: a private bank stays private
// and a bank shared by a team stays writable for the team.
void BankWriter::keepTargetPermissions() {
    struct stat old {};
    if (::stat(doc_.targetPath().c_str(), &old) != 0) return;
    // The owner keeps reading and writing it: the save opens the new bank again.
    KeptAttributes kept = takeGroupAndMode(tempLock_, old, S_IRUSR | S_IWUSR);
    if (!kept.mode) ZQ_LOG_SYSTEM_ERROR();  // errno is still the mode's
    if (!kept.group) ZQ_LOG("The group of %s could not be kept", doc_.targetPath().c_str());
}

void BankWriter::unlockTemporaryBank() {
    if (tempLock_ < 0) return;
    ::close(tempLock_);
    tempLock_ = -1;
}

// The records are collected in a temporary file while the audio bytes stream
// into the wave data segment. The file is removed from its folder at once, so
// it never outlives the save, whatever happens.
bool BankWriter::openRecordFile() {
    std::optional<std::string> folder = privateTempFolder();
    if (!folder) ZQ_LOG("No private temporary folder could be had");
    std::string path = joinPath(folder.value_or(""), kRecordTempName);
    // Created afresh: a file of that name may be another save's, in the moment
    // before that save removed it, and must not be written into. Taking the
    // name from it leaves that save its open file.
    for (int tries = 0; folder && recordFile_ < 0 && tries < 100; ++tries) {
        recordFile_ =
            ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (recordFile_ < 0 &&
            (errno != EEXIST || (::unlink(path.c_str()) != 0 && errno != ENOENT)))
            break;
    }
    if (recordFile_ < 0) {
        fail(kMessageTempInfo);
        return false;
    }
    ::unlink(path.c_str());
    return true;
}

bool BankWriter::writeBankInfo() {
    const BankValues& values = doc_.values();
    std::vector<uint8_t> bytes;
    encodeBankInfo({values.musicBank, values.title, values.who}, bytes);
    return output_.OpenSegment(ZQFileSegmentBankInfo) == ZQ_OK &&
           output_.WriteSegmentData(bytes.data(), uint32_t(bytes.size())) == ZQ_OK &&
           output_.CloseSegment() == ZQ_OK;
}

bool BankWriter::writeRows() {
    if (output_.OpenSegment(ZQFileSegmentWaveData) != ZQ_OK) return false;
    uint32_t expected = 0;
    RowList& rows = doc_.rows();
    for (int i = 0; i < rows.size(); ++i) {
        doc_.shell().processOnePendingEvent();
        // A number that no row has becomes an empty slot.
        for (++expected; expected < rowNumber(rows.row(i)); ++expected)
            if (!appendRecord(ZQ_BankSample())) return false;
        if (!writeRow(i)) return false;
        doc_.shell().setProgress(i + 1);
        doc_.reachSavePoint(SavePoint::RowWritten);
    }
    return output_.CloseSegment() == ZQ_OK;
}

bool BankWriter::writeRow(int index) {
    RowList& rows = doc_.rows();
    const Row& row = rows.row(index);
    uint32_t number = rowNumber(row);
    WaveFacts facts;
    facts.path = recordPath(row);
    std::string pathKey = asciiLower(rowPath(row));
    auto owner = ownerOfPath_.find(pathKey);
    bool isClone = atoiLike(row.cells[kColClone]) != 0 && owner != ownerOfPath_.end();
    if (isClone) {
        // The audio bytes are the owner's; the loop points are the row's own.
        facts.owner = owner->second.number;
        facts.offset = owner->second.offset;
        facts.format = owner->second.format;
        facts.size = atouLike(row.cells[kColSize]);
        facts.loopStart = loopCell(row, kColLStart);
        facts.loopEnd = loopCell(row, kColLEnd);
    } else {
        facts.owner = number;
        facts.offset = uint32_t(runningOffset_);
        bool copied = isBankYes(row.cells[kColBank]) && row.record
                          ? copyFromPreviousFile(index, facts)
                          : copyFromDisk(index, facts);
        if (!copied) return false;
        if (facts.loopStart < 0 || facts.loopEnd < 0 || facts.loopStart >= facts.loopEnd)
            facts.loopStart = facts.loopEnd = -1;
        runningOffset_ += facts.size;
        ownerOfPath_.emplace(pathKey, Owner{number, facts.offset, facts.format});
    }
    if (!isNotSet(row.cells[kColAtmos])) ++ambientCount_;
    rows.update(index, [&](Row& r) {
        r.waveOwner = facts.owner;
        r.waveOffset = facts.offset;
    });
    ZQ_BankSample record = recordFromRow(rows.row(index), facts);
    rebaseStoredPath(index, record);
    return appendRecord(record);
}

std::string BankWriter::storedPathOf(const std::string& path) const {
    return rebasedStoredPath(path, doc_.bankFolder(), doc_.targetFolder());
}

// A bank saved into another folder stores its rows' relative paths from
// there (see rebasedStoredPath).
void BankWriter::rebaseStoredPath(int index, ZQ_BankSample& record) {
    std::string stored = storedPathOf(record.path);
    if (stored == record.path) return;
    record.path = stored;
    rebasedPaths_.emplace_back(index, std::move(stored));
}

// Once the bank stands in its new folder, the rows' Location cells hold what
// it stores, as an open of it would show them: a relative Location is read
// against the bank's folder, so the old one would name another file now.
void BankWriter::showRebasedLocations() {
    RowList& rows = doc_.rows();
    for (const auto& rebased : rebasedPaths_) {
        std::string folder = splitLocalPath(rebased.second).folder;
        rows.update(rebased.first, [&](Row& row) { setCell(row, kColLocation, folder); });
    }
}

// A row whose audio is in the open bank: its bytes are copied from there.
bool BankWriter::copyFromPreviousFile(int index, WaveFacts& facts) {
    const Row& row = doc_.rows().row(index);
    const ZQ_BankSample& stored = *row.record;
    facts.format = stored.format;
    facts.size = stored.waveSize;
    facts.loopStart = loopCell(row, kColLStart);
    facts.loopEnd = loopCell(row, kColLEnd);
    // A row brought back by Undo after a save has its audio in the bank file
    // that save replaced, still open for it.
    ZQFile& previous = row.storedIn ? *row.storedIn : doc_.previousFile();
    if (!previous.IsOpen() || previous.GetSegmentSize(ZQFileSegmentWaveData) == kNoSuchSegment) {
        ZQ_LOG("Error %d: no wave data in %s", kPreviousSegmentError, previous.GetName());
        // Said to the user too: a save that stops without a word looks like a hang.
        fail(format("%s - Error reading the bank file the sample came from",
                    row.cells[kColName].c_str()));
        return false;
    }
    if (!fitsInWaveData(facts.size)) return false;
    int copied = output_.WriteSegmentDataFrom(previous, ZQFileSegmentWaveData, stored.waveOffset,
                                              stored.waveSize);
    if (copied == ZQ_FAIL) fail("set file pointer error");
    if (copied != ZQ_OK) return false;
    keepWritingBack(facts.size);
    return true;
}

// A row whose audio must be read from its WAV file.
bool BankWriter::copyFromDisk(int index, WaveFacts& facts) {
    const Row& row = doc_.rows().row(index);
    // The stored path may be relative to the bank, or name a music section
    // by where it came from; the bytes are read from where they lie.
    std::string source = doc_.sourceFileOf(row);
    if (doc_.values().musicBank) {
        facts.format = row.waveFormat;
    } else {
        WavReadResult wav = ReadWavFile(source, false);
        if (!wav.ok()) {
            fail(WavReadErrorMessage(wav.error(), source));
            return false;
        }
        facts.format = wav.info().format;
        facts.loopStart = wav.info().loopStart;
        facts.loopEnd = wav.info().loopEnd;
    }
    // O_NONBLOCK so that a pipe named as the file cannot hold the save in the
    // open; only a regular file is taken.
    int fd = ::open(source.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    struct stat st {};
    if (fd < 0 || ::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        if (fd >= 0) ::close(fd);
        fail(WavReadErrorMessage(WavReadError::OpenFailed, source));
        return false;
    }
    int copied = fitsInWaveData(uint64_t(st.st_size))
                     ? output_.WriteSegmentDataFromFile(fd, 0, uint32_t(st.st_size))
                     : ZQ_ERROR;
    ::close(fd);
    // The file grew shorter since it was looked at: its image would be incomplete.
    if (copied == ZQ_FAIL) fail(WavReadErrorMessage(WavReadError::OpenFailed, source));
    facts.size = uint32_t(st.st_size);
    if (copied != ZQ_OK) return false;
    keepWritingBack(facts.size);
    return true;
}

bool BankWriter::fitsInWaveData(uint64_t bytes) {
    if (bytes <= 0xFFFFFFFFull - runningOffset_) return true;
    fail(kMessageTooLarge);
    return false;
}

// Writing to disk starts while the save goes on, so the flush before the
// rename has little left to wait for.
void BankWriter::keepWritingBack(uint32_t bytes) {
    bytesSinceWriteback_ += bytes;
    if (bytesSinceWriteback_ < kWritebackBytes) return;
    output_.StartWriteback();
    bytesSinceWriteback_ = 0;
}

bool BankWriter::appendRecord(const ZQ_BankSample& record) {
    encodeSampleRecord(record, recordBuffer_);
    ++recordCount_;
    if (recordBuffer_.size() < kRecordFlushBytes) return true;
    if (!writeAll(recordFile_, bytesOf(recordBuffer_))) {
        ZQ_LOG_SYSTEM_ERROR();
        ZQ_LOG("We should never be here");
        return false;
    }
    recordBuffer_.clear();
    return true;
}

bool BankWriter::writeSampleTable() {
    if (!recordBuffer_.empty() && !writeAll(recordFile_, bytesOf(recordBuffer_))) {
        ZQ_LOG_SYSTEM_ERROR();
        return false;
    }
    recordBuffer_ = {};
    uint32_t countWord = sampleTableCountWord(recordCount_, ambientCount_);
    uint8_t word[4];
    storeU32(word, countWord);
    if (output_.OpenSegment(ZQFileSegmentBankSampleTable) != ZQ_OK ||
        output_.WriteSegmentData(word, 4) != ZQ_OK)
        return false;
    off_t size = ::lseek(recordFile_, 0, SEEK_END);
    if (size < 0) {
        fail("Error getting temp info file size");
        return false;
    }
    if (::lseek(recordFile_, 0, SEEK_SET) != 0) {
        fail("SetFilePointer failed");
        return false;
    }
    std::vector<uint8_t> piece(kRecordFlushBytes);
    for (off_t left = size; left > 0;) {
        ssize_t n = ::read(recordFile_, piece.data(), std::min<size_t>(piece.size(), size_t(left)));
        if (n <= 0) {
            fail(format("ReadFile failed %d", errno));
            return false;
        }
        if (output_.WriteSegmentData(piece.data(), uint32_t(n)) != ZQ_OK) {
            fail("File Append failed");
            return false;
        }
        left -= n;
    }
    if (output_.CloseSegment() != ZQ_OK) return false;
    doc_.reachSavePoint(SavePoint::TableWritten);
    return true;
}

// The animation data belongs to the game's tools: it is carried over from the
// previous file, with its wave numbers following the rows' new numbers.
bool BankWriter::copyAnimationData() {
    ZQFile& previous = doc_.previousFile();
    if (!previous.IsOpen() || previous.GetSegmentSize(ZQFileSegmentAnimArray) == kNoSuchSegment)
        return true;
    for (const char* name : {ZQFileSegmentAnimArray, ZQFileSegmentListViewText}) {
        if (previous.GetSegmentSize(name) == kNoSuchSegment) continue;
        std::vector<uint8_t> bytes;
        if (!readAnimationSegment(name, bytes)) return false;
        if (output_.OpenSegment(name) != ZQ_OK ||
            output_.WriteSegmentData(bytes.data(), uint32_t(bytes.size())) != ZQ_OK ||
            output_.CloseSegment() != ZQ_OK)
            return false;
    }
    // The wave numbers keep the name they were found under.
    const char* numbersName = animWaveNumbersSegmentOf(previous);
    if (!numbersName) return true;
    std::unordered_map<uint32_t, uint32_t> newNumberOf;
    const RowList& rows = doc_.rows();
    for (int i = 0; i < rows.size(); ++i)
        if (uint32_t load = rows.row(i).loadNumber) newNumberOf[load] = rowNumber(rows.row(i));
    std::vector<uint8_t> stored;
    if (!readAnimationSegment(numbersName, stored)) return false;
    std::vector<uint8_t> numbers = renumberAnimWaveNumbers(stored, newNumberOf);
    return output_.OpenSegment(numbersName) == ZQ_OK &&
           output_.WriteSegmentData(numbers.data(), uint32_t(numbers.size())) == ZQ_OK &&
           output_.CloseSegment() == ZQ_OK;
}

// Reads a whole segment of the animation data; a segment that cannot be read
// whole stops the save rather than leave the new bank without it.
bool BankWriter::readAnimationSegment(const char* name, std::vector<uint8_t>& bytes) {
    ZQFile& previous = doc_.previousFile();
    bytes = doc_.readPreviousSegment(name);
    if (bytes.size() == previous.GetSegmentSize(name)) return true;
    ZQ_LOG("Error %d: segment %s of %s could not be read", kPreviousSegmentError, name,
           previous.GetName());
    fail(format("%s - Error reading the animation data", previous.GetName()));
    return false;
}

// Puts the written bank in the target's place. The output is flushed to disk
// before the rename, and the folder after it, so that after a crash the target
// holds either the whole old bank or the whole new one.
bool BankWriter::replaceTarget() {
    if (output_.Flush() != ZQ_OK || output_.Close() != ZQ_OK) return false;
    doc_.reachSavePoint(SavePoint::BeforeRename);
    const std::string& target = doc_.targetPath();
    if (outputIsTemp_ && ::rename(outputPath_.c_str(), target.c_str()) != 0) {
        ZQ_LOG_SYSTEM_ERROR();
        fail(kMessageRenaming);
        return false;
    }
    unlockTemporaryBank();
    syncFolder(doc_.targetFolder());
    outputPath_.clear();  // the output is the target now: nothing to discard
    doc_.reachSavePoint(SavePoint::Renamed);

    // The previous file stayed open until now, so a failure before the rename
    // left it usable; from here on it is the bank just written.
    ZQFile& previous = doc_.previousFile();
    previous.Close();
    if (BankAudio* audio = doc_.audio()) audio->releaseBank();
    if (outputIsTemp_ || reopen_) {
        if (previous.SetName(target.c_str()) != ZQ_OK ||
            previous.Open(ZQ_FILE_READ_ONLY) != ZQ_OK) {
            fail(outputIsTemp_ ? kMessageCreatingNew2 : kMessageCreatingNew3);
            return false;
        }
    }
    if (BankAudio* audio = doc_.audio()) audio->registerBank(target);
    if (reopen_) {
        attachRowsToWrittenBank();
        showRebasedLocations();
    }
    return true;
}

// Every row now has its audio in the written bank: it points at its new
// record, shows "Yes", and its load number becomes its No, so the animation
// wave numbers (renumbered to the current numbers in this save) and the rows'
// load numbers agree at the next save and delete check.
void BankWriter::attachRowsToWrittenBank() {
    std::optional<DecodedSampleTable> table =
        decodeSampleTable(doc_.readPreviousSegment(ZQFileSegmentBankSampleTable));
    if (!table) return;
    // The bank was just written whole: a table that reads back short means
    // the disk lost part of it, and the rows of the lost records stay as they were.
    if (table->missingRecords > 0) {
        std::string text = format("%s - %s back after the save", doc_.targetPath().c_str(),
                                  missingRecordsText(table->missingRecords).c_str());
        ZQ_LOG("%s", text.c_str());
        doc_.shell().showMessage(
            {std::move(text), std::string(), MessageIcon::Exclamation, MessageButtons::Ok});
    }
    RowList& rows = doc_.rows();
    int next = 0;
    for (ZQ_BankSample& record : table->records) {
        if (next >= rows.size()) break;
        if (record.sampleNumber == 0) continue;
        rows.update(next++, [&](Row& row) {
            setCell(row, kColBank, kBankYes);
            row.loadNumber = record.sampleNumber;
            row.record = std::move(record);
            row.storedIn.reset();
        });
    }
}

// A failed save leaves no trace: the temporary bank, or a new target that was
// only partly written, is removed; the old bank is untouched.
void BankWriter::discardOutput() {
    output_.Close();
    if (!outputPath_.empty()) ::unlink(outputPath_.c_str());
    unlockTemporaryBank();
}

}  // namespace quillon
