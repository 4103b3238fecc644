// Banks an older writer made keep, saved again, the bytes this program would not write.
#include <gtest/gtest.h>

#include <algorithm>

#include "bank/BankLayout.h"
#include "bank/ListOps.h"
#include "bank/QuillonDoc.h"
#include "bank/SampleRecord.h"
#include "bank/SegmentNames.h"
#include "container/ByteOrder.h"
#include "operations/SampleOps.h"
#include "support/BankFixtures.h"
#include "support/BankInspector.h"
#include "support/FakeShell.h"
#include "support/TempFolder.h"
#include "support/WavBuilder.h"

namespace quillon {
namespace {

using Bytes = std::vector<uint8_t>;

// The kit's record of sample 1 with its path, flags and Play Type written over.
Bytes olderRecord(const std::string& path, uint32_t flags = 0, uint32_t playType = 0) {
    Bytes record = test::storedRecord(1);
    std::fill_n(record.begin() + record_offset::kPath, kSamplePathBytes, 0);
    std::copy(path.begin(), path.end(), record.begin() + record_offset::kPath);
    storeU32(record.data() + record_offset::kSetFlags, flags);
    storeU32(record.data() + record_offset::kPlayType, playType);
    return record;
}

class OlderBank : public testing::Test {
  protected:
    // Writes a bank of these records and segments after them, and opens it.
    void open(const std::vector<Bytes>& records, const std::vector<test::Segment>& after = {}) {
        path = dir.file("older" + std::to_string(++banks) + ".sad");
        std::vector<test::Segment> segments = {
            {ZQFileSegmentBankInfo, test::blankBankInfo()},
            {ZQFileSegmentWaveData, {}},
            {ZQFileSegmentBankSampleTable, test::sampleTable(uint32_t(records.size()), records)}};
        segments.insert(segments.end(), after.begin(), after.end());
        ASSERT_TRUE(test::writeContainer(path, segments));
        ASSERT_TRUE(doc.OnOpenDocument(path));
    }
    // Saves the bank again; its segments' names and bytes, in order.
    std::vector<test::Segment> resave() {
        EXPECT_TRUE(doc.OnSaveDocument(path));
        test::InspectedBank bank = test::inspectBank(path);
        std::vector<test::Segment> segments;
        for (const test::InspectedSegment& s : bank.segments)
            segments.push_back({s.name, Bytes(bank.bytes.begin() + long(s.dataOffset),
                                              bank.bytes.begin() + long(s.dataOffset + s.size))});
        return segments;
    }
    Bytes resavedRecord() {
        Bytes table = resave().at(2).second;
        table.resize(kSampleTableHeaderBytes + kSampleRecordBytes);
        return Bytes(table.begin() + kSampleTableHeaderBytes, table.end());
    }

    test::TempFolder dir;
    std::string path;
    int banks = 0;
    test::FakeShell shell;
    CQuillonDoc doc{shell, nullptr};
};

// Backslash paths are stored again byte for byte until a Replace gives a new file.
TEST_F(OlderBank, BackslashPathsKeepTheirBytesUntilTheRowTakesAnotherFile) {
    for (const char* stored : {"sounds\\door.wav", "C:\\snd\\door.wav"}) {
        open({olderRecord(stored)});
        EXPECT_EQ(doc.rows().cell(0, kColName), "door.wav");
        EXPECT_EQ(resavedRecord(), olderRecord(stored)) << stored;
    }
    std::string replacement = dir.file("gate.wav");
    test::writeFile(replacement, test::makePcmWav({}));
    WaveIndex index(doc.rows());
    ASSERT_TRUE(AddWave(doc, index, replacement, WaveAddMode::Replace, 0));
    ASSERT_TRUE(doc.OnSaveDocument(path));
    EXPECT_EQ(test::inspectBank(path).records.at(0).path, replacement);
}

// Wave numbers under either segment name are read, renumbered and kept in place.
TEST_F(OlderBank, AnimationWaveNumbersAreReadAndKeptUnderEitherName) {
    for (const char* name :
         {ZQFileSegmentAnimArrayWaveNumbers, ZQFileSegmentAnimArrayWaveNumbersCut}) {
        shell.messages.clear();
        const std::vector<test::Segment> anim = {{ZQFileSegmentAnimArray, {1, 2, 3}},
                                                 {ZQFileSegmentListViewText, {'t', 'x', 't'}},
                                                 {name, test::u32Words({1, 3})}};  // sample 3
        open({test::storedRecord(1), test::storedRecord(2), test::storedRecord(3)}, anim);
        doc.rows().setSelected(2, true);
        deleteSelectedRows(doc);
        EXPECT_EQ(shell.messageTexts(), std::vector<std::string>{"sample 3 in use by anim data"});
        doc.rows().setSelected(1, true);
        deleteSelectedRows(doc);
        doc.rows().setCell(1, kColNo, "2");
        std::vector<test::Segment> saved = resave();
        ASSERT_EQ(saved.size(), 6u);
        EXPECT_EQ(std::vector(saved.begin() + 3, saved.end()),
                  (std::vector<test::Segment>{anim[0], anim[1], {name, test::u32Words({1, 2})}}));
    }
}

// A Play Type of 4 or more is an MPEG descriptor, with or without the Play Type bit.
TEST_F(OlderBank, AnMpegDescriptorIsShownAndKeptWhateverThePlayTypeBit) {
    constexpr uint32_t kDescriptor = 0x00A4FDFF;  // MPEG-1 layer II, 192 kbit/s
    for (uint32_t flags : {0u, uint32_t(kFlagPlayType), uint32_t(kFlagPlayType | kFlagVolume)}) {
        Bytes record = olderRecord("/snd/sect0000.mpg", flags, kDescriptor);
        open({record});
        EXPECT_EQ(doc.rows().cell(0, kColCompression), "Layer 2 - 192kb");
        EXPECT_EQ(resavedRecord(), record) << flags;
    }
}

}  // namespace
}  // namespace quillon
