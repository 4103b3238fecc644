#include "formats/MpegHeader.h"

#include <array>
#include <cstdio>

namespace quillon {
namespace {

using BitrateTable = std::array<uint16_t, 16>;  // kbit/s by bitrate index

// ISO/IEC 11172-3 (MPEG-1). Index 0 is the free format and 15 is forbidden: both 0.
constexpr BitrateTable kMpeg1Layer1 = {0,   32,  64,  96,  128, 160, 192, 224,
                                       256, 288, 320, 352, 384, 416, 448, 0};
constexpr BitrateTable kMpeg1Layer2 = {0,   32,  48,  56,  64,  80,  96,  112,
                                       128, 160, 192, 224, 256, 320, 384, 0};
constexpr BitrateTable kMpeg1Layer3 = {0,   32,  40,  48,  56,  64,  80,  96,
                                       112, 128, 160, 192, 224, 256, 320, 0};
// ISO/IEC 13818-3 (MPEG-2 at the lower sample rates); layers II and III share a table.
constexpr BitrateTable kMpeg2Layer1 = {0,   32,  48,  56,  64,  80,  96,  112,
                                       128, 144, 160, 176, 192, 224, 256, 0};
constexpr BitrateTable kMpeg2Layer23 = {0,  8,  16, 24,  32,  40,  48,  56,
                                        64, 80, 96, 112, 128, 144, 160, 0};

constexpr std::array<uint32_t, 7> kSampleRates = {44100, 48000, 32000, 22050, 24000, 16000, 11025};

constexpr uint32_t bit(uint32_t h, int n) {
    return (h >> n) & 1;
}

uint32_t bitrateKbits(bool mpeg1, int layer, uint32_t bitrateIndex) {
    const BitrateTable* table = nullptr;
    switch (layer) {
        case 1:
            table = mpeg1 ? &kMpeg1Layer1 : &kMpeg2Layer1;
            break;
        case 2:
            table = mpeg1 ? &kMpeg1Layer2 : &kMpeg2Layer23;
            break;
        case 3:
            table = mpeg1 ? &kMpeg1Layer3 : &kMpeg2Layer23;
            break;
        default:
            return 0;  // the reserved layer has no table
    }
    return (*table)[bitrateIndex & 15];
}

uint32_t sampleRate(uint32_t h) {
    // Without bit 20 the stream is MPEG 2.5, whose rates all count as 11025 here.
    if (!bit(h, 20)) return kSampleRates[6];
    uint32_t position = (h >> 10) & 3;
    if (!bit(h, 19)) position += 3;  // MPEG-2 halves the MPEG-1 rates
    return kSampleRates[position % kSampleRates.size()];
}

}  // namespace

MpegHeaderInfo DecodeMpegHeader(uint32_t headerValue) {
    // The bits are numbered on the bytes read first byte highest.
    const uint32_t h = ((headerValue & 0xFF) << 24) | ((headerValue & 0xFF00) << 8) |
                       ((headerValue >> 8) & 0xFF00) | (headerValue >> 24);
    MpegHeaderInfo info;
    info.layer = 4 - int((h >> 17) & 3);
    const bool mpeg1 = bit(h, 20) && bit(h, 19);
    info.bitrate = 1000 * bitrateKbits(mpeg1, info.layer, (h >> 12) & 15);
    info.sampleRate = sampleRate(h);
    info.channels = (h & 0xC0) == 0xC0 ? 1 : 2;
    return info;
}

std::string GetMpegFormatText(const MpegHeaderInfo& info) {
    char text[64];
    std::snprintf(text, sizeof text, "  16-bit %u khz %s", unsigned(info.sampleRate / 1000),
                  info.channels == 1 ? "Mono" : "Stereo");
    return text;
}

std::string GetMpegCompressionText(const MpegHeaderInfo& info) {
    char text[64];
    std::snprintf(text, sizeof text, "Layer %d - %ukb", info.layer, unsigned(info.bitrate / 1000));
    return text;
}

WaveFormatBlock GetMpegWaveFormat(const MpegHeaderInfo& info) {
    WaveFormatBlock format;
    format.formatTag = 1;
    format.channels = uint16_t(info.channels);
    format.samplesPerSecond = info.sampleRate;
    format.averageBytesPerSecond = info.sampleRate * uint32_t(info.channels) * 2;
    format.blockAlign = uint16_t(info.channels * 2);
    format.bitsPerSample = 16;
    format.extraSize = 0;
    return format;
}

}  // namespace quillon
