#include "platform/Text.h"

#include <cstdarg>
#include <cstdio>

namespace quillon {

std::string_view cutAtCharacter(std::string_view text, size_t maxBytes) {
    if (text.size() <= maxBytes) return text;
    auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
    // The first byte cut off continues a character: find where that one starts,
    // at most three bytes back, and cut before it when it starts a sequence.
    size_t start = maxBytes;
    while (start > 0 && maxBytes - start < 3 && (byte(start) & 0xC0) == 0x80)
        --start;
    if (start < maxBytes && byte(start) >= 0xC0) return text.substr(0, start);
    return text.substr(0, maxBytes);
}

std::string asciiLower(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        c = asciiLowerChar(c);
    return out;
}

std::string asciiUpper(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        c = asciiUpperChar(c);
    return out;
}

bool equalIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (asciiLowerChar(a[i]) != asciiLowerChar(b[i])) return false;
    return true;
}

int compareIgnoringCase(std::string_view a, std::string_view b) {
    size_t n = a.size() < b.size() ? a.size() : b.size();
    for (size_t i = 0; i < n; ++i) {
        auto x = static_cast<unsigned char>(asciiLowerChar(a[i]));
        auto y = static_cast<unsigned char>(asciiLowerChar(b[i]));
        if (x != y) return x < y ? -1 : 1;
    }
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -1 : 1;
}

std::string format(const char* pattern, ...) {
    va_list args;
    va_start(args, pattern);
    va_list copy;
    va_copy(copy, args);
    int length = std::vsnprintf(nullptr, 0, pattern, copy);
    va_end(copy);
    std::string out;
    if (length > 0) {
        out.resize(size_t(length));
        std::vsnprintf(out.data(), out.size() + 1, pattern, args);
    }
    va_end(args);
    return out;
}

}  // namespace quillon
