#include <gtest/gtest.h>

#include "bank/CellFormat.h"
#include "bank/Sorting.h"

namespace quillon {
namespace {

Row rowWith(int column, const std::string& cell, const std::string& name = "") {
    Row r;
    setCell(r, column, cell);
    setCell(r, kColName, name);
    return r;
}

std::vector<std::string> columnCells(const RowList& rows, int column) {
    std::vector<std::string> out;
    for (int i = 0; i < rows.size(); ++i)
        out.push_back(rows.cell(i, column));
    return out;
}

TEST(Sorting, NegativeNumbersAndNotSetOrderByValueAscending) {
    RowList rows;
    for (const char* x : {"3", "-5", "*", "-10"})
        rows.append(rowWith(kColXPos, x));
    rows.sortState().direction[kColXPos] = 0;
    sortByColumn(rows, kColXPos);
    EXPECT_EQ(columnCells(rows, kColXPos), (std::vector<std::string>{"*", "-10", "-5", "3"}));
    sortByColumn(rows, kColXPos);  // the direction flipped to descending
    EXPECT_EQ(columnCells(rows, kColXPos), (std::vector<std::string>{"3", "-5", "-10", "*"}));
}

TEST(Sorting, NumbersPastTheirPaddingStillOrderByValue) {
    RowList rows;
    for (int n : {10000, 9999, 65535, 2})
        rows.append(rowWith(kColNo, std::to_string(n)));
    rows.sortState().sortedByNumber = false;
    resortByNumber(rows);
    EXPECT_EQ(columnCells(rows, kColNo), (std::vector<std::string>{"2", "9999", "10000", "65535"}));
    RowList sizes;
    for (const char* s : {"123456789", "99999999", "5"})
        sizes.append(rowWith(kColSize, s));
    sizes.sortState().direction[kColSize] = 0;
    sortByColumn(sizes, kColSize);
    EXPECT_EQ(columnCells(sizes, kColSize),
              (std::vector<std::string>{"5", "99999999", "123456789"}));
}

TEST(Sorting, TextKeysIgnoreCaseAndUnderscoreSortsBeforeLetters) {
    RowList rows;
    for (const char* n : {"b.wav", "A.wav", "_x.wav", "a_b.wav"})
        rows.append(rowWith(kColName, n, n));
    rows.sortState().direction[kColName] = 0;
    sortByColumn(rows, kColName);
    EXPECT_EQ(columnCells(rows, kColName),
              (std::vector<std::string>{"_x.wav", "A.wav", "a_b.wav", "b.wav"}));
}

TEST(Sorting, ResortByNumberLeavesAnAlreadySortedListAlone) {
    RowList rows;
    for (int n : {3, 1})
        rows.append(rowWith(kColNo, std::to_string(n)));
    resortByNumber(rows);  // sortedByNumber is still true: nothing moves
    EXPECT_EQ(columnCells(rows, kColNo), (std::vector<std::string>{"3", "1"}));
}

TEST(Sorting, EqualKeysKeepTheirOrderAndTheCurrentRowFollowsItsRow) {
    RowList rows;
    for (const char* n : {"x", "y", "z"})
        rows.append(rowWith(kColPriority, "*", n));
    rows.append(rowWith(kColPriority, "1", "first"));
    rows.setCurrent(3);
    rows.sortState().direction[kColPriority] = 1;
    sortByColumn(rows, kColPriority);
    EXPECT_EQ(columnCells(rows, kColName), (std::vector<std::string>{"first", "x", "y", "z"}));
    EXPECT_EQ(rows.current(), 0);
}

}  // namespace
}  // namespace quillon
