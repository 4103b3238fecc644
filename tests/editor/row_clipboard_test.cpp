// Paste of rows: what it writes and refuses, one Undo, the WAV files a list of file URLs adds.
#include <gtest/gtest.h>

#include "editor/RowClipboard.h"
#include "support/FakeShell.h"
#include "support/TempFolder.h"
#include "support/WavBuilder.h"

namespace quillon {
namespace {

using Cells = std::vector<std::string>;

class RowClipboardTest : public testing::Test {
  protected:
    void SetUp() override {
        doc.rows().clear();
        doc.rows().setHighestGroup(0);
        // Rows 0 and 1 need their Description quoted in tab-separated text.
        const char* descriptions[] = {"say \"hi\"\tthen\nbye", "two\nlines", "three", "four"};
        for (int i = 0; i < 4; ++i) {
            Row row;
            for (int c = 0; c < kColumnCount; ++c)
                setCell(row, c, "*");
            setCell(row, kColName, "r" + std::to_string(i) + ".wav");
            setCell(row, kColDescription, descriptions[i]);
            setCell(row, kColVolume, std::to_string(10 + i));
            setCell(row, kColMinDist, "1.500000");
            doc.rows().append(std::move(row));
        }
        doc.history().clear();
    }
    void select(const std::vector<int>& indices) { doc.rows().selectOnly(indices); }
    Cells cells(int row) const {
        return {doc.rows().row(row).cells.begin(), doc.rows().row(row).cells.end()};
    }
    std::vector<Cells> allCells() const {
        std::vector<Cells> all;
        for (int i = 0; i < doc.rows().size(); ++i)
            all.push_back(cells(i));
        return all;
    }

    test::FakeShell shell;
    CQuillonDoc doc{shell, nullptr};
};

TEST_F(RowClipboardTest, SpreadsheetTextPastesAsTheListsOwn) {
    select({1});
    pasteText(doc, copyRows(doc.rows(), {0}).plainText);
    Cells ours = cells(1);
    SetUp();
    select({1});
    // Titles in other case and spaced, a column not pasted, CR LF, an empty line, a short distance.
    pasteText(doc,
              " VOLUME \tName\tdescription\tMin Dist\r\n"
              "10\tx.wav\t\"say \"\"hi\"\"\tthen\nbye\"\t1.5\r\n\r\n");
    EXPECT_EQ(cells(1), ours);
}

TEST_F(RowClipboardTest, RefusedPasteChangesNothingAndSaysWhy) {
    const std::tuple<const char*, std::vector<int>, std::string, std::string> cases[] = {
        {"a value out of range",
         {0, 1},
         "Volume\tPitch\n64\t5\n64\t5000\n",
         "Invalid Pitch (Range 1 to 1000)"},
        {"too few rows",
         {0, 1, 2},
         "Volume\n1\n2\n",
         "Paste needs 1 row or 3 rows - 2 rows are on the clipboard"},
        {"too many rows", {0}, "Volume\n1\n2\n", "Paste needs 1 row - 2 rows are on the clipboard"},
        {"no selection", {}, "Volume\n1\n", "Select the rows to paste onto"},
        {"no table or files",
         {0},
         "Name\nx.wav\n",
         "The clipboard holds no table of rows and no list of WAV files"},
    };
    for (const auto& [name, selection, text, message] : cases) {
        select(selection);
        std::vector<Cells> before = allCells();
        shell.messages.clear();
        EXPECT_FALSE(pasteText(doc, text).pasted) << name;
        EXPECT_EQ(shell.messageTexts(), Cells{message}) << name;
        EXPECT_EQ(allCells(), before) << name;
        EXPECT_EQ(doc.history().stepCount(), 0u) << name;
    }
}

TEST_F(RowClipboardTest, OneUndoTakesBackTheWholePaste) {
    std::vector<Cells> before = allCells();
    select({0, 1, 3});
    ASSERT_TRUE(pasteText(doc, "Group\tDescription\n40\tnew\n").pasted);
    EXPECT_EQ(doc.rows().highestGroup(), 40);
    ASSERT_TRUE(doc.undo());
    EXPECT_FALSE(doc.history().canUndo());
    EXPECT_EQ(allCells(), before);
    EXPECT_EQ(doc.rows().highestGroup(), 0);
}

TEST_F(RowClipboardTest, PastedFileUrlsAddTheirWaveFiles) {
    test::TempFolder dir;
    test::writeFile(dir.file("a b.WAV"), test::makePcmWav({}));
    test::writeFile(dir.file("c.wav"), test::makePcmWav({}));
    const std::string url = "file://" + dir.path() + "/a%20b.WAV",
                      ours = copyRows(doc.rows(), {0}).quillonRows;
    EXPECT_EQ(pasteKindOf(url + "\r\n"), PasteKind::WaveFiles);
    EXPECT_EQ(pasteKindOf("Name\nx.wav\n"), PasteKind::Nothing);
    EXPECT_EQ(pasteKindOf({ours, "x", {"/a.wav"}}), PasteKind::Table);
    EXPECT_EQ(pasteKindOf({"Volume", "Volume\n1\n", {"/a.wav"}}), PasteKind::WaveFiles);
    EXPECT_EQ(pasteKindOf({"", "Volume\n1\n", {}}), PasteKind::Table);
    ASSERT_TRUE(pasteText(doc, url + "\r\n").pasted);
    EXPECT_EQ(doc.rows().cell(4, kColName), "a b.WAV");
    EXPECT_EQ(doc.history().undoName(), "Paste 1 Sample");
    // A file already in the bank is refused; the others are added.
    EXPECT_EQ(pasteWaveFiles(doc, {dir.file("c.wav"), dir.file("a b.WAV")}).message,
              "Pasted 1 of 2 files");
    shell.messages.clear();
    EXPECT_FALSE(pasteWaveFiles(doc, {}).pasted);
    EXPECT_FALSE(pasteWaveFiles(doc, {"/a.wav", "/b.txt"}).pasted);
    doc.setMusicBank(true);
    EXPECT_FALSE(pasteText(doc, url).pasted);
    EXPECT_EQ(shell.messageTexts(),
              (Cells{"The clipboard holds no WAV files", "Only WAV files can be pasted:\n/b.txt",
                     "WAV files cannot be pasted into a music bank"}));
    EXPECT_EQ(doc.rows().size(), 6);
}

TEST(WaveFileListTest, EveryLineMustNameALocalWaveFile) {
    for (const char* text : {"/a.wav\nnotes.txt", "file://host/a.wav", "file:///a%2.wav",
                             "file:///a%00.wav", "relative.wav", "/a.wav.bak", ""})
        EXPECT_FALSE(parseWaveFileList(text)) << text;
    EXPECT_EQ(*parseWaveFileList("file://localhost/x/%C3%A9.Wav\n\n/y.wav\n"),
              (Cells{"/x/\xC3\xA9.Wav", "/y.wav"}));
}

}  // namespace
}  // namespace quillon
