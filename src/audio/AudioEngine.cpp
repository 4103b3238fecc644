#include "audio/AudioEngine.h"

#include <AL/alext.h>

#include <algorithm>
#include <climits>
#include <cmath>

namespace quillon {

namespace {

constexpr uint32_t kMinOutputRate = 8000;
constexpr uint32_t kMaxOutputRate = 192000;
constexpr uint32_t kMaxMixUpdateHz = 1000;

constexpr char kNoDeviceText[] = "No sound device - silent output";
constexpr char kSilentText[] = "Sound output off";
constexpr char kLoopbackText[] = "Sound rendered to memory";

ALenum distanceModelOf(uint32_t model) {
    switch (model) {
        case ZQ_DISTANCE_NONE:
            return AL_NONE;
        case ZQ_DISTANCE_LINEAR:
            return AL_LINEAR_DISTANCE_CLAMPED;
        case ZQ_DISTANCE_EXPONENT:
            return AL_EXPONENT_DISTANCE_CLAMPED;
        default:
            return AL_INVERSE_DISTANCE_CLAMPED;
    }
}

uint32_t seedOf(uint32_t configured) {
    return configured != 0 ? configured : std::random_device{}();
}

bool isAmbient(const ZQ_BankSample& record) {
    return record.atmos >= 0;
}

// An ambient sample's tick count down: 1 starts it on the next tick.
constexpr int64_t kDueNow = 1;

// The voices a play type acts on: the sample's Group when it has one, else the
// sample itself, always within one bank.
bool sameSound(const ZQ_SampleInfo& voice, uint32_t bankId, const ZQ_BankSample& record) {
    if (voice.BankId != bankId) return false;
    return record.group != 0 ? voice.Group == record.group
                             : voice.SampleNumber == record.sampleNumber;
}

int16_t toPcm16(float sample) {
    return int16_t(std::lrint(std::clamp(sample, -1.0f, 1.0f) * 32767.0f));
}

}  // namespace

const char* badEngineSetting(const EngineSettings& s) {
    if (s.distanceModel > ZQ_DISTANCE_EXPONENT) return "DistanceModel";
    if (s.outputMode > ZQ_OUTPUT_LOOPBACK) return "OutputMode";
    if (s.mixUpdateHz > kMaxMixUpdateHz) return "MixUpdateHz";
    if (s.voiceCount == 0 || s.voiceCount > ZQ_MAX_VOICES) return "VoiceCount";
    if (s.outputRate < kMinOutputRate || s.outputRate > kMaxOutputRate) return "OutputRate";
    return nullptr;
}

std::unique_ptr<AudioEngine> AudioEngine::create(const EngineSettings& settings,
                                                 ZQAudioResult& result) {
    if (badEngineSetting(settings) != nullptr) {
        result = ZQAudioResult::BadConfiguration;
        return nullptr;
    }
    AlOutputSettings outputSettings;
    outputSettings.mode = settings.outputMode;
    outputSettings.rate = settings.outputRate;
    outputSettings.updateHz = settings.mixUpdateHz;
    // The preview voice and the music beside the pool.
    outputSettings.sourceCount = settings.voiceCount + 2;
    std::unique_ptr<AlOutput> output = AlOutput::open(outputSettings);
    if (!output) {
        result = ZQAudioResult::NoOutput;
        return nullptr;
    }
    std::unique_ptr<AudioEngine> engine(new AudioEngine(std::move(output), settings));
    if (!engine->voices_.create(settings.voiceCount, engine->directChannels_)) {
        result = ZQAudioResult::NoOutput;
        return nullptr;
    }
    ALuint preview = 0;
    alGenSources(1, &preview);
    if (!alBatchSucceeded()) {
        result = ZQAudioResult::NoOutput;
        return nullptr;
    }
    engine->previewSource_ = AlSource(preview);
    if (!engine->music_.create(engine->directChannels_)) {
        result = ZQAudioResult::NoOutput;
        return nullptr;
    }
    result = ZQAudioResult::Ok;
    return engine;
}

AudioEngine::AudioEngine(std::unique_ptr<AlOutput> output, const EngineSettings& settings)
    : output_(std::move(output)),
      cache_(settings.cacheBytes),
      random_(seedOf(settings.randomSeed)) {
    output_->makeCurrent();
    alGetError();
    directChannels_ = alIsExtensionPresent("AL_SOFT_direct_channels") == AL_TRUE;
    alDistanceModel(distanceModelOf(settings.distanceModel));
    alDopplerFactor(float(settings.dopplerFactor));
    // The listener stands at the origin looking down -Z with +Y up.
    alListener3f(AL_POSITION, 0, 0, 0);
    alListener3f(AL_VELOCITY, 0, 0, 0);
    const ALfloat orientation[6] = {0, 0, -1, 0, 1, 0};
    alListenerfv(AL_ORIENTATION, orientation);
    alGetError();
    if (settings.outputMode == ZQ_OUTPUT_LOOPBACK)
        outputText_ = kLoopbackText;
    else if (settings.outputMode == ZQ_OUTPUT_SILENT)
        outputText_ = kSilentText;
    else if (output_->silent())
        outputText_ = kNoDeviceText;
}

AudioEngine::~AudioEngine() {
    output_->makeCurrent();
    music_.stopNow();
    previewSource_.reset();
    previewSample_.reset();
    voices_.stopAll();
    cache_.clear();
}

// --- Samples ----------------------------------------------------------------------

ZQ_SampleInfo* AudioEngine::play(ZQ_AudioBank::Impl& bank, const ZQ_SamplePlayOptions& options) {
    output_->makeCurrent();
    voices_.service();
    const ZQ_BankSample* record = bank.record(options.SampleNumber);
    if (record == nullptr || !bank.playable(record->sampleNumber) || record->enabled == 0)
        return nullptr;
    const VoiceSettings settings = resolveVoiceSettings(*record, options, random_);
    return startVoice(bank, *record, settings, options.Owner, false);
}

ZQ_SampleInfo* AudioEngine::startVoice(ZQ_AudioBank::Impl& bank, const ZQ_BankSample& record,
                                       const VoiceSettings& settings, uint32_t owner,
                                       bool ambient) {
    auto matches = [&](const ZQ_SampleInfo& voice) { return sameSound(voice, bank.id, record); };
    if (settings.playType == kPlayOnce) {
        for (uint32_t i = 0; i < voices_.size(); ++i) {
            if (voices_.busy(i) && matches(voices_.record(i))) return nullptr;
        }
    }
    std::shared_ptr<CachedSample> sample = loadSample(bank, record, settings.loopCount >= 2);
    if (!sample) return nullptr;
    if (settings.playType == kPlayRestart) voices_.stopWhere(matches);
    const std::optional<uint32_t> slot = voices_.claimSlot(settings.priorityRank);
    if (!slot) return nullptr;

    VoiceStart start;
    start.sample = std::move(sample);
    start.settings = settings;
    start.gain = volumeGain(settings.volume);
    if (ambient) start.gain *= volumeGain(bank.ambience.volume);
    start.owner = owner;
    start.bankId = bank.id;
    start.sampleNumber = record.sampleNumber;
    start.priority = record.priority;
    start.atmosGroup = record.atmosGroup;
    start.ambient = ambient;
    if (!voices_.start(*slot, std::move(start), ++serial_)) return nullptr;
    return voices_.records() + *slot;
}

// Decodes on first use; a counted loop also needs the buffers split at the
// loop points, made from a second decode the first time one plays.
std::shared_ptr<CachedSample> AudioEngine::loadSample(ZQ_AudioBank::Impl& bank,
                                                      const ZQ_BankSample& record, bool needSplit) {
    const uint32_t index = record.sampleNumber - 1;
    if (bank.decodeFailed[index]) return nullptr;
    const SampleCache::Key key = SampleCache::keyOf(bank.id, index);
    std::shared_ptr<CachedSample> sample = cache_.find(key);
    const bool wantSplit = needSplit && (!sample || (sample->loop && !sample->hasSplit()));
    if (sample && !wantSplit) return sample;

    std::vector<uint8_t> image;
    DecodeResult decoded;
    if (!bank.readWaveImage(record, image) ||
        (decoded = decodeWaveImage(image)).error != DecodeError::None) {
        bank.decodeFailed[index] = true;
        return nullptr;
    }
    image = {};
    if (!sample) {
        sample = makeCachedSample(decoded.wave, recordLoopRegion(record, decoded.wave.frames()));
        if (!sample) return nullptr;
        if (needSplit && sample->loop && !addSplitBuffers(*sample, decoded.wave)) return nullptr;
        cache_.insert(key, sample);
        return sample;
    }
    const size_t oldBytes = sample->bytes;
    if (!addSplitBuffers(*sample, decoded.wave)) return nullptr;
    cache_.resized(key, oldBytes);
    return sample;
}

void AudioEngine::stopAll() {
    output_->makeCurrent();
    voices_.stopAll();
}

uint32_t AudioEngine::numberPlaying() {
    output_->makeCurrent();
    voices_.service();
    return voices_.busyCount();
}

ZQ_SampleInfo* AudioEngine::firstRecord() {
    return voices_.records();
}

ZQ_SampleInfo* AudioEngine::lastRecord() {
    return voices_.records() + (voices_.size() - 1);
}

int AudioEngine::isPlaying(const ZQ_SampleInfo* info) {
    const std::optional<uint32_t> slot = voices_.slotOf(info);
    if (!slot) return 0;
    output_->makeCurrent();
    voices_.service();
    return voices_.busy(*slot) ? 1 : 0;
}

int AudioEngine::isPlaying(ZQ_SampleHandle handle) {
    output_->makeCurrent();
    voices_.service();
    return voices_.slotOf(handle) ? 1 : 0;
}

void AudioEngine::stop(ZQ_SampleHandle handle) {
    output_->makeCurrent();
    if (const std::optional<uint32_t> slot = voices_.slotOf(handle)) voices_.stop(*slot);
}

// In table order until the budget is full. The samples are held here until
// the end, so that the cache cannot free an earlier one to make room for a
// later one: the first sample that does not fit is dropped and ends the preload.
void AudioEngine::preload(ZQ_AudioBank::Impl& bank) {
    output_->makeCurrent();
    std::vector<std::shared_ptr<CachedSample>> preloaded;
    size_t preloadedBytes = 0;
    for (const ZQ_BankSample& record : bank.table.records) {
        if (!bank.playable(record.sampleNumber)) continue;
        const bool counted = record.has(kFlagLoop) && record.loopCount >= 2;
        std::shared_ptr<CachedSample> sample = loadSample(bank, record, counted);
        if (!sample) continue;
        if (sample->bytes > cache_.budgetBytes() - preloadedBytes) {
            cache_.drop(SampleCache::keyOf(bank.id, record.sampleNumber - 1));
            return;
        }
        preloadedBytes += sample->bytes;
        preloaded.push_back(std::move(sample));
    }
}

void AudioEngine::forgetBank(ZQ_AudioBank::Impl& bank) {
    output_->makeCurrent();
    const uint32_t id = bank.id;
    voices_.stopWhere([id](const ZQ_SampleInfo& voice) { return voice.BankId == id; });
    // The music reads its sections from the bank's file as it goes.
    if (music_.active() && music_.bankId() == id) music_.stopNow();
    cache_.dropBank(id);
}

// --- Ambience ----------------------------------------------------------------------

void AudioEngine::atmosProcess(std::span<ZQ_AudioBank::Impl* const> banks, int ticks) {
    output_->makeCurrent();
    voices_.service();
    if (ticks > 0) {
        for (ZQ_AudioBank::Impl* bank : banks) {
            if (bank->ambience.volume > 0) startAmbience(*bank, ticks);
        }
    }
    serviceMusic();
}

// Atmos 0 keeps a sample sounding: it starts again whenever it is not playing.
// Atmos t > 0 starts it every t ticks, the first time on the first tick after
// the ambience came on or the group changed.
void AudioEngine::startAmbience(ZQ_AudioBank::Impl& bank, int ticks) {
    AmbientState& state = bank.ambience;
    for (size_t i = 0; i < bank.table.records.size(); ++i) {
        const ZQ_BankSample& record = bank.table.records[i];
        if (!isAmbient(record) || int64_t(record.atmosGroup) != state.group) continue;
        if (!bank.playable(record.sampleNumber) || record.enabled == 0) continue;
        if (record.atmos == 0) {
            if (ambientVoicePlaying(bank, record.sampleNumber)) continue;
        } else {
            int64_t& due = state.ticksUntilDue[i];
            due -= ticks;
            if (due > 0) continue;
            // A late tick starts it once, not once for every period missed, and
            // the next start keeps to the rhythm: `late` ticks past the due tick,
            // the next is a period after that tick, less the ticks already gone.
            const int64_t late = -due;
            due = record.atmos - late % record.atmos;
        }
        ZQ_SamplePlayOptions options;
        const VoiceSettings settings = resolveVoiceSettings(record, options, random_);
        startVoice(bank, record, settings, options.Owner, true);
    }
}

bool AudioEngine::ambientVoicePlaying(const ZQ_AudioBank::Impl& bank, uint32_t sampleNumber) const {
    for (uint32_t i = 0; i < voices_.size(); ++i) {
        const ZQ_SampleInfo& voice = voices_.record(i);
        if (voices_.busy(i) && voice.Ambient && voice.BankId == bank.id &&
            voice.SampleNumber == sampleNumber)
            return true;
    }
    return false;
}

void AudioEngine::stopAmbience(const ZQ_AudioBank::Impl& bank) {
    const uint32_t id = bank.id;
    voices_.stopWhere(
        [id](const ZQ_SampleInfo& voice) { return voice.Ambient && voice.BankId == id; });
}

void AudioEngine::setBankVolume(ZQ_AudioBank::Impl& bank, int volume) {
    output_->makeCurrent();
    AmbientState& state = bank.ambience;
    volume = std::clamp(volume, 0, kFullVolume);
    const bool wasOff = state.volume == 0;
    state.volume = volume;
    if (volume == 0) {
        stopAmbience(bank);
        return;
    }
    if (wasOff) std::fill(state.ticksUntilDue.begin(), state.ticksUntilDue.end(), kDueNow);
    const float bankGain = volumeGain(volume);
    for (uint32_t i = 0; i < voices_.size(); ++i) {
        const ZQ_SampleInfo& voice = voices_.record(i);
        if (voices_.busy(i) && voice.Ambient && voice.BankId == bank.id)
            voices_.setGain(i, volumeGain(voice.Volume) * bankGain);
    }
    alGetError();
}

void AudioEngine::setGroup(ZQ_AudioBank::Impl& bank, int group) {
    AmbientState& state = bank.ambience;
    if (group < 0 || group == state.group) return;
    output_->makeCurrent();
    state.group = group;
    stopAmbience(bank);
    std::fill(state.ticksUntilDue.begin(), state.ticksUntilDue.end(), kDueNow);
}

// --- Preview -----------------------------------------------------------------------

ZQAudioResult AudioEngine::previewPlay(std::vector<uint8_t> wavImage, uint32_t startFrame) {
    previewStop();
    DecodeResult decoded = decodeWaveImage(wavImage);
    wavImage = {};
    if (decoded.error != DecodeError::None) return ZQAudioResult::DecodeFailed;
    return previewPlayDecoded(std::move(decoded.wave), startFrame);
}

ZQAudioResult AudioEngine::previewPlayDecoded(DecodedWave wave, uint32_t startFrame) {
    output_->makeCurrent();
    previewStop();
    // One OpenAL buffer takes at most INT_MAX bytes.
    const bool fits = wave.channels >= 1 && wave.channels <= 2 && wave.frames() > 0 &&
                      wave.samples.size() <= size_t(INT_MAX) / sizeof(int16_t);
    if (!fits) return ZQAudioResult::DecodeFailed;
    previewSample_ = makeCachedSample(wave, std::nullopt);
    wave = {};
    if (!previewSample_) return ZQAudioResult::PlaybackFailed;

    const ALuint source = previewSource_.id();
    alSourcei(source, AL_SOURCE_RELATIVE, AL_TRUE);
    alSource3f(source, AL_POSITION, 0, 0, 0);
    alSourcef(source, AL_ROLLOFF_FACTOR, 0);
    alSourcef(source, AL_GAIN, 1.0f);
    alSourcef(source, AL_PITCH, 1.0f);
    if (directChannels_) alSourcei(source, AL_DIRECT_CHANNELS_SOFT, previewSample_->channels == 2);
    alSourcei(source, AL_BUFFER, ALint(previewSample_->whole.id()));
    // A start past the end plays nothing rather than failing the batch.
    if (startFrame >= previewSample_->frames) startFrame = previewSample_->frames - 1;
    alSourcei(source, AL_SAMPLE_OFFSET, ALint(startFrame));
    alSourcePlay(source);
    if (!alBatchSucceeded()) {
        previewStop();
        return ZQAudioResult::PlaybackFailed;
    }
    return ZQAudioResult::Ok;
}

// Stops the preview and frees its decoded audio.
void AudioEngine::previewStop() {
    output_->makeCurrent();
    alSourceStop(previewSource_.id());
    alSourcei(previewSource_.id(), AL_BUFFER, 0);
    alGetError();
    previewSample_.reset();
}

bool AudioEngine::previewPlaying() {
    output_->makeCurrent();
    ALint state = AL_STOPPED;
    alGetSourcei(previewSource_.id(), AL_SOURCE_STATE, &state);
    return state == AL_PLAYING;
}

std::optional<uint32_t> AudioEngine::previewPosition() {
    if (!previewSample_) return std::nullopt;
    output_->makeCurrent();
    ALint state = AL_STOPPED;
    alGetSourcei(previewSource_.id(), AL_SOURCE_STATE, &state);
    if (state != AL_PLAYING && state != AL_PAUSED) return std::nullopt;
    ALint offset = 0;
    alGetSourcei(previewSource_.id(), AL_SAMPLE_OFFSET, &offset);
    return uint32_t(std::max<ALint>(offset, 0));
}

std::optional<uint32_t> AudioEngine::voicePosition(ZQ_SampleHandle handle) {
    output_->makeCurrent();
    const std::optional<uint32_t> slot = voices_.slotOf(handle);
    if (!slot) return std::nullopt;
    return voices_.position(*slot);
}

size_t AudioEngine::previewBytes() const {
    return previewSample_ ? previewSample_->bytes : 0;
}

// --- Music -------------------------------------------------------------------------

ZQ_MusicInfo* AudioEngine::musicPlay(ZQ_AudioBank::Impl& bank, const ZQ_MusicPlayOptions& options) {
    output_->makeCurrent();
    if (!music_.start(bank, options)) return nullptr;
    serviceMusic();  // tells the callback the first section at once
    return music_.info();
}

void AudioEngine::musicStop(int fadeMilliseconds) {
    output_->makeCurrent();
    music_.stop(fadeMilliseconds);
}

void AudioEngine::musicSetMasterVolume(int volume) {
    output_->makeCurrent();
    music_.setMasterVolume(volume);
}

bool AudioEngine::musicPlaying() {
    serviceMusic();
    return music_.active();
}

void AudioEngine::serviceMusic() {
    output_->makeCurrent();
    if (const std::optional<std::string> text = music_.service()) music_.report(*text);
}

// --- Rendering ---------------------------------------------------------------------

ZQAudioResult AudioEngine::render(float* stereoFrames, uint32_t frameCount) {
    if (!output_->callerRenders()) return ZQAudioResult::NotLoopback;
    output_->makeCurrent();
    output_->render(stereoFrames, frameCount);
    voices_.service();
    serviceMusic();
    return ZQAudioResult::Ok;
}

ZQAudioResult AudioEngine::render(int16_t* stereoFrames, uint32_t frameCount) {
    if (!output_->callerRenders()) return ZQAudioResult::NotLoopback;
    renderScratch_.resize(size_t(frameCount) * 2);
    const ZQAudioResult result = render(renderScratch_.data(), frameCount);
    std::transform(renderScratch_.begin(), renderScratch_.end(), stereoFrames, toPcm16);
    return result;
}

}  // namespace quillon
