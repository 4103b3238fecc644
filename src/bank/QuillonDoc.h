// The bank document: the rows being edited, the bank-wide values, the bank file
// last opened or saved (the previous file, whose audio bytes unchanged samples
// are copied from), and the save, open and new handlers.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "bank/BankAudio.h"
#include "bank/BankWriterDocument.h"
#include "bank/EditHistory.h"
#include "bank/RowList.h"
#include "bank/Shell.h"
#include "container/ZQFile.h"
#include "platform/FileStamp.h"

namespace quillon {

inline constexpr char kDefaultEnumPrefix[] = "ZQ_SAMPLE";

// The six values of the side panel's "Selected Item" box; all empty when no
// row is shown.
struct SelectedItem {
    std::string name, location, description, format, compression, size;
};

// Texts the list keeps for its small dialogs and exporters.
struct ListTexts {
    std::string findText;
    int findPosition = 0;  // index of the row after the last Find match
    int gotoNumber = 1;
    std::string enumPrefix = kDefaultEnumPrefix;
};

// The folders the file dialogs start in, remembered between runs.
struct RememberedFolders {
    std::string fileOpen;    // "FileOpenDir": the folder of the last bank opened
    std::string wavAdd;      // "FileWavAddDir": Add/Insert and MPEG import
    std::string wavReplace;  // "FileWavReplaceDir": Replace
};

// What the user chose about a bank file another program changed since this
// document read it.
enum class DiskChangeAnswer {
    Unchanged,  // nothing to choose: the file is as it was read (or gone)
    Overwrite,  // save over the other program's change
    Reload,     // the bank was read again from its file; unsaved edits are gone
    Cancel,     // save nothing: the file and the edits stay as they are
};

class DocumentObserver {
  public:
    virtual ~DocumentObserver() = default;
    virtual void bankValuesChanged() {}
    virtual void selectedItemChanged() {}
    virtual void modifiedChanged() {}
    virtual void pathChanged() {}
    // A step was kept, undone or redone: the names Undo and Redo show changed.
    virtual void historyChanged() {}
};

class CQuillonDoc final : public BankWriterDocument {
  public:
    CQuillonDoc(Shell& shell, BankAudio* audio);
    ~CQuillonDoc() override;
    CQuillonDoc(const CQuillonDoc&) = delete;
    CQuillonDoc& operator=(const CQuillonDoc&) = delete;

    RowList& rows() override { return rows_; }
    const RowList& rows() const { return rows_; }
    Shell& shell() override { return shell_; }
    BankAudio* audio() override { return audio_; }

    const BankValues& values() const override { return values_; }
    // Texts longer than their fields are cut before a character that would
    // not fit, never inside one.
    void setTitle(std::string title);
    void setWho(std::string who);
    void setMusicBank(bool musicBank);
    void setAllowSave(bool allowSave);
    // The prefix of the names in an enum sample header.
    void setEnumPrefix(std::string prefix);

    ListTexts& texts() { return texts_; }
    const ListTexts& texts() const { return texts_; }

    // Every change of the rows and of the values above is recorded here;
    // commands hold a step open (HistoryStep) to make their changes one step.
    EditHistory& history() { return history_; }
    const EditHistory& history() const { return history_; }
    // Undo and Redo of the history's steps; the rows they touched become the
    // selection. False when there was nothing to undo or redo.
    bool undo();
    bool redo();
    RememberedFolders& folders() { return folders_; }

    const SelectedItem& selectedItem() const { return selectedItem_; }
    // Shows a row in the "Selected Item" box; -1 empties it.
    void showSelectedItem(int row);

    // The bank's path: the file last opened or saved; empty for a new bank.
    const std::string& pathName() const { return pathName_; }
    // Modified while the history stands elsewhere than at the saved state.
    bool isModified() const { return modified_; }
    // False marks the present state as saved; true marks the document
    // modified until its next save whatever the history does.
    void setModified(bool modified = true);

    // The bank file as this document last read or wrote it; nothing for a new
    // bank.
    const std::optional<FileStamp>& diskStamp() const { return diskStamp_; }
    // True when the bank's file on disk is no longer the one this document
    // last read or wrote: another program saved over it since. A file gone
    // since is no change: a save would overwrite nothing.
    bool changedOnDisk() const;
    // Before a save to `target`: when it is the bank's own file and that
    // changed on disk, asks Overwrite, Reload or Cancel. Overwrite takes the
    // file on disk as seen, so a save goes on and the question is not asked
    // again for it; Reload reads the bank again from its file. The save goes
    // on after Unchanged and Overwrite only.
    DiskChangeAnswer askAboutDiskChange(const std::string& target);

    // The framework's document calls.
    bool OnNewDocument();
    bool OnOpenDocument(const std::string& path);
    bool OnSaveDocument(const std::string& target);

    // The writer proper, for the target set with setTarget. With reopen set the
    // written file becomes the previous file and every row is marked "Yes";
    // without it the rows stay as they were (a temporary bank for a test).
    // Returns 1 on success, 0 after any failure.
    int WriteBank(bool reopen);
    void setTarget(const std::string& path);
    const std::string& targetPath() const override { return targetPath_; }
    // The target's folder: the temporary bank is written there.
    const std::string& targetFolder() const override { return targetFolder_; }

    // The folder a stored relative source path is read against: the bank's
    // own folder, or for a new bank the folder it is being saved in.
    std::string bankFolder() const override;
    // The file a row's audio is read from when it is not in the bank: its
    // path resolved against bankFolder(), or for a music section not saved
    // yet its file in the import's section folder. Paths stored as absolute
    // paths are read as they stand.
    std::string sourceFileOf(const Row& row) const override;
    // Where the section files of a music import lie until the bank is saved;
    // empty when the rows' own paths name their files.
    const std::string& musicSectionFolder() const { return musicSectionFolder_; }
    void setMusicSectionFolder(std::string folder) { musicSectionFolder_ = std::move(folder); }

    // The bank file last opened or saved, open read-only; closed for a new bank.
    ZQFile& previousFile() override { return previousFile_; }

    // Reads a whole segment of the previous file; empty when it is not open or
    // has no such segment.
    std::vector<uint8_t> readPreviousSegment(const char* name) override;

    void addObserver(DocumentObserver* observer);
    void removeObserver(DocumentObserver* observer);

    // Called at each stage of a save (tests use it to stop a save anywhere).
    std::function<void(SavePoint)> savePointHook;
    void reachSavePoint(SavePoint point) override {
        if (savePointHook) savePointHook(point);
    }

  private:
    DocumentValues documentValues() const;
    void setDocumentValues(const DocumentValues& values);
    void recordValues(const DocumentValues& before, const char* stepName);
    void applyHistory(const HistoryApplied& applied);
    void refreshModified();
    void keepStoredAudioOfHistory();
    void clearBank();
    bool readBank(const std::string& path, uint32_t& missingRecords);
    void fillRowsFromRecords(const std::vector<ZQ_BankSample>& records, uint32_t waveDataSize);
    void setPathName(const std::string& path);
    void removeSavedMusicSections();
    void rememberDiskStamp(std::optional<FileStamp> stamp) { diskStamp_ = stamp; }
    template <typename F>
    void notify(F&& f) {
        for (DocumentObserver* o : observers_)
            f(*o);
    }

    Shell& shell_;
    BankAudio* audio_;
    RowList rows_;
    BankValues values_;
    ListTexts texts_;
    RememberedFolders folders_;
    SelectedItem selectedItem_;
    std::string pathName_;
    bool modified_ = false;
    bool forcedModified_ = false;
    EditHistory history_;
    ZQFile previousFile_;
    std::string targetPath_;
    std::string targetFolder_;
    std::string musicSectionFolder_;
    std::optional<FileStamp> diskStamp_;
    std::vector<DocumentObserver*> observers_;
};

}  // namespace quillon
