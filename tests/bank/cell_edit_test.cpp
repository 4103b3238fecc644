// Checking a typed cell value against its column's bounds, and writing it into
// every selected row with the column's sort key.
#include <gtest/gtest.h>

#include "bank/CellEdit.h"
#include "bank/CellFormat.h"
#include "bank/RowCells.h"
#include "support/FakeShell.h"

namespace quillon {
namespace {

struct Bounds {
    int column;
    int low, high;
    const char* message;
};

const Bounds kBounds[] = {
    {kColPriority, 1, 9999, "Invalid Priority (Range 1 to 9999)"},
    {kColGroup, 1, 9999, "Invalid Group (Range 1 to 9999)"},
    {kColAtmosGroup, 1, 9999, "Invalid Atmos Group (Range 1 to 9999)"},
    {kColAtmos, 0, 9999, "Invalid Atmos Timing (Range 0 to 9999)"},
    {kColVolume, 0, 127, "Invalid Volume (Range 0 to 127)"},
    {kColUserParam, 0, 32767, "Invalid Reverb Volume (Range 0 to 32767)"},
    {kColLoop, -1, 9999, "Invalid Loop Count (Range -1 to 9999)"},
    {kColPitch, 1, 1000, "Invalid Pitch (Range 1 to 1000)"},
    {kColPitchVar, 1, 100, "Invalid Pitch Variation (Range 1 to 100)"},
    {kColPan, 0, 180, "Invalid 2D Pan (Range 0 to 180)"},
    {kColXPos, -9999, 9999, "Invalid X Pos (Range -9999 to 9999)"},
    {kColYPos, -9999, 9999, "Invalid Y Pos (Range -9999 to 9999)"},
    {kColZPos, -9999, 9999, "Invalid Z Pos (Range -9999 to 9999)"},
    {kColScale, 0, 100, "Invalid Scale (Range 0 to 100)"},
};

TEST(ValidateCellEdit, IntegerColumnsPassBothEndsAndRefuseOnePastEach) {
    for (const Bounds& b : kBounds) {
        SCOPED_TRACE(columnTable()[b.column].title);
        for (int n : {b.low, b.high}) {
            std::string text = std::to_string(n);
            CellCheck check = ValidateCellEdit(b.column, text);
            EXPECT_TRUE(check.valid) << n;
            EXPECT_EQ(check.message, "");
            EXPECT_EQ(text, std::to_string(n));
        }
        for (int n : {b.low - 1, b.high + 1}) {
            std::string text = std::to_string(n);
            CellCheck check = ValidateCellEdit(b.column, text);
            EXPECT_FALSE(check.valid) << n;
            EXPECT_EQ(check.message, b.message);
        }
        for (std::string text : {"", "abc", "-", "+", " 5", "x1"}) {
            CellCheck check = ValidateCellEdit(b.column, text);
            EXPECT_FALSE(check.valid) << '"' << text << '"';
            EXPECT_EQ(check.message, b.message);
        }
    }
}

TEST(ValidateCellEdit, NumericTextBecomesItsLeadingInteger) {
    struct Case {
        int column;
        const char* typed;
        bool valid;
        const char* shown;  // the editor's text afterwards
    };
    for (Case c : {Case{kColPriority, "12abc", true, "12"}, Case{kColPan, "+5", true, "5"},
                   Case{kColLoop, "-1", true, "-1"}, Case{kColLoop, "-2", false, "-2"},
                   Case{kColPriority, "0042", true, "42"}, Case{kColVolume, "64.9", true, "64"},
                   Case{kColPan, ".5", true, "0"}, Case{kColPriority, ".5", false, "0"},
                   Case{kColXPos, "-12xyz", true, "-12"}, Case{kColScale, "50", true, "50"},
                   Case{kColScale, "51", true, "51"},
                   Case{kColPriority, "99999999999999999999", false, "9223372036854775807"}}) {
        std::string text = c.typed;
        EXPECT_EQ(ValidateCellEdit(c.column, text).valid, c.valid) << c.typed;
        EXPECT_EQ(text, c.shown) << c.typed;
    }
}

TEST(ValidateCellEdit, DistancesAreCheckedAsRealNumbersAndShownWithSixDecimals) {
    struct Case {
        const char* typed;
        bool valid;
        const char* shown;
    };
    for (int column : {kColMinDist, kColMaxDist}) {
        std::string message = column == kColMinDist ? "Invalid Min Dist (Range 0.01 to 9999)"
                                                    : "Invalid Max Dist (Range 0.01 to 9999)";
        for (Case c : {Case{".5", true, "0.500000"}, Case{"0.01", true, "0.010000"},
                       Case{"0.005", false, "0.005"}, Case{"0", false, "0"},
                       Case{"9999", true, "9999.000000"}, Case{"9999.9", true, "9999.900000"},
                       Case{"10000", false, "10000"}, Case{"-3", false, "-3"},
                       Case{"2.5m", true, "2.500000"}, Case{"1e5", false, "1e5"},
                       Case{"1e2", true, "100.000000"}, Case{"", false, ""}}) {
            std::string text = c.typed;
            CellCheck check = ValidateCellEdit(column, text);
            EXPECT_EQ(check.valid, c.valid) << c.typed;
            EXPECT_EQ(check.message, c.valid ? "" : message) << c.typed;
            if (c.valid) {
                EXPECT_EQ(text, c.shown) << c.typed;
            }
        }
    }
}

TEST(ValidateCellEdit, TextColumnsAndNotSet) {
    struct Case {
        int column;
        const char* typed;
        bool valid;
    };
    for (Case c : {Case{kColDescription, "2nd take", true}, Case{kColDescription, "", true},
                   Case{kColPlayType, "ONCE", true}, Case{kColPlayType, "once", true},
                   Case{kColPlayType, "Restart", true}, Case{kColPlayType, "overlap", true},
                   Case{kColPlayType, "1", false}, Case{kColPlayType, "", false},
                   Case{kColPlayType, "Once ", false}, Case{kColName, "anything", true}}) {
        std::string text = c.typed;
        CellCheck check = ValidateCellEdit(c.column, text);
        EXPECT_EQ(check.valid, c.valid) << c.typed;
        EXPECT_EQ(check.message, c.valid ? "" : "Invalid Playback Type - use dropdown box");
        EXPECT_EQ(text, c.typed);  // kept as typed
    }
    for (int column = 0; column < kColumnCount; ++column) {
        if (!columnAt(column).editable) continue;
        std::string text = "*";
        EXPECT_TRUE(ValidateCellEdit(column, text).valid) << columnTable()[column].title;
        EXPECT_EQ(text, "*");
    }
}

class CommitTest : public testing::Test {
  protected:
    void SetUp() override {
        for (int i = 0; i < 4; ++i) {
            Row row;
            for (int c = kColPriority; c < kColumnCount; ++c)
                setCell(row, c, "*");
            doc.rows().append(std::move(row));
        }
        doc.setModified(false);  // the rows stand as if opened
    }
    void select(std::initializer_list<int> indices) {
        doc.rows().clearSelection();
        for (int i : indices)
            doc.rows().setSelected(i, true);
    }
    std::string key(int row, int column) const {
        return std::string(sortKey(doc.rows().row(row), column));
    }

    test::FakeShell shell;
    CQuillonDoc doc{shell, nullptr};
};

TEST_F(CommitTest, EverySelectedRowGetsTheValueAndOnlyThatColumnsKey) {
    select({0, 2, 3});
    std::vector<std::string> before;
    for (int c = 0; c < kColumnCount; ++c)
        before.push_back(key(1, c));
    CommitCellEdit(doc, kColVolume, "64");
    for (int i : {0, 2, 3}) {
        EXPECT_EQ(doc.rows().cell(i, kColVolume), "64");
        EXPECT_EQ(key(i, kColVolume), "064");
        EXPECT_EQ(key(i, kColUserParam), "*");
    }
    EXPECT_EQ(doc.rows().cell(1, kColVolume), "*");
    for (int c = 0; c < kColumnCount; ++c)
        EXPECT_EQ(key(1, c), before[size_t(c)]);
    EXPECT_TRUE(doc.isModified());
}

TEST_F(CommitTest, EachColumnWritesItsKeyForm) {
    struct Case {
        int column;
        const char* text;
        const char* key;
    };
    select({1});
    for (Case c :
         {Case{kColPriority, "7", "0007"}, Case{kColGroup, "12", "0012"},
          Case{kColAtmosGroup, "3", "0003"}, Case{kColAtmos, "250", "0250"},
          Case{kColVolume, "5", "005"}, Case{kColUserParam, "5", "005"}, Case{kColPan, "90", "090"},
          Case{kColLoop, "-1", "-0001"}, Case{kColPitch, "150", "0150"},
          Case{kColPitchVar, "9", "0009"}, Case{kColXPos, "-12", "-0012"},
          Case{kColYPos, "4", "0004"}, Case{kColZPos, "9999", "9999"},
          Case{kColMinDist, "0.500000", "0.5000"}, Case{kColMaxDist, "20.000000", "20.0000"},
          Case{kColScale, "7", "0007"}, Case{kColPlayType, "ONCE", "ONCE"},
          Case{kColDescription, "2nd take", "2nd take"}, Case{kColPriority, "*", "*"}}) {
        std::vector<std::string> others;
        for (int k = 0; k < kColumnCount; ++k)
            others.push_back(k == c.column ? "" : key(1, k));
        CommitCellEdit(doc, c.column, c.text);
        EXPECT_EQ(doc.rows().cell(1, c.column), c.text);
        EXPECT_EQ(key(1, c.column), c.key) << columnTable()[c.column].title;
        for (int k = 0; k < kColumnCount; ++k)
            if (k != c.column) {
                EXPECT_EQ(key(1, k), others[size_t(k)]) << k;
            }
    }
}

TEST_F(CommitTest, GroupRaisesHighestGroupOnly) {
    doc.rows().setHighestGroup(4);
    select({0, 1});
    CommitCellEdit(doc, kColGroup, "12");
    EXPECT_EQ(doc.rows().highestGroup(), 12);
    for (const char* lower : {"3", "*"}) {
        CommitCellEdit(doc, kColGroup, lower);
        EXPECT_EQ(doc.rows().highestGroup(), 12);
    }
    // Another column's value is no group.
    CommitCellEdit(doc, kColAtmosGroup, "50");
    EXPECT_EQ(doc.rows().highestGroup(), 12);
}

TEST_F(CommitTest, DescriptionIsCutTo255AndAnEmptyOneShowsNone) {
    select({2});
    CommitCellEdit(doc, kColDescription, std::string(300, 'd'));
    EXPECT_EQ(doc.rows().cell(2, kColDescription), std::string(255, 'd'));
    EXPECT_EQ(key(2, kColDescription), std::string(255, 'd'));
    CommitCellEdit(doc, kColDescription, "");
    doc.showSelectedItem(2);
    EXPECT_EQ(doc.selectedItem().description, "None");
}

// A cut never splits a character: the Description stays readable text.
TEST_F(CommitTest, DescriptionIsCutBeforeACharacterThatWouldNotFit) {
    select({1});
    std::string accented;
    for (int i = 0; i < 200; ++i)
        accented += "\u00e9";  // two bytes each
    CommitCellEdit(doc, kColDescription, accented);
    std::string kept = accented.substr(0, 254);
    EXPECT_EQ(doc.rows().cell(1, kColDescription), kept);
    EXPECT_EQ(key(1, kColDescription), kept);
}

TEST_F(CommitTest, NothingSelectedWritesNothing) {
    CommitCellEdit(doc, kColPriority, "5");
    for (int i = 0; i < doc.rows().size(); ++i)
        EXPECT_EQ(doc.rows().cell(i, kColPriority), "*");
    EXPECT_FALSE(doc.isModified());
}

TEST_F(CommitTest, DescriptionIsNotEditableInAMusicBank) {
    EXPECT_TRUE(canEditColumn(doc, kColDescription));
    doc.setMusicBank(true);
    EXPECT_FALSE(canEditColumn(doc, kColDescription));
    EXPECT_TRUE(canEditColumn(doc, kColPriority));
    EXPECT_TRUE(canEditColumn(doc, kColPlayType));
    for (int column : {kColNo, kColName, kColLocation, kColBank, kColClone, kColFormat,
                       kColCompression, kColSize, kColLStart, kColLEnd})
        EXPECT_FALSE(canEditColumn(doc, column)) << column;
}

}  // namespace
}  // namespace quillon
