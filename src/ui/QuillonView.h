// The sample list view: a table of the row list's 28 columns with the row
// image and the playback check box in front of the No, full-row selection kept
// in step with the row list both ways, the header-click sort, the list's mouse
// bindings and the 100 ms timer. Its keys and the cell edit's life are the
// editor layer's (ListKeySequence, CellEditSession); the view turns Qt events
// into their inputs and draws the edit widget.
#pragma once

#include <QPointer>
#include <QTableView>
#include <QTimer>
#include <functional>

#include "bank/QuillonDoc.h"
#include "editor/AppSettings.h"
#include "editor/CellEditSession.h"
#include "editor/ListKeys.h"
#include "ui/CellEdit.h"
#include "ui/RowListModel.h"

class QMenu;

namespace quillon {

class CBankToolBar;

class CQuillonView : public QTableView, public RowListObserver {
    Q_OBJECT
  public:
    explicit CQuillonView(CQuillonDoc& doc, QWidget* parent = nullptr);
    ~CQuillonView() override;

    CQuillonDoc& document() { return doc_; }
    RowListModel& rowModel() { return *model_; }

    // Called after every new or opened document. The first call creates the
    // audio system (`onCreateAudioSystem`), starts the timer and runs
    // `onFirstInitialUpdate` (the settings are read there), in that order.
    void OnInitialUpdate();
    std::function<void()> onCreateAudioSystem;
    std::function<void()> onFirstInitialUpdate;

    // What the view needs of the frame: the toolbar's held-button state, the
    // Wave menu shown as the context menu, and the refresh run on every tick.
    void attachFrame(CBankToolBar* toolBar, QMenu* contextMenu, std::function<void()> tick);

    // The list's commands.
    void OnMoveUp();
    void OnMoveDown();
    void OnColumnClick(int column);

    // Validates and commits a pending cell edit; false when its value is
    // invalid and the caller's action must stop (the message was shown and
    // the editor keeps its text, all of it selected, and the focus).
    bool ValidateAndCommitPendingEdit();

    // The in-place cell editor. At most one is open. BeginCellEdit commits an
    // open one first (without validating it), then lays a new one over the
    // cell with the cell's text, all of it selected, and gives it the focus.
    void BeginCellEdit(int row, int column);
    // Writes the editor's text into the cell of every selected row, then
    // closes the editor. Keys in the list commit this way, unchecked.
    void CommitCellEdit();
    // Closes the editor without writing anything.
    void CancelCellEdit();
    // Checks the editor's text for its column, rewriting a numeric text as
    // the cell will show it ("12abc" becomes "12"). On a refusal the message
    // is shown, and the editor keeps its text, all selected, and the focus.
    // Valid when no editor is open.
    bool ValidateCellEdit();
    bool isCellEditOpen() const { return session_.isOpen(); }
    // The open editor: the line edit, or the Play Type drop-down.
    CCellEdit* cellEdit() const;
    CPlayTypeBox* playTypeBox() const;
    QWidget* editWidget() const { return editWidget_.data(); }
    // The open edit's cell, and the column Up and Down reopen it in (that of
    // the last double click, or 0 after a click on a row image).
    const CellEditSession& cellEditSession() const { return session_; }
    // Up and Down from an open editor with a valid value: handled as the
    // list's own keys, which commit, move the selection and reopen the editor.
    void keyFromCellEdit(QKeyEvent* event);
    // Tab (`step` 1) and Shift+Tab (-1) from an open editor: a valid value is
    // written and the editor opens on the next or previous editable cell of
    // the row, in the order the columns are shown; past the row's last
    // editable cell it stays closed, the focused cell on the one just written.
    void tabFromCellEdit(int step);

    // The column of the focused cell: the one the arrow keys, Home and End,
    // a click or an edit reached last. F2 and Enter edit this cell.
    int currentColumn() const;
    // The logical columns in the order they are shown, hidden ones left out.
    std::vector<int> shownColumns() const;

    // The columns' layout. At every open each column the user has not sized
    // is fitted to its title and its widest expected text (and the texts of
    // the rows in fixed columns); widths the user dragged, the order and the
    // hidden columns (the header's context menu) are kept and restored.
    ColumnLayout columnLayout() const;
    void applyColumnLayout(const ColumnLayout& layout);
    // View > Reset Columns: every column shown, in table order, fitted.
    void resetColumns();
    int fittedColumnWidth(int column) const;
    // True when the cell's text does not fit its column and shows cut (its
    // tooltip then holds the whole text).
    bool isCellTextCut(int row, int column) const;
    void fitColumns();

    // Plays a row (a click on its image, Space); the application gives the
    // sample preview here. Without it nothing plays.
    std::function<void(int row)> playRow;

    // True when the point (viewport coordinates) lies on the row image of
    // column 0 rather than on its text or check box.
    bool isOnRowImage(const QPoint& point) const;

    // Brings the view's selection in line with the row list now, instead of
    // when the event loop next runs.
    void syncSelectionFromRows();

    // Timer 7: every 100 ms it repeats a held Move button, then runs the
    // frame's tick (the audio library's tick, the status panes, the refresh).
    void OnTimer();
    QTimer& timer() { return timer_; }

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void selectionChanged(const QItemSelection& selected,
                          const QItemSelection& deselected) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // RowListObserver
    void selectionChanged() override;
    void currentChanged(int row) override;
    void scrollRequested(int row) override;
    void beforeReset() override;

    void setUpLook();
    void setUpColumns();
    void afterReorder();
    void scheduleSelectionSync();
    bool isCommandAccelerator(const QKeyEvent* event) const;
    void showContextMenuAt(const QPoint& globalPos);
    void endHeldMove();
    void keepKeyboardOnMovedRow();
    void gateScrollBars();
    void placeCellEdit();
    void showHeaderMenu(const QPoint& at);
    void columnResized(int column, int oldWidth, int newWidth);
    void closeCellEdit();
    QString editorText() const;
    void setCurrentCell(int row, int column);

    CQuillonDoc& doc_;
    RowListModel* model_;
    QTimer timer_;
    CBankToolBar* toolBar_ = nullptr;
    QMenu* contextMenu_ = nullptr;
    std::function<void()> tick_;
    bool initialised_ = false;
    bool syncing_ = false;
    bool selectionSyncPending_ = false;
    bool contextMenuSettledByPress_ = false;
    // The left press now held was kept from the list (off the rows, or an
    // invalid pending value): its drag and release are not the list's either.
    bool pressDropped_ = false;
    // A Move command runs (its refusal message may be up).
    bool moveRunning_ = false;
    // The edit's cell and texts; the widget drawn over the cell while it is open.
    CellEditSession session_;
    QPointer<QWidget> editWidget_;
    ListKeySequence listKeys_;
    // Widths the user chose, by column; 0 where the column is fitted.
    std::vector<int> userWidths_ = std::vector<int>(kColumnCount, 0);
    bool fittingColumns_ = false;
};

}  // namespace quillon
