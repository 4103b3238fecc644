// The one family of text-to-number conversions used wherever a cell text, a
// comment key or a header line becomes a number. They read like the C library's
// decimal conversion: leading white space, an optional sign, then digits up to
// the first other character; a text without digits gives 0. They never depend
// on the locale and never read past the text.
#pragma once

#include <cstdint>
#include <string_view>

namespace quillon {

// The leading integer; values beyond the 64-bit range are clamped to it.
int64_t leadingInteger(std::string_view text);

// The leading integer clamped to the 32-bit signed range.
int32_t atoiLike(std::string_view text);

// The leading integer as an unsigned 32-bit count: negative values give 0 and
// values beyond 4294967295 give 4294967295.
uint32_t atouLike(std::string_view text);

// The leading decimal real number: digits, an optional fraction and an
// optional exponent; 0 when there are no digits. No hexadecimal, infinity or NaN.
double atofLike(std::string_view text);

}  // namespace quillon
