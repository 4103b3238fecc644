#include "bank/Sorting.h"

#include <algorithm>
#include <numeric>
#include <vector>

#include "bank/CellFormat.h"
#include "platform/Text.h"

namespace quillon {

namespace {

bool isDigits(std::string_view s) {
    if (s.empty()) return false;
    for (char c : s)
        if (c < '0' || c > '9') return false;
    return true;
}

// The whole-number digits of a key that is a number ("0042", "-0042", or a
// distance "12.5000"), else empty. Distance keys have no padding before the
// point, so their whole parts differ in length as soon as values reach 10.
std::string_view numberDigits(std::string_view key) {
    if (!key.empty() && key[0] == '-') key.remove_prefix(1);
    size_t point = key.find('.');
    std::string_view whole = key.substr(0, point);
    if (!isDigits(whole)) return {};
    if (point != std::string_view::npos && !isDigits(key.substr(point + 1))) return {};
    return whole;
}

int compareKeys(std::string_view a, std::string_view b) {
    std::string_view da = numberDigits(a), db = numberDigits(b);
    bool sameSign = (a[0] == '-') == (b[0] == '-');
    if (!da.empty() && !db.empty() && sameSign && da.size() != db.size())
        return da.size() < db.size() ? -1 : 1;
    return compareIgnoringCase(a, b);
}

// Keys compared for a direction, with negative numbers turned round.
int compareSortKeys(std::string_view ka, std::string_view kb, int direction) {
    int r = (ka.empty() || kb.empty()) ? compareIgnoringCase(ka, kb) : compareKeys(ka, kb);
    if (r == 0) return 0;
    int result = r > 0 ? 1 : -1;
    if (direction != 0) result = -result;
    bool bothNegative = !ka.empty() && !kb.empty() && ka[0] == '-' && kb[0] == '-';
    return bothNegative ? -result : result;
}

}  // namespace

int CompareRows(const Row& a, const Row& b, int column, int direction) {
    KeyBuffer bufferA, bufferB;
    return compareSortKeys(sortKeyOf(column, a.cells[size_t(column)], bufferA),
                           sortKeyOf(column, b.cells[size_t(column)], bufferB), direction);
}

// Each row's key is made once, then the positions are sorted by them: a key
// made afresh for every comparison would cost a number's formatting each time.
static void sortRows(RowList& rows, int column, int direction) {
    rows.sortState().sortedByNumber = column == kColNo && direction == 0;
    size_t count = size_t(rows.size());
    std::vector<KeyBuffer> buffers(count);
    std::vector<std::string_view> keys(count);
    for (size_t i = 0; i < count; ++i)
        keys[i] = sortKeyOf(column, rows.cell(int(i), column), buffers[i]);
    std::vector<int> order(count);
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        return compareSortKeys(keys[size_t(a)], keys[size_t(b)], direction) < 0;
    });
    rows.reorder(order);
}

void sortByColumn(RowList& rows, int column) {
    int& direction = rows.sortState().direction[size_t(column)];
    sortRows(rows, column, direction);
    direction = direction == 0 ? 1 : 0;
}

void resortByNumber(RowList& rows) {
    if (rows.sortState().sortedByNumber) return;
    rows.sortState().direction[kColNo] = 0;
    sortRows(rows, kColNo, 0);
}

}  // namespace quillon
