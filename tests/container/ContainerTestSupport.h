// What only the container tests need on top of tests/support.
#pragma once

#include <gtest/gtest.h>

#include "support/BankFixtures.h"
#include "support/LogCapture.h"
#include "support/TempFolder.h"

namespace quillon::containertest {

using namespace quillon::test;
using Bytes = std::vector<uint8_t>;

inline Bytes bytesOf(std::string_view text) {
    return Bytes(text.begin(), text.end());
}

// Every test of this program logs below its own state folder, never the user's.
class PrivateStateHome : public ::testing::Environment {
    void SetUp() override {
        setenv("XDG_STATE_HOME", folder.path().c_str(), 1);
        unsetenv("QUILLON_LOG_STDERR");
        ZQLogRestart();
    }
    void TearDown() override { ZQLogRestart(); }
    TempFolder folder;
};
inline ::testing::Environment* const kStateHome =
    ::testing::AddGlobalTestEnvironment(new PrivateStateHome);

}  // namespace quillon::containertest
