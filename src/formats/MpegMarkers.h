// Labels that travel from a WAV file into the Descriptions of music sections.
//
// Every section spans 21 frames of 1152 samples; a label whose position falls
// in a section's span is written into that section's Description as
// "!<position within the section>=<text>".
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <string_view>

#include "formats/MpegSplitter.h"

namespace quillon {

inline constexpr uint32_t kMpegSamplesPerFrame = 1152;
inline constexpr uint32_t kMpegSectionSamples = kMpegSectionFrames * kMpegSamplesPerFrame;
static_assert(kMpegSectionSamples == 24192);

inline constexpr size_t kMpegMarkerTextMax = 16;
// A Description holds 255 characters (its record field has a terminating zero).
inline constexpr size_t kMpegDescriptionMax = 255;

struct MpegMarker {
    std::string text;       // at most kMpegMarkerTextMax characters
    uint32_t position = 0;  // in samples from the start of the audio

    bool operator==(const MpegMarker&) const = default;
};

// The markers of one import. Each new marker goes to the front, so the list
// holds them in the reverse of the order they were read in.
class MpegMarkerList {
  public:
    void clear() { markers_.clear(); }
    // Adds a marker at the front, its text cut to its first 16 characters.
    void add(std::string_view text, uint32_t position);
    [[nodiscard]] const std::deque<MpegMarker>& markers() const { return markers_; }
    [[nodiscard]] bool empty() const { return markers_.empty(); }

  private:
    std::deque<MpegMarker> markers_;
};

// The Description of section `sectionIndex`: "!%d=%s" for every marker in list
// order inside the section's span. A marker that would take the text past 255
// characters is left out whole; later, shorter ones may still fit.
[[nodiscard]] std::string GetMpegMarkerText(const MpegMarkerList& markers, int sectionIndex);

}  // namespace quillon
