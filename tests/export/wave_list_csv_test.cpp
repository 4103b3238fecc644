// The CSV list's byte-exact home, and Python's csv module reading it back.
#include <gtest/gtest.h>

#include <algorithm>

#include "export/ExportTestRows.h"
#include "export/WaveListCsv.h"

namespace quillon {
namespace {

const std::string kHeading =
    "Num,Name,Location,Bank,Clone,Foramt,Compression,Size,Description,Priority,Group,"
    "Atm Group,Atmos,Volume,User,PlayType,Loop,L-Start,L-End,Pitch,PitchVar,Pan,XPos,"
    "YPos,ZPos,Min,Max,Scale";

// Rows in the list's order, not by number, with cells a CSV must quote.
struct WaveListCsv : ::testing::Test {
    test::TempFolder folder;
    RowList rows;
    const std::string csv = folder.file("Wavlist.csv");

    void SetUp() override {
        test::appendRows(rows, {{"2", "b.wav", " 'x' "},
                                {"1", "a,b.wav", "say \"hi\""},
                                {"3", "ü.wav", "cr\ronly"},
                                {"4", "n.wav", "one\ntwo\r\nthree"}});
        rows.sortState().sortedByNumber = false;
        ASSERT_EQ(writeWaveListCsv(rows, csv), SaveResult::Saved);
    }
};

// Only fields holding a comma, a quote or a line break are quoted; lines end
// in CR LF.
TEST_F(WaveListCsv, IsWrittenByteForByteWithCrLfLineEndsAndACountLine) {
    const std::string six = ",*,*,*,*,*,*,", rest = ",*,*,*,*,*,*,*,*,*,*,*,*,*,*,*,*,*,*,*\r\n";
    EXPECT_EQ(test::readText(csv), kHeading + "\r\n2,b.wav" + six + " 'x' " + rest +
                                       "1,\"a,b.wav\"" + six + "\"say \"\"hi\"\"\"" + rest +
                                       "3,ü.wav" + six + "\"cr\ronly\"" + rest + "4,n.wav" + six +
                                       "\"one\ntwo\r\nthree\"" + rest + "4 Wav files\r\n");
}

// A real CSV reader gets 28 fields back on every row, and the very cell texts.
TEST_F(WaveListCsv, PythonsCsvReaderReadsEveryCellBack) {
    if (!test::haveProgram("python3")) GTEST_SKIP() << "no python3";
    // Writes each field ended by \x1f, each record ended by \x1e.
    test::writeText(folder.file("read.py"),
                    "import csv, sys\n"
                    "with open(sys.argv[1], newline='', encoding='utf-8') as f:\n"
                    "    for r in csv.reader(f):\n"
                    "        sys.stdout.buffer.write(''.join(x + '\\x1f' for x in r).encode() + "
                    "b'\\x1e')\n");
    const std::string out = folder.file("out.txt");
    ASSERT_TRUE(
        test::runCommand("python3 '" + folder.file("read.py") + "' '" + csv + "' > '" + out + "'"));
    std::string expected = kHeading + "\x1f\x1e";
    std::replace(expected.begin(), expected.end(), ',', '\x1f');
    for (int i = 0; i < rows.size(); ++i) {
        for (int column = 0; column < kColumnCount; ++column)
            expected += rows.cell(i, column) + '\x1f';
        expected += '\x1e';
    }
    EXPECT_EQ(test::readText(out), expected + "4 Wav files\x1f\x1e");
}

}  // namespace
}  // namespace quillon
