// The script table's game files are scanned as the C library's sscanf would.
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "export/ScanText.h"

namespace quillon {
namespace {

TEST(ScanText, DirectivesBehaveAsInTheCLibrary) {
    const char* entry = " HELP_TEXT_%s = %d";
    const char* table = "\t\t{HELP_TEXT_%s , %s , %d },";
    // clang-format off
    const std::array<std::string, 3> cases[] = {
        {"  word rest", "%s", "word|"}, {"a=b c", "%s=%s", "a=b|"}, {"12ab", "%d%s", "12|ab|"},
        {"-7", "%d", "-7|"}, {"+", "%d", ""}, {"   ", "%s", ""}, {"ab", "a  b", ""},
        {"a\t\v\f\r\nbc", "a b%s", "c|"}, {"  enum E", "enum %s", ""},
        {"enumE {", "enum %s", "E|"}, {"HELP_TEXT_DOOR =-2,", entry, "DOOR|-2|"},
        {"HELP_TEXT_DOOR=3,", entry, "DOOR=3,|"}, {"help_text_DOOR = 1", entry, ""},
        {"HELP_TEXT_ = 1", entry, "=|"}, {"\tHELP_TEXT_D = x", entry, "D|"},
        {"  {HELP_TEXT_D  ,  B  ,  7  }  ,", table, "D|B|7|"},
        {"\t{ HELP_TEXT_D , B , 5 },", table, ""}, {"\t{HELP_TEXT_D , B, 5 },", table, "D|B,|"}};
    // clang-format on
    for (const auto& [text, pattern, expected] : cases) {
        std::vector<std::string> fields;
        const int count = scanText(text, pattern, fields);
        std::string found;
        for (const std::string& field : fields)
            found += field + "|";
        EXPECT_EQ(found, expected) << text;
        EXPECT_EQ(count, int(fields.size())) << text;
    }
}

}  // namespace
}  // namespace quillon
