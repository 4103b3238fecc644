// Holders of one folder's lock take turns; a folder that cannot be locked
// lets its taker go on without the lock rather than stop it.
#include "platform/FolderLock.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <memory>
#include <thread>

#include "support/TempFolder.h"

namespace quillon {
namespace {

TEST(FolderLock, ASecondHolderIsToldItWaitsAndGetsTheLockWhenTheFirstLetsGo) {
    test::TempFolder dir;
    auto first = std::make_unique<FolderLock>();
    ASSERT_EQ(first->take(dir.path(), nullptr), FolderLock::Taken::Now);

    FolderLock second;
    std::promise<void> told;
    FolderLock::Taken taken = FolderLock::Taken::Not;
    std::thread other([&] { taken = second.take(dir.path(), [&] { told.set_value(); }); });
    const bool wasTold =
        told.get_future().wait_for(std::chrono::seconds(60)) == std::future_status::ready;
    first.reset();  // letting go is what ends the second one's wait
    other.join();
    EXPECT_TRUE(wasTold);
    EXPECT_EQ(taken, FolderLock::Taken::AfterWait);
    EXPECT_TRUE(second.held());
}

TEST(FolderLock, ALockTakenAgainOrLetGoLeavesTheFolderFree) {
    test::TempFolder dir;
    test::TempFolder other;
    FolderLock lock;
    ASSERT_EQ(lock.take(dir.path(), nullptr), FolderLock::Taken::Now);
    // Taking another folder lets the first one go.
    ASSERT_EQ(lock.take(other.path(), nullptr), FolderLock::Taken::Now);
    bool waited = false;
    {
        FolderLock next;
        EXPECT_EQ(next.take(dir.path(), [&] { waited = true; }), FolderLock::Taken::Now);
    }
    EXPECT_FALSE(waited);
}

// The editor's save waits a moment for a pipeline's run, then gives up.
TEST(FolderLock, ALimitedWaitEndsBusyWithNothingHeldOrTakesTheLockFreedInTime) {
    using namespace std::chrono_literals;
    test::TempFolder dir;
    auto first = std::make_unique<FolderLock>();
    ASSERT_EQ(first->take(dir.path(), nullptr), FolderLock::Taken::Now);
    FolderLock second;
    EXPECT_EQ(second.takeWithin(dir.path(), 60ms), FolderLock::Taken::Busy);
    EXPECT_FALSE(second.held());

    std::thread letGo([&] {
        std::this_thread::sleep_for(100ms);
        first.reset();
    });
    EXPECT_EQ(second.takeWithin(dir.path(), 60s), FolderLock::Taken::AfterWait);
    letGo.join();
    EXPECT_TRUE(second.held());
}

TEST(FolderLock, AFolderThatCannotBeOpenedIsGoneOnWithout) {
    test::TempFolder dir;
    FolderLock lock;
    EXPECT_EQ(lock.take(dir.file("missing"), nullptr), FolderLock::Taken::Not);
    EXPECT_FALSE(lock.held());
    test::writeFileBytes(dir.file("plain"), {1, 2, 3});
    EXPECT_EQ(lock.take(dir.file("plain"), nullptr), FolderLock::Taken::Not);
    EXPECT_FALSE(lock.held());
}

}  // namespace
}  // namespace quillon
