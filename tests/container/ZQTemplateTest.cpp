// The directory list; the checks of Delete log and carry on without touching it.
#include "container/ZQTemplate.h"

#include "ContainerTestSupport.h"

namespace quillon {
namespace {

using namespace containertest;

TEST(ZQTemplateTest, DeleteTakesAnyNodeAndRefusesStrangers) {
    int items[] = {1, 2, 3}, stranger = 4;
    LogCapture log;
    ZQTemplate<int> list;
    list.Delete(&stranger);
    EXPECT_EQ(list.GetCount(), 0u) << "the count must not wrap";
    for (int& item : items)
        ASSERT_TRUE(list.Insert(&item));
    list.Delete(&stranger);
    list.Delete(&items[1]);  // from the middle
    list.Delete(&items[0]);  // the tail
    EXPECT_EQ(std::vector<int>(list.begin(), list.end()), std::vector{3});
    EXPECT_EQ(log.lines.size(), 4u);  // no count, no head, not found; not found
    EXPECT_EQ(log.lines.back(),
              failedCheck("deleted_one == true", "Quenz: Not Found in linked list"));
}

}  // namespace
}  // namespace quillon
