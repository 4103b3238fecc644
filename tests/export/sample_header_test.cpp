#include <gtest/gtest.h>

#include <string>

#include "bank/QuillonDoc.h"
#include "export/ExportTestRows.h"
#include "export/SampleHeader.h"
#include "support/FakeShell.h"

namespace quillon {
namespace {

using test::FakeShell;
using test::readText;
using test::sampleRow;
using test::TempFolder;

// Clones counted by exact-case names, the last extension cut, descriptions,
// and a closing entry from the last number (7), not the row count.
void fillBangs(RowList& rows) {
    test::appendRows(rows, {sampleRow(1, "bang.wav"), sampleRow(2, "bang.wav", "loud"),
                            sampleRow(3, "Bang.wav"), sampleRow(5, "door.open.wav"),
                            sampleRow(6, "bang.wav"), sampleRow(7, "no extension")});
}

TEST(SampleHeader, EnumIsWrittenByteForByte) {
    TempFolder folder;
    RowList rows;
    fillBangs(rows);
    const std::string path = folder.file("ZQSample.h");
    ASSERT_EQ(exportSampleHeader(rows, HeaderStyle::Enum, "ZQ_SAMPLE", "ZQSAMPLE", path),
              SaveResult::Saved);
    EXPECT_EQ(readText(path),
              "//Zarquine Sample Header File\n\n"
              "#ifndef INCL_ZQSAMPLE_H\n#define INCL_ZQSAMPLE_H\n\n\n\n"
              "enum\tZQ_SAMPLE\n{\n"
              "\tZQ_SAMPLE_BANG = 1,\n"
              "\tZQ_SAMPLE_BANG_C2 = 2,\t\t//loud\n"
              "\tZQ_SAMPLE_BANG = 3,\n"
              "\tZQ_SAMPLE_DOOR.OPEN = 5,\n"
              "\tZQ_SAMPLE_BANG_C3 = 6,\n"
              "\tZQ_SAMPLE_NO EXTENSION = 7,\n"
              "\tZQ_SAMPLE_LAST = 8\n};\n\n#endif //ZQSAMPLE included");
}

TEST(SampleHeader, DefineHasNoGuardNoClosingEntryAndIgnoresThePrefix) {
    TempFolder folder;
    RowList rows;
    fillBangs(rows);
    const std::string path = folder.file("defs.h");
    ASSERT_EQ(exportSampleHeader(rows, HeaderStyle::Define, "OTHER", "DEFS", path),
              SaveResult::Saved);
    EXPECT_EQ(readText(path),
              "//Zarquine Sample Header File\n\n"
              "#define\tZQ_SAMPLE_BANG \t 1\n"
              "#define\tZQ_SAMPLE_BANG_C2 \t 2\t\t//loud\n"
              "#define\tZQ_SAMPLE_BANG \t 3\n"
              "#define\tZQ_SAMPLE_DOOR.OPEN \t 5\n"
              "#define\tZQ_SAMPLE_BANG_C3 \t 6\n"
              "#define\tZQ_SAMPLE_NO EXTENSION \t 7\n");
}

TEST(SampleHeader, LowerCasePrefixStandsAsTypedButSymbolsAreUpperCased) {
    RowList rows;
    rows.append(sampleRow(4, "Café-x.wav"));
    EXPECT_EQ(sampleHeaderText(rows, HeaderStyle::Enum, "snd", "T"),
              "//Zarquine Sample Header File\n\n#ifndef INCL_T_H\n#define INCL_T_H\n\n\n\n"
              "enum\tsnd\n{\n\tSND_CAFé-X = 4,\n\tsnd_LAST = 5\n};\n\n#endif //T included");
}

TEST(SampleHeader, TitleIsTheFileNameBeforeItsLastDotUpperCased) {
    struct Case {
        const char* path;
        const char* title;
    };
    for (Case c : {Case{"/out/Bank Sounds.h", "BANK SOUNDS"}, Case{"/out/a.b.h", "A.B"},
                   Case{"/out/plain", "PLAIN"}, Case{"/x.y/zz", "ZZ"}, Case{"/out/.h", ""},
                   Case{"rel/münze.h", "MüNZE"}})
        EXPECT_EQ(headerTitleFromPath(c.path), c.title) << c.path;
}

TEST(SampleHeader, RowsAreWrittenInNumberOrderAndLongTextsWhole) {
    TempFolder folder;
    RowList rows;
    const std::string longName(300, 'n'), longDescription(400, 'd');
    test::appendRows(rows,
                     {sampleRow(9, "b.wav"), sampleRow(2, longName + ".wav", longDescription)});
    rows.sortState().sortedByNumber = false;
    const std::string path = folder.file("x.h");
    ASSERT_EQ(exportSampleHeader(rows, HeaderStyle::Define, "", "", path), SaveResult::Saved);
    EXPECT_EQ(readText(path), "//Zarquine Sample Header File\n\n#define\tZQ_SAMPLE_" +
                                  std::string(300, 'N') + " \t 2\t\t//" + longDescription +
                                  "\n#define\tZQ_SAMPLE_B \t 9\n");
    EXPECT_EQ(rows.cell(0, kColNo), "2");  // the list itself was sorted
}

TEST(SampleHeader, ALineBreakOrFinalBackslashInADescriptionCannotEscapeTheComment) {
    RowList rows;
    test::appendRows(rows,
                     {sampleRow(1, "a.wav", "one\r\ntwo"), sampleRow(2, "b.wav", "path\\ \t")});
    EXPECT_EQ(sampleHeaderText(rows, HeaderStyle::Define, "", ""),
              "//Zarquine Sample Header File\n\n#define\tZQ_SAMPLE_A \t 1\t\t//one  two\n"
              "#define\tZQ_SAMPLE_B \t 2\t\t//path  \t\n");
}

// --- the commands, through the scripted shell ---

struct HeaderCommand : ::testing::Test {
    FakeShell shell;
    CQuillonDoc doc{shell, nullptr};
    TempFolder folder;

    void choose(const std::string& path) { shell.fileAnswers.push_back({{path}, folder.path()}); }
};

TEST_F(HeaderCommand, EnumAsksForThePrefixAfterTheFileAndStoresWhatWasTyped) {
    fillBangs(doc.rows());
    choose(folder.file("Bank Sounds.h"));
    shell.textAnswers.push_back(std::string("my_snd"));
    runSampleHeaderExport(doc, HeaderStyle::Enum);

    ASSERT_EQ(shell.fileRequests.size(), 1u);
    const FileDialogRequest& request = shell.fileRequests[0];
    EXPECT_TRUE(request.save);
    EXPECT_TRUE(request.promptOverwrite);
    EXPECT_EQ(request.defaultName, "ZQSample.h");
    EXPECT_EQ(request.filter, "Header File (*.h)|*.h||");
    ASSERT_EQ(shell.textRequests.size(), 1u);
    EXPECT_EQ(shell.textRequests[0].first, TextDialog::EnumPrefix);
    EXPECT_EQ(shell.textRequests[0].second, "ZQ_SAMPLE");
    EXPECT_EQ(doc.texts().enumPrefix, "my_snd");
    std::string text = readText(folder.file("Bank Sounds.h"));
    EXPECT_NE(text.find("#ifndef INCL_BANK SOUNDS_H\n"), std::string::npos);
    EXPECT_NE(text.find("enum\tmy_snd\n{\n\tMY_SND_BANG = 1,\n"), std::string::npos);
    EXPECT_NE(text.find("\tmy_snd_LAST = 8\n"), std::string::npos);
    EXPECT_TRUE(shell.messages.empty());
}

TEST_F(HeaderCommand, CancelledPrefixKeepsTheOldOneAndStillExports) {
    fillBangs(doc.rows());
    doc.texts().enumPrefix = "KEEP";
    choose(folder.file("k.h"));
    shell.textAnswers.push_back(std::nullopt);
    runSampleHeaderExport(doc, HeaderStyle::Enum);
    EXPECT_EQ(doc.texts().enumPrefix, "KEEP");
    EXPECT_NE(readText(folder.file("k.h")).find("\tKEEP_BANG = 1,\n"), std::string::npos);
}

TEST_F(HeaderCommand, DefineAsksNoPrefix) {
    fillBangs(doc.rows());
    doc.texts().enumPrefix = "IGNORED";
    choose(folder.file("d.h"));
    runSampleHeaderExport(doc, HeaderStyle::Define);
    EXPECT_TRUE(shell.textRequests.empty());
    EXPECT_NE(readText(folder.file("d.h")).find("#define\tZQ_SAMPLE_BANG \t 1\n"),
              std::string::npos);
}

TEST_F(HeaderCommand, NothingHappensWithoutRowsOrWhenTheSaveDialogIsCancelled) {
    runSampleHeaderExport(doc, HeaderStyle::Enum);
    EXPECT_TRUE(shell.fileRequests.empty());
    fillBangs(doc.rows());
    runSampleHeaderExport(doc, HeaderStyle::Enum);  // no file answer: Cancel
    EXPECT_EQ(shell.fileRequests.size(), 1u);
    EXPECT_TRUE(shell.textRequests.empty());
    EXPECT_TRUE(shell.messages.empty());
}

TEST_F(HeaderCommand, AFileThatCannotBeCreatedShowsErrorSavingFile) {
    fillBangs(doc.rows());
    choose(folder.file("missing-folder/x.h"));
    runSampleHeaderExport(doc, HeaderStyle::Define);
    ASSERT_EQ(shell.messages.size(), 1u);
    EXPECT_EQ(shell.messages[0].text, "Error Saving File");
    EXPECT_EQ(shell.messages[0].icon, MessageIcon::Stop);
    EXPECT_FALSE(test::fileExists(folder.file("missing-folder/x.h")));
}

}  // namespace
}  // namespace quillon
