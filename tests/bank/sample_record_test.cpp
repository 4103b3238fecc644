// The record's byte image is checked against the field offsets with plain byte
// arithmetic, never through the record's own reader.
#include <gtest/gtest.h>

#include <cstring>

#include "bank/SampleRecord.h"

namespace quillon {
namespace {

uint32_t u32At(const std::vector<uint8_t>& b, size_t at) {
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (uint32_t(b[at + 3]) << 24);
}
uint16_t u16At(const std::vector<uint8_t>& b, size_t at) {
    return uint16_t(b[at] | (b[at + 1] << 8));
}
float f32At(const std::vector<uint8_t>& b, size_t at) {
    uint32_t bits = u32At(b, at);
    float f;
    std::memcpy(&f, &bits, 4);
    return f;
}

ZQ_BankSample everyFieldDistinct() {
    ZQ_BankSample r;
    r.path = "/home/snd/wavs/door.wav";
    r.sampleNumber = 0x01020304;
    r.waveOwner = 0x05060708;
    r.waveSize = 0x090A0B0C;
    r.waveOffset = 0x0D0E0F10;
    r.cloneCount = 0x11121314;
    r.group = 0x1516;
    r.atmosGroup = 0x1718;
    r.format = {0x191A, 0x1B1C, 0x1D1E1F20, 0x21222324, 0x2526, 0x2728, 0};
    r.loopStart = -2;
    r.loopEnd = 0x292A2B2C;
    r.description = "creak";
    r.priority = 0x2D2E2F30;
    r.setFlags = 0x7FF;
    r.loopCount = -7;
    r.pan = 0x31323334;
    r.xPos = -12.0f;
    r.yPos = 3.5f;
    r.zPos = 1e6f;
    r.volume = 0x3536;
    r.userParam = 0x3738;
    r.pitch = 0x393A3B3C;
    r.pitchVariation = 0x3D3E3F40;
    r.minDist = 0.01f;
    r.maxDist = 9999.0f;
    r.scale = 0.7f;
    r.playType = 0x41424344;
    r.enabled = 1;
    r.atmos = -1;
    return r;
}

TEST(SampleRecord, ImageHoldsEveryFieldAtItsOffset) {
    std::vector<uint8_t> b;
    encodeSampleRecord(everyFieldDistinct(), b);
    ASSERT_EQ(b.size(), 640u);
    EXPECT_STREQ(reinterpret_cast<const char*>(b.data()), "/home/snd/wavs/door.wav");
    EXPECT_EQ(b[259], 0);
    EXPECT_EQ(u32At(b, 260), 0x01020304u);
    EXPECT_EQ(u32At(b, 264), 0x05060708u);
    EXPECT_EQ(u32At(b, 268), 0x090A0B0Cu);
    EXPECT_EQ(u32At(b, 272), 0x0D0E0F10u);
    EXPECT_EQ(u32At(b, 276), 0x11121314u);
    EXPECT_EQ(u16At(b, 280), 0x1516);
    EXPECT_EQ(u16At(b, 282), 0x1718);
    EXPECT_EQ(u32At(b, 284), 0u);
    EXPECT_EQ(u32At(b, 288), 0u);
    EXPECT_EQ(u16At(b, 292), 0x191A);
    EXPECT_EQ(u16At(b, 294), 0x1B1C);
    EXPECT_EQ(u32At(b, 296), 0x1D1E1F20u);
    EXPECT_EQ(u32At(b, 300), 0x21222324u);
    EXPECT_EQ(u16At(b, 304), 0x2526);
    EXPECT_EQ(u16At(b, 306), 0x2728);
    EXPECT_EQ(u16At(b, 308), 0);
    EXPECT_EQ(u16At(b, 310), 0);
    EXPECT_EQ(int32_t(u32At(b, 312)), -2);
    EXPECT_EQ(u32At(b, 316), 0x292A2B2Cu);
    EXPECT_STREQ(reinterpret_cast<const char*>(b.data() + 320), "creak");
    EXPECT_EQ(u32At(b, 576), 0x2D2E2F30u);
    EXPECT_EQ(u32At(b, 580), 0x7FFu);
    EXPECT_EQ(int32_t(u32At(b, 584)), -7);
    EXPECT_EQ(u32At(b, 588), 0x31323334u);
    EXPECT_EQ(f32At(b, 592), -12.0f);
    EXPECT_EQ(f32At(b, 596), 3.5f);
    EXPECT_EQ(f32At(b, 600), 1e6f);
    EXPECT_EQ(u16At(b, 604), 0x3536);
    EXPECT_EQ(u16At(b, 606), 0x3738);
    EXPECT_EQ(u32At(b, 608), 0x393A3B3Cu);
    EXPECT_EQ(u32At(b, 612), 0x3D3E3F40u);
    EXPECT_EQ(f32At(b, 616), 0.01f);
    EXPECT_EQ(f32At(b, 620), 9999.0f);
    EXPECT_EQ(f32At(b, 624), 0.7f);
    EXPECT_EQ(u32At(b, 628), 0x41424344u);
    EXPECT_EQ(u32At(b, 632), 1u);
    EXPECT_EQ(int32_t(u32At(b, 636)), -1);
}

TEST(SampleRecord, DecodeReadsBackWhatEncodeWrote) {
    std::vector<uint8_t> b;
    ZQ_BankSample r = everyFieldDistinct();
    encodeSampleRecord(r, b);
    ZQ_BankSample back = decodeSampleRecord(std::span<const uint8_t, 640>(b.data(), 640));
    EXPECT_EQ(back, r);
}

TEST(SampleRecord, DefaultRecordIsAnAllZeroSlot) {
    std::vector<uint8_t> b;
    encodeSampleRecord(ZQ_BankSample(), b);
    EXPECT_EQ(b, std::vector<uint8_t>(640, 0));
}

TEST(SampleRecord, OverlongTextsAreCutAndStayTerminated) {
    ZQ_BankSample r;
    r.path = std::string(400, 'p');
    r.description = std::string(300, 'd');
    std::vector<uint8_t> b;
    encodeSampleRecord(r, b);
    ASSERT_EQ(b.size(), 640u);
    EXPECT_EQ(b[258], 'p');
    EXPECT_EQ(b[259], 0);
    EXPECT_EQ(b[320 + 254], 'd');
    EXPECT_EQ(b[320 + 255], 0);
    ZQ_BankSample back = decodeSampleRecord(std::span<const uint8_t, 640>(b.data(), 640));
    EXPECT_EQ(back.path.size(), 259u);
    EXPECT_EQ(back.description.size(), 255u);
}

TEST(SampleRecord, UnterminatedStoredTextIsReadToItsFieldEnd) {
    std::vector<uint8_t> b(640, 0);
    std::memset(b.data(), 'x', 260);
    std::memset(b.data() + 320, 'y', 256);
    ZQ_BankSample r = decodeSampleRecord(std::span<const uint8_t, 640>(b.data(), 640));
    EXPECT_EQ(r.path, std::string(260, 'x'));
    EXPECT_EQ(r.description, std::string(256, 'y'));
}

}  // namespace
}  // namespace quillon
