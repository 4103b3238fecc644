#include "bank/RowList.h"

#include <algorithm>

#include "bank/RowCells.h"

namespace quillon {

void setCell(Row& row, int column, std::string text) {
    row.cells.texts_[size_t(column)] = std::move(text);
}

void setCell(Row& row, int column, std::string_view text) {
    setCell(row, column, std::string(text));
}

void setCell(Row& row, int column, const char* text) {
    setCell(row, column, std::string(text));
}

int RowList::append(Row row) {
    return append(std::make_unique<Row>(std::move(row)));
}

int RowList::append(std::unique_ptr<Row> row) {
    int index = size();
    notify([&](RowListObserver& o) { o.beforeRowsInserted(index, index); });
    if (row->selected) ++selectedCount_;
    rows_.push_back(std::move(row));
    notify([&](RowListObserver& o) { o.rowsInserted(index, index); });
    return index;
}

void RowList::assign(std::vector<Row> rows) {
    std::vector<std::unique_ptr<Row>> owned;
    owned.reserve(rows.size());
    for (Row& r : rows)
        owned.push_back(std::make_unique<Row>(std::move(r)));
    assign(std::move(owned));
}

void RowList::assign(std::vector<std::unique_ptr<Row>> rows) {
    notify([](RowListObserver& o) { o.beforeReset(); });
    rows_ = std::move(rows);
    selectedCount_ = 0;
    for (const auto& r : rows_)
        if (r->selected) ++selectedCount_;
    current_ = -1;
    notify([](RowListObserver& o) { o.reset(); });
}

void RowList::remove(int index) {
    notify([&](RowListObserver& o) { o.beforeRowsRemoved(index, index); });
    if (row(index).selected) --selectedCount_;
    rows_.erase(rows_.begin() + index);
    if (current_ == index)
        current_ = -1;
    else if (current_ > index)
        --current_;
    notify([&](RowListObserver& o) { o.rowsRemoved(index, index); });
}

void RowList::clear() {
    notify([](RowListObserver& o) { o.beforeReset(); });
    rows_.clear();
    selectedCount_ = 0;
    current_ = -1;
    notify([](RowListObserver& o) { o.reset(); });
}

void RowList::setCell(int index, int column, std::string text) {
    quillon::setCell(mutableRow(index), column, std::move(text));
    notify([&](RowListObserver& o) { o.rowsChanged(index, index); });
}

void RowList::update(int index, const std::function<void(Row&)>& change) {
    Row& r = mutableRow(index);
    bool wasSelected = r.selected;
    change(r);
    r.selected = wasSelected;  // selection changes go through setSelected
    notify([&](RowListObserver& o) { o.rowsChanged(index, index); });
}

void RowList::setChecked(int index, bool checked) {
    mutableRow(index).checked = checked;
    notify([&](RowListObserver& o) { o.rowsChanged(index, index); });
}

void RowList::swapRows(int a, int b) {
    if (a == b) return;
    std::swap(rows_[size_t(a)], rows_[size_t(b)]);
    notify([&](RowListObserver& o) { o.rowsChanged(std::min(a, b), std::max(a, b)); });
    notify([](RowListObserver& o) { o.selectionChanged(); });
}

void RowList::sort(const std::function<int(const Row&, const Row&)>& compare) {
    notify([](RowListObserver& o) { o.beforeReorder(); });
    const Row* currentRow = current_ >= 0 ? rows_[size_t(current_)].get() : nullptr;
    std::stable_sort(rows_.begin(), rows_.end(),
                     [&](const auto& a, const auto& b) { return compare(*a, *b) < 0; });
    if (currentRow) {
        auto it = std::find_if(rows_.begin(), rows_.end(),
                               [&](const auto& r) { return r.get() == currentRow; });
        current_ = int(it - rows_.begin());
    }
    notify([](RowListObserver& o) { o.reordered(); });
}

void RowList::reorder(const std::vector<int>& order) {
    notify([](RowListObserver& o) { o.beforeReorder(); });
    const Row* currentRow = current_ >= 0 ? rows_[size_t(current_)].get() : nullptr;
    std::vector<std::unique_ptr<Row>> reordered;
    reordered.reserve(rows_.size());
    for (int from : order)
        reordered.push_back(std::move(rows_[size_t(from)]));
    rows_ = std::move(reordered);
    if (currentRow) {
        auto it = std::find_if(rows_.begin(), rows_.end(),
                               [&](const auto& r) { return r.get() == currentRow; });
        current_ = int(it - rows_.begin());
    }
    notify([](RowListObserver& o) { o.reordered(); });
}

void RowList::setSelected(int index, bool selected) {
    Row& r = mutableRow(index);
    if (r.selected == selected) return;
    r.selected = selected;
    selectedCount_ += selected ? 1 : -1;
    notify([](RowListObserver& o) { o.selectionChanged(); });
}

void RowList::clearSelection() {
    if (selectedCount_ == 0) return;
    for (auto& r : rows_)
        r->selected = false;
    selectedCount_ = 0;
    notify([](RowListObserver& o) { o.selectionChanged(); });
}

int RowList::nextSelected(int from) const {
    if (selectedCount_ == 0) return -1;
    for (int i = std::max(from, 0); i < size(); ++i)
        if (rows_[size_t(i)]->selected) return i;
    return -1;
}

std::vector<int> RowList::selectedRows() const {
    std::vector<int> out;
    out.reserve(size_t(selectedCount_));
    for (int i = nextSelected(0); i >= 0; i = nextSelected(i + 1))
        out.push_back(i);
    return out;
}

void RowList::setCurrent(int index) {
    if (index == current_) return;
    current_ = index;
    notify([&](RowListObserver& o) { o.currentChanged(index); });
}

void RowList::requestScroll(int index) {
    notify([&](RowListObserver& o) { o.scrollRequested(index); });
}

void RowList::addObserver(RowListObserver* observer) {
    observers_.push_back(observer);
}

void RowList::removeObserver(RowListObserver* observer) {
    observers_.erase(std::remove(observers_.begin(), observers_.end(), observer), observers_.end());
}

}  // namespace quillon
