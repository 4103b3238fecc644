#include "export/WaveListCsv.h"

#include <array>
#include <numeric>
#include <string_view>

#include "bank/QuillonDoc.h"
#include "platform/Text.h"

namespace quillon {

namespace {

// The headings are the list's own short names, "Foramt" as it always was.
constexpr std::array<std::string_view, kColumnCount> kHeadings = {
    "Num",  "Name",        "Location", "Bank",    "Clone",     "Foramt", "Compression",
    "Size", "Description", "Priority", "Group",   "Atm Group", "Atmos",  "Volume",
    "User", "PlayType",    "Loop",     "L-Start", "L-End",     "Pitch",  "PitchVar",
    "Pan",  "XPos",        "YPos",     "ZPos",    "Min",       "Max",    "Scale"};

template <typename FieldAt>
void appendLine(std::string& text, FieldAt fieldAt) {
    for (int column = 0; column < kColumnCount; ++column) {
        if (column > 0) text += ',';
        appendDelimitedField(text, fieldAt(column), ',');
    }
    text += kTextModeLineEnd;
}

}  // namespace

void appendDelimitedField(std::string& line, std::string_view field, char separator) {
    const char quoted[] = {separator, '"', '\r', '\n', '\0'};
    if (field.find_first_of(quoted) == std::string_view::npos) {
        line += field;
        return;
    }
    line += '"';
    for (char c : field) {
        if (c == '"') line += '"';
        line += c;
    }
    line += '"';
}

std::string waveListCsvText(const RowList& rows) {
    std::vector<int> all(size_t(rows.size()));
    std::iota(all.begin(), all.end(), 0);
    return waveListCsvText(rows, all);
}

std::string waveListCsvText(const RowList& rows, const std::vector<int>& chosen) {
    std::string text;
    appendLine(text, [](int column) { return kHeadings[size_t(column)]; });
    for (int i : chosen)
        appendLine(text, [&](int column) { return std::string_view(rows.cell(i, column)); });
    text += format("%zu Wav files", chosen.size());
    text += kTextModeLineEnd;
    return text;
}

SaveResult writeWaveListCsv(const RowList& rows, const std::string& path) {
    return saveTextFile(path, waveListCsvText(rows));
}

void runWaveListExport(CQuillonDoc& doc) {
    const RowList& rows = doc.rows();
    if (rows.empty()) return;
    FileDialogResult chosen =
        doc.shell().chooseFiles(exportSaveDialog(kWaveListDefaultName, kWaveListFilter));
    if (chosen.paths.empty()) return;
    if (refuseUnsafeOutput(doc.shell(), doc.pathName(), chosen.paths.front())) return;
    if (writeWaveListCsv(rows, chosen.paths.front()) != SaveResult::Saved) {
        showStop(doc.shell(), kErrorSavingFile);
        return;
    }
    doc.shell().setStatusText(
        kPanePrompt, format("Wrote %d rows to %s", rows.size(), chosen.paths.front().c_str()));
}

}  // namespace quillon
