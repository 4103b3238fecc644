// The wave format block: the 18 bytes at the start of a WAV file's "fmt "
// chunk, which a bank's sample record carries as well.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "container/ByteOrder.h"

namespace quillon {

// The 18-byte block at the start of a WAV file's "fmt " chunk.
struct WaveFormatBlock {
    uint16_t formatTag = 0;
    uint16_t channels = 0;
    uint32_t samplesPerSecond = 0;
    uint32_t averageBytesPerSecond = 0;
    uint16_t blockAlign = 0;
    uint16_t bitsPerSample = 0;
    uint16_t extraSize = 0;  // always 0 in records

    bool operator==(const WaveFormatBlock&) const = default;
};
inline constexpr size_t kWaveFormatBlockBytes = 18;

// Reads the 18-byte format block; the extra size is taken as stored.
WaveFormatBlock decodeWaveFormatBlock(std::span<const uint8_t, kWaveFormatBlockBytes> bytes);
void encodeWaveFormatBlock(const WaveFormatBlock& format, std::vector<uint8_t>& out);

// The same, inside a larger record that is read or written field by field.
void readWaveFormatBlock(LeReader& in, WaveFormatBlock& format);
void writeWaveFormatBlock(LeWriter& out, const WaveFormatBlock& format);

}  // namespace quillon
