#include "platform/Paths.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>

#include "support/TempFolder.h"

namespace quillon {
namespace {

// Paths stored by other systems may use "\"; a file in the root keeps "/".
TEST(Paths, SplittingAndJoiningGiveThePathBack) {
    // clang-format off
    const std::array<const char*, 3> cases[] = {
        {"/snd/wavs/door.wav", "/snd/wavs", "door.wav"}, {"/door.wav", "/", "door.wav"},
        {"door.wav", "", "door.wav"}, {"c:\\wavs\\door.wav", "c:\\wavs", "door.wav"},
        {"/snd/mixed\\door.wav", "/snd/mixed", "door.wav"}};
    // clang-format on
    for (auto [path, folder, name] : cases) {
        PathParts parts = splitAtLastSeparator(path);
        EXPECT_EQ(parts.folder, folder) << path;
        EXPECT_EQ(parts.name, name) << path;
    }
    EXPECT_EQ(splitLocalPath("/snd/a\\b.wav").name, "a\\b.wav");
    EXPECT_EQ(joinPath("/", "door.wav"), "/door.wav");
    EXPECT_EQ(joinPath("/snd/", "door.wav"), "/snd/door.wav");
    EXPECT_EQ(joinPath("", "door.wav"), "door.wav");
}

// A bank stores paths relative to its folder and reads them back from there.
TEST(Paths, RelativePathsRoundTripThroughAFolder) {
    for (auto [path, folder, relative] : {std::array{"/c/out/a.wav", "/c/out", "a.wav"},
                                          {"/c/wavs/a.wav", "/c/out", "../wavs/a.wav"},
                                          {"/c/x/../wavs/a.wav", "/c/out/", "../wavs/a.wav"}}) {
        EXPECT_EQ(relativePath(path, folder), relative) << path;
        EXPECT_EQ(resolvePath("/c/out", relative), std::string("/c/out/") + relative) << path;
    }
    EXPECT_EQ(resolvePath("/c/out", "/abs/a.wav"), "/abs/a.wav");
    EXPECT_EQ(resolvePath("/c/out", ""), "/c/out");
}

// The private temporary folder is refused when anyone else could use it, or
// when a link stands under its name.
TEST(Paths, PrivateTemporaryFolderIsOwnedAndClosedToOthers) {
    test::TempFolder dir;
    test::ScopedTmpDir tmp(dir.path());
    std::optional<std::string> folder = privateTempFolder();
    ASSERT_TRUE(folder);
    struct stat st {};
    ASSERT_EQ(::stat(folder->c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    ::chmod(folder->c_str(), 0755);
    EXPECT_FALSE(privateTempFolder());
    ::rmdir(folder->c_str());
    ASSERT_EQ(::symlink(dir.path().c_str(), folder->c_str()), 0);
    EXPECT_FALSE(privateTempFolder());
}

}  // namespace
}  // namespace quillon
