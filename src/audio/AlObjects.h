// Owners of OpenAL objects, so that every device, context, buffer and source is
// given back exactly once. Buffers and sources belong to the context that was
// current when they were made; the engine keeps its context current while it
// makes or frees them.
#pragma once

#include <AL/al.h>
#include <AL/alc.h>

#include <memory>
#include <utility>

namespace quillon {

struct AlcDeviceCloser {
    void operator()(ALCdevice* device) const { alcCloseDevice(device); }
};
using AlcDevicePtr = std::unique_ptr<ALCdevice, AlcDeviceCloser>;

struct AlcContextDestroyer {
    void operator()(ALCcontext* context) const {
        if (alcGetCurrentContext() == context) alcMakeContextCurrent(nullptr);
        alcDestroyContext(context);
    }
};
using AlcContextPtr = std::unique_ptr<ALCcontext, AlcContextDestroyer>;

// One buffer name; deleting a buffer that a source still holds fails, so voices
// let go of their buffers before the owner goes.
class AlBuffer {
  public:
    AlBuffer() = default;
    explicit AlBuffer(ALuint id) : id_(id) {}
    AlBuffer(AlBuffer&& other) noexcept : id_(std::exchange(other.id_, 0)) {}
    AlBuffer& operator=(AlBuffer&& other) noexcept {
        if (this != &other) {
            reset();
            id_ = std::exchange(other.id_, 0);
        }
        return *this;
    }
    AlBuffer(const AlBuffer&) = delete;
    AlBuffer& operator=(const AlBuffer&) = delete;
    ~AlBuffer() { reset(); }

    [[nodiscard]] ALuint id() const { return id_; }
    explicit operator bool() const { return id_ != 0; }
    void reset() {
        if (id_ != 0) alDeleteBuffers(1, &id_);
        id_ = 0;
    }

  private:
    ALuint id_ = 0;
};

class AlSource {
  public:
    AlSource() = default;
    explicit AlSource(ALuint id) : id_(id) {}
    AlSource(AlSource&& other) noexcept : id_(std::exchange(other.id_, 0)) {}
    AlSource& operator=(AlSource&& other) noexcept {
        if (this != &other) {
            reset();
            id_ = std::exchange(other.id_, 0);
        }
        return *this;
    }
    AlSource(const AlSource&) = delete;
    AlSource& operator=(const AlSource&) = delete;
    ~AlSource() { reset(); }

    [[nodiscard]] ALuint id() const { return id_; }
    explicit operator bool() const { return id_ != 0; }
    void reset() {
        if (id_ != 0) {
            alSourceStop(id_);
            alSourcei(id_, AL_BUFFER, 0);
            alDeleteSources(1, &id_);
        }
        id_ = 0;
    }

  private:
    ALuint id_ = 0;
};

// Reads and clears OpenAL's error state once for a batch of calls; true when the
// batch went through.
[[nodiscard]] inline bool alBatchSucceeded() {
    return alGetError() == AL_NO_ERROR;
}

}  // namespace quillon
