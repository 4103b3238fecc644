// A save over an existing bank, killed at any point or starved of disk space,
// leaves at the target either the old bank or the new one, byte for byte.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "bank/CellFormat.h"
#include "bank/QuillonDoc.h"
#include "operations/SampleOps.h"
#include "support/BankInspector.h"
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

// Two banks saved into one folder at once (a build running jobs side by side)
// both write the temporary bank there. The second save must wait for the
// first, not write into its file: each target then holds its own whole bank.
TEST_F(SaveSafety, SavesIntoOneFolderTakeTurnsWithTheTemporaryBank) {
    test::FakeShell otherShell;
    CQuillonDoc other{otherShell, nullptr};
    std::string otherTarget = dir.file("other.sad");
    ASSERT_TRUE(addWaveFiles(other, {wave(0), wave(1)}));
    ASSERT_TRUE(other.OnSaveDocument(otherTarget));
    ASSERT_TRUE(addWaveFiles(other, {wave(2)}));

    int paused[2], resume[2];
    ASSERT_TRUE(pipe(paused) == 0 && pipe(resume) == 0);
    // The first save stops half way through its rows until it is told to go on.
    pid_t first = fork();
    if (first == 0) {
        int rows = 0;
        doc.savePointHook = [&](SavePoint point) {
            if (point != SavePoint::RowWritten || ++rows != 15) return;
            char byte = 0;
            if (write(paused[1], &byte, 1) != 1 || read(resume[0], &byte, 1) != 1) _exit(3);
        };
        _exit(doc.OnSaveDocument(target) ? 0 : 1);
    }
    char byte = 0;
    ASSERT_EQ(read(paused[0], &byte, 1), 1);
    pid_t second = fork();
    if (second == 0) _exit(other.OnSaveDocument(otherTarget) ? 0 : 1);
    // The second save gets every chance to finish while the first one waits;
    // it must not, but how long it is given decides nothing once it waits.
    std::this_thread::sleep_for(std::chrono::seconds(1));
    ASSERT_EQ(write(resume[1], &byte, 1), 1);
    int firstStatus = 0, secondStatus = 0;
    waitpid(first, &firstStatus, 0);
    waitpid(second, &secondStatus, 0);

    EXPECT_EQ(std::tuple(firstStatus, secondStatus), std::tuple(0, 0));
    EXPECT_EQ(test::inspectBank(target).records.size(), 129u);
    auto otherBank = test::inspectBank(otherTarget);
    EXPECT_EQ(test::waveImage(otherBank, otherBank.records.at(2)), test::readFileBytes(wave(2)));
    EXPECT_FALSE(test::fileExists(dir.file("ZQBank.TMP")));
}

}  // namespace
}  // namespace quillon
