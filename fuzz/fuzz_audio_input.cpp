// Feeds arbitrary bytes to the audio library's two readers of outside bytes:
// the sample table of a registered bank, and the decoder of WAV images (with
// its "fact" chunk walk). Checks the promises of their results on the way.
#include <cstddef>
#include <cstdint>
#include <span>

#include "FuzzSupport.h"
#include "audio/AudioBank.h"
#include "audio/WaveDecoder.h"
#include "container/ByteOrder.h"

namespace {

void checkTable(std::span<const uint8_t> bytes) {
    // Let the first bytes choose the wave data segment's size.
    const uint64_t waveBytes = bytes.size() >= 8 ? quillon::loadU32(bytes.data() + 4) : 0;
    const quillon::SampleTable table = quillon::parseSampleTable(bytes, waveBytes);
    require(table.records.size() == table.playable.size());
    // Every record the count word promises is either read whole or counted missing.
    const uint32_t promised = bytes.size() >= quillon::kSampleTableHeaderBytes
                                  ? quillon::recordCountOf(quillon::loadU32(bytes.data()))
                                  : 0;
    require(table.records.size() + table.missingRecords == promised);
    require(table.records.size() * quillon::kSampleRecordBytes <= bytes.size());
    for (size_t i = 0; i < table.records.size(); ++i) {
        if (!table.playable[i]) continue;
        const quillon::ZQ_BankSample& record = table.records[i];
        require(record.sampleNumber == i + 1);
        require(uint64_t(record.waveOffset) + record.waveSize <= waveBytes);
    }
}

void checkDecode(std::span<const uint8_t> bytes) {
    const quillon::DecodeResult result = quillon::decodeWaveImage(bytes);
    if (result.error != quillon::DecodeError::None) {
        require(result.wave.samples.empty() || result.error == quillon::DecodeError::Empty);
        return;
    }
    require(result.wave.channels == 1 || result.wave.channels == 2);
    require(result.wave.frames() > 0);
    require(result.wave.samples.size() % result.wave.channels == 0);
    (void)quillon::factFrameCount(bytes);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::span<const uint8_t> bytes(data, size);
    checkTable(bytes);
    checkDecode(bytes);
    return 0;
}
