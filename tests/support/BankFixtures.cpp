#include "support/BankFixtures.h"

#include "bank/BankLayout.h"
#include "bank/SampleRecord.h"
#include "bank/SegmentNames.h"
#include "container/ZQFile.h"

namespace quillon::test {

bool writeContainer(const std::string& path, const std::vector<Segment>& segments) {
    ZQFile file;
    if (file.SetName(path.c_str()) != ZQ_OK || file.Open(ZQ_FILE_NEW) != ZQ_OK) return false;
    bool ok = true;
    for (const auto& [name, data] : segments) {
        ok = ok && file.OpenSegment(name.c_str()) == ZQ_OK &&
             file.WriteSegmentData(data.data(), uint32_t(data.size())) == ZQ_OK &&
             file.CloseSegment() == ZQ_OK;
    }
    file.Close();
    return ok;
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
