// gcc compiles the exported header as C and C++, every symbol holding its number.
#include <gtest/gtest.h>

#include <string>

#include "export/ExportTestRows.h"
#include "export/SampleHeader.h"

namespace quillon {
namespace {

TEST(HeaderCompiles, AsCAndAsCppAndEverySymbolHoldsItsNumber) {
    if (!test::haveProgram("gcc") || !test::haveProgram("g++")) GTEST_SKIP() << "no gcc";
    test::TempFolder folder;
    RowList rows;
    // Descriptions with a line break or a final backslash must stay comments.
    // clang-format off
    test::appendRows(rows, {{"3", "door_open.wav", "creak"}, {"1", "bang.wav"},
        {"12", "Loop_A.wav"}, {"4", "bang.wav", "second\nline"}, {"10", "Step2.WAV", "x\\"}});
    // clang-format on
    rows.sortState().sortedByNumber = false;
    const std::string header = folder.file("GameSamples.h"), out = folder.file("out.txt");
    for (HeaderStyle style : {HeaderStyle::Enum, HeaderStyle::Define}) {
        ASSERT_EQ(exportSampleHeader(rows, style, "game_snd", "GAMESAMPLES", header),
                  SaveResult::Saved);
        const std::string base = style == HeaderStyle::Enum ? "GAME_SND_" : "ZQ_SAMPLE_";
        std::string program = "#include <stdio.h>\n#include \"" + header + "\"\nint main(void) {\n";
        for (const char* symbol : {"BANG", "DOOR_OPEN", "BANG_C2", "STEP2", "LOOP_A"})
            program += "    printf(\"%d\\n\", (int)" + base + symbol + ");\n";
        if (style == HeaderStyle::Enum) program += "    printf(\"%d\\n\", (int)game_snd_LAST);\n";
        test::writeText(folder.file("main.c"), program + "    return 0;\n}\n");
        for (const char* compiler : {"gcc -x c", "g++ -x c++"}) {
            ASSERT_TRUE(test::runCommand(std::string(compiler) + " -Wall -Wextra -Werror -o '" +
                                         folder.file("main") + "' '" + folder.file("main.c") +
                                         "'"));
            ASSERT_TRUE(test::runCommand("'" + folder.file("main") + "' > '" + out + "'"));
            EXPECT_EQ(test::readText(out),
                      style == HeaderStyle::Enum ? "1\n3\n4\n10\n12\n13\n" : "1\n3\n4\n10\n12\n");
        }
    }
}

}  // namespace
}  // namespace quillon
