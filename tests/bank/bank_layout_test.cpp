#include <gtest/gtest.h>

#include <array>

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

// Who is stored reversed; texts are cut to their limits; a short record is refused.
TEST(BankInfo, WhoIsStoredReversedAndReadBackInOrder) {
    std::vector<uint8_t> bytes;
    encodeBankInfo({true, "Forest", "abc"}, bytes);
    ASSERT_EQ(bytes.size(), 532u);
    EXPECT_EQ(std::string(bytes.begin() + 8, bytes.begin() + 19),
              std::string("\1\0\0\0Forest\0", 11));
    EXPECT_EQ(std::string(bytes.begin() + 272, bytes.begin() + 276), std::string("cba\0", 4));
    auto info = decodeBankInfo(bytes);
    EXPECT_EQ(std::tuple(info->musicBank, info->title, info->who),
              std::tuple(true, "Forest", "abc"));
    bytes.clear();
    encodeBankInfo({false, std::string(300, 't'), std::string(300, 'w')}, bytes);
    info = decodeBankInfo(bytes);
    EXPECT_EQ(std::tuple(info->musicBank, info->title.size(), info->who.size()),
              std::tuple(false, size_t(259), size_t(255)));
    EXPECT_FALSE(decodeBankInfo(std::vector<uint8_t>(531, 0)));
}

// Only whole records, up to the count word's promise; the rest are counted missing.
TEST(SampleTable, DecodesTheWholeRecordsAndCountsTheMissingOnes) {
    // count word, records stored, bytes after them, records whole, records missing
    const std::array<uint32_t, 5> cases[] = {
        {2, 2, 0, 2, 0},
        {5, 2, 0, 2, 3},
        {3, 2, 639, 2, 1},
        {1, 2, 0, 1, 0},
        {7u << 16 | 2, 2, 0, 2, 0},  // the ambient half is ignored
        {0, 0, 0, 0, 0}};
    for (auto [countWord, stored, extra, whole, missing] : cases) {
        std::vector<uint8_t> table = words({countWord});
        for (uint32_t n = 1; n <= stored; ++n) {
            ZQ_BankSample record;
            record.sampleNumber = n;
            encodeSampleRecord(record, table);
        }
        table.resize(table.size() + extra, 0xEE);
        const uint64_t toRead = sampleTableBytesToRead(countWord, table.size());
        EXPECT_EQ(toRead, kSampleTableHeaderBytes + whole * kSampleRecordBytes) << countWord;
        for (size_t bytes : {table.size(), size_t(toRead)}) {
            auto decoded = decodeSampleTable(std::span(table).first(bytes));
            ASSERT_TRUE(decoded) << countWord;
            EXPECT_EQ(std::tuple(decoded->records.size(), decoded->missingRecords),
                      std::tuple(size_t(whole), missing))
                << countWord;
            EXPECT_TRUE(whole == 0 || decoded->records.back().sampleNumber == whole);
        }
    }
    EXPECT_FALSE(decodeSampleTable(std::vector<uint8_t>{5, 0, 0})) << "no count word";
}

// A hostile count stops at the end; a trailing partial word is carried unchanged.
TEST(AnimWaveNumbers, CountWordsAreNeverRenumbered) {
    EXPECT_EQ(renumberAnimWaveNumbers(words({1, 1, 2, 5, 1}), {{1, 9}, {2, 8}}),
              words({1, 9, 2, 5, 9}));
    auto in = words({0xFFFFFFFF, 4, 5});
    in.push_back(0xAB);
    auto out = words({0xFFFFFFFF, 1, 5});
    out.push_back(0xAB);
    EXPECT_EQ(renumberAnimWaveNumbers(in, {{4, 1}}), out);
    EXPECT_TRUE(animWaveNumbersContain(in, 5));
    EXPECT_FALSE(animWaveNumbersContain(in, 0xFFFFFFFF));
}

}  // namespace
}  // namespace quillon
