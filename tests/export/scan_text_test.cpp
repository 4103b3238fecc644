// The header lines the script table reads are recognised as the C library's
// scanning functions would recognise them; these cases pin the quirks.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "export/ScanText.h"
#include "export/ScriptSources.h"

namespace quillon {
namespace {

TEST(ScanText, DirectivesBehaveAsInTheCLibrary) {
    struct Case {
        const char* text;
        const char* pattern;
        std::vector<std::string> fields;
    };
    const std::vector<Case> cases = {
        {"  word rest", "%s", {"word"}},
        {"a=b c", "%s=%s", {"a=b"}},  // %s swallows the "=", so the "=" finds "c"
        {"x , y", "%s , %s", {"x", "y"}},
        {"x,y", "%s , %s", {"x,y"}},
        {"12ab", "%d%s", {"12", "ab"}},
        {"-7", "%d", {"-7"}},
        {"+", "%d", {}},
        {"   ", "%s", {}},
        {"", " %s", {}},
        {"ab", "a  b", {}},  // no conversions at all
        {"a\t\v\f\rb", "a b%s", {}},
        {"a\t\v\f\rbc", "a b%s", {"c"}},
        {"  enum E", "enum %s", {}},  // a literal skips no white space
    };
    for (const Case& c : cases) {
        std::vector<std::string> fields;
        EXPECT_EQ(scanText(c.text, c.pattern, fields), int(c.fields.size())) << c.text;
        EXPECT_EQ(fields, c.fields) << c.text;
    }
}

TEST(ScriptLines, ScriptEnumLines) {
    struct Case {
        const char* line;
        std::optional<std::pair<std::string, int>> entry;
    };
    const std::vector<Case> cases = {
        {"HELP_TEXT_DOOR = 3", {{"DOOR", 3}}},
        {"\tHELP_TEXT_DOOR_OPEN = 12,  // comment", {{"DOOR_OPEN", 12}}},
        {"HELP_TEXT_DOOR =3,", {{"DOOR", 3}}},  // white space after "=" is optional
        {"HELP_TEXT_DOOR=3,", std::nullopt},    // the name swallows "=3,"
        {"HELP_TEXT_DOOR= 3,", std::nullopt},
        {"HELP_TEXT_DOOR = -2", {{"DOOR", -2}}},
        {"HELP_TEXT_DOOR = x", std::nullopt},
        {"HELP_TEXT_DOOR,", std::nullopt},
        {"help_text_DOOR = 1", std::nullopt},  // the prefix is matched exactly
        {"  HELP_TEXTDOOR = 1", std::nullopt},
        {"HELP_TEXT_ = 1", std::nullopt},  // the name is "=", then "=" meets "1"
        {"", std::nullopt},
    };
    for (const Case& c : cases) {
        std::optional<ScriptEntry> entry = scriptEntryOfLine(c.line);
        ASSERT_EQ(entry.has_value(), c.entry.has_value()) << c.line;
        if (!entry) continue;
        EXPECT_EQ(entry->name, c.entry->first) << c.line;
        EXPECT_EQ(entry->value, c.entry->second) << c.line;
    }
}

TEST(ScriptLines, BankEnumLines) {
    EXPECT_TRUE(startsBankEnum("enum AUDIO_SFX_BANK_TYPE"));
    EXPECT_TRUE(startsBankEnum("enum audio_sfx_bank_type {"));
    EXPECT_TRUE(startsBankEnum("enumAUDIO_SFX_BANK_TYPE"));
    EXPECT_FALSE(startsBankEnum("enum AUDIO_SFX_BANK_TYPE{"));  // the word takes the brace
    EXPECT_FALSE(startsBankEnum("  enum AUDIO_SFX_BANK_TYPE"));
    EXPECT_FALSE(startsBankEnum("typedef enum AUDIO_SFX_BANK_TYPE"));
    EXPECT_FALSE(startsBankEnum("enum OTHER_TYPE"));

    struct Case {
        const char* line;
        std::optional<std::string> name;
    };
    const std::vector<Case> cases = {
        {"\tBANK_MUSIC = 3,", "BANK_MUSIC"},
        {"    BANK_A,", "BANK_A"},
        {"\tBANK_B_,", "BANK_B"},  // trailing underscores are cut too
        {"\tBANK_C,// note", "BANK_C"},
        {"\tBANK9", "BANK9"},
        {"BANK_D,", std::nullopt},  // must begin with white space
        {"\t// a comment", std::nullopt},
        {"\t//BANK_X", "//BANK_X"},  // only the end of the word is cut
        {"\t{", std::nullopt},
        {"\t", std::nullopt},
        {"", std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(bankNameOfBodyLine(c.line), c.name) << c.line;
}

TEST(ScriptLines, TableLines) {
    struct Case {
        const char* line;
        bool matches;
        const char* entry;
        const char* bank;
        int number;
    };
    const std::vector<Case> cases = {
        {"\t\t{HELP_TEXT_DOOR , BANK_A , 5 },", true, "DOOR", "BANK_A", 5},
        {"\t\t{HELP_TEXT_DOOR , BANK_A , 0 },\t\t// unused!", true, "DOOR", "BANK_A", 0},
        {"{HELP_TEXT_DOOR,BANK_A , 5 },", false, "", "", 0},
        {"{HELP_TEXT_DOOR , BANK_A , 5},", true, "DOOR", "BANK_A", 5},
        {"  {HELP_TEXT_DOOR  ,  BANK_A  ,  7  }  ,", true, "DOOR", "BANK_A", 7},
        {"\t\t{HELP_TEXT_DOOR, BANK_A , 5 },", false, "", "", 0},
        {"\t\t{HELP_TEXT_DOOR , BANK_A, 5 },", false, "", "", 0},
        {"\t\t{HELP_TEXT_DOOR , BANK_A , x },", false, "", "", 0},
        {"\t\t{ HELP_TEXT_DOOR , BANK_A , 5 },", false, "", "", 0},
    };
    for (const Case& c : cases) {
        std::optional<TableLine> line = tableLineOf(c.line);
        ASSERT_EQ(line.has_value(), c.matches) << c.line;
        if (!line) continue;
        EXPECT_EQ(line->entryName, c.entry);
        EXPECT_EQ(line->bankName, c.bank);
        EXPECT_EQ(line->sampleNumber, c.number);
    }
}

}  // namespace
}  // namespace quillon
