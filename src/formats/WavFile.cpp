#include "formats/WavFile.h"

#include <algorithm>
#include <limits>
#include <vector>

#include "container/ByteOrder.h"
#include "formats/RiffReader.h"
#include "platform/Numbers.h"
#include "platform/Text.h"

namespace quillon {

namespace {

constexpr std::string_view kLoopLabel = "zqloop";

// cue identifier, sample length, purpose, country, language, dialect, code page
constexpr size_t kLabelledTextHeadBytes = 20;
struct LoopLabel {
    uint32_t cueId = 0;
    int32_t startFrame = 0;
};

// Reads 18 bytes whatever size the chunk declares; bytes the chunk does not
// hold are 0. The extra size is always 0 in the result.
WaveFormatBlock readFormatBlock(RiffReader& reader, const RiffChunk& fmt) {
    uint8_t bytes[kWaveFormatBlockBytes];
    reader.read(fmt, bytes);
    WaveFormatBlock block = decodeWaveFormatBlock(bytes);
    block.extraSize = 0;
    return block;
}

// A zero-terminated text read from the current position, bounded by the chunk
// and by maxChars: a text without its zero byte ends with the chunk.
std::string readText(RiffReader& reader, const RiffChunk& chunk, size_t maxChars) {
    char buffer[kWavInfoTextMaxChars];
    static_assert(kWavLabelMaxChars <= kWavInfoTextMaxChars);
    maxChars = std::min(maxChars, sizeof buffer);
    size_t got = reader.read(chunk, std::span(reinterpret_cast<uint8_t*>(buffer), maxChars));
    return std::string(buffer, std::find(buffer, buffer + got, '\0'));
}

// Looks at up to n "labl" chunks of the list in file order, n being the number
// of cue points; the first "zqloop" label (any letter case) whose identifier
// names a cue point gives the loop start. A cue position beyond the 32-bit signed range cannot be a
// frame of the record, so such a match ends the search without a loop.
std::optional<LoopLabel> findLoopLabel(RiffReader& reader, const RiffChunk& adtl,
                                       const std::vector<CuePoint>& cues) {
    for (size_t examined = 0; examined < cues.size(); ++examined) {
        std::optional<RiffChunk> label = reader.descend(kLabelId, &adtl);
        if (!label) return std::nullopt;
        uint8_t idBytes[kLabelIdBytes];
        reader.read(*label, idBytes);
        uint32_t cueId = loadU32(idBytes);
        std::string text = readText(reader, *label, kWavLabelMaxChars);
        reader.ascend(*label);
        if (!equalIgnoringCase(text, kLoopLabel)) continue;

        auto cue = std::find_if(cues.begin(), cues.end(),
                                [cueId](const CuePoint& point) { return point.id == cueId; });
        if (cue == cues.end()) continue;
        if (cue->position > uint32_t(std::numeric_limits<int32_t>::max())) return std::nullopt;
        return LoopLabel{cueId, int32_t(cue->position)};
    }
    return std::nullopt;
}

// The loop end is inclusive: start + length - 1, from the first of up to
// labelLimit "ltxt" chunks that carries the loop label's identifier. A length
// of 0, or an end beyond the 32-bit signed range, gives no loop end.
int32_t findLoopEnd(RiffReader& reader, const RiffChunk& adtl, size_t labelLimit,
                    const LoopLabel& loop) {
    for (size_t examined = 0; examined < labelLimit; ++examined) {
        std::optional<RiffChunk> text = reader.descend(kLabelledTextId, &adtl);
        if (!text) return kNoLoopFrame;
        uint8_t head[kLabelledTextHeadBytes];
        reader.read(*text, head);
        reader.ascend(*text);
        if (loadU32(head) != loop.cueId) continue;

        uint32_t length = loadU32(head + 4);
        int64_t end = int64_t(loop.startFrame) + int64_t(length) - 1;
        if (length == 0 || end > std::numeric_limits<int32_t>::max()) return kNoLoopFrame;
        return int32_t(end);
    }
    return kNoLoopFrame;
}

// Loop points from "cue " (searched after "fmt ", inside the RIFF chunk) and the
// first "adtl" list after it; the loop end comes from the first "adtl" list of
// the file, found again from the start.
void readLoopPoints(RiffReader& reader, const RiffChunk& riff, WavFileInfo& info) {
    std::optional<RiffChunk> cue = reader.descend(kCueId, &riff);
    if (!cue) return;
    std::vector<CuePoint> cues = readCuePoints(reader, *cue);
    reader.ascend(*cue);
    if (cues.empty()) return;
    std::optional<RiffChunk> adtl = reader.descendList(kListId, kAdtlList);
    if (!adtl) return;
    std::optional<LoopLabel> loop = findLoopLabel(reader, *adtl, cues);
    if (!loop) return;
    info.loopStart = loop->startFrame;

    reader.rewind();
    if (!reader.descendList(kRiffId, kWaveForm)) return;
    adtl = reader.descendList(kListId, kAdtlList);
    if (!adtl) return;
    info.loopEnd = findLoopEnd(reader, *adtl, cues.size(), *loop);
}

// One text of the first "INFO" list after the start of the RIFF chunk, searched
// up to the end of the file as the "adtl" list is, so a list that an editor
// appended without growing the RIFF size is still found. Empty when any part of
// the way is missing.
std::string readInfoText(RiffReader& reader, FourCC textId) {
    reader.rewind();
    if (!reader.descendList(kRiffId, kWaveForm)) return {};
    std::optional<RiffChunk> infoList = reader.descendList(kListId, kInfoList);
    if (!infoList) return {};
    std::optional<RiffChunk> text = reader.descend(textId, &*infoList);
    if (!text) return {};
    return readText(reader, *text, kWavInfoTextMaxChars);
}

}  // namespace

std::string WavReadErrorMessage(WavReadError error, std::string_view path) {
    std::string p(path);
    switch (error) {
        case WavReadError::OpenFailed:
            return "Error Reading Wav File " + p;
        case WavReadError::NoWaveForm:
            return p + " - Error in WAVE chunk";
        case WavReadError::NoFormatChunk:
            return p + " - Error in FMT chunk";
        case WavReadError::FileTooLarge:
            return p + " - File too large (4 GB or more)";
    }
    return "Error Reading Wav File " + p;
}

WavReadResult ReadWav(RiffByteSource& source, bool wantInfoTexts) {
    RiffReader reader(source);
    std::optional<RiffChunk> riff = reader.descendList(kRiffId, kWaveForm);
    if (!riff) return reader.ioFailed() ? WavReadError::OpenFailed : WavReadError::NoWaveForm;
    std::optional<RiffChunk> fmt = reader.descend(kFormatId, &*riff);
    if (!fmt) return reader.ioFailed() ? WavReadError::OpenFailed : WavReadError::NoFormatChunk;

    WavFileInfo info;
    info.format = readFormatBlock(reader, *fmt);
    reader.ascend(*fmt);
    readLoopPoints(reader, *riff, info);
    if (wantInfoTexts) {
        info.comment = readInfoText(reader, kCommentId);
        info.subject = readInfoText(reader, kSubjectId);
    }
    // A read that failed half way would leave loop points or texts missing
    // without a word, so it is reported as a failed read.
    if (reader.ioFailed()) return WavReadError::OpenFailed;
    if (source.size() > std::numeric_limits<uint32_t>::max()) return WavReadError::FileTooLarge;
    info.fileLength = uint32_t(source.size());
    return info;
}

WavReadResult ReadWavFile(const std::string& path, bool wantInfoTexts) {
    std::unique_ptr<FileByteSource> file = FileByteSource::open(path);
    if (!file) return WavReadError::OpenFailed;
    return ReadWav(*file, wantInfoTexts);
}

WavReadResult ReadWavBytes(std::span<const uint8_t> image, bool wantInfoTexts) {
    MemoryByteSource source(image);
    return ReadWav(source, wantInfoTexts);
}

std::string GetWavFormatText(const WaveFormatBlock& format) {
    // Two leading blanks make depths below 10 sort before two-digit depths as text.
    std::string text = format.bitsPerSample < 10 ? "  " : "";
    text += std::to_string(format.bitsPerSample);
    text += "-bit ";
    text += std::to_string(format.samplesPerSecond / 1000);
    text += " khz ";
    text += format.channels == 1 ? "Mono" : "Stereo";
    return text;
}

std::string GetWavCompressionText(uint16_t formatTag) {
    switch (formatTag) {
        case 1:
            return "None";
        case 2:
            return "Microsoft ADPCM";
        default:
            return "Unknown";
    }
}

namespace {

// The value starts right after the key's "="; a key without it does not match.
std::optional<std::string_view> valueAfterKey(std::string_view comment, std::string_view key) {
    size_t at = comment.find(key);
    if (at == std::string_view::npos) return std::nullopt;
    return comment.substr(at + key.size());
}

struct IntegerKey {
    std::string_view key;
    std::optional<int32_t> WavCommentKeys::*property;
};
struct RealKey {
    std::string_view key;
    std::optional<double> WavCommentKeys::*property;
};

constexpr IntegerKey kIntegerKeys[] = {
    {"ZQ_PRIORITY=", &WavCommentKeys::priority},
    {"ZQ_GROUP=", &WavCommentKeys::group},
    {"ZQ_ATMOS_GROUP=", &WavCommentKeys::atmosGroup},
    {"ZQ_PITCH=", &WavCommentKeys::pitch},
    {"ZQ_PITCH_VAR=", &WavCommentKeys::pitchVariation},
    {"ZQ_PAN=", &WavCommentKeys::pan},
    {"ZQ_VOLUME=", &WavCommentKeys::volume},
    {"ZQ_USER_PARAM=", &WavCommentKeys::userParam},
    {"ZQ_LOOP_COUNT=", &WavCommentKeys::loopCount},
    {"ZQ_3D_X_POS=", &WavCommentKeys::xPos},
    {"ZQ_3D_Y_POS=", &WavCommentKeys::yPos},
    {"ZQ_3D_Z_POS=", &WavCommentKeys::zPos},
    {"ZQ_SCALE=", &WavCommentKeys::scale},
    {"ZQ_PLAYBACK_TYPE=", &WavCommentKeys::playType},
    {"ZQ_ATMOS_WHEN=", &WavCommentKeys::atmos},
};
constexpr RealKey kRealKeys[] = {
    {"ZQ_MIN_DIST=", &WavCommentKeys::minDist},
    {"ZQ_MAX_DIST=", &WavCommentKeys::maxDist},
};

}  // namespace

WavCommentKeys ParseWavCommentKeys(std::string_view comment) {
    WavCommentKeys keys;
    for (const IntegerKey& entry : kIntegerKeys) {
        if (auto value = valueAfterKey(comment, entry.key)) keys.*entry.property = atoiLike(*value);
    }
    for (const RealKey& entry : kRealKeys) {
        if (auto value = valueAfterKey(comment, entry.key)) keys.*entry.property = atofLike(*value);
    }
    return keys;
}

}  // namespace quillon
