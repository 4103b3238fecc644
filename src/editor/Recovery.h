// Crash recovery: the editor keeps the unsaved state of its document in a
// recovery file, so that an editor that is killed or crashes loses no edit.
//
// The file lies in recoveryFolder() ($XDG_STATE_HOME/quillon/recovery, a
// folder of this user's alone), one per bank: "bank-<hash>.json", the hash
// made from the bank's absolute path, or "untitled-<pid>.json" for a bank
// that has no file yet. It is this user's alone (0600) and is always written
// whole beside and renamed into place, so a crash while writing leaves the
// last whole file. It holds JSON (recoveryJson):
//
//   format     kRecoveryFormat
//   bankPath   the bank's absolute path; "" for a new bank
//   bankStamp  the bank file as the document last read or wrote it:
//              {device, inode, size, modifiedNs}; absent for a new bank
//   writtenNs  when the file was written, ns since the epoch
//   title, who, music, enumPrefix   the document's values
//   rows       every row in list order: {cells, checked, load}; cells are
//              the 28 texts in column order, each a string, or {"hex": ...}
//              for a text that is not UTF-8 (bytes read from a bank); load
//              is the row's load number, absent for a row not stored in the
//              bank, whose stored record and audio a recovery takes from it.
//
// The editor (ui/) runs a RecoveryKeeper: a write is due while the document
// is modified, and the editor writes at most two seconds after an edit. A
// save, or going back to the saved state, removes the file; so do New and
// Open, once the user let the edits go, and a close that saved or discarded
// them. Opening a bank that has a recovery file asks Recover or Discard.
// quillon-cli never looks for recovery files.
//
// Not yet done: a recovery file of a bank that had no file ("untitled-<pid>")
// is written but never offered, as no bank opens under its name; and a music
// section added since the bank was last saved comes back from its cells alone,
// without the frame header its record would need.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "bank/Columns.h"
#include "bank/EditHistory.h"
#include "bank/QuillonDoc.h"
#include "platform/FileStamp.h"

namespace quillon {

// The version written in "format"; a file of another version is refused.
inline constexpr int kRecoveryFormat = 1;

// The name of the step a recovery makes, which one Undo takes back.
inline constexpr char kRecoverStepName[] = "Recover Unsaved Changes";

struct RecoveredRow {
    std::array<std::string, kColumnCount> cells;
    bool checked = true;
    // The row's number when it was read from the bank; 0 for a row added since.
    uint32_t loadNumber = 0;
    bool operator==(const RecoveredRow&) const = default;
};

struct RecoveryState {
    std::string bankPath;  // absolute; empty for a new bank
    std::optional<FileStamp> bankStamp;
    int64_t writtenNs = 0;
    DocumentValues values;
    std::vector<RecoveredRow> rows;
    bool operator==(const RecoveryState&) const = default;
};

// The document's editable state, written now.
RecoveryState recoveryStateOf(const CQuillonDoc& doc);

// The state as JSON text with a final line end.
std::string recoveryJson(const RecoveryState& state);

// Reads a recovery file's text. Strict: bad JSON, another format, a member
// missing, unknown or of the wrong type is refused, with what and where in
// `error`.
struct RecoveryRead {
    std::optional<RecoveryState> state;
    std::string error;
};
RecoveryRead readRecovery(std::string_view text);

// $XDG_STATE_HOME/quillon/recovery (by default ~/.local/state/...).
std::string recoveryFolder();
// The file name for a bank's absolute path; "untitled-<pid>.json" for "".
std::string recoveryFileName(const std::string& bankPath);

// Gives the opened bank the recovered state as one step of the edit history
// (kRecoverStepName), so one Undo gives the opened bank back. Each row with a
// load number takes the opened bank's row of that number (its record, audio
// placement and format), then its recovered cells and check box; any other
// row is built from its cells alone, as a row added from its file is, except
// that a row showing its audio in the bank (a Clone of a stored row) takes the
// stored record of its file. The document is then modified.
void applyRecovery(CQuillonDoc& doc, const RecoveryState& state);

// "Recover unsaved changes to bank.sad from <local time>?", with a warning
// line when the bank changed on disk since the file was written.
std::string recoveryQuestion(const RecoveryState& state, bool bankChangedSince);

// Keeps the document's recovery file: knows when a write is due, writes it,
// removes it once the edits are saved or let go, and offers a bank's file
// when the bank is opened. Lives no longer than the document.
class RecoveryKeeper final : public DocumentObserver {
  public:
    explicit RecoveryKeeper(CQuillonDoc& doc, std::string folder = recoveryFolder());
    ~RecoveryKeeper() override;
    RecoveryKeeper(const RecoveryKeeper&) = delete;
    RecoveryKeeper& operator=(const RecoveryKeeper&) = delete;

    // Called when a write becomes due: the document changed while modified.
    // The editor starts its timer here, and calls write() when it runs out.
    std::function<void()> onWriteDue;
    bool writeDue() const { return due_ && doc_.isModified(); }

    // Writes the file when a write is due; false when it could not be written
    // (the reason is logged).
    bool write();
    // Removes the file this keeper wrote or took over, if any.
    void remove();
    // The file of the document's bank as it stands.
    std::string fileOfDocument() const;
    const std::string& folder() const { return folder_; }

    // After the document opened a bank: when the bank has a recovery file,
    // asks through the document's shell whether to recover it. Recover
    // applies it; Discard removes it; a damaged file is refused with a
    // message naming it, and removed.
    enum class Offer { NoFile, Recovered, Discarded, Refused };
    Offer offer();

  private:
    void modifiedChanged() override;
    void historyChanged() override;
    void markDue();

    CQuillonDoc& doc_;
    std::string folder_;
    std::string written_;  // the file this keeper stands for; empty when none
    bool due_ = false;
    bool failureLogged_ = false;
};

}  // namespace quillon
