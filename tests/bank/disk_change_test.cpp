// A bank another program changes while it is open: the document tells the
// change by the file's stamp, and its save never writes over the change
// without asking.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <functional>

#include "bank/QuillonDoc.h"
#include "operations/SampleOps.h"
#include "support/FakeShell.h"
#include "support/TempFolder.h"
#include "support/WavBuilder.h"

namespace quillon {
namespace {

// Public: the cases' actions reach into it.
class DiskChange : public testing::Test {
  public:
    void SetUp() override {
        std::string wave = dir.file("a.wav");
        test::writeFile(wave, test::makePcmWav({}));
        ASSERT_TRUE(addWaveFiles(doc, {wave}));
        ASSERT_TRUE(doc.OnSaveDocument(bank));
    }

    // Another program's save: the bank read, its title changed, written anew.
    void saveTitleElsewhere(const std::string& title) {
        test::FakeShell otherShell;
        CQuillonDoc other(otherShell, nullptr);
        ASSERT_TRUE(other.OnOpenDocument(bank));
        other.setTitle(title);
        ASSERT_TRUE(other.OnSaveDocument(bank));
    }

    std::string titleOnDisk() {
        test::FakeShell readerShell;
        CQuillonDoc reader(readerShell, nullptr);
        return reader.OnOpenDocument(bank) ? reader.values().title : "(unreadable)";
    }

    test::TempFolder dir;
    std::string bank = dir.file("bank.sad");
    test::FakeShell shell;
    CQuillonDoc doc{shell, nullptr};
};

// The same bytes written over the file where it stands, with a modification
// time of its own: writes within one tick of the clock share a time.
void rewriteInPlace(const std::string& path) {
    std::vector<uint8_t> bytes = test::readFileBytes(path);
    int fd = ::open(path.c_str(), O_WRONLY);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::write(fd, bytes.data(), bytes.size()), ssize_t(bytes.size()));
    const timespec times[2] = {{0, UTIME_OMIT}, {1'000'000'000, 123}};
    ASSERT_EQ(::futimens(fd, times), 0);
    ::close(fd);
}

TEST_F(DiskChange, TheStampTellsAnotherProgramsWriteFromTheDocumentsOwn) {
    struct Case {
        const char* name;
        std::function<void(DiskChange&)> act;
        bool changed;
    };
    // In this order: each case opens the bank first, so "untouched" finds
    // the stamp of the file the case before it changed.
    const Case cases[] = {
        {"saved by another program (renamed into place)",
         [](DiskChange& t) { t.saveTitleElsewhere("theirs"); }, true},
        {"untouched", [](DiskChange&) {}, false},
        {"saved by the document itself",
         [](DiskChange& t) {
             t.doc.setTitle("mine");
             ASSERT_TRUE(t.doc.OnSaveDocument(t.bank));
         },
         false},
        {"rewritten in place, same size and bytes", [](DiskChange& t) { rewriteInPlace(t.bank); },
         true},
        // Nothing on disk to lose: a save just writes the bank.
        {"removed", [](DiskChange& t) { ASSERT_EQ(std::remove(t.bank.c_str()), 0); }, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(doc.OnOpenDocument(bank));
        c.act(*this);
        EXPECT_EQ(doc.changedOnDisk(), c.changed);
    }
}

TEST_F(DiskChange, ASaveOverAChangedBankAsksAndDoesWhatTheAnswerSays) {
    struct Case {
        const char* name;
        MessageAnswer answer;
        bool saved;
        const char* titleOnDisk;
        const char* titleInDocument;
        bool modifiedAfter;
    };
    const Case cases[] = {
        {"Overwrite", MessageAnswer::Yes, true, "mine", "mine", false},
        {"Reload", MessageAnswer::No, false, "theirs", "theirs", false},
        {"Cancel", MessageAnswer::Cancel, false, "theirs", "mine", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(doc.OnOpenDocument(bank));
        saveTitleElsewhere("theirs");
        std::vector<uint8_t> theirs = test::readFileBytes(bank);
        doc.setTitle("mine");
        shell.messages.clear();
        shell.answers = {c.answer};

        EXPECT_EQ(doc.OnSaveDocument(bank), c.saved);
        ASSERT_EQ(shell.messages.size(), 1u);
        EXPECT_EQ(shell.messages[0].buttons, MessageButtons::OverwriteReloadCancel);
        EXPECT_NE(shell.messages[0].text.find(bank), std::string::npos);
        EXPECT_EQ(titleOnDisk(), c.titleOnDisk);
        if (!c.saved) {
            EXPECT_EQ(test::readFileBytes(bank), theirs);
        }
        EXPECT_EQ(doc.values().title, c.titleInDocument);
        EXPECT_EQ(doc.isModified(), c.modifiedAfter);
        // Whatever was chosen, the document now knows the file as it is: a
        // save after Overwrite or Reload asks no more.
        EXPECT_EQ(doc.changedOnDisk(), !c.saved && c.modifiedAfter);
    }
}

}  // namespace
}  // namespace quillon
