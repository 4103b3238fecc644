#include "audio/SampleCache.h"

#include <AL/alext.h>

namespace quillon {

namespace {

ALenum bufferFormat(uint16_t channels) {
    return channels == 2 ? AL_FORMAT_STEREO16 : AL_FORMAT_MONO16;
}

// A buffer holding frames [first, first + count) of the wave.
AlBuffer makeBuffer(const DecodedWave& wave, uint32_t first, uint32_t count) {
    ALuint id = 0;
    alGenBuffers(1, &id);
    AlBuffer buffer(id);
    const int16_t* data = wave.samples.data() + size_t(first) * wave.channels;
    const size_t bytes = size_t(count) * wave.channels * sizeof(int16_t);
    alBufferData(id, bufferFormat(wave.channels), data, ALsizei(bytes), ALsizei(wave.rate));
    return buffer;
}

size_t waveBytes(uint32_t frames, uint16_t channels) {
    return size_t(frames) * channels * sizeof(int16_t);
}

}  // namespace

std::shared_ptr<CachedSample> makeCachedSample(const DecodedWave& wave,
                                               std::optional<LoopRegion> loop) {
    auto sample = std::make_shared<CachedSample>();
    sample->channels = wave.channels;
    sample->rate = wave.rate;
    sample->frames = wave.frames();
    sample->loop = loop;
    sample->whole = makeBuffer(wave, 0, sample->frames);
    if (loop) {
        // OpenAL's loop end is exclusive; the record's LEnd is the last frame played.
        const ALint points[2] = {ALint(loop->first), ALint(loop->last) + 1};
        alBufferiv(sample->whole.id(), AL_LOOP_POINTS_SOFT, points);
    }
    if (!alBatchSucceeded()) return nullptr;
    sample->bytes = waveBytes(sample->frames, sample->channels);
    return sample;
}

bool addSplitBuffers(CachedSample& sample, const DecodedWave& wave) {
    if (!sample.loop || wave.frames() != sample.frames) return false;
    const LoopRegion loop = *sample.loop;
    AlBuffer head = makeBuffer(wave, 0, loop.last + 1);
    AlBuffer repeat = makeBuffer(wave, loop.first, loop.frames());
    AlBuffer tail;
    const uint32_t tailFrames = sample.frames - (loop.last + 1);
    if (tailFrames > 0) tail = makeBuffer(wave, loop.last + 1, tailFrames);
    if (!alBatchSucceeded()) return false;
    sample.head = std::move(head);
    sample.repeat = std::move(repeat);
    sample.tail = std::move(tail);
    sample.bytes += waveBytes(sample.frames + loop.frames(), sample.channels);
    return true;
}

std::shared_ptr<CachedSample> SampleCache::find(Key key) {
    auto it = entries_.find(key);
    if (it == entries_.end()) return nullptr;
    ages_.splice(ages_.begin(), ages_, it->second.age);
    return it->second.sample;
}

void SampleCache::insert(Key key, std::shared_ptr<CachedSample> sample) {
    if (auto it = entries_.find(key); it != entries_.end()) erase(it);
    total_ += sample->bytes;
    ages_.push_front(key);
    entries_.emplace(key, Entry{std::move(sample), ages_.begin()});
    trim();
}

void SampleCache::resized(Key key, size_t oldBytes) {
    auto it = entries_.find(key);
    if (it == entries_.end()) return;
    total_ = total_ - oldBytes + it->second.sample->bytes;
    trim();
}

void SampleCache::dropBank(uint32_t bankId) {
    for (auto it = entries_.begin(); it != entries_.end();) {
        auto next = std::next(it);
        if ((it->first >> 32) == bankId) erase(it);
        it = next;
    }
}

void SampleCache::drop(Key key) {
    if (auto it = entries_.find(key); it != entries_.end()) erase(it);
}

void SampleCache::clear() {
    entries_.clear();
    ages_.clear();
    total_ = 0;
}

void SampleCache::trim() {
    auto age = ages_.end();
    while (total_ > budget_ && age != ages_.begin()) {
        --age;
        auto it = entries_.find(*age);
        // Only the cache holds it: no voice plays it.
        if (it->second.sample.use_count() == 1) {
            age = std::next(age);
            erase(it);
        }
    }
}

void SampleCache::erase(std::unordered_map<Key, Entry>::iterator it) {
    total_ -= it->second.sample->bytes;
    ages_.erase(it->second.age);
    entries_.erase(it);
}

}  // namespace quillon
