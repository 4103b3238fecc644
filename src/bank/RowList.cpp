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
    giveId(*row);
    notify([&](RowListObserver& o) { o.beforeRowsInserted(index, index); });
    if (row->selected) ++selectedCount_;
    rows_.push_back(std::move(row));
    if (indexValid_) indexById_[rows_.back()->id] = index;
    notify([&](RowListObserver& o) { o.rowsInserted(index, index); });
    if (recorder_) recorder_->rowsInserted({{index, rows_.back().get()}});
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
    if (recorder_ && !rows_.empty()) removeAll();
    notify([](RowListObserver& o) { o.beforeReset(); });
    rows_ = std::move(rows);
    selectedCount_ = 0;
    for (const auto& r : rows_) {
        giveId(*r);
        if (r->selected) ++selectedCount_;
    }
    current_ = -1;
    forgetIndex();
    notify([](RowListObserver& o) { o.reset(); });
    if (recorder_ && !rows_.empty()) {
        std::vector<std::pair<int, const Row*>> placed;
        for (int i = 0; i < size(); ++i)
            placed.emplace_back(i, rows_[size_t(i)].get());
        recorder_->rowsInserted(placed);
    }
}

void RowList::removeAll() {
    std::vector<int> all(rows_.size());
    for (size_t i = 0; i < all.size(); ++i)
        all[i] = int(i);
    removeRows(all);
}

void RowList::remove(int index) {
    removeRows({index});
}

void RowList::clear() {
    if (recorder_ && !rows_.empty()) {
        removeAll();
        return;
    }
    forgetIndex();
    notify([](RowListObserver& o) { o.beforeReset(); });
    rows_.clear();
    selectedCount_ = 0;
    current_ = -1;
    notify([](RowListObserver& o) { o.reset(); });
}

void RowList::setCell(int index, int column, std::string text) {
    Row& r = mutableRow(index);
    if (recorder_) {
        if (r.cells[size_t(column)] == text) return;
        std::string before = r.cells[size_t(column)];
        quillon::setCell(r, column, std::move(text));
        recorder_->cellChanged(r.id, column, std::move(before), r.cells[size_t(column)]);
    } else {
        quillon::setCell(r, column, std::move(text));
    }
    notify([&](RowListObserver& o) { o.rowsChanged(index, index); });
}

void RowList::update(int index, const std::function<void(Row&)>& change) {
    Row& r = mutableRow(index);
    std::optional<Row> before;
    if (recorder_) before = r;
    bool wasSelected = r.selected;
    uint32_t id = r.id;
    change(r);
    r.selected = wasSelected;  // selection changes go through setSelected
    r.id = id;                 // a row keeps its name in the list
    notify([&](RowListObserver& o) { o.rowsChanged(index, index); });
    if (recorder_) recorder_->rowChanged(*before, r);
}

void RowList::setChecked(int index, bool checked) {
    Row& r = mutableRow(index);
    if (r.checked == checked) return;
    r.checked = checked;
    notify([&](RowListObserver& o) { o.rowsChanged(index, index); });
    if (recorder_) recorder_->checkChanged(r.id, !checked);
}

void RowList::swapRows(int a, int b) {
    if (a == b) return;
    std::swap(rows_[size_t(a)], rows_[size_t(b)]);
    if (indexValid_) {
        indexById_[rows_[size_t(a)]->id] = a;
        indexById_[rows_[size_t(b)]->id] = b;
    }
    if (recorder_) recorder_->rowsSwapped(rows_[size_t(a)]->id, rows_[size_t(b)]->id);
    notify([&](RowListObserver& o) { o.rowsChanged(std::min(a, b), std::max(a, b)); });
    notify([](RowListObserver& o) { o.selectionChanged(); });
}

void RowList::sort(const std::function<int(const Row&, const Row&)>& compare) {
    notify([](RowListObserver& o) { o.beforeReorder(); });
    const Row* currentRow = currentRowPointer();
    forgetIndex();
    std::stable_sort(rows_.begin(), rows_.end(),
                     [&](const auto& a, const auto& b) { return compare(*a, *b) < 0; });
    findCurrent(currentRow);
    notify([](RowListObserver& o) { o.reordered(); });
}

void RowList::reorder(const std::vector<int>& order) {
    notify([](RowListObserver& o) { o.beforeReorder(); });
    const Row* currentRow = currentRowPointer();
    forgetIndex();
    std::vector<std::unique_ptr<Row>> reordered;
    reordered.reserve(rows_.size());
    for (int from : order)
        reordered.push_back(std::move(rows_[size_t(from)]));
    rows_ = std::move(reordered);
    findCurrent(currentRow);
    notify([](RowListObserver& o) { o.reordered(); });
}

void RowList::setSelected(int index, bool selected) {
    Row& r = mutableRow(index);
    if (r.selected == selected) return;
    r.selected = selected;
    selectedCount_ += selected ? 1 : -1;
    notify([](RowListObserver& o) { o.selectionChanged(); });
}

void RowList::selectOnly(const std::vector<int>& indices) {
    for (auto& r : rows_)
        r->selected = false;
    for (int i : indices)
        rows_[size_t(i)]->selected = true;
    selectedCount_ = 0;
    for (const auto& r : rows_)
        if (r->selected) ++selectedCount_;
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

void RowList::setHighestGroup(int group) {
    if (group == highestGroup_) return;
    if (recorder_) recorder_->highestGroupChanged(highestGroup_, group);
    highestGroup_ = group;
}

int RowList::indexOf(uint32_t id) const {
    if (!indexValid_) {
        indexById_.clear();
        indexById_.reserve(rows_.size());
        for (int i = 0; i < size(); ++i)
            indexById_[rows_[size_t(i)]->id] = i;
        indexValid_ = true;
    }
    auto found = indexById_.find(id);
    return found == indexById_.end() ? -1 : found->second;
}

const Row* RowList::currentRowPointer() const {
    return current_ >= 0 && current_ < size() ? rows_[size_t(current_)].get() : nullptr;
}

void RowList::findCurrent(const Row* currentRow) {
    current_ = -1;
    if (!currentRow) return;
    auto it = std::find_if(rows_.begin(), rows_.end(),
                           [&](const auto& r) { return r.get() == currentRow; });
    if (it != rows_.end()) current_ = int(it - rows_.begin());
}

namespace {

// The runs of adjacent indices in an ascending list: (first, last) pairs.
std::vector<std::pair<int, int>> runsOf(const std::vector<int>& ascending) {
    std::vector<std::pair<int, int>> runs;
    for (int i : ascending) {
        if (!runs.empty() && runs.back().second + 1 == i)
            runs.back().second = i;
        else
            runs.emplace_back(i, i);
    }
    return runs;
}

// Past a few dozen runs one reset costs every observer less than a
// notification per run, and the list less than moving its tail per run.
constexpr size_t kMostRunsAnnounced = 32;

}  // namespace

void RowList::removeRows(const std::vector<int>& ascending) {
    std::vector<std::unique_ptr<Row>> removed = takeRows(ascending);
    if (!recorder_ || removed.empty()) return;
    std::vector<std::pair<int, std::unique_ptr<Row>>> placed;
    placed.reserve(removed.size());
    for (size_t i = 0; i < removed.size(); ++i)
        placed.emplace_back(ascending[i], std::move(removed[i]));
    recorder_->rowsRemoved(std::move(placed));
}

std::vector<std::unique_ptr<Row>> RowList::takeRows(const std::vector<int>& ascending) {
    std::vector<std::unique_ptr<Row>> taken;
    if (ascending.empty()) return taken;
    const Row* currentRow = currentRowPointer();
    std::vector<std::pair<int, int>> runs = runsOf(ascending);
    if (runs.size() > kMostRunsAnnounced) {
        notify([](RowListObserver& o) { o.beforeReset(); });
        taken = extractRows(ascending);
        findCurrent(currentRow);
        notify([](RowListObserver& o) { o.reset(); });
        return taken;
    }
    // Bottom-up, so each announced run still stands where it was.
    std::vector<std::vector<std::unique_ptr<Row>>> pieces;
    for (auto run = runs.rbegin(); run != runs.rend(); ++run) {
        const int first = run->first, last = run->second;
        notify([&](RowListObserver& o) { o.beforeRowsRemoved(first, last); });
        auto begin = rows_.begin() + first, end = rows_.begin() + last + 1;
        std::vector<std::unique_ptr<Row>> piece(std::make_move_iterator(begin),
                                                std::make_move_iterator(end));
        for (const auto& row : piece)
            if (row->selected) --selectedCount_;
        rows_.erase(begin, end);
        forgetIndex();
        findCurrent(currentRow);
        notify([&](RowListObserver& o) { o.rowsRemoved(first, last); });
        pieces.push_back(std::move(piece));
    }
    for (auto piece = pieces.rbegin(); piece != pieces.rend(); ++piece)
        for (auto& row : *piece)
            taken.push_back(std::move(row));
    return taken;
}

// Takes the rows at the ascending indices out in one pass over the list.
std::vector<std::unique_ptr<Row>> RowList::extractRows(const std::vector<int>& ascending) {
    std::vector<std::unique_ptr<Row>> taken;
    taken.reserve(ascending.size());
    std::vector<bool> goes(rows_.size(), false);
    for (int i : ascending)
        goes[size_t(i)] = true;
    size_t kept = 0;
    for (size_t i = 0; i < rows_.size(); ++i) {
        if (goes[i]) {
            if (rows_[i]->selected) --selectedCount_;
            taken.push_back(std::move(rows_[i]));
        } else {
            rows_[kept++] = std::move(rows_[i]);
        }
    }
    rows_.resize(kept);
    forgetIndex();
    return taken;
}

void RowList::restoreRows(std::vector<std::pair<int, std::unique_ptr<Row>>> rows) {
    if (rows.empty()) return;
    // Indices recorded before a sort may no longer fit the list: each row
    // still lands in order, after the one before it and within the list.
    std::vector<int> ascending;
    std::vector<const Row*> restored;
    int previous = -1;
    for (auto& [index, row] : rows) {
        index = std::min(std::max(index, previous + 1), size() + int(ascending.size()));
        previous = index;
        ascending.push_back(index);
        restored.push_back(row.get());
        if (row->selected) ++selectedCount_;
        nextId_ = std::max(nextId_, row->id + 1);
    }
    const Row* currentRow = currentRowPointer();
    std::vector<std::pair<int, int>> runs = runsOf(ascending);
    if (runs.size() > kMostRunsAnnounced) {
        notify([](RowListObserver& o) { o.beforeReset(); });
        mergeRows(rows);
        findCurrent(currentRow);
        notify([](RowListObserver& o) { o.reset(); });
    } else {
        // Top-down, so each announced run lands where it will stand.
        auto incoming = rows.begin();
        for (const auto& run : runs) {
            const int first = run.first, last = run.second;
            notify([&](RowListObserver& o) { o.beforeRowsInserted(first, last); });
            std::vector<std::unique_ptr<Row>> piece;
            for (int i = first; i <= last; ++i, ++incoming)
                piece.push_back(std::move(incoming->second));
            rows_.insert(rows_.begin() + first, std::make_move_iterator(piece.begin()),
                         std::make_move_iterator(piece.end()));
            forgetIndex();
            findCurrent(currentRow);
            notify([&](RowListObserver& o) { o.rowsInserted(first, last); });
        }
    }
    if (recorder_) {
        std::vector<std::pair<int, const Row*>> placed;
        for (const Row* row : restored)
            placed.emplace_back(indexOf(row->id), row);
        recorder_->rowsInserted(placed);
    }
}

// Puts rows in at their final, ascending indices in one pass over the list.
void RowList::mergeRows(std::vector<std::pair<int, std::unique_ptr<Row>>>& rows) {
    std::vector<std::unique_ptr<Row>> merged;
    merged.reserve(rows_.size() + rows.size());
    size_t next = 0;
    auto incoming = rows.begin();
    while (incoming != rows.end() || next < rows_.size()) {
        bool takeIncoming = incoming != rows.end() &&
                            (int(merged.size()) >= incoming->first || next == rows_.size());
        if (takeIncoming)
            merged.push_back(std::move((incoming++)->second));
        else
            merged.push_back(std::move(rows_[next++]));
    }
    rows_ = std::move(merged);
    forgetIndex();
}

void RowList::addObserver(RowListObserver* observer) {
    observers_.push_back(observer);
}

void RowList::removeObserver(RowListObserver* observer) {
    observers_.erase(std::remove(observers_.begin(), observers_.end(), observer), observers_.end());
}

}  // namespace quillon
