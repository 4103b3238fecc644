// One cell edit from open to commit or cancel: the rows it writes, the value a
// refusal leaves pending, and when Up and Down reopen it.
#include <gtest/gtest.h>

#include "bank/Columns.h"
#include "editor/CellEditSession.h"
#include "support/FakeShell.h"

namespace quillon {
namespace {

class CellEditSessionTest : public testing::Test {
  protected:
    void SetUp() override {
        for (int i = 0; i < 4; ++i) {
            Row row;
            for (int c = kColPriority; c < kColumnCount; ++c)
                row.cells[size_t(c)] = "*";
            doc.rows().append(std::move(row));
        }
    }
    void select(std::initializer_list<int> indices) {
        for (int i : indices)
            doc.rows().setSelected(i, true);
    }

    test::FakeShell shell;
    CQuillonDoc doc{shell, nullptr};
    CellEditSession session{doc};
};

TEST_F(CellEditSessionTest, OpensOnlyOverACell) {
    EXPECT_FALSE(session.open(-1, kColVolume));
    EXPECT_FALSE(session.open(4, kColVolume));
    EXPECT_FALSE(session.open(0, kColumnCount));
    EXPECT_FALSE(session.isOpen());
    ASSERT_TRUE(session.open(3, kColVolume));
    EXPECT_EQ(session.original(), "*");
    EXPECT_EQ(session.rememberedColumn(), kColVolume);
}

TEST_F(CellEditSessionTest, CommitWritesEverySelectedRowAndCloses) {
    select({0, 2, 3});
    ASSERT_TRUE(session.open(2, kColVolume));
    session.setPending("64");
    ASSERT_TRUE(session.validate().valid);
    session.commit();
    EXPECT_FALSE(session.isOpen());
    for (int i : {0, 2, 3})
        EXPECT_EQ(doc.rows().cell(i, kColVolume), "64") << i;
    EXPECT_EQ(doc.rows().cell(1, kColVolume), "*");
    EXPECT_TRUE(doc.isModified());
}

TEST_F(CellEditSessionTest, CancelKeepsTheCellsText) {
    select({1});
    ASSERT_TRUE(session.open(1, kColPitch));
    session.setPending("77");
    session.cancel();
    EXPECT_FALSE(session.isOpen());
    EXPECT_EQ(doc.rows().cell(1, kColPitch), "*");
    EXPECT_FALSE(doc.isModified());
}

TEST_F(CellEditSessionTest, RefusedValueStaysPendingInTheOpenSession) {
    select({0});
    ASSERT_TRUE(session.open(0, kColPriority));
    session.setPending("0");
    CellCheck check = session.validate();
    EXPECT_FALSE(check.valid);
    EXPECT_EQ(check.message, "Invalid Priority (Range 1 to 9999)");
    EXPECT_TRUE(session.isOpen());
    EXPECT_EQ(session.pending(), "0");
    session.setPending("12abc");
    EXPECT_TRUE(session.validate().valid);
    EXPECT_EQ(session.pending(), "12");
}

// Only the cut text reaches the cells, so a longer text that cuts to what
// they hold changes nothing.
TEST_F(CellEditSessionTest, TextTheRowsHoldAfterTheCutMarksNothing) {
    select({1, 2});
    for (int i : {1, 2})
        doc.rows().setCell(i, kColDescription, std::string(255, 'a'));
    ASSERT_TRUE(session.open(1, kColDescription));
    session.setPending(std::string(300, 'a'));
    session.commit();
    EXPECT_FALSE(doc.isModified());
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

}  // namespace
}  // namespace quillon
