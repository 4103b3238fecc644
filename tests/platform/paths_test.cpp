#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

#include "platform/Paths.h"
#include "support/TempFolder.h"

namespace quillon {
namespace {

TEST(Paths, SplittingAndJoiningGiveThePathBack) {
    struct Case {
        const char* path;
        const char* folder;
        const char* name;
    };
    for (Case c :
         {Case{"/snd/wavs/door.wav", "/snd/wavs", "door.wav"}, Case{"/door.wav", "/", "door.wav"},
          Case{"door.wav", "", "door.wav"}, Case{"c:\\wavs\\door.wav", "c:\\wavs", "door.wav"},
          Case{"/snd/mixed\\door.wav", "/snd/mixed", "door.wav"}}) {
        PathParts parts = splitAtLastSeparator(c.path);
        EXPECT_EQ(parts.folder, c.folder) << c.path;
        EXPECT_EQ(parts.name, c.name) << c.path;
    }
    EXPECT_EQ(joinPath("/", "door.wav"), "/door.wav");
    EXPECT_EQ(joinPath("/snd/", "door.wav"), "/snd/door.wav");
    EXPECT_EQ(joinPath("", "door.wav"), "door.wav");
}

// The private temporary folder is refused when anyone else could use it.
// A bank stores paths relative to its folder and reads them back from there.
TEST(Paths, RelativePathsRoundTripThroughAFolder) {
    struct Case {
        const char* name;
        const char* path;
        const char* folder;
        const char* relative;
    };
    const Case cases[] = {
        {"beside", "/c/out/a.wav", "/c/out", "a.wav"},
        {"up and down", "/c/wavs/a.wav", "/c/out", "../wavs/a.wav"},
        {"unnormalised", "/c/x/../wavs/a.wav", "/c/out/", "../wavs/a.wav"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(relativePath(c.path, c.folder), c.relative) << c.name;
        EXPECT_EQ(resolvePath("/c/out", c.relative), std::string("/c/out/") + c.relative) << c.name;
    }
    EXPECT_EQ(resolvePath("/c/out", "/abs/a.wav"), "/abs/a.wav");
    EXPECT_EQ(resolvePath("/c/out", ""), "/c/out");
}

TEST(Paths, PrivateTemporaryFolderIsOwnedAndClosedToOthers) {
    test::TempFolder dir;
    const char* old = std::getenv("TMPDIR");
    std::string saved = old ? old : "";
    ::setenv("TMPDIR", dir.path().c_str(), 1);
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
    if (old)
        ::setenv("TMPDIR", saved.c_str(), 1);
    else
        ::unsetenv("TMPDIR");
}

}  // namespace
}  // namespace quillon
