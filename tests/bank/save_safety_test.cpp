// A save killed anywhere or starved of space leaves the old bank or the new one.
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
        for (int i = 0; i < doc.rows().size(); ++i)
            doc.rows().setCell(i, kColNo, std::to_string(100 + i));
        doc.setTitle("second save");
    }

    std::string wave(uint32_t i) const { return dir.file("w" + std::to_string(i) + ".wav"); }

    // A save in a child killed at save point killAt; exits 0 saved, 1 refused, 2 silent.
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

    // The old bank put back as the document's own doing, so the next save asks nothing.
    void putOldBankBack() {
        test::writeFile(target, oldBank);
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

TEST_F(SaveSafety, KilledAnywhereOrOutOfSpaceLeavesTheOldOrTheNewBank) {
    ASSERT_EQ(saveInChild(0), 0);
    std::vector<uint8_t> newBank = test::readFileBytes(target);

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
    putOldBankBack();
    EXPECT_EQ(saveInChild(0, oldBank.size() / 2), 1 << 8) << "disk full: failed, and said so";
    EXPECT_EQ(test::readFileBytes(target), oldBank);
    EXPECT_FALSE(test::fileExists(dir.file("ZQBank.TMP")));
}

}  // namespace
}  // namespace quillon
