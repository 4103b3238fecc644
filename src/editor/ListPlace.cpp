#include "editor/ListPlace.h"

#include <unordered_map>

#include "bank/Columns.h"

namespace quillon {

ListPlace placeInList(const RowList& rows) {
    ListPlace place;
    for (int index : rows.selectedRows())
        place.selectedNumbers.push_back(rows.cell(index, kColNo));
    if (rows.current() >= 0 && rows.current() < rows.size())
        place.currentNumber = rows.cell(rows.current(), kColNo);
    return place;
}

void restorePlace(RowList& rows, const ListPlace& place) {
    // The first row of each number: a bank may hold one number twice.
    std::unordered_map<std::string, int> rowOfNumber;
    for (int index = 0; index < rows.size(); ++index)
        rowOfNumber.try_emplace(rows.cell(index, kColNo), index);
    rows.clearSelection();
    for (const std::string& number : place.selectedNumbers)
        if (auto it = rowOfNumber.find(number); it != rowOfNumber.end())
            rows.setSelected(it->second, true);
    auto current = rowOfNumber.find(place.currentNumber);
    if (!place.currentNumber.empty() && current != rowOfNumber.end())
        rows.setCurrent(current->second);
}

}  // namespace quillon
