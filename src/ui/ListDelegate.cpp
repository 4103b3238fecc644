#include "ui/ListDelegate.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QHelpEvent>
#include <QPainter>
#include <QToolTip>

#include "bank/Columns.h"

namespace quillon {

void CListDelegate::initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const {
    QStyledItemDelegate::initStyleOption(option, index);
    if (index.column() == kColLocation) option->textElideMode = Qt::ElideMiddle;
}

void CListDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const {
    QStyledItemDelegate::paint(painter, option, index);
    const auto* view = qobject_cast<const QAbstractItemView*>(option.widget);
    if (!view || view->currentIndex() != index || !view->hasFocus()) return;
    // Drawn in the text colour of the cell, so it shows on a selected row too.
    painter->save();
    QPen pen(option.palette.color(option.state & QStyle::State_Selected ? QPalette::HighlightedText
                                                                        : QPalette::Text));
    pen.setWidthF(1.0);
    pen.setStyle(Qt::DotLine);
    painter->setPen(pen);
    painter->drawRect(QRectF(option.rect).adjusted(0.5, 0.5, -0.5, -0.5));
    painter->restore();
}

bool CListDelegate::isTextCut(const QStyleOptionViewItem& option, const QModelIndex& index) const {
    QStyleOptionViewItem cell = option;
    initStyleOption(&cell, index);
    if (cell.text.isEmpty()) return false;
    const QWidget* widget = option.widget;
    QStyle* style = widget ? widget->style() : QApplication::style();
    QRect textRect = style->subElementRect(QStyle::SE_ItemViewItemText, &cell, widget);
    // The style keeps a margin on each side of the text.
    int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
    return cell.fontMetrics.horizontalAdvance(cell.text) > textRect.width() - 2 * margin;
}

bool CListDelegate::helpEvent(QHelpEvent* event, QAbstractItemView* view,
                              const QStyleOptionViewItem& option, const QModelIndex& index) {
    if (event->type() != QEvent::ToolTip || !index.isValid())
        return QStyledItemDelegate::helpEvent(event, view, option, index);
    if (isTextCut(option, index)) {
        QToolTip::showText(event->globalPos(), index.data().toString(), view, option.rect);
    } else {
        QToolTip::hideText();
    }
    return true;
}

}  // namespace quillon
