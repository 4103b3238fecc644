// Containers built byte by byte, independent of ZQFile: banks the writer never
// makes and containers whose sizes lie.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace quillon::test {

using Segment = std::pair<std::string, std::vector<uint8_t>>;

// The magic, then each segment's 32-byte name field, size and data. A segment
// named in declaredSizes gets that size in its header instead of its true one.
std::vector<uint8_t> containerBytes(const std::vector<Segment>& segments,
                                    const std::map<std::string, uint32_t>& declaredSizes = {});
// Writes containerBytes(segments) to path; false on failure.
[[nodiscard]] bool writeContainer(const std::string& path, const std::vector<Segment>& segments);

// Little-endian 32-bit words one after another.
std::vector<uint8_t> u32Words(std::initializer_list<uint32_t> words);

// One 640-byte record: sample number, the path "/snd/x<number>.wav", its audio
// bytes at offset and size inside the wave data, its group, no loop, no Atmos.
std::vector<uint8_t> storedRecord(uint32_t number, uint32_t offset = 0, uint32_t size = 0,
                                  uint16_t group = 0);

// The sample table: the count word, then the records.
std::vector<uint8_t> sampleTable(uint32_t countWord,
                                 const std::vector<std::vector<uint8_t>>& records);

// A bank information record of zeros (no title, not a music bank).
std::vector<uint8_t> blankBankInfo();

// A sample table promising kCutShortPromised records, holding kCutShortWhole whole
// ones (numbers 1 and 2, sharing 10 bytes of wave data) and the start of the next.
inline constexpr uint32_t kCutShortPromised = 4;
inline constexpr uint32_t kCutShortWhole = 2;
[[nodiscard]] bool writeBankWithTableCutShort(const std::string& path);

}  // namespace quillon::test
