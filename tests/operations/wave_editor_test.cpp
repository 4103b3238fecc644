// Open in Wave Editor: which editor the settings name, what each started
// editor is given, and real processes started from a recording script.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <thread>

#include "operations/SampleOps.h"
#include "operations/WaveEditor.h"
#include "platform/Paths.h"
#include "support/FakeShell.h"
#include "support/TempFolder.h"
#include "support/WavBuilder.h"

namespace quillon {
namespace {

using Texts = std::vector<std::string>;

// Sets an environment variable (or unsets it, for nullptr) until the end of the scope.
struct ScopedVariable {
    ScopedVariable(const char* name, const char* value) : name(name) {
        if (const char* was = std::getenv(name)) old = was;
        value ? ::setenv(name, value, 1) : ::unsetenv(name);
    }
    ~ScopedVariable() { old ? ::setenv(name, old->c_str(), 1) : ::unsetenv(name); }
    const char* name;
    std::optional<std::string> old;
};

TEST(FindWaveEditor, TheLastFittingStringOfTheKeyNamesTheEditor) {
    const std::string key = "[Sound Forge.Audio\\protocol\\StdFileEditing\\Server]\n";
    const std::string longest = "/" + std::string(126, 'x');  // with its zero: 128 bytes
    const std::pair<std::string, std::string> cases[] = {
        {"[Other\\Key]\n=string:/usr/bin/other\n", "forge32.exe"},
        {"[sound forge.audio\\PROTOCOL\\stdfileediting\\server]\nx=string:/a\n", "/a"},
        {key + "=string:/first\nb=integer:7\nc=binary:00ff\n", "/first"},
        {key + "a=string:/first\nb=string:" + longest + "\n", longest},
        // One byte more, in the text or the name, ends the reading there.
        {key + "a=string:/kept\nb=string:" + longest + "x\nc=string:/after\n", "/kept"},
        {key + std::string(127, 'n') + "=string:/named\n", "/named"},
        {key + "a=string:/kept\n" + std::string(128, 'n') + "=string:/long\n", "/kept"},
    };
    for (const auto& [text, expected] : cases) {
        SettingsStore store("unused");
        store.parse(text);
        EXPECT_EQ(waveEditorFromStore(store), expected) << text;
    }
    // The variable wins over the store unless empty; no store gives the default.
    test::TempFolder dir;
    SettingsStore store(dir.file("classes.conf"));
    store.setString(kWaveEditorKey, "", "/from/store");
    ASSERT_TRUE(store.save());
    {
        ScopedVariable named(kWaveEditorVariable, "audacity");
        EXPECT_EQ(findWaveEditor(store.path()), "audacity");
    }
    ScopedVariable empty(kWaveEditorVariable, "");
    EXPECT_EQ(findWaveEditor(store.path()), "/from/store");
    EXPECT_EQ(findWaveEditor(dir.file("missing.conf")), kDefaultWaveEditor);
    ScopedVariable config("XDG_CONFIG_HOME", dir.path().c_str());
    EXPECT_EQ(classesRootSettingsPath(), dir.file("quillon/classes.conf"));
}

class WaveEditorTest : public testing::Test {
  protected:
    // Rows for WAV files in `folder` (below the test's folder), all selected.
    void addRows(const std::string& folder, const Texts& names) {
        std::filesystem::create_directories(dir.file(folder));
        Texts paths;
        for (const std::string& name : names) {
            paths.push_back(dir.file(folder + "/" + name));
            test::writeFile(paths.back(), test::makePcmWav({}));
        }
        ASSERT_TRUE(addWaveFiles(doc, paths));
        for (int i = 0; i < doc.rows().size(); ++i)
            doc.rows().setSelected(i, true);
    }

    test::TempFolder dir;
    test::FakeShell shell;
    CQuillonDoc doc{shell, nullptr};
};

// One editor a selected row, in list order; the first that cannot start ends
// the command with one message. Nothing starts in a music bank.
TEST_F(WaveEditorTest, EachSelectedRowStartsOneEditorInListOrder) {
    addRows("snd", {"a.wav", "b.wav", "c.wav", "d.wav"});
    doc.rows().setSelected(1, false);
    std::vector<Texts> started;
    auto start = [&](const Texts& argv) {
        started.push_back(argv);
        return started.size() < 3;
    };
    EXPECT_EQ(openSelectedInWaveEditor(doc, "/opt/editor", start), 2);
    const std::string snd = dir.file("snd");
    EXPECT_EQ(started, (std::vector<Texts>{{"/opt/editor", snd + "/a.wav"},
                                           {"/opt/editor", snd + "/c.wav"},
                                           {"/opt/editor", snd + "/d.wav"}}));
    ASSERT_EQ(shell.messageTexts(), Texts{kNoEditorMessage});
    EXPECT_EQ(shell.messages[0].icon, MessageIcon::Stop);
    doc.setMusicBank(true);
    EXPECT_EQ(openSelectedInWaveEditor(doc, "/opt/editor", start), 0);
    EXPECT_EQ(started.size(), 3u);
}

// A bare name is found on the search path, and a location with blanks arrives
// as one argument. The script records its arguments in a file named by its
// process id; the test waits for the files, not for a time.
TEST_F(WaveEditorTest, ARealEditorGetsTheFileAsOneArgument) {
    addRows("My Sounds/take one", {"door open.wav", "bell.wav"});
    const std::string records = dir.file("records"), bin = dir.file("bin");
    std::filesystem::create_directories(records);
    std::filesystem::create_directories(bin);
    std::ofstream(bin + "/myeditor")
        << "#!/bin/sh\nout='" << records << "'/$$\nprintf '%s\\n' \"$#\" \"$@\" > \"$out.part\"\n"
        << "mv \"$out.part\" \"$out\"\n";
    ::chmod((bin + "/myeditor").c_str(), 0755);
    ScopedVariable path("PATH", (bin + ":" + std::getenv("PATH")).c_str());
    EXPECT_EQ(openSelectedInWaveEditor(doc, "myeditor"), 2);
    Texts calls;
    for (int attempt = 0; attempt < 500 && calls.size() < 2; ++attempt) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        calls.clear();
        for (const auto& entry : std::filesystem::directory_iterator(records))
            if (entry.path().extension() != ".part") {
                test::Bytes text = test::readFileBytes(entry.path().string());
                calls.emplace_back(text.begin(), text.end());
            }
    }
    std::sort(calls.begin(), calls.end());
    const std::string folder = dir.file("My Sounds/take one");
    EXPECT_EQ(calls, (Texts{"1\n" + folder + "/bell.wav\n", "1\n" + folder + "/door open.wav\n"}));
    EXPECT_TRUE(shell.messages.empty());
}

TEST(StartDetachedProcess, ReportsWhatCannotRun) {
    test::TempFolder dir;
    std::ofstream(dir.file("plain.txt")) << "not a program\n";
    ScopedVariable searchPath("PATH", dir.path().c_str());
    for (const std::string& program : {std::string(kDefaultWaveEditor), dir.file("missing/editor"),
                                       dir.file("plain.txt"), dir.path(), std::string()})
        EXPECT_FALSE(startDetachedProcess({program, "/tmp/x.wav"})) << program;
    EXPECT_FALSE(startDetachedProcess({}));
}

}  // namespace
}  // namespace quillon
