// The application: builds the document, the main frame and the view, reads and
// writes the per-user settings, runs the File and Help commands, and asks
// whether to save unsaved work before anything would throw it away.
#pragma once

#include <QObject>
#include <QStringList>
#include <QTimer>
#include <memory>
#include <string>

#include "audio/BankTest.h"
#include "audio/EditorAudio.h"
#include "bank/QuillonDoc.h"
#include "editor/AppSettings.h"
#include "editor/Recovery.h"
#include "operations/WaveEditor.h"
#include "platform/Settings.h"
#include "ui/EditorShell.h"

class QPrinter;

namespace quillon {

class CDiskWatch;
class CMainFrame;
class CQuillonView;

inline constexpr char kBankFilter[] =
    "Zarquine Sound Bank Files (*.sad)|*.sad|All Files (*.*)|*.*||";
inline constexpr char kUntitledBankName[] = "Untitled.sad";

class CQuillonApp : public QObject {
    Q_OBJECT
  public:
    // `shell` answers the dialogs (the Qt dialogs when none is given; tests
    // pass a scripted one). `audio` is the audio library with the sample
    // preview (one on the default sound device when none is given; tests pass
    // one on the loopback device). `settingsPath` defaults to the user's store.
    explicit CQuillonApp(std::unique_ptr<CEditorShell> shell = nullptr,
                         std::unique_ptr<EditorAudio> audio = nullptr,
                         std::string settingsPath = userSettingsPath());
    ~CQuillonApp() override;

    // Start-up: the recent file list, the frame and the view (whose first
    // initial update reads the remembered folders), then the command line: a
    // bank named there is opened, else a new bank starts. False when the named
    // bank cannot be opened; the program then ends. The frame is shown
    // maximized.
    bool InitInstance(const QStringList& files);

    CQuillonDoc& document() { return *doc_; }
    CMainFrame* mainFrame() const { return frame_.get(); }
    CQuillonView* view() const;
    CEditorShell& shell() { return *shell_; }
    EditorAudio& audio() { return *audio_; }
    const RecentFileList& recentFiles() const { return recent_; }

    void OnFileNew();
    void OnFileOpen();
    void OnFileSave();
    void OnFileSaveAs();
    void OnFilePrint();
    void OnFilePrintPreview();
    void OnFilePrintSetup();
    void OnAppAbout();
    void OnAppExit();

    // Asks about unsaved work first, then opens (the recent file list and
    // dropped files come here).
    void OpenFileAfterAsking(const std::string& path);
    // Opens a bank into the document; shows why when it cannot.
    bool OpenDocumentFile(const std::string& path);

    // "Save changes to ...?": Save saves (false when that fails or is
    // cancelled), Discard goes on, Cancel returns false.
    bool SaveModified();
    bool DoFileSave();
    // Saves to `path`, or asks for a name when it is empty.
    bool DoSave(const std::string& path);

    // The watch on the bank's file. When another program changes the file,
    // a bank without unsaved edits is read again at once, keeping the
    // selection and the scroll position; one with edits shows the bar above
    // the list.
    CDiskWatch& diskWatch() { return *diskWatch_; }
    // Reads the bank again from its file, unsaved edits lost, keeping the
    // selection (by sample number) and the scroll position.
    bool ReloadFromDisk();

    // The recovery file of the unsaved edits (editor/Recovery.h), written at
    // most two seconds after an edit while the document is modified.
    RecoveryKeeper& recovery() { return *recovery_; }

    // The external wave editor, found when the view first showed.
    const std::string& waveEditorPath() const { return waveEditorPath_; }
    // Starts each wave editor process (tests look at what it is given).
    ProcessStarter waveEditorStarter = startDetachedProcess;

    // The sample preview's commands and the ambient and music test.
    void PlayRow(int row);
    void OnStopAll();
    void OnPlayBank(BankTestKind kind);

    // The shut-down when the view goes: samples stopped, the bank released,
    // the bank file closed, rows freed, the audio system destroyed (the
    // preview's audio with it), then the settings written. Runs once.
    void ShutDown();

  private:
    void registerHandlers();
    void registerAudioHandlers();
    void createAudioSystem();
    void OnTimerTick();
    void readSettings();
    void writeSettings();
    void afterDocumentChange();
    void setUpDiskWatch();
    void changedOnDisk();
    bool mayReloadUnasked() const;
    bool saveInTurn(const std::string& target);
    void setUpRecovery();
    void offerRecovery();
    void closeRecovery();
    // The recent file list changes in the menu at once.
    void addRecentFile(const std::string& path);
    void removeRecentFile(const std::string& path);
    std::string documentName() const;
    QPrinter& printer();

    std::unique_ptr<CEditorShell> shell_;
    // Before the document, which keeps a pointer to it as its BankAudio.
    std::unique_ptr<EditorAudio> audio_;
    std::unique_ptr<CQuillonDoc> doc_;
    std::unique_ptr<CMainFrame> frame_;
    // After the document, which it observes.
    std::unique_ptr<CDiskWatch> diskWatch_;
    std::unique_ptr<RecoveryKeeper> recovery_;
    QTimer recoveryTimer_;
    SettingsStore settings_;
    RecentFileList recent_;
    ScriptExportPaths scriptExportPaths_;
    std::unique_ptr<QPrinter> printer_;
    std::string waveEditorPath_ = kDefaultWaveEditor;
    bool shutDown_ = false;
};

}  // namespace quillon
