// A replacement file takes its target's place whole or not at all: until it
// is committed, and after any failure, the target stays byte for byte. (A
// write cut short by a full disk is pinned through every export, in
// tests/export/export_replace_test.cpp.)
#include "platform/ReplacementFile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/TempFolder.h"

namespace quillon {
namespace {

namespace fs = std::filesystem;
using Names = std::vector<std::string>;

std::string readAll(const std::string& path) {
    std::vector<uint8_t> bytes = test::readFileBytes(path);
    return std::string(bytes.begin(), bytes.end());
}

void writeAll(const std::string& path, const std::string& text) {
    test::writeFileBytes(path, std::vector<uint8_t>(text.begin(), text.end()));
}

// Committed, discarded, or dropped without either. Whoever can write the
// folder could plant a link under the name the new file would take, to make
// this program write where the link points: such a name is passed over.
TEST(ReplacementFile, TheTargetChangesOnlyOnCommit) {
    test::TempFolder dir;
    const std::string target = dir.file("out.h");
    writeAll(dir.file("victim"), "keep");
    fs::create_symlink("victim", dir.file(".quillon-new-" + std::to_string(::getpid()) + "-0"));
    for (const std::string way : {"drop", "discard", "commit"}) {
        writeAll(target, "old");
        {
            ReplacementFile file(target);
            ASSERT_TRUE(file.write("new"));
            EXPECT_EQ(readAll(target), "old");
            if (way == "discard") file.discard();  // then nothing is left to put in place
            const bool committed = way != "drop" && file.commit();
            EXPECT_EQ(committed, way == "commit");
        }
        EXPECT_EQ(readAll(target), way == "commit" ? "new" : "old") << way;
        EXPECT_EQ(test::namesIn(dir.path()).size(), 3u) << way;
    }
    EXPECT_EQ(readAll(dir.file("victim")), "keep");
}

// The new file is made in the folder of the file a link names, so the rename
// stays within one file system and the link stays. A file replaced keeps its
// mode and group (the group before the mode: a new group clears the
// set-group bit); an owner-only file is this user's alone, new or not.
TEST(ReplacementFile, ALinkTargetReplacesTheFileItNamesKeepingItsModeAndGroup) {
    test::TempFolder dir;
    const std::string target = dir.file("out.h"), link = dir.file("links/out.h");
    fs::create_directories(dir.file("links"));
    fs::create_symlink(target, link);
    using Access = ReplacementFile::Access;
    // clang-format off
    const std::tuple<int, Access, int> cases[] = {{0640, Access::AsTarget, 0640},
        {02755, Access::AsTarget, 02755}, {0644, Access::OwnerOnly, 0600}, {-1, Access::OwnerOnly, 0600}};
    // clang-format on
    for (auto [mode, access, kept] : cases) {
        SCOPED_TRACE(mode);
        fs::remove(target);
        gid_t group = ::getuid() == 0 ? gid_t(4242) : ::getgid();
        if (mode >= 0) {
            writeAll(target, "old");
            ASSERT_EQ(::chown(target.c_str(), uid_t(-1), group), 0);
            ASSERT_EQ(::chmod(target.c_str(), mode_t(mode)), 0);
        }
        ReplacementFile file(mode >= 0 ? link : target, access);  // a dangling link is replaced
        EXPECT_EQ(file.target(), target);
        EXPECT_TRUE(file.keptGroup());
        ASSERT_TRUE(file.write("new") && file.commit());
        struct stat st {};
        ASSERT_EQ(::stat(target.c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 07777, mode_t(kept));
        EXPECT_TRUE(access == Access::OwnerOnly || st.st_gid == group);
        EXPECT_TRUE(fs::is_symlink(link));
        EXPECT_EQ(test::namesIn(dir.path()), (Names{"links", "out.h"}));
    }
}

// A folder or device would be replaced by a file rather than written into,
// and a file without write permission is meant to be left alone.
TEST(ReplacementFile, WhatMayNotBeReplacedIsRefusedUntouched) {
    test::TempFolder dir;
    fs::create_directories(dir.file("folder"));
    writeAll(dir.file("locked"), "old");
    ASSERT_EQ(::chmod(dir.file("locked").c_str(), 0444), 0);
    using Status = ReplacementFile::Status;
    for (auto [path, status] : {std::pair{dir.file("folder"), Status::NotAFile},
                                {std::string("/dev/null"), Status::NotAFile},
                                {dir.file("locked"), Status::ReadOnly},
                                {dir.file("nowhere/out.h"), Status::CannotCreate}}) {
        ReplacementFile file(path);
        EXPECT_EQ(file.status(), status) << path;
        EXPECT_FALSE(file.write("new") || file.commit()) << path;
    }
    EXPECT_EQ(readAll(dir.file("locked")), "old");
    EXPECT_EQ(test::namesIn(dir.path()), (Names{"folder", "locked"}));
}

}  // namespace
}  // namespace quillon
