// The per-user settings store: typed values that survive a write and a read,
// names compared ignoring case, broken lines skipped, and a private file
// replaced whole or not at all.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>

#include "platform/Settings.h"
#include "support/TempFolder.h"

namespace quillon {
namespace {

constexpr char kKey[] = "Software\\Zarquine Studios Ltd\\Audio\\Quillon";

// Names and data that need escapes, one of them at the very end; a value set
// again under another spelling, or with another type, keeps its first name.
TEST(SettingsStore, TypedValuesSurviveWriteAndRead) {
    test::TempFolder dir;
    SettingsStore store(dir.file("deep/er/settings.conf"));
    store.setString(kKey, "Dir", "/home/u/banks with = and % and [x]");
    store.setString(kKey, "Lines", "one\ntwo\r\n\tthree\t");
    store.setInteger(kKey, "Count", -1234567890123);
    store.setBinary(kKey, "Blob", std::string("\0\xff\x10", 3));
    store.setString("Other\\Key", "=odd#name[]", "");
    ASSERT_TRUE(store.save());
    store.setInteger(kKey, "dir", 5);
    ASSERT_TRUE(store.save());
    struct stat st {};
    ASSERT_EQ(::stat(store.path().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_EQ(test::namesIn(dir.file("deep/er")), std::vector<std::string>{"settings.conf"});

    SettingsStore again(store.path());
    ASSERT_EQ(again.load(), SettingsLoad::Loaded);
    EXPECT_EQ(again.serialize(), store.serialize());
    std::vector<SettingValue> values =
        again.values("software\\zarquine studios ltd\\audio\\quillon");
    ASSERT_EQ(values.size(), 4u);
    EXPECT_EQ(values[0].name, "Dir");
    EXPECT_EQ(values[0].number, 5);
    EXPECT_EQ(values[1].text, "one\ntwo\r\n\tthree\t");
    EXPECT_EQ(values[2].number, -1234567890123);
    EXPECT_EQ(values[3].text, std::string("\0\xff\x10", 3));
    EXPECT_TRUE(again.value("other\\KEY", "=ODD#NAME[]"));
    EXPECT_TRUE(again.removeValue(kKey, "DIR"));
    EXPECT_FALSE(again.value(kKey, "Dir"));
}

// Each broken line is skipped alone, as are values outside any key or under a
// broken key: the values around them still load.
TEST(SettingsStore, BrokenLinesAreSkippedAndTheRestLoads) {
    for (const char* line :
         {"JustAName", "Name=text", "Name=dword:5", "Name=integer:12abc",
          "Name=integer:", "Name=integer:99999999999999999999", "Name=string:abc%4",
          "Name=string:%zz", "Name=binary:abc", "Name=binary:zz", "Na%me=string:x",
          "[]\nName=string:x", "[Bad%G]\nName=string:x", "# Name=string:x"}) {
        SettingsStore store("unused");
        store.parse(std::string("Loose=string:x\n[K]\r\nBefore=string:1\n") + line +
                    "\n[K]\nAfter=integer:2");
        std::vector<SettingValue> values = store.values("K");
        ASSERT_EQ(values.size(), 2u) << line;
        EXPECT_EQ(values[1].name, "After") << line;
    }
}

// A missing or unreadable file gives an empty store; a save that fails keeps
// the old file.
TEST(SettingsStore, MissingAndUnreadableFilesGiveAnEmptyStore) {
    test::TempFolder dir;
    EXPECT_EQ(SettingsStore(dir.file("none.conf")).load(), SettingsLoad::Missing);
    SettingsStore store(dir.path());
    EXPECT_EQ(store.load(), SettingsLoad::Unreadable);
    EXPECT_TRUE(store.values("K").empty());
    store.setString("K", "A", "new");
    EXPECT_FALSE(store.save());  // a folder stands in its place
    test::writeFileBytes(dir.file("plain"), {1});
    EXPECT_FALSE(SettingsStore(dir.file("plain/settings.conf")).save());
    EXPECT_EQ(test::namesIn(dir.path()), std::vector<std::string>{"plain"});
}

TEST(SettingsStore, UserPathFollowsXdgConfigHome) {
    const char* old = std::getenv("XDG_CONFIG_HOME");
    const std::string saved = old ? old : "";
    ::setenv("XDG_CONFIG_HOME", "/tmp/xdg-test-home", 1);
    EXPECT_EQ(userSettingsPath(), "/tmp/xdg-test-home/quillon/settings.conf");
    old ? ::setenv("XDG_CONFIG_HOME", saved.c_str(), 1) : ::unsetenv("XDG_CONFIG_HOME");
}

}  // namespace
}  // namespace quillon
