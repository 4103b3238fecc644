// quillon-cli with the paths and failures a build pipeline meets: names with
// blanks, non-ASCII letters and a leading "-", banks reached through a link,
// and saves or exports that cannot be written, each reported with the file's
// name and without touching what was there.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "bank/SegmentNames.h"
#include "cli/CliTestKit.h"
#include "support/BankFixtures.h"
#include "support/WavBuilder.h"

namespace quillon {
namespace {

using test::CliResult;
using test::CliSandbox;
namespace fs = std::filesystem;

class CliPaths : public testing::Test {
  protected:
    void SetUp() override {
        if (test::cliPath().empty()) GTEST_FAIL() << "quillon-cli was not built";
        if (!test::haveSox()) GTEST_SKIP() << "sox is not installed";
        fs::create_directories(box.file("odd folder"));
        a = box.soxWav("odd folder/-höhe 1.wav", {});
        test::SoxWavSpec high;
        high.frequency = 880;
        b = box.soxWav("b.wav", high);
        ASSERT_FALSE(a.empty() || b.empty()) << "sox failed";
    }

    // The game files a script table reads, with one bank and one entry.
    void writeGameFiles() {
        test::writeText(list, "enum AUDIO_SFX_BANK_TYPE\n{\n\tunused,\n\tBANK_A,\n};\n");
        test::writeText(enums,
                        "enum HELP_TEXT\n{\n\tHELP_TEXT_NONE = 0,\n\tHELP_TEXT_A = 1,\n};\n");
    }

    std::string lastLine(const std::string& text) {
        std::vector<std::string> lines = test::linesOf(text);
        return lines.empty() ? std::string() : lines.back();
    }

    CliSandbox box;
    std::string a, b;
    std::string list = box.file("AudioSFX.h");
    std::string enums = box.file("HelpTextEnums.h");
};

TEST_F(CliPaths, NamesWithBlanksNonAsciiAndALeadingDashWork) {
    std::string bank = box.file("odd folder/-bänk one.sad");
    CliResult made = box.run({"create", "--", bank, a});
    ASSERT_EQ(made.status, 0) << made.err;
    ASSERT_EQ(box.run({"add", bank, b}).status, 0);

    CliResult listed = box.run({"list", bank});
    ASSERT_EQ(listed.status, 0) << listed.err;
    std::vector<std::string> lines = test::linesOf(listed.out);
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[1].rfind("1,-höhe 1.wav," + box.file("odd folder") + ",Yes,", 0), 0u)
        << lines[1];

    std::string out = box.file("odd folder/out");
    fs::create_directories(out);
    CliResult extracted = box.run({"extract", bank, out, "1"});
    ASSERT_EQ(extracted.status, 0) << extracted.err;
    EXPECT_EQ(test::readFileBytes(out + "/-höhe 1.wav"), test::readFileBytes(a));
}

// A bank kept elsewhere and linked into the build tree: a save writes the bank
// the link names and keeps the link, as the exports write through a link too.
TEST_F(CliPaths, ASaveThroughALinkChangesTheBankTheLinkNames) {
    fs::create_directories(box.file("store"));
    std::string real = box.file("store/real.sad");
    ASSERT_EQ(box.run({"create", real, a}).status, 0);
    std::string link = box.file("link.sad");
    fs::create_symlink(real, link);

    CliResult added = box.run({"add", link, b});
    ASSERT_EQ(added.status, 0) << added.err;
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(lastLine(box.run({"list", real}).out), "2 Wav files");
    EXPECT_FALSE(test::fileExists(box.file("ZQBank.TMP")));
    EXPECT_FALSE(test::fileExists(box.file("store/ZQBank.TMP")));
}

// A save that fails says which bank it leaves as it was; pipelines log many.
TEST_F(CliPaths, AFailedSaveNamesTheBankAndLeavesItAlone) {
    std::string bank = box.file("bank.sad");
    ASSERT_EQ(box.run({"create", bank, a}).status, 0);
    test::Bytes before = test::readFileBytes(bank);
    ASSERT_EQ(::chmod(bank.c_str(), 0444), 0);
    CliResult readOnly = box.run({"add", bank, b});
    EXPECT_EQ(readOnly.status, 1);
    EXPECT_EQ(readOnly.err, test::editorMessage(bank, "File is read only") +
                                "quillon-cli: " + bank + " is not saved\n");
    EXPECT_EQ(test::readFileBytes(bank), before);
    ::chmod(bank.c_str(), 0644);

    std::string nowhere = box.file("nowhere/new.sad");
    CliResult r = box.run({"create", "--force", nowhere, a});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, test::editorMessage(nowhere, "Error Creating Output File") +
                         "quillon-cli: " + nowhere + " is not saved\n");
}

// --force replaces a bank file. A folder, pipe or device of that name (as root,
// /dev/null itself) would be renamed over and lost.
TEST_F(CliPaths, ForceNeverReplacesWhatIsNotAFile) {
    std::string folder = box.file("folder.sad");
    std::string pipe = box.file("pipe.sad");
    fs::create_directories(folder);
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0644), 0);
    for (const std::string& target : {folder, pipe}) {
        for (const char* command : {"create", "import-mpeg"}) {
            CliResult r = box.run({command, "--force", target, a});
            EXPECT_EQ(r.status, 1) << command << " " << target;
            EXPECT_EQ(r.err, "quillon-cli: " + target + " is not a file; it is not replaced\n");
        }
    }
    EXPECT_TRUE(fs::is_directory(folder));
    EXPECT_TRUE(fs::is_fifo(pipe));
    EXPECT_FALSE(test::fileExists(box.file("ZQBank.TMP")));
}

TEST_F(CliPaths, AScriptTableThatCannotBeMadeNamesTheFileAtFault) {
    std::string bank = box.file("bank.sad");
    ASSERT_EQ(box.run({"create", bank, a}).status, 0);
    std::string table = box.file("table.h");
    writeGameFiles();
    std::string missing = box.file("missing.h");
    struct Case {
        std::string banks, enums, output, message;
    };
    for (const Case& c : {
             Case{missing, enums, table,
                  "no sound bank names read from " + missing + "; " + table + " is not written"},
             Case{list, missing, table,
                  "no script enums read from " + missing + "; " + table + " is not written"},
             Case{list, enums, box.file("nowhere/t.h"), "cannot write " + box.file("nowhere/t.h")},
         }) {
        CliResult r = box.run({"script-table", bank, c.output, "--banks", c.banks, "--enums",
                               c.enums, "--bank", "BANK_A"});
        EXPECT_EQ(r.status, 1) << c.message;
        EXPECT_EQ(lastLine(r.err), "quillon-cli: " + c.message);
        EXPECT_FALSE(test::fileExists(table));
    }
}

// An output argument that names the bank itself, by any spelling, is a slip
// that would put a text file where the bank was.
TEST_F(CliPaths, AnExportIsNeverWrittenOverItsOwnBank) {
    std::string bank = box.file("bank.sad");
    ASSERT_EQ(box.run({"create", bank, a}).status, 0);
    test::Bytes before = test::readFileBytes(bank);
    std::string link = box.file("link.sad");
    fs::create_symlink(bank, link);
    writeGameFiles();
    for (const std::string& out : {bank, box.file("odd folder/../bank.sad"), link}) {
        for (std::vector<std::string> arguments :
             {std::vector<std::string>{"csv", bank, out},
              {"header", bank, out},
              {"header", bank, out, "--define"},
              {"script-table", bank, out, "--banks", list, "--enums", enums, "--bank", "BANK_A"}}) {
            CliResult r = box.run(arguments);
            EXPECT_EQ(r.status, 1) << arguments[0] << " " << out;
            EXPECT_EQ(r.err,
                      test::editorMessage(
                          bank, out + " - this is the open bank file - nothing was written"));
            EXPECT_EQ(test::readFileBytes(bank), before) << arguments[0] << " " << out;
        }
    }
}

// A folder or device under the output's name is no file to replace: a file
// would take a folder's place, and a device would swallow the export while
// the tool said it was written.
TEST_F(CliPaths, AnExportIsNeverWrittenOverWhatIsNotAFile) {
    std::string bank = box.file("bank.sad");
    ASSERT_EQ(box.run({"create", bank, a}).status, 0);
    std::string folder = box.file("out.h");
    fs::create_directories(folder);
    for (const std::string& out : {folder, std::string("/dev/null")}) {
        for (std::vector<std::string> arguments : {std::vector<std::string>{"csv", bank, out},
                                                   {"header", bank, out},
                                                   {"header", bank, out, "--define"}}) {
            CliResult r = box.run(arguments);
            EXPECT_EQ(r.status, 1) << arguments[0] << " " << out;
            EXPECT_EQ(r.err, test::editorMessage(
                                 bank, out + " - this is not a file - nothing was written"));
        }
    }
    EXPECT_TRUE(fs::is_directory(folder));
    EXPECT_TRUE(fs::is_empty(folder));
}

// Two files of one name from different folders would land on one target, the
// later silently replacing the earlier; clones of one file are no clash.
TEST_F(CliPaths, ExtractRefusesRowsOfDifferentFilesWithOneName) {
    fs::create_directories(box.file("other"));
    std::string twin = box.soxWav("other/-höhe 1.wav", {});
    ASSERT_FALSE(twin.empty());
    std::string bank = box.file("bank.sad");
    ASSERT_EQ(box.run({"create", bank, a, twin, b}).status, 0);
    ASSERT_EQ(box.run({"clone", bank, "3"}).status, 0);
    std::string out = box.file("out");
    fs::create_directories(out);

    CliResult r = box.run({"extract", bank, out});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err,
              test::editorMessage(bank, out + "/-höhe 1.wav - rows 1 and 2 are different wavs "
                                              "of this name - nothing was extracted"));
    EXPECT_TRUE(fs::is_empty(out));

    CliResult apart = box.run({"extract", bank, out, "2", "3", "4"});
    EXPECT_EQ(apart.status, 0) << apart.err;
    EXPECT_EQ(test::readFileBytes(out + "/-höhe 1.wav"), test::readFileBytes(twin));
    EXPECT_EQ(test::readFileBytes(out + "/b.wav"), test::readFileBytes(b));
}

// A row whose Name is the bank's own, extracted into the bank's folder, would
// cut the bank short before reading the audio from it.
TEST_F(CliPaths, ExtractNeverWritesOverItsOwnBank) {
    fs::create_directories(box.file("banks"));
    std::string source = box.file("bank.sad");
    fs::copy_file(b, source);
    std::string bank = box.file("banks/bank.sad");
    ASSERT_EQ(box.run({"create", bank, source}).status, 0);
    test::Bytes before = test::readFileBytes(bank);
    CliResult r = box.run({"extract", bank, box.file("banks")});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err,
              test::editorMessage(bank, box.file("banks") + "/bank.sad - this is the open "
                                                            "bank file - nothing was extracted"));
    EXPECT_EQ(test::readFileBytes(bank), before);
}

// A bank whose records say "stored" but which has no wave data to read them
// from: the extract stops without a message of the editor's own, and a
// pipeline must still learn why it failed.
TEST(CliExtract, ABankWithoutWaveDataSaysSo) {
    if (test::cliPath().empty()) GTEST_FAIL() << "quillon-cli was not built";
    CliSandbox box;
    std::string bank = box.file("nodata.sad");
    ASSERT_TRUE(test::writeContainer(
        bank, {{ZQFileSegmentBankInfo, test::blankBankInfo()},
               {ZQFileSegmentBankSampleTable, test::sampleTable(1, {test::storedRecord(1)})}}));
    std::string out = box.file("out");
    fs::create_directories(out);
    CliResult r = box.run({"extract", bank, out});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err,
              "quillon-cli: the stored audio of " + bank + " cannot be read; the extract stops\n");
    EXPECT_TRUE(fs::is_empty(out));
}

}  // namespace
}  // namespace quillon
