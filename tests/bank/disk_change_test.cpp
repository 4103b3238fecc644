// A bank another program changes while it is open is never written over unasked.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "bank/QuillonDoc.h"
#include "operations/SampleOps.h"
#include "support/FakeShell.h"
#include "support/TempFolder.h"
#include "support/WavBuilder.h"

namespace quillon {
namespace {

class DiskChange : public testing::Test {
  protected:
    void SetUp() override {
        test::writeFile(dir.file("a.wav"), test::makePcmWav({}));
        ASSERT_TRUE(addWaveFiles(doc, {dir.file("a.wav")}));
        ASSERT_TRUE(doc.OnSaveDocument(bank));
    }
    // Another program's save (renamed into place), or its title as read back.
    std::string title(const char* saveAs = nullptr) {
        test::FakeShell otherShell;
        CQuillonDoc other(otherShell, nullptr);
        if (!other.OnOpenDocument(bank)) return "(unreadable)";
        if (!saveAs) return other.values().title;
        other.setTitle(saveAs);
        return other.OnSaveDocument(bank) ? saveAs : "(not saved)";
    }

    test::TempFolder dir;
    std::string bank = dir.file("bank.sad");
    test::FakeShell shell;
    CQuillonDoc doc{shell, nullptr};
};

TEST_F(DiskChange, ASaveOverAChangedBankAsksAndDoesWhatTheAnswerSays) {
    ASSERT_TRUE(doc.OnOpenDocument(bank));
    EXPECT_FALSE(doc.changedOnDisk()) << "untouched";
    doc.setTitle("mine");
    ASSERT_TRUE(doc.OnSaveDocument(bank));
    EXPECT_FALSE(doc.changedOnDisk()) << "saved by the document itself";
    // The same bytes rewritten in place (one clock tick may share a time).
    std::vector<uint8_t> bytes = test::readFileBytes(bank);
    int fd = ::open(bank.c_str(), O_WRONLY);
    ASSERT_EQ(::write(fd, bytes.data(), bytes.size()), ssize_t(bytes.size()));
    const timespec times[2] = {{0, UTIME_OMIT}, {1'000'000'000, 123}};
    ASSERT_EQ(::futimens(fd, times), 0);
    ::close(fd);
    EXPECT_TRUE(doc.changedOnDisk()) << "rewritten in place, same size and bytes";
    // Saved by another program (renamed into place), the bank is changed on disk.
    const struct {
        MessageAnswer answer;  // Overwrite, Reload, Cancel
        bool saved;
        const char *titleOnDisk, *titleInDocument;
    } cases[] = {{MessageAnswer::Yes, true, "mine", "mine"},
                 {MessageAnswer::No, false, "theirs", "theirs"},
                 {MessageAnswer::Cancel, false, "theirs", "mine"}};
    for (const auto& c : cases) {
        ASSERT_TRUE(doc.OnOpenDocument(bank));
        ASSERT_EQ(title("theirs"), "theirs");
        EXPECT_TRUE(doc.changedOnDisk());
        std::vector<uint8_t> theirs = test::readFileBytes(bank);
        doc.setTitle("mine");
        shell.messages.clear();
        shell.answers = {c.answer};
        EXPECT_EQ(doc.OnSaveDocument(bank), c.saved) << c.titleInDocument;
        ASSERT_EQ(shell.messages.size(), 1u);
        EXPECT_EQ(shell.messages[0].buttons, MessageButtons::OverwriteReloadCancel);
        EXPECT_EQ(title(), c.titleOnDisk);
        EXPECT_TRUE(c.saved || test::readFileBytes(bank) == theirs);
        EXPECT_EQ(doc.values().title, c.titleInDocument);
        // Overwrite and Reload leave the document knowing the file; Cancel leaves the edits.
        const bool cancelled = c.answer == MessageAnswer::Cancel;
        EXPECT_EQ(std::tuple(doc.isModified(), doc.changedOnDisk()),
                  std::tuple(cancelled, cancelled));
    }
}

}  // namespace
}  // namespace quillon
