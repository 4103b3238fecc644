// Registering banks: the sample table is read as far as the file holds it, and
// nothing in it leads a read out of bounds.
#include <gtest/gtest.h>

#include "audio/AudioBank.h"
#include "audio/AudioTestKit.h"
#include "bank/SegmentNames.h"
#include "container/ByteOrder.h"
#include "container/ZQLog.h"
#include "support/BankFixtures.h"
#include "support/BankInspector.h"

namespace quillon {
namespace {

using test::Bytes;
using test::playableRecord;
using test::TempFolder;
using test::TestBank;

Bytes tableBytes(uint32_t countWord, const std::vector<ZQ_BankSample>& records) {
    Bytes table(kSampleTableHeaderBytes);
    storeU32(table.data(), countWord);
    for (const ZQ_BankSample& record : records)
        encodeSampleRecord(record, table);
    return table;
}

ZQ_BankSample recordAt(uint32_t number, uint32_t offset, uint32_t size) {
    ZQ_BankSample record = playableRecord();
    record.sampleNumber = number;
    record.waveOffset = offset;
    record.waveSize = size;
    return record;
}

TEST(SampleTable, HoldsNoMoreRecordsThanTheSegment) {
    struct Case {
        const char* name;
        uint32_t countWord;
        size_t recordsStored;
        size_t extraBytes;
        size_t expected;
    };
    const Case cases[] = {
        {"count as stored", 3, 3, 0, 3},
        {"count larger than the table", 9, 2, 0, 2},
        {"a partial record is not a record", 3, 2, 639, 2},
        {"count smaller than the table", 1, 3, 0, 1},
        {"high half ignored", 3u * 65536 + 2, 2, 0, 2},
        {"empty", 0, 0, 0, 0},
    };
    for (const Case& c : cases) {
        std::vector<ZQ_BankSample> records;
        for (uint32_t i = 0; i < c.recordsStored; ++i)
            records.push_back(recordAt(i + 1, 0, 10));
        Bytes table = tableBytes(c.countWord, records);
        table.insert(table.end(), c.extraBytes, uint8_t(0));
        const SampleTable parsed = parseSampleTable(table, 100);
        EXPECT_EQ(parsed.records.size(), c.expected) << c.name;
        EXPECT_EQ(parsed.playable.size(), c.expected) << c.name;
    }
    EXPECT_TRUE(parseSampleTable(Bytes{1, 0, 0}, 100).records.empty()) << "no count word";
}

TEST(SampleTable, RecordsWithAudioOutsideTheWaveDataAreNotPlayable) {
    struct Case {
        const char* name;
        ZQ_BankSample record;
        bool playable;
    };
    const uint64_t waveBytes = 1000;
    const Case cases[] = {
        {"inside", recordAt(1, 0, 1000), true},
        {"ends one past", recordAt(1, 1, 1000), false},
        {"starts at the end", recordAt(1, 1000, 1), false},
        {"offset and size overflow", recordAt(1, 0xFFFFFFF0, 0x20), false},
        {"size alone too big", recordAt(1, 0, 0xFFFFFFFF), false},
        {"no bytes", recordAt(1, 0, 0), false},
        {"number not its place", recordAt(2, 0, 10), false},
        {"empty slot", recordAt(0, 0, 10), false},
    };
    for (const Case& c : cases) {
        const SampleTable parsed = parseSampleTable(tableBytes(1, {c.record}), waveBytes);
        ASSERT_EQ(parsed.records.size(), 1u) << c.name;
        EXPECT_EQ(parsed.playable[0], c.playable) << c.name;
    }
}

// The save writes wave data of up to 4 GiB; an image past the first 2 GiB is
// read like any other.
TEST(SampleTable, AudioPastTwoGibInTheWaveDataIsPlayable) {
    const uint64_t waveBytes = 0xF0000000;
    const SampleTable parsed =
        parseSampleTable(tableBytes(1, {recordAt(1, 0x90000000, 1000)}), waveBytes);
    ASSERT_EQ(parsed.records.size(), 1u);
    EXPECT_TRUE(parsed.playable[0]);
}

class BankRegister : public ::testing::Test {
  protected:
    TempFolder folder;
    ZQ_AudioSystem system;  // banks register without Create
};

TEST_F(BankRegister, HandsOutTheRecordsOneAfterAnother) {
    TestBank bank;
    ZQ_BankSample first = playableRecord();
    first.description = "first";
    bank.add(first, test::sineWav(440, 100));
    bank.addEmptySlot();
    bank.add(playableRecord(), test::sineWav(220, 100));
    const std::string path = bank.write(folder);

    ZQBankError error = ZQBankError::ReadFailed;
    ZQ_AudioBank* handle = system.ZQBankRegister(path.c_str(), 0, &error);
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(error, ZQBankError::Ok);
    EXPECT_STREQ(handle->ZQGetErrorText(), "") << "read whole";
    ASSERT_EQ(handle->ZQGetBankSampleCount(), 3u);
    const ZQ_BankSample* records = handle->ZQGetFirstBankSample();
    EXPECT_EQ(records[0].sampleNumber, 1u);
    EXPECT_EQ(records[0].description, "first");
    EXPECT_EQ(records[1].sampleNumber, 0u) << "empty slot";
    EXPECT_EQ(records[2].sampleNumber, 3u);
    EXPECT_TRUE(handle->ZQIsSamplePlayable(1));
    EXPECT_FALSE(handle->ZQIsSamplePlayable(2));
    EXPECT_TRUE(handle->ZQIsSamplePlayable(3));
    EXPECT_FALSE(handle->ZQIsSamplePlayable(4));
    EXPECT_STREQ(system.ZQBankGetFileName(handle), path.c_str());
    system.ZQBankRelease(handle);
    EXPECT_STREQ(system.ZQBankGetFileName(handle), "") << "released handle is unknown";
}

TEST_F(BankRegister, HostileTablesGiveUnplayableRecordsNotReads) {
    TestBank bank;
    bank.add(playableRecord(), test::sineWav(440, 100));
    bank.add(playableRecord(), test::sineWav(440, 100));
    bank.record(2).waveOffset = 0x7FFFFFF0;  // far past the wave data
    bank.countWord = 50;                     // promises 48 records that are not there
    ZQ_AudioBank* handle = system.ZQBankRegister(bank.write(folder).c_str(), 0);
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(handle->ZQGetBankSampleCount(), 2u);
    EXPECT_TRUE(handle->ZQIsSamplePlayable(1));
    EXPECT_FALSE(handle->ZQIsSamplePlayable(2));
}

TEST_F(BankRegister, ABankWithoutWaveDataHasNothingToPlay) {
    TestBank bank;
    bank.add(playableRecord(), test::sineWav(440, 100));
    bank.withoutWaveData = true;
    ZQ_AudioBank* handle = system.ZQBankRegister(bank.write(folder).c_str(), 0);
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(handle->ZQGetBankSampleCount(), 1u);
    EXPECT_FALSE(handle->ZQIsSamplePlayable(1));
}

TEST_F(BankRegister, FilesThatAreNotBanksAreRefused) {
    struct Case {
        const char* name;
        Bytes bytes;
        ZQBankError expected;
    };
    Bytes shortTable = test::containerImage({{ZQFileSegmentBankSampleTable, Bytes{1, 0}}});
    const Case cases[] = {
        {"not a container", Bytes(100, 'x'), ZQBankError::OpenFailed},
        {"no sample table", test::containerImage({{ZQFileSegmentBankInfo, Bytes(532, 0)}}),
         ZQBankError::NoSampleTable},
        {"table without its count word", shortTable, ZQBankError::NoSampleTable},
    };
    for (const Case& c : cases) {
        const std::string path = folder.file("bad.sad");
        test::writeFileBytes(path, c.bytes);
        ZQBankError error = ZQBankError::Ok;
        EXPECT_EQ(system.ZQBankRegister(path.c_str(), 0, &error), nullptr) << c.name;
        EXPECT_EQ(error, c.expected) << c.name;
    }
    ZQBankError error = ZQBankError::Ok;
    EXPECT_EQ(system.ZQBankRegister(folder.file("missing.sad").c_str(), 0, &error), nullptr);
    EXPECT_EQ(error, ZQBankError::OpenFailed);
    EXPECT_EQ(system.ZQBankRegister("", 0, &error), nullptr);
    EXPECT_EQ(error, ZQBankError::NoPath);
    EXPECT_EQ(system.ZQBankRegister(nullptr, 0, &error), nullptr);
}

TEST_F(BankRegister, ATableCutShortInTheFileIsRefused) {
    TestBank bank;
    bank.add(playableRecord(), test::sineWav(440, 100));
    const Bytes image = bank.encode();
    // The table's segment says more than the file has.
    const Bytes cut(image.begin(), image.begin() + std::ptrdiff_t(image.size() - 100));
    const std::string path = folder.file("cut.sad");
    test::writeFileBytes(path, cut);
    ZQBankError error = ZQBankError::Ok;
    EXPECT_EQ(system.ZQBankRegister(path.c_str(), 0, &error), nullptr);
    EXPECT_EQ(error, ZQBankError::ReadFailed);
}

// A count word that promises more records than the table holds: the bank
// registers with the whole records (those the bank inspector reads), and the
// error, the bank's error text and the log say how many are missing.
TEST_F(BankRegister, TableCutShortRegistersItsWholeRecordsAndSaysHowManyAreMissing) {
    const std::string path = folder.file("cut.sad");
    ASSERT_TRUE(test::writeBankWithTableCutShort(path));
    std::vector<std::string> logged;
    ZQLogSetObserver([&](const ZQLogRecord& line) { logged.push_back(line.Text); });
    ZQBankError error = ZQBankError::Ok;
    ZQ_AudioBank* handle = system.ZQBankRegister(path.c_str(), 0, &error);
    ZQLogSetObserver({});
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(error, ZQBankError::RecordsMissing);
    const test::InspectedBank stored = test::inspectBank(path);
    ASSERT_EQ(handle->ZQGetBankSampleCount(), stored.records.size());
    for (size_t i = 0; i < stored.records.size(); ++i) {
        EXPECT_EQ(handle->ZQGetFirstBankSample()[i].sampleNumber, stored.records[i].number);
        EXPECT_EQ(handle->ZQGetFirstBankSample()[i].path, stored.records[i].path);
    }
    const std::string missing = "2 records of the sample table could not be read";
    EXPECT_EQ(handle->ZQGetErrorText(), missing);
    EXPECT_EQ(logged, std::vector<std::string>{path + " - " + missing});
}

TEST_F(BankRegister, ReleasingAnUnknownBankDoesNothing) {
    TestBank bank;
    bank.add(playableRecord(), test::sineWav(440, 100));
    const std::string path = bank.write(folder);
    ZQ_AudioBank* a = system.ZQBankRegister(path.c_str(), 0);
    ZQ_AudioBank* b = system.ZQBankRegister(path.c_str(), 0);
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_NE(a->ZQGetBankId(), b->ZQGetBankId());
    system.ZQBankRelease(a);
    system.ZQBankRelease(a);  // stale
    system.ZQBankRelease(nullptr);
    EXPECT_EQ(b->ZQGetBankSampleCount(), 1u);
    EXPECT_STREQ(system.ZQBankGetFileName(b), path.c_str());
}

}  // namespace
}  // namespace quillon
