// How values become cell texts and sort keys. Cells show integers in plain
// decimal and distances with six decimals; the sort keys are zero-padded so a
// case-insensitive text comparison orders non-negative numbers by value.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace quillon {

inline constexpr std::string_view kNotSet = "*";
inline constexpr std::string_view kBankYes = "Yes";

// True when a property cell means "not set" ("*", compared ignoring case).
bool isNotSet(std::string_view cell);

// "Yes" in any letter case: the row's audio bytes are in the open bank file.
bool isBankYes(std::string_view cell);

// Plain decimal, as every integer cell shows it.
std::string integerCell(int64_t value);
// Six decimals, as the distance cells show them.
std::string distanceCell(double value);

// A text that reads as a number: its first character, or its second after a
// sign, is a digit or ".".
bool isNumberCell(std::string_view cell);

// The zero-padded sort key of an integer in a column: as "%.4d", "%.3d" or
// "%.8d", by the column's key digits.
std::string integerKey(int column, int64_t value);
// The sort key of a distance: "%.4f".
std::string distanceKey(double value);

// Room for the sort key of a number cell: the longest, LStart's and LEnd's,
// keeps 14 bytes.
using KeyBuffer = std::array<char, 16>;

// The sort key of a cell, cut as the column's key field cuts it (between
// characters): a number cell of an Integer or Distance column takes the key of
// its value; "*" (not set) and every other text are their own key. The result
// points into the cell or into the buffer.
std::string_view sortKeyOf(int column, std::string_view cell, KeyBuffer& buffer);
std::string sortKeyOf(int column, std::string_view cell);

// The Play Type cell of a stored play type (1 to 3); "*" for any other value.
std::string playTypeCell(uint32_t playType);
// 1, 2 or 3 for "overlap", "once" or "restart" in any letter case; 0 otherwise.
uint32_t playTypeFromCell(std::string_view cell);

}  // namespace quillon
