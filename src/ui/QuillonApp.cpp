#include "ui/QuillonApp.h"

#include <QApplication>
#include <QDockWidget>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QScreen>
#include <QStatusBar>
#include <chrono>

#include "bank/Columns.h"
#include "bank/ListOps.h"
#include "export/SampleHeader.h"
#include "export/ScriptTable.h"
#include "export/WaveListCsv.h"
#include "operations/MpegImport.h"
#include "operations/SampleOps.h"
#include "platform/FolderLock.h"
#include "platform/Paths.h"
#include "platform/Text.h"
#include "ui/AboutDialog.h"
#include "ui/ClipboardCommands.h"
#include "ui/DiskChangeBar.h"
#include "ui/DiskWatch.h"
#include "ui/EditorShell.h"
#include "ui/ListPrinter.h"
#include "ui/MainFrame.h"
#include "ui/MusicBarDialog.h"
#include "ui/QtText.h"
#include "ui/QuillonView.h"
#include "ui/WaveformPanel.h"

namespace quillon {

CQuillonApp::CQuillonApp(std::unique_ptr<CEditorShell> shell, std::unique_ptr<EditorAudio> audio,
                         std::string settingsPath)
    : shell_(shell ? std::move(shell) : std::make_unique<CEditorShell>()),
      audio_(audio ? std::move(audio) : std::make_unique<EditorAudio>()),
      doc_(std::make_unique<CQuillonDoc>(*shell_, audio_.get())),
      settings_(std::move(settingsPath)) {}

CQuillonApp::~CQuillonApp() {
    ShutDown();
    shell_->attach(nullptr);
    frame_.reset();
}

CQuillonView* CQuillonApp::view() const {
    return frame_ ? frame_->view() : nullptr;
}

bool CQuillonApp::InitInstance(const QStringList& files) {
    // The recent file list comes with the framework's standard settings.
    settings_.load();
    recent_.read(settings_);

    frame_ = std::make_unique<CMainFrame>(*doc_);
    shell_->attach(frame_.get());
    frame_->setRecentFiles(recent_.paths());
    registerHandlers();
    registerAudioHandlers();
    setUpDiskWatch();
    setUpRecovery();
    view()->onCreateAudioSystem = [this] { createAudioSystem(); };
    view()->onFirstInitialUpdate = [this] { readSettings(); };

    doc_->OnNewDocument();
    view()->OnInitialUpdate();
    if (!files.isEmpty() && !OpenDocumentFile(toStdString(files.front()))) return false;

    // Without a window manager nothing would maximize the window: it is given
    // the screen first.
    if (QScreen* screen = QGuiApplication::primaryScreen())
        frame_->setGeometry(screen->availableGeometry());
    frame_->showMaximized();
    frame_->updateCommandUI();
    return true;
}

void CQuillonApp::registerHandlers() {
    CMainFrame& f = *frame_;
    CQuillonView* v = view();
    CQuillonDoc& d = *doc_;
    using enum CommandId;
    f.setHandler(FileNew, [this] { OnFileNew(); });
    f.setHandler(FileOpen, [this] { OnFileOpen(); });
    f.setHandler(FileSave, [this] { OnFileSave(); });
    f.setHandler(FileSaveAs, [this] { OnFileSaveAs(); });
    f.setHandler(FilePrint, [this] { OnFilePrint(); });
    f.setHandler(FilePrintPreview, [this] { OnFilePrintPreview(); });
    f.setHandler(FilePrintSetup, [this] { OnFilePrintSetup(); });
    f.setHandler(AppExit, [this] { OnAppExit(); });
    f.setHandler(AppAbout, [this] { OnAppAbout(); });
    f.setHandler(RenumberBank, [&d] { renumberBank(d); });
    f.setHandler(MoveUp, [v] { v->OnMoveUp(); });
    f.setHandler(MoveDown, [v] { v->OnMoveDown(); });
    f.setHandler(WaveAddInsert, [&d] { addInsertWaves(d); });
    f.setHandler(WaveReplace, [&d] { replaceWave(d); });
    f.setHandler(WaveRefreshOriginal, [&d] { refreshOriginalPath(d); });
    f.setHandler(WaveRefreshChange, [&d] { refreshChangePath(d); });
    f.setHandler(WaveExtract, [&d] { extractSelected(d); });
    f.setHandler(WaveClone, [&d] { cloneSelected(d); });
    f.setHandler(ExportWaveList, [&d] { runWaveListExport(d); });
    f.setHandler(ImportMpeg, [&d] { ImportMpegAudio(d); });
    f.setHandler(ExportEnum, [&d] { runSampleHeaderExport(d, HeaderStyle::Enum); });
    f.setHandler(ExportDefine, [&d] { runSampleHeaderExport(d, HeaderStyle::Define); });
    f.setHandler(CustomExport, [this, &d] {
        runScriptTableExport(d, {[this](int row) { PlayRow(row); }, [this] { OnStopAll(); }},
                             scriptExportPaths_);
    });
    f.setHandler(WaveOpenInEditor,
                 [this] { openSelectedInWaveEditor(*doc_, waveEditorPath_, waveEditorStarter); });
    f.setHandler(EnablePlayback, [&d] { setPlaybackForSelected(d, true); });
    f.setHandler(DisablePlayback, [&d] { setPlaybackForSelected(d, false); });
    f.setHandler(CreateGroup, [&d] { createGroupForSelected(d); });
    f.setHandler(StopAll, [this] { OnStopAll(); });
    f.setHandler(PlayMusic, [this] { OnPlayBank(BankTestKind::Music); });
    f.setHandler(PlayAtmos, [this] { OnPlayBank(BankTestKind::Atmos); });
    f.setHandler(EditUndo, [&d] { d.undo(); });
    f.setHandler(EditRedo, [&d] { d.redo(); });
    f.setHandler(EditCopy, [&d] { copySelectionToClipboard(d); });
    f.setHandler(EditCut, [&d] { cutSelectionToClipboard(d); });
    f.setHandler(EditPaste, [&d] { pasteFromSystemClipboard(d); });
    //
    // Leaving the bank, as a command does, first settles a pending cell edit:
    // an invalid value keeps the bank open with the editor.
    f.onOpenRecent = [this](const std::string& path) {
        if (view()->ValidateAndCommitPendingEdit()) OpenFileAfterAsking(path);
    };
    f.onFileDropped = [this](const std::string& path) {
        if (view()->ValidateAndCommitPendingEdit()) OpenFileAfterAsking(path);
    };
    f.onClose = [this] {
        if (!view()->ValidateAndCommitPendingEdit() || !SaveModified()) return false;
        ShutDown();
        return true;
    };
}

// --- Settings -------------------------------------------------------------------

void CQuillonApp::readSettings() {
    settings_.load();
    readRememberedFolders(settings_, doc_->folders());
    scriptExportPaths_ = readScriptExportPaths(settings_);
    const WaveformDockSettings waveform = readWaveformDockSettings(settings_);
    frame_->waveformDock()->setVisible(waveform.shown);
    if (waveform.height > 0)
        frame_->resizeDocks({frame_->waveformDock()}, {waveform.height}, Qt::Vertical);
    view()->applyColumnLayout(readColumnLayout(settings_, kColumnCount));
    waveEditorPath_ = findWaveEditor(classesRootSettingsPath());
}

// Written over what is on disk now, so values another program put in the
// store since start-up are kept.
void CQuillonApp::writeSettings() {
    SettingsStore store(settings_.path());
    store.load();
    writeRememberedFolders(store, doc_->folders());
    writeScriptExportPaths(store, scriptExportPaths_);
    if (frame_) {
        const QDockWidget* dock = frame_->waveformDock();
        writeWaveformDockSettings(store, {!dock->isHidden(), dock->height()});
    }
    recent_.write(store);
    if (CQuillonView* v = view()) writeColumnLayout(store, v->columnLayout());
    // A failed write loses the folders and nothing else; there is no one to tell.
    (void)store.save();
}

void CQuillonApp::ShutDown() {
    if (shutDown_) return;
    shutDown_ = true;
    closeRecovery();
    // No tick may reach the audio system once it is gone.
    if (CQuillonView* v = view()) v->timer().stop();
    audio_->stopAllSamples();
    audio_->releaseBank();
    doc_->previousFile().Close();
    doc_->rows().clear();
    audio_->destroySystem();
    writeSettings();
}

// --- Audio: the sample preview, the timer, the ambient and music test -------------

// The view plays rows; the frame takes its status figures and timer tick.
void CQuillonApp::registerAudioHandlers() {
    view()->playRow = [this](int row) { PlayRow(row); };
    frame_->statusFigures = [this] { return audio_->refreshFigures(doc_->rows()); };
    frame_->onTimer = [this] { OnTimerTick(); };
    CWaveformPanel& waveform = *frame_->waveformPanel();
    waveform.sourceOf = [this](const Row& row) { return audio_->waveformSourceOf(*doc_, row); };
    waveform.playPosition = [this] { return audio_->playPosition(); };
    waveform.previewFrom = [this](int row, uint32_t frame) {
        (void)audio_->playRowFrom(*doc_, row, frame);
    };
    waveform.refresh();
}

// When no sound comes out the status bar says so, once.
void CQuillonApp::createAudioSystem() {
    (void)audio_->create();
    std::string notice = audio_->outputNotice();
    if (!notice.empty()) frame_->setPaneText(kPanePrompt, toQString(notice));
}

// While the test's bar holds the list, the toolbar behind it is not refreshed:
// a refresh would empty the music's status text as ambient voices come and go.
void CQuillonApp::OnTimerTick() {
    std::string playing = audio_->tick();
    // Without rows the refresh keeps panes 2 to 5 empty; the count waits for rows.
    if (!doc_->rows().empty()) frame_->setPaneText(kPanePlaying, toQString(playing));
    frame_->setPaneText(kPaneStatus, toQString(audio_->statusText()));
    if (view()->isEnabled()) frame_->refreshIfSamplePlayingChanged(audio_->editorVoicePlaying());
}

void CQuillonApp::PlayRow(int row) {
    (void)audio_->playRow(*doc_, row);
    frame_->waveformPanel()->followPlay();
    frame_->refreshIfSamplePlayingChanged(audio_->editorVoicePlaying());
}

void CQuillonApp::OnStopAll() {
    audio_->stopAll();
    frame_->updateCommandUI();
}

// The bar runs between the write of the temporary bank and the end steps; the
// list stays disabled meanwhile.
void CQuillonApp::OnPlayBank(BankTestKind kind) {
    BankTest test(*doc_, *audio_, kind);
    // Disabled, the list gives the keyboard focus away (to the side panel's
    // "Allow Save", which Space would then clear); enabled again, it takes
    // the focus back, as after the other long operations.
    test.setListEnabled = [this](bool enabled) {
        view()->setEnabled(enabled);
        if (enabled) view()->setFocus();
    };
    bool written = test.writeTemporaryBank();
    // The refresh the write made due runs now rather than under the bar, where
    // it would empty the music's first status text.
    frame_->updateCommandUI();
    if (!written) return;
    test.startSound();
    CMusicBarDialog bar(test, frame_->statusBar(), frame_.get());
    shell_->runMusicBar(bar);
    test.end();
    frame_->updateCommandUI();
}

// --- File commands ----------------------------------------------------------------

std::string CQuillonApp::documentName() const {
    if (doc_->pathName().empty()) return "Untitled";
    return splitAtLastSeparator(doc_->pathName()).name;
}

void CQuillonApp::afterDocumentChange() {
    view()->OnInitialUpdate();
    frame_->updateCommandUI();
}

void CQuillonApp::addRecentFile(const std::string& path) {
    recent_.add(path);
    frame_->setRecentFiles(recent_.paths());
}

void CQuillonApp::removeRecentFile(const std::string& path) {
    recent_.remove(path);
    frame_->setRecentFiles(recent_.paths());
}

void CQuillonApp::OnFileNew() {
    if (!SaveModified()) return;
    doc_->OnNewDocument();
    afterDocumentChange();
}

void CQuillonApp::OnFileOpen() {
    if (!SaveModified()) return;
    FileDialogRequest request;
    request.title = "Open";
    request.filter = kBankFilter;
    request.initialFolder = doc_->folders().fileOpen;
    FileDialogResult chosen = shell_->chooseFiles(request);
    if (chosen.paths.empty()) return;
    doc_->folders().fileOpen = chosen.folder;
    OpenDocumentFile(chosen.paths.front());
}

void CQuillonApp::OpenFileAfterAsking(const std::string& path) {
    if (!SaveModified()) return;
    OpenDocumentFile(path);
}

bool CQuillonApp::OpenDocumentFile(const std::string& path) {
    QFileInfo file(toQString(path));
    // A file that is not there leaves the open bank as it is.
    if (!file.isFile() || !file.isReadable()) {
        showStop(*shell_, "Cannot open the file\n" + path);
        removeRecentFile(path);
        return false;
    }
    std::string absolute = toStdString(file.absoluteFilePath());
    bool opened = doc_->OnOpenDocument(absolute);
    afterDocumentChange();
    if (!opened) {
        showStop(*shell_, absolute + "\nis not a sound bank, or it is damaged.");
        removeRecentFile(absolute);
        return false;
    }
    addRecentFile(absolute);
    offerRecovery();
    return true;
}

bool CQuillonApp::SaveModified() {
    if (!doc_->isModified()) return true;
    MessageAnswer answer =
        shell_->showMessage({"Save changes to " + documentName() + "?", std::string(),
                             MessageIcon::Exclamation, MessageButtons::SaveDiscardCancel});
    if (answer == MessageAnswer::Yes) return DoFileSave();
    return answer == MessageAnswer::No;
}

// A bank that has no file yet, or whose file may not be written (read-only,
// or "Allow Save" cleared), is saved under a name the user gives.
bool CQuillonApp::DoFileSave() {
    const std::string& path = doc_->pathName();
    bool writable = !path.empty() && doc_->values().allowSave && !isReadOnlyFile(path);
    return DoSave(writable ? path : std::string());
}

bool CQuillonApp::DoSave(const std::string& path) {
    std::string target = path;
    if (target.empty()) {
        FileDialogRequest request;
        request.save = true;
        request.title = "Save As";
        request.filter = kBankFilter;
        request.promptOverwrite = true;
        request.mode = FileDialogMode::Save;
        const std::string& current = doc_->pathName();
        request.initialFolder =
            current.empty() ? doc_->folders().fileOpen : splitAtLastSeparator(current).folder;
        request.defaultName =
            current.empty() ? kUntitledBankName : splitAtLastSeparator(current).name;
        FileDialogResult chosen = shell_->chooseFiles(request);
        if (chosen.paths.empty()) return false;
        target = chosen.paths.front();
    }
    if (!saveInTurn(target)) return false;
    if (path.empty()) addRecentFile(doc_->pathName());
    frame_->updateCommandUI();
    return true;
}

void CQuillonApp::OnFileSave() {
    DoFileSave();
}

void CQuillonApp::OnFileSaveAs() {
    DoSave(std::string());
}

void CQuillonApp::OnAppExit() {
    frame_->close();
}

void CQuillonApp::OnAppAbout() {
    CAboutDlg about(frame_.get());
    about.exec();
}

// --- Changes on disk ----------------------------------------------------------------

namespace {

// How long a save waits for quillon-cli's run on the same folder to end.
constexpr std::chrono::milliseconds kSaveLockPatience{3000};

}  // namespace

void CQuillonApp::setUpDiskWatch() {
    diskWatch_ = std::make_unique<CDiskWatch>(*doc_);
    CDiskChangeBar* bar = frame_->diskChangeBar();
    connect(diskWatch_.get(), &CDiskWatch::changedOnDisk, this, [this] { changedOnDisk(); });
    connect(diskWatch_.get(), &CDiskWatch::inStep, bar, &QWidget::hide);
    connect(bar, &CDiskChangeBar::reloadClicked, this, [this] { ReloadFromDisk(); });
}

// Read again unasked only when nothing of the user's can be lost and no
// command is half way: no unsaved edit, no open cell editor, no dialog or
// long operation running.
bool CQuillonApp::mayReloadUnasked() const {
    return !doc_->isModified() && !view()->isCellEditOpen() && view()->isEnabled() &&
           !QApplication::activeModalWidget();
}

void CQuillonApp::changedOnDisk() {
    if (shutDown_) return;  // the audio system and the rows are gone
    std::string name = splitLocalPath(doc_->pathName()).name;
    if (!mayReloadUnasked()) {
        frame_->setPaneText(kPanePrompt, tr("Ready"));
        frame_->diskChangeBar()->showFor(toQString(name));
        return;
    }
    if (ReloadFromDisk())
        frame_->setPaneText(kPanePrompt, toQString(name + " changed on disk and was read again"));
}

bool CQuillonApp::ReloadFromDisk() {
    ViewPlace place = viewPlace(*view());
    view()->CancelCellEdit();
    std::string path = doc_->pathName();
    if (!OpenDocumentFile(path)) return false;
    restoreViewPlace(*view(), place);
    return true;
}

// The question about a change on disk comes before the folder is locked, so
// no pipeline waits on a person. The save itself takes the folder in turn
// with quillon-cli's runs, so their saves never interleave; when a run keeps
// the folder too long, nothing is written. The document asks again should
// the file change once more in between.
bool CQuillonApp::saveInTurn(const std::string& target) {
    CDiskWatch::Hold hold(*diskWatch_);
    ViewPlace place = viewPlace(*view());
    switch (doc_->askAboutDiskChange(target)) {
        case DiskChangeAnswer::Reload:
            afterDocumentChange();
            restoreViewPlace(*view(), place);
            return false;
        case DiskChangeAnswer::Cancel:
            return false;
        case DiskChangeAnswer::Unchanged:
        case DiskChangeAnswer::Overwrite:
            break;
    }
    std::string folder = splitLocalPath(fileBehindLink(target)).folder;
    if (folder.empty() && target.starts_with('/')) folder = "/";
    FolderLock lock;
    if (lock.takeWithin(folder, kSaveLockPatience) == FolderLock::Taken::Busy) {
        showStop(*shell_, format("%s - another program is saving a bank in this folder - the "
                                 "bank was not saved; try again in a moment",
                                 target.c_str()));
        return false;
    }
    return doc_->OnSaveDocument(target);
}

// --- Crash recovery ------------------------------------------------------------------

namespace {

// The longest an edit waits before it is in the recovery file.
constexpr std::chrono::milliseconds kRecoveryWriteDelay{2000};

}  // namespace

// The timer starts at the first edit after a write and is not pushed back by
// the edits that follow, so none waits longer than the delay.
void CQuillonApp::setUpRecovery() {
    recovery_ = std::make_unique<RecoveryKeeper>(*doc_);
    recoveryTimer_.setSingleShot(true);
    recoveryTimer_.setInterval(kRecoveryWriteDelay);
    connect(&recoveryTimer_, &QTimer::timeout, this, [this] { (void)recovery_->write(); });
    recovery_->onWriteDue = [this] {
        if (!recoveryTimer_.isActive()) recoveryTimer_.start();
    };
}

void CQuillonApp::offerRecovery() {
    if (recovery_ && recovery_->offer() == RecoveryKeeper::Offer::Recovered)
        frame_->updateCommandUI();
}

// The close saved or discarded the edits: nothing is left to recover.
void CQuillonApp::closeRecovery() {
    recoveryTimer_.stop();
    if (recovery_) recovery_->remove();
    recovery_.reset();
}

// --- Printing ------------------------------------------------------------------------

QPrinter& CQuillonApp::printer() {
    if (!printer_) {
        printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
        // 28 columns read best across the wide side of the page.
        printer_->setPageOrientation(QPageLayout::Landscape);
    }
    printer_->setDocName(toQString(documentName()));
    return *printer_;
}

namespace {

QString printHeading(const CQuillonDoc& doc, const std::string& name) {
    return QStringLiteral("%1 - %2").arg(toQString(doc.values().title), toQString(name));
}

}  // namespace

void CQuillonApp::OnFilePrint() {
    QPrintDialog dialog(&printer(), frame_.get());
    if (dialog.exec() != QDialog::Accepted) return;
    printRowList(printer(), doc_->rows(), printHeading(*doc_, documentName()));
}

void CQuillonApp::OnFilePrintPreview() {
    QPrintPreviewDialog preview(&printer(), frame_.get());
    connect(&preview, &QPrintPreviewDialog::paintRequested, this, [this](QPrinter* target) {
        printRowList(*target, doc_->rows(), printHeading(*doc_, documentName()));
    });
    preview.exec();
}

void CQuillonApp::OnFilePrintSetup() {
    QPageSetupDialog dialog(&printer(), frame_.get());
    dialog.exec();
}

}  // namespace quillon
