// The splitting rule read byte by byte, sections kept in memory, and synthetic
// layer II frames; header only, for the fuzz target and benchmarks too.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "formats/MpegHeader.h"
#include "formats/MpegSplitter.h"

namespace quillon::test {

struct ReferenceSection {
    std::vector<uint8_t> bytes;
    uint32_t headerValue = 0;
    bool operator==(const ReferenceSection&) const = default;
};

// One byte at a time, as the rule reads: an 0xFF takes the next byte with it;
// a header is 0xFF and a byte with its top four bits set; every 21st matching
// header starts a section; bytes go to the open section, if any.
inline std::vector<ReferenceSection> referenceSplit(std::span<const uint8_t> stream) {
    std::vector<ReferenceSection> sections;
    bool haveFirst = false, open = false;
    uint32_t first = 0, last = 0;
    int countdown = 0;
    size_t pos = 0;
    auto byteAt = [&](size_t i) -> uint8_t { return i < stream.size() ? stream[i] : 0; };
    auto put = [&](uint8_t byte) {
        if (open) sections.back().bytes.push_back(byte);
    };
    while (pos < stream.size()) {
        const uint8_t b = stream[pos++];
        if (b == 0xFF && pos < stream.size()) {
            const uint8_t c = stream[pos++];
            if ((c & 0xF0) == 0xF0) {
                const uint32_t header = MpegHeaderValue(b, c, byteAt(pos), byteAt(pos + 1));
                if (!haveFirst) {
                    first = header;
                    haveFirst = true;
                }
                const bool matches = ((header ^ first) & 0x00FDFFFF) == 0;
                if (matches) {
                    last = header;
                    if (countdown == 0) {
                        if (open) sections.back().headerValue = header;
                        sections.push_back({});
                        open = true;
                        countdown = 20;
                    } else {
                        --countdown;
                    }
                }
            }
            put(b);
            put(c);
        } else {
            put(b);
        }
    }
    if (open) sections.back().headerValue = last;
    return sections;
}

// Keeps every section in memory; can be told to fail at a given step.
class MemorySectionSink final : public MpegSectionSink {
  public:
    std::vector<std::vector<uint8_t>> sections;
    int failWriteAt = -1;  // the section index whose writes fail
    bool removed = false;

    std::string sectionPath(int index) const override {
        return "mem/sect" + std::to_string(index) + ".mpg";
    }
    bool open(int) override {
        sections.emplace_back();
        return true;
    }
    bool write(std::span<const uint8_t> bytes) override {
        if (int(sections.size()) - 1 == failWriteAt) return false;
        sections.back().insert(sections.back().end(), bytes.begin(), bytes.end());
        return true;
    }
    bool close() override { return true; }
    void removeAll() override {
        sections.clear();
        removed = true;
    }
};

// The bytes of a frame header in file order.
using HeaderBytes = std::array<uint8_t, 4>;

// MPEG-1 layer II, 192 kbit/s, 44100 per second, stereo, no CRC: 626-byte frames.
inline constexpr HeaderBytes kMpeg1Layer2Header = {0xFF, 0xFD, 0xA0, 0x04};

// Frame length by the standards' formula; 0 for free format and reserved fields.
inline size_t mpegFrameBytes(const HeaderBytes& h) {
    const MpegHeaderInfo info = DecodeMpegHeader(MpegHeaderValue(h[0], h[1], h[2], h[3]));
    if (info.bitrate == 0 || info.sampleRate == 0 || info.layer > 3) return 0;
    const size_t padding = (h[2] >> 1) & 1;
    const bool mpeg1 = (h[1] & 0x18) == 0x18;
    if (info.layer == 1) return (12 * info.bitrate / info.sampleRate + padding) * 4;
    const size_t factor = (info.layer == 3 && !mpeg1) ? 72 : 144;
    return factor * info.bitrate / info.sampleRate + padding;
}

// Appends one frame: the header and a payload free of 0xFF bytes, so that no
// header appears inside it.
inline void appendFrame(std::vector<uint8_t>& out, const HeaderBytes& header, uint32_t& seed) {
    size_t length = mpegFrameBytes(header);
    if (length < 4) length = 4;
    out.insert(out.end(), header.begin(), header.end());
    for (size_t i = 4; i < length; ++i) {
        seed = seed * 1664525u + 1013904223u;
        out.push_back(uint8_t((seed >> 24) % 0xFF));
    }
}

inline std::vector<uint8_t> makeFrames(int count, const HeaderBytes& header = kMpeg1Layer2Header,
                                       uint32_t seed = 1) {
    std::vector<uint8_t> out;
    for (int i = 0; i < count; ++i)
        appendFrame(out, header, seed);
    return out;
}

}  // namespace quillon::test
