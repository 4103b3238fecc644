#include "bank/BankLayout.h"

#include <algorithm>

#include "bank/SegmentNames.h"
#include "container/ByteOrder.h"
#include "container/ZQFile.h"
#include "platform/Text.h"

namespace quillon {

namespace {

// Cut before a character that would not fit, never inside one.
std::string cut(const std::string& text, size_t maxBytes) {
    return std::string(cutAtCharacter(text, maxBytes));
}

// Calls f(byteOffset) for every sample number word of the groups.
template <typename F>
void forEachAnimNumber(std::span<const uint8_t> segment, F&& f) {
    size_t words = segment.size() / 4;
    size_t i = 0;
    while (i < words) {
        uint32_t count = loadU32(segment.data() + i * 4);
        ++i;
        // Subtract so that a hostile count cannot overflow the index.
        size_t inGroup = std::min<size_t>(count, words - i);
        for (size_t k = 0; k < inGroup; ++k)
            f((i + k) * 4);
        i += inGroup;
    }
}

// Whole records a segment of segmentBytes holds after its count word.
uint64_t wholeRecordsIn(uint64_t segmentBytes) {
    if (segmentBytes < kSampleTableHeaderBytes) return 0;
    return (segmentBytes - kSampleTableHeaderBytes) / kSampleRecordBytes;
}

}  // namespace

void encodeBankInfo(const BankInfoRecord& info, std::vector<uint8_t>& out) {
    LeWriter w(out);
    w.u32(0);
    w.u32(0);
    w.u32(info.musicBank ? 1 : 0);
    w.text(cut(info.title, kMaxTitleChars), kBankTitleBytes);
    std::string reversed = cut(info.who, kMaxWhoChars);
    std::reverse(reversed.begin(), reversed.end());
    w.text(reversed, kBankWhoBytes);
}

std::optional<BankInfoRecord> decodeBankInfo(std::span<const uint8_t> bytes) {
    if (bytes.size() < kBankInfoBytes) return std::nullopt;
    LeReader in(bytes);
    BankInfoRecord info;
    in.skip(8);
    info.musicBank = in.u32() != 0;
    info.title = cut(in.text(kBankTitleBytes), kMaxTitleChars);
    info.who = cut(in.text(kBankWhoBytes), kMaxWhoChars);
    std::reverse(info.who.begin(), info.who.end());
    return info;
}

std::optional<DecodedSampleTable> decodeSampleTable(std::span<const uint8_t> segment) {
    if (segment.size() < kSampleTableHeaderBytes) return std::nullopt;
    DecodedSampleTable table;
    table.countWord = loadU32(segment.data());
    const uint32_t promised = recordCountOf(table.countWord);
    const uint32_t whole = uint32_t(std::min<uint64_t>(promised, wholeRecordsIn(segment.size())));
    table.missingRecords = promised - whole;
    table.records.reserve(whole);
    for (size_t i = 0; i < whole; ++i) {
        const uint8_t* at = segment.data() + kSampleTableHeaderBytes + i * kSampleRecordBytes;
        table.records.push_back(decodeSampleRecord(
            std::span<const uint8_t, kSampleRecordBytes>(at, kSampleRecordBytes)));
    }
    return table;
}

std::string missingRecordsText(uint32_t missingRecords) {
    return format("%u record%s of the sample table could not be read", missingRecords,
                  missingRecords == 1 ? "" : "s");
}

uint64_t sampleTableBytesToRead(uint32_t countWord, uint64_t segmentBytes) {
    if (segmentBytes < kSampleTableHeaderBytes) return segmentBytes;
    const uint64_t whole =
        std::min<uint64_t>(recordCountOf(countWord), wholeRecordsIn(segmentBytes));
    return kSampleTableHeaderBytes + whole * kSampleRecordBytes;
}

std::vector<uint8_t> renumberAnimWaveNumbers(
    std::span<const uint8_t> segment, const std::unordered_map<uint32_t, uint32_t>& newNumberOf) {
    std::vector<uint8_t> out(segment.begin(), segment.end());
    forEachAnimNumber(segment, [&](size_t offset) {
        auto it = newNumberOf.find(loadU32(segment.data() + offset));
        if (it != newNumberOf.end()) storeU32(out.data() + offset, it->second);
    });
    return out;
}

const char* animWaveNumbersSegmentOf(ZQFile& bank) {
    for (const char* name :
         {ZQFileSegmentAnimArrayWaveNumbers, ZQFileSegmentAnimArrayWaveNumbersCut})
        if (bank.GetSegmentSize(name) != kNoSuchSegment) return name;
    return nullptr;
}

bool animWaveNumbersContain(std::span<const uint8_t> segment, uint32_t number) {
    bool found = false;
    forEachAnimNumber(segment, [&](size_t offset) {
        if (loadU32(segment.data() + offset) == number) found = true;
    });
    return found;
}

}  // namespace quillon
