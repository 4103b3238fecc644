#include <gtest/gtest.h>

#include "bank/RowList.h"

namespace quillon {
namespace {

struct Recorder : RowListObserver {
    std::vector<std::string> events;
    void beforeRowsInserted(int f, int l) override { add("before-insert", f, l); }
    void rowsInserted(int f, int l) override { add("insert", f, l); }
    void beforeRowsRemoved(int f, int l) override { add("before-remove", f, l); }
    void rowsRemoved(int f, int l) override { add("remove", f, l); }
    void rowsChanged(int f, int l) override { add("change", f, l); }
    void beforeReorder() override { events.push_back("before-reorder"); }
    void reordered() override { events.push_back("reorder"); }
    void beforeReset() override { events.push_back("before-reset"); }
    void reset() override { events.push_back("reset"); }
    void selectionChanged() override { events.push_back("selection"); }
    void currentChanged(int row) override { add("current", row, row); }
    void add(const char* what, int f, int l) {
        events.push_back(std::string(what) + " " + std::to_string(f) + "-" + std::to_string(l));
    }
};

Row named(const std::string& name) {
    Row r;
    setCell(r, kColName, name);
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
    EXPECT_EQ(rec.events,
              (std::vector<std::string>{"before-insert 0-0", "insert 0-0", "before-insert 1-1",
                                        "insert 1-1", "change 1-1", "before-remove 0-0",
                                        "remove 0-0", "before-reset", "reset"}));
    rows.removeObserver(&rec);
    rows.append(named("c"));
    EXPECT_EQ(rec.events.size(), 9u);
}

TEST(RowList, SelectionCountFollowsEveryWayRowsComeAndGo) {
    RowList rows;
    for (const char* n : {"a", "b", "c", "d"})
        rows.append(named(n));
    rows.setSelected(1, true);
    rows.setSelected(3, true);
    rows.setSelected(3, true);  // no change
    EXPECT_EQ(rows.selectedCount(), 2);
    EXPECT_EQ(rows.selectedRows(), (std::vector<int>{1, 3}));
    EXPECT_EQ(rows.nextSelected(2), 3);
    rows.remove(1);
    EXPECT_EQ(rows.selectedCount(), 1);
    EXPECT_EQ(rows.nextSelected(), 2);
    rows.update(2, [](Row& r) { r.selected = false; });  // selection is not changed this way
    EXPECT_TRUE(rows.isSelected(2));
    rows.clearSelection();
    EXPECT_EQ(rows.selectedCount(), 0);
    EXPECT_EQ(rows.nextSelected(), -1);
}

TEST(RowList, CurrentRowFollowsRemovalsAbove) {
    RowList rows;
    for (const char* n : {"a", "b", "c"})
        rows.append(named(n));
    rows.setCurrent(2);
    rows.remove(0);
    EXPECT_EQ(rows.current(), 1);
    rows.remove(1);
    EXPECT_EQ(rows.current(), -1);
}

TEST(RowList, SwapExchangesWholeRowsWithTheirSelection) {
    RowList rows;
    for (const char* n : {"a", "b"})
        rows.append(named(n));
    rows.setSelected(0, true);
    rows.setChecked(1, true);
    rows.swapRows(0, 1);
    EXPECT_EQ(rows.cell(0, kColName), "b");
    EXPECT_TRUE(rows.row(0).checked);
    EXPECT_TRUE(rows.isSelected(1));
    EXPECT_EQ(rows.selectedCount(), 1);
}

TEST(RowList, AssignReplacesEverythingWithOneReset) {
    RowList rows;
    Recorder rec;
    rows.append(named("old"));
    rows.setCurrent(0);
    rows.addObserver(&rec);
    std::vector<Row> fresh;
    for (const char* n : {"x", "y"})
        fresh.push_back(named(n));
    fresh[1].selected = true;
    rows.assign(std::move(fresh));
    EXPECT_EQ(rec.events, (std::vector<std::string>{"before-reset", "reset"}));
    EXPECT_EQ(rows.size(), 2);
    EXPECT_EQ(rows.selectedCount(), 1);
    EXPECT_EQ(rows.current(), -1);
}

}  // namespace
}  // namespace quillon
