// A bounded reader of RIFF chunk structure, over a file or a byte buffer.
//
// It keeps the classic chunk search rules that the WAV reader depends on:
// - a descent looks for a chunk of the wanted identifier (and, for "RIFF" and
//   "LIST", of the wanted form or list type) starting at the current position
//   and moving forward, inside the given parent when one is given, else up to
//   the end of the source; a chunk that lies before the current position is
//   never found;
// - a successful descent leaves the position at the chunk's data (after the
//   type when a "RIFF" or "LIST" chunk was searched by its type); a failed one
//   leaves it unchanged, and so does a search from a position outside the parent;
// - ascending moves the position to the end of the entered chunk, including
//   the pad byte of an odd size; rewinding moves it to the start of the source.
//
// Hostile sizes: a chunk whose declared size runs past the end of what holds it
// (its parent, or the source) is clamped, never refused: its data end where the
// holder ends and `declaredSize` keeps what the file said. This keeps truncated
// files and streaming writers' placeholder sizes readable. A header needs its
// 8 bytes inside the holder, a "RIFF" or "LIST" chunk needs its 4 type bytes
// inside its data to match a wanted type, and every step moves forward by at
// least one 8-byte header, so zero sizes cannot loop. One search examines at
// most kMaxChunksPerSearch headers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace quillon {

// A four-character chunk identifier, first character in the lowest byte, so it
// equals the little-endian u32 of the four bytes as stored.
using FourCC = uint32_t;

constexpr FourCC fourCC(const char (&text)[5]) {
    return FourCC(uint8_t(text[0])) | (FourCC(uint8_t(text[1])) << 8) |
           (FourCC(uint8_t(text[2])) << 16) | (FourCC(uint8_t(text[3])) << 24);
}
std::string fourCCText(FourCC id);

// The chunk identifiers and types this system reads, each named once.
inline constexpr FourCC kRiffId = fourCC("RIFF");
inline constexpr FourCC kListId = fourCC("LIST");
inline constexpr FourCC kWaveForm = fourCC("WAVE");        // form type of a WAV file's RIFF chunk
inline constexpr FourCC kFormatId = fourCC("fmt ");        // the wave format block
inline constexpr FourCC kDataId = fourCC("data");          // the audio
inline constexpr FourCC kFactId = fourCC("fact");          // frame count of compressed audio
inline constexpr FourCC kCueId = fourCC("cue ");           // cue points
inline constexpr FourCC kAdtlList = fourCC("adtl");        // list type: labels of cue points
inline constexpr FourCC kLabelId = fourCC("labl");         // a cue point's label
inline constexpr FourCC kLabelledTextId = fourCC("ltxt");  // a cue point's region length
inline constexpr FourCC kInfoList = fourCC("INFO");        // list type: information texts
inline constexpr FourCC kCommentId = fourCC("ICMT");
inline constexpr FourCC kSubjectId = fourCC("ISBJ");

// A "labl" or "ltxt" chunk starts with the identifier of its cue point.
inline constexpr size_t kLabelIdBytes = 4;

inline constexpr uint64_t kRiffHeaderBytes = 8;  // identifier, u32 size
inline constexpr uint64_t kRiffTypeBytes = 4;    // form or list type of RIFF and LIST
inline constexpr size_t kMaxChunksPerSearch = 65536;

// Bytes a chunk of this declared data size takes after its header: data of odd
// size is followed by one pad byte. Reader and test writer share this rule.
constexpr uint64_t riffPaddedSize(uint32_t dataSize) {
    return uint64_t(dataSize) + (dataSize & 1u);
}

// Where a RiffReader gets its bytes.
class RiffByteSource {
  public:
    virtual ~RiffByteSource() = default;
    [[nodiscard]] virtual uint64_t size() const = 0;
    // Copies out.size() bytes from offset; the range lies inside size(). Returns
    // false when the bytes could not be read (an I/O error).
    [[nodiscard]] virtual bool read(uint64_t offset, std::span<uint8_t> out) = 0;
};

// Bytes already in memory; the buffer must outlive the source.
class MemoryByteSource final : public RiffByteSource {
  public:
    explicit MemoryByteSource(std::span<const uint8_t> bytes) : bytes_(bytes) {}
    uint64_t size() const override { return bytes_.size(); }
    bool read(uint64_t offset, std::span<uint8_t> out) override;

  private:
    std::span<const uint8_t> bytes_;
};

// A regular file read with pread through a few cached 4 KiB pages, so walking
// chunk headers costs one system call per page touched and the audio data in
// between is never read.
class FileByteSource final : public RiffByteSource {
  public:
    enum class OpenError { CannotOpen, NotRegularFile };

    // Opens read-only. Anything but a regular file is refused (a FIFO is never
    // waited on, a device never read).
    [[nodiscard]] static std::unique_ptr<FileByteSource> open(const std::string& path,
                                                              OpenError* error = nullptr);
    ~FileByteSource() override;
    FileByteSource(const FileByteSource&) = delete;
    FileByteSource& operator=(const FileByteSource&) = delete;

    uint64_t size() const override { return size_; }
    bool read(uint64_t offset, std::span<uint8_t> out) override;

  private:
    static constexpr size_t kPageBytes = 4096;
    static constexpr size_t kPageCount = 4;
    struct Page {
        uint64_t index = UINT64_MAX;  // page number in the file; UINT64_MAX = empty
        uint64_t lastUse = 0;
        size_t validBytes = 0;
        std::unique_ptr<uint8_t[]> bytes;
    };

    FileByteSource(int fd, uint64_t size);
    const Page* page(uint64_t index);
    bool preadFully(uint64_t offset, uint8_t* out, size_t count) const;

    int fd_;
    uint64_t size_;
    uint64_t useClock_ = 0;
    Page pages_[kPageCount];
};

// One chunk found by a descent. Offsets are absolute positions in the source.
struct RiffChunk {
    FourCC id = 0;
    FourCC type = 0;            // form or list type of "RIFF" and "LIST"; 0 for other chunks
    uint64_t headerOffset = 0;  // first byte of the identifier
    uint64_t dataOffset = 0;    // first byte after the 8-byte header (the type of RIFF and LIST)
    uint32_t declaredSize = 0;  // the size field as stored
    uint64_t dataSize = 0;      // declaredSize clamped to what holds the chunk
    uint64_t paddedEnd = 0;  // where the next chunk starts: data, pad byte, clamped to the holder

    [[nodiscard]] uint64_t dataEnd() const { return dataOffset + dataSize; }
    [[nodiscard]] bool clamped() const { return dataSize < declaredSize; }
    [[nodiscard]] bool isList() const { return id == kRiffId || id == kListId; }
};

class RiffReader {
  public:
    explicit RiffReader(RiffByteSource& source) : source_(source) {}

    // Finds the next chunk `id`, whatever the type of a "RIFF" or "LIST" chunk.
    [[nodiscard]] std::optional<RiffChunk> descend(FourCC id, const RiffChunk* parent = nullptr);
    // Finds the next "RIFF" or "LIST" chunk (listId) whose type is `type`.
    [[nodiscard]] std::optional<RiffChunk> descendList(FourCC listId, FourCC type,
                                                       const RiffChunk* parent = nullptr);
    void ascend(const RiffChunk& chunk) { position_ = chunk.paddedEnd; }
    void rewind() { position_ = 0; }

    // Reads from the current position into `out`, bounded by the chunk's data:
    // bytes beyond its end are set to 0 and never taken from what follows.
    // Returns how many bytes came from the chunk; the position moves past them.
    size_t read(const RiffChunk& chunk, std::span<uint8_t> out);

    [[nodiscard]] uint64_t position() const { return position_; }
    [[nodiscard]] uint64_t sourceSize() const { return source_.size(); }
    // True once any read of the source failed; searches then find nothing more.
    [[nodiscard]] bool ioFailed() const { return ioFailed_; }

  private:
    std::optional<RiffChunk> search(FourCC id, std::optional<FourCC> type, const RiffChunk* parent);
    bool readAt(uint64_t offset, std::span<uint8_t> out);

    RiffByteSource& source_;
    uint64_t position_ = 0;
    bool ioFailed_ = false;
};

// One point of a "cue " chunk; the four further fields of each point play no
// part in this system.
struct CuePoint {
    uint32_t id = 0;
    uint32_t position = 0;  // sample frame
};

// A real file marks a handful of points; more than this is hostile, and the
// cut keeps the table (and the labels examined after it) small.
inline constexpr size_t kMaxCuePoints = 65536;

// Reads the cue table in file order from the current position of a "cue "
// chunk just descended into. The stored count is cut to what the chunk holds
// (and to kMaxCuePoints) before anything is allocated.
std::vector<CuePoint> readCuePoints(RiffReader& reader, const RiffChunk& cue);

}  // namespace quillon
