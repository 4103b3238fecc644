// Cutting an MPEG audio stream into sections of 21 frames for a music bank.
//
// The stream is read in large blocks and every section is one run of the
// stream's bytes, from a frame header up to the next section's first header;
// bytes before the first frame header belong to no section. A frame header is
// an 0xFF byte followed by a byte whose top four bits are set, and it counts as
// a frame of the stream when its first three bytes equal those of the stream's
// first header in every bit but the padding bit (0x02 of the third byte). The
// fourth byte (channel mode and flags) is ignored, and a header with another
// bitrate or rate does not count, so its bytes stay inside the current section.
// The byte after an 0xFF is taken with it whatever it is, so a header that
// starts on that byte is not seen.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "formats/RiffReader.h"

namespace quillon {

inline constexpr uint32_t kMpegSectionFrames = 21;

// The most sections one stream is cut into: one bank numbers its samples from 1
// to 65535, and the import fills an empty list with one row a section.
inline constexpr int kMaxMpegSections = 65535;

// The bytes of one stream, read from the start to the end once.
class MpegByteSource {
  public:
    virtual ~MpegByteSource() = default;
    // The stream's length in bytes as declared; reading may end earlier when the
    // file holding it is shorter.
    [[nodiscard]] virtual uint64_t length() const = 0;
    // Fills `out` from the stream's current position; returns the count read (0
    // at the end of the stream) or nothing when the file cannot be read.
    [[nodiscard]] virtual std::optional<size_t> read(std::span<uint8_t> out) = 0;
    // The stream's name in messages: its file's path.
    [[nodiscard]] virtual const std::string& name() const = 0;
};

// A range of a source opened for the chunk reader: the whole file for a plain
// MPEG audio file, the data chunk's contents for a WAV file. A range declared
// past the end of the source ends the stream where the source ends; a source
// that cannot be read (a file that shrank since it was opened) gives a failed
// read. The source stays owned by the caller.
class MpegRangeSource final : public MpegByteSource {
  public:
    MpegRangeSource(RiffByteSource& source, uint64_t offset, uint64_t length, std::string name)
        : source_(source),
          next_(offset),
          remaining_(length),
          length_(length),
          name_(std::move(name)) {}
    uint64_t length() const override { return length_; }
    std::optional<size_t> read(std::span<uint8_t> out) override;
    const std::string& name() const override { return name_; }

  private:
    RiffByteSource& source_;
    uint64_t next_;
    uint64_t remaining_;
    uint64_t length_;
    std::string name_;
};

// Bytes already in memory, e.g. for the fuzzer. The bytes must outlive the source.
class MpegMemorySource final : public MpegByteSource {
  public:
    MpegMemorySource(std::span<const uint8_t> bytes, std::string name)
        : bytes_(bytes), name_(std::move(name)) {}
    uint64_t length() const override { return bytes_.size(); }
    std::optional<size_t> read(std::span<uint8_t> out) override;
    const std::string& name() const override { return name_; }

  private:
    std::span<const uint8_t> bytes_;
    size_t next_ = 0;
    std::string name_;
};

// Where the sections go. At most one section is open at a time.
class MpegSectionSink {
  public:
    virtual ~MpegSectionSink() = default;
    // The section's file name ("sect%04d.mpg" in its folder), used in messages too.
    [[nodiscard]] virtual std::string sectionPath(int index) const = 0;
    // Starts section `index`, replacing anything of that name; false when it cannot be created.
    [[nodiscard]] virtual bool open(int index) = 0;
    [[nodiscard]] virtual bool write(std::span<const uint8_t> bytes) = 0;
    // Ends the open section; false when its bytes could not all be kept.
    [[nodiscard]] virtual bool close() = 0;
    // After a failure: closes the open section and removes every section this
    // sink made, so that a failed import leaves nothing behind.
    virtual void removeAll() = 0;
};

// The section files "sect%04d.mpg" in a folder. A file is created without
// following a link planted under its name, readable by this user alone; an
// existing file of that name is overwritten.
class MpegSectionFiles final : public MpegSectionSink {
  public:
    explicit MpegSectionFiles(std::string folder) : folder_(std::move(folder)) {}
    ~MpegSectionFiles() override;
    MpegSectionFiles(const MpegSectionFiles&) = delete;
    MpegSectionFiles& operator=(const MpegSectionFiles&) = delete;

    std::string sectionPath(int index) const override;
    bool open(int index) override;
    bool write(std::span<const uint8_t> bytes) override;
    bool close() override;
    void removeAll() override;

  private:
    std::string folder_;
    int folderFd_ = -1;  // opened at the first section; every file is made relative to it
    int fd_ = -1;
    std::vector<std::string> made_;  // names inside the folder
};

// One finished section, as the row that holds it needs it.
struct MpegSection {
    std::string path;
    uint32_t length = 0;       // bytes
    uint32_t headerValue = 0;  // see below
    int index = 0;             // from 0, in stream order
};
// The header value of a section is that of the header that started the next
// section, and for the last section the stream's last counted header; a header
// counts only when it matches the first, so they differ at most in the padding
// bit and the fourth byte.

enum class MpegSplitError {
    kNone,
    kTooLarge,  // a bank's sizes are 32-bit
    kReadFailed,
    kCreateFailed,
    kWriteFailed,
    kNoFrames,         // not one frame header in the whole stream
    kTooManySections,  // more than a bank can number
};

struct [[nodiscard]] MpegSplitResult {
    MpegSplitError error = MpegSplitError::kNone;
    std::string message;  // for the user; empty on success
    int sectionCount = 0;
    bool ok() const { return error == MpegSplitError::kNone; }
};

struct MpegSplitOptions {
    // Bytes read at a time; tests make it tiny to cut the stream at every place.
    size_t blockBytes = size_t(1) << 20;
    // The cap also keeps a hostile stream of bare headers from making millions
    // of files.
    int maxSections = kMaxMpegSections;
};

using MpegSectionHandler = std::function<void(const MpegSection&)>;

// Splits the stream into sections in `sink`. Only when the whole stream is
// split does `onSection` run, once per section in order; on any failure it
// never runs and the sink's sections are removed.
MpegSplitResult SplitMpegStream(MpegByteSource& source, MpegSectionSink& sink,
                                const MpegSectionHandler& onSection,
                                const MpegSplitOptions& options = {});

// The same into the section files of `folder`.
MpegSplitResult SplitMpegStream(MpegByteSource& source, const std::string& folder,
                                const MpegSectionHandler& onSection,
                                const MpegSplitOptions& options = {});

}  // namespace quillon
