// Banks of records with play settings, the loopback output and measurements of what it plays.
#pragma once

#include "audio/ZQAudio.h"
#include "bank/RowList.h"
#include "support/TempFolder.h"
#include "support/WavBuilder.h"

namespace quillon::test {

inline constexpr uint32_t kTestRate = 44100;

// A record that plays: enabled, no loop, Atmos not set, the rest unset.
ZQ_BankSample playableRecord();

// A bank file: samples numbered 1, 2, ... in the order added.
struct TestBank {
    uint32_t add(ZQ_BankSample record, const Bytes& wavImage);  // returns its number
    std::string write(const TempFolder& folder, const std::string& name = "test.sad") const;
    std::vector<ZQ_BankSample> records;  // an empty slot has sample number 0
    Bytes waveData;
};

// Mono 16-bit WAV images at kTestRate.
[[nodiscard]] Bytes monoWav(uint32_t frames, const std::function<double(uint32_t)>& value);
[[nodiscard]] Bytes sineWav(double frequency, uint32_t frames, double amplitude = 0.5);

struct LoopbackAudio {
    explicit LoopbackAudio(uint32_t voiceCount = 32);
    ZQ_AudioSystem system;
    std::vector<float> render(uint32_t frames);
};

[[nodiscard]] double rms(const std::vector<float>& stereo, int channel, size_t firstFrame = 0,
                         size_t frameCount = SIZE_MAX / 4);
[[nodiscard]] double peak(const std::vector<float>& stereo, size_t firstFrame = 0);

// sox's output for the input and options; nothing when sox is missing or fails.
[[nodiscard]] std::optional<Bytes> soxConvert(const TempFolder& folder, const Bytes& input,
                                              const std::string& options);

// Options as the editor fills them for a row (flags 0xFFF), or as the record stands.
[[nodiscard]] ZQ_SamplePlayOptions editorOptions(ZQ_AudioBank* bank, uint32_t sampleNumber,
                                                 int volume = 127, int loopCount = 0);
[[nodiscard]] ZQ_SamplePlayOptions recordOptions(ZQ_AudioBank* bank, uint32_t sampleNumber);

// A row as the editor holds it: every other cell "*", the bank's record `number` (none for 0).
[[nodiscard]] Row editorRow(uint32_t number, const std::string& bankText,
                            const std::string& folder = "", const std::string& name = "",
                            size_t size = 0);

}  // namespace quillon::test
