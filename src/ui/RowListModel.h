// A thin table model over the row list: 28 columns of cell texts, the row
// image and the playback check box in the first column. The row list is the
// truth; the model only reports what it holds and forwards the check box.
#pragma once

#include <QAbstractTableModel>
#include <QIcon>
#include <functional>

#include "bank/RowList.h"

namespace quillon {

class RowListModel : public QAbstractTableModel, public RowListObserver {
    Q_OBJECT
  public:
    explicit RowListModel(RowList& rows, QObject* parent = nullptr);
    ~RowListModel() override;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

    RowList& rows() { return rows_; }

    // Called after a check box was toggled by the user (the document marks
    // itself changed there).
    std::function<void(int row)> onCheckToggled;

  signals:
    // The rows stand in another order, or were filled anew.
    void rowsReordered();

  private:
    void beforeRowsInserted(int first, int last) override;
    void rowsInserted(int first, int last) override;
    void beforeRowsRemoved(int first, int last) override;
    void rowsRemoved(int first, int last) override;
    void rowsChanged(int first, int last) override;
    void beforeReorder() override;
    void reordered() override;
    void beforeReset() override;
    void reset() override;

    RowList& rows_;
    QIcon rowIcon_;
};

}  // namespace quillon
