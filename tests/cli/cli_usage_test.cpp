// The tool's help and its usage errors: no bank is needed and none is touched.
#include <gtest/gtest.h>

#include "cli/CliTestKit.h"
#include "support/WavBuilder.h"

namespace quillon {
namespace {

using test::CliResult;
using test::CliSandbox;

// clang-format off
const char* const kCommands[] = {
    "create", "import-mpeg", "add", "list", "info", "set", "clone", "replace", "refresh",
    "delete", "renumber", "extract", "header", "csv", "script-table", "check",
};
// clang-format on

class CliUsage : public testing::Test {
  protected:
    void SetUp() override {
        if (test::cliPath().empty()) GTEST_FAIL() << "quillon-cli was not built";
    }
    CliSandbox box;
};

TEST_F(CliUsage, ToolHelpNamesEveryCommandAndTheExitStatus) {
    for (const char* flag : {"--help", "-h", "help"}) {
        CliResult r = box.run({flag});
        EXPECT_EQ(r.status, 0) << flag;
        EXPECT_EQ(r.out.rfind("Usage: quillon-cli COMMAND", 0), 0u) << r.out;
        for (const char* command : kCommands)
            EXPECT_NE(r.out.find(std::string("\n  ") + command + " "), std::string::npos)
                << command;
        EXPECT_NE(r.out.find("Exit status: 0 success; 1"), std::string::npos);
        EXPECT_EQ(r.err, "");
    }
}

TEST_F(CliUsage, EachCommandHasTheSameHelpBothWays) {
    for (const char* command : kCommands) {
        CliResult byHelp = box.run({"help", command});
        CliResult byFlag = box.run({command, "--help"});
        CliResult byShortFlag = box.run({command, "-h"});
        EXPECT_EQ(byHelp.status, 0) << command;
        EXPECT_EQ(byFlag.status, 0) << command;
        EXPECT_EQ(byHelp.out, byFlag.out) << command;
        EXPECT_EQ(byHelp.out, byShortFlag.out) << command;
        EXPECT_EQ(byHelp.out.rfind(std::string("Usage: quillon-cli ") + command + " ", 0), 0u)
            << byHelp.out;
        EXPECT_NE(byHelp.out.find("--help"), std::string::npos) << command;
    }
    EXPECT_NE(box.run({"help", "create"}).out.find("--force"), std::string::npos);
    EXPECT_NE(box.run({"help", "set"}).out.find("PitchVar"), std::string::npos);
}

// A pipeline that saves the help or the version to a full disk must not be
// told it has them.
TEST_F(CliUsage, HelpThatCannotBeWrittenIsAFailure) {
    for (std::vector<std::string> arguments :
         {std::vector<std::string>{"--help"}, {"help", "list"}, {"--version"}}) {
        CliResult r = box.run(arguments, "/dev/full");
        EXPECT_EQ(r.status, 1) << arguments.front();
        EXPECT_EQ(r.err, "quillon-cli: cannot write to the standard output\n");
    }
}

struct UsageCase {
    const char* name;
    std::vector<std::string> arguments;  // "BANK" stands for an existing bank file
    const char* problem;                 // the first line on stderr
};

const UsageCase kUsageCases[] = {
    {"NoCommand", {}, "quillon-cli: no command given"},
    {"UnknownCommand", {"frobnicate"}, "quillon-cli: unknown command 'frobnicate'"},
    {"HelpForUnknownCommand", {"help", "frobnicate"}, "quillon-cli: unknown command 'frobnicate'"},
    {"CreateWithoutWav", {"create", "new.sad"}, "quillon-cli: missing arguments"},
    {"InfoWithTwoBanks", {"info", "BANK", "BANK"}, "quillon-cli: too many arguments"},
    {"UnknownOption", {"add", "BANK", "--bogus", "a.wav"}, "quillon-cli: unknown option --bogus"},
    {"OptionWithoutValue",
     {"refresh", "BANK", "--path"},
     "quillon-cli: option --path needs a value (DIR)"},
    {"FlagWithValue",
     {"create", "new.sad", "--force=yes", "a.wav"},
     "quillon-cli: option --force takes no value"},
    {"EmptyPath", {"refresh", "BANK", "--path="}, "quillon-cli: --path needs a folder"},
    {"SetWithoutValue", {"set", "BANK", "1", "Priority"}, "quillon-cli: missing arguments"},
    {"SetRowNotANumber",
     {"set", "BANK", "one", "Priority", "5"},
     "quillon-cli: not a row number: 'one'"},
    {"SetNegativeRow",
     {"set", "BANK", "-1", "Priority", "5"},
     "quillon-cli: not a row number: '-1'"},
    {"SetUnknownColumn",
     {"set", "BANK", "1", "Loudness", "5"},
     "quillon-cli: no column is called 'Loudness'"},
    {"SetNameColumn",
     {"set", "BANK", "1", "Name", "x.wav"},
     "quillon-cli: the column 'Name' cannot be edited"},
    {"SetLoopStart",
     {"set", "BANK", "1", "LStart", "5"},
     "quillon-cli: the column 'LStart' cannot be edited"},
    {"ReplaceRowNotANumber",
     {"replace", "BANK", "a.wav", "1"},
     "quillon-cli: not a row number: 'a.wav'"},
    {"CsvWithoutOutput", {"csv", "BANK"}, "quillon-cli: missing arguments"},
    {"HeaderWithTwoOutputs", {"header", "BANK", "a.h", "b.h"}, "quillon-cli: too many arguments"},
    {"DeleteRowNotANumber", {"delete", "BANK", "1", "2x"}, "quillon-cli: not a row number: '2x'"},
    {"ExtractRowNotANumber", {"extract", "BANK", ".", "#1"}, "quillon-cli: not a row number: '#1'"},
};

class CliUsageError : public testing::TestWithParam<UsageCase> {};

INSTANTIATE_TEST_SUITE_P(Cli, CliUsageError, testing::ValuesIn(kUsageCases),
                         [](const auto& info) { return std::string(info.param.name); });

// A usage error exits 2 with the problem and a usage text on stderr, before
// any bank is opened or written.
TEST_P(CliUsageError, ExitsTwoWithUsageTextAndLeavesTheBankAlone) {
    if (test::cliPath().empty()) GTEST_FAIL() << "quillon-cli was not built";
    CliSandbox box;
    std::string bank = box.file("bank.sad");
    test::Bytes notABank = {'n', 'o', 't', ' ', 'a', ' ', 'b', 'a', 'n', 'k'};
    test::writeFile(bank, notABank);
    std::vector<std::string> arguments = GetParam().arguments;
    for (std::string& argument : arguments)
        if (argument == "BANK") argument = bank;

    CliResult r = box.run(arguments);
    EXPECT_EQ(r.status, 2) << r.err;
    std::vector<std::string> lines = test::linesOf(r.err);
    ASSERT_GE(lines.size(), 2u) << r.err;
    EXPECT_EQ(lines[0], GetParam().problem);
    EXPECT_EQ(lines[1].rfind("quillon-cli: Usage: quillon-cli ", 0), 0u) << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(test::readFileBytes(bank), notABank);
    EXPECT_FALSE(test::fileExists(box.file("new.sad")));
}

}  // namespace
}  // namespace quillon
