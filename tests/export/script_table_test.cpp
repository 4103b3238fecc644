// The script table's byte-exact home, and how rows and the old table fill it.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "export/ExportTestRows.h"
#include "export/ScriptSources.h"
#include "export/ScriptTable.h"
#include "support/FakeShell.h"

namespace quillon {
namespace {

using test::readText;
using test::writeText;
using Names = std::vector<std::string>;

// Two bank enums (any case) after another, each ended by "}". Entries before
// HELP_TEXT_NONE, and lines without white space before "=", are no entries.
const char kBankList[] =
    "enum OTHER_ENUM\n{\n\tNOT_A_BANK,\n};\nenum AUDIO_SFX_BANK_TYPE\n{\n\tBANK_NONE = 0,\n"
    "\t// the game's banks\n\tBANK_A,\n\tBANK_B_,\n};\nenum audio_sfx_bank_type {\n"
    "    BANK_MUSIC = 3,\n}\n";
const char kScriptEnums[] =
    "enum HELP_TEXTS {\n\tHELP_TEXT_BEFORE = -1,\n\tHELP_TEXT_NONE = 0,\n"
    "\tHELP_TEXT_DOOR_OPEN = 1,\n\tHELP_TEXT_BROKEN= 9,\n\tHELP_TEXT_DOOR_CLOSE =2,\n"
    "\tHELP_TEXT_GATE = 3,\n\tHELP_TEXT_WELCOME = 4,\n};\n";

struct ScriptTable : ::testing::Test {
    test::TempFolder folder;
    test::FakeShell shell;
    RowList rows;
    std::vector<int> played;  // the rows played, -1 where every sample was stopped
    ScriptTableHooks hooks{[this](int row) { played.push_back(row); },
                           [this] { played.push_back(-1); }};

    ScriptTable() {
        writeText(folder.file("AudioSFX.h"), kBankList);
        writeText(folder.file("HelpTextEnums.h"), kScriptEnums);
    }
    std::string out() const { return folder.file("Audio2ScriptData.h"); }
    // Whether the table written holds the line "\t\t{HELP_TEXT_<line>\r\n".
    bool has(const std::string& line) const {
        return readText(out()).find("\t\t{HELP_TEXT_" + line + "\r\n") != std::string::npos;
    }
    ScriptTableResult run(const std::string& bank, bool clear = false,
                          const char* banks = "AudioSFX.h", const char* enums = "HelpTextEnums.h") {
        ScriptTableRequest r{
            .bankListPath = folder.file(banks),
            .scriptEnumPath = folder.file(enums),
            .outputPath = out(),
            .selectedBank = findBankName(loadBankNames(folder.file("AudioSFX.h")).names, bank),
            .selectedText = bank,
            .clearOutput = clear};
        return exportScriptTable(rows, r, shell, hooks);
    }
};

// A help line naming no entry asks: Yes plays and asks again, No stops every sample.
TEST_F(ScriptTable, RowsFillTheirEntriesAndUnmatchedHelpLinesAsk) {
    // clang-format off
    test::appendRows(rows, {{"5", "help_text_door_open.wav"}, {"6", "DOOR_CLOSE.wav"},
                            {"7", "unrelated.wav"}, {"8", "HELP_TEXT_MISSING.wav"}});
    // clang-format on
    shell.answers = {MessageAnswer::Ok, MessageAnswer::Yes, MessageAnswer::Yes, MessageAnswer::No};
    ScriptTableResult result = run("bank_a");
    EXPECT_EQ(result.matched, 2);
    EXPECT_EQ(readText(out()),
              "#pragma once\r\nstatic const int Audio2ScriptTableSize=5;\r\n\r\n"
              "static const Audio2ScriptData Audio2ScriptTable[5]={\r\n"
              "\t\t{HELP_TEXT_NONE , BANK_NONE , 0 },\t\t// unused!\r\n"
              "\t\t{HELP_TEXT_DOOR_OPEN , BANK_A , 5 },\r\n"
              "\t\t{HELP_TEXT_DOOR_CLOSE , BANK_A , 6 },\r\n"
              "\t\t{HELP_TEXT_GATE , BANK_NONE , 0 },\t\t// unused!\r\n"
              "\t\t{HELP_TEXT_WELCOME , BANK_NONE , 0 },\t\t// unused!\r\n};\r\n");
    EXPECT_EQ(played, (std::vector<int>{3, 3, -1}));
    const std::string ask = "couldn't match MISSING! do you want to play the line?";
    EXPECT_EQ(shell.messageTexts(),
              (Names{"error: can't open output file", ask, ask, ask, "2 enums updated out of 5"}));
}

// Unknown banks, old or selected, become the list's first; a later row wins.
TEST_F(ScriptTable, PreviousLinesOfUnknownBanksOrEntriesAreMendedAndReported) {
    writeText(
        out(),
        "\t\t{HELP_TEXT_DOOR_OPEN , BANK_GONE , 5 },\r\n\t\t{HELP_TEXT_gate , bank_a , 7 },\n"
        "\t\t{HELP_TEXT_REMOVED , BANK_A , 8 },\r\n\t\t{HELP_TEXT_WELCOME, BANK_A , 9 },\r\n");
    test::appendRows(
        rows,
        {{"9", "HELP_TEXT_DOOR_CLOSE.wav"}, {"3", "door_close.wav"}, {"4", "Gate.Take2.wav"}});
    rows.sortState().sortedByNumber = false;
    EXPECT_EQ(run("BANK_Z").replacedLines,
              (Names{"HELP_TEXT_DOOR_OPEN (BANK_GONE)", "HELP_TEXT_DOOR_CLOSE (BANK_Z)"}));
    EXPECT_TRUE(has("DOOR_OPEN , BANK_NONE , 5 },\t\t// unused!"));
    EXPECT_TRUE(has("DOOR_CLOSE , BANK_NONE , 9 },\t\t// unused!"));
    EXPECT_TRUE(has("GATE , BANK_A , 7 },"));
    EXPECT_TRUE(has("WELCOME , BANK_NONE , 0 },\t\t// unused!"));
    EXPECT_EQ(shell.messageTexts(),
              (Names{"these lines named a soundbank that is not in the list; they now name "
                     "BANK_NONE:\nHELP_TEXT_DOOR_OPEN (BANK_GONE)\nHELP_TEXT_DOOR_CLOSE (BANK_Z)",
                     "2 enums updated out of 5"}));
}

// A read-only table is one not checked out: left alone, even by root.
TEST_F(ScriptTable, MissingGameFilesLeaveThePreviousTableAlone) {
    writeText(out(), "old table");
    writeText(folder.file("nonone.h"), "\tHELP_TEXT_GATE = 1,\n");
    test::appendRows(rows, {{"1", "HELP_TEXT_GATE.wav"}, {"2", "HELP_TEXT_NO.wav"}});
    EXPECT_EQ(run("BANK_A", false, "none.h").status, ScriptTableStatus::NoBankNames);
    EXPECT_EQ(run("BANK_A", false, "AudioSFX.h", "none.h").status,
              ScriptTableStatus::NoScriptEnums);
    EXPECT_EQ(run("BANK_A", false, "AudioSFX.h", "nonone.h").status,
              ScriptTableStatus::NoScriptEnums);
    shell.answers = {MessageAnswer::Cancel};
    EXPECT_EQ(run("BANK_A").status, ScriptTableStatus::Cancelled);
    ASSERT_EQ(::chmod(out().c_str(), 0444), 0);
    shell.answers = {MessageAnswer::No};
    EXPECT_EQ(run("BANK_A").status, ScriptTableStatus::CannotCreate);
    EXPECT_EQ(readText(out()), "old table");
    const std::string ask = "couldn't match NO! do you want to play the line?";
    EXPECT_EQ(
        shell.messageTexts(),
        (Names{"error: can't load game soundbank list file", "error: can't open game script file",
               "error: no HELP_TEXT_NONE in game script file", ask, "1 enums updated out of 5", ask,
               "error: can't open output file. is it checked out?", "1 enums updated out of 5"}));
}

// A NUL ends a line, as in C; past 256 banks and 16384 entries the rest go.
TEST_F(ScriptTable, CapacitiesAndLongNames) {
    using namespace std::string_literals;
    std::string list = "enum AUDIO_SFX_BANK_TYPE\r\n{\r\n\tB0\0X\r\n"s;
    for (int i = 1; i < 257; ++i)
        list += "\tB" + std::to_string(i) + ",\n";
    std::string script = "HELP_TEXT_none = 0\nHELP_TEXT_X = 9\n";
    for (int i = 2; i <= 16384; ++i)
        script += "HELP_TEXT_" + std::string(300, 'L') + std::to_string(i) + " = " +
                  std::to_string(i) + "\n";
    writeText(folder.file("AudioSFX.h"), list);
    writeText(folder.file("HelpTextEnums.h"), script);
    EXPECT_EQ(run("B255", true).entries, 16384);
    EXPECT_TRUE(has(std::string(300, 'L') + "16383 , B0 , 0 },\t\t// unused!"));
    EXPECT_EQ(shell.messageTexts(),
              (Names{"error: more than 256 soundbanks in the list; only the first 256 are used",
                     "error: varno's enum values dont match line number",
                     "error: more than 16384 script enums; only the first 16384 are used",
                     "0 enums updated out of 16384"}));
    EXPECT_EQ(shell.messages[1].caption, "line 9 / enum 1");
    shell.answers = {MessageAnswer::Ok, MessageAnswer::Cancel};  // Cancel keeps X, stops there
    EXPECT_EQ(run("B0", true).entries, 2);
}

}  // namespace
}  // namespace quillon
