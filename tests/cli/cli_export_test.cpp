// quillon-cli's exporters end to end: the sample header, the wave list file
// and the script table, compared whole with the text they must hold.
#include <gtest/gtest.h>

#include <filesystem>

#include "cli/CliTestKit.h"
#include "support/WavBuilder.h"

namespace quillon {
namespace {

using test::CliResult;
using test::CliSandbox;

using test::readText;
using test::writeText;

// A bank of a.wav (with a Description), b.wav, c.wav and help_text_q.wav,
// numbered 1 to 4, made from WAV builder files.
class CliExport : public testing::Test {
  protected:
    void SetUp() override {
        if (test::cliPath().empty()) GTEST_FAIL() << "quillon-cli was not built";
        std::vector<std::string> arguments = {"create", bank};
        for (const char* name : {"a.wav", "b.wav", "c.wav", "help_text_q.wav"}) {
            test::PcmWavSpec spec;
            if (std::string(name) == "a.wav") spec.subject = "door, creak";
            test::writeFile(box.file(name), test::makePcmWav(spec));
            arguments.push_back(box.file(name));
        }
        CliResult made = box.run(arguments);
        ASSERT_EQ(made.status, 0) << made.err;
    }

    CliSandbox box;
    std::string bank = box.file("bank.sad");
};

TEST_F(CliExport, HeaderAsAnEnumWithTheDefaultPrefix) {
    CliResult r = box.run({"header", bank, box.file("Bank Sounds.h")});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(readText(box.file("Bank Sounds.h")),
              "//Zarquine Sample Header File\n\n"
              "#ifndef INCL_BANK SOUNDS_H\n#define INCL_BANK SOUNDS_H\n\n\n\n"
              "enum\tZQ_SAMPLE\n{\n"
              "\tZQ_SAMPLE_A = 1,\t\t//door, creak\n"
              "\tZQ_SAMPLE_B = 2,\n"
              "\tZQ_SAMPLE_C = 3,\n"
              "\tZQ_SAMPLE_HELP_TEXT_Q = 4,\n"
              "\tZQ_SAMPLE_LAST = 5\n};\n\n"
              "#endif //BANK SOUNDS included");
}

TEST_F(CliExport, HeaderWithAPrefixAndAsDefines) {
    ASSERT_EQ(box.run({"header", bank, box.file("s.h"), "--prefix", "Sfx"}).status, 0);
    std::string text = readText(box.file("s.h"));
    EXPECT_NE(text.find("enum\tSfx\n{\n\tSFX_A = 1,"), std::string::npos) << text;
    EXPECT_NE(text.find("\tSfx_LAST = 5\n"), std::string::npos) << text;

    ASSERT_EQ(box.run({"header", bank, box.file("d.h"), "--define"}).status, 0);
    EXPECT_EQ(readText(box.file("d.h")),
              "//Zarquine Sample Header File\n\n"
              "#define\tZQ_SAMPLE_A \t 1\t\t//door, creak\n"
              "#define\tZQ_SAMPLE_B \t 2\n"
              "#define\tZQ_SAMPLE_C \t 3\n"
              "#define\tZQ_SAMPLE_HELP_TEXT_Q \t 4\n");

    CliResult both = box.run({"header", bank, box.file("x.h"), "--define", "--prefix", "P"});
    EXPECT_EQ(both.status, 2);
    EXPECT_EQ(test::linesOf(both.err)[0], "quillon-cli: --prefix applies to the enum style only");
    EXPECT_FALSE(test::fileExists(box.file("x.h")));
}

TEST_F(CliExport, CsvFileHoldsWhatListPrints) {
    CliResult listed = box.run({"list", bank});
    ASSERT_EQ(listed.status, 0) << listed.err;
    EXPECT_EQ(listed.out.substr(listed.out.size() - 13), "4 Wav files\r\n");
    CliResult r = box.run({"csv", bank, box.file("Wavlist.csv")});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(readText(box.file("Wavlist.csv")), listed.out);
}

TEST_F(CliExport, AnOutputThatCannotBeWrittenSaysErrorSavingFileAndNamesIt) {
    std::string out = box.file("no/such/folder/out");
    for (const char* command : {"csv", "header"}) {
        CliResult r = box.run({command, bank, out});
        EXPECT_EQ(r.status, 1) << command;
        EXPECT_EQ(r.err, test::editorMessage(bank, "Error Saving File") +
                             "quillon-cli: cannot write " + out + "\n")
            << command;
    }
}

class CliScriptTable : public CliExport {
  protected:
    void SetUp() override {
        CliExport::SetUp();
        writeText(list, "enum AUDIO_SFX_BANK_TYPE\n{\n\tunused,\n\tBANK_A,\n\tBANK_B,\n};\n");
        writeText(enums,
                  "enum HELP_TEXT\n{\n\tHELP_TEXT_NONE = 0,\n\tHELP_TEXT_A = 1,\n"
                  "\tHELP_TEXT_C = 2,\n\tHELP_TEXT_Z = 3,\n};\n");
    }
    CliResult exportTable(const std::string& bankName, std::vector<std::string> extra = {}) {
        std::vector<std::string> arguments = {"script-table", bank,  table,    "--banks", list,
                                              "--enums",      enums, "--bank", bankName};
        arguments.insert(arguments.end(), extra.begin(), extra.end());
        return box.run(arguments);
    }
    static std::string tableText(const std::string& a, const std::string& c, const std::string& z) {
        return "#pragma once\r\n"
               "static const int Audio2ScriptTableSize=4;\r\n\r\n"
               "static const Audio2ScriptData Audio2ScriptTable[4]={\r\n"
               "\t\t{HELP_TEXT_NONE , unused , 0 },\t\t// unused!\r\n" +
               a + c + z + "};\r\n";
    }

    std::string list = box.file("AudioSFX.h");
    std::string enums = box.file("HelpTextEnums.h");
    std::string table = box.file("Audio2ScriptData.h");
};

TEST_F(CliScriptTable, MatchesRowsAndAnswersTheQuestionNo) {
    CliResult r = exportTable("BANK_B");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(readText(table), tableText("\t\t{HELP_TEXT_A , BANK_B , 1 },\r\n",
                                         "\t\t{HELP_TEXT_C , BANK_B , 3 },\r\n",
                                         "\t\t{HELP_TEXT_Z , unused , 0 },\t\t// unused!\r\n"));
    EXPECT_EQ(r.err, test::editorMessage(bank,
                                         "error: can't open output file\n"
                                         "couldn't match Q! do you want to play the line?\n"
                                         "answered No\n"
                                         "2 enums updated out of 4"));
}

TEST_F(CliScriptTable, KeepsTheLinesOfAnotherBankUnlessCleared) {
    writeText(table, "\t\t{HELP_TEXT_Z , BANK_A , 7 },\r\n");
    ASSERT_EQ(exportTable("bank_b").status, 0);
    EXPECT_EQ(readText(table), tableText("\t\t{HELP_TEXT_A , BANK_B , 1 },\r\n",
                                         "\t\t{HELP_TEXT_C , BANK_B , 3 },\r\n",
                                         "\t\t{HELP_TEXT_Z , BANK_A , 7 },\r\n"));

    ASSERT_EQ(exportTable("BANK_B", {"--clear"}).status, 0);
    EXPECT_EQ(readText(table), tableText("\t\t{HELP_TEXT_A , BANK_B , 1 },\r\n",
                                         "\t\t{HELP_TEXT_C , BANK_B , 3 },\r\n",
                                         "\t\t{HELP_TEXT_Z , unused , 0 },\t\t// unused!\r\n"));
}

TEST_F(CliScriptTable, TheValueCheckGoesOnAsOk) {
    writeText(enums,
              "\tHELP_TEXT_NONE = 0,\n\tHELP_TEXT_A = 1,\n\tHELP_TEXT_C = 5,\n"
              "\tHELP_TEXT_Z = 3,\n");
    CliResult r = exportTable("BANK_B");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find(test::editorMessage(bank,
                                             "line 5 / enum 2:\n"
                                             "error: varno's enum values dont match line number\n"
                                             "answered OK")),
              std::string::npos)
        << r.err;
    EXPECT_NE(readText(table).find("\t\t{HELP_TEXT_Z , unused , 0 },"), std::string::npos);
}

// A typing error in --bank or a bank gone from the list must not cost another
// bank its lines: refused before anything is written, unless dropped on purpose.
TEST_F(CliScriptTable, UnknownBanksAreRefusedAndTheOldTableKept) {
    const std::string old = "\t\t{HELP_TEXT_Z , BANK_GONE , 7 },\r\n";
    struct Case {
        const char* name;
        const char* bank;
        const char* note;
    };
    const Case cases[] = {
        {"bank named not in the list", "BANK_Q", "BANK_Q is not in the bank list "},
        {"old line of a bank not in the list", "BANK_B", "has lines of banks not in "},
    };
    for (const Case& c : cases) {
        writeText(table, c.bank == std::string("BANK_Q") ? "" : old);
        CliResult r = exportTable(c.bank);
        EXPECT_EQ(r.status, 1) << c.name;
        EXPECT_NE(r.err.find(c.note), std::string::npos) << c.name << r.err;
        EXPECT_EQ(readText(table), c.bank == std::string("BANK_Q") ? "" : old) << c.name;
    }
    ASSERT_EQ(exportTable("BANK_B", {"--drop-unknown-banks"}).status, 0);
    EXPECT_NE(readText(table).find("\t\t{HELP_TEXT_Z , unused , 7 },\t\t// unused!"),
              std::string::npos);
}

TEST_F(CliScriptTable, ABankNotInTheListWritesTheFirstBankWhenDropped) {
    CliResult r = exportTable("BANK_Q", {"--drop-unknown-banks"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(readText(table), tableText("\t\t{HELP_TEXT_A , unused , 1 },\t\t// unused!\r\n",
                                         "\t\t{HELP_TEXT_C , unused , 3 },\t\t// unused!\r\n",
                                         "\t\t{HELP_TEXT_Z , unused , 0 },\t\t// unused!\r\n"));
    EXPECT_NE(r.err.find("HELP_TEXT_A (BANK_Q)"), std::string::npos) << r.err;
}

TEST_F(CliScriptTable, EveryGameFileMustBeNamed) {
    CliResult r = box.run({"script-table", bank, table, "--banks", list, "--bank", "BANK_B"});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(test::linesOf(r.err)[0], "quillon-cli: --banks, --enums and --bank are all needed");
    EXPECT_FALSE(test::fileExists(table));
}

}  // namespace
}  // namespace quillon
