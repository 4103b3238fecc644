// The row record behind every list row: fixed-width copies of the cell texts
// (the columns' sort keys) and the few binary values a row carries.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "bank/FixedText.h"
#include "bank/SampleRecord.h"

namespace quillon {

struct SampleListRow {
    FixedText<10> cloneKey;       // column 4, "%.4d"
    FixedText<10> noKey;          // column 0, "%.4d"
    FixedText<260> name;          // column 1
    FixedText<260> location;      // column 2
    FixedText<10> bank;           // column 3
    FixedText<40> format;         // column 5
    FixedText<30> compression;    // column 6
    FixedText<11> sizeKey;        // column 7, "%.8d"
    FixedText<256> description;   // column 8
    FixedText<10> priorityKey;    // column 9
    FixedText<10> groupKey;       // column 10
    FixedText<10> atmosGroupKey;  // column 11
    FixedText<10> pitchKey;       // column 19
    FixedText<10> pitchVarKey;    // column 20
    FixedText<10> panKey;         // column 21
    FixedText<10> volumeKey;      // column 13
    FixedText<10> userParamKey;   // column 14
    FixedText<10> loopKey;        // column 16
    FixedText<15> lStartKey;      // column 17
    FixedText<15> lEndKey;        // column 18
    FixedText<10> minDistKey;     // column 25
    FixedText<10> maxDistKey;     // column 26
    FixedText<10> scaleKey;       // column 27
    FixedText<10> xPosKey;        // column 22
    FixedText<10> yPosKey;        // column 23
    FixedText<10> zPosKey;        // column 24
    FixedText<20> playType;       // column 15
    FixedText<13> atmosKey;       // column 12

    // The record this row was built from when a bank was opened or saved; none
    // for a row added since. The row keeps its own copy, so it never points
    // into a bank that was released.
    std::optional<ZQ_BankSample> sampleRecord;
    uint32_t loadNumber = 0;      // the row's No when it was built from the bank
    uint32_t waveOwner = 0;       // set by the writer
    uint32_t waveOffset = 0;      // set by the writer
    uint32_t mpegDescriptor = 0;  // frame header of a music section; 0 for WAV samples
    uint32_t enabled = 0;         // the playback flag as it was when the row was built
    WaveFormatBlock waveFormat;   // set for music sections

    // The sort key of a column (0 to 27).
    std::string_view sortKey(int column) const;
    // Stores the sort key of a column.
    void setSortKey(int column, std::string_view key);
};

}  // namespace quillon
