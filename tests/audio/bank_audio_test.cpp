// The document's link to the audio library keeps exactly one current bank.
#include <gtest/gtest.h>

#include "audio/AudioTestKit.h"
#include "audio/ZQBankAudio.h"

namespace quillon {
namespace {

TEST(ZQBankAudio, KeepsOneCurrentBank) {
    test::TempFolder folder;
    test::TestBank bank;
    bank.add(test::playableRecord(), test::sineWav(440, 100));
    const std::string first = bank.write(folder, "first.sad");
    const std::string second = bank.write(folder, "second.sad");
    ZQ_AudioSystem system;
    ZQBankAudio link(system);
    EXPECT_EQ(link.registeredBankPath(), "");

    ASSERT_TRUE(link.registerBank(first));
    ZQ_AudioBank* firstHandle = link.currentBank();
    ASSERT_TRUE(link.registerBank(second));
    EXPECT_EQ(link.registeredBankPath(), second);
    EXPECT_STREQ(system.ZQBankGetFileName(firstHandle), "") << "the earlier bank was released";

    EXPECT_FALSE(link.registerBank(folder.file("missing.sad")));
    EXPECT_EQ(link.currentBank(), nullptr);
    EXPECT_EQ(link.registeredBankPath(), "");
    link.releaseBank();
    link.stopAllSamples();
}

}  // namespace
}  // namespace quillon
