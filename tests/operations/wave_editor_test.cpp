// Open in Wave Editor: which editor the settings name, what each started
// editor is given, and real processes started from a recording script.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <thread>

#include "operations/SampleOps.h"
#include "operations/WaveEditor.h"
#include "platform/Paths.h"
#include "support/FakeShell.h"
#include "support/TempFolder.h"
#include "support/WavBuilder.h"

namespace quillon {
namespace {

// Sets an environment variable for one test and puts the old value back.
class ScopedVariable {
  public:
    ScopedVariable(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        if (value)
            ::setenv(name, value, 1);
        else
            ::unsetenv(name);
    }
    ~ScopedVariable() {
        if (old_)
            ::setenv(name_, old_->c_str(), 1);
        else
            ::unsetenv(name_);
    }

  private:
    const char* name_;
    std::optional<std::string> old_;
};

// A script that writes how many arguments it got and each of them, one a line,
// into "<folder>/<its process id>", and renames the file into place when done.
std::string writeRecordingEditor(const std::string& path, const std::string& recordFolder) {
    std::ofstream script(path);
    script << "#!/bin/sh\n"
           << "out='" << recordFolder << "'/$$\n"
           << "printf '%s\\n' \"$#\" \"$@\" > \"$out.part\"\n"
           << "mv \"$out.part\" \"$out\"\n";
    script.close();
    ::chmod(path.c_str(), 0755);
    return path;
}

// The argument lists the recording editor wrote, waiting for `count` of them
// (the editors run on their own; a test waits for their result, not a time).
std::vector<std::vector<std::string>> recordedArguments(const std::string& folder, size_t count) {
    namespace fs = std::filesystem;
    std::vector<std::vector<std::string>> calls;
    for (int attempt = 0; attempt < 500; ++attempt) {
        calls.clear();
        for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
            if (entry.path().extension() == ".part") continue;
            std::ifstream in(entry.path());
            std::vector<std::string> lines;
            for (std::string line; std::getline(in, line);)
                lines.push_back(line);
            calls.push_back(lines);
        }
        if (calls.size() >= count) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return calls;
}

class WaveEditorTest : public testing::Test {
  protected:
    // Rows for WAV files in `folder` (below the test's folder), all selected.
    void addRows(const std::string& folder, const std::vector<std::string>& names) {
        std::string where = dir.file(folder);
        std::filesystem::create_directories(where);
        std::vector<std::string> paths;
        for (const std::string& name : names) {
            paths.push_back(joinPath(where, name));
            test::writeFile(paths.back(), test::makePcmWav({}));
        }
        ASSERT_TRUE(addWaveFiles(doc, paths));
        for (int i = 0; i < doc.rows().size(); ++i)
            doc.rows().setSelected(i, true);
        doc.setModified(false);
    }

    test::TempFolder dir;
    test::FakeShell shell;
    CQuillonDoc doc{shell, nullptr};
};

// --- Which editor ------------------------------------------------------------

struct StoreCase {
    const char* name;
    std::string storeText;  // the classes-root store's file
    std::string expected;
};

const std::string kKeyLine = "[Sound Forge.Audio\\protocol\\StdFileEditing\\Server]\n";
// 127 characters: with the terminating zero they fill the 128 bytes exactly.
const std::string kLongestPath = "/" + std::string(126, 'x');

std::vector<StoreCase> storeCases() {
    return {
        {"no-key", "[Other\\Key]\n=string:/usr/bin/other\n", "forge32.exe"},
        {"key-without-values", kKeyLine, "forge32.exe"},
        {"default-value", kKeyLine + "=string:/opt/ed\n", "/opt/ed"},
        {"key-in-other-case",
         "[sound forge.audio\\PROTOCOL\\stdfileediting\\server]\nx=string:/a\n", "/a"},
        {"last-string-wins", kKeyLine + "=string:/first\nb=string:/second\n", "/second"},
        {"other-types-skipped", kKeyLine + "a=string:/first\nb=integer:7\nc=binary:00ff\n",
         "/first"},
        {"longest-text-fits", kKeyLine + "=string:" + kLongestPath + "\n", kLongestPath},
        // One byte more does not fit: the reading ends there, the earlier value stays.
        {"text-too-long-ends-reading",
         kKeyLine + "a=string:/kept\nb=string:" + kLongestPath + "x\nc=string:/after\n", "/kept"},
        {"longest-name-fits", kKeyLine + std::string(127, 'n') + "=string:/named\n", "/named"},
        {"name-too-long-ends-reading",
         kKeyLine + "a=string:/kept\n" + std::string(128, 'n') + "=string:/long-name\n", "/kept"},
    };
}

class EditorFromStore : public testing::TestWithParam<StoreCase> {};

TEST_P(EditorFromStore, NamesTheEditor) {
    SettingsStore store("unused");
    store.parse(GetParam().storeText);
    EXPECT_EQ(waveEditorFromStore(store), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Store, EditorFromStore, testing::ValuesIn(storeCases()),
                         [](const auto& info) {
                             std::string name = info.param.name;
                             std::replace(name.begin(), name.end(), '-', '_');
                             return name;
                         });

TEST(FindWaveEditor, TheVariableWinsOverTheStore) {
    test::TempFolder dir;
    SettingsStore store(dir.file("classes.conf"));
    store.setString(kWaveEditorKey, "", "/from/store");
    ASSERT_TRUE(store.save());
    {
        ScopedVariable named(kWaveEditorVariable, "audacity");
        EXPECT_EQ(findWaveEditor(store.path()), "audacity");
    }
    {
        ScopedVariable empty(kWaveEditorVariable, "");
        EXPECT_EQ(findWaveEditor(store.path()), "/from/store");
    }
    ScopedVariable unset(kWaveEditorVariable, nullptr);
    EXPECT_EQ(findWaveEditor(store.path()), "/from/store");
    EXPECT_EQ(findWaveEditor(dir.file("missing.conf")), kDefaultWaveEditor);
}

TEST(FindWaveEditor, TheClassesStoreLivesBesideTheUserSettings) {
    test::TempFolder dir;
    ScopedVariable config("XDG_CONFIG_HOME", dir.path().c_str());
    EXPECT_EQ(classesRootSettingsPath(), dir.file("quillon/classes.conf"));
    EXPECT_EQ(splitAtLastSeparator(classesRootSettingsPath()).folder,
              splitAtLastSeparator(userSettingsPath()).folder);
}

// --- What each editor is given ----------------------------------------------------

TEST_F(WaveEditorTest, EachSelectedRowStartsOneEditorInListOrder) {
    addRows("snd", {"a.wav", "b.wav", "c.wav", "d.wav"});
    doc.rows().setSelected(1, false);
    std::vector<std::vector<std::string>> started;
    int count = openSelectedInWaveEditor(doc, "/opt/editor", [&](const auto& argv) {
        started.push_back(argv);
        return true;
    });
    EXPECT_EQ(count, 3);
    std::string folder = dir.file("snd");
    EXPECT_EQ(started, (std::vector<std::vector<std::string>>{{"/opt/editor", folder + "/a.wav"},
                                                              {"/opt/editor", folder + "/c.wav"},
                                                              {"/opt/editor", folder + "/d.wav"}}));
    EXPECT_TRUE(shell.messages.empty());
    EXPECT_FALSE(doc.isModified());
}

TEST_F(WaveEditorTest, AnEditorThatCannotStartEndsTheCommandWithOneMessage) {
    addRows("snd", {"a.wav", "b.wav", "c.wav"});
    int calls = 0;
    int count = openSelectedInWaveEditor(doc, "forge32.exe", [&](const auto&) {
        return ++calls < 2;  // the second one fails
    });
    EXPECT_EQ(count, 1);
    EXPECT_EQ(calls, 2);
    ASSERT_EQ(shell.messageTexts(), std::vector<std::string>{kNoEditorMessage});
    EXPECT_EQ(shell.messages[0].icon, MessageIcon::Stop);
    EXPECT_EQ(shell.messages[0].caption, "");
}

TEST_F(WaveEditorTest, NothingStartsWithoutASelectionOrInAMusicBank) {
    addRows("snd", {"a.wav"});
    int calls = 0;
    auto count = [&](const auto&) { return ++calls > 0; };
    doc.setMusicBank(true);
    EXPECT_EQ(openSelectedInWaveEditor(doc, "/opt/editor", count), 0);
    doc.setMusicBank(false);
    doc.rows().clearSelection();
    EXPECT_EQ(openSelectedInWaveEditor(doc, "/opt/editor", count), 0);
    EXPECT_EQ(calls, 0);
    EXPECT_TRUE(shell.messages.empty());
}

// --- Real processes ------------------------------------------------------------------

TEST_F(WaveEditorTest, ALocationWithBlanksArrivesAsOneArgument) {
    addRows("My Sounds/take one", {"door open.wav", "bell.wav"});
    std::string records = dir.file("records");
    std::filesystem::create_directories(records);
    std::string editor = writeRecordingEditor(dir.file("editor.sh"), records);
    EXPECT_EQ(openSelectedInWaveEditor(doc, editor), 2);
    std::vector<std::vector<std::string>> calls = recordedArguments(records, 2);
    std::sort(calls.begin(), calls.end());
    std::string folder = dir.file("My Sounds/take one");
    EXPECT_EQ(calls, (std::vector<std::vector<std::string>>{{"1", folder + "/bell.wav"},
                                                            {"1", folder + "/door open.wav"}}));
    EXPECT_TRUE(shell.messages.empty());
}

TEST_F(WaveEditorTest, ABareNameIsFoundOnThePath) {
    addRows("snd", {"a.wav"});
    std::string bin = dir.file("bin"), records = dir.file("records");
    std::filesystem::create_directories(bin);
    std::filesystem::create_directories(records);
    writeRecordingEditor(bin + "/myeditor", records);
    std::string path = bin + ":" + (std::getenv("PATH") ? std::getenv("PATH") : "/usr/bin");
    ScopedVariable searchPath("PATH", path.c_str());
    EXPECT_EQ(openSelectedInWaveEditor(doc, "myeditor"), 1);
    EXPECT_EQ(recordedArguments(records, 1),
              (std::vector<std::vector<std::string>>{{"1", dir.file("snd/a.wav")}}));
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
