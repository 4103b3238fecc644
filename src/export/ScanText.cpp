#include "export/ScanText.h"

namespace quillon {

bool isCWhiteSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

void skipWhiteSpace(std::string_view text, size_t& pos) {
    while (pos < text.size() && isCWhiteSpace(text[pos]))
        ++pos;
}

// A %s: false when only white space is left.
bool takeWord(std::string_view text, size_t& pos, std::string& word) {
    skipWhiteSpace(text, pos);
    size_t start = pos;
    while (pos < text.size() && !isCWhiteSpace(text[pos]))
        ++pos;
    word.assign(text.substr(start, pos - start));
    return pos > start;
}

// A %d: false when no digit follows the optional sign.
bool takeInteger(std::string_view text, size_t& pos, std::string& digits) {
    skipWhiteSpace(text, pos);
    size_t start = pos;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) ++pos;
    size_t firstDigit = pos;
    while (pos < text.size() && isDigit(text[pos]))
        ++pos;
    if (pos == firstDigit) return false;
    digits.assign(text.substr(start, pos - start));
    return true;
}

}  // namespace

int scanText(std::string_view text, std::string_view pattern, std::vector<std::string>& fields) {
    fields.clear();
    size_t pos = 0;
    for (size_t p = 0; p < pattern.size(); ++p) {
        char directive = pattern[p];
        if (isCWhiteSpace(directive)) {
            skipWhiteSpace(text, pos);
        } else if (directive == '%' && p + 1 < pattern.size() &&
                   (pattern[p + 1] == 's' || pattern[p + 1] == 'd')) {
            std::string field;
            bool ok =
                pattern[++p] == 's' ? takeWord(text, pos, field) : takeInteger(text, pos, field);
            if (!ok) break;
            fields.push_back(std::move(field));
        } else {
            if (pos >= text.size() || text[pos] != directive) break;
            ++pos;
        }
    }
    return int(fields.size());
}

}  // namespace quillon
