// The editor's headless rules: one cell edit from open to commit, the enable
// rules at their edges, the list's key sequences and the kept column layout.
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

// A refused value stays pending in the open session; Cancel writes nothing,
// commit writes every selected row.
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

TEST_F(CellEditSessionTest, UpAndDownReopenOnlyAnEditOpenAtTheKey) {
    session.keyArrives();
    EXPECT_FALSE(session.followsSelection());
    ASSERT_TRUE(session.open(0, kColDescription));
    session.keyArrives();
    session.commit();
    EXPECT_TRUE(session.followsSelection());
    doc.setMusicBank(true);  // Description is not edited in a music bank
    EXPECT_FALSE(session.followsSelection());
}

// Tab and Shift+Tab: the columns in the order shown, the fixed ones and the
// ones left out skipped, nothing past either end of the row.
TEST_F(CellEditSessionTest, TabWalksTheEditableColumnsInTheOrderShown) {
    std::vector<int> all(kColumnCount);
    for (int c = 0; c < kColumnCount; ++c)
        all[size_t(c)] = c;
    EXPECT_EQ(session.neighbourEditableColumn(all, kColNo, 1), kColDescription);
    EXPECT_EQ(session.neighbourEditableColumn(all, kColLoop, 1), kColPitch);  // past LStart, LEnd
    EXPECT_EQ(session.neighbourEditableColumn(all, kColPitch, -1), kColLoop);
    EXPECT_EQ(session.neighbourEditableColumn(all, kColScale, 1), -1);
    EXPECT_EQ(session.neighbourEditableColumn(all, kColDescription, -1), -1);
    const std::vector<int> moved = {kColScale, kColNo, kColVolume};  // reordered, rest hidden
    EXPECT_EQ(session.neighbourEditableColumn(moved, kColNo, -1), kColScale);
    EXPECT_EQ(session.neighbourEditableColumn(moved, kColPitch, 1), -1);  // not shown
    doc.setMusicBank(true);
    EXPECT_EQ(session.neighbourEditableColumn(all, kColNo, 1), kColPriority);
}

using enum CommandId;

TEST(CommandRules, EdgesOfEachRule) {
    const std::tuple<const char*, CommandId, CommandFacts, bool> rows[] = {
        {"save refused by allow save", FileSave, {.allowSave = false, .rows = 2}, false},
        {"save of no rows", FileSave, {}, false},
        {"mpeg into an empty sound bank", ImportMpeg, {}, true},
        {"mpeg into a bank with rows", ImportMpeg, {.rows = 1}, false},
        {"header of a music bank", ExportEnum, {.musicBank = true, .rows = 2}, false},
        {"replace two rows", WaveReplace, {.rows = 2, .selected = 2}, false},
        {"extract a row not in the bank", WaveExtract, {.rows = 2, .selected = 1}, false},
        {"extract a row in the bank",
         WaveExtract,
         {.rows = 2, .selected = 1, .firstSelectedInBank = true},
         true},
        {"group in a music bank",
         CreateGroup,
         {.musicBank = true, .rows = 2, .selected = 1},
         false},
        {"music of a music bank", PlayMusic, {.musicBank = true, .rows = 2}, true},
        {"atmos with none set", PlayAtmos, {.rows = 2}, false},
        {"atmos with one set", PlayAtmos, {.rows = 2, .anyAtmosSet = true}, true},
        {"stop a voice of no rows", StopAll, {.samplePlaying = true}, false},
        {"redo a step undone", EditRedo, {.canRedo = true}, true},
        {"copy from a music bank", EditCopy, {.musicBank = true, .rows = 2, .selected = 1}, true},
        {"cut from a music bank", EditCut, {.musicBank = true, .rows = 2, .selected = 1}, false},
    };
    for (const auto& [name, id, facts, enabled] : rows)
        EXPECT_EQ(commandRuleAllows(id, facts), enabled) << name;
}

// A key press, or a release (whose key the sequence does not look at).
struct Event {
    ListKey key;
    bool release = false, autoRepeat = false;
};

TEST(ListKeySequence, EachPressAsksForItsAction) {
    using K = ListKey;
    using A = ListKeyAction;
    const Event up{K::Other, true}, repeatUp{K::Other, true, true};
    const std::tuple<const char*, std::vector<Event>, std::vector<A>> rows[] = {
        {"f held then ctrl finds", {{K::F}, {K::Control}}, {A::Wait, A::Find}},
        {"who keys in any order",
         {{K::P}, {K::F}, {K::Shift}, {K::Control}},
         {A::Wait, A::Wait, A::Wait, A::Who}},
        {"find once per ctrl", {{K::Control}, {K::F}, {K::F}}, {A::Wait, A::Find, A::Wait}},
        {"wrong second key", {{K::Control}, {K::Other}, {K::F}}, {A::Wait, A::NotOurs, A::Wait}},
        {"release ends find", {{K::Control}, up, {K::F}}, {A::Wait, A::Wait}},
        {"release keeps goto", {{K::Control}, up, {K::G}}, {A::Wait, A::Goto}},
        {"auto repeat keeps find", {{K::Control}, repeatUp, {K::F}}, {A::Wait, A::Find}},
        {"arrow ends who keys, not ctrl",
         {{K::Shift}, {K::Control}, {K::P}, {K::Down}, {K::F}},
         {A::Wait, A::Wait, A::Wait, A::FollowSelection, A::Find}},
        {"f3 ends find", {{K::Control}, {K::F3}, {K::F}}, {A::Wait, A::FindNext, A::Wait}},
        {"single keys",
         {{K::Insert}, {K::Backspace}, {K::Return}},
         {A::AddWave, A::DeleteRows, A::NotOurs}},
    };
    for (const auto& [name, events, expected] : rows) {
        ListKeySequence keys;
        std::vector<A> presses;
        for (const Event& e : events)
            if (e.release)
                keys.release(e.autoRepeat);
            else
                presses.push_back(keys.press(e.key));
        EXPECT_EQ(presses, expected) << name;
    }
}

// What the user arranged comes back; an entry that no longer fits the table
// gives the defaults rather than a broken list.
TEST(ColumnLayout, ArrangedColumnsComeBackAndBrokenEntriesGiveTheDefault) {
    SettingsStore store{"unused"};
    const ColumnLayout arranged{{3, 0, 1, 2}, {0, 250, 0, 40}, {0, 0, 1, 0}};
    writeColumnLayout(store, arranged);
    EXPECT_EQ(readColumnLayout(store, 4), arranged);
    const std::pair<const char*, const char*> broken[] = {{"Order", "0,1,2,3,4"},
                                                          {"Order", "0,1,1,3"},
                                                          {"Order", "0,1,2,4"},
                                                          {"Widths", "10,-5,30,40"},
                                                          {"Hidden", "0,1,0"}};
    for (const auto& [value, text] : broken) {
        writeColumnLayout(store, arranged);
        store.setString(kColumnsSettingsKey, value, text);
        ColumnLayout layout = readColumnLayout(store, 4);
        EXPECT_EQ(layout.order.empty(), std::string(value) == "Order") << text;
        EXPECT_EQ(layout.widths.empty(), std::string(value) == "Widths") << text;
        EXPECT_EQ(layout.hidden.empty(), std::string(value) == "Hidden") << text;
    }
}

}  // namespace
}  // namespace quillon
