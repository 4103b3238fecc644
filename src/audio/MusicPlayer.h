// The music player: one OpenAL source fed through a queue of buffers from one
// libmpg123 decoder, which takes a music bank's sections one after another.
// Everything runs on the caller's thread: each call of service() takes back
// the buffers that have played, decodes and queues until about 1.5 s of music
// waits ahead (so that a look after every 100 ms never lets it run dry), and
// follows which section is heard for the status callback.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "audio/AlObjects.h"
#include "audio/AudioBank.h"
#include "audio/MusicDecoder.h"
#include "audio/MusicPlan.h"
#include "audio/ZQAudio.h"

namespace quillon {

class MusicPlayer {
  public:
    MusicPlayer() = default;
    MusicPlayer(const MusicPlayer&) = delete;
    MusicPlayer& operator=(const MusicPlayer&) = delete;
    ~MusicPlayer();

    // Makes the source; false when OpenAL cannot give one.
    [[nodiscard]] bool create(bool directChannels);

    // Stops what played and starts a run; false (and stopped) when nothing of
    // it can play. The bank must stay registered while the run lasts.
    [[nodiscard]] bool start(ZQ_AudioBank::Impl& bank, const ZQ_MusicPlayOptions& options);
    void stop(int fadeMilliseconds);
    void stopNow();
    void setMasterVolume(int volume);

    [[nodiscard]] bool active() const { return active_; }
    [[nodiscard]] uint32_t bankId() const { return info_.BankId; }
    [[nodiscard]] ZQ_MusicInfo* info() { return &info_; }

    // Looks after the run (see above). Returns the status text when what is
    // heard changed since the last report; the caller hands it to report()
    // once its own state is settled, since the callback may call back.
    [[nodiscard]] std::optional<std::string> service();
    void report(const std::string& text) const;

  private:
    struct Mark {
        uint64_t frame = 0;   // decoded frames before the section's first
        size_t position = 0;  // in the plan's sections
        uint32_t pass = 1;
    };

    void topUp();
    [[nodiscard]] bool fillPending();
    [[nodiscard]] bool feedNextSection();
    void queuePending();
    void reclaimPlayed();
    void keepSourcePlaying();
    [[nodiscard]] uint64_t playedFrames() const;
    [[nodiscard]] uint64_t queuedFrames() const;
    [[nodiscard]] uint64_t targetQueuedFrames() const;
    [[nodiscard]] std::optional<std::string> followHeardSection(uint64_t played);
    void applyGain(uint64_t played);
    void resetRun();

    bool directChannels_ = false;
    // Buffers before the source: the source lets go of them first when both go.
    std::vector<AlBuffer> buffers_;
    std::vector<ALuint> freeBuffers_;
    AlSource source_;

    ZQ_AudioBank::Impl* bank_ = nullptr;
    MusicPlan plan_;
    MusicCursor cursor_;
    std::unique_ptr<MusicDecoder> decoder_;
    std::vector<int16_t> pending_;  // decoded stereo frames not yet in a buffer
    std::vector<uint8_t> sectionBytes_;
    std::deque<uint32_t> queued_;  // frames of each queued buffer, oldest first
    std::deque<Mark> marks_;
    uint32_t rate_ = 0;
    uint32_t bufferFrames_ = 0;
    uint64_t decodedFrames_ = 0;
    uint64_t unqueuedFrames_ = 0;
    uint64_t framesThisPass_ = 0;  // decoded in the pass being fed
    uint32_t feedingPass_ = 1;
    bool dataEnded_ = false;  // nothing more will be decoded
    bool active_ = false;
    bool sourceStarted_ = false;
    std::optional<size_t> heardPosition_;
    uint32_t heardPass_ = 0;

    int volume_ = 127;
    int masterVolume_ = 127;
    int pitch_ = 100;
    bool fading_ = false;
    uint64_t fadeStartFrame_ = 0;
    uint64_t fadeFrames_ = 0;
    ZQMusicStatusCallback callback_;
    ZQ_MusicInfo info_{};
};

}  // namespace quillon
