#include "ui/QuillonView.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QScopedValueRollback>
#include <QScrollBar>
#include <QToolButton>

#include "bank/CellEdit.h"
#include "bank/Columns.h"
#include "bank/ListOps.h"
#include "bank/SampleRecord.h"
#include "bank/Sorting.h"
#include "operations/SampleOps.h"
#include "platform/Numbers.h"
#include "platform/Text.h"
#include "ui/BankToolBar.h"
#include "ui/CellEdit.h"
#include "ui/Commands.h"
#include "ui/Icons.h"
#include "ui/QtText.h"

namespace quillon {

namespace {

constexpr int kTimerPeriodMs = 100;
// The repeat of a held Move button starts on the fourth tick after the press.
constexpr int kTicksBeforeRepeat = 3;
constexpr size_t kMaxDialogText = 255;

enum KeyBits : unsigned { kBitShift = 1, kBitCtrl = 2, kBitF = 4, kBitP = 8, kAllBits = 15 };

bool refused(MoveResult result) {
    return result == MoveResult::NotSortedByNumber || result == MoveResult::AtFirstRow ||
           result == MoveResult::AtLastRow;
}

}  // namespace

CQuillonView::CQuillonView(CQuillonDoc& doc, QWidget* parent)
    : QTableView(parent), doc_(doc), model_(new RowListModel(doc.rows(), this)) {
    setObjectName("sampleList");
    setModel(model_);
    setUpLook();
    setUpColumns();
    doc_.rows().addObserver(this);
    model_->onCheckToggled = [this](int) { doc_.setModified(); };
    connect(model_, &RowListModel::rowsReordered, this, &CQuillonView::afterReorder);
    connect(horizontalHeader(), &QHeaderView::sectionClicked, this, &CQuillonView::OnColumnClick);
    connect(&timer_, &QTimer::timeout, this, &CQuillonView::OnTimer);
    gateScrollBars();
    connect(horizontalHeader(), &QHeaderView::sectionResized, this, &CQuillonView::placeCellEdit);
}

CQuillonView::~CQuillonView() {
    doc_.rows().removeObserver(this);
}

void CQuillonView::setUpLook() {
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setAlternatingRowColors(true);
    setShowGrid(false);
    setWordWrap(false);
    setTextElideMode(Qt::ElideRight);
    setIconSize(QSize(kRowImageSize, kRowImageSize));
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setTabKeyNavigation(false);
    verticalHeader()->hide();
    // Fixed row heights keep scrolling and resets cheap with many thousand rows.
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(std::max(fontMetrics().height(), kRowImageSize) + 6);
    QHeaderView* header = horizontalHeader();
    header->setSectionsClickable(true);
    header->setHighlightSections(false);
    header->setStretchLastSection(false);
    header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    header->setSortIndicatorShown(false);
    // The selection stays visible while the focus is elsewhere (the title
    // field, a dialog): the user must see which rows a command will change.
    QPalette look = palette();
    for (QPalette::ColorRole role : {QPalette::Highlight, QPalette::HighlightedText})
        look.setColor(QPalette::Inactive, role, look.color(QPalette::Active, role));
    setPalette(look);
}

void CQuillonView::setUpColumns() {
    const auto& columns = columnTable();
    for (int c = 0; c < kColumnCount; ++c)
        setColumnWidth(c, columns[size_t(c)].width);
}

void CQuillonView::attachFrame(CBankToolBar* toolBar, QMenu* contextMenu,
                               std::function<void()> tick) {
    toolBar_ = toolBar;
    contextMenu_ = contextMenu;
    tick_ = std::move(tick);
}

void CQuillonView::OnInitialUpdate() {
    if (!initialised_) {
        initialised_ = true;
        if (onCreateAudioSystem) onCreateAudioSystem();
        timer_.start(kTimerPeriodMs);
        if (onFirstInitialUpdate) onFirstInitialUpdate();
    }
    syncSelectionFromRows();
}

// --- The in-place cell editor -------------------------------------------------

bool CQuillonView::ValidateAndCommitPendingEdit() {
    if (!ValidateCellEdit()) return false;
    CommitCellEdit();
    return true;
}

void CQuillonView::CommitPendingEdit() {
    CommitCellEdit();
}

void CQuillonView::BeginCellEdit(int row, int column) {
    CommitCellEdit();
    const RowList& rows = doc_.rows();
    if (row < 0 || row >= rows.size() || column < 0 || column >= kColumnCount) return;
    scrollTo(model_->index(row, column));
    auto* editor = new CCellEdit(*this, viewport());
    editor->setFont(font());
    cellEditShown_ = rows.cell(row, column);
    editor->setText(toQString(cellEditShown_));
    cellEdit_ = editor;
    cellEditRow_ = row;
    cellEditColumn_ = column;
    editColumn_ = column;
    placeCellEdit();
    editor->show();
    editor->selectAll();
    editor->setFocus();
}

// Over the cell; never lower than the edit needs to show its text.
void CQuillonView::placeCellEdit() {
    if (!cellEdit_) return;
    QRect cell = visualRect(model_->index(cellEditRow_, cellEditColumn_));
    int height = std::max(cell.height(), cellEdit_->minimumSizeHint().height());
    cellEdit_->setGeometry(cell.left(), cell.center().y() - height / 2, cell.width(), height);
}

void CQuillonView::closeCellEdit() {
    CCellEdit* editor = cellEdit_.data();
    cellEdit_.clear();
    if (!editor) return;
    bool hadFocus = editor->hasFocus();
    editor->hide();
    // Its own key handling may be what closes it.
    editor->deleteLater();
    if (hadFocus) setFocus();
}

// True unless every selected row already holds the text.
bool CQuillonView::commitWouldChangeCells(int column, const std::string& text) const {
    const RowList& rows = doc_.rows();
    for (int i = rows.nextSelected(0); i >= 0; i = rows.nextSelected(i + 1))
        if (rows.cell(i, column) != text) return true;
    return false;
}

void CQuillonView::CommitCellEdit() {
    if (!cellEdit_) return;
    std::string text = editedOrOriginal(cellEdit_->text(), cellEditShown_);
    const int column = cellEditColumn_, row = cellEditRow_;
    closeCellEdit();
    // A text field holds what its column allows; a cut never splits a character.
    const ColumnDescriptor& described = quillon::columnAt(column);
    if (described.kind == CellKind::Text)
        text = std::string(cutAtCharacter(text, described.keyBytes - 1));
    // Writing what every selected row already holds would only mark the bank
    // changed.
    if (commitWouldChangeCells(column, text)) quillon::CommitCellEdit(doc_, column, text);
    if (column == kColDescription && row < doc_.rows().size()) doc_.showSelectedItem(row);
}

void CQuillonView::CancelCellEdit() {
    closeCellEdit();
}

bool CQuillonView::ValidateCellEdit() {
    if (!cellEdit_) return true;
    std::string text = toStdString(cellEdit_->text());
    CellCheck check = quillon::ValidateCellEdit(cellEditColumn_, text);
    // A numeric text is shown as the number it was read as, valid or not.
    if (QString shown = toQString(text); shown != cellEdit_->text()) cellEdit_->setText(shown);
    if (check.valid) return true;
    showStop(doc_.shell(), check.message);
    if (cellEdit_) {
        cellEdit_->selectAll();
        cellEdit_->setFocus();
    }
    return false;
}

void CQuillonView::keyFromCellEdit(QKeyEvent* event) {
    keyPressEvent(event);
}

// A bank opened or started anew takes the cells away from under an open
// editor; what it held belonged to the old bank.
void CQuillonView::beforeReset() {
    CancelCellEdit();
}

// A scroll by scroll bar first validates a pending edit; an invalid value
// drops the scroll. A press is held back before the scroll bar sees it, so it
// never starts a drag or an auto-repeat behind the message; a wheel turn is
// undone before it takes effect.
void CQuillonView::gateScrollBars() {
    for (QScrollBar* bar : {verticalScrollBar(), horizontalScrollBar()}) {
        bar->installEventFilter(this);
        connect(bar, &QScrollBar::actionTriggered, this, [this, bar](int) {
            if (!ValidateAndCommitPendingEdit()) bar->setSliderPosition(bar->value());
        });
        connect(bar, &QScrollBar::valueChanged, this, &CQuillonView::placeCellEdit);
    }
}

bool CQuillonView::eventFilter(QObject* watched, QEvent* event) {
    bool onScrollBar = watched == verticalScrollBar() || watched == horizontalScrollBar();
    bool press =
        event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick;
    if (onScrollBar && press && isCellEditOpen() && !ValidateAndCommitPendingEdit()) return true;
    return QTableView::eventFilter(watched, event);
}

// --- Selection kept in step with the row list -------------------------------

void CQuillonView::selectionChanged(const QItemSelection& selected,
                                    const QItemSelection& deselected) {
    QTableView::selectionChanged(selected, deselected);
    if (syncing_) return;
    syncing_ = true;
    RowList& rows = doc_.rows();
    for (const QItemSelectionRange& range : deselected)
        for (int r = range.top(); r <= range.bottom(); ++r)
            if (r < rows.size() && !selectionModel()->isRowSelected(r, {}))
                rows.setSelected(r, false);
    for (const QItemSelectionRange& range : selected)
        for (int r = range.top(); r <= range.bottom(); ++r)
            if (r < rows.size()) rows.setSelected(r, true);
    syncing_ = false;
}

void CQuillonView::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    QTableView::currentChanged(current, previous);
    if (syncing_) return;
    syncing_ = true;
    doc_.rows().setCurrent(current.isValid() ? current.row() : -1);
    syncing_ = false;
}

void CQuillonView::selectionChanged() {
    if (!syncing_) scheduleSelectionSync();
}

// Operations change the selection row by row; one sync after them is enough.
void CQuillonView::scheduleSelectionSync() {
    if (selectionSyncPending_) return;
    selectionSyncPending_ = true;
    QMetaObject::invokeMethod(
        this, [this] { syncSelectionFromRows(); }, Qt::QueuedConnection);
}

void CQuillonView::syncSelectionFromRows() {
    selectionSyncPending_ = false;
    const RowList& rows = doc_.rows();
    QItemSelection selection;
    for (int first = rows.nextSelected(0); first >= 0;) {
        int last = first;
        while (last + 1 < rows.size() && rows.isSelected(last + 1))
            ++last;
        selection.select(model_->index(first, 0), model_->index(last, kColumnCount - 1));
        first = rows.nextSelected(last + 1);
    }
    syncing_ = true;
    selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
    int current = rows.current();
    if (current >= 0 && current < rows.size())
        selectionModel()->setCurrentIndex(model_->index(current, 0), QItemSelectionModel::NoUpdate);
    syncing_ = false;
}

void CQuillonView::currentChanged(int row) {
    if (syncing_ || row < 0 || row >= doc_.rows().size()) return;
    syncing_ = true;
    selectionModel()->setCurrentIndex(model_->index(row, 0), QItemSelectionModel::NoUpdate);
    syncing_ = false;
}

void CQuillonView::scrollRequested(int row) {
    if (row >= 0 && row < doc_.rows().size()) scrollTo(model_->index(row, 0));
}

void CQuillonView::afterReorder() {
    syncSelectionFromRows();
    if (doc_.rows().sortState().sortedByNumber && !doc_.rows().empty())
        horizontalHeader()->setSortIndicator(kColNo, Qt::AscendingOrder);
}

// --- Sorting, moving, numbering ----------------------------------------------

void CQuillonView::OnColumnClick(int column) {
    if (!ValidateAndCommitPendingEdit()) return;
    RowList& rows = doc_.rows();
    int direction = rows.sortState().direction[size_t(column)];
    quillon::sortByColumn(rows, column);
    QHeaderView* header = horizontalHeader();
    header->setSortIndicatorShown(true);
    header->setSortIndicator(column, direction == 0 ? Qt::AscendingOrder : Qt::DescendingOrder);
}

void CQuillonView::endHeldMove() {
    if (toolBar_) toolBar_->endRepeat();
}

// A refusal shows its message in a loop of its own, where the timer ticks on
// while the button is still down: no repeat may start another move until
// this one, message and all, is over and has ended the repeat.
void CQuillonView::OnMoveUp() {
    QScopedValueRollback<bool> running(moveRunning_, true);
    if (refused(moveSelectedUp(doc_))) endHeldMove();
}

void CQuillonView::OnMoveDown() {
    QScopedValueRollback<bool> running(moveRunning_, true);
    if (refused(moveSelectedDown(doc_))) endHeldMove();
}

void CQuillonView::OnRenumberBank() {
    renumberBank(doc_);
}

// --- The one-line dialogs ----------------------------------------------------

void CQuillonView::OnFind() {
    std::string text = doc_.texts().findText;
    if (doc_.shell().editText(TextDialog::Find, text))
        doc_.texts().findText = std::string(cutAtCharacter(text, kMaxDialogText));
    // Find runs whether the dialog was confirmed or cancelled.
    findRow(doc_);
}

void CQuillonView::OnFindNext() {
    findNextRow(doc_);
}

void CQuillonView::OnGoto() {
    std::string text = format("%d", doc_.texts().gotoNumber);
    if (doc_.shell().editText(TextDialog::Goto, text)) doc_.texts().gotoNumber = atoiLike(text);
    gotoRow(doc_);
}

void CQuillonView::OnWho() {
    std::string text = doc_.values().who;
    if (doc_.shell().editText(TextDialog::Who, text)) doc_.setWho(text);  // cut by the document
}

// --- Keys ----------------------------------------------------------------------

// A key that one of the commands takes (Shift+Delete is Cut's) belongs to that
// command even while the command is disabled: the list must not act on it.
bool CQuillonView::isCommandAccelerator(const QKeyEvent* event) const {
    QKeySequence pressed(event->keyCombination());
    for (const CommandInfo& info : commandTable())
        for (std::string_view accelerator : info.accelerators)
            if (!accelerator.empty() && QKeySequence(toQString(accelerator)) == pressed)
                return true;
    return false;
}

void CQuillonView::keyPressEvent(QKeyEvent* event) {
    if (selectionSyncPending_) syncSelectionFromRows();
    editOpenAtKey_ = isCellEditOpen();
    CommitPendingEdit();
    if (isCommandAccelerator(event)) {
        event->ignore();
        return;
    }
    if (event->key() == Qt::Key_Space) {
        // Space plays; the list's own Space (toggling the check box) never runs.
        int first = doc_.rows().nextSelected(0);
        if (first >= 0 && playRow) playRow(first);
        return;
    }
    QTableView::keyPressEvent(event);
    handleListKey(event);
    runKeyDialogs();
}

namespace {

// The keys the list acts on after its own handling.
bool isListKey(int key) {
    switch (key) {
        case Qt::Key_Insert:
        case Qt::Key_Delete:
        case Qt::Key_Backspace:
        case Qt::Key_Shift:
        case Qt::Key_Control:
        case Qt::Key_F:
        case Qt::Key_G:
        case Qt::Key_P:
        case Qt::Key_F3:
            return true;
        default:
            return false;
    }
}

}  // namespace

void CQuillonView::handleListKey(QKeyEvent* event) {
    if (isListKey(event->key())) event->accept();
    switch (event->key()) {
        case Qt::Key_Up:
        case Qt::Key_Down:
            comboBits_ = 0;
            if (int first = doc_.rows().nextSelected(0); first >= 0) {
                doc_.showSelectedItem(first);
                // An editor open as the key came follows the selection.
                if (editOpenAtKey_ && canEditColumn(doc_, editColumn_))
                    BeginCellEdit(first, editColumn_);
            }
            break;
        case Qt::Key_Insert:
            comboBits_ = 0;
            // The key is Add/Insert's and keeps its rule: no wave file goes
            // into a music bank, whose rows are sections of one stream.
            if (commandRuleAllows(CommandId::WaveAddInsert, commandFacts(doc_, false)))
                insertKeyAdd(doc_);
            break;
        case Qt::Key_Delete:
        case Qt::Key_Backspace:
            comboBits_ = 0;
            deleteSelectedRows(doc_);
            break;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            comboBits_ = 0;
            break;
        case Qt::Key_Shift:
            comboBits_ |= kBitShift;
            break;
        case Qt::Key_Control:
            findArmed_ = gotoArmed_ = true;
            comboBits_ |= kBitCtrl;
            break;
        case Qt::Key_F:
            findKey_ = true;
            comboBits_ |= kBitF;
            gotoArmed_ = gotoKey_ = false;
            break;
        case Qt::Key_G:
            gotoKey_ = true;
            findArmed_ = findKey_ = false;
            comboBits_ = 0;
            break;
        case Qt::Key_P:
            comboBits_ |= kBitP;
            break;
        case Qt::Key_F3:
            OnFindNext();
            findArmed_ = findKey_ = false;
            break;
        default:
            findArmed_ = findKey_ = gotoArmed_ = gotoKey_ = false;
            comboBits_ = 0;
            break;
    }
}

void CQuillonView::runKeyDialogs() {
    if (comboBits_ == kAllBits) {
        comboBits_ = 0;
        findArmed_ = findKey_ = gotoArmed_ = gotoKey_ = false;
        OnWho();
    } else if (findArmed_ && findKey_) {
        findArmed_ = findKey_ = false;
        OnFind();
    } else if (gotoArmed_ && gotoKey_) {
        gotoArmed_ = gotoKey_ = false;
        OnGoto();
    }
}

void CQuillonView::keyReleaseEvent(QKeyEvent* event) {
    // A held key repeats as release and press pairs; only a real release counts.
    if (!event->isAutoRepeat()) {
        findArmed_ = findKey_ = false;
        comboBits_ = 0;
    }
    QTableView::keyReleaseEvent(event);
}

// While a cell editor is open the keyboard is its own: a key that reached the
// list would write the pending value unchecked. The focus can come back to
// the list past the editor (Shift+Tab from the side panel); it goes on to
// the editor.
void CQuillonView::focusInEvent(QFocusEvent* event) {
    QTableView::focusInEvent(event);
    if (cellEdit_) cellEdit_->setFocus();
}

// --- Mouse -----------------------------------------------------------------------

bool CQuillonView::isOnRowImage(const QPoint& point) const {
    QModelIndex index = indexAt(point);
    if (!index.isValid() || index.column() != kColNo) return false;
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    option.rect = visualRect(index);
    option.features |= QStyleOptionViewItem::HasDecoration |
                       QStyleOptionViewItem::HasCheckIndicator | QStyleOptionViewItem::HasDisplay;
    option.decorationSize = iconSize();
    option.icon = rowIcon();
    option.text = model_->data(index, Qt::DisplayRole).toString();
    QRect image = style()->subElementRect(QStyle::SE_ItemViewItemDecoration, &option, this);
    return image.contains(point);
}

void CQuillonView::mousePressEvent(QMouseEvent* event) {
    if (selectionSyncPending_) syncSelectionFromRows();
    if (event->button() == Qt::RightButton) {
        // The press answers for the context menu that follows it, shown or not.
        contextMenuSettledByPress_ = true;
        // A pending value belongs to the rows selected now: it is written
        // before the press selects another row, and an invalid one stops it.
        if (!ValidateAndCommitPendingEdit()) return;
        QTableView::mousePressEvent(event);
        showContextMenuAt(event->globalPosition().toPoint());
        return;
    }
    if (event->button() != Qt::LeftButton) {
        // Any press selects the row it lands on: a pending value is written
        // to the rows it was typed for first, and an invalid one stops it.
        if (!ValidateAndCommitPendingEdit()) return;
        QTableView::mousePressEvent(event);
        return;
    }
    pressDropped_ = true;
    if (doc_.rows().empty()) return;
    if (!ValidateAndCommitPendingEdit()) return;
    QModelIndex index = indexAt(event->position().toPoint());
    // Off the rows the list's own handling does not run, so the selection stays.
    if (!index.isValid()) return;
    pressDropped_ = false;
    doc_.showSelectedItem(index.row());
    if (isOnRowImage(event->position().toPoint())) {
        editColumn_ = kColNo;
        if (playRow) playRow(index.row());
    }
    QTableView::mousePressEvent(event);
}

// The list would sweep rows into the selection from the point of its last
// own press, and take a release over that row's check box as a click on it.
void CQuillonView::mouseMoveEvent(QMouseEvent* event) {
    if (pressDropped_ && (event->buttons() & Qt::LeftButton)) return;
    QTableView::mouseMoveEvent(event);
}

void CQuillonView::mouseReleaseEvent(QMouseEvent* event) {
    if (pressDropped_ && event->button() == Qt::LeftButton) {
        pressDropped_ = false;
        return;
    }
    QTableView::mouseReleaseEvent(event);
}

void CQuillonView::mouseDoubleClickEvent(QMouseEvent* event) {
    QModelIndex index = indexAt(event->position().toPoint());
    if (!index.isValid() || event->button() != Qt::LeftButton) return;
    // A value still pending is checked like any click's; opening the new
    // editor would otherwise write it unchecked.
    if (!ValidateAndCommitPendingEdit()) return;
    // The list's own handling first: it may treat the event as a press, which
    // would settle an editor opened before it.
    QTableView::mouseDoubleClickEvent(event);
    editColumn_ = index.column();
    doc_.rows().setSelected(index.row(), true);
    if (canEditColumn(doc_, index.column()))
        BeginCellEdit(index.row(), index.column());
    else
        CommitPendingEdit();
}

void CQuillonView::contextMenuEvent(QContextMenuEvent* event) {
    // The press already showed the menu, or refused it; a keyboard request
    // shows it at the current row.
    if (event->reason() == QContextMenuEvent::Mouse && contextMenuSettledByPress_) {
        contextMenuSettledByPress_ = false;
        event->accept();
        return;
    }
    QPoint at = viewport()->mapToGlobal(visualRect(currentIndex()).bottomLeft());
    if (!currentIndex().isValid()) at = event->globalPos();
    showContextMenuAt(at);
    event->accept();
}

void CQuillonView::showContextMenuAt(const QPoint& globalPos) {
    if (contextMenu_) contextMenu_->popup(globalPos);
}

// --- Timer -------------------------------------------------------------------------

void CQuillonView::OnTimer() {
    // Held toolbar buttons repeat only while the main windows take input, not
    // during a save that lets events through.
    if (toolBar_ && toolBar_->isButtonHeld() && isEnabled() && !moveRunning_) {
        int ticks = toolBar_->countHeldTick();
        if (ticks > kTicksBeforeRepeat) {
            if (toolBar_->pressedButtonIndex() == CBankToolBar::kMoveUpIndex)
                OnMoveUp();
            else if (toolBar_->pressedButtonIndex() == CBankToolBar::kMoveDownIndex)
                OnMoveDown();
        }
    }
    if (tick_) tick_();
}

}  // namespace quillon
