// Where the mix goes: the default sound device, or OpenAL Soft's loopback
// device. The loopback device mixes only when asked; for the silent output an
// engine thread asks at real-time pace and throws the samples away, so sources
// play, end and loop as they would on a sound card. In loopback mode the caller
// asks (tests and benchmarks measure what comes out).
#pragma once

#include <AL/alc.h>
#include <AL/alext.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>

#include "audio/AlObjects.h"

namespace quillon {

struct AlOutputSettings {
    uint32_t mode = 0;         // ZQ_OUTPUT_DEFAULT, ZQ_OUTPUT_SILENT or ZQ_OUTPUT_LOOPBACK
    uint32_t rate = 44100;     // output frames per second
    uint32_t updateHz = 0;     // mixing periods per second; 0 = OpenAL's own
    uint32_t sourceCount = 0;  // sources the context must be able to make
};

class AlOutput {
  public:
    // Null when not even the loopback device opens.
    static std::unique_ptr<AlOutput> open(const AlOutputSettings& settings);
    ~AlOutput();
    AlOutput(const AlOutput&) = delete;
    AlOutput& operator=(const AlOutput&) = delete;

    // True when nothing reaches a loudspeaker: no device, the null driver, or loopback.
    [[nodiscard]] bool silent() const { return silent_; }
    [[nodiscard]] bool callerRenders() const { return callerRenders_; }
    [[nodiscard]] uint32_t rate() const { return rate_; }

    // Makes this output's context the current one, when it is not.
    void makeCurrent() const;

    // Loopback mode only: mixes frameCount interleaved stereo frames.
    bool render(float* stereoFrames, uint32_t frameCount);

  private:
    AlOutput() = default;
    bool openDevice(const AlOutputSettings& settings);
    bool openLoopback(const AlOutputSettings& settings);
    void startClock(uint32_t updateHz);
    void runClock(uint32_t framesPerPeriod);

    AlcDevicePtr device_;
    AlcContextPtr context_;
    LPALCRENDERSAMPLESSOFT renderSamples_ = nullptr;
    uint32_t rate_ = 44100;
    bool silent_ = false;
    bool callerRenders_ = false;
    std::atomic<bool> stopClock_{false};
    std::thread clock_;
};

}  // namespace quillon
