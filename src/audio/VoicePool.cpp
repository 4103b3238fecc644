#include "audio/VoicePool.h"

#include <AL/alext.h>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace quillon {

namespace {

constexpr uint32_t kSlotBits = 8;
constexpr uint32_t kSlotMask = (1u << kSlotBits) - 1;
constexpr uint32_t kGenerationMask = 0xFFFFFF;
// A counted loop keeps about this much of its loop region queued ahead, so that
// the looking-after calls may come seconds apart.
constexpr double kQueueAheadSeconds = 2.0;
constexpr uint32_t kMinQueueAhead = 2;
constexpr uint32_t kMaxQueueAhead = 4096;

uint32_t queueAheadEntries(const CachedSample& sample, const VoiceSettings& settings,
                           uint32_t repeatFrames) {
    const double framesAhead =
        kQueueAheadSeconds * sample.rate * double(settings.pitch) / kUnityPitch;
    const double entries = std::ceil(framesAhead / std::max<uint32_t>(repeatFrames, 1));
    return uint32_t(std::clamp<double>(entries, kMinQueueAhead, kMaxQueueAhead));
}

}  // namespace

VoicePool::~VoicePool() {
    for (Slot& slot : slots_) {
        slot.source.reset();
        slot.sample.reset();
    }
}

bool VoicePool::create(uint32_t voiceCount, bool directChannels) {
    directChannels_ = directChannels;
    slots_.resize(voiceCount);
    infos_.assign(voiceCount, ZQ_SampleInfo{});
    for (Slot& slot : slots_) {
        ALuint id = 0;
        alGenSources(1, &id);
        if (alGetError() != AL_NO_ERROR) return false;
        slot.source = AlSource(id);
    }
    return true;
}

std::optional<uint32_t> VoicePool::claimSlot(uint32_t priorityRank) {
    std::optional<uint32_t> victim;
    for (uint32_t i = 0; i < slots_.size(); ++i) {
        if (!slots_[i].busy) return i;
        if (!victim) {
            victim = i;
            continue;
        }
        const Slot& best = slots_[*victim];
        const bool lessImportant = slots_[i].priorityRank > best.priorityRank;
        const bool olderAmongEquals = slots_[i].priorityRank == best.priorityRank &&
                                      infos_[i].StartSerial < infos_[*victim].StartSerial;
        if (lessImportant || olderAmongEquals) victim = i;
    }
    if (!victim || priorityRank >= slots_[*victim].priorityRank) return std::nullopt;
    release(*victim);
    return victim;
}

bool VoicePool::start(uint32_t index, VoiceStart play, uint64_t serial) {
    if (slots_[index].busy) release(index);
    Slot& slot = slots_[index];
    const ALuint source = slot.source.id();
    alSourceStop(source);
    alSourcei(source, AL_BUFFER, 0);
    // Back to the initial state: a stopped source counts queued buffers as played.
    alSourceRewind(source);
    applySettings(slot, play);

    const CachedSample& sample = *play.sample;
    const int32_t loopCount = play.settings.loopCount;
    if (loopCount == kLoopForever) {
        // The whole buffer carries the loop region as its loop points.
        alSourcei(source, AL_BUFFER, ALint(sample.whole.id()));
        alSourcei(source, AL_LOOPING, AL_TRUE);
    } else if (loopCount >= 2) {
        alSourcei(source, AL_LOOPING, AL_FALSE);
        queueCountedLoop(slot, play);
    } else {
        alSourcei(source, AL_BUFFER, ALint(sample.whole.id()));
        alSourcei(source, AL_LOOPING, AL_FALSE);
    }
    alSourcePlay(source);
    if (!alBatchSucceeded()) {
        alSourceStop(source);
        alSourcei(source, AL_BUFFER, 0);
        slot.queue = Queue{};
        alGetError();
        return false;
    }
    slot.sample = std::move(play.sample);
    slot.busy = true;
    slot.priorityRank = play.settings.priorityRank;
    slot.generation = (slot.generation + 1) & kGenerationMask;
    if (slot.generation == 0) slot.generation = 1;
    writeRecord(index, play, serial);
    return true;
}

std::optional<uint32_t> VoicePool::position(uint32_t index) const {
    const Slot& slot = slots_[index];
    if (!slot.busy) return std::nullopt;
    ALint offset = 0;
    alGetSourcei(slot.source.id(), AL_SAMPLE_OFFSET, &offset);
    const auto frame = uint32_t(std::max<ALint>(offset, 0));
    return slot.queue.queued.empty() ? frame : queuedFrame(slot.queue, frame);
}

// The offset of a queued source counts every buffer still queued, played
// ones too: it is walked through the pieces to the one it falls in.
uint32_t VoicePool::queuedFrame(const Queue& queue, uint32_t offset) {
    for (const Piece& piece : queue.queued) {
        if (offset < piece.frames) return piece.first + offset;
        offset -= piece.frames;
    }
    const Piece& last = queue.queued.back();
    return last.first + last.frames - 1;
}

void VoicePool::applySettings(const Slot& slot, const VoiceStart& play) {
    const ALuint source = slot.source.id();
    const VoiceSettings& s = play.settings;
    alSourcef(source, AL_GAIN, play.gain);
    alSourcef(source, AL_PITCH, float(s.pitch) / kUnityPitch);
    alSource3f(source, AL_VELOCITY, 0, 0, 0);
    alSource3f(source, AL_POSITION, s.position[0], s.position[1], s.position[2]);
    if (s.placement == Placement::Positioned) {
        alSourcei(source, AL_SOURCE_RELATIVE, AL_FALSE);
        alSourcef(source, AL_REFERENCE_DISTANCE, s.referenceDistance);
        alSourcef(source, AL_MAX_DISTANCE, s.maxDistance);
        alSourcef(source, AL_ROLLOFF_FACTOR, s.rolloff);
    } else {
        // Centred and panned voices sit round the listener's head at no distance.
        alSourcei(source, AL_SOURCE_RELATIVE, AL_TRUE);
        alSourcef(source, AL_REFERENCE_DISTANCE, 1.0f);
        alSourcef(source, AL_MAX_DISTANCE, std::numeric_limits<float>::max());
        alSourcef(source, AL_ROLLOFF_FACTOR, 0.0f);
    }
    // A stereo sample keeps its own left and right: OpenAL places no
    // multi-channel buffer in space.
    if (directChannels_) {
        const bool stereo = play.sample->channels == 2;
        alSourcei(source, AL_DIRECT_CHANNELS_SOFT, stereo ? AL_TRUE : AL_FALSE);
    }
}

// Head once, then the loop region as often as is left, then the tail. The
// repeats are queued a few seconds ahead and topped up by service().
void VoicePool::queueCountedLoop(Slot& slot, const VoiceStart& play) {
    const CachedSample& sample = *play.sample;
    const bool split = sample.loop && sample.hasSplit();
    const ALuint head = split ? sample.head.id() : sample.whole.id();
    Queue& queue = slot.queue;
    queue.active = true;
    queue.repeat = split ? sample.repeat.id() : sample.whole.id();
    queue.tail = split ? sample.tail.id() : 0;
    queue.repeatsLeft = uint64_t(play.settings.loopCount) - 1;
    const uint32_t repeatFrames = split ? sample.loop->frames() : sample.frames;
    queue.aheadEntries = queueAheadEntries(sample, play.settings, repeatFrames);
    if (split) {
        const LoopRegion loop = *sample.loop;
        queue.head = {0, loop.last + 1};
        queue.repeatPiece = {loop.first, loop.frames()};
        queue.tailPiece = {loop.last + 1, sample.frames - (loop.last + 1)};
    } else {
        queue.head = queue.repeatPiece = {0, sample.frames};
    }
    alSourceQueueBuffers(slot.source.id(), 1, &head);
    queue.queued.assign(1, queue.head);
    topUp(slot);
}

void VoicePool::topUp(Slot& slot) {
    const ALuint source = slot.source.id();
    ALint queued = 0, processed = 0;
    alGetSourcei(source, AL_BUFFERS_QUEUED, &queued);
    alGetSourcei(source, AL_BUFFERS_PROCESSED, &processed);
    Queue& queue = slot.queue;
    if (processed > 0) {
        std::vector<ALuint> done(static_cast<size_t>(processed));
        alSourceUnqueueBuffers(source, processed, done.data());
        queued -= processed;
        queue.queued.erase(
            queue.queued.begin(),
            queue.queued.begin() + std::min<std::ptrdiff_t>(processed, std::ssize(queue.queued)));
    }
    std::vector<ALuint> more;
    while (queue.repeatsLeft > 0 && uint32_t(queued) + more.size() < queue.aheadEntries) {
        more.push_back(queue.repeat);
        queue.queued.push_back(queue.repeatPiece);
        --queue.repeatsLeft;
    }
    if (queue.repeatsLeft == 0) {
        if (queue.tail != 0) {
            more.push_back(queue.tail);
            queue.queued.push_back(queue.tailPiece);
        }
        queue.active = false;
    }
    if (more.empty()) return;
    alSourceQueueBuffers(source, ALsizei(more.size()), more.data());
    ALint state = AL_PLAYING;
    alGetSourcei(source, AL_SOURCE_STATE, &state);
    if (state == AL_STOPPED) restartDrained(slot, more);
}

// The queue ran dry before it was topped up. A stopped source counts every
// queued buffer as played, the new ones too: take them all off, rewind, and
// start again with what is still to play.
void VoicePool::restartDrained(Slot& slot, const std::vector<ALuint>& unplayed) {
    const ALuint source = slot.source.id();
    ALint queued = 0;
    alGetSourcei(source, AL_BUFFERS_QUEUED, &queued);
    std::vector<ALuint> all(static_cast<size_t>(std::max(queued, 0)));
    if (!all.empty()) alSourceUnqueueBuffers(source, ALsizei(all.size()), all.data());
    alSourceRewind(source);
    alSourceQueueBuffers(source, ALsizei(unplayed.size()), unplayed.data());
    std::deque<Piece>& pieces = slot.queue.queued;
    pieces.erase(pieces.begin(), pieces.end() - std::ssize(unplayed));
    alSourcePlay(source);
}

void VoicePool::service() {
    for (uint32_t i = 0; i < slots_.size(); ++i)
        serviceSlot(i);
    alGetError();
}

void VoicePool::serviceSlot(uint32_t index) {
    Slot& slot = slots_[index];
    if (!slot.busy) return;
    const ALuint source = slot.source.id();
    if (slot.queue.active) topUp(slot);
    ALint state = AL_STOPPED;
    alGetSourcei(source, AL_SOURCE_STATE, &state);
    if (state == AL_PLAYING || state == AL_PAUSED) {
        infos_[index].State = ZQ_VOICE_PLAYING;
        return;
    }
    release(index);
}

void VoicePool::release(uint32_t index) {
    Slot& slot = slots_[index];
    const ALuint source = slot.source.id();
    alSourceStop(source);
    alSourcei(source, AL_BUFFER, 0);
    slot.sample.reset();
    slot.queue = Queue{};
    slot.busy = false;
    slot.priorityRank = kLeastImportantRank;
    infos_[index].State = ZQ_VOICE_FREE;
    infos_[index].Handle = 0;
}

void VoicePool::stop(uint32_t index) {
    if (slots_[index].busy) release(index);
}

void VoicePool::stopAll() {
    for (uint32_t i = 0; i < slots_.size(); ++i)
        stop(i);
    alGetError();
}

void VoicePool::stopWhere(const std::function<bool(const ZQ_SampleInfo&)>& matches) {
    for (uint32_t i = 0; i < slots_.size(); ++i) {
        if (slots_[i].busy && matches(infos_[i])) release(i);
    }
    alGetError();
}

void VoicePool::setGain(uint32_t index, float gain) {
    if (slots_[index].busy) alSourcef(slots_[index].source.id(), AL_GAIN, gain);
}

uint32_t VoicePool::busyCount() const {
    return uint32_t(
        std::count_if(slots_.begin(), slots_.end(), [](const Slot& s) { return s.busy; }));
}

std::optional<uint32_t> VoicePool::slotOf(ZQ_SampleHandle handle) const {
    const uint32_t slotPlusOne = handle.Value & kSlotMask;
    if (slotPlusOne == 0 || slotPlusOne > slots_.size()) return std::nullopt;
    const uint32_t index = slotPlusOne - 1;
    if (!slots_[index].busy || infos_[index].Handle != handle.Value) return std::nullopt;
    return index;
}

std::optional<uint32_t> VoicePool::slotOf(const ZQ_SampleInfo* info) const {
    if (infos_.empty()) return std::nullopt;
    // Compare addresses as integers: a pointer from elsewhere is no error.
    const auto address = reinterpret_cast<uintptr_t>(info);
    const auto first = reinterpret_cast<uintptr_t>(infos_.data());
    if (address < first) return std::nullopt;
    const uintptr_t offset = address - first;
    if (offset % sizeof(ZQ_SampleInfo) != 0) return std::nullopt;
    const uintptr_t index = offset / sizeof(ZQ_SampleInfo);
    if (index >= infos_.size()) return std::nullopt;
    return uint32_t(index);
}

void VoicePool::writeRecord(uint32_t index, const VoiceStart& play, uint64_t serial) {
    const VoiceSettings& s = play.settings;
    ZQ_SampleInfo info{};
    info.Owner = play.owner;
    info.Handle = (slots_[index].generation << kSlotBits) | (index + 1);
    info.State = ZQ_VOICE_PLAYING;
    info.BankId = play.bankId;
    info.SampleNumber = play.sampleNumber;
    info.Priority = play.priority;
    info.PlayType = s.playType;
    info.Group = s.group;
    info.AtmosGroup = play.atmosGroup;
    info.Ambient = play.ambient ? 1 : 0;
    info.Volume = s.volume;
    info.Pitch = s.pitch;
    info.LoopCount = s.loopCount;
    info.Pan = s.placement == Placement::Panned ? s.pan : -1;
    if (s.placement == Placement::Positioned) {
        info.XPos = s.position[0];
        info.YPos = s.position[1];
        info.ZPos = -s.position[2];
        info.MinDist = s.referenceDistance;
        info.MaxDist = s.maxDistance == std::numeric_limits<float>::max() ? 0 : s.maxDistance;
    }
    info.Placement = uint32_t(s.placement);
    info.StartSerial = serial;
    infos_[index] = info;
}

}  // namespace quillon
