#include <gtest/gtest.h>

#include "bank/RowList.h"

namespace quillon {
namespace {

struct Recorder : RowListObserver {
    std::string events;
    void beforeRowsInserted(int f, int) override { events += "+" + std::to_string(f); }
    void rowsInserted(int, int l) override { events += std::to_string(l) + " "; }
    void beforeRowsRemoved(int f, int) override { events += "-" + std::to_string(f); }
    void rowsRemoved(int, int l) override { events += std::to_string(l) + " "; }
    void rowsChanged(int f, int) override { events += "c" + std::to_string(f) + " "; }
    void beforeReset() override { events += "<reset"; }
    void reset() override { events += ">"; }
};

Row named(const std::string& name, bool selected = false) {
    Row r;
    setCell(r, kColName, name);
    r.selected = selected;
    return r;
}

TEST(RowList, AnnouncesEveryChangeAroundIt) {
    RowList rows;
    Recorder rec;
    rows.addObserver(&rec);
    rows.append(named("a"));
    rows.append(named("b"));
    rows.setCell(1, kColDescription, "x");
    rows.remove(0);
    rows.clear();
    rows.assign({named("x"), named("y", true)});
    EXPECT_EQ(rec.events, "+00 +11 c1 -00 <reset><reset>");
    EXPECT_EQ(rows.selectedCount(), 1);
    rows.removeObserver(&rec);
    rows.append(named("c"));
    EXPECT_EQ(rec.events.size(), 29u);
}

TEST(RowList, SelectionAndCurrentRowFollowEveryWayRowsComeAndGo) {
    RowList rows;
    for (const char* n : {"a", "b", "c", "d"})
        rows.append(named(n));
    rows.setSelected(1, true);
    rows.setSelected(3, true);
    rows.setSelected(3, true);  // no change
    rows.setCurrent(3);
    EXPECT_EQ(rows.selectedRows(), (std::vector<int>{1, 3}));
    EXPECT_EQ(rows.nextSelected(2), 3);
    rows.remove(1);
    EXPECT_EQ(rows.selectedCount(), 1);
    EXPECT_EQ(rows.nextSelected(), 2);
    EXPECT_EQ(rows.current(), 2);
    rows.update(2, [](Row& r) { r.selected = false; });  // selection is not changed this way
    EXPECT_TRUE(rows.isSelected(2));
    rows.setChecked(1, true);
    rows.swapRows(1, 2);  // whole rows with their selection
    EXPECT_EQ(rows.cell(1, kColName), "d");
    EXPECT_TRUE(rows.isSelected(1));
    EXPECT_TRUE(rows.row(2).checked);
    EXPECT_EQ(rows.selectedCount(), 1);
    rows.remove(2);
    rows.remove(1);
    EXPECT_EQ(rows.current(), -1);
    rows.clearSelection();
    EXPECT_EQ(rows.nextSelected(), -1);
}

}  // namespace
}  // namespace quillon
