// Open in Wave Editor: which editor the settings name, and a real editor started.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "operations/SampleOps.h"
#include "operations/WaveEditor.h"
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

// The variable wins over the store unless empty; no store gives the default.
TEST(FindWaveEditor, TheVariableWinsOverTheStore) {
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

// Values of other types count their stored bytes; one too long ends the search.
TEST(FindWaveEditor, AValueTooLongEndsTheSearch) {
    SettingsStore store{"unused"};
    store.setBinary(kWaveEditorKey, "a", std::string(kMaxEditorValueDataBytes, 'b'));
    store.setInteger(kWaveEditorKey, "b", 1);
    store.setString(kWaveEditorKey, "c", std::string(kMaxEditorValueDataBytes - 1, 'c'));
    store.setString(kWaveEditorKey, "d", std::string(kMaxEditorValueDataBytes, 'd'));
    store.setString(kWaveEditorKey, "e", "/after");
    EXPECT_EQ(waveEditorFromStore(store, "none"), std::string(kMaxEditorValueDataBytes - 1, 'c'));
}

// A bare name is found on the search path; a location with blanks arrives as one argument.
TEST(WaveEditorTest, ARealEditorGetsTheFileAsOneArgument) {
    test::TempFolder dir;
    test::FakeShell shell;
    CQuillonDoc doc{shell, nullptr};
    const std::string folder = dir.file("My Sounds/take one"), records = dir.file("records"),
                      bin = dir.file("bin");
    for (const std::string& made : {folder, records, bin})
        std::filesystem::create_directories(made);
    for (const char* name : {"door open.wav", "bell.wav"})
        test::writeFile(folder + "/" + name, test::makePcmWav({}));
    ASSERT_TRUE(addWaveFiles(doc, {folder + "/door open.wav", folder + "/bell.wav"}));
    doc.rows().selectOnly({0, 1});
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
    EXPECT_EQ(calls, (Texts{"1\n" + folder + "/bell.wav\n", "1\n" + folder + "/door open.wav\n"}));
    EXPECT_TRUE(shell.messages.empty());
}

}  // namespace
}  // namespace quillon
