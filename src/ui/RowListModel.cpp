#include "ui/RowListModel.h"

#include "bank/Columns.h"
#include "ui/Icons.h"
#include "ui/QtText.h"

namespace quillon {

namespace {

bool hasLongText(int column) {
    return column == kColName || column == kColLocation || column == kColFormat ||
           column == kColCompression || column == kColDescription;
}

}  // namespace

RowListModel::RowListModel(RowList& rows, QObject* parent)
    : QAbstractTableModel(parent), rows_(rows), rowIcon_(rowIcon()) {
    rows_.addObserver(this);
}

RowListModel::~RowListModel() {
    rows_.removeObserver(this);
}

int RowListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : rows_.size();
}

int RowListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumnCount;
}

QVariant RowListModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const Row& row = rows_.row(index.row());
    switch (role) {
        case Qt::DisplayRole:
            return toQString(row.cells[size_t(index.column())]);
        case Qt::ToolTipRole:
            // The long texts a narrow column cuts short.
            if (!hasLongText(index.column())) return {};
            return toQString(row.cells[size_t(index.column())]);
        case Qt::DecorationRole:
            return index.column() == kColNo ? QVariant(rowIcon_) : QVariant();
        case Qt::CheckStateRole:
            if (index.column() != kColNo) return {};
            return row.checked ? Qt::Checked : Qt::Unchecked;
        default:
            return {};
    }
}

QVariant RowListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= kColumnCount) return {};
    if (role == Qt::DisplayRole) return toQString(columnTable()[size_t(section)].title);
    if (role == Qt::TextAlignmentRole) return int(Qt::AlignLeft | Qt::AlignVCenter);
    return {};
}

Qt::ItemFlags RowListModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    if (index.column() == kColNo) flags |= Qt::ItemIsUserCheckable;
    return flags;
}

bool RowListModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::CheckStateRole || index.column() != kColNo ||
        !checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return false;
    bool checked = value.value<Qt::CheckState>() == Qt::Checked;
    if (checked == rows_.row(index.row()).checked) return true;
    rows_.setChecked(index.row(), checked);
    if (onCheckToggled) onCheckToggled(index.row());
    return true;
}

void RowListModel::beforeRowsInserted(int first, int last) {
    beginInsertRows({}, first, last);
}

void RowListModel::rowsInserted(int, int) {
    endInsertRows();
}

void RowListModel::beforeRowsRemoved(int first, int last) {
    beginRemoveRows({}, first, last);
}

void RowListModel::rowsRemoved(int, int) {
    endRemoveRows();
}

void RowListModel::rowsChanged(int first, int last) {
    emit dataChanged(index(first, 0), index(last, kColumnCount - 1));
}

// A sort reorders every row: a reset is far cheaper for the view than moving
// persistent indexes one by one, and the selection is restored from the row
// list, which keeps it with the rows.
void RowListModel::beforeReorder() {
    beginResetModel();
}

void RowListModel::reordered() {
    endResetModel();
    emit rowsReordered();
}

void RowListModel::beforeReset() {
    beginResetModel();
}

void RowListModel::reset() {
    endResetModel();
    emit rowsReordered();
}

}  // namespace quillon
