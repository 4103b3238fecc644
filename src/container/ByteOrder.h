// Little-endian reading and writing over byte spans.
//
// Every binary format of the system is little-endian. Readers never cast file
// bytes to structs: they walk a span with an LeReader, whose failure state stays
// set once a read ran past the end, so a record is read straight through and
// checked once at the end.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace quillon {

inline uint16_t loadU16(const uint8_t* p) {
    return uint16_t(p[0] | (p[1] << 8));
}
inline uint32_t loadU32(const uint8_t* p) {
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}
inline void storeU16(uint8_t* p, uint16_t v) {
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}
inline void storeU32(uint8_t* p, uint32_t v) {
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
    p[2] = uint8_t(v >> 16);
    p[3] = uint8_t(v >> 24);
}

class LeReader {
  public:
    explicit LeReader(std::span<const uint8_t> bytes) : bytes_(bytes) {}

    // True while every read so far found its bytes; stays false after the first short read.
    [[nodiscard]] bool ok() const { return ok_; }
    [[nodiscard]] size_t position() const { return pos_; }
    [[nodiscard]] size_t remaining() const { return bytes_.size() - pos_; }

    uint8_t u8() {
        const uint8_t* p = take(1);
        return p ? p[0] : 0;
    }
    uint16_t u16() {
        const uint8_t* p = take(2);
        return p ? loadU16(p) : 0;
    }
    uint32_t u32() {
        const uint8_t* p = take(4);
        return p ? loadU32(p) : 0;
    }
    int32_t i32() { return int32_t(u32()); }
    float f32() {
        uint32_t bits = u32();
        float value;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }
    // A fixed-size text field: the characters up to the first zero byte, or the
    // whole field when it holds none.
    std::string text(size_t fieldBytes) {
        const uint8_t* p = take(fieldBytes);
        if (!p) return {};
        const auto* begin = reinterpret_cast<const char*>(p);
        return std::string(begin, std::find(begin, begin + fieldBytes, '\0'));
    }
    void bytes(uint8_t* out, size_t count) {
        const uint8_t* p = take(count);
        if (p)
            std::memcpy(out, p, count);
        else
            std::memset(out, 0, count);
    }
    void skip(size_t count) { take(count); }

  private:
    const uint8_t* take(size_t count) {
        // Subtract so that a hostile count cannot overflow the position.
        if (!ok_ || count > bytes_.size() - pos_) {
            ok_ = false;
            return nullptr;
        }
        const uint8_t* p = bytes_.data() + pos_;
        pos_ += count;
        return p;
    }

    std::span<const uint8_t> bytes_;
    size_t pos_ = 0;
    bool ok_ = true;
};

// Appends little-endian values to a byte vector.
class LeWriter {
  public:
    explicit LeWriter(std::vector<uint8_t>& out) : out_(out) {}

    void u8(uint8_t v) { out_.push_back(v); }
    void u16(uint16_t v) {
        uint8_t b[2];
        storeU16(b, v);
        out_.insert(out_.end(), b, b + 2);
    }
    void u32(uint32_t v) {
        uint8_t b[4];
        storeU32(b, v);
        out_.insert(out_.end(), b, b + 4);
    }
    void i32(int32_t v) { u32(uint32_t(v)); }
    void f32(float v) {
        uint32_t bits;
        std::memcpy(&bits, &v, sizeof bits);
        u32(bits);
    }
    // A fixed-size, zero-filled text field; a longer text is cut to the field.
    void text(std::string_view s, size_t fieldBytes) {
        size_t n = std::min(s.size(), fieldBytes);
        out_.insert(out_.end(), s.begin(), s.begin() + n);
        out_.insert(out_.end(), fieldBytes - n, 0);
    }
    void bytes(const uint8_t* p, size_t count) { out_.insert(out_.end(), p, p + count); }
    void zeros(size_t count) { out_.insert(out_.end(), count, 0); }

  private:
    std::vector<uint8_t>& out_;
};

}  // namespace quillon
