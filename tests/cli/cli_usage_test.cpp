// quillon-cli's wiring: each command line reaches its operation, prints its
// message and exits with its status. The bytes of banks and exports are
// pinned by the layers' own tests.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "bank/SegmentNames.h"
#include "cli/CliTestKit.h"
#include "support/BankFixtures.h"
#include "support/WavBuilder.h"

namespace quillon {
namespace {

using test::CliResult;
using test::CliSandbox;

// One command line, run in a sandbox of WAV files, banks and game files;
// "@" in a text stands for the sandbox's folder.
struct Row {
    const char* name;
    std::vector<std::string> args;
    int status;
    std::string err;       // a part of stderr; "" for none at all
    std::string out = {};  // a part of stdout, or of `file` when one is named
    const char* file = nullptr;
    bool saves = false;                    // bank.sad or music.sad may change
    std::vector<std::string> before = {};  // a command that runs first and must work
    std::vector<std::string> cell = {};    // bank, No, column index, the cell's text after
    const char* stdoutTo = nullptr;        // a file for stdout instead of a pipe
};

const std::string kLong(300, 't');
// clang-format off
const Row kRows[] = {
    {"NoCommand", {}, 2, "quillon-cli: no command given\n"},
    {"UnknownCommand", {"frobnicate"}, 2, "quillon-cli: unknown command 'frobnicate'\n"},
    {"HelpForUnknownCommand", {"help", "frobnicate"}, 2, "unknown command 'frobnicate'\n"},
    {"HelpOfTwoCommands", {"help", "list", "info"}, 2, "help takes at most one command\n"},
    {"Version", {"--version"}, 0, "", "quillon-cli 1"},
    {"ToolHelp", {"-h"}, 0, "", "Usage: quillon-cli COMMAND [ARGUMENTS]\n"},
    {"HelpOfACommand", {"help", "set"}, 0, "", "Usage: quillon-cli set BANK NO COLUMN VALUE\n"},
    {"CommandHelpFlag", {"build", "--help"}, 0, "", "  -o, --output BANK "},
    {"CommandShortHelpFlag", {"build", "x", "-h"}, 0, "", "Usage: quillon-cli build "},
    // A pipeline that saves an output to a full disk must not be told it has it.
    {"HelpToAFullDisk", {"--help"}, 1, "quillon-cli: cannot write to the standard output\n", "", nullptr, false, {}, {}, "/dev/full"},
    {"ListToAFullDisk", {"list", "bank.sad"}, 1, "quillon-cli: cannot write to the standard output\n", "", nullptr, false, {}, {}, "/dev/full"},
    {"CreateWithoutWav", {"create", "new.sad"}, 2, "quillon-cli: missing arguments\n"},
    {"InfoWithTwoBanks", {"info", "bank.sad", "bank.sad"}, 2, "quillon-cli: too many arguments\n"},
    {"UnknownOption", {"add", "bank.sad", "--bogus", "d.wav"}, 2, "unknown option --bogus\n"},
    {"OptionWithoutValue", {"refresh", "bank.sad", "--path"}, 2, "option --path needs a value (DIR)\n"},
    {"FlagWithValue", {"create", "new.sad", "--force=yes", "d.wav"}, 2, "option --force takes no value\n"},
    {"EmptyPath", {"refresh", "bank.sad", "--path="}, 2, "quillon-cli: --path needs a folder\n"},
    {"SetNegativeRow", {"set", "bank.sad", "-1", "Priority", "5"}, 2, "not a row number: '-1'\n"},
    {"SetUnknownColumn", {"set", "bank.sad", "1", "Loudness", "5"}, 2, "no column is called 'Loudness'\n"},
    {"SetNameColumn", {"set", "bank.sad", "1", "Name", "x"}, 2, "the column 'Name' cannot be edited\n"},
    {"ReplaceRowNotANumber", {"replace", "bank.sad", "d.wav", "1"}, 2, "not a row number: 'd.wav'\n"},
    {"DeleteRowNotANumber", {"delete", "bank.sad", "1", "2x"}, 2, "not a row number: '2x'\n"},
    {"HeaderDefineWithPrefix", {"header", "bank.sad", "x.h", "--define", "--prefix", "P"}, 2, "--prefix applies to the enum style only\n"},
    {"ScriptTableWithoutEnums", {"script-table", "bank.sad", "t.h", "--banks", "AudioSFX.h", "--bank", "BANK_B"}, 2, "--banks, --enums and --bank are all needed\n"},
    {"DumpIntoNoFolder", {"dump", "bank.sad", "--extract="}, 2, "--relative-to and --extract need a folder\n"},
    {"BuildWithoutOutput", {"build", "good.json"}, 2, "quillon-cli: -o BANK is needed\n"},
    // Banks that cannot be opened, made or saved.
    {"MissingBank", {"info", "missing.sad"}, 1, "quillon-cli: cannot open bank missing.sad: no such file\n"},
    {"JunkBank", {"list", "junk.sad"}, 1, "cannot open bank junk.sad: not a bank file, or the bank is damaged\n"},
    {"FolderBank", {"check", "out"}, 1, "quillon-cli: cannot open bank out: it is a folder\n"},
    {"CutShortTableOpens", {"info", "cut.sad"}, 0, "2 records of the sample table could not be read", "rows: 2\nrecords: 4\n"},
    {"CreateOverABank", {"create", "bank.sad", "d.wav"}, 1, "quillon-cli: bank.sad already exists; use --force to replace it\n"},
    {"ForceOverAFolder", {"create", "--force", "out", "d.wav"}, 1, "quillon-cli: out is not a file; it is not replaced\n"},
    {"CreateForced", {"create", "--force", "bank.sad", "d.wav"}, 0, "", "", nullptr, true, {}, {"bank.sad", "1", "1", "d.wav"}},
    {"CreateFromNoWav", {"create", "new.sad", "none.wav"}, 1, "quillon-cli: new.sad: Error Reading Wav File @/none.wav\nquillon-cli: no WAV file could be added; new.sad is not made\n"},
    {"CreateInNoFolder", {"create", "no/new.sad", "d.wav"}, 1, "quillon-cli: no/new.sad: Error Creating Output File\nquillon-cli: no/new.sad is not saved\n"},
    {"DoubleDashEndsOptions", {"info", "--", "-new.sad"}, 0, "", "rows: 1\n", nullptr, false, {"create", "--", "-new.sad", "d.wav"}},
    {"TitleIsCut", {"create", "new.sad", "d.wav", "--title", kLong}, 0, "quillon-cli: the title is cut to 259 characters\n"},
    {"WhoIsCut", {"create", "new.sad", "d.wav", "--who", kLong}, 0, "quillon-cli: the Who text is cut to 255 characters\n"},
    {"QuietKeepsNoInfo", {"create", "new.sad", "d.wav", "--quiet", "--title", kLong}, 0, ""},
    {"QuietKeepsErrors", {"add", "bank.sad", "b.wav", "--quiet"}, 1, "quillon-cli: bank.sad: @/b.wav - Already In Bank\n"},
    {"ControlCharactersAreShownAsMarks", {"info", "new.sad"}, 0, "", "title: a?b\n", nullptr, false, {"create", "new.sad", "--title", "a\tb", "d.wav"}},
    // The commands' work and refusals.
    {"Info", {"info", "bank.sad"}, 0, "", "title: Doors, windows\nwho: tester\nmusic bank: no\nrows: 3\nrecords: 3\nambient count: 0\nsegment ZQFileSegmentBankInfo: "},
    {"List", {"list", "bank.sad"}, 0, "", "\r\n3 Wav files\r\n"},
    {"AddGoesOnPastARefusedFile", {"add", "bank.sad", "A.WAV", "d.wav"}, 1, "quillon-cli: bank.sad: @/A.WAV - Already In Bank\n", "", nullptr, true, {}, {"bank.sad", "4", "1", "d.wav"}},
    {"AddOfOnlyRefusedFiles", {"add", "bank.sad", "a.wav", "none.wav"}, 1, "Already In Bank\n"},
    {"SetIgnoresLetterCase", {"set", "bank.sad", "2", "pRiOrItY", "12abc"}, 0, "", "", nullptr, true, {}, {"bank.sad", "2", "9", "12"}},
    {"SetOutOfRange", {"set", "bank.sad", "1", "Volume", "128"}, 1, "quillon-cli: bank.sad: Invalid Volume (Range 0 to 127)\n"},
    {"SetNoSuchRow", {"set", "bank.sad", "9", "Priority", "5"}, 1, "quillon-cli: bank.sad has no row numbered 9\n"},
    {"DeleteNoSuchRow", {"delete", "bank.sad", "2", "9"}, 1, "quillon-cli: bank.sad has no row numbered 9\n"},
    {"Delete", {"delete", "bank.sad", "2"}, 0, "", "", nullptr, true, {}, {"bank.sad", "2", "1", "no row"}},
    {"DeleteEveryRow", {"delete", "bank.sad", "3", "1", "2"}, 1, "a bank needs at least one row; bank.sad is not saved\n"},
    {"Renumber", {"renumber", "bank.sad"}, 0, "", "", nullptr, true, {"delete", "bank.sad", "1"}, {"bank.sad", "1", "1", "b.wav"}},
    {"Clone", {"clone", "bank.sad", "1"}, 0, "", "4\n", nullptr, true, {}, {"bank.sad", "4", "1", "a.wav"}},
    {"Replace", {"replace", "bank.sad", "1", "d.wav"}, 0, "", "", nullptr, true, {}, {"bank.sad", "1", "1", "d.wav"}},
    {"ReplaceByAFileInTheBank", {"replace", "bank.sad", "2", "c.wav"}, 1, "quillon-cli: bank.sad: @/c.wav - Already In Bank\n"},
    {"RefreshFromAnotherFolder", {"refresh", "bank.sad", "--path", "moved", "2"}, 0, "", "", nullptr, true, {}, {"bank.sad", "2", "2", "@/moved"}},
    {"RefreshGoesOnPastAFailure", {"refresh", "bank.sad", "--path", "moved"}, 1, "Error Reading Wav File @/moved/a.wav\n", "", nullptr, true, {}, {"bank.sad", "2", "2", "@/moved"}},
    {"RefreshFromNoFolder", {"refresh", "bank.sad", "--path", "nowhere"}, 1, "quillon-cli: nowhere is not a folder\n"},
    {"Extract", {"extract", "bank.sad", "out", "1", "3"}, 0, "", "RIFF", "out/c.wav"},
    {"ExtractIntoNoFolder", {"extract", "bank.sad", "nowhere"}, 1, "quillon-cli: nowhere is not a folder\n"},
    {"ExtractWithoutWaveData", {"extract", "nodata.sad", "out"}, 1, "quillon-cli: the stored audio of nodata.sad cannot be read; the extract stops\n"},
    {"Check", {"check", "bank.sad"}, 0, "", "3 rows checked: no problems\n"},
    {"MusicBankRefusesAdd", {"add", "music.sad", "d.wav"}, 1, "quillon-cli: music.sad is a music bank; 'add' works on sample banks only\n"},
    {"MusicBankDescription", {"set", "music.sad", "1", "Description", "x"}, 1, "quillon-cli: music.sad is a music bank; its Description cannot be edited\n"},
    // The exporters write the file named and refuse what would lose a file.
    {"HeaderEnum", {"header", "bank.sad", "Bank Sounds.h"}, 0, "", "\tZQ_SAMPLE_A = 1,", "Bank Sounds.h"},
    {"HeaderPrefix", {"header", "bank.sad", "s.h", "--prefix", "Sfx"}, 0, "", "enum\tSfx\n", "s.h"},
    {"HeaderDefine", {"header", "bank.sad", "d.h", "--define"}, 0, "", "#define\tZQ_SAMPLE_C \t 3", "d.h"},
    {"Csv", {"csv", "bank.sad", "w.csv"}, 0, "", "\r\n3 Wav files\r\n", "w.csv"},
    {"CsvOverItsOwnBank", {"csv", "bank.sad", "./bank.sad"}, 1, "quillon-cli: bank.sad: ./bank.sad - this is the open bank file - nothing was written\n"},
    {"HeaderOverAFolder", {"header", "bank.sad", "out"}, 1, "quillon-cli: bank.sad: out - this is not a file - nothing was written\n"},
    {"HeaderInNoFolder", {"header", "bank.sad", "no/x.h"}, 1, "quillon-cli: bank.sad: Error Saving File\nquillon-cli: cannot write @/no/x.h\n"},
    {"ScriptTable", {"script-table", "bank.sad", "t.h", "--banks", "AudioSFX.h", "--enums", "enums.h", "--bank", "bank_b"}, 0, "error: can't open output file\nquillon-cli: bank.sad: couldn't match Q! do you want to play the line?\nquillon-cli: bank.sad: answered No\n", "{HELP_TEXT_C , BANK_B , 3 }", "t.h", false, {"add", "bank.sad", "help_text_q.wav"}},
    {"ScriptTableValueCheckGoesOn", {"script-table", "bank.sad", "t.h", "--banks", "AudioSFX.h", "--enums", "bad.h", "--bank", "BANK_B"}, 0, "line 5 / enum 2:\nquillon-cli: bank.sad: error: varno's enum values dont match line number\nquillon-cli: bank.sad: answered OK\n"},
    {"ScriptTableUnknownBank", {"script-table", "bank.sad", "t.h", "--banks", "AudioSFX.h", "--enums", "enums.h", "--bank", "BANK_Q"}, 1, "quillon-cli: BANK_Q is not in the bank list @/AudioSFX.h; @/t.h is not written\n"},
    {"ScriptTableDropsUnknownBanks", {"script-table", "bank.sad", "t.h", "--banks", "AudioSFX.h", "--enums", "enums.h", "--bank", "BANK_Q", "--drop-unknown-banks"}, 1, "HELP_TEXT_A (BANK_Q)", "{HELP_TEXT_A , unused , 1 }", "t.h"},
    {"ScriptTableKeepsOldLines", {"script-table", "bank.sad", "old.h", "--banks", "AudioSFX.h", "--enums", "enums.h", "--bank", "BANK_B"}, 1, "quillon-cli: @/old.h has lines of banks not in @/AudioSFX.h: ", "{HELP_TEXT_Z , BANK_GONE , 7 }", "old.h"},
    {"ScriptTableClearsOldLines", {"script-table", "bank.sad", "old.h", "--banks", "AudioSFX.h", "--enums", "enums.h", "--bank", "BANK_B", "--clear"}, 0, "2 enums updated out of 4", "{HELP_TEXT_Z , unused , 0 }", "old.h"},
    {"ScriptTableWithoutBankNames", {"script-table", "bank.sad", "t.h", "--banks", "none.h", "--enums", "enums.h", "--bank", "BANK_B"}, 1, "quillon-cli: no sound bank names read from @/none.h; @/t.h is not written\n"},
    {"ScriptTableWithoutEnumsFile", {"script-table", "bank.sad", "t.h", "--banks", "AudioSFX.h", "--enums", "none.h", "--bank", "BANK_B"}, 1, "quillon-cli: no script enums read from @/none.h; @/t.h is not written\n"},
    {"ScriptTableInNoFolder", {"script-table", "bank.sad", "no/t.h", "--banks", "AudioSFX.h", "--enums", "enums.h", "--bank", "BANK_B"}, 1, "quillon-cli: cannot write @/no/t.h\n"},
    // Music banks from MPEG files, manifests and depfiles.
    {"ImportMpegOfNoFile", {"import-mpeg", "m.sad", "none.wav"}, 1, "quillon-cli: m.sad: couldn't open file / understand WAV header\nquillon-cli: none.wav is not imported; m.sad is not made\n"},
    {"DumpOfNoWaveData", {"dump", "nodata.sad", "--extract", "x"}, 1, "quillon-cli: the stored audio of nodata.sad is not written to x\n"},
    {"BuildFromNoManifest", {"build", "none.json", "-o", "x.sad"}, 1, "quillon-cli: cannot read manifest none.json: no such file\n"},
    {"BuildFromJunk", {"build", "junk.sad", "-o", "x.sad"}, 1, "quillon-cli: junk.sad is not a bank manifest: "},
    {"BuildOfABadCell", {"build", "bad.json", "-o", "x.sad"}, 1, "quillon-cli: x.sad: Invalid Volume (Range 0 to 127)\nquillon-cli: row 1: Volume is not set\n"},
    {"BuildOfAMissingSource", {"build", "lost.json", "-o", "x.sad"}, 1, "quillon-cli: x.sad is not built\n"},
    {"BuildWithDepfile", {"build", "good.json", "-o", "x.sad", "--depfile", "x.d"}, 0, "", "x.sad: \\\n  @/good.json \\\n  @/a.wav \\\n  @/b.wav\n", "x.d", false, {}, {"x.sad", "5", "1", "a.wav"}},
    {"DepfileInNoFolder", {"build", "good.json", "-o", "x.sad", "--depfile", "no/x.d"}, 1, "quillon-cli: cannot write no/x.d\n"},
};
// clang-format on

class CliRow : public testing::TestWithParam<Row> {
  protected:
    void SetUp() override {
        if (test::cliPath().empty()) GTEST_FAIL() << "quillon-cli was not built";
        std::filesystem::create_directories(box.file("moved"));
        std::filesystem::create_directories(box.file("out"));
        for (const char* name :
             {"a.wav", "b.wav", "c.wav", "d.wav", "moved/b.wav", "help_text_q.wav"})
            test::writeFile(box.file(name), test::makePcmWav({}));
        const std::string manifest =
            R"({"format": 1, "title": "", "who": "", "music": false, "rows": [)";
        // clang-format off
        for (const auto& [name, text] : std::map<std::string, std::string>{
                 {"junk.sad", "not a bank"},
                 {"AudioSFX.h", "enum AUDIO_SFX_BANK_TYPE\n{\n\tunused,\n\tBANK_A,\n\tBANK_B,\n};\n"},
                 {"enums.h", "enum HELP_TEXT\n{\n\tHELP_TEXT_NONE = 0,\n\tHELP_TEXT_A = 1,\n\tHELP_TEXT_C = 2,\n\tHELP_TEXT_Z = 3,\n};\n"},
                 {"bad.h", "\tHELP_TEXT_NONE = 0,\n\tHELP_TEXT_A = 1,\n\tHELP_TEXT_C = 5,\n\tHELP_TEXT_Z = 3,\n"},
                 {"old.h", "\t\t{HELP_TEXT_Z , BANK_GONE , 7 },\r\n"},
                 {"good.json", manifest + R"({"no": 1, "source": "a.wav"}, {"no": 5, "source": "a.wav"}, {"no": 2, "source": "b.wav"}]})"},
                 {"bad.json", manifest + R"({"no": 1, "source": "a.wav", "cells": {"Volume": "128"}}]})"},
                 {"lost.json", manifest + R"({"no": 1, "source": "none.wav"}]})"},
                 {"music.json", R"({"format": 1, "title": "", "who": "", "music": true, "rows": [{"no": 1, "source": "c.wav"}]})"}})
            test::writeText(box.file(name), text);
        // clang-format on
        ASSERT_EQ(box.run({"build", "music.json", "-o", "music.sad"}).status, 0);
        ASSERT_EQ(box.run({"create", "bank.sad", "--title", "Doors, windows", "--who", "tester",
                           "a.wav", "b.wav", "c.wav"})
                      .status,
                  0);
        ASSERT_TRUE(test::writeBankWithTableCutShort(box.file("cut.sad")));
        ASSERT_TRUE(test::writeContainer(
            box.file("nodata.sad"),
            {{ZQFileSegmentBankInfo, test::blankBankInfo()},
             {ZQFileSegmentBankSampleTable, test::sampleTable(1, {test::storedRecord(1)})}}));
    }

    // A cell of the row numbered `no` in the tool's wave list (the rows here
    // hold no comma).
    std::string cellOf(const std::string& bank, const std::string& no, size_t column) {
        std::string list = "\n" + box.run({"list", bank}).out;
        size_t at = list.find("\n" + no + ",");
        if (at == std::string::npos) return "no row";
        for (size_t i = 0; i < column; ++i)
            at = list.find(',', at + 1);
        return list.substr(at + 1, list.find_first_of(",\r", at + 1) - at - 1);
    }

    CliSandbox box;
};

INSTANTIATE_TEST_SUITE_P(Cli, CliRow, testing::ValuesIn(kRows),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_P(CliRow, ReachesItsOperationWithItsMessageAndStatus) {
    const Row& row = GetParam();
    auto expand = [&](std::string text) {
        for (size_t at; (at = text.find('@')) != std::string::npos;)
            text.replace(at, 1, box.path());
        return text;
    };
    if (!row.before.empty()) {
        ASSERT_EQ(box.run(row.before).status, 0) << box.run(row.before).err;
    }
    test::Bytes bank = test::readFileBytes(box.file("bank.sad"));
    test::Bytes music = test::readFileBytes(box.file("music.sad"));

    CliResult r = box.run(row.args, row.stdoutTo ? row.stdoutTo : "");
    EXPECT_EQ(r.status, row.status) << r.err;
    if (row.err.empty()) {
        EXPECT_EQ(r.err, "");
    } else {
        EXPECT_NE(r.err.find(expand(row.err)), std::string::npos) << r.err;
    }
    if (row.status == 2) {
        EXPECT_NE(r.err.find("\nquillon-cli: Usage: quillon-cli "), std::string::npos) << r.err;
        EXPECT_EQ(r.out, "");
    }
    std::string written = row.file ? test::readText(box.file(row.file)) : r.out;
    EXPECT_NE(written.find(expand(row.out)), std::string::npos) << written;
    if (!row.saves) {
        EXPECT_EQ(test::readFileBytes(box.file("bank.sad")), bank);
        EXPECT_EQ(test::readFileBytes(box.file("music.sad")), music);
    }
    if (!row.cell.empty()) {
        EXPECT_EQ(cellOf(row.cell[0], row.cell[1], std::stoul(row.cell[2])), expand(row.cell[3]));
    }
}

}  // namespace
}  // namespace quillon
