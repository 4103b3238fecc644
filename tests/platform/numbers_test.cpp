#include <gtest/gtest.h>

#include <cmath>

#include "platform/Numbers.h"

namespace quillon {
namespace {

struct IntCase {
    const char* text;
    int32_t expected;
};

class AtoiLike : public testing::TestWithParam<IntCase> {};

TEST_P(AtoiLike, ReadsLikeTheCLibrary) {
    EXPECT_EQ(atoiLike(GetParam().text), GetParam().expected) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    Texts, AtoiLike,
    testing::Values(IntCase{"12abc", 12}, IntCase{"  \t42", 42}, IntCase{"+5", 5},
                    IntCase{"-1", -1}, IntCase{"abc", 0}, IntCase{"", 0}, IntCase{".5", 0},
                    IntCase{"- 5", 0}, IntCase{"--5", 0}, IntCase{"0007", 7}, IntCase{"*", 0},
                    IntCase{"2147483647", 2147483647}, IntCase{"99999999999999999999", 2147483647},
                    IntCase{"-99999999999999999999", -2147483647 - 1}, IntCase{"12 34", 12}));

TEST(Numbers, UnsignedCountsClampAtTheirEnds) {
    EXPECT_EQ(atouLike("4294967295"), 4294967295u);
    EXPECT_EQ(atouLike("4294967296"), 4294967295u);
    EXPECT_EQ(atouLike("-3"), 0u);
    EXPECT_EQ(atouLike("00001104"), 1104u);
}

TEST(Numbers, LeadingIntegerKeepsTheWholeSixtyFourBitRange) {
    EXPECT_EQ(leadingInteger("-9223372036854775808"), INT64_MIN);
    EXPECT_EQ(leadingInteger("9223372036854775807"), INT64_MAX);
    EXPECT_EQ(leadingInteger("9223372036854775808"), INT64_MAX);
}

struct RealCase {
    const char* text;
    double expected;
};

class AtofLike : public testing::TestWithParam<RealCase> {};

TEST_P(AtofLike, ReadsDecimalRealNumbers) {
    EXPECT_DOUBLE_EQ(atofLike(GetParam().text), GetParam().expected) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(Texts, AtofLike,
                         testing::Values(RealCase{".5", 0.5}, RealCase{"2.5xyz", 2.5},
                                         RealCase{" -0.01", -0.01}, RealCase{"+3", 3.0},
                                         RealCase{"9999.9", 9999.9}, RealCase{"1e3", 1000.0},
                                         RealCase{"2e", 2.0}, RealCase{"2e+", 2.0},
                                         RealCase{"5.", 5.0}, RealCase{"abc", 0.0},
                                         RealCase{".", 0.0}, RealCase{"-", 0.0},
                                         RealCase{"inf", 0.0}, RealCase{"nan", 0.0},
                                         RealCase{"0x10", 0.0}, RealCase{"1e-400", 0.0}));

TEST(Numbers, RealOverflowGivesTheLargestMagnitude) {
    EXPECT_EQ(atofLike("1e999"), std::numeric_limits<double>::max());
    EXPECT_EQ(atofLike("-1e999"), -std::numeric_limits<double>::max());
}

}  // namespace
}  // namespace quillon
