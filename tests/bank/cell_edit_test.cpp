// A typed cell value checked against its column's bounds, and written into the selection.
#include <gtest/gtest.h>

#include "bank/CellEdit.h"
#include "bank/CellFormat.h"
#include "bank/RowCells.h"
#include "support/FakeShell.h"

namespace quillon {
namespace {

// The check, and the editor's text afterwards (nullptr: not looked at).
TEST(ValidateCellEdit, PassesBothEndsRefusesOnePastAndShowsTheLeadingNumber) {
    // clang-format off
    const struct { int column; const char* typed; bool valid; const char* shown; } cases[] = {
        {kColPriority, "1", true, "1"}, {kColPriority, "10000", false, "10000"},
        {kColLoop, "-1", true, "-1"}, {kColLoop, "-2", false, "-2"},
        {kColVolume, "127", true, "127"}, {kColVolume, "64.9", true, "64"},
        {kColPriority, "12abc", true, "12"}, {kColPan, "+5", true, "5"},
        {kColPan, ".5", true, "0"}, {kColPriority, ".5", false, "0"},
        {kColPriority, "", false, nullptr}, {kColPriority, " 5", false, nullptr},
        {kColPriority, "99999999999999999999", false, "9223372036854775807"},
        {kColMinDist, ".5", true, "0.500000"}, {kColMinDist, "0.005", false, nullptr},
        {kColMaxDist, "9999.9", true, "9999.900000"}, {kColMaxDist, "10000", false, nullptr},
        {kColMaxDist, "1e5", false, nullptr}, {kColMaxDist, "1e2", true, "100.000000"},
        {kColPlayType, "ONCE", true, "ONCE"}, {kColPlayType, "Once ", false, nullptr},
        {kColDescription, "", true, ""}};
    // clang-format on
    for (const auto& c : cases) {
        std::string text = c.typed;
        CellCheck check = ValidateCellEdit(c.column, text);
        EXPECT_EQ(std::tuple(check.valid, check.message.empty(), text),
                  std::tuple(c.valid, c.valid, c.shown ? c.shown : text))
            << '"' << c.typed << '"';
    }
    for (int column = 0; column < kColumnCount; ++column) {
        std::string typed = "*";
        EXPECT_TRUE(!columnAt(column).editable || ValidateCellEdit(column, typed).valid) << column;
    }
}

TEST(CommitCellEdit, EverySelectedRowGetsTheValueAndOnlyThatColumnsKey) {
    test::FakeShell shell;
    CQuillonDoc doc{shell, nullptr};
    for (bool selected : {true, false, true})
        doc.rows().append(Row()), doc.rows().setSelected(doc.rows().size() - 1, selected);
    doc.setModified(false);
    // clang-format off
    for (auto [column, text, key] : {std::tuple{kColVolume, "5", "005"}, {kColLoop, "-1", "-0001"},
             {kColMaxDist, "20.000000", "20.0000"}, {kColGroup, "12", "0012"},
             {kColGroup, "3", "0003"}, {kColAtmosGroup, "50", "0050"}}) {
        // clang-format on
        CommitCellEdit(doc, column, text);
        EXPECT_EQ(doc.rows().cell(2, column) + " " + sortKey(doc.rows().row(2), column),
                  std::string(text) + " " + key);
    }
    std::string untouched;
    for (int c = 0; c < kColumnCount; ++c)
        untouched += sortKey(doc.rows().row(1), c);
    EXPECT_EQ(untouched, "");
    EXPECT_TRUE(doc.isModified());
    EXPECT_EQ(doc.rows().highestGroup(), 12) << "raised by a Group above it only";
    // A Description is cut to 255 bytes, never inside a character; none shows "None".
    CommitCellEdit(doc, kColDescription, std::string(300, 'd'));
    EXPECT_EQ(sortKey(doc.rows().row(0), kColDescription), std::string(255, 'd'));
    std::string accented(400, '\xC3');
    for (size_t i = 1; i < accented.size(); i += 2)
        accented[i] = '\xA9';  // é, two bytes each
    CommitCellEdit(doc, kColDescription, accented);
    EXPECT_EQ(doc.rows().cell(2, kColDescription), accented.substr(0, 254));
    CommitCellEdit(doc, kColDescription, "");
    doc.showSelectedItem(2);
    EXPECT_EQ(doc.selectedItem().description, "None");
    // Description is not edited in a music bank; the file's facts never are.
    EXPECT_TRUE(canEditColumn(doc, kColDescription));
    doc.setMusicBank(true);
    for (int column : {kColDescription, kColNo, kColName, kColBank, kColSize, kColLStart})
        EXPECT_FALSE(canEditColumn(doc, column)) << column;
}

}  // namespace
}  // namespace quillon
