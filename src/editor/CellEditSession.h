// The life of one in-place cell edit, without widgets: which cell is being
// edited, the text it showed when the edit began, the value typed so far, the
// column's check, and the write into every selected row. The view lays an
// edit widget over the cell and hands it the session's texts; at most one
// session is open at a time.
#pragma once

#include <string>
#include <vector>

#include "bank/CellEdit.h"
#include "bank/QuillonDoc.h"

namespace quillon {

class CellEditSession {
  public:
    explicit CellEditSession(CQuillonDoc& doc) : doc_(doc) {}

    bool isOpen() const { return row_ >= 0; }
    int row() const { return row_; }
    int column() const { return column_; }
    // The cell's text as the edit began.
    const std::string& original() const { return original_; }
    // The value typed so far; the original until the view passes another.
    const std::string& pending() const { return pending_; }

    // Opens over a cell of the document's rows and remembers its column;
    // false, and nothing opens, outside the rows or columns. An open session
    // must be committed or cancelled first.
    bool open(int row, int column);
    void setPending(std::string text) { pending_ = std::move(text); }

    // Checks the pending value for its column and rewrites a numeric value as
    // the cell will show it ("12abc" becomes "12"), valid or not. A refused
    // value leaves the session open. Valid when no session is open.
    CellCheck validate();
    // Closes the session, then writes the pending value into the cell of
    // every selected row (Description cut to its field's bytes). Writing what
    // every selected row already holds would only mark the bank changed, so
    // then nothing is written. Does nothing when no session is open.
    void commit();
    // Closes the session; every cell keeps its text.
    void cancel();

    // The column Up and Down reopen the edit in: the last one opened or
    // double-clicked, 0 after a click on a row image.
    int rememberedColumn() const { return rememberedColumn_; }
    void rememberColumn(int column) { rememberedColumn_ = column; }

    // A key of the list commits an open session unchecked; whether one was
    // open when the key came decides whether Up and Down reopen it.
    void keyArrives() { openAtKey_ = isOpen(); }
    // True when the key now handled found a session open and the remembered
    // column can be edited in this bank.
    bool followsSelection() const;

    // The editable column after (`step` 1) or before (`step` -1) `column` in
    // the order the list shows its columns (`shownOrder`, hidden ones left
    // out); -1 at either end of the row. Tab and Shift+Tab walk this way.
    int neighbourEditableColumn(const std::vector<int>& shownOrder, int column, int step) const;

  private:
    bool writeWouldChangeCells(int column, const std::string& text) const;

    CQuillonDoc& doc_;
    int row_ = -1;
    int column_ = -1;
    std::string original_;
    std::string pending_;
    int rememberedColumn_ = 0;
    bool openAtKey_ = false;
};

}  // namespace quillon
