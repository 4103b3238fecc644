#include "formats/RiffReader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "container/ByteOrder.h"

namespace quillon {

std::string fourCCText(FourCC id) {
    std::string text(4, ' ');
    for (size_t i = 0; i < 4; ++i)
        text[i] = char((id >> (8 * i)) & 0xFF);
    return text;
}

bool MemoryByteSource::read(uint64_t offset, std::span<uint8_t> out) {
    if (offset > bytes_.size() || out.size() > bytes_.size() - offset) return false;
    if (!out.empty()) std::memcpy(out.data(), bytes_.data() + offset, out.size());
    return true;
}

std::unique_ptr<FileByteSource> FileByteSource::open(const std::string& path, OpenError* error) {
    auto fail = [error](OpenError why) {
        if (error) *error = why;
        return nullptr;
    };
    // O_NONBLOCK keeps a FIFO from blocking the open; such files are refused below.
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) return fail(OpenError::CannotOpen);
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size < 0) {
        ::close(fd);
        return fail(OpenError::NotRegularFile);
    }
    return std::unique_ptr<FileByteSource>(new FileByteSource(fd, uint64_t(info.st_size)));
}

FileByteSource::FileByteSource(int fd, uint64_t size) : fd_(fd), size_(size) {}

FileByteSource::~FileByteSource() {
    ::close(fd_);
}

bool FileByteSource::preadFully(uint64_t offset, uint8_t* out, size_t count) const {
    while (count > 0) {
        ssize_t got = ::pread(fd_, out, count, off_t(offset));
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return false;  // an error, or the file shrank under us
        out += got;
        offset += uint64_t(got);
        count -= size_t(got);
    }
    return true;
}

const FileByteSource::Page* FileByteSource::page(uint64_t index) {
    Page* victim = &pages_[0];
    for (Page& candidate : pages_) {
        if (candidate.index == index) {
            candidate.lastUse = ++useClock_;
            return &candidate;
        }
        if (candidate.lastUse < victim->lastUse) victim = &candidate;
    }
    if (!victim->bytes) victim->bytes = std::make_unique<uint8_t[]>(kPageBytes);
    uint64_t start = index * kPageBytes;
    size_t count = size_t(std::min<uint64_t>(kPageBytes, size_ - start));
    victim->index = UINT64_MAX;
    if (!preadFully(start, victim->bytes.get(), count)) return nullptr;
    victim->index = index;
    victim->validBytes = count;
    victim->lastUse = ++useClock_;
    return victim;
}

bool FileByteSource::read(uint64_t offset, std::span<uint8_t> out) {
    if (offset > size_ || out.size() > size_ - offset) return false;
    // Large reads (a whole cue table) go straight to the file instead of through the pages.
    if (out.size() > 2 * kPageBytes) return preadFully(offset, out.data(), out.size());
    size_t done = 0;
    while (done < out.size()) {
        uint64_t at = offset + done;
        const Page* cached = page(at / kPageBytes);
        size_t inPage = size_t(at % kPageBytes);
        if (!cached || inPage >= cached->validBytes) return false;
        size_t count = std::min(out.size() - done, cached->validBytes - inPage);
        std::memcpy(out.data() + done, cached->bytes.get() + inPage, count);
        done += count;
    }
    return true;
}

namespace {

// Where the sub-chunks of a chunk start: after the type of RIFF and LIST.
uint64_t firstChildOffset(const RiffChunk& parent) {
    uint64_t typeBytes = parent.isList() ? std::min(kRiffTypeBytes, parent.dataSize) : 0;
    return parent.dataOffset + typeBytes;
}

// The chunk whose header starts at headerOffset; holderEnd - headerOffset is at
// least kRiffHeaderBytes. Sizes are clamped by subtraction so that a hostile
// size cannot overflow an offset.
RiffChunk chunkAt(uint64_t headerOffset, const uint8_t (&header)[kRiffHeaderBytes],
                  uint64_t holderEnd) {
    RiffChunk chunk;
    chunk.id = loadU32(header);
    chunk.declaredSize = loadU32(header + 4);
    chunk.headerOffset = headerOffset;
    chunk.dataOffset = headerOffset + kRiffHeaderBytes;
    uint64_t room = holderEnd - chunk.dataOffset;
    chunk.dataSize = std::min<uint64_t>(chunk.declaredSize, room);
    chunk.paddedEnd = chunk.dataOffset + std::min(riffPaddedSize(chunk.declaredSize), room);
    return chunk;
}

}  // namespace

bool RiffReader::readAt(uint64_t offset, std::span<uint8_t> out) {
    if (ioFailed_) return false;
    if (!source_.read(offset, out)) ioFailed_ = true;
    return !ioFailed_;
}

std::optional<RiffChunk> RiffReader::search(FourCC id, std::optional<FourCC> type,
                                            const RiffChunk* parent) {
    const uint64_t begin = parent ? firstChildOffset(*parent) : 0;
    const uint64_t end = parent ? std::min(parent->dataEnd(), source_.size()) : source_.size();
    if (position_ < begin || position_ > end) return std::nullopt;

    uint64_t at = position_;
    for (size_t examined = 0; examined < kMaxChunksPerSearch; ++examined) {
        if (end - at < kRiffHeaderBytes) return std::nullopt;
        uint8_t header[kRiffHeaderBytes];
        if (!readAt(at, header)) return std::nullopt;
        RiffChunk chunk = chunkAt(at, header, end);
        if (chunk.id == id) {
            bool hasType = chunk.isList() && chunk.dataSize >= kRiffTypeBytes;
            uint8_t typeBytes[kRiffTypeBytes] = {};
            if (hasType && !readAt(chunk.dataOffset, typeBytes)) return std::nullopt;
            if (hasType) chunk.type = loadU32(typeBytes);
            if (!type) {
                position_ = chunk.dataOffset;
                return chunk;
            }
            if (hasType && chunk.type == *type) {
                position_ = chunk.dataOffset + kRiffTypeBytes;
                return chunk;
            }
        }
        at = chunk.paddedEnd;
    }
    return std::nullopt;
}

std::optional<RiffChunk> RiffReader::descend(FourCC id, const RiffChunk* parent) {
    return search(id, std::nullopt, parent);
}

std::optional<RiffChunk> RiffReader::descendList(FourCC listId, FourCC type,
                                                 const RiffChunk* parent) {
    return search(listId, type, parent);
}

size_t RiffReader::read(const RiffChunk& chunk, std::span<uint8_t> out) {
    size_t taken = 0;
    if (position_ >= chunk.dataOffset && position_ < chunk.dataEnd()) {
        taken = size_t(std::min<uint64_t>(out.size(), chunk.dataEnd() - position_));
        if (!readAt(position_, out.first(taken))) taken = 0;
    }
    std::fill(out.begin() + std::ptrdiff_t(taken), out.end(), uint8_t(0));
    position_ += taken;
    return taken;
}

namespace {
constexpr size_t kCueCountBytes = 4;
// identifier, position, then chunk id, chunk start, block start, sample offset
constexpr size_t kCuePointBytes = 24;
}  // namespace

std::vector<CuePoint> readCuePoints(RiffReader& reader, const RiffChunk& cue) {
    uint8_t countBytes[kCueCountBytes] = {};
    size_t countRead = reader.read(cue, countBytes);
    if (countRead < kCueCountBytes) return {};  // a chunk too short to hold its count
    uint64_t tableBytes = cue.dataSize - countRead;
    size_t count = size_t(
        std::min<uint64_t>({loadU32(countBytes), tableBytes / kCuePointBytes, kMaxCuePoints}));
    std::vector<uint8_t> table(count * kCuePointBytes);
    reader.read(cue, table);
    LeReader in(table);
    std::vector<CuePoint> points(count);
    for (CuePoint& point : points) {
        point.id = in.u32();
        point.position = in.u32();
        in.skip(kCuePointBytes - 8);
    }
    return points;
}

}  // namespace quillon
