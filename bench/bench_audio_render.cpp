// Mixes 32 voices of 16-bit 22.05 kHz samples, each with its own pitch and 3D
// position, through the loopback device for 60 s of 44.1 kHz stereo output, in
// the 1024-frame periods a sound card would ask for, on the calling thread.
// Prints the time taken against the real time rendered, and as a baseline run
// in the same process the time to mix the same output with no voice playing.
// Target: 50 times faster than real time or better.
//
// Usage: bench_audio_render [seconds]
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "audio/ZQAudio.h"
#include "bank/SampleRecord.h"
#include "bank/SegmentNames.h"
#include "container/ByteOrder.h"
#include "container/ZQFile.h"
#include "platform/Paths.h"
#include "support/WavBuilder.h"

namespace {

using namespace quillon;
using Clock = std::chrono::steady_clock;

constexpr uint32_t kVoices = 32;
constexpr uint32_t kSampleRate = 22050;
constexpr uint32_t kOutputRate = 44100;
constexpr uint32_t kPeriodFrames = 1024;
constexpr uint32_t kSampleFrames = 2 * kSampleRate;  // 2 s, looped

// A bank of 32 looping samples spread round the listener at several pitches.
std::vector<uint8_t> benchBank() {
    std::vector<uint8_t> waveData, table(4, 0);
    storeU32(table.data(), kVoices);
    for (uint32_t i = 0; i < kVoices; ++i) {
        test::PcmWavSpec spec;
        spec.rate = kSampleRate;
        spec.frames = kSampleFrames;
        spec.frequency = 110.0 + 37.0 * i;
        const auto wav = test::makePcmWav(spec);
        ZQ_BankSample record;
        record.sampleNumber = i + 1;
        record.waveOwner = i + 1;
        record.waveOffset = uint32_t(waveData.size());
        record.waveSize = uint32_t(wav.size());
        record.format = test::pcmFormat(1, kSampleRate, 16);
        record.loopStart = int32_t(kSampleFrames / 4);
        record.loopEnd = int32_t(kSampleFrames - 1);
        record.enabled = 1;
        record.atmos = -1;
        record.setFlags = kFlagPitch | kFlagXPos | kFlagYPos | kFlagZPos | kFlagLoop |
                          kFlagMinDist | kFlagMaxDist;
        record.pitch = int32_t(70 + (i * 13) % 90);  // 70..159
        record.loopCount = -1;
        const double angle = 2 * 3.14159265358979 * i / kVoices;
        record.xPos = float(8 * std::sin(angle));
        record.yPos = float(i % 3);
        record.zPos = float(8 * std::cos(angle));
        record.minDist = 2;
        record.maxDist = 50;
        waveData.insert(waveData.end(), wav.begin(), wav.end());
        encodeSampleRecord(record, table);
    }
    std::vector<uint8_t> info(532, 0);
    std::vector<uint8_t> file;
    const auto segment = [&file](const char* name, const std::vector<uint8_t>& data) {
        LeWriter w(file);
        w.text(name, kSegmentNameFieldBytes);
        w.u32(uint32_t(data.size()));
        w.bytes(data.data(), data.size());
    };
    file.assign(kContainerMagic, kContainerMagic + kContainerMagicBytes);
    segment(ZQFileSegmentBankInfo, info);
    segment(ZQFileSegmentWaveData, waveData);
    segment(ZQFileSegmentBankSampleTable, table);
    return file;
}

bool writeBank(const std::string& path) {
    const std::vector<uint8_t> bytes = benchBank();
    FILE* out = std::fopen(path.c_str(), "wb");
    if (!out) return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
    return std::fclose(out) == 0 && written;
}

}  // namespace

int main(int argc, char** argv) {
    const double seconds = argc > 1 ? std::atof(argv[1]) : 60.0;
    setenv("ALSOFT_LOGLEVEL", "0", 0);
    const auto folder = privateTempFolder();
    if (!folder) {
        std::fprintf(stderr, "no private temporary folder\n");
        return 1;
    }
    const std::string path = joinPath(*folder, "bench_audio_render.sad");
    if (!writeBank(path)) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        return 1;
    }

    ZQ_AudioSystem system;
    system.OutputMode = ZQ_OUTPUT_LOOPBACK;
    system.OutputRate = kOutputRate;
    system.VoiceCount = kVoices;
    system.RandomSeed = 1;
    if (system.Create() != ZQAudioResult::Ok) {
        std::fprintf(stderr, "cannot open the loopback device\n");
        return 1;
    }
    ZQ_AudioBank* bank = system.ZQBankRegister(path.c_str(), ZQ_BANK_PRELOAD);
    unlink(path.c_str());
    if (!bank) {
        std::fprintf(stderr, "cannot register the bank\n");
        return 1;
    }
    const uint32_t frames = uint32_t(seconds * kOutputRate);

    const bench::RenderRun empty = bench::render(system, frames, kPeriodFrames);
    for (uint32_t n = 1; n <= kVoices; ++n) {
        ZQ_SamplePlayOptions options;
        options.Bank = bank;
        options.SampleNumber = n;
        (void)system.ZQSamplePlay(options);
    }
    const uint32_t playing = system.ZQSampleGetNumberPlaying();
    const bench::RenderRun busy = bench::render(system, frames, kPeriodFrames);
    const uint32_t stillPlaying = system.ZQSampleGetNumberPlaying();

    std::printf("voices playing: %u at the start, %u at the end\n", playing, stillPlaying);
    std::printf("baseline, no voice: %.3f s for %.0f s of output (%.0fx real time)\n",
                empty.seconds, seconds, seconds / empty.seconds);
    std::printf("32 voices: %.3f s for %.0f s of output, peak level %.3f\n", busy.seconds, seconds,
                busy.peak);
    std::printf("ratio real time / render time: %.1fx (target 50x or better)\n",
                seconds / busy.seconds);
    std::printf("cost of the voices over the empty mix: %.2fx\n", busy.seconds / empty.seconds);
    const bool sounded = playing == kVoices && stillPlaying == kVoices && busy.peak > 0.01f;
    return sounded ? 0 : 1;
}
