#include "bank/ListOps.h"

#include <algorithm>
#include <bit>
#include <functional>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "bank/BankLayout.h"
#include "bank/CellFormat.h"
#include "bank/RowCells.h"
#include "bank/RowRecord.h"
#include "bank/SegmentNames.h"
#include "platform/Numbers.h"
#include "platform/Text.h"

namespace quillon {

namespace {

// Exchanges rows a and b but for their numbers: the No cell stays with the
// position.
void exchangeKeepingNumbers(RowList& rows, int a, int b) {
    std::string noA = rows.cell(a, kColNo), noB = rows.cell(b, kColNo);
    rows.swapRows(a, b);
    rows.setCell(a, kColNo, noA);
    rows.setCell(b, kColNo, noB);
}

MoveResult refuseMove(CQuillonDoc& doc, MoveResult result, const char* message) {
    showStop(doc.shell(), message);
    return result;
}

}  // namespace

MoveResult moveSelectedUp(CQuillonDoc& doc) {
    RowList& rows = doc.rows();
    if (!rows.sortState().sortedByNumber)
        return refuseMove(doc, MoveResult::NotSortedByNumber, kMessageMoveUnsorted);
    int i = rows.nextSelected(0);
    if (i < 0) return MoveResult::NothingSelected;
    if (i == 0) return refuseMove(doc, MoveResult::AtFirstRow, kMessageMoveFirst);
    HistoryStep step(doc.history(), "Move Up");
    for (; i > 0; i = rows.nextSelected(i + 1)) {
        exchangeKeepingNumbers(rows, i, i - 1);
        rows.setSelected(i - 1, true);
        rows.setSelected(i, false);
        rows.requestScroll(std::max(i - 2, 0));
    }
    return MoveResult::Moved;
}

MoveResult moveSelectedDown(CQuillonDoc& doc) {
    RowList& rows = doc.rows();
    if (!rows.sortState().sortedByNumber)
        return refuseMove(doc, MoveResult::NotSortedByNumber, kMessageMoveUnsorted);
    std::vector<int> selected = rows.selectedRows();
    if (selected.empty()) return MoveResult::NothingSelected;
    if (selected.back() == rows.size() - 1)
        return refuseMove(doc, MoveResult::AtLastRow, kMessageMoveLast);
    HistoryStep step(doc.history(), "Move Down");
    // The bottom-most selected row moves first, so no move lands on another.
    for (auto it = selected.rbegin(); it != selected.rend(); ++it) {
        int i = *it;
        exchangeKeepingNumbers(rows, i, i + 1);
        rows.setSelected(i + 1, true);
        rows.requestScroll(i + 1);
        rows.setSelected(i, false);
    }
    return MoveResult::Moved;
}

void renumberBank(CQuillonDoc& doc) {
    RowList& rows = doc.rows();
    HistoryStep step(doc.history(), "Renumber");
    for (int i = 0; i < rows.size(); ++i)
        rows.setCell(i, kColNo, integerCell(i + 1));
}

namespace {

int cloneCount(const Row& row) {
    return atoiLike(sortKey(row, kColClone));
}

// Each deleted row whose Clone count is above 0 lowers the count of every row
// of its file by one, never below 0: a row can share the file without a Clone
// (a Refresh that moved a same-named file into its folder). Lowering by one d
// times with that floor is lowering by d once, so each file is settled in one
// pass over its rows however many of them go.
void lowerCloneCounts(RowList& rows, const std::vector<int>& deleted) {
    if (std::none_of(deleted.begin(), deleted.end(),
                     [&rows](int i) { return cloneCount(rows.row(i)) > 0; }))
        return;
    std::unordered_map<std::string, std::vector<int>> rowsOfFile;  // keyed by the folded path
    for (int i = 0; i < rows.size(); ++i)
        rowsOfFile[asciiLower(rowPath(rows.row(i)))].push_back(i);
    std::vector<bool> goes(size_t(rows.size()), false);
    for (int i : deleted)
        goes[size_t(i)] = true;
    for (const auto& [path, members] : rowsOfFile) {
        int lowered = 0;
        for (int i : members)  // in list order, as the rows are deleted
            if (goes[size_t(i)] && cloneCount(rows.row(i)) - lowered > 0) ++lowered;
        if (lowered == 0) continue;
        for (int i : members) {
            if (goes[size_t(i)]) continue;
            int count = std::max(0, cloneCount(rows.row(i)) - lowered);
            rows.setCell(i, kColClone, integerCell(count));
        }
    }
}

std::vector<uint8_t> animWaveNumbersOf(CQuillonDoc& doc) {
    ZQFile& previous = doc.previousFile();
    if (!previous.IsOpen() || previous.GetSegmentSize(ZQFileSegmentAnimArray) == kNoSuchSegment)
        return {};
    const char* name = animWaveNumbersSegmentOf(previous);
    return name ? doc.readPreviousSegment(name) : std::vector<uint8_t>();
}

}  // namespace

void deleteSelectedRows(CQuillonDoc& doc) {
    RowList& rows = doc.rows();
    std::vector<uint8_t> animNumbers = animWaveNumbersOf(doc);
    std::vector<int> deleted;
    for (int i : rows.selectedRows()) {
        const Row& row = rows.row(i);
        if (!animNumbers.empty() && animWaveNumbersContain(animNumbers, row.loadNumber)) {
            showStop(doc.shell(),
                     format("sample %d in use by anim data", atoiLike(sortKey(row, kColNo))));
            rows.setSelected(i, false);
            continue;
        }
        deleted.push_back(i);
    }
    HistoryStep step(doc.history(), "Delete " + samplesText(deleted.size()));
    lowerCloneCounts(rows, deleted);
    rows.removeRows(deleted);
    doc.showSelectedItem(-1);
}

void createGroupForSelected(CQuillonDoc& doc) {
    RowList& rows = doc.rows();
    if (rows.selectedCount() == 0) return;
    HistoryStep step(doc.history(), "Create Group");
    int group = rows.highestGroup() + 1;
    rows.setHighestGroup(group);
    for (int i : rows.selectedRows())
        rows.setCell(i, kColGroup, integerCell(group));
}

void setPlaybackForSelected(CQuillonDoc& doc, bool enabled) {
    RowList& rows = doc.rows();
    HistoryStep step(doc.history(), enabled ? "Enable Playback" : "Disable Playback");
    for (int i : rows.selectedRows())
        rows.setChecked(i, enabled);
}

void selectOnly(CQuillonDoc& doc, int row) {
    RowList& rows = doc.rows();
    rows.clearSelection();
    rows.setSelected(row, true);
    rows.setCurrent(row);
    rows.requestScroll(row);
    doc.showSelectedItem(row);
}

namespace {

// The first row at or after `from` whose Name holds the (lower-case) text.
int findFrom(const RowList& rows, const std::string& text, int from) {
    for (int i = std::max(from, 0); i < rows.size(); ++i)
        if (asciiLower(sortKey(rows.row(i), kColName)).find(text) != std::string::npos) return i;
    return -1;
}

bool showFindResult(CQuillonDoc& doc, int match) {
    if (match >= 0) {
        doc.texts().findPosition = match + 1;
        selectOnly(doc, match);
        return true;
    }
    doc.rows().clearSelection();
    doc.rows().requestScroll(0);
    doc.showSelectedItem(-1);
    return false;
}

}  // namespace

bool findRow(CQuillonDoc& doc) {
    if (doc.rows().empty()) return false;
    // The text stays lower-cased: the dialog shows it so next time.
    doc.texts().findText = asciiLower(doc.texts().findText);
    return showFindResult(doc, findFrom(doc.rows(), doc.texts().findText, 0));
}

bool findNextRow(CQuillonDoc& doc) {
    const RowList& rows = doc.rows();
    if (rows.empty()) return false;
    int match = findFrom(rows, asciiLower(doc.texts().findText), doc.texts().findPosition);
    if (match < 0) return findRow(doc);
    return showFindResult(doc, match);
}

bool gotoRow(CQuillonDoc& doc) {
    const RowList& rows = doc.rows();
    for (int i = 0; i < rows.size(); ++i) {
        if (atoiLike(sortKey(rows.row(i), kColNo)) == doc.texts().gotoNumber) {
            selectOnly(doc, i);
            return true;
        }
    }
    return false;
}

namespace {

// A row's path as rowPath joins it (Location, "/" unless Location is empty or
// ends in one, Name), read where it lies: the totals run on every toolbar
// refresh and must not allocate for every row.
struct RowPathView {
    std::string_view folder, name;
    bool slash;
    explicit RowPathView(const Row& row)
        : folder(row.cells[kColLocation]),
          name(row.cells[kColName]),
          slash(!folder.empty() && folder.back() != '/') {}
    size_t size() const { return folder.size() + (slash ? 1 : 0) + name.size(); }
    char lowerAt(size_t i) const {
        if (i < folder.size()) return asciiLowerChar(folder[i]);
        i -= folder.size();
        if (slash && i-- == 0) return '/';
        return asciiLowerChar(name[i]);
    }
};

bool samePathIgnoringCase(const Row& a, const Row& b) {
    RowPathView pa(a), pb(b);
    size_t n = pa.size();
    if (n != pb.size()) return false;
    for (size_t i = 0; i < n; ++i)
        if (pa.lowerAt(i) != pb.lowerAt(i)) return false;
    return true;
}

// The rows' files seen so far, by path ignoring letter case: an open-addressing
// table of row references sized once, so a row costs no allocation.
class SeenPaths {
  public:
    explicit SeenPaths(size_t rows) : slots_(std::bit_ceil(rows * 2 + 2)) {}

    // True when no row inserted before has the same path.
    bool insert(const Row& row) {
        size_t hash = hashOf(row);
        size_t mask = slots_.size() - 1;
        for (size_t i = hash & mask;; i = (i + 1) & mask) {
            Slot& slot = slots_[i];
            if (!slot.row) {
                slot = {hash, &row};
                return true;
            }
            if (slot.hash == hash && samePathIgnoringCase(*slot.row, row)) return false;
        }
    }

  private:
    struct Slot {
        size_t hash = 0;
        const Row* row = nullptr;
    };
    size_t hashOf(const Row& row) {
        RowPathView path(row);
        folded_.assign(path.folder);
        if (path.slash) folded_ += '/';
        folded_ += path.name;
        for (char& c : folded_)
            c = asciiLowerChar(c);
        return std::hash<std::string_view>{}(folded_);
    }
    std::vector<Slot> slots_;
    std::string folded_;  // reused for every row
};

}  // namespace

ByteTotals byteTotals(const RowList& rows) {
    ByteTotals totals;
    SeenPaths seen(size_t(rows.size()));
    for (int i = 0; i < rows.size(); ++i) {
        const Row& row = rows.row(i);
        bool firstOfFile = seen.insert(row);
        if (!firstOfFile && !row.cells[kColClone].empty()) continue;
        uint64_t size = atouLike(row.cells[kColSize]);
        totals.all += size;
        if (row.selected) totals.selected += size;
    }
    return totals;
}

std::string formatByteTotal(uint64_t total) {
    if (total == 0) return {};
    std::string digits = std::to_string(total);
    std::string grouped;
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) grouped += ',';
        grouped += digits[i];
    }
    return format("%14s", grouped.c_str());
}

}  // namespace quillon
