// How values become cell texts and sort keys. Cells show integers in plain
// decimal and distances with six decimals; the sort keys are zero-padded so a
// case-insensitive text comparison orders non-negative numbers by value.
#pragma once

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

// The zero-padded sort key of an integer in a column: "%.4d", "%.3d" or "%.8d"
// by column. Columns without a numeric key take the plain decimal text.
std::string integerKey(int column, int64_t value);
// The sort key of a distance: "%.4f".
std::string distanceKey(double value);

// The sort key for a committed or imported cell text of a property column:
// "*" stays "*"; texts of Description and Play Type are their own key; numeric
// columns take the key of the text's value.
std::string keyForCellText(int column, std::string_view cell);

// The Play Type cell of a stored play type (1 to 3); "*" for any other value.
std::string playTypeCell(uint32_t playType);
// 1, 2 or 3 for "overlap", "once" or "restart" in any letter case; 0 otherwise.
uint32_t playTypeFromCell(std::string_view cell);

}  // namespace quillon
