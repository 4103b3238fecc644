#include "bank/CellEdit.h"

#include <cstdio>

#include "bank/CellFormat.h"
#include "platform/Numbers.h"
#include "platform/Text.h"

namespace quillon {

namespace {

struct Range {
    int column;
    int low, high;
    const char* message;
};

// Inclusive bounds. Scale counts tenths, so 0 to 100 is a scale of 0.0 to 10.0.
constexpr Range kRanges[] = {
    {kColPriority, 1, 9999, "Invalid Priority (Range 1 to 9999)"},
    {kColGroup, 1, 9999, "Invalid Group (Range 1 to 9999)"},
    {kColAtmosGroup, 1, 9999, "Invalid Atmos Group (Range 1 to 9999)"},
    {kColAtmos, 0, 9999, "Invalid Atmos Timing (Range 0 to 9999)"},
    {kColVolume, 0, 127, "Invalid Volume (Range 0 to 127)"},
    {kColUserParam, 0, 32767, "Invalid Reverb Volume (Range 0 to 32767)"},
    {kColLoop, -1, 9999, "Invalid Loop Count (Range -1 to 9999)"},
    {kColPitch, 1, 1000, "Invalid Pitch (Range 1 to 1000)"},
    {kColPitchVar, 1, 100, "Invalid Pitch Variation (Range 1 to 100)"},
    {kColPan, 0, 180, "Invalid 2D Pan (Range 0 to 180)"},
    {kColXPos, -9999, 9999, "Invalid X Pos (Range -9999 to 9999)"},
    {kColYPos, -9999, 9999, "Invalid Y Pos (Range -9999 to 9999)"},
    {kColZPos, -9999, 9999, "Invalid Z Pos (Range -9999 to 9999)"},
    {kColMinDist, 0, 9999, "Invalid Min Dist (Range 0.01 to 9999)"},
    {kColMaxDist, 0, 9999, "Invalid Max Dist (Range 0.01 to 9999)"},
    {kColScale, 0, 100, "Invalid Scale (Range 0 to 100)"},
};

const Range* rangeOf(int column) {
    for (const Range& r : kRanges)
        if (r.column == column) return &r;
    return nullptr;
}

// A text is numeric when its first character, or its second after a sign, is
// a digit or ".".
bool looksNumeric(const std::string& text) {
    size_t at = (!text.empty() && (text[0] == '-' || text[0] == '+')) ? 1 : 0;
    if (at >= text.size()) return false;
    char c = text[at];
    return (c >= '0' && c <= '9') || c == '.';
}

bool isDistance(int column) {
    return column == kColMinDist || column == kColMaxDist;
}

}  // namespace

CellCheck ValidateCellEdit(int column, std::string& text) {
    if (text == kNotSet) return {};
    if (column == kColPlayType) {
        if (playTypeFromCell(text) != 0) return {};
        return {false, "Invalid Playback Type - use dropdown box"};
    }
    const Range* range = rangeOf(column);
    if (!range) return {};
    if (!looksNumeric(text)) return {false, range->message};
    int64_t n = leadingInteger(text);
    if (isDistance(column)) {
        double x = atofLike(text);
        // The bound holds for the value itself too: "1e5" has the leading
        // integer 1 but means 100000.
        if (x < 0.01 || n > range->high || x >= range->high + 1.0) return {false, range->message};
        text = distanceCell(x);
        return {};
    }
    text = integerCell(n);
    if (n < range->low || n > range->high) return {false, range->message};
    return {};
}

void CommitCellEdit(CQuillonDoc& doc, int column, const std::string& text) {
    RowList& rows = doc.rows();
    // Cut before a character that would not fit, never inside one.
    std::string cell = column == kColDescription
                           ? std::string(cutAtCharacter(text, kSampleDescriptionBytes - 1))
                           : text;
    std::string key = keyForCellText(column, cell);
    for (int i : rows.selectedRows())
        rows.setCellAndKey(i, column, cell, key);
    if (column == kColGroup && !isNotSet(cell)) rows.raiseHighestGroup(atoiLike(cell));
    if (rows.selectedCount() > 0) doc.setModified();
}

bool canEditColumn(const CQuillonDoc& doc, int column) {
    if (!isEditableColumn(column)) return false;
    return !(column == kColDescription && doc.values().musicBank);
}

}  // namespace quillon
