// Decodes a whole WAV file image held in memory to 16-bit PCM, through
// libsndfile's virtual I/O: PCM of 8, 16, 24 and 32 bits, 32-bit float,
// Microsoft ADPCM and IMA ADPCM. libsndfile counts an ADPCM file's length in
// whole blocks; the decoder cuts it to the frame count of the "fact" chunk.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace quillon {

enum class DecodeError {
    None,
    NotDecodable,     // libsndfile does not take the image (not WAV, MPEG in WAV, broken)
    TooManyChannels,  // more than two channels
    Empty,            // no frames
    TooLong,          // more audio than one OpenAL buffer takes
};

struct DecodedWave {
    uint16_t channels = 0;
    uint32_t rate = 0;
    std::vector<int16_t> samples;  // interleaved, channels × frames()

    [[nodiscard]] uint32_t frames() const {
        return channels == 0 ? 0 : uint32_t(samples.size() / channels);
    }
};

struct DecodeResult {
    DecodeError error = DecodeError::None;
    DecodedWave wave;
};

[[nodiscard]] DecodeResult decodeWaveImage(std::span<const uint8_t> image);

// The frame count of the image's "fact" chunk, when its RIFF chunk list holds one.
[[nodiscard]] std::optional<uint32_t> factFrameCount(std::span<const uint8_t> image);

}  // namespace quillon
