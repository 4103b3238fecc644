// As the C library reads them, clamped at each end; no hexadecimal, infinity or NaN.
#include "platform/Numbers.h"

#include <gtest/gtest.h>

#include <limits>

namespace quillon {
namespace {

TEST(Numbers, ReadLikeTheCLibraryAndClampAtTheirEnds) {
    // clang-format off
    for (auto [text, expected] : {std::pair{"12abc", 12}, {" \t\n\v\f\r+42", 42}, {"-1", -1},
             {"- 5", 0}, {"--5", 0}, {"", 0}, {"2147483647", 2147483647},
             {"99999999999999999999", 2147483647}, {"-99999999999999999999", -2147483647 - 1}})
        EXPECT_EQ(atoiLike(text), expected) << text;
    const double kMax = std::numeric_limits<double>::max();
    for (auto [text, expected] : {std::pair{".5", 0.5}, {" -2.5e1xyz", -25.0}, {"2e+", 2.0},
             {"5.", 5.0}, {".", 0.0}, {"inf", 0.0}, {"nan", 0.0}, {"0x10", 0.0}, {"1e-400", 0.0},
             {"1e999", kMax}, {"-1e999", -kMax}})
        EXPECT_DOUBLE_EQ(atofLike(text), expected) << text;
    // clang-format on
    EXPECT_EQ(atouLike("4294967296"), 4294967295u);
    EXPECT_EQ(atouLike("-3"), 0u);
    EXPECT_EQ(leadingInteger("-9223372036854775808"), INT64_MIN);
    EXPECT_EQ(leadingInteger("9223372036854775808"), INT64_MAX);
}

}  // namespace
}  // namespace quillon
