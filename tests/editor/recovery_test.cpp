// Crash recovery: the file gives back its state, a damaged one is refused, one Undo takes it back.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include "bank/CellEdit.h"
#include "bank/ListOps.h"
#include "editor/Recovery.h"
#include "operations/SampleOps.h"
#include "support/FakeShell.h"
#include "support/TempFolder.h"
#include "support/WavBuilder.h"

namespace quillon {
namespace {

class RecoveryTest : public testing::Test {
  protected:
    void SetUp() override {
        test::FakeShell makerShell;
        CQuillonDoc maker(makerShell, nullptr);
        ASSERT_TRUE(addWaveFiles(maker, {wav("a.wav"), wav("b.wav"), wav("c.wav")}));
        maker.setTitle("Original");
        ASSERT_TRUE(maker.OnSaveDocument(bank()));
        ASSERT_TRUE(doc.OnOpenDocument(bank()));
    }
    std::string wav(const std::string& name) {
        test::PcmWavSpec spec;
        spec.frames = 400;
        test::writeFile(dir.file(name), test::makePcmWav(spec));
        return dir.file(name);
    }
    std::string bank() const { return dir.file("bank.sad"); }
    std::string recoveryFolder() const { return dir.file("state/quillon/recovery"); }
    // Stored b deleted, stored c edited and cloned, d.wav added (no stored row), the title changed.
    void editBank() {
        selectOnly(doc, 1);
        deleteSelectedRows(doc);
        selectOnly(doc, 1);
        CommitCellEdit(doc, kColVolume, "50");
        cloneSelected(doc);
        ASSERT_TRUE(addWaveFiles(doc, {wav("d.wav")}));
        doc.setTitle("Edited");
    }
    std::vector<uint8_t> savedAs(CQuillonDoc& from, const std::string& name) {
        EXPECT_TRUE(from.OnSaveDocument(dir.file(name)));
        return test::readFileBytes(dir.file(name));
    }

    test::TempFolder dir;
    test::FakeShell shell;
    CQuillonDoc doc{shell, nullptr};
};

TEST_F(RecoveryTest, aDamagedFileIsRefusedSayingWhereAndIsRemoved) {
    std::string good = recoveryJson(recoveryStateOf(doc));
    auto with = [&](const std::string& from, const std::string& to) {
        std::string text = good;
        size_t at = text.find(from);
        EXPECT_NE(at, std::string::npos) << from;
        return text.replace(at, from.size(), to);
    };
    const std::tuple<const char*, std::string, const char*> cases[] = {
        {"not JSON", good.substr(0, good.size() / 2), "parse error"},
        {"another format", with("\"format\": 1", "\"format\": 2"), "recovery.format"},
        {"a title that is no text", with("\"title\": \"Original\"", "\"title\": 7"),
         "recovery.title"},
        {"a stamp member missing", with("\"inode\"", "\"inode2\""), "recovery.bankStamp"},
        // Row 0's first cell, its No, is the first "1" of the text.
        {"a cell of the wrong type", with("\"1\"", "null"), "recovery.rows[0].cells[0]"},
        {"a cell of odd hex", with("\"1\"", "{\"hex\": \"abc\"}"), "recovery.rows[0].cells[0].hex"},
        {"a row of 27 cells", with("\"1\",", ""), "recovery.rows[0].cells"},
        {"load number 0", with("\"load\": 1", "\"load\": 0"), "recovery.rows[0].load"},
        {"a load number past 32 bits", with("\"load\": 1", "\"load\": 4294967296"),
         "recovery.rows[0].load"},
        {"an unknown member", with("\"music\"", "\"musik\""), "has no member"},
    };
    for (const auto& [name, text, where] : cases) {
        RecoveryRead read = readRecovery(text);
        EXPECT_FALSE(read.state) << name;
        EXPECT_NE(read.error.find(where), std::string::npos) << name << ": " << read.error;
    }

    RecoveryKeeper keeper(doc, recoveryFolder());
    ASSERT_TRUE(test::runCommand("mkdir -p " + recoveryFolder()));
    test::writeFile(keeper.fileOfDocument(), {'{', '"'});
    EXPECT_EQ(keeper.offer(), RecoveryKeeper::Offer::Refused);
    ASSERT_EQ(shell.messages.size(), 1u);
    EXPECT_NE(shell.messages[0].text.find(keeper.fileOfDocument()), std::string::npos);
    EXPECT_FALSE(test::fileExists(keeper.fileOfDocument()));
    EXPECT_FALSE(doc.isModified());
}

// The edited bank saved is the opened bank recovered and saved; one Undo gives the opened.
TEST_F(RecoveryTest, recoverGivesTheEditedBankAndOneUndoTheOpenedOne) {
    std::vector<uint8_t> opened = test::readFileBytes(bank());
    editBank();
    // Bytes read from a bank need not be UTF-8; they come back whole.
    doc.rows().setCell(0, kColDescription, std::string("caf\xE9 \xFF", 6));
    {
        // Written, and the editor killed: no save ever removes the file.
        RecoveryKeeper editing(doc, recoveryFolder());
        ASSERT_TRUE(editing.writeDue());
        ASSERT_TRUE(editing.write());
        EXPECT_FALSE(editing.writeDue());
        struct stat file {};
        ASSERT_EQ(::stat(editing.fileOfDocument().c_str(), &file), 0);
        EXPECT_EQ(file.st_mode & 0777, 0600u);
        EXPECT_FALSE(RecoveryKeeper(doc, bank() + "/recovery").write());  // no folder below a file
    }
    std::vector<uint8_t> edited = savedAs(doc, "edited.sad");

    test::FakeShell restartShell;
    CQuillonDoc restarted(restartShell, nullptr);
    ASSERT_TRUE(restarted.OnOpenDocument(bank()));
    RecoveryKeeper keeper(restarted, recoveryFolder());
    EXPECT_EQ(keeper.offer(), RecoveryKeeper::Offer::Recovered);
    ASSERT_EQ(restartShell.messages.size(), 1u);
    EXPECT_EQ(restartShell.messages[0].buttons, MessageButtons::RecoverDiscard);
    EXPECT_EQ(restartShell.messages[0].text.find("Recover unsaved changes to bank.sad from "), 0u);
    EXPECT_EQ(restartShell.messages[0].text.find("changed on disk"), std::string::npos);
    EXPECT_TRUE(restarted.isModified());
    EXPECT_EQ(restarted.history().undoName(), kRecoverStepName);

    ASSERT_TRUE(restarted.undo());
    EXPECT_FALSE(restarted.isModified());
    EXPECT_EQ(savedAs(restarted, "undone.sad"), opened);
    ASSERT_TRUE(restarted.redo());
    EXPECT_EQ(savedAs(restarted, "recovered.sad"), edited);
}

}  // namespace
}  // namespace quillon
