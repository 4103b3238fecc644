#include "platform/Paths.h"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace quillon
