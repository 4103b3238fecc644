// The wave list: every row of the list as the user sees it, one line of 28
// comma-separated cell texts per row, for spreadsheets and reviews.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "bank/RowList.h"
#include "export/ExportFile.h"

namespace quillon {

class CQuillonDoc;

inline constexpr char kWaveListDefaultName[] = "Wavlist.csv";
inline constexpr char kWaveListFilter[] = "Header File (*.csv)|*.csv||";

// The whole list text: the heading line, one line per row in the list's
// current order, and "%d Wav files"; every line ends with CR LF. A field that
// holds a comma, a double quote or a line break is quoted (inner quotes
// doubled, line breaks kept as they are); every other field is the cell text
// as it stands.
std::string waveListCsvText(const RowList& rows);

// Appends one field of a delimited line: as it stands, or quoted as
// spreadsheets quote (inner quotes doubled) when it holds the separator, a
// double quote or a line break.
void appendDelimitedField(std::string& line, std::string_view field, char separator);
// The same text for the chosen rows alone, in the order given (a copy of the
// selection); the last line counts them.
std::string waveListCsvText(const RowList& rows, const std::vector<int>& chosen);

// Writes the list text to `path`, rows in their current order (not re-sorted).
[[nodiscard]] SaveResult writeWaveListCsv(const RowList& rows, const std::string& path);

// The "Output Wav list to text file" command: with no rows nothing happens;
// otherwise the save dialog, then the list; "Error Saving File" when it
// cannot be written.
void runWaveListExport(CQuillonDoc& doc);

}  // namespace quillon
