// The editor's side of the Shell interface: message boxes, the file and
// folder dialogs and the one-line dialogs as Qt dialogs, and the status bar,
// its progress bar and the main windows of the frame.
//
// Tests derive from it and answer the dialogs themselves (a modal dialog would
// stop a test), while the status bar, progress bar and window states stay real.
#pragma once

#include <QElapsedTimer>
#include <QMessageBox>

#include "bank/Shell.h"

namespace quillon {

class CMainFrame;
class CMusicBarDialog;

class CEditorShell : public Shell {
  public:
    CEditorShell();
    void attach(CMainFrame* frame) { frame_ = frame; }
    CMainFrame* frame() const { return frame_; }

    // Application-modal, with the request's icon and buttons; an empty caption
    // is the application's name.
    MessageAnswer showMessage(const MessageRequest& request) override;
    FileDialogResult chooseFiles(const FileDialogRequest& request) override;
    std::optional<std::string> chooseFolder(const std::string& initialFolder) override;
    bool editText(TextDialog which, std::string& text) override;
    // The "Script Header Export Tool" dialog.
    bool editScriptExportSettings(ScriptExportSettings& settings,
                                  const BankNameLoader& loadNames) override;

    // The bar of the ambient and music test, modal until it closes.
    virtual void runMusicBar(CMusicBarDialog& bar);

    void setStatusText(StatusPane pane, std::string_view text) override;
    void beginProgress(int maximum) override;
    void setProgress(int position) override;
    void endProgress() override;
    void setMainWindowsEnabled(bool enabled) override;
    void focusList() override;
    // Lets pending events other than user input through (repaints, the
    // progress bar), at most about every 10 ms so a long save stays fast.
    void processOnePendingEvent() override;

  protected:
    QWidget* dialogParent() const;

  private:
    CMainFrame* frame_ = nullptr;
    QElapsedTimer sinceEvents_;
};

// The message box a request describes, ready to run; tests inspect it.
void setUpMessageBox(QMessageBox& box, const MessageRequest& request);
MessageAnswer answerOf(QMessageBox::StandardButton button);

}  // namespace quillon
