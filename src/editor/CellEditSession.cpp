#include "editor/CellEditSession.h"

#include <algorithm>

#include "bank/Columns.h"
#include "bank/SampleRecord.h"
#include "platform/Text.h"

namespace quillon {

bool CellEditSession::open(int row, int column) {
    const RowList& rows = doc_.rows();
    if (row < 0 || row >= rows.size() || column < 0 || column >= kColumnCount) return false;
    row_ = row;
    column_ = column;
    original_ = rows.cell(row, column);
    pending_ = original_;
    rememberedColumn_ = column;
    return true;
}

CellCheck CellEditSession::validate() {
    if (!isOpen()) return {};
    return ValidateCellEdit(column_, pending_);
}

// True unless every selected row already holds the text.
bool CellEditSession::writeWouldChangeCells(int column, const std::string& text) const {
    const RowList& rows = doc_.rows();
    for (int i = rows.nextSelected(0); i >= 0; i = rows.nextSelected(i + 1))
        if (rows.cell(i, column) != text) return true;
    return false;
}

void CellEditSession::commit() {
    if (!isOpen()) return;
    const int row = row_, column = column_;
    std::string text = std::move(pending_);
    cancel();
    // A text field holds what its column allows; a cut never splits a character.
    const ColumnDescriptor& described = columnAt(column);
    if (described.kind == CellKind::Text)
        text = std::string(cutAtCharacter(text, described.keyBytes - 1));
    if (writeWouldChangeCells(column, text)) CommitCellEdit(doc_, column, text);
    if (column == kColDescription && row < doc_.rows().size()) doc_.showSelectedItem(row);
}

void CellEditSession::cancel() {
    row_ = column_ = -1;
    original_.clear();
    pending_.clear();
}

bool CellEditSession::followsSelection() const {
    return openAtKey_ && canEditColumn(doc_, rememberedColumn_);
}

int CellEditSession::neighbourEditableColumn(const std::vector<int>& shownOrder, int column,
                                             int step) const {
    auto at = std::find(shownOrder.begin(), shownOrder.end(), column);
    if (at == shownOrder.end()) return -1;
    for (auto i = at - shownOrder.begin() + step; i >= 0 && size_t(i) < shownOrder.size();
         i += step)
        if (canEditColumn(doc_, shownOrder[size_t(i)])) return shownOrder[size_t(i)];
    return -1;
}

}  // namespace quillon
