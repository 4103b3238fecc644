// The list's key commands that need no widget: Add/Insert from the Insert key,
// Delete, and the one-line dialogs Find, Goto and "Who?" with Find Next.
#pragma once

#include "bank/QuillonDoc.h"
#include "editor/ListKeys.h"

namespace quillon {

// Runs the command of a key action on the document. Wait, NotOurs and
// FollowSelection (the view's own, as it moves the cell editor) do nothing.
void runListKeyAction(CQuillonDoc& doc, ListKeyAction action);

// Asks for the text to find, then finds it; Find runs whether the dialog was
// confirmed or cancelled.
void findWithDialog(CQuillonDoc& doc);
// Asks for a sample number, then goes to it, confirmed or cancelled.
void gotoWithDialog(CQuillonDoc& doc);
// Asks for the bank's "Who?" text; a confirmed text replaces it.
void editWho(CQuillonDoc& doc);

}  // namespace quillon
