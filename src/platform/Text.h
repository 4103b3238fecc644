// Text helpers that change or compare letter case of A to Z only, so results
// never depend on the locale.
#pragma once

#include <string>
#include <string_view>

namespace quillon {

inline char asciiLowerChar(char c) {
    return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
}
inline char asciiUpperChar(char c) {
    return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c;
}

std::string asciiLower(std::string_view text);
std::string asciiUpper(std::string_view text);

bool equalIgnoringCase(std::string_view a, std::string_view b);

// Byte-by-byte comparison after turning A to Z into a to z (so "_" sorts
// before every letter); negative, 0 or positive.
int compareIgnoringCase(std::string_view a, std::string_view b);

// The longest start of a text that fits in maxBytes without ending inside a
// UTF-8 character. A text that is not UTF-8 is cut at maxBytes.
std::string_view cutAtCharacter(std::string_view text, size_t maxBytes);

// A printf-style format into a std::string.
std::string format(const char* pattern, ...) __attribute__((format(printf, 1, 2)));

}  // namespace quillon
