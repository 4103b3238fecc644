// The 640-byte sample record of a bank's sample table. The audio library reads
// the same records out of a registered bank.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "formats/WaveFormat.h"

namespace quillon {

// Which optional properties of a record hold a value. Properties without a bit
// (Priority, Group, Atmos Group, Atmos, User Param, Pitch variation) mark "not
// set" by their value alone: 0, or -1 for Atmos.
enum SampleFlag : uint32_t {
    kFlagPitch = 0x1,
    kFlagPan = 0x2,
    kFlagXPos = 0x4,
    kFlagYPos = 0x8,
    kFlagZPos = 0x10,
    kFlagVolume = 0x20,
    kFlagLoop = 0x40,
    kFlagMinDist = 0x80,
    kFlagMaxDist = 0x100,
    kFlagScale = 0x200,
    kFlagPlayType = 0x400,
};
inline constexpr uint32_t kAllSampleFlags = 0x7FF;

enum PlayType : uint32_t { kPlayOverlap = 1, kPlayOnce = 2, kPlayRestart = 3 };

// A Play Type field of 4 or more is the header of the MPEG frames of a music
// section, whether or not kFlagPlayType is set beside it (an older writer set it).
inline constexpr uint32_t kFirstMpegDescriptor = 4;

inline constexpr size_t kSamplePathBytes = 260;
inline constexpr size_t kSampleDescriptionBytes = 256;

// A default-constructed record is all zero, as an empty slot of the table is.
struct ZQ_BankSample {
    std::string path;           // Location, a separator, Name; at most 259 characters
    uint32_t sampleNumber = 0;  // 0 marks an empty slot
    uint32_t waveOwner = 0;     // No of the sample whose audio bytes this one plays
    uint32_t waveSize = 0;      // bytes of the whole WAV file image
    uint32_t waveOffset = 0;    // offset of that image in the wave data segment
    uint32_t cloneCount = 0;
    uint16_t group = 0;
    uint16_t atmosGroup = 0;
    WaveFormatBlock format;
    int32_t loopStart = 0;    // sample frame; -1 = no loop
    int32_t loopEnd = 0;      // last frame of the loop, inclusive; -1 = no loop
    std::string description;  // at most 255 characters
    uint32_t priority = 0;
    uint32_t setFlags = 0;  // SampleFlag bits
    int32_t loopCount = 0;
    int32_t pan = 0;
    float xPos = 0, yPos = 0, zPos = 0;
    uint16_t volume = 0;
    uint16_t userParam = 0;
    int32_t pitch = 0;
    int32_t pitchVariation = 0;
    float minDist = 0, maxDist = 0;
    float scale = 0;
    uint32_t playType = 0;  // PlayType with kFlagPlayType, the MPEG descriptor (4 or more), or 0
    uint32_t enabled = 0;   // 1 when the row's playback box is checked
    int32_t atmos = 0;      // ambient timing; -1 = not set

    bool has(SampleFlag flag) const { return (setFlags & flag) != 0; }
    bool operator==(const ZQ_BankSample&) const = default;
};

inline constexpr size_t kSampleRecordBytes = 640;

// Field offsets inside the 640-byte record.
namespace record_offset {
inline constexpr size_t kPath = 0;
inline constexpr size_t kSampleNumber = 260;
inline constexpr size_t kWaveOwner = 264;
inline constexpr size_t kWaveSize = 268;
inline constexpr size_t kWaveOffset = 272;
inline constexpr size_t kCloneCount = 276;
inline constexpr size_t kGroup = 280;
inline constexpr size_t kAtmosGroup = 282;
inline constexpr size_t kFormat = 292;
inline constexpr size_t kLoopStart = 312;
inline constexpr size_t kLoopEnd = 316;
inline constexpr size_t kDescription = 320;
inline constexpr size_t kPriority = 576;
inline constexpr size_t kSetFlags = 580;
inline constexpr size_t kLoopCount = 584;
inline constexpr size_t kPan = 588;
inline constexpr size_t kXPos = 592;
inline constexpr size_t kYPos = 596;
inline constexpr size_t kZPos = 600;
inline constexpr size_t kVolume = 604;
inline constexpr size_t kUserParam = 606;
inline constexpr size_t kPitch = 608;
inline constexpr size_t kPitchVariation = 612;
inline constexpr size_t kMinDist = 616;
inline constexpr size_t kMaxDist = 620;
inline constexpr size_t kScale = 624;
inline constexpr size_t kPlayType = 628;
inline constexpr size_t kEnabled = 632;
inline constexpr size_t kAtmos = 636;
}  // namespace record_offset
static_assert(record_offset::kAtmos + 4 == kSampleRecordBytes);

// Reads one record from exactly kSampleRecordBytes bytes.
ZQ_BankSample decodeSampleRecord(std::span<const uint8_t, kSampleRecordBytes> bytes);

// Appends the 640-byte image of a record; texts longer than their fields are cut
// so that a terminating zero byte always remains.
void encodeSampleRecord(const ZQ_BankSample& record, std::vector<uint8_t>& out);

}  // namespace quillon
