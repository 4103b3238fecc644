// What the editor's tests share: a shell that answers every dialog from a
// script (a modal dialog would stop the test), a private home with its own
// XDG folders for each editor, WAV files and banks made on the spot, and the
// hands of a user (clicking buttons, menu items and rows, typing keys).
#pragma once

#include <QAction>
#include <QMenu>
#include <QTemporaryDir>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ui/Commands.h"
#include "ui/EditorShell.h"
#include "ui/QuillonApp.h"

class QToolButton;

namespace quillon {
class CMusicBarDialog;
class CScriptExportDialog;
}  // namespace quillon

namespace quillon::test {

class ScriptedShell : public CEditorShell {
  public:
    MessageAnswer showMessage(const MessageRequest& request) override;
    FileDialogResult chooseFiles(const FileDialogRequest& request) override;
    std::optional<std::string> chooseFolder(const std::string& initialFolder) override;
    bool editText(TextDialog which, std::string& text) override;
    bool editScriptExportSettings(ScriptExportSettings& settings,
                                  const BankNameLoader& loadNames) override;

    std::vector<std::string> messageTexts() const;

    // Unscripted questions answer Cancel, so a test that forgets one keeps
    // everything; a box with only OK answers OK.
    std::vector<MessageRequest> messages;
    std::deque<MessageAnswer> answers;
    // Runs while a message is up, as the events a real message box lets
    // through (the view's timer ticks) would.
    std::function<void(const MessageRequest&)> whileMessageShows;
    std::vector<FileDialogRequest> fileRequests;
    std::deque<FileDialogResult> fileAnswers;  // none left: Cancel
    std::vector<std::string> folderRequests;
    std::deque<std::optional<std::string>> folderAnswers;
    std::vector<std::pair<TextDialog, std::string>> textRequests;
    std::deque<std::optional<std::string>> textAnswers;  // nothing: Escape
    // The user in the "Script Header Export Tool" dialog: given the real
    // dialog, shown but not run, and presses its buttons. None: Cancel.
    std::function<void(CScriptExportDialog&)> useScriptDialog;
    int scriptDialogsShown = 0;
    // The user at the ambient and music test's bar: given the real bar, shown
    // but not run; the bar closes when this returns. None: closed at once.
    void runMusicBar(CMusicBarDialog& bar) override;
    std::function<void(CMusicBarDialog&)> useMusicBar;
    int musicBarsShown = 0;
};

// An editor in a private home: $HOME and the XDG folders point below a
// temporary folder that goes with the object, and so does the settings store.
class Editor {
  public:
    // `home`: reuse the home of an earlier editor (a restart). `audio`: the
    // editor's audio library; by default one on the loopback device, where
    // nothing sounds and a voice plays until it is stopped.
    explicit Editor(const QStringList& files = {}, const QString& home = {},
                    std::unique_ptr<EditorAudio> audio = nullptr);
    ~Editor();

    CQuillonApp& app() { return *app_; }
    CMainFrame& frame();
    CQuillonView& view();
    CQuillonDoc& doc() { return app_->document(); }
    ScriptedShell& shell() { return *shell_; }
    const QString& home() const { return home_; }
    bool started() const { return started_; }

    std::string file(const std::string& name) const;

  private:
    std::unique_ptr<QTemporaryDir> ownHome_;
    QString home_;
    ScriptedShell* shell_;
    std::unique_ptr<CQuillonApp> app_;
    bool started_ = false;
};

// Points $HOME and the XDG folders below `home` (created when missing).
void usePrivateHome(const QString& home);

// A 16-bit mono WAV file of `frames` frames; returns its path.
std::string makeWav(const std::string& path, uint32_t frames = 1000);
// `count` WAV files "wave01.wav"... in `folder`, saved as a bank at `bankPath`.
void makeBank(const std::string& bankPath, const std::string& folder, int count);
// The editor showing a bank of `rows` such rows, its commands brought up to date.
void openBank(Editor& e, int rows);

// Hands: what a user does.
QToolButton* toolbarButton(CMainFrame& frame, CommandId id);
void clickToolbar(CMainFrame& frame, CommandId id);
// Opens the menu as the menu bar would (so its states refresh) and leaves it open.
void openMenu(QMenu* menu);
// Opens the command's menu and clicks its item; false when the item is disabled.
bool chooseMenuItem(CMainFrame& frame, CommandId id);
void clickRow(CQuillonView& view, int row, int column = 1,
              Qt::KeyboardModifiers modifiers = Qt::NoModifier);
void clickHeader(CQuillonView& view, int column);
// A point on the image in front of a row's No; null when none is found.
QPoint rowImagePoint(CQuillonView& view, int row);
// Selects rows as clicks with Ctrl would.
void selectRows(CQuillonView& view, const std::vector<int>& rows);
std::vector<int> selectedRowsOnScreen(CQuillonView& view);
// The No column of every row as the view shows it.
QStringList numbersOnScreen(CQuillonView& view);
QStringList namesOnScreen(CQuillonView& view);

}  // namespace quillon::test
