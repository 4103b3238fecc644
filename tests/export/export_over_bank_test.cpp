// The exporters never write their text over the open bank: an output chosen
// in the save dialog that is the bank file, by any spelling or link, is
// refused before anything is written or asked.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "audio/SegmentNames.h"
#include "bank/QuillonDoc.h"
#include "export/ExportTestRows.h"
#include "export/SampleHeader.h"
#include "export/ScriptTable.h"
#include "export/WaveListCsv.h"
#include "support/BankFixtures.h"
#include "support/FakeShell.h"

namespace quillon {
namespace {

using test::TempFolder;

struct ExportOverBank : ::testing::Test {
    TempFolder folder;
    test::FakeShell shell;
    CQuillonDoc doc{shell, nullptr};

    void SetUp() override {
        ASSERT_TRUE(test::writeContainer(
            bank(),
            {{ZQFileSegmentBankInfo, test::blankBankInfo()},
             {ZQFileSegmentBankSampleTable, test::sampleTable(1, {test::storedRecord(1)})}}));
        ASSERT_TRUE(doc.OnOpenDocument(bank()));
        ASSERT_EQ(doc.rows().size(), 1);
        test::writeText(folder.file("AudioSFX.h"), "enum AUDIO_SFX_BANK_TYPE\n{\n\tBANK_A,\n};\n");
        test::writeText(folder.file("HelpTextEnums.h"),
                        "enum HELP_TEXT\n{\n\tHELP_TEXT_NONE = 0,\n\tHELP_TEXT_A = 1,\n};\n");
    }
    std::string bank() const { return folder.file("bank.sad"); }

    void runExport(const std::string& which, const std::string& output) {
        test::runEditorExport(doc, shell, which, output, folder.file("AudioSFX.h"),
                              folder.file("HelpTextEnums.h"));
    }
};

TEST_F(ExportOverBank, AnOutputThatIsTheBankIsRefusedByAnySpelling) {
    std::filesystem::create_directories(folder.file("odd"));
    std::filesystem::create_symlink(bank(), folder.file("link.sad"));
    ASSERT_EQ(::link(bank().c_str(), folder.file("hard.sad").c_str()), 0);
    const std::vector<uint8_t> before = test::readFileBytes(bank());
    for (const char* which : test::kEditorExports) {
        for (const std::string& output : {bank(), folder.file("odd/../bank.sad"),
                                          folder.file("link.sad"), folder.file("hard.sad")}) {
            SCOPED_TRACE(std::string(which) + " to " + output);
            shell.messages.clear();
            shell.textRequests.clear();
            runExport(which, output);
            EXPECT_EQ(
                shell.messageTexts(),
                (std::vector<std::string>{output + " - this is the open bank file - nothing was "
                                                   "written"}));
            EXPECT_TRUE(shell.textRequests.empty());  // the prefix is not asked for
            EXPECT_EQ(test::readFileBytes(bank()), before);
            EXPECT_TRUE(std::filesystem::is_symlink(folder.file("link.sad")));
        }
    }
}

// A file of the bank's name in another folder is another file.
TEST_F(ExportOverBank, AFileOfTheBanksNameElsewhereIsWritten) {
    std::filesystem::create_directories(folder.file("lists"));
    std::string output = folder.file("lists/bank.sad");
    runExport("wave list", output);
    EXPECT_TRUE(shell.messages.empty());
    EXPECT_EQ(test::readText(output), waveListCsvText(doc.rows()));
}

}  // namespace
}  // namespace quillon
