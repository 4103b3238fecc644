#include "bank/Columns.h"

#include "platform/Text.h"

namespace quillon {

const std::array<ColumnInfo, kColumnCount>& columnTable() {
    static const std::array<ColumnInfo, kColumnCount> table = {{
        {"No", 65},          {"Name", 200},    {"Location", 100},
        {"Bank", 40},        {"Clone", 40},    {"Format", 110},
        {"Compression", 97}, {"Size", 56},     {"Description", 120},
        {"Priority", 45},    {"Group", 47},    {"Atmos Group", 47},
        {"Atmos", 50},       {"Volume", 47},   {"User Param", 47},
        {"Play Type", 60},   {"Loop", 40},     {"LStart", 56},
        {"LEnd", 56},        {"Pitch", 40},    {"\xC2\xB1 Pitch", 50},
        {"Pan", 33},         {"XPos", 37},     {"YPos", 37},
        {"ZPos", 37},        {"Min Dist", 54}, {"Max Dist", 54},
        {"Scale", 40},
    }};
    return table;
}

bool isPropertyColumn(int column) {
    return column >= kColPriority && column <= kColScale && column != kColLStart &&
           column != kColLEnd;
}

bool isEditableColumn(int column) {
    return column == kColDescription || isPropertyColumn(column);
}

int columnByTitle(std::string_view title) {
    if (equalIgnoringCase(title, "PitchVar")) return kColPitchVar;
    const auto& table = columnTable();
    for (int c = 0; c < kColumnCount; ++c)
        if (equalIgnoringCase(title, table[size_t(c)].title)) return c;
    return -1;
}

}  // namespace quillon
