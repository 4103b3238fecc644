// Reads arbitrary bytes as a bank manifest. A manifest the reader takes must
// be written and read again to the same text, and every cell it names must be
// one the user may edit.
#include <cstdint>
#include <string>
#include <string_view>

#include "FuzzSupport.h"
#include "bank/Columns.h"
#include "export/Manifest.h"

namespace {

using namespace quillon;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    ManifestRead read = readManifest(text);
    if (!read.manifest) {
        require(!read.error.empty());
        return 0;
    }
    for (const ManifestRow& row : read.manifest->rows) {
        require(!row.source.empty());
        for (const auto& [column, cell] : row.cells)
            require(column >= 0 && column < kColumnCount && columnAt(column).editable);
    }
    require(!read.manifest->mpeg || read.manifest->music);
    std::string written = manifestJson(*read.manifest);
    ManifestRead again = readManifest(written);
    require(again.manifest && manifestJson(*again.manifest) == written);
    return 0;
}
