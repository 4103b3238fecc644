#include "formats/MpegMarkers.h"

namespace quillon {

void MpegMarkerList::add(std::string_view text, uint32_t position) {
    markers_.push_front({std::string(text.substr(0, kMpegMarkerTextMax)), position});
}

std::string GetMpegMarkerText(const MpegMarkerList& markers, int sectionIndex) {
    std::string description;
    if (sectionIndex < 0) return description;
    // 64-bit, so that the span of a late section cannot wrap around.
    const uint64_t spanStart = uint64_t(sectionIndex) * kMpegSectionSamples;
    const uint64_t spanEnd = spanStart + kMpegSectionSamples;
    for (const MpegMarker& marker : markers.markers()) {
        if (marker.position < spanStart || marker.position >= spanEnd) continue;
        std::string entry = "!" + std::to_string(marker.position - spanStart) + "=" + marker.text;
        if (entry.size() > kMpegDescriptionMax - description.size()) continue;
        description += entry;
    }
    return description;
}

}  // namespace quillon
