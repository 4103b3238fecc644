// A shell answering every dialog from a script, an editor in a private home, banks, a user's hands.
#pragma once

#include <QApplication>
#include <QHeaderView>
#include <QMenu>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "bank/Columns.h"
#include "operations/SampleOps.h"
#include "support/FakeShell.h"
#include "support/TempFolder.h"
#include "support/WavBuilder.h"
#include "ui/BankToolBar.h"
#include "ui/Commands.h"
#include "ui/EditorShell.h"
#include "ui/MainFrame.h"
#include "ui/MusicBarDialog.h"
#include "ui/QuillonApp.h"
#include "ui/QuillonView.h"
#include "ui/ScriptExportDialog.h"
#include "ui/SidePanelBar.h"

namespace quillon::test {

class ScriptedShell : public CEditorShell {
  public:
    MessageAnswer showMessage(const MessageRequest& request) override;
    FileDialogResult chooseFiles(const FileDialogRequest& request) override;
    std::optional<std::string> chooseFolder(const std::string& initialFolder) override;
    bool editText(TextDialog which, std::string& text) override;
    bool editScriptExportSettings(ScriptExportSettings& settings,
                                  const BankNameLoader& loadNames) override;
    void runMusicBar(CMusicBarDialog& bar) override;
    std::vector<std::string> messageTexts() const;

    // Unscripted questions answer Cancel; a box with only OK answers OK.
    std::vector<MessageRequest> messages;
    std::deque<MessageAnswer> answers;
    // Runs while a message is up, as events a real box lets through would.
    std::function<void(const MessageRequest&)> whileMessageShows;
    std::vector<FileDialogRequest> fileRequests;
    std::deque<FileDialogResult> fileAnswers;  // none left: Cancel
    std::vector<std::string> folderRequests;   // each answered Cancel
    std::vector<std::pair<TextDialog, std::string>> textRequests;
    std::deque<std::optional<std::string>> textAnswers;  // nothing: Escape
    // The user in the real script export dialog or music bar (shown, not run); none: Cancel.
    std::function<void(CScriptExportDialog&)> useScriptDialog;
    std::function<void(CMusicBarDialog&)> useMusicBar;
    int musicBarsShown = 0;
};

// An editor homed in its own temporary folder or `home` (a restart); loopback audio unless given.
class Editor {
  public:
    explicit Editor(const QStringList& files = {}, const QString& home = {},
                    std::unique_ptr<EditorAudio> audio = nullptr);
    explicit Editor(int bankRows);  // opens "bank.sad" of that many rows in its home
    CQuillonApp& app() { return *app_; }
    CMainFrame& frame() { return *app_->mainFrame(); }
    CQuillonView& view() { return *app_->view(); }
    CQuillonDoc& doc() { return app_->document(); }
    ScriptedShell& shell() { return *shell_; }
    const QString& home() const { return home_; }
    bool started() const { return started_; }
    std::string file(const std::string& name) const { return (home_ + "/").toStdString() + name; }

  private:
    std::unique_ptr<QTemporaryDir> ownHome_;
    QString home_;
    ScriptedShell* shell_;
    std::unique_ptr<CQuillonApp> app_;
    bool started_ = false;
};

void usePrivateHome(const QString& home);
std::string makeWav(const std::string& path, uint32_t frames = 1000);
// `count` WAV files "wave01.wav"... in `folder`, saved as a bank at `bankPath`.
void makeBank(const std::string& bankPath, const std::string& folder, int count);
void openBank(Editor& e, int rows);

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
inline QString cellOnScreen(CQuillonView& view, int row, int column) {
    return view.model()->index(row, column).data().toString();
}
QStringList columnOnScreen(CQuillonView& view, int column);
inline QStringList numbersOnScreen(CQuillonView& view) {
    return columnOnScreen(view, 0);
}
inline QStringList namesOnScreen(CQuillonView& view) {
    return columnOnScreen(view, 1);
}

}  // namespace quillon::test
