// The exporters never write their text over the open bank: an output chosen
// in the save dialog that is the bank file, by any spelling or link, is
// refused before anything is written or asked.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "export/ExportTestRows.h"
#include "export/WaveListCsv.h"

namespace quillon {
namespace {

using ExportOverBank = test::OpenBankExport;

TEST_F(ExportOverBank, AnOutputThatIsTheBankIsRefusedByAnySpelling) {
    const std::string bank = sources("bank.sad");
    std::filesystem::create_directories(sources("odd"));
    std::filesystem::create_symlink(bank, sources("link.sad"));
    ASSERT_EQ(::link(bank.c_str(), sources("hard.sad").c_str()), 0);
    const std::vector<uint8_t> before = test::readFileBytes(bank);
    for (const char* which : test::kEditorExports) {
        for (const std::string& output :
             {bank, sources("odd/../bank.sad"), sources("link.sad"), sources("hard.sad")}) {
            SCOPED_TRACE(std::string(which) + " to " + output);
            runExport(which, output);
            EXPECT_EQ(
                shell.messageTexts(),
                (std::vector<std::string>{output + " - this is the open bank file - nothing was "
                                                   "written"}));
            EXPECT_TRUE(shell.textRequests.empty());  // the prefix is not asked for
            EXPECT_EQ(test::readFileBytes(bank), before);
            EXPECT_TRUE(std::filesystem::is_symlink(sources("link.sad")));
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
