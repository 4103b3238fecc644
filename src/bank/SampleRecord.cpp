#include "bank/SampleRecord.h"

#include "container/ByteOrder.h"
#include "platform/Text.h"

namespace quillon {

ZQ_BankSample decodeSampleRecord(std::span<const uint8_t, kSampleRecordBytes> bytes) {
    LeReader in(bytes);
    ZQ_BankSample r;
    r.path = in.text(kSamplePathBytes);
    r.sampleNumber = in.u32();
    r.waveOwner = in.u32();
    r.waveSize = in.u32();
    r.waveOffset = in.u32();
    r.cloneCount = in.u32();
    r.group = in.u16();
    r.atmosGroup = in.u16();
    in.skip(8);  // reserved
    readWaveFormatBlock(in, r.format);
    in.skip(2);  // reserved
    r.loopStart = in.i32();
    r.loopEnd = in.i32();
    r.description = in.text(kSampleDescriptionBytes);
    r.priority = in.u32();
    r.setFlags = in.u32();
    r.loopCount = in.i32();
    r.pan = in.i32();
    r.xPos = in.f32();
    r.yPos = in.f32();
    r.zPos = in.f32();
    r.volume = in.u16();
    r.userParam = in.u16();
    r.pitch = in.i32();
    r.pitchVariation = in.i32();
    r.minDist = in.f32();
    r.maxDist = in.f32();
    r.scale = in.f32();
    r.playType = in.u32();
    r.enabled = in.u32();
    r.atmos = in.i32();
    return r;
}

void encodeSampleRecord(const ZQ_BankSample& r, std::vector<uint8_t>& out) {
    LeWriter w(out);
    // Cut one short of the field so the text stays zero-terminated, and before
    // a character that would not fit.
    w.text(cutAtCharacter(r.path, kSamplePathBytes - 1), kSamplePathBytes);
    w.u32(r.sampleNumber);
    w.u32(r.waveOwner);
    w.u32(r.waveSize);
    w.u32(r.waveOffset);
    w.u32(r.cloneCount);
    w.u16(r.group);
    w.u16(r.atmosGroup);
    w.zeros(8);  // reserved
    writeWaveFormatBlock(w, r.format);
    w.zeros(2);  // reserved
    w.i32(r.loopStart);
    w.i32(r.loopEnd);
    w.text(cutAtCharacter(r.description, kSampleDescriptionBytes - 1), kSampleDescriptionBytes);
    w.u32(r.priority);
    w.u32(r.setFlags);
    w.i32(r.loopCount);
    w.i32(r.pan);
    w.f32(r.xPos);
    w.f32(r.yPos);
    w.f32(r.zPos);
    w.u16(r.volume);
    w.u16(r.userParam);
    w.i32(r.pitch);
    w.i32(r.pitchVariation);
    w.f32(r.minDist);
    w.f32(r.maxDist);
    w.f32(r.scale);
    w.u32(r.playType);
    w.u32(r.enabled);
    w.i32(r.atmos);
}

}  // namespace quillon
