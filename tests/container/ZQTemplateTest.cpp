// The directory list: order, deleting anywhere, and the checks of Delete,
// which log and carry on without touching the list.
#include "container/ZQTemplate.h"

#include <gtest/gtest.h>

#include <vector>

#include "ContainerTestSupport.h"

namespace quillon {
namespace {

using containertest::LogCapture;

std::vector<int> itemsOf(const ZQTemplate<int>& list) {
    std::vector<int> out;
    for (int item : list)
        out.push_back(item);
    return out;
}

TEST(ZQTemplateTest, InsertPutsAtTheHeadAndDeleteTakesAnyNode) {
    LogCapture log;
    int items[] = {1, 2, 3, 4};
    ZQTemplate<int> list;
    for (int& item : items)
        ASSERT_TRUE(list.Insert(&item));
    EXPECT_EQ(itemsOf(list), (std::vector<int>{4, 3, 2, 1}));
    EXPECT_EQ(list.GetCount(), 4u);
    EXPECT_EQ(list.First(), &items[3]);

    list.Delete(&items[1]);  // from the middle
    EXPECT_EQ(itemsOf(list), (std::vector<int>{4, 3, 1}));
    list.Delete(&items[3]);  // the head
    list.Delete(&items[0]);  // the tail
    EXPECT_EQ(itemsOf(list), (std::vector<int>{3}));
    EXPECT_EQ(list.GetCount(), 1u);
    list.Delete(&items[2]);
    EXPECT_TRUE(list.IsEmpty());
    EXPECT_EQ(list.First(), nullptr);
    EXPECT_TRUE(log.texts().empty());
}

TEST(ZQTemplateTest, DeleteOfAnItemNotInTheListLogsItsChecksAndChangesNothing) {
    LogCapture log;
    int inside = 1, outside = 2;
    ZQTemplate<int> list;
    list.Delete(&outside);
    EXPECT_EQ(list.GetCount(), 0u) << "the count must not wrap";
    const std::string notFound =
        LogCapture::failedCheck("deleted_one == true", "Quenz: Not Found in linked list");
    EXPECT_EQ(
        log.texts(),
        (std::vector<std::string>{
            LogCapture::failedCheck("Count > 0", "Quenz: Linked List Count Error"),
            LogCapture::failedCheck("Head.Get()", "Quenz: Linked List No Head Error"), notFound}));
    log.clear();
    ASSERT_TRUE(list.Insert(&inside));
    list.Delete(&outside);
    EXPECT_EQ(itemsOf(list), std::vector<int>{1});
    EXPECT_EQ(log.texts(), std::vector<std::string>{notFound});
    list.Delete(&inside);
}

TEST(ZQTemplateTest, ListDestroyedWithNodesSaysSoAndFreesThem) {
    LogCapture log;
    int item = 1;
    {
        ZQTemplate<int> list;
        ASSERT_TRUE(list.Insert(&item));
    }  // its node is freed (a leak shows under ASan); the item is not the list's
    EXPECT_EQ(log.texts(), std::vector<std::string>{LogCapture::failedCheck(
                               "Count == 0", "Must Clear List before destructing")});
    EXPECT_EQ(item, 1);
}

}  // namespace
}  // namespace quillon
