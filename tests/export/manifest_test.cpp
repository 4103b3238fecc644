// The manifest reader's refusals and the depfile's spelling: the two texts a
// build system hands us and reads from us; the commands, and a manifest read
// back whole, are tested end to end in tests/cli.
#include <gtest/gtest.h>

#include "export/Manifest.h"

namespace quillon {
namespace {

TEST(Manifest, RefusesWhatItCannotBuildAndSaysWhere) {
    // clang-format off
    const std::pair<std::string, std::string> cases[] = {
        {"1,", "parse error at line 1, column 14"}, {"1E999}", "number overflow parsing '1E999'"},
        {"2, \"rows\": []}", "manifest.format: version 2 is not known here (this tool reads 1 to 1)"},
        {"1, \"rows\": [], \"titel\": \"x\"}", "manifest: has no member \"titel\""},
        {"1, \"rows\": [{\"no\": 1}]}", "manifest.rows[0].source: must name a file"},
        {"1, \"rows\": [{\"no\": 1, \"source\": \"a\", \"cells\": {\"Size\": \"1\"}}]}",
         "manifest.rows[0].cells: \"Size\" is no column that can be set"},
        {"1, \"mpeg\": \"a.mp2\", \"rows\": []}", "manifest.mpeg: is only for a music bank"}};
    // clang-format on
    for (const auto& [text, error] : cases) {
        ManifestRead read = readManifest("{\"format\": " + text);
        EXPECT_FALSE(read.manifest) << text;
        EXPECT_EQ(read.error.substr(0, error.size()), error) << text;
    }
}

TEST(Manifest, DepfileEscapesWhatMakeAndNinjaWouldSplitOrExpand) {
    EXPECT_EQ(makeDepfile("out/my bank.sad", {"/m/a b.wav", "/m/#1.wav", "/m/$x.wav"}),
              "out/my\\ bank.sad: \\\n  /m/a\\ b.wav \\\n  /m/\\#1.wav \\\n  /m/$$x.wav\n");
}

}  // namespace
}  // namespace quillon
