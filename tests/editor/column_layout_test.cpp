// The column layout kept between runs: what the user arranged comes back, and
// an entry that no longer fits the table gives the defaults rather than a
// broken list.
#include <gtest/gtest.h>

#include "editor/AppSettings.h"

namespace quillon {
namespace {

constexpr int kColumns = 4;

struct BrokenEntry {
    const char* name;
    const char* value;
    const char* text;
};

class ColumnLayoutTest : public testing::TestWithParam<BrokenEntry> {
  protected:
    SettingsStore store{"unused"};
};

TEST(ColumnLayout, ArrangedColumnsComeBack) {
    SettingsStore store{"unused"};
    const ColumnLayout arranged{{3, 0, 1, 2}, {0, 250, 0, 40}, {0, 0, 1, 0}};
    writeColumnLayout(store, arranged);
    EXPECT_EQ(readColumnLayout(store, kColumns), arranged);
    // The defaults as written by Reset Columns read back as defaults.
    writeColumnLayout(store, ColumnLayout{});
    EXPECT_EQ(readColumnLayout(store, kColumns), ColumnLayout{});
}

TEST_P(ColumnLayoutTest, EntryThatNoLongerFitsGivesTheDefault) {
    const BrokenEntry& entry = GetParam();
    writeColumnLayout(store, {{0, 1, 2, 3}, {10, 20, 30, 40}, {0, 1, 0, 1}});
    store.setString(kColumnsSettingsKey, entry.value, entry.text);
    ColumnLayout layout = readColumnLayout(store, kColumns);
    const std::string value = entry.value;
    EXPECT_EQ(layout.order.empty(), value == "Order");
    EXPECT_EQ(layout.widths.empty(), value == "Widths");
    EXPECT_EQ(layout.hidden.empty(), value == "Hidden");
}

INSTANTIATE_TEST_SUITE_P(Entries, ColumnLayoutTest,
                         testing::Values(BrokenEntry{"table_gained_a_column", "Order", "0,1,2,3,4"},
                                         BrokenEntry{"column_shown_twice", "Order", "0,1,1,3"},
                                         BrokenEntry{"column_out_of_table", "Order", "0,1,2,4"},
                                         BrokenEntry{"negative_width", "Widths", "10,-5,30,40"},
                                         BrokenEntry{"table_lost_a_column", "Hidden", "0,1,0"}),
                         [](const testing::TestParamInfo<BrokenEntry>& info) {
                             return info.param.name;
                         });

}  // namespace
}  // namespace quillon
