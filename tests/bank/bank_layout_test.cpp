#include <gtest/gtest.h>

#include "bank/BankLayout.h"
#include "container/ByteOrder.h"

namespace quillon {
namespace {

std::vector<uint8_t> words(std::initializer_list<uint32_t> values) {
    std::vector<uint8_t> out;
    LeWriter w(out);
    for (uint32_t v : values)
        w.u32(v);
    return out;
}

// The bank information record's bytes: Who stored reversed, texts cut to their
// limits, a short record refused.
TEST(BankInfo, WhoIsStoredReversedAndReadBackInOrder) {
    std::vector<uint8_t> bytes;
    encodeBankInfo({true, "Forest", "abc"}, bytes);
    ASSERT_EQ(bytes.size(), 532u);
    EXPECT_EQ(loadU32(bytes.data() + 8), 1u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(bytes.data() + 12)), "Forest");
    EXPECT_EQ(std::vector<uint8_t>(bytes.begin() + 272, bytes.begin() + 276),
              (std::vector<uint8_t>{'c', 'b', 'a', 0}));
    auto info = decodeBankInfo(bytes);
    ASSERT_TRUE(info);
    EXPECT_TRUE(info->musicBank);
    EXPECT_EQ(info->title, "Forest");
    EXPECT_EQ(info->who, "abc");

    bytes.clear();
    encodeBankInfo({false, std::string(300, 't'), std::string(300, 'w')}, bytes);
    info = decodeBankInfo(bytes);
    ASSERT_TRUE(info);
    EXPECT_FALSE(info->musicBank);
    EXPECT_EQ(info->title.size(), 259u);
    EXPECT_EQ(info->who.size(), 255u);
    EXPECT_FALSE(decodeBankInfo(std::vector<uint8_t>(531, 0)));
}

// Every reader takes the records that stand whole, up to the count word's
// promise, and learns how many promised records are missing; a reader that
// loads only sampleTableBytesToRead bytes decodes the same.
TEST(SampleTable, DecodesTheWholeRecordsAndCountsTheMissingOnes) {
    const struct {
        const char* name;
        uint32_t countWord, recordsStored;
        size_t extraBytes, whole;
        uint32_t missing;
    } cases[] = {
        {"count as stored", 2, 2, 0, 2, 0},
        {"count past the table", 5, 2, 0, 2, 3},
        {"a partial record is missing", 3, 2, 639, 2, 1},
        {"count below the table", 1, 2, 0, 1, 0},
        {"ambient half ignored", 7u << 16 | 2, 2, 0, 2, 0},
        {"no records", 0, 0, 0, 0, 0},
    };
    for (const auto& c : cases) {
        std::vector<uint8_t> table = words({c.countWord});
        for (uint32_t n = 1; n <= c.recordsStored; ++n) {
            ZQ_BankSample record;
            record.sampleNumber = n;
            encodeSampleRecord(record, table);
        }
        table.resize(table.size() + c.extraBytes, 0xEE);
        const uint64_t toRead = sampleTableBytesToRead(c.countWord, table.size());
        EXPECT_EQ(toRead, kSampleTableHeaderBytes + c.whole * kSampleRecordBytes) << c.name;
        for (size_t bytes : {table.size(), size_t(toRead)}) {
            auto decoded = decodeSampleTable(std::span(table).first(bytes));
            ASSERT_TRUE(decoded) << c.name;
            EXPECT_EQ(decoded->records.size(), c.whole) << c.name;
            EXPECT_EQ(decoded->missingRecords, c.missing) << c.name;
            if (c.whole > 0) {
                EXPECT_EQ(decoded->records.back().sampleNumber, c.whole) << c.name;
            }
        }
    }
    EXPECT_FALSE(decodeSampleTable(std::vector<uint8_t>{5, 0, 0})) << "no count word";
    EXPECT_EQ(missingRecordsText(1), "1 record of the sample table could not be read");
}

// Count words are never renumbered; a hostile count stops at the end, and a
// trailing partial word is carried unchanged.
TEST(AnimWaveNumbers, CountWordsAreNeverRenumbered) {
    EXPECT_EQ(renumberAnimWaveNumbers(words({1, 1, 2, 5, 1}), {{1, 9}, {2, 8}}),
              words({1, 9, 2, 5, 9}));
    auto in = words({0xFFFFFFFF, 4, 5});
    in.push_back(0xAB);
    auto out = renumberAnimWaveNumbers(in, {{4, 1}});
    EXPECT_EQ(out.size(), in.size());
    EXPECT_EQ(loadU32(out.data() + 4), 1u);
    EXPECT_EQ(out.back(), 0xAB);
    EXPECT_TRUE(animWaveNumbersContain(in, 5));
    EXPECT_FALSE(animWaveNumbersContain(in, 0xFFFFFFFF));
}

}  // namespace
}  // namespace quillon
