// Decodes a whole WAV file image held in memory to 16-bit PCM, through
// libsndfile's virtual I/O: PCM of 8, 16, 24 and 32 bits, 32-bit float,
// Microsoft ADPCM and IMA ADPCM. libsndfile counts an ADPCM file's length in
// whole blocks; the decoder cuts it to the frame count of the "fact" chunk.
//
// WaveStream reads the same images piece by piece, under the same rules, from
// memory or from a file where it lies; the preview decodes whole images with
// it and the waveform reads long files through it.
//
// libsndfile never sees an image as stored: the decoder finds the "fmt ",
// "fact" and "data" chunks itself (RiffReader) and shows libsndfile a RIFF
// header of those three, followed by the data chunk's bytes where they lie.
// libsndfile's own walk of the other chunks goes round forever on some sizes
// inside a "LIST" chunk, and it tries its other formats on bytes that are no
// WAV at all; neither can happen here.
#pragma once

#include <sndfile.h>

#include <cstdint>
#include <memory>
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

// Where an image lies: in memory, or the first `size` bytes of an open file
// (fd not negative). The source must outlive the stream.
struct WaveSource {
    std::span<const uint8_t> bytes;
    int fd = -1;
    int64_t size = 0;

    // Reads up to out.size() bytes at `offset`; the count read.
    int64_t readAt(int64_t offset, std::span<uint8_t> out) const;
};

// An open WAV image that passed the decoding rules: a WAV container, one or
// two channels, some frames, an ADPCM length cut to the "fact" count.
class WaveStream {
  public:
    WaveStream();
    ~WaveStream();
    WaveStream(const WaveStream&) = delete;
    WaveStream& operator=(const WaveStream&) = delete;

    [[nodiscard]] DecodeError open(const WaveSource& source);

    uint16_t channels() const { return uint16_t(info_.channels); }
    uint32_t rate() const { return uint32_t(info_.samplerate); }
    int64_t frames() const { return frames_; }
    int sndfileFormat() const { return info_.format; }

    // Reads up to `count` frames as 16-bit PCM into `out` (channels × count
    // samples); float data is scaled to full scale and clipped there. The
    // count read; 0 at the end or on a read error.
    int64_t readPcm16(int16_t* out, int64_t count);

  private:
    struct Closer {
        void operator()(SNDFILE* file) const { sf_close(file); }
    };
    struct View;  // what libsndfile reads; outlives sound_
    std::unique_ptr<View> view_;
    std::unique_ptr<SNDFILE, Closer> sound_;
    SF_INFO info_{};
    int64_t frames_ = 0;
    std::vector<float> floats_;
};

// The frame count of the image's "fact" chunk, when its RIFF chunk list holds one.
// The chunks after the RIFF header are searched up to the end of the image,
// whatever size the RIFF chunk declares, as libsndfile reads them.
[[nodiscard]] std::optional<uint32_t> factFrameCount(std::span<const uint8_t> image);

}  // namespace quillon
