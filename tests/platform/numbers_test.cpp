// The text-to-number family reads like the C library, clamped at each end of
// its range; reals are decimal only: no hexadecimal, infinity or NaN.
#include "platform/Numbers.h"

#include <gtest/gtest.h>

#include <limits>

namespace quillon {
namespace {

TEST(Numbers, IntegersReadLikeTheCLibraryAndClampAtTheirEnds) {
    // clang-format off
    const std::pair<const char*, int32_t> cases[] = {
        {"12abc", 12}, {" \t\n\v\f\r42", 42}, {"+5", 5}, {"-1", -1}, {"abc", 0}, {"", 0},
        {"- 5", 0}, {"--5", 0}, {"0007", 7}, {"2147483647", 2147483647},
        {"99999999999999999999", 2147483647}, {"-99999999999999999999", -2147483647 - 1}};
    // clang-format on
    for (auto [text, expected] : cases)
        EXPECT_EQ(atoiLike(text), expected) << text;
    EXPECT_EQ(atouLike("4294967295"), 4294967295u);
    EXPECT_EQ(atouLike("4294967296"), 4294967295u);
    EXPECT_EQ(atouLike("-3"), 0u);
    EXPECT_EQ(leadingInteger("-9223372036854775808"), INT64_MIN);
    EXPECT_EQ(leadingInteger("9223372036854775808"), INT64_MAX);
}

TEST(Numbers, RealsReadDigitsFractionAndExponentAndClampOverflow) {
    const double kMax = std::numeric_limits<double>::max();
    // clang-format off
    const std::pair<const char*, double> cases[] = {
        {".5", 0.5}, {"2.5xyz", 2.5}, {" -0.01", -0.01}, {"+3", 3.0}, {"1e3", 1000.0},
        {"2e", 2.0}, {"2e+", 2.0}, {"5.", 5.0}, {"abc", 0.0}, {".", 0.0}, {"-", 0.0},
        {"inf", 0.0}, {"nan", 0.0}, {"0x10", 0.0}, {"1e-400", 0.0}, {"1e999", kMax},
        {"-1e999", -kMax}};
    // clang-format on
    for (auto [text, expected] : cases)
        EXPECT_DOUBLE_EQ(atofLike(text), expected) << text;
}

}  // namespace
}  // namespace quillon
