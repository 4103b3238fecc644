// The exported header is C: gcc must compile it as C and as C++, and a program
// built against it must see every sample under its bank number.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "export/ExportTestRows.h"
#include "export/SampleHeader.h"

namespace quillon {
namespace {

using test::readText;
using test::sampleRow;
using test::TempFolder;

struct Expected {
    std::string symbol;
    int number;
};

// Names that are identifiers once upper-cased, out of number order, with a
// clone and with descriptions, one holding a line break and one ending in a
// backslash: both must stay inside their comments.
void fillBank(RowList& rows) {
    test::appendRows(rows, {sampleRow(3, "door_open.wav", "creak"), sampleRow(1, "bang.wav"),
                            sampleRow(12, "Loop_A.wav"), sampleRow(4, "bang.wav", "second\nline"),
                            sampleRow(10, "Step2.WAV", "ends in \\")});
    rows.sortState().sortedByNumber = false;
}

std::string programText(const std::string& header, const std::vector<Expected>& symbols) {
    std::string text = "#include <stdio.h>\n#include \"" + header + "\"\nint main(void) {\n";
    for (const Expected& e : symbols)
        text += "    printf(\"%d\\n\", (int)" + e.symbol + ");\n";
    return text + "    return 0;\n}\n";
}

void compileAndRun(const TempFolder& folder, const std::string& compiler,
                   const std::string& language, const std::string& program,
                   const std::string& expected) {
    const std::string source = folder.file("main.c");
    const std::string binary = folder.file("main");
    const std::string log = folder.file("cc.log");
    test::writeText(source, program);
    ASSERT_TRUE(test::runCommand(compiler + " -x " + language + " -Wall -Wextra -Werror -o '" +
                                 binary + "' '" + source + "' 2> '" + log + "'"))
        << readText(log);
    const std::string output = folder.file("out.txt");
    ASSERT_TRUE(test::runCommand("'" + binary + "' > '" + output + "'"));
    EXPECT_EQ(readText(output), expected) << language;
}

class HeaderCompiles : public ::testing::TestWithParam<HeaderStyle> {};

TEST_P(HeaderCompiles, AsCAndAsCppAndEverySymbolHoldsItsNumber) {
    if (!test::haveProgram("gcc") || !test::haveProgram("g++")) GTEST_SKIP() << "no gcc";
    TempFolder folder;
    RowList rows;
    fillBank(rows);
    const bool isEnum = GetParam() == HeaderStyle::Enum;
    const std::string header = folder.file("GameSamples.h");
    ASSERT_EQ(exportSampleHeader(rows, GetParam(), "game_snd", headerTitleFromPath(header), header),
              SaveResult::Saved);

    const std::string base = isEnum ? "GAME_SND_" : "ZQ_SAMPLE_";
    std::vector<Expected> symbols = {{base + "BANG", 1},
                                     {base + "DOOR_OPEN", 3},
                                     {base + "BANG_C2", 4},
                                     {base + "STEP2", 10},
                                     {base + "LOOP_A", 12}};
    if (isEnum) symbols.push_back({"game_snd_LAST", 13});
    std::string expected;
    for (const Expected& e : symbols)
        expected += std::to_string(e.number) + "\n";

    compileAndRun(folder, "gcc", "c", programText(header, symbols), expected);
    compileAndRun(folder, "g++", "c++", programText(header, symbols), expected);
}

INSTANTIATE_TEST_SUITE_P(Styles, HeaderCompiles,
                         ::testing::Values(HeaderStyle::Enum, HeaderStyle::Define),
                         [](const auto& info) {
                             return info.param == HeaderStyle::Enum ? "Enum" : "Define";
                         });

}  // namespace
}  // namespace quillon
