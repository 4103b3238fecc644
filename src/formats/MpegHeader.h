// MPEG audio frame headers: what a music section's header value says about its
// audio, and the texts and format block of the section's row.
//
// A header value holds the four header bytes in file order with the first byte
// in the low eight bits, as the bank stores it. Decoding reads the bytes the
// other way round (first byte highest), as the MPEG audio standards number
// their bits.
#pragma once

#include <cstdint>
#include <string>

#include "formats/WaveFormat.h"

namespace quillon {

struct MpegHeaderInfo {
    // 1 to 3; 4 when the layer bits hold the reserved value 00, whose bitrate is 0.
    int layer = 0;
    uint32_t bitrate = 0;     // bits per second; 0 for the free and the forbidden index
    uint32_t sampleRate = 0;  // per second
    int channels = 0;         // 1 or 2

    bool operator==(const MpegHeaderInfo&) const = default;
};

// The header value of four bytes in file order.
[[nodiscard]] constexpr uint32_t MpegHeaderValue(uint8_t b0, uint8_t b1, uint8_t b2, uint8_t b3) {
    return uint32_t(b0) | (uint32_t(b1) << 8) | (uint32_t(b2) << 16) | (uint32_t(b3) << 24);
}

// Decodes any 32-bit value; reserved fields give the values described above
// rather than an error, since a stored descriptor is shown as it decodes.
[[nodiscard]] MpegHeaderInfo DecodeMpegHeader(uint32_t headerValue);

// The Format text of a freshly imported section row, e.g. "  16-bit 44 khz Stereo"
// (the two leading blanks are the row's own).
[[nodiscard]] std::string GetMpegFormatText(const MpegHeaderInfo& info);

// The Compression text of a section row, e.g. "Layer 2 - 192kb".
[[nodiscard]] std::string GetMpegCompressionText(const MpegHeaderInfo& info);

// The format block of the decoded audio: 16-bit PCM with the stream's channels and rate.
[[nodiscard]] WaveFormatBlock GetMpegWaveFormat(const MpegHeaderInfo& info);

}  // namespace quillon
