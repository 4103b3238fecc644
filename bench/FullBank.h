// A full bank for the benchmarks: 65,535 samples whose records look like a
// game's (a Windows path of usual depth, a description, most properties set),
// all sharing a few bytes of wave data.
#pragma once

#include <string>
#include <vector>

#include "bank/SampleRecord.h"
#include "support/BankFixtures.h"

namespace quillon::bench {

inline constexpr uint32_t kSampleCount = 65535;
inline constexpr uint32_t kWaveBytes = 64;

// A record as a game's bank holds them: a Windows path of usual depth, a
// description, most properties set, a few left unset.
inline ZQ_BankSample benchRecord(uint32_t number) {
    ZQ_BankSample r;
    r.sampleNumber = number;
    r.path = "C:\\Game\\Sounds\\Level" + std::to_string(number % 40) + "\\Ambience\\wind_gust_" +
             std::to_string(number) + ".wav";
    r.waveOwner = number;
    r.waveSize = kWaveBytes;
    r.cloneCount = number % 7 == 0 ? 1 : 0;
    r.group = uint16_t(1 + number % 50);
    r.atmosGroup = uint16_t(number % 3);
    r.format.formatTag = 1;
    r.format.channels = uint16_t(1 + number % 2);
    r.format.samplesPerSecond = 22050;
    r.format.averageBytesPerSecond = 44100 * r.format.channels;
    r.format.blockAlign = uint16_t(2 * r.format.channels);
    r.format.bitsPerSample = 16;
    r.loopStart = number % 5 == 0 ? 100 : -1;
    r.loopEnd = number % 5 == 0 ? 900 : -1;
    if (number % 3 != 0) r.description = "Gust of wind, variation " + std::to_string(number);
    r.priority = 1 + number % 9999;
    r.setFlags = kAllSampleFlags & ~(number % 4 == 0 ? uint32_t(kFlagScale) : 0u);
    r.loopCount = int32_t(number % 10);
    r.pan = int32_t(number % 181);
    r.xPos = float(number % 2000) - 1000.0f;
    r.yPos = 12.0f;
    r.zPos = -40.0f;
    r.volume = uint16_t(number % 128);
    r.userParam = uint16_t(number % 300);
    r.pitch = int32_t(1 + number % 1000);
    r.pitchVariation = int32_t(number % 101);
    r.minDist = 1.5f + float(number % 100) * 0.25f;
    r.maxDist = 250.0f + float(number % 1000);
    r.scale = 1.0f;
    r.playType = 1 + number % 3;
    r.enabled = number % 11 == 0 ? 0 : 1;
    r.atmos = number % 6 == 0 ? int32_t(number % 9999) : -1;
    return r;
}

inline bool writeBenchBank(const std::string& path) {
    std::vector<uint8_t> table = test::u32Words({kSampleCount});
    table.reserve(4 + size_t(kSampleCount) * kSampleRecordBytes);
    for (uint32_t n = 1; n <= kSampleCount; ++n)
        encodeSampleRecord(benchRecord(n), table);
    return test::writeContainer(path, {{"ZQFileSegmentBankInfo", test::blankBankInfo()},
                                       {"ZQFileSegmentWaveData", std::vector<uint8_t>(kWaveBytes)},
                                       {"ZQFileSegmentBankSampleTable", table}});
}

}  // namespace quillon::bench
