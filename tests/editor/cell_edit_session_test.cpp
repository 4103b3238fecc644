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
            for (int c = 0; c < kColumnCount; ++c)
                setCell(row, c, "*");
            doc.rows().append(std::move(row));
        }
        doc.setModified(false);  // the rows stand as if opened
        for (int i : {0, 2, 3})
            doc.rows().setSelected(i, true);
    }

    test::FakeShell shell;
    CQuillonDoc doc{shell, nullptr};
    CellEditSession session{doc};
};

TEST_F(CellEditSessionTest, CommitWritesEverySelectedRowAndCloses) {
    EXPECT_FALSE(session.open(4, kColVolume));
    ASSERT_TRUE(session.open(2, kColVolume));
    session.setPending("64");
    session.commit();
    EXPECT_FALSE(session.isOpen());
    for (int i : {0, 2, 3})
        EXPECT_EQ(doc.rows().cell(i, kColVolume), "64") << i;
    EXPECT_EQ(doc.rows().cell(1, kColVolume), "*");
}

TEST_F(CellEditSessionTest, CancelKeepsTheCellsText) {
    ASSERT_TRUE(session.open(0, kColPitch));
    session.setPending("77");
    session.cancel();
    EXPECT_FALSE(session.isOpen());
    EXPECT_EQ(doc.rows().cell(0, kColPitch), "*");
    EXPECT_FALSE(doc.isModified());
}

TEST_F(CellEditSessionTest, RefusedValueStaysPendingInTheOpenSession) {
    ASSERT_TRUE(session.open(0, kColPriority));
    session.setPending("0");
    EXPECT_EQ(session.validate().message, "Invalid Priority (Range 1 to 9999)");
    EXPECT_TRUE(session.isOpen());
    EXPECT_EQ(session.pending(), "0");
    session.setPending("12abc");
    EXPECT_TRUE(session.validate().valid);
    EXPECT_EQ(session.pending(), "12");
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
    EXPECT_EQ(session.neighbourEditableColumn(moved, kColNo, 1), kColVolume);
    EXPECT_EQ(session.neighbourEditableColumn(moved, kColPitch, 1), -1);  // not shown
    doc.setMusicBank(true);
    EXPECT_EQ(session.neighbourEditableColumn(all, kColNo, 1), kColPriority);
}

}  // namespace
}  // namespace quillon
