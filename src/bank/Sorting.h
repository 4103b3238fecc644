// Ordering the rows by a column's sort key.
#pragma once

#include "bank/RowList.h"

namespace quillon {

// Compares two rows by a column's sort key for the given direction (0
// ascending, 1 descending): keys compare ignoring letter case byte by byte, so
// "*" (not set) comes before every number ascending; between two negative
// numbers the result is turned round so they order by value. Number keys whose
// whole parts differ in length (numbers past their padding, such as No 10000
// against 9999, and distances such as 10.0000 against 5.0000) compare by that
// length first, so they too order by value.
int CompareRows(const Row& a, const Row& b, int column, int direction);

// A header click: sorts by the column in its current direction, then flips the
// direction, so the first click on a column sorts it descending.
void sortByColumn(RowList& rows, int column);

// Sorts ascending by No unless the rows already stand that way.
void resortByNumber(RowList& rows);

}  // namespace quillon
