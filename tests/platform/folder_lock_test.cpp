// Holders of a folder's lock take turns; a run told it waits is pinned in tests/cli.
#include "platform/FolderLock.h"

#include <gtest/gtest.h>

#include <memory>
#include <thread>

#include "support/TempFolder.h"

namespace quillon {
namespace {

using namespace std::chrono_literals;
using Taken = FolderLock::Taken;

// The editor's save waits a moment for a pipeline's run; taking another lets go.
TEST(FolderLock, ALimitedWaitEndsBusyWithNothingHeldOrTakesTheLockFreedInTime) {
    test::TempFolder dir;
    auto first = std::make_unique<FolderLock>();
    ASSERT_EQ(first->take(dir.path(), nullptr), Taken::Now);
    FolderLock second;
    EXPECT_EQ(second.takeWithin(dir.path(), 60ms), Taken::Busy);
    EXPECT_FALSE(second.held());
    std::thread letGo([&] {
        std::this_thread::sleep_for(100ms);
        first->take(dir.file("missing"), nullptr);  // lets the folder go, takes nothing
    });
    EXPECT_EQ(second.takeWithin(dir.path(), 10s), Taken::AfterWait);
    letGo.join();
    EXPECT_FALSE(first->held());
    EXPECT_EQ(second.take(dir.file("missing"), nullptr), Taken::Not);
    EXPECT_EQ(first->takeWithin(dir.path(), 0ms), Taken::Now);
}

}  // namespace
}  // namespace quillon
