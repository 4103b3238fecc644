// The voices: a fixed number of OpenAL sources, each with its voice record.
// The pool starts a resolved play on a slot, finds a slot for a new play (a
// free one, or the least important busy one when the new play outranks it),
// and looks after the plays that need it: ended plays free their slot, counted
// loops get more of their loop region queued.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "audio/AlObjects.h"
#include "audio/PlayRules.h"
#include "audio/SampleCache.h"
#include "audio/ZQAudio.h"

namespace quillon {

// A play ready to start: the sample's buffers and everything resolved for it.
struct VoiceStart {
    std::shared_ptr<CachedSample> sample;
    VoiceSettings settings;
    float gain = 1.0f;  // linear, the bank volume of ambient plays included
    uint32_t owner = 0;
    uint32_t bankId = 0;
    uint32_t sampleNumber = 0;
    uint32_t priority = 0;
    uint32_t atmosGroup = 0;
    bool ambient = false;
};

class VoicePool {
  public:
    VoicePool() = default;
    VoicePool(const VoicePool&) = delete;
    VoicePool& operator=(const VoicePool&) = delete;
    ~VoicePool();

    // Makes the sources; false when OpenAL cannot give that many.
    [[nodiscard]] bool create(uint32_t voiceCount, bool directChannels);

    [[nodiscard]] uint32_t size() const { return uint32_t(slots_.size()); }
    [[nodiscard]] ZQ_SampleInfo* records() { return infos_.data(); }
    [[nodiscard]] const ZQ_SampleInfo& record(uint32_t slot) const { return infos_[slot]; }

    // A slot for a play of this rank: a free one, else the least important
    // busy one (the oldest among equals) when the new play is more important;
    // that play is stopped. None when every voice is at least as important.
    [[nodiscard]] std::optional<uint32_t> claimSlot(uint32_t priorityRank);
    [[nodiscard]] bool start(uint32_t slot, VoiceStart play, uint64_t serial);

    void stop(uint32_t slot);
    void stopAll();
    void stopWhere(const std::function<bool(const ZQ_SampleInfo&)>& matches);
    void setGain(uint32_t slot, float gain);

    // Frees slots whose play ended and tops up the queues of counted loops.
    void service();
    [[nodiscard]] bool busy(uint32_t slot) const { return slots_[slot].busy; }
    // The sample frame the slot's source plays: the whole buffer's offset,
    // which wraps with a loop for ever, or for a counted loop the frame of the
    // queued piece it is in (inside the loop region on every pass). None when
    // the slot is free.
    [[nodiscard]] std::optional<uint32_t> position(uint32_t slot) const;
    [[nodiscard]] uint32_t busyCount() const;
    // The slot of a handle whose play is still on; none for a stale handle.
    [[nodiscard]] std::optional<uint32_t> slotOf(ZQ_SampleHandle handle) const;
    // The slot of a record pointer into the array; none for any other pointer.
    [[nodiscard]] std::optional<uint32_t> slotOf(const ZQ_SampleInfo* info) const;

  private:
    // The frames of the sample one queued buffer holds.
    struct Piece {
        uint32_t first = 0;
        uint32_t frames = 0;
    };
    // What is left to queue for a counted loop, and what stands queued: the
    // source's offset counts from the first buffer still queued, so the
    // pieces tell which frame of the sample it is at.
    struct Queue {
        bool active = false;
        ALuint repeat = 0;
        uint64_t repeatsLeft = 0;
        ALuint tail = 0;
        uint32_t aheadEntries = 0;
        Piece head, repeatPiece, tailPiece;
        std::deque<Piece> queued;  // oldest first, as the source holds them
    };
    struct Slot {
        AlSource source;
        uint32_t generation = 0;
        bool busy = false;
        uint32_t priorityRank = kLeastImportantRank;
        std::shared_ptr<CachedSample> sample;
        Queue queue;
    };

    void applySettings(const Slot& slot, const VoiceStart& play);
    void queueCountedLoop(Slot& slot, const VoiceStart& play);
    void topUp(Slot& slot);
    void restartDrained(Slot& slot, const std::vector<ALuint>& unplayed);
    [[nodiscard]] static uint32_t queuedFrame(const Queue& queue, uint32_t offset);
    void serviceSlot(uint32_t index);
    void release(uint32_t index);
    void writeRecord(uint32_t index, const VoiceStart& play, uint64_t serial);

    std::vector<Slot> slots_;
    std::vector<ZQ_SampleInfo> infos_;
    bool directChannels_ = false;
};

}  // namespace quillon
