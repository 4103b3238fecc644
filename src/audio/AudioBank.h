// What a registered bank holds: the bank file, open read-only for the audio
// bytes of its samples; the records of its sample table; which of them can be
// played; and the state of its ambience.
//
// The reader trusts nothing in the file. The table is decoded by the bank
// layer's one decoder (decodeSampleTable): it holds the records that stand
// whole in the segment, up to the count word's record count (its low half; the
// high half, the ambient count, is not used). Records the count word promises
// but the segment does not hold are counted, logged and named in the bank's
// error text; the bank registers with the others. A record whose audio bytes
// do not lie wholly inside the wave data segment, or whose number is not its
// place in the table, is kept as read but never played.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "audio/ZQAudio.h"
#include "bank/BankLayout.h"
#include "bank/SampleRecord.h"
#include "container/ZQFile.h"

namespace quillon {

// One WAV image larger than this is not played (its decoded audio could not
// fill one OpenAL buffer anyway).
inline constexpr uint32_t kMaxWaveImageBytes = 512u * 1024 * 1024;

struct SampleTable {
    std::vector<ZQ_BankSample> records;
    std::vector<bool> playable;   // one per record
    uint32_t missingRecords = 0;  // promised by the count word, not whole in the segment
};

// Reads a sample table segment; waveDataBytes is the wave data segment's size
// (0 when the bank has none). Never reads past the span.
[[nodiscard]] SampleTable parseSampleTable(std::span<const uint8_t> table, uint64_t waveDataBytes);

// The ambience of one bank: off until the bank volume is raised above 0.
struct AmbientState {
    int volume = 0;
    int group = 0;
    // Ticks until each record's next start; indexed like the records.
    std::vector<int64_t> ticksUntilDue;
};

struct ZQ_AudioBank::Impl {
    std::string path;
    uint32_t id = 0;
    std::string errorText;  // empty when the table was read whole
    ZQFile file;
    SampleTable table;
    std::vector<bool> decodeFailed;  // one per record: tried once, not tried again
    AmbientState ambience;

    // The record of a sample number, or null for 0, a number past the table, or
    // a record whose own number differs.
    [[nodiscard]] const ZQ_BankSample* record(uint32_t sampleNumber) const;
    [[nodiscard]] bool playable(uint32_t sampleNumber) const;
    // Reads the whole WAV image of a playable record.
    [[nodiscard]] bool readWaveImage(const ZQ_BankSample& record, std::vector<uint8_t>& out);
};

// Opens the bank file read-only and reads its sample table. RecordsMissing
// comes with a bank that is read all the same: errorText says what is missing.
[[nodiscard]] ZQBankError openBankFile(const char* path, ZQ_AudioBank::Impl& bank);

}  // namespace quillon
