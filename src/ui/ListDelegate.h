// How the sample list draws its cells beyond the plain text: a frame around
// the focused cell (the one F2 and Enter edit), the Location cut in the middle
// so the file's folder end stays in sight, and the whole text of a cut cell
// as its tooltip.
#pragma once

#include <QStyledItemDelegate>

namespace quillon {

class CListDelegate : public QStyledItemDelegate {
    Q_OBJECT
  public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                   const QModelIndex& index) override;

    // True when the cell's text does not fit the cell and is shown cut.
    bool isTextCut(const QStyleOptionViewItem& option, const QModelIndex& index) const;

  protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;
};

}  // namespace quillon
