#include "audio/MusicPlayer.h"

#include <AL/alext.h>

#include <algorithm>

#include "audio/PlayRules.h"
#include "platform/Text.h"

namespace quillon {

namespace {

// Music queued ahead of what is heard: a look after the player every 100 ms
// then leaves more than a second to spare.
constexpr double kQueueAheadSeconds = 1.5;
// Buffers of 100 ms of the stream each.
constexpr uint32_t kBuffersPerSecond = 10;
constexpr uint32_t kMinBufferFrames = 256;
constexpr uint32_t kMinQueuedBuffers = 2;
// Room for the first read, before the stream's rate (and so the buffer size) is known.
constexpr uint32_t kProbeFrames = 1152;
constexpr size_t kStereo = 2;

constexpr char kEndOfMusicText[] = "end of music";

}  // namespace

MusicPlayer::~MusicPlayer() {
    source_.reset();
    buffers_.clear();
}

bool MusicPlayer::create(bool directChannels) {
    directChannels_ = directChannels;
    ALuint id = 0;
    alGenSources(1, &id);
    if (!alBatchSucceeded()) return false;
    source_ = AlSource(id);
    // Music plays as recorded: at the listener, without distance, both
    // channels straight to the output's left and right.
    alSourcei(id, AL_SOURCE_RELATIVE, AL_TRUE);
    alSource3f(id, AL_POSITION, 0, 0, 0);
    alSourcef(id, AL_ROLLOFF_FACTOR, 0);
    alSourcei(id, AL_LOOPING, AL_FALSE);
    if (directChannels_) alSourcei(id, AL_DIRECT_CHANNELS_SOFT, AL_TRUE);
    alGetError();
    return true;
}

// --- Starting and stopping ------------------------------------------------------------

bool MusicPlayer::start(ZQ_AudioBank::Impl& bank, const ZQ_MusicPlayOptions& options) {
    stopNow();
    MusicRequest request;
    request.track = options.TrackNumber;
    request.playCount = options.PlayCount;
    request.loopTrack = options.LoopTrack;
    request.lastTrack = options.LastTrack;
    std::optional<MusicPlan> plan = planMusic(bank.table, request);
    if (!plan) return false;
    decoder_ = MusicDecoder::open();
    if (!decoder_) return false;

    plan_ = std::move(*plan);
    cursor_ = MusicCursor(plan_);
    bank_ = &bank;
    volume_ = std::clamp(options.Volume, 0, kFullVolume);
    pitch_ = std::clamp(options.Pitch, kMinPitch, kMaxPitch);
    callback_ = options.StatusCallback;
    info_ = ZQ_MusicInfo{};
    info_.BankId = bank.id;
    info_.SectionCount = uint32_t(plan_.sections.size());
    info_.Pass = 1;

    topUp();
    if (queued_.empty()) {  // not one frame of MPEG audio in the whole run
        stopNow();
        return false;
    }
    const ALuint source = source_.id();
    alSourcef(source, AL_PITCH, float(pitch_) / kUnityPitch);
    applyGain(0);
    alSourcePlay(source);
    if (!alBatchSucceeded()) {
        stopNow();
        return false;
    }
    sourceStarted_ = true;
    active_ = true;
    info_.State = ZQ_MUSIC_PLAYING;
    return true;
}

void MusicPlayer::stop(int fadeMilliseconds) {
    if (!active_) return;
    if (fadeMilliseconds <= 0 || rate_ == 0) {
        stopNow();
        return;
    }
    if (fading_) return;  // the fade under way ends it
    // The fade runs on the output's time: stream frames go faster at a higher pitch.
    const double frames = double(fadeMilliseconds) / 1000.0 * rate_ * pitch_ / kUnityPitch;
    fading_ = true;
    fadeStartFrame_ = playedFrames();
    fadeFrames_ = std::max<uint64_t>(1, uint64_t(frames));
    info_.State = ZQ_MUSIC_FADING;
}

void MusicPlayer::stopNow() {
    if (source_) {
        alSourceStop(source_.id());
        alSourcei(source_.id(), AL_BUFFER, 0);  // lets go of the whole queue
        alGetError();
    }
    freeBuffers_.clear();
    buffers_.clear();
    resetRun();
    active_ = false;
    info_.State = ZQ_MUSIC_STOPPED;
}

void MusicPlayer::resetRun() {
    bank_ = nullptr;
    decoder_.reset();
    cursor_ = MusicCursor();
    pending_.clear();
    sectionBytes_.clear();
    queued_.clear();
    marks_.clear();
    rate_ = 0;
    bufferFrames_ = 0;
    decodedFrames_ = 0;
    unqueuedFrames_ = 0;
    framesThisPass_ = 0;
    feedingPass_ = 1;
    dataEnded_ = false;
    sourceStarted_ = false;
    heardPosition_.reset();
    heardPass_ = 0;
    fading_ = false;
    fadeStartFrame_ = 0;
    fadeFrames_ = 0;
}

void MusicPlayer::setMasterVolume(int volume) {
    masterVolume_ = std::clamp(volume, 0, kFullVolume);
    if (active_) applyGain(playedFrames());
}

// --- Looking after the run ---------------------------------------------------------

std::optional<std::string> MusicPlayer::service() {
    if (!active_) return std::nullopt;
    reclaimPlayed();
    topUp();
    keepSourcePlaying();
    const uint64_t played = playedFrames();
    info_.FramesPlayed = played;
    info_.FramesDecoded = decodedFrames_;
    if (fading_ && played - fadeStartFrame_ >= fadeFrames_) {
        stopNow();
        return std::nullopt;
    }
    applyGain(played);
    std::optional<std::string> text = followHeardSection(played);
    if (dataEnded_ && pending_.empty() && queued_.empty()) {
        stopNow();
        return std::string(kEndOfMusicText);
    }
    return text;
}

void MusicPlayer::report(const std::string& text) const {
    // A copy: the callback may start other music, which replaces callback_.
    const ZQMusicStatusCallback callback = callback_;
    if (callback) callback(text.c_str());
}

void MusicPlayer::reclaimPlayed() {
    const ALuint source = source_.id();
    ALint processed = 0;
    alGetSourcei(source, AL_BUFFERS_PROCESSED, &processed);
    for (; processed > 0 && !queued_.empty(); --processed) {
        ALuint buffer = 0;
        alSourceUnqueueBuffers(source, 1, &buffer);
        if (alGetError() != AL_NO_ERROR) break;
        unqueuedFrames_ += queued_.front();
        queued_.pop_front();
        freeBuffers_.push_back(buffer);
    }
}

// A queue that ran dry (the look-after calls came too late) stops the source;
// the music goes on after the gap rather than ending.
void MusicPlayer::keepSourcePlaying() {
    if (queued_.empty()) return;
    ALint state = AL_STOPPED;
    alGetSourcei(source_.id(), AL_SOURCE_STATE, &state);
    if (state == AL_PLAYING) return;
    alSourcePlay(source_.id());
    alGetError();
    if (sourceStarted_) ++info_.Underruns;
    sourceStarted_ = true;
}

uint64_t MusicPlayer::playedFrames() const {
    ALint offset = 0;
    if (!queued_.empty()) alGetSourcei(source_.id(), AL_SAMPLE_OFFSET, &offset);
    alGetError();
    return unqueuedFrames_ + uint64_t(std::max(offset, 0));
}

uint64_t MusicPlayer::queuedFrames() const {
    uint64_t frames = 0;
    for (uint32_t f : queued_)
        frames += f;
    return frames;
}

uint64_t MusicPlayer::targetQueuedFrames() const {
    const double ahead = kQueueAheadSeconds * rate_ * double(pitch_) / kUnityPitch;
    return std::max<uint64_t>(uint64_t(ahead), uint64_t(kMinQueuedBuffers) * bufferFrames_);
}

std::optional<std::string> MusicPlayer::followHeardSection(uint64_t played) {
    while (marks_.size() > 1 && marks_[1].frame <= played)
        marks_.pop_front();
    if (marks_.empty()) return std::nullopt;
    const Mark& mark = marks_.front();
    info_.Section = uint32_t(mark.position + 1);
    info_.TrackNumber = plan_.sections[mark.position].track;
    info_.Pass = mark.pass;
    if (heardPosition_ == mark.position && heardPass_ == mark.pass) return std::nullopt;
    heardPosition_ = mark.position;
    heardPass_ = mark.pass;
    return format("section %u of %u", info_.Section, info_.SectionCount);
}

void MusicPlayer::applyGain(uint64_t played) {
    float gain = volumeGain(volume_) * volumeGain(masterVolume_);
    if (fading_) {
        const double done = double(played - fadeStartFrame_) / double(fadeFrames_);
        gain *= float(1.0 - std::min(done, 1.0));
    }
    alSourcef(source_.id(), AL_GAIN, gain);
    alGetError();
}

// --- Decoding ahead --------------------------------------------------------------------

void MusicPlayer::topUp() {
    while (rate_ == 0 || queuedFrames() < targetQueuedFrames()) {
        if (!fillPending()) return;
        queuePending();
    }
}

// Decodes until a buffer's worth waits, or the run's data ends; true when
// there is something to queue.
bool MusicPlayer::fillPending() {
    while (!dataEnded_) {
        const size_t have = pending_.size() / kStereo;
        if (bufferFrames_ != 0 && have >= bufferFrames_) break;
        const size_t room = bufferFrames_ != 0 ? bufferFrames_ - have : kProbeFrames;
        pending_.resize((have + room) * kStereo);
        const MusicDecodeResult result =
            decoder_->read(std::span<int16_t>(pending_).subspan(have * kStereo));
        pending_.resize((have + result.frames) * kStereo);
        if (result.formatChanged) {
            // One queue holds one rate. A section at another rate belongs to
            // another piece: the run ends before it.
            if (rate_ != 0 && decoder_->rate() != rate_) {
                pending_.resize(have * kStereo);
                dataEnded_ = true;
                break;
            }
            rate_ = decoder_->rate();
            bufferFrames_ = std::max(kMinBufferFrames, rate_ / kBuffersPerSecond);
            info_.SampleRate = rate_;
        }
        decodedFrames_ += result.frames;
        framesThisPass_ += result.frames;
        const bool needMore = result.status == MusicDecodeStatus::NeedMore ||
                              (result.frames == 0 && !result.formatChanged);
        if (result.status == MusicDecodeStatus::Failed)
            dataEnded_ = true;
        else if (needMore && !feedNextSection())
            dataEnded_ = true;
    }
    return !pending_.empty();
}

// Hands the decoder the next section of the run, stepping over sections whose
// bytes cannot be read. A whole pass without one decoded frame ends the run,
// so a bank of undecodable sections cannot keep the player busy for ever.
bool MusicPlayer::feedNextSection() {
    for (std::optional<size_t> position; (position = cursor_.current());) {
        if (cursor_.pass() != feedingPass_) {
            if (framesThisPass_ == 0) break;
            framesThisPass_ = 0;
            feedingPass_ = cursor_.pass();
        }
        const ZQ_BankSample& record = bank_->table.records[plan_.sections[*position].recordIndex];
        const Mark mark{decodedFrames_, *position, cursor_.pass()};
        cursor_.advance();
        if (!bank_->readWaveImage(record, sectionBytes_)) continue;
        marks_.push_back(mark);
        return decoder_->feed(sectionBytes_);
    }
    cursor_.finish();
    return false;
}

void MusicPlayer::queuePending() {
    const size_t frames = pending_.size() / kStereo;
    ALuint buffer = 0;
    if (!freeBuffers_.empty()) {
        buffer = freeBuffers_.back();
        freeBuffers_.pop_back();
    } else {
        alGenBuffers(1, &buffer);
        if (!alBatchSucceeded()) {
            dataEnded_ = true;
            pending_.clear();
            return;
        }
        buffers_.emplace_back(buffer);
    }
    alBufferData(buffer, AL_FORMAT_STEREO16, pending_.data(),
                 ALsizei(frames * kStereo * sizeof(int16_t)), ALsizei(rate_));
    alSourceQueueBuffers(source_.id(), 1, &buffer);
    pending_.clear();
    if (!alBatchSucceeded()) {
        freeBuffers_.push_back(buffer);
        dataEnded_ = true;
        return;
    }
    queued_.push_back(uint32_t(frames));
}

}  // namespace quillon
