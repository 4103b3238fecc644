// The per-user settings store: typed values that survive a write and a read,
// names compared ignoring case, broken lines skipped, and a write that replaces
// the file whole or not at all.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>

#include "platform/Settings.h"
#include "support/TempFolder.h"

namespace quillon {
namespace {

constexpr char kKey[] = "Software\\Zarquine Studios Ltd\\Audio\\Quillon";

std::string fileText(const std::string& path) {
    std::vector<uint8_t> bytes = test::readFileBytes(path);
    return std::string(bytes.begin(), bytes.end());
}

TEST(SettingsStore, TypedValuesSurviveWriteAndRead) {
    test::TempFolder dir;
    SettingsStore store(dir.file("deep/er/settings.conf"));
    store.setString(kKey, "FileOpenDir", "/home/u/banks with = and % and [x]");
    store.setString(kKey, "Lines", "one\ntwo\r\n\tthree");
    store.setInteger(kKey, "Count", -1234567890123);
    store.setBinary(kKey, "Blob", std::string("\0\xff\x10", 3));
    store.setString("Other\\Key", "=odd#name[]", "");
    ASSERT_TRUE(store.save());

    SettingsStore again(store.path());
    ASSERT_EQ(again.load(), SettingsLoad::Loaded);
    std::vector<SettingValue> values = again.values(kKey);
    ASSERT_EQ(values.size(), 4u);
    EXPECT_EQ(values[0].name, "FileOpenDir");
    EXPECT_EQ(values[0].text, "/home/u/banks with = and % and [x]");
    EXPECT_EQ(values[1].text, "one\ntwo\r\n\tthree");
    EXPECT_EQ(values[2].type, SettingType::Integer);
    EXPECT_EQ(values[2].number, -1234567890123);
    EXPECT_EQ(values[3].type, SettingType::Binary);
    EXPECT_EQ(values[3].text, std::string("\0\xff\x10", 3));
    ASSERT_TRUE(again.value("other\\KEY", "=ODD#NAME[]"));
    EXPECT_EQ(again.serialize(), store.serialize());
}

TEST(SettingsStore, FileIsPrivateAndReplacedWhole) {
    test::TempFolder dir;
    SettingsStore store(dir.file("settings.conf"));
    store.setString(kKey, "A", "1");
    ASSERT_TRUE(store.save());
    store.setString(kKey, "A", "2");
    ASSERT_TRUE(store.save());
    struct stat st {};
    ASSERT_EQ(stat(store.path().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_NE(fileText(store.path()).find("A=string:2"), std::string::npos);
    EXPECT_EQ(test::namesIn(dir.path()), std::vector<std::string>{"settings.conf"});
}

TEST(SettingsStore, NamesCompareIgnoringCaseAndKeepTheirFirstSpelling) {
    SettingsStore store("unused");
    store.setString(kKey, "FileOpenDir", "/a");
    store.setInteger(kKey, "Other", 5);
    store.setString(kKey, "fileopendir", "/b");
    std::vector<SettingValue> values = store.values(kKey);
    ASSERT_EQ(values.size(), 2u);
    EXPECT_EQ(values[0].name, "FileOpenDir");
    EXPECT_EQ(values[0].text, "/b");
    // A value of another type under the same name is replaced, type and all.
    store.setString(kKey, "OTHER", "text");
    EXPECT_EQ(store.value(kKey, "other")->type, SettingType::String);
    EXPECT_TRUE(store.hasKey("software\\zarquine studios ltd\\audio\\quillon"));
    EXPECT_TRUE(store.removeValue(kKey, "FILEOPENDIR"));
    EXPECT_FALSE(store.value(kKey, "FileOpenDir"));
}

struct BrokenLine {
    const char* name;
    const char* line;
};

class SettingsBrokenLine : public testing::TestWithParam<BrokenLine> {};

// Every broken line is skipped alone: the values around it still load.
TEST_P(SettingsBrokenLine, IsSkippedAndTheRestLoads) {
    SettingsStore store("unused");
    store.parse(std::string("[K]\nBefore=string:1\n") + GetParam().line + "\nAfter=integer:2\n");
    std::vector<SettingValue> values = store.values("K");
    ASSERT_EQ(values.size(), 2u) << GetParam().line;
    EXPECT_EQ(values[0].name, "Before");
    EXPECT_EQ(values[1].name, "After");
}

INSTANTIATE_TEST_SUITE_P(
    Lines, SettingsBrokenLine,
    testing::Values(
        BrokenLine{"no_equals", "JustAName"}, BrokenLine{"no_type", "Name=text"},
        BrokenLine{"unknown_type", "Name=dword:5"}, BrokenLine{"bad_number", "Name=integer:12abc"},
        BrokenLine{"empty_number", "Name=integer:"},
        BrokenLine{"number_too_large", "Name=integer:99999999999999999999"},
        BrokenLine{"cut_escape", "Name=string:abc%4"}, BrokenLine{"bad_escape", "Name=string:%zz"},
        BrokenLine{"odd_hex", "Name=binary:abc"}, BrokenLine{"bad_name_escape", "Na%me=string:x"}),
    [](const testing::TestParamInfo<BrokenLine>& info) { return std::string(info.param.name); });

TEST(SettingsStore, ValuesOutsideAnyKeyOrUnderABrokenKeyAreDropped) {
    SettingsStore store("unused");
    store.parse(
        "Loose=string:x\n[]\nUnderEmpty=string:y\n[Bad%G]\nUnderBad=string:z\n[Good]\r\n"
        "Kept=string:w\r\n# Comment=string:no\n");
    EXPECT_FALSE(store.hasKey(""));
    EXPECT_EQ(store.values("Good").size(), 1u);
    EXPECT_EQ(store.value("Good", "Kept")->text, "w");
}

TEST(SettingsStore, MissingAndUnreadableFilesGiveAnEmptyStore) {
    test::TempFolder dir;
    SettingsStore missing(dir.file("none.conf"));
    EXPECT_EQ(missing.load(), SettingsLoad::Missing);
    SettingsStore folder(dir.path());
    EXPECT_EQ(folder.load(), SettingsLoad::Unreadable);
    EXPECT_TRUE(folder.values("K").empty());
}

TEST(SettingsStore, SaveIntoAnUnwritableFolderFailsAndKeepsTheOldFile) {
    if (geteuid() == 0) GTEST_SKIP() << "the superuser writes any folder";
    test::TempFolder dir;
    SettingsStore store(dir.file("locked/settings.conf"));
    store.setString("K", "A", "old");
    ASSERT_TRUE(store.save());
    ASSERT_EQ(chmod(dir.file("locked").c_str(), 0500), 0);
    store.setString("K", "A", "new");
    EXPECT_FALSE(store.save());
    chmod(dir.file("locked").c_str(), 0700);
    EXPECT_NE(fileText(store.path()).find("A=string:old"), std::string::npos);
}

TEST(SettingsStore, UserPathFollowsXdgConfigHome) {
    const char* old = std::getenv("XDG_CONFIG_HOME");
    std::string saved = old ? old : "";
    setenv("XDG_CONFIG_HOME", "/tmp/xdg-test-home", 1);
    EXPECT_EQ(userSettingsPath(), "/tmp/xdg-test-home/quillon/settings.conf");
    if (old)
        setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
    else
        unsetenv("XDG_CONFIG_HOME");
}

}  // namespace
}  // namespace quillon
