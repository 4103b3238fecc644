// Reading what a bank needs from a WAV file: the format block, the "zqloop"
// loop points, the comment and subject of the information list, and the file's
// length; and the rules for the Format and Compression texts and for the
// property keys embedded in a comment.
//
// The reader keeps no state between calls; every call opens and closes its file.
// A missing or damaged "cue ", "adtl", "labl", "ltxt" or "INFO" part is never
// an error: it only means no loop, or an empty text.
//
// Every read is bounded by its field and by its chunk: the 18-byte format block
// takes zeros for bytes a short "fmt " chunk does not hold, texts end at their
// chunk's end when they have no zero byte (comment and subject at 255
// characters, labels at 127), and a cue count larger than its chunk holds is
// cut to what it holds (and to 65,536). Loop points must fit the record's
// signed 32-bit frames: a cue position beyond that gives no loop, and an
// "ltxt" length of 0 or an end beyond that gives no loop end.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <variant>

#include "formats/WaveFormat.h"

namespace quillon {

class RiffByteSource;

inline constexpr size_t kWavInfoTextMaxChars = 255;  // comment and subject
inline constexpr size_t kWavLabelMaxChars = 127;
inline constexpr int32_t kNoLoopFrame = -1;

struct WavFileInfo {
    WaveFormatBlock format;            // extra size always 0
    int32_t loopStart = kNoLoopFrame;  // sample frame of the "zqloop" cue point
    int32_t loopEnd = kNoLoopFrame;    // last frame of the loop, inclusive
    std::string comment;               // "ICMT" of the "INFO" list, at most 255 characters
    std::string subject;               // "ISBJ" of the "INFO" list, at most 255 characters
    uint32_t fileLength = 0;           // bytes of the whole file, not of its data chunk
};

enum class WavReadError {
    OpenFailed,     // the file cannot be opened or read
    NoWaveForm,     // no "RIFF" chunk of form type "WAVE"
    NoFormatChunk,  // no "fmt " chunk inside it
    FileTooLarge,   // 4 GiB or more: its length does not fit the bank's 32-bit sizes
};

// The message the callers show, with the path exactly as passed in.
std::string WavReadErrorMessage(WavReadError error, std::string_view path);

class [[nodiscard]] WavReadResult {
  public:
    WavReadResult(WavFileInfo info) : value_(std::move(info)) {}
    WavReadResult(WavReadError error) : value_(error) {}

    bool ok() const { return std::holds_alternative<WavFileInfo>(value_); }
    // Only when ok().
    const WavFileInfo& info() const { return std::get<WavFileInfo>(value_); }
    WavFileInfo& info() { return std::get<WavFileInfo>(value_); }
    // Only when !ok().
    WavReadError error() const { return std::get<WavReadError>(value_); }

  private:
    std::variant<WavFileInfo, WavReadError> value_;
};

// Reads a WAV file. With wantInfoTexts false the "INFO" list is not read and
// comment and subject stay empty. Only regular files are read.
WavReadResult ReadWavFile(const std::string& path, bool wantInfoTexts);

// The same reading over a whole file image already in memory (a bank's copy of
// a WAV file); the file length is the image's size. Never gives OpenFailed.
WavReadResult ReadWavBytes(std::span<const uint8_t> image, bool wantInfoTexts);

// The same reading over any byte source; ReadWavFile and ReadWavBytes use it.
WavReadResult ReadWav(RiffByteSource& source, bool wantInfoTexts);

// The Format cell: "16-bit 44 khz Stereo"; depths below 10 get two leading
// blanks ("  8-bit 22 khz Mono") so that they sort before two-digit depths.
std::string GetWavFormatText(const WaveFormatBlock& format);

// The Compression cell: 1 "None", 2 "Microsoft ADPCM", any other "Unknown".
std::string GetWavCompressionText(uint16_t formatTag);

// Property values embedded in a comment as "KEY=value"; absent when the key
// with its "=" does not occur.
struct WavCommentKeys {
    std::optional<int32_t> priority;        // "ZQ_PRIORITY="
    std::optional<int32_t> group;           // "ZQ_GROUP="
    std::optional<int32_t> atmosGroup;      // "ZQ_ATMOS_GROUP="
    std::optional<int32_t> pitch;           // "ZQ_PITCH="
    std::optional<int32_t> pitchVariation;  // "ZQ_PITCH_VAR="
    std::optional<int32_t> pan;             // "ZQ_PAN="
    std::optional<int32_t> volume;          // "ZQ_VOLUME="
    std::optional<int32_t> userParam;       // "ZQ_USER_PARAM="
    std::optional<int32_t> loopCount;       // "ZQ_LOOP_COUNT="
    std::optional<int32_t> xPos;            // "ZQ_3D_X_POS="
    std::optional<int32_t> yPos;            // "ZQ_3D_Y_POS="
    std::optional<int32_t> zPos;            // "ZQ_3D_Z_POS="
    std::optional<double> minDist;          // "ZQ_MIN_DIST="
    std::optional<double> maxDist;          // "ZQ_MAX_DIST="
    std::optional<int32_t> scale;           // "ZQ_SCALE="
    std::optional<int32_t> playType;        // "ZQ_PLAYBACK_TYPE=": 1 Overlap, 2 Once, 3 Restart
    std::optional<int32_t> atmos;           // "ZQ_ATMOS_WHEN="

    bool operator==(const WavCommentKeys&) const = default;
};

// Each key is found by a case-sensitive search for the first occurrence of its
// name together with its "=" (so "ZQ_PITCH=" never matches inside
// "ZQ_PITCH_VAR="); the value is the number that follows, read like the C
// library's decimal conversion (no digits give 0). Values are not range-checked.
WavCommentKeys ParseWavCommentKeys(std::string_view comment);

}  // namespace quillon
