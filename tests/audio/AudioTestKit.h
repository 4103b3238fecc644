// Banks of records with play settings, the loopback output and measurements of what it plays.
#pragma once

#include <cmath>
#include <numbers>

#include "audio/ZQAudio.h"
#include "bank/RowList.h"
#include "bank/SegmentNames.h"
#include "support/BankFixtures.h"
#include "support/TempFolder.h"
#include "support/WavBuilder.h"

namespace quillon::test {

inline constexpr uint32_t kTestRate = 44100;

// A record that plays: enabled, no loop, Atmos not set, the rest unset.
inline ZQ_BankSample playableRecord() {
    ZQ_BankSample record;
    record.enabled = 1;
    record.loopStart = record.loopEnd = record.atmos = -1;
    return record;
}

// A bank file: samples numbered 1, 2, ... in the order added.
struct TestBank {
    uint32_t add(ZQ_BankSample record, const Bytes& wavImage);  // returns its number
    std::string write(const TempFolder& folder, const std::string& name = "test.sad") const;
    std::vector<ZQ_BankSample> records;  // an empty slot has sample number 0
    Bytes waveData;
};

inline uint32_t TestBank::add(ZQ_BankSample record, const Bytes& wavImage) {
    record.sampleNumber = record.waveOwner = uint32_t(records.size() + 1);
    record.waveOffset = uint32_t(waveData.size());
    record.waveSize = uint32_t(wavImage.size());
    waveData.insert(waveData.end(), wavImage.begin(), wavImage.end());
    records.push_back(std::move(record));
    return records.back().sampleNumber;
}

inline std::string TestBank::write(const TempFolder& folder, const std::string& name) const {
    std::vector<Bytes> encoded(records.size());
    for (size_t i = 0; i < records.size(); ++i)
        encodeSampleRecord(records[i], encoded[i]);
    const std::string path = folder.file(name);
    if (!writeContainer(
            path, {{ZQFileSegmentBankInfo, blankBankInfo()},
                   {ZQFileSegmentWaveData, waveData},
                   {ZQFileSegmentBankSampleTable, sampleTable(uint32_t(records.size()), encoded)}}))
        throw std::runtime_error("cannot write " + path);
    return path;
}

// Mono 16-bit WAV images at kTestRate.
inline Bytes monoWav(uint32_t frames, const std::function<double(uint32_t)>& value) {
    Bytes pcm;
    for (uint32_t i = 0; i < frames; ++i) {
        const auto v = uint16_t(int16_t(std::lrint(value(i))));
        pcm.insert(pcm.end(), {uint8_t(v & 0xFF), uint8_t(v >> 8)});
    }
    return encodeRiff({waveRiff({fmtChunk(pcmFormat(1, kTestRate, 16)), dataChunk(pcm)})});
}

inline Bytes sineWav(double frequency, uint32_t frames, double amplitude = 0.5) {
    return monoWav(frames, [&](uint32_t i) {
        return amplitude * 32767 * std::sin(2 * std::numbers::pi * frequency * i / kTestRate);
    });
}

struct LoopbackAudio {
    explicit LoopbackAudio(uint32_t voiceCount = 32);
    ZQ_AudioSystem system;
    std::vector<float> render(uint32_t frames);
};

inline LoopbackAudio::LoopbackAudio(uint32_t voiceCount) {
    // OpenAL Soft reads its log level at its first call: no ALSA messages in the output.
    setenv("ALSOFT_LOGLEVEL", "0", 0);
    system.OutputMode = ZQ_OUTPUT_LOOPBACK;
    system.RandomSeed = 12345;
    system.VoiceCount = voiceCount;
    system.OutputRate = kTestRate;
    if (system.Create() != ZQAudioResult::Ok) throw std::runtime_error("no loopback output");
}

inline std::vector<float> LoopbackAudio::render(uint32_t frames) {
    std::vector<float> out(size_t(frames) * 2);
    for (uint32_t done = 0; done < frames; done += 1024)
        (void)system.ZQRender(out.data() + size_t(done) * 2, std::min(1024u, frames - done));
    return out;
}

inline double rms(const std::vector<float>& stereo, int channel, size_t firstFrame = 0,
                  size_t frameCount = SIZE_MAX / 4) {
    const size_t end = std::min(stereo.size() / 2, firstFrame + frameCount);
    double sum = 0;
    for (size_t i = firstFrame; i < end; ++i)
        sum += std::pow(stereo[i * 2 + size_t(channel)], 2);
    return std::sqrt(sum / double(end - firstFrame));
}

inline double peak(const std::vector<float>& stereo, size_t firstFrame = 0) {
    double highest = 0;
    for (size_t i = firstFrame * 2; i < stereo.size(); ++i)
        highest = std::max(highest, double(std::fabs(stereo[i])));
    return highest;
}

// sox's output for the input and options; nothing when sox is missing or fails.
inline std::optional<Bytes> soxConvert(const TempFolder& folder, const Bytes& input,
                                       const std::string& options) {
    const std::string in = folder.file("sox-in.wav"), out = folder.file("sox-out.wav");
    writeFile(in, input);
    if (!haveProgram("sox") || !runCommand("sox '" + in + "' " + options + " '" + out + "'"))
        return std::nullopt;
    return readFileBytes(out);
}

// Options as the editor fills them for a row (flags 0xFFF), or as the record stands.
inline ZQ_SamplePlayOptions editorOptions(ZQ_AudioBank* bank, uint32_t sampleNumber,
                                          int volume = 127, int loopCount = 0) {
    return {.Bank = bank,
            .Flags = 0xFFF,
            .SampleNumber = sampleNumber,
            .Volume = volume,
            .LoopCount = loopCount};
}

inline ZQ_SamplePlayOptions recordOptions(ZQ_AudioBank* bank, uint32_t sampleNumber) {
    return {.Bank = bank, .SampleNumber = sampleNumber};
}

// A row as the editor holds it: every other cell "*", the bank's record `number` (none for 0).
inline Row editorRow(uint32_t number, const std::string& bankText, const std::string& folder = "",
                     const std::string& name = "", size_t size = 0) {
    Row row;
    for (int c = 0; c < kColumnCount; ++c)
        setCell(row, c, "*");
    setCell(row, kColBank, bankText);
    setCell(row, kColLocation, folder);
    setCell(row, kColName, name);
    setCell(row, kColSize, std::to_string(size));
    if (number != 0) row.record = playableRecord(), row.record->sampleNumber = number;
    return row;
}

}  // namespace quillon::test
