#include "formats/MpegSplitter.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <limits>

#include "formats/MpegHeader.h"
#include "platform/Paths.h"

namespace quillon {

std::optional<size_t> MpegRangeSource::read(std::span<uint8_t> out) {
    const uint64_t held = next_ < source_.size() ? source_.size() - next_ : 0;
    const size_t want = size_t(std::min<uint64_t>({out.size(), remaining_, held}));
    if (want == 0) return 0;
    if (!source_.read(next_, out.first(want))) return std::nullopt;
    next_ += want;
    remaining_ -= want;
    return want;
}

std::optional<size_t> MpegMemorySource::read(std::span<uint8_t> out) {
    const size_t count = std::min(out.size(), bytes_.size() - next_);
    if (count == 0) return 0;  // an empty stream may have no bytes to point at
    std::memcpy(out.data(), bytes_.data() + next_, count);
    next_ += count;
    return count;
}

MpegSectionFiles::~MpegSectionFiles() {
    if (fd_ >= 0) ::close(fd_);
    if (folderFd_ >= 0) ::close(folderFd_);
}

static std::string sectionName(int index) {
    char name[32];
    std::snprintf(name, sizeof name, "sect%04d.mpg", index);
    return name;
}

std::string MpegSectionFiles::sectionPath(int index) const {
    return joinPath(folder_, sectionName(index));
}

bool MpegSectionFiles::open(int index) {
    if (fd_ >= 0) return false;
    // One folder for the whole import, even if its path is pointed elsewhere meanwhile.
    if (folderFd_ < 0) folderFd_ = ::open(folder_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folderFd_ < 0) return false;
    std::string name = sectionName(index);
    fd_ = ::openat(folderFd_, name.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC,
                   0600);
    if (fd_ < 0) return false;
    made_.push_back(std::move(name));
    return true;
}

bool MpegSectionFiles::write(std::span<const uint8_t> bytes) {
    while (!bytes.empty()) {
        ssize_t done = ::write(fd_, bytes.data(), bytes.size());
        if (done < 0 && errno == EINTR) continue;
        if (done <= 0) return false;
        bytes = bytes.subspan(size_t(done));
    }
    return true;
}

bool MpegSectionFiles::close() {
    int fd = fd_;
    fd_ = -1;
    // A failed close can mean that written bytes were lost (e.g. on a network folder).
    return fd >= 0 && ::close(fd) == 0;
}

void MpegSectionFiles::removeAll() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    for (const std::string& name : made_)
        ::unlinkat(folderFd_, name.c_str(), 0);
    made_.clear();
}

namespace {

// Header bytes that must match the first header's: all of the first three but the padding bit.
constexpr uint32_t kFrameMatchMask = 0x00FDFFFF;
// A bank's sizes and offsets are 32-bit.
constexpr uint64_t kMaxStreamBytes = std::numeric_limits<uint32_t>::max();
// Looking at an 0xFF needs the three bytes after it.
constexpr size_t kHeaderLookahead = 3;

bool startsHeader(uint8_t byteAfterFF) {
    return (byteAfterFF & 0xF0) == 0xF0;
}

// The messages name the file with "%s", as the system's messages do.
std::string messageWith(std::string format, const std::string& subject) {
    format.replace(format.find("%s"), 2, subject);
    return format;
}

class Splitter {
  public:
    Splitter(MpegByteSource& source, MpegSectionSink& sink, const MpegSplitOptions& options)
        : source_(source),
          sink_(sink),
          maxSections_(options.maxSections),
          buffer_(std::max<size_t>(options.blockBytes, 1) + kHeaderLookahead) {}

    MpegSplitResult run();
    const std::vector<MpegSection>& sections() const { return sections_; }

  private:
    bool refill();
    void scan(size_t scanEnd);
    void handleHeader(size_t at, uint32_t header);
    void cutAt(size_t at, uint32_t header);
    void flushUpTo(size_t end);
    void finishSection(uint32_t headerValue);
    void fail(MpegSplitError error, const std::string& message);
    std::string tooLargeMessage() const {
        return messageWith("couldn't import %s: a music bank holds at most 4 GB", source_.name());
    }

    MpegByteSource& source_;
    MpegSectionSink& sink_;
    const int maxSections_;
    std::vector<uint8_t> buffer_;
    uint64_t bytesRead_ = 0;
    size_t filled_ = 0;     // bytes of the buffer holding stream bytes
    size_t next_ = 0;       // first byte not yet looked at
    size_t flushFrom_ = 0;  // first byte not yet given to the open section (or dropped)
    bool atEnd_ = false;

    std::optional<uint32_t> firstHeader_;
    uint32_t lastHeader_ = 0;
    uint32_t countdown_ = 0;
    bool sectionOpen_ = false;
    int sectionCounter_ = 0;
    uint64_t sectionLength_ = 0;
    std::vector<MpegSection> sections_;
    MpegSplitResult result_;
};

MpegSplitResult Splitter::run() {
    if (source_.length() > kMaxStreamBytes) {
        fail(MpegSplitError::kTooLarge, tooLargeMessage());
        return std::move(result_);
    }
    while (result_.ok() && refill()) {
        // Until the end is reached, stop where the lookahead of an 0xFF would run past the buffer.
        size_t scanEnd = filled_;
        if (!atEnd_) scanEnd = filled_ > kHeaderLookahead ? filled_ - kHeaderLookahead : 0;
        scan(scanEnd);
        if (atEnd_) break;
    }
    if (!result_.ok()) return std::move(result_);
    flushUpTo(filled_);
    if (result_.ok() && sectionOpen_) finishSection(lastHeader_);
    if (result_.ok() && sections_.empty())
        fail(MpegSplitError::kNoFrames,
             messageWith("couldn't find MPEG audio frames in %s", source_.name()));
    result_.sectionCount = int(sections_.size());
    return std::move(result_);
}

// Hands the looked-at bytes to the open section, keeps the few not yet looked
// at, and reads the next block behind them. False once the stream is used up
// or unreadable.
bool Splitter::refill() {
    flushUpTo(next_);
    if (!result_.ok()) return false;
    std::memmove(buffer_.data(), buffer_.data() + next_, filled_ - next_);
    filled_ -= next_;
    next_ = 0;
    flushFrom_ = 0;
    std::optional<size_t> got =
        source_.read(std::span(buffer_).subspan(filled_, buffer_.size() - filled_));
    if (!got) {
        fail(MpegSplitError::kReadFailed, messageWith("couldn't read %s", source_.name()));
        return false;
    }
    // Counted as well as checked up front, so a source that gives more than it
    // declared cannot make a section longer than 32 bits hold.
    bytesRead_ += *got;
    if (bytesRead_ > kMaxStreamBytes) {
        fail(MpegSplitError::kTooLarge, tooLargeMessage());
        return false;
    }
    filled_ += *got;
    if (*got == 0) atEnd_ = true;
    return true;
}

void Splitter::scan(size_t scanEnd) {
    const uint8_t* bytes = buffer_.data();
    size_t at = next_;
    while (at < scanEnd && result_.ok()) {
        const void* ff = std::memchr(bytes + at, 0xFF, scanEnd - at);
        if (!ff) {
            at = scanEnd;
            break;
        }
        at = size_t(static_cast<const uint8_t*>(ff) - bytes);
        if (filled_ - at < 2) {  // the stream's last byte: written alone
            at += 1;
            break;
        }
        const uint8_t c = bytes[at + 1];
        if (startsHeader(c)) {
            // At the stream's end the header may be cut short; missing bytes count as 0.
            const uint8_t b2 = filled_ - at > 2 ? bytes[at + 2] : 0;
            const uint8_t b3 = filled_ - at > 3 ? bytes[at + 3] : 0;
            handleHeader(at, MpegHeaderValue(0xFF, c, b2, b3));
        }
        at += 2;  // the byte after an 0xFF goes with it, header or not
    }
    next_ = at;
}

void Splitter::handleHeader(size_t at, uint32_t header) {
    if (!firstHeader_) firstHeader_ = header;
    if (((header ^ *firstHeader_) & kFrameMatchMask) != 0) return;
    lastHeader_ = header;
    if (countdown_ == 0) {
        cutAt(at, header);
        countdown_ = kMpegSectionFrames - 1;
    } else {
        --countdown_;
    }
}

void Splitter::cutAt(size_t at, uint32_t header) {
    flushUpTo(at);
    if (!result_.ok()) return;
    if (sectionOpen_) {
        finishSection(header);
        if (!result_.ok()) return;
    }
    if (sectionCounter_ >= maxSections_) {
        fail(MpegSplitError::kTooManySections,
             messageWith("couldn't import %s: a music bank holds at most " +
                             std::to_string(maxSections_) + " sections",
                         source_.name()));
        return;
    }
    const int index = sectionCounter_++;
    if (!sink_.open(index)) {
        fail(MpegSplitError::kCreateFailed,
             messageWith("couldn't create section file %s", sink_.sectionPath(index)));
        return;
    }
    sectionOpen_ = true;
    sectionLength_ = 0;
}

// Gives the bytes from flushFrom_ up to `end` to the open section; before the
// first header there is none, and the bytes are dropped.
void Splitter::flushUpTo(size_t end) {
    if (sectionOpen_ && end > flushFrom_) {
        if (!sink_.write(std::span(buffer_).subspan(flushFrom_, end - flushFrom_))) {
            fail(MpegSplitError::kWriteFailed, messageWith("couldn't write section file %s",
                                                           sink_.sectionPath(sectionCounter_ - 1)));
            return;
        }
        sectionLength_ += end - flushFrom_;
    }
    flushFrom_ = std::max(flushFrom_, end);
}

void Splitter::finishSection(uint32_t headerValue) {
    const int index = sectionCounter_ - 1;
    sectionOpen_ = false;
    if (!sink_.close()) {
        fail(MpegSplitError::kWriteFailed,
             messageWith("couldn't write section file %s", sink_.sectionPath(index)));
        return;
    }
    // No more than kMaxStreamBytes were read, so every section's length fits.
    sections_.push_back({sink_.sectionPath(index), uint32_t(sectionLength_), headerValue, index});
}

void Splitter::fail(MpegSplitError error, const std::string& message) {
    if (!result_.ok()) return;
    result_.error = error;
    result_.message = message;
    sink_.removeAll();
    sectionOpen_ = false;
    sections_.clear();
}

}  // namespace

MpegSplitResult SplitMpegStream(MpegByteSource& source, MpegSectionSink& sink,
                                const MpegSectionHandler& onSection,
                                const MpegSplitOptions& options) {
    Splitter splitter(source, sink, options);
    MpegSplitResult result = splitter.run();
    if (result.ok() && onSection)
        for (const MpegSection& section : splitter.sections())
            onSection(section);
    return result;
}

MpegSplitResult SplitMpegStream(MpegByteSource& source, const std::string& folder,
                                const MpegSectionHandler& onSection,
                                const MpegSplitOptions& options) {
    MpegSectionFiles files(folder);
    return SplitMpegStream(source, files, onSection, options);
}

}  // namespace quillon
