// A save over an existing bank, killed at any point or starved of disk space,
// leaves at the target either the old bank or the new one, byte for byte.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "bank/CellFormat.h"
#include "bank/QuillonDoc.h"
#include "operations/SampleOps.h"
#include "support/FakeShell.h"
#include "support/TempFolder.h"
#include "support/WavBuilder.h"

namespace quillon {
namespace {

class SaveSafety : public testing::Test {
  protected:
    void SetUp() override {
        for (uint32_t i = 0; i < 30; ++i) {
            test::PcmWavSpec spec;
            spec.frames = 2000 + 100 * i;
            test::writeFile(wave(i), test::makePcmWav(spec));
            ASSERT_TRUE(addWaveFiles(doc, {wave(i)}));
        }
        ASSERT_TRUE(doc.OnSaveDocument(target));
        oldBank = test::readFileBytes(target);
        // The next save differs: new numbers and a new title.
        for (int i = 0; i < doc.rows().size(); ++i)
            doc.rows().setCell(i, kColNo, std::to_string(100 + i));
        doc.setTitle("second save");
    }

    std::string wave(uint32_t i) const { return dir.file("w" + std::to_string(i) + ".wav"); }

    // Runs a save in a child process; the child ends itself with SIGKILL at the
    // given save point (counting from 1), or never when killAt is 0. It exits
    // with 0 when the save succeeded, 1 when it failed and said so, and 2 when
    // it failed without a word to the user.
    int saveInChild(int killAt, rlim_t sizeLimit = RLIM_INFINITY) {
        pid_t pid = fork();
        if (pid == 0) {
            signal(SIGXFSZ, SIG_IGN);
            rlimit limit{sizeLimit, sizeLimit};
            setrlimit(RLIMIT_FSIZE, &limit);
            int points = 0;
            doc.savePointHook = [&](SavePoint) {
                if (++points == killAt) raise(SIGKILL);
            };
            if (doc.OnSaveDocument(target)) _exit(0);
            _exit(shell.messages.empty() ? 2 : 1);
        }
        int status = 0;
        waitpid(pid, &status, 0);
        return status;
    }

    // Puts the old bank back at the target as the test's own doing, not
    // another program's change: the document takes the file as it now is,
    // as the answer Overwrite would, so the next save asks nothing.
    void putOldBankBack() {
        test::writeFileBytes(target, oldBank);
        shell.answers = {MessageAnswer::Yes};
        (void)doc.askAboutDiskChange(target);
        shell.answers.clear();
        shell.messages.clear();
    }

    test::TempFolder dir;
    test::FakeShell shell;
    CQuillonDoc doc{shell, nullptr};
    std::string target = dir.file("bank.sad");
    std::vector<uint8_t> oldBank;
};

TEST_F(SaveSafety, KilledAnywhereLeavesTheOldOrTheNewBank) {
    ASSERT_EQ(saveInChild(0), 0);
    std::vector<uint8_t> newBank = test::readFileBytes(target);
    ASSERT_NE(newBank, oldBank);

    int killedBeforeRename = 0, killedAfterRename = 0;
    for (int point = 1;; ++point) {
        putOldBankBack();
        int status = saveInChild(point);
        if (!WIFSIGNALED(status)) break;  // the save ended before this point
        std::vector<uint8_t> now = test::readFileBytes(target);
        ASSERT_TRUE(now == oldBank || now == newBank) << "killed at save point " << point;
        (now == oldBank ? killedBeforeRename : killedAfterRename)++;
    }
    EXPECT_GE(killedBeforeRename + killedAfterRename, 20);
    EXPECT_TRUE(killedBeforeRename >= 1 && killedAfterRename >= 1);
}

TEST_F(SaveSafety, DiskFullFailsTheSaveAndKeepsTheOldBank) {
    EXPECT_EQ(saveInChild(0, oldBank.size() / 2), 1 << 8);  // exit status 1: failed and said so
    EXPECT_EQ(test::readFileBytes(target), oldBank);
    EXPECT_FALSE(test::fileExists(dir.file("ZQBank.TMP")));
}

}  // namespace
}  // namespace quillon
