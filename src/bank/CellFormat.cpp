#include "bank/CellFormat.h"

#include <algorithm>
#include <charconv>

#include "bank/Columns.h"
#include "platform/Numbers.h"
#include "platform/Text.h"

namespace quillon {

bool isNotSet(std::string_view cell) {
    return cell == kNotSet;
}

bool isBankYes(std::string_view cell) {
    return equalIgnoringCase(cell, kBankYes);
}

std::string integerCell(int64_t value) {
    return std::to_string(value);
}

// As printf's "%.*f" in the C locale, without printf: the same digits and
// rounding, and no locale to follow.
static std::string fixedDecimals(double value, int decimals) {
    char text[400];  // the largest double has 309 digits before the point
    auto end = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, decimals);
    return std::string(text, end.ptr);
}

std::string distanceCell(double value) {
    return fixedDecimals(value, 6);
}

std::string integerKey(int column, int64_t value) {
    // As "%.4d" and its kin: at least that many digits, the sign before them.
    char digits[24];
    uint64_t magnitude = value < 0 ? 0 - uint64_t(value) : uint64_t(value);
    auto end = std::to_chars(digits, digits + sizeof digits, magnitude).ptr;
    size_t length = size_t(end - digits);
    size_t width = size_t(columnAt(column).keyDigits);
    std::string key;
    key.reserve(width + 2);
    if (value < 0) key += '-';
    if (length < width) key.append(width - length, '0');
    key.append(digits, length);
    return key;
}

std::string distanceKey(double value) {
    return fixedDecimals(value, 4);
}

bool isNumberCell(std::string_view cell) {
    size_t at = (!cell.empty() && (cell[0] == '-' || cell[0] == '+')) ? 1 : 0;
    if (at >= cell.size()) return false;
    char c = cell[at];
    return (c >= '0' && c <= '9') || c == '.';
}

std::string_view sortKeyOf(int column, std::string_view cell, KeyBuffer& buffer) {
    const ColumnDescriptor& d = columnAt(column);
    bool numeric =
        (d.kind == CellKind::Integer || d.kind == CellKind::Distance) && isNumberCell(cell);
    if (!numeric) return cutAtCharacter(cell, d.keyBytes - 1);
    std::string key = d.kind == CellKind::Distance ? distanceKey(atofLike(cell))
                                                   : integerKey(column, leadingInteger(cell));
    size_t length = std::min(key.size(), std::min(d.keyBytes - 1, buffer.size()));
    std::copy_n(key.data(), length, buffer.data());
    return {buffer.data(), length};
}

std::string sortKeyOf(int column, std::string_view cell) {
    KeyBuffer buffer;
    return std::string(sortKeyOf(column, cell, buffer));
}

std::string playTypeCell(uint32_t playType) {
    switch (playType) {
        case 1:
            return "Overlap";
        case 2:
            return "Once";
        case 3:
            return "Restart";
        default:
            return std::string(kNotSet);
    }
}

uint32_t playTypeFromCell(std::string_view cell) {
    if (equalIgnoringCase(cell, "overlap")) return 1;
    if (equalIgnoringCase(cell, "once")) return 2;
    if (equalIgnoringCase(cell, "restart")) return 3;
    return 0;
}

}  // namespace quillon
