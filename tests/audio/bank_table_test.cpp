// Registering banks: no sample table leads a read out of bounds.
#include <gtest/gtest.h>
#include <unistd.h>

#include "audio/AudioBank.h"
#include "audio/AudioTestKit.h"
#include "bank/SegmentNames.h"
#include "container/ZQLog.h"
#include "support/BankFixtures.h"

namespace quillon {
namespace {

using test::Bytes;
using test::storedRecord;

TEST(SampleTable, HoldsWholeRecordsUpToTheCountAndOnlyAudioInsideTheWaveData) {
    // count word (its high half ignored), records stored, bytes after them, records read
    const std::array<uint32_t, 4> counts[] = {{3, 3, 0, 3}, {9, 2, 0, 2}, {3, 2, 639, 2},
                                              {1, 3, 0, 1}, {0, 0, 0, 0}, {3 * 65536 + 2, 2, 0, 2}};
    for (const auto& [count, stored, extra, read] : counts) {
        std::vector<Bytes> records;
        for (uint32_t i = 1; i <= stored; ++i)
            records.push_back(storedRecord(i, 0, 10));
        Bytes table = test::sampleTable(count, records);
        table.insert(table.end(), extra, uint8_t(0));
        EXPECT_EQ(parseSampleTable(table, 100).playable.size(), read) << count << " " << stored;
    }
    EXPECT_TRUE(parseSampleTable(Bytes{1, 0, 0}, 100).records.empty()) << "no count word";
    // The save writes wave data of up to 4 GiB: an image past 2 GiB is read like any other.
    const std::tuple<Bytes, uint64_t, bool> records[] = {
        {storedRecord(1, 0, 1000), 1000, true},
        {storedRecord(1, 1, 1000), 1000, false},
        {storedRecord(1, 1000, 1), 1000, false},
        {storedRecord(1, 0xFFFFFFF0, 0x20), 1000, false},  // offset and size overflow
        {storedRecord(1, 0, 0xFFFFFFFF), 1000, false},
        {storedRecord(1, 0, 0), 1000, false},
        {storedRecord(2, 0, 10), 1000, false},  // number not its place
        {storedRecord(0, 0, 10), 1000, false},  // empty slot
        {storedRecord(1, 0x90000000, 1000), 0xF0000000, true},
    };
    for (const auto& [record, waveBytes, playable] : records) {
        const SampleTable parsed = parseSampleTable(test::sampleTable(1, {record}), waveBytes);
        ASSERT_EQ(parsed.records.size(), 1u);
        EXPECT_EQ(parsed.playable[0], playable) << parsed.records[0].waveOffset;
    }
}

TEST(BankRegister, HandsOutTheRecordsAndHostileOnesAreNotPlayable) {
    test::TempFolder folder;
    ZQ_AudioSystem system;  // banks register without Create
    test::TestBank bank;
    bank.add(test::playableRecord(), test::sineWav(440, 100));
    bank.records.emplace_back();  // an empty slot
    bank.add(test::playableRecord(), test::sineWav(220, 100));
    bank.add(test::playableRecord(), test::sineWav(220, 100));
    bank.records[3].waveOffset = 0x7FFFFFF0;  // far past the wave data
    const std::string path = bank.write(folder);
    ZQBankError error = ZQBankError::ReadFailed;
    ZQ_AudioBank* handle = system.ZQBankRegister(path.c_str(), 0, &error);
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(error, ZQBankError::Ok);
    ASSERT_EQ(handle->ZQGetBankSampleCount(), 4u);
    for (uint32_t n = 1; n <= 5; ++n)
        EXPECT_EQ(handle->ZQIsSamplePlayable(n), n == 1 || n == 3) << n;
    system.ZQBankRelease(handle);
    EXPECT_STREQ(system.ZQBankGetFileName(handle), "") << "released handle is unknown";
    system.ZQBankRelease(handle);  // stale

    // A table whose segment says more than the file has; files that are not banks.
    ASSERT_EQ(::truncate(path.c_str(), ::off_t(test::readFileBytes(path).size() - 100)), 0);
    const std::pair<std::vector<test::Segment>, ZQBankError> refused[] = {
        {{{ZQFileSegmentBankInfo, test::blankBankInfo()}}, ZQBankError::NoSampleTable},
        {{{ZQFileSegmentBankSampleTable, Bytes{1, 0}}}, ZQBankError::NoSampleTable},
    };
    EXPECT_EQ(system.ZQBankRegister(path.c_str(), 0, &error), nullptr);
    EXPECT_EQ(error, ZQBankError::ReadFailed);
    for (const auto& [segments, expected] : refused) {
        ASSERT_TRUE(test::writeContainer(path, segments));
        EXPECT_EQ(system.ZQBankRegister(path.c_str(), 0, &error), nullptr);
        EXPECT_EQ(error, expected);
    }
    test::writeFileBytes(path, Bytes(100, 'x'));
    EXPECT_EQ(system.ZQBankRegister(path.c_str(), 0, &error), nullptr);
    EXPECT_EQ(error, ZQBankError::OpenFailed) << "not a container";
    EXPECT_EQ(system.ZQBankRegister("", 0, &error), nullptr);
    EXPECT_EQ(error, ZQBankError::NoPath);
    EXPECT_EQ(system.ZQBankRegister(nullptr, 0, &error), nullptr);
}

// A count word promising more records than the table holds: the whole ones register.
TEST(BankRegister, TableCutShortRegistersItsWholeRecordsAndSaysHowManyAreMissing) {
    test::TempFolder folder;
    ZQ_AudioSystem system;
    const std::string path = folder.file("cut.sad");
    ASSERT_TRUE(test::writeBankWithTableCutShort(path));
    std::vector<std::string> logged;
    ZQLogSetObserver([&](const ZQLogRecord& line) { logged.push_back(line.Text); });
    ZQBankError error = ZQBankError::Ok;
    ZQ_AudioBank* handle = system.ZQBankRegister(path.c_str(), 0, &error);
    ZQLogSetObserver({});
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(error, ZQBankError::RecordsMissing);
    ASSERT_EQ(handle->ZQGetBankSampleCount(), test::kCutShortWhole);
    EXPECT_EQ(handle->ZQGetFirstBankSample()[1].path, "/snd/x2.wav");
    const std::string missing = "2 records of the sample table could not be read";
    EXPECT_EQ(handle->ZQGetErrorText(), missing);
    EXPECT_EQ(logged, std::vector<std::string>{path + " - " + missing});
}

}  // namespace
}  // namespace quillon
