// A reader of bank files from the format's byte tables alone: it shares no code
// with the writer or reader under test, so a fault they share cannot hide.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace quillon::test {

struct InspectedSegment {
    std::string name;
    uint64_t dataOffset = 0;
    uint32_t size = 0;
};

struct InspectedRecord {
    std::string path;
    uint32_t number, owner, waveSize, waveOffset, cloneCount;
    uint16_t group, atmosGroup;
    uint16_t formatTag, channels;
    uint32_t rate, byteRate;
    uint16_t blockAlign, bits, extraSize;
    int32_t loopStart, loopEnd;
    std::string description;
    uint32_t priority, flags;
    int32_t loopCount, pan;
    uint16_t volume, userParam;
    int32_t pitch, pitchVariation;
    float minDist, maxDist, scale;
    uint32_t playType, enabled;
    int32_t atmos;
    bool allZero;
};

struct InspectedBank {
    std::vector<InspectedSegment> segments;
    uint32_t musicFlag = 0;  // of the bank information
    std::string title;
    // Sample table.
    uint32_t countWord = 0;
    std::vector<InspectedRecord> records;
    std::vector<uint8_t> waveData;
    std::vector<uint8_t> bytes;  // the whole file
};

InspectedBank inspectBank(const std::string& path);

// The bytes of a record's WAV image inside the wave data.
std::vector<uint8_t> waveImage(const InspectedBank& bank, const InspectedRecord& record);

}  // namespace quillon::test
