// The edit history through the commands that make its steps: each kind of
// change undone gives back the bank it changed, byte for byte, and redone the
// changed bank again, across saves; the saved state; the memory budget.
#include <gtest/gtest.h>

#include <functional>

#include "bank/CellEdit.h"
#include "bank/ListOps.h"
#include "bank/QuillonDoc.h"
#include "bank/Sorting.h"
#include "operations/SampleOps.h"
#include "platform/Paths.h"
#include "support/FakeShell.h"
#include "support/TempFolder.h"
#include "support/WavBuilder.h"

namespace quillon {
namespace {

class EditHistoryTest : public testing::Test {
  public:
    void SetUp() override {
        for (const char* name : {"a.wav", "b.wav", "c.wav", "d.wav"})
            ASSERT_TRUE(addWaveFiles(doc, {wav(name, 500)}));
        ASSERT_TRUE(doc.OnSaveDocument(dir.file("bank.sad")));
        shell.fileAnswers.push_back({{wav("r.wav", 900)}, dir.path()});  // for Replace
        wav("e.wav", 700);
    }
    std::string wav(const std::string& name, uint32_t frames) {
        test::PcmWavSpec spec;
        spec.frames = frames;
        test::writeFile(dir.file(name), test::makePcmWav(spec));
        return dir.file(name);
    }
    std::vector<uint8_t> saved() {
        EXPECT_TRUE(doc.OnSaveDocument(dir.file("bank.sad")));
        return test::readFileBytes(dir.file("bank.sad"));
    }

    test::TempFolder dir;
    test::FakeShell shell;
    CQuillonDoc doc{shell, nullptr};
};

struct StepCase {
    const char* name;
    std::vector<int> selected;
    std::function<void(CQuillonDoc&)> act;
    const char* undoName;
};

class EachStep : public EditHistoryTest, public testing::WithParamInterface<StepCase> {};

// A step undone after the save that followed it must still find the audio of
// the rows it brings back, though that save replaced the bank file.
TEST_P(EachStep, UndoGivesBackTheBankAndRedoTheChangedOne) {
    doc.rows().selectOnly(GetParam().selected);
    std::vector<uint8_t> before = saved();
    GetParam().act(doc);
    EXPECT_EQ(doc.history().undoName(), GetParam().undoName);
    std::vector<uint8_t> after = saved();
    ASSERT_NE(after, before);
    ASSERT_TRUE(doc.undo());
    EXPECT_EQ(saved(), before);
    ASSERT_TRUE(doc.redo());
    EXPECT_EQ(saved(), after);
}

// One row for each kind of change the history records.
INSTANTIATE_TEST_SUITE_P(
    Steps, EachStep,
    testing::Values(
        StepCase{"CellCommitOnTwoRows",
                 {1, 3},
                 [](CQuillonDoc& d) { CommitCellEdit(d, kColPriority, "7"); },
                 "Edit Priority"},
        StepCase{"Add",
                 {},
                 [](CQuillonDoc& d) { addWaveFiles(d, {joinPath(d.bankFolder(), "e.wav")}); },
                 "Add 1 Sample"},
        StepCase{"Replace", {1}, replaceWave, "Replace Sample"},
        StepCase{"Clone", {0}, cloneSelected, "Clone 1 Sample"},
        StepCase{"DeleteStoredRows", {0, 2}, deleteSelectedRows, "Delete 2 Samples"},
        StepCase{"MoveUp", {3}, moveSelectedUp, "Move Up"},
        StepCase{"CreateGroup", {2, 3}, createGroupForSelected, "Create Group"},
        StepCase{"CheckBox",
                 {},
                 [](CQuillonDoc& d) { d.rows().setChecked(1, false); },
                 "Playback Check Box"},
        StepCase{"Title", {}, [](CQuillonDoc& d) { d.setTitle("Forest at night"); }, "Edit Title"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(EditHistoryTest, TheModifiedMarkFollowsTheSavedState) {
    doc.rows().selectOnly({0});
    CommitCellEdit(doc, kColVolume, "50");
    EXPECT_TRUE(doc.isModified());
    saved();
    CommitCellEdit(doc, kColVolume, "60");
    ASSERT_TRUE(doc.undo());
    EXPECT_FALSE(doc.isModified());
    ASSERT_TRUE(doc.undo());
    EXPECT_TRUE(doc.isModified());
    ASSERT_TRUE(doc.redo());
    EXPECT_FALSE(doc.isModified());
    // A new step after an undo replaces the steps undone, the saved one among
    // them: no state of the history is the saved one any more.
    ASSERT_TRUE(doc.undo());
    CommitCellEdit(doc, kColVolume, "70");
    EXPECT_FALSE(doc.history().canRedo());
    ASSERT_TRUE(doc.undo());
    EXPECT_TRUE(doc.isModified());
}

// Rows are found by what they are, not where they stood: sorting between a
// change and its undo, itself no step, moves the rows but not the undo.
TEST_F(EditHistoryTest, UndoAfterASortChangesTheSameRows) {
    doc.rows().selectOnly({0});
    CommitCellEdit(doc, kColDescription, "gust");
    size_t steps = doc.history().stepCount();
    sortByColumn(doc.rows(), kColSize);
    EXPECT_EQ(doc.history().stepCount(), steps);
    int gust = -1;
    for (int i = 0; i < doc.rows().size(); ++i)
        if (doc.rows().cell(i, kColDescription) == "gust") gust = i;
    ASSERT_GE(gust, 0);
    ASSERT_TRUE(doc.undo());
    EXPECT_NE(doc.rows().cell(gust, kColDescription), "gust");
    EXPECT_TRUE(doc.rows().isSelected(gust));
}

TEST(EditHistoryBudget, DropsTheOldestStepsAndNeverTheNewest) {
    RowList rows;
    EditHistory history(8 * 1024);
    rows.setRecorder(&history);
    rows.append(Row{});
    history.markClean();
    const std::string longText(200, 'x');
    for (int i = 0; i < 100; ++i)
        rows.setCell(0, kColDescription, longText + std::to_string(i));
    EXPECT_LT(history.stepCount(), 100u);
    EXPECT_LE(history.bytes(), 8u * 1024);
    while (history.canUndo())
        history.undo(rows);
    // The oldest steps kept take the cell back only as far as they reach.
    EXPECT_NE(rows.cell(0, kColDescription), "");
    EXPECT_FALSE(history.isClean());
    EditHistory tiny(1);
    rows.setRecorder(&tiny);
    rows.setCell(0, kColDescription, longText);
    EXPECT_EQ(tiny.stepCount(), 1u);
}

}  // namespace
}  // namespace quillon
