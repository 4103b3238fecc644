#include "audio/AlOutput.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <vector>

#include "audio/ZQAudio.h"

namespace quillon {

namespace {

// OpenAL Soft names the device of its null driver so.
constexpr char kNullDriverDevice[] = "No Output";
constexpr uint32_t kDefaultClockHz = 50;

LPALCLOOPBACKOPENDEVICESOFT loopbackOpener() {
    return reinterpret_cast<LPALCLOOPBACKOPENDEVICESOFT>(
        alcGetProcAddress(nullptr, "alcLoopbackOpenDeviceSOFT"));
}

}  // namespace

std::unique_ptr<AlOutput> AlOutput::open(const AlOutputSettings& settings) {
    std::unique_ptr<AlOutput> output(new AlOutput());
    output->rate_ = settings.rate;
    if (settings.mode == ZQ_OUTPUT_DEFAULT && output->openDevice(settings)) return output;
    // No sound device, or none asked for: mix through the loopback device.
    if (!output->openLoopback(settings)) return nullptr;
    output->silent_ = true;
    output->callerRenders_ = settings.mode == ZQ_OUTPUT_LOOPBACK;
    if (!output->callerRenders_) output->startClock(settings.updateHz);
    return output;
}

AlOutput::~AlOutput() {
    stopClock_ = true;
    if (clock_.joinable()) clock_.join();
    context_.reset();
    device_.reset();
}

bool AlOutput::openDevice(const AlOutputSettings& settings) {
    // OpenAL Soft 1.19 answers null here when no sound card is present; it does
    // not fall back to another driver by itself.
    AlcDevicePtr device(alcOpenDevice(nullptr));
    if (!device) return false;
    const ALCint count = ALCint(settings.sourceCount);
    std::vector<ALCint> attributes = {ALC_FREQUENCY, ALCint(settings.rate), ALC_MONO_SOURCES,
                                      count,         ALC_STEREO_SOURCES,    count};
    if (settings.updateHz != 0) {
        attributes.push_back(ALC_REFRESH);
        attributes.push_back(ALCint(settings.updateHz));
    }
    attributes.push_back(0);
    AlcContextPtr context(alcCreateContext(device.get(), attributes.data()));
    if (!context) return false;
    // The full name (ALC_ENUMERATE_ALL_EXT) tells the null driver apart; the
    // plain device specifier is "OpenAL Soft" for every driver.
    const ALCchar* name = alcGetString(device.get(), ALC_ALL_DEVICES_SPECIFIER);
    silent_ = name != nullptr && std::strcmp(name, kNullDriverDevice) == 0;
    device_ = std::move(device);
    context_ = std::move(context);
    makeCurrent();
    return true;
}

bool AlOutput::openLoopback(const AlOutputSettings& settings) {
    LPALCLOOPBACKOPENDEVICESOFT openLoopbackDevice = loopbackOpener();
    renderSamples_ = reinterpret_cast<LPALCRENDERSAMPLESSOFT>(
        alcGetProcAddress(nullptr, "alcRenderSamplesSOFT"));
    auto isFormatSupported = reinterpret_cast<LPALCISRENDERFORMATSUPPORTEDSOFT>(
        alcGetProcAddress(nullptr, "alcIsRenderFormatSupportedSOFT"));
    if (!openLoopbackDevice || !renderSamples_ || !isFormatSupported) return false;

    AlcDevicePtr device(openLoopbackDevice(nullptr));
    if (!device) return false;
    if (!isFormatSupported(device.get(), ALCsizei(settings.rate), ALC_STEREO_SOFT, ALC_FLOAT_SOFT))
        return false;
    const ALCint count = ALCint(settings.sourceCount);
    const ALCint attributes[] = {ALC_FORMAT_CHANNELS_SOFT,
                                 ALC_STEREO_SOFT,
                                 ALC_FORMAT_TYPE_SOFT,
                                 ALC_FLOAT_SOFT,
                                 ALC_FREQUENCY,
                                 ALCint(settings.rate),
                                 ALC_HRTF_SOFT,
                                 ALC_FALSE,
                                 ALC_MONO_SOURCES,
                                 count,
                                 ALC_STEREO_SOURCES,
                                 count,
                                 0};
    AlcContextPtr context(alcCreateContext(device.get(), attributes));
    if (!context) return false;
    device_ = std::move(device);
    context_ = std::move(context);
    makeCurrent();
    return true;
}

void AlOutput::makeCurrent() const {
    if (alcGetCurrentContext() != context_.get()) alcMakeContextCurrent(context_.get());
}

bool AlOutput::render(float* stereoFrames, uint32_t frameCount) {
    if (!callerRenders_) return false;
    renderSamples_(device_.get(), stereoFrames, ALCsizei(frameCount));
    return true;
}

void AlOutput::startClock(uint32_t updateHz) {
    const uint32_t hz = updateHz != 0 ? updateHz : kDefaultClockHz;
    const uint32_t framesPerPeriod = std::max<uint32_t>(1, rate_ / hz);
    clock_ = std::thread([this, framesPerPeriod] { runClock(framesPerPeriod); });
}

// Mixes one period at a time on the wall clock's pace. OpenAL Soft locks the
// device while it mixes, so the caller's thread may change sources meanwhile.
void AlOutput::runClock(uint32_t framesPerPeriod) {
    using Clock = std::chrono::steady_clock;
    const auto period = std::chrono::duration_cast<Clock::duration>(
        std::chrono::duration<double>(double(framesPerPeriod) / rate_));
    std::vector<float> discard(size_t(framesPerPeriod) * 2);
    auto deadline = Clock::now();
    while (!stopClock_) {
        renderSamples_(device_.get(), discard.data(), ALCsizei(framesPerPeriod));
        deadline += period;
        const auto now = Clock::now();
        // After a long stall (a suspended machine) go on from now rather than
        // racing through the missed time.
        if (now - deadline > std::chrono::seconds(1)) deadline = now;
        std::this_thread::sleep_until(deadline);
    }
}

}  // namespace quillon
