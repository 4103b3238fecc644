// Holders of one folder's lock take turns; a folder that cannot be locked
// lets its taker go on without the lock rather than stop it.
#include "platform/FolderLock.h"

#include <gtest/gtest.h>

#include <future>
#include <memory>
#include <thread>

#include "support/TempFolder.h"

namespace quillon {
namespace {

using namespace std::chrono_literals;

TEST(FolderLock, ASecondHolderIsToldItWaitsAndGetsTheLockWhenTheFirstLetsGo) {
    test::TempFolder dir;
    auto first = std::make_unique<FolderLock>();
    ASSERT_EQ(first->take(dir.path(), nullptr), FolderLock::Taken::Now);
    FolderLock second;
    // The editor's save waits a moment for a pipeline's run, then gives up.
    EXPECT_EQ(second.takeWithin(dir.path(), 60ms), FolderLock::Taken::Busy);
    EXPECT_FALSE(second.held());

    std::promise<void> told;
    FolderLock::Taken taken = FolderLock::Taken::Not;
    std::thread other([&] { taken = second.take(dir.path(), [&] { told.set_value(); }); });
    EXPECT_EQ(told.get_future().wait_for(60s), std::future_status::ready);
    first.reset();  // letting go is what ends the second one's wait
    other.join();
    EXPECT_EQ(taken, FolderLock::Taken::AfterWait);
    EXPECT_TRUE(second.held());
}

// Taking another folder lets the first one go; a limited wait takes the
// lock freed in time.
TEST(FolderLock, ALockTakenAgainOrLetGoLeavesTheFolderFree) {
    test::TempFolder dir, other;
    auto lock = std::make_unique<FolderLock>();
    ASSERT_EQ(lock->take(dir.path(), nullptr), FolderLock::Taken::Now);
    ASSERT_EQ(lock->take(other.path(), nullptr), FolderLock::Taken::Now);
    EXPECT_EQ(FolderLock().takeWithin(dir.path(), 0ms), FolderLock::Taken::Now);
    std::thread letGo([&] {
        std::this_thread::sleep_for(100ms);
        lock.reset();
    });
    EXPECT_EQ(FolderLock().takeWithin(other.path(), 60s), FolderLock::Taken::AfterWait);
    letGo.join();
}

TEST(FolderLock, AFolderThatCannotBeOpenedIsGoneOnWithout) {
    test::TempFolder dir;
    test::writeFileBytes(dir.file("plain"), {1});
    FolderLock lock;
    for (const char* name : {"missing", "plain"}) {
        EXPECT_EQ(lock.take(dir.file(name), nullptr), FolderLock::Taken::Not) << name;
        EXPECT_FALSE(lock.held()) << name;
    }
}

}  // namespace
}  // namespace quillon
