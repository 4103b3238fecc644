// The audio of one row as the waveform view draws it: where the row's audio
// lies (its own file, or the bank file for audio stored in the bank), its
// decoding to 16-bit frames (libsndfile for WAV images, libmpg123 for music
// sections), and the peak summary drawn from it. No Qt; every function here may
// run on a worker thread.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <stop_token>
#include <string>
#include <vector>

#include "bank/QuillonDoc.h"
#include "bank/RowList.h"

namespace quillon {

// Where a row's audio lies. Two sources with the same key hold the same audio.
struct WaveformSource {
    std::string path;             // the row's own file, or the bank file
    bool inBank = false;          // the image lies in the bank's wave data segment
    uint32_t offset = 0;          // of the image in that segment
    uint32_t size = 0;            // bytes of the image (a file row's Size cell)
    uint32_t mpegDescriptor = 0;  // non-zero for a music section: MPEG audio, not WAV
    int64_t changedNs = 0;        // the file's change time when looked at; a newer one is new audio

    [[nodiscard]] std::string key() const;
};

// The audio source of a row of the document: out of the bank file `bankPath`
// when its Bank cell reads "Yes" and it carries its sample record, else the
// file the document reads it from (CQuillonDoc::sourceFileOf: a stored
// relative path names a file beside the bank, not in the working folder).
[[nodiscard]] WaveformSource waveformSource(const CQuillonDoc& doc, const Row& row,
                                            const std::string& bankPath);

// Audio decoded for drawing: interleaved 16-bit frames and a line naming the format.
struct WaveformAudio {
    uint16_t channels = 0;
    uint32_t rate = 0;
    std::vector<int16_t> samples;
    std::string format;  // e.g. "16-bit PCM, 44100 Hz, stereo"

    [[nodiscard]] uint64_t frames() const { return channels == 0 ? 0 : samples.size() / channels; }
};

// A decoding that worked, or the plain reason why not.
struct WaveformDecode {
    std::optional<WaveformAudio> audio;
    std::string error;
};

// The source's bytes: the file's first `size` bytes or the image in the bank.
// Nothing when they cannot be read.
[[nodiscard]] std::optional<std::vector<uint8_t>> readWaveformImage(const WaveformSource& source);

// Decodes the MPEG audio of a music section; a section that ends inside a
// frame is refused, as its last frame would be lost.
[[nodiscard]] WaveformDecode decodeWaveformMpeg(std::span<const uint8_t> bytes);

// Minimum, maximum and sum of squares of one channel over one bucket of frames.
struct PeakBucket {
    int16_t min = 0;
    int16_t max = 0;
    float sumSquares = 0;  // of samples scaled to full scale 1
};

// What one pixel column shows of one channel, in full-scale units (-1 to 1).
struct PeakColumn {
    float min = 0;
    float max = 0;
    float rms = 0;
    bool clipped = false;  // some sample reached full scale
};

// The per-channel buckets of a decoded sample; any pixel width is drawn from them.
class PeakSummary {
  public:
    // Frames per bucket: as few as keeps the buckets at most kMaxBuckets per channel.
    static constexpr uint64_t kMaxBuckets = 1u << 16;
    [[nodiscard]] static uint32_t bucketFramesFor(uint64_t frames);

    uint16_t channels = 0;
    uint32_t rate = 0;
    uint64_t frames = 0;
    uint32_t bucketFrames = 1;
    std::vector<PeakBucket> buckets;  // bucket after bucket, one per channel each
    int16_t peak = 0;                 // largest magnitude of any sample (32767 for -32768)
    bool clipped = false;             // some sample reached full scale
    std::string format;

    [[nodiscard]] uint64_t bucketCount() const;
    // The channel's summary over frames [first, end); an empty range takes the
    // bucket holding `first`.
    [[nodiscard]] PeakColumn column(uint16_t channel, uint64_t first, uint64_t end) const;
    // The peak level in dBFS; -infinity for silence.
    [[nodiscard]] double peakDbfs() const;
    [[nodiscard]] double seconds() const { return rate == 0 ? 0 : double(frames) / rate; }
    [[nodiscard]] size_t bytes() const;
};

// A 16-bit sample at full scale, either way: -32767 counts as well as -32768,
// since sources scaled symmetrically stop there.
[[nodiscard]] constexpr bool isFullScale(int16_t sample) {
    return sample >= INT16_MAX || sample <= -INT16_MAX;
}

// The summary of decoded audio; nothing when `stop` was requested on the way.
[[nodiscard]] std::optional<PeakSummary> computePeaks(const WaveformAudio& audio,
                                                      std::stop_token stop = {});

// The peaks of a source, or the plain reason why there are none.
struct PeaksResult {
    std::shared_ptr<const PeakSummary> peaks;
    std::string error;
    [[nodiscard]] size_t bytes() const;
};

// Reads, decodes and summarises; a stopped computation gives neither peaks nor
// an error. WAV audio (every format libsndfile reads in a WAV file) is decoded
// piece by piece straight into the summary, so a long file never stands whole
// in memory, neither as bytes nor as samples.
[[nodiscard]] PeaksResult loadPeaks(const WaveformSource& source, std::stop_token stop = {});
// The same over a WAV image in memory.
[[nodiscard]] PeaksResult peaksOfWavImage(std::span<const uint8_t> image,
                                          std::stop_token stop = {});

}  // namespace quillon
