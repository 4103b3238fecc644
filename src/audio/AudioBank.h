// What a registered bank holds: the bank file, open read-only for the audio
// bytes of its samples; the records of its sample table; which of them can be
// played; and the state of its ambience.
//
// The reader trusts nothing in the file. The table holds min(record count,
// (table size - 4) / 640) records: a count word that promises more than the
// segment holds is cut to what it holds. The record count is the low half of
// the count word; the high half (the ambient count) is not used. A record whose
// audio bytes do not lie wholly inside the wave data segment, or whose number is
// not its place in the table, is kept as read but never played.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "audio/ZQAudio.h"
#include "bank/SampleRecord.h"
#include "container/ZQFile.h"

namespace quillon {

inline constexpr size_t kSampleTableHeaderBytes = 4;  // u16 record count, u16 ambient count
// One WAV image larger than this is not played (its decoded audio could not
// fill one OpenAL buffer anyway).
inline constexpr uint32_t kMaxWaveImageBytes = 512u * 1024 * 1024;

struct SampleTable {
    std::vector<ZQ_BankSample> records;
    std::vector<bool> playable;  // one per record
};

// Reads a sample table segment; waveDataBytes is the wave data segment's size
// (0 when the bank has none). Never reads past the span.
[[nodiscard]] SampleTable parseSampleTable(std::span<const uint8_t> table, uint64_t waveDataBytes);

// The records a table segment of this size holds for this count word.
[[nodiscard]] uint32_t tableRecordCount(uint32_t countWord, uint64_t tableBytes);

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

// Opens the bank file read-only and reads its sample table.
[[nodiscard]] ZQBankError openBankFile(const char* path, ZQ_AudioBank::Impl& bank);

}  // namespace quillon
