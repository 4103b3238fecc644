#include "ui/QuillonView.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QScopedValueRollback>
#include <QScrollBar>
#include <QToolButton>

#include "bank/Columns.h"
#include "bank/ListOps.h"
#include "bank/Sorting.h"
#include "editor/ListCommands.h"
#include "ui/BankToolBar.h"
#include "ui/CellEdit.h"
#include "ui/Commands.h"
#include "ui/Icons.h"
#include "ui/ListDelegate.h"
#include "ui/QtText.h"

namespace quillon {

namespace {

constexpr int kTimerPeriodMs = 100;
// The repeat of a held Move button starts on the fourth tick after the press.
constexpr int kTicksBeforeRepeat = 3;

bool refused(MoveResult result) {
    return result == MoveResult::NotSortedByNumber || result == MoveResult::AtFirstRow ||
           result == MoveResult::AtLastRow;
}

}  // namespace

CQuillonView::CQuillonView(CQuillonDoc& doc, QWidget* parent)
    : QTableView(parent), doc_(doc), model_(new RowListModel(doc.rows(), this)), session_(doc) {
    setObjectName("sampleList");
    setModel(model_);
    setUpLook();
    setUpColumns();
    doc_.rows().addObserver(this);
    connect(model_, &RowListModel::rowsReordered, this, &CQuillonView::afterReorder);
    connect(horizontalHeader(), &QHeaderView::sectionClicked, this, &CQuillonView::OnColumnClick);
    connect(&timer_, &QTimer::timeout, this, &CQuillonView::OnTimer);
    gateScrollBars();
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
    setItemDelegate(new CListDelegate(this));
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
    QHeaderView* header = horizontalHeader();
    header->setSectionsMovable(true);
    header->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(header, &QHeaderView::customContextMenuRequested, this, &CQuillonView::showHeaderMenu);
    connect(header, &QHeaderView::sectionResized, this, &CQuillonView::columnResized);
    fitColumns();
}

namespace {

// The widest text a column is expected to show beyond its title; empty for
// the columns whose texts are the user's (their table width stands).
QString widestExpectedText(int column) {
    switch (column) {
        case kColNo:
            return "65535";
        case kColFormat:
            return "16-bit 44.1 khz Stereo";
        case kColCompression:
            return "Microsoft ADPCM";
        case kColSize:
            return "4294967295";
        case kColLStart:
        case kColLEnd:
            return "99999999";
        case kColXPos:
        case kColYPos:
        case kColZPos:
            return "-9999";
        case kColMinDist:
        case kColMaxDist:
            return "9999.000000";
        default:
            return "9999";
    }
}

bool holdsUserText(int column) {
    return column == kColName || column == kColLocation || column == kColDescription;
}

}  // namespace

// Title and widest text measured with the style's own margins, so the width
// follows the font and the screen's scale; No makes room for its check box
// and image.
int CQuillonView::fittedColumnWidth(int column) const {
    QStyleOptionHeader title;
    title.initFrom(horizontalHeader());
    title.text = model_->headerData(column, Qt::Horizontal, Qt::DisplayRole).toString();
    const int margin = style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, horizontalHeader());
    int width = style()
                    ->sizeFromContents(QStyle::CT_HeaderSection, &title, {}, horizontalHeader())
                    .width() +
                style()->pixelMetric(QStyle::PM_HeaderMarkSize, nullptr, horizontalHeader()) +
                margin;
    if (holdsUserText(column)) return std::max(width, columnTable()[size_t(column)].width);
    QStyleOptionViewItem cell;
    initViewItemOption(&cell);
    cell.features |= QStyleOptionViewItem::HasDisplay;
    cell.text = widestExpectedText(column);
    if (column == kColNo) {
        cell.features |=
            QStyleOptionViewItem::HasDecoration | QStyleOptionViewItem::HasCheckIndicator;
        cell.decorationSize = iconSize();
        cell.icon = rowIcon();
    }
    width = std::max(width,
                     style()->sizeFromContents(QStyle::CT_ItemViewItem, &cell, {}, this).width());
    // The rows' own texts: the ones in sight, as the table measures them.
    if (!doc_.rows().empty()) width = std::max(width, sizeHintForColumn(column));
    return width + margin;
}

bool CQuillonView::isCellTextCut(int row, int column) const {
    QModelIndex index = model_->index(row, column);
    auto* delegate = qobject_cast<CListDelegate*>(itemDelegateForIndex(index));
    if (!delegate) return false;
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    option.rect = visualRect(index);
    return delegate->isTextCut(option, index);
}

void CQuillonView::fitColumns() {
    QScopedValueRollback<bool> fitting(fittingColumns_, true);
    for (int c = 0; c < kColumnCount; ++c)
        setColumnWidth(c,
                       userWidths_[size_t(c)] > 0 ? userWidths_[size_t(c)] : fittedColumnWidth(c));
}

void CQuillonView::columnResized(int column, int, int newWidth) {
    placeCellEdit();
    // A hidden column reports a width of 0; that is not a width the user chose.
    if (fittingColumns_ || newWidth <= 0 || column < 0 || column >= kColumnCount) return;
    userWidths_[size_t(column)] = newWidth;
}

ColumnLayout CQuillonView::columnLayout() const {
    ColumnLayout layout;
    const QHeaderView* header = horizontalHeader();
    bool arranged = false, anyHidden = false, anySized = false;
    for (int visual = 0; visual < kColumnCount; ++visual) {
        layout.order.push_back(header->logicalIndex(visual));
        arranged |= layout.order.back() != visual;
    }
    for (int c = 0; c < kColumnCount; ++c) {
        layout.hidden.push_back(header->isSectionHidden(c) ? 1 : 0);
        anyHidden |= layout.hidden.back() != 0;
        anySized |= userWidths_[size_t(c)] > 0;
    }
    if (!arranged) layout.order.clear();
    if (!anyHidden) layout.hidden.clear();
    if (anySized) layout.widths = userWidths_;
    return layout;
}

void CQuillonView::applyColumnLayout(const ColumnLayout& layout) {
    QHeaderView* header = horizontalHeader();
    userWidths_.assign(kColumnCount, 0);
    if (layout.widths.size() == size_t(kColumnCount)) userWidths_ = layout.widths;
    QScopedValueRollback<bool> fitting(fittingColumns_, true);
    for (int visual = 0; visual < kColumnCount; ++visual) {
        int column =
            layout.order.size() == size_t(kColumnCount) ? layout.order[size_t(visual)] : visual;
        header->moveSection(header->visualIndex(column), visual);
    }
    for (int c = 0; c < kColumnCount; ++c)
        header->setSectionHidden(
            c, layout.hidden.size() == size_t(kColumnCount) && layout.hidden[size_t(c)] != 0);
    fitColumns();
}

void CQuillonView::resetColumns() {
    if (!ValidateAndCommitPendingEdit()) return;
    applyColumnLayout({});
}

// Each column's title with a check mark: unchecked hides it. No stays, so the
// rows keep their check box and image.
void CQuillonView::showHeaderMenu(const QPoint& at) {
    QMenu menu(this);
    QHeaderView* header = horizontalHeader();
    for (int visual = 0; visual < kColumnCount; ++visual) {
        const int column = header->logicalIndex(visual);
        QAction* item =
            menu.addAction(model_->headerData(column, Qt::Horizontal, Qt::DisplayRole).toString());
        item->setCheckable(true);
        item->setChecked(!header->isSectionHidden(column));
        item->setEnabled(column != kColNo);
        connect(item, &QAction::toggled, this, [this, column](bool shown) {
            if (!ValidateAndCommitPendingEdit()) return;
            QScopedValueRollback<bool> quiet(fittingColumns_, true);
            horizontalHeader()->setSectionHidden(column, !shown);
        });
    }
    menu.addSeparator();
    menu.addAction(tr("Reset Columns"), this, &CQuillonView::resetColumns);
    menu.exec(header->mapToGlobal(at));
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
    fitColumns();
    syncSelectionFromRows();
}

// --- The in-place cell editor -------------------------------------------------

bool CQuillonView::ValidateAndCommitPendingEdit() {
    if (!ValidateCellEdit()) return false;
    CommitCellEdit();
    return true;
}

CCellEdit* CQuillonView::cellEdit() const {
    return qobject_cast<CCellEdit*>(editWidget_.data());
}

CPlayTypeBox* CQuillonView::playTypeBox() const {
    return qobject_cast<CPlayTypeBox*>(editWidget_.data());
}

QString CQuillonView::editorText() const {
    if (CCellEdit* edit = cellEdit()) return edit->text();
    if (CPlayTypeBox* box = playTypeBox()) return box->currentText();
    return {};
}

void CQuillonView::BeginCellEdit(int row, int column) {
    CommitCellEdit();
    if (!session_.open(row, column)) return;
    setCurrentCell(row, column);
    scrollTo(model_->index(row, column));
    const QString text = toQString(session_.original());
    QWidget* editor = nullptr;
    if (column == kColPlayType) {
        auto* box = new CPlayTypeBox(*this, viewport());
        // An old bank may hold a text none of the items is; it shows as "*".
        box->setCurrentIndex(std::max(box->findText(text, Qt::MatchFixedString), 0));
        box->setCurrentText(box->itemText(box->currentIndex()));
        editor = box;
    } else {
        auto* edit = new CCellEdit(*this, viewport());
        edit->setText(text);
        edit->selectAll();
        editor = edit;
    }
    editor->setFont(font());
    editWidget_ = editor;
    placeCellEdit();
    editor->show();
    editor->setFocus();
}

// Over the cell; never lower than the edit needs to show its text.
void CQuillonView::placeCellEdit() {
    if (!editWidget_) return;
    QRect cell = visualRect(model_->index(session_.row(), session_.column()));
    int height = std::max(cell.height(), editWidget_->minimumSizeHint().height());
    int width = std::max(cell.width(), editWidget_->minimumSizeHint().width());
    editWidget_->setGeometry(cell.left(), cell.center().y() - height / 2, width, height);
}

void CQuillonView::closeCellEdit() {
    QWidget* editor = editWidget_.data();
    editWidget_.clear();
    if (!editor) return;
    bool hadFocus = editor->hasFocus();
    editor->hide();
    // Its own key handling may be what closes it.
    editor->deleteLater();
    if (hadFocus) setFocus();
}

// The session closes before it writes and the widget after, so nothing the
// write sets off finds an edit still pending.
void CQuillonView::CommitCellEdit() {
    if (!session_.isOpen()) return;
    if (editWidget_) session_.setPending(editedOrOriginal(editorText(), session_.original()));
    session_.commit();
    closeCellEdit();
}

void CQuillonView::CancelCellEdit() {
    session_.cancel();
    closeCellEdit();
}

bool CQuillonView::ValidateCellEdit() {
    if (!session_.isOpen() || !editWidget_) return true;
    session_.setPending(editedOrOriginal(editorText(), session_.original()));
    CellCheck check = session_.validate();
    CCellEdit* edit = cellEdit();
    // A numeric text is shown as the number it was read as, valid or not.
    if (QString shown = toQString(session_.pending()); edit && shown != edit->text())
        edit->setText(shown);
    if (check.valid) return true;
    showStop(doc_.shell(), check.message);
    if (CCellEdit* still = cellEdit()) {
        still->selectAll();
        still->setFocus();
    }
    return false;
}

void CQuillonView::tabFromCellEdit(int step) {
    if (!session_.isOpen() || !ValidateCellEdit()) return;
    const int row = session_.row();
    const int next = session_.neighbourEditableColumn(shownColumns(), session_.column(), step);
    CommitCellEdit();
    if (next >= 0 && row < doc_.rows().size()) BeginCellEdit(row, next);
}

int CQuillonView::currentColumn() const {
    QModelIndex current = currentIndex();
    return current.isValid() ? current.column() : kColNo;
}

std::vector<int> CQuillonView::shownColumns() const {
    std::vector<int> shown;
    const QHeaderView* header = horizontalHeader();
    for (int visual = 0; visual < header->count(); ++visual)
        if (int logical = header->logicalIndex(visual); !header->isSectionHidden(logical))
            shown.push_back(logical);
    return shown;
}

void CQuillonView::setCurrentCell(int row, int column) {
    selectionModel()->setCurrentIndex(model_->index(row, column), QItemSelectionModel::NoUpdate);
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
        selectionModel()->setCurrentIndex(model_->index(current, currentColumn()),
                                          QItemSelectionModel::NoUpdate);
    syncing_ = false;
}

void CQuillonView::currentChanged(int row) {
    if (syncing_ || row < 0 || row >= doc_.rows().size()) return;
    syncing_ = true;
    selectionModel()->setCurrentIndex(model_->index(row, currentColumn()),
                                      QItemSelectionModel::NoUpdate);
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
    if (refused(moveSelectedUp(doc_)))
        endHeldMove();
    else
        keepKeyboardOnMovedRow();
}

void CQuillonView::OnMoveDown() {
    QScopedValueRollback<bool> running(moveRunning_, true);
    if (refused(moveSelectedDown(doc_)))
        endHeldMove();
    else
        keepKeyboardOnMovedRow();
}

// The arrow keys go on from the row just moved, not from the place it left.
void CQuillonView::keepKeyboardOnMovedRow() {
    if (int moved = doc_.rows().nextSelected(0); moved >= 0) doc_.rows().setCurrent(moved);
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

namespace {

ListKey listKeyOf(int key) {
    switch (key) {
        case Qt::Key_Up:
            return ListKey::Up;
        case Qt::Key_Down:
            return ListKey::Down;
        case Qt::Key_Insert:
            return ListKey::Insert;
        case Qt::Key_Delete:
            return ListKey::Delete;
        case Qt::Key_Backspace:
            return ListKey::Backspace;
        case Qt::Key_Return:
            return ListKey::Return;
        case Qt::Key_Enter:
            return ListKey::Enter;
        case Qt::Key_Shift:
            return ListKey::Shift;
        case Qt::Key_Control:
            return ListKey::Control;
        case Qt::Key_F:
            return ListKey::F;
        case Qt::Key_G:
            return ListKey::G;
        case Qt::Key_P:
            return ListKey::P;
        case Qt::Key_F3:
            return ListKey::F3;
        default:
            return ListKey::Other;
    }
}

// F2 and Enter open the editor on the focused cell.
bool isEditKey(const QKeyEvent* event) {
    if (event->modifiers() & ~Qt::KeypadModifier) return false;
    return event->key() == Qt::Key_F2 || event->key() == Qt::Key_Return ||
           event->key() == Qt::Key_Enter;
}

}  // namespace

void CQuillonView::keyPressEvent(QKeyEvent* event) {
    if (selectionSyncPending_) syncSelectionFromRows();
    session_.keyArrives();
    CommitCellEdit();
    if (isCommandAccelerator(event)) {
        event->ignore();
        return;
    }
    if (isEditKey(event) && canEditColumn(doc_, currentColumn()) && currentIndex().isValid()) {
        // The row under the focused cell is selected: the arrow keys moved
        // both. The value typed is written into every selected row.
        BeginCellEdit(currentIndex().row(), currentColumn());
        event->accept();
        return;
    }
    if (event->key() == Qt::Key_Space) {
        // Space plays; the list's own Space (toggling the check box) never runs.
        int first = doc_.rows().nextSelected(0);
        if (first >= 0 && playRow) playRow(first);
        return;
    }
    QTableView::keyPressEvent(event);
    const ListKeyAction action = listKeys_.press(listKeyOf(event->key()));
    if (listTakesKey(action)) event->accept();
    if (action != ListKeyAction::FollowSelection) {
        runListKeyAction(doc_, action);
        return;
    }
    if (int first = doc_.rows().nextSelected(0); first >= 0) {
        doc_.showSelectedItem(first);
        // An editor open as the key came follows the selection.
        if (session_.followsSelection()) BeginCellEdit(first, session_.rememberedColumn());
    }
}

void CQuillonView::keyReleaseEvent(QKeyEvent* event) {
    listKeys_.release(event->isAutoRepeat());
    QTableView::keyReleaseEvent(event);
}

// While a cell editor is open the keyboard is its own: a key that reached the
// list would write the pending value unchecked. The focus can come back to
// the list past the editor (Shift+Tab from the side panel); it goes on to
// the editor.
void CQuillonView::focusInEvent(QFocusEvent* event) {
    QTableView::focusInEvent(event);
    if (editWidget_) editWidget_->setFocus();
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
        // The menu's commands act on the row the click selected: the side
        // panel shows that one.
        if (QModelIndex index = indexAt(event->position().toPoint()); index.isValid())
            doc_.showSelectedItem(index.row());
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
        session_.rememberColumn(kColNo);
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
    session_.rememberColumn(index.column());
    doc_.rows().setSelected(index.row(), true);
    if (canEditColumn(doc_, index.column()))
        BeginCellEdit(index.row(), index.column());
    else
        CommitCellEdit();
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
