// The one interface through which the system talks to the user: message boxes,
// file and folder dialogs, the status bar and its progress bar, and keeping the
// user out of the main windows during long work. The editor implements it with
// Qt widgets, the command-line tool on the terminal, and the tests with a
// scripted fake that records every message.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quillon {

enum class MessageIcon { None, Stop, Question, Exclamation, Information };
enum class MessageButtons {
    Ok,
    OkCancel,
    YesNo,
    YesNoCancel,
    // The unsaved-changes question: Save answers Yes, Discard answers No.
    SaveDiscardCancel,
    // The question before a save over a bank another program changed since it
    // was read: Overwrite answers Yes, Reload answers No, and Cancel, which
    // keeps both the file and the edits, is the default.
    OverwriteReloadCancel,
    // The question when a bank opens that has unsaved changes kept from an
    // editor that ended without saving them: Recover answers Yes and is the
    // default, Discard answers No.
    RecoverDiscard,
};
enum class MessageAnswer { Ok, Cancel, Yes, No };

struct MessageRequest {
    std::string text;
    std::string caption;  // empty: no caption of our own
    MessageIcon icon = MessageIcon::Stop;
    MessageButtons buttons = MessageButtons::Ok;
};

// The mode of the program's file dialog: it names the OK button.
enum class FileDialogMode { AddInsert = 0, Replace = 2, Save = 3, Plain = -1 };

struct FileDialogRequest {
    bool save = false;
    std::string title;
    std::string filter;         // e.g. "Wave Sound (*.wav)|*.wav||"
    std::string initialFolder;  // empty: the dialog's own choice
    std::string defaultName;
    bool multipleFiles = false;
    bool mustExist = true;
    bool promptOverwrite = false;
    FileDialogMode mode = FileDialogMode::Plain;
};

struct FileDialogResult {
    std::vector<std::string> paths;  // full paths in the dialog's order; empty on Cancel
    std::string folder;              // the folder the dialog ended in
};

// The one-line dialogs: one edit, Enter confirms, Escape cancels.
enum class TextDialog {
    Find,        // "Find"
    Goto,        // "Goto" (the number as decimal text)
    Who,         // "Who?"
    EnumPrefix,  // "Sample List Enum Prefix"
};

// What the "Script Header Export Tool" dialog shows and gives back.
struct ScriptExportSettings {
    std::string bankListPath;    // "Game Soundbank List header:"
    std::string scriptEnumPath;  // "Game Script Enum header:"
    bool clearOutput = false;    // "Clear output file before exporting"
    // The combo box "Which Soundbank is this?": its items, the selected item
    // (-1 when its text matches no item) and its text.
    std::vector<std::string> bankNames;
    int selectedBank = 0;
    std::string selectedText;
};

// Gives the combo box items for a sound bank list path; the dialog calls it
// when it opens and whenever the path text changes, then selects item 0.
using BankNameLoader = std::function<std::vector<std::string>(const std::string& listPath)>;

// The status bar's panes.
enum StatusPane : int {
    kPanePrompt = 0,
    kPaneStatus = 1,  // the program's status text; progress bars lie over it
    kPanePlaying = 2,
    kPaneRows = 3,
    kPaneSelectedBytes = 4,
    kPaneTotalBytes = 5,
};

class Shell {
  public:
    virtual ~Shell() = default;

    virtual MessageAnswer showMessage(const MessageRequest& request) = 0;
    // The program's file dialog (open or save).
    virtual FileDialogResult chooseFiles(const FileDialogRequest& request) = 0;
    // The folder chooser ("Choose folder", OK button "Select").
    virtual std::optional<std::string> chooseFolder(const std::string& initialFolder) = 0;
    // A one-line dialog showing `text`; true when confirmed with Enter, and
    // then `text` holds what was typed. Escape returns false and leaves `text`.
    virtual bool editText(TextDialog which, std::string& text) = 0;
    // The "Script Header Export Tool" dialog, opened with `settings` (its
    // bank names are filled by the dialog through `loadNames`); true on OK,
    // with `settings` as the user left them.
    virtual bool editScriptExportSettings(ScriptExportSettings& settings,
                                          const BankNameLoader& loadNames) = 0;

    virtual void setStatusText(StatusPane pane, std::string_view text) = 0;
    // A progress bar over the status pane, ranging from 0 to maximum.
    virtual void beginProgress(int maximum) = 0;
    virtual void setProgress(int position) = 0;
    virtual void endProgress() = 0;
    // Enables or disables the list view and the main frame together.
    virtual void setMainWindowsEnabled(bool enabled) = 0;
    virtual void focusList() = 0;
    // Takes one pending user-interface event, if there is one, and handles it,
    // so the window repaints and the progress bar moves during a save.
    virtual void processOnePendingEvent() = 0;
};

// A message with a stop icon and no caption: how most errors are shown.
inline void showStop(Shell& shell, std::string text) {
    shell.showMessage({std::move(text), std::string(), MessageIcon::Stop, MessageButtons::Ok});
}

// Disables the main windows and lays a progress bar over the status pane for
// the life of the object; enables them again, focuses the list and removes the
// bar on every way out.
class LongOperation {
  public:
    LongOperation(Shell& shell, int steps) : shell_(shell) {
        shell_.beginProgress(steps);
        shell_.setMainWindowsEnabled(false);
    }
    ~LongOperation() {
        shell_.setMainWindowsEnabled(true);
        shell_.focusList();
        shell_.endProgress();
    }
    LongOperation(const LongOperation&) = delete;
    LongOperation& operator=(const LongOperation&) = delete;
    void step(int position) { shell_.setProgress(position); }

  private:
    Shell& shell_;
};

}  // namespace quillon
