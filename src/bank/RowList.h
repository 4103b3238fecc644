// The list of rows: the single truth for the bank being edited.
//
// Each row holds the 28 cell texts, its stored record, its playback check box and
// whether it is selected; the list holds the rows in list order, the current
// (focus) row and the sort state. Views render it and forward user input to it;
// every change is announced to the observers, so a view follows without
// rescanning.
#pragma once

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "bank/Columns.h"
#include "bank/SampleRecord.h"

namespace quillon {

struct Row;

// Sets a row's cell: the one write of a cell text. A column's sort key is made
// from its cell when asked for (sortKey in RowCells.h), so the two never
// disagree.
void setCell(Row& row, int column, std::string text);
void setCell(Row& row, int column, std::string_view text);
void setCell(Row& row, int column, const char* text);

// The 28 cell texts of a row, each at its length; read here, written by setCell.
class CellTexts {
  public:
    const std::string& operator[](size_t column) const { return texts_[column]; }
    auto begin() const { return texts_.begin(); }
    auto end() const { return texts_.end(); }

  private:
    friend void setCell(Row& row, int column, std::string text);
    std::array<std::string, kColumnCount> texts_;
};

struct Row {
    CellTexts cells;
    // The stored record this row was built from when a bank was opened or
    // saved; none for a row added since. The row keeps its own copy, so it
    // never points into a bank that was released.
    std::optional<ZQ_BankSample> record;
    uint32_t loadNumber = 0;      // the row's No when it was built from the bank
    uint32_t waveOwner = 0;       // set by the writer
    uint32_t waveOffset = 0;      // set by the writer
    uint32_t mpegDescriptor = 0;  // frame header of a music section; 0 for WAV samples
    uint32_t enabled = 0;         // the playback flag as it was when the row was built
    WaveFormatBlock waveFormat;   // set for music sections
    bool checked = false;         // the playback flag shown as the row's check box
    bool selected = false;        // read through RowList; change it with RowList::setSelected
};

class RowListObserver {
  public:
    virtual ~RowListObserver() = default;
    virtual void beforeRowsInserted(int /*first*/, int /*last*/) {}
    virtual void rowsInserted(int /*first*/, int /*last*/) {}
    virtual void beforeRowsRemoved(int /*first*/, int /*last*/) {}
    virtual void rowsRemoved(int /*first*/, int /*last*/) {}
    // Cells, keys or check boxes of rows first..last changed.
    virtual void rowsChanged(int /*first*/, int /*last*/) {}
    // The same rows now stand in another order (a sort).
    virtual void beforeReorder() {}
    virtual void reordered() {}
    // Everything may have changed (cleared or filled anew).
    virtual void beforeReset() {}
    virtual void reset() {}
    virtual void selectionChanged() {}
    virtual void currentChanged(int /*row*/) {}
    // An operation asks for this row to be scrolled into view.
    virtual void scrollRequested(int /*row*/) {}
};

// The sort state of the list.
struct SortState {
    // Per column: 1 when the next header-click sort is descending, 0 ascending.
    std::array<int, kColumnCount> direction;
    // True while the rows stand in ascending No order as far as sorting knows.
    bool sortedByNumber = true;
    SortState() { direction.fill(1); }
};

class RowList {
  public:
    RowList() = default;
    RowList(const RowList&) = delete;
    RowList& operator=(const RowList&) = delete;

    int size() const { return int(rows_.size()); }
    bool empty() const { return rows_.empty(); }
    const Row& row(int index) const { return *rows_[size_t(index)]; }
    const std::string& cell(int index, int column) const {
        return row(index).cells[size_t(column)];
    }

    // Adds a row at the end; returns its index.
    int append(Row row);
    int append(std::unique_ptr<Row> row);
    // Replaces every row at once (filling from a bank).
    void assign(std::vector<Row> rows);
    void assign(std::vector<std::unique_ptr<Row>> rows);
    void remove(int index);
    void clear();

    // Sets a cell's text (and so its sort key).
    void setCell(int index, int column, std::string text);
    // Any other change of one row, announced as one change.
    void update(int index, const std::function<void(Row&)>& change);
    void setChecked(int index, bool checked);
    // Exchanges two whole rows (cells, record, check box, selection).
    void swapRows(int a, int b);

    // Orders the rows by a comparison that returns <0, 0 or >0; rows that
    // compare equal keep their order.
    void sort(const std::function<int(const Row&, const Row&)>& compare);
    // Puts the rows in the given order: order[i] is the index, before, of the
    // row that comes to stand at i.
    void reorder(const std::vector<int>& order);

    bool isSelected(int index) const { return row(index).selected; }
    void setSelected(int index, bool selected);
    void clearSelection();
    int selectedCount() const { return selectedCount_; }
    // First selected row at or after `from`, or -1.
    int nextSelected(int from = 0) const;
    std::vector<int> selectedRows() const;

    int current() const { return current_; }
    void setCurrent(int index);
    void requestScroll(int index);

    SortState& sortState() { return sortState_; }
    const SortState& sortState() const { return sortState_; }
    // The largest Group value met since the list was last filled from a bank.
    int highestGroup() const { return highestGroup_; }
    void setHighestGroup(int group) { highestGroup_ = group; }
    void raiseHighestGroup(int group) {
        if (group > highestGroup_) highestGroup_ = group;
    }

    void addObserver(RowListObserver* observer);
    void removeObserver(RowListObserver* observer);

  private:
    Row& mutableRow(int index) { return *rows_[size_t(index)]; }
    template <typename F>
    void notify(F&& f) {
        for (RowListObserver* o : observers_)
            f(*o);
    }

    std::vector<std::unique_ptr<Row>> rows_;
    int selectedCount_ = 0;
    int current_ = -1;
    SortState sortState_;
    int highestGroup_ = 0;
    std::vector<RowListObserver*> observers_;
};

}  // namespace quillon
