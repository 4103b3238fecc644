// The editor's headless rules: a cell edit, the enable rules, the list's keys, the column layout.
#include <gtest/gtest.h>

#include "bank/Columns.h"
#include "editor/AppSettings.h"
#include "editor/CellEditSession.h"
#include "editor/CommandRules.h"
#include "editor/ListKeys.h"
#include "support/FakeShell.h"

namespace quillon {
namespace {

class CellEditSessionTest : public testing::Test {
  protected:
    void SetUp() override {
        for (int i = 0; i < 4; ++i) {
            Row row;
            for (int c = 0; c < kColumnCount; ++c)
                setCell(row, c, "*");
            doc.rows().append(std::move(row));
        }
        doc.setModified(false);  // the rows stand as if opened
        doc.rows().selectOnly({0, 2, 3});
    }

    test::FakeShell shell;
    CQuillonDoc doc{shell, nullptr};
    CellEditSession session{doc};
};

// A refused value stays pending; Cancel writes nothing, commit writes every selected row.
TEST_F(CellEditSessionTest, CommitWritesEverySelectedRowAndCloses) {
    EXPECT_FALSE(session.open(4, kColVolume));
    ASSERT_TRUE(session.open(0, kColPriority));
    session.setPending("0");
    EXPECT_EQ(session.validate().message, "Invalid Priority (Range 1 to 9999)");
    EXPECT_EQ(session.pending(), "0");
    session.cancel();
    EXPECT_FALSE(session.isOpen());
    EXPECT_FALSE(doc.isModified());
    ASSERT_TRUE(session.open(2, kColVolume));
    session.setPending("64abc");
    EXPECT_TRUE(session.validate().valid);
    session.commit();
    EXPECT_FALSE(session.isOpen());
    for (int i : {0, 1, 2, 3})
        EXPECT_EQ(doc.rows().cell(i, kColVolume), i == 1 ? "*" : "64") << i;
}

using enum CommandId;

TEST(CommandRules, EdgesOfEachRule) {
    const std::tuple<const char*, CommandId, CommandFacts, bool> rows[] = {
        {"save refused by allow save", FileSave, {.allowSave = false, .rows = 2}, false},
        {"save of no rows", FileSave, {}, false},
        {"mpeg into an empty sound bank", ImportMpeg, {}, true},
        {"replace two rows", WaveReplace, {.rows = 2, .selected = 2}, false},
        {"extract a row not in the bank", WaveExtract, {.rows = 2, .selected = 1}, false},
        {"extract a row in the bank",
         WaveExtract,
         {.rows = 2, .selected = 1, .firstSelectedInBank = true},
         true},
        {"music of a music bank", PlayMusic, {.musicBank = true, .rows = 2}, true},
        {"atmos with one set", PlayAtmos, {.rows = 2, .anyAtmosSet = true}, true},
        {"stop a voice of no rows", StopAll, {.samplePlaying = true}, false},
        {"cut from a music bank", EditCut, {.musicBank = true, .rows = 2, .selected = 1}, false},
    };
    for (const auto& [name, id, facts, enabled] : rows)
        EXPECT_EQ(commandRuleAllows(id, facts), enabled) << name;
}

TEST(ListKeySequence, ReturnAndEnterAreNotOursAndEndTheWhoKeys) {
    for (ListKey key : {ListKey::Return, ListKey::Enter}) {
        ListKeySequence keys;
        for (ListKey held : {ListKey::Shift, ListKey::Control, ListKey::P})
            keys.press(held);
        EXPECT_EQ(keys.press(key), ListKeyAction::NotOurs);
        EXPECT_EQ(keys.press(ListKey::F), ListKeyAction::Find);  // not Who
    }
}

// The layout kept between runs comes back; an entry that no longer fits gives that part's default.
TEST(ColumnLayout, ArrangedColumnsComeBackAndBrokenEntriesGiveTheDefault) {
    SettingsStore store{"unused"};
    const ColumnLayout arranged{{3, 0, 1, 2}, {0, 250, 0, 4000}, {0, 0, 1, 0}};
    const std::tuple<std::string, const char*> broken[] = {
        {"Order", "0,1,2,3,4"}, {"Order", "0,1,1,3"},     {"Order", "0,1,2,4"},
        {"Widths", "0,-1,0,0"}, {"Widths", "0,4001,0,0"}, {"Hidden", "0,1,0"}};
    for (const auto& [name, text] : broken) {
        writeColumnLayout(store, arranged);
        EXPECT_EQ(readColumnLayout(store, 4), arranged);
        store.setString(kColumnsSettingsKey, name, text);
        const ColumnLayout read = readColumnLayout(store, 4);
        EXPECT_EQ(read.order.empty(), name == "Order") << text;
        EXPECT_EQ(read.widths.empty(), name == "Widths") << text;
        EXPECT_EQ(read.hidden.empty(), name == "Hidden") << text;
    }
}

}  // namespace
}  // namespace quillon
