#include <algorithm>

#include "audio/AudioBank.h"
#include "audio/AudioEngine.h"
#include "audio/ZQAudio.h"

namespace quillon {

const char* ZQAudioResultText(ZQAudioResult result) {
    switch (result) {
        case ZQAudioResult::Ok:
            return "Ok";
        case ZQAudioResult::AlreadyCreated:
            return "The audio system was created before";
        case ZQAudioResult::BadConfiguration:
            return "A configuration value is out of range";
        case ZQAudioResult::NoOutput:
            return "No sound output could be opened";
        case ZQAudioResult::NotCreated:
            return "The audio system is not created";
        case ZQAudioResult::NotLoopback:
            return "Rendering needs the loopback output";
        case ZQAudioResult::DecodeFailed:
            return "The wave data cannot be decoded";
        case ZQAudioResult::PlaybackFailed:
            return "The sound output refused the sample";
    }
    return "Unknown result";
}

const char* ZQBankErrorText(ZQBankError error) {
    switch (error) {
        case ZQBankError::Ok:
            return "Ok";
        case ZQBankError::NoPath:
            return "No bank file name";
        case ZQBankError::OpenFailed:
            return "The bank file cannot be opened";
        case ZQBankError::NoSampleTable:
            return "The bank file has no sample table";
        case ZQBankError::ReadFailed:
            return "The sample table cannot be read";
        case ZQBankError::RecordsMissing:
            return "Records of the sample table cannot be read";
    }
    return "Unknown error";
}

// --- ZQ_AudioBank -----------------------------------------------------------------

ZQ_AudioBank::ZQ_AudioBank(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
ZQ_AudioBank::~ZQ_AudioBank() = default;

const ZQ_BankSample* ZQ_AudioBank::ZQGetFirstBankSample() const {
    return impl_->table.records.empty() ? nullptr : impl_->table.records.data();
}

uint32_t ZQ_AudioBank::ZQGetBankSampleCount() const {
    return uint32_t(impl_->table.records.size());
}

const char* ZQ_AudioBank::ZQGetFileName() const {
    return impl_->path.c_str();
}

uint32_t ZQ_AudioBank::ZQGetBankId() const {
    return impl_->id;
}

bool ZQ_AudioBank::ZQIsSamplePlayable(uint32_t sampleNumber) const {
    return impl_->playable(sampleNumber);
}

const char* ZQ_AudioBank::ZQGetErrorText() const {
    return impl_->errorText.c_str();
}

// --- ZQ_AudioSystem ------------------------------------------------------------------

ZQ_AudioSystem::ZQ_AudioSystem() = default;

ZQ_AudioSystem::~ZQ_AudioSystem() {
    // The engine's voices let go of the banks' samples before the banks go.
    engine_.reset();
    banks_.clear();
}

ZQAudioResult ZQ_AudioSystem::Create() {
    if (engine_) return ZQAudioResult::AlreadyCreated;
    EngineSettings settings;
    settings.distanceModel = DistanceModel;
    settings.outputMode = OutputMode;
    settings.dopplerFactor = DopplerFactor;
    settings.mixUpdateHz = MixUpdateHz;
    settings.randomSeed = RandomSeed;
    settings.voiceCount = VoiceCount;
    settings.cacheBytes = CacheBytes;
    settings.outputRate = OutputRate;
    ZQAudioResult result = ZQAudioResult::NoOutput;
    engine_ = AudioEngine::create(settings, result);
    if (engine_) engine_->musicSetMasterVolume(musicMasterVolume_);
    return result;
}

bool ZQ_AudioSystem::ZQIsCreated() const {
    return engine_ != nullptr;
}

bool ZQ_AudioSystem::ZQIsSilent() const {
    return !engine_ || engine_->silent();
}

const char* ZQ_AudioSystem::ZQGetOutputText() const {
    return engine_ ? engine_->outputText() : "No sound output";
}

ZQ_AudioBank* ZQ_AudioSystem::findBank(const ZQ_AudioBank* bank) const {
    auto it = std::find_if(banks_.begin(), banks_.end(),
                           [bank](const auto& owned) { return owned.get() == bank; });
    return it == banks_.end() ? nullptr : it->get();
}

ZQ_AudioBank* ZQ_AudioSystem::ZQBankRegister(const char* path, uint8_t flags, ZQBankError* error) {
    auto impl = std::make_unique<ZQ_AudioBank::Impl>();
    impl->id = nextBankId_++;
    const ZQBankError opened = openBankFile(path, *impl);
    if (error != nullptr) *error = opened;
    if (opened != ZQBankError::Ok && opened != ZQBankError::RecordsMissing) return nullptr;
    banks_.push_back(std::unique_ptr<ZQ_AudioBank>(new ZQ_AudioBank(std::move(impl))));
    ZQ_AudioBank* bank = banks_.back().get();
    if ((flags & ZQ_BANK_PRELOAD) && engine_) engine_->preload(*bank->impl_);
    return bank;
}

void ZQ_AudioSystem::ZQBankRelease(ZQ_AudioBank* bank) {
    ZQ_AudioBank* found = findBank(bank);
    if (found == nullptr) return;
    if (engine_) engine_->forgetBank(*found->impl_);
    std::erase_if(banks_, [found](const auto& owned) { return owned.get() == found; });
}

const char* ZQ_AudioSystem::ZQBankGetFileName(const ZQ_AudioBank* bank) const {
    const ZQ_AudioBank* found = findBank(bank);
    return found ? found->ZQGetFileName() : "";
}

ZQ_SampleInfo* ZQ_AudioSystem::ZQSamplePlay(const ZQ_SamplePlayOptions& options) {
    ZQ_AudioBank* bank = findBank(options.Bank);
    if (!engine_ || bank == nullptr) return nullptr;
    return engine_->play(*bank->impl_, options);
}

void ZQ_AudioSystem::ZQSampleStopAll() {
    if (engine_) engine_->stopAll();
}

uint32_t ZQ_AudioSystem::ZQSampleGetNumberPlaying() {
    return engine_ ? engine_->numberPlaying() : 0;
}

ZQ_SampleInfo* ZQ_AudioSystem::ZQSampleGetFirstInfoStruct() {
    return engine_ ? engine_->firstRecord() : nullptr;
}

ZQ_SampleInfo* ZQ_AudioSystem::ZQSampleGetLastInfoStruct() {
    return engine_ ? engine_->lastRecord() : nullptr;
}

int ZQ_AudioSystem::ZQSampleIsPlaying(const ZQ_SampleInfo* info) {
    return engine_ ? engine_->isPlaying(info) : 0;
}

ZQ_SampleHandle ZQ_AudioSystem::ZQSampleGetHandle(const ZQ_SampleInfo* info) {
    return ZQ_SampleHandle{info != nullptr ? info->Handle : 0};
}

int ZQ_AudioSystem::ZQSampleIsPlaying(ZQ_SampleHandle handle) {
    return engine_ ? engine_->isPlaying(handle) : 0;
}

void ZQ_AudioSystem::ZQSampleStop(ZQ_SampleHandle handle) {
    if (engine_) engine_->stop(handle);
}

std::optional<uint32_t> ZQ_AudioSystem::ZQSampleGetPosition(ZQ_SampleHandle handle) {
    if (!engine_) return std::nullopt;
    return engine_->voicePosition(handle);
}

void ZQ_AudioSystem::ZQAtmosProcess(int ticks) {
    if (!engine_) return;
    std::vector<ZQ_AudioBank::Impl*> banks;
    banks.reserve(banks_.size());
    for (const auto& bank : banks_)
        banks.push_back(bank->impl_.get());
    engine_->atmosProcess(banks, ticks);
}

void ZQ_AudioSystem::ZQAtmosSetBankVolume(ZQ_AudioBank* bank, int volume) {
    ZQ_AudioBank* found = findBank(bank);
    if (found == nullptr) return;
    if (engine_)
        engine_->setBankVolume(*found->impl_, volume);
    else
        found->impl_->ambience.volume = std::clamp(volume, 0, 127);
}

void ZQ_AudioSystem::ZQAtmosSetGroup(ZQ_AudioBank* bank, int group) {
    ZQ_AudioBank* found = findBank(bank);
    if (found == nullptr || group < 0) return;
    if (engine_)
        engine_->setGroup(*found->impl_, group);
    else
        found->impl_->ambience.group = group;
}

ZQAudioResult ZQ_AudioSystem::ZQPreviewPlay(std::vector<uint8_t> wavImage, uint32_t startFrame) {
    if (!engine_) return ZQAudioResult::NotCreated;
    return engine_->previewPlay(std::move(wavImage), startFrame);
}

ZQAudioResult ZQ_AudioSystem::ZQPreviewPlayPcm(std::vector<int16_t> samples, uint16_t channels,
                                               uint32_t rate, uint32_t startFrame) {
    if (!engine_) return ZQAudioResult::NotCreated;
    DecodedWave wave;
    wave.channels = channels;
    wave.rate = rate;
    wave.samples = std::move(samples);
    return engine_->previewPlayDecoded(std::move(wave), startFrame);
}

std::optional<uint32_t> ZQ_AudioSystem::ZQPreviewGetPosition() {
    if (!engine_) return std::nullopt;
    return engine_->previewPosition();
}

void ZQ_AudioSystem::ZQPreviewStop() {
    if (engine_) engine_->previewStop();
}

bool ZQ_AudioSystem::ZQPreviewIsPlaying() {
    return engine_ && engine_->previewPlaying();
}

size_t ZQ_AudioSystem::ZQPreviewBytes() const {
    return engine_ ? engine_->previewBytes() : 0;
}

ZQ_MusicInfo* ZQ_AudioSystem::ZQMusicPlay(const ZQ_MusicPlayOptions& options) {
    ZQ_AudioBank* bank = findBank(options.Bank);
    if (!engine_ || bank == nullptr) return nullptr;
    return engine_->musicPlay(*bank->impl_, options);
}

void ZQ_AudioSystem::ZQMusicStop(int fadeMilliseconds) {
    if (engine_) engine_->musicStop(fadeMilliseconds);
}

void ZQ_AudioSystem::ZQMusicSetMasterVolume(int volume) {
    musicMasterVolume_ = std::clamp(volume, 0, 127);
    if (engine_) engine_->musicSetMasterVolume(musicMasterVolume_);
}

bool ZQ_AudioSystem::ZQMusicIsPlaying() {
    return engine_ && engine_->musicPlaying();
}

ZQAudioResult ZQ_AudioSystem::ZQRender(float* stereoFrames, uint32_t frameCount) {
    if (!engine_) return ZQAudioResult::NotCreated;
    return engine_->render(stereoFrames, frameCount);
}

ZQAudioResult ZQ_AudioSystem::ZQRender(int16_t* stereoFrames, uint32_t frameCount) {
    if (!engine_) return ZQAudioResult::NotCreated;
    return engine_->render(stereoFrames, frameCount);
}

}  // namespace quillon
