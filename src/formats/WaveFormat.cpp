#include "formats/WaveFormat.h"

namespace quillon {

void readWaveFormatBlock(LeReader& in, WaveFormatBlock& f) {
    f.formatTag = in.u16();
    f.channels = in.u16();
    f.samplesPerSecond = in.u32();
    f.averageBytesPerSecond = in.u32();
    f.blockAlign = in.u16();
    f.bitsPerSample = in.u16();
    f.extraSize = in.u16();
}

void writeWaveFormatBlock(LeWriter& out, const WaveFormatBlock& f) {
    out.u16(f.formatTag);
    out.u16(f.channels);
    out.u32(f.samplesPerSecond);
    out.u32(f.averageBytesPerSecond);
    out.u16(f.blockAlign);
    out.u16(f.bitsPerSample);
    out.u16(f.extraSize);
}

WaveFormatBlock decodeWaveFormatBlock(std::span<const uint8_t, kWaveFormatBlockBytes> bytes) {
    LeReader in(bytes);
    WaveFormatBlock f;
    readWaveFormatBlock(in, f);
    return f;
}

void encodeWaveFormatBlock(const WaveFormatBlock& format, std::vector<uint8_t>& out) {
    LeWriter w(out);
    writeWaveFormatBlock(w, format);
}

}  // namespace quillon
