#include "audio/EditorAudio.h"

#include "audio/PlayRules.h"

namespace quillon {

namespace {

// The configuration the editor sets, field by field (the output mode aside).
constexpr uint32_t kEditorDistanceModel = ZQ_DISTANCE_INVERSE;
constexpr uint32_t kEditorDopplerFactor = 1;
constexpr uint32_t kEditorMixUpdateHz = 0;
constexpr uint32_t kEditorRandomSeed = 0;
constexpr uint32_t kEditorVoiceCount = 32;
constexpr uint32_t kEditorCacheBytes = 0x1000000;
constexpr uint32_t kEditorOutputRate = 44100;

// The music test plays the bank for ever at the recorded rate.
constexpr uint32_t kMusicPlayCount = 0;
constexpr uint32_t kMusicLoopTrack = 0;
constexpr uint32_t kMusicLastTrack = 0;
constexpr int32_t kMusicPitch = 100;

}  // namespace

EditorAudio::EditorAudio(uint32_t outputMode)
    : outputMode_(outputMode),
      system_(std::make_unique<ZQ_AudioSystem>()),
      bankAudio_(std::make_unique<ZQBankAudio>(*system_)),
      preview_(std::make_unique<PreviewPlayer>(*system_, *bankAudio_)) {}

EditorAudio::~EditorAudio() {
    destroySystem();
}

ZQAudioResult EditorAudio::create() {
    if (!system_) return ZQAudioResult::NotCreated;
    ZQ_AudioSystem& s = *system_;
    s.DistanceModel = kEditorDistanceModel;
    s.OutputMode = outputMode_;
    s.DopplerFactor = kEditorDopplerFactor;
    s.MixUpdateHz = kEditorMixUpdateHz;
    s.RandomSeed = kEditorRandomSeed;
    s.VoiceCount = kEditorVoiceCount;
    s.CacheBytes = kEditorCacheBytes;
    s.OutputRate = kEditorOutputRate;
    return s.Create();
}

std::string EditorAudio::outputNotice() const {
    if (!system_ || outputMode_ == ZQ_OUTPUT_LOOPBACK) return std::string();
    return system_->ZQGetOutputText();
}

// The preview and the bank hold on to the system: they go first.
void EditorAudio::destroySystem() {
    preview_.reset();
    bankAudio_.reset();
    system_.reset();
}

ZQ_AudioBank* EditorAudio::currentBank() const {
    return bankAudio_ ? bankAudio_->currentBank() : nullptr;
}

// --- BankAudio ------------------------------------------------------------------------

void EditorAudio::stopAllSamples() {
    if (bankAudio_) bankAudio_->stopAllSamples();
}

bool EditorAudio::registerBank(const std::string& path) {
    return bankAudio_ && bankAudio_->registerBank(path);
}

void EditorAudio::releaseBank() {
    if (bankAudio_) bankAudio_->releaseBank();
}

std::string EditorAudio::registeredBankPath() const {
    return bankAudio_ ? bankAudio_->registeredBankPath() : std::string();
}

// --- Preview and status figures ---------------------------------------------------------

RowPlayResult EditorAudio::playRow(const CQuillonDoc& doc, int row) {
    return preview_ ? preview_->playRow(doc, row) : RowPlayResult::NothingStarted;
}

RowPlayResult EditorAudio::playRowFrom(const CQuillonDoc& doc, int row, uint32_t startFrame) {
    return preview_ ? preview_->playRowFrom(doc, row, startFrame, waveformBankPath())
                    : RowPlayResult::NothingStarted;
}

std::optional<PreviewPlayer::PlayPosition> EditorAudio::playPosition() {
    return preview_ ? preview_->playPosition() : std::nullopt;
}

std::string EditorAudio::waveformBankPath() const {
    return currentBank() != nullptr ? registeredBankPath() : std::string();
}

WaveformSource EditorAudio::waveformSourceOf(const CQuillonDoc& doc, const Row& row) const {
    return waveformSource(doc, row, waveformBankPath());
}

void EditorAudio::stopAll() {
    if (preview_) preview_->stopAll();
}

StatusFigures EditorAudio::refreshFigures(const RowList& rows) {
    statusText_.clear();
    return preview_ ? preview_->statusFigures(rows) : StatusFigures{};
}

bool EditorAudio::editorVoicePlaying() {
    return preview_ && preview_->editorVoicePlaying();
}

std::string EditorAudio::tick() {
    return preview_ ? preview_->tick() : std::string();
}

void EditorAudio::setStatusText(std::string text) {
    if (text.size() > kStatusTextMaxChars) text.resize(kStatusTextMaxChars);
    statusText_ = std::move(text);
}

// --- Ambient and music test --------------------------------------------------------------

void EditorAudio::setAtmosBankVolume(int volume) {
    if (system_) system_->ZQAtmosSetBankVolume(currentBank(), volume);
}

void EditorAudio::setAtmosGroup(int group) {
    if (system_) system_->ZQAtmosSetGroup(currentBank(), group);
}

const ZQ_MusicInfo* EditorAudio::playMusic(uint32_t trackNumber) {
    if (!system_) return nullptr;
    ZQ_MusicPlayOptions options;
    options.Bank = currentBank();
    options.Volume = kFullVolume;
    options.TrackNumber = trackNumber;
    options.PlayCount = kMusicPlayCount;
    options.LoopTrack = kMusicLoopTrack;
    options.LastTrack = kMusicLastTrack;
    options.Pitch = kMusicPitch;
    options.StatusCallback = [this](const char* text) { statusText_ = musicStatusText(text); };
    return system_->ZQMusicPlay(options);
}

void EditorAudio::stopMusic() {
    if (system_) system_->ZQMusicStop(0);
}

void EditorAudio::setMusicMasterVolume(int volume) {
    if (system_) system_->ZQMusicSetMasterVolume(volume);
}

}  // namespace quillon
