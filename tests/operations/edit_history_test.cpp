// Each kind of step undone gives back the bank byte for byte, redone the changed one, across saves.
#include <gtest/gtest.h>

#include <functional>

#include "bank/CellEdit.h"
#include "bank/ListOps.h"
#include "operations/SampleOps.h"
#include "support/FakeShell.h"
#include "support/TempFolder.h"
#include "support/WavBuilder.h"

namespace quillon {
namespace {

struct StepCase {
    const char* name;
    std::vector<int> selected;
    std::function<void(CQuillonDoc&)> act;
    const char* undoName;
};

class EachStep : public testing::TestWithParam<StepCase> {
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

// A step undone after a save must still find the audio of the rows it brings back.
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

INSTANTIATE_TEST_SUITE_P(
    Steps, EachStep,
    testing::Values(
        StepCase{"CellCommitOnTwoRows",
                 {1, 3},
                 [](CQuillonDoc& d) { CommitCellEdit(d, kColPriority, "7"); },
                 "Edit Priority"},
        StepCase{"Add",
                 {},
                 [](CQuillonDoc& d) { addWaveFiles(d, {d.bankFolder() + "/e.wav"}); },
                 "Add 1 Sample"},
        StepCase{"Replace", {1}, replaceWave, "Replace Sample"},
        StepCase{"Clone", {0}, cloneSelected, "Clone 1 Sample"},
        StepCase{"DeleteStoredRows", {0, 2}, deleteSelectedRows, "Delete 2 Samples"},
        StepCase{"MoveUp", {3}, moveSelectedUp, "Move Up"},
        StepCase{"CheckBox",
                 {},
                 [](CQuillonDoc& d) { d.rows().setChecked(1, false); },
                 "Playback Check Box"},
        StepCase{"Title", {}, [](CQuillonDoc& d) { d.setTitle("Forest at night"); }, "Edit Title"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace quillon
