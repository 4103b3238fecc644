// Which sections of a music bank a music run plays, in what order. A bank's
// tracks are its records with a sample number, counted from 1 in table order;
// a track is a music section when its Play Type field holds an MPEG frame
// header (4 or more without the play-type flag) and its audio bytes lie inside
// the wave data. Other tracks (WAV samples, broken records) are stepped over.
// These rules know nothing of OpenAL or libmpg123, so they are tested alone.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "audio/AudioBank.h"

namespace quillon {

// True when the record holds an MPEG section rather than a WAV image.
[[nodiscard]] bool isMusicSection(const ZQ_BankSample& record);

struct MusicSection {
    uint32_t recordIndex = 0;  // into the sample table
    uint32_t track = 0;        // 1 = the table's first record with a sample number
};

// What a run asks for, as the music play options give it.
struct MusicRequest {
    uint32_t track = 1;      // the first section played is the first at or after it
    uint32_t playCount = 0;  // passes over the run; 0 for ever
    uint32_t loopTrack = 0;  // where later passes start; 0 = where the first started
    uint32_t lastTrack = 0;  // the run's last section is the last at or before it; 0 = the bank's
};

struct MusicPlan {
    std::vector<MusicSection> sections;  // every playable section of the bank, in table order
    size_t first = 0;                    // positions in `sections`
    size_t loop = 0;
    size_t last = 0;
    uint32_t passes = 0;  // 0 for ever
};

// The plan of a run; none when no section lies at or after the track.
[[nodiscard]] std::optional<MusicPlan> planMusic(const SampleTable& table,
                                                 const MusicRequest& request);

// Walks a plan: the first pass from `first` to `last`, every later pass from
// `loop` to `last`, until the passes are done.
class MusicCursor {
  public:
    MusicCursor() = default;
    explicit MusicCursor(const MusicPlan& plan)
        : position_(plan.first),
          loop_(plan.loop),
          last_(plan.last),
          passes_(plan.passes),
          done_(false) {}

    // The position of the section to feed next; none when the run is over.
    [[nodiscard]] std::optional<size_t> current() const;
    [[nodiscard]] uint32_t pass() const { return pass_; }  // 1 on the first pass
    // Moves on; returns true when this began a new pass.
    bool advance();
    void finish() { done_ = true; }

  private:
    size_t position_ = 0;
    size_t loop_ = 0;
    size_t last_ = 0;
    uint32_t passes_ = 0;
    uint32_t pass_ = 1;
    bool done_ = true;  // a cursor of no plan has nothing to play
};

}  // namespace quillon
