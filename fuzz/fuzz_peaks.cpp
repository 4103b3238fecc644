// Feeds arbitrary bytes as a WAV image through the waveform's peak summary, and
// checks what it promises: a plain message or a summary whose buckets cover
// every frame, with every drawn column inside full scale.
#include <cstddef>
#include <cstdint>
#include <span>

#include "FuzzSupport.h"
#include "audio/Waveform.h"

namespace {

void checkSummary(const quillon::PeakSummary& peaks) {
    require(peaks.channels == 1 || peaks.channels == 2);
    require(peaks.frames > 0 && peaks.bucketFrames > 0);
    require(peaks.bucketCount() <= quillon::PeakSummary::kMaxBuckets);
    require(peaks.buckets.size() == peaks.bucketCount() * peaks.channels);
    // A few columns across the whole length, as a narrow view draws them.
    constexpr uint64_t kColumns = 7;
    for (uint16_t channel = 0; channel < peaks.channels; ++channel) {
        for (uint64_t x = 0; x < kColumns; ++x) {
            const quillon::PeakColumn column = peaks.column(channel, peaks.frames * x / kColumns,
                                                            peaks.frames * (x + 1) / kColumns);
            require(column.min >= -1.0f && column.max <= 1.0f && column.min <= column.max);
            require(column.rms >= 0.0f && column.rms <= 1.0f);
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const quillon::PeaksResult result = quillon::peaksOfWavImage(std::span(data, size));
    require(bool(result.peaks) != !result.error.empty());
    if (result.peaks) checkSummary(*result.peaks);
    return 0;
}
