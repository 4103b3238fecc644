// The records of a bank file other than the sample record: the bank
// information record, the sample table (its count word and its records), and
// the animation data's wave numbers.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <unordered_map>
#include <vector>

#include "bank/SampleRecord.h"

namespace quillon {

class ZQFile;

inline constexpr size_t kBankInfoBytes = 532;
inline constexpr size_t kBankTitleBytes = 260;
inline constexpr size_t kBankWhoBytes = 260;
inline constexpr size_t kMaxTitleChars = 259;
inline constexpr size_t kMaxWhoChars = 255;
inline constexpr size_t kSampleTableHeaderBytes = 4;  // the count word
inline constexpr uint32_t kMaxSampleNumber = 65535;   // the record count is 16 bits

struct BankInfoRecord {
    bool musicBank = false;
    std::string title;
    std::string who;  // as the user reads it; the file holds it reversed
};

// Appends the 532-byte record: two reserved words, the music flag, the title
// and the Who text with its characters in reverse order.
void encodeBankInfo(const BankInfoRecord& info, std::vector<uint8_t>& out);

// Reads the record; nothing when the bytes are fewer than 532.
std::optional<BankInfoRecord> decodeBankInfo(std::span<const uint8_t> bytes);

// The sample table's first word: ambient count in the high half, record count
// in the low half.
inline uint32_t sampleTableCountWord(uint32_t records, uint32_t ambient) {
    return (ambient << 16) | (records & 0xFFFF);
}
inline uint32_t recordCountOf(uint32_t countWord) {
    return countWord & 0xFFFF;
}

// A sample table as every reader of banks takes it: the records that stand
// whole in the segment, up to the count the count word promises. A count word
// that promises more records than the segment holds leaves the rest unread,
// and missingRecords says how many, so that no reader drops them silently.
struct DecodedSampleTable {
    uint32_t countWord = 0;
    std::vector<ZQ_BankSample> records;  // in table order, empty slots included
    uint32_t missingRecords = 0;         // promised by the count word, not whole in the segment
};

// Decodes a sample table segment; nothing when it is too short for its count
// word. Never reads past the span.
std::optional<DecodedSampleTable> decodeSampleTable(std::span<const uint8_t> segment);

// "2 records of the sample table could not be read": how every reader names
// what a cut-short table lacks.
std::string missingRecordsText(uint32_t missingRecords);

// The bytes at the start of a sample table segment of segmentBytes that hold
// everything decodeSampleTable takes for this count word: a reader that loads
// only these never loads more than the count word promises, and still learns
// how many promised records are missing.
uint64_t sampleTableBytesToRead(uint32_t countWord, uint64_t segmentBytes);

// Renumbers the animation data's wave numbers: groups of a count word followed
// by that many sample numbers. Each number found in `newNumberOf` (load number
// to current No) is replaced; others stay. A count that runs past the end stops
// the walk at the end. Works on a copy of the segment's bytes.
std::vector<uint8_t> renumberAnimWaveNumbers(
    std::span<const uint8_t> segment, const std::unordered_map<uint32_t, uint32_t>& newNumberOf);

// The name under which an open bank holds its animation wave numbers: the
// current name, else the older writer's cut one; null when it has neither.
const char* animWaveNumbersSegmentOf(ZQFile& bank);

// True when any sample number in the animation wave numbers equals `number`.
bool animWaveNumbersContain(std::span<const uint8_t> segment, uint32_t number);

}  // namespace quillon
