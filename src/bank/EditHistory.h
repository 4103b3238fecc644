// The edit history of a document: every change of its rows and bank values,
// gathered in named steps that Undo and Redo walk back and forth.
//
// The history hears the row list's changes as its recorder, so no change of
// a row escapes it. A step holds only what it touched: the cells it changed
// (before and after), the whole rows it replaced, the rows it removed (the
// list hands them over) and the ids of the rows it added. Rows are named by
// their ids, so a step undoes correctly after a sort has moved its rows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "bank/RowList.h"

namespace quillon {

// The document values a step may change besides the rows.
struct DocumentValues {
    std::string title;
    std::string who;
    bool musicBank = false;
    std::string enumPrefix;
    bool operator==(const DocumentValues&) const = default;
};

// What an undo or redo did: the rows it touched that now stand in the list,
// and the document values to set, when the step changed them.
struct HistoryApplied {
    std::vector<uint32_t> rows;
    std::optional<DocumentValues> values;
};

class EditHistory final : public RowListRecorder {
  public:
    static constexpr size_t kDefaultBudgetBytes = size_t(64) << 20;

    explicit EditHistory(size_t budgetBytes = kDefaultBudgetBytes);
    ~EditHistory() override;
    EditHistory(const EditHistory&) = delete;
    EditHistory& operator=(const EditHistory&) = delete;

    // Steps nest: changes until the outermost endStep form one step, named by
    // the outermost beginStep or the last nameStep. A step that changed
    // nothing is not kept. A change made with no step open is a step of its own.
    void beginStep(std::string name);
    void nameStep(std::string name);
    void endStep();

    void valuesChanged(const DocumentValues& before, const DocumentValues& after);

    bool canUndo() const { return index_ > 0 && depth_ == 0; }
    bool canRedo() const { return index_ < steps_.size() && depth_ == 0; }
    // The names of the steps Undo and Redo would take; empty when none.
    std::string undoName() const;
    std::string redoName() const;
    HistoryApplied undo(RowList& rows);
    HistoryApplied redo(RowList& rows);

    // The saved state: the document is unmodified exactly when the history
    // stands at it. Once the steps that led there are dropped or replaced, no
    // state of the history is the saved one.
    bool isClean() const { return clean_ && *clean_ == index_; }
    void markClean() { clean_ = index_; }
    void clear();

    size_t stepCount() const { return steps_.size(); }
    size_t index() const { return index_; }
    size_t bytes() const { return bytes_; }

    // Before a save replaces the bank file, the rows the history holds whose
    // audio lies in that file are pointed at `stillOpen`, a second handle on
    // it that outlives the rename, so undoing their removal after the save
    // still finds their audio. Rows that already point elsewhere keep it.
    bool holdsStoredAudio() const;
    void keepStoredAudio(const std::shared_ptr<ZQFile>& stillOpen);

    // RowListRecorder
    void cellChanged(uint32_t id, int column, std::string before,
                     const std::string& after) override;
    void checkChanged(uint32_t id, bool before) override;
    void rowChanged(const Row& before, const Row& after) override;
    void rowsInserted(const std::vector<std::pair<int, const Row*>>& rows) override;
    void rowsRemoved(std::vector<std::pair<int, std::unique_ptr<Row>>> rows) override;
    void rowsSwapped(uint32_t a, uint32_t b) override;
    void highestGroupChanged(int before, int after) override;

    // Called after a step is kept, undone or redone, and after clear.
    std::function<void()> onChange;

    struct Step;

  private:
    std::vector<uint32_t> touchedRows(const Step& step, const RowList& rows) const;
    template <typename ChangeT>
    void record(ChangeT change, size_t bytes);
    void closeStep();
    void dropOldestOverBudget();
    HistoryApplied takeStep(Step& step, RowList& rows, bool forward);
    std::optional<DocumentValues> applyStep(Step& step, RowList& rows, bool forward);

    size_t budgetBytes_;
    std::deque<std::unique_ptr<Step>> steps_;
    std::unique_ptr<Step> open_;
    int depth_ = 0;
    size_t index_ = 0;  // the number of steps done; steps from here on are undone
    std::optional<size_t> clean_ = 0;
    size_t bytes_ = 0;
};

// Holds a step open for the scope of one command.
class HistoryStep {
  public:
    HistoryStep(EditHistory& history, std::string name) : history_(history) {
        history_.beginStep(std::move(name));
    }
    ~HistoryStep() { history_.endStep(); }
    HistoryStep(const HistoryStep&) = delete;
    HistoryStep& operator=(const HistoryStep&) = delete;

  private:
    EditHistory& history_;
};

// "3 Samples", "1 Sample": the count in a step's name.
std::string samplesText(size_t count);

}  // namespace quillon
