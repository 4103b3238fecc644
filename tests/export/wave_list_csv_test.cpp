#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "bank/QuillonDoc.h"
#include "bank/Sorting.h"
#include "export/ExportTestRows.h"
#include "export/WaveListCsv.h"
#include "support/FakeShell.h"

namespace quillon {
namespace {

using test::crlf;
using test::readText;
using test::sampleRow;
using test::TempFolder;

const std::string kHeading =
    "Num,Name,Location,Bank,Clone,Foramt,Compression,Size,Description,Priority,Group,"
    "Atm Group,Atmos,Volume,User,PlayType,Loop,L-Start,L-End,Pitch,PitchVar,Pan,XPos,"
    "YPos,ZPos,Min,Max,Scale\n";

Row fullRow(int number, const std::string& name, const std::string& location) {
    Row row = sampleRow(number, name);
    setCell(row, kColLocation, location);
    setCell(row, kColBank, "Yes");
    setCell(row, kColClone, "0");
    setCell(row, kColFormat, "PCM 22050Hz 16bit Mono");
    setCell(row, kColCompression, "None");
    setCell(row, kColSize, "1044");
    setCell(row, kColPriority, "5");
    setCell(row, kColPlayType, "once");
    setCell(row, kColMinDist, "1.000000");
    return row;
}

TEST(WaveListCsv, IsWrittenByteForByteWithCrLfLineEndsAndACountLine) {
    TempFolder folder;
    RowList rows;
    test::appendRows(rows,
                     {fullRow(1, "a.wav", "/w"), fullRow(2, "b.wav", "/w"), sampleRow(3, "c.wav")});
    const std::string path = folder.file("Wavlist.csv");
    ASSERT_EQ(writeWaveListCsv(rows, path), SaveResult::Saved);
    const std::string full =
        ",Yes,0,PCM 22050Hz 16bit Mono,None,1044,,5,*,*,*,*,*,once,*,*,*,*,"
        "*,*,*,*,*,1.000000,*,*\n";
    EXPECT_EQ(readText(path), crlf(kHeading + "1,a.wav,/w" + full + "2,b.wav,/w" + full +
                                   "3,c.wav,*,*,*,*,*,*,,*,*,*,*,*,*,*,*,*,*,*,*,*,*,*,*,*,*,*\n" +
                                   "3 Wav files\n"));
}

TEST(WaveListCsv, QuotesOnlyFieldsWithACommaAQuoteOrALineBreak) {
    struct Case {
        std::string cell, field;
    };
    const std::vector<Case> cases = {
        {"plain text", "plain text"},
        {"a,b", "\"a,b\""},
        {"say \"hi\"", "\"say \"\"hi\"\"\""},
        {"two\nlines", "\"two\nlines\""},
        {"cr\ronly", "\"cr\ronly\""},
        {" padded ", " padded "},
        {"", ""},
        {"'single'", "'single'"},
    };
    for (const Case& c : cases) {
        RowList rows;
        rows.append(sampleRow(1, "x.wav", c.cell));
        std::string text = waveListCsvText(rows);
        std::string expected =
            "1,x.wav,*,*,*,*,*,*," + c.field + ",*,*,*,*,*,*,*,*,*,*,*,*,*,*,*,*,*,*,*\r\n";
        EXPECT_EQ(text.substr(crlf(kHeading).size(), expected.size()), expected) << c.cell;
    }
}

TEST(WaveListCsv, RowsStandInTheListsOrderNotByNumber) {
    RowList rows;
    test::appendRows(rows, {sampleRow(1, "b.wav"), sampleRow(2, "C.wav"), sampleRow(3, "a.wav")});
    rows.sortState().direction[kColName] = 0;
    sortByColumn(rows, kColName);
    ASSERT_FALSE(rows.sortState().sortedByNumber);
    std::string text = waveListCsvText(rows);
    size_t a = text.find("\r\n3,a.wav,"), b = text.find("\r\n1,b.wav,"),
           c = text.find("\r\n2,C.wav,");
    ASSERT_NE(a, std::string::npos);
    EXPECT_LT(a, b);
    EXPECT_LT(b, c);
    EXPECT_TRUE(text.ends_with("\r\n3 Wav files\r\n"));
}

// A real CSV reader must get 28 fields back on every row, and the very cell
// texts, whatever they hold.
TEST(WaveListCsv, PythonsCsvReaderReadsEveryCellBack) {
    if (!test::haveProgram("python3")) GTEST_SKIP() << "no python3";
    TempFolder folder;
    RowList rows;
    test::appendRows(
        rows, {fullRow(1, "a,b.wav", "/w/with, comma"), sampleRow(2, "q\"uote.wav", "x \"y\", z"),
               sampleRow(3, "n.wav", "line one\nline two\r\nthree"), sampleRow(4, "ü.wav", "\"\""),
               sampleRow(5, "plain.wav", ",")});
    const std::string csv = folder.file("list.csv");
    ASSERT_EQ(writeWaveListCsv(rows, csv), SaveResult::Saved);

    // The script prints each record as its field count followed by the fields
    // in hexadecimal, one record per line.
    const std::string script = folder.file("read.py");
    test::writeText(
        script,
        "import csv, sys\n"
        "with open(sys.argv[1], newline='', encoding='utf-8', errors='surrogateescape') as f:\n"
        "    for record in csv.reader(f):\n"
        "        print(len(record), *[x.encode('utf-8', 'surrogateescape').hex() for x in "
        "record])\n");
    const std::string out = folder.file("out.txt");
    ASSERT_TRUE(test::runCommand("python3 '" + script + "' '" + csv + "' > '" + out + "'"));

    auto hex = [](const std::string& s) {
        static const char digits[] = "0123456789abcdef";
        std::string h;
        for (unsigned char c : s) {
            h += digits[c >> 4];
            h += digits[c & 15];
        }
        return h;
    };
    std::string expected = "28";
    std::string heading = kHeading.substr(0, kHeading.size() - 1);
    for (size_t start = 0, comma = 0; comma != std::string::npos; start = comma + 1) {
        comma = heading.find(',', start);
        expected += " " + hex(heading.substr(start, comma - start));
    }
    expected += "\n";
    for (int i = 0; i < rows.size(); ++i) {
        expected += "28";
        for (int column = 0; column < kColumnCount; ++column) {
            std::string field = hex(rows.cell(i, column));
            expected += field.empty() ? " " : " " + field;
        }
        expected += "\n";
    }
    expected += "1 " + hex("5 Wav files") + "\n";
    EXPECT_EQ(readText(out), expected);
}

struct CsvCommand : ::testing::Test {
    test::FakeShell shell;
    CQuillonDoc doc{shell, nullptr};
    TempFolder folder;
};

TEST_F(CsvCommand, AsksForTheFileWithItsDefaultsAndWritesTheList) {
    runWaveListExport(doc);  // no rows: no dialog
    EXPECT_TRUE(shell.fileRequests.empty());
    doc.rows().append(sampleRow(7, "x.wav"));
    runWaveListExport(doc);  // Cancel
    ASSERT_EQ(shell.fileRequests.size(), 1u);
    EXPECT_EQ(shell.fileRequests[0].defaultName, "Wavlist.csv");
    EXPECT_EQ(shell.fileRequests[0].filter, "Header File (*.csv)|*.csv||");
    EXPECT_TRUE(shell.fileRequests[0].save);
    EXPECT_TRUE(shell.fileRequests[0].promptOverwrite);

    shell.fileAnswers.push_back({{folder.file("out.csv")}, folder.path()});
    runWaveListExport(doc);
    EXPECT_EQ(readText(folder.file("out.csv")), waveListCsvText(doc.rows()));
    EXPECT_TRUE(shell.messages.empty());

    shell.fileAnswers.push_back({{folder.file("none/out.csv")}, folder.path()});
    runWaveListExport(doc);
    ASSERT_EQ(shell.messages.size(), 1u);
    EXPECT_EQ(shell.messages[0].text, "Error Saving File");
    EXPECT_EQ(shell.messages[0].icon, MessageIcon::Stop);
}

}  // namespace
}  // namespace quillon
