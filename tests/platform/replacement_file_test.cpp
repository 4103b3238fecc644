// Whole or not at all; a write cut short is pinned through every export in tests/export.
#include "platform/ReplacementFile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "support/TempFolder.h"

namespace quillon {
namespace {

namespace fs = std::filesystem;
using Names = std::vector<std::string>;

std::string readAll(const std::string& path) {
    std::vector<uint8_t> bytes = test::readFileBytes(path);
    return std::string(bytes.begin(), bytes.end());
}

// A link planted under the new file's name would redirect the write: it is passed over.
TEST(ReplacementFile, TheTargetChangesOnlyOnCommit) {
    test::TempFolder dir;
    const std::string target = dir.file("out.h");
    test::writeFile(dir.file("victim"), {'k'});
    fs::create_symlink("victim", dir.file(".quillon-new-" + std::to_string(::getpid()) + "-0"));
    for (const std::string way : {"drop", "discard", "commit"}) {
        test::writeFile(target, {'o', 'l', 'd'});
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
    EXPECT_EQ(readAll(dir.file("victim")), "k");
}

// The group before the mode: a new group clears the set-group bit.
TEST(ReplacementFile, ALinkTargetReplacesTheFileItNamesKeepingItsModeAndGroup) {
    test::TempFolder dir;
    const std::string target = dir.file("out.h"), link = dir.file("links/out.h");
    fs::create_directories(dir.file("links"));
    fs::create_symlink(target, link);
    using Access = ReplacementFile::Access;
    const gid_t group = ::getuid() == 0 ? gid_t(4242) : ::getgid();
    // clang-format off
    const std::tuple<int, Access, int> cases[] = {
        {0640, Access::AsTarget, 0640}, {02755, Access::AsTarget, 02755},
        {0644, Access::OwnerOnly, 0600}, {-1, Access::OwnerOnly, 0600}};
    // clang-format on
    for (auto [mode, access, kept] : cases) {
        fs::remove(target);
        if (mode >= 0) {
            test::writeFile(target, {'o'});
            ASSERT_EQ(::chown(target.c_str(), uid_t(-1), group), 0);
            ASSERT_EQ(::chmod(target.c_str(), mode_t(mode)), 0);
        }
        ReplacementFile file(mode >= 0 ? link : target, access);  // a dangling link is replaced
        ASSERT_TRUE(file.keptGroup() && file.write("new") && file.commit());
        struct stat st {};
        ASSERT_EQ(::stat(target.c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 07777, mode_t(kept)) << mode;
        EXPECT_TRUE(access == Access::OwnerOnly || st.st_gid == group) << mode;
    }
    EXPECT_TRUE(fs::is_symlink(link));
}

TEST(ReplacementFile, WhatMayNotBeReplacedIsRefusedUntouched) {
    test::TempFolder dir;
    fs::create_directories(dir.file("folder"));
    test::writeFile(dir.file("locked"), {'o'});
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
    EXPECT_EQ(readAll(dir.file("locked")), "o");
    EXPECT_EQ(test::namesIn(dir.path()), (Names{"folder", "locked"}));
}

}  // namespace
}  // namespace quillon
