// Reads arbitrary bytes as pasted text: as a table, as our own copy type and as
// a list of WAV files. A table is pasted onto three rows (a list of files is
// never added: its paths would be read); whatever the paste wrote must come
// back unchanged through a copy of those rows.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "../bench/SilentShell.h"
#include "FuzzSupport.h"
#include "editor/RowClipboard.h"
#include "platform/Text.h"

namespace {

using namespace quillon;

constexpr int kRows = 3;

void checkTable(const PastedTable& table) {
    for (size_t k = 0; k < table.columns.size(); ++k) {
        int column = table.columns[k];
        require(column >= 0 && column < kColumnCount && columnAt(column).editable);
        for (size_t j = 0; j < k; ++j)
            require(table.columns[j] != column);
    }
    for (const std::vector<std::string>& cells : table.rows)
        require(cells.size() == table.columns.size());
}

void checkFiles(const std::vector<std::string>& paths) {
    require(!paths.empty());
    for (const std::string& path : paths)
        require(path.starts_with('/') && path.find('\0') == std::string::npos && path.size() > 4 &&
                asciiLower(path.substr(path.size() - 4)) == ".wav");
}

// Pastes the table onto rows of "*" cells, then copies them and reads the copy.
void checkRoundTrip(std::string_view text) {
    test::SilentShell shell(MessageAnswer::Ok);
    CQuillonDoc doc(shell, nullptr);
    std::vector<int> all;
    for (int i = 0; i < kRows; ++i) {
        Row row;
        for (int c = 0; c < kColumnCount; ++c)
            setCell(row, c, "*");
        all.push_back(doc.rows().append(std::move(row)));
    }
    doc.rows().selectOnly(all);
    (void)pasteText(doc, text);
    CopiedRows copied = copySelectedRows(doc);
    require(copied.count == kRows);
    std::optional<PastedTable> table = parseQuillonRows(copied.quillonRows);
    require(table && table->columns.size() == 18 && table->rows.size() == size_t(kRows));
    for (int i = 0; i < kRows; ++i)
        for (size_t k = 0; k < table->columns.size(); ++k)
            require(table->rows[size_t(i)][k] == doc.rows().cell(i, table->columns[k]));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    if (std::optional<PastedTable> table = parseQuillonRows(text)) checkTable(*table);
    if (std::optional<std::vector<std::string>> files = parseWaveFileList(text)) checkFiles(*files);
    if (std::optional<PastedTable> table = parsePastedTable(text)) {
        checkTable(*table);
        checkRoundTrip(text);
    }
    return 0;
}
