// The names of a bank file's segments. The audio library and the bank writer and
// reader find segments by these names, so each must fit the container's 32-byte
// name field: a longer name would be cut on writing and never found again.
#pragma once

#include <string_view>

namespace quillon {

inline constexpr size_t kSegmentNameBytes = 32;

inline constexpr char ZQFileSegmentBankInfo[] = "ZQFileSegmentBankInfo";
inline constexpr char ZQFileSegmentWaveData[] = "ZQFileSegmentWaveData";
inline constexpr char ZQFileSegmentBankSampleTable[] = "ZQFileSegmentBankSampleTable";
inline constexpr char ZQFileSegmentListViewText[] = "ZQFileSegmentListViewText";
inline constexpr char ZQFileSegmentAnimArray[] = "ZQFileSegmentAnimArray";
inline constexpr char ZQFileSegmentAnimArrayWaveNumbers[] = "ZQFileSegmentAnimWaveNumbers";
// An older writer stored the wave numbers under a longer name cut to the name
// field; banks it wrote hold them under this name.
inline constexpr char ZQFileSegmentAnimArrayWaveNumbersCut[] = "ZQFileSegmentAnimArrayWaveNumber";

static_assert(std::string_view(ZQFileSegmentBankInfo).size() <= kSegmentNameBytes);
static_assert(std::string_view(ZQFileSegmentWaveData).size() <= kSegmentNameBytes);
static_assert(std::string_view(ZQFileSegmentBankSampleTable).size() <= kSegmentNameBytes);
static_assert(std::string_view(ZQFileSegmentListViewText).size() <= kSegmentNameBytes);
static_assert(std::string_view(ZQFileSegmentAnimArray).size() <= kSegmentNameBytes);
static_assert(std::string_view(ZQFileSegmentAnimArrayWaveNumbers).size() <= kSegmentNameBytes);
static_assert(std::string_view(ZQFileSegmentAnimArrayWaveNumbersCut).size() == kSegmentNameBytes);

}  // namespace quillon
