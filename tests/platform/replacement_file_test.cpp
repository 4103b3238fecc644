// A replacement file takes its target's place whole or not at all: until it
// is committed, and after any failure, the target stays byte for byte.
#include "platform/ReplacementFile.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <string>
#include <vector>

#include "support/TempFolder.h"

namespace quillon {
namespace {

namespace fs = std::filesystem;
using test::TempFolder;

std::string readAll(const std::string& path) {
    std::vector<uint8_t> bytes = test::readFileBytes(path);
    return std::string(bytes.begin(), bytes.end());
}

void writeAll(const std::string& path, const std::string& text) {
    test::writeFileBytes(path, std::vector<uint8_t>(text.begin(), text.end()));
}

mode_t modeOf(const std::string& path) {
    struct stat st {};
    EXPECT_EQ(::stat(path.c_str(), &st), 0) << path;
    return st.st_mode & 07777;
}

TEST(ReplacementFile, TheTargetChangesOnlyOnCommit) {
    TempFolder dir;
    std::string target = dir.file("out.h");
    writeAll(target, "old");
    {
        ReplacementFile file(target);
        ASSERT_TRUE(file.ready());
        ASSERT_TRUE(file.write("new contents"));
        EXPECT_EQ(readAll(target), "old");
        ASSERT_TRUE(file.commit());
    }
    EXPECT_EQ(readAll(target), "new contents");
    EXPECT_EQ(test::namesIn(dir.path()), std::vector<std::string>{"out.h"});

    ReplacementFile fresh(dir.file("new.h"));
    ASSERT_TRUE(fresh.ready());
    ASSERT_TRUE(fresh.write(""));
    ASSERT_TRUE(fresh.commit());
    EXPECT_EQ(readAll(dir.file("new.h")), "");
}

TEST(ReplacementFile, ADiscardedFileLeavesTheTargetAndNothingBeside) {
    for (bool explicitly : {true, false}) {
        TempFolder dir;
        std::string target = dir.file("out.h");
        writeAll(target, "old");
        {
            ReplacementFile file(target);
            ASSERT_TRUE(file.ready());
            ASSERT_TRUE(file.write("half"));
            if (explicitly) {
                file.discard();
                EXPECT_FALSE(file.commit());  // nothing is left to put in place
            }
        }
        EXPECT_EQ(readAll(target), "old") << explicitly;
        EXPECT_EQ(test::namesIn(dir.path()), std::vector<std::string>{"out.h"}) << explicitly;
    }
}

// Root may write past any permission, but not past a file-size limit: a
// write cut short there stands for a full disk.
TEST(ReplacementFile, AWriteCutShortLeavesTheTargetByteForByte) {
    TempFolder dir;
    std::string target = dir.file("out.h");
    writeAll(target, "the old file, longer than the limit");
    pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        struct rlimit limit {
            8, 8
        };
        ::setrlimit(RLIMIT_FSIZE, &limit);
        bool failedAsExpected = false;
        {
            ReplacementFile file(target);
            bool written = file.ready() && file.write(std::string(64, 'x'));
            failedAsExpected = file.ready() && !written && !file.commit();
        }
        ::_exit(failedAsExpected ? 0 : 1);  // no destructors run past here
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(readAll(target), "the old file, longer than the limit");
    EXPECT_EQ(test::namesIn(dir.path()), std::vector<std::string>{"out.h"});
}

// A link names the file to replace; the new file is made in that file's
// folder, so the rename stays within one file system and the link stays.
TEST(ReplacementFile, ALinkTargetReplacesTheFileItNames) {
    TempFolder dir;
    fs::create_directories(dir.file("real"));
    fs::create_directories(dir.file("links"));
    std::string real = dir.file("real/out.h");
    std::string link = dir.file("links/out.h");
    writeAll(real, "old");
    fs::create_symlink(real, link);
    ReplacementFile file(link);
    ASSERT_TRUE(file.ready());
    EXPECT_EQ(file.target(), real);
    ASSERT_TRUE(file.write("new"));
    ASSERT_TRUE(file.commit());
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(fs::read_symlink(link), real);
    EXPECT_EQ(readAll(real), "new");
    EXPECT_EQ(test::namesIn(dir.file("real")), std::vector<std::string>{"out.h"});
    EXPECT_EQ(test::namesIn(dir.file("links")), std::vector<std::string>{"out.h"});
}

TEST(ReplacementFile, TheReplacedFilesPermissionsAndGroupAreKept) {
    TempFolder dir;
    std::string target = dir.file("out.h");
    for (mode_t mode : {mode_t(0640), mode_t(0604), mode_t(02755)}) {
        writeAll(target, "old");
        // Only the superuser may give a file a group it is not in. The group
        // before the mode: a new group clears the set-group bit.
        gid_t group = ::getuid() == 0 ? gid_t(4242) : ::getgid();
        ASSERT_EQ(::chown(target.c_str(), uid_t(-1), group), 0);
        ASSERT_EQ(::chmod(target.c_str(), mode), 0);
        ReplacementFile file(target);
        ASSERT_TRUE(file.ready());
        EXPECT_TRUE(file.keptGroup());
        ASSERT_TRUE(file.write("new"));
        ASSERT_TRUE(file.commit());
        struct stat st {};
        ASSERT_EQ(::stat(target.c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 07777, mode) << std::oct << mode;
        EXPECT_EQ(st.st_gid, group);
        EXPECT_EQ(readAll(target), "new");
    }
}

// A folder, pipe or device would be replaced by a file rather than written
// into, and a file without write permission is meant to be left alone.
TEST(ReplacementFile, WhatMayNotBeReplacedIsRefusedUntouched) {
    TempFolder dir;
    fs::create_directories(dir.file("folder"));
    ASSERT_EQ(::mkfifo(dir.file("pipe").c_str(), 0644), 0);
    writeAll(dir.file("locked"), "old");
    ASSERT_EQ(::chmod(dir.file("locked").c_str(), 0444), 0);
    fs::create_symlink(dir.file("folder"), dir.file("link"));
    struct Case {
        std::string target;
        ReplacementFile::Status status;
    };
    for (const Case& c : {Case{dir.file("folder"), ReplacementFile::Status::NotAFile},
                          Case{dir.file("pipe"), ReplacementFile::Status::NotAFile},
                          Case{dir.file("link"), ReplacementFile::Status::NotAFile},
                          Case{"/dev/null", ReplacementFile::Status::NotAFile},
                          Case{dir.file("locked"), ReplacementFile::Status::ReadOnly},
                          Case{dir.file("nowhere/out.h"), ReplacementFile::Status::CannotCreate}}) {
        ReplacementFile file(c.target);
        EXPECT_EQ(file.status(), c.status) << c.target;
        EXPECT_FALSE(file.write("new")) << c.target;
        EXPECT_FALSE(file.commit()) << c.target;
    }
    EXPECT_TRUE(fs::is_directory(dir.file("folder")));
    EXPECT_TRUE(fs::is_fifo(dir.file("pipe")));
    EXPECT_TRUE(fs::is_symlink(dir.file("link")));
    EXPECT_EQ(readAll(dir.file("locked")), "old");
    EXPECT_EQ(modeOf(dir.file("locked")), mode_t(0444));
    EXPECT_EQ(test::namesIn(dir.path()),
              (std::vector<std::string>{"folder", "link", "locked", "pipe"}));
}

// Whoever can write the folder could plant a link under the name the new
// file would take, to make this program write where the link points. Such
// a name is passed over.
TEST(ReplacementFile, ALinkPlantedUnderTheNewFilesNameIsNeverFollowed) {
    TempFolder dir;
    std::string victim = dir.file("victim");
    writeAll(victim, "keep");
    std::string planted = dir.file(".quillon-new-" + std::to_string(::getpid()) + "-0");
    fs::create_symlink(victim, planted);
    ReplacementFile file(dir.file("out.h"));
    ASSERT_TRUE(file.ready());
    ASSERT_TRUE(file.write("new"));
    ASSERT_TRUE(file.commit());
    EXPECT_EQ(readAll(victim), "keep");
    EXPECT_TRUE(fs::is_symlink(planted));
    EXPECT_EQ(readAll(dir.file("out.h")), "new");
}

}  // namespace
}  // namespace quillon
