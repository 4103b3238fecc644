#include "platform/Paths.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "support/TempFolder.h"

namespace quillon {
namespace {

// Paths stored by other systems may use "\"; a file in the root keeps "/".
TEST(Paths, SplittingAndJoiningGiveThePathBack) {
    // clang-format off
    const std::pair<const char*, const char*> cases[] = {{"/snd/a.wav", "/snd|a.wav"},
        {"/a.wav", "/|a.wav"}, {"a.wav", "|a.wav"}, {"c:\\wavs\\a.wav", "c:\\wavs|a.wav"}};
    // clang-format on
    for (auto [path, parts] : cases) {
        PathParts split = splitAtLastSeparator(path);
        EXPECT_EQ(split.folder + "|" + split.name, parts) << path;
    }
    EXPECT_EQ(splitLocalPath("/snd/a\\b.wav").name, "a\\b.wav");
    EXPECT_EQ(joinPath("/snd/", "door.wav"), "/snd/door.wav");
    EXPECT_EQ(relativePath("/c/x/../wavs/a.wav", "/c/out/"), "../wavs/a.wav");
    EXPECT_EQ(resolvePath("/c/out", "../a.wav"), "/c/out/../a.wav");
    EXPECT_EQ(resolvePath("/c/out", "/a.wav"), "/a.wav");
}

// The temporary bank never goes where others could reach it: a folder they
// can enter, or a link planted under the folder's name, is refused.
TEST(Paths, PrivateTemporaryFolderIsRefusedWhenOthersCouldReachIt) {
    test::TempFolder dir;
    test::ScopedTmpDir tmp(dir.path());
    const std::optional<std::string> folder = privateTempFolder();
    ASSERT_TRUE(folder);
    ::chmod(folder->c_str(), 0755);
    EXPECT_FALSE(privateTempFolder());
    ::rmdir(folder->c_str());
    ASSERT_EQ(::symlink(dir.path().c_str(), folder->c_str()), 0);
    EXPECT_FALSE(privateTempFolder());
}

}  // namespace
}  // namespace quillon
