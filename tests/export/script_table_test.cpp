#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

#include "bank/QuillonDoc.h"
#include "export/ExportTestRows.h"
#include "export/ScriptSources.h"
#include "export/ScriptTable.h"
#include "platform/Paths.h"
#include "support/FakeShell.h"

namespace quillon {
namespace {

using test::crlf;
using test::readText;
using test::sampleRow;
using test::TempFolder;
using test::writeText;

const char kBankList[] =
    "// sound banks\n"
    "enum OTHER_ENUM\n{\n\tNOT_A_BANK,\n};\n"
    "enum AUDIO_SFX_BANK_TYPE\n{\n"
    "\tBANK_NONE = 0,\n"
    "\t// the game's banks\n"
    "\tBANK_A,\n"
    "\tBANK_B_,\n"
    "};\n"
    "enum AUDIO_SFX_BANK_TYPE {\n"
    "    BANK_MUSIC = 3,\n"
    "}\n";

// Entries above HELP_TEXT_NONE are not part of the table; lines without
// white space before "=" are no entries.
const char kScriptEnums[] =
    "enum HELP_TEXTS {\n"
    "\tHELP_TEXT_BEFORE = -1,\n"
    "\tHELP_TEXT_NONE = 0,\n"
    "\tHELP_TEXT_DOOR_OPEN = 1,\n"
    "\tHELP_TEXT_BROKEN= 9,\n"
    "\tHELP_TEXT_DOOR_CLOSE =2,\n"
    "\tHELP_TEXT_GATE = 3,\n"
    "\tHELP_TEXT_WELCOME = 4,\n"
    "};\n";

struct ScriptTable : ::testing::Test {
    TempFolder folder;
    test::FakeShell shell;
    RowList rows;
    std::vector<int> played;
    int stops = 0;
    ScriptTableHooks hooks{[this](int row) { played.push_back(row); }, [this] { ++stops; }};

    ScriptTable() {
        writeText(folder.file("AudioSFX.h"), kBankList);
        writeText(folder.file("HelpTextEnums.h"), kScriptEnums);
    }
    std::string out() const { return folder.file("Audio2ScriptData.h"); }

    ScriptTableRequest request(const std::string& bank, bool clear = false) {
        ScriptTableRequest r;
        r.bankListPath = folder.file("AudioSFX.h");
        r.scriptEnumPath = folder.file("HelpTextEnums.h");
        r.outputPath = out();
        r.selectedBank = findBankName(loadBankNames(r.bankListPath).names, bank);
        r.selectedText = bank;
        r.clearOutput = clear;
        return r;
    }
    ScriptTableResult run(const std::string& bank, bool clear = false) {
        return exportScriptTable(rows, request(bank, clear), shell, hooks);
    }
};

std::string table(const std::vector<std::string>& lines) {
    std::string text =
        "#pragma once\nstatic const int Audio2ScriptTableSize=" + std::to_string(lines.size()) +
        ";\n\nstatic const Audio2ScriptData Audio2ScriptTable[" + std::to_string(lines.size()) +
        "]={\n";
    for (const std::string& line : lines)
        text += "\t\t{HELP_TEXT_" + line + "\n";
    return crlf(text + "};\n");
}

TEST_F(ScriptTable, BankNamesComeFromEveryBankEnumOfTheList) {
    BankNames banks = loadBankNames(folder.file("AudioSFX.h"));
    EXPECT_TRUE(banks.opened);
    EXPECT_EQ(banks.names,
              (std::vector<std::string>{"BANK_NONE", "BANK_A", "BANK_B", "BANK_MUSIC"}));
    EXPECT_EQ(bankNameItems(folder.file("missing.h")),
              (std::vector<std::string>{"[ERROR] Can't load File"}));
    writeText(folder.file("empty.h"), "enum AUDIO_SFX_BANK_TYPE\n{\n};\n");
    EXPECT_EQ(bankNameItems(folder.file("empty.h")),
              (std::vector<std::string>{"[ERROR] Can't load File"}));
    EXPECT_EQ(bankNameItems(folder.path()),  // a folder is no list
              (std::vector<std::string>{"[ERROR] Can't load File"}));
    // A NUL ends a line's text, as it ends a C string; CR LF ends a line.
    using namespace std::string_literals;
    writeText(folder.file("nul.h"), "enum AUDIO_SFX_BANK_TYPE\r\n{\r\n\tBANK_Q\0X\r\n}\r\n"s);
    EXPECT_EQ(loadBankNames(folder.file("nul.h")).names, (std::vector<std::string>{"BANK_Q"}));
}

TEST_F(ScriptTable, MoreThan256BankNamesKeepTheFirst256) {
    std::string list = "enum AUDIO_SFX_BANK_TYPE\n{\n";
    for (int i = 0; i < 300; ++i)
        list += "\tB" + std::to_string(i) + ",\n";
    writeText(folder.file("big.h"), list + "};\n");
    BankNames banks = loadBankNames(folder.file("big.h"));
    ASSERT_EQ(banks.names.size(), 256u);
    EXPECT_EQ(banks.names.back(), "B255");
    EXPECT_TRUE(banks.overCapacity);
}

TEST_F(ScriptTable, ScriptEntriesStartAtNoneAndMismatchedValuesAsk) {
    ScriptEnums script = readScriptEnums(folder.file("HelpTextEnums.h"), shell);
    ASSERT_EQ(script.entries.size(), 5u);
    EXPECT_EQ(script.entries[0].name, "NONE");
    EXPECT_EQ(script.entries[2].name, "DOOR_CLOSE");
    EXPECT_TRUE(shell.messages.empty());

    writeText(folder.file("bad.h"),
              "HELP_TEXT_none = 0,\nHELP_TEXT_A = 5,\nHELP_TEXT_B = 2,\nHELP_TEXT_C = 9,\n"
              "HELP_TEXT_D = 4,\n");
    shell.answers = {MessageAnswer::Ok, MessageAnswer::Cancel};
    script = readScriptEnums(folder.file("bad.h"), shell);
    ASSERT_EQ(script.entries.size(), 4u);  // Cancel keeps C and stops there
    ASSERT_EQ(shell.messages.size(), 2u);
    EXPECT_EQ(shell.messages[0].text, "error: varno's enum values dont match line number");
    EXPECT_EQ(shell.messages[0].caption, "line 5 / enum 1");
    EXPECT_EQ(shell.messages[0].buttons, MessageButtons::OkCancel);
    EXPECT_EQ(shell.messages[1].caption, "line 9 / enum 3");
}

TEST_F(ScriptTable, RowsFillTheirEntriesAndUnmatchedHelpLinesAsk) {
    test::appendRows(rows, {sampleRow(5, "help_text_door_open.wav"), sampleRow(6, "DOOR_CLOSE.wav"),
                            sampleRow(7, "unrelated.wav"), sampleRow(8, "HELP_TEXT_MISSING.wav"),
                            sampleRow(9, "Gate.Take2.wav")});
    // The first answer closes "error: can't open output file".
    shell.answers = {MessageAnswer::Ok, MessageAnswer::Yes, MessageAnswer::Yes, MessageAnswer::No};
    ScriptTableResult result = run("bank_a");  // the bank by name, case ignored

    EXPECT_EQ(result.status, ScriptTableStatus::Written);
    EXPECT_EQ(result.matched, 2);
    EXPECT_EQ(result.entries, 5);
    EXPECT_EQ(readText(out()),
              table({"NONE , BANK_NONE , 0 },\t\t// unused!", "DOOR_OPEN , BANK_A , 5 },",
                     "DOOR_CLOSE , BANK_A , 6 },", "GATE , BANK_NONE , 0 },\t\t// unused!",
                     "WELCOME , BANK_NONE , 0 },\t\t// unused!"}));
    EXPECT_EQ(played, (std::vector<int>{3, 3}));  // Yes plays and asks again
    EXPECT_EQ(stops, 1);
    EXPECT_EQ(shell.messageTexts(),
              (std::vector<std::string>{"error: can't open output file",  // no table written before
                                        "couldn't match MISSING! do you want to play the line?",
                                        "couldn't match MISSING! do you want to play the line?",
                                        "couldn't match MISSING! do you want to play the line?",
                                        "2 enums updated out of 5"}));
    EXPECT_EQ(shell.messages[1].buttons, MessageButtons::YesNoCancel);
}

TEST_F(ScriptTable, ExportingBankBIntoBankAsTableKeepsAsLinesUnlessCleared) {
    test::appendRows(rows,
                     {sampleRow(5, "HELP_TEXT_DOOR_OPEN.wav"), sampleRow(6, "HELP_TEXT_GATE.wav")});
    ASSERT_EQ(run("BANK_A").status, ScriptTableStatus::Written);
    const std::string tableA = readText(out());

    rows.clear();
    test::appendRows(rows,
                     {sampleRow(1, "HELP_TEXT_WELCOME.wav"), sampleRow(4, "help_text_gate.wav")});
    ASSERT_EQ(run("BANK_MUSIC").status, ScriptTableStatus::Written);
    EXPECT_EQ(readText(out()),
              table({"NONE , BANK_NONE , 0 },\t\t// unused!", "DOOR_OPEN , BANK_A , 5 },",
                     "DOOR_CLOSE , BANK_NONE , 0 },\t\t// unused!", "GATE , BANK_MUSIC , 4 },",
                     "WELCOME , BANK_MUSIC , 1 },"}));

    writeText(out(), tableA);
    ASSERT_EQ(run("BANK_MUSIC", true).status, ScriptTableStatus::Written);
    EXPECT_EQ(readText(out()), table({"NONE , BANK_NONE , 0 },\t\t// unused!",
                                      "DOOR_OPEN , BANK_NONE , 0 },\t\t// unused!",
                                      "DOOR_CLOSE , BANK_NONE , 0 },\t\t// unused!",
                                      "GATE , BANK_MUSIC , 4 },", "WELCOME , BANK_MUSIC , 1 },"}));
}

TEST_F(ScriptTable, ALaterRowOfTheSameKeyWinsInNumberOrderAndCountsAgain) {
    test::appendRows(rows, {sampleRow(9, "gate.wav"), sampleRow(3, "HELP_TEXT_GATE.wav")});
    rows.sortState().sortedByNumber = false;
    ScriptTableResult result = run("BANK_B");
    EXPECT_EQ(result.matched, 2);
    EXPECT_NE(readText(out()).find("\t\t{HELP_TEXT_GATE , BANK_B , 9 },\r\n"), std::string::npos);
}

TEST_F(ScriptTable, PreviousLinesOfUnknownBanksOrEntriesAreMendedAndReported) {
    writeText(out(),
              "\t\t{HELP_TEXT_DOOR_OPEN , BANK_GONE , 5 },\r\n"
              "\t\t{HELP_TEXT_gate , bank_a , 7 },\r\n"
              "\t\t{HELP_TEXT_REMOVED , BANK_A , 8 },\r\n"
              "\t\t{HELP_TEXT_WELCOME, BANK_A , 9 },\r\n");
    ScriptTableResult result = run("BANK_B");
    EXPECT_EQ(result.replacedLines, (std::vector<std::string>{"HELP_TEXT_DOOR_OPEN (BANK_GONE)"}));
    EXPECT_EQ(readText(out()),
              table({"NONE , BANK_NONE , 0 },\t\t// unused!",
                     "DOOR_OPEN , BANK_NONE , 5 },\t\t// unused!",
                     "DOOR_CLOSE , BANK_NONE , 0 },\t\t// unused!", "GATE , BANK_A , 7 },",
                     "WELCOME , BANK_NONE , 0 },\t\t// unused!"}));
    ASSERT_EQ(shell.messages.size(), 2u);
    EXPECT_EQ(shell.messages[0].text,
              "these lines named a soundbank that is not in the list; they now name BANK_NONE:\n"
              "HELP_TEXT_DOOR_OPEN (BANK_GONE)");
}

TEST_F(ScriptTable, ABankNotInTheListWritesTheFirstNameAndSaysSo) {
    rows.append(sampleRow(5, "HELP_TEXT_GATE.wav"));
    ScriptTableResult result = run("BANK_Z", true);
    EXPECT_EQ(result.status, ScriptTableStatus::Written);
    EXPECT_EQ(result.replacedLines, (std::vector<std::string>{"HELP_TEXT_GATE (BANK_Z)"}));
    EXPECT_NE(readText(out()).find("\t\t{HELP_TEXT_GATE , BANK_NONE , 5 },\t\t// unused!\r\n"),
              std::string::npos);
}

TEST_F(ScriptTable, CancellingTheMatchQuestionWritesNothing) {
    writeText(out(), "old table");
    test::appendRows(rows,
                     {sampleRow(1, "HELP_TEXT_GATE.wav"), sampleRow(2, "HELP_TEXT_NOPE.wav")});
    shell.answers = {MessageAnswer::Cancel};
    ScriptTableResult result = run("BANK_A");
    EXPECT_EQ(result.status, ScriptTableStatus::Cancelled);
    EXPECT_EQ(readText(out()), "old table");
    EXPECT_EQ(shell.messageTexts().back(), "1 enums updated out of 5");
}

TEST_F(ScriptTable, MissingGameFilesLeaveThePreviousTableAlone) {
    writeText(out(), "old table");
    rows.append(sampleRow(1, "HELP_TEXT_GATE.wav"));
    ScriptTableRequest r = request("BANK_A");
    r.bankListPath = folder.file("nothing.h");
    EXPECT_EQ(exportScriptTable(rows, r, shell, hooks).status, ScriptTableStatus::NoBankNames);
    r = request("BANK_A");
    r.scriptEnumPath = folder.file("nothing.h");
    EXPECT_EQ(exportScriptTable(rows, r, shell, hooks).status, ScriptTableStatus::NoScriptEnums);
    writeText(folder.file("nonone.h"), "\tHELP_TEXT_GATE = 1,\n");
    r.scriptEnumPath = folder.file("nonone.h");
    EXPECT_EQ(exportScriptTable(rows, r, shell, hooks).status, ScriptTableStatus::NoScriptEnums);
    EXPECT_EQ(readText(out()), "old table");
    EXPECT_EQ(shell.messageTexts(),
              (std::vector<std::string>{"error: can't load game soundbank list file",
                                        "error: can't open game script file",
                                        "error: no HELP_TEXT_NONE in game script file"}));
}

TEST_F(ScriptTable, AnOutputThatCannotBeOpenedAsksWhetherItIsCheckedOut) {
    rows.append(sampleRow(1, "HELP_TEXT_GATE.wav"));
    ScriptTableRequest r = request("BANK_A", true);
    r.outputPath = folder.file("no-folder/table.h");
    EXPECT_EQ(exportScriptTable(rows, r, shell, hooks).status, ScriptTableStatus::CannotCreate);
    EXPECT_EQ(shell.messageTexts(),
              (std::vector<std::string>{"error: can't open output file. is it checked out?",
                                        "1 enums updated out of 5"}));
}

// A table without write permission is one not checked out of source
// control: it is left alone, even by a user who could write past that.
TEST_F(ScriptTable, AReadOnlyTableIsLeftAloneAsNotCheckedOut) {
    rows.append(sampleRow(1, "HELP_TEXT_GATE.wav"));
    writeText(out(), "the checked-in table\n");
    ASSERT_EQ(::chmod(out().c_str(), 0444), 0);
    EXPECT_EQ(run("BANK_A").status, ScriptTableStatus::CannotCreate);
    EXPECT_EQ(shell.messageTexts().front(), "error: can't open output file. is it checked out?");
    EXPECT_EQ(readText(out()), "the checked-in table\n");
}

// An output that is a link: the previous table is read through it, the file
// it names is replaced, and the link stays.
TEST_F(ScriptTable, APreviousTableBehindALinkIsReadAndReplaced) {
    rows.append(sampleRow(5, "HELP_TEXT_DOOR_OPEN.wav"));
    ASSERT_EQ(run("BANK_A").status, ScriptTableStatus::Written);
    std::filesystem::create_directories(folder.file("links"));
    const std::string link = folder.file("links/Audio2ScriptData.h");
    std::filesystem::create_symlink(out(), link);

    rows.clear();
    rows.append(sampleRow(4, "HELP_TEXT_GATE.wav"));
    ScriptTableRequest r = request("BANK_MUSIC");
    r.outputPath = link;
    ASSERT_EQ(exportScriptTable(rows, r, shell, hooks).status, ScriptTableStatus::Written);
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(readText(out()),
              table({"NONE , BANK_NONE , 0 },\t\t// unused!", "DOOR_OPEN , BANK_A , 5 },",
                     "DOOR_CLOSE , BANK_NONE , 0 },\t\t// unused!", "GATE , BANK_MUSIC , 4 },",
                     "WELCOME , BANK_NONE , 0 },\t\t// unused!"}));
}

TEST_F(ScriptTable, CapacitiesAndLongNames) {
    std::string script = "HELP_TEXT_NONE = 0\n";
    const std::string longName(300, 'L');
    script += "HELP_TEXT_" + longName + " = 1\n";
    for (int i = 2; i <= 16384; ++i)
        script += "HELP_TEXT_E" + std::to_string(i) + " = " + std::to_string(i) + "\n";
    writeText(folder.file("HelpTextEnums.h"), script);
    rows.append(sampleRow(3, longName + ".wav"));
    ScriptTableResult result = run("BANK_A", true);
    EXPECT_EQ(result.entries, 16384);
    EXPECT_EQ(result.matched, 1);
    std::string text = readText(out());
    EXPECT_NE(text.find("Audio2ScriptTableSize=16384;"), std::string::npos);
    EXPECT_NE(text.find("\t\t{HELP_TEXT_" + longName + " , BANK_A , 3 },\r\n"), std::string::npos);
    EXPECT_NE(text.find("{HELP_TEXT_E16383 , "), std::string::npos);
    EXPECT_EQ(text.find("{HELP_TEXT_E16384 , "), std::string::npos);
    EXPECT_EQ(shell.messageTexts().front(),
              "error: more than 16384 script enums; only the first 16384 are used");
}

// --- the command, through the dialogs ---

struct ScriptCommand : ScriptTable {
    CQuillonDoc doc{shell, nullptr};
    ScriptExportPaths lastUsed;
};

TEST_F(ScriptCommand, TheToolDialogOpensWithTheDefaultsAndItsAnswersDriveTheExport) {
    runScriptTableExport(doc, hooks, lastUsed);  // no rows: nothing
    EXPECT_TRUE(shell.scriptDialogsShown.empty());
    test::appendRows(doc.rows(), {sampleRow(4, "HELP_TEXT_GATE.wav")});
    runScriptTableExport(doc, hooks, lastUsed);  // the dialog is cancelled
    ASSERT_EQ(shell.scriptDialogsShown.size(), 1u);
    EXPECT_EQ(shell.scriptDialogsShown[0].bankListPath, korvelFolder() + "/AudioSFX.h");
    EXPECT_EQ(shell.scriptDialogsShown[0].scriptEnumPath, korvelFolder() + "/HelpTextEnums.h");
    EXPECT_FALSE(shell.scriptDialogsShown[0].clearOutput);
    EXPECT_TRUE(shell.fileRequests.empty());

    shell.scriptDialogAnswers.push_back(
        {true, folder.file("AudioSFX.h"), folder.file("HelpTextEnums.h"), true, "BANK_B"});
    shell.fileAnswers.push_back({{out()}, folder.path()});
    runScriptTableExport(doc, hooks, lastUsed);
    ASSERT_EQ(shell.fileRequests.size(), 1u);
    EXPECT_EQ(shell.fileRequests[0].initialFolder, korvelFolder());
    EXPECT_EQ(shell.fileRequests[0].defaultName, "Audio2ScriptData.h");
    EXPECT_EQ(shell.fileRequests[0].filter, "Header File (*.h)|*.h||");
    EXPECT_TRUE(shell.fileRequests[0].promptOverwrite);
    EXPECT_NE(readText(out()).find("\t\t{HELP_TEXT_GATE , BANK_B , 4 },\r\n"), std::string::npos);
    EXPECT_EQ(shell.messageTexts().back(), "1 enums updated out of 5");
}

// The paths confirmed are where the dialogs open the next time: the two
// headers as soon as the tool dialog is confirmed, the table once chosen.
TEST_F(ScriptCommand, TheDialogsOpenWithThePathsLastUsed) {
    test::appendRows(doc.rows(), {sampleRow(4, "HELP_TEXT_GATE.wav")});
    shell.scriptDialogAnswers.push_back(
        {true, folder.file("AudioSFX.h"), folder.file("HelpTextEnums.h"), false, "BANK_B"});
    runScriptTableExport(doc, hooks, lastUsed);  // the save dialog is cancelled
    EXPECT_EQ(lastUsed,
              (ScriptExportPaths{folder.file("AudioSFX.h"), folder.file("HelpTextEnums.h"), ""}));

    const std::string table = folder.file("Tables.h");
    for (int run = 0; run < 2; ++run)
        shell.scriptDialogAnswers.push_back({true, {}, {}, false, "BANK_B"});
    shell.fileAnswers.push_back({{table}, folder.path()});
    runScriptTableExport(doc, hooks, lastUsed);
    EXPECT_EQ(shell.scriptDialogsShown[1].bankListPath, folder.file("AudioSFX.h"));
    EXPECT_EQ(shell.scriptDialogsShown[1].scriptEnumPath, folder.file("HelpTextEnums.h"));
    EXPECT_EQ(lastUsed.outputPath, table);
    runScriptTableExport(doc, hooks, lastUsed);
    ASSERT_EQ(shell.fileRequests.size(), 3u);
    EXPECT_EQ(shell.fileRequests[2].initialFolder, folder.path());
    EXPECT_EQ(shell.fileRequests[2].defaultName, "Tables.h");
}

}  // namespace
}  // namespace quillon
