// Checking and writing a value typed into a cell. The in-place editor of the
// list calls these; so does the command-line tool's "set".
#pragma once

#include <string>

#include "bank/QuillonDoc.h"

namespace quillon {

struct CellCheck {
    bool valid = true;
    std::string message;  // the refusal shown to the user when not valid
};

// Checks a typed text for a column and, for a numeric text, replaces it with
// the number as the cell will show it ("12abc" becomes "12"; a distance gets
// six decimals). "*" (not set) passes for every column.
CellCheck ValidateCellEdit(int column, std::string& text);

// Writes a checked text into the cell of every selected row and updates each
// row's sort key; a Group above HighestGroup raises it.
void CommitCellEdit(CQuillonDoc& doc, int column, const std::string& text);

// True when a double click on the column opens the editor: Description is not
// edited in a music bank.
bool canEditColumn(const CQuillonDoc& doc, int column);

}  // namespace quillon
