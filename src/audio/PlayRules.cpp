#include "audio/PlayRules.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace quillon {

namespace {

constexpr uint32_t kPositionFlags = kFlagXPos | kFlagYPos | kFlagZPos;
// A variation wider than the whole pitch range says nothing more.
constexpr int32_t kMaxPitchVariation = kMaxPitch;

float finiteOr(float value, float fallback) {
    return std::isfinite(value) ? value : fallback;
}

int resolveVolume(const ZQ_BankSample& record, const ZQ_SamplePlayOptions& options) {
    int volume = kFullVolume;
    if (options.Flags & kFlagVolume)
        volume = options.Volume;
    else if (record.has(kFlagVolume))
        volume = record.volume;
    return std::clamp(volume, 0, kFullVolume);
}

int resolvePitch(const ZQ_BankSample& record, const ZQ_SamplePlayOptions& options,
                 std::mt19937& random) {
    int64_t pitch = kUnityPitch;
    if (options.Flags & kFlagPitch)
        pitch = options.Pitch;
    else if (record.has(kFlagPitch))
        pitch = record.pitch;
    if ((options.Behaviour & ZQ_PLAY_VARY_PITCH) && record.pitchVariation > 0) {
        const int32_t spread = std::min(record.pitchVariation, kMaxPitchVariation);
        pitch += std::uniform_int_distribution<int32_t>(-spread, spread)(random);
    }
    return int(std::clamp<int64_t>(pitch, kMinPitch, kMaxPitch));
}

int32_t resolveLoopCount(const ZQ_BankSample& record, const ZQ_SamplePlayOptions& options) {
    int32_t count = 0;
    if (options.Flags & kFlagLoop)
        count = options.LoopCount;
    else if (record.has(kFlagLoop))
        count = record.loopCount;
    // Only -1 means for ever; other negative counts (not a value the editor
    // lets through) play once rather than never end.
    return count < kLoopForever ? 0 : count;
}

// The record's XPos, YPos, ZPos are +X right, +Y up, +Z ahead of the listener;
// OpenAL looks down -Z.
void placeInWorld(const ZQ_BankSample& record, VoiceSettings& voice) {
    voice.placement = Placement::Positioned;
    const float x = record.has(kFlagXPos) ? finiteOr(record.xPos, 0) : 0;
    const float y = record.has(kFlagYPos) ? finiteOr(record.yPos, 0) : 0;
    const float z = record.has(kFlagZPos) ? finiteOr(record.zPos, 0) : 0;
    voice.position = {x, y, -z};
    if (record.has(kFlagMinDist) && finiteOr(record.minDist, 0) > 0)
        voice.referenceDistance = record.minDist;
    if (record.has(kFlagMaxDist) && finiteOr(record.maxDist, 0) > 0)
        voice.maxDistance = std::max(record.maxDist, voice.referenceDistance);
    if (record.has(kFlagScale) && finiteOr(record.scale, -1) >= 0) voice.rolloff = record.scale;
}

void place(const ZQ_BankSample& record, const ZQ_SamplePlayOptions& options, VoiceSettings& voice) {
    if (options.Spatial == 0) return;
    if (record.setFlags & kPositionFlags) {
        placeInWorld(record, voice);
    } else if (record.has(kFlagPan)) {
        voice.placement = Placement::Panned;
        voice.pan = std::clamp(record.pan, kPanLeft, kPanRight);
        voice.position = panPosition(voice.pan);
    }
}

}  // namespace

float volumeGain(int volume) {
    const float level = float(std::clamp(volume, 0, kFullVolume)) / float(kFullVolume);
    return level * level;
}

uint32_t priorityRank(uint32_t priority) {
    return priority == 0 ? kLeastImportantRank : std::min(priority, kLeastImportantRank - 1);
}

std::array<float, 3> panPosition(int pan) {
    const double angle =
        double(std::clamp(pan, kPanLeft, kPanRight) - kPanCentre) * std::numbers::pi / 180.0;
    return {float(std::sin(angle)), 0.0f, float(-std::cos(angle))};
}

VoiceSettings resolveVoiceSettings(const ZQ_BankSample& record, const ZQ_SamplePlayOptions& options,
                                   std::mt19937& random) {
    VoiceSettings voice;
    voice.volume = resolveVolume(record, options);
    voice.pitch = resolvePitch(record, options, random);
    voice.loopCount = resolveLoopCount(record, options);
    place(record, options, voice);
    if ((options.Behaviour & ZQ_PLAY_OBEY_PLAY_TYPE) && record.has(kFlagPlayType) &&
        record.playType >= kPlayOverlap && record.playType <= kPlayRestart)
        voice.playType = record.playType;
    voice.priorityRank = priorityRank(record.priority);
    voice.group = record.group;
    return voice;
}

std::optional<LoopRegion> recordLoopRegion(const ZQ_BankSample& record, uint32_t frameCount) {
    if (record.loopStart < 0 || record.loopEnd < record.loopStart ||
        uint32_t(record.loopEnd) >= frameCount)
        return std::nullopt;
    return LoopRegion{uint32_t(record.loopStart), uint32_t(record.loopEnd)};
}

}  // namespace quillon
