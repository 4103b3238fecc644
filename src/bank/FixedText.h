// A fixed-size, zero-padded text field: the row record keeps its copies of the
// cell texts in these, and they double as the columns' sort keys.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <string_view>

#include "platform/Text.h"

namespace quillon {

template <size_t N>
class FixedText {
    static_assert(N >= 2);

  public:
    FixedText() { bytes_.fill(0); }
    explicit FixedText(std::string_view text) { set(text); }

    // Keeps at most N - 1 bytes so a terminating zero always remains, cut
    // before a character that would not fit; the rest of the field is zero.
    void set(std::string_view text) {
        size_t n = cutAtCharacter(text, N - 1).size();
        std::copy_n(text.data(), n, bytes_.data());
        std::fill(bytes_.begin() + n, bytes_.end(), '\0');
        length_ = n;
    }
    std::string_view view() const { return {bytes_.data(), length_}; }
    static constexpr size_t capacity() { return N; }

    bool operator==(const FixedText& other) const { return view() == other.view(); }

  private:
    std::array<char, N> bytes_;
    size_t length_ = 0;
};

}  // namespace quillon
