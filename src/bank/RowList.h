// The list of rows: the single truth for the bank being edited.
//
// Each row holds the 28 cell texts, its stored record, its playback check box and
// whether it is selected; the list holds the rows in list order, the current
// (focus) row and the sort state. Views render it and forward user input to it;
// every change is announced to the observers, so a view follows without
// rescanning.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "bank/Columns.h"
#include "bank/SampleRecord.h"

namespace quillon {

class ZQFile;

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
    // The row's name in the list, given when it joins the list and kept for
    // its life there (a sort or a move does not change it), so the edit
    // history can find the rows it touched wherever they now stand.
    uint32_t id = 0;
    // The bank file whose wave data holds this row's stored audio when that is
    // no longer the bank last opened or saved: a row the history brings back
    // after a save. Null for every other row.
    std::shared_ptr<ZQFile> storedIn;
};

// Hears every change of the rows' content as it happens, with what stood
// before: the edit history records its steps from these calls. Selection,
// the current row and sorting are not content and are not reported.
class RowListRecorder {
  public:
    virtual ~RowListRecorder() = default;
    virtual void cellChanged(uint32_t id, int column, std::string before,
                             const std::string& after) = 0;
    virtual void checkChanged(uint32_t id, bool before) = 0;
    virtual void rowChanged(const Row& before, const Row& after) = 0;
    // Rows that now stand at the given indices, in ascending order.
    virtual void rowsInserted(const std::vector<std::pair<int, const Row*>>& rows) = 0;
    // Rows that stood at the given indices, in ascending order, before they
    // went; the recorder keeps them.
    virtual void rowsRemoved(std::vector<std::pair<int, std::unique_ptr<Row>>> rows) = 0;
    virtual void rowsSwapped(uint32_t a, uint32_t b) = 0;
    virtual void highestGroupChanged(int before, int after) = 0;
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
    // Removes the rows at the given indices (ascending, each once) in one pass.
    void removeRows(const std::vector<int>& ascending);
    // The same, handing the rows to the caller in that order instead of to
    // the recorder: the history's undo of an insertion and redo of a removal.
    std::vector<std::unique_ptr<Row>> takeRows(const std::vector<int>& ascending);
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
    // Selects exactly the given rows, announced as one change.
    void selectOnly(const std::vector<int>& indices);
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
    void setHighestGroup(int group);
    void raiseHighestGroup(int group) {
        if (group > highestGroup_) setHighestGroup(group);
    }

    // The index of the row with this id, or -1 when no row has it.
    int indexOf(uint32_t id) const;
    // Puts rows back at the given indices (ascending, each where it will
    // stand), keeping the ids they carry: the history's undo of a removal and
    // redo of an insertion. Other callers add rows with append.
    void restoreRows(std::vector<std::pair<int, std::unique_ptr<Row>>> rows);

    // Changes are reported to the recorder while one is set; null stops it
    // (opening, saving, and the history's own undo and redo).
    void setRecorder(RowListRecorder* recorder) { recorder_ = recorder; }
    RowListRecorder* recorder() const { return recorder_; }

    void addObserver(RowListObserver* observer);
    void removeObserver(RowListObserver* observer);

  private:
    Row& mutableRow(int index) { return *rows_[size_t(index)]; }
    template <typename F>
    void notify(F&& f) {
        for (RowListObserver* o : observers_)
            f(*o);
    }

    void giveId(Row& row) { row.id = nextId_++; }
    void removeAll();
    void forgetIndex() { indexValid_ = false; }
    const Row* currentRowPointer() const;
    void findCurrent(const Row* currentRow);
    std::vector<std::unique_ptr<Row>> extractRows(const std::vector<int>& ascending);
    void mergeRows(std::vector<std::pair<int, std::unique_ptr<Row>>>& rows);

    std::vector<std::unique_ptr<Row>> rows_;
    RowListRecorder* recorder_ = nullptr;
    uint32_t nextId_ = 1;
    mutable std::unordered_map<uint32_t, int> indexById_;
    mutable bool indexValid_ = false;
    int selectedCount_ = 0;
    int current_ = -1;
    SortState sortState_;
    int highestGroup_ = 0;
    std::vector<RowListObserver*> observers_;
};

}  // namespace quillon
