#include "bank/EditHistory.h"

#include <algorithm>
#include <variant>

#include "bank/CellFormat.h"
#include "bank/Columns.h"

namespace quillon {

namespace {

struct CellChange {
    uint32_t row;
    int column;
    std::string before, after;
};

struct CheckChange {
    uint32_t row;
    bool before;
};

struct RowChange {
    std::unique_ptr<Row> before, after;
};

// Rows the step added (inserted) or removed. While the rows stand in the
// list, `images` is empty and `indices` says where they stand; while they are
// out of it, the images hold them and `indices` says where they go back.
struct RowsPlaced {
    bool inserted = false;
    std::vector<int> indices;  // ascending
    std::vector<uint32_t> ids;
    std::vector<std::unique_ptr<Row>> images;
};

struct RowsSwapped {
    uint32_t a, b;
};

struct GroupChange {
    int before, after;
};

struct ValuesChange {
    DocumentValues before, after;
};

using Change = std::variant<CellChange, CheckChange, RowChange, RowsPlaced, RowsSwapped,
                            GroupChange, ValuesChange>;

// Heap bytes of a text beyond the string object itself.
size_t textBytes(const std::string& text) {
    constexpr size_t kInlineChars = 15;
    return text.capacity() > kInlineChars ? text.capacity() + 1 : 0;
}

size_t rowBytes(const Row& row) {
    size_t bytes = sizeof(Row);
    for (const std::string& cell : row.cells)
        bytes += textBytes(cell);
    return bytes;
}

std::unique_ptr<Row> imageOf(const Row& row) {
    auto image = std::make_unique<Row>(row);
    image->selected = false;
    return image;
}

// The name of a change made with no step open.
std::string nameOfLoneChange(const Change& change) {
    struct Namer {
        std::string operator()(const CellChange& c) const {
            return "Edit " + std::string(columnAt(c.column).title);
        }
        std::string operator()(const CheckChange&) const { return "Playback Check Box"; }
        std::string operator()(const RowChange&) const { return "Change Sample"; }
        std::string operator()(const RowsPlaced& c) const {
            return (c.inserted ? "Add " : "Delete ") + samplesText(c.ids.size());
        }
        std::string operator()(const RowsSwapped&) const { return "Move"; }
        std::string operator()(const GroupChange&) const { return "Create Group"; }
        std::string operator()(const ValuesChange&) const { return "Edit Bank Values"; }
    };
    return std::visit(Namer{}, change);
}

}  // namespace

struct EditHistory::Step {
    std::string name;
    std::vector<Change> changes;
    size_t bytes = sizeof(Step);
};

std::string samplesText(size_t count) {
    return std::to_string(count) + (count == 1 ? " Sample" : " Samples");
}

EditHistory::EditHistory(size_t budgetBytes) : budgetBytes_(budgetBytes) {}

EditHistory::~EditHistory() = default;

void EditHistory::beginStep(std::string name) {
    if (depth_++ > 0) return;
    open_ = std::make_unique<Step>();
    open_->name = std::move(name);
}

void EditHistory::nameStep(std::string name) {
    if (open_) open_->name = std::move(name);
}

void EditHistory::endStep() {
    if (depth_ == 0) return;
    if (--depth_ == 0) closeStep();
}

void EditHistory::closeStep() {
    std::unique_ptr<Step> step = std::move(open_);
    if (!step || step->changes.empty()) return;
    // A new step replaces the steps that were undone; the saved state may
    // have been among them.
    while (steps_.size() > index_) {
        bytes_ -= steps_.back()->bytes;
        steps_.pop_back();
    }
    if (clean_ && *clean_ > index_) clean_.reset();
    bytes_ += step->bytes + textBytes(step->name);
    step->bytes += textBytes(step->name);
    steps_.push_back(std::move(step));
    ++index_;
    dropOldestOverBudget();
    if (onChange) onChange();
}

// The newest step is always kept, however large: it is the one the user is
// most likely to take back.
void EditHistory::dropOldestOverBudget() {
    while (bytes_ > budgetBytes_ && steps_.size() > 1) {
        bytes_ -= steps_.front()->bytes;
        steps_.pop_front();
        --index_;
        if (clean_) clean_ = *clean_ == 0 ? std::nullopt : std::optional<size_t>(*clean_ - 1);
    }
}

template <typename ChangeT>
void EditHistory::record(ChangeT change, size_t bytes) {
    bool lone = depth_ == 0;
    if (lone) {
        Change named(std::move(change));
        beginStep(nameOfLoneChange(named));
        open_->changes.push_back(std::move(named));
    } else {
        open_->changes.emplace_back(std::move(change));
    }
    open_->bytes += sizeof(Change) + bytes;
    if (lone) endStep();
}

void EditHistory::cellChanged(uint32_t id, int column, std::string before,
                              const std::string& after) {
    size_t bytes = textBytes(before) + textBytes(after);
    record(CellChange{id, column, std::move(before), after}, bytes);
}

void EditHistory::checkChanged(uint32_t id, bool before) {
    record(CheckChange{id, before}, 0);
}

void EditHistory::rowChanged(const Row& before, const Row& after) {
    size_t bytes = rowBytes(before) + rowBytes(after);
    record(RowChange{imageOf(before), imageOf(after)}, bytes);
}

void EditHistory::rowsInserted(const std::vector<std::pair<int, const Row*>>& rows) {
    // Rows added one after another below those added before join their change.
    if (open_ && !open_->changes.empty()) {
        auto* last = std::get_if<RowsPlaced>(&open_->changes.back());
        if (last && last->inserted && last->images.empty() && !last->indices.empty() &&
            rows.front().first > last->indices.back()) {
            for (const auto& [index, row] : rows) {
                last->indices.push_back(index);
                last->ids.push_back(row->id);
            }
            open_->bytes += rows.size() * (sizeof(int) + sizeof(uint32_t));
            return;
        }
    }
    RowsPlaced placed;
    placed.inserted = true;
    for (const auto& [index, row] : rows) {
        placed.indices.push_back(index);
        placed.ids.push_back(row->id);
    }
    record(std::move(placed), rows.size() * (sizeof(int) + sizeof(uint32_t)));
}

void EditHistory::rowsRemoved(std::vector<std::pair<int, std::unique_ptr<Row>>> rows) {
    RowsPlaced placed;
    size_t bytes = 0;
    for (auto& [index, row] : rows) {
        row->selected = false;
        bytes += rowBytes(*row) + sizeof(int) + sizeof(uint32_t) + sizeof(std::unique_ptr<Row>);
        placed.indices.push_back(index);
        placed.ids.push_back(row->id);
        placed.images.push_back(std::move(row));
    }
    // Rows removed one by one from the bottom up form one change: each stood
    // above the ones removed before it, so every index still says where its
    // row stood in the list before the first removal.
    if (open_ && !open_->changes.empty()) {
        auto* last = std::get_if<RowsPlaced>(&open_->changes.back());
        if (last && !last->inserted && placed.indices.back() < last->indices.front()) {
            last->indices.insert(last->indices.begin(), placed.indices.begin(),
                                 placed.indices.end());
            last->ids.insert(last->ids.begin(), placed.ids.begin(), placed.ids.end());
            last->images.insert(last->images.begin(),
                                std::make_move_iterator(placed.images.begin()),
                                std::make_move_iterator(placed.images.end()));
            open_->bytes += bytes;
            return;
        }
    }
    record(std::move(placed), bytes);
}

void EditHistory::rowsSwapped(uint32_t a, uint32_t b) {
    record(RowsSwapped{a, b}, 0);
}

void EditHistory::highestGroupChanged(int before, int after) {
    record(GroupChange{before, after}, 0);
}

void EditHistory::valuesChanged(const DocumentValues& before, const DocumentValues& after) {
    size_t bytes = textBytes(before.title) + textBytes(before.who) + textBytes(before.enumPrefix) +
                   textBytes(after.title) + textBytes(after.who) + textBytes(after.enumPrefix);
    record(ValuesChange{before, after}, bytes);
}

std::string EditHistory::undoName() const {
    return canUndo() ? steps_[index_ - 1]->name : std::string();
}

std::string EditHistory::redoName() const {
    return canRedo() ? steps_[index_]->name : std::string();
}

HistoryApplied EditHistory::undo(RowList& rows) {
    if (!canUndo()) return {};
    --index_;
    return takeStep(*steps_[index_], rows, false);
}

HistoryApplied EditHistory::redo(RowList& rows) {
    if (!canRedo()) return {};
    ++index_;
    return takeStep(*steps_[index_ - 1], rows, true);
}

// The step's changes are made without being recorded again.
HistoryApplied EditHistory::takeStep(Step& step, RowList& rows, bool forward) {
    HistoryApplied applied;
    RowListRecorder* recorder = rows.recorder();
    rows.setRecorder(nullptr);
    applied.values = applyStep(step, rows, forward);
    rows.setRecorder(recorder);
    applied.rows = touchedRows(step, rows);
    if (onChange) onChange();
    return applied;
}

namespace {

// Brings rows into the list or takes them out of it, by the change's record.
void placeRows(RowsPlaced& change, RowList& rows, bool bringIn) {
    if (bringIn) {
        std::vector<std::pair<int, std::unique_ptr<Row>>> restored;
        restored.reserve(change.images.size());
        for (size_t i = 0; i < change.images.size(); ++i)
            restored.emplace_back(change.indices[i], std::move(change.images[i]));
        change.images.clear();
        rows.restoreRows(std::move(restored));
        return;
    }
    // Where the rows stand now is where they go back to on the next bring-in.
    std::vector<std::pair<int, uint32_t>> standing;
    standing.reserve(change.ids.size());
    for (uint32_t id : change.ids)
        if (int index = rows.indexOf(id); index >= 0) standing.emplace_back(index, id);
    std::sort(standing.begin(), standing.end());
    change.indices.clear();
    change.ids.clear();
    for (const auto& [index, id] : standing) {
        change.indices.push_back(index);
        change.ids.push_back(id);
    }
    change.images = rows.takeRows(change.indices);
}

}  // namespace

std::optional<DocumentValues> EditHistory::applyStep(Step& step, RowList& rows, bool forward) {
    std::optional<DocumentValues> values;
    auto apply = [&](Change& change) {
        if (auto* c = std::get_if<CellChange>(&change)) {
            if (int i = rows.indexOf(c->row); i >= 0)
                rows.setCell(i, c->column, forward ? c->after : c->before);
        } else if (auto* k = std::get_if<CheckChange>(&change)) {
            if (int i = rows.indexOf(k->row); i >= 0)
                rows.setChecked(i, forward ? !k->before : k->before);
        } else if (auto* r = std::get_if<RowChange>(&change)) {
            const Row& image = forward ? *r->after : *r->before;
            if (int i = rows.indexOf(image.id); i >= 0)
                rows.update(i, [&](Row& row) { row = image; });
        } else if (auto* p = std::get_if<RowsPlaced>(&change)) {
            placeRows(*p, rows, p->inserted == forward);
        } else if (auto* s = std::get_if<RowsSwapped>(&change)) {
            int a = rows.indexOf(s->a), b = rows.indexOf(s->b);
            if (a >= 0 && b >= 0) rows.swapRows(a, b);
        } else if (auto* g = std::get_if<GroupChange>(&change)) {
            rows.setHighestGroup(forward ? g->after : g->before);
        } else if (auto* v = std::get_if<ValuesChange>(&change)) {
            values = forward ? v->after : v->before;
        }
    };
    if (forward) {
        for (Change& change : step.changes)
            apply(change);
    } else {
        for (auto it = step.changes.rbegin(); it != step.changes.rend(); ++it)
            apply(*it);
    }
    return values;
}

std::vector<uint32_t> EditHistory::touchedRows(const Step& step, const RowList& rows) const {
    std::vector<uint32_t> touched;
    auto add = [&](uint32_t id) {
        if (rows.indexOf(id) >= 0) touched.push_back(id);
    };
    for (const Change& change : step.changes) {
        if (auto* c = std::get_if<CellChange>(&change)) add(c->row);
        if (auto* k = std::get_if<CheckChange>(&change)) add(k->row);
        if (auto* r = std::get_if<RowChange>(&change)) add(r->before->id);
        if (auto* s = std::get_if<RowsSwapped>(&change)) {
            add(s->a);
            add(s->b);
        }
        if (auto* p = std::get_if<RowsPlaced>(&change))
            for (uint32_t id : p->ids)
                add(id);
    }
    std::sort(touched.begin(), touched.end());
    touched.erase(std::unique(touched.begin(), touched.end()), touched.end());
    return touched;
}

void EditHistory::clear() {
    steps_.clear();
    open_.reset();
    depth_ = 0;
    index_ = 0;
    clean_ = 0;
    bytes_ = 0;
    if (onChange) onChange();
}

namespace {

bool storedInPreviousFile(const Row& row) {
    return row.record && !row.storedIn && isBankYes(row.cells[kColBank]);
}

// Every row image a step holds: replaced rows before and after, removed rows.
template <typename F>
void forEachHeldRowOf(EditHistory::Step& step, F&& f) {
    for (Change& change : step.changes) {
        if (auto* r = std::get_if<RowChange>(&change)) {
            f(*r->before);
            f(*r->after);
        } else if (auto* p = std::get_if<RowsPlaced>(&change)) {
            for (auto& image : p->images)
                f(*image);
        }
    }
}

}  // namespace

bool EditHistory::holdsStoredAudio() const {
    bool holds = false;
    for (const auto& step : steps_)
        forEachHeldRowOf(*step, [&](Row& row) { holds = holds || storedInPreviousFile(row); });
    return holds;
}

void EditHistory::keepStoredAudio(const std::shared_ptr<ZQFile>& stillOpen) {
    for (const auto& step : steps_)
        forEachHeldRowOf(*step, [&](Row& row) {
            if (storedInPreviousFile(row)) row.storedIn = stillOpen;
        });
}

}  // namespace quillon
