#include "support/WavBuilder.h"

#include <cmath>
#include <numbers>
#include <stdexcept>

#include "container/ByteOrder.h"
#include "formats/RiffReader.h"

namespace quillon::test {

namespace {

void appendFourCC(Bytes& out, std::string_view text) {
    if (text.size() != 4) throw std::invalid_argument("chunk id or type must have 4 characters");
    out.insert(out.end(), text.begin(), text.end());
}

Bytes textBytes(std::string_view text, bool zeroTerminated) {
    Bytes bytes(text.begin(), text.end());
    if (zeroTerminated) bytes.push_back(0);
    return bytes;
}

}  // namespace

RiffChunkSpec RiffChunkSpec::declaring(uint32_t size) const {
    RiffChunkSpec copy = *this;
    copy.declaredSize = size;
    return copy;
}

RiffChunkSpec RiffChunkSpec::withoutPad() const {
    RiffChunkSpec copy = *this;
    copy.writePad = false;
    return copy;
}

RiffChunkSpec RiffChunkSpec::cutTo(size_t bytes) const {
    RiffChunkSpec copy = *this;
    copy.keepBytes = bytes;
    return copy;
}

void RiffChunkSpec::encodeTo(Bytes& out) const {
    Bytes body;
    if (!type.empty()) {
        appendFourCC(body, type);
        for (const RiffChunkSpec& child : children)
            child.encodeTo(body);
    } else {
        body = data;
    }
    const size_t start = out.size();
    appendFourCC(out, id);
    LeWriter(out).u32(declaredSize.value_or(uint32_t(body.size())));
    out.insert(out.end(), body.begin(), body.end());
    // The pad follows the true body size, which is what a writer knows.
    if (writePad) out.resize(out.size() + (riffPaddedSize(uint32_t(body.size())) - body.size()), 0);
    if (keepBytes && *keepBytes < out.size() - start) out.resize(start + *keepBytes);
}

Bytes RiffChunkSpec::encode() const {
    Bytes out;
    encodeTo(out);
    return out;
}

Bytes encodeRiff(const std::vector<RiffChunkSpec>& chunks) {
    Bytes out;
    for (const RiffChunkSpec& spec : chunks)
        spec.encodeTo(out);
    return out;
}

RiffChunkSpec chunk(std::string_view id, Bytes data) {
    RiffChunkSpec spec;
    spec.id = std::string(id);
    spec.data = std::move(data);
    return spec;
}

RiffChunkSpec textChunk(std::string_view id, std::string_view text, bool zeroTerminated) {
    return chunk(id, textBytes(text, zeroTerminated));
}

RiffChunkSpec listChunk(std::string_view type, std::vector<RiffChunkSpec> children) {
    RiffChunkSpec spec;
    spec.id = fourCCText(kListId);
    spec.type = std::string(type);
    spec.children = std::move(children);
    return spec;
}

RiffChunkSpec riffChunk(std::string_view form, std::vector<RiffChunkSpec> children) {
    RiffChunkSpec spec = listChunk(form, std::move(children));
    spec.id = fourCCText(kRiffId);
    return spec;
}

RiffChunkSpec waveRiff(std::vector<RiffChunkSpec> children) {
    return riffChunk(fourCCText(kWaveForm), std::move(children));
}

WaveFormatBlock pcmFormat(uint16_t channels, uint32_t samplesPerSecond, uint16_t bitsPerSample) {
    WaveFormatBlock format;
    format.formatTag = 1;
    format.channels = channels;
    format.samplesPerSecond = samplesPerSecond;
    format.blockAlign = uint16_t(channels * ((bitsPerSample + 7) / 8));
    format.averageBytesPerSecond = samplesPerSecond * format.blockAlign;
    format.bitsPerSample = bitsPerSample;
    return format;
}

RiffChunkSpec fmtChunk(const WaveFormatBlock& format, size_t chunkBytes) {
    Bytes block;
    encodeWaveFormatBlock(format, block);
    block.resize(chunkBytes, 0);
    return chunk(fourCCText(kFormatId), std::move(block));
}

RiffChunkSpec dataChunk(Bytes audio) {
    return chunk(fourCCText(kDataId), std::move(audio));
}

Bytes sinePcm(const SineWave& sine) {
    const unsigned bytesPerSample = (sine.bits + 7u) / 8u;
    if (bytesPerSample < 1 || bytesPerSample > 4) throw std::invalid_argument("bits must be 8..32");
    const double fullScale = std::ldexp(1.0, int(bytesPerSample * 8 - 1)) - 1.0;
    Bytes out;
    out.reserve(size_t(sine.frames) * sine.channels * bytesPerSample);
    for (uint32_t frame = 0; frame < sine.frames; ++frame) {
        double phase = 2.0 * std::numbers::pi * sine.frequency * frame / sine.rate;
        auto value = int32_t(std::lround(std::sin(phase) * sine.amplitude * fullScale));
        // 8-bit WAV samples are unsigned with 128 as silence.
        uint32_t stored = bytesPerSample == 1 ? uint32_t(value + 128) : uint32_t(value);
        for (uint16_t channel = 0; channel < sine.channels; ++channel)
            for (unsigned b = 0; b < bytesPerSample; ++b)
                out.push_back(uint8_t(stored >> (8 * b)));
    }
    return out;
}

RiffChunkSpec cueChunk(const std::vector<CuePointSpec>& points,
                       std::optional<uint32_t> declaredCount) {
    Bytes body;
    LeWriter out(body);
    out.u32(declaredCount.value_or(uint32_t(points.size())));
    for (const CuePointSpec& point : points) {
        out.u32(point.id);
        out.u32(point.position);
        out.u32(kDataId);         // chunk the point lies in
        out.u32(0);               // chunk start
        out.u32(0);               // block start
        out.u32(point.position);  // sample offset
    }
    return chunk(fourCCText(kCueId), std::move(body));
}

RiffChunkSpec lablChunk(uint32_t cueId, std::string_view text, bool zeroTerminated) {
    Bytes body;
    LeWriter(body).u32(cueId);
    Bytes textPart = textBytes(text, zeroTerminated);
    body.insert(body.end(), textPart.begin(), textPart.end());
    return chunk(fourCCText(kLabelId), std::move(body));
}

RiffChunkSpec ltxtChunk(uint32_t cueId, uint32_t sampleLength) {
    Bytes body;
    LeWriter out(body);
    out.u32(cueId);
    out.u32(sampleLength);
    appendFourCC(body, "rgn ");
    out.zeros(8);  // country, language, dialect, code page
    return chunk(fourCCText(kLabelledTextId), std::move(body));
}

RiffChunkSpec adtlList(std::vector<RiffChunkSpec> children) {
    return listChunk(fourCCText(kAdtlList), std::move(children));
}

RiffChunkSpec infoText(std::string_view id, std::string_view text, bool zeroTerminated) {
    return textChunk(id, text, zeroTerminated);
}

RiffChunkSpec infoList(std::vector<RiffChunkSpec> children) {
    return listChunk(fourCCText(kInfoList), std::move(children));
}

std::vector<RiffChunkSpec> pcmWavChunks(const PcmWavSpec& spec) {
    std::vector<RiffChunkSpec> chunks;
    chunks.push_back(fmtChunk(pcmFormat(spec.channels, spec.rate, spec.bits)));
    SineWave sine;
    sine.frequency = spec.frequency;
    sine.rate = spec.rate;
    sine.bits = spec.bits;
    sine.channels = spec.channels;
    sine.frames = spec.frames;
    chunks.push_back(dataChunk(sinePcm(sine)));
    if (spec.loop) {
        const LoopSpec& loop = *spec.loop;
        chunks.push_back(cueChunk({{.id = loop.cueId, .position = loop.startFrame}}));
        chunks.push_back(adtlList(
            {lablChunk(loop.cueId, loop.label), ltxtChunk(loop.cueId, loop.lengthFrames)}));
    }
    std::vector<RiffChunkSpec> texts;
    if (!spec.comment.empty()) texts.push_back(infoText(fourCCText(kCommentId), spec.comment));
    if (!spec.subject.empty()) texts.push_back(infoText(fourCCText(kSubjectId), spec.subject));
    if (!texts.empty()) chunks.push_back(infoList(std::move(texts)));
    return chunks;
}

Bytes makePcmWav(const PcmWavSpec& spec) {
    return waveRiff(pcmWavChunks(spec)).encode();
}
}  // namespace quillon::test
