// Banks an older writer made, saved again through the document: what they
// store that this program would write otherwise keeps its bytes.
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

// The fixture kit's record of sample 1 with its path, flags and Play Type
// fields written over.
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
    // Writes a new bank (its sample table holding the records, then the
    // segments given) and opens it.
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
    bool resave() { return doc.OnSaveDocument(path); }
    // The bytes of a segment of the saved bank; empty when it has none of the name.
    Bytes savedSegment(const std::string& name) {
        test::InspectedBank bank = test::inspectBank(path);
        for (const test::InspectedSegment& s : bank.segments)
            if (s.name == name)
                return Bytes(bank.bytes.begin() + long(s.dataOffset),
                             bank.bytes.begin() + long(s.dataOffset + s.size));
        return {};
    }
    Bytes savedFirstRecord() {
        Bytes table = savedSegment(ZQFileSegmentBankSampleTable);
        auto first = table.begin() + long(kSampleTableHeaderBytes);
        return table.size() < kSampleTableHeaderBytes + kSampleRecordBytes
                   ? Bytes()
                   : Bytes(first, first + long(kSampleRecordBytes));
    }

    test::TempFolder dir;
    std::string path;
    int banks = 0;
    test::FakeShell shell;
    CQuillonDoc doc{shell, nullptr};
};

// A path written with "\" separators is stored again byte for byte while the
// row's Location and Name are the ones read from it; a Replace stores the new
// file's path.
TEST_F(OlderBank, BackslashPathsKeepTheirBytesUntilTheRowTakesAnotherFile) {
    const struct {
        const char* label;
        const char* stored;
        bool replaced;
    } cases[] = {{"relative path", "sounds\\door.wav", false},
                 {"path with a drive", "C:\\snd\\door.wav", false},
                 {"replaced row", "C:\\snd\\door.wav", true}};
    std::string replacement = dir.file("gate.wav");
    test::writeFile(replacement, test::makePcmWav({}));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        Bytes record = olderRecord(c.stored);
        open({record});
        EXPECT_EQ(doc.rows().cell(0, kColName), "door.wav");
        if (c.replaced) {
            WaveIndex index(doc.rows());
            ASSERT_TRUE(AddWave(doc, index, replacement, WaveAddMode::Replace, 0));
        }
        ASSERT_TRUE(resave());
        if (c.replaced)
            EXPECT_EQ(test::inspectBank(path).records.at(0).path, replacement);
        else
            EXPECT_EQ(savedFirstRecord(), record);
    }
}

// The wave numbers of the animation data may stand under the older writer's
// cut name: the delete check reads them there, and a save renumbers them and
// keeps them under the name they had.
TEST_F(OlderBank, AnimationWaveNumbersAreReadAndKeptUnderEitherName) {
    for (const char* name :
         {ZQFileSegmentAnimArrayWaveNumbers, ZQFileSegmentAnimArrayWaveNumbersCut}) {
        SCOPED_TRACE(name);
        shell.messages.clear();
        // One group of one wave number: sample 3.
        open({test::storedRecord(1), test::storedRecord(2), test::storedRecord(3)},
             {{ZQFileSegmentAnimArray, {1, 2, 3}},
              {ZQFileSegmentListViewText, {'t', 'x', 't'}},
              {name, test::u32Words({1, 3})}});
        doc.rows().setSelected(2, true);
        deleteSelectedRows(doc);
        EXPECT_EQ(shell.messageTexts(), std::vector<std::string>{"sample 3 in use by anim data"});
        ASSERT_EQ(doc.rows().size(), 3);
        doc.rows().setSelected(1, true);
        deleteSelectedRows(doc);
        doc.rows().setCell(1, kColNo, "2");
        ASSERT_TRUE(resave());
        EXPECT_EQ(savedSegment(name), test::u32Words({1, 2}));
        EXPECT_EQ(savedSegment(ZQFileSegmentListViewText), (Bytes{'t', 'x', 't'}));
        std::vector<std::string> names;
        for (const test::InspectedSegment& s : test::inspectBank(path).segments)
            names.push_back(s.name);
        EXPECT_EQ(names,
                  (std::vector<std::string>{ZQFileSegmentBankInfo, ZQFileSegmentWaveData,
                                            ZQFileSegmentBankSampleTable, ZQFileSegmentAnimArray,
                                            ZQFileSegmentListViewText, name}));
    }
}

// A Play Type field of 4 or more is a music section's MPEG descriptor whether
// or not the Play Type bit is set beside it: it is shown, and a save keeps
// the field and the bit as they were.
TEST_F(OlderBank, AnMpegDescriptorIsShownAndKeptWhateverThePlayTypeBit) {
    constexpr uint32_t kDescriptor = 0x00A4FDFF;  // MPEG-1 layer II, 192 kbit/s
    for (uint32_t flags : {0u, uint32_t(kFlagPlayType), uint32_t(kFlagPlayType | kFlagVolume)}) {
        SCOPED_TRACE(flags);
        Bytes record = olderRecord("/snd/sect0000.mpg", flags, kDescriptor);
        open({record});
        EXPECT_EQ(doc.rows().cell(0, kColCompression), "Layer 2 - 192kb");
        EXPECT_EQ(doc.rows().row(0).mpegDescriptor, kDescriptor);
        ASSERT_TRUE(resave());
        EXPECT_EQ(savedFirstRecord(), record);
    }
}

}  // namespace
}  // namespace quillon
