// The sample header's byte-exact home, in both styles.
#include <gtest/gtest.h>

#include <string>

#include "export/ExportTestRows.h"
#include "export/SampleHeader.h"

namespace quillon {
namespace {

// Clones by exact-case name, A to Z upper-cased, comments that cannot escape, LAST from No.
TEST(SampleHeader, EnumAndDefineAreWrittenByteForByte) {
    test::TempFolder folder;
    RowList rows;
    const std::string k(400, 'd');  // a long description is written whole
    // clang-format off
    test::appendRows(rows, {{"7", "no extension"}, {"1", "bang.wav"}, {"2", "bang.wav", "loud"},
        {"3", "Bang.wav", "a\r\nb"}, {"5", "döor.open.wav", "path\\ \t"}, {"6", "bang.wav", k}});
    rows.sortState().sortedByNumber = false;
    const std::string path = folder.file("ZQSample.h");
    ASSERT_EQ(exportSampleHeader(rows, HeaderStyle::Enum, "zq_sample", "ZQSAMPLE", path),
              SaveResult::Saved);
    EXPECT_EQ(rows.cell(0, kColNo), "1");  // the list itself was sorted
    EXPECT_EQ(test::readText(path),
        "//Zarquine Sample Header File\n\n#ifndef INCL_ZQSAMPLE_H\n#define INCL_ZQSAMPLE_H\n\n\n\n"
        "enum\tzq_sample\n{\n\tZQ_SAMPLE_BANG = 1,\n\tZQ_SAMPLE_BANG_C2 = 2,\t\t//loud\n"
        "\tZQ_SAMPLE_BANG = 3,\t\t//a  b\n\tZQ_SAMPLE_DöOR.OPEN = 5,\t\t//path  \t\n"
        "\tZQ_SAMPLE_BANG_C3 = 6,\t\t//" + k + "\n\tZQ_SAMPLE_NO EXTENSION = 7,\n"
        "\tzq_sample_LAST = 8\n};\n\n#endif //ZQSAMPLE included");
    EXPECT_EQ(sampleHeaderText(rows, HeaderStyle::Define, "OTHER", "DEFS"),
        "//Zarquine Sample Header File\n\n#define\tZQ_SAMPLE_BANG \t 1\n"
        "#define\tZQ_SAMPLE_BANG_C2 \t 2\t\t//loud\n#define\tZQ_SAMPLE_BANG \t 3\t\t//a  b\n"
        "#define\tZQ_SAMPLE_DöOR.OPEN \t 5\t\t//path  \t\n"
        "#define\tZQ_SAMPLE_BANG_C3 \t 6\t\t//" + k + "\n#define\tZQ_SAMPLE_NO EXTENSION \t 7\n");
    // clang-format on
}

}  // namespace
}  // namespace quillon
