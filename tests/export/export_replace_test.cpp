// An export writes a whole file or nothing, never over the open bank.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <string>
#include <vector>

#include "bank/QuillonDoc.h"
#include "bank/SegmentNames.h"
#include "export/ExportTestRows.h"
#include "export/SampleHeader.h"
#include "export/ScriptTable.h"
#include "export/WaveListCsv.h"
#include "support/BankFixtures.h"
#include "support/FakeShell.h"

namespace quillon {
namespace {

namespace fs = std::filesystem;
using Names = std::vector<std::string>;

// A bank of one row open in the editor, and the game files the script table reads.
struct ExportReplace : ::testing::Test {
    test::TempFolder folder;
    test::FakeShell shell;
    CQuillonDoc doc{shell, nullptr};
    const std::string bank = folder.file("bank.sad");

    void SetUp() override {
        ASSERT_TRUE(test::writeContainer(
            bank, {{ZQFileSegmentBankInfo, test::blankBankInfo()},
                   {ZQFileSegmentBankSampleTable, test::sampleTable(1, {test::storedRecord(1)})}}));
        ASSERT_TRUE(doc.OnOpenDocument(bank));
        test::writeText(folder.file("banks.h"), "enum AUDIO_SFX_BANK_TYPE\n{\n\tBANK_A,\n};\n");
        test::writeText(folder.file("enums.h"), "\tHELP_TEXT_NONE = 0,\n");
        fs::create_directories(folder.file("out"));
    }

    Names runExport(const std::string& which, const std::string& output) {
        shell.messages.clear();
        shell.fileAnswers.push_back({{output}, folder.path()});
        shell.textAnswers.push_back(std::string("SND"));
        shell.scriptDialogAnswers.push_back(
            {true, folder.file("banks.h"), folder.file("enums.h"), false, "BANK_A"});
        ScriptExportPaths lastUsed;
        if (which == "wave list") runWaveListExport(doc);
        if (which == "header") runSampleHeaderExport(doc, HeaderStyle::Enum);
        if (which == "script table") runScriptTableExport(doc, ScriptTableHooks{}, lastUsed);
        return shell.messageTexts();
    }
};

const char* const kExports[] = {"wave list", "header", "script table"};

// A header cut short by a full disk (a child limited to 8 bytes) would still compile.
TEST_F(ExportReplace, AFailedExportLeavesTheOldFileAndAGoodOneReplacesItWhole) {
    const std::string output = folder.file("out/bank.sad"), old = "// the last game build's\n";
    for (const char* which : kExports) {
        SCOPED_TRACE(which);
        test::writeText(output, old);
        pid_t child = ::fork();
        if (child == 0) {
            std::signal(SIGXFSZ, SIG_IGN);
            struct rlimit fileSize {
                8, 8
            };
            ::setrlimit(RLIMIT_FSIZE, &fileSize);
            Names said = runExport(which, output);
            ::_exit(std::count(said.begin(), said.end(), "Error Saving File") == 1 ? 0 : 1);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        EXPECT_EQ(test::readText(output), old);
        EXPECT_EQ(test::namesIn(folder.file("out")), Names{"bank.sad"});
        EXPECT_LE(runExport(which, output).size(), 1u);  // the script table's summary
        EXPECT_GT(test::readText(output).size(), old.size());
    }
}

// The bank by any spelling or link would become a text file; a folder a file.
TEST_F(ExportReplace, AnOutputThatIsTheBankOrNoFileIsRefused) {
    fs::create_symlink(bank, folder.file("link.sad"));
    ASSERT_EQ(::link(bank.c_str(), folder.file("hard.sad").c_str()), 0);
    const std::vector<uint8_t> before = test::readFileBytes(bank);
    for (const char* which : kExports) {
        for (const char* name :
             {"bank.sad", "out/../bank.sad", "link.sad", "hard.sad", "out", ""}) {
            const std::string output = *name ? folder.file(name) : "/dev/null";
            const char* why = fs::is_regular_file(output) ? "the open bank file" : "not a file";
            EXPECT_EQ(runExport(which, output),
                      Names{output + " - this is " + why + " - nothing was written"});
            EXPECT_TRUE(shell.textRequests.empty()) << which;  // the prefix is not asked for
        }
    }
    EXPECT_EQ(test::readFileBytes(bank), before);
    EXPECT_TRUE(fs::is_symlink(folder.file("link.sad")));
}

}  // namespace
}  // namespace quillon
