// In a music bank the tool refuses what the editor disables there: the Wave
// commands, the exporters and editing the Description.
#include <gtest/gtest.h>

#include "bank/QuillonDoc.h"
#include "cli/CliTestKit.h"
#include "operations/SampleOps.h"
#include "support/FakeShell.h"
#include "support/WavBuilder.h"

namespace quillon {
namespace {

using test::CliResult;
using test::CliSandbox;

class CliMusicBank : public testing::Test {
  protected:
    void SetUp() override {
        if (test::cliPath().empty()) GTEST_FAIL() << "quillon-cli was not built";
        // Made by the document itself: the tool has no way to make one yet.
        test::writeFile(section, test::makePcmWav({}));
        test::FakeShell shell;
        CQuillonDoc doc(shell, nullptr);
        doc.OnNewDocument();
        ASSERT_TRUE(addWaveFiles(doc, {section}));
        doc.setMusicBank(true);
        ASSERT_TRUE(doc.OnSaveDocument(bank));
    }

    CliSandbox box;
    std::string bank = box.file("music.sad");
    std::string section = box.file("sect0000.wav");
};

TEST_F(CliMusicBank, RefusesTheCommandsTheEditorDisables) {
    test::writeFile(box.file("new.wav"), test::makePcmWav({}));
    test::Bytes before = test::readFileBytes(bank);
    const std::vector<std::vector<std::string>> refused = {
        {"add", bank, box.file("new.wav")},
        {"clone", bank, "1"},
        {"replace", bank, "1", box.file("new.wav")},
        {"refresh", bank},
        {"extract", bank, box.path()},
        {"header", bank, box.file("out.h")},
        {"csv", bank, box.file("out.csv")},
        {"script-table", bank, box.file("out.h"), "--banks", "l.h", "--enums", "e.h", "--bank",
         "B"},
    };
    for (const auto& arguments : refused) {
        CliResult r = box.run(arguments);
        EXPECT_EQ(r.status, 1) << arguments[0];
        EXPECT_EQ(r.err, "quillon-cli: " + bank + " is a music bank; '" + arguments[0] +
                             "' works on sample banks only\n");
    }
    CliResult description = box.run({"set", bank, "1", "Description", "x"});
    EXPECT_EQ(description.status, 1);
    EXPECT_EQ(description.err,
              "quillon-cli: " + bank + " is a music bank; its Description cannot be edited\n");
    EXPECT_EQ(test::readFileBytes(bank), before);
    EXPECT_FALSE(test::fileExists(box.file("out.h")));
}

TEST_F(CliMusicBank, ShowsListsAndEditsOtherProperties) {
    CliResult info = box.run({"info", bank});
    ASSERT_EQ(info.status, 0) << info.err;
    EXPECT_EQ(test::linesOf(info.out)[2], "music bank: yes");
    EXPECT_EQ(box.run({"list", bank}).status, 0);
    CliResult set = box.run({"set", bank, "1", "Priority", "3"});
    EXPECT_EQ(set.status, 0) << set.err;
    EXPECT_EQ(test::linesOf(box.run({"info", bank}).out)[2], "music bank: yes");
}

}  // namespace
}  // namespace quillon
