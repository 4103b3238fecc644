// The list operations on a document's rows: sorting, moving, renumbering,
// deleting (with the animation data check and the Clone counts), groups and
// playback flags, Find, Find Next and Goto, and the byte totals.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "bank/CellFormat.h"
#include "bank/ListOps.h"
#include "bank/RowCells.h"
#include "bank/SegmentNames.h"
#include "bank/Sorting.h"
#include "support/BankFixtures.h"
#include "support/FakeShell.h"
#include "support/TempFolder.h"

namespace quillon {
namespace {

using Texts = std::vector<std::string>;

// The move messages built from their blank counts, so a lost or extra blank in
// the constants shows.
const std::string kUnsorted =
    std::string(6, ' ') + "Cannot move wav until sorted by number" + std::string(11, ' ');
const std::string kFirst = std::string(6, ' ') + "Cannot move first item up" + std::string(17, ' ');
const std::string kLast = std::string(6, ' ') + "Cannot move last item down" + std::string(11, ' ');

struct Scrolls : RowListObserver {
    std::vector<int> rows;
    void scrollRequested(int row) override { rows.push_back(row); }
};

class ListOpsTest : public testing::Test {
  protected:
    // Appends a row with every cell that the operations read.
    int addRow(int number, const std::string& name, const std::string& location = "/snd",
               int clone = 0, uint32_t size = 100) {
        Row row;
        auto set = [&](int column, const std::string& text) {
            quillon::setCell(row, column, text);
        };
        set(kColNo, std::to_string(number));
        set(kColName, name);
        set(kColLocation, location);
        set(kColClone, std::to_string(clone));
        set(kColSize, std::to_string(size));
        set(kColBank, "*");
        for (int c = kColPriority; c < kColumnCount; ++c)
            set(c, "*");
        row.checked = true;
        return doc.rows().append(std::move(row));
    }
    void addRows(int count) {
        for (int i = 1; i <= count; ++i)
            addRow(i, "n" + std::to_string(i) + ".wav");
        doc.setModified(false);  // the rows stand as if opened
    }
    void select(std::initializer_list<int> indices) {
        doc.rows().clearSelection();
        for (int i : indices)
            doc.rows().setSelected(i, true);
    }
    void setCell(int row, int column, const std::string& text) {
        doc.rows().setCell(row, column, text);
    }
    Texts column(int c) const {
        Texts out;
        for (int i = 0; i < doc.rows().size(); ++i)
            out.push_back(doc.rows().cell(i, c));
        return out;
    }
    Texts keys(int c) const {
        Texts out;
        for (int i = 0; i < doc.rows().size(); ++i)
            out.emplace_back(sortKey(doc.rows().row(i), c));
        return out;
    }
    std::vector<int> selected() const { return doc.rows().selectedRows(); }

    test::TempFolder dir;
    test::FakeShell shell;
    CQuillonDoc doc{shell, nullptr};
};

// --- Sort ------------------------------------------------------------------------

// A row whose cell in the column is its own sort key, as every key is.
Row keyed(int column, std::string_view key) {
    Row r;
    setCell(r, column, key);
    return r;
}

TEST(CompareRows, OrdersKeysByValueInBothDirections) {
    struct Case {
        const char* name;
        int column;
        const char* a;
        const char* b;
        int ascending;  // CompareRows(a, b) with direction 0; direction 1 gives the opposite
    };
    const Case cases[] = {
        {"padded-numbers", kColPriority, "0003", "0005", -1},
        {"equal", kColPriority, "0042", "0042", 0},
        {"both-negative-turned-round", kColXPos, "-0005", "-0010", 1},
        {"negative-before-positive", kColXPos, "-0005", "0003", -1},
        {"not-set-before-negative", kColXPos, "*", "-0010", -1},
        {"not-set-before-positive", kColPriority, "*", "0001", -1},
        {"past-padding", kColNo, "10000", "9999", 1},
        {"negative-past-padding", kColXPos, "-10000", "-0005", -1},
        {"size-past-padding", kColSize, "123456789", "99999999", 1},
        {"distance-whole-part-longer", kColMinDist, "5.0000", "10.0000", -1},
        {"distance-fraction", kColMinDist, "0.5000", "0.0100", 1},
        {"negative-distances", kColMinDist, "-10.0000", "-0.5000", -1},
        {"text-ignores-case", kColName, "abc.wav", "ABC.WAV", 0},
        {"underscore-before-letters", kColName, "_x.wav", "a.wav", -1},
        {"digit-names-are-text-when-not-numbers", kColName, "10.wav", "9.wav", -1},
        {"play-type-text", kColPlayType, "once", "Overlap", -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Row a = keyed(c.column, c.a), b = keyed(c.column, c.b);
        EXPECT_EQ(CompareRows(a, b, c.column, 0), c.ascending);
        EXPECT_EQ(CompareRows(a, b, c.column, 1), -c.ascending);
        EXPECT_EQ(CompareRows(b, a, c.column, 0), -c.ascending);
    }
}

TEST_F(ListOpsTest, SortingEveryColumnClearsSortedByNumberAndFlipsItsDirection) {
    addRows(3);
    for (int c = 1; c < kColumnCount; ++c) {
        SCOPED_TRACE(c);
        resortByNumber(doc.rows());
        ASSERT_TRUE(doc.rows().sortState().sortedByNumber);
        int before = doc.rows().sortState().direction[size_t(c)];
        sortByColumn(doc.rows(), c);
        EXPECT_FALSE(doc.rows().sortState().sortedByNumber);
        EXPECT_EQ(doc.rows().sortState().direction[size_t(c)], 1 - before);
    }
}

TEST_F(ListOpsTest, NoSortsDescendingFirstThenAscending) {
    addRows(3);
    sortByColumn(doc.rows(), kColNo);
    EXPECT_EQ(column(kColNo), (Texts{"3", "2", "1"}));
    EXPECT_FALSE(doc.rows().sortState().sortedByNumber);
    select({1});
    EXPECT_EQ(moveSelectedUp(doc), MoveResult::NotSortedByNumber);
    sortByColumn(doc.rows(), kColNo);
    EXPECT_EQ(column(kColNo), (Texts{"1", "2", "3"}));
    EXPECT_TRUE(doc.rows().sortState().sortedByNumber);
    EXPECT_EQ(moveSelectedUp(doc), MoveResult::Moved);
}

TEST_F(ListOpsTest, DistancesSortByValue) {
    addRows(5);
    int i = 0;
    for (const char* d : {"10.000000", "5.000000", "*", "0.500000", "100.000000"})
        setCell(i++, kColMaxDist, d);
    doc.rows().sortState().direction[kColMaxDist] = 0;
    sortByColumn(doc.rows(), kColMaxDist);
    EXPECT_EQ(column(kColMaxDist), (Texts{"*", "0.500000", "5.000000", "10.000000", "100.000000"}));
    sortByColumn(doc.rows(), kColMaxDist);
    EXPECT_EQ(column(kColMaxDist), (Texts{"100.000000", "10.000000", "5.000000", "0.500000", "*"}));
}

TEST_F(ListOpsTest, SortKeepsSelectionAndCheckBoxesWithTheirRows) {
    addRow(1, "c.wav");
    addRow(2, "a.wav");
    addRow(3, "b.wav");
    select({0});
    doc.rows().setChecked(1, false);
    doc.rows().sortState().direction[kColName] = 0;
    sortByColumn(doc.rows(), kColName);
    EXPECT_EQ(column(kColName), (Texts{"a.wav", "b.wav", "c.wav"}));
    EXPECT_EQ(selected(), (std::vector<int>{2}));
    EXPECT_FALSE(doc.rows().row(0).checked);
    EXPECT_TRUE(doc.rows().row(2).checked);
}

TEST_F(ListOpsTest, ResortByNumberSortsAscendingWithoutFlipping) {
    addRows(3);
    sortByColumn(doc.rows(), kColName);  // descending by name
    resortByNumber(doc.rows());
    EXPECT_EQ(column(kColNo), (Texts{"1", "2", "3"}));
    EXPECT_TRUE(doc.rows().sortState().sortedByNumber);
    EXPECT_EQ(doc.rows().sortState().direction[kColNo], 0);
}

// --- Move --------------------------------------------------------------------------

TEST_F(ListOpsTest, MoveUpOfTwoRowsTakesTheirNumbersFromTheirPlaces) {
    addRows(5);
    doc.rows().setChecked(3, false);
    doc.rows().update(2, [](Row& r) { r.loadNumber = 33; });
    select({2, 3});
    Scrolls scrolls;
    doc.rows().addObserver(&scrolls);
    EXPECT_EQ(moveSelectedUp(doc), MoveResult::Moved);
    doc.rows().removeObserver(&scrolls);
    EXPECT_EQ(column(kColName), (Texts{"n1.wav", "n3.wav", "n4.wav", "n2.wav", "n5.wav"}));
    EXPECT_EQ(column(kColNo), (Texts{"1", "2", "3", "4", "5"}));
    EXPECT_EQ(keys(kColNo), (Texts{"0001", "0002", "0003", "0004", "0005"}));
    EXPECT_EQ(selected(), (std::vector<int>{1, 2}));
    // The check box and the record travel with the row.
    EXPECT_FALSE(doc.rows().row(2).checked);
    EXPECT_TRUE(doc.rows().row(3).checked);
    EXPECT_EQ(doc.rows().row(1).loadNumber, 33u);
    // Each move scrolls to the row above its new place.
    EXPECT_EQ(scrolls.rows, (std::vector<int>{0, 1}));
    EXPECT_TRUE(shell.messages.empty());
    EXPECT_TRUE(doc.isModified());
}

TEST_F(ListOpsTest, MoveUpOfRowsApartMovesEachOnePlace) {
    addRows(5);
    select({1, 3});
    EXPECT_EQ(moveSelectedUp(doc), MoveResult::Moved);
    EXPECT_EQ(column(kColName), (Texts{"n2.wav", "n1.wav", "n4.wav", "n3.wav", "n5.wav"}));
    EXPECT_EQ(selected(), (std::vector<int>{0, 2}));
}

TEST_F(ListOpsTest, MoveDownMovesTheBottomRowFirst) {
    addRows(5);
    select({1, 2});
    Scrolls scrolls;
    doc.rows().addObserver(&scrolls);
    EXPECT_EQ(moveSelectedDown(doc), MoveResult::Moved);
    doc.rows().removeObserver(&scrolls);
    EXPECT_EQ(column(kColName), (Texts{"n1.wav", "n4.wav", "n2.wav", "n3.wav", "n5.wav"}));
    EXPECT_EQ(column(kColNo), (Texts{"1", "2", "3", "4", "5"}));
    EXPECT_EQ(selected(), (std::vector<int>{2, 3}));
    EXPECT_EQ(scrolls.rows, (std::vector<int>{3, 2}));
}

TEST_F(ListOpsTest, MovesRefuseWithTheirExactMessagesAndMoveNothing) {
    struct Case {
        const char* name;
        bool sortedByNumber;
        std::vector<int> selection;
        bool up;
        MoveResult result;
        std::string message;
    };
    const std::vector<Case> cases = {
        {"up-unsorted", false, {2}, true, MoveResult::NotSortedByNumber, kUnsorted},
        {"down-unsorted", false, {2}, false, MoveResult::NotSortedByNumber, kUnsorted},
        {"up-first-row", true, {0}, true, MoveResult::AtFirstRow, kFirst},
        {"up-first-and-fifth", true, {0, 5}, true, MoveResult::AtFirstRow, kFirst},
        {"down-last-row", true, {5}, false, MoveResult::AtLastRow, kLast},
        {"down-last-and-another", true, {1, 5}, false, MoveResult::AtLastRow, kLast},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        doc.rows().clear();
        shell.messages.clear();
        addRows(6);
        doc.rows().sortState().sortedByNumber = c.sortedByNumber;
        doc.rows().clearSelection();
        for (int i : c.selection)
            doc.rows().setSelected(i, true);
        Texts before = column(kColName);
        EXPECT_EQ(c.up ? moveSelectedUp(doc) : moveSelectedDown(doc), c.result);
        EXPECT_EQ(shell.messageTexts(), (Texts{c.message}));
        EXPECT_EQ(shell.messages[0].icon, MessageIcon::Stop);
        EXPECT_EQ(column(kColName), before);
        EXPECT_EQ(selected(), c.selection);
    }
    // The constants carry the same blanks.
    EXPECT_EQ(kMessageMoveUnsorted, kUnsorted);
    EXPECT_EQ(kMessageMoveFirst, kFirst);
    EXPECT_EQ(kMessageMoveLast, kLast);
}

TEST_F(ListOpsTest, MovesWithNothingSelectedDoNothing) {
    addRows(3);
    EXPECT_EQ(moveSelectedUp(doc), MoveResult::NothingSelected);
    EXPECT_EQ(moveSelectedDown(doc), MoveResult::NothingSelected);
    EXPECT_TRUE(shell.messages.empty());
    EXPECT_FALSE(doc.isModified());
}

// --- Renumber ----------------------------------------------------------------------

TEST_F(ListOpsTest, RenumberInNameOrderKeepsTheMovesRefused) {
    addRow(7, "c.wav");
    addRow(3, "a.wav");
    addRow(12, "b.wav");
    doc.rows().sortState().direction[kColName] = 0;
    sortByColumn(doc.rows(), kColName);
    renumberBank(doc);
    EXPECT_EQ(column(kColName), (Texts{"a.wav", "b.wav", "c.wav"}));
    EXPECT_EQ(column(kColNo), (Texts{"1", "2", "3"}));
    EXPECT_EQ(keys(kColNo), (Texts{"0001", "0002", "0003"}));
    EXPECT_FALSE(doc.rows().sortState().sortedByNumber);
    select({1});
    EXPECT_EQ(moveSelectedUp(doc), MoveResult::NotSortedByNumber);
}

TEST_F(ListOpsTest, RenumberChangesNothingButTheNumbers) {
    addRow(5, "a.wav", "/snd", 1);
    addRow(9, "b.wav");
    setCell(0, kColPriority, "7");
    renumberBank(doc);
    EXPECT_EQ(column(kColNo), (Texts{"1", "2"}));
    EXPECT_EQ(column(kColClone), (Texts{"1", "0"}));
    EXPECT_EQ(column(kColPriority), (Texts{"7", "*"}));
    EXPECT_TRUE(doc.rows().sortState().sortedByNumber);
}

// --- Delete ------------------------------------------------------------------------

TEST_F(ListOpsTest, DeletingTwoRowsOfOneFileLowersTheCountOnce) {
    addRow(1, "a.wav", "/snd", 1);
    addRow(2, "other.wav", "/snd", 0);
    addRow(3, "A.WAV", "/SND", 1);  // the same file, letter case aside
    select({0});
    deleteSelectedRows(doc);
    EXPECT_EQ(column(kColName), (Texts{"other.wav", "A.WAV"}));
    EXPECT_EQ(column(kColClone), (Texts{"0", "0"}));
    EXPECT_EQ(keys(kColClone), (Texts{"0000", "0000"}));
    select({1});
    deleteSelectedRows(doc);
    EXPECT_EQ(column(kColName), (Texts{"other.wav"}));
    EXPECT_EQ(column(kColClone), (Texts{"0"}));
    EXPECT_TRUE(shell.messages.empty());
}

// A Refresh (Change Path) can bring a row of another folder onto a cloned
// file with Clone 0; deleting a clone must not take that row to -1.
TEST_F(ListOpsTest, DeletingAClonedRowNeverTakesACountBelowZero) {
    addRow(1, "a.wav", "/snd", 1);
    addRow(2, "a.wav", "/snd", 1);
    addRow(3, "a.wav", "/snd", 0);
    select({0});
    deleteSelectedRows(doc);
    EXPECT_EQ(column(kColClone), (Texts{"0", "0"}));
    EXPECT_EQ(keys(kColClone), (Texts{"0000", "0000"}));
}

// The rows go one at a time from the top, each whose count is still above 0
// lowering every row of its file by one (never below 0); the counts left must
// be the same whichever way the deletion is carried out.
TEST_F(ListOpsTest, DeletingManyRowsLeavesTheCountsOfDeletingThemOneByOne) {
    std::mt19937 random(7);
    for (int round = 0; round < 200; ++round) {
        doc.rows().clear();
        struct Model {
            int file, count;
            bool selected;
        };
        std::vector<Model> model;
        int rowCount = 1 + int(random() % 12);
        for (int i = 0; i < rowCount; ++i) {
            Model m{int(random() % 3), int(random() % 4), random() % 2 == 0};
            model.push_back(m);
            // One file under three spellings of its letter case.
            std::string name = std::string(size_t(1 + i % 3), 'f') + std::to_string(m.file);
            std::string spelled = i % 2 ? name : std::string(1, char('F')) + name.substr(1);
            addRow(i + 1, spelled + ".wav", "/snd", m.count);
        }
        for (int i = 0; i < rowCount; ++i)
            doc.rows().setSelected(i, model[size_t(i)].selected);

        // The rows of one file share its name ignoring case only when the
        // lengths agree, so a file is its name's length and its digit.
        auto sameFile = [&](size_t a, size_t b) {
            return model[a].file == model[b].file && a % 3 == b % 3;
        };
        std::vector<size_t> left;
        for (size_t i = 0; i < model.size(); ++i)
            left.push_back(i);
        for (size_t i = 0; i < model.size(); ++i) {
            if (!model[i].selected) continue;
            if (model[i].count > 0)
                for (size_t j : left)
                    if (sameFile(i, j)) model[j].count = std::max(0, model[j].count - 1);
            left.erase(std::find(left.begin(), left.end(), i));
        }
        Texts expected;
        for (size_t j : left)
            expected.push_back(std::to_string(model[j].count));

        deleteSelectedRows(doc);
        ASSERT_EQ(column(kColClone), expected) << "round " << round;
    }
}

TEST_F(ListOpsTest, DeleteEmptiesTheSelectedItemBox) {
    addRows(2);
    doc.showSelectedItem(1);
    ASSERT_EQ(doc.selectedItem().name, "n2.wav");
    select({1});
    deleteSelectedRows(doc);
    EXPECT_EQ(doc.selectedItem().name, "");
    EXPECT_EQ(doc.selectedItem().description, "");
    EXPECT_TRUE(doc.isModified());
}

class AnimBankTest : public ListOpsTest {
  protected:
    // Opens a bank of samples 1 to 4 (the highest group 4) whose animation data
    // use the given wave numbers; withAnimArray false leaves the animation
    // array segment out.
    void openBank(std::initializer_list<uint32_t> waveNumberWords, bool withAnimArray = true) {
        std::vector<std::vector<uint8_t>> records;
        for (uint32_t n = 1; n <= 4; ++n)
            records.push_back(test::storedRecord(n, 0, 0, uint16_t(n == 3 ? 4 : 1)));
        std::vector<test::Segment> segments = {
            {ZQFileSegmentBankInfo, test::blankBankInfo()},
            {ZQFileSegmentWaveData, {}},
            {ZQFileSegmentBankSampleTable, test::sampleTable(4, records)}};
        if (withAnimArray) segments.push_back({ZQFileSegmentAnimArray, {1, 2, 3}});
        segments.push_back({ZQFileSegmentAnimArrayWaveNumbers, test::u32Words(waveNumberWords)});
        std::string path = dir.file("anim" + std::to_string(++banks) + ".sad");
        ASSERT_TRUE(test::writeContainer(path, segments));
        ASSERT_TRUE(doc.OnOpenDocument(path));
        ASSERT_EQ(doc.rows().size(), 4);
    }
    int banks = 0;
};

TEST_F(AnimBankTest, RowsUsedByTheAnimationDataStayWithTheirMessage) {
    // Groups: (2: 2, 4) and (1: 9).
    openBank({2, 2, 4, 1, 9});
    select({0, 1, 2, 3});
    deleteSelectedRows(doc);
    EXPECT_EQ(column(kColNo), (Texts{"2", "4"}));
    EXPECT_EQ(shell.messageTexts(),
              (Texts{"sample 2 in use by anim data", "sample 4 in use by anim data"}));
    EXPECT_EQ(shell.messages[0].icon, MessageIcon::Stop);
    EXPECT_EQ(doc.rows().selectedCount(), 0);
    // The message names the row's current No; the check uses its load number.
    renumberBank(doc);
    shell.messages.clear();
    select({0});
    deleteSelectedRows(doc);
    EXPECT_EQ(shell.messageTexts(), (Texts{"sample 1 in use by anim data"}));
    EXPECT_EQ(doc.rows().size(), 2);
}

TEST_F(AnimBankTest, RowsAddedSinceTheSaveAreHeldBackOnlyByNumberZero) {
    openBank({1, 3});
    addRow(5, "new.wav");  // load number 0
    select({4});
    deleteSelectedRows(doc);
    EXPECT_EQ(doc.rows().size(), 4);
    EXPECT_TRUE(shell.messages.empty());

    openBank({2, 3, 0});
    addRow(5, "new.wav");
    select({4});
    deleteSelectedRows(doc);
    EXPECT_EQ(shell.messageTexts(), (Texts{"sample 5 in use by anim data"}));
    EXPECT_EQ(doc.rows().size(), 5);
}

TEST_F(AnimBankTest, WithoutTheAnimationArrayNothingIsHeldBack) {
    openBank({4, 1, 2, 3, 4}, false);
    select({0, 1, 2, 3});
    deleteSelectedRows(doc);
    EXPECT_EQ(doc.rows().size(), 0);
    EXPECT_TRUE(shell.messages.empty());
}

TEST_F(AnimBankTest, ACountPastTheEndOfTheWaveNumbersIsCutThere) {
    openBank({1000000, 3});
    select({0, 1, 2, 3});
    deleteSelectedRows(doc);
    EXPECT_EQ(column(kColNo), (Texts{"3"}));
    EXPECT_EQ(shell.messageTexts(), (Texts{"sample 3 in use by anim data"}));
}

// --- Groups and playback -----------------------------------------------------------

TEST_F(AnimBankTest, CreateGroupGivesFiveThenSixAfterABankWithHighestGroupFour) {
    openBank({0});
    EXPECT_EQ(doc.rows().highestGroup(), 4);
    select({0, 2});
    createGroupForSelected(doc);
    EXPECT_EQ(column(kColGroup), (Texts{"5", "1", "5", "1"}));
    EXPECT_EQ(keys(kColGroup), (Texts{"0005", "0001", "0005", "0001"}));
    select({1});
    createGroupForSelected(doc);
    EXPECT_EQ(column(kColGroup), (Texts{"5", "6", "5", "1"}));
    EXPECT_EQ(doc.rows().highestGroup(), 6);
    EXPECT_TRUE(doc.isModified());
}

TEST_F(ListOpsTest, CreateGroupWithoutSelectionChangesNothing) {
    doc.rows().setHighestGroup(4);
    addRows(2);
    createGroupForSelected(doc);
    EXPECT_EQ(doc.rows().highestGroup(), 4);
    EXPECT_EQ(column(kColGroup), (Texts{"*", "*"}));
    EXPECT_FALSE(doc.isModified());
}

TEST_F(ListOpsTest, PlaybackFlagsChangeOnlyTheSelectedRows) {
    addRows(3);
    select({0, 2});
    setPlaybackForSelected(doc, false);
    EXPECT_FALSE(doc.rows().row(0).checked);
    EXPECT_TRUE(doc.rows().row(1).checked);
    EXPECT_FALSE(doc.rows().row(2).checked);
    select({0});
    setPlaybackForSelected(doc, true);
    EXPECT_TRUE(doc.rows().row(0).checked);
    EXPECT_FALSE(doc.rows().row(2).checked);
}

// --- Find and Goto -----------------------------------------------------------------

TEST_F(ListOpsTest, FindNextGoesOnAndWrapsToTheFirstMatch) {
    addRow(1, "Footstep1.wav");
    addRow(2, "door.wav");
    addRow(3, "STEPS.wav");
    doc.texts().findText = "Step";
    findRow(doc);
    EXPECT_EQ(selected(), (std::vector<int>{0}));
    EXPECT_EQ(doc.rows().current(), 0);
    EXPECT_EQ(doc.texts().findText, "step");  // kept in lower case
    EXPECT_EQ(doc.texts().findPosition, 1);
    EXPECT_EQ(doc.selectedItem().name, "Footstep1.wav");
    findNextRow(doc);
    EXPECT_EQ(selected(), (std::vector<int>{2}));
    EXPECT_EQ(doc.selectedItem().name, "STEPS.wav");
    EXPECT_EQ(doc.texts().findPosition, 3);
    findNextRow(doc);  // at the row count: wraps
    EXPECT_EQ(selected(), (std::vector<int>{0}));
    EXPECT_EQ(doc.texts().findPosition, 1);
}

TEST_F(ListOpsTest, FindWithoutAMatchClearsTheSelectionAndTheBox) {
    addRows(3);
    select({1, 2});
    doc.showSelectedItem(1);
    Scrolls scrolls;
    doc.rows().addObserver(&scrolls);
    doc.texts().findText = "zzz";
    findRow(doc);
    doc.rows().removeObserver(&scrolls);
    EXPECT_TRUE(selected().empty());
    EXPECT_EQ(scrolls.rows, (std::vector<int>{0}));
    EXPECT_EQ(doc.selectedItem().name, "");
    EXPECT_EQ(doc.selectedItem().size, "");
    select({1});
    findNextRow(doc);
    EXPECT_TRUE(selected().empty());
}

TEST_F(ListOpsTest, FindEdgeCases) {
    doc.texts().findText = "ABC";
    findRow(doc);  // no rows: nothing at all
    findNextRow(doc);
    EXPECT_EQ(doc.texts().findText, "ABC");
    addRows(3);
    doc.texts().findText = "";
    findRow(doc);  // the empty text matches the first row
    EXPECT_EQ(selected(), (std::vector<int>{0}));
    // A find position left past the end by deleted rows wraps.
    doc.texts().findText = "n2";
    doc.texts().findPosition = 10;
    findNextRow(doc);
    EXPECT_EQ(selected(), (std::vector<int>{1}));
    // A match only before the find position is found again from the top.
    findNextRow(doc);
    EXPECT_EQ(selected(), (std::vector<int>{1}));
}

TEST_F(ListOpsTest, GotoSelectsTheNumberWhereverItStands) {
    addRow(9, "nine.wav");
    addRow(7, "seven.wav");
    addRow(3, "three.wav");
    select({0, 2});
    doc.texts().gotoNumber = 7;
    gotoRow(doc);
    EXPECT_EQ(selected(), (std::vector<int>{1}));
    EXPECT_EQ(doc.rows().current(), 1);
    EXPECT_EQ(doc.selectedItem().name, "seven.wav");
    for (int missing : {8, 0, -7}) {
        doc.texts().gotoNumber = missing;
        gotoRow(doc);
        EXPECT_EQ(selected(), (std::vector<int>{1})) << missing;
        EXPECT_EQ(doc.texts().gotoNumber, missing);
    }
}

// --- Byte totals -------------------------------------------------------------------

TEST(ByteTotalFormat, GroupsThousandsRightAlignedInFourteen) {
    struct Case {
        uint64_t total;
        const char* text;
    };
    for (Case c : {Case{0, ""}, Case{1, "             1"}, Case{999, "           999"},
                   Case{1000, "         1,000"}, Case{999999, "       999,999"},
                   Case{1000000, "     1,000,000"}, Case{1234567, "     1,234,567"},
                   Case{4294967295u, " 4,294,967,295"}, Case{5000000000u, " 5,000,000,000"},
                   Case{123456789012345u, "123,456,789,012,345"}})
        EXPECT_EQ(formatByteTotal(c.total), c.text) << c.total;
}

TEST_F(ListOpsTest, TotalsCountEachFileOnceAndTheSelectedApart) {
    addRow(1, "a.wav", "/snd", 1, 100);
    addRow(2, "b.wav", "/snd", 0, 50);
    addRow(3, "A.WAV", "/Snd", 1, 100);  // the same file as row 1
    addRow(4, "c.wav", "/snd", 0, 7);
    select({1, 2});
    ByteTotals totals = byteTotals(doc.rows());
    EXPECT_EQ(totals.all, 157u);
    // The selected clone is not counted: its file was counted at row 1.
    EXPECT_EQ(totals.selected, 50u);
    select({0});
    EXPECT_EQ(byteTotals(doc.rows()).selected, 100u);
}

TEST_F(ListOpsTest, TotalsCompareThePathsAsTheyAreJoined) {
    addRow(1, "b.wav", "/snd/", 1, 10);  // a trailing separator joins without another
    addRow(2, "B.WAV", "/SND", 1, 10);
    addRow(3, "snd/b.wav", "", 0, 20);  // no folder: the path is the name alone
    addRow(4, "snd/b.wav", "", 0, 20);
    addRow(5, "b.wav", "/snd/x", 0, 40);  // a longer path with the same ending
    EXPECT_EQ(byteTotals(doc.rows()).all, 70u);
}

TEST_F(ListOpsTest, TotalsCountRowsWithAnEmptyCloneTextEachTime) {
    addRow(1, "a.wav", "/snd", 0, 100);
    addRow(2, "a.wav", "/snd", 0, 100);
    doc.rows().setCell(1, kColClone, "");
    EXPECT_EQ(byteTotals(doc.rows()).all, 200u);
}

TEST_F(ListOpsTest, TotalsPastFourGigabytesAreNotWrapped) {
    addRow(1, "a.wav", "/snd", 0, 4000000000u);
    addRow(2, "b.wav", "/snd", 0, 1000000000u);
    select({0, 1});
    ByteTotals totals = byteTotals(doc.rows());
    EXPECT_EQ(totals.all, 5000000000u);
    EXPECT_EQ(totals.selected, 5000000000u);
    EXPECT_EQ(formatByteTotal(totals.all), " 5,000,000,000");
    EXPECT_EQ(byteTotals(RowList()).all, 0u);
}

}  // namespace
}  // namespace quillon
