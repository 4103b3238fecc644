// Operations on the rows of a document that the list view's commands and keys
// run: moving, renumbering, deleting, grouping, playback flags, find and goto,
// and the byte totals of the status bar.
#pragma once

#include <cstdint>
#include <string>

#include "bank/QuillonDoc.h"

namespace quillon {

enum class MoveResult { Moved, NotSortedByNumber, AtFirstRow, AtLastRow, NothingSelected };

inline constexpr char kMessageMoveUnsorted[] =
    "      Cannot move wav until sorted by number           ";
inline constexpr char kMessageMoveFirst[] = "      Cannot move first item up                 ";
inline constexpr char kMessageMoveLast[] = "      Cannot move last item down           ";

// Moves every selected row one place up (down). The No column stays with the
// position, so the moved rows take the numbers of their new places. A refusal
// shows its message; the caller ends a held toolbar button's repeat then.
MoveResult moveSelectedUp(CQuillonDoc& doc);
MoveResult moveSelectedDown(CQuillonDoc& doc);

// Numbers the rows 1 to n in list order.
void renumberBank(CQuillonDoc& doc);

// Deletes the selected rows. A row whose load number the bank's animation data
// uses is kept, deselected, with the message "sample %d in use by anim data".
// Deleting a row that shares its file lowers the Clone count of that file's rows.
void deleteSelectedRows(CQuillonDoc& doc);

// Gives every selected row the next free group number (HighestGroup + 1).
void createGroupForSelected(CQuillonDoc& doc);

// Checks or clears the playback box of every selected row.
void setPlaybackForSelected(CQuillonDoc& doc, bool enabled);

// Find: selects the first row whose Name holds the find text (ignoring case);
// Find Next goes on after the last match and wraps to the top. False when no
// row matched (the selection is then cleared) or there are no rows.
bool findRow(CQuillonDoc& doc);
bool findNextRow(CQuillonDoc& doc);
// Goto: selects the row whose No equals the goto number; nothing, and false,
// when none does.
bool gotoRow(CQuillonDoc& doc);

// Selects one row alone, makes it current, scrolls to it and shows it in the
// "Selected Item" box.
void selectOnly(CQuillonDoc& doc, int row);

struct ByteTotals {
    uint64_t all = 0;
    uint64_t selected = 0;
};

// Sizes of the rows, each file counted once however many rows share it.
ByteTotals byteTotals(const RowList& rows);

// A total as the status bar shows it: empty for 0, else with thousands
// separators, right-aligned in 14 characters.
std::string formatByteTotal(uint64_t total);

}  // namespace quillon
