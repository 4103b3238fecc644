// Helpers of the audio tests: bank files built byte by byte (so that a test can
// write any table, hostile ones included), an audio system on the loopback
// device, and measurements of rendered output.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "audio/ZQAudio.h"
#include "bank/SampleRecord.h"
#include "support/TempFolder.h"
#include "support/WavBuilder.h"

namespace quillon::test {

inline constexpr uint32_t kTestRate = 44100;

// A record that plays: enabled, no loop, Atmos not set, the rest unset.
ZQ_BankSample playableRecord();

// Builds a bank file: bank information, wave data, sample table. Samples are
// numbered 1, 2, ... in the order added; their WAV images go one after another.
class TestBank {
  public:
    // Adds a sample with these audio bytes; returns its number.
    uint32_t add(ZQ_BankSample record, const Bytes& wavImage);
    // Adds an empty slot (sample number 0).
    void addEmptySlot();
    ZQ_BankSample& record(uint32_t sampleNumber) { return records_[sampleNumber - 1]; }

    // The count word; by default the number of records.
    std::optional<uint32_t> countWord;
    // Leave the wave data segment out.
    bool withoutWaveData = false;

    [[nodiscard]] Bytes encode() const;
    // Writes the bank into the folder; returns its path.
    std::string write(const TempFolder& folder, const std::string& name = "test.sad") const;

  private:
    std::vector<ZQ_BankSample> records_;
    Bytes waveData_;
};

// A container file image from named segments.
struct RawSegment {
    std::string name;
    Bytes data;
};
[[nodiscard]] Bytes containerImage(const std::vector<RawSegment>& segments);

// A mono 16-bit sine WAV image at kTestRate unless said otherwise.
[[nodiscard]] Bytes sineWav(double frequency, uint32_t frames, uint32_t rate = kTestRate,
                            double amplitude = 0.5, uint16_t channels = 1);
// A mono 16-bit WAV image of frames whose sine amplitude changes per section.
struct Section {
    uint32_t frames;
    double amplitude;
};
[[nodiscard]] Bytes sectionedSineWav(double frequency, const std::vector<Section>& sections);

// An audio system on the loopback device with a fixed random seed.
struct LoopbackAudio {
    explicit LoopbackAudio(uint32_t voiceCount = 32);
    ZQ_AudioSystem system;
    ZQAudioResult created = ZQAudioResult::NotCreated;

    // Renders this many frames, in pieces of at most 1024 frames, as the
    // engine would meet them; returns interleaved stereo.
    std::vector<float> render(uint32_t frames);
};

// Measurements over one channel (0 left, 1 right) of interleaved stereo.
[[nodiscard]] double rms(const std::vector<float>& stereo, int channel, size_t firstFrame = 0,
                         size_t frameCount = SIZE_MAX);
[[nodiscard]] double peak(const std::vector<float>& stereo, size_t firstFrame = 0,
                          size_t frameCount = SIZE_MAX);
// The frequency from the upward zero crossings, interpolated between frames.
[[nodiscard]] double measuredFrequency(const std::vector<float>& stereo, int channel,
                                       uint32_t rate = kTestRate);
// RMS of the left channel in windows of windowFrames.
[[nodiscard]] std::vector<double> envelope(const std::vector<float>& stereo, uint32_t windowFrames);
[[nodiscard]] double decibels(double ratio);

// Runs sox; the output's bytes, or nothing when sox is missing or fails.
[[nodiscard]] std::optional<Bytes> soxConvert(const TempFolder& folder, const Bytes& input,
                                              const std::string& options);

// Decodes an MPEG audio file with the mpg123 program: interleaved 16-bit
// samples in the stream's own channel count; nothing when mpg123 fails.
[[nodiscard]] std::optional<std::vector<int16_t>> mpg123Decode(const std::string& path);

// A record holding one music section: its Play Type field is the frame header
// value, without the play-type flag.
[[nodiscard]] ZQ_BankSample musicSectionRecord(uint32_t headerValue);

// An MPEG stream cut by the import's splitter: each section's bytes and header value.
struct MusicSectionBytes {
    uint32_t headerValue = 0;
    Bytes bytes;
};
[[nodiscard]] std::vector<MusicSectionBytes> cutMusicSections(const Bytes& stream);

// Cuts an MPEG stream with the import's splitter and adds one record per
// section, the section's bytes as its wave bytes; returns the sections added.
size_t addMusicSections(TestBank& bank, const Bytes& stream);
// A music bank of one stream.
[[nodiscard]] TestBank musicBank(const Bytes& stream);

// Options as the editor fills them for a row, flags 0xFFF.
[[nodiscard]] ZQ_SamplePlayOptions editorOptions(ZQ_AudioBank* bank, uint32_t sampleNumber,
                                                 int volume = 127, int loopCount = 0);
// Options that play the record as it stands.
[[nodiscard]] ZQ_SamplePlayOptions recordOptions(ZQ_AudioBank* bank, uint32_t sampleNumber);

// Voices playing the sample, from the voice records.
[[nodiscard]] int voicesOf(ZQ_AudioSystem& system, uint32_t sampleNumber);

}  // namespace quillon::test
