#include "ui/MainFrame.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDockWidget>
#include <QFileInfo>
#include <QLabel>
#include <QMenuBar>
#include <QMimeData>
#include <QProgressBar>
#include <QStatusBar>
#include <QToolButton>
#include <QVBoxLayout>

#include "ui/BankToolBar.h"
#include "ui/DiskChangeBar.h"
#include "ui/Icons.h"
#include "ui/QtText.h"
#include "ui/QuillonView.h"
#include "ui/SidePanelBar.h"
#include "ui/WaveformPanel.h"
#include "ui/WaveformView.h"

namespace quillon {

namespace {

// The texts that size status panes 1 to 5.
const char* const kPaneSizingTexts[] = {
    "                                                            ",  // 60 blanks
    "9999", "9999", "10000000000", "10000000000"};

QString recentEntryText(int index, const std::string& path, const QFontMetrics& metrics) {
    QString shown =
        metrics.elidedText(toQString(path), Qt::ElideMiddle, metrics.averageCharWidth() * 60);
    shown.replace('&', "&&");
    return QStringLiteral("&%1 %2").arg(index + 1).arg(shown);
}

}  // namespace

CMainFrame::CMainFrame(CQuillonDoc& doc, QWidget* parent)
    : QMainWindow(parent),
      doc_(doc),
      view_(new CQuillonView(doc, this)),
      toolBar_(new CBankToolBar(doc, this)),
      sidePanel_(new CSidePanelBar(doc, this)) {
    setObjectName("mainFrame");
    setWindowIcon(applicationIcon());
    setAcceptDrops(true);
    setContextMenuPolicy(Qt::NoContextMenu);
    createCentralArea();
    createActions();
    createMenus();
    addToolBar(Qt::TopToolBarArea, toolBar_);
    addDockWidget(Qt::LeftDockWidgetArea, sidePanel_);
    createWaveformDock();
    std::vector<QAction*> buttons;
    for (CommandId id : toolbarCommands())
        buttons.push_back(action(id));
    toolBar_->addButtons(buttons);
    toolBar_->setPressGate([this] { return view_->ValidateAndCommitPendingEdit(); });
    createStatusBar();
    view_->attachFrame(toolBar_, waveMenu(), [this] {
        if (onTimer) onTimer();
        updateCommandUIIfDirty();
    });
    findMnemonicConflicts();
    qApp->installEventFilter(this);
    doc_.rows().addObserver(this);
    doc_.addObserver(this);
    showTitle();
    view_->setFocus();
}

CMainFrame::~CMainFrame() {
    qApp->removeEventFilter(this);
    doc_.rows().removeObserver(this);
    doc_.removeObserver(this);
}

QAction* CMainFrame::action(CommandId id) const {
    auto it = actions_.find(id);
    return it == actions_.end() ? nullptr : it->second;
}

QMenu* CMainFrame::menu(MenuPlace place) const {
    auto it = menus_.find(place);
    return it == menus_.end() ? nullptr : it->second;
}

void CMainFrame::createActions() {
    for (const CommandInfo& info : commandTable()) {
        auto* act = new QAction(this);
        act->setObjectName(QStringLiteral("command%1").arg(int(info.id)));
        QString tooltip = toQString(tooltipText(info));
        act->setText(info.menuText.empty() ? tooltip : toQString(info.menuText));
        act->setStatusTip(toQString(promptText(info)));
        act->setToolTip(tooltip.isEmpty() ? toQString(promptText(info)) : tooltip);
        QList<QKeySequence> keys;
        for (std::string_view key : info.accelerators)
            if (!key.empty()) keys << QKeySequence(toQString(key));
        act->setShortcuts(keys);
        if (info.toolbarPosition > 0) act->setIcon(toolbarIcon(info.id));
        act->setEnabled(false);
        CommandId id = info.id;
        connect(act, &QAction::triggered, this, [this, id] {
            auto it = handlers_.find(id);
            if (it == handlers_.end() || !action(id)->isEnabled()) return;
            // A command reached by its key while a cell editor is open checks
            // the pending value first, as a toolbar press does: an invalid
            // value stops it, a valid one is written before it runs.
            if (!view_->ValidateAndCommitPendingEdit()) return;
            it->second();
        });
        actions_[info.id] = act;
        addAction(act);  // shortcuts work without the menus open
    }
    for (CommandId id : {CommandId::ViewToolbar, CommandId::ViewStatusBar}) {
        action(id)->setCheckable(true);
        action(id)->setChecked(true);
    }
    setHandler(CommandId::ViewToolbar,
               [this] { toolBar_->setVisible(action(CommandId::ViewToolbar)->isChecked()); });
    setHandler(CommandId::ViewStatusBar,
               [this] { statusBar()->setVisible(action(CommandId::ViewStatusBar)->isChecked()); });
    setHandler(CommandId::ViewResetColumns, [this] { view_->resetColumns(); });
    action(CommandId::ViewWaveform)->setCheckable(true);
    setHandler(CommandId::ViewWaveform,
               [this] { waveformDock_->setVisible(action(CommandId::ViewWaveform)->isChecked()); });
}

// The list, with the bar that says the bank changed on disk above it.
void CMainFrame::createCentralArea() {
    auto* area = new QWidget(this);
    auto* layout = new QVBoxLayout(area);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    diskChangeBar_ = new CDiskChangeBar(area);
    layout->addWidget(diskChangeBar_);
    layout->addWidget(view_, 1);
    setCentralWidget(area);
}

// The dock sits below the list only: the side panel keeps the left edge.
void CMainFrame::createWaveformDock() {
    waveformPanel_ = new CWaveformPanel(doc_.rows(), this);
    waveformDock_ = new QDockWidget(tr("Waveform"), this);
    waveformDock_->setObjectName("waveformDock");
    waveformDock_->setAllowedAreas(Qt::BottomDockWidgetArea | Qt::TopDockWidgetArea);
    waveformDock_->setFeatures(QDockWidget::DockWidgetClosable | QDockWidget::DockWidgetMovable);
    waveformDockView_ = new CWaveformView(waveformDock_);
    waveformDockView_->setMinimumHeight(120);
    waveformDock_->setWidget(waveformDockView_);
    setCorner(Qt::BottomLeftCorner, Qt::LeftDockWidgetArea);
    addDockWidget(Qt::BottomDockWidgetArea, waveformDock_);
    waveformDock_->hide();
    connect(waveformDock_, &QDockWidget::visibilityChanged, this, [this] { markDirty(); });
    waveformPanel_->addView(sidePanel_->waveform());
    waveformPanel_->addView(waveformDockView_);
}

QMenu* CMainFrame::addMenu(MenuPlace place, const QString& title, QMenu* parent) {
    QMenu* menu = parent ? parent->addMenu(title) : menuBar()->addMenu(title);
    menus_[place] = menu;
    // Opening a menu settles a pending cell edit (the menu opens whatever the
    // value) and brings every command's state up to date.
    connect(menu, &QMenu::aboutToShow, this, [this] {
        view_->ValidateAndCommitPendingEdit();
        updateCommandUI();
    });
    return menu;
}

void CMainFrame::createMenus() {
    QMenu* file = addMenu(MenuPlace::File, QStringLiteral("&File"), nullptr);
    addMenu(MenuPlace::Wave, QStringLiteral("Wave"), nullptr);
    addMenu(MenuPlace::Edit, QStringLiteral("&Edit"), nullptr);
    addMenu(MenuPlace::View, QStringLiteral("&View"), nullptr);
    addMenu(MenuPlace::Help, QStringLiteral("&Help"), nullptr);
    for (const CommandInfo& info : commandTable()) {
        if (info.menu == MenuPlace::None) continue;
        if (info.menu == MenuPlace::GenerateHeader && !menu(MenuPlace::GenerateHeader))
            addMenu(MenuPlace::GenerateHeader, QStringLiteral("Generate Header"), file);
        QMenu* target = menu(info.menu);
        if (info.id == CommandId::RecentFile) {
            recentPlaceholder_ = action(info.id);
            target->addAction(recentPlaceholder_);
            recentSeparator_ = target->addSeparator();
            continue;
        }
        target->addAction(action(info.id));
        if (info.separatorAfter) target->addSeparator();
    }
}

void CMainFrame::createStatusBar() {
    QStatusBar* bar = statusBar();
    bar->setObjectName("statusBar");
    for (int i = 0; i < 6; ++i) {
        auto* label = new QLabel(bar);
        label->setObjectName(QStringLiteral("pane%1").arg(i));
        label->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
        label->setContentsMargins(4, 0, 4, 0);
        if (i == 0) {
            label->setText(tr("Ready"));
            bar->addWidget(label, 1);
        } else {
            QString sizing = QString::fromLatin1(kPaneSizingTexts[i - 1]);
            label->setMinimumWidth(label->fontMetrics().horizontalAdvance(sizing) + 12);
            label->setAlignment(i == 1 ? Qt::AlignLeft | Qt::AlignVCenter
                                       : Qt::AlignRight | Qt::AlignVCenter);
            bar->addPermanentWidget(label);
        }
        panes_.push_back(label);
    }
    progress_ = new QProgressBar(bar);
    progress_->setObjectName("progressBar");
    progress_->setTextVisible(false);
    progress_->hide();
}

void CMainFrame::setHandler(CommandId id, std::function<void()> handler) {
    handlers_[id] = std::move(handler);
    markDirty();
}

void CMainFrame::setRecentFiles(const std::vector<std::string>& paths) {
    QMenu* file = menu(MenuPlace::File);
    for (QAction* old : recentActions_) {
        file->removeAction(old);
        old->deleteLater();
    }
    recentActions_.clear();
    recentPlaceholder_->setVisible(paths.empty());
    for (size_t i = 0; i < paths.size(); ++i) {
        auto* entry = new QAction(recentEntryText(int(i), paths[i], fontMetrics()), this);
        entry->setStatusTip(toQString(promptText(commandInfo(CommandId::RecentFile))));
        std::string path = paths[i];
        connect(entry, &QAction::triggered, this, [this, path] {
            if (onOpenRecent) onOpenRecent(path);
        });
        file->insertAction(recentSeparator_, entry);
        recentActions_.push_back(entry);
    }
}

// --- The one refresh --------------------------------------------------------------

void CMainFrame::markDirty() {
    dirty_ = true;
    if (refreshQueued_) return;
    refreshQueued_ = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            refreshQueued_ = false;
            updateCommandUIIfDirty();
        },
        Qt::QueuedConnection);
}

void CMainFrame::updateCommandUIIfDirty() {
    if (dirty_) updateCommandUI();
}

void CMainFrame::updateCommandUI() {
    dirty_ = false;
    StatusFigures figures = statusFigures ? statusFigures() : StatusFigures{};
    samplePlayingAtRefresh_ = figures.stopAllEnabled;
    CommandFacts facts = commandFacts(doc_, figures.stopAllEnabled);
    for (const auto& [id, act] : actions_) {
        // The "Recent File" placeholder shows, disabled, while the list is
        // empty; the entries themselves are always enabled.
        bool allowed =
            id != CommandId::RecentFile && hasHandler(id) && commandRuleAllows(id, facts);
        if (act->isEnabled() != allowed) act->setEnabled(allowed);
    }
    action(CommandId::ViewToolbar)->setChecked(!toolBar_->isHidden());
    action(CommandId::ViewStatusBar)->setChecked(!statusBar()->isHidden());
    action(CommandId::ViewWaveform)->setChecked(!waveformDock_->isHidden());
    nameHistorySteps();
    if (statusFigures) refreshStatusPanes(figures);
}

// Undo and Redo name the step they take: "Undo Delete 3 Samples".
void CMainFrame::nameHistorySteps() {
    auto name = [this](CommandId id, const QString& verb, const std::string& step) {
        QString keys = action(id)->shortcut().toString(QKeySequence::NativeText);
        QString text = step.empty() ? verb : verb + QLatin1Char(' ') + toQString(step);
        text.replace(QLatin1Char('&'), QLatin1String("&&"));
        text.insert(0, QLatin1Char('&'));
        if (!keys.isEmpty()) text += QLatin1Char('\t') + keys;
        if (action(id)->text() != text) action(id)->setText(text);
    };
    name(CommandId::EditUndo, tr("Undo"), doc_.history().undoName());
    name(CommandId::EditRedo, tr("Redo"), doc_.history().redoName());
}

void CMainFrame::refreshIfSamplePlayingChanged(bool playing) {
    if (playing != samplePlayingAtRefresh_) markDirty();
}

void CMainFrame::refreshStatusPanes(const StatusFigures& figures) {
    setPaneText(kPaneStatus, toQString(figures.status));
    setPaneText(kPanePlaying, toQString(figures.playing));
    setPaneText(kPaneRows, toQString(figures.rowCount));
    setPaneText(kPaneSelectedBytes, toQString(figures.selectedBytes));
    setPaneText(kPaneTotalBytes, toQString(figures.totalBytes));
}

// --- Status bar and progress --------------------------------------------------------

void CMainFrame::setPaneText(int pane, const QString& text) {
    if (pane < 0 || pane >= int(panes_.size())) return;
    if (pane == 0 && text.isEmpty()) {
        panes_[0]->setText(tr("Ready"));
        return;
    }
    if (panes_[size_t(pane)]->text() != text) panes_[size_t(pane)]->setText(text);
}

QString CMainFrame::paneText(int pane) const {
    return pane >= 0 && pane < int(panes_.size()) ? panes_[size_t(pane)]->text() : QString();
}

void CMainFrame::placeProgressBar() {
    QLabel* status = panes_[1];
    progress_->setGeometry(status->geometry());
    progress_->raise();
}

void CMainFrame::beginProgress(int maximum) {
    progress_->setRange(0, std::max(maximum, 0));
    progress_->setValue(0);
    placeProgressBar();
    progress_->show();
    progress_->repaint();
}

// Long operations run without the event loop: the bar paints at once.
void CMainFrame::setProgress(int position) {
    if (position == progress_->value()) return;
    progress_->setValue(position);
    progress_->repaint();
}

void CMainFrame::endProgress() {
    progress_->hide();
}

void CMainFrame::setMainWindowsEnabled(bool enabled) {
    menuBar()->setEnabled(enabled);
    toolBar_->setEnabled(enabled);
    view_->setEnabled(enabled);
}

// --- Title, closing, dropped files -----------------------------------------------------

void CMainFrame::showTitle() {
    QString name =
        doc_.pathName().empty() ? tr("Untitled") : QFileInfo(toQString(doc_.pathName())).fileName();
    setWindowTitle(QStringLiteral("%1[*] - Quillon").arg(name));
    setWindowModified(doc_.isModified());
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    if (onClose && !onClose()) {
        event->ignore();
        return;
    }
    event->accept();
}

namespace {

QString firstLocalFile(const QMimeData* data) {
    if (!data || !data->hasUrls()) return {};
    for (const QUrl& url : data->urls())
        if (url.isLocalFile()) return url.toLocalFile();
    return {};
}

}  // namespace

void CMainFrame::dragEnterEvent(QDragEnterEvent* event) {
    if (!firstLocalFile(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void CMainFrame::dropEvent(QDropEvent* event) {
    QString path = firstLocalFile(event->mimeData());
    if (path.isEmpty()) return;
    event->acceptProposedAction();
    if (onFileDropped) onFileDropped(toStdString(path));
}

// --- Accelerators that are also menu mnemonics ---------------------------------------

void CMainFrame::findMnemonicConflicts() {
    for (QAction* title : menuBar()->actions()) {
        QKeySequence mnemonic = QKeySequence::mnemonic(title->text());
        if (mnemonic.isEmpty()) continue;
        for (const auto& [id, act] : actions_)
            if (act->shortcuts().contains(mnemonic))
                mnemonicConflicts_[mnemonic[0].toCombined()] = act;
    }
}

// While such a command is enabled its key is taken before Qt's shortcut
// lookup, which would otherwise find two owners and run neither.
bool CMainFrame::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::ShortcutOverride && event->type() != QEvent::KeyPress)
        return QMainWindow::eventFilter(watched, event);
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget || widget->window() != this) return false;
    auto* key = static_cast<QKeyEvent*>(event);
    auto it = mnemonicConflicts_.find(key->keyCombination().toCombined());
    if (it == mnemonicConflicts_.end() || !it->second->isEnabled()) return false;
    if (event->type() == QEvent::ShortcutOverride) {
        event->accept();
        return false;
    }
    it->second->trigger();
    return true;
}

}  // namespace quillon
