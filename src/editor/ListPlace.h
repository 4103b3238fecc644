// Where the user stands in the sample list, by sample number rather than by
// row index, so that it outlasts reading the bank again from its file: the
// rows may come back in another order, and some may be gone or new.
#pragma once

#include <string>
#include <vector>

#include "bank/RowList.h"

namespace quillon {

struct ListPlace {
    std::vector<std::string> selectedNumbers;  // the No cells of the selected rows
    std::string currentNumber;                 // empty: no current row
};

ListPlace placeInList(const RowList& rows);

// Selects the rows that carry the place's numbers and makes the current one
// current again; a number no row carries any more is passed over.
void restorePlace(RowList& rows, const ListPlace& place);

}  // namespace quillon
