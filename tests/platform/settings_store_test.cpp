#include <gtest/gtest.h>
#include <sys/stat.h>

#include "platform/Settings.h"
#include "support/TempFolder.h"

namespace quillon {
namespace {

// Escapes, one at the very end; a value set again keeps its first name and place.
TEST(SettingsStore, TypedValuesSurviveWriteAndRead) {
    test::TempFolder dir;
    SettingsStore store(dir.file("deep/er/settings.conf"));
    store.setString("K", "Dir", "/home/u/banks with = and % and [x]\t");
    store.setBinary("K", "Blob", std::string("\0\xff\x10", 3));
    store.setString("Other\\Key", "=odd#name[]", "one\ntwo\r\n");
    ASSERT_TRUE(store.save());
    store.setInteger("k", "dir", -1234567890123);
    ASSERT_TRUE(store.save());
    struct stat st {};
    EXPECT_EQ(::stat(store.path().c_str(), &st) == 0 ? st.st_mode & 0777 : 0, 0600u);
    EXPECT_EQ(test::namesIn(dir.file("deep/er")), std::vector<std::string>{"settings.conf"});
    SettingsStore again(store.path());
    ASSERT_EQ(again.load(), SettingsLoad::Loaded);
    EXPECT_EQ(again.serialize(), store.serialize());  // every value read back whole
    EXPECT_EQ(again.values("k").front().name, "Dir");
    EXPECT_EQ(again.values("k").front().number, -1234567890123);
    EXPECT_EQ(again.value("other\\KEY", "=ODD#NAME[]")->text, "one\ntwo\r\n");
    EXPECT_TRUE(again.removeValue("K", "DIR"));
}

// Each broken line, or value outside a good key, is skipped alone.
TEST(SettingsStore, BrokenLinesAndFilesAreSkipped) {
    // clang-format off
    for (const char* line : {"JustAName", "N=text", "N=dword:5", "N=integer:12abc", "N=integer:",
             "N=integer:99999999999999999999", "N=string:abc%4", "N=string:%zz", "N=binary:abc",
             "N=binary:zz", "N%zz=string:x", "[]\nN=string:x", "[Bad%G]\nN=string:x"}) {
        // clang-format on
        SettingsStore store("unused");
        store.parse(std::string("Loose=string:x\n[K]\r\nA=string:1\n") + line +
                    "\n[K]\nB=integer:2");
        EXPECT_EQ(store.values("K").size(), 2u) << line;
    }
    test::TempFolder dir;
    EXPECT_EQ(SettingsStore(dir.file("none.conf")).load(), SettingsLoad::Missing);
    SettingsStore store(dir.path());
    EXPECT_EQ(store.load(), SettingsLoad::Unreadable);
    store.setString("K", "A", "new");
    EXPECT_FALSE(store.save());  // a folder stands in its place
    test::writeFile(dir.file("plain"), {1});
    EXPECT_FALSE(SettingsStore(dir.file("plain/settings.conf")).save());
    EXPECT_EQ(test::namesIn(dir.path()), std::vector<std::string>{"plain"});
}

}  // namespace
}  // namespace quillon
