#include "support/BankInspector.h"

#include <cstring>
#include <fstream>
#include <iterator>

namespace quillon::test {

namespace {

uint32_t u32(const std::vector<uint8_t>& b, size_t at) {
    return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 |
           uint32_t(b[at + 3]) << 24;
}
uint16_t u16(const std::vector<uint8_t>& b, size_t at) {
    return uint16_t(b[at] | b[at + 1] << 8);
}
float f32(const std::vector<uint8_t>& b, size_t at) {
    uint32_t bits = u32(b, at);
    float f;
    std::memcpy(&f, &bits, 4);
    return f;
}
std::string cstr(const std::vector<uint8_t>& b, size_t at, size_t field) {
    std::string s;
    for (size_t i = 0; i < field && b[at + i] != 0; ++i)
        s += char(b[at + i]);
    return s;
}

InspectedRecord record(const std::vector<uint8_t>& b, size_t at) {
    InspectedRecord r{};
    r.path = cstr(b, at, 260);
    r.number = u32(b, at + 260);
    r.owner = u32(b, at + 264);
    r.waveSize = u32(b, at + 268);
    r.waveOffset = u32(b, at + 272);
    r.cloneCount = u32(b, at + 276);
    r.group = u16(b, at + 280);
    r.atmosGroup = u16(b, at + 282);
    r.formatTag = u16(b, at + 292);
    r.channels = u16(b, at + 294);
    r.rate = u32(b, at + 296);
    r.byteRate = u32(b, at + 300);
    r.blockAlign = u16(b, at + 304);
    r.bits = u16(b, at + 306);
    r.extraSize = u16(b, at + 308);
    r.loopStart = int32_t(u32(b, at + 312));
    r.loopEnd = int32_t(u32(b, at + 316));
    r.description = cstr(b, at + 320, 256);
    r.priority = u32(b, at + 576);
    r.flags = u32(b, at + 580);
    r.loopCount = int32_t(u32(b, at + 584));
    r.pan = int32_t(u32(b, at + 588));
    r.volume = u16(b, at + 604);
    r.userParam = u16(b, at + 606);
    r.pitch = int32_t(u32(b, at + 608));
    r.pitchVariation = int32_t(u32(b, at + 612));
    r.minDist = f32(b, at + 616);
    r.maxDist = f32(b, at + 620);
    r.scale = f32(b, at + 624);
    r.playType = u32(b, at + 628);
    r.enabled = u32(b, at + 632);
    r.atmos = int32_t(u32(b, at + 636));
    r.allZero = true;
    for (size_t i = 0; i < 640; ++i)
        if (b[at + i] != 0) r.allZero = false;
    return r;
}

const InspectedSegment* find(const InspectedBank& bank, const std::string& name) {
    for (const auto& s : bank.segments)
        if (s.name == name) return &s;
    return nullptr;
}

}  // namespace

InspectedBank inspectBank(const std::string& path) {
    InspectedBank bank;
    std::ifstream in(path, std::ios::binary);
    bank.bytes.assign(std::istreambuf_iterator<char>(in), {});
    const auto& b = bank.bytes;
    if (b.size() < 8 || std::memcmp(b.data(), "ZaRqUiNe", 8) != 0) return bank;
    size_t at = 8;
    while (b.size() - at >= 36) {
        InspectedSegment s;
        s.name = cstr(b, at, 32);
        s.size = u32(b, at + 32);
        s.dataOffset = at + 36;
        if (s.size > b.size() - s.dataOffset) break;
        bank.segments.push_back(s);
        at = s.dataOffset + s.size;
    }
    if (const auto* info = find(bank, "ZQFileSegmentBankInfo"); info && info->size >= 532) {
        bank.musicFlag = u32(b, info->dataOffset + 8);
        bank.title = cstr(b, info->dataOffset + 12, 260);
    }
    if (const auto* wave = find(bank, "ZQFileSegmentWaveData"))
        bank.waveData.assign(b.begin() + long(wave->dataOffset),
                             b.begin() + long(wave->dataOffset + wave->size));
    if (const auto* table = find(bank, "ZQFileSegmentBankSampleTable"); table && table->size >= 4) {
        bank.countWord = u32(b, table->dataOffset);
        size_t n = bank.countWord & 0xFFFF;
        for (size_t i = 0; i < n && 4 + (i + 1) * 640 <= table->size; ++i)
            bank.records.push_back(record(b, table->dataOffset + 4 + i * 640));
    }
    return bank;
}

std::vector<uint8_t> waveImage(const InspectedBank& bank, const InspectedRecord& record) {
    if (record.waveOffset > bank.waveData.size() ||
        record.waveSize > bank.waveData.size() - record.waveOffset)
        return {};
    auto begin = bank.waveData.begin() + record.waveOffset;
    return std::vector<uint8_t>(begin, begin + record.waveSize);
}

}  // namespace quillon::test
