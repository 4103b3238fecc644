// The record's image, checked by plain byte arithmetic, never by its own reader.
#include <gtest/gtest.h>

#include <bit>
#include <cstring>

#include "bank/SampleRecord.h"

namespace quillon {
namespace {

using Bytes = std::vector<uint8_t>;

uint32_t wordAt(const Bytes& b, size_t at, size_t width) {
    uint32_t v = 0;
    for (size_t i = width; i-- > 0;)
        v = v << 8 | b[at + i];
    return v;
}

ZQ_BankSample decode(const Bytes& b) {
    return decodeSampleRecord(std::span<const uint8_t, 640>(b.data(), 640));
}

// The one golden record: every field a distinct value at its own offset.
TEST(SampleRecord, ImageHoldsEveryFieldAtItsOffset) {
    ZQ_BankSample r;
    r.path = "/home/snd/wavs/door.wav";
    r.sampleNumber = 0x01020304, r.waveOwner = 0x05060708, r.waveSize = 0x090A0B0C;
    r.waveOffset = 0x0D0E0F10, r.cloneCount = 0x11121314, r.group = 0x1516;
    r.atmosGroup = 0x1718;
    r.format = {0x191A, 0x1B1C, 0x1D1E1F20, 0x21222324, 0x2526, 0x2728, 0};
    r.loopStart = -2, r.loopEnd = 0x292A2B2C, r.description = "creak";
    r.priority = 0x2D2E2F30, r.setFlags = 0x7FF, r.loopCount = -7, r.pan = 0x31323334;
    r.xPos = -12.0f, r.yPos = 3.5f, r.zPos = 1e6f, r.volume = 0x3536, r.userParam = 0x3738;
    r.pitch = 0x393A3B3C, r.pitchVariation = 0x3D3E3F40;
    r.minDist = 0.01f, r.maxDist = 9999.0f, r.scale = 0.7f;
    r.playType = 0x41424344, r.enabled = 1, r.atmos = -1;
    Bytes b;
    encodeSampleRecord(r, b);
    ASSERT_EQ(b.size(), 640u);
    EXPECT_STREQ(reinterpret_cast<const char*>(b.data()), "/home/snd/wavs/door.wav");
    EXPECT_STREQ(reinterpret_cast<const char*>(b.data() + 320), "creak");
    auto bits = [](float f) { return std::bit_cast<uint32_t>(f); };
    // clang-format off
    const struct { size_t at, width; uint32_t value; } fields[] = {
        {260, 4, 0x01020304}, {264, 4, 0x05060708}, {268, 4, 0x090A0B0C}, {272, 4, 0x0D0E0F10},
        {276, 4, 0x11121314}, {280, 2, 0x1516}, {282, 2, 0x1718}, {284, 4, 0}, {288, 4, 0},
        {292, 2, 0x191A}, {294, 2, 0x1B1C}, {296, 4, 0x1D1E1F20}, {300, 4, 0x21222324},
        {304, 2, 0x2526}, {306, 2, 0x2728}, {308, 4, 0}, {312, 4, 0xFFFFFFFE}, {316, 4, 0x292A2B2C},
        {576, 4, 0x2D2E2F30}, {580, 4, 0x7FF}, {584, 4, 0xFFFFFFF9}, {588, 4, 0x31323334},
        {592, 4, bits(-12.0f)}, {596, 4, bits(3.5f)}, {600, 4, bits(1e6f)}, {604, 2, 0x3536},
        {606, 2, 0x3738}, {608, 4, 0x393A3B3C}, {612, 4, 0x3D3E3F40}, {616, 4, bits(0.01f)},
        {620, 4, bits(9999.0f)}, {624, 4, bits(0.7f)}, {628, 4, 0x41424344}, {632, 4, 1},
        {636, 4, 0xFFFFFFFF}};
    // clang-format on
    for (const auto& f : fields)
        EXPECT_EQ(wordAt(b, f.at, f.width), f.value) << "offset " << f.at;
    EXPECT_EQ(decode(b), r);
}

// Texts are cut and terminated; one stored unterminated is read to its field's end.
TEST(SampleRecord, TextsAreCutToTheirFieldsBothWays) {
    ZQ_BankSample r;
    r.path = std::string(400, 'p');
    r.description = std::string(300, 'd');
    Bytes b;
    encodeSampleRecord(r, b);
    EXPECT_EQ((Bytes{b[258], b[259], b[574], b[575]}), (Bytes{'p', 0, 'd', 0}));
    EXPECT_EQ(std::tuple(decode(b).path.size(), decode(b).description.size()),
              std::tuple(size_t(259), size_t(255)));
    std::memset(b.data(), 'x', 260);
    std::memset(b.data() + 320, 'y', 256);
    EXPECT_EQ(decode(b).path + decode(b).description,
              std::string(260, 'x') + std::string(256, 'y'));
}

}  // namespace
}  // namespace quillon
