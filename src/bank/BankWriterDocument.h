// The document as the bank writer sees it: exactly what a save reads from the
// document and sets on it. CQuillonDoc implements it; the writer knows nothing
// else of the document.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "bank/BankAudio.h"
#include "bank/RowList.h"
#include "bank/Shell.h"
#include "container/ZQFile.h"

namespace quillon {

inline constexpr char kDefaultTitle[] = "Bank title/description";

// The bank-wide values: stored in the bank but the music flag and the title
// and Who texts; Allow Save is the user's switch for the Save command.
struct BankValues {
    std::string title = kDefaultTitle;
    std::string who;
    bool musicBank = false;
    bool allowSave = true;
};

// Where a save stands; tests hook these to stop a save at any point.
enum class SavePoint { Started, OutputOpen, RowWritten, TableWritten, BeforeRename, Renamed, Done };

class BankWriterDocument {
  public:
    virtual ~BankWriterDocument() = default;

    // The rows are written in number order; the save sets each row's wave
    // owner and offset, and after a reopen its Bank cell, load number and
    // stored record.
    virtual RowList& rows() = 0;
    // The title, the Who text and the music flag go into the bank information.
    virtual const BankValues& values() const = 0;
    // Messages, the progress bar and pending events while the save runs.
    virtual Shell& shell() = 0;
    // The bank to write, and the folder its temporary bank is written in.
    virtual const std::string& targetPath() const = 0;
    virtual const std::string& targetFolder() const = 0;
    // The bank last opened or saved: unchanged samples and the animation data
    // are copied from it, and after the rename it is reopened as the new bank.
    virtual ZQFile& previousFile() = 0;
    // The file a row's audio is read from when it is not in the bank.
    virtual std::string sourceFileOf(const Row& row) const = 0;
    // The folder the rows' relative paths are read against: a save into
    // another folder stores them relative to that one instead.
    virtual std::string bankFolder() const = 0;
    virtual std::vector<uint8_t> readPreviousSegment(const char* name) = 0;
    // Told to let go of the old bank and to register the new one; may be null.
    virtual BankAudio* audio() = 0;
    // Called at each stage of the save.
    virtual void reachSavePoint(SavePoint point) = 0;
};

}  // namespace quillon
