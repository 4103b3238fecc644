#include "ui/CellEdit.h"

#include <QKeyEvent>

#include "ui/QuillonView.h"

namespace quillon {

namespace {

// Tab and Shift+Tab (Qt reports the latter as Backtab): +1, -1, else 0.
int tabStep(const QKeyEvent* event) {
    if (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) return 0;
    if (event->key() == Qt::Key_Backtab) return -1;
    if (event->key() == Qt::Key_Tab) return event->modifiers() & Qt::ShiftModifier ? -1 : 1;
    return 0;
}

// The keys both editors share: Tab walks the row, Return and Enter write a
// value that passes its check, Escape alone cancels. False for any other key.
// The editor may be closed here; it is deleted later, so the caller lives on
// to the end of its call.
bool handleSharedEditKey(CQuillonView& view, QKeyEvent* event) {
    event->accept();
    if (int step = tabStep(event)) {
        view.tabFromCellEdit(step);
        return true;
    }
    switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (view.ValidateCellEdit()) view.CommitCellEdit();
            return true;
        case Qt::Key_Escape:
            view.CancelCellEdit();
            return true;
        default:
            return false;
    }
}

}  // namespace

CCellEdit::CCellEdit(CQuillonView& view, QWidget* parent) : QLineEdit(parent), view_(view) {
    setObjectName("cellEdit");
    setFrame(true);
}

void CCellEdit::keyPressEvent(QKeyEvent* event) {
    if (handleSharedEditKey(view_, event)) return;
    switch (event->key()) {
        case Qt::Key_Left:
        case Qt::Key_Right:
            if (view_.ValidateCellEdit()) QLineEdit::keyPressEvent(event);
            return;
        case Qt::Key_Up:
        case Qt::Key_Down:
            if (view_.ValidateCellEdit()) view_.keyFromCellEdit(event);
            return;
        default:
            QLineEdit::keyPressEvent(event);
            // Keys the edit has no use for (F3, Insert) must not reach the
            // list, which would act on them with the editor open.
            event->accept();
            return;
    }
}

CPlayTypeBox::CPlayTypeBox(CQuillonView& view, QWidget* parent) : QComboBox(parent), view_(view) {
    setObjectName("playTypeBox");
    addItems({"Restart", "Once", "Overlap", "*"});
    connect(this, &QComboBox::activated, this, [this] {
        if (!listOpened_) return;
        listOpened_ = false;
        view_.CommitCellEdit();
    });
}

void CPlayTypeBox::showPopup() {
    listOpened_ = true;
    QComboBox::showPopup();
}

void CPlayTypeBox::keyPressEvent(QKeyEvent* event) {
    // Keys come here only while the list is closed; every item of the box
    // passes the check, so Return writes it.
    listOpened_ = false;
    if (handleSharedEditKey(view_, event)) return;
    QComboBox::keyPressEvent(event);
    event->accept();
}

}  // namespace quillon
