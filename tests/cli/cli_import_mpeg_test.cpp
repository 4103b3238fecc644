// quillon-cli import-mpeg end to end: a layer II stream made by twolame becomes
// a saved music bank that holds the stream whole, and no section file is left.
#include <gtest/gtest.h>

#include <filesystem>

#include "cli/CliTestKit.h"
#include "support/BankInspector.h"
#include "support/MpegTools.h"
#include "support/WavBuilder.h"

namespace quillon {
namespace {

using test::CliResult;
using test::CliSandbox;

TEST(CliImportMpeg, MakesAMusicBankHoldingTheWholeStream) {
    if (test::cliPath().empty()) GTEST_FAIL() << "quillon-cli was not built";
    test::TempFolder streams;
    // 1 s at 44.1 kHz is 39 frames of 1152 samples: sections of 21 and 18.
    std::optional<std::string> stream =
        test::makeLayer2Stream(streams, "music", 44100, 2, 192, 1.0);
    if (!stream) GTEST_SKIP() << "sox or twolame is missing";
    CliSandbox box;
    std::string bank = box.file("music.sad");
    CliResult r = box.run({"import-mpeg", bank, *stream, "--title", "Theme"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");

    CliResult info = box.run({"info", bank});
    std::vector<std::string> lines = test::linesOf(info.out);
    ASSERT_GE(lines.size(), 4u);
    EXPECT_EQ(lines[0], "title: Theme");
    EXPECT_EQ(lines[2], "music bank: yes");
    EXPECT_EQ(lines[3], "rows: 2");
    test::InspectedBank inspected = test::inspectBank(bank);
    EXPECT_EQ(inspected.musicFlag, 1u);
    EXPECT_EQ(inspected.waveData, test::readFileBytes(*stream));

    // Reopened, the Format comes from the stored format block by the WAV rule.
    CliResult listed = box.run({"list", bank});
    ASSERT_EQ(listed.status, 0);
    std::vector<std::string> rows = test::linesOf(listed.out);
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_NE(rows[1].find(",16-bit 44 khz Stereo,Layer 2 - 192kb,"), std::string::npos) << rows[1];
    EXPECT_EQ(rows[1].rfind("1,sect0000.mpg,", 0), 0u) << rows[1];
    // The rows name the stream they were cut from; the section files were
    // needed only until the save.
    EXPECT_EQ(rows[1].substr(15, rows[1].find(',', 15) - 15), *stream);
    std::vector<std::string> left;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(box.file("home/tmp")))
        if (!entry.is_directory()) left.push_back(entry.path().string());
    EXPECT_EQ(left, std::vector<std::string>());
}

TEST(CliImportMpeg, AFileThatCannotBeReadMakesNoBank) {
    if (test::cliPath().empty()) GTEST_FAIL() << "quillon-cli was not built";
    CliSandbox box;
    std::string bank = box.file("music.sad");
    CliResult r = box.run({"import-mpeg", bank, box.file("missing.wav")});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, test::editorMessage(bank, "couldn't open file / understand WAV header") +
                         "quillon-cli: " + box.file("missing.wav") + " is not imported; " + bank +
                         " is not made\n");
    EXPECT_FALSE(test::fileExists(bank));

    test::writeFile(bank, test::Bytes{1, 2, 3});
    CliResult existing = box.run({"import-mpeg", bank, box.file("missing.wav")});
    EXPECT_EQ(existing.status, 1);
    EXPECT_EQ(existing.err,
              "quillon-cli: " + bank + " already exists; use --force to replace it\n");
    EXPECT_EQ(test::readFileBytes(bank), (test::Bytes{1, 2, 3}));
}

}  // namespace
}  // namespace quillon
