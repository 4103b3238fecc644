// Reads arbitrary bytes as a recovery file. A file the reader takes must come
// back the same through the writer, and recovering it over a bank's rows must
// give exactly its rows, in its order, each with its check box.
#include <cstdint>
#include <string>
#include <string_view>

#include "../bench/SilentShell.h"
#include "FuzzSupport.h"
#include "editor/Recovery.h"

namespace {

using namespace quillon;

// Two rows as an open makes them, with load numbers 1 and 2, to recover over.
void checkRecovery(const RecoveryState& state) {
    test::SilentShell shell(MessageAnswer::Ok);
    CQuillonDoc doc(shell, nullptr);
    for (uint32_t number = 1; number <= 2; ++number) {
        Row row;
        for (int c = 0; c < kColumnCount; ++c)
            setCell(row, c, "*");
        row.loadNumber = number;
        doc.rows().append(std::move(row));
    }
    doc.history().clear();
    applyRecovery(doc, state);
    require(doc.rows().size() == int(state.rows.size()));
    for (int i = 0; i < doc.rows().size(); ++i)
        require(doc.rows().row(i).checked == state.rows[size_t(i)].checked);
    require(doc.undo());
    require(doc.rows().size() == 2);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    RecoveryRead read = readRecovery(text);
    if (!read.state) {
        require(!read.error.empty());
        return 0;
    }
    RecoveryRead again = readRecovery(recoveryJson(*read.state));
    require(again.state && *again.state == *read.state);
    checkRecovery(*read.state);
    return 0;
}
