// The sample header: a C header that names every sample of the bank by a
// symbol whose value is the sample's number, either as an enum with an include
// guard and a closing _LAST entry, or as one #define per sample.
#pragma once

#include <string>
#include <string_view>

#include "bank/RowList.h"
#include "export/ExportFile.h"

namespace quillon {

class CQuillonDoc;

enum class HeaderStyle {
    Enum,    // " Enum": prefix as typed, include guard, closing _LAST entry
    Define,  // "#define": base "ZQ_SAMPLE_" whatever the prefix
};

inline constexpr char kSampleHeaderDefaultName[] = "ZQSample.h";
inline constexpr char kSampleHeaderFilter[] = "Header File (*.h)|*.h||";

// The header's TITLE: the file name of `path` before its last ".", with a to
// z upper-cased ("out/Bank Sounds.h" gives "BANK SOUNDS").
std::string headerTitleFromPath(std::string_view path);

// The whole header text for the rows in list order (line feeds only; the enum
// ends right after "included"). The enum's closing entry takes the last row's
// number plus one; with no rows it is 1.
std::string sampleHeaderText(const RowList& rows, HeaderStyle style, std::string_view prefix,
                             std::string_view title);

// Sorts the rows by No unless they already stand so, then writes the header to
// `path`. For the command-line tool and the editor's command alike.
[[nodiscard]] SaveResult exportSampleHeader(RowList& rows, HeaderStyle style,
                                            std::string_view prefix, std::string_view title,
                                            const std::string& path);

// The " Enum" and "#define" commands: with no rows nothing happens; otherwise
// the rows are sorted by No, the save dialog is shown, for the enum the
// "Sample List Enum Prefix" dialog (OK stores the typed prefix, Escape keeps
// it, and the export goes on either way), and the header is written; "Error
// Saving File" when it cannot be.
void runSampleHeaderExport(CQuillonDoc& doc, HeaderStyle style);

}  // namespace quillon
