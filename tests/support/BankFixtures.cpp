#include "support/BankFixtures.h"

#include <iterator>
#include <stdexcept>

#include "bank/BankLayout.h"
#include "bank/SampleRecord.h"
#include "bank/SegmentNames.h"
#include "container/ByteOrder.h"
#include "container/ZQFile.h"
#include "support/TempFolder.h"

namespace quillon::test {

std::vector<uint8_t> containerBytes(const std::vector<Segment>& segments,
                                    const std::map<std::string, uint32_t>& declaredSizes) {
    std::vector<uint8_t> out(std::begin(kContainerMagic), std::end(kContainerMagic));
    LeWriter writer(out);
    for (const auto& [name, data] : segments) {
        const auto declared = declaredSizes.find(name);
        writer.text(name, kSegmentNameFieldBytes);
        writer.u32(declared != declaredSizes.end() ? declared->second : uint32_t(data.size()));
        writer.bytes(data.data(), data.size());
    }
    return out;
}

bool writeContainer(const std::string& path, const std::vector<Segment>& segments) {
    try {
        writeFile(path, containerBytes(segments));
        return true;
    } catch (const std::runtime_error&) {
        return false;
    }
}

std::vector<uint8_t> u32Words(std::initializer_list<uint32_t> words) {
    std::vector<uint8_t> out;
    for (uint32_t w : words)
        for (int i = 0; i < 4; ++i)
            out.push_back(uint8_t(w >> (8 * i)));
    return out;
}

std::vector<uint8_t> storedRecord(uint32_t number, uint32_t offset, uint32_t size, uint16_t group) {
    ZQ_BankSample r;
    r.sampleNumber = number;
    r.path = "/snd/x" + std::to_string(number) + ".wav";
    r.waveOwner = number;
    r.waveOffset = offset;
    r.waveSize = size;
    r.group = group;
    r.atmos = -1;
    r.loopStart = r.loopEnd = -1;
    r.enabled = 1;
    std::vector<uint8_t> out;
    encodeSampleRecord(r, out);
    return out;
}

std::vector<uint8_t> sampleTable(uint32_t countWord,
                                 const std::vector<std::vector<uint8_t>>& records) {
    std::vector<uint8_t> out = u32Words({countWord});
    for (const auto& r : records)
        out.insert(out.end(), r.begin(), r.end());
    return out;
}

std::vector<uint8_t> blankBankInfo() {
    return std::vector<uint8_t>(kBankInfoBytes, 0);
}

bool writeBankWithTableCutShort(const std::string& path) {
    std::vector<uint8_t> table =
        sampleTable(kCutShortPromised, {storedRecord(1, 0, 10), storedRecord(2, 0, 10)});
    std::vector<uint8_t> third = storedRecord(3, 0, 10);
    table.insert(table.end(), third.begin(), third.begin() + 300);
    return writeContainer(path, {{ZQFileSegmentBankInfo, blankBankInfo()},
                                 {ZQFileSegmentWaveData, std::vector<uint8_t>(10, 7)},
                                 {ZQFileSegmentBankSampleTable, table}});
}

}  // namespace quillon::test
