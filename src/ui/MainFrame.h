// The main frame: menus, toolbar with the title field, the six-pane status bar
// and the list view, all built from the command table. Commands run through
// handlers registered one line each; a command without a handler stays
// disabled. One function decides every enabled state and the status panes.
#pragma once

#include <QMainWindow>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "audio/Preview.h"
#include "bank/QuillonDoc.h"
#include "ui/Commands.h"

class QDockWidget;
class QLabel;
class QMenu;
class QProgressBar;

namespace quillon {

class CBankToolBar;
class CDiskChangeBar;
class CQuillonView;
class CSidePanelBar;
class CWaveformPanel;
class CWaveformView;

class CMainFrame : public QMainWindow, public RowListObserver, public DocumentObserver {
    Q_OBJECT
  public:
    explicit CMainFrame(CQuillonDoc& doc, QWidget* parent = nullptr);
    ~CMainFrame() override;

    CQuillonView* view() const { return view_; }
    CBankToolBar* toolBar() const { return toolBar_; }
    CSidePanelBar* sidePanel() const { return sidePanel_; }
    // The waveform of the selected row: its panel, and the dock below the list.
    CWaveformPanel* waveformPanel() const { return waveformPanel_; }
    QDockWidget* waveformDock() const { return waveformDock_; }
    CWaveformView* waveformDockView() const { return waveformDockView_; }
    // The bar above the list that says the bank changed on disk.
    CDiskChangeBar* diskChangeBar() const { return diskChangeBar_; }
    QAction* action(CommandId id) const;
    QMenu* menu(MenuPlace place) const;
    QMenu* waveMenu() const { return menu(MenuPlace::Wave); }

    void setHandler(CommandId id, std::function<void()> handler);
    bool hasHandler(CommandId id) const { return handlers_.count(id) != 0; }

    // The recent file list in the File menu; choosing an entry calls
    // onOpenRecent with its path.
    void setRecentFiles(const std::vector<std::string>& paths);
    const std::vector<QAction*>& recentFileActions() const { return recentActions_; }
    std::function<void(const std::string& path)> onOpenRecent;

    // The refresh of every command's enabled state and of status panes 1 to 5.
    void updateCommandUI();
    // The same, when something changed since the last refresh.
    void updateCommandUIIfDirty();
    // From the sample preview, at every refresh: the status panes' figures and
    // whether a library voice plays (which enables Stop All). The preview
    // empties its status text then. Without it the panes are left alone.
    std::function<StatusFigures()> statusFigures;
    // A refresh is due when the preview's voices started or stopped playing
    // since the last one.
    void refreshIfSamplePlayingChanged(bool playing);
    // Every tick of the view's timer, before the refresh of a changed state.
    std::function<void()> onTimer;

    // Status bar panes 0 to 5.
    void setPaneText(int pane, const QString& text);
    QString paneText(int pane) const;
    QLabel* pane(int index) const { return panes_[size_t(index)]; }
    void beginProgress(int maximum);
    void setProgress(int position);
    void endProgress();
    QProgressBar* progressBar() const { return progress_; }
    // The list view, the menus, the toolbar and the title field together.
    void setMainWindowsEnabled(bool enabled);

    // Asked when the window is to close; false keeps it open.
    std::function<bool()> onClose;
    // A bank file dropped on the window.
    std::function<void(const std::string& path)> onFileDropped;

  protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // RowListObserver: any change of rows or selection may change a state.
    void rowsInserted(int, int) override { markDirty(); }
    void rowsRemoved(int, int) override { markDirty(); }
    void rowsChanged(int, int) override { markDirty(); }
    void reordered() override { markDirty(); }
    void reset() override { markDirty(); }
    void selectionChanged() override { markDirty(); }
    // DocumentObserver
    void bankValuesChanged() override { markDirty(); }
    void modifiedChanged() override { showTitle(); }
    void historyChanged() override { markDirty(); }
    void pathChanged() override { showTitle(); }

    void createActions();
    void createMenus();
    void createStatusBar();
    QMenu* addMenu(MenuPlace place, const QString& title, QMenu* parent);
    void refreshStatusPanes(const StatusFigures& figures);
    void markDirty();
    void nameHistorySteps();
    void showTitle();
    void placeProgressBar();
    void findMnemonicConflicts();
    void createWaveformDock();
    void createCentralArea();

    CQuillonDoc& doc_;
    CQuillonView* view_;
    CBankToolBar* toolBar_;
    CSidePanelBar* sidePanel_;
    CDiskChangeBar* diskChangeBar_ = nullptr;
    CWaveformPanel* waveformPanel_ = nullptr;
    QDockWidget* waveformDock_ = nullptr;
    CWaveformView* waveformDockView_ = nullptr;
    std::map<CommandId, QAction*> actions_;
    std::map<CommandId, std::function<void()>> handlers_;
    std::map<MenuPlace, QMenu*> menus_;
    QAction* recentPlaceholder_ = nullptr;
    QAction* recentSeparator_ = nullptr;
    std::vector<QAction*> recentActions_;
    std::vector<QLabel*> panes_;
    QProgressBar* progress_ = nullptr;
    // Accelerators that are also the mnemonic of a menu-bar title (Alt+E is
    // Extract and "&Edit"): the command wins while it is enabled.
    std::map<int, QAction*> mnemonicConflicts_;  // by QKeyCombination::toCombined()
    bool dirty_ = true;
    bool refreshQueued_ = false;
    bool samplePlayingAtRefresh_ = false;
};

}  // namespace quillon
