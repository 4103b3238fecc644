// Cut, Copy and Paste between the list and the system clipboard: the rows'
// texts are made and read by editor/RowClipboard; this puts them on the
// clipboard under their three types and reads back what another program left.
#pragma once

namespace quillon {

class CQuillonDoc;

void copySelectionToClipboard(CQuillonDoc& doc);
void cutSelectionToClipboard(CQuillonDoc& doc);
void pasteFromSystemClipboard(CQuillonDoc& doc);

}  // namespace quillon
