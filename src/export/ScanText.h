// Matching header lines the way the C library's scanning functions match a
// pattern, for the four patterns the script table reads. Header files written
// for the game are recognised by exactly these rules, quirks included: a %s
// takes everything up to the next white space, so "HELP_TEXT_A= 1" gives the
// name "A=" and then fails to find the "=".
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quillon {

// White space as the C library's "C" locale knows it.
bool isCWhiteSpace(char c);

// Scans `text` with `pattern`, whose directives are:
// - white space: skips any white space of the text, none included;
// - "%s": skips white space, then takes one or more characters that are not
//   white space;
// - "%d": skips white space, then takes an optional sign and one or more
//   digits (the value clamped to 32 bits);
// - any other character: must be the next character of the text.
// Returns how many conversions were made before the first mismatch or the end
// of the text; `fields` receives their texts in order (a %d its digits).
int scanText(std::string_view text, std::string_view pattern, std::vector<std::string>& fields);

}  // namespace quillon
