// Decoded samples as OpenAL buffers, kept per bank record so that a sample is
// decoded once and played from memory after that. The cache holds at most its
// budget of bytes in samples that no voice plays; when it is over, the sample
// played longest ago goes first. A sample a voice holds stays until the voice
// lets go of it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <list>
#include <memory>
#include <optional>
#include <unordered_map>

#include "audio/AlObjects.h"
#include "audio/PlayRules.h"
#include "audio/WaveDecoder.h"

namespace quillon {

// One sample's buffers. "whole" carries the loop region as its OpenAL loop
// points, for loops without end. A counted loop plays from a queue: "head"
// (the start up to the loop end), "repeat" (the loop region) as often as
// needed, then "tail" (what follows the loop end); those three are made on the
// first counted loop.
struct CachedSample {
    uint16_t channels = 0;
    uint32_t rate = 0;
    uint32_t frames = 0;
    std::optional<LoopRegion> loop;
    AlBuffer whole;
    AlBuffer head, repeat, tail;  // tail stays empty when the loop ends the sample
    size_t bytes = 0;

    [[nodiscard]] bool hasSplit() const { return bool(head); }
};

// Makes the buffers of a decoded sample; null when OpenAL refuses them.
[[nodiscard]] std::shared_ptr<CachedSample> makeCachedSample(const DecodedWave& wave,
                                                             std::optional<LoopRegion> loop);
// Adds head, repeat and tail to a sample with a loop region.
[[nodiscard]] bool addSplitBuffers(CachedSample& sample, const DecodedWave& wave);

class SampleCache {
  public:
    using Key = uint64_t;
    [[nodiscard]] static Key keyOf(uint32_t bankId, uint32_t recordIndex) {
        return (uint64_t(bankId) << 32) | recordIndex;
    }

    explicit SampleCache(size_t budgetBytes) : budget_(budgetBytes) {}

    // The cached sample, now the most recently used; null when not cached.
    [[nodiscard]] std::shared_ptr<CachedSample> find(Key key);
    void insert(Key key, std::shared_ptr<CachedSample> sample);
    // A cached sample grew (split buffers added).
    void resized(Key key, size_t oldBytes);
    // Forgets a bank's samples; voices still playing one keep it until they end.
    void dropBank(uint32_t bankId);
    void clear();
    // Frees samples no voice holds, oldest first, until the total fits the budget.
    void trim();

    // Forgets one sample; a voice still playing it keeps it until it ends.
    void drop(Key key);

    [[nodiscard]] size_t budgetBytes() const { return budget_; }
    [[nodiscard]] size_t totalBytes() const { return total_; }
    [[nodiscard]] size_t size() const { return entries_.size(); }

  private:
    struct Entry {
        std::shared_ptr<CachedSample> sample;
        std::list<Key>::iterator age;
    };
    void erase(std::unordered_map<Key, Entry>::iterator it);

    size_t budget_;
    size_t total_ = 0;
    std::list<Key> ages_;  // most recently used first
    std::unordered_map<Key, Entry> entries_;
};

}  // namespace quillon
