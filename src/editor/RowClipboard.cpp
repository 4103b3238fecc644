#include "editor/RowClipboard.h"

#include <algorithm>

#include "bank/CellEdit.h"
#include "bank/CellFormat.h"
#include "bank/ListOps.h"
#include "export/WaveListCsv.h"
#include "operations/SampleOps.h"
#include "platform/Numbers.h"
#include "platform/Text.h"

namespace quillon {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

std::string rowsText(size_t count) {
    return std::to_string(count) + (count == 1 ? " row" : " rows");
}

PasteResult refuse(CQuillonDoc& doc, std::string message) {
    showStop(doc.shell(), message);
    return {false, std::move(message)};
}

// --- Writing the table ------------------------------------------------------------

template <typename CellAt>
void appendLine(std::string& text, CellAt cellAt) {
    for (int column = 0; column < kColumnCount; ++column) {
        if (column > 0) text += '\t';
        appendDelimitedField(text, cellAt(column), '\t');
    }
    text += '\n';
}

std::string tableText(const RowList& rows, const std::vector<int>& chosen) {
    std::string text;
    appendLine(text, [](int column) { return columnAt(column).title; });
    for (int i : chosen)
        appendLine(text, [&](int column) { return std::string_view(rows.cell(i, column)); });
    return text;
}

// --- Reading tab-separated text ---------------------------------------------------

using Record = std::vector<std::string>;

// Reads a quoted cell's text from just after its opening quote up to its
// closing quote ("" stands for one quote); returns the position after the
// closing quote, or the end of an unclosed cell.
size_t readQuoted(std::string_view text, size_t at, std::string& cell) {
    while (at < text.size()) {
        char c = text[at++];
        if (c != '"') {
            cell += c;
        } else if (at < text.size() && text[at] == '"') {
            cell += '"';
            ++at;
        } else {
            return at;
        }
    }
    return at;
}

// Reads tab-separated text one line of cells at a time, as spreadsheets write
// it. Text after a quoted cell's closing quote joins the cell, as
// spreadsheets read it.
class TableReader {
  public:
    explicit TableReader(std::string_view text) : text_(text) {}
    bool atEnd() const { return at_ >= text_.size(); }

    Record nextLine() {
        Record record(1);
        bool atCellStart = true;
        while (at_ < text_.size()) {
            char c = text_[at_];
            if (atCellStart && c == '"') {
                at_ = readQuoted(text_, at_ + 1, record.back());
                atCellStart = false;
                continue;
            }
            ++at_;
            if (c == '\n' || c == '\r') {
                if (c == '\r' && !atEnd() && text_[at_] == '\n') ++at_;
                break;
            }
            atCellStart = c == '\t';
            if (c == '\t')
                record.emplace_back();
            else
                record.back() += c;
        }
        return record;
    }

  private:
    std::string_view text_;
    size_t at_ = 0;
};

bool isEmptyLine(const Record& record) {
    return record.size() == 1 && record.front().empty();
}

std::string_view trimSpaces(std::string_view text) {
    size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(' ') + 1 - first);
}

// The column a paste writes that the header cell names, or -1.
int pasteColumnTitled(std::string_view title) {
    title = trimSpaces(title);
    for (int column = 0; column < kColumnCount; ++column)
        if (columnAt(column).editable && equalIgnoringCase(title, columnAt(column).title))
            return column;
    return -1;
}

// --- Reading file lists ---------------------------------------------------------

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    char lower = asciiLowerChar(c);
    if (lower >= 'a' && lower <= 'f') return lower - 'a' + 10;
    return -1;
}

// Percent-decoding; nothing for a broken escape or one that gives a zero byte.
std::optional<std::string> percentDecoded(std::string_view text) {
    std::string out;
    for (size_t at = 0; at < text.size(); ++at) {
        if (text[at] != '%') {
            out += text[at];
            continue;
        }
        if (text.size() - at < 3) return std::nullopt;
        int high = hexDigit(text[at + 1]), low = hexDigit(text[at + 2]);
        if (high < 0 || low < 0 || (high == 0 && low == 0)) return std::nullopt;
        out += char(high * 16 + low);
        at += 2;
    }
    return out;
}

bool startsWithIgnoringCase(std::string_view text, std::string_view start) {
    return text.size() >= start.size() && equalIgnoringCase(text.substr(0, start.size()), start);
}

// The local path a file URL names: "file:///p", "file://localhost/p" or
// "file:/p"; nothing for another host or another scheme.
std::optional<std::string> pathOfFileUrl(std::string_view url) {
    if (!startsWithIgnoringCase(url, "file:")) return std::nullopt;
    std::string_view rest = url.substr(5);
    if (rest.starts_with("//")) {
        rest.remove_prefix(2);
        size_t slash = rest.find('/');
        if (slash == std::string_view::npos) return std::nullopt;
        std::string_view host = rest.substr(0, slash);
        if (!host.empty() && !equalIgnoringCase(host, "localhost")) return std::nullopt;
        rest.remove_prefix(slash);
    }
    return percentDecoded(rest);
}

bool isWavePath(std::string_view path) {
    constexpr std::string_view kExtension = ".wav";
    return path.starts_with('/') && path.find('\0') == std::string_view::npos &&
           path.size() > kExtension.size() &&
           equalIgnoringCase(path.substr(path.size() - kExtension.size()), kExtension);
}

// --- Pasting ---------------------------------------------------------------------

std::string countRefusal(size_t selected, size_t copied) {
    std::string needs = selected == 1 ? "1 row" : "1 row or " + rowsText(selected);
    return "Paste needs " + needs + " - " + rowsText(copied) + (copied == 1 ? " is" : " are") +
           " on the clipboard";
}

// The values a paste writes, checked and made as the cell editor makes them;
// the refusal of the first value refused.
struct CheckedValues {
    std::vector<std::vector<std::string>> rows;
    std::string refusal;
};

CheckedValues checkValues(const PastedTable& table, const std::vector<size_t>& fields) {
    CheckedValues checked;
    for (const std::vector<std::string>& cells : table.rows) {
        std::vector<std::string>& values = checked.rows.emplace_back();
        for (size_t field : fields) {
            const int column = table.columns[field];
            std::string text = cells[field];
            CellCheck check = ValidateCellEdit(column, text);
            if (!check.valid) {
                checked.refusal = check.message;
                return checked;
            }
            const ColumnDescriptor& described = columnAt(column);
            if (described.kind == CellKind::Text)
                text = std::string(cutAtCharacter(text, described.keyBytes - 1));
            values.push_back(std::move(text));
        }
    }
    return checked;
}

PasteResult pasteTable(CQuillonDoc& doc, const PastedTable& table) {
    RowList& rows = doc.rows();
    const std::vector<int> selected = rows.selectedRows();
    if (selected.empty()) return refuse(doc, "Select the rows to paste onto");
    const size_t copied = table.rows.size();
    if (copied == 0) return refuse(doc, "The table on the clipboard has no rows");
    if (copied != 1 && copied != selected.size())
        return refuse(doc, countRefusal(selected.size(), copied));

    std::vector<size_t> fields;
    for (size_t field = 0; field < table.columns.size(); ++field)
        if (canEditColumn(doc, table.columns[field])) fields.push_back(field);
    if (fields.empty()) return refuse(doc, "A music bank's Description cannot be edited");
    CheckedValues values = checkValues(table, fields);
    if (!values.refusal.empty()) return refuse(doc, values.refusal);

    bool descriptionWritten = false;
    {
        HistoryStep step(doc.history(), "Paste " + samplesText(selected.size()));
        for (size_t k = 0; k < selected.size(); ++k) {
            const std::vector<std::string>& source = values.rows[copied == 1 ? 0 : k];
            for (size_t f = 0; f < fields.size(); ++f) {
                const int column = table.columns[fields[f]];
                rows.setCell(selected[k], column, source[f]);
                if (column == kColGroup && !isNotSet(source[f]))
                    rows.raiseHighestGroup(atoiLike(source[f]));
                descriptionWritten |= column == kColDescription;
            }
        }
    }
    if (descriptionWritten) doc.showSelectedItem(selected.front());
    return {true, "Pasted " + rowsText(selected.size())};
}

}  // namespace

// --- Copy and Cut ------------------------------------------------------------------

CopiedRows copyRows(const RowList& rows, const std::vector<int>& chosen) {
    CopiedRows copied;
    if (chosen.empty()) return copied;
    copied.count = int(chosen.size());
    copied.plainText = tableText(rows, chosen);
    copied.csv = waveListCsvText(rows, chosen);
    copied.quillonRows =
        format("%s\t%d\n", kQuillonRowsMarker, kQuillonRowsFormat) + copied.plainText;
    copied.status = "Copied " + rowsText(chosen.size());
    return copied;
}

CopiedRows copySelectedRows(const CQuillonDoc& doc) {
    return copyRows(doc.rows(), doc.rows().selectedRows());
}

CopiedRows cutSelectedRows(CQuillonDoc& doc) {
    RowList& rows = doc.rows();
    // The rows are kept aside: the clipboard gets those the delete removed.
    RowList taken;
    std::vector<uint32_t> ids;
    for (int i : rows.selectedRows()) {
        taken.append(Row(rows.row(i)));
        ids.push_back(rows.row(i).id);
    }
    if (ids.empty()) return {};
    HistoryStep step(doc.history(), "Cut");
    deleteSelectedRows(doc);
    std::vector<int> cut;
    for (size_t k = 0; k < ids.size(); ++k)
        if (rows.indexOf(ids[k]) < 0) cut.push_back(int(k));
    doc.history().nameStep("Cut " + samplesText(cut.size()));
    CopiedRows copied = copyRows(taken, cut);
    if (copied.count > 0) copied.status = "Cut " + rowsText(cut.size());
    return copied;
}

// --- Paste ------------------------------------------------------------------------

PasteResult pasteFromClipboard(CQuillonDoc& doc, const ClipboardOffer& offer) {
    if (std::optional<PastedTable> table = parseQuillonRows(offer.quillonRows))
        return pasteTable(doc, *table);
    if (!offer.localFiles.empty()) return pasteWaveFiles(doc, offer.localFiles);
    return pasteText(doc, offer.plainText);
}

PasteResult pasteText(CQuillonDoc& doc, std::string_view text) {
    if (std::optional<PastedTable> table = parsePastedTable(text)) return pasteTable(doc, *table);
    if (std::optional<std::vector<std::string>> files = parseWaveFileList(text))
        return pasteWaveFiles(doc, *files);
    return refuse(doc, "The clipboard holds no table of rows and no list of WAV files");
}

PasteResult pasteWaveFiles(CQuillonDoc& doc, const std::vector<std::string>& paths) {
    if (doc.values().musicBank) return refuse(doc, "WAV files cannot be pasted into a music bank");
    if (paths.empty()) return refuse(doc, "The clipboard holds no WAV files");
    for (const std::string& path : paths)
        if (!isWavePath(path)) return refuse(doc, "Only WAV files can be pasted:\n" + path);
    RowList& rows = doc.rows();
    const int before = rows.size();
    HistoryStep step(doc.history(), "Paste");
    addWaveFiles(doc, paths);
    const size_t added = size_t(rows.size() - before);
    doc.history().nameStep("Paste " + samplesText(added));
    if (added == paths.size()) return {true, "Pasted " + rowsText(added)};
    return {added > 0, format("Pasted %zu of %zu files", added, paths.size())};
}

PasteKind pasteKindOf(const ClipboardOffer& offer) {
    if (parseQuillonRows(offer.quillonRows)) return PasteKind::Table;
    if (!offer.localFiles.empty()) return PasteKind::WaveFiles;
    return pasteKindOf(offer.plainText);
}

PasteKind pasteKindOf(std::string_view text) {
    if (parsePastedTable(text)) return PasteKind::Table;
    if (parseWaveFileList(text)) return PasteKind::WaveFiles;
    return PasteKind::Nothing;
}

// --- Readers ------------------------------------------------------------------------

std::optional<PastedTable> parsePastedTable(std::string_view text) {
    if (text.starts_with(kByteOrderMark)) text.remove_prefix(kByteOrderMark.size());
    if (text.empty()) return std::nullopt;
    TableReader reader(text);
    const Record header = reader.nextLine();
    PastedTable table;
    std::vector<size_t> fieldOf;  // per pasted column, its cell in a line
    for (size_t field = 0; field < header.size(); ++field) {
        int column = pasteColumnTitled(header[field]);
        if (column < 0 || std::ranges::find(table.columns, column) != table.columns.end()) continue;
        table.columns.push_back(column);
        fieldOf.push_back(field);
    }
    if (table.columns.empty()) return std::nullopt;
    size_t filledLines = 0;
    while (!reader.atEnd()) {
        Record record = reader.nextLine();
        if (!isEmptyLine(record)) filledLines = table.rows.size() + 1;
        std::vector<std::string>& cells = table.rows.emplace_back();
        for (size_t field : fieldOf)
            cells.push_back(field < record.size() ? std::move(record[field]) : std::string());
    }
    table.rows.resize(filledLines);
    return table;
}

std::optional<PastedTable> parseQuillonRows(std::string_view bytes) {
    const std::string marker = format("%s\t%d\n", kQuillonRowsMarker, kQuillonRowsFormat);
    if (!bytes.starts_with(marker)) return std::nullopt;
    return parsePastedTable(bytes.substr(marker.size()));
}

std::optional<std::vector<std::string>> parseWaveFileList(std::string_view text) {
    std::vector<std::string> paths;
    while (!text.empty()) {
        size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (line.ends_with('\r')) line.remove_suffix(1);
        if (line.empty()) continue;
        std::optional<std::string> path =
            line.starts_with('/') ? std::string(line) : pathOfFileUrl(line);
        if (!path || !isWavePath(*path)) return std::nullopt;
        paths.push_back(std::move(*path));
    }
    if (paths.empty()) return std::nullopt;
    return paths;
}

}  // namespace quillon
