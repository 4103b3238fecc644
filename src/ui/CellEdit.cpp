#include "ui/CellEdit.h"

#include <QKeyEvent>

#include "ui/QuillonView.h"

namespace quillon {

CCellEdit::CCellEdit(CQuillonView& view, QWidget* parent) : QLineEdit(parent), view_(view) {
    setObjectName("cellEdit");
    setFrame(true);
}

void CCellEdit::keyPressEvent(QKeyEvent* event) {
    // The editor may be closed below; it is deleted later, so `this` lives on
    // to the end of the call.
    event->accept();
    switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (view_.ValidateCellEdit()) view_.CommitCellEdit();
            return;
        case Qt::Key_Escape:
        case Qt::Key_Q:
            view_.CancelCellEdit();
            return;
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

}  // namespace quillon
