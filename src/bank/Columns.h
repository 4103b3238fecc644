// The 28 columns of the sample list, each described once: its title and width,
// its sort key, whether and within what range the user may type into it, and
// how its cell is read from and written to a sample's record.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

#include "bank/SampleRecord.h"

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

// What a cell holds, which decides its sort key and how a typed text is checked.
enum class CellKind {
    Text,      // its own sort key
    Integer,   // plain decimal; the key is zero-padded to keyDigits
    Distance,  // six decimals; the key has four
    PlayType,  // Overlap, Once or Restart
};

struct ColumnDescriptor {
    std::string_view title;  // UTF-8
    int width;               // pixels
    // The sort key keeps at most keyBytes - 1 bytes, cut between characters;
    // an edited text cell is cut the same way.
    size_t keyBytes;
    int keyDigits;  // the zero padding of an Integer key
    CellKind kind;
    bool editable;
    // Inclusive bounds of a typed number, and the refusal shown outside them.
    // Scale counts tenths, so 0 to 100 is a scale of 0.0 to 10.0.
    int low, high;
    std::string_view refusal;
    // The cell of a stored record ("*" for a property that is not set).
    std::string (*fromRecord)(const ZQ_BankSample& record);
    // Writes the cell into the record at save time; null for the columns the
    // writer fills from what it finds out about the audio bytes.
    void (*toRecord)(std::string_view cell, ZQ_BankSample& record);
};

// Every column in column order. Column 20's title is the plus-minus sign
// followed by " Pitch".
const std::array<ColumnDescriptor, kColumnCount>& columnTable();

inline const ColumnDescriptor& columnAt(int column) {
    return columnTable()[size_t(column)];
}

// A record whose Play Type field is 4 or more holds the frame header of a
// music section there, whatever its kFlagPlayType holds.
inline bool isMpegSection(const ZQ_BankSample& record) {
    return record.playType >= kFirstMpegDescriptor;
}

// Finds a column by its title, ignoring letter case; "PitchVar" also names the
// plus-minus column. Returns -1 when no column has that title.
int columnByTitle(std::string_view title);

}  // namespace quillon
