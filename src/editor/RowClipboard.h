// Cut, Copy and Paste of rows, without widgets: what a copy of the selected
// rows puts on the clipboard, and what a text or a list of files taken from
// it does to the document. The view moves the bytes to and from the system
// clipboard; everything here takes and gives plain strings.
//
// A copy offers three types:
// - kMimeTextPlain: the rows as tab-separated text, as spreadsheets read and
//   write it: a header line of the 28 column titles in column order, then one
//   line per row of its cell texts as the list shows them. A cell holding a
//   tab, a line break or a double quote is quoted ("..." with "" for a
//   quote); every line ends with "\n".
// - kMimeTextCsv: the wave list export's text of those rows alone.
// - kMimeQuillonRows: the line "QuillonRows<TAB>1\n" (the marker and the
//   format number), then the same tab-separated text. Only a copy made here
//   carries it; a later format that cannot be read as format 1 takes another
//   number, and a paste that does not know the number falls back to the text.
//
// Paste reads a table (a header line of column titles, then data lines) or a
// list of WAV files. Of a table it writes only the cells the user may edit
// (Description and the seventeen properties) onto the selected rows, each
// value checked as the cell editor checks it; other columns are ignored. A
// list of WAV files is added as Add/Insert adds them.
//
// Every refusal is shown through the document's shell as a stop message and
// changes nothing. Each change is one step of the edit history: "Paste N
// Samples" or "Cut N Samples".
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "bank/QuillonDoc.h"

namespace quillon {

inline constexpr char kMimeTextPlain[] = "text/plain";
inline constexpr char kMimeTextCsv[] = "text/csv";
inline constexpr char kMimeQuillonRows[] = "application/x-quillon-rows";

inline constexpr char kQuillonRowsMarker[] = "QuillonRows";
inline constexpr int kQuillonRowsFormat = 1;

// What Copy or Cut puts on the clipboard, one text per type. With count 0
// nothing was copied and the clipboard keeps what it holds.
struct CopiedRows {
    int count = 0;
    std::string plainText;    // kMimeTextPlain
    std::string csv;          // kMimeTextCsv
    std::string quillonRows;  // kMimeQuillonRows
    std::string status;       // for the status bar: "Copied 3 rows", "Cut 1 row"
};

// The chosen rows (indices into `rows`, in the order given).
CopiedRows copyRows(const RowList& rows, const std::vector<int>& chosen);
// Copy: the selected rows in list order. Changes nothing.
CopiedRows copySelectedRows(const CQuillonDoc& doc);
// Cut: the selected rows are deleted as Delete deletes them, and the rows that
// went are copied. A row Delete keeps (its sample is used by the animation
// data, which Delete says) stays in the list and off the clipboard.
CopiedRows cutSelectedRows(CQuillonDoc& doc);

// What a paste did.
struct PasteResult {
    bool pasted = false;  // the document changed
    // Pasted: the status bar's text ("Pasted 3 rows"). Refused: the message
    // that was shown.
    std::string message;
};

// The clipboard's contents as the view finds them in its mime data.
struct ClipboardOffer {
    std::string quillonRows;              // kMimeQuillonRows bytes; empty when not offered
    std::string plainText;                // the text; empty when none
    std::vector<std::string> localFiles;  // the local files its URLs name, as paths
};

// Paste: a copy made here first, then the files, then the text.
PasteResult pasteFromClipboard(CQuillonDoc& doc, const ClipboardOffer& offer);
// Pastes a text: a table onto the selected rows, or a list of WAV files.
PasteResult pasteText(CQuillonDoc& doc, std::string_view text);
// Adds the files as new rows, in one step; refused in a music bank, and when
// any path is not an absolute path of a ".wav" file (letter case ignored).
PasteResult pasteWaveFiles(CQuillonDoc& doc, const std::vector<std::string>& paths);

// What a paste of the offer or text would try; the view enables Paste by it.
enum class PasteKind { Nothing, Table, WaveFiles };
PasteKind pasteKindOf(const ClipboardOffer& offer);
PasteKind pasteKindOf(std::string_view text);

// --- The readers of pasted text -------------------------------------------------

// A table read from tab-separated text.
struct PastedTable {
    // The columns a paste writes (their descriptors say editable) that the
    // header names, in the header's order, each once (the first time it is
    // named).
    std::vector<int> columns;
    // One entry per data line: its cells of those columns in the same order,
    // "" for a cell past the end of a short line.
    std::vector<std::vector<std::string>> rows;
};

// Reads a table: the first line names the columns by their titles as the list
// shows them (letter case and surrounding spaces ignored, unknown titles
// skipped). Lines end with "\n", "\r\n" or "\r"; a cell that begins with a
// double quote is quoted and may hold tabs and line breaks; a UTF-8 byte order
// mark before the header and empty lines at the end are ignored. Nothing when
// the header names no column a paste writes.
std::optional<PastedTable> parsePastedTable(std::string_view text);
// The table of kMimeQuillonRows bytes; nothing when the marker or format
// number is not ours.
std::optional<PastedTable> parseQuillonRows(std::string_view bytes);
// Reads a list of WAV files: every line an absolute path or a file URL
// ("file:///x/y%20z.wav", percent-encoded, host empty or "localhost") of a
// file whose name ends in ".wav" in any letter case; empty lines are skipped.
// Gives the paths, URLs decoded; nothing when any line is something else or
// no line names a file.
std::optional<std::vector<std::string>> parseWaveFileList(std::string_view text);

}  // namespace quillon
