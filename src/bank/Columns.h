// The 28 columns of the sample list: their order, titles and widths, and which
// property each one holds.
#pragma once

#include <array>
#include <string_view>

namespace quillon {

enum Column : int {
    kColNo = 0,
    kColName,
    kColLocation,
    kColBank,
    kColClone,
    kColFormat,
    kColCompression,
    kColSize,
    kColDescription,
    kColPriority,
    kColGroup,
    kColAtmosGroup,
    kColAtmos,
    kColVolume,
    kColUserParam,
    kColPlayType,
    kColLoop,
    kColLStart,
    kColLEnd,
    kColPitch,
    kColPitchVar,
    kColPan,
    kColXPos,
    kColYPos,
    kColZPos,
    kColMinDist,
    kColMaxDist,
    kColScale,
};
inline constexpr int kColumnCount = 28;

struct ColumnInfo {
    std::string_view title;  // UTF-8
    int width;               // pixels
};

// Titles and widths in column order. Column 20's title is the plus-minus sign
// followed by " Pitch".
const std::array<ColumnInfo, kColumnCount>& columnTable();

// The seventeen property columns: 9 to 27 without LStart and LEnd.
bool isPropertyColumn(int column);

// The columns the user may type into (Description, Play Type and the numeric
// properties); LStart, LEnd and columns 0 to 7 are never edited.
bool isEditableColumn(int column);

// Finds a column by its title, ignoring letter case; "PitchVar" also names the
// plus-minus column. Returns -1 when no column has that title.
int columnByTitle(std::string_view title);

}  // namespace quillon
