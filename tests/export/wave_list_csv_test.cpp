// The CSV list's byte-exact home, and Python's csv module reading it back.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "export/ExportTestRows.h"
#include "export/WaveListCsv.h"

namespace quillon {
namespace {

const std::string kHeading =
    "Num,Name,Location,Bank,Clone,Foramt,Compression,Size,Description,Priority,Group,"
    "Atm Group,Atmos,Volume,User,PlayType,Loop,L-Start,L-End,Pitch,PitchVar,Pan,XPos,"
    "YPos,ZPos,Min,Max,Scale";

// Rows stand in the list's order, not by number; only fields holding a comma,
// a quote or a line break are quoted; lines end in CR LF.
TEST(WaveListCsv, IsWrittenByteForByteWithCrLfLineEndsAndACountLine) {
    test::TempFolder folder;
    RowList rows;
    test::appendRows(
        rows,
        {{"2", "b.wav", " 'x' "}, {"1", "a,b.wav", "say \"hi\""}, {"3", "c.wav", "cr\ronly"}});
    rows.sortState().sortedByNumber = false;
    const std::string path = folder.file("Wavlist.csv");
    ASSERT_EQ(writeWaveListCsv(rows, path), SaveResult::Saved);
    const std::string six = ",*,*,*,*,*,*,", rest = ",*,*,*,*,*,*,*,*,*,*,*,*,*,*,*,*,*,*,*\r\n";
    EXPECT_EQ(test::readText(path), kHeading + "\r\n2,b.wav" + six + " 'x' " + rest +
                                        "1,\"a,b.wav\"" + six + "\"say \"\"hi\"\"\"" + rest +
                                        "3,c.wav" + six + "\"cr\ronly\"" + rest +
                                        "3 Wav files\r\n");
}

// A real CSV reader must get 28 fields back on every row, and the very cell
// texts, whatever they hold.
TEST(WaveListCsv, PythonsCsvReaderReadsEveryCellBack) {
    if (!test::haveProgram("python3")) GTEST_SKIP() << "no python3";
    test::TempFolder folder;
    RowList rows;
    test::appendRows(rows, {{"1", "a,b.wav", "x \"y\", z"},
                            {"2", "ü.wav", "\"\""},
                            {"3", "n.wav", "line one\nline two\r\nthree"}});
    const std::string csv = folder.file("list.csv"), out = folder.file("out.txt");
    ASSERT_EQ(writeWaveListCsv(rows, csv), SaveResult::Saved);
    // Writes each field ended by \x1f, each record ended by \x1e.
    test::writeText(folder.file("read.py"),
                    "import csv, sys\n"
                    "with open(sys.argv[1], newline='', encoding='utf-8') as f:\n"
                    "    for r in csv.reader(f):\n"
                    "        sys.stdout.buffer.write(''.join(x + '\\x1f' for x in r).encode() + "
                    "b'\\x1e')\n");
    ASSERT_TRUE(
        test::runCommand("python3 '" + folder.file("read.py") + "' '" + csv + "' > '" + out + "'"));
    std::string expected = kHeading + "\x1f\x1e";
    std::replace(expected.begin(), expected.end(), ',', '\x1f');
    for (int i = 0; i < rows.size(); ++i) {
        for (int column = 0; column < kColumnCount; ++column)
            expected += rows.cell(i, column) + '\x1f';
        expected += '\x1e';
    }
    EXPECT_EQ(test::readText(out), expected + "3 Wav files\x1f\x1e");
}

}  // namespace
}  // namespace quillon
