// quillon-cli with the paths a build pipeline meets: names with blanks,
// non-ASCII letters and a leading "-", and banks reached through a link.
#include <gtest/gtest.h>

#include <filesystem>

#include "cli/CliTestKit.h"
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

    std::string lastLine(const std::string& text) {
        std::vector<std::string> lines = test::linesOf(text);
        return lines.empty() ? std::string() : lines.back();
    }

    CliSandbox box;
    std::string a, b;
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

}  // namespace
}  // namespace quillon
