// The engine behind ZQ_AudioSystem once it is created: the output, the voices,
// the decoded-sample cache, the ambient scheduler, the preview voice and the
// music player. Every call comes from the caller's one thread.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <random>
#include <span>
#include <vector>

#include "audio/AlOutput.h"
#include "audio/AudioBank.h"
#include "audio/MusicPlayer.h"
#include "audio/SampleCache.h"
#include "audio/VoicePool.h"
#include "audio/ZQAudio.h"

namespace quillon {

struct EngineSettings {
    uint32_t distanceModel = ZQ_DISTANCE_INVERSE;
    uint32_t outputMode = ZQ_OUTPUT_DEFAULT;
    uint32_t dopplerFactor = 1;
    uint32_t mixUpdateHz = 0;
    uint32_t randomSeed = 0;
    uint32_t voiceCount = 32;
    uint32_t cacheBytes = 0x1000000;
    uint32_t outputRate = 44100;
};

// The configuration's fields in range? Says which is not, or null.
[[nodiscard]] const char* badEngineSetting(const EngineSettings& settings);

class AudioEngine {
  public:
    static std::unique_ptr<AudioEngine> create(const EngineSettings& settings,
                                               ZQAudioResult& result);
    ~AudioEngine();
    AudioEngine(const AudioEngine&) = delete;
    AudioEngine& operator=(const AudioEngine&) = delete;

    [[nodiscard]] bool silent() const { return output_->silent(); }
    [[nodiscard]] const char* outputText() const { return outputText_; }

    ZQ_SampleInfo* play(ZQ_AudioBank::Impl& bank, const ZQ_SamplePlayOptions& options);
    void stopAll();
    [[nodiscard]] uint32_t numberPlaying();
    [[nodiscard]] ZQ_SampleInfo* firstRecord();
    [[nodiscard]] ZQ_SampleInfo* lastRecord();
    [[nodiscard]] int isPlaying(const ZQ_SampleInfo* info);
    [[nodiscard]] int isPlaying(ZQ_SampleHandle handle);
    void stop(ZQ_SampleHandle handle);

    // Decodes every playable sample of the bank into the cache, as far as it goes.
    void preload(ZQ_AudioBank::Impl& bank);
    // Stops the bank's voices and forgets its decoded samples.
    void forgetBank(ZQ_AudioBank::Impl& bank);

    void atmosProcess(std::span<ZQ_AudioBank::Impl* const> banks, int ticks);
    void setBankVolume(ZQ_AudioBank::Impl& bank, int volume);
    void setGroup(ZQ_AudioBank::Impl& bank, int group);

    ZQAudioResult previewPlay(std::vector<uint8_t> wavImage, uint32_t startFrame = 0);
    // Plays audio decoded elsewhere on the preview voice; DecodeFailed for no
    // frames, more than two channels or more than one OpenAL buffer takes.
    ZQAudioResult previewPlayDecoded(DecodedWave wave, uint32_t startFrame = 0);
    // The frame the preview voice plays, as OpenAL's mixer has it; none when it is stopped.
    [[nodiscard]] std::optional<uint32_t> previewPosition();
    // The frame of its sample a pool voice plays; none for a stale handle.
    [[nodiscard]] std::optional<uint32_t> voicePosition(ZQ_SampleHandle handle);
    void previewStop();
    [[nodiscard]] bool previewPlaying();
    [[nodiscard]] size_t previewBytes() const;

    ZQ_MusicInfo* musicPlay(ZQ_AudioBank::Impl& bank, const ZQ_MusicPlayOptions& options);
    void musicStop(int fadeMilliseconds);
    void musicSetMasterVolume(int volume);
    [[nodiscard]] bool musicPlaying();

    ZQAudioResult render(float* stereoFrames, uint32_t frameCount);
    ZQAudioResult render(int16_t* stereoFrames, uint32_t frameCount);

  private:
    AudioEngine(std::unique_ptr<AlOutput> output, const EngineSettings& settings);

    ZQ_SampleInfo* startVoice(ZQ_AudioBank::Impl& bank, const ZQ_BankSample& record,
                              const VoiceSettings& settings, uint32_t owner, bool ambient);
    std::shared_ptr<CachedSample> loadSample(ZQ_AudioBank::Impl& bank, const ZQ_BankSample& record,
                                             bool needSplit);
    void startAmbience(ZQ_AudioBank::Impl& bank, int ticks);
    void stopAmbience(const ZQ_AudioBank::Impl& bank);
    [[nodiscard]] bool ambientVoicePlaying(const ZQ_AudioBank::Impl& bank,
                                           uint32_t sampleNumber) const;
    // Keeps the music's queue filled and tells the status callback what it plays.
    void serviceMusic();

    // Declared so that sources go before the buffers they hold and the output last.
    std::unique_ptr<AlOutput> output_;
    SampleCache cache_;
    VoicePool voices_;
    std::shared_ptr<CachedSample> previewSample_;
    AlSource previewSource_;
    MusicPlayer music_;
    std::mt19937 random_;
    uint64_t serial_ = 0;
    bool directChannels_ = false;
    const char* outputText_ = "";
    std::vector<float> renderScratch_;
};

}  // namespace quillon
