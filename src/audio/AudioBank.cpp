#include "audio/AudioBank.h"

#include "bank/SegmentNames.h"
#include "container/ByteOrder.h"
#include "container/ZQLog.h"

namespace quillon {

namespace {

bool audioBytesInside(const ZQ_BankSample& record, uint64_t waveDataBytes) {
    // Subtract so that a hostile offset and size cannot overflow the sum.
    return record.waveSize > 0 && record.waveSize <= kMaxWaveImageBytes &&
           record.waveOffset <= waveDataBytes &&
           record.waveSize <= waveDataBytes - record.waveOffset;
}

}  // namespace

SampleTable parseSampleTable(std::span<const uint8_t> table, uint64_t waveDataBytes) {
    SampleTable result;
    std::optional<DecodedSampleTable> decoded = decodeSampleTable(table);
    if (!decoded) return result;
    result.missingRecords = decoded->missingRecords;
    result.records = std::move(decoded->records);
    result.playable.reserve(result.records.size());
    for (size_t i = 0; i < result.records.size(); ++i) {
        const ZQ_BankSample& record = result.records[i];
        const bool inPlace = record.sampleNumber == i + 1;
        result.playable.push_back(inPlace && audioBytesInside(record, waveDataBytes));
    }
    return result;
}

const ZQ_BankSample* ZQ_AudioBank::Impl::record(uint32_t sampleNumber) const {
    if (sampleNumber == 0 || sampleNumber > table.records.size()) return nullptr;
    const ZQ_BankSample& found = table.records[sampleNumber - 1];
    return found.sampleNumber == sampleNumber ? &found : nullptr;
}

bool ZQ_AudioBank::Impl::playable(uint32_t sampleNumber) const {
    return record(sampleNumber) != nullptr && table.playable[sampleNumber - 1];
}

bool ZQ_AudioBank::Impl::readWaveImage(const ZQ_BankSample& wanted, std::vector<uint8_t>& out) {
    if (!playable(wanted.sampleNumber)) return false;
    out.resize(wanted.waveSize);
    return file.GetSegmentData(ZQFileSegmentWaveData, out.data(), wanted.waveSize,
                               int64_t(wanted.waveOffset)) == ZQ_OK;
}

ZQBankError openBankFile(const char* path, ZQ_AudioBank::Impl& bank) {
    if (path == nullptr || path[0] == '\0') return ZQBankError::NoPath;
    bank.path = path;
    if (bank.file.SetName(path) != ZQ_OK || bank.file.Open(ZQ_FILE_READ_ONLY) != ZQ_OK)
        return ZQBankError::OpenFailed;

    const uint32_t tableBytes = bank.file.GetSegmentSize(ZQFileSegmentBankSampleTable);
    if (tableBytes == kNoSuchSegment || tableBytes < kSampleTableHeaderBytes)
        return ZQBankError::NoSampleTable;
    uint8_t countWord[kSampleTableHeaderBytes];
    if (bank.file.GetSegmentData(ZQFileSegmentBankSampleTable, countWord, sizeof countWord, 0) !=
        ZQ_OK)
        return ZQBankError::ReadFailed;

    // Read only what the segment holds, however many records the word promises.
    std::vector<uint8_t> table(size_t(sampleTableBytesToRead(loadU32(countWord), tableBytes)));
    if (bank.file.GetSegmentData(ZQFileSegmentBankSampleTable, table.data(), uint32_t(table.size()),
                                 0) != ZQ_OK)
        return ZQBankError::ReadFailed;

    const uint32_t waveBytes = bank.file.GetSegmentSize(ZQFileSegmentWaveData);
    bank.table = parseSampleTable(table, waveBytes == kNoSuchSegment ? 0 : waveBytes);
    bank.decodeFailed.assign(bank.table.records.size(), false);
    bank.ambience.ticksUntilDue.assign(bank.table.records.size(), 1);  // due on the first tick
    if (bank.table.missingRecords == 0) return ZQBankError::Ok;
    bank.errorText = missingRecordsText(bank.table.missingRecords);
    ZQ_LOG("%s - %s", path, bank.errorText.c_str());
    return ZQBankError::RecordsMissing;
}

}  // namespace quillon
