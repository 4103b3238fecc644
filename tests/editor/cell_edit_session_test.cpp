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

}  // namespace
}  // namespace quillon
