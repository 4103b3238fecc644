// Writes RIFF/WAVE files of any chunk layout for tests, benchmarks and fuzz
// seeds: a tree of RiffChunkSpec values, written in order with true sizes and pad
// bytes unless declaring(), withoutPad() or cutTo() makes a chunk lie.
// makePcmWav() builds a whole PCM file from a PcmWavSpec.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "bank/SampleRecord.h"
#include "support/TempFolder.h"  // writeFile

namespace quillon::test {

using Bytes = std::vector<uint8_t>;

struct RiffChunkSpec {
    std::string id;                        // four characters, e.g. "fmt "
    std::string type;                      // set: a RIFF/LIST body = type + children
    Bytes data;                            // body of a chunk without a type
    std::vector<RiffChunkSpec> children;   // sub-chunks after the type
    std::optional<uint32_t> declaredSize;  // written instead of the true body size
    bool writePad = true;                  // false: an odd body without its pad byte
    std::optional<size_t> keepBytes;       // cut the chunk's bytes, header included, to this

    // Copies that lie about the chunk.
    [[nodiscard]] RiffChunkSpec declaring(uint32_t size) const;
    [[nodiscard]] RiffChunkSpec withoutPad() const;
    [[nodiscard]] RiffChunkSpec cutTo(size_t bytes) const;

    // The chunk as it goes into a file: header, body, pad byte.
    [[nodiscard]] Bytes encode() const;
    void encodeTo(Bytes& out) const;
};

// Chunks one after another, as the top level of a file.
[[nodiscard]] Bytes encodeRiff(const std::vector<RiffChunkSpec>& chunks);

[[nodiscard]] RiffChunkSpec chunk(std::string_view id, Bytes data);
// A text chunk; zeroTerminated false leaves out the terminating zero byte.
[[nodiscard]] RiffChunkSpec textChunk(std::string_view id, std::string_view text,
                                      bool zeroTerminated = true);
[[nodiscard]] RiffChunkSpec listChunk(std::string_view type, std::vector<RiffChunkSpec> children);
[[nodiscard]] RiffChunkSpec riffChunk(std::string_view form, std::vector<RiffChunkSpec> children);
[[nodiscard]] RiffChunkSpec waveRiff(std::vector<RiffChunkSpec> children);  // RIFF "WAVE"

// A PCM block (format tag 1) with block align and average rate worked out.
[[nodiscard]] WaveFormatBlock pcmFormat(uint16_t channels, uint32_t samplesPerSecond,
                                        uint16_t bitsPerSample);
// The 18-byte block cut or zero-extended to chunkBytes (16 for plain PCM).
[[nodiscard]] RiffChunkSpec fmtChunk(const WaveFormatBlock& format, size_t chunkBytes = 16);
[[nodiscard]] RiffChunkSpec dataChunk(Bytes audio);

struct SineWave {
    double frequency = 440.0;
    uint32_t rate = 44100;
    uint16_t bits = 16;  // 8 (unsigned), 16, 24 or 32 (signed)
    uint16_t channels = 1;
    uint32_t frames = 4410;
    double amplitude = 0.5;  // of full scale
};
// Interleaved PCM samples of a sine, the same value on every channel.
[[nodiscard]] Bytes sinePcm(const SineWave& sine);

struct CuePointSpec {
    uint32_t id = 0;
    uint32_t position = 0;  // sample frame
};
// A "cue " chunk; declaredCount writes another count than points.size().
[[nodiscard]] RiffChunkSpec cueChunk(const std::vector<CuePointSpec>& points,
                                     std::optional<uint32_t> declaredCount = std::nullopt);
[[nodiscard]] RiffChunkSpec lablChunk(uint32_t cueId, std::string_view text,
                                      bool zeroTerminated = true);
// An "ltxt" chunk: cue identifier, sample length, purpose "rgn ", zero codes.
[[nodiscard]] RiffChunkSpec ltxtChunk(uint32_t cueId, uint32_t sampleLength);
[[nodiscard]] RiffChunkSpec adtlList(std::vector<RiffChunkSpec> children);

[[nodiscard]] RiffChunkSpec infoText(std::string_view id, std::string_view text,
                                     bool zeroTerminated = true);
[[nodiscard]] RiffChunkSpec infoList(std::vector<RiffChunkSpec> children);

struct LoopSpec {
    uint32_t startFrame = 0;
    uint32_t lengthFrames = 0;
    uint32_t cueId = 1;
    std::string label = "zqloop";
};

struct PcmWavSpec {
    uint16_t channels = 1;
    uint32_t rate = 22050;
    uint16_t bits = 16;
    uint32_t frames = 1000;
    double frequency = 440.0;
    std::optional<LoopSpec> loop;  // cue point, "labl" and "ltxt" after the data
    std::string comment;           // "ICMT" when not empty
    std::string subject;           // "ISBJ" when not empty
};

// The chunks inside RIFF "WAVE": fmt, data, cue, LIST adtl, LIST INFO.
[[nodiscard]] std::vector<RiffChunkSpec> pcmWavChunks(const PcmWavSpec& spec);
[[nodiscard]] Bytes makePcmWav(const PcmWavSpec& spec);

}  // namespace quillon::test
