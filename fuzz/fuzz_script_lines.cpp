// Reads arbitrary bytes as lines of the game's sound bank list, script enum
// and table headers, and scans the second half of each line with its first
// half as the pattern; checks that every word found is whole and free of
// white space.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "FuzzSupport.h"
#include "export/ScanText.h"
#include "export/ScriptSources.h"

namespace {

using namespace quillon;

void checkWord(std::string_view word) {
    require(!word.empty());
    for (char c : word)
        require(!isCWhiteSpace(c));
}

void scanLine(std::string_view line) {
    (void)startsBankEnum(line);
    if (std::optional<std::string> name = bankNameOfBodyLine(line)) {
        checkWord(*name);
        char last = name->back();
        require((last >= '0' && last <= '9') || (last >= 'a' && last <= 'z') ||
                (last >= 'A' && last <= 'Z'));
    }
    if (std::optional<ScriptEntry> entry = scriptEntryOfLine(line)) checkWord(entry->name);
    if (std::optional<TableLine> table = tableLineOf(line)) {
        checkWord(table->entryName);
        checkWord(table->bankName);
    }
    std::vector<std::string> fields;
    size_t half = line.size() / 2;
    int count = scanText(line.substr(half), line.substr(0, half), fields);
    require(count >= 0 && size_t(count) == fields.size());
    for (const std::string& field : fields)
        require(!field.empty());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    while (!text.empty()) {
        size_t end = text.find('\n');
        scanLine(text.substr(0, end));
        if (end == std::string_view::npos) break;
        text.remove_prefix(end + 1);
    }
    return 0;
}
