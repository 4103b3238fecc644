// The two texts a build system reads from us: the manifest reader's refusals and
// the depfile's spelling. The commands are tested end to end in tests/cli.
#include <gtest/gtest.h>

#include "export/Manifest.h"

namespace quillon {
namespace {

TEST(Manifest, RefusesWhatItCannotBuildAndSaysWhere) {
    struct Case {
        const char* name;
        const char* text;
        const char* error;
    };
    // clang-format off
    const Case cases[] = {
        {"not JSON", R"({"format": 1,)", "parse error at line 1, column 14"},
        {"number past every type", R"({"format": 1E999})", "number overflow parsing '1E999'"},
        {"newer format", R"({"format": 2, "rows": []})",
         "manifest.format: version 2 is not known here (this tool reads 1 to 1)"},
        {"unknown member", R"({"format": 1, "rows": [], "titel": "x"})", "manifest: has no member \"titel\""},
        {"row without source", R"({"format": 1, "rows": [{"no": 1}]})", "manifest.rows[0].source: must name a file"},
        {"cell that cannot be set", R"({"format": 1, "rows": [{"no": 1, "source": "a.wav", "cells": {"Size": "1"}}]})",
         "manifest.rows[0].cells: \"Size\" is no column that can be set"},
        {"mpeg in a sample bank", R"({"format": 1, "mpeg": "a.mp2", "rows": []})", "manifest.mpeg: is only for a music bank"},
    };
    // clang-format on
    for (const Case& c : cases) {
        ManifestRead read = readManifest(c.text);
        EXPECT_FALSE(read.manifest) << c.name;
        EXPECT_EQ(read.error.substr(0, std::string(c.error).size()), c.error) << c.name;
    }
}

TEST(Manifest, DepfileEscapesWhatMakeAndNinjaWouldSplitOrExpand) {
    EXPECT_EQ(makeDepfile("out/my bank.sad", {"/m/a b.wav", "/m/#1.wav", "/m/$x.wav"}),
              "out/my\\ bank.sad: \\\n  /m/a\\ b.wav \\\n  /m/\\#1.wav \\\n  /m/$$x.wav\n");
}

}  // namespace
}  // namespace quillon
