// quillon-cli in a build pipeline: the JSON outputs read back by Python's json
// module, dump and build giving banks back byte for byte, relative manifests
// in two checkouts, and real Ninja and CMake builds driven by the depfile.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "bank/QuillonDoc.h"
#include "cli/CliTestKit.h"
#include "operations/SampleOps.h"
#include "support/FakeShell.h"
#include "support/MpegTools.h"
#include "support/WavBuilder.h"

namespace quillon {
namespace {

namespace fs = std::filesystem;
using test::CliResult;
using test::CliSandbox;

// Writes a JSON list's rows back as CSV records, after a record of the first
// row's keys, for CliSandbox::readCsv to compare with the list's own CSV.
const char kListRows[] =
    "import csv, json, sys\n"
    "bank = json.load(open(sys.argv[1]))\n"
    "assert bank['format'] == 1 and bank['music'] is False\n"
    "out = csv.writer(sys.stdout, lineterminator='\\n')\n"
    "out.writerow(bank['rows'][0].keys())\n"
    "for row in bank['rows']: out.writerow(row.values())\n";

class CliPipeline : public testing::Test {
  protected:
    void SetUp() override {
        if (test::cliPath().empty()) GTEST_FAIL() << "quillon-cli was not built";
        if (!test::havePython()) GTEST_SKIP() << "python3 is not installed";
        test::PcmWavSpec door;
        door.subject = "door, \"creak\"";
        door.comment = "ZQ_PRIORITY=7 ZQ_GROUP=3";
        write("wavs/door one.wav", door);
        write("wavs/b.wav", {});
        write("wavs/c.wav", {});
    }

    void write(const std::string& name, const test::PcmWavSpec& spec) {
        fs::create_directories(fs::path(box.file(name)).parent_path());
        test::writeFile(box.file(name), test::makePcmWav(spec));
    }

    // A bank of three files, a clone, set cells and a gap left by a delete.
    void makeSampleBank(const std::string& bank) {
        for (const std::vector<std::string>& step : std::vector<std::vector<std::string>>{
                 {"create", bank, "wavs/door one.wav", "wavs/b.wav", "wavs/c.wav", "--who", "Ann"},
                 {"clone", bank, "1"},
                 {"set", bank, "4", "Min Dist", "2.5"},
                 {"set", bank, "2", "PitchVar", "30"},
                 {"set", bank, "1", "Play Type", "Restart"},
                 {"delete", bank, "3"}}) {
            CliResult r = box.run(step);
            ASSERT_EQ(r.status, 0) << step[0] << ": " << r.err;
        }
    }

    std::string dumpBuildCompare(const std::string& bank, const std::vector<std::string>& options) {
        std::vector<std::string> dump = {"dump", bank};
        dump.insert(dump.end(), options.begin(), options.end());
        CliResult dumped = box.run(dump, box.file("m.json"));
        if (dumped.status != 0) return "dump: " + dumped.err;
        CliResult built = box.run({"build", "m.json", "-o", "rebuilt.sad"});
        if (built.status != 0) return "build: " + built.err;
        return test::readFileBytes(bank) == test::readFileBytes(box.file("rebuilt.sad"))
                   ? ""
                   : "the rebuilt bank differs";
    }

    CliSandbox box;
    std::string bank = box.file("bank.sad");
};

TEST_F(CliPipeline, JsonOutputsHoldWhatTheTextOutputsSay) {
    makeSampleBank(bank);
    CliResult csv = box.run({"list", bank});
    CliResult json = box.run({"list", "--json", bank});
    ASSERT_EQ(json.status, 0) << json.err;
    std::optional<std::string> rows = box.python(kListRows, json.out);
    ASSERT_TRUE(rows);
    std::optional<std::vector<std::vector<std::string>>> expected = box.readCsv(csv.out);
    std::optional<std::vector<std::vector<std::string>>> got = box.readCsv(*rows);
    ASSERT_TRUE(expected && got);
    expected->pop_back();  // the count line
    (*expected)[0] = (*got)[0];
    EXPECT_EQ(*got, *expected);
    EXPECT_EQ((*got)[0][20], "\xC2\xB1 Pitch");
    EXPECT_EQ((*got)[1][8], "door, \"creak\"");

    CliResult text = box.run({"info", bank});
    CliResult info = box.run({"info", bank, "--json"});
    ASSERT_EQ(info.status, 0) << info.err;
    std::optional<std::string> infoLines = box.python(
        "import json, sys\n"
        "b = json.load(open(sys.argv[1]))\n"
        "print('title: ' + b['title']); print('who: ' + b['who'])\n"
        "print('music bank: ' + ('yes' if b['music'] else 'no'))\n"
        "print('rows: %d' % b['rows']); print('records: %d' % b['records'])\n"
        "print('ambient count: %d' % b['ambient'])\n"
        "for s in b['segments']: print('segment %s: %d' % (s['name'], s['size']))\n",
        info.out);
    ASSERT_TRUE(infoLines);
    EXPECT_EQ(*infoLines, text.out);

    const char findings[] =
        "import json, sys\n"
        "c = json.load(open(sys.argv[1]))\n"
        "print(c['rows'], c['errors'], c['notes'])\n"
        "for f in c['findings']: print(f['severity'], f['row'], f['file'])\n";
    CliResult gap = box.run({"check", "--json", bank});
    EXPECT_EQ(gap.status, 0) << gap.out;
    EXPECT_EQ(box.python(findings, gap.out), "3 0 1\nnote None None\n");
    fs::remove(box.file("wavs/b.wav"));
    CliResult missing = box.run({"check", "--json", bank});
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(box.python(findings, missing.out),
              "3 1 1\nerror 2 " + box.file("wavs/b.wav") + "\nnote None None\n");
    EXPECT_EQ(box.run({"check", bank}).out,
              "row 2 (b.wav): " + box.file("wavs/b.wav") +
                  " is missing\nnote: sample numbers missing: 3\n3 rows checked: 1 problem, 1 "
                  "note\n");
}

// Every kind of bank the tests make comes back byte for byte; with --extract
// the stored audio does, named by the manifest.
TEST_F(CliPipeline, DumpThenBuildGivesEveryBankBack) {
    test::TempFolder streams;
    std::optional<std::string> stream =
        test::makeLayer2Stream(streams, "theme", 44100, 2, 192, 1.0);
    struct Case {
        const char* name;
        std::function<void(const std::string&)> make;
    };
    const Case cases[] = {
        {"sample bank with clone, cells and gap", [&](const std::string& b) { makeSampleBank(b); }},
        {"music bank imported from MPEG",
         [&](const std::string& b) {
             ASSERT_TRUE(stream) << "sox or twolame is missing";
             ASSERT_EQ(box.run({"import-mpeg", b, *stream, "--title", "Theme"}).status, 0);
         }},
        {"music bank of a WAV section",
         [&](const std::string& b) {
             test::FakeShell shell;
             CQuillonDoc doc(shell, nullptr);
             doc.OnNewDocument();
             ASSERT_TRUE(addWaveFiles(doc, {box.file("wavs/b.wav")}));
             doc.setMusicBank(true);
             ASSERT_TRUE(doc.OnSaveDocument(b));
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string made = box.file(std::string(c.name) + ".sad");
        c.make(made);
        EXPECT_EQ(dumpBuildCompare(made, {}), "");
        ASSERT_EQ(dumpBuildCompare(made, {"--extract", "extracted", "--relative-to", "."}),
                  "the rebuilt bank differs");
        // Only the stored paths differ: the rows name the extracted files.
        std::string original = box.run({"list", "--json", made}).out;
        std::string rebuilt = box.run({"list", "--json", "rebuilt.sad"}).out;
        const char withoutLocation[] =
            "import json, sys\n"
            "b = json.load(open(sys.argv[1]))\n"
            "for r in b['rows']: r.pop('Location')\n"
            "print(json.dumps(b))\n";
        EXPECT_EQ(box.python(withoutLocation, original), box.python(withoutLocation, rebuilt));
        EXPECT_EQ(box.run({"check", "rebuilt.sad"}).status, 0);
    }
}

TEST_F(CliPipeline, ARelativeManifestBuildsTheSameBytesInAnotherCheckout) {
    makeSampleBank(bank);
    ASSERT_EQ(box.run({"dump", bank, "--relative-to", "."}, box.file("m.json")).status, 0);
    EXPECT_NE(test::readText(box.file("m.json")).find("\"source\": \"wavs/door one.wav\""),
              std::string::npos);
    for (const char* checkout : {"one", "two"}) {
        fs::create_directories(box.file(checkout));
        fs::copy(box.file("wavs"), box.file(std::string(checkout) + "/wavs"));
        fs::copy(box.file("m.json"), box.file(std::string(checkout) + "/m.json"));
        std::string out = std::string(checkout) + "/out/bank.sad";
        fs::create_directories(box.file(std::string(checkout) + "/out"));
        CliResult r = box.run({"build", std::string(checkout) + "/m.json", "-o", out});
        ASSERT_EQ(r.status, 0) << r.err;
        // The stored paths are relative to the bank: every command reads them there.
        EXPECT_EQ(box.run({"check", out}).status, 0) << checkout;
        EXPECT_EQ(box.run({"refresh", out}).err, "") << checkout;
        EXPECT_EQ(box.run({"add", out, std::string(checkout) + "/wavs/b.wav"}).status, 1)
            << "a file the bank names relative to itself is already in it";
        EXPECT_EQ(box.run({"dump", out, "--relative-to", checkout}).out,
                  test::readText(box.file("m.json")));
    }
    EXPECT_EQ(test::readFileBytes(box.file("one/out/bank.sad")),
              test::readFileBytes(box.file("two/out/bank.sad")));
}

TEST_F(CliPipeline, NinjaAndCMakeRebuildABankExactlyWhenAnInputChanged) {
    if (!test::haveProgram("ninja") || !test::haveProgram("cmake")) GTEST_SKIP();
    makeSampleBank(bank);
    ASSERT_EQ(box.run({"dump", bank, "--relative-to", "."}, box.file("m.json")).status, 0);
    test::writeText(box.file("build.ninja"),
                    "rule bank\n"
                    "  command = quillon-cli build $in -o $out --depfile $out.d\n"
                    "  depfile = $out.d\n"
                    "  deps = gcc\n"
                    "build out.sad: bank m.json\n");
    test::writeText(box.file("CMakeLists.txt"),
                    "cmake_minimum_required(VERSION 3.21)\n"
                    "project(banks NONE)\n"
                    "add_custom_command(OUTPUT bank.sad\n"
                    "  COMMAND quillon-cli build ${CMAKE_CURRENT_SOURCE_DIR}/m.json -o bank.sad\n"
                    "          --depfile bank.sad.d\n"
                    "  DEPENDS m.json DEPFILE bank.sad.d)\n"
                    "add_custom_target(banks ALL DEPENDS bank.sad)\n");
    ASSERT_TRUE(box.shell("cmake -G Ninja -S . -B cmake-build"))
        << test::readText(box.file("shell.log"));
    // Inputs older than any output, so that a touch makes one the newest.
    ASSERT_TRUE(box.shell("touch -d '-1 hour' m.json wavs/*"));
    const char* builds[] = {"ninja", "cmake --build cmake-build"};
    for (const char* build : builds) {
        SCOPED_TRACE(build);
        ASSERT_TRUE(box.shell(build)) << test::readText(box.file("shell.log"));
        std::optional<std::string> second = box.shell(build);
        ASSERT_TRUE(second);
        EXPECT_NE(second->find("no work to do"), std::string::npos) << *second;
        ASSERT_TRUE(box.shell("touch 'wavs/door one.wav'"));
        std::optional<std::string> again = box.shell(build);
        ASSERT_TRUE(again);
        EXPECT_EQ(again->find("no work to do"), std::string::npos) << *again;
    }
    ASSERT_EQ(box.run({"build", "m.json", "-o", "direct.sad"}).status, 0);
    EXPECT_EQ(test::readFileBytes(box.file("out.sad")),
              test::readFileBytes(box.file("direct.sad")));
    EXPECT_EQ(box.run({"check", "cmake-build/bank.sad"}).status, 0);
}

// Every stderr line is the tool's and names the bank; --quiet keeps errors only.
TEST_F(CliPipeline, QuietKeepsOnlyTheErrors) {
    makeSampleBank(bank);
    CliResult refused = box.run({"add", bank, "wavs/b.wav", "--quiet"});
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(test::linesOf(refused.err)[0],
              "quillon-cli: " + bank + ": " + box.file("wavs/b.wav") + " - Already In Bank");
    CliResult cut = box.run({"create", "new.sad", "wavs/c.wav", "--title", std::string(300, 't')});
    EXPECT_EQ(cut.err, "quillon-cli: the title is cut to 259 characters\n");
    CliResult quiet = box.run({"create", "--force", "new.sad", "wavs/c.wav", "--quiet", "--title",
                               std::string(300, 't')});
    EXPECT_EQ(quiet.status, 0);
    EXPECT_EQ(quiet.err, "");
}

TEST_F(CliPipeline, TwoImportsOfOneStreamAreIdenticalWhateverTheTemporaryFolder) {
    test::TempFolder streams;
    std::optional<std::string> stream =
        test::makeLayer2Stream(streams, "theme", 44100, 2, 192, 1.0);
    if (!stream) GTEST_SKIP() << "sox or twolame is missing";
    for (const char* run : {"one", "two"}) {
        fs::create_directories(box.file(std::string("tmp-") + run));
        ASSERT_TRUE(box.shell(std::string("TMPDIR=$PWD/tmp-") + run + " quillon-cli import-mpeg " +
                              run + ".sad '" + *stream + "'"))
            << test::readText(box.file("shell.log"));
    }
    EXPECT_EQ(test::readFileBytes(box.file("one.sad")), test::readFileBytes(box.file("two.sad")));
}

}  // namespace
}  // namespace quillon
