// quillon-cli in a build pipeline: the JSON outputs read back by Python's json
// module, dump and build giving banks back byte for byte, relative manifests
// in two checkouts, and a Ninja build driven by the depfile.
#include <gtest/gtest.h>

#include <filesystem>

#include "cli/CliTestKit.h"
#include "support/MpegTools.h"
#include "support/WavBuilder.h"

namespace quillon {
namespace {

namespace fs = std::filesystem;
using test::CliResult;

// A bank of three files with a clone, a set cell and a gap left by a delete,
// and its manifest m.json, relative to the sandbox.
class CliPipeline : public testing::Test {
  protected:
    void SetUp() override {
        if (test::cliPath().empty()) GTEST_FAIL() << "quillon-cli was not built";
        if (!test::haveProgram("python3")) GTEST_SKIP() << "python3 is not installed";
        test::PcmWavSpec door;
        door.subject = "door, \"creak\"";
        door.loop = test::LoopSpec{100, 500};
        fs::create_directories(box.file("wavs"));
        test::writeFile(box.file("wavs/door one.wav"), test::makePcmWav(door));
        for (const char* name : {"wavs/b.wav", "wavs/c.wav"})
            test::writeFile(box.file(name), test::makePcmWav({}));
        ASSERT_TRUE(box.shell(
            "quillon-cli create bank.sad 'wavs/door one.wav' wavs/b.wav wavs/c.wav --who Ann && "
            "quillon-cli clone bank.sad 1 && quillon-cli set bank.sad 4 'Min Dist' 2.5 && "
            "quillon-cli set bank.sad 1 'Play Type' Restart && quillon-cli delete bank.sad 3 && "
            "quillon-cli dump bank.sad --relative-to . >m.json"));
    }

    test::CliSandbox box;
};

TEST_F(CliPipeline, JsonOutputsHoldWhatTheTextOutputsSay) {
    EXPECT_EQ(box.python("print(b['format'], b['who'], b['music'])\n"
                         "for r in b['rows']: print(r['No'], r['Name'], r['Description'], "
                         "r['Min Dist'])\n",
                         box.run({"list", "--json", "bank.sad"}).out),
              "1 Ann False\n1 door one.wav door, \"creak\" *\n2 b.wav  *\n"
              "4 door one.wav  2.500000\n");
    EXPECT_EQ(
        box.python("print('title: %s\\nwho: %s\\nmusic bank: %s' % (b['title'], b['who'], "
                   "'yes' if b['music'] else 'no'))\n"
                   "print('rows: %d\\nrecords: %d\\nambient count: %d' % (b['rows'], "
                   "b['records'], b['ambient']))\n"
                   "for s in b['segments']: print('segment %s: %d' % (s['name'], s['size']))\n",
                   box.run({"info", "bank.sad", "--json"}).out),
        box.run({"info", "bank.sad"}).out);

    // The findings as the text report gives them, the counts first.
    const std::string door = box.file("wavs/door one.wav"), b = box.file("wavs/b.wav");
    const std::string size = std::to_string(fs::file_size(door));
    fs::remove(b);
    fs::resize_file(door, 10);
    const std::string changed = " is 10 bytes, the Size cell says " + size + "\n";
    const std::string findings = "row 1 (door one.wav): " + door + changed + "row 2 (b.wav): " + b +
                                 " is missing\nrow 4 (door one.wav): " + door + changed +
                                 "note: sample numbers missing: 3\n";
    EXPECT_EQ(box.run({"check", "bank.sad"}).out,
              findings + "3 rows checked: 3 problems, 1 note\n");
    CliResult check = box.run({"check", "--json", "bank.sad"});
    EXPECT_EQ(check.status, 1);
    EXPECT_EQ(
        box.python("print(b['rows'], b['errors'], b['notes'])\n"
                   "for f in b['findings']:\n"
                   "    print(('' if f['severity'] == 'error' else 'note: ') + f['message'])\n",
                   check.out),
        "3 3 1\n" + findings);
}

// Every kind of bank comes back byte for byte; with --extract the stored
// audio does, named by the manifest.
TEST_F(CliPipeline, DumpThenBuildGivesEveryBankBack) {
    test::TempFolder streams;
    std::optional<std::string> stream =
        test::makeLayer2Stream(streams, "theme", 44100, 2, 192, 1.0);
    if (!stream) GTEST_SKIP() << "sox or twolame is missing";
    CliResult imported = box.run({"import-mpeg", "mpeg.sad", *stream, "--title", "Theme"});
    ASSERT_EQ(imported.status, 0) << imported.err;
    // The section files were needed only until the save.
    EXPECT_EQ(box.shell("find home/tmp -type f"), "");
    test::writeText(
        box.file("music.json"),
        R"({"format": 1, "title": "", "who": "", "music": true, "rows": [{"no": 1, "source": ")" +
            box.file("wavs/c.wav") + R"("}]})");
    ASSERT_EQ(box.run({"build", "music.json", "-o", "section.sad"}).status, 0);
    for (const char* bank : {"bank.sad", "mpeg.sad", "section.sad"}) {
        SCOPED_TRACE(bank);
        const std::string build = " >d.json && quillon-cli build d.json -o rebuilt.sad && ";
        EXPECT_TRUE(box.shell("quillon-cli dump " + std::string(bank) + build + "cmp " + bank +
                              " rebuilt.sad"));
        ASSERT_TRUE(box.shell("quillon-cli dump " + std::string(bank) +
                              " --extract x --relative-to ." + build + "! cmp -s " + bank +
                              " rebuilt.sad"));
        // Only the stored paths differ: the rows name the extracted files.
        const char withoutLocation[] =
            "for r in b['rows']: r.pop('Location')\n"
            "print(json.dumps(b))\n";
        EXPECT_EQ(box.python(withoutLocation, box.run({"list", "--json", bank}).out),
                  box.python(withoutLocation, box.run({"list", "--json", "rebuilt.sad"}).out));
        EXPECT_EQ(box.run({"check", "rebuilt.sad"}).status, 0);
    }
}

TEST_F(CliPipeline, ARelativeManifestBuildsTheSameBytesInAnotherCheckout) {
    for (std::string checkout : {"one", "two"}) {
        fs::create_directories(box.file(checkout + "/out"));
        fs::copy(box.file("wavs"), box.file(checkout + "/wavs"));
        fs::copy(box.file("m.json"), box.file(checkout + "/m.json"));
        std::string out = checkout + "/out/bank.sad";
        CliResult r = box.run({"build", checkout + "/m.json", "-o", out});
        ASSERT_EQ(r.status, 0) << r.err;
        // The stored paths are relative to the bank: every command reads them there.
        EXPECT_EQ(box.run({"check", out}).status, 0) << checkout;
        EXPECT_EQ(box.run({"refresh", out}).err, "") << checkout;
        EXPECT_EQ(box.run({"add", out, checkout + "/wavs/b.wav"}).status, 1)
            << "a file the bank names relative to itself is already in it";
        EXPECT_EQ(box.run({"dump", out, "--relative-to", checkout}).out,
                  test::readText(box.file("m.json")));
    }
    EXPECT_EQ(test::readFileBytes(box.file("one/out/bank.sad")),
              test::readFileBytes(box.file("two/out/bank.sad")));
}

TEST_F(CliPipeline, NinjaRebuildsABankExactlyWhenAnInputChanged) {
    if (!test::haveProgram("ninja")) GTEST_SKIP() << "ninja is not installed";
    test::writeText(box.file("build.ninja"),
                    "rule bank\n"
                    "  command = quillon-cli build $in -o $out --depfile $out.d\n"
                    "  depfile = $out.d\n"
                    "  deps = gcc\n"
                    "build out.sad: bank m.json\n");
    // Inputs older than any output, so that a touch makes one the newest.
    ASSERT_TRUE(box.shell("touch -d '-1 hour' m.json wavs/*"));
    ASSERT_TRUE(box.shell("ninja")) << test::readText(box.file("shell.log"));
    EXPECT_NE(box.shell("ninja").value_or("").find("no work to do"), std::string::npos);
    ASSERT_TRUE(box.shell("touch 'wavs/door one.wav'"));
    EXPECT_EQ(box.shell("ninja").value_or("no work to do").find("no work to do"),
              std::string::npos);
    ASSERT_EQ(box.run({"build", "m.json", "-o", "direct.sad"}).status, 0);
    EXPECT_EQ(test::readFileBytes(box.file("out.sad")),
              test::readFileBytes(box.file("direct.sad")));
}

// A run waits, and says so, while another holds its bank's folder: pipeline
// steps on one bank take turns.
TEST_F(CliPipeline, ARunWaitsForAnotherInTheBanksFolder) {
    ASSERT_TRUE(
        box.shell("flock . sh -c 'touch held; for i in $(seq 600); do [ -s err ] && "
                  "break; sleep 0.05; done' & for i in $(seq 600); do [ -e held ] && "
                  "break; sleep 0.05; done; quillon-cli set " +
                  test::shellWord(box.file("bank.sad")) + " 2 Volume 55 2>err && wait"));
    EXPECT_EQ(test::readText(box.file("err")),
              "quillon-cli: waiting for another run on a bank in " + box.path() + " to finish\n");
}

}  // namespace
}  // namespace quillon
