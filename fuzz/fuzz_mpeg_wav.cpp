// Reads arbitrary bytes as a WAV file holding MPEG audio, in memory: the data
// chunk must lie inside the bytes, every marker must come from a label, and
// the Descriptions built from the markers must fit their field.
#include <cstdint>
#include <span>

#include "FuzzSupport.h"
#include "formats/RiffReader.h"
#include "operations/MpegImport.h"

namespace {

using namespace quillon;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    MemoryByteSource source(std::span<const uint8_t>(data, size));
    std::optional<MpegWavStream> wav = ReadMpegWavStream(source);
    if (!wav) return 0;
    require(wav->offset <= size && wav->length <= size - wav->offset);
    require(wav->markers.markers().size() <= size / 8);  // each came from a "labl" chunk header
    for (const MpegMarker& marker : wav->markers.markers()) {
        require(marker.text.size() <= kMpegMarkerTextMax);
        require(marker.text.find('\0') == std::string::npos);
        const int section = int(marker.position / kMpegSectionSamples);
        require(GetMpegMarkerText(wav->markers, section).size() <= kMpegDescriptionMax);
    }
    return 0;
}
