// Sorting, moving, deleting (the anim data check is the older banks' test), byte totals.
#include <gtest/gtest.h>

#include "bank/CellFormat.h"
#include "bank/ListOps.h"
#include "bank/RowCells.h"
#include "bank/Sorting.h"
#include "support/FakeShell.h"

namespace quillon {
namespace {

struct Scrolls : RowListObserver {
    std::string rows;
    void scrollRequested(int row) override { rows += std::to_string(row); }
};

class ListOpsTest : public testing::Test {
  protected:
    void addRow(int number, const std::string& name, const std::string& location = "/snd",
                const std::string& clone = "0", uint32_t size = 100) {
        Row row;
        for (int c = kColBank; c < kColumnCount; ++c)
            setCell(row, c, "*");
        for (auto [c, text] : {std::pair{kColNo, std::to_string(number)},
                               {kColName, name},
                               {kColLocation, location},
                               {kColClone, clone},
                               {kColSize, std::to_string(size)}})
            setCell(row, c, text);
        row.checked = true;
        doc.rows().append(std::move(row));
    }
    void addRows(int count) {
        for (int i = 1; i <= count; ++i)
            addRow(i, "n" + std::to_string(i));
        doc.setModified(false);  // the rows stand as if opened
    }
    void select(const std::vector<int>& indices) {
        doc.rows().clearSelection();
        for (int i : indices)
            doc.rows().setSelected(i, true);
    }
    // A column's cells (or keys) joined by blanks; selected rows marked "*", unchecked "-".
    std::string cells(int c, bool keys = false) const {
        std::string out;
        for (int i = 0; i < doc.rows().size(); ++i) {
            const Row& row = doc.rows().row(i);
            out +=
                (i ? " " : "") + (keys ? sortKeyOf(c, row.cells[size_t(c)]) : row.cells[size_t(c)]);
            out += std::string(row.selected ? "*" : "") + (row.checked ? "" : "-");
        }
        return out;
    }

    test::FakeShell shell;
    CQuillonDoc doc{shell, nullptr};
};

TEST(CompareRows, OrdersKeysByValueInBothDirections) {
    // CompareRows(a, b) with direction 0; direction 1 gives the opposite.
    // clang-format off
    const struct { int column; const char *a, *b; int ascending; } cases[] = {
        {kColPriority, "0003", "0005", -1}, {kColPriority, "0042", "0042", 0},
        {kColXPos, "-0005", "-0010", 1}, {kColXPos, "-0005", "0003", -1},
        {kColXPos, "*", "-0010", -1}, {kColPriority, "*", "0001", -1}, {kColNo, "10000", "9999", 1},
        {kColXPos, "-10000", "-0005", -1}, {kColSize, "123456789", "99999999", 1},
        {kColMinDist, "5.0000", "10.0000", -1}, {kColMinDist, "0.5000", "0.0100", 1},
        {kColMinDist, "-10.0000", "-0.5000", -1}, {kColName, "abc.wav", "ABC.WAV", 0},
        {kColName, "_x.wav", "a.wav", -1}, 
        {kColName, "10.wav", "9.wav", -1}};
    // clang-format on
    for (const auto& c : cases) {
        Row a, b;
        setCell(a, c.column, c.a);
        setCell(b, c.column, c.b);
        EXPECT_EQ(CompareRows(a, b, c.column, 0), c.ascending) << c.a << " " << c.b;
        EXPECT_EQ(CompareRows(a, b, c.column, 1), -c.ascending) << c.a << " " << c.b;
        EXPECT_EQ(CompareRows(b, a, c.column, 0), -c.ascending) << c.a << " " << c.b;
    }
}

TEST_F(ListOpsTest, SortingFlipsItsDirectionAndOnlyNoAscendingIsSortedByNumber) {
    addRows(3);
    auto sortBy = [&](int column) {
        sortByColumn(doc.rows(), column);
        return cells(kColNo) + (doc.rows().sortState().sortedByNumber ? " by number" : "");
    };
    EXPECT_EQ(sortBy(kColNo), "3 2 1");  // descending first
    resortByNumber(doc.rows());          // ascending, without flipping
    EXPECT_EQ(sortBy(kColNo), "1 2 3 by number");
    EXPECT_EQ(sortBy(kColNo), "3 2 1");
    doc.rows().setCell(2, kColPriority, "1");
    select({2});
    doc.rows().setCurrent(2);
    doc.rows().setChecked(1, false);
    doc.rows().sortState().direction[kColPriority] = 1;
    EXPECT_EQ(sortBy(kColPriority), "1* 3 2-");
    EXPECT_EQ(doc.rows().current(), 0);
}

TEST_F(ListOpsTest, MovesExchangeRowsButKeepTheNumbersInPlace) {
    addRows(5);
    doc.rows().setChecked(3, false);
    doc.rows().update(2, [](Row& r) { r.loadNumber = 33; });
    select({2, 3});
    Scrolls scrolls;
    doc.rows().addObserver(&scrolls);
    EXPECT_EQ(moveSelectedUp(doc), MoveResult::Moved);
    EXPECT_EQ(cells(kColName), "n1 n3* n4*- n2 n5");
    EXPECT_EQ(cells(kColNo, true), "0001 0002* 0003*- 0004 0005");
    EXPECT_EQ(doc.rows().row(1).loadNumber, 33u);
    EXPECT_EQ(scrolls.rows, "01");  // the row above each new place
    EXPECT_TRUE(doc.isModified());
    select({0, 1});  // down moves the bottom row first
    scrolls.rows.clear();
    EXPECT_EQ(moveSelectedDown(doc), MoveResult::Moved);
    doc.rows().removeObserver(&scrolls);
    EXPECT_EQ(cells(kColName), "n4- n1* n3* n2 n5");
    EXPECT_EQ(scrolls.rows, "21");
    EXPECT_TRUE(shell.messages.empty());
}

TEST_F(ListOpsTest, MovesRefuseWithTheirExactMessagesAndMoveNothing) {
    addRows(6);
    auto refusal = [&](bool up, std::vector<int> selection) {
        shell.messages.clear();
        select(selection);
        MoveResult result = up ? moveSelectedUp(doc) : moveSelectedDown(doc);
        EXPECT_EQ(cells(kColName, true).find('*') == std::string::npos, selection.empty());
        EXPECT_TRUE(shell.messages.empty() || shell.messages[0].icon == MessageIcon::Stop);
        return std::pair(result, shell.messages.empty() ? "" : shell.messages[0].text);
    };
    const std::string six(6, ' '), eleven(11, ' ');
    EXPECT_EQ(refusal(true, {0, 5}),
              std::pair(MoveResult::AtFirstRow,
                        six + "Cannot move first item up" + std::string(17, ' ')));
    EXPECT_EQ(refusal(false, {1, 5}),
              std::pair(MoveResult::AtLastRow, six + "Cannot move last item down" + eleven));
    EXPECT_EQ(refusal(true, {}), std::pair(MoveResult::NothingSelected, std::string()));
    doc.rows().sortState().sortedByNumber = false;
    const std::string unsorted = six + "Cannot move wav until sorted by number" + eleven;
    EXPECT_EQ(refusal(true, {2}), std::pair(MoveResult::NotSortedByNumber, unsorted));
    EXPECT_EQ(refusal(false, {2}), std::pair(MoveResult::NotSortedByNumber, unsorted));
    EXPECT_EQ(cells(kColName), "n1 n2 n3* n4 n5 n6");
    EXPECT_FALSE(doc.isModified());
}

// Each deleted row still above 0 lowers its file's rows by one, never below 0.
TEST_F(ListOpsTest, DeletingRowsLowersTheCountsAsDeletingThemOneByOne) {
    for (auto [name, clone] : {std::pair{"x", "1"}, {"x", "1"}, {"X", "3"}, {"y", "1"}, {"Y", "0"}})
        addRow(1, name, "/snd", clone);
    select({0, 1, 3});
    doc.showSelectedItem(1);
    doc.rows().setCurrent(4);
    deleteSelectedRows(doc);
    EXPECT_EQ(cells(kColClone, true), "0002 0000");
    EXPECT_EQ(doc.rows().current(), 1) << "the current row moves up with its rows";
    EXPECT_EQ(doc.selectedItem().name, "") << "the selected item box is emptied";
    EXPECT_TRUE(shell.messages.empty());
}

TEST_F(ListOpsTest, FindAndGotoSelectTheRowTheyFind) {
    for (auto [number, name] : {std::pair{9, "Footstep1"}, {7, "door"}, {3, "STEPS"}})
        addRow(number, name);
    doc.texts().findText = "Step", doc.texts().gotoNumber = 7;
    std::string seen;  // Find Next wraps at the row count; a Find of no match clears
    for (auto find : {findRow, findNextRow, findNextRow, findRow, gotoRow}) {
        if (find == findRow && !seen.empty()) doc.texts().findText = "zzz";
        const bool found = find(doc);
        seen += std::to_string(found) + cells(kColName) + "|";
    }
    EXPECT_EQ(seen,
              "1Footstep1* door STEPS|1Footstep1 door STEPS*|1Footstep1* door STEPS|"
              "0Footstep1 door STEPS|1Footstep1 door* STEPS|");
    EXPECT_EQ(doc.selectedItem().name, "door");
}

// Each file counts once, by its joined path, letter case aside; no wrap past 4 GB.
TEST_F(ListOpsTest, TotalsCountEachFileOnceAndTheSelectedApart) {
    addRow(1, "a.wav", "/snd/", "1", 4000000000u);  // joined without a second "/"
    addRow(2, "A.WAV", "/SND", "1", 4000000000u);
    addRow(3, "b.wav", "", "0", 1000000000u);  // no folder: the path is the name alone
    addRow(4, "c.wav", "/snd", "0", 1);
    addRow(5, "c.wav", "/snd", "", 1);  // an empty Clone text counts each time
    select({1, 2});
    EXPECT_EQ(byteTotals(doc.rows()).all, 5000000002u);
    EXPECT_EQ(byteTotals(doc.rows()).selected, 1000000000u);  // row 1 counted A.WAV's file
    EXPECT_EQ(formatByteTotal(5000000002u), " 5,000,000,002");
    EXPECT_EQ(formatByteTotal(999) + "|" + formatByteTotal(0), "           999|");
}

}  // namespace
}  // namespace quillon
