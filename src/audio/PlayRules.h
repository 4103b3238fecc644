// What a sample record and the play options mean when the sample plays. These
// rules are the engine's definition of the record's fields (docs/audio.md says
// the same in words); they know nothing of OpenAL, so they are tested alone.
#pragma once

#include <array>
#include <cstdint>
#include <limits>
#include <optional>
#include <random>

#include "audio/ZQAudio.h"
#include "bank/SampleRecord.h"

namespace quillon {

inline constexpr int kFullVolume = 127;
inline constexpr int kUnityPitch = 100;  // the recorded rate; 200 is one octave up
inline constexpr int kMinPitch = 1;
inline constexpr int kMaxPitch = 1000;
inline constexpr int32_t kLoopForever = -1;
inline constexpr int kPanLeft = 0;
inline constexpr int kPanCentre = 90;
inline constexpr int kPanRight = 180;
// Priority 1 is the most important; an unset Priority (0) ranks below 9999.
inline constexpr uint32_t kLeastImportantRank = 10000;

enum class Placement : uint32_t { Centre = 0, Panned = 1, Positioned = 2 };

// Everything a voice needs to start, resolved from one record and one play.
struct VoiceSettings {
    int volume = kFullVolume;  // 0..127
    int pitch = kUnityPitch;   // kMinPitch..kMaxPitch, variation included
    int32_t loopCount = 0;     // kLoopForever, or how often the loop region plays (0 and 1: once)
    Placement placement = Placement::Centre;
    int pan = -1;  // 0..180 when panned
    // OpenAL coordinates (+X right, +Y up, -Z ahead); listener-relative for
    // Centre and Panned, the world round the listener at the origin for Positioned.
    std::array<float, 3> position{};
    float referenceDistance = 1.0f;                         // Min Dist: full level up to here
    float maxDistance = std::numeric_limits<float>::max();  // Max Dist: no further fall beyond
    float rolloff = 1.0f;                                   // Scale
    uint32_t playType = kPlayOverlap;
    uint32_t priorityRank = kLeastImportantRank;
    uint32_t group = 0;
};

// Volume curve: gain = (volume / 127)², so 64 is about -11.9 dB and 0 is silent.
[[nodiscard]] float volumeGain(int volume);

// Ranks a record's Priority: smaller is more important.
[[nodiscard]] uint32_t priorityRank(uint32_t priority);

// A point on the unit circle round the listener, in OpenAL coordinates: 0 full
// left, 90 straight ahead, 180 full right; values beyond the range are clamped.
[[nodiscard]] std::array<float, 3> panPosition(int pan);

// Applies the play options to the record: the volume, pitch and loop count of
// the options replace the record's where the options' flags say so; the
// record's ± Pitch varies the pitch by a random whole number in [-v, +v].
[[nodiscard]] VoiceSettings resolveVoiceSettings(const ZQ_BankSample& record,
                                                 const ZQ_SamplePlayOptions& options,
                                                 std::mt19937& random);

// The loop region of a decoded sample: frames first..last inclusive.
struct LoopRegion {
    uint32_t first = 0;
    uint32_t last = 0;
    [[nodiscard]] uint32_t frames() const { return last - first + 1; }
};

// The record's loop points when they lie inside the sample (0 <= LStart <= LEnd
// < frames); otherwise none, and the whole sample is what loops.
[[nodiscard]] std::optional<LoopRegion> recordLoopRegion(const ZQ_BankSample& record,
                                                         uint32_t frameCount);

}  // namespace quillon
